// The set-up and result screen (page 1 of BaseTab): method and sample
// choice, the input lists, the results with manual correction and the
// result plot.

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "console/geometry.h"
#include "console/look.h"
#include "console/paramlist.h"
#include "console/result_plot.h"
#include "console/tfbase.h"
#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"

using console::ButtonKind;
using console::MakeButton;
using console::MakeSmallButton;

namespace {

bool Has(const C_Parametr* m, const char* name) {
    return m != nullptr && m->IndexOf(name) >= 0;
}

void OnlyDown(std::initializer_list<TMegaButton*> group, TMegaButton* down) {
    for (TMegaButton* b : group)
        console::SetButtonDown(b, b == down);
}

// A titled list with the button that opens its zoom panel.
QWidget* ListBlock(QWidget* parent, const char* button, const char* title,
                   console::ParamList* list) {
    auto* block = new QWidget(parent);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    TMegaButton* b = MakeButton(block, button, title, ButtonKind::Push, 200, 30);
    b->Font.SetSize(10);
    column->addWidget(b);
    column->addWidget(list, 1);
    return block;
}

}  // namespace

QWidget* TFBase::BuildSetupScreen() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet4");
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 4, 4, 4);

    // ----- menu
    Panel4 = console::MakePanel(page, "Panel4");
    auto* menu = new QVBoxLayout(Panel4);
    menu->setContentsMargins(4, 4, 4, 4);
    const std::pair<const char*, const char*> items[] = {
        {"MegaButton22", "НОВОЕ"},  {"MegaButton25", "ОТКРЫТЬ"},  {"MegaButton26", "СОХРАНИТЬ"},
        {"MegaButton27", "ПЕЧАТЬ"}, {"MegaButton28", "КЛАВИАТ."}, {"MegaButton53", "РУЧНОЕ"},
        {"MegaButton39", "ВЫХОД"}};
    const int codes[] = {32, 34, 33, 35, 0, 0, 0};
    int k = 0;
    for (const auto& [name, caption] : items) {
        TMegaButton* b = MakeButton(Panel4, name, caption, ButtonKind::Push, 118, 56);
        b->Font.SetSize(11);
        const int code = codes[k++];
        if (code != 0) b->OnClick = [this, code](TMegaButton*) { Command(code); };
        menu->addWidget(b);
    }
    Panel4->findChild<TMegaButton*>("MegaButton39")->OnClick = [this](TMegaButton*) {
        FormCloseClick();
    };
    menu->addStretch(1);
    columns->addWidget(Panel4);

    // ----- input lists
    Panel11 = console::MakePanel(page, "Panel11");
    Panel11->setFixedWidth(430);
    auto* inputs = new QVBoxLayout(Panel11);
    inputs->setContentsMargins(4, 4, 4, 4);
    Panel11Slot = new QStackedWidget(Panel11);
    Panel11Slot->setObjectName("Panel11Slot");
    PanelWork = console::MakePanel(Panel11Slot, "PanelWork");
    auto* choice = new QVBoxLayout(PanelWork);
    choice->setContentsMargins(0, 0, 0, 0);
    choice->setSpacing(3);
    Mirandex = new QListWidget(PanelWork);
    Mirandex->setObjectName("Mirandex");
    QFont listFont = Mirandex->font();
    listFont.setPixelSize(16);
    Mirandex->setFont(listFont);
    Mirandex->setFixedHeight(150);
    ObrazecList = new QComboBox(PanelWork);
    ObrazecList->setObjectName("ObrazecList");
    ObrazecList->setFont(listFont);
    ObrazecList->setMinimumHeight(34);
    auto* switches = new QHBoxLayout;
    TENZ_ON = MakeButton(PanelWork, "TENZ_ON", "Экстенз.", ButtonKind::Toggle, 110, 40);
    PanelMode = console::MakePanel(PanelWork, "PanelMode");
    auto* modeRow = new QHBoxLayout(PanelMode);
    modeRow->setContentsMargins(0, 0, 0, 0);
    MODEALL_RAST = MakeButton(PanelMode, "MODEALL_RAST", "Растяжение", ButtonKind::Radio, 120, 40);
    MODEALL_PRESS =
        MakeButton(PanelMode, "MODEALL_PRESS", "Сжат/Изгиб", ButtonKind::Radio, 120, 40);
    for (TMegaButton* b : {MODEALL_RAST, MODEALL_PRESS}) {
        b->Font.SetSize(10);
        modeRow->addWidget(b);
    }
    TENZ_ON->Font.SetSize(10);
    TMegaButton* keyboard = MakeSmallButton(PanelWork, "MegaButton7", "Кл.");
    switches->addWidget(TENZ_ON);
    switches->addWidget(PanelMode);
    switches->addWidget(keyboard);
    choice->addWidget(console::MakeLabel(PanelWork, "", "Метод испытания", 14));
    choice->addWidget(Mirandex);
    choice->addWidget(console::MakeLabel(PanelWork, "LabelObrazec", "Тип образца", 14));
    choice->addWidget(ObrazecList);
    choice->addLayout(switches);
    Panel31 = console::MakePanel(Panel11Slot, "Panel31");
    auto* summary = new QVBoxLayout(Panel31);
    Panel31Text = console::MakeLabel(Panel31, "Panel31Text", "", 18);
    Panel31Text->setWordWrap(true);
    summary->addWidget(Panel31Text);
    Panel11Slot->addWidget(PanelWork);
    Panel11Slot->addWidget(Panel31);
    // The slot is as tall as the page in front: the method's title on the
    // result view needs its two lines, not the height of the choice.
    Panel11Slot->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    const auto front = [this](int) {
        for (QWidget* p : {static_cast<QWidget*>(PanelWork), static_cast<QWidget*>(Panel31)})
            p->setSizePolicy(QSizePolicy::Preferred, p == Panel11Slot->currentWidget()
                                                         ? QSizePolicy::Preferred
                                                         : QSizePolicy::Ignored);
        Panel11Slot->updateGeometry();
    };
    connect(Panel11Slot, &QStackedWidget::currentChanged, this, front);
    front(0);
    inputs->addWidget(Panel11Slot);

    ListPodgotov = new console::ParamList(paramLines_[0], Panel11);
    ListStart = new console::ParamList(paramLines_[1], Panel11);
    ListFinish = new console::ParamList(paramLines_[2], Panel11);
    ListResult = new console::ParamList(paramLines_[3], page);
    ListPodgotov->setObjectName("ListPodgotov");
    ListStart->setObjectName("ListStart");
    ListFinish->setObjectName("ListFinish");
    ListResult->setObjectName("ListResult");
    // Each list asks for the height of its rows; the start and end lists
    // take no more, the preparatory list takes what is left. Short of room
    // all three give way and scroll.
    for (console::ParamList* list : {ListPodgotov, ListStart, ListFinish})
        list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    for (console::ParamList* list : {ListStart, ListFinish})
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    inputs->addWidget(ListBlock(Panel11, "PANEL_DATA", "Подготовительные данные", ListPodgotov), 1);
    inputs->addWidget(ListBlock(Panel11, "PANEL_STARTDATA", "Начальные значения", ListStart));
    inputs->addWidget(ListBlock(Panel11, "PANEL_ENDDATA", "Конечные значения", ListFinish));
    columns->addWidget(Panel11);

    ListPodgotov->OnEdit = [this](int row, const std::string& t) { CommitListEdit(0, row, t); };
    ListStart->OnEdit = [this](int row, const std::string& t) { CommitListEdit(1, row, t); };
    ListFinish->OnEdit = [this](int row, const std::string& t) { CommitListEdit(2, row, t); };
    // Result edits are remembered by the list; nothing is committed.
    connect(ListResult, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { resultRow_ = row; });
    connect(ListResult, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { correctionRow_ = resultRow_; });
    connect(Mirandex, &QListWidget::currentRowChanged, this, [this](int) {
        if (!listsReloading_) MirandexClick();
    });
    connect(ObrazecList, &QComboBox::activated, this, [this](int) { ObrazecListClick(); });
    TENZ_ON->OnClick = [this](TMegaButton*) { TENZ_ONClick(); };
    MODEALL_RAST->OnClick = [this](TMegaButton*) { Command(68); };
    MODEALL_PRESS->OnClick = [this](TMegaButton*) { Command(67); };

    // ----- result plot and results
    auto* right = new QVBoxLayout;
    resultPlot_ = new console::ResultPlot(page, right);

    Panel10 = console::MakePanel(page, "Panel10");
    Panel10->setFixedHeight(230);
    auto* results = new QHBoxLayout(Panel10);
    results->setContentsMargins(4, 4, 4, 4);
    results->addWidget(ListResult, 1);
    auto* correction = new QVBoxLayout;
    correction->addWidget(console::MakeLabel(Panel10, "", "Ручная коррекция", 14));
    TrackBar5 = new QSlider(Qt::Horizontal, Panel10);
    TrackBar5->setObjectName("TrackBar5");
    TrackBar5->setRange(0, 10000);
    TrackBar5->setMinimumWidth(200);
    correction->addWidget(TrackBar5);
    RASCHET = MakeButton(Panel10, "RASCHET", "ОБНОВИТЬ РАСЧЕТ", ButtonKind::Push, 200, 56);
    RASCHET->Font.SetSize(11);
    correction->addWidget(RASCHET);
    correction->addStretch(1);
    results->addLayout(correction);
    right->addWidget(Panel10);
    columns->addLayout(right, 1);

    connect(TrackBar5, &QSlider::valueChanged, this, &TFBase::TrackBar5Change);
    RASCHET->OnClick = [this](TMegaButton*) { RASCHETClick(); };
    connect(resultPlot_, &console::ResultPlot::fullViewToggled, this, [this] {
        Panel10->setVisible(!Panel10->isVisible());
        Panel11->setVisible(!Panel11->isVisible());
    });
    connect(resultPlot_, &console::ResultPlot::axisXChosen, this, &TFBase::ResultAxisX);
    connect(resultPlot_, &console::ResultPlot::axisYChosen, this, &TFBase::ResultAxisY);
    return page;
}

// ----- lists

void TFBase::ReloadLists() {
    for (console::ParamList* l : {ListPodgotov, ListStart, ListFinish, ListResult})
        l->Reload();
}

void TFBase::ReloadMethodLists() {
    listsReloading_ = true;
    const int method = work_ ? work_->Methods().CurrentIndex() : 0;
    if (Mirandex->count() != static_cast<int>(methodLines_.size())) {
        Mirandex->clear();
        for (const std::string& m : methodLines_)
            Mirandex->addItem(QString::fromStdString(m));
    }
    Mirandex->setCurrentRow(method);
    const int sample = ObrazecList->currentIndex();
    ObrazecList->clear();
    for (const std::string& s : sampleTypeLines_)
        ObrazecList->addItem(QString::fromStdString(s));
    if (ObrazecList->count() > 0) {
        ObrazecList->setCurrentIndex(sample >= 0 && sample < ObrazecList->count() ? sample : 0);
        const int first = ObrazecList->fontMetrics().horizontalAdvance(ObrazecList->itemText(0));
        ObrazecList->view()->setMinimumWidth(console::SampleDropWidth(first));
    }
    listsReloading_ = false;
    ReloadLists();
    if (work_ != nullptr && work_->Methods().Current() != nullptr) {
        Panel31Text->setText(
            QString::fromStdString(work_->Methods().Current()->GetValueText("sGO") + "\n" +
                                   ObrazecList->currentText().toStdString()));
    }
}

void TFBase::ColourLists(bool editing) {
    ListPodgotov->SetEditingColour(editing);
    ListStart->SetEditingColour(editing);
    const QString green = editing ? "background: rgb(224,254,214);" : "";
    Mirandex->setStyleSheet(green);
    ObrazecList->setStyleSheet(green);
}

void TFBase::CommitListEdit(int group, int row, const std::string& text) {
    if (!work_) return;
    const TextResult typed = work_->Methods().SetInGroup(row, group, text);
    // The list shows the value as stored (clamped), or as it was when refused.
    work_->Methods().RefreshList(group);
    ReloadLists();
    if (group == 1) FillPoverkaTable(0);
    if (!typed) ShowMes(typed.error, 1, 0);
}

// ----- method, sample type, extensometer

void TFBase::MirandexClick() {
    if (!work_ || AskBeforeLeavingPoverka()) return;
    C_Parametr* m = work_->Methods().Current();
    const C_Parametr* before = m;
    if (Has(m, "sTE")) {
        auto* unit = dynamic_cast<DEVICE_QUELM*>(work_->Unit());
        const float t = unit != nullptr ? unit->GetAmbientTemperature() : 0.0f;
        m->SetFromText(m->IndexOf("sTE"), platform::FormatFloat("0.0", t));
    }
    if (Has(m, "sTI")) m->SetFromText(m->IndexOf("sTI"), "00:00:00");
    work_->SelectMethod(Mirandex->currentRow(), ObrazecList->currentIndex(), TENZ_ON->Down ? 1 : 0);
    m = work_->Methods().Current();
    ReloadMethodLists();
    ObrazecList->setCurrentIndex(Has(m, "fPos") ? static_cast<int>(m->GetFloat("fPos")) : 0);
    if (Has(m, "fSpd")) {
        Command(4);
        work_->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    }
    if (Has(m, "fSpdL")) {
        Command(5);
        work_->SetSpeed(static_cast<float>(m->GetFloat("fSpdL")));
    }
    if (Has(m, "iCH")) {
        if (m->GetInt("iCH") == 2) Command(5);
        if (m->GetInt("iCH") == 1) Command(4);
    }
    PoverkaMethodChosen(m == before);
    SyncModeButtons();
    // The lists and the plot markers are the chosen method's, of the curve held.
    ShowResults();
}

void TFBase::ObrazecListClick() {
    if (!work_) return;
    const int index = ObrazecList->currentIndex();
    work_->SelectMethod(Mirandex->currentRow(), index, TENZ_ON->Down ? 1 : 0);
    ReloadMethodLists();
    if (ObrazecList->currentIndex() < 0) ObrazecList->setCurrentIndex(index);
    C_Parametr* m = work_->Methods().Current();
    if (Has(m, "fPos")) m->SetFloat("fPos", static_cast<float>(index));
    if (Has(m, "fSpd")) work_->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    PoverkaSampleChosen();
}

void TFBase::TENZ_ONClick() {
    if (!work_) return;
    const int index = ObrazecList->currentIndex();
    work_->SelectMethod(Mirandex->currentRow(), index, TENZ_ON->Down ? 1 : 0);
    ReloadMethodLists();
    if (ObrazecList->currentIndex() < 0) ObrazecList->setCurrentIndex(index);
    UpdateTenzControls();
}

void TFBase::SyncModeButtons() {
    const int vector = work_ ? work_->GetVector() : -1;
    switch (vector) {
        case -1:
            OnlyDown({MODEALL_RAST, MODEALL_PRESS}, nullptr);
            PanelMode->setEnabled(true);
            break;
        case 0:
            Command(68);
            PanelMode->setEnabled(false);
            break;
        case 1:
            Command(67);
            PanelMode->setEnabled(false);
            break;
        case 2:
            OnlyDown({MODEALL_RAST, MODEALL_PRESS}, nullptr);
            PanelMode->setEnabled(true);
            Command(68);
            break;
        default:
            break;
    }
    PUDIK->hide();
    PUDIK_PRESS->hide();
}

// ----- results

void TFBase::TrackBar5Change(int position) {
    if (!work_ || work_->Methods().Current() == nullptr) return;
    work_->Methods().Current()->SetManualPoint(correctionRow_, 3, static_cast<float>(position));
    work_->Methods().RefreshList(3);
    ListResult->Reload();
    resultPlot_->DrawGrid();
}

void TFBase::RASCHETClick() {
    if (!work_ || work_->Methods().Current() == nullptr) return;
    work_->Methods().Current()->SetElasticBoundPercent(0);
    Command(48);
    work_->Methods().RefreshList(2);
    ReloadLists();
}

// The results and markers of the curve held, on the lists and both plots at
// once; the test's time is left as it is.
void TFBase::ShowResults() {
    if (!work_) return;
    work_->Methods().Calculate();
    work_->Methods().RefreshList(3);
    ReloadLists();
    for (CGrafic* plot : {WorkPlotter, static_cast<CGrafic*>(resultPlot_)})
        plot->DrawGrid();
}

void TFBase::ResultAxisY(int channel) {
    if (work_ != nullptr && Has(work_->Methods().Current(), "fOY"))
        work_->Methods().Current()->SetInt("fOY", channel);
    RASCHETClick();
}

void TFBase::ResultAxisX(int channel) {
    if (work_ != nullptr && Has(work_->Methods().Current(), "fOX"))
        work_->Methods().Current()->SetInt("fOX", channel);
    RASCHETClick();
}

void TFBase::SetResultAxisButtons() {
    const C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    resultPlot_->ShowAxes(Has(m, "fOX") ? m->GetInt("fOX") : -1,
                          Has(m, "fOY") ? m->GetInt("fOY") : -1);
}

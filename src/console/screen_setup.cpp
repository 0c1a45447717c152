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
#include "console/tfbase.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "controls/symbolfont.h"
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
    auto* plotBar = new QHBoxLayout;
    PLOT2_1 = MakeSmallButton(page, "PLOT2_1", "<->", ButtonKind::Radio);
    PLOT2_2 = MakeSmallButton(page, "PLOT2_2", "[+]", ButtonKind::Radio);
    PLOT2_3 = MakeSmallButton(page, "PLOT2_3", "A");
    PLOT2_4 = MakeSmallButton(page, "PLOT2_4", "П", ButtonKind::Radio);
    PLOT2_5 = MakeSmallButton(page, "PLOT2_5", "-П");
    PLOT2_FULL = MakeSmallButton(page, "PLOT2_FULL", "<>", ButtonKind::Toggle);
    const std::pair<TMegaButton*, const char*> hints[] = {{PLOT2_1, "Перемещение графика"},
                                                          {PLOT2_2, "Масштаб"},
                                                          {PLOT2_3, "Автомасштаб"},
                                                          {PLOT2_4, "Область для печати"},
                                                          {PLOT2_5, "Сброс всех облостей печати"}};
    for (const auto& [b, hint] : hints)
        b->setToolTip(QString::fromUtf8(hint));
    BUTXT2 = MakeSmallButton(page, "BUTXT2", "T", ButtonKind::Radio);
    BUTXL2 = MakeSmallButton(page, "BUTXL2", "L", ButtonKind::Radio);
    BUTXE2 = MakeSmallButton(page, "BUTXE2", "E", ButtonKind::Radio);
    BUT_XS2 = MakeSmallButton(page, "BUT_XS2", "}", ButtonKind::Radio);
    BUTYF2 = MakeSmallButton(page, "BUTYF2", "F", ButtonKind::Radio);
    BUTYL2 = MakeSmallButton(page, "BUTYL2", "L", ButtonKind::Radio);
    BUTYE2 = MakeSmallButton(page, "BUTYE2", "E", ButtonKind::Radio);
    BUTYP2 = MakeSmallButton(page, "BUTYP2", "P", ButtonKind::Radio);
    MegaButton34 = MakeSmallButton(page, "MegaButton34", "Fm");
    MegaButton51 = MakeSmallButton(page, "MegaButton51", "Lm");
    PLOT2_1->Down = true;
    BUTXL2->Down = true;
    BUTYF2->Down = true;
    for (TMegaButton* b : {PLOT2_1, PLOT2_2, PLOT2_3, PLOT2_4, PLOT2_5, PLOT2_FULL})
        plotBar->addWidget(b);
    plotBar->addStretch(1);
    // The axis choice is a row of its own, so both fit the narrowest window.
    right->addLayout(plotBar);
    plotBar = new QHBoxLayout;
    plotBar->addWidget(console::MakeLabel(page, "", "X:", 16));
    for (TMegaButton* b : {BUTXT2, BUTXL2, BUTXE2, BUT_XS2})
        plotBar->addWidget(b);
    plotBar->addSpacing(12);
    plotBar->addWidget(console::MakeLabel(page, "", "Y:", 16));
    for (TMegaButton* b : {BUTYF2, BUTYL2, BUTYE2, BUTYP2, MegaButton34, MegaButton51})
        plotBar->addWidget(b);
    plotBar->addStretch(1);
    for (TMegaButton* b : {BUTYP2, BUT_XS2, MegaButton34, MegaButton51})
        b->hide();
    right->addLayout(plotBar);
    CGraficRes = new CGrafic(page);
    CGraficRes->setObjectName("CGraficRes");
    // Marker labels and axis names carry symbol-font captions ("F`в").
    CGraficRes->Font.name = std::string(draw::kSymbolFontName);
    CGraficRes->setMinimumSize(300, 200);
    right->addWidget(CGraficRes, 1);

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
    auto plotMode = [this](TMegaButton* b, int mode) {
        b->OnClick = [this, mode](TMegaButton* self) {
            CGraficRes->SetMode(mode);
            if (mode == 0 || mode == 1 || mode == 4) OnlyDown({PLOT2_1, PLOT2_2, PLOT2_4}, self);
        };
    };
    plotMode(PLOT2_1, 0);
    plotMode(PLOT2_2, 1);
    plotMode(PLOT2_3, 3);
    plotMode(PLOT2_4, 4);
    plotMode(PLOT2_5, 5);
    PLOT2_FULL->OnClick = [this](TMegaButton*) {
        Panel10->setVisible(!Panel10->isVisible());
        Panel11->setVisible(!Panel11->isVisible());
    };
    BUTXT2->OnClick = [this](TMegaButton*) { ResultAxisX(0); };
    BUTXL2->OnClick = [this](TMegaButton*) { ResultAxisX(2); };
    BUTXE2->OnClick = [this](TMegaButton*) { ResultAxisX(3); };
    BUT_XS2->OnClick = [this](TMegaButton*) { ResultAxisX(5); };
    BUTYF2->OnClick = [this](TMegaButton*) { ResultAxisY(1); };
    BUTYL2->OnClick = [this](TMegaButton*) { ResultAxisY(2); };
    BUTYE2->OnClick = [this](TMegaButton*) { ResultAxisY(3); };
    BUTYP2->OnClick = [this](TMegaButton*) { ResultAxisY(4); };
    MegaButton34->OnClick = [this](TMegaButton*) { CGraficRes->SetChanY("E, мм", 4); };
    MegaButton51->OnClick = [this](TMegaButton*) { CGraficRes->SetChanY("E, мм", 5); };
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
    CGraficRes->DrawGrid();
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
    for (CGrafic* plot : {workScreen_->Plot(), CGraficRes})
        plot->DrawGrid();
}

void TFBase::ResultAxisY(int channel) {
    // E is never on both axes.
    if (channel == 3 && BUTXE2->Down) channel = 1;
    static const char* const kNames[] = {"", "F, кН", "L, мм", "E, мм", "P, МПа"};
    if (work_ != nullptr && Has(work_->Methods().Current(), "fOY"))
        work_->Methods().Current()->SetInt("fOY", channel);
    TMegaButton* down = channel == 1   ? BUTYF2
                        : channel == 2 ? BUTYL2
                        : channel == 3 ? BUTYE2
                                       : BUTYP2;
    OnlyDown({BUTYF2, BUTYL2, BUTYE2, BUTYP2}, down);
    CGraficRes->SetChanY(kNames[channel], channel);
    RASCHETClick();
}

void TFBase::ResultAxisX(int channel) {
    if (channel == 3 && BUTYE2->Down) channel = 0;
    static const char* const kNames[] = {"T, c", "", "L, мм", "E, мм", "", "', %"};
    if (work_ != nullptr && Has(work_->Methods().Current(), "fOX"))
        work_->Methods().Current()->SetInt("fOX", channel);
    TMegaButton* down = channel == 0   ? BUTXT2
                        : channel == 2 ? BUTXL2
                        : channel == 3 ? BUTXE2
                                       : BUT_XS2;
    OnlyDown({BUTXT2, BUTXL2, BUTXE2, BUT_XS2}, down);
    CGraficRes->SetChanX(kNames[channel], channel);
    RASCHETClick();
}

void TFBase::SetResultAxisButtons() {
    const C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    if (Has(m, "fOX")) {
        static const char* const kNames[] = {"T, c", "", "L, мм", "E, мм", "", "', %"};
        const int x = m->GetInt("fOX");
        if (x == 0 || (x >= 2 && x <= 3) || x == 5) {
            OnlyDown({BUTXT2, BUTXL2, BUTXE2, BUT_XS2}, x == 0   ? BUTXT2
                                                        : x == 2 ? BUTXL2
                                                        : x == 3 ? BUTXE2
                                                                 : BUT_XS2);
            // Result mode redraws the plot after this.
            CGraficRes->chanX = x;
            CGraficRes->nameX = kNames[x];
        }
    }
    if (Has(m, "fOY")) {
        static const char* const kNames[] = {"", "F, кН", "L, мм", "E, мм", "P, МПа"};
        const int y = m->GetInt("fOY");
        if (y >= 1 && y <= 4) {
            OnlyDown({BUTYF2, BUTYL2, BUTYE2, BUTYP2}, y == 1   ? BUTYF2
                                                       : y == 2 ? BUTYL2
                                                       : y == 3 ? BUTYE2
                                                                : BUTYP2);
            CGraficRes->chanY = y;
            CGraficRes->nameY = kNames[y];
        }
    }
}

// The set-up and result screen: method and sample choice, the input lists,
// the results with manual correction and the result plot.

#include "console/setup_screen.h"

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
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "station/station_controller.h"

namespace console {
namespace {

// A titled list with the button that opens its zoom panel.
QWidget* ListBlock(QWidget* parent, const char* button, const char* title, ParamList* list) {
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

SetupScreen::SetupScreen(station::StationController& station, QWidget* parent)
    : QWidget(parent),
      station_(station),
      lines_{station.Lists().methods, station.Lists().sampleTypes, station.Lists().params} {
    auto* page = this;
    setObjectName("TabSheet4");
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 4, 4, 4);

    // ----- menu
    Panel4 = MakePanel(page, "Panel4");
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
        if (code != 0) b->OnClick = [this, code](TMegaButton*) { emit command(code); };
        menu->addWidget(b);
    }
    Panel4->findChild<TMegaButton*>("MegaButton39")->OnClick = [this](TMegaButton*) {
        emit closeRequested();
    };
    menu->addStretch(1);
    columns->addWidget(Panel4);

    // ----- input lists
    Panel11 = MakePanel(page, "Panel11");
    Panel11->setFixedWidth(430);
    auto* inputs = new QVBoxLayout(Panel11);
    inputs->setContentsMargins(4, 4, 4, 4);
    Panel11Slot = new QStackedWidget(Panel11);
    Panel11Slot->setObjectName("Panel11Slot");
    PanelWork = MakePanel(Panel11Slot, "PanelWork");
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
    PanelMode = MakePanel(PanelWork, "PanelMode");
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
    choice->addWidget(MakeLabel(PanelWork, "", "Метод испытания", 14));
    choice->addWidget(Mirandex);
    choice->addWidget(MakeLabel(PanelWork, "LabelObrazec", "Тип образца", 14));
    choice->addWidget(ObrazecList);
    choice->addLayout(switches);
    Panel31 = MakePanel(Panel11Slot, "Panel31");
    auto* summary = new QVBoxLayout(Panel31);
    Panel31Text = MakeLabel(Panel31, "Panel31Text", "", 18);
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

    ListPodgotov = new ParamList(lines_.params[0], Panel11);
    ListStart = new ParamList(lines_.params[1], Panel11);
    ListFinish = new ParamList(lines_.params[2], Panel11);
    ListResult = new ParamList(lines_.params[3], page);
    ListPodgotov->setObjectName("ListPodgotov");
    ListStart->setObjectName("ListStart");
    ListFinish->setObjectName("ListFinish");
    ListResult->setObjectName("ListResult");
    // Each list asks for the height of its rows; the start and end lists
    // take no more, the preparatory list takes what is left. Short of room
    // all three give way and scroll.
    for (ParamList* list : {ListPodgotov, ListStart, ListFinish})
        list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    for (ParamList* list : {ListStart, ListFinish})
        list->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    inputs->addWidget(ListBlock(Panel11, "PANEL_DATA", "Подготовительные данные", ListPodgotov), 1);
    inputs->addWidget(ListBlock(Panel11, "PANEL_STARTDATA", "Начальные значения", ListStart));
    inputs->addWidget(ListBlock(Panel11, "PANEL_ENDDATA", "Конечные значения", ListFinish));
    columns->addWidget(Panel11);

    ListPodgotov->OnEdit = [this](int row, const std::string& t) {
        station_.CommitListEdit(0, row, t);
    };
    ListStart->OnEdit = [this](int row, const std::string& t) {
        station_.CommitListEdit(1, row, t);
    };
    ListFinish->OnEdit = [this](int row, const std::string& t) {
        station_.CommitListEdit(2, row, t);
    };
    // Result edits are remembered by the list; nothing is committed.
    connect(ListResult, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { resultRow_ = row; });
    connect(ListResult, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { correctionRow_ = resultRow_; });
    connect(Mirandex, &QListWidget::currentRowChanged, this, [this](int) {
        if (!listsReloading_) ChooseShownMethod();
    });
    connect(ObrazecList, &QComboBox::activated, this, [this](int) {
        station_.ChooseSampleType(MethodRow(), SampleType(), ExtensometerOn());
    });
    TENZ_ON->OnClick = [this](TMegaButton*) { ExtensometerClicked(); };
    MODEALL_RAST->OnClick = [this](TMegaButton*) { emit command(68); };
    MODEALL_PRESS->OnClick = [this](TMegaButton*) { emit command(67); };

    // ----- result plot and results
    auto* right = new QVBoxLayout;
    resultPlot_ = new ResultPlot(page, right);

    Panel10 = MakePanel(page, "Panel10");
    Panel10->setFixedHeight(230);
    auto* results = new QHBoxLayout(Panel10);
    results->setContentsMargins(4, 4, 4, 4);
    results->addWidget(ListResult, 1);
    auto* correction = new QVBoxLayout;
    correction->addWidget(MakeLabel(Panel10, "", "Ручная коррекция", 14));
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

    // The manual point of the result row the operator double-clicked.
    connect(TrackBar5, &QSlider::valueChanged, this, [this](int position) {
        if (!station_.SetManualPoint(correctionRow_, position)) return;
        ReloadList(3);
        resultPlot_->DrawGrid();
    });
    RASCHET->OnClick = [this](TMegaButton*) {
        if (station_.Recalculate()) ReloadLists();
    };
    connect(resultPlot_, &ResultPlot::axisXChosen, this, [this](int channel) {
        if (station_.SetResultAxis(true, channel)) ReloadLists();
    });
    connect(resultPlot_, &ResultPlot::axisYChosen, this, [this](int channel) {
        if (station_.SetResultAxis(false, channel)) ReloadLists();
    });
    connect(resultPlot_, &ResultPlot::fullViewToggled, this, [this] {
        Panel10->setVisible(!Panel10->isVisible());
        Panel11->setVisible(!Panel11->isVisible());
    });
}

SetupScreen::~SetupScreen() {
    // The children die after this object: their last signals must not reach it.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    for (ParamList* list : {ListPodgotov, ListStart, ListFinish, ListResult})
        list->OnEdit = nullptr;
}

void SetupScreen::Bind(C_Work& work) {
    work_ = &work;
    resultPlot_->Init(&work.Buffer(), "T,c", "F,кН", 0, 1);
}

// ----- lists

void SetupScreen::ReloadLists() {
    for (ParamList* l : {ListPodgotov, ListStart, ListFinish, ListResult})
        l->Reload();
}

void SetupScreen::ReloadList(int group) {
    ParamList* const lists[] = {ListPodgotov, ListStart, ListFinish, ListResult};
    if (group >= 0 && group < 4) lists[group]->Reload();
}

void SetupScreen::ReloadMethodLists() {
    listsReloading_ = true;
    const int method = work_ ? work_->Methods().CurrentIndex() : 0;
    if (Mirandex->count() != static_cast<int>(lines_.methods.size())) {
        Mirandex->clear();
        for (const std::string& m : lines_.methods)
            Mirandex->addItem(QString::fromStdString(m));
    }
    Mirandex->setCurrentRow(method);
    const int sample = ObrazecList->currentIndex();
    ObrazecList->clear();
    for (const std::string& s : lines_.sampleTypes)
        ObrazecList->addItem(QString::fromStdString(s));
    if (ObrazecList->count() > 0) {
        ObrazecList->setCurrentIndex(sample >= 0 && sample < ObrazecList->count() ? sample : 0);
        const int first = ObrazecList->fontMetrics().horizontalAdvance(ObrazecList->itemText(0));
        ObrazecList->view()->setMinimumWidth(SampleDropWidth(first));
    }
    listsReloading_ = false;
    ReloadLists();
    if (work_ != nullptr && work_->Methods().Current() != nullptr) {
        Panel31Text->setText(
            QString::fromStdString(work_->Methods().Current()->GetValueText("sGO") + "\n" +
                                   ObrazecList->currentText().toStdString()));
    }
}

void SetupScreen::ColourLists(bool editing) {
    ListPodgotov->SetEditingColour(editing);
    ListStart->SetEditingColour(editing);
    const QString green = editing ? "background: rgb(224,254,214);" : "";
    Mirandex->setStyleSheet(green);
    ObrazecList->setStyleSheet(green);
}

void SetupScreen::ShowChoice(bool choice) {
    Panel11Slot->setCurrentWidget(choice ? PanelWork : Panel31);
}

void SetupScreen::EnableInputs() {
    Panel11->setEnabled(true);
}

// ----- the operator's choice

int SetupScreen::MethodRow() const {
    return Mirandex->currentRow();
}

std::optional<std::string> SetupScreen::MethodName() const {
    if (Mirandex->currentItem() == nullptr) return std::nullopt;
    return Mirandex->currentItem()->text().toStdString();
}

void SetupScreen::ShowMethodRow(int row) {
    listsReloading_ = true;
    Mirandex->setCurrentRow(row);
    listsReloading_ = false;
}

void SetupScreen::ChooseMethodRow(int row) {
    Mirandex->setCurrentRow(row);
}

int SetupScreen::SampleType() const {
    return ObrazecList->currentIndex();
}

int SetupScreen::SampleTypeCount() const {
    return ObrazecList->count();
}

void SetupScreen::SetSampleType(int index) {
    ObrazecList->setCurrentIndex(index);
}

bool SetupScreen::ExtensometerOn() const {
    return TENZ_ON->Down;
}

void SetupScreen::SetExtensometer(bool on) {
    SetButtonDown(TENZ_ON, on);
}

station::SetupChoice SetupScreen::Choice() const {
    return {MethodName(), SampleType(), ExtensometerOn()};
}

void SetupScreen::ChooseShownMethod() {
    station_.ChooseMethodRow(MethodRow(), SampleType(), ExtensometerOn());
}

void SetupScreen::ShowMethodReselected(int sampleType) {
    ReloadMethodLists();
    if (SampleType() < 0) SetSampleType(sampleType);
}

void SetupScreen::ExtensometerClicked() {
    if (station_.SetExtensometer(MethodRow(), SampleType(), ExtensometerOn()))
        emit extensometerToggled();
}

void SetupScreen::SwitchExtensometerOn() {
    SetExtensometer(true);
    ExtensometerClicked();
}

void SetupScreen::ShowVerificationCaption(bool verification) {
    if (auto* label = findChild<QLabel*>("LabelObrazec"))
        label->setText(QString::fromUtf8(verification ? "Поверка" : "Образец"));
}

// ----- zone

void SetupScreen::ShowZone(bool tension, bool compression) {
    SetButtonDown(MODEALL_RAST, tension);
    SetButtonDown(MODEALL_PRESS, compression);
}

void SetupScreen::EnableZoneChoice(bool enabled) {
    PanelMode->setEnabled(enabled);
}

void SetupScreen::EnableZoneButtons(bool enabled) {
    SetButtonEnabled(MODEALL_RAST, enabled);
    SetButtonEnabled(MODEALL_PRESS, enabled);
}

void SetupScreen::ShowMethodAxes() {
    const auto [x, y] = station_.ResultAxes();
    resultPlot_->ShowAxes(x, y);
}

}  // namespace console

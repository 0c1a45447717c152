// Working the machine by hand and watching its hydraulic station: the manual
// control panels PUDIK (tension) and PUDIK_PRESS (compression and bend), the
// hydraulic station panel PanelIZNOS with its 10 s service tick Timer3, and
// the hold panel Panel19 that sends a hold program to the unit.

#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>

#include "console/chrome.h"
#include "console/look.h"
#include "console/panel_entry.h"
#include "console/panel_manual.h"
#include "console/paramlist.h"
#include "console/tfbase.h"
#include "console/work_screen.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/c_connect.h"
#include "link/cycleprogramtarget.h"
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"

using console::ButtonKind;
using console::MakeButton;
using console::SetButtonDown;
using console::SetButtonEnabled;

namespace {

constexpr const char* kOilWarning = "ВНИМАНИЕ!!! Превышен допустимый предел температуры масла!";
constexpr const char* kStationTitle =
    "Темп-ра окр.сред.       Темп-ра масла         Уровень масла      Состояние фильтра         "
    "Наработка";
// Where the manual panels open.
constexpr int kManualLeft = 400;
constexpr int kManualTop = 300;
// A press and release closer than this is a click on a drag handle, not a drag.
constexpr int kClickSlop = 6;

const QColor kGood(40, 230, 40);
const QColor kBad(255, 50, 50);
const QColor kPlain(255, 255, 255);

// A label the handle under it receives the presses for.
QLabel* Caption(QWidget* parent, const std::string& text, int pixelSize) {
    QLabel* l = console::MakeLabel(parent, "", text, pixelSize);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

// The title bar of a manual panel: drags the panel; the close button sits at its right.
console::DragHandle* TitleBar(QFrame* panel, const char* name, const char* title,
                              TMegaButton*& close, const char* closeName) {
    auto* bar = new console::DragHandle(panel, panel);
    bar->setObjectName(name);
    bar->setFixedHeight(48);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 0, 0, 0);
    row->addWidget(Caption(bar, title, 20), 1);
    close = MakeButton(bar, closeName, "X", ButtonKind::Push, 56, 44);
    close->setToolTip(QString::fromUtf8("Закрыть"));
    row->addWidget(close);
    return bar;
}

QLineEdit* NumberEdit(QWidget* parent, const char* name, const char* text) {
    auto* e = new QLineEdit(QString::fromUtf8(text), parent);
    e->setObjectName(name);
    QFont f = e->font();
    f.setPixelSize(22);
    e->setFont(f);
    e->setMinimumHeight(44);
    e->setMaximumWidth(160);
    return e;
}

// A black readout field of the station panel.
QLabel* StationValue(QWidget* parent, const char* name) {
    QLabel* l = console::MakeLabel(parent, name, "—", 22);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    l->setPalette(pal);
    l->setMinimumSize(160, 64);
    return l;
}

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

void ShowField(QLabel* label, const console::StationField& field) {
    label->setText(QString::fromStdString(field.text));
    SetTextColour(label, field.look == console::StationLook::Good  ? kGood
                         : field.look == console::StationLook::Bad ? kBad
                                                                   : kPlain);
    QFont f = label->font();
    f.setPointSize(field.pointSize);
    label->setFont(f);
}

// The station panel's title: drags the panel; a click on it (no travel) hides it.
class StationTitle final : public console::DragHandle {
public:
    StationTitle(QWidget* panel, std::function<void()> clicked)
        : console::DragHandle(panel, panel), clicked_(std::move(clicked)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        pressAt_ = event->globalPosition().toPoint();
        console::DragHandle::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        console::DragHandle::mouseReleaseEvent(event);
        const QPoint travel = event->globalPosition().toPoint() - pressAt_;
        if (event->button() == Qt::LeftButton && travel.manhattanLength() < kClickSlop) clicked_();
    }

private:
    std::function<void()> clicked_;
    QPoint pressAt_;
};

void Sends(TMegaButton* b, TFBase* window, int code) {
    b->OnClick = [window, code](TMegaButton*) { window->Command(code); };
}

void Toggles(TMegaButton* b, TFBase* window, int down, int up) {
    b->OnClick = [window, down, up](TMegaButton* s) { window->Command(s->Down ? down : up); };
}

}  // namespace

void TFBase::BuildManualPanels() {
    BuildTensionPanel();
    BuildPressPanel();
    BuildStationPanel();
    BuildHoldPanel();

    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");
    Timer3->setInterval(console::kServiceTickMs);
    connect(Timer3, &QTimer::timeout, this, &TFBase::Timer3Timer);

    // The menus that open these panels are built with their screens.
    for (const char* name : {"MENU_PUDIK", "MegaButton53"}) {
        if (auto* b = findChild<TMegaButton*>(name))
            b->OnClick = [this](TMegaButton*) { ManualPanelClick(); };
    }
    if (auto* b = findChild<TMegaButton*>("MegaButton45"))
        b->OnClick = [this](TMegaButton*) { StationPanelClick(); };
    connect(workScreen_, &console::WorkScreen::holdPanelRequested, this, &TFBase::HoldPanelClick);
    // Numbers are typed on the on-screen keyboard.
    for (QLineEdit* e :
         {MaskEdit1, MaskEdit2, MaskEdit3, MaskEdit4, MaskEdit5, MaskEdit6, MaskEdit7})
        new console::TapIntoField(e, [this] { ShowVirtualKeyboard(); });
}

// ----- manual control panels

void TFBase::BuildTensionPanel() {
    PUDIK = console::MakeBarePanel(this, "PUDIK", 540, 312);
    auto* column = new QVBoxLayout(PUDIK);
    column->setContentsMargins(6, 6, 6, 8);
    column->addWidget(TitleBar(PUDIK, "Move1", "РУЧНОЕ УПРАВЛЕНИЕ", DecoExit, "DecoExit"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    auto button = [this](const char* name, const char* caption, const char* hint, ButtonKind kind) {
        TMegaButton* b = MakeButton(PUDIK, name, caption, kind, 112, 52);
        b->Font.SetSize(11);
        b->setToolTip(QString::fromUtf8(hint));
        return b;
    };
    CONT_UPOFF = button("CONT_UPOFF", "ЗАКРЫТЬ", "Закрыть верхний захват", ButtonKind::Push);
    CONT_UPON = button("CONT_UPON", "ОТКРЫТЬ", "Открыть верхний захват", ButtonKind::Push);
    GRIP_UP = button("GRIP_UP", "ВЗ", "Верхний захват", ButtonKind::Toggle);
    CONT_DOWNOFF = button("CONT_DOWNOFF", "ЗАКРЫТЬ", "Закрыть нижний захват", ButtonKind::Push);
    CONT_DOWNON = button("CONT_DOWNON", "ОТКРЫТЬ", "Открыть нижний захват", ButtonKind::Push);
    GRIP_DOWN = button("GRIP_DOWN", "НЗ", "Нижний захват", ButtonKind::Toggle);
    CONT_UP = button("CONT_UP", "ВВЕРХ", "Траверса вверх", ButtonKind::Push);
    CONT_STOP = button("CONT_STOP", "СТОП", "Остановить траверсу", ButtonKind::Push);
    CONT_DOWN = button("CONT_DOWN", "ВНИЗ", "Траверса вниз", ButtonKind::Push);
    CONT_ON = button("CONT_ON", "ON ", "Насос", ButtonKind::Toggle);
    OUTPUD = button("OUTPUD", "", "", ButtonKind::Toggle);
    OUTPUD->hide();
    SPEED_PUD = console::MakeLabel(PUDIK, "SPEED_PUD", "0,00 мм/мин", 20);
    SPEED_PUD->setStyleSheet("background: black; color: yellow; padding: 4px;");
    SPEED_PUD->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const struct {
        const char* caption;
        TMegaButton* buttons[3];
    } rows[] = {{"Верхний захват", {CONT_UPOFF, CONT_UPON, GRIP_UP}},
                {"Нижний захват", {CONT_DOWNOFF, CONT_DOWNON, GRIP_DOWN}},
                {"Траверса", {CONT_UP, CONT_STOP, CONT_DOWN}}};
    int r = 0;
    for (const auto& row : rows) {
        grid->addWidget(console::MakeLabel(PUDIK, "", row.caption, 15), r, 0);
        for (int c = 0; c < 3; ++c)
            grid->addWidget(row.buttons[c], r, c + 1);
        ++r;
    }
    grid->addWidget(console::MakeLabel(PUDIK, "", "Насос", 15), r, 0);
    grid->addWidget(CONT_ON, r, 1);
    grid->addWidget(SPEED_PUD, r, 2, 1, 2);
    column->addLayout(grid);
    column->addStretch(1);

    Sends(CONT_UPOFF, this, 12);
    Sends(CONT_UPON, this, 13);
    Sends(CONT_DOWNOFF, this, 15);
    // The lower grip's open button opens it, as its hint says.
    Sends(CONT_DOWNON, this, 16);
    Sends(CONT_UP, this, 19);
    Sends(CONT_DOWN, this, 20);
    Sends(CONT_STOP, this, 21);
    Toggles(CONT_ON, this, 17, 18);
    GRIP_UP->OnClick = [this](TMegaButton* b) {
        // The crosshead stops before the grip closes and after it opens.
        if (b->Down) {
            Command(21);
            Command(12);
        } else {
            Command(13);
            Command(21);
        }
        CrossheadInterlock(false);
    };
    GRIP_DOWN->OnClick = [this](TMegaButton* b) {
        Command(b->Down ? 15 : 16);
        CrossheadInterlock(true);
    };
    OUTPUD->OnClick = [this](TMegaButton*) { OUTPUDClick(); };
    DecoExit->OnClick = [this](TMegaButton*) { CloseManualPanels(); };
}

void TFBase::BuildPressPanel() {
    PUDIK_PRESS = console::MakeBarePanel(this, "PUDIK_PRESS", 540, 330);
    auto* column = new QVBoxLayout(PUDIK_PRESS);
    column->setContentsMargins(6, 6, 6, 8);
    column->addWidget(
        TitleBar(PUDIK_PRESS, "Move11", "СЖАТИЕ / ИЗГИБ", MegaButton70, "MegaButton70"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    auto button = [this](const char* name, const char* caption, ButtonKind kind, int w = 112) {
        TMegaButton* b = MakeButton(PUDIK_PRESS, name, caption, kind, w, 52);
        b->Font.SetSize(11);
        return b;
    };
    CONT_UP1 = button("CONT_UP1", "ВВЕРХ", ButtonKind::Push);
    CONT_STOP1 = button("CONT_STOP1", "СТОП", ButtonKind::Push);
    CONT_DOWN1 = button("CONT_DOWN1", "ВНИЗ", ButtonKind::Push);
    CONT_ON1 = button("CONT_ON1", "ON ", ButtonKind::Toggle);
    OUTPUD1 = button("OUTPUD1", "", ButtonKind::Toggle);
    OUTPUD1->hide();
    MegaButton8 = button("MegaButton8", "ОК", ButtonKind::Push, 80);
    MegaButton52 = button("MegaButton52", "ОК", ButtonKind::Push, 80);
    PressHold = button("PressHold", "ВЫДЕРЖКА", ButtonKind::Push, 160);
    PressHold->setToolTip(QString::fromUtf8("Настройки выдержки"));
    MaskEdit1 = NumberEdit(PUDIK_PRESS, "MaskEdit1", "0,0");
    MaskEdit2 = NumberEdit(PUDIK_PRESS, "MaskEdit2", "0,0");
    SPEED_PUD1 = console::MakeLabel(PUDIK_PRESS, "SPEED_PUD1", "0,00 мм/мин", 20);
    SPEED_PUD1->setStyleSheet("background: black; color: yellow; padding: 4px;");
    SPEED_PUD1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PressMessage = console::MakeLabel(PUDIK_PRESS, "PressMessage", "", 15);
    PressMessage->setWordWrap(true);
    SetTextColour(PressMessage, QColor(255, 120, 120));

    grid->addWidget(console::MakeLabel(PUDIK_PRESS, "", "Траверса", 15), 0, 0);
    grid->addWidget(CONT_UP1, 0, 1);
    grid->addWidget(CONT_STOP1, 0, 2);
    grid->addWidget(CONT_DOWN1, 0, 3);
    grid->addWidget(console::MakeLabel(PUDIK_PRESS, "", "Насос", 15), 1, 0);
    grid->addWidget(CONT_ON1, 1, 1);
    grid->addWidget(SPEED_PUD1, 1, 2, 1, 2);
    QLabel* setF = console::MakeLabel(PUDIK_PRESS, "", "Уставка F", 15);
    grid->addWidget(setF, 2, 0);
    grid->addWidget(MaskEdit1, 2, 1, 1, 2);
    grid->addWidget(MegaButton8, 2, 3);
    // The displacement set-point is kept but not offered.
    QLabel* setL = console::MakeLabel(PUDIK_PRESS, "", "Уставка L", 15);
    grid->addWidget(setL, 3, 0);
    grid->addWidget(MaskEdit2, 3, 1, 1, 2);
    grid->addWidget(MegaButton52, 3, 3);
    for (QWidget* w : {static_cast<QWidget*>(setL), static_cast<QWidget*>(MaskEdit2),
                       static_cast<QWidget*>(MegaButton52)})
        w->hide();
    grid->addWidget(PressHold, 4, 1, 1, 2);
    column->addLayout(grid);
    column->addWidget(PressMessage);
    column->addStretch(1);

    Sends(CONT_UP1, this, 19);
    Sends(CONT_DOWN1, this, 20);
    Sends(CONT_STOP1, this, 21);
    Toggles(CONT_ON1, this, 17, 18);
    MegaButton8->OnClick = [this](TMegaButton*) { ApplyPressSetPoint(MaskEdit1, 4); };
    MegaButton52->OnClick = [this](TMegaButton*) { ApplyPressSetPoint(MaskEdit2, 5); };
    connect(MaskEdit1, &QLineEdit::returnPressed, this,
            [this] { ApplyPressSetPoint(MaskEdit1, 4); });
    connect(MaskEdit2, &QLineEdit::returnPressed, this,
            [this] { ApplyPressSetPoint(MaskEdit2, 5); });
    PressHold->OnClick = [this](TMegaButton*) { HoldPanelClick(); };
    OUTPUD1->OnClick = [this](TMegaButton*) { OUTPUD1Click(); };
    MegaButton70->OnClick = [this](TMegaButton*) { CloseManualPanels(); };
}

void TFBase::ManualPanelClick() {
    PUDIK->move(kManualLeft, kManualTop);
    PUDIK_PRESS->move(kManualLeft, kManualTop);
    if (!work_) return;
    // The zone the unit works in decides the panel, so the button never
    // stays dead for a method that leaves the zone to the operator.
    QFrame* panel = nullptr;
    double setPoint = 0.0;
    if (work_->testZone == 0) {
        panel = PUDIK;
        setPoint = work_->Channel(1).setPoint;
    } else if (work_->testZone == 3) {
        // Shown as typed and as the readout shows it: the unit's sign is the link's.
        panel = PUDIK_PRESS;
        setPoint = work_->Channel(4).setPoint;
    }
    if (panel == nullptr) return;
    MaskEdit1->setText(QString::fromStdString(platform::FormatFloat("0.0", setPoint)));
    PressMessage->clear();
    if (panel->isHidden()) {
        OpenPanel(panel);
    } else {
        panel->hide();
    }
}

bool TFBase::JogLocked() const {
    return console::JogLocked(upperGripClosed_, lowerGripClosed_);
}

void TFBase::CrossheadInterlock(bool fromLowerGrip) {
    const bool locked = JogLocked();
    if (locked && fromLowerGrip) Command(21);
    // The output buttons keep what they disabled.
    SetButtonEnabled(CONT_UP, !locked && !OUTPUD->Down);
    SetButtonEnabled(CONT_DOWN, !locked && !OUTPUD->Down);
    SetButtonEnabled(CONT_UP1, !locked && !OUTPUD1->Down);
    SetButtonEnabled(CONT_DOWN1, !locked && !OUTPUD1->Down);
}

void TFBase::OUTPUDClick() {
    TMegaButton* six[] = {GRIP_UP, GRIP_DOWN, CONT_UP, CONT_STOP, CONT_DOWN, CONT_ON};
    if (OUTPUD->Down) {
        Command(21);
        SetButtonDown(GRIP_UP, false);
        SetButtonDown(GRIP_DOWN, false);
    }
    for (TMegaButton* b : six)
        SetButtonEnabled(b, !OUTPUD->Down);
    // Enabled again, the jog buttons still obey the grips.
    if (!OUTPUD->Down) CrossheadInterlock(false);
}

void TFBase::OUTPUD1Click() {
    if (OUTPUD1->Down) Command(21);
    for (TMegaButton* b : {CONT_UP1, CONT_STOP1, CONT_DOWN1, CONT_ON1})
        SetButtonEnabled(b, !OUTPUD1->Down);
    if (!OUTPUD1->Down) CrossheadInterlock(false);
}

void TFBase::CloseManualPanels() {
    PUDIK->hide();
    PUDIK_PRESS->hide();
    Command(21);
    // The zoom panel goes with its flag, and the keyboard with them.
    CloseZoomPanel();
    HideVirtualKeyboard();
    if (work_) {
        for (int group : {1, 0, 2})
            work_->Methods().RefreshList(group);
    }
    ReloadLists();
}

void TFBase::ApplyPressSetPoint(QLineEdit* edit, int channel) {
    // A field the operator cannot see never writes its channel.
    if (!work_ || !edit->isVisible()) return;
    C_Kanal& k = work_->Channel(channel);
    // A set-point from 0 to the channel's range, as the numeric entry takes it.
    const console::entry::Checked typed = console::entry::CheckEntry(
        edit->text().toStdString(),
        console::entry::LimitsOf(console::entry::Field::SetPoint, k.fullScale, k.speedLimit));
    if (!typed.value) {
        PressMessage->setText(QString::fromStdString(typed.refusal));
        return;
    }
    const std::string refusal = ApplySetPoint(channel, *typed.value);
    PressMessage->setText(QString::fromStdString(refusal));
    if (refusal.empty())
        edit->setText(QString::fromStdString(platform::FormatFloat("0.0", *typed.value)));
}

std::string TFBase::SendToUnit(int channel, int code) {
    C_Connect* unit = work_ && work_->Connected() ? work_->Unit() : nullptr;
    if (unit == nullptr) return "НЕТ СВЯЗИ С УСТРОЙСТВОМ";
    if (!unit->Answering()) return "УСТРОЙСТВО НЕ ОТВЕЧАЕТ";
    work_->DeviceCmd(channel, code);
    if (!unit->Answering()) return "УСТРОЙСТВО НЕ ОТВЕТИЛО";
    return "";
}

std::string TFBase::ApplySetPoint(int channel, double typed) {
    // Kept as typed on every path (the readouts show it so); the unit's
    // sign for the zone is given where the set-points are written to it.
    C_Kanal& k = work_->Channel(channel);
    const double before = k.setPoint;
    k.setPoint = typed;
    const std::string refusal = SendToUnit(channel - 1, unit_code::kZoneSetpoints);
    // What the unit did not take is not shown as set.
    if (!refusal.empty()) k.setPoint = before;
    return refusal;
}

void TFBase::ShowManualRates() {
    if (!work_) return;
    const double rate = work_->Channel(2).rate;
    const std::pair<QLabel*, double> readouts[] = {{SPEED_PUD, rate}, {SPEED_PUD1, -rate}};
    for (const auto& [label, value] : readouts) {
        const QString text =
            QString::fromStdString(platform::FormatFloat("0.00", value) + " мм/мин");
        if (label->text() != text) label->setText(text);
    }
}

// ----- hydraulic station

void TFBase::BuildStationPanel() {
    PanelIZNOS = console::MakeBarePanel(this, "PanelIZNOS", 900, 150);
    auto* column = new QVBoxLayout(PanelIZNOS);
    column->setContentsMargins(6, 6, 6, 6);
    auto* title = new StationTitle(PanelIZNOS, [this] { PanelIZNOS->hide(); });
    TEMPT = title;
    TEMPT->setObjectName("TEMPT");
    TEMPT->setAccessibleName(QString::fromUtf8(kStationTitle));
    TEMPT->setFixedHeight(36);
    auto* captions = new QHBoxLayout(TEMPT);
    captions->setContentsMargins(0, 0, 0, 0);
    auto* values = new QHBoxLayout;
    // The title's five captions stand over the five fields.
    const std::string all = kStationTitle;
    size_t at = 0;
    while (at < all.size()) {
        const size_t end = all.find("  ", at);
        const std::string caption = all.substr(at, end == std::string::npos ? end : end - at);
        QLabel* l = Caption(TEMPT, caption, 15);
        l->setAlignment(Qt::AlignCenter);
        captions->addWidget(l, 1);
        at = all.find_first_not_of(' ', end == std::string::npos ? all.size() : end);
        if (at == std::string::npos) break;
    }
    TTEMP = StationValue(PanelIZNOS, "TTEMP");
    TTEMP1 = StationValue(PanelIZNOS, "TTEMP1");
    TMASLO = StationValue(PanelIZNOS, "TMASLO");
    TFILTR = StationValue(PanelIZNOS, "TFILTR");
    NORMA = StationValue(PanelIZNOS, "NORMA");
    for (QLabel* l : {TTEMP, TTEMP1, TMASLO, TFILTR, NORMA})
        values->addWidget(l, 1);
    // A close button a finger finds, as the other panels have; the captions
    // stay over their fields.
    IZNOS_EXIT = MakeButton(PanelIZNOS, "IZNOS_EXIT", "X", ButtonKind::Push, 56, 44);
    IZNOS_EXIT->setToolTip(QString::fromUtf8("Закрыть"));
    IZNOS_EXIT->OnClick = [this](TMegaButton*) { PanelIZNOS->hide(); };
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(TEMPT, 0, 0, Qt::AlignVCenter);
    grid->addWidget(IZNOS_EXIT, 0, 1);
    grid->addLayout(values, 1, 0);
    column->addLayout(grid);
}

void TFBase::StationPanelClick() {
    if (PanelIZNOS->isHidden()) {
        OpenPanel(PanelIZNOS);
    } else {
        PanelIZNOS->hide();
    }
    CentrePanel(PanelIZNOS);
    // Shown at once rather than after up to 10 s of empty fields.
    if (!PanelIZNOS->isHidden()) RefreshStation();
}

void TFBase::Timer3Timer() {
    if (!work_) return;
    C_Config& c = work_->Config();
    c.iWORK = console::RunningTimeAfterTick(c.iWORK, CONT_ON->Down);
    const float oil = !PanelIZNOS->isHidden()
                          ? RefreshStation()
                          : static_cast<float>(work_->ReadDevice(unit_value::kOilTemperature));
    if (console::OilTooHot(oil)) WarnOilTemperature();
}

float TFBase::RefreshStation() {
    if (!work_) return 0.0f;
    C_Work& w = *work_;
    NORMA->setText(QString::fromStdString(console::RunningHoursText(w.Config().iWORK)));
    w.ReadDevice(unit_value::kInputWord);
    // Without an answer the register image keeps the word as it last was.
    if (auto* unit = dynamic_cast<DEVICE_QUELM*>(w.Unit())) inputWord_ = unit->GetInputWord();
    ShowField(TMASLO, console::OilLevelField(console::InputBit(inputWord_, w.Config().iLevel)));
    ShowField(TFILTR, console::FilterField(console::InputBit(inputWord_, w.Config().iFiltr)));
    TTEMP->setText(QString::fromStdString(
        console::TemperatureText(w.ReadDevice(unit_value::kAmbientTemperature))));
    const auto oil = static_cast<float>(w.ReadDevice(unit_value::kOilTemperature));
    SetTextColour(TTEMP1, console::OilTooHot(oil) ? kBad : kGood);
    TTEMP1->setText(QString::fromStdString(console::TemperatureText(oil)));
    return oil;
}

void TFBase::WarnOilTemperature() {
    // One copy, and never over another message or a question the operator
    // has not answered yet: a later tick tells. While a test runs the
    // message panel keeps the stop button in reach.
    if (!Messager->isHidden()) return;
    ShowMes(kOilWarning, 1, 0);
}

// ----- hold panel

void TFBase::BuildHoldPanel() {
    Panel19 = console::MakeBarePanel(this, "Panel19", 470, 430);
    auto* column = new QVBoxLayout(Panel19);
    column->setContentsMargins(8, 6, 8, 8);
    auto* top = new QHBoxLayout;
    top->addWidget(console::MakeLabel(Panel19, "", "Настройки выдержки", 20), 1);
    MegaButton59 = MakeButton(Panel19, "MegaButton59", "X", ButtonKind::Push, 56, 44);
    MegaButton59->setToolTip(QString::fromUtf8("Закрыть"));
    top->addWidget(MegaButton59);
    column->addLayout(top);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(6);
    MaskEdit7 = NumberEdit(Panel19, "MaskEdit7", "20");
    MaskEdit3 = NumberEdit(Panel19, "MaskEdit3", "100");
    MaskEdit4 = NumberEdit(Panel19, "MaskEdit4", "1");
    MaskEdit5 = NumberEdit(Panel19, "MaskEdit5", "15");
    MaskEdit6 = NumberEdit(Panel19, "MaskEdit6", "1");
    const std::pair<const char*, QLineEdit*> rows[] = {{"Скорость, кН/c", MaskEdit7},
                                                       {"Макс. порог, кН", MaskEdit3},
                                                       {"Мин. порог, кН", MaskEdit4},
                                                       {"Выдержка, сек", MaskEdit5},
                                                       {"Кол-во повторений", MaskEdit6}};
    int r = 0;
    for (const auto& [caption, edit] : rows) {
        grid->addWidget(console::MakeLabel(Panel19, "", caption, 17), r, 0);
        grid->addWidget(edit, r, 1);
        ++r;
    }
    column->addLayout(grid);
    HoldMessage = console::MakeLabel(Panel19, "HoldMessage", "", 15);
    HoldMessage->setWordWrap(true);
    SetTextColour(HoldMessage, QColor(255, 120, 120));
    column->addWidget(HoldMessage);
    MegaButton60 = MakeButton(Panel19, "MegaButton60", "ПРИМЕНИТЬ", ButtonKind::Push, 200, 56);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(MegaButton60);
    bottom->addStretch(1);
    column->addLayout(bottom);

    MegaButton59->OnClick = [this](TMegaButton*) {
        Panel19->hide();
        HideVirtualKeyboard();
    };
    MegaButton60->OnClick = [this](TMegaButton*) { ApplyHoldProgram(); };
}

void TFBase::HoldPanelClick() {
    if (!Panel19->isHidden()) {
        Panel19->hide();
        return;
    }
    OpenPanel(Panel19);
    HoldMessage->clear();
    CentrePanel(Panel19);
}

void TFBase::ApplyHoldProgram() {
    if (!work_) return;
    const console::HoldFields fields{
        MaskEdit7->text().toStdString(), MaskEdit3->text().toStdString(),
        MaskEdit4->text().toStdString(), MaskEdit5->text().toStdString(),
        MaskEdit6->text().toStdString()};
    // The force channel of the zone the unit works in.
    const double maximum = work_->Channel(work_->testZone == 3 ? 4 : 1).fullScale;
    const console::HoldCheck checked = console::CheckHoldProgram(fields, maximum);
    if (!checked.program) {
        HoldMessage->setText(QString::fromStdString(checked.refusal));
        return;
    }
    // The block lives in the unit: an unconnected one gets nothing, and says so.
    auto* target = work_->Connected() ? dynamic_cast<CycleProgramTarget*>(work_->Unit()) : nullptr;
    if (target == nullptr) {
        HoldMessage->setText(QString::fromUtf8("НЕТ СВЯЗИ С УСТРОЙСТВОМ"));
        return;
    }
    if (!work_->Unit()->Answering()) {
        HoldMessage->setText(QString::fromUtf8("УСТРОЙСТВО НЕ ОТВЕЧАЕТ"));
        return;
    }
    const console::HoldProgram& p = *checked.program;
    target->SetCycleProgramBlock(p.speed, p.upper, p.lower, p.hold, p.repetitions, 1, 1);
    HoldMessage->setText(QString::fromStdString(SendToUnit(0, unit_code::kSendCycleProgram)));
}

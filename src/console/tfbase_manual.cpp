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

#include "console/compression_panel.h"
#include "console/look.h"
#include "console/manual_look.h"
#include "console/manual_rules.h"
#include "console/panel_entry.h"
#include "console/paramlist.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/c_connect.h"
#include "link/cycleprogramtarget.h"
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"

using console::ButtonKind;
using console::Caption;
using console::MakeButton;
using console::NumberEdit;
using console::Sends;
using console::SetButtonDown;
using console::SetButtonEnabled;
using console::SetTextColour;
using console::ShowField;
using console::StationTitle;
using console::StationValue;
using console::TitleBar;
using console::Toggles;

namespace {

constexpr const char* kOilWarning = "ВНИМАНИЕ!!! Превышен допустимый предел температуры масла!";
constexpr const char* kStationTitle =
    "Темп-ра окр.сред.       Темп-ра масла         Уровень масла      Состояние фильтра         "
    "Наработка";
// Where the manual panels open.
constexpr int kManualLeft = 400;
constexpr int kManualTop = 300;
}  // namespace

void TFBase::BuildManualPanels() {
    tensionPanel_ = new console::TensionManualPanel(this);
    compressionPanel_ = new console::CompressionManualPanel(this);
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
    MegaButton61->OnClick = [this](TMegaButton*) { HoldPanelClick(); };
    // Numbers are typed on the on-screen keyboard.
    for (QLineEdit* e : {MaskEdit3, MaskEdit4, MaskEdit5, MaskEdit6, MaskEdit7})
        new console::TapIntoField(e, [this] { ShowVirtualKeyboard(); });

    using console::CompressionManualPanel;
    using console::TensionManualPanel;
    connect(tensionPanel_, &TensionManualPanel::command, this, &TFBase::Command);
    connect(tensionPanel_, &TensionManualPanel::upperGripToggled, this, [this](bool close) {
        // The crosshead stops before the grip closes and after it opens.
        if (close) {
            Command(21);
            Command(12);
        } else {
            Command(13);
            Command(21);
        }
        CrossheadInterlock(false);
    });
    connect(tensionPanel_, &TensionManualPanel::lowerGripToggled, this, [this](bool close) {
        Command(close ? 15 : 16);
        CrossheadInterlock(true);
    });
    connect(tensionPanel_, &TensionManualPanel::outputToggled, this, &TFBase::OUTPUDClick);
    connect(tensionPanel_, &TensionManualPanel::closeRequested, this, &TFBase::CloseManualPanels);
    connect(compressionPanel_, &CompressionManualPanel::command, this, &TFBase::Command);
    connect(compressionPanel_, &CompressionManualPanel::setPointEntered, this,
            &TFBase::ApplyPressSetPoint);
    connect(compressionPanel_, &CompressionManualPanel::holdRequested, this,
            &TFBase::HoldPanelClick);
    connect(compressionPanel_, &CompressionManualPanel::outputToggled, this, &TFBase::OUTPUD1Click);
    connect(compressionPanel_, &CompressionManualPanel::closeRequested, this,
            &TFBase::CloseManualPanels);
    connect(compressionPanel_, &CompressionManualPanel::keyboardRequested, this,
            &TFBase::ShowVirtualKeyboard);
}

// ----- manual control panels

void TFBase::ManualPanelClick() {
    tensionPanel_->move(kManualLeft, kManualTop);
    compressionPanel_->move(kManualLeft, kManualTop);
    if (!work_) return;
    // The zone the unit works in decides the panel, so the button never
    // stays dead for a method that leaves the zone to the operator.
    QFrame* panel = nullptr;
    double setPoint = 0.0;
    if (work_->testZone == 0) {
        panel = tensionPanel_;
        setPoint = work_->Channel(1).setPoint;
    } else if (work_->testZone == 3) {
        // Shown as typed and as the readout shows it: the unit's sign is the link's.
        panel = compressionPanel_;
        setPoint = work_->Channel(4).setPoint;
    }
    if (panel == nullptr) return;
    compressionPanel_->ShowSetPoint(4, setPoint);
    compressionPanel_->ClearRefusal();
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
    tensionPanel_->EnableJog(!locked && !tensionPanel_->OutputLocked());
    compressionPanel_->EnableJog(!locked && !compressionPanel_->OutputLocked());
}

void TFBase::OUTPUDClick() {
    if (tensionPanel_->OutputLocked()) {
        Command(21);
        tensionPanel_->ReleaseGripToggles();
    }
    tensionPanel_->EnableControls(!tensionPanel_->OutputLocked());
    // Enabled again, the jog buttons still obey the grips.
    if (!tensionPanel_->OutputLocked()) CrossheadInterlock(false);
}

void TFBase::OUTPUD1Click() {
    if (compressionPanel_->OutputLocked()) Command(21);
    compressionPanel_->EnableControls(!compressionPanel_->OutputLocked());
    if (!compressionPanel_->OutputLocked()) CrossheadInterlock(false);
}

void TFBase::CloseManualPanels() {
    tensionPanel_->hide();
    compressionPanel_->hide();
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

void TFBase::ApplyPressSetPoint(int channel) {
    // A field the operator cannot see never writes its channel.
    if (!work_ || !compressionPanel_->SetPointOffered(channel)) return;
    C_Kanal& k = work_->Channel(channel);
    // A set-point from 0 to the channel's range, as the numeric entry takes it.
    const console::entry::Checked typed = console::entry::CheckEntry(
        compressionPanel_->SetPointText(channel),
        console::entry::LimitsOf(console::entry::Field::SetPoint, k.fullScale, k.speedLimit));
    if (!typed.value) {
        compressionPanel_->ShowRefusal(typed.refusal);
        return;
    }
    const std::string refusal = ApplySetPoint(channel, *typed.value);
    compressionPanel_->ShowRefusal(refusal);
    if (refusal.empty()) compressionPanel_->ShowSetPoint(channel, *typed.value);
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
    tensionPanel_->ShowRate(rate);
    compressionPanel_->ShowRate(-rate);
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
    c.iWORK = console::RunningTimeAfterTick(c.iWORK, tensionPanel_->PumpShownRunning());
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
    SetTextColour(TTEMP1,
                  console::OilTooHot(oil) ? console::StationLook::Bad : console::StationLook::Good);
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

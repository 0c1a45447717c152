// The window's side of working the machine by hand and watching its
// hydraulic station: it builds and wires the manual control, station and
// hold panels, keeps the crosshead interlock and the output locks, sends the
// set-points and the hold program, and runs the 10 s service tick Timer3.

#include <QFrame>
#include <QTimer>

#include "console/compression_panel.h"
#include "console/hold_panel.h"
#include "console/hydraulic_panel.h"
#include "console/manual_rules.h"
#include "console/message_panel.h"
#include "console/panel_entry.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_screen.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/c_connect.h"
#include "link/cycleprogramtarget.h"
#include "link/dev_quelm.h"

namespace {

constexpr const char* kOilWarning = "ВНИМАНИЕ!!! Превышен допустимый предел температуры масла!";
// Where the manual panels open.
constexpr int kManualLeft = 400;
constexpr int kManualTop = 300;

}  // namespace

void TFBase::BuildManualPanels() {
    tensionPanel_ = new console::TensionManualPanel(this);
    compressionPanel_ = new console::CompressionManualPanel(this);
    stationPanel_ = new console::HydraulicStationPanel(this);
    holdPanel_ = new console::HoldPanel(this);

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
    connect(holdPanel_, &console::HoldPanel::applyRequested, this, &TFBase::ApplyHoldProgram);
    connect(holdPanel_, &console::HoldPanel::closed, this, &TFBase::HideVirtualKeyboard);
    connect(holdPanel_, &console::HoldPanel::keyboardRequested, this, &TFBase::ShowVirtualKeyboard);
}

// ----- manual control panels

void TFBase::ManualPanelClick() {
    tensionPanel_->move(kManualLeft, kManualTop);
    compressionPanel_->move(kManualLeft, kManualTop);
    if (!Work()) return;
    // The zone the unit works in decides the panel, so the button never
    // stays dead for a method that leaves the zone to the operator.
    QFrame* panel = nullptr;
    double setPoint = 0.0;
    if (Work()->testZone == 0) {
        panel = tensionPanel_;
        setPoint = Work()->Channel(1).setPoint;
    } else if (Work()->testZone == 3) {
        // Shown as typed and as the readout shows it: the unit's sign is the link's.
        panel = compressionPanel_;
        setPoint = Work()->Channel(4).setPoint;
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

// The station's jog lock on the jog buttons.
void TFBase::ShowJogLock(bool locked) {
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
    if (Work()) {
        for (int group : {1, 0, 2})
            Work()->Methods().RefreshList(group);
    }
    setupScreen_->ReloadLists();
}

void TFBase::ApplyPressSetPoint(int channel) {
    // A field the operator cannot see never writes its channel.
    if (!Work() || !compressionPanel_->SetPointOffered(channel)) return;
    C_Kanal& k = Work()->Channel(channel);
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
    C_Connect* unit = Work() && Work()->Connected() ? Work()->Unit() : nullptr;
    if (unit == nullptr) return "НЕТ СВЯЗИ С УСТРОЙСТВОМ";
    if (!unit->Answering()) return "УСТРОЙСТВО НЕ ОТВЕЧАЕТ";
    Work()->DeviceCmd(channel, code);
    if (!unit->Answering()) return "УСТРОЙСТВО НЕ ОТВЕТИЛО";
    return "";
}

std::string TFBase::ApplySetPoint(int channel, double typed) {
    // Kept as typed on every path (the readouts show it so); the unit's
    // sign for the zone is given where the set-points are written to it.
    C_Kanal& k = Work()->Channel(channel);
    const double before = k.setPoint;
    k.setPoint = typed;
    const std::string refusal = SendToUnit(channel - 1, unit_code::kZoneSetpoints);
    // What the unit did not take is not shown as set.
    if (!refusal.empty()) k.setPoint = before;
    return refusal;
}

void TFBase::ShowManualRates() {
    if (!Work()) return;
    const double rate = Work()->Channel(2).rate;
    tensionPanel_->ShowRate(rate);
    compressionPanel_->ShowRate(-rate);
}

// ----- hydraulic station

void TFBase::StationPanelClick() {
    if (stationPanel_->isHidden()) {
        OpenPanel(stationPanel_);
    } else {
        stationPanel_->hide();
    }
    CentrePanel(stationPanel_);
    // Shown at once rather than after up to 10 s of empty fields.
    if (!stationPanel_->isHidden()) RefreshStation();
}

void TFBase::Timer3Timer() {
    if (!Work()) return;
    C_Config& c = Work()->Config();
    // The pump as the station last heard it: its button, a code or the unit.
    c.iWORK = console::RunningTimeAfterTick(c.iWORK, station_->PumpRunning());
    const float oil = !stationPanel_->isHidden()
                          ? RefreshStation()
                          : static_cast<float>(Work()->ReadDevice(unit_value::kOilTemperature));
    if (console::OilTooHot(oil)) WarnOilTemperature();
}

float TFBase::RefreshStation() {
    if (!Work()) return 0.0f;
    C_Work& w = *Work();
    stationPanel_->ShowRunningHours(console::RunningHoursText(w.Config().iWORK));
    w.ReadDevice(unit_value::kInputWord);
    // Without an answer the register image keeps the word as it last was.
    if (auto* unit = dynamic_cast<DEVICE_QUELM*>(w.Unit())) inputWord_ = unit->GetInputWord();
    stationPanel_->ShowOilLevel(
        console::OilLevelField(console::InputBit(inputWord_, w.Config().iLevel)));
    stationPanel_->ShowFilter(
        console::FilterField(console::InputBit(inputWord_, w.Config().iFiltr)));
    stationPanel_->ShowAmbient(
        console::TemperatureText(w.ReadDevice(unit_value::kAmbientTemperature)));
    const auto oil = static_cast<float>(w.ReadDevice(unit_value::kOilTemperature));
    stationPanel_->ShowOil(console::TemperatureText(oil), console::OilTooHot(oil));
    return oil;
}

void TFBase::WarnOilTemperature() {
    // One copy, and never over another message or a question the operator
    // has not answered yet: a later tick tells. While a test runs the
    // message panel keeps the stop button in reach.
    if (!messagePanel_->isHidden()) return;
    ShowMes(kOilWarning, 1, 0);
}

// ----- hold panel

void TFBase::HoldPanelClick() {
    if (!holdPanel_->isHidden()) {
        holdPanel_->hide();
        return;
    }
    OpenPanel(holdPanel_);
    holdPanel_->ClearRefusal();
    CentrePanel(holdPanel_);
}

void TFBase::ApplyHoldProgram() {
    if (!Work()) return;
    const console::HoldFields fields = holdPanel_->Fields();
    // The force channel of the zone the unit works in.
    const double maximum = Work()->Channel(Work()->testZone == 3 ? 4 : 1).fullScale;
    const console::HoldCheck checked = console::CheckHoldProgram(fields, maximum);
    if (!checked.program) {
        holdPanel_->ShowRefusal(checked.refusal);
        return;
    }
    // The block lives in the unit: an unconnected one gets nothing, and says so.
    auto* target =
        Work()->Connected() ? dynamic_cast<CycleProgramTarget*>(Work()->Unit()) : nullptr;
    if (target == nullptr) {
        holdPanel_->ShowRefusal("НЕТ СВЯЗИ С УСТРОЙСТВОМ");
        return;
    }
    if (!Work()->Unit()->Answering()) {
        holdPanel_->ShowRefusal("УСТРОЙСТВО НЕ ОТВЕЧАЕТ");
        return;
    }
    const console::HoldProgram& p = *checked.program;
    target->SetCycleProgramBlock(p.speed, p.upper, p.lower, p.hold, p.repetitions, 1, 1);
    holdPanel_->ShowRefusal(SendToUnit(0, unit_code::kSendCycleProgram));
}

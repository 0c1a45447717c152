// Manual control and the hydraulic station without their panels: the
// set-points, the output lock, the hold program and the service tick.

#include "station/station_manual.h"

#include <QTimer>

#include "engine/cwork.h"
#include "link/c_connect.h"
#include "link/cycleprogramtarget.h"
#include "link/dev_quelm.h"
#include "station/station_controller.h"

namespace station {

namespace {

constexpr const char* kOilWarning = "ВНИМАНИЕ!!! Превышен допустимый предел температуры масла!";

}  // namespace

ManualControl::ManualControl(StationController& station) : QObject(&station), station_(station) {
    setObjectName("ManualControl");
    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");
    Timer3->setInterval(kServiceTickMs);
    connect(Timer3, &QTimer::timeout, this, &ManualControl::Timer3Timer);
}

C_Work* ManualControl::Work() const {
    return station_.Work();
}

// ----- set-points

std::string ManualControl::UnitRefusal() const {
    C_Connect* unit = Work() && Work()->Connected() ? Work()->Unit() : nullptr;
    if (unit == nullptr) return kNoUnit;
    if (!unit->Answering()) return "УСТРОЙСТВО НЕ ОТВЕЧАЕТ";
    return "";
}

std::string ManualControl::SendToUnit(int channel, int code) {
    if (std::string refusal = UnitRefusal(); !refusal.empty()) return refusal;
    Work()->DeviceCmd(channel, code);
    if (!Work()->Unit()->Answering()) return "УСТРОЙСТВО НЕ ОТВЕТИЛО";
    return "";
}

std::string ManualControl::ApplySetPoint(int channel, double typed) {
    if (!Work()) return kNoUnit;
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

const C_Kanal* ManualControl::Channel(int channel) const {
    return Work() ? &Work()->Channel(channel) : nullptr;
}

// ----- manual panels

std::optional<ManualPanelChoice> ManualControl::PanelForZone() const {
    if (!Work()) return std::nullopt;
    // The zone the unit works in decides the panel, so the button never
    // stays dead for a method that leaves the zone to the operator.
    if (Work()->testZone == 0) return ManualPanelChoice{0, Work()->Channel(1).setPoint};
    // Shown as typed and as the readout shows it: the unit's sign is the link's.
    if (Work()->testZone == 3) return ManualPanelChoice{3, Work()->Channel(4).setPoint};
    return std::nullopt;
}

void ManualControl::GripToggled(bool upper, bool close) {
    if (!upper) {
        station_.Command(close ? 15 : 16);
        station_.CrossheadInterlock(true);
        return;
    }
    // The crosshead stops before the grip closes and after it opens.
    if (close) {
        station_.Command(21);
        station_.Command(12);
    } else {
        station_.Command(13);
        station_.Command(21);
    }
    station_.CrossheadInterlock(false);
}

void ManualControl::OutputToggled(int zone, bool locked) {
    if (locked) station_.Command(21);
    emit outputLockShown(zone, locked);
    // Enabled again, the jog buttons still obey the grips.
    if (!locked) station_.CrossheadInterlock(false);
}

void ManualControl::ReleaseOutputs() {
    OutputToggled(0, false);
    OutputToggled(3, false);
}

void ManualControl::CloseManualPanels() {
    HidePanels();
    station_.Command(21);
    emit entryClosed();
    station_.RefreshInputLists();
}

void ManualControl::ShowRates() {
    if (!Work()) return;
    const double rate = Work()->Channel(2).rate;
    emit ratesShown(rate, -rate);
}

// ----- hydraulic station

void ManualControl::StartServiceTick() {
    Timer3->start();
}

void ManualControl::StopServiceTick() {
    Timer3->stop();
}

void ManualControl::Timer3Timer() {
    if (!Work()) return;
    C_Config& c = Work()->Config();
    // The pump as the station last heard it: its button, a code or the unit.
    c.iWORK = RunningTimeAfterTick(c.iWORK, station_.PumpRunning());
    const float oil = stationShown_
                          ? RefreshStation()
                          : static_cast<float>(Work()->ReadDevice(unit_value::kOilTemperature));
    if (OilTooHot(oil)) WarnOilTemperature();
}

float ManualControl::RefreshStation() {
    if (!Work()) return 0.0f;
    C_Work& w = *Work();
    StationReadings r;
    r.runningHours = RunningHoursText(w.Config().iWORK);
    w.ReadDevice(unit_value::kInputWord);
    // Without an answer the register image keeps the word as it last was.
    if (auto* unit = dynamic_cast<DEVICE_QUELM*>(w.Unit())) inputWord_ = unit->GetInputWord();
    r.oilLevel = OilLevelField(InputBit(inputWord_, w.Config().iLevel));
    r.filter = FilterField(InputBit(inputWord_, w.Config().iFiltr));
    r.ambient = TemperatureText(w.ReadDevice(unit_value::kAmbientTemperature));
    const auto oil = static_cast<float>(w.ReadDevice(unit_value::kOilTemperature));
    r.oil = TemperatureText(oil);
    r.oilTooHot = OilTooHot(oil);
    emit stationRead(r);
    return oil;
}

void ManualControl::WarnOilTemperature() {
    // One copy, and never over another message or a question the operator
    // has not answered yet: a later tick tells. While a test runs the
    // message panel keeps the stop button in reach.
    if (station_.MessageShown()) return;
    station_.ShowMes(kOilWarning, 1, 0);
}

// ----- hold program

void ManualControl::ApplyHoldProgram(const HoldFields& fields) {
    if (!Work()) return;
    // The force channel of the zone the unit works in.
    const double maximum = Work()->Channel(Work()->testZone == 3 ? 4 : 1).fullScale;
    const HoldCheck checked = CheckHoldProgram(fields, maximum);
    if (!checked.program) {
        emit holdProgramAnswered(QString::fromStdString(checked.refusal));
        return;
    }
    // The block lives in the unit: an unconnected one gets nothing, and says so.
    auto* target =
        Work()->Connected() ? dynamic_cast<CycleProgramTarget*>(Work()->Unit()) : nullptr;
    const std::string refusal = target == nullptr ? kNoUnit : UnitRefusal();
    if (!refusal.empty()) {
        emit holdProgramAnswered(QString::fromStdString(refusal));
        return;
    }
    const HoldProgram& p = *checked.program;
    target->SetCycleProgramBlock(p.speed, p.upper, p.lower, p.hold, p.repetitions, 1, 1);
    emit holdProgramAnswered(QString::fromStdString(SendToUnit(0, unit_code::kSendCycleProgram)));
}

}  // namespace station

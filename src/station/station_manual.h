#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "station/manual_rules.h"

class C_Kanal;
class C_Work;
class QTimer;

namespace station {

class StationController;

// What the operator reads when a value cannot reach the unit.
inline constexpr const char* kNoUnit = "НЕТ СВЯЗИ С УСТРОЙСТВОМ";

// What the hydraulic station panel shows after one reading of the unit.
struct StationReadings {
    std::string runningHours;
    StationField oilLevel, filter;
    std::string ambient, oil;
    bool oilTooHot = false;
};

// The manual panel the zone the unit works in opens (0 tension, 3
// compression) and the force set-point it shows.
struct ManualPanelChoice {
    int zone = 0;
    double setPoint = 0.0;
};

// Working the machine by hand and watching its hydraulic station: the typed
// set-points and what reaches the unit, the zone outputs' lock, the hold
// program, and the 10 s service tick Timer3 with the running hours and the
// oil check. What the panels show leaves as signals.
class ManualControl final : public QObject {
    Q_OBJECT

public:
    explicit ManualControl(StationController& station);

    // ----- set-points
    // The one way a typed set-point reaches a channel and the unit: stored
    // as typed, sent with its zone's set-points. Why it did not go, or "".
    std::string ApplySetPoint(int channel, double typed);
    // Sends a SetValue code; why the unit did not take it, or "".
    std::string SendToUnit(int channel, int code);
    // The channel a set-point is typed for (1 ... 5); null without an engine.
    const C_Kanal* Channel(int channel) const;

    // ----- manual panels
    // A grip's toggle on the tension panel: close (down) or open.
    void GripToggled(bool upper, bool close);
    // None without an engine, or in a zone no panel serves.
    std::optional<ManualPanelChoice> PanelForZone() const;
    // A zone's output button (0 tension, 3 compression): locked, the
    // crosshead stops; freed, the jog obeys the grips again.
    void OutputToggled(int zone, bool locked);
    // The tension zone frees both zones' outputs.
    void ReleaseOutputs();
    // The manual panels closed: the crosshead stops and the lists show what
    // was done by hand.
    void CloseManualPanels();
    void HidePanels() { emit panelsHidden(); }
    // The crosshead's rate for both panels (compression shows it negated).
    void ShowRates();

    // ----- hydraulic station
    // The service tick, callable by tests.
    void Timer3Timer();
    void StartServiceTick();
    void StopServiceTick();
    // The station panel shown or hidden: a shown panel is read in full.
    void SetStationShown(bool shown) { stationShown_ = shown; }
    // Reads the station for its panel; the oil temperature.
    float RefreshStation();

    // ----- hold program
    void ApplyHoldProgram(const HoldFields& fields);

signals:
    void outputLockShown(int zone, bool locked);
    void panelsHidden();
    // After the crosshead stopped: the zoom panel and the keyboard go.
    void entryClosed();
    void ratesShown(double tension, double compression);
    void stationRead(const station::StationReadings& readings);
    // Why the hold program did not go; "" when it went.
    void holdProgramAnswered(const QString& refusal);

private:
    C_Work* Work() const;
    // Why nothing can be sent now; "" when the unit is there and answering.
    std::string UnitRefusal() const;
    void WarnOilTemperature();

    StationController& station_;
    QTimer* Timer3 = nullptr;
    bool stationShown_ = false;
    // The unit's input word as last read (oil level and filter bits).
    std::uint16_t inputWord_ = 0;
};

}  // namespace station

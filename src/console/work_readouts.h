#pragma once

#include <QFrame>

#include <string>

#include "console/panel_entry.h"

class C_Work;
class QStackedWidget;
class TMegaButton;
class TMegaDatchik;

namespace console {

// The work screen's readouts: the zeroing buttons, the current values and
// the set-points with their protections, the time, the bend angle and the
// cycles.
class WorkReadouts final : public QFrame {
    Q_OBJECT

public:
    explicit WorkReadouts(QWidget* parent = nullptr);

    // The readouts read the engine's channels from now on.
    void Bind(C_Work& work);
    // The value rows of the three channels, bound to their colours and units.
    void BindChannels(C_Work& work);
    // Timer1's part: the time and every readout's rows.
    void Refresh(const std::string& time);
    void ShowZeroPanel();
    // A zeroing button (channel 1 ... 3) as codes 22-27 show it.
    void ShowZeroing(int channel, bool on);
    // The unit's zero hold is off (a new test).
    void ReleaseZeroHold();
    void SetChannelNames(const std::string& f, const std::string& l, const std::string& e);
    // Channel 1 ... 3: its zeroing button, its value and its limits; the
    // limits of force and crosshead show in the tension zone only.
    void ShowChannelInUse(int channel, bool used, bool compression);
    void ShowLengthZeroing(bool shown);
    void ShowExtensometer(bool on);
    // The tension zone's set-points, or the compression zone's.
    void ShowZoneLimits(bool tension);
    void ShowCycles(bool shown);
    void ShowCyclesDone(double done);
    void ShowBendAngle(double angle, double peak);
    // After the redraw that decided it: a readout shown or hidden lays the
    // screen out again.
    void ShowBendReadout(bool visible);

signals:
    void command(int code);
    // The unit's zero-hold program on, or its stop.
    void zeroHoldToggled(bool on);
    // A tap on a row of a set-point readout.
    void limitClicked(console::entry::Readout which, int row, QWidget* readout);

private:
    void IndicMode(int page);

    QFrame* PanelZero = nullptr;
    TMegaButton *ZeroingF = nullptr, *ZeroingL = nullptr, *ZeroingE = nullptr;
    TMegaButton* ZEROAUTO = nullptr;
    TMegaButton *INDICMODE1 = nullptr, *INDICMODE2 = nullptr;
    QStackedWidget* INDICATORS = nullptr;
    TMegaDatchik *Datch = nullptr, *Datch1 = nullptr, *Datch2 = nullptr, *DatTime = nullptr;
    TMegaDatchik *Datchik3 = nullptr, *Datchik4 = nullptr;
    TMegaDatchik *DatchikUstav1 = nullptr, *DatchikUstav2 = nullptr, *DatchikUstav3 = nullptr;
    TMegaDatchik *MegaDatchik1 = nullptr, *MegaDatchik2 = nullptr;
};

}  // namespace console

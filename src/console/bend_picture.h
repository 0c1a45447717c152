#pragma once

#include <optional>
#include <vector>

#include "controls/bendgeometry.h"

class C_Parametr;

// What the bend picture decides, without the plot: what it reads from the
// method, the view that shows it at equal units, its dashed lines and when
// it asks for the stop.
namespace console {

// The picture's inputs from the current method: the set-up (fKOPOR + fDOP2,
// fDOP2, fDOP), the thickness by sample type (fB0 for 0 and 1, fD0 for 2
// and 3) and the crosshead travel. What the method lacks, or another sample
// type, keeps the value of `previous`.
bend::Inputs BendInputs(const C_Parametr& method, double travel, const bend::Inputs& previous);

// The target angle (fALF); 0, no stop, when the method has none.
double BendTarget(const C_Parametr& method);

// The view limits of the picture: x from -1 to the picture's width, y from
// -1 up as far as the plot area's shape allows at the same millimetres per
// pixel on both axes.
struct BendFrame {
    double lowerX = -1.0;
    double upperX = 1.0;
    double lowerY = -1.0;
    double upperY = 1.0;
};
BendFrame PictureFrame(double width, double plotWidth, double plotHeight);

// The dashes of a segment, `dash` long with `gap` between them (data units),
// the last one cut at the segment's end. A very long segment gets longer
// dashes rather than a flood of them; nothing for a segment not finite.
std::vector<bend::Segment> Dashes(const bend::Segment& s, double dash, double gap);

// The stop is asked for once per test: when a target is set, the angle has
// reached it, the test runs and no stop was asked for in this test yet.
bool BendStopDue(double angle, double target, bool running, bool alreadyAsked);

}  // namespace console

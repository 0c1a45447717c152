// The bend picture: during a bend test the work plot shows the bending
// device to scale, measures the bend angle from the drawn specimen, shows it
// on Datchik3 and asks for the stop at the method's target angle.

#include "console/bend_picture.h"

#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "model/parametr.h"

namespace console {

bend::Inputs BendInputs(const C_Parametr& method, double travel, const bend::Inputs& previous) {
    bend::Inputs in = previous;
    auto has = [&method](const char* name) { return method.IndexOf(name) >= 0; };
    if (has("fDOP2")) in.supportDiameter = method.GetFloat("fDOP2");
    // The supports stand a roll's diameter further apart than the gap between them.
    if (has("fKOPOR")) in.span = method.GetFloat("fKOPOR") + in.supportDiameter;
    if (has("fDOP")) in.mandrelDiameter = method.GetFloat("fDOP");
    const int type = has("iTO") ? method.GetInt("iTO") : -1;
    if ((type == 0 || type == 1) && has("fB0")) {
        in.thickness = method.GetFloat("fB0");
    } else if ((type == 2 || type == 3) && has("fD0")) {
        in.thickness = method.GetFloat("fD0");
    }
    in.travel = travel;
    return in;
}

double BendTarget(const C_Parametr& method) {
    return method.IndexOf("fALF") >= 0 ? method.GetFloat("fALF") : 0.0;
}

BendFrame PictureFrame(double width, double plotWidth, double plotHeight) {
    BendFrame f;
    f.upperX = std::isfinite(width) && width > f.lowerX + 1.0 ? width : f.lowerX + 1.0;
    const double ratio =
        plotWidth > 0.0 && plotHeight > 0.0 && std::isfinite(plotHeight / plotWidth)
            ? plotHeight / plotWidth
            : 1.0;
    f.upperY = f.lowerY + (f.upperX - f.lowerX) * ratio;
    return f;
}

std::vector<bend::Segment> Dashes(const bend::Segment& s, double dash, double gap) {
    // Enough for any arm across a screen at a few pixels a dash.
    constexpr double kMostDashes = 400.0;
    std::vector<bend::Segment> out;
    const double dx = s.x2 - s.x1;
    const double dy = s.y2 - s.y1;
    const double length = std::hypot(dx, dy);
    if (!std::isfinite(s.x1) || !std::isfinite(s.y1) || !std::isfinite(length) || length <= 0.0)
        return out;
    if (!(dash > 0.0) || !(gap >= 0.0) || !std::isfinite(dash + gap)) return {s};
    double period = dash + gap;
    if (length / period > kMostDashes) {
        const double stretch = length / period / kMostDashes;
        dash *= stretch;
        period *= stretch;
    }
    auto at = [&](double t, double& x, double& y) {
        x = s.x1 + dx * (t / length);
        y = s.y1 + dy * (t / length);
    };
    for (double t = 0.0; t < length; t += period) {
        bend::Segment piece;
        at(t, piece.x1, piece.y1);
        at(std::min(t + dash, length), piece.x2, piece.y2);
        out.push_back(piece);
    }
    return out;
}

bool BendStopDue(double angle, double target, bool running, bool alreadyAsked) {
    // The angle is never negative: a target of 0 or below (or none) stops nothing.
    return target > 0.0 && angle >= target && running && !alreadyAsked;
}

}  // namespace console

namespace {

constexpr std::uint32_t kSilver = 0xC0C0C0;
// Dashes of the specimen's faces, pixels.
constexpr double kDashPixels = 6.0;
constexpr double kGapPixels = 4.0;
// How far the posts and the mandrel holder reach beyond the picture, mm.
constexpr double kHolderReach = 200.0;

// A circle filled `fill`: lRect leaves its fill as the brush that lEllipse
// paints with, so an empty one at the centre, under the circle, sets it.
void FilledCircle(CGrafic& plot, const bend::Circle& c, std::uint32_t fill) {
    const std::uint32_t ground = plot.ColorGround;
    plot.ColorGround = fill;
    plot.lRect(fill, c.x, c.y, c.x, c.y);
    plot.ColorGround = ground;
    plot.lEllipse(fill, c.x, c.y, c.radius);
}

void DrawDevice(CGrafic& plot, const bend::Layout& layout) {
    const std::uint32_t pen = plot.ColorBorder;
    for (const bend::Circle& support : {layout.leftSupport, layout.rightSupport}) {
        plot.lRect(pen, support.x - support.radius, support.y, support.x + support.radius,
                   -kHolderReach);
    }
    for (const bend::Circle& support : {layout.leftSupport, layout.rightSupport})
        FilledCircle(plot, support, kSilver);
    const bend::Circle& m = layout.mandrel;
    plot.lRect(pen, m.x - m.radius, m.y, m.x + m.radius, m.y + kHolderReach);
    FilledCircle(plot, m, kSilver);
}

// The specimen's two arms, both faces, dashed. In the plot's frame colour:
// on the light plot white would not show.
void DrawArms(CGrafic& plot, const std::array<bend::Segment, 4>& arms) {
    const double perPixel = plot.view.spanX / std::max(plot.view.plotWidth, 1.0);
    for (const bend::Segment& arm : arms) {
        for (const bend::Segment& d :
             console::Dashes(arm, kDashPixels * perPixel, kGapPixels * perPixel))
            plot.lLine(plot.ColorBorder, d.x1, d.y1, d.x2, d.y2);
    }
}

}  // namespace

namespace console {

void WorkScreen::PlotOutBuffer(CGrafic* plot) {
    // Nothing before the engine exists.
    if (!work_ || plot == nullptr) return;
    C_Work& w = *work_;
    const C_Parametr* m = w.Methods().Current();
    if (m == nullptr || m->IndexOf("iVISUAL") < 0) {
        readouts_->ShowBendReadout(false);
        ReleaseBendView(*plot);
        return;
    }
    if (m->GetInt("iVISUAL") != 1) {
        ReleaseBendView(*plot);
        return;
    }

    const bend::Inputs previous{bendSpan_, bendSupport_, bendMandrel_, bendThickness_, 0.0};
    const bend::Inputs in = console::BendInputs(*m, w.Channel(2).value, previous);
    bendSpan_ = in.span;
    bendSupport_ = in.supportDiameter;
    bendMandrel_ = in.mandrelDiameter;
    bendThickness_ = in.thickness;
    const bend::Layout layout = bend::LayoutBend(in);

    HoldBendView(*plot, layout.width);
    DrawDevice(*plot, layout);
    if (layout.arms) DrawArms(*plot, *layout.arms);
    // Without the arms (overlapping circles) the angle stays as it was.
    if (layout.angle) bendAngle_ = *layout.angle;

    C_Kanal& angle = w.Channel(6);
    angle.Compute(bendAngle_);
    readouts_->ShowBendAngle(bendAngle_, angle.peak);
    readouts_->ShowBendReadout(true);

    // Asked once per test run: a protocol number may repeat, a run does not.
    const bool running = w.State() == C_Work::kRunning;
    const bool asked = bendStopTest_ == w.TestRun();
    if (console::BendStopDue(bendAngle_, console::BendTarget(*m), running, asked)) {
        bendStopTest_ = w.TestRun();
        // Handled after this redraw, as the stop button's code.
        emit bendStopDue();
    }
}

void WorkScreen::HoldBendView(CGrafic& plot, double width) {
    const console::BendFrame f =
        console::PictureFrame(width, plot.view.plotWidth, plot.view.plotHeight);
    const plot::View& v = plot.view;
    // The buffer's own ranges stay as recorded (the result plot and the saved
    // file use them): the picture sets the view and keeps autoscale off.
    if (!plot.autoscale && v.lowerX == f.lowerX && v.upperX == f.upperX && v.lowerY == f.lowerY &&
        v.upperY == f.upperY)
        return;
    plot.SetOrigin(false, f.lowerX, f.upperX, f.lowerY, f.upperY);
    plot.view.UpdateSpans();
    bendViewHeld_ = true;
    // This redraw's grid was laid out in the old view: draw again in the new one.
    QTimer::singleShot(0, &plot, [p = &plot] { p->DrawGrid(); });
}

void WorkScreen::ReleaseBendView(CGrafic& plot) {
    if (!bendViewHeld_) return;
    bendViewHeld_ = false;
    plot.autoscale = true;
    QTimer::singleShot(0, &plot, [p = &plot] { p->DrawGrid(); });
}

}  // namespace console

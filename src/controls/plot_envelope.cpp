#include "controls/plot_envelope.h"

#include <algorithm>
#include <cmath>

namespace plot {
namespace {

// Positions beyond this are only directions: the differences of two of them
// stay finite.
constexpr double kFar = 1e150;

}  // namespace

namespace {

enum Outside { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

int Outcode(const ClipRect& r, double x, double y) {
    int code = 0;
    if (x < r.left) {
        code |= kLeft;
    } else if (x > r.right) {
        code |= kRight;
    }
    if (y < r.top) {
        code |= kTop;
    } else if (y > r.bottom) {
        code |= kBottom;
    }
    return code;
}

// Where the line through (x, y) and (ox, oy) has `u` = edge, as the other
// coordinate; (x, y) is the end to move, u and v its coordinates across and
// along the edge.
double Cut(double edge, double u, double v, double ou, double ov) {
    const double slope = (ov - v) / (ou - u);
    return std::fabs(edge - u) <= std::fabs(edge - ou) ? v + (edge - u) * slope
                                                       : ov + (edge - ou) * slope;
}

}  // namespace

bool ClipSegment(const ClipRect& r, double& ax, double& ay, double& bx, double& by) {
    int ca = Outcode(r, ax, ay);
    int cb = Outcode(r, bx, by);
    // Each round puts one end on an edge; four are enough, the rest is
    // rounding.
    for (int round = 0; round < 8; ++round) {
        if ((ca | cb) == 0) return true;
        if ((ca & cb) != 0) return false;
        const bool moveA = ca != 0;
        double& x = moveA ? ax : bx;
        double& y = moveA ? ay : by;
        const double ox = moveA ? bx : ax;
        const double oy = moveA ? by : ay;
        const int code = moveA ? ca : cb;
        if (code & (kTop | kBottom)) {
            const double edge = (code & kTop) ? r.top : r.bottom;
            x = Cut(edge, y, x, oy, ox);
            y = edge;
        } else {
            const double edge = (code & kLeft) ? r.left : r.right;
            y = Cut(edge, x, y, ox, oy);
            x = edge;
        }
        (moveA ? ca : cb) = Outcode(r, x, y);
    }
    return false;
}

CurveTracer::CurveTracer(const ClipRect& clip, bool envelope, Path& out)
    : clip_(clip), envelope_(envelope), out_(out) {}

void CurveTracer::AddAny(double px, double py) {
    if (std::isnan(px) || std::isnan(py)) {
        Break();
        return;
    }
    px = std::clamp(px, -kFar, kFar);
    py = std::clamp(py, -kFar, kFar);
    // Truncated toward zero, kept inside the rectangle against rounding.
    auto pixel = [this](double x, double y) {
        return Pixel{static_cast<int>(std::clamp(x, clip_.left, clip_.right)),
                     static_cast<int>(std::clamp(y, clip_.top, clip_.bottom))};
    };
    if (!hasPrev_) {
        hasPrev_ = true;
        prevX_ = px;
        prevY_ = py;
        if (clip_.Contains(px, py)) Start(pixel(px, py));
        return;
    }
    double ax = prevX_;
    double ay = prevY_;
    prevX_ = px;
    prevY_ = py;
    if (open_ && clip_.Contains(px, py)) {  // an open polyline ends inside: all of it is in
        Feed(pixel(px, py));
        return;
    }
    const bool entering = !open_ || !clip_.Contains(ax, ay);
    double bx = px;
    double by = py;
    if (!ClipSegment(clip_, ax, ay, bx, by)) {
        open_ = false;
        return;
    }
    if (entering) Start(pixel(ax, ay));
    Feed(pixel(bx, by));
    if (!clip_.Contains(px, py)) open_ = false;  // left through an edge
}

void CurveTracer::Break() {
    FlushColumn();
    open_ = false;
    hasPrev_ = false;
}

void CurveTracer::Finish() {
    FlushColumn();
}

void CurveTracer::Start(Pixel p) {
    FlushColumn();
    out_.starts.push_back(out_.points.size());
    open_ = true;
    Feed(p);
}

void CurveTracer::Feed(Pixel p) {
    if (!envelope_) {
        Emit(p);
        return;
    }
    if (column_ && p.x == columnX_) {
        ++seen_;
        last_ = p.y;
        if (p.y < low_) {
            low_ = p.y;
            lowAt_ = seen_;
        }
        if (p.y > high_) {
            high_ = p.y;
            highAt_ = seen_;
        }
        return;
    }
    FlushColumn();
    column_ = true;
    columnX_ = p.x;
    first_ = last_ = low_ = high_ = p.y;
    lowAt_ = highAt_ = seen_ = 0;
}

void CurveTracer::Emit(Pixel p) {
    // A sample on the pixel last drawn to draws nothing.
    if (out_.points.size() > out_.starts.back() && out_.points.back() == p) return;
    out_.points.push_back(p);
}

void CurveTracer::FlushColumn() {
    if (!column_) return;
    column_ = false;
    Emit({columnX_, first_});
    if (lowAt_ <= highAt_) {
        Emit({columnX_, low_});
        Emit({columnX_, high_});
    } else {
        Emit({columnX_, high_});
        Emit({columnX_, low_});
    }
    Emit({columnX_, last_});
}

}  // namespace plot

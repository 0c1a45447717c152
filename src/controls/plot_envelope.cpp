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

namespace {

// Widens lo and hi over n samples as one running range would, four ranges
// side by side so the comparisons do not wait on one another; equal to the
// running range up to the sign of a zero.
void Widen(const double* v, std::size_t n, double& lo, double& hi) {
    double l[4] = {lo, lo, lo, lo};
    double h[4] = {hi, hi, hi, hi};
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        for (std::size_t k = 0; k < 4; ++k) {
            h[k] = v[i + k] > h[k] ? v[i + k] : h[k];
            l[k] = v[i + k] < l[k] ? v[i + k] : l[k];
        }
    }
    for (; i < n; ++i) {
        h[0] = v[i] > h[0] ? v[i] : h[0];
        l[0] = v[i] < l[0] ? v[i] : l[0];
    }
    for (std::size_t k = 0; k < 4; ++k) {
        hi = h[k] > hi ? h[k] : hi;
        lo = l[k] < lo ? l[k] : lo;
    }
}

// The first zero of the samples, the face a running range keeps.
double FirstZero(const double* v, std::size_t n) {
    const double* z = std::find(v, v + n, 0.0);
    return z != v + n ? *z : 0.0;
}

}  // namespace

std::size_t CurveTracer::AddSamples(const double* xs, const double* ys, std::size_t from,
                                    std::size_t to, std::size_t step, const Mapping& m,
                                    Scanned* scan) {
    if (scan == nullptr || from >= to) return Run(xs, ys, from, to, step, m);
    *scan = Scanned{true, xs[from], xs[from], ys[from], ys[from]};
    // Block by block: the ranges of a block, then its curve, while the block
    // is still in the cache, so a long test is read from memory once.
    constexpr std::size_t kBlock = 512;
    std::size_t i = from;
    for (std::size_t b = from; b < to; b += kBlock) {
        const std::size_t e = std::min(b + kBlock, to);
        Widen(xs + b, e - b, scan->minX, scan->maxX);
        Widen(ys + b, e - b, scan->minY, scan->maxY);
        if (i < e) i = Run(xs, ys, i, e, step, m);
    }
    const std::size_t n = to - from;
    if (scan->minX == 0.0) scan->minX = FirstZero(xs + from, n);
    if (scan->maxX == 0.0) scan->maxX = FirstZero(xs + from, n);
    if (scan->minY == 0.0) scan->minY = FirstZero(ys + from, n);
    if (scan->maxY == 0.0) scan->maxY = FirstZero(ys + from, n);
    return i;
}

std::size_t CurveTracer::Run(const double* xs, const double* ys, std::size_t from, std::size_t to,
                             std::size_t step, const Mapping& m) {
    const double top = clip_.top;
    const double bottom = clip_.bottom;
    std::size_t i = from;
    while (i < to) {
        double px = m.X(xs[i]);
        double py = m.Y(ys[i]);
        if (!(open_ && envelope_ && column_ && clip_.Contains(px, py) &&
              static_cast<int>(px) == columnX_)) {
            AddAny(px, py);
            i += step;
            continue;
        }
        // A run of samples in the current column, as Add keeps them. The
        // positions that truncate to the column and lie inside, as one
        // interval: two comparisons a sample, NaN failing both.
        const int column = columnX_;
        const double c = column;
        const double fromX = std::max(column > 0 ? c : std::nextafter(c - 1.0, c), clip_.left);
        const double toX = std::min(column < 0 ? c : std::nextafter(c + 1.0, c), clip_.right);
        int low = low_;
        int high = high_;
        int last = last_;
        std::int64_t lowAt = lowAt_;
        std::int64_t highAt = highAt_;
        std::int64_t seen = seen_;
        double lastX = px;
        double lastY = py;
        bool left = false;  // the run ended on a sample not yet added
        for (;;) {
            const int y = static_cast<int>(py);
            ++seen;
            last = y;
            lowAt = y < low ? seen : lowAt;
            low = y < low ? y : low;
            highAt = y > high ? seen : highAt;
            high = y > high ? y : high;
            lastX = px;
            lastY = py;
            i += step;
            if (i >= to) break;
            px = m.X(xs[i]);
            py = m.Y(ys[i]);
            if (!(px >= fromX && px <= toX && py >= top && py <= bottom)) {
                left = true;
                break;
            }
        }
        prevX_ = lastX;
        prevY_ = lastY;
        low_ = low;
        high_ = high;
        last_ = last;
        lowAt_ = lowAt;
        highAt_ = highAt;
        seen_ = seen;
        if (left) {
            AddAny(px, py);
            i += step;
        }
    }
    return i;
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

#include "controls/plot_envelope.h"

#include <algorithm>
#include <cmath>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PLOT_ZEROUPPER 1
#endif

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
#if defined(__SSE2__)
    // Two ranges to a register: min and max keep the second operand on a tie
    // or a NaN, as the comparisons below do.
    __m128d l01 = _mm_set1_pd(lo);
    __m128d l23 = l01;
    __m128d h01 = _mm_set1_pd(hi);
    __m128d h23 = h01;
    for (; i + 4 <= n; i += 4) {
        const __m128d a = _mm_loadu_pd(v + i);
        const __m128d b = _mm_loadu_pd(v + i + 2);
        h01 = _mm_max_pd(a, h01);
        l01 = _mm_min_pd(a, l01);
        h23 = _mm_max_pd(b, h23);
        l23 = _mm_min_pd(b, l23);
    }
    _mm_storeu_pd(l, l01);
    _mm_storeu_pd(l + 2, l23);
    _mm_storeu_pd(h, h01);
    _mm_storeu_pd(h + 2, h23);
#else
    for (; i + 4 <= n; i += 4) {
        for (std::size_t k = 0; k < 4; ++k) {
            h[k] = v[i + k] > h[k] ? v[i + k] : h[k];
            l[k] = v[i + k] < l[k] ? v[i + k] : l[k];
        }
    }
#endif
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

// Samples at once (a multiple of 4) that may all fall into the column a run
// is in, the common case of a long test.
constexpr std::size_t kBlock = 16;

// True when every one of the n samples maps into [fromX, toX] x [top,
// bottom] (a NaN does not); lowY and highY are then the smallest and the
// largest Y position among them. Mapped as Mapping::X and Y do, term for term.
bool InColumn(const double* xs, const double* ys, std::size_t n, const Mapping& m, double fromX,
              double toX, double top, double bottom, double& lowY, double& highY) {
#if defined(__SSE2__)
    const __m128d lowerX = _mm_set1_pd(m.lowerX);
    const __m128d panX = _mm_set1_pd(m.panX);
    const __m128d scaleX = _mm_set1_pd(m.scaleX);
    const __m128d borderX = _mm_set1_pd(m.borderX);
    const __m128d lowerY = _mm_set1_pd(m.lowerY);
    const __m128d panY = _mm_set1_pd(m.panY);
    const __m128d scaleY = _mm_set1_pd(m.scaleY);
    const __m128d borderY = _mm_set1_pd(m.borderY);
    const __m128d height = _mm_set1_pd(m.height);
    const __m128d left = _mm_set1_pd(fromX);
    const __m128d right = _mm_set1_pd(toX);
    const __m128d upper = _mm_set1_pd(top);
    const __m128d lower = _mm_set1_pd(bottom);
    __m128d in = _mm_cmpeq_pd(left, left);
    __m128d lo[2] = {_mm_set1_pd(bottom), _mm_set1_pd(bottom)};
    __m128d hi[2] = {_mm_set1_pd(top), _mm_set1_pd(top)};
    for (std::size_t j = 0; j < n; j += 4) {
        for (std::size_t k = 0; k < 2; ++k) {
            const __m128d x = _mm_loadu_pd(xs + j + 2 * k);
            const __m128d y = _mm_loadu_pd(ys + j + 2 * k);
            const __m128d px =
                _mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_sub_pd(x, lowerX), panX), scaleX), borderX);
            const __m128d py = _mm_sub_pd(
                height,
                _mm_add_pd(_mm_mul_pd(_mm_add_pd(_mm_sub_pd(y, lowerY), panY), scaleY), borderY));
            in = _mm_and_pd(
                in, _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(px, left), _mm_cmple_pd(px, right)),
                               _mm_and_pd(_mm_cmpge_pd(py, upper), _mm_cmple_pd(py, lower))));
            lo[k] = _mm_min_pd(py, lo[k]);
            hi[k] = _mm_max_pd(py, hi[k]);
        }
    }
    if (_mm_movemask_pd(in) != 3) return false;
    double l[4];
    double h[4];
    _mm_storeu_pd(l, lo[0]);
    _mm_storeu_pd(l + 2, lo[1]);
    _mm_storeu_pd(h, hi[0]);
    _mm_storeu_pd(h + 2, hi[1]);
    lowY = std::min({l[0], l[1], l[2], l[3]});
    highY = std::max({h[0], h[1], h[2], h[3]});
    return true;
#else
    lowY = bottom;
    highY = top;
    for (std::size_t j = 0; j < n; ++j) {
        const double px = m.X(xs[j]);
        const double py = m.Y(ys[j]);
        if (!(px >= fromX && px <= toX && py >= top && py <= bottom)) return false;
        lowY = std::min(lowY, py);
        highY = std::max(highY, py);
    }
    return true;
#endif
}

#if defined(PLOT_ZEROUPPER)
__attribute__((target("avx"))) void ZeroUpper() {
    _mm256_zeroupper();
}
#endif

// The painting before the curve (QImage::fill among others) can leave the
// upper halves of the wide vector registers in use; until they are cleared
// every SSE instruction of the pass runs at a fraction of its speed: a full
// redraw of a million samples took three times as long.
void SettleVectorRegisters() {
#if defined(PLOT_ZEROUPPER)
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx) ZeroUpper();
#endif
}

}  // namespace

std::size_t CurveTracer::AddSamples(const double* xs, const double* ys, std::size_t from,
                                    std::size_t to, std::size_t step, const Mapping& m,
                                    Scanned* scan) {
    SettleVectorRegisters();
    if (scan == nullptr || from >= to) return Run(xs, ys, from, to, step, m);
    *scan = Scanned{true, xs[from], xs[from], ys[from], ys[from]};
    // Block by block: the ranges of a block, then its curve, while the block
    // is still in the cache, so a long test is read from memory once.
    constexpr std::size_t kCached = 512;
    std::size_t i = from;
    for (std::size_t b = from; b < to; b += kCached) {
        const std::size_t e = std::min(b + kCached, to);
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
        // interval: two comparisons a sample, NaN failing both, made for a
        // whole block of samples at once while they stay in the column.
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
        // After a block that leaves the column, sample by sample to where
        // the run ends.
        bool blocks = step == 1;
        const auto count = [&](int y) {
            ++seen;
            last = y;
            lowAt = y < low ? seen : lowAt;
            low = y < low ? y : low;
            highAt = y > high ? seen : highAt;
            high = y > high ? y : high;
        };
        for (;;) {
            count(static_cast<int>(py));
            lastX = px;
            lastY = py;
            i += step;
            while (blocks && i + kBlock <= to) {
                double lowY = 0.0;
                double highY = 0.0;
                if (!InColumn(xs + i, ys + i, kBlock, m, fromX, toX, top, bottom, lowY, highY)) {
                    blocks = false;
                    break;
                }
                // A new extreme row counts from the block's first sample on it.
                const auto firstOn = [&](int row) -> std::optional<std::int64_t> {
                    for (std::size_t j = 0; j < kBlock; ++j) {
                        if (static_cast<int>(m.Y(ys[i + j])) == row)
                            return seen + static_cast<std::int64_t>(j) + 1;
                    }
                    return std::nullopt;  // the block's arithmetic differed: sample by sample
                };
                const int rowLow = static_cast<int>(lowY);
                const int rowHigh = static_cast<int>(highY);
                const std::optional<std::int64_t> newLowAt =
                    rowLow < low ? firstOn(rowLow) : std::optional<std::int64_t>(lowAt);
                const std::optional<std::int64_t> newHighAt =
                    rowHigh > high ? firstOn(rowHigh) : std::optional<std::int64_t>(highAt);
                if (!newLowAt || !newHighAt) {
                    blocks = false;
                    break;
                }
                lowAt = *newLowAt;
                highAt = *newHighAt;
                low = std::min(low, rowLow);
                high = std::max(high, rowHigh);
                seen += static_cast<std::int64_t>(kBlock);
                lastX = m.X(xs[i + kBlock - 1]);
                lastY = m.Y(ys[i + kBlock - 1]);
                last = static_cast<int>(lastY);
                i += kBlock;
            }
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

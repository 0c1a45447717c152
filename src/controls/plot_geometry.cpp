#include "controls/plot_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/cbuffer.h"
#include "platform/formatfloat.h"

namespace plot {
namespace {

// Limits beyond this are brought back: twice of it still has a finite span.
constexpr double kLimitReach = 1e300;

}  // namespace

double RoundAxisMax(double value) {
    if (std::isnan(value)) return 5.0;  // as for no value at all
    if (std::isinf(value)) return value > 0 ? value : 5.0;
    double n = std::trunc(value);
    if (n < 1) n = 1;
    if (n < 100) n = std::floor(n / 5) * 5 + 5;
    if (n > 100 && n < 1000) n = std::floor(n / 10) * 10 + 5;
    if (n >= value) return n;
    // 109 would give 105 and 100.5 would give 100: the top of the curve
    // would leave the plot. Round up instead, in the same steps.
    if (value < 1000) return std::ceil(value / 5) * 5;
    return std::ceil(value);
}

std::string FormatAxisNumber(double value) {
    const double a = std::fabs(value);
    const char* pattern = "0.000";
    if (a >= 1000) {
        pattern = "0";
    } else if (a >= 100) {
        pattern = "0.0";
    } else if (a >= 10) {
        pattern = "0.00";
    }
    return platform::FormatFloat(pattern, value);
}

int ToPixel(double position) {
    if (std::isnan(position)) return static_cast<int>(-kPixelLimit);
    return static_cast<int>(std::clamp(position, -kPixelLimit, kPixelLimit));
}

double NonZero(double v) {
    return v == 0.0 ? 0.000001 : v;
}

void View::SetSize(double w, double h) {
    width = w;
    height = h;
    plotWidth = w - borderX;
    plotHeight = h - borderY;
}

void View::UpdateSpans() {
    spanX = upperX - lowerX;
    spanY = upperY - lowerY;
}

// Pixels per unit first: the plot's curve loop uses the same terms, so a
// marker lands on the very pixel of its sample.
double View::LM_X(double x) const {
    return (x - lowerX + panX) * (plotWidth / NonZero(spanX)) + borderX;
}

double View::LM_Y(double y) const {
    return height - ((y - lowerY + panY) * (plotHeight / NonZero(spanY)) + borderY);
}

double View::ML_X(double px) const {
    return (px - borderX) * spanX / NonZero(plotWidth) - panX + lowerX;
}

double View::ML_Y(double py) const {
    return (height - py - borderY) * spanY / NonZero(plotHeight) - panY + lowerY;
}

void SettleLimits(double& lower, double& upper) {
    auto reach = [](double v) {
        if (std::isnan(v)) return 0.0;
        return std::clamp(v, -kLimitReach, kLimitReach);
    };
    lower = reach(lower);
    upper = reach(upper);
    if (upper == 0.0 && lower == 0.0) {
        upper = 0.01;
        lower = -0.01;
    }
    if (upper - lower < 0.05) {
        upper += 0.05;
        lower -= 0.06;
    }
    if (upper == lower) {
        // So large that 0.05 is lost in the rounding.
        const double d = std::fabs(upper) * 1e-6;
        upper += d;
        lower -= d;
    }
}

void SettleView(View& v) {
    SettleLimits(v.lowerX, v.upperX);
    SettleLimits(v.lowerY, v.upperY);
}

Range FiniteRange(C_Buffer& buffer, int channel) {
    Range r;
    r.max = buffer.GetMax(channel);
    r.min = buffer.GetMin(channel);
    if (std::isfinite(r.min) && std::isfinite(r.max)) return r;
    r = Range{};
    bool any = false;
    if (channel < 0 || channel >= buffer.GetCanCount()) return r;
    for (double v : buffer.cans[static_cast<size_t>(channel)].samples) {
        if (!std::isfinite(v)) continue;
        if (!any) {
            r.min = r.max = v;
            any = true;
        } else {
            r.min = std::min(r.min, v);
            r.max = std::max(r.max, v);
        }
    }
    return r;
}

void Autoscale(View& v, Range x, Range y, const AutoscaleBounds& b) {
    v.upperX = RoundAxisMax(x.max * b.procGrid);
    v.lowerX = x.min * b.procGrid;
    v.upperY = RoundAxisMax(y.max * b.procGrid);
    v.lowerY = y.min * b.procGrid;
    if (b.yMinPred < v.lowerY) v.lowerY = b.yMinPred;
    if (b.xMinPred < v.lowerX) v.lowerX = b.xMinPred;
    if (v.upperY < 1) v.upperY = b.yMin;
    if (v.upperX < 1) v.upperX = b.xMin;
    if (v.upperX < b.xMin) v.upperX = b.xMin;
    if (v.upperY < b.yMin) v.upperY = b.yMin;
    if (b.xStart < v.lowerX) v.lowerX = b.xStart;
    if (b.yStart < v.lowerY) v.lowerY = b.yStart;
    v.panX = 0.0;
    v.panY = 0.0;
}

namespace {

template <class Pick>
double MultiExtreme(const C_Buffer& buffer, const ChannelFlags& visible, Pick pick) {
    double result = 0.0;
    bool any = false;
    const int last = std::min(buffer.GetCanCount(), static_cast<int>(visible.size()));
    for (int c = 1; c < last; ++c) {
        if (!visible[static_cast<size_t>(c)]) continue;
        const double v = pick(buffer.cans[static_cast<size_t>(c)]);
        if (!std::isfinite(v)) continue;
        result = any ? (pick.smaller ? std::min(result, v) : std::max(result, v)) : v;
        any = true;
    }
    return result;
}

struct PickMin {
    static constexpr bool smaller = true;
    double operator()(const C_Buffer::SCan& c) const { return c.min; }
};

struct PickMax {
    static constexpr bool smaller = false;
    double operator()(const C_Buffer::SCan& c) const { return c.max; }
};

}  // namespace

double MultiGetMin(const C_Buffer& buffer, const ChannelFlags& visible) {
    return MultiExtreme(buffer, visible, PickMin{});
}

double MultiGetMax(const C_Buffer& buffer, const ChannelFlags& visible) {
    return MultiExtreme(buffer, visible, PickMax{});
}

std::vector<double> GridLines(double zeroPixel, double plotSize, double cells) {
    std::vector<double> lines;
    if (cells == 0.0) cells = 1.0;
    if (!(cells > 0.0) || !(plotSize > 0.0) || !std::isfinite(plotSize)) return lines;
    const double cell = plotSize / cells;
    // A grid finer than a pixel is a solid fill, and would take as many
    // lines as there are thousandths of a pixel.
    if (!(cell >= 1.0)) return lines;
    // With the cell itself rather than in whole thousandths of a pixel: a
    // cell of 37.795… (a centimetre on a page) would otherwise put the line
    // a little off 0 and number it -0.001.
    double phase = 0.0;
    if (std::isfinite(zeroPixel)) {
        phase = std::fmod(std::clamp(zeroPixel, -kPixelLimit, kPixelLimit), cell);
        if (phase < 0) phase += cell;  // a zero left of or above the plot
    }
    for (int i = 0; i <= cells; ++i)
        lines.push_back(i * cell + phase);
    return lines;
}

std::optional<double> PlaceAxisNumber(double size, double tick, double low, double high) {
    // A tick on the frame, a pixel before the room, still has its number.
    if (!(tick >= low - 1.0 && tick <= high) || !(size >= 0.0) || size > high - low)
        return std::nullopt;
    return std::clamp(tick, low, high - size);
}

}  // namespace plot

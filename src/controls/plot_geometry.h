#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

class C_Buffer;

// The curve plot's arithmetic without a widget: axis rounding, axis numbers,
// the mapping between data and pixels, autoscale and the grid.
namespace plot {

// The upper axis limit that autoscale chooses for a data maximum: 5 at least,
// a step of 5 above the value below 100, a 5 in the last place up to 1000,
// the whole number above. Never below the value itself.
double RoundAxisMax(double value);

// "0.000" below 10, "0.00" below 100, "0.0" below 1000, "0" above, chosen by
// the value before rounding (9.9996 gives "10.000").
std::string FormatAxisNumber(double value);

// Pixel positions are clamped to this before they become integers: far
// beyond any screen or page, well inside an int and the painter's fixed point.
inline constexpr double kPixelLimit = 1 << 20;

// A pixel position truncated toward zero; NaN lies off the left or top edge.
int ToPixel(double position);

// What is shown: the four limits, their spans, the pan and the plot area.
// Plot area: from x = borderX to the control's right edge, from the top edge
// to y = height - borderY.
struct View {
    double lowerX = -10.0;
    double upperX = 10.0;
    double lowerY = -10.0;
    double upperY = 10.0;
    double spanX = 20.0;
    double spanY = 20.0;
    double panX = 0.0;  // data units
    double panY = 0.0;
    double borderX = 50.0;
    double borderY = 25.0;
    double width = 100.0;  // the control, pixels
    double height = 100.0;
    double plotWidth = 50.0;
    double plotHeight = 75.0;

    // New limits, seen without pan.
    void SetLimits(double xLower, double xUpper, double yLower, double yUpper) {
        lowerX = xLower;
        upperX = xUpper;
        lowerY = yLower;
        upperY = yUpper;
        panX = 0.0;
        panY = 0.0;
    }
    // The control's size; recomputes the plot area.
    void SetSize(double w, double h);
    void UpdateSpans();

    // Data to pixel and back. A zero span or plot size counts as 0.000001.
    double LM_X(double x) const;
    double LM_Y(double y) const;
    double ML_X(double px) const;
    double ML_Y(double py) const;
};

// A span or size of exactly 0 as the mapping uses it.
double NonZero(double v);

// The degenerate-view rules applied before every redraw: both limits 0
// become -0.01 and 0.01; a span under 0.05 is widened (upper + 0.05, lower
// - 0.06). Limits that are not finite, or so large that their span would
// overflow, are brought back within reach first, and a span the widening
// cannot open (limits too large for 0.05 to count) is opened by a part of
// the magnitude, so the mapping always has a span to divide by.
void SettleLimits(double& lower, double& upper);
void SettleView(View& v);

// Smallest and largest sample of a channel.
struct Range {
    double min = 0.0;
    double max = 0.0;
};

// The range as the buffer keeps it, rescanned over the finite samples when a
// NaN or an infinity spoilt it; an empty channel is 0 to 0.
Range FiniteRange(C_Buffer& buffer, int channel);

// The properties that bound the autoscaled view.
struct AutoscaleBounds {
    double procGrid = 1.0;
    double xMin = 1.0;
    double xMinPred = 0.0;
    double xStart = -1.0;
    double yMin = 1.0;
    double yMinPred = -1.0;
    double yStart = -1.0;
};

// The view that shows the data ranges x and y: limits with headroom,
// clamped by the bounds; the pan goes back to 0.
void Autoscale(View& v, Range x, Range y, const AutoscaleBounds& b);

// Which buffer channels the multi-channel mode shows, 1 to 99.
using ChannelFlags = std::array<bool, 100>;

// Smallest minimum and largest maximum over the visible channels from 1 up
// to the buffer's last, by their running ranges; 0 when none is visible.
double MultiGetMin(const C_Buffer& buffer, const ChannelFlags& visible);
double MultiGetMax(const C_Buffer& buffer, const ChannelFlags& visible);

// Pixel positions of the grid lines across one axis of the plot: i × cell
// + phase for i = 0, 1, … up to `cells`, cell = plotSize / cells, with the
// phase that puts a line on the pixel of the data value 0 (zeroPixel) and
// lies within one cell. No lines when the plot has no size, when the
// cell count is not a number or below 0, or when a cell is under a pixel.
// A cell count of 0 is 1.
std::vector<double> GridLines(double zeroPixel, double plotSize, double cells);

// Where an axis number of `size` pixels (its width along X, its height along
// Y) starts when it is written from `tick` on and must lie whole within
// low ... high: at the tick when it fits, shifted back inside at an end,
// left out (nullopt) when the tick lies outside (a pixel before low still
// counts) or the text is longer than the room. A cut number reads as
// another one ("00" for "-1,200"). Numbers placed in turn pass the end of
// the one before as low, so none runs into the next.
std::optional<double> PlaceAxisNumber(double size, double tick, double low, double high);

}  // namespace plot

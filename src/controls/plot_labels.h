#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Where the curve plot puts the labels of its marked points, and the colours
// its curves are drawn in: arithmetic without a widget.
namespace plot {

// A box in pixels: left, top, width, height.
struct Box {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;

    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    // Sharing an edge is not overlapping.
    bool Overlaps(const Box& o) const {
        return left < o.Right() && o.left < Right() && top < o.Bottom() && o.top < Bottom();
    }
    bool Inside(const Box& area) const {
        return left >= area.left && top >= area.top && Right() <= area.Right() &&
               Bottom() <= area.Bottom();
    }
};

// One label to place: the point it names, and the box it would take where
// nothing is in its way (its size is the label's).
struct LabelSpot {
    double x = 0.0;
    double y = 0.0;
    Box wanted;
};

// A box for each label, in order: inside `area`, overlapping no label placed
// before it and nothing of `keepOut` (the points' dots, caption boxes). A
// label stays where it is wanted when that is free, else takes the free
// place nearest its point. When none is left (more labels than the area
// holds), it goes, still inside, where it covers the least of the labels
// placed before it, nearest its point among those. A label larger than the
// area starts at the area's top left. A point that is no number counts as
// the area's top left; one outside the area as the nearest place inside.
std::vector<Box> PlaceLabels(const std::vector<LabelSpot>& labels, const Box& area,
                             const std::vector<Box>& keepOut = {});

// ----- colours, 0x00BBGGRR

// The contrast ratio of two colours as WCAG defines it: 1 for the same
// luminance, 21 for black on white.
double ContrastRatio(std::uint32_t a, std::uint32_t b);

// A curve must stand out this much from the white plot.
inline constexpr double kCurveContrast = 3.0;

// The curves' colours by channel, 1 to 13: those that are faint on white
// (yellow, lime, aqua, silver, white) darkened within their hue.
inline constexpr std::array<std::uint32_t, 13> kCurveColors = {
    0x0080C0,  // dark yellow
    0xFF0000,  // blue
    0x008000,  // green
    0x008080,  // olive
    0x0000FF,  // red
    0x000080,  // maroon
    0x00A000,  // dark lime
    0xA0A000,  // dark aqua
    0x800080,  // purple
    0x808080,  // grey
    0xFF00FF,  // fuchsia
    0x800000,  // navy
    0x000000,  // black
};

}  // namespace plot

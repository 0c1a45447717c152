#include "controls/plot_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using plot::Box;
using plot::LabelSpot;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A plot area of 500 x 300 from (50, 1), labels 40 x 20 as the plot draws them.
const Box kArea{50, 1, 500, 300};

// A label wanted where the plot first puts it: left of the point for even
// turns, right for odd ones, 20 px higher each turn.
LabelSpot Spot(double x, double y, int turn, double width = 40) {
    const double left = turn % 2 == 1 ? x + 60 : x - 60;
    return {x, y, {left, y - 20.0 * turn, width, 20}};
}

// The dots of the points, as the plot keeps its labels off them.
std::vector<Box> Dots(const std::vector<LabelSpot>& spots) {
    std::vector<Box> dots;
    for (const LabelSpot& s : spots)
        dots.push_back({s.x - 6, s.y - 6, 12, 12});
    return dots;
}

double Distance(const Box& b, const LabelSpot& s) {
    return std::hypot(b.left + b.width / 2 - s.x, b.top + b.height / 2 - s.y);
}

TEST(PlaceLabels, ApartInsideAndNearTheirPoints) {
    struct Case {
        const char* name;
        std::vector<LabelSpot> spots;
    };
    const Case cases[] = {
        {"two points at the same place", {Spot(300, 150, 0), Spot(300, 150, 0)}},
        {"the turns of the plot put them on one another",  // 40 px lower, two turns later
         {Spot(300, 150, 0), Spot(400, 100, 1), Spot(300, 190, 2)}},
        {"a cluster of five",  // yield points and the proof stress a few pixels apart
         {Spot(200, 80, 0), Spot(204, 78, 1), Spot(207, 83, 2), Spot(203, 86, 3),
          Spot(209, 80, 4)}},
        {"strength and break close in X", {Spot(480, 40, 0), Spot(486, 44, 1), Spot(60, 290, 2)}},
        {"points at the edges and corners",
         {Spot(50, 1, 0), Spot(550, 1, 1), Spot(50, 301, 2), Spot(550, 301, 3), Spot(300, 1, 4),
          Spot(550, 150, 5)}},
        {"points outside the area", {Spot(-500, 150, 0), Spot(300, 2000, 1), Spot(1e9, -1e9, 2)}},
        {"a wide label", {Spot(300, 150, 0, 120), Spot(305, 150, 1, 120)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Box> dots = Dots(c.spots);
        const std::vector<Box> boxes = plot::PlaceLabels(c.spots, kArea, dots);
        ASSERT_EQ(boxes.size(), c.spots.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(boxes[i].Inside(kArea));
            EXPECT_EQ(boxes[i].width, c.spots[i].wanted.width);
            EXPECT_EQ(boxes[i].height, 20);
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(boxes[i].Overlaps(boxes[j])) << "with " << j;
            for (const Box& d : dots)
                EXPECT_FALSE(boxes[i].Overlaps(d)) << "covers a dot";
            // Near: within a few label heights of a point inside the area.
            const LabelSpot& s = c.spots[i];
            const bool inside = s.x >= kArea.left && s.x <= kArea.Right() && s.y >= kArea.top &&
                                s.y <= kArea.Bottom();
            if (inside) {
                EXPECT_LT(Distance(boxes[i], s), 130);
            }
        }
    }
}

TEST(PlaceLabels, AFreeLabelStaysWhereItIsWanted) {
    const std::vector<LabelSpot> spots = {Spot(300, 150, 0), Spot(300, 150, 1), Spot(150, 250, 2)};
    const std::vector<Box> boxes = plot::PlaceLabels(spots, kArea, Dots(spots));
    ASSERT_EQ(boxes.size(), 3u);
    for (size_t i = 0; i < spots.size(); ++i) {
        EXPECT_EQ(boxes[i].left, spots[i].wanted.left) << i;
        EXPECT_EQ(boxes[i].top, spots[i].wanted.top) << i;
    }
    // Wanted over the edge: moved just inside.
    const std::vector<Box> edge = plot::PlaceLabels({Spot(70, 10, 0)}, kArea);
    EXPECT_EQ(edge[0].left, 50);
    EXPECT_EQ(edge[0].top, 10);
}

// More labels than the area holds: all stay inside; those that found room
// keep it, the rest cover the least of them they can.
TEST(PlaceLabels, MoreLabelsThanFitStayInside) {
    const Box small{0, 0, 120, 40};
    std::vector<LabelSpot> spots;
    for (int i = 0; i < 9; ++i)
        spots.push_back({60, 20, {20, 10, 40, 20}});
    const std::vector<Box> boxes = plot::PlaceLabels(spots, small);
    ASSERT_EQ(boxes.size(), 9u);
    for (size_t i = 0; i < boxes.size(); ++i)
        EXPECT_TRUE(boxes[i].Inside(small)) << i;
    // The first two find room; the middle one taken leaves none for a third.
    EXPECT_EQ(boxes[0].left, 20);
    EXPECT_FALSE(boxes[1].Overlaps(boxes[0]));
    // Which covers a corner of the others rather than one whole.
    double covered = 0;
    for (size_t j = 0; j < 2; ++j) {
        const double w =
            std::min(boxes[2].Right(), boxes[j].Right()) - std::max(boxes[2].left, boxes[j].left);
        const double h =
            std::min(boxes[2].Bottom(), boxes[j].Bottom()) - std::max(boxes[2].top, boxes[j].top);
        if (w > 0 && h > 0) covered += w * h;
    }
    EXPECT_GT(covered, 0);
    EXPECT_LE(covered, 40 * 20 / 4);
}

TEST(PlaceLabels, ALabelLargerThanTheAreaOrNoNumberStartsAtItsTopLeft) {
    const Box small{10, 20, 30, 10};
    const std::vector<Box> big = plot::PlaceLabels({{15, 25, {0, 0, 40, 20}}}, small);
    EXPECT_EQ(big[0].left, 10);
    EXPECT_EQ(big[0].top, 20);
    const std::vector<Box> nan = plot::PlaceLabels(
        {{kNaN, kNaN, {kNaN, kNaN, 40, 20}}, {kNaN, 5, {kNaN, 5, 40, 20}}}, kArea);
    EXPECT_EQ(nan[0].left, 50);
    EXPECT_EQ(nan[0].top, 1);
    EXPECT_TRUE(nan[1].Inside(kArea));
    EXPECT_FALSE(nan[1].Overlaps(nan[0]));
    EXPECT_TRUE(plot::PlaceLabels({}, kArea).empty());
}

TEST(ContrastRatio, AsDefinedForTheWeb) {
    EXPECT_NEAR(plot::ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(plot::ContrastRatio(0xFFFFFF, 0x000000), 21.0, 1e-9);
    EXPECT_NEAR(plot::ContrastRatio(0x808080, 0x808080), 1.0, 1e-9);
    EXPECT_NEAR(plot::ContrastRatio(0x0000FF, 0xFFFFFF), 4.0, 0.01);   // red
    EXPECT_NEAR(plot::ContrastRatio(0x00FFFF, 0xFFFFFF), 1.07, 0.01);  // yellow: faint
    EXPECT_NEAR(plot::ContrastRatio(0xFF0000, 0xFFFFFF), 8.59, 0.01);  // blue
}

TEST(CurveColors, EveryOneStandsOutOnWhite) {
    for (std::uint32_t c : plot::kCurveColors) {
        SCOPED_TRACE(std::to_string(c));
        EXPECT_GE(plot::ContrastRatio(c, 0xFFFFFF), plot::kCurveContrast);
    }
}

}  // namespace

#include "controls/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "controls/plot_envelope.h"
#include "model/cbuffer.h"
#include "platform/formatfloat.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RoundAxisMax, RoundsUpInStepsAndNeverBelowTheValue) {
    struct Case {
        double value;
        double expected;
    };
    const Case cases[] = {// As the plot has always rounded.
                          {0.3, 5},
                          {0, 5},
                          {-50, 5},
                          {12, 15},
                          {15, 20},
                          {97, 100},
                          {99.5, 100},
                          {100, 100},
                          {101, 105},
                          {104.9, 105},
                          {1234, 1234},
                          {1e20, 1e20},
                          // These fell below the value and cut the top of the curve off.
                          {109, 110},
                          {100.5, 105},
                          {105.5, 110},
                          {999.5, 1000},
                          {1234.5, 1235},
                          // Not numbers: nothing to cover.
                          {kNaN, 5},
                          {-kInf, 5},
                          {kInf, kInf}};
    for (const Case& c : cases)
        EXPECT_EQ(plot::RoundAxisMax(c.value), c.expected) << c.value;

    for (double v = -3; v < 2500; v += 0.37)
        ASSERT_GE(plot::RoundAxisMax(v), v) << v;
}

class FormatAxisNumber : public testing::Test {
protected:
    void SetUp() override { platform::SetDecimalSeparator('.'); }
    void TearDown() override { platform::SetDecimalSeparator('.'); }
};

TEST_F(FormatAxisNumber, DecimalsByMagnitudeBeforeRounding) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{9.9996, "10.000"},  {10, "10.00"},       {999.9, "999.9"},
                          {1000, "1000"},      {0, "0.000"},        {-0.0004, "0.000"},
                          {-12.345, "-12.35"}, {-150.25, "-150.3"}, {123456.7, "123457"}};
    for (const Case& c : cases)
        EXPECT_EQ(plot::FormatAxisNumber(c.value), c.text) << c.value;
}

TEST_F(FormatAxisNumber, UsesTheProgramsSeparator) {
    platform::SetDecimalSeparator(',');
    EXPECT_EQ(plot::FormatAxisNumber(2.5), "2,500");
}

TEST(ToPixel, TruncatesTowardZeroAndClampsWhatAnIntCannotHold) {
    EXPECT_EQ(plot::ToPixel(3.7), 3);
    EXPECT_EQ(plot::ToPixel(-3.7), -3);
    EXPECT_EQ(plot::ToPixel(1e300), static_cast<int>(plot::kPixelLimit));
    EXPECT_EQ(plot::ToPixel(-kInf), -static_cast<int>(plot::kPixelLimit));
    EXPECT_EQ(plot::ToPixel(kNaN), -static_cast<int>(plot::kPixelLimit));
}

plot::View ViewOf(double lowerX, double upperX, double lowerY, double upperY) {
    plot::View v;
    v.lowerX = lowerX;
    v.upperX = upperX;
    v.lowerY = lowerY;
    v.upperY = upperY;
    v.SetSize(550, 325);  // plot area 500 x 300
    v.UpdateSpans();
    return v;
}

TEST(View, LimitsFallOnTheEdgesOfThePlotArea) {
    const plot::View v = ViewOf(-2, 8, -20, 100);
    EXPECT_DOUBLE_EQ(v.LM_X(-2), 50);  // borderX
    EXPECT_DOUBLE_EQ(v.LM_X(8), 550);
    EXPECT_DOUBLE_EQ(v.LM_X(0), 150);
    EXPECT_DOUBLE_EQ(v.LM_Y(-20), 300);  // height - borderY
    EXPECT_DOUBLE_EQ(v.LM_Y(100), 0);
    EXPECT_DOUBLE_EQ(v.LM_Y(0), 250);
}

TEST(View, PixelsAndDataRoundTripWithPan) {
    const double pans[][2] = {{0, 0}, {1.5, -7}, {-250, 1e4}};
    for (const auto& pan : pans) {
        plot::View v = ViewOf(-2, 8, -20, 100);
        v.panX = pan[0];
        v.panY = pan[1];
        for (double x : {-2.0, 0.0, 3.25, 1e3}) {
            EXPECT_NEAR(v.ML_X(v.LM_X(x)), x, 1e-9) << pan[0];
            // The pan moves the data: x with pan p lands where x + p did without.
            EXPECT_DOUBLE_EQ(v.LM_X(x), ViewOf(-2, 8, -20, 100).LM_X(x + pan[0]));
        }
        for (double y : {-20.0, 0.0, 42.5})
            EXPECT_NEAR(v.ML_Y(v.LM_Y(y)), y, 1e-9) << pan[1];
        for (double px : {0.0, 50.0, 317.0})
            EXPECT_NEAR(v.LM_X(v.ML_X(px)), px, 1e-9);
    }
}

TEST(View, ZeroSpansAndPlotSizesStayFinite) {
    plot::View v = ViewOf(3, 3, 3, 3);
    EXPECT_TRUE(std::isfinite(v.LM_X(4)));
    EXPECT_TRUE(std::isfinite(v.LM_Y(4)));
    v.SetSize(50, 25);  // no plot area left
    EXPECT_TRUE(std::isfinite(v.ML_X(10)));
    EXPECT_TRUE(std::isfinite(v.ML_Y(10)));
}

TEST(SettleLimits, DegenerateViewsGetASpan) {
    struct Case {
        double lower;
        double upper;
        double settledLower;
        double settledUpper;
    };
    const Case cases[] = {
        {-10, 10, -10, 10},      // nothing to do
        {0, 0, -0.07, 0.06},     // both 0: ±0.01, then still under 0.05
        {5, 5, 4.94, 5.05},      // no span
        {1, 1.04, 0.94, 1.09},   // under 0.05
        {10, -10, 9.94, -9.95},  // upside down stays so: the owner chose it
        {kNaN, 5, 0, 5},         // not a number: 0
        {-kInf, kInf, -1e300, 1e300},
    };
    for (const Case& c : cases) {
        double lower = c.lower;
        double upper = c.upper;
        plot::SettleLimits(lower, upper);
        EXPECT_NEAR(lower, c.settledLower, 1e-12 * std::max(1.0, std::fabs(c.settledLower)))
            << c.lower << " " << c.upper;
        EXPECT_NEAR(upper, c.settledUpper, 1e-12 * std::max(1.0, std::fabs(c.settledUpper)))
            << c.lower << " " << c.upper;
    }
    // So large that adding 0.05 changes nothing.
    double lower = 1e20;
    double upper = 1e20;
    plot::SettleLimits(lower, upper);
    EXPECT_GT(upper - lower, 0);
}

TEST(Autoscale, OneSampleAtTheOrigin) {
    plot::View v;
    v.panX = 3;
    v.panY = -2;
    plot::Autoscale(v, {0, 0}, {0, 0}, plot::AutoscaleBounds{});
    EXPECT_EQ(v.upperX, 5);   // RoundAxisMax(0), above XMin 1
    EXPECT_EQ(v.lowerX, -1);  // min(0, XMinPred 0, XStart -1)
    EXPECT_EQ(v.upperY, 5);
    EXPECT_EQ(v.lowerY, -1);
    EXPECT_EQ(v.panX, 0);
    EXPECT_EQ(v.panY, 0);
}

TEST(Autoscale, HeadroomAndBounds) {
    struct Case {
        plot::Range x;
        plot::Range y;
        plot::AutoscaleBounds bounds;
        double lowerX, upperX, lowerY, upperY;
    };
    plot::AutoscaleBounds wide;
    wide.xMin = 50;
    wide.yMin = 1000;
    wide.xStart = -4;
    wide.yMinPred = -30;
    plot::AutoscaleBounds headroom;
    headroom.procGrid = 1.1;
    const Case cases[] = {
        {{0, 97.3}, {-3, 450}, {}, -1, 100, -3, 455},
        {{0, 0.5}, {2, 3}, wide, -4, 50, -30, 1000},
        {{-20, 109}, {0, 200}, headroom, -22, 120, -1, 225},
    };
    for (const Case& c : cases) {
        plot::View v;
        plot::Autoscale(v, c.x, c.y, c.bounds);
        EXPECT_DOUBLE_EQ(v.lowerX, c.lowerX);
        EXPECT_DOUBLE_EQ(v.upperX, c.upperX);
        EXPECT_DOUBLE_EQ(v.lowerY, c.lowerY);
        EXPECT_DOUBLE_EQ(v.upperY, c.upperY);
    }
}

TEST(FiniteRange, LeavesOutWhatIsNotANumber) {
    C_Buffer b;
    b.SetCanCount(2);
    for (double v : {kNaN, 4.0, -2.0, kInf, 7.0})
        b.AddValue(1, v);
    const plot::Range r = plot::FiniteRange(b, 1);
    EXPECT_EQ(r.min, -2.0);
    EXPECT_EQ(r.max, 7.0);
    const plot::Range empty = plot::FiniteRange(b, 0);
    EXPECT_EQ(empty.min, 0.0);
    EXPECT_EQ(empty.max, 0.0);
}

TEST(MultiGetMinMax, OverTheVisibleChannelsFromOne) {
    C_Buffer b;
    b.SetCanCount(5);
    b.AddValue(0, -100);  // channel 0 is never one of the curves
    b.AddValue(0, 100);
    for (double v : {3.0, 9.0})
        b.AddValue(1, v);
    for (double v : {-4.0, 2.0})
        b.AddValue(2, v);
    for (double v : {5.0, 20.0})
        b.AddValue(3, v);
    b.AddValue(4, kNaN);
    plot::ChannelFlags visible{};
    EXPECT_EQ(plot::MultiGetMin(b, visible), 0.0);
    EXPECT_EQ(plot::MultiGetMax(b, visible), 0.0);
    visible[0] = visible[1] = visible[3] = visible[4] = true;
    EXPECT_EQ(plot::MultiGetMin(b, visible), 3.0);
    EXPECT_EQ(plot::MultiGetMax(b, visible), 20.0);
    visible[2] = true;
    EXPECT_EQ(plot::MultiGetMin(b, visible), -4.0);
}

TEST(GridLines, PassThroughZeroWithThePhaseInOneCell) {
    struct Case {
        double zero;
        double size;
        double cells;
        std::vector<double> lines;
    };
    const Case cases[] = {
        {150, 500, 10, {0, 50, 100, 150, 200, 250, 300, 350, 400, 450, 500}},
        {175, 500, 5, {75, 175, 275, 375, 475, 575}},
        {-30, 300, 3, {70, 170, 270, 370}},  // a zero left of the plot
        {40, 90, 0, {40, 130}},              // 0 cells count as 1
        {12.3456, 100, 2, {12.3456, 62.3456, 112.3456}},
        // A centimetre at 96 pixels an inch: the line through 0 is on 0.
        {250,
         300,
         300 / (96 / 2.54),
         {23.2283464567, 61.0236220472, 98.8188976378, 136.6141732283, 174.4094488189,
          212.2047244094, 250, 287.7952755906}},
    };
    for (const Case& c : cases) {
        const std::vector<double> lines = plot::GridLines(c.zero, c.size, c.cells);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.zero;
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_NEAR(lines[i], c.lines[i], 1e-9 * c.size) << c.zero << " line " << i;
    }
}

TEST(GridLines, NoneWithoutRoom) {
    // A plot of no size was a modulo by zero; a cell under a pixel would
    // take a line per thousandth of one.
    const double cases[][3] = {
        {100, 0, 10},     {100, -40, 10},  {100, 500, -2},
        {100, 500, kNaN}, {100, 500, 1e9}, {100, kInf, 10},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(plot::GridLines(c[0], c[1], c[2]).empty()) << c[1] << " " << c[2];
    for (double zero : {1e300, -1e300, kNaN, kInf}) {
        const std::vector<double> lines = plot::GridLines(zero, 500, 10);
        ASSERT_EQ(lines.size(), 11u);
        EXPECT_GE(lines[0], 0);
        EXPECT_LT(lines[0], 50);
    }
}

// ----- the curve's polylines

TEST(ClipSegment, KeepsThePartInside) {
    const plot::ClipRect r{0, 0, 100, 100};
    struct Case {
        double a[2];
        double b[2];
        bool kept;
        double ka[2];
        double kb[2];
    };
    const Case cases[] = {
        {{50, 50}, {250, 50}, true, {50, 50}, {100, 50}},
        {{-100, -100}, {200, 200}, true, {0, 0}, {100, 100}},
        {{-10, 50}, {-5, 90}, false, {}, {}},
        {{150, -10}, {250, 50}, false, {}, {}},
        {{90, -20}, {120, 10}, false, {}, {}},  // passes the corner outside
        // A hundred orders of magnitude away, and still through (50, 40).
        {{50, 40}, {1e150, 40 + 2e149}, true, {50, 40}, {100, 50}},
        {{-1e150, 50}, {1e150, 50}, true, {0, 50}, {100, 50}},
    };
    for (const Case& c : cases) {
        double ax = c.a[0], ay = c.a[1], bx = c.b[0], by = c.b[1];
        ASSERT_EQ(plot::ClipSegment(r, ax, ay, bx, by), c.kept) << c.b[0];
        if (!c.kept) continue;
        EXPECT_NEAR(ax, c.ka[0], 1e-9);
        EXPECT_NEAR(ay, c.ka[1], 1e-9);
        EXPECT_NEAR(bx, c.kb[0], 1e-9);
        EXPECT_NEAR(by, c.kb[1], 1e-9);
    }
}

std::vector<std::vector<plot::Pixel>> Polylines(const plot::Path& path) {
    std::vector<std::vector<plot::Pixel>> out;
    for (size_t k = 0; k < path.Polylines(); ++k)
        out.emplace_back(path.points.begin() + static_cast<long>(path.Begin(k)),
                         path.points.begin() + static_cast<long>(path.End(k)));
    return out;
}

using Line = std::vector<plot::Pixel>;

TEST(CurveTracer, OneSegmentPerSampleLeavesOutRepeatedPixels) {
    plot::Path path;
    plot::CurveTracer t({-10, -10, 110, 110}, false, path);
    for (auto [x, y] : {std::pair{1.2, 1.9}, {1.7, 1.1}, {5.5, 3.0}, {5.9, 3.9}, {8.0, 2.0}})
        t.Add(x, y);
    t.Finish();
    EXPECT_EQ(Polylines(path), (std::vector<Line>{{{1, 1}, {5, 3}, {8, 2}}}));
}

TEST(CurveTracer, AColumnKeepsFirstExtremesInOrderAndLast) {
    plot::Path path;
    plot::CurveTracer t({-10, -10, 110, 110}, true, path);
    t.Add(0, 10);
    for (double y : {20.0, 15.0, 30.0, 5.0, 25.0, 18.0})  // column 1: max 30 before min 5
        t.Add(1.5, y);
    for (double y : {40.0, 2.0, 41.0})  // column 2: min 2 before max 41, which is last
        t.Add(2, y);
    t.Finish();
    EXPECT_EQ(Polylines(path),
              (std::vector<Line>{
                  {{0, 10}, {1, 20}, {1, 30}, {1, 5}, {1, 18}, {2, 40}, {2, 2}, {2, 41}}}));
}

TEST(CurveTracer, GapsAndCutsAtTheEdge) {
    plot::Path path;
    plot::CurveTracer t({0, 0, 100, 100}, true, path);
    t.Add(10, 10);
    t.Add(20, 10);
    t.Add(std::nan(""), 10);  // a gap
    t.Add(30, 50);
    t.Add(1e300, 50);  // out through the right edge, on the same row
    t.Add(1e300, -1e300);
    t.Add(50, -50);  // back in through the top
    t.Add(50, 20);
    t.Finish();
    EXPECT_EQ(
        Polylines(path),
        (std::vector<Line>{{{10, 10}, {20, 10}}, {{30, 50}, {100, 50}}, {{50, 0}, {50, 20}}}));
    EXPECT_TRUE(t.HasLast());
    EXPECT_EQ(t.LastX(), 50);
    EXPECT_EQ(t.LastY(), 20);
}

// Long runs in one pixel column are taken a block of samples at a time:
// the same polylines as sample by sample, whatever ends a run inside a block.
TEST(CurveTracer, SamplesAtOnceTraceAsOneByOne) {
    const plot::Mapping m{-1.0, 0.0, 100.0, 50.0, -10.0, 0.0, 20.0, 25.0, 600.0};
    const plot::ClipRect clip{-64, -64, 1063, 663};
    std::mt19937 random(7);
    const auto noise = [&random](double amplitude) {
        return amplitude * (static_cast<double>(random() % 2001) / 1000.0 - 1.0);
    };
    struct Case {
        const char* name;
        std::function<std::pair<double, double>(int)> sample;
    };
    const int n = 20000;
    const Case cases[] = {
        {"a hundred samples a column, rows changing inside blocks",
         [&](int i) {
             return std::pair{i * 1e-4, 5.0 + 2.0 * std::sin(i / 500.0) + noise(0.15)};
         }},
        {"X runs back and forth",
         [&](int i) {
             return std::pair{3.0 + 3.0 * std::sin(i * 1e-3), i * 1e-3 + noise(0.1)};
         }},
        {"one column, X all equal",
         [&](int) {
             return std::pair{2.0, 5.0 + noise(3.0)};
         }},
        {"columns at and left of zero",
         [&](int i) {
             return std::pair{-1.8 + i * 2e-5, 1.0 + noise(0.2)};
         }},
        {"not numbers, infinities and far samples inside runs",
         [&](int i) {
             double x = i * 1e-4;
             double y = 5.0 + noise(0.15);
             if (i % 777 == 100) x = kNaN;
             if (i % 1013 == 50) y = kInf;
             if (i % 1499 == 7) y = -1e5;
             if (i % 2003 == 9) x = y = kNaN;
             return std::pair{x, y};
         }},
        {"out through the top and the bottom inside a column",
         [&](int i) {
             return std::pair{i * 1e-4, 8.0 + 30.0 * std::sin(i / 40.0)};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> xs;
        std::vector<double> ys;
        for (int i = 0; i < n; ++i) {
            const auto [x, y] = c.sample(i);
            xs.push_back(x);
            ys.push_back(y);
        }
        // Passed in two parts, as the live drawing goes on from a redraw;
        // where the first part ends falls on every place inside a block.
        struct Split {
            size_t step;
            size_t at;
        };
        std::vector<Split> splits = {{3, 12345}};
        for (size_t at = 12345; at < 12345 + 16; ++at)
            splits.push_back({1, at});
        for (const Split split : splits) {
            const size_t step = split.step;
            SCOPED_TRACE(testing::Message() << "step " << step << ", first part to " << split.at);
            plot::Path one;
            plot::CurveTracer byOne(clip, true, one);
            plot::Path many;
            plot::CurveTracer atOnce(clip, true, many);
            size_t i = 0;
            for (; i < split.at; i += step)
                byOne.Add(m.X(xs[i]), m.Y(ys[i]));
            const size_t half = atOnce.AddSamples(xs.data(), ys.data(), 0, split.at, step, m);
            ASSERT_EQ(half, i);
            ASSERT_EQ(atOnce.HasLast(), byOne.HasLast());
            EXPECT_EQ(atOnce.LastX(), byOne.LastX());
            EXPECT_EQ(atOnce.LastY(), byOne.LastY());
            for (; i < xs.size(); i += step)
                byOne.Add(m.X(xs[i]), m.Y(ys[i]));
            byOne.Finish();
            plot::Scanned scan;
            atOnce.AddSamples(xs.data(), ys.data(), half, xs.size(), step, m, &scan);
            atOnce.Finish();
            EXPECT_EQ(many.points, one.points);
            EXPECT_EQ(many.starts, one.starts);
            ASSERT_EQ(atOnce.HasLast(), byOne.HasLast());
            EXPECT_EQ(atOnce.LastX(), byOne.LastX());
            EXPECT_EQ(atOnce.LastY(), byOne.LastY());
            EXPECT_GE(one.points.size(), 4u);  // drawn at all
            // The rescan of the second part: every sample, the step aside.
            double minX = xs[half];
            double maxX = minX;
            double minY = ys[half];
            double maxY = minY;
            for (size_t k = half; k < xs.size(); ++k) {
                minX = xs[k] < minX ? xs[k] : minX;
                maxX = xs[k] > maxX ? xs[k] : maxX;
                minY = ys[k] < minY ? ys[k] : minY;
                maxY = ys[k] > maxY ? ys[k] : maxY;
            }
            EXPECT_TRUE(scan.any);
            EXPECT_EQ(scan.minX, minX);
            EXPECT_EQ(scan.maxX, maxX);
            EXPECT_EQ(scan.minY, minY);
            EXPECT_EQ(scan.maxY, maxY);
        }
    }
}

}  // namespace

TEST(PlaceAxisNumber, WholeInsideItsRoomOrLeftOut) {
    // Room 50 ... 499, as the strip under a plot from x = 50 to a frame at 499.
    struct Case {
        double size;
        double tick;
        double low;
        double high;
        std::optional<double> start;
    };
    const Case cases[] = {
        {40, 200, 50, 499, 200},              // fits at its tick
        {40, 50, 50, 499, 50},                // the first tick, on the edge
        {40, 49.5, 50, 499, 50},              // on the frame, a pixel before
        {40, 49, 50, 499, 50},                // still a pixel before
        {40, 48.5, 50, 499, std::nullopt},    // under the left strip
        {40, 470, 50, 499, 459},              // the last tick, shifted in
        {40, 499, 50, 499, 459},              // on the right edge
        {40, 500, 50, 499, std::nullopt},     // past it
        {52, 480, 50, 499, 447},              // a wider "-1,200"
        {40, -30, -100, -20, -60},            // a room left of 0
        {40, -110, -100, -20, std::nullopt},  // before it
        {40, 60, 50, 85, std::nullopt},       // a very narrow plot
        {35, 50, 50, 85, 50},                 // just room enough
        {0, 70, 50, 85, 70},                  // an empty text
        {-1, 70, 50, 85, std::nullopt},       // no size
        {40, kNaN, 50, 499, std::nullopt},
        {kNaN, 200, 50, 499, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<double> start = plot::PlaceAxisNumber(c.size, c.tick, c.low, c.high);
        EXPECT_EQ(start, c.start) << c.size << " at " << c.tick << " in " << c.low << "..."
                                  << c.high;
        if (start) {
            EXPECT_GE(*start, c.low);
            EXPECT_LE(*start + c.size, c.high);
        }
    }
}

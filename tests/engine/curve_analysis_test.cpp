#include "engine/c_gost_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/cbuffer.h"
#include "support/curves.h"

namespace {

// The analysis over a buffer of seven channels: force on Y (1) and
// displacement on X (2), one sample every 0.1 s.
struct Analysis {
    Analysis() {
        buffer.SetCanCount(7);
        base.SetBuffer(&buffer);
    }

    void Record(const std::vector<double>& y, const std::vector<double>& x = {}) {
        buffer.ClearAll();
        for (size_t i = 0; i < y.size(); ++i) {
            const double xi = x.empty() ? static_cast<double>(i) : x[i];
            buffer.AddValue(0, 0.1 * static_cast<double>(i));
            buffer.AddValue(1, y[i]);
            buffer.AddValue(2, xi);
            buffer.AddValue(3, xi);
            buffer.AddValue(4, 10.0 * y[i]);
            buffer.AddValue(5, 2.0 * xi);
        }
    }
    std::vector<double> Channel(int c) const {
        std::vector<double> v;
        for (int i = 0; i < buffer.GetCount(c); ++i)
            v.push_back(buffer.GetValue(c, i));
        return v;
    }

    C_Buffer buffer;
    C_Gost_Base base;
};

// 0, 1, 2, ... up to top: steps of exactly 1.
std::vector<double> Ramp(int top) {
    std::vector<double> y;
    for (int i = 0; i <= top; ++i)
        y.push_back(i);
    return y;
}

std::vector<double> Then(std::vector<double> y, const std::vector<double>& more) {
    y.insert(y.end(), more.begin(), more.end());
    return y;
}

// ---------------------------------------------------------------- distance

TEST(CurveDistToSegment, MeasuresToTheNearestPointOfTheSegment) {
    struct Case {
        const char* name;
        double px, py, ax, ay, bx, by;
        double distance;
    };
    const Case cases[] = {
        {"beside the middle", 1, 1, 0, 0, 2, 0, 1.0},
        {"before the start", -3, 4, 0, 0, 2, 0, 5.0},
        {"beyond the end", 5, 4, 0, 0, 2, 0, 5.0},
        {"on the segment", 1, 1, 0, 0, 2, 2, 0.0},
        {"slanted", 0, 2, 0, 0, 2, 2, std::sqrt(2.0)},
        {"segment of no length", 7, 7, 1, 1, 1, 1, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(C_Gost_Base::DistToSegment(c.px, c.py, c.ax, c.ay, c.bx, c.by), c.distance,
                    1e-12);
    }
}

// ---------------------------------------------------------------- maximum and break

TEST(CurveMaxAndBreak, CutsOnlyAtAStepAboveTenTimesTheMeanAfterTheMaximum) {
    struct Case {
        const char* name;
        std::vector<double> y;
        int iMax;
        int kept;  // samples left in channels 0 to 5
    };
    const Case cases[] = {
        {"even steps up to the last sample", Ramp(20), 20, 21},
        // Steps of 1 before the maximum at 10: a fall of exactly 10 is no break.
        {"exactly ten times the mean", Then(Ramp(10), {0, 0, 0}), 10, 14},
        {"above ten times the mean", Then(Ramp(10), {-0.5, 0, 0}), 10, 11},
        {"break after a stretch of necking", Then(Ramp(10), {9.5, 9, 8.5, -10, -10}), 10, 14},
        // The jump that reaches the maximum belongs to the curve.
        {"a jump into the maximum", Then(Ramp(9), {100, 99.5, 99, 98.5}), 10, 14},
        {"maximum at sample 0", {10, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}, 0, 11},
        {"maximum at sample 1", {0, 10, 0, 5, 0, 0, 0, 0, 0, 0, 0}, 1, 11},
        {"equal maxima: the first counts", Then(Ramp(10), {10, 9, 8, 7}), 10, 15},
        {"never above zero", {0, -1, -2, -3, -4, -5, -6, -7, -8, -9, -10}, 0, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        a.Record(c.y);
        a.base.FindMaxAndBreak();
        EXPECT_EQ(a.base.iMax, c.iMax);
        EXPECT_EQ(a.base.yMax, c.iMax == 0 && c.y[0] <= 0 ? 0.0f : static_cast<float>(c.y[c.iMax]));
        for (int ch = 0; ch <= 5; ++ch)
            EXPECT_EQ(a.buffer.GetCount(ch), c.kept) << "channel " << ch;
        // The steps of what is kept, for a look at the noise.
        EXPECT_EQ(a.buffer.GetCount(C_Gost_Base::kScratch), c.kept - 1);
    }
}

TEST(CurveMaxAndBreak, TheCutKeepsEveryChannelWithItsRange) {
    Analysis a;
    a.Record(Then(Ramp(10), {9.5, 9, -10, -10}));
    a.base.FindMaxAndBreak();
    ASSERT_EQ(a.buffer.GetCount(1), 13);
    EXPECT_EQ(a.Channel(1), Then(Ramp(10), {9.5, 9}));
    EXPECT_EQ(a.Channel(4).back(), 90.0);
    EXPECT_EQ(a.Channel(5).back(), 24.0);
    // The running range is that of the kept samples: the fall to -10 is gone.
    EXPECT_EQ(a.buffer.GetMin(1), 0.0);
    EXPECT_EQ(a.buffer.GetMin(4), 0.0);

    // A second analysis of the same data finds nothing more to cut.
    a.base.FindMaxAndBreak();
    EXPECT_EQ(a.buffer.GetCount(1), 13);
}

TEST(CurveMaxAndBreak, WithoutTheCutFlagTheChannelsStay) {
    Analysis a;
    a.Record(Then(Ramp(10), {-0.5, 0, 0}));
    a.base.truncateAtBreak = 0;
    a.base.FindMaxAndBreak();
    EXPECT_EQ(a.buffer.GetCount(1), 14);
    EXPECT_EQ(a.buffer.GetCount(0), 14);
}

TEST(CurveMaxAndBreak, ReadsOnlySamplesPresentInBothChannels) {
    Analysis a;
    a.Record(Then(Ramp(10), {9, 8}));
    // A file may hold channels of different lengths: the force past the last
    // displacement sample is no part of the curve.
    a.buffer.cans[2].samples.resize(8);
    a.buffer.cans[2].count = 8;
    a.buffer.AddValue(1, 50.0);
    EXPECT_EQ(a.base.SampleCount(), 8);
    a.base.FindMaxAndBreak();
    EXPECT_EQ(a.base.iMax, 7);
    EXPECT_EQ(a.base.yMax, 7.0f);
}

// ---------------------------------------------------------------- elastic bound

// The steepest ray from the pivot by its arctangent, as the bound is defined.
int TangentByAngle(const std::vector<double>& x, const std::vector<double>& y, float yMax) {
    size_t j = 0;
    while (j < y.size() && !(static_cast<float>(y[j]) > yMax / 3.0f))
        ++j;
    if (j == y.size() || j == 0) return 0;
    const float x0 = static_cast<float>(x[0]);
    const double pivot = x0 - 5.0f * (static_cast<float>(x[j]) - x0);
    double best = 0.0;
    int index = 0;
    for (size_t i = 0; i < y.size(); ++i) {
        const double a = std::atan2(static_cast<float>(y[i]), static_cast<float>(x[i]) - pivot);
        if (a > best) {
            best = a;
            index = static_cast<int>(i);
        }
    }
    return index;
}

TEST(CurveTangentPoint, IsTheSteepestRayFromThePivot) {
    using namespace testsupport::curves;
    const Specimen s{78.54, 50.0};
    const Bilinear bilinear;
    const UpperYield upper;
    const RambergOsgood smooth;
    struct Case {
        const char* name;
        Recording r;
    };
    Case cases[] = {
        {"bilinear", Sample([&](double e) { return bilinear.Stress(e); }, 0.14, 3000, s)},
        {"upper yield", Sample([&](double e) { return upper.Stress(e); }, 0.2, 3000, s)},
        {"smooth", Sample([&](double e) { return smooth.Stress(e); }, 0.02, 3000, s)},
    };
    AddForceNoise(cases[0].r, 0.02, 7);
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Analysis a;
        a.Record(c.r.force, c.r.displacement);
        a.base.truncateAtBreak = 0;
        a.base.FindMaxAndBreak();
        a.base.FindTangentPoint();
        const int expected = TangentByAngle(c.r.displacement, c.r.force, a.base.yMax);
        EXPECT_GT(expected, 0);
        EXPECT_EQ(a.base.iTangent, expected);
        EXPECT_EQ(a.base.yTangent, static_cast<float>(c.r.force[static_cast<size_t>(expected)]));
    }
}

TEST(CurveTangentPoint, StaysAtZeroWhenTheFirstSampleIsAboveAThird) {
    Analysis a;
    a.Record({5, 6, 7, 8, 9, 10, 9, 8, 7, 6, 5});
    a.base.FindMaxAndBreak();
    a.base.FindTangentPoint();
    EXPECT_EQ(a.base.iTangent, 0);
    EXPECT_EQ(a.base.yTangent, 0.0f);
}

TEST(CurveElasticBound, PercentOfTheMaximumOverridesTheBound) {
    struct Case {
        float pct;
        int iTangent;
        float yTangent;
    };
    // Ramp to 20 (the maximum at 20), the geometric bound left at sample 4.
    for (const Case& c : {Case{0, 4, 4.0f}, Case{30, 7, 7.0f}, Case{50, 11, 11.0f}}) {
        SCOPED_TRACE(c.pct);
        Analysis a;
        a.Record(Ramp(20));
        a.base.FindMaxAndBreak();
        a.base.iTangent = 4;
        a.base.yTangent = 4.0f;
        a.base.SetElasticBoundByPercent(c.pct);
        EXPECT_EQ(a.base.iTangent, c.iTangent);
        EXPECT_EQ(a.base.yTangent, c.yTangent);
    }
}

// ---------------------------------------------------------------- yield point

TEST(CurveYieldPoint, IsThePeakBeforeTheFlatStretch) {
    using namespace testsupport::curves;
    const Specimen s{78.54, 50.0};
    // Straight to the peak, and with a rounded knee below it: there the
    // proportional limit lies well below the peak, the search for the
    // highest sample runs over many samples.
    for (const UpperYield& c : {UpperYield{}, RoundedKnee()}) {
        SCOPED_TRACE(c.knee);
        for (bool noisy : {false, true}) {
            SCOPED_TRACE(noisy);
            Recording r = Sample([&](double e) { return c.Stress(e); }, 0.2, 3000, s);
            if (noisy) AddForceNoise(r, 0.0005 * MaxOf(r.force), 11);
            Analysis a;
            a.Record(r.force, r.displacement);
            a.base.Analyse(false);
            const double step = 0.2 / 2999;
            EXPECT_NEAR(a.base.iYield, std::round(c.PeakStrain() / step), 1.0);
            const auto peak =
                std::max_element(r.force.begin(), r.force.begin() + a.base.iYield + 2);
            EXPECT_NEAR(a.base.yYield, *peak, s.Force(c.modulus * step));
            if (c.knee > 0.0) {
                EXPECT_LT(a.base.iProp + 1, a.base.iYield);
            }
        }
    }
}

// ---------------------------------------------------------------- offset points

TEST(CurveOffsetYield, ASlackToeIsNoOffsetPoint) {
    using namespace testsupport::curves;
    const Specimen s{78.54, 50.0};
    const Bilinear c;
    // 1 mm of slack, taken up as the stress grows by 60 N/mm² steps: the
    // elastic line is fitted over the end of the toe, which the offset
    // lines cross low down.
    const Slack slack{1.0, 60.0};
    for (int samples : {3000, 20000}) {
        SCOPED_TRACE(samples);
        const Recording r =
            WithSlack(Sample([&](double e) { return c.Stress(e); }, 0.1, samples, s), slack, s);
        Analysis a;
        a.Record(r.force, r.displacement);
        a.base.gaugeLength = 50.0f;
        a.base.Analyse(true);
        // One sample along the hardening line.
        const double tolerance = s.Force(c.hardening * 0.1 / (samples - 1)) * 1.01;
        for (float pct : {0.02f, 0.05f, 0.2f}) {
            SCOPED_TRACE(pct);
            a.base.FindOffsetYield(pct);
            EXPECT_GT(a.base.iOffset, a.base.iProp);
            EXPECT_GT(a.base.yOffset, a.base.yProp);
            const double foot = a.base.xIntercept + 0.01 * 50.0 * pct;
            EXPECT_NEAR(a.base.yOffset,
                        s.Force(OffsetStressWithSlack(c, slack, s, a.base.slope, foot)), tolerance);
        }
    }
}

TEST(CurveOffsetIntersection, ATieGoesToTheLaterSample) {
    // The offset line y = x from (0, 0) to (1, 1); two samples the same
    // distance off it, one on either side, in both orders.
    const std::vector<double> above = {0.4, 0.6};
    const std::vector<double> below = {0.6, 0.4};
    for (bool aboveFirst : {true, false}) {
        SCOPED_TRACE(aboveFirst);
        const std::vector<double>& p1 = aboveFirst ? above : below;
        const std::vector<double>& p2 = aboveFirst ? below : above;
        Analysis a;
        a.Record({0, p1[1], p2[1], 0, 0}, {0, p1[0], p2[0], 3, 4});
        a.base.yMax = 1.0f;
        float y = -1.0f;
        int index = -1;
        a.base.FindOffsetIntersection(1.0f, 0.0f, 0.5f, 0.0f, y, index);
        EXPECT_EQ(index, 2);
        EXPECT_EQ(y, static_cast<float>(p2[1]));
    }
}

TEST(CurveOffsetIntersection, ACurveThatNeverReachesTheLineHasNoPoint) {
    // Straight up to the break: no plastic elongation to offset.
    Analysis a;
    a.Record({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9});
    a.base.yMax = 9.0f;
    float y = -1.0f;
    int index = -1;
    // The line y = 10 (x - 0.2) runs right of every sample.
    a.base.FindOffsetIntersection(10.0f, 0.0f, 0.45f, 0.2f, y, index);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(y, 0.0f);
}

TEST(CurveOffsetYield, TheOffsetIsAPercentOfTheGaugeLengthOrTheStrainItself) {
    struct Case {
        int xChannel;
        float foot;
    };
    // Gauge length 50 mm: 0.2 % is 0.1 mm of displacement, or 0.2 on a strain axis in percent.
    for (const Case& c : {Case{2, 0.1f + 0.25f}, Case{3, 0.1f + 0.25f}, Case{5, 0.2f + 0.25f}}) {
        SCOPED_TRACE(c.xChannel);
        Analysis a;
        a.Record(Ramp(20));
        a.base.xChannel = c.xChannel;
        a.base.gaugeLength = 50.0f;
        a.base.xIntercept = 0.25f;
        a.base.slope = 2.0f;
        a.base.xProp = 1.5f;
        a.base.FindOffsetYield(0.2f);
        ASSERT_EQ(a.buffer.picLines.size(), 1u);
        const C_Buffer::SPicLine& line = a.buffer.picLines[0];
        // The line drawn is the offset stretch over twice the proportional-limit X.
        EXPECT_FLOAT_EQ(line.x1, c.foot);
        EXPECT_EQ(line.y1, 0.0f);
        EXPECT_FLOAT_EQ(line.x2, c.foot + 3.0f);
        EXPECT_FLOAT_EQ(line.y2, 6.0f);
        EXPECT_EQ(line.colour, C_Gost_Base::kDarkGrey);
    }
}

// ---------------------------------------------------------------- a clean state

TEST(CurveAnalysis, APointNotFoundIsNotTheLastTestsPoint) {
    using namespace testsupport::curves;
    const Specimen s{78.54, 50.0};
    const UpperYield upper;
    Analysis a;
    const Recording ductile = Sample([&](double e) { return upper.Stress(e); }, 0.2, 3000, s);
    a.Record(ductile.force, ductile.displacement);
    a.base.gaugeLength = 50.0f;
    a.base.Analyse(false);
    a.base.FindOffsetYield(0.2f);
    ASSERT_GT(a.base.iYield, 0);
    ASSERT_GT(a.base.iOffset, 0);

    // A brittle specimen: straight to the break, too short for a yield
    // window and never as far as the offset line.
    std::vector<double> y, x;
    for (int i = 0; i <= 12; ++i) {
        y.push_back(2.0 * i);
        x.push_back(0.01 * i);
    }
    y.push_back(0.1);
    x.push_back(0.13);
    a.Record(y, x);
    a.base.Analyse(false);
    a.base.FindOffsetYield(0.2f);
    EXPECT_EQ(a.base.iMax, 12);
    EXPECT_EQ(a.base.iYield, 0);
    EXPECT_EQ(a.base.yYield, 0.0f);
    EXPECT_EQ(a.base.iOffset, 0);
    EXPECT_EQ(a.base.yOffset, 0.0f);
}

TEST(CurveAnalysis, LeavesTheRecordedChannelsAsTheyWere) {
    using namespace testsupport::curves;
    const Bilinear bilinear;
    // Starts 0.4 mm into the displacement, as with slack in the grips.
    Recording r = Sample([&](double e) { return bilinear.Stress(e); }, 0.14, 3000, {78.54, 50.0});
    for (double& l : r.displacement)
        l += 0.4;
    r.extensometer = r.displacement;
    Analysis a;
    a.Record(r.force, r.displacement);
    a.base.truncateAtBreak = 0;
    const std::vector<double> before[] = {a.Channel(0), a.Channel(1), a.Channel(2), a.Channel(3)};
    for (int run = 0; run < 2; ++run) {
        a.base.Analyse(true);
        a.base.FindOffsetYield(0.2f);
        EXPECT_NEAR(a.base.xIntercept, 0.4f, 1e-4);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(a.Channel(c), before[c]) << "channel " << c << ", run " << run;
    }
}

}  // namespace

#include "model/ckanal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// 0.001 typed by the operator: single precision, widened.
constexpr double kWidenedMilli = 0.0010000000474974513;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A channel whose value equals the raw reading (span = full scale, no offset).
C_Kanal PlainChannel(double fullScale = 1.0, int filterLength = 0, bool filterOn = false,
                     bool tableOn = false, int points = 0) {
    C_Kanal k;
    k.Setup(fullScale, 0.0, fullScale, filterLength, filterOn, tableOn, points, nullptr, "F",
            "кН/c", 1.0);
    return k;
}

// Replaces the table with the given points; the count is set first so every
// SetTable call rebuilds the segments over the whole table.
void LoadTable(C_Kanal& k, const std::vector<double>& x, const std::vector<double>& y) {
    k.tablePoints = static_cast<int>(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        k.SetTableX(static_cast<int>(i), x[i]);
        k.SetTableY(static_cast<int>(i), y[i]);
    }
}

// ---------------------------------------------------------------- setup

TEST(CKanalSetup, ForceChannelAsTheEngineSetsItUp) {
    C_Kanal k;
    EXPECT_TRUE(k.breakFired);  // quiet before any Arm, even never set up
    k.Setup(static_cast<double>(2.92f), 0.0, 1.0, 512, false, false, 20, nullptr, "F", "кН/c", 1.0);
    EXPECT_EQ(k.scaleDivisor, 2.9200000762939453);
    EXPECT_EQ(k.inUse, 1);
    EXPECT_EQ(k.speed, 1.0);
    EXPECT_EQ(k.speedLimit, 300.0);
    EXPECT_EQ(k.protection, 100.0);
    EXPECT_EQ(k.setPoint, 0.0);
    EXPECT_EQ(k.breakPercent, 50.0);
    EXPECT_TRUE(k.breakFired);
    EXPECT_FALSE(k.setPointFired);
    EXPECT_EQ(k.filterLength, 512);
    // Default table: 20 points, X = Y = (i+1)/20 of full scale.
    EXPECT_DOUBLE_EQ(k.tableX[0], 0.05);
    EXPECT_DOUBLE_EQ(k.tableY[9], 0.5);
    EXPECT_EQ(k.tableX[19], 1.0);
    EXPECT_EQ(k.tableX[20], 0.0);
    // The full raw span reads the full scale.
    EXPECT_EQ(k.Compute(static_cast<double>(2.92f)), 1.0);
}

// ---------------------------------------------------------------- compute

struct ScaleCase {
    double span, offset, fullScale, raw, expected;
};

TEST(CKanalCompute, OffsetAndScale) {
    const ScaleCase cases[] = {
        {10.0, 2.0, 100.0, 4.0, 50.0},  // (4+2)*100/(10+2)
        {5.0, -1.0, 20.0, 3.0, 10.0},   // (3-1)*20/(5-1)
        {1.0, 0.5, 3.0, -0.5, 0.0},     // the offset cancels the reading
        {static_cast<double>(2.92f), 0.0, 1.0, static_cast<double>(1.46f), 0.5},  // half span
    };
    for (const auto& c : cases) {
        C_Kanal k;
        k.Setup(c.span, c.offset, c.fullScale, 0, false, false, 0, nullptr, "F", "кН/c", 1.0);
        EXPECT_DOUBLE_EQ(k.Compute(c.raw), c.expected) << c.span << " " << c.offset;
        EXPECT_DOUBLE_EQ(k.rawValue, c.raw + c.offset);
        EXPECT_DOUBLE_EQ(k.gross, c.expected);
    }
}

TEST(CKanalCompute, RawModeBypassesOffsetScaleAndTable) {
    C_Kanal k;
    k.Setup(10.0, 2.0, 100.0, 0, false, true, 3, nullptr, "F", "кН/c", 1.0);
    LoadTable(k, {1.0, 2.0, 4.0}, {1.5, 2.0, 5.0});
    k.rawMode = true;
    EXPECT_EQ(k.Compute(3.0), 3.0);
    EXPECT_EQ(k.rawValue, 3.0);
}

TEST(CKanalCompute, ChannelWithoutSpanReadsZero) {
    C_Kanal never;  // channels 0, 7, 8, 9 are never set up
    EXPECT_EQ(never.Compute(5.0), 0.0);
    C_Kanal k;
    k.Setup(2.0, -2.0, 1.0, 0, false, false, 0, nullptr, "F", "кН/c", 1.0);
    EXPECT_EQ(k.Compute(1.0), 0.0);
    EXPECT_FALSE(std::isnan(k.peak));
}

TEST(CKanalCompute, TareAndPeak) {
    C_Kanal k = PlainChannel();
    EXPECT_EQ(k.Compute(3.0), 3.0);
    k.Tare();
    EXPECT_EQ(k.tare, 3.0);
    EXPECT_EQ(k.Compute(5.0), 2.0);  // net = gross 5 - tare 3
    EXPECT_EQ(k.gross, 5.0);
    EXPECT_EQ(k.peak, 3.0);  // the peak before the tare stays until reset
    EXPECT_EQ(k.Compute(10.0), 7.0);
    EXPECT_EQ(k.Compute(4.0), 1.0);
    EXPECT_EQ(k.peak, 7.0);  // largest net value
    k.ResetPeak();
    EXPECT_EQ(k.Compute(2.0), -1.0);
    EXPECT_EQ(k.peak, 0.0);  // a negative value does not raise a reset peak
    k.ClearTare();
    EXPECT_EQ(k.Compute(2.0), 2.0);
    EXPECT_EQ(k.peak, 2.0);
}

// ---------------------------------------------------------------- table

// Measured 1, 2, 4 -> reference 1.5, 2, 5. Lines v*slope - intercept:
//   seg 0: 1.5 v (through zero); seg 1: 0.5 v + 1; seg 2: 1.5 v - 1;
//   above the last point: ratio 5/4 (the last segment would give 1.5 v - 1).
TEST(CKanalTable, SegmentsOfAHandTable) {
    C_Kanal k = PlainChannel(1.0, 0, false, true, 3);
    LoadTable(k, {1.0, 2.0, 4.0}, {1.5, 2.0, 5.0});
    EXPECT_EQ(k.segSlope[0], 1.5);
    EXPECT_EQ(k.segIntercept[0], 0.0);
    EXPECT_EQ(k.segSlope[1], 0.5);
    EXPECT_EQ(k.segIntercept[1], -1.0);
    EXPECT_EQ(k.segSlope[2], 1.5);
    EXPECT_EQ(k.segIntercept[2], 1.0);
}

TEST(CKanalTable, AppliesSegmentsAndLastRatio) {
    struct Case {
        double raw, expected;
    };
    const Case cases[] = {
        {-2.0, -3.0},              // below the first point: segment 0
        {0.5, 0.75},  {1.0, 1.5},  // exactly at a point gives its reference
        {1.5, 1.75},  {2.0, 2.0},  {3.0, 3.5},
        {4.0, 5.0},   {8.0, 10.0},  // 8 * 5/4, not 1.5*8 - 1 = 11
    };
    C_Kanal k = PlainChannel(1.0, 0, false, true, 3);
    LoadTable(k, {1.0, 2.0, 4.0}, {1.5, 2.0, 5.0});
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(k.Compute(c.raw), c.expected) << c.raw;
}

TEST(CKanalTable, DefaultTableIsTheIdentity) {
    C_Kanal k = PlainChannel(1.0, 0, false, true, 20);
    for (double raw : {0.01, 0.05, 0.333, 0.99, 1.0, 1.7})
        EXPECT_DOUBLE_EQ(k.Compute(raw), raw);
}

TEST(CKanalTable, OnePointIsProportional) {
    C_Kanal k = PlainChannel(1.0, 0, false, true, 1);
    LoadTable(k, {2.0}, {3.0});
    EXPECT_EQ(k.Compute(4.0), 6.0);
    EXPECT_EQ(k.Compute(-2.0), -3.0);
}

TEST(CKanalTable, FirstPointZeroBecomesOne) {
    C_Kanal k = PlainChannel(1.0, 0, false, true, 2);
    LoadTable(k, {0.0, 2.0}, {0.5, 3.0});
    EXPECT_EQ(k.tableX[0], 1.0);
    // seg 0: 0.5/1; seg 1: slope (3-0.5)/(2-1) = 2.5, line 2.5 v - 2.
    EXPECT_EQ(k.segSlope[0], 0.5);
    EXPECT_EQ(k.segSlope[1], 2.5);
    EXPECT_EQ(k.segIntercept[1], 2.0);
    EXPECT_DOUBLE_EQ(k.Compute(1.5), 1.75);
}

TEST(CKanalTable, NoPointsLeaveTheValue) {
    for (int points : {0, -1, -1000}) {
        C_Kanal k = PlainChannel(1.0, 0, false, true, 3);
        LoadTable(k, {1.0, 2.0, 4.0}, {1.5, 2.0, 5.0});
        k.tablePoints = points;
        EXPECT_EQ(k.Compute(3.0), 3.0) << points;
        k.DefaultTable();
        k.MakeSegments();
        EXPECT_EQ(k.Compute(3.0), 3.0) << points;
    }
}

TEST(CKanalTable, PointCountIsBoundedByTheTable) {
    C_Kanal k = PlainChannel(100.0, 0, false, true, 500);  // more than the table holds
    k.setPoint = 7.0;
    k.DefaultTable();
    EXPECT_EQ(k.tableX[99], 100.0);  // (99+1) * 100 / 100: the 100 points count
    EXPECT_EQ(k.setPoint, 7.0);      // nothing written past the table
    // Reference twice the measured value: X = i+1, Y = 2(i+1).
    for (int i = 0; i < 100; ++i)
        k.tableY[static_cast<size_t>(i)] = 2.0 * (i + 1);
    k.MakeSegments();
    EXPECT_DOUBLE_EQ(k.Compute(150.0), 300.0);  // above point 100: ratio 200/100
    EXPECT_DOUBLE_EQ(k.Compute(50.5), 101.0);   // between 50 and 51: slope 2, intercept 0
}

TEST(CKanalTable, NonAscendingTableHasNoDivisionByZero) {
    // Last measured point 0 has no ratio; the last segment's line serves:
    // seg 2: slope (8-4)/(0-4) = -1, intercept (8*4 - 4*0)/(0-4) = -8 -> 8 - v.
    C_Kanal k = PlainChannel(1.0, 0, false, true, 3);
    LoadTable(k, {1.0, 4.0, 0.0}, {1.0, 4.0, 8.0});
    EXPECT_EQ(k.Compute(2.0), 6.0);
    EXPECT_EQ(k.Compute(10.0), -2.0);
    EXPECT_EQ(k.Compute(0.5), 0.5);  // at or below the first point: segment 0
    EXPECT_TRUE(std::isfinite(k.peak));
}

TEST(CKanalTable, IndexOutsideTheTableIsIgnored) {
    C_Kanal k = PlainChannel(1.0, 0, false, true, 3);
    LoadTable(k, {1.0, 2.0, 4.0}, {1.5, 2.0, 5.0});
    const C_Kanal before = k;
    for (int index : {-1, 100, 1000, -100000}) {
        k.SetTableX(index, 9.0);
        k.SetTableY(index, 9.0);
    }
    EXPECT_EQ(k.tableX, before.tableX);
    EXPECT_EQ(k.tableY, before.tableY);
    EXPECT_EQ(k.segSlope, before.segSlope);
    EXPECT_EQ(k.setPoint, before.setPoint);
    EXPECT_EQ(k.tablePoints, before.tablePoints);
    k.SetTableY(99, 9.0);  // the last slot is still writable
    EXPECT_EQ(k.tableY[99], 9.0);
}

// ---------------------------------------------------------------- filter

// N = 4: c*N = 0.625 (a hair less); t0 = -2/0.625 = -3.2f, t1 = -1/0.625 = -1.6f.
// e^-10.24 = 3.5713e-5, e^-2.56 = 0.077305, sum 0.077341:
// w0 = 2.3088e-4, w1 = 0.49977 (normalised to half of 1).
TEST(CKanalFilter, KernelOfLengthFourAndFive) {
    C_Kanal k = PlainChannel(1.0, 4, true);
    EXPECT_NEAR(k.filterWeights[0], 2.3088074e-4, 1e-10);
    EXPECT_NEAR(k.filterWeights[1], 0.49976913, 1e-7);
    EXPECT_EQ(k.filterWeights[2], 0.0);
    // N = 5: t0 = -2.5/0.78125 = -3.2f, t1 = -1.5/0.78125 = -1.92f, e^-3.6864 = 0.025062.
    k.SetFilter(5);
    EXPECT_NEAR(k.filterWeights[0], 7.1147438e-4, 1e-10);
    EXPECT_NEAR(k.filterWeights[1], 0.49928853, 1e-7);
}

// The impulse response is the kernel read backwards: symmetric, peaked in the
// middle, summing to 1. With odd N the newest slot has no weight, so the
// first response is 0 and the rest is symmetric.
TEST(CKanalFilter, ImpulseResponseIsSymmetricAndSumsToOne) {
    for (int n : {2, 8, 9, 512, 1023, 1024}) {
        C_Kanal k = PlainChannel(1.0, n, true);
        for (int i = 0; i < n; ++i)
            k.Compute(0.0);
        std::vector<double> r;
        r.push_back(k.Compute(1.0));
        for (int i = 1; i < n; ++i)
            r.push_back(k.Compute(0.0));
        EXPECT_EQ(k.Compute(0.0), 0.0) << n;  // the impulse has left the window

        const size_t first = n % 2 ? 1 : 0;
        if (first == 1) {
            EXPECT_EQ(r[0], 0.0) << n;
        }
        double sum = 0.0;
        const size_t weighted = r.size() - first;
        for (size_t m = 0; m < weighted; ++m) {
            EXPECT_EQ(r[first + m], r[r.size() - 1 - m]) << n << " at " << m;
            sum += r[first + m];
        }
        EXPECT_NEAR(sum, 1.0, 1e-6) << n;
        const size_t mid = first + weighted / 2;
        for (size_t i = first + 1; i < mid; ++i)
            EXPECT_LT(r[i - 1], r[i]) << n << " at " << i;
    }
}

// Window fills oldest first with the smallest weight on slot 0 (N = 4, weights
// above): 8 w0; 8 (w0 + w1) = 4; 8 (w0 + 2 w1) = 7.99815; full: 8.
TEST(CKanalFilter, FillPhaseThenConstant) {
    C_Kanal k = PlainChannel(1.0, 4, true);
    EXPECT_NEAR(k.Compute(8.0), 1.8470459e-3, 1e-8);
    EXPECT_NEAR(k.Compute(8.0), 4.0, 1e-6);
    EXPECT_NEAR(k.Compute(8.0), 7.9981531, 1e-6);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(k.Compute(8.0), 8.0, 1e-5);
}

TEST(CKanalFilter, ConstantInputComesOutConstantOnceFull) {
    C_Kanal k = PlainChannel(1.0, 512, true);
    double out = 0.0;
    for (int i = 0; i < 256; ++i)
        out = k.Compute(0.75);
    // The older half of the window carries half the kernel: 0.75 / 2.
    EXPECT_NEAR(out, 0.375, 1e-6);
    for (int i = 256; i < 512; ++i)
        k.Compute(0.75);
    // 512 products summed in single precision: a few float steps of 0.75.
    for (int i = 0; i < 600; ++i)
        EXPECT_NEAR(k.Compute(0.75), 0.75, 5e-6) << i;
}

// N = 5 (w0 = 7.1147e-4, w1 = 0.49929): slots 0..3 weighted w0 w1 w1 w0.
TEST(CKanalFilter, OddLengthIgnoresTheNewestSlot) {
    C_Kanal k = PlainChannel(1.0, 5, true);
    for (int i = 0; i < 4; ++i)
        k.Compute(8.0);
    EXPECT_NEAR(k.Compute(1000.0), 8.0, 1e-5);
    // [8 8 8 1000 1000]: 8 (w0 + 2 w1) + 1000 w0 = 7.99431 + 0.71147
    EXPECT_NEAR(k.Compute(1000.0), 8.7057826, 1e-5);
}

TEST(CKanalFilter, LengthIsClampedAndShortWindowsPassThrough) {
    struct Case {
        int length, stored;
    };
    const Case cases[] = {{-5, 0}, {0, 0}, {1, 1}, {2, 2}, {1024, 1024}, {5000, 1024}};
    for (const auto& c : cases) {
        C_Kanal k = PlainChannel(1.0, 0, true);
        k.SetFilter(c.length);
        EXPECT_EQ(k.filterLength, c.stored) << c.length;
    }
    for (int length : {-5, 0, 1}) {
        C_Kanal k = PlainChannel(1.0, length, true);
        EXPECT_EQ(k.Compute(0.1), 0.1) << length;  // no kernel: unchanged, not 0
        EXPECT_EQ(k.Compute(-3.0), -3.0) << length;
    }
    // A clamped long window runs past its length without touching the fields after it.
    C_Kanal k = PlainChannel(1.0, 5000, true);
    for (int i = 0; i < 1100; ++i)
        k.Compute(2.0);
    EXPECT_NEAR(k.Compute(2.0), 2.0, 1e-5);
    EXPECT_EQ(k.inUse, 1);
    EXPECT_EQ(k.fullScale, 1.0);
}

TEST(CKanalFilter, SetFilterRestartsTheWindowAndClearsTare) {
    C_Kanal k = PlainChannel(1.0, 4, true);
    for (int i = 0; i < 6; ++i)
        k.Compute(8.0);
    k.Tare();
    k.SetFilter(4);
    EXPECT_EQ(k.tare, 0.0);
    EXPECT_EQ(k.filterPos, 0);
    EXPECT_NEAR(k.Compute(8.0), 1.8470459e-3, 1e-8);  // fill phase again
}

// ---------------------------------------------------------------- rate

TEST(CKanalRate, AverageOfTheLastTenSlopes) {
    C_Kanal k = PlainChannel(1000.0);
    // Slopes 1, 2, ..., 10 at one-second steps: value k(k+1)/2.
    double v = 0.0;
    const double expected[] = {0.1, 0.3, 0.6, 1.0, 1.5, 2.1, 2.8, 3.6, 4.5, 5.5};
    for (int s = 1; s <= 10; ++s) {
        v += s;
        k.Compute(v);
        // Empty slots count 0: after s slopes 0.1 * (1 + ... + s).
        EXPECT_DOUBLE_EQ(k.UpdateRate(s), expected[s - 1]) << s;
    }
    // Slope 21 replaces slope 1: 0.1 * (55 - 1 + 21).
    k.Compute(v + 21.0);
    EXPECT_DOUBLE_EQ(k.UpdateRate(11.0), 7.5);
    EXPECT_DOUBLE_EQ(k.rate, 7.5);
}

TEST(CKanalRate, RateFactorTurnsSecondsIntoMinutes) {
    C_Kanal k;
    k.Setup(1.0, 0.0, 1.0, 512, false, false, 20, nullptr, "L", "мм/мин", 60.0);
    // 0.05 mm per 0.5 s = 0.1 mm/s; three slopes: 0.1 * 0.3 * 60 = 1.8 mm/min.
    for (int i = 1; i <= 3; ++i) {
        k.Compute(0.05 * i);
        k.UpdateRate(0.5 * i);
    }
    EXPECT_NEAR(k.rate, 1.8, 1e-12);
    for (int i = 4; i <= 12; ++i) {
        k.Compute(0.05 * i);
        k.UpdateRate(0.5 * i);
    }
    EXPECT_NEAR(k.rate, 6.0, 1e-12);
}

TEST(CKanalRate, SameTimeReturnsZeroAndKeepsTheRate) {
    C_Kanal k = PlainChannel(1000.0);
    k.Compute(10.0);
    EXPECT_DOUBLE_EQ(k.UpdateRate(1.0), 1.0);  // slope 10 in one slot of ten
    k.Compute(30.0);
    EXPECT_EQ(k.UpdateRate(1.0), 0.0);
    EXPECT_DOUBLE_EQ(k.rate, 1.0);
    // The value at the zero-step call is the base of the next slope: (30-30)/1.
    EXPECT_DOUBLE_EQ(k.UpdateRate(2.0), 1.0);
}

// ---------------------------------------------------------------- speed

TEST(CKanalSpeed, SetSpeedClamps) {
    struct Case {
        float in;
        double expected;
    };
    const Case cases[] = {
        {0.0f, 0.0},               // 0 stops and stays 0
        {0.0001f, kWidenedMilli},  // below the minimum
        {0.001f, kWidenedMilli},   //
        {-5.0f, kWidenedMilli},    // never negative
        {150.5f, 150.5},           //
        {300.0f, 300.0},           //
        {500.0f, 300.0},           // the default limit
        {static_cast<float>(kInf), 300.0},
        {static_cast<float>(kNaN), kWidenedMilli},  // never full speed by accident
    };
    for (const auto& c : cases) {
        C_Kanal k = PlainChannel();
        k.SetSpeed(c.in);
        EXPECT_EQ(k.GetSpeed(), c.expected) << c.in;
    }
}

TEST(CKanalSpeed, SpeedOpThenClamps) {
    struct Case {
        double start;
        float operand;
        int op;
        double expected;
    };
    const Case cases[] = {
        {0.3, 0.5f, 1, kWidenedMilli},  // 0.3 - 0.5 < 0: the minimum, never negative
        {1.0, 0.5f, 0, 1.5},
        {1.0, 0.5f, 1, 0.5},
        {200.0, 2.0f, 2, 300.0},  // 400 above the limit
        {1.0, 2.0f, 3, 0.5},
        {1.0, 0.0f, 3, 1.0},            // divide by 0 leaves the speed
        {0.0, 0.0f, 3, kWidenedMilli},  // ... then the clamps: never 0
        {0.0, 0.5f, 0, 0.5},
        {5.0, 1.0f, 9, 5.0},                                // unknown operation
        {0.0, static_cast<float>(kInf), 2, kWidenedMilli},  // 0 * inf is NaN
        {1.0, static_cast<float>(kNaN), 0, kWidenedMilli},
        {1.0, static_cast<float>(kInf), 0, 300.0},
    };
    for (const auto& c : cases) {
        C_Kanal k = PlainChannel();
        k.speed = c.start;
        EXPECT_EQ(k.SpeedOp(c.operand, c.op), c.expected) << c.start << " op " << c.op;
        EXPECT_EQ(k.speed, c.expected);
    }
}

// ---------------------------------------------------------------- one-shot tests

struct Step {
    double raw;
    bool fires;
};

template <typename Check>
void RunSteps(C_Kanal& k, const std::vector<Step>& steps, Check check) {
    for (size_t i = 0; i < steps.size(); ++i) {
        k.Compute(steps[i].raw);
        EXPECT_EQ(check(k), steps[i].fires) << "step " << i << " raw " << steps[i].raw;
    }
}

TEST(CKanalLimits, SetPointFiresOnceAndReArmsAtNinetyPercent) {
    C_Kanal k = PlainChannel();
    k.setPoint = 10.0;
    RunSteps(k,
             {{9.99, false},
              {10.0, true},
              {10.0, false},
              {9.5, false},
              {12.0, false},
              {9.01, false},
              {9.0, false},  // re-arms (9 <= 0.9 * 10)
              {10.0, true},
              {11.0, false}},
             [](C_Kanal& c) { return c.CheckSetpoint(); });
}

TEST(CKanalLimits, SetPointFiresOnNetAndReArmsOnGross) {
    C_Kanal k = PlainChannel(1000.0);
    k.Compute(5.0);
    k.Tare();
    k.setPoint = 10.0;
    RunSteps(k,
             {{14.0, false},  // net 9
              {15.0, true},   // net 10
              {9.5, false},   // net 4.5, but gross 9.5 > 9: still fired
              {15.0, false},
              {9.0, false},  // gross 9 re-arms
              {15.0, true}},
             [](C_Kanal& c) { return c.CheckSetpoint(); });
}

TEST(CKanalLimits, SetPointZeroIsOff) {
    C_Kanal k = PlainChannel(1000.0);
    RunSteps(k, {{0.0, false}, {5.0, false}, {-5.0, false}, {100.0, false}},
             [](C_Kanal& c) { return c.CheckSetpoint(); });
}

TEST(CKanalLimits, ProtectionFiresOnGrossAndReArmsAtNinetyEightPercent) {
    C_Kanal k = PlainChannel();
    k.Compute(50.0);
    k.Tare();  // the net value plays no part
    ASSERT_EQ(k.protection, 100.0);
    RunSteps(k,
             {{99.9, false},
              {100.0, true},
              {150.0, false},
              {98.5, false},
              {100.0, false},
              {98.0, false},  // re-arms
              {100.0, true}},
             [](C_Kanal& c) { return c.CheckProtect(); });
}

TEST(CKanalLimits, ProtectionZeroIsOff) {
    C_Kanal k = PlainChannel(1000.0);
    k.protection = 0.0;
    RunSteps(k, {{0.0, false}, {100.0, false}, {-5.0, false}, {1e9, false}},
             [](C_Kanal& c) { return c.CheckProtect(); });
}

TEST(CKanalLimits, BreakNeedsADropBelowHalfThePeakAboveOnePercentOfFullScale) {
    struct Case {
        double fullScale, breakPercent, peak, drop;
        bool fires;
    };
    const Case cases[] = {
        {1000.0, 50.0, 20.0, 9.0, true},    // 9 < 10, peak 20 > floor 10
        {1000.0, 50.0, 20.0, 10.0, false},  // not below half the peak
        {3000.0, 50.0, 20.0, 9.0, false},   // peak 20 under the floor 30
        {1000.0, 0.0, 20.0, 9.0, false},    // switched off
        {1000.0, 80.0, 20.0, 3.9, true},    // 3.9 < 0.2 * 20
        {1000.0, 80.0, 20.0, 4.0, false},
    };
    for (const auto& c : cases) {
        C_Kanal k = PlainChannel(c.fullScale);
        k.breakPercent = c.breakPercent;
        k.Arm();
        k.Compute(c.peak);
        EXPECT_FALSE(k.CheckBreak());
        k.Compute(c.drop);
        EXPECT_EQ(k.CheckBreak(), c.fires) << c.fullScale << " " << c.breakPercent << " " << c.drop;
    }
}

TEST(CKanalLimits, BreakIsQuietUntilArmedAndFiresOncePerArm) {
    C_Kanal k = PlainChannel(1000.0);
    k.Compute(20.0);
    k.Compute(5.0);
    EXPECT_FALSE(k.CheckBreak());  // set up, not armed
    k.Arm();
    EXPECT_TRUE(k.CheckBreak());
    k.Compute(20.0);
    k.Compute(1.0);
    EXPECT_FALSE(k.CheckBreak());  // no re-arm by the value
    k.Arm();
    EXPECT_TRUE(k.CheckBreak());
}

TEST(CKanalLimits, ArmReArmsEveryTestAndTheStartGate) {
    C_Kanal k = PlainChannel(1000.0);
    k.setPoint = 10.0;
    k.Compute(150.0);
    EXPECT_TRUE(k.CheckSetpoint());
    EXPECT_TRUE(k.CheckProtect());
    k.startGate = 3;
    k.Arm();
    EXPECT_EQ(k.startGate, 0);
    EXPECT_TRUE(k.CheckSetpoint());
    EXPECT_TRUE(k.CheckProtect());
}

}  // namespace

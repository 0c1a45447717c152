#include "model/cbuffer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

TEST(CBuffer, FreshChannelsAreEmptyAndNamedZero) {
    C_Buffer b;
    b.SetCanCount(7);
    ASSERT_EQ(b.GetCanCount(), 7);
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(b.GetCount(c), 0);
        EXPECT_EQ(b.GetName(c), "0");
    }
}

TEST(CBuffer, RunningRangeAndClear) {
    C_Buffer b;
    b.SetCanCount(2);
    for (double v : {5.0, 3.0, 8.0})
        b.AddValue(1, v);
    EXPECT_EQ(b.GetCount(1), 3);
    EXPECT_EQ(b.GetMin(1), 3.0);
    EXPECT_EQ(b.GetMax(1), 8.0);
    EXPECT_EQ(b.GetValue(1, 2), 8.0);
    EXPECT_EQ(b.GetValue(1, 3), 0.0);  // index equal to the count
    b.ClearCan(1);
    EXPECT_EQ(b.GetCount(1), 0);
    EXPECT_EQ(b.GetMin(1), 0.0);
    EXPECT_EQ(b.GetMax(1), 0.0);
}

TEST(CBuffer, GetMaxScansEverySampleTheFirstIncluded) {
    struct Case {
        std::vector<double> samples;
        double min;
        double max;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {{9.0, 2.0, 3.0}, 2.0, 9.0},  // the maximum is the first sample
        {{-3.0, -1.0}, -3.0, -1.0},   // the range need not contain 0
        {{4.0}, 4.0, 4.0},
        {{}, 0.0, 0.0},
        // Longer than one stride of the scan, extremes in every position.
        {{1.0, 2.0, 3.0, 4.0, 5.0, 9.0, 0.5, -7.0, 6.0}, -7.0, 9.0},
        {{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 8.5}, 1.0, 8.5},
        {{1.0, nan, 3.0, 0.5, 2.0, 2.0, 2.0, 2.0, 8.0}, 0.5, 8.0},  // a NaN later is passed over
        {{nan, 1.0, 2.0, 3.0, 4.0, 5.0}, nan, nan},                 // a NaN first stays
        // Of a zero's two faces the first one in the channel.
        {{-0.0, 0.0, -1.0, -2.0, -3.0, 0.0, 0.0}, -3.0, -0.0},
        {{1.0, 2.0, 0.0, 3.0, -0.0, 4.0, 5.0, 6.0}, 0.0, 6.0},
        {{1.0, 2.0, 3.0, 4.0, -0.0, 0.0}, -0.0, 4.0},
    };
    // Equal down to the sign of a zero; NaN equals NaN.
    const auto same = [](double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
    };
    for (const Case& c : cases) {
        C_Buffer b;
        b.SetCanCount(1);
        for (double v : c.samples)
            b.AddValue(0, v);
        b.cans[0].min = b.cans[0].max = 100.0;  // stale range, as after a plot edit
        const double max = b.GetMax(0);
        EXPECT_TRUE(same(max, c.max)) << max << " for " << c.max;
        EXPECT_TRUE(same(b.GetMin(0), c.min)) << b.GetMin(0) << " for " << c.min;
    }
}

TEST(CBuffer, ChannelsPastTheEndAreHarmless) {
    C_Buffer b;
    b.SetCanCount(7);
    b.AddValue(9, 1.0);
    b.AddValue(-1, 1.0);
    b.SetName(9, "x");
    b.ClearCan(9);
    for (int c : {7, 9, -1}) {
        EXPECT_EQ(b.GetName(c), "");
        EXPECT_EQ(b.GetCount(c), 0);
        EXPECT_EQ(b.GetValue(c, 0), 0.0);
        EXPECT_EQ(b.GetMin(c), 0.0);
        EXPECT_EQ(b.GetMax(c), 0.0);
    }
}

TEST(CBuffer, ClearingAnnotations) {
    C_Buffer b;
    b.SetCanCount(7);
    b.AddValue(1, 2.0);
    b.AddPicLine(0, 0, 1, 1, 0xFF);
    b.AddPicPoint(1.5f, 2.5f, 0xFF00, 2, 1, 0, "Fm");
    b.AddPrintRect(0, 10, 5, 0, 2, 1);
    ASSERT_EQ(b.picPoints.size(), 1u);
    EXPECT_EQ(b.picPoints[0].firstChannel, 2);
    EXPECT_EQ(b.picPoints[0].secondChannel, 1);
    EXPECT_EQ(b.picPoints[0].labelX, 1.5f);
    EXPECT_EQ(b.picPoints[0].colour, 0xFF00);
    EXPECT_EQ(b.printRects[0].upperX, 10.0f);
    EXPECT_EQ(b.printRects[0].xChannel, 2);

    b.ClearPics();  // takes the print windows too
    EXPECT_TRUE(b.picPoints.empty());
    EXPECT_TRUE(b.picLines.empty());
    EXPECT_TRUE(b.printRects.empty());
    EXPECT_EQ(b.GetCount(1), 1);

    b.AddPrintRect(0, 10, 5, 0, 2, 1);
    b.ClearAll();
    EXPECT_TRUE(b.printRects.empty());
    EXPECT_EQ(b.GetCount(1), 0);
}

// A long test: the window's thread must never copy what is recorded, so the
// samples stay where the first one went however long the channel grows.
TEST(CBuffer, AppendsNeverMoveWhatIsRecorded) {
    C_Buffer b;
    b.SetCanCount(2);
    b.AddValue(1, 0.5);
    const double* const first = b.cans[1].samples.data();
    for (int i = 1; i < 1'100'000; ++i)
        b.AddValue(1, i * 0.5);
    EXPECT_EQ(b.cans[1].samples.data(), first);
    EXPECT_EQ(b.GetCount(1), 1'100'000);
    EXPECT_EQ(b.GetValue(1, 1'099'999), 1'099'999 * 0.5);
    EXPECT_EQ(b.GetMax(1), 1'099'999 * 0.5);
    // A cleared channel keeps its memory for the next test.
    b.ClearCan(1);
    b.AddValue(1, 7.0);
    EXPECT_EQ(b.cans[1].samples.data(), first);
    EXPECT_EQ(b.GetValue(1, 0), 7.0);
}

// Memory is taken ahead of the samples, a page at a time and a step of the
// reservation at a time: no sample, appended or written in bulk, is lost.
TEST(SampleStore, TakingMemoryAheadLosesNoSample) {
    SampleStore s;
    s.Prime();
    EXPECT_TRUE(s.empty());
    constexpr size_t kBulk = 1000;
    constexpr size_t kTotal = 3 * 262'144 + 777;  // past three 2 MiB steps
    double* const at = s.Extend(kBulk);
    for (size_t i = 0; i < kBulk; ++i)
        at[i] = static_cast<double>(i);
    for (size_t i = kBulk; i < kTotal; ++i)
        s.push_back(static_cast<double>(i));
    ASSERT_EQ(s.size(), kTotal);
    size_t wrong = 0;
    for (size_t i = 0; i < kTotal; ++i)
        wrong += s[i] != static_cast<double>(i);
    EXPECT_EQ(wrong, 0u);

    // A cleared store is filled again over what it holds; a load then
    // prepares more room than the memory already taken.
    s.clear();
    for (size_t i = 0; i < 10; ++i)
        s.push_back(-1.0);
    s.PrepareFor(kTotal + 300'000);
    EXPECT_EQ(s, std::vector<double>(10, -1.0));
    s.resize(kTotal + 300'000);
    EXPECT_EQ(s[10], 0.0);
    EXPECT_EQ(s.back(), 0.0);
}

TEST(SampleStore, BehavesAsAVectorOfDoubles) {
    SampleStore s;
    EXPECT_TRUE(s.empty());
    for (double v : {1.0, 2.0, 3.0})
        s.push_back(v);
    EXPECT_EQ(s, (std::vector<double>{1.0, 2.0, 3.0}));
    EXPECT_EQ(s.front(), 1.0);
    EXPECT_EQ(s.back(), 3.0);

    // Memory kept by clear holds old samples: a resize still gives zeros.
    s.clear();
    s.resize(2);
    EXPECT_EQ(s, (std::vector<double>{0.0, 0.0}));
    s.resize(1);
    EXPECT_EQ(s.size(), 1u);

    double* at = s.Extend(2);
    at[0] = 4.0;
    at[1] = 5.0;
    EXPECT_EQ(s, (std::vector<double>{0.0, 4.0, 5.0}));

    SampleStore copy = s;
    copy[0] = 9.0;
    EXPECT_EQ(s[0], 0.0) << "a copy has storage of its own";
    EXPECT_NE(copy.data(), s.data());
    copy = s;
    EXPECT_EQ(copy, s);

    const double* const data = s.data();
    SampleStore moved = std::move(s);
    EXPECT_EQ(moved.data(), data);
    EXPECT_EQ(moved.ToVector(), (std::vector<double>{0.0, 4.0, 5.0}));
    EXPECT_TRUE(s.empty());
    s.push_back(1.0);
    EXPECT_EQ(s, std::vector<double>{1.0});
}

// A channel rebuilt in place keeps the range one-by-one appends give it,
// and a repeat reuses the same storage.
TEST(CBuffer, RebuiltChannelMatchesAppendingOneByOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::vector<double>> cases = {
        {},
        {4.0},
        {3.0, -1.0, 8.0, 2.0, 7.5, -0.5},
        {nan, 1.0, 2.0},              // a NaN first holds the range
        {1.0, nan, -3.0, 5.0, 0.0},   // a NaN later changes nothing
        {0.0, -0.0, 0.0, -0.0, 0.0},  // which zero the range holds
        // Long enough to be ranged many samples at a time, with a tail.
        {2.0, 9.0, -4.0, 3.0, 1.0, 7.0, 8.0, -5.0, 6.0, 0.5, 9.5, -1.0, 2.5, 3.5, 4.5, -6.0, 1.5,
         5.5, 0.25},
        {1.0, 2.0, 3.0, 4.0, 5.0, nan, 7.0, 8.0, -9.0, 10.0, nan, 12.0, 13.0, 14.0, 15.0, 16.0,
         17.0},
        {1.0, nan, 2.0, nan, 3.0, nan, -4.0, nan, 5.0, nan, -6.0, nan, 7.0, nan, 8.0, nan, 9.0,
         nan},
        {nan, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0, 12.0, 13.0, 14.0, 15.0,
         16.0},
        {-0.0, 3.0, 0.0, 2.0, -0.0, 1.0, 0.0, 4.0, -0.0, 5.0, 0.0, 6.0, -0.0, 7.0, 0.0, 8.0, 9.0},
        {-3.0, -2.0, -1.0, -0.0, -5.0, -4.0, -6.0, -1.0, -2.0, -3.0, -7.0, -8.0, -1.0, -0.5, -9.0,
         0.0, -2.0, -0.0},
        {5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, 5.0, -2.0, -2.0, -2.0, -2.0, -2.0, -2.0, -2.0, -2.0,
         5.0},
        {5.0, 3.0, 4.0, 2.0, 6.0, -0.0, 1.0, 0.0, 7.0, 8.0, 0.0, 9.0, -0.0, 10.0, 11.0, 12.0, 13.0},
        {-0.0, -1.0, -2.0, -3.0, -4.0, -5.0, -6.0, -7.0, -8.0, -9.0, -10.0, -11.0, -12.0, -13.0,
         -14.0, -15.0, -16.0, -17.0},
    };
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    for (const std::vector<double>& values : cases) {
        SCOPED_TRACE(values.size());
        C_Buffer want;
        want.SetCanCount(1);
        for (double v : values)
            want.AddValue(0, v);
        C_Buffer got;
        got.SetCanCount(1);
        for (int i = 0; i < 50; ++i)
            got.AddValue(0, 100.0 + i);  // an older, longer curve
        const double* const storage = got.cans[0].samples.data();
        got.Rebuild(0, values.size(), [&](size_t i) { return values[i]; });
        EXPECT_EQ(got.cans[0].samples.data(), storage);
        EXPECT_EQ(got.GetCount(0), want.GetCount(0));
        EXPECT_EQ(bits(got.cans[0].min), bits(want.cans[0].min));
        EXPECT_EQ(bits(got.cans[0].max), bits(want.cans[0].max));
        ASSERT_EQ(got.cans[0].samples.size(), values.size());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(bits(got.cans[0].samples[i]), bits(values[i])) << i;

        // In two pieces, as a channel is ranged while it is read from a file.
        const size_t half = values.size() / 2;
        double min = 0.0;
        double max = 0.0;
        C_Buffer::WidenAll(min, max, values.data(), half, true);
        C_Buffer::WidenAll(min, max, values.data() + half, values.size() - half, half == 0);
        EXPECT_EQ(bits(min), bits(want.cans[0].min));
        EXPECT_EQ(bits(max), bits(want.cans[0].max));
    }
    C_Buffer b;
    b.SetCanCount(1);
    b.Rebuild(3, 2, [](size_t) { return 1.0; });  // no such channel: nothing happens
    EXPECT_EQ(b.GetCount(3), 0);
}

}  // namespace

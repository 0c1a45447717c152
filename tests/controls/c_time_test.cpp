#include "controls/c_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

class SteppedCounter final : public PerformanceCounter {
public:
    std::int64_t Ticks() const override { return ticks; }
    std::int64_t Frequency() const override { return frequency; }
    std::int64_t ticks = 5000;
    std::int64_t frequency = 10000;
};

TEST(CTime, LetsOneRedrawThroughPerUnitOfTime) {
    SteppedCounter counter;
    C_Time clock(&counter);
    clock.SetResolution(20);  // the plot's crosshair: 20 times a second
    EXPECT_FALSE(clock.Changed()) << "nothing has passed yet";
    counter.ticks += 499;  // just under 1/20 s
    EXPECT_FALSE(clock.Changed());
    counter.ticks += 1;
    EXPECT_TRUE(clock.Changed());
    EXPECT_TRUE(clock.Changed()) << "still moved on until acknowledged";
    clock.Acknowledge();
    EXPECT_FALSE(clock.Changed());
    counter.ticks += 500;
    EXPECT_TRUE(clock.Changed());
    EXPECT_EQ(clock.elapsed, 2);
}

TEST(CTime, CountsFromTheLastRestartInUnitsOfTheDivisor) {
    SteppedCounter counter;
    C_Time clock(&counter);
    EXPECT_EQ(clock.divisor, 1000);
    counter.ticks += 12345;  // 1.2345 s
    EXPECT_EQ(clock.Elapsed(), 1234);
    clock.Restart();
    EXPECT_EQ(clock.Elapsed(), 0);
    counter.ticks -= 10;  // a counter read before the restart counts back
    EXPECT_EQ(clock.Elapsed(), -1);
}

TEST(CTime, MonthsOfNanosecondsDoNotOverflowAndNothingCountsNothing) {
    SteppedCounter counter;
    counter.frequency = 1000000000;
    C_Time clock(&counter);
    const std::int64_t year = 365LL * 24 * 3600;
    counter.ticks += 10 * year * counter.frequency;  // ten years on
    EXPECT_EQ(clock.Elapsed(), 10 * year * 1000);
    for (int divisor : {0, -5}) {
        clock.SetResolution(divisor);
        EXPECT_EQ(clock.Elapsed(), 0) << divisor;
    }
    clock.SetResolution(1000);
    counter.frequency = 0;
    clock.ReadFrequency();
    EXPECT_EQ(clock.Elapsed(), 0);
}

TEST(CTime, TheSystemCounterMovesForward) {
    C_Time clock;
    EXPECT_EQ(clock.frequency, 1000000000);
    EXPECT_GE(clock.Elapsed(), 0);
}

}  // namespace

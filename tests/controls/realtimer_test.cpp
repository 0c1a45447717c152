#include "controls/realtimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "platform/taskqueue.h"

namespace {

class SteppedCounter final : public PerformanceCounter {
public:
    std::int64_t Ticks() const override { return ticks; }
    std::int64_t Frequency() const override { return 1000; }
    std::int64_t ticks = 0;
};

// Waits until the worker has a tick queued (seconds at most), then runs it.
bool RunNextTick(platform::TaskQueue& ui) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ui.Pending() == 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ui.Drain();
    return true;
}

class RealTimer : public ::testing::Test {
protected:
    platform::TaskQueue ui;
    SteppedCounter counter;
    std::vector<void*> senders;
    std::unique_ptr<TRealTimer> timer = std::make_unique<TRealTimer>(ui, &counter);
    void Listen() {
        timer->OnTimed = [this](TTimes* sender) { senders.push_back(sender); };
    }
};

TEST_F(RealTimer, FiresOnTheDrainingThreadOncePerCountThatMovedOn) {
    Listen();
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Millisec(), 1000);
    timer->SetEnable(true);
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_TRUE(senders.empty()) << "no time has passed";
    counter.ticks += 1;  // 1 ms
    ASSERT_TRUE(RunNextTick(ui));
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_NE(senders[0], nullptr);
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_EQ(senders.size(), 1u) << "the same count fires once";
}

TEST_F(RealTimer, MillisecChangesTheUnitWithoutRestartingTheCount) {
    Listen();
    timer->SetMillisec(10);  // ten ticks a second
    timer->SetEnable(true);
    counter.ticks += 50;  // 0.05 s: no tenth yet
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_TRUE(senders.empty());
    counter.ticks += 50;
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_EQ(senders.size(), 1u);
    // In milliseconds the count since the start is 100: it moved on.
    timer->SetMillisec(1000);
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_EQ(senders.size(), 2u);
}

TEST_F(RealTimer, ANewHandlerTakesEffectOnlyWhenEnabledAgain) {
    Listen();
    timer->SetEnable(true);
    int other = 0;
    timer->OnTimed = [&other](TTimes*) { ++other; };
    counter.ticks += 1;
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_EQ(senders.size(), 1u);
    EXPECT_EQ(other, 0);
    timer->SetEnable(true);
    counter.ticks += 1;
    ASSERT_TRUE(RunNextTick(ui));
    EXPECT_EQ(other, 1);
}

TEST_F(RealTimer, DisabledPostsNothingAndAQueuedTickOutlivesTheTimerHarmlessly) {
    Listen();
    timer->SetEnable(true);
    ASSERT_TRUE(RunNextTick(ui));
    timer->SetEnable(false);
    ui.Drain();  // a tick posted just before the suspension
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(ui.Pending(), 0u);

    timer->SetEnable(true);
    counter.ticks += 5;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ui.Pending() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GT(ui.Pending(), 0u);
    timer.reset();  // stops and joins the worker
    ui.Drain();
    EXPECT_TRUE(senders.empty());
}

}  // namespace

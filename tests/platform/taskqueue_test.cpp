#include "platform/taskqueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(TaskQueue, RunsOnlyWhenDrainedInTheOrderPosted) {
    platform::TaskQueue queue;
    std::vector<int> ran;
    for (int i = 0; i < 3; ++i)
        queue.Post([&ran, i] { ran.push_back(i); });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(queue.Drain(), 3u);
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(queue.Drain(), 0u);
}

TEST(TaskQueue, ATaskPostedWhileDrainingWaitsForTheNextDrain) {
    platform::TaskQueue queue;
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        queue.Post(again);
    };
    queue.Post(again);
    EXPECT_EQ(queue.Drain(), 1u);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(queue.Pending(), 1u);
}

TEST(TaskQueue, PostsFromAnotherThreadArriveWholeAndABacklogIsBounded) {
    platform::TaskQueue queue;
    int sum = 0;
    std::thread poster([&] {
        for (size_t i = 0; i < platform::TaskQueue::kMaxPending + 10; ++i)
            queue.Post([&sum] { ++sum; });
    });
    poster.join();
    EXPECT_EQ(queue.Pending(), platform::TaskQueue::kMaxPending);
    EXPECT_EQ(queue.Dropped(), 10u);
    queue.Drain();
    EXPECT_EQ(sum, static_cast<int>(platform::TaskQueue::kMaxPending));
}

}  // namespace

#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace platform {

// Hands work from another thread to the user-interface thread. Posting never
// runs the task and never blocks on the receiving thread: a thread that posts
// may be joined by the user-interface thread at any time.
class TaskPoster {
public:
    virtual ~TaskPoster() = default;
    virtual void Post(std::function<void()> task) = 0;
};

// A poster whose tasks the owning thread runs when it calls Drain (the
// console wraps its event loop around the same contract). Tasks posted while
// draining wait for the next Drain, so a task that posts cannot starve it.
class TaskQueue final : public TaskPoster {
public:
    // A receiver that never drains must not grow the queue without end.
    static constexpr size_t kMaxPending = 100000;

    void Post(std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        if (tasks_.size() >= kMaxPending) {
            ++dropped_;
            return;
        }
        tasks_.push_back(std::move(task));
    }

    // Runs the tasks pending now, in the order they came; returns how many ran.
    size_t Drain() {
        std::deque<std::function<void()>> now;
        {
            std::lock_guard lock(mutex_);
            now.swap(tasks_);
        }
        for (auto& task : now)
            task();
        return now.size();
    }

    size_t Pending() const {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }
    size_t Dropped() const {
        std::lock_guard lock(mutex_);
        return dropped_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    size_t dropped_ = 0;
};

}  // namespace platform

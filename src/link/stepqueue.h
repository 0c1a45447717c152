#pragma once

#include <deque>
#include <functional>
#include <memory>

namespace platform {
class Scheduler;
class Sleeper;
}  // namespace platform

// The unit's commands and the pauses between them, in the order they were
// asked for. With a scheduler a pause is waited out by the event loop: the
// caller returns at once, and whatever it sends meanwhile goes out after the
// pause and the steps already waiting. Without one every pause is slept.
class StepQueue {
public:
    // A pause this short is slept when nothing waits: the window does not
    // notice it, and the command after it (the stop of a running program)
    // goes out as promptly as before, not after whatever the event loop has
    // to do first.
    static constexpr int kSleptPauseMs = 10;

    StepQueue(platform::Sleeper& sleeper, platform::Scheduler* scheduler);
    ~StepQueue();
    StepQueue(const StepQueue&) = delete;
    StepQueue& operator=(const StepQueue&) = delete;

    // Runs `step` now when nothing waits, else after what waits. `tag`
    // names the step for Holds (a device code, or -1).
    void Then(std::function<void()> step, int tag = -1);
    void Pause(int ms);
    // Nothing waits: a step given now runs at once.
    bool Idle() const { return entries_.empty() && !running_; }
    bool Holds(int tag) const;
    // Runs what waits now, sleeping its pauses (before the link closes).
    void Flush();

private:
    struct Entry {
        int pauseMs = 0;  // a pause when there is no step
        std::function<void()> step;
        int tag = -1;
    };

    void Run();
    void Arm(int ms);

    platform::Sleeper& sleeper_;
    platform::Scheduler* scheduler_;
    std::deque<Entry> entries_;
    bool running_ = false;  // a step of the queue is running now
    bool armed_ = false;    // the pause at the head is being waited out
    // A scheduled wake-up finds this gone once the queue is flushed or destroyed.
    std::shared_ptr<int> token_ = std::make_shared<int>(0);
};

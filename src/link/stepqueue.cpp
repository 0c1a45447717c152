#include "link/stepqueue.h"

#include <utility>

#include "platform/scheduler.h"
#include "platform/sleeper.h"

StepQueue::StepQueue(platform::Sleeper& sleeper, platform::Scheduler* scheduler)
    : sleeper_(sleeper), scheduler_(scheduler) {}

StepQueue::~StepQueue() {
    token_.reset();
}

void StepQueue::Then(std::function<void()> step, int tag) {
    if (!step) return;
    if (Idle()) {
        running_ = true;
        step();
        running_ = false;
        // A step may have queued behind itself.
        if (!armed_) Run();
        return;
    }
    entries_.push_back(Entry{0, std::move(step), tag});
}

void StepQueue::Pause(int ms) {
    if (ms <= 0) return;
    if (scheduler_ == nullptr || (ms <= kSleptPauseMs && Idle())) {
        sleeper_.SleepMs(ms);
        return;
    }
    entries_.push_back(Entry{ms, {}, -1});
    if (!running_ && !armed_) Run();
}

bool StepQueue::Holds(int tag) const {
    for (const Entry& e : entries_)
        if (e.step && e.tag == tag) return true;
    return false;
}

// Runs steps from the head until a pause, which it hands to the scheduler.
void StepQueue::Run() {
    while (!entries_.empty()) {
        if (!entries_.front().step) {
            Arm(entries_.front().pauseMs);
            return;
        }
        Entry e = std::move(entries_.front());
        entries_.pop_front();
        running_ = true;
        e.step();
        running_ = false;
    }
}

void StepQueue::Arm(int ms) {
    armed_ = true;
    std::weak_ptr<int> alive = token_;
    scheduler_->After(ms, [this, alive] {
        if (alive.expired()) return;
        armed_ = false;
        if (!entries_.empty() && !entries_.front().step) entries_.pop_front();
        Run();
    });
}

void StepQueue::Flush() {
    if (entries_.empty()) return;
    // The pause under way may have run only in part; it is slept whole.
    token_ = std::make_shared<int>(0);
    armed_ = false;
    while (!entries_.empty()) {
        Entry e = std::move(entries_.front());
        entries_.pop_front();
        if (!e.step) {
            sleeper_.SleepMs(e.pauseMs);
            continue;
        }
        running_ = true;
        e.step();
        running_ = false;
    }
}

#include "controls/times.h"

#include <chrono>

namespace {

// Between two ticks: an endless loop without a pause would keep a core and
// the user-interface thread busy for nothing.
constexpr auto kPause = std::chrono::milliseconds(1);

}  // namespace

TTimes::TTimes(platform::TaskPoster& ui, const PerformanceCounter* counter)
    : clock(counter), ui_(ui), inbox_(std::make_shared<Inbox>(Inbox{this})) {
    thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
}

TTimes::~TTimes() {
    inbox_->owner = nullptr;
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
}

void TTimes::Resume() {
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    wake_.notify_all();
}

void TTimes::Suspend() {
    std::lock_guard lock(mutex_);
    running_ = false;
}

bool TTimes::Suspended() const {
    std::lock_guard lock(mutex_);
    return !running_;
}

void TTimes::Tick() {
    if (clock.Changed() && onTimed) onTimed(this);
    clock.Acknowledge();
}

void TTimes::Execute(std::stop_token stop) {
    const std::weak_ptr<Inbox> inbox = inbox_;
    while (!stop.stop_requested()) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, stop, [this] { return running_; });
        if (stop.stop_requested()) return;
        // One tick at a time, as a synchronised call would have it; posted
        // under the lock, so that nothing is posted once Suspend returned.
        if (!tickQueued_.exchange(true)) {
            ui_.Post([inbox] {
                const std::shared_ptr<Inbox> in = inbox.lock();
                if (!in || in->owner == nullptr) return;
                in->owner->tickQueued_.store(false);
                in->owner->Tick();
            });
        }
        wake_.wait_for(lock, stop, kPause, [] { return false; });
    }
}

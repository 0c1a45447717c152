#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "controls/c_time.h"
#include "platform/taskqueue.h"

// The worker of the timer component: while running it keeps one tick on its
// way to the user-interface thread, where the count is taken and the
// handler called, so all counting and every event run there.
class TTimes {
public:
    using Handler = std::function<void(TTimes* sender)>;

    // Created suspended. `ui` runs the ticks and must outlive the worker.
    explicit TTimes(platform::TaskPoster& ui, const PerformanceCounter* counter = nullptr);
    ~TTimes();
    TTimes(const TTimes&) = delete;
    TTimes& operator=(const TTimes&) = delete;

    void Resume();
    void Suspend();
    bool Suspended() const;

    // On the user-interface thread: the handler, when the count moved on.
    void Tick();

    // The handler the next ticks call; the component hands it over on enabling.
    Handler onTimed;
    // The counting: start, frequency, divisor, last and acknowledged count.
    C_Time clock;

private:
    // What a queued tick reaches the worker through; cleared before it goes.
    struct Inbox {
        TTimes* owner = nullptr;
    };
    void Execute(std::stop_token stop);

    platform::TaskPoster& ui_;
    std::shared_ptr<Inbox> inbox_;
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    bool running_ = false;
    std::atomic<bool> tickQueued_{false};
    // Last member: the thread stops before what it uses goes.
    std::jthread thread_;
};

#pragma once

#include <functional>

namespace platform {

// Runs a task later on the thread that asked, from its event loop, so that a
// pause the unit needs between two keys does not hold that thread. Tests
// give one whose time they advance by hand.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Runs `task` once, no sooner than `ms` milliseconds from now.
    virtual void After(int ms, std::function<void()> task) = 0;
};

}  // namespace platform

#pragma once

#include <chrono>
#include <thread>

namespace platform {

// The pauses the unit needs between commands. Tests record them instead of waiting.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void SleepMs(int ms) = 0;
};

class RealSleeper final : public Sleeper {
public:
    void SleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

}  // namespace platform

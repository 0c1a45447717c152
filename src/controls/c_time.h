#pragma once

#include <cstdint>

// A counter of fine ticks and how many of them make a second; the program
// reads the system's monotonic clock, tests step one by hand.
class PerformanceCounter {
public:
    virtual ~PerformanceCounter() = default;
    virtual std::int64_t Ticks() const = 0;
    virtual std::int64_t Frequency() const = 0;
};

// The monotonic clock in nanoseconds.
class SystemPerformanceCounter final : public PerformanceCounter {
public:
    std::int64_t Ticks() const override;
    std::int64_t Frequency() const override { return 1000000000; }
};

// Counts elapsed time in units of 1/divisor of a second since its last
// restart and tells whether the count has moved on since it was last
// acknowledged: the plot redraws its crosshair only when it has.
class C_Time {
public:
    // Without a counter: the system's.
    explicit C_Time(const PerformanceCounter* counter = nullptr);

    void ReadFrequency();
    std::int64_t ReadCounter() const;
    void Restart();
    // Units since the restart; 0 with a divisor or a frequency that is not
    // above 0, which count nothing.
    std::int64_t Elapsed() const;
    void SetResolution(int n);
    bool Changed();
    void Acknowledge();

    std::int64_t start = 0;
    std::int64_t frequency = 0;
    std::int64_t divisor = 1000;
    std::int64_t elapsed = 0;
    std::int64_t acknowledged = 0;

private:
    const PerformanceCounter* counter_;
};

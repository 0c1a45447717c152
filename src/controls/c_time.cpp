#include "controls/c_time.h"

#include <chrono>

namespace {

const SystemPerformanceCounter& SystemCounter() {
    static const SystemPerformanceCounter counter;
    return counter;
}

}  // namespace

std::int64_t SystemPerformanceCounter::Ticks() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

C_Time::C_Time(const PerformanceCounter* counter)
    : counter_(counter != nullptr ? counter : &SystemCounter()) {
    ReadFrequency();
    Restart();
}

void C_Time::ReadFrequency() {
    frequency = counter_->Frequency();
}

std::int64_t C_Time::ReadCounter() const {
    return counter_->Ticks();
}

void C_Time::Restart() {
    start = ReadCounter();
}

std::int64_t C_Time::Elapsed() const {
    if (frequency <= 0 || divisor <= 0) return 0;
    const std::int64_t ticks = ReadCounter() - start;
    // Whole seconds and the rest apart: ticks × divisor in one product would
    // overflow after some months of nanoseconds, and a station runs for months.
    return ticks / frequency * divisor + ticks % frequency * divisor / frequency;
}

void C_Time::SetResolution(int n) {
    divisor = n;
}

bool C_Time::Changed() {
    elapsed = Elapsed();
    return elapsed != acknowledged;
}

void C_Time::Acknowledge() {
    acknowledged = elapsed;
}

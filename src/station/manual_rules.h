#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What manual control and the hydraulic station decide: the service tick's
// arithmetic and texts, and the check of the hold program before it
// reaches the hydraulics.
namespace station {

// ----- hydraulic station

// The service tick's period and what it adds to the pump's running time.
constexpr int kServiceTickMs = 10000;
constexpr int kServiceTickSeconds = 10;
// The running-time setting's upper limit, in seconds.
constexpr int kRunningTimeLimit = 1000000000;
// Oil at or above this temperature is too hot.
constexpr float kOilTemperatureLimit = 65.0f;

// The pump's running time after one tick: 10 s more while the pump runs,
// never past the setting's limit.
int RunningTimeAfterTick(int seconds, bool pumpRunning);
// Whole hours: "12 ч".
std::string RunningHoursText(int seconds);
// "23,5 °C" with the program's separator.
std::string TemperatureText(double celsius);
bool OilTooHot(float celsius);

// Input number n (from 1) is bit n - 1 of the unit's 16-bit input word; a
// number outside 1 ... 16 is an input that is not wired (nullopt).
std::optional<bool> InputBit(std::uint16_t word, int input);

enum class StationLook { Good, Bad, Unknown };
struct StationField {
    std::string text;
    StationLook look = StationLook::Unknown;
    int pointSize = 16;
    friend bool operator==(const StationField&, const StationField&) = default;
};
// The oil-level and filter fields for their input bit (set: low, dirty).
StationField OilLevelField(std::optional<bool> bit);
StationField FilterField(std::optional<bool> bit);

// ----- hold program

// The hold program: the unit's cycle program of kind 1.
struct HoldProgram {
    float speed = 0.0f;  // kN/s
    float upper = 0.0f;  // kN
    float lower = 0.0f;  // kN
    float hold = 0.0f;   // s
    std::int32_t repetitions = 0;
    friend bool operator==(const HoldProgram&, const HoldProgram&) = default;
};
struct HoldFields {
    std::string speed, upper, lower, hold, repetitions;
};
struct HoldCheck {
    std::optional<HoldProgram> program;
    std::string refusal;  // why the fields are refused, as the panel says it
};
// Every field a number as the numeric entry reads it; the speed above 0,
// the hold time and the number of repetitions not negative (the repetitions
// truncated to a whole number), the lower limit not above the upper one,
// both within the force channel's maximum (unknown when 0 or less).
HoldCheck CheckHoldProgram(const HoldFields& fields, double forceMaximum);

}  // namespace station

#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace platform {

// A local calendar date and time of day.
struct CalendarTime {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Where the program reads the time, so that tests choose it.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970, as the C library's time() counts them.
    virtual std::int64_t Seconds() const = 0;
    virtual CalendarTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    std::int64_t Seconds() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
    CalendarTime Now() const override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        if (localtime_r(&now, &local) == nullptr) return {};
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
    }
};

// "dd.mm.yyyy"
inline std::string DateText(const CalendarTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", t.day, t.month, t.year);
    return text;
}

// "hh:mm:ss"
inline std::string TimeText(const CalendarTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

}  // namespace platform

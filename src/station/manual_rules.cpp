// The rules of manual control and the hydraulic station: the service
// tick's arithmetic and texts, and the check of the hold program.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "model/numtext.h"
#include "platform/formatfloat.h"
#include "station/manual_rules.h"

namespace station {

int RunningTimeAfterTick(int seconds, bool pumpRunning) {
    if (!pumpRunning) return seconds;
    return seconds > kRunningTimeLimit - kServiceTickSeconds ? kRunningTimeLimit
                                                             : seconds + kServiceTickSeconds;
}

std::string RunningHoursText(int seconds) {
    return std::to_string(std::max(seconds, 0) / 3600) + " ч";
}

std::string TemperatureText(double celsius) {
    return platform::FormatFloat("0.0", celsius) + " °C";
}

bool OilTooHot(float celsius) {
    return celsius >= kOilTemperatureLimit;
}

std::optional<bool> InputBit(std::uint16_t word, int input) {
    if (input < 1 || input > 16) return std::nullopt;
    return ((word >> (input - 1)) & 1U) != 0;
}

namespace {

StationField Field(std::optional<bool> bit, const char* bad) {
    if (!bit) return {"—", StationLook::Unknown, 16};
    if (*bit) return {bad, StationLook::Bad, 16};
    return {"НОРМА", StationLook::Good, 22};
}

}  // namespace

StationField OilLevelField(std::optional<bool> bit) {
    return Field(bit, "НИЗКИЙ");
}

StationField FilterField(std::optional<bool> bit) {
    return Field(bit, "ЗАГРЯЗНЕН");
}

// ----- hold program

namespace {

bool Beyond(double value, double maximum) {
    return maximum > 0.0 && std::fabs(value) > maximum;
}

}  // namespace

HoldCheck CheckHoldProgram(const HoldFields& fields, double forceMaximum) {
    struct Field {
        const std::string* text;
        const char* caption;
        double value = 0.0;
    };
    Field f[] = {{&fields.speed, "Скорость, кН/c"},
                 {&fields.upper, "Макс. порог, кН"},
                 {&fields.lower, "Мин. порог, кН"},
                 {&fields.hold, "Выдержка, сек"},
                 {&fields.repetitions, "Кол-во повторений"}};
    for (Field& field : f) {
        const std::optional<double> v = ReadTypedFloat(*field.text);
        if (!v) return {std::nullopt, std::string(field.caption) + ": не число"};
        field.value = *v;
    }
    auto refuse = [](const Field& field, const std::string& why) {
        return HoldCheck{std::nullopt, std::string(field.caption) + ": " + why};
    };
    const double speed = f[0].value, upper = f[1].value, lower = f[2].value, hold = f[3].value,
                 repetitions = f[4].value;
    if (speed <= 0.0) return refuse(f[0], "должна быть больше 0");
    for (int k : {1, 2}) {
        if (Beyond(f[k].value, forceMaximum))
            return refuse(f[k], "больше предела канала " + FloatToStrAuto(forceMaximum) + " кН");
    }
    if (lower > upper) return refuse(f[2], "больше макс. порога");
    if (hold < 0.0) return refuse(f[3], "меньше 0");
    if (repetitions < 0.0) return refuse(f[4], "меньше 0");
    if (repetitions >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return refuse(f[4], "слишком много");
    HoldProgram p;
    p.speed = static_cast<float>(speed);
    p.upper = static_cast<float>(upper);
    p.lower = static_cast<float>(lower);
    p.hold = static_cast<float>(hold);
    p.repetitions = static_cast<std::int32_t>(repetitions);
    return {p, ""};
}

}  // namespace station

// The entry rules: which field a numeric entry target writes and the limits
// a typed number is checked against.

#include "station/entry_rules.h"

#include <iterator>

#include "model/numtext.h"
#include "platform/formatfloat.h"

namespace station::entry {

std::optional<Target> DescribeTarget(int target) {
    static constexpr Target kTargets[] = {
        {Field::Speed, 0, 0},        {Field::SetPoint, 1, 15},   {Field::Protection, 1, 16},
        {Field::SetPoint, 2, 15},    {Field::Protection, 2, 16}, {Field::SetPoint, 3, 15},
        {Field::Protection, 3, 16},  {Field::SetPoint, 4, 15},   {Field::AuxProtection, 4, 16},
        {Field::BreakPercent, 1, 0}, {Field::SetPoint, 5, 15},   {Field::AuxProtection, 5, 16},
    };
    if (target < 0 || target >= static_cast<int>(std::size(kTargets))) return std::nullopt;
    return kTargets[target];
}

std::optional<int> TargetOfRow(Readout readout, int row) {
    // Rows: set-point, protection, break percentage (on the force readouts).
    static constexpr int kRows[5][3] = {{1, 2, 9}, {3, 4, -1}, {5, 6, -1}, {7, 8, 9}, {10, 11, -1}};
    if (row < 0 || row > 2) return std::nullopt;
    const int target = kRows[static_cast<int>(readout)][row];
    if (target < 0) return std::nullopt;
    return target;
}

Limits LimitsOf(Field field, double fullScale, double speedLimit) {
    auto known = [](double v) { return v > 0.0 ? std::optional<double>(v) : std::nullopt; };
    switch (field) {
        case Field::Speed:
            return {0.0, known(speedLimit)};
        case Field::BreakPercent:
            return {0.0, 100.0};
        default:
            return {0.0, known(fullScale)};
    }
}

std::optional<double> ParseNumber(std::string_view text) {
    return ReadTypedFloat(text);
}

Checked CheckEntry(std::string_view text, const Limits& limits) {
    const std::optional<double> v = ParseNumber(text);
    if (!v) return {std::nullopt, "ВВЕДИТЕ ЧИСЛО"};
    // Typed numbers are single precision: a limit typed back must pass.
    const auto f = static_cast<float>(*v);
    const bool low = f < static_cast<float>(limits.min);
    const bool high = limits.max && f > static_cast<float>(*limits.max);
    if (!low && !high) return {v, ""};
    std::string range = "ДОПУСТИМО ОТ " + platform::FormatFloat("0.###", limits.min);
    if (limits.max) range += " ДО " + platform::FormatFloat("0.###", *limits.max);
    return {std::nullopt, range};
}

std::string SpeedCaptionNumber(std::string_view caption) {
    const size_t first = caption.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    caption.remove_prefix(first);
    return std::string(caption.substr(0, caption.find(' ')));
}

}  // namespace station::entry

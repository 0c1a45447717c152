#pragma once

#include <optional>
#include <string>
#include <string_view>

// What a typed value may do, without widgets: which field a numeric entry
// target and a click on a set-point readout edit, and whether a typed
// number may go to the unit.
namespace station::entry {

// The field a numeric entry target writes.
enum class Field { Speed, SetPoint, Protection, AuxProtection, BreakPercent };

struct Target {
    Field field = Field::Speed;
    // The measuring channel (1 ... 5); 0 for the speed, which goes to the
    // active channel; the break percentage goes to channels 1 and 4.
    int channel = 0;
    // The SetValue code sent to the unit afterwards; 0 sends nothing.
    int sendCode = 0;
    friend bool operator==(const Target&, const Target&) = default;
};

// Targets 0 ... 11 of the numeric entry; nothing outside.
std::optional<Target> DescribeTarget(int target);

// The set-point readouts of the work screen, in this order.
enum class Readout { Ustav1, Ustav2, Ustav3, Mega1, Mega2 };
// The target a click on a readout's row opens; nothing for a row without one.
std::optional<int> TargetOfRow(Readout readout, int row);

// The range a value may have; an unknown maximum is not checked.
struct Limits {
    double min = 0.0;
    std::optional<double> max;
    friend bool operator==(const Limits&, const Limits&) = default;
};

// The limits of a field: set-points and protections from 0 to the channel's
// measuring range, the speed from 0 (a stop) to the channel's speed limit,
// the break percentage from 0 to 100. A range or limit of 0 or less is not
// configured and so not a maximum.
Limits LimitsOf(Field field, double fullScale, double speedLimit);

// A typed number, all of it, or nothing: the program's one reader (ReadTypedFloat).
std::optional<double> ParseNumber(std::string_view text);

// A typed value that may be sent, or why it is refused as the panel says it.
struct Checked {
    std::optional<double> value;
    std::string refusal;
};
Checked CheckEntry(std::string_view text, const Limits& limits);

// The speed's number in the caption of the speed readout ("2,000 мм/мин"
// gives "2,000"): the entry opens with a text that reads back.
std::string SpeedCaptionNumber(std::string_view caption);

}  // namespace station::entry

#pragma once

#include <array>
#include <string>
#include <string_view>

// One line of a test program: an optional condition prefix and one command.
// Lines come from files a person may have typed, so everything here takes
// any text: what is not exactly a command is unknown, and a condition that
// cannot be read is malformed. Neither ever runs.
namespace testprogram {

// The commands in the order of the editor's command list; the order is also
// the order in which a line is tried.
enum class Cmd : int {
    kNone = 0,
    kZero,
    kZeroOff,
    kSpeed,
    kPumpOn,
    kPumpOff,
    kUpperGripClose,
    kUpperGripOpen,
    kLowerGripClose,
    kLowerGripOpen,
    kToPosition,
    kControlChannel,
    kStartTest,
    kEndTest,
    kExtensometerClose,
    kExtensometerOpen,
    kExtensometerBase,
    kExtensometerStart,
    kClearPlot,
    kWaitSeconds,
    kWaitTestEnd,
};

// Mask bits of a command: what follows its text, each after one blank.
inline constexpr int kTakesChannel = 1;
inline constexpr int kTakesNumber = 2;

struct CommandText {
    std::string_view text;
    int mask;
};

inline constexpr int kCommandCount = 20;

// Entry i is command Cmd(i + 1).
inline constexpr std::array<CommandText, kCommandCount> kCommands = {{
    {"Обнулить", kTakesChannel},
    {"Сброс обнуления", kTakesChannel},
    {"Скорость", kTakesNumber},
    {"Включить насос", 0},
    {"Отключить насос", 0},
    {"Закрыть верхний захват", 0},
    {"Открыть верхний захват", 0},
    {"Закрыть нижний захват", 0},
    {"Открыть нижний захват", 0},
    {"Вывод траверсы на позицию", kTakesNumber},
    {"Активный канал управления", kTakesChannel},
    {"Начать испытание", 0},
    {"Завершить испытание", 0},
    {"Экстензометр закрыть", 0},
    {"Экстензометр открыть", 0},
    {"Экстензометр база", kTakesNumber},
    {"Экстензометр стартовая позиция", kTakesNumber},
    {"Очистить график", 0},
    {"Ждать(сек)", kTakesNumber},
    {"Ждать завершения испытания", 0},
}};

inline const CommandText& TextOf(Cmd cmd) {
    return kCommands[static_cast<size_t>(cmd) - 1];
}

// The operators of the editor's condition chooser, in its order.
inline constexpr int kOperatorCount = 7;
inline constexpr std::array<std::string_view, kOperatorCount> kOperators = {
    "F<", "L<", "E<", "F>", "L>", "E>", "F<Fmax на %"};

inline constexpr std::string_view kConditionStart = "Если(";
inline constexpr std::string_view kConditionEnd = "тогда";
// The last line a run adds to mark its end.
inline constexpr std::string_view kEndMarker = "...";

enum class CondKind { kNone, kAbove, kBelow, kFmaxFall };

struct Condition {
    CondKind kind = CondKind::kNone;
    int channel = 0;         // 1 F, 2 L, 3 E; the Fmax form is always on F
    double threshold = 0.0;  // the value compared, or the fall in percent
    bool operator==(const Condition&) const = default;
};

struct ProgLine {
    Cmd cmd = Cmd::kNone;
    // 1 F, 2 L, 3 E for the commands that take a channel; 0 for any other
    // single letter, which is accepted and does nothing.
    int channel = 0;
    // The argument of the commands that take a number (whole seconds for the
    // timed wait).
    double number = 0.0;
    Condition condition;
    // The line starts a condition that cannot be read, or holds "Если(" past
    // its start; such a line never runs and the editor marks it.
    bool malformed = false;
    // An empty line or the end marker: nothing to run and nothing wrong.
    bool blank = false;

    bool Runs() const { return cmd != Cmd::kNone && !malformed; }
    // A line that cannot run and is not blank: a program holding one does
    // not start, and the editor does not take it.
    bool Refused() const { return !Runs() && !blank; }
    bool Conditional() const { return condition.kind != CondKind::kNone; }
    bool operator==(const ProgLine&) const = default;
};

// Longer lines are unknown; the editor composes lines of about a hundred bytes.
inline constexpr size_t kMaxLineBytes = 512;

// Blanks around tokens are free, as in the way the station scanned its lines;
// every other character must belong to the line's form, so a command with
// anything after its argument is unknown. Numbers take "," or "." and are
// read as the operator's typed numbers are.
ProgLine ParseProgramLine(std::string_view line);

// What the editor's controls give for one new line.
struct LineParts {
    int command = -1;  // index into kCommands; none chosen below 0
    bool conditional = false;
    std::string op;         // one of kOperators
    std::string threshold;  // as typed
    std::string channel;    // "F", "L" or "E"
    std::string number = "0";
};

// The line the editor adds; "" when no command is chosen.
std::string ComposeLine(const LineParts& parts);

// Why the editor does not take the line the parts make, for the operator;
// "" when it runs (or no command is chosen).
std::string ComposeProblem(const LineParts& parts);

// Why a refused line cannot run, for the operator: "СТРОКА n: " (n from 1),
// the reason and the line.
std::string RefusalMessage(int index, std::string_view text, const ProgLine& line);

}  // namespace testprogram

#include "program/programrunner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace testprogram {
namespace {

enum class Act {
    kCode,
    kCodeByChannel,
    kSpeed,
    kPosition,
    kEndTest,
    kWaitSeconds,
    kWaitEnd,
    kNone
};

struct Action {
    Act act;
    int code;  // the console code; by channel: the code for F, then L and E
};

// Entry i acts for command Cmd(i + 1).
constexpr std::array<Action, kCommandCount> kActions = {{
    {Act::kCodeByChannel, 22},                        // zero
    {Act::kCodeByChannel, 25},                        // zero off
    {Act::kSpeed, 0},          {Act::kCode, 17},      // pump on
    {Act::kCode, 18},                                 // pump off
    {Act::kCode, 12},                                 // upper grip
    {Act::kCode, 13},          {Act::kCode, 15},      // lower grip
    {Act::kCode, 16},          {Act::kPosition, 26},  // zero off L first
    {Act::kCodeByChannel, 4},  {Act::kCode, 1},      {Act::kEndTest, 2},
    {Act::kNone, 0},  // the extensometer commands are accepted and do nothing
    {Act::kNone, 0},           {Act::kNone, 0},      {Act::kNone, 0},
    {Act::kCode, 61},  // clear the plot
    {Act::kWaitSeconds, 0},    {Act::kWaitEnd, 0},
}};

class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~Guard() { flag_ = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& flag_;
};

}  // namespace

bool Holds(const Condition& c, const ProgramHost& host) {
    switch (c.kind) {
        case CondKind::kAbove:
            return host.ChannelValue(c.channel) > c.threshold;
        case CondKind::kBelow:
            return host.ChannelValue(c.channel) < c.threshold;
        case CondKind::kFmaxFall: {
            const double f = host.ChannelValue(1);
            const double fmax = host.ChannelPeak(1);
            const double range = host.ChannelRange(1);
            // F > 0 as well: with no range set, a force at rest is no fall.
            return (100.0 - c.threshold) * 0.01 * fmax >= f && f >= 0.003 * range && f > 0.0;
        }
        case CondKind::kNone:
            break;
    }
    return false;
}

bool ProgramRunner::Editable() {
    if (!view_.editorEnabled) return false;
    timers_.scan = false;
    ++runId_;
    return true;
}

bool ProgramRunner::SetLines(std::vector<std::string> lines) {
    if (!Editable()) return false;
    view_.lines = std::move(lines);
    view_.checked.assign(view_.lines.size(), false);
    parsed_.clear();
    for (const std::string& line : view_.lines)
        parsed_.push_back(ParseProgramLine(line));
    view_.selected = -1;
    markerAdded_ = false;
    return true;
}

bool ProgramRunner::Append(const std::string& line) {
    if (!view_.editorEnabled) return false;
    view_.selected = static_cast<int>(view_.lines.size()) - 1;
    return InsertAfterSelected(line);
}

bool ProgramRunner::InsertAfterSelected(const std::string& line) {
    if (!Editable()) return false;
    const auto at = static_cast<size_t>(view_.selected + 1);
    view_.lines.insert(view_.lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    view_.checked.insert(view_.checked.begin() + static_cast<std::ptrdiff_t>(at), false);
    parsed_.insert(parsed_.begin() + static_cast<std::ptrdiff_t>(at), ParseProgramLine(line));
    view_.selected = static_cast<int>(at);
    return true;
}

bool ProgramRunner::DeleteSelected() {
    if (view_.selected < 0 || !Editable()) return false;
    const auto at = static_cast<std::ptrdiff_t>(view_.selected);
    view_.lines.erase(view_.lines.begin() + at);
    view_.checked.erase(view_.checked.begin() + at);
    parsed_.erase(parsed_.begin() + at);
    if (view_.selected >= static_cast<int>(view_.lines.size()))
        view_.selected = static_cast<int>(view_.lines.size()) - 1;
    return true;
}

bool ProgramRunner::Clear() {
    return SetLines({});
}

void ProgramRunner::Select(int line) {
    if (!view_.editorEnabled) return;
    view_.selected = line >= 0 && line < static_cast<int>(view_.lines.size()) ? line : -1;
}

int ProgramRunner::ProgCommand(std::string_view line) {
    return Run(ParseProgramLine(line));
}

int ProgramRunner::ProgCondition(std::string_view line) {
    return RunCondition(ParseProgramLine(line));
}

std::string ProgramRunner::NoTestMessage() const {
    const bool startLine = std::any_of(parsed_.begin(), parsed_.end(),
                                       [](const ProgLine& l) { return l.cmd == Cmd::kStartTest; });
    return std::string("ПРОГРАММА ВЫПОЛНЕНА, ИСПЫТАНИЕ НЕ НАЧАТО: ") +
           (startLine ? "УСЛОВИЕ КОМАНДЫ \"Начать испытание\" НЕ ВЫПОЛНЕНО"
                      : "В ПРОГРАММЕ НЕТ КОМАНДЫ \"Начать испытание\"");
}

int ProgramRunner::Run(const ProgLine& line) {
    if (line.Conditional()) return RunCondition(line);
    if (!line.Runs()) return -1;
    Execute(line);
    return 0;
}

int ProgramRunner::RunCondition(const ProgLine& line) {
    if (!line.Conditional() || !line.Runs() || !Holds(line.condition, host_)) return -1;
    Execute(line);
    return 0;
}

void ProgramRunner::Execute(const ProgLine& line) {
    const Action& a = kActions[static_cast<size_t>(line.cmd) - 1];
    switch (a.act) {
        case Act::kCode:
            if (a.code == 1) testSeen_ = true;
            host_.ConsoleCommand(a.code);
            break;
        case Act::kCodeByChannel:
            // Another letter is accepted and does nothing.
            if (line.channel >= 1 && line.channel <= 3)
                host_.ConsoleCommand(a.code + line.channel - 1);
            break;
        case Act::kSpeed:
            host_.SetSpeed(static_cast<float>(line.number));
            break;
        case Act::kPosition:
            host_.ConsoleCommand(a.code);
            wait_ = Wait::kPositioning;
            timers_.wait = true;
            host_.StartPositioning(line.number);
            break;
        case Act::kEndTest:
            wait_ = Wait::kNone;
            host_.ConsoleCommand(a.code);
            break;
        case Act::kWaitSeconds:
            wait_ = Wait::kSeconds;
            secondsLeft_ = std::max(0, static_cast<int>(line.number));
            timers_.wait = true;
            break;
        case Act::kWaitEnd:
            wait_ = Wait::kTestEnd;
            break;
        case Act::kNone:
            break;
    }
}

int ProgramRunner::RefusedLine() const {
    const auto refused =
        std::find_if(parsed_.begin(), parsed_.end(), [](const ProgLine& l) { return l.Refused(); });
    return refused != parsed_.end() ? static_cast<int>(refused - parsed_.begin()) : -1;
}

int ProgramRunner::ProgStart() {
    // A line that cannot run is no line to pass over: the operator wrote it
    // for a reason, and what follows it may rely on it.
    if (const int bad = RefusedLine(); bad >= 0) {
        host_.Report("ПРОГРАММА НЕ ЗАПУЩЕНА. " +
                     RefusalMessage(bad, view_.lines[static_cast<size_t>(bad)],
                                    parsed_[static_cast<size_t>(bad)]));
        return -1;
    }
    view_.editorEnabled = false;
    if (view_.lines.empty()) return 1;
    ++runId_;
    view_.checked.assign(view_.lines.size(), false);
    view_.selected = 0;
    steps_ = 0;
    testSeen_ = host_.TestRunning();
    wait_ = Wait::kNone;
    view_.banner = kRunningText;
    view_.bannerShown = true;
    if (view_.lines.back() != kEndMarker) {
        view_.lines.emplace_back(kEndMarker);
        view_.checked.push_back(false);
        parsed_.push_back(ParseProgramLine(kEndMarker));
        markerAdded_ = true;
    }
    timers_.run = true;
    timers_.scan = true;
    return 0;
}

void ProgramRunner::ProgStop() {
    ++runId_;
    view_.editorEnabled = true;
    timers_.run = false;
    if (view_.lines.empty()) return;
    view_.banner = kEditingText;
    view_.bannerShown = false;
    // Only the marker the start added: a program's own last "..." stays.
    if (markerAdded_ && view_.lines.back() == kEndMarker) {
        view_.lines.pop_back();
        view_.checked.pop_back();
        parsed_.pop_back();
        if (view_.selected >= static_cast<int>(view_.lines.size())) view_.selected = -1;
    }
    markerAdded_ = false;
}

void ProgramRunner::RunTick() {
    if (!timers_.run || busy_) return;
    {
        Guard guard(busy_);
        // However the test ended (break, protection, the stop button, a
        // condition line), the wait for its end is over. A test the run has
        // not seen yet may still be started by a condition line.
        const bool running = host_.TestRunning();
        testSeen_ = testSeen_ || running;
        if (wait_ == Wait::kTestEnd && testSeen_ && !running) wait_ = Wait::kNone;
        if (wait_ == Wait::kNone && !view_.lines.empty()) {
            const int i = view_.selected;
            if (i >= 0 && i < static_cast<int>(view_.lines.size())) {
                // A condition line the scan has already fired does not fire
                // again when the run reaches it.
                if (!view_.checked[static_cast<size_t>(i)]) {
                    const ProgLine line = parsed_[static_cast<size_t>(i)];
                    const int run = runId_;
                    const int result = Run(line);
                    // The host stopped or restarted the run inside the command.
                    if (run != runId_) return;
                    if (result == 0) view_.checked[static_cast<size_t>(i)] = true;
                }
                ++steps_;
            } else {
                steps_ = static_cast<int>(view_.lines.size());
            }
            const int next = i + 1;
            view_.selected = next < static_cast<int>(view_.lines.size()) ? next : -1;
            if (steps_ >= static_cast<int>(view_.lines.size())) {
                const bool tested = testSeen_ || host_.TestRunning();
                ProgStop();
                // The operator pressed ПУСК for a test: a run that ends
                // without one says why.
                if (!tested) host_.Report(NoTestMessage());
            }
        }
    }
    view_.blinkLevel = (std::sin(phase_) + 1.0) * 0.5;
    phase_ += 0.5;
}

void ProgramRunner::WaitTick() {
    if (!timers_.wait || busy_) return;
    Guard guard(busy_);
    switch (wait_) {
        case Wait::kSeconds:
            if (--secondsLeft_ < 1) {
                wait_ = Wait::kNone;
                timers_.wait = false;
            }
            break;
        case Wait::kPositioning:
            if (!host_.Positioning()) {
                wait_ = Wait::kNone;
                timers_.wait = false;
                host_.ConsoleCommand(21);  // crosshead stop
            }
            break;
        default:
            // A new start or a condition line ended the wait meanwhile.
            timers_.wait = false;
            break;
    }
}

void ProgramRunner::ConditionScan() {
    if (!timers_.scan || busy_) return;
    Guard guard(busy_);
    // After the run has walked its lines, the condition lines stay armed for
    // the test it started, and only for it.
    const bool running = host_.TestRunning();
    testSeen_ = testSeen_ || running;
    if (!timers_.run && !running) {
        timers_.scan = false;
        return;
    }
    const int run = runId_;
    for (size_t i = 0; i < parsed_.size() && timers_.scan && run == runId_; ++i) {
        if (view_.checked[i] || !parsed_[i].Conditional()) continue;
        const ProgLine line = parsed_[i];
        if (RunCondition(line) == 0 && run == runId_) view_.checked[i] = true;
    }
}

}  // namespace testprogram

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "program/programline.h"

namespace testprogram {

// What a program's commands act on. The console implements it over its
// command dispatcher, the test process and the unit.
class ProgramHost {
public:
    virtual ~ProgramHost() = default;
    // A console command code, run as its button would run it.
    virtual void ConsoleCommand(int code) = 0;
    // The speed of the active control channel (the test process's SetSpeed).
    virtual void SetSpeed(float speed) = 0;
    // The displacement channel's target position, then the unit's positioning
    // to it (SetValue code 26).
    virtual void StartPositioning(double position) = 0;
    // The unit's positioning flag reads 1.
    virtual bool Positioning() const = 0;
    // The test process is in its running state.
    virtual bool TestRunning() const = 0;
    // Channel 1 F, 2 L, 3 E: live value, peak and full scale.
    virtual double ChannelValue(int channel) const = 0;
    virtual double ChannelPeak(int channel) const = 0;
    virtual double ChannelRange(int channel) const = 0;
    // Tells the operator why the run did not start or started no test.
    virtual void Report(const std::string& message) = 0;
};

// Whether a condition holds for the host's live values. Comparisons are
// strict; the fall from the force peak counts only from 0.3 % of the range up.
bool Holds(const Condition& condition, const ProgramHost& host);

inline constexpr std::string_view kRunningText = "Внимание!!! Идет выполнение программы.";
inline constexpr std::string_view kEditingText = "Программа доступна для редактирования";

// Timer periods of the three ticks, ms.
inline constexpr int kRunPeriodMs = 50;
inline constexpr int kWaitPeriodMs = 1000;
inline constexpr int kScanPeriodMs = 1;

// What holds the run: a timed wait, a crosshead positioning, or the end of
// the test, which comes by a condition line or by the test leaving its
// running state any way (break, protection, the stop button) once the run
// has seen it run.
enum class Wait { kNone = 0, kSeconds = 1, kPositioning = 2, kTestEnd = 3 };

// The test-program runner without widgets or timers: the console shows its
// view, runs its three ticks while the matching timer flag is on, and
// implements the host. A single click in the program list only selects; the
// runner never acts on a selection (see ProgCondition).
class ProgramRunner {
public:
    // What the editor sheet and the banner show.
    struct View {
        std::vector<std::string> lines;
        std::vector<bool> checked;  // the line has run in this run
        int selected = -1;
        bool editorEnabled = true;
        std::string banner{kEditingText};
        bool bannerShown = false;  // the blinking banner over the work screen
        double blinkLevel = 0.0;   // 0 to 1
    };
    // Which of the console's timers run.
    struct Timers {
        bool run = false;   // RunTick every kRunPeriodMs
        bool wait = false;  // WaitTick every kWaitPeriodMs
        bool scan = false;  // ConditionScan every kScanPeriodMs
    };

    explicit ProgramRunner(ProgramHost& host) : host_(host) {}

    const View& view() const { return view_; }
    const Timers& timers() const { return timers_; }
    Wait WaitState() const { return wait_; }
    int SecondsLeft() const { return secondsLeft_; }
    int Steps() const { return steps_; }
    const ProgLine& Parsed(int line) const { return parsed_[static_cast<size_t>(line)]; }
    // The first line that cannot run, or -1.
    int RefusedLine() const;

    // Editing, refused (false) while the editor is locked. A change of the
    // list also ends the condition scan of the last run: its lines are gone.
    bool SetLines(std::vector<std::string> lines);
    bool Append(const std::string& line);
    bool InsertAfterSelected(const std::string& line);
    bool DeleteSelected();
    bool Clear();
    void Select(int line);

    // Runs one line: 0 when a command was carried out or accepted, -1 when
    // the line is unknown or malformed or its condition is false.
    int ProgCommand(std::string_view line);
    // For a condition line whose condition holds: its command's result;
    // otherwise -1. What the scan runs; the console's program list runs it
    // only on a double click (through ProgCommand), never on a selection.
    int ProgCondition(std::string_view line);

    // 1 for an empty list (the caller starts the test by hand); -1, with a
    // report naming the line, when a line cannot run (nothing runs then and
    // the editor stays free); else starts the run and gives 0. After 1 or 0
    // the editor stays locked until ProgStop.
    int ProgStart();
    void ProgStop();

    void RunTick();
    void WaitTick();
    void ConditionScan();
    // Result mode (code 48): the condition scan ends.
    void ResultsComputed() { timers_.scan = false; }

private:
    int Run(const ProgLine& line);
    int RunCondition(const ProgLine& line);
    void Execute(const ProgLine& line);
    bool Editable();
    std::string NoTestMessage() const;

    ProgramHost& host_;
    View view_;
    Timers timers_;
    std::vector<ProgLine> parsed_;
    Wait wait_ = Wait::kNone;
    int secondsLeft_ = 0;
    int steps_ = 0;
    double phase_ = 0.0;
    bool markerAdded_ = false;
    // This run has seen its test running (or started it itself).
    bool testSeen_ = false;
    // Changes at every start, stop and edit, so a tick notices when the host
    // changed the run under it.
    int runId_ = 0;
    // Set while a tick runs: a host that spins an event loop inside a command
    // must not run the next tick inside this one.
    bool busy_ = false;
};

}  // namespace testprogram

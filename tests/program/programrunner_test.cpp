#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "program/programrunner.h"

namespace {

using testprogram::ProgramRunner;
using testprogram::Wait;

// The console's side: records what the program asked for, with the time of
// the fake clock, and runs its own stop sequence on code 2 as the dispatcher
// does (the test leaves the running state and result mode ends the scan).
class FakeHost final : public testprogram::ProgramHost {
public:
    void ConsoleCommand(int code) override {
        Log("code " + std::to_string(code));
        if (code == 1) running = true;
        if (code == 2) {
            running = false;
            if (runner != nullptr) runner->ResultsComputed();
        }
    }
    void SetSpeed(float speed) override { Log("speed " + Number(speed)); }
    void StartPositioning(double position) override { Log("position " + Number(position)); }
    bool Positioning() const override { return positioning; }
    bool TestRunning() const override { return running; }
    double ChannelValue(int ch) const override { return value[ch]; }
    double ChannelPeak(int ch) const override { return peak[ch]; }
    double ChannelRange(int ch) const override { return range[ch]; }
    void Report(const std::string& message) override { reports.push_back(message); }

    static std::string Number(double v) {
        std::string s = std::to_string(v);
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') s.pop_back();
        return s;
    }
    void Log(const std::string& what) {
        log.push_back(what);
        times.push_back(now);
    }
    int Count(const std::string& what) const {
        int n = 0;
        for (const std::string& s : log)
            n += s == what ? 1 : 0;
        return n;
    }
    int TimeOf(const std::string& what) const {
        for (size_t i = 0; i < log.size(); ++i)
            if (log[i] == what) return times[i];
        return -1;
    }

    std::vector<std::string> log;
    std::vector<std::string> reports;
    std::vector<int> times;
    int now = 0;
    ProgramRunner* runner = nullptr;
    bool running = false;
    bool positioning = false;
    double value[4] = {};
    double peak[4] = {};
    double range[4] = {0.0, 100.0, 100.0, 10.0};
};

// The console's three timers on a fake millisecond clock.
struct Station {
    Station() { host.runner = &runner; }

    void Advance(int ms) {
        for (int i = 0; i < ms; ++i) {
            ++host.now;
            const ProgramRunner::Timers& t = runner.timers();
            if (t.scan && host.now % testprogram::kScanPeriodMs == 0) runner.ConditionScan();
            if (t.run && host.now % testprogram::kRunPeriodMs == 0) runner.RunTick();
            if (t.wait && waitWasOn && (host.now - waitStart) % testprogram::kWaitPeriodMs == 0)
                runner.WaitTick();
            // The wait timer counts from its start.
            if (t.wait && !waitWasOn) waitStart = host.now;
            waitWasOn = t.wait;
        }
    }

    FakeHost host;
    ProgramRunner runner{host};
    int waitStart = 0;
    bool waitWasOn = false;
};

// ---------------------------------------------------------------- one line

TEST(ProgramCommand, EachCommandActsOnTheHost) {
    const struct {
        std::string line;
        int result;
        std::vector<std::string> log;
        Wait wait;
    } cases[] = {
        {"Обнулить F", 0, {"code 22"}, Wait::kNone},
        {"Обнулить L", 0, {"code 23"}, Wait::kNone},
        {"Обнулить E", 0, {"code 24"}, Wait::kNone},
        {"Обнулить X", 0, {}, Wait::kNone},
        {"Сброс обнуления F", 0, {"code 25"}, Wait::kNone},
        {"Сброс обнуления E", 0, {"code 27"}, Wait::kNone},
        {"Скорость 2,5", 0, {"speed 2.5"}, Wait::kNone},
        {"Включить насос", 0, {"code 17"}, Wait::kNone},
        {"Отключить насос", 0, {"code 18"}, Wait::kNone},
        {"Закрыть верхний захват", 0, {"code 12"}, Wait::kNone},
        {"Открыть верхний захват", 0, {"code 13"}, Wait::kNone},
        {"Закрыть нижний захват", 0, {"code 15"}, Wait::kNone},
        {"Открыть нижний захват", 0, {"code 16"}, Wait::kNone},
        {"Вывод траверсы на позицию 12,5", 0, {"code 26", "position 12.5"}, Wait::kPositioning},
        {"Активный канал управления F", 0, {"code 4"}, Wait::kNone},
        {"Активный канал управления E", 0, {"code 6"}, Wait::kNone},
        {"Начать испытание", 0, {"code 1"}, Wait::kNone},
        {"Завершить испытание", 0, {"code 2"}, Wait::kNone},
        {"Экстензометр закрыть", 0, {}, Wait::kNone},
        {"Экстензометр открыть", 0, {}, Wait::kNone},
        {"Экстензометр база 50", 0, {}, Wait::kNone},
        {"Экстензометр стартовая позиция 5", 0, {}, Wait::kNone},
        {"Очистить график", 0, {"code 61"}, Wait::kNone},
        {"Ждать(сек) 5", 0, {}, Wait::kSeconds},
        {"Ждать завершения испытания", 0, {}, Wait::kTestEnd},
        {"Скорость 5abc", -1, {}, Wait::kNone},
        {"Если( F>abc ) тогда Завершить испытание", -1, {}, Wait::kNone},
        {"Если( F>10 ) Завершить испытание", -1, {}, Wait::kNone},
        {"Если( F<5 ) тогда Прыгнуть", -1, {}, Wait::kNone},
        {"Если( F<5 ) тогда Включить насос", 0, {"code 17"}, Wait::kNone},
        {"Если( F>5 ) тогда Включить насос", -1, {}, Wait::kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Station s;
        EXPECT_EQ(s.runner.ProgCommand(c.line), c.result);
        EXPECT_EQ(s.host.log, c.log);
        EXPECT_EQ(s.runner.WaitState(), c.wait);
        EXPECT_EQ(s.runner.timers().wait, c.wait == Wait::kSeconds || c.wait == Wait::kPositioning);
    }
}

TEST(ProgramCondition, OnlyConditionLinesAndOnlyWhenTheyHold) {
    const struct {
        std::string condition;
        double f, l, e, peak;
        bool fires;
    } cases[] = {
        {"F>10", 10.0, 0, 0, 0, false},  // equality never holds
        {"F>10", 10.1, 0, 0, 0, true},
        {"F<10", 10.0, 0, 0, 0, false},
        {"F<10", 9.9, 0, 0, 0, true},
        {"L>5", 0, 5.5, 0, 0, true},
        {"L<5", 0, 5.5, 0, 0, false},
        {"E>0,5", 0, 0, 0.6, 0, true},
        {"E<0,5", 0, 0, 0.6, 0, false},
        // Fall by 10 % from the peak, range 100: only from 0.3 kN up.
        {"F<Fmax на %10", 46.0, 0, 0, 50.0, false},
        {"F<Fmax на %10", 45.0, 0, 0, 50.0, true},
        {"F<Fmax на %10", 10.0, 0, 0, 50.0, true},
        {"F<Fmax на %10", 0.31, 0, 0, 50.0, true},
        {"F<Fmax на %10", 0.29, 0, 0, 50.0, false},  // fell far, but below 0.3 %
        {"F<Fmax на %10", 0.2, 0, 0, 0.25, false},
        {"F<Fmax на %10", 0.0, 0, 0, 0.0, false},
    };
    for (const auto& c : cases) {
        const std::string line = "Если( " + c.condition + " ) тогда Очистить график";
        SCOPED_TRACE(line + " F=" + std::to_string(c.f));
        Station s;
        s.host.value[1] = c.f;
        s.host.value[2] = c.l;
        s.host.value[3] = c.e;
        s.host.peak[1] = c.peak;
        EXPECT_EQ(s.runner.ProgCondition(line), c.fires ? 0 : -1);
        EXPECT_EQ(s.host.Count("code 61"), c.fires ? 1 : 0);
    }
    Station s;
    s.host.value[1] = 50.0;
    EXPECT_EQ(s.runner.ProgCondition("Очистить график"), -1);
    EXPECT_EQ(s.runner.ProgCondition("Если( F>10 ) тогда"), -1);
    EXPECT_TRUE(s.host.log.empty());
    // With no range set, a force at rest is no fall from the peak.
    s.host.range[1] = 0.0;
    s.host.value[1] = 0.0;
    EXPECT_EQ(s.runner.ProgCondition("Если( F<Fmax на %10 ) тогда Очистить график"), -1);
}

// ---------------------------------------------------------------- runs

TEST(ProgramRun, FixtureProgramDrivesTheMachineInOrder) {
    Station s;
    ASSERT_TRUE(s.runner.SetLines({
        "Включить насос",
        "Закрыть верхний захват",
        "Закрыть нижний захват",
        "Обнулить F",
        "Обнулить L",
        "Активный канал управления L",
        "Скорость 5",
        "Начать испытание",
        "Ждать(сек) 2",
        "Очистить график",
        "",
        "Если( F>10 ) тогда Завершить испытание",
        "Ждать завершения испытания",
        "Открыть верхний захват",
    }));
    ASSERT_EQ(s.runner.ProgStart(), 0);
    const auto& v = s.runner.view();
    EXPECT_FALSE(v.editorEnabled);
    EXPECT_TRUE(v.bannerShown);
    EXPECT_EQ(v.banner, testprogram::kRunningText);
    ASSERT_EQ(v.lines.size(), 15u);
    EXPECT_EQ(v.lines.back(), "...");
    EXPECT_FALSE(s.runner.Append("Скорость 1"));  // the editor is locked

    s.Advance(5000);
    EXPECT_EQ(s.host.log,
              (std::vector<std::string>{"code 17", "code 12", "code 15", "code 22", "code 23",
                                        "code 5", "speed 5", "code 1", "code 61"}));
    // One line per runner tick; the timed wait holds the run for two seconds.
    EXPECT_EQ(s.host.TimeOf("code 17"), 50);
    EXPECT_EQ(s.host.TimeOf("code 1"), 400);
    EXPECT_GE(s.host.TimeOf("code 61") - s.host.TimeOf("code 1"), 2000);
    EXPECT_LT(s.host.TimeOf("code 61") - s.host.TimeOf("code 1"), 2200);
    // Waiting for the end of the test, the banner blinking.
    EXPECT_EQ(s.runner.WaitState(), Wait::kTestEnd);
    EXPECT_TRUE(v.bannerShown);
    const double level = v.blinkLevel;
    s.Advance(50);
    EXPECT_NE(v.blinkLevel, level);

    s.host.value[1] = 10.0;
    s.Advance(500);
    EXPECT_EQ(s.host.Count("code 2"), 0);
    s.host.value[1] = 10.1;
    s.Advance(500);
    EXPECT_EQ(s.host.Count("code 2"), 1);
    EXPECT_EQ(s.host.log.back(), "code 13");  // the run went on after the wait

    // The end of the list ends the run: "..." gone, editor free, banner hidden.
    EXPECT_TRUE(v.editorEnabled);
    EXPECT_FALSE(v.bannerShown);
    EXPECT_EQ(v.banner, testprogram::kEditingText);
    EXPECT_FALSE(s.runner.timers().run);
    ASSERT_EQ(v.lines.size(), 14u);
    EXPECT_EQ(v.lines.back(), "Открыть верхний захват");
    std::vector<bool> checked(14, true);
    checked[10] = false;  // the empty line is passed over
    EXPECT_EQ(v.checked, checked);
    EXPECT_TRUE(s.host.reports.empty());

    s.Advance(2000);
    EXPECT_EQ(s.host.Count("code 2"), 1);
}

// A line that cannot run is no line to pass over: nothing of the program
// runs, and the operator is told which line it is.
TEST(ProgramRun, ALineThatCannotRunStopsTheStartAndIsNamed) {
    const struct {
        std::string line;
        std::string report;
    } cases[] = {
        {"Ждать(сек) 2.5", "ПРОГРАММА НЕ ЗАПУЩЕНА. СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Ждать(сек) 2.5"},
        {"Прыгнуть", "ПРОГРАММА НЕ ЗАПУЩЕНА. СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Прыгнуть"},
        {"Если( F>10 ) тогда Прыгнуть",
         "ПРОГРАММА НЕ ЗАПУЩЕНА. СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Если( F>10 ) тогда Прыгнуть"},
        {"Если( F>abc ) тогда Завершить испытание",
         "ПРОГРАММА НЕ ЗАПУЩЕНА. СТРОКА 2: УСЛОВИЕ НЕ РАСПОЗНАНО - Если( F>abc ) тогда "
         "Завершить испытание"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Station s;
        const std::vector<std::string> lines = {"Включить насос", c.line, "Начать испытание"};
        s.runner.SetLines(lines);
        EXPECT_EQ(s.runner.RefusedLine(), 1);
        EXPECT_EQ(s.runner.ProgStart(), -1);
        EXPECT_EQ(s.host.reports, (std::vector<std::string>{c.report}));
        s.Advance(1000);
        EXPECT_TRUE(s.host.log.empty());
        EXPECT_TRUE(s.runner.view().editorEnabled);
        EXPECT_FALSE(s.runner.view().bannerShown);
        EXPECT_EQ(s.runner.view().lines, lines);
        EXPECT_FALSE(s.runner.timers().run || s.runner.timers().scan);
    }
}

// ПУСК is pressed for a test: a run that ends without one says why.
TEST(ProgramRun, ARunThatStartsNoTestSaysWhy) {
    const std::string none =
        "ПРОГРАММА ВЫПОЛНЕНА, ИСПЫТАНИЕ НЕ НАЧАТО: В ПРОГРАММЕ НЕТ КОМАНДЫ \"Начать испытание\"";
    const std::string unmet =
        "ПРОГРАММА ВЫПОЛНЕНА, ИСПЫТАНИЕ НЕ НАЧАТО: УСЛОВИЕ КОМАНДЫ "
        "\"Начать испытание\" НЕ ВЫПОЛНЕНО";
    const struct {
        std::vector<std::string> lines;
        bool runningBefore;
        std::vector<std::string> reports;
    } cases[] = {
        {{"Включить насос", "Закрыть верхний захват"}, false, {none}},
        {{"Если( F>10 ) тогда Завершить испытание"}, false, {none}},
        {{"Если( F>10 ) тогда Начать испытание", "Включить насос"}, false, {unmet}},
        {{"Включить насос", "Начать испытание"}, false, {}},
        {{"Начать испытание", "Завершить испытание"}, false, {}},  // started, over already
        {{"Включить насос"}, true, {}},                            // a test started by hand runs
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.front());
        Station s;
        s.host.running = c.runningBefore;
        s.runner.SetLines(c.lines);
        ASSERT_EQ(s.runner.ProgStart(), 0);
        s.Advance(1000);
        EXPECT_TRUE(s.runner.view().editorEnabled);
        EXPECT_EQ(s.host.reports, c.reports);
    }
    // The stop button ends a run on purpose: nothing to explain.
    Station s;
    s.runner.SetLines({"Ждать(сек) 100"});
    s.runner.ProgStart();
    s.Advance(500);
    s.runner.ProgStop();
    s.Advance(500);
    EXPECT_TRUE(s.host.reports.empty());
}

TEST(ProgramRun, EmptyListStartsTheTestByHand) {
    Station s;
    EXPECT_EQ(s.runner.ProgStart(), 1);
    EXPECT_FALSE(s.runner.view().editorEnabled);
    EXPECT_FALSE(s.runner.timers().run);
    EXPECT_FALSE(s.runner.view().bannerShown);
    EXPECT_TRUE(s.runner.view().lines.empty());
    s.runner.ProgStop();
    EXPECT_TRUE(s.runner.view().editorEnabled);
}

TEST(ProgramRun, StopButtonRemovesTheEndMarkerOnly) {
    Station s;
    s.runner.SetLines({"Ждать(сек) 100"});
    s.runner.ProgStart();
    s.Advance(200);
    EXPECT_EQ(s.runner.view().lines, (std::vector<std::string>{"Ждать(сек) 100", "..."}));
    s.runner.ProgStop();
    EXPECT_EQ(s.runner.view().lines, (std::vector<std::string>{"Ждать(сек) 100"}));
    EXPECT_TRUE(s.runner.view().editorEnabled);

    // A program's own last "..." is its own.
    s.runner.SetLines({"Включить насос", "..."});
    s.runner.ProgStart();
    EXPECT_EQ(s.runner.view().lines.size(), 2u);
    s.runner.ProgStop();
    EXPECT_EQ(s.runner.view().lines, (std::vector<std::string>{"Включить насос", "..."}));
}

// Nothing but the end of the test ends the wait: the break (the console runs
// its stop on the posted event, the test leaves the running state), the stop
// button or a condition line.
TEST(ProgramRun, BreakDuringTheWaitForTheEndEndsTheRun) {
    Station s;
    s.runner.SetLines({"Начать испытание", "Ждать завершения испытания"});
    s.runner.ProgStart();
    s.Advance(60000);
    EXPECT_EQ(s.runner.WaitState(), Wait::kTestEnd);
    EXPECT_FALSE(s.runner.view().editorEnabled);

    s.host.running = false;  // break
    s.Advance(200);
    EXPECT_EQ(s.runner.WaitState(), Wait::kNone);
    EXPECT_TRUE(s.runner.view().editorEnabled);
    EXPECT_FALSE(s.runner.view().bannerShown);
    EXPECT_EQ(s.runner.view().lines.size(), 2u);
}

TEST(ProgramRun, WaitForTheEndWaitsForATestAConditionStarts) {
    Station s;
    s.runner.SetLines({"Если( F>0,5 ) тогда Начать испытание", "Ждать завершения испытания"});
    s.runner.ProgStart();
    s.Advance(5000);
    EXPECT_EQ(s.runner.WaitState(), Wait::kTestEnd);
    EXPECT_TRUE(s.host.log.empty());

    s.host.value[1] = 1.0;  // pre-load reached
    s.Advance(5000);
    EXPECT_EQ(s.host.log, (std::vector<std::string>{"code 1"}));
    EXPECT_EQ(s.runner.WaitState(), Wait::kTestEnd);

    s.host.running = false;  // protection stop
    s.Advance(200);
    EXPECT_TRUE(s.runner.view().editorEnabled);
}

TEST(ProgramRun, ConditionFiresOncePerRunAndAgainAfterANewStart) {
    Station s;
    s.host.running = true;
    s.host.value[1] = 11.0;
    s.runner.SetLines({"Если( F>10 ) тогда Очистить график", "Ждать(сек) 3"});
    s.runner.ProgStart();
    s.Advance(5000);  // the run reaches the fired line too
    EXPECT_EQ(s.host.Count("code 61"), 1);
    EXPECT_TRUE(s.runner.view().checked[0]);
    EXPECT_FALSE(s.runner.timers().run);

    s.runner.ProgStart();
    s.Advance(5000);
    EXPECT_EQ(s.host.Count("code 61"), 2);
}

TEST(ProgramRun, ConditionsOutliveTheRunOnlyWhileItsTestRuns) {
    Station s;
    s.runner.SetLines({"Начать испытание", "Если( F>10 ) тогда Завершить испытание"});
    s.runner.ProgStart();
    s.Advance(500);
    EXPECT_FALSE(s.runner.timers().run);  // the list is walked
    EXPECT_TRUE(s.runner.timers().scan);  // its test still runs
    s.host.value[1] = 20.0;
    s.Advance(5);
    EXPECT_EQ(s.host.log, (std::vector<std::string>{"code 1", "code 2"}));
    EXPECT_FALSE(s.runner.timers().scan);  // result mode ended it

    // A program that started no test leaves no armed line behind.
    Station idle;
    idle.runner.SetLines({"Включить насос", "Если( F>10 ) тогда Открыть верхний захват"});
    idle.runner.ProgStart();
    idle.Advance(500);
    EXPECT_FALSE(idle.runner.timers().scan);
    idle.host.value[1] = 20.0;
    idle.Advance(500);
    EXPECT_EQ(idle.host.log, (std::vector<std::string>{"code 17"}));

    // Nor does a program replaced while its test runs.
    Station edited;
    edited.runner.SetLines({"Начать испытание"});
    edited.runner.ProgStart();
    edited.Advance(500);
    edited.runner.SetLines({"Если( F>10 ) тогда Открыть верхний захват"});
    edited.host.value[1] = 20.0;
    edited.Advance(500);
    EXPECT_EQ(edited.host.log, (std::vector<std::string>{"code 1"}));
}

TEST(ProgramRun, WaitsHoldTheRunForTheirTicks) {
    Station s;
    s.runner.SetLines({"Ждать(сек) 3", "Вывод траверсы на позицию 12,5", "Включить насос"});
    s.runner.ProgStart();
    s.Advance(50);
    EXPECT_EQ(s.runner.SecondsLeft(), 3);
    s.Advance(2000);
    EXPECT_EQ(s.runner.WaitState(), Wait::kSeconds);
    s.Advance(1000);
    EXPECT_EQ(s.runner.WaitState(), Wait::kNone);

    s.host.positioning = true;
    s.Advance(60);
    EXPECT_EQ(s.host.log, (std::vector<std::string>{"code 26", "position 12.5"}));
    EXPECT_EQ(s.runner.WaitState(), Wait::kPositioning);
    s.Advance(10000);
    EXPECT_EQ(s.host.log.size(), 2u);
    s.host.positioning = false;
    s.Advance(1000);
    EXPECT_EQ(s.host.log, (std::vector<std::string>{"code 26", "position 12.5", "code 21"}));
    EXPECT_FALSE(s.runner.timers().wait);
    s.Advance(100);
    EXPECT_EQ(s.host.log.back(), "code 17");
}

TEST(ProgramEditor, EditsKeepChecksAndParsesInStep) {
    Station s;
    EXPECT_TRUE(s.runner.Append("Включить насос"));
    EXPECT_TRUE(s.runner.Append("Скорость 5abc"));
    s.runner.Select(0);
    EXPECT_TRUE(s.runner.InsertAfterSelected("Если( F>abc ) тогда Завершить испытание"));
    EXPECT_EQ(s.runner.view().selected, 1);
    EXPECT_EQ(s.runner.view().lines,
              (std::vector<std::string>{"Включить насос", "Если( F>abc ) тогда Завершить испытание",
                                        "Скорость 5abc"}));
    EXPECT_TRUE(s.runner.Parsed(0).Runs());
    EXPECT_TRUE(s.runner.Parsed(1).malformed);
    EXPECT_FALSE(s.runner.Parsed(2).Runs());
    EXPECT_TRUE(s.runner.DeleteSelected());
    EXPECT_EQ(s.runner.view().lines.size(), 2u);
    EXPECT_EQ(s.runner.view().checked.size(), 2u);
    EXPECT_EQ(s.runner.view().selected, 1);
    EXPECT_TRUE(s.runner.Clear());
    EXPECT_TRUE(s.runner.view().lines.empty());
}

}  // namespace

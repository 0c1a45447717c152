#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/formatfloat.h"
#include "support/fake_unit.h"
#include "support/station.h"

namespace {

using testsupport::FakeUnit;
using testsupport::Station;
using Call = FakeUnit::Call;

// ---------------------------------------------------------------- one code, one action

struct CodeCase {
    int code;
    std::vector<Call> calls;  // what a connected unit receives
    int state;                // afterwards, from set-up
    int activeChannel;        // afterwards, from L
};

class EngineCommandsTable : public ::testing::TestWithParam<bool> {};

TEST_P(EngineCommandsTable, EachCodeDoesItsOneThing) {
    const bool connected = GetParam();
    const CodeCase cases[] = {
        {2, {{"HaltControl", {}}}, 243, 2},
        {4, {{"SetControlChannel", {1, 1.0}}}, 241, 1},
        {5, {{"SetControlChannel", {2, 1.0}}}, 241, 2},
        {6, {{"SetControlChannel", {3, 1.0}}}, 241, 3},
        {12, {{"UpperGripClamp", {}}}, 241, 2},
        {13, {{"UpperGripRelease", {}}}, 241, 2},
        {15, {{"LowerGripClamp", {}}}, 241, 2},
        {16, {{"LowerGripRelease", {}}}, 241, 2},
        {17, {{"PumpOn", {}}}, 241, 2},
        {18, {{"PumpOff", {}}}, 241, 2},
        {21, {{"MoveStop", {}}}, 241, 2},
        {22, {{"ZeroChannel", {1, 1}}}, 241, 2},
        {23, {{"ZeroChannel", {2, 1}}}, 241, 2},
        {25, {{"ZeroChannel", {1, 0}}}, 241, 2},
        {26, {{"ZeroChannel", {2, 0}}}, 241, 2},
        {24, {}, 241, 2},
        {27, {}, 241, 2},
        {28, {{"Reserved27", {1}}}, 241, 2},
        {29, {{"Reserved27", {0}}}, 241, 2},
        {34, {}, 243, 2},
        {58, {{"SetSpeed", {1.0}}}, 241, 2},
        {59, {{"SetSpeed", {static_cast<double>(0.1f)}}}, 241, 2},
        {60, {{"SetSpeed", {static_cast<double>(0.01f)}}}, 241, 2},
        {62, {{"SetSpeed", {0.0}}}, 241, 2},
        {241, {{"IdleControl", {}}}, 241, 2},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.code);
        Station s(true, connected);
        s.StartUp();
        s.unit->ClearLog();
        s.work.Command(c.code);
        EXPECT_EQ(s.unit->calls, connected ? c.calls : std::vector<Call>{});
        EXPECT_EQ(s.work.State(), c.state);
        EXPECT_EQ(s.work.ActiveChannel(), c.activeChannel);
    }
}

TEST_P(EngineCommandsTable, CodesWithoutAnEngineActionPassThrough) {
    const bool connected = GetParam();
    Station s(true, connected);
    s.StartUp();
    s.RawReadings();
    s.unit->Emit(1.0, 3.0, 4.0, 5.0);
    s.work.Buffer().AddValue(1, 7.0);
    s.unit->ClearLog();
    for (int code : {-1, 0,  3,  14, 30, 31, 32, 33, 35, 36,  37,  41,  49,  50,  51,  52,
                     53, 54, 55, 56, 57, 61, 63, 67, 68, 242, 243, 244, 245, 246, 1000}) {
        SCOPED_TRACE(code);
        s.work.Command(code);
        EXPECT_TRUE(s.unit->calls.empty());
        EXPECT_EQ(s.work.State(), C_Work::kSetUp);
        EXPECT_EQ(s.work.Buffer().GetCount(1), 1);
        EXPECT_EQ(s.work.TimeOrigin(), 0.0);
        EXPECT_EQ(s.work.Channel(3).tare, 0.0);
    }
}

TEST_P(EngineCommandsTable, DirectionSetsTheModeOfTheProtectionHold) {
    const bool connected = GetParam();
    Station s(true, connected);
    s.StartUp();
    s.unit->ClearLog();
    s.work.Command(40);
    EXPECT_EQ(s.work.DirectionMode(), 1);
    s.work.Command(7);
    EXPECT_EQ(s.work.DirectionMode(), 0);
    const std::vector<Call> sent = {{"SetDirection", {2}}, {"SetDirection", {1}}};
    EXPECT_EQ(s.unit->calls, connected ? sent : std::vector<Call>{});
}

INSTANTIATE_TEST_SUITE_P(EngineCommands, EngineCommandsTable, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Connected" : "Unconnected"; });

TEST(EngineCommands, StopWhileFinishedHaltsAgain) {
    Station s;
    s.StartUp();
    s.unit->ClearLog();
    s.work.Command(2);
    s.work.Command(2);
    EXPECT_EQ(s.unit->Count("HaltControl"), 2);
    EXPECT_EQ(s.work.State(), C_Work::kFinished);
}

TEST(EngineCommands, TareOfTheExtensometerIsTheProgramsOwn) {
    Station s;
    s.StartUp();
    s.RawReadings();
    s.unit->Emit(1.0, 0.0, 0.0, 5.0);
    s.unit->ClearLog();
    s.work.Command(24);
    s.unit->Emit(2.0, 0.0, 0.0, 7.0);
    EXPECT_EQ(s.work.Channel(3).value, 2.0);
    s.work.Command(27);
    s.unit->Emit(3.0, 0.0, 0.0, 7.0);
    EXPECT_EQ(s.work.Channel(3).value, 7.0);
    EXPECT_TRUE(s.unit->calls.empty());
}

// ---------------------------------------------------------------- start

TEST(EngineCommandsStart, RunsTheStartSequence) {
    Station s;
    s.StartUp();
    s.RawReadings();
    C_Work& w = s.work;
    s.unit->Emit(30.0, 4.0, 5.0, 6.0);
    w.Buffer().AddValue(1, 1.0);
    w.Buffer().AddPicLine(0, 0, 1, 1, 0);
    for (int c : {1, 2, 3, 4, 6}) {
        w.Channel(c).peak = 50.0;
        w.Channel(c).setPointFired = true;
        w.Channel(c).protectionFired = true;
        w.Channel(c).breakFired = true;
    }
    w.Channel(1).startGate = 3;
    w.Channel(2).speed = 7.5;
    w.Command(38);  // paused before the start: the start records anyway
    s.unit->ClearLog();

    w.Command(1);
    EXPECT_EQ(w.State(), C_Work::kRunning);
    EXPECT_TRUE(w.Recording());
    EXPECT_FALSE(w.Paused());
    EXPECT_EQ(w.SpeedSetPoint(), 7.5);
    EXPECT_EQ(w.TimeOrigin(), 30.0);
    EXPECT_EQ(w.Buffer().GetCount(1), 0);
    EXPECT_TRUE(w.Buffer().picLines.empty());
    for (int c : {1, 2, 3, 6}) {
        SCOPED_TRACE(c);
        EXPECT_EQ(w.Channel(c).peak, 0.0);
        EXPECT_FALSE(w.Channel(c).setPointFired);
        EXPECT_FALSE(w.Channel(c).protectionFired);
        EXPECT_FALSE(w.Channel(c).breakFired);
    }
    EXPECT_EQ(w.Channel(1).startGate, 0);
    // The bending device's force channel is left alone.
    EXPECT_EQ(w.Channel(4).peak, 50.0);
    EXPECT_TRUE(w.Channel(4).breakFired);
    const std::vector<Call> sent = {{"PumpOn", {}}, {"SetSpeed", {7.5}}, {"StartControl", {}}};
    EXPECT_EQ(s.unit->calls, sent);
}

// A method with a multi-cycle program, as none of the shipped ones has.
class CyclingMethod : public C_Parametr {
public:
    explicit CyclingMethod(const char* multiCycle) {
        AddParam("Режим испытания", "sGO", "Циклы", kText, 4, "", "", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Один?", "1", "0", 1, 1);
        AddParam("Многоцикловый", "iMULTICYCLE", multiCycle, kInt, 4, "", "1", "0", 1, 1);
        AddParam("Скорость", "fISPD", "2.5", kFloat, 4, "0.0", "1000", "0", 1, 1);
        AddParam("Верх", "fIUP", "10.2", kFloat, 4, "0.0", "1000", "0", 1, 1);
        AddParam("Низ", "fIDP", "1.5", kFloat, 4, "0.0", "1000", "0", 1, 1);
        AddParam("Циклов", "iIC", "5", kInt, 4, "", "1000", "0", 1, 1);
    }
};

TEST(EngineCommandsStart, MultiCycleFillsTheUnitsBlockAndSendsIt) {
    Station s;
    s.StartUp();
    CyclingMethod method("1");
    s.work.Methods().Register(&method);
    ASSERT_TRUE(s.console.SelectMethod(7, 0, 0));
    // Whatever was there before, the whole block is written.
    s.unit->image.FillCycleProgram(9, 9, 9, 9, 9, 9, 9);
    s.unit->image.SetI32(RegisterImage::kCycleProgram, RegisterImage::kCycleDone, 77);
    s.unit->ClearLog();

    s.console.Command(1);
    const std::vector<std::string> names = {"PumpOn", "SetSpeed", "StartControl",
                                            "SetCycleProgramBlock", "SetValue"};
    EXPECT_EQ(s.unit->Names(), names);
    EXPECT_EQ(s.unit->calls.back().args, (std::vector<double>{0, 20}));

    const RegisterImage& im = s.unit->image;
    const auto block = RegisterImage::kCycleProgram;
    EXPECT_EQ(im.GetFloat(block, RegisterImage::kCycleSpeed), 2.5f);
    EXPECT_EQ(im.GetFloat(block, RegisterImage::kCycleUpper), 10.2f);
    EXPECT_EQ(im.GetFloat(block, RegisterImage::kCycleLower), 1.5f);
    EXPECT_EQ(im.GetFloat(block, RegisterImage::kCycleHold), 0.0f);
    EXPECT_EQ(im.GetI32(block, RegisterImage::kCycleRepetitions), 5);
    EXPECT_EQ(im.GetI32(block, RegisterImage::kCycleDone), 0);
    EXPECT_EQ(im.GetU8(block, RegisterImage::kCycleKind), 3);
    EXPECT_EQ(im.GetU16(block, RegisterImage::kCycleWord), 1);
    EXPECT_EQ(im.GetFloat(block, RegisterImage::kCycleZero), 0.0f);
    EXPECT_EQ(im.GetU8(block, RegisterImage::kCycleFlag), 0);
}

TEST(EngineCommandsStart, NoCycleProgramUnlessTheMethodAsksAndAUnitIsThere) {
    struct Case {
        const char* name;
        const char* multiCycle;  // null: the method without calculation
        bool connected;
    };
    const Case cases[] = {
        {"switched off", "0", true},
        {"not declared", nullptr, true},
        {"unconnected", "1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Station s(true, c.connected);
        s.StartUp();
        CyclingMethod method(c.multiCycle != nullptr ? c.multiCycle : "0");
        s.work.Methods().Register(&method);
        ASSERT_TRUE(s.console.SelectMethod(c.multiCycle != nullptr ? 7 : 0, 0, 0));
        s.unit->ClearLog();
        s.console.Command(1);
        EXPECT_EQ(s.unit->Count("SetCycleProgramBlock"), 0);
        EXPECT_EQ(s.unit->Count("SetValue"), 0);
    }
}

// ---------------------------------------------------------------- jog

TEST(EngineCommandsJog, DoublesPerPressAndRestartsOnReversalOrStop) {
    struct Case {
        const char* name;
        double limit;
        std::vector<int> codes;
        std::vector<double> speeds;
    };
    const Case cases[] = {
        {"three up, one down", 300.0, {19, 19, 19, 20}, {2, 4, 8, 2}},
        {"limit 3", 3.0, {19, 19, 19}, {2, 3, 3}},
        {"down twice, stop, down", 300.0, {20, 20, 21, 20}, {2, 4, 0, 2}},
        {"up, stop, reversal", 300.0, {19, 19, 21, 20, 20}, {2, 4, 0, 2, 4}},
        {"up to the default limit",
         300.0,
         {19, 19, 19, 19, 19, 19, 19, 19, 19},
         {2, 4, 8, 16, 32, 64, 128, 256, 300}},
    };
    for (bool connected : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << (connected ? " connected" : ""));
            Station s(true, connected);
            s.StartUp();
            s.work.Channel(2).speedLimit = c.limit;
            s.unit->ClearLog();
            std::vector<double> speeds;
            std::vector<std::string> expectedCalls;
            for (int code : c.codes) {
                s.work.Command(code);
                speeds.push_back(s.work.JogSpeed());
                expectedCalls.push_back(code == 19   ? "MoveUp"
                                        : code == 20 ? "MoveDown"
                                                     : "MoveStop");
            }
            EXPECT_EQ(speeds, c.speeds);
            EXPECT_EQ(s.work.LastJogCode(),
                      c.codes.back() == 21 ? c.codes[c.codes.size() - 2] : c.codes.back());
            EXPECT_EQ(s.unit->Names(), connected ? expectedCalls : std::vector<std::string>{});
        }
    }
}

// ---------------------------------------------------------------- pause and resume

TEST(EngineCommandsPause, TheRecordedTimeLeavesOutThePause) {
    // 's' a sample at that time, 'p' pause, 'r' resume; the test starts at 4 s.
    struct Step {
        char kind;
        double time;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        double origin;
        double pauseTime;
        std::vector<double> rows;
    };
    const Case cases[] = {
        {"pause 10, resume 25",
         {{'s', 10}, {'p', 0}, {'s', 15}, {'s', 25}, {'r', 0}, {'s', 26}},
         19,
         10,
         {6, 7}},
        {"resume without a pause", {{'s', 10}, {'r', 0}, {'s', 12}}, 4, 0, {6, 8}},
        {"second resume",
         {{'s', 10}, {'p', 0}, {'s', 25}, {'r', 0}, {'s', 30}, {'r', 0}, {'s', 31}},
         19,
         10,
         {6, 11, 12}},
        {"second pause keeps the first pause time",
         {{'s', 10}, {'p', 0}, {'s', 15}, {'p', 0}, {'s', 25}, {'r', 0}, {'s', 26}},
         19,
         10,
         {6, 7}},
        {"pause, resume, pause, resume",
         {{'s', 10},
          {'p', 0},
          {'s', 12},
          {'r', 0},
          {'s', 20},
          {'p', 0},
          {'s', 30},
          {'r', 0},
          {'s', 31}},
         16,
         20,
         {6, 14, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Station s;
        s.StartUp();
        s.RawReadings();
        s.unit->Emit(4.0, 0.0);
        s.console.Command(1);
        s.work.Channel(1).startGate = 3;  // the start gate has passed
        s.unit->ClearLog();
        int presses = 0;
        for (const Step& st : c.steps) {
            if (st.kind == 's') {
                s.unit->Emit(st.time, 1.0);
            } else {
                s.console.Command(st.kind == 'p' ? 38 : 39);
                ++presses;
            }
        }
        EXPECT_EQ(s.work.TimeOrigin(), c.origin);
        EXPECT_EQ(s.work.PauseTime(), c.pauseTime);
        EXPECT_EQ(s.work.State(), C_Work::kRunning);
        std::vector<double> rows;
        for (int i = 0; i < s.work.Buffer().GetCount(0); ++i)
            rows.push_back(s.work.Buffer().GetValue(0, i));
        EXPECT_EQ(rows, c.rows);
        // Every press reaches the unit; only the time base is guarded.
        EXPECT_EQ(s.unit->Count("Pause") + s.unit->Count("Resume"), presses);
    }
}

TEST(EngineCommandsPause, NothingIsRecordedWhilePaused) {
    Station s;
    s.StartUp();
    s.RawReadings();
    s.console.Command(1);
    s.work.Channel(1).startGate = 3;
    s.console.Command(38);
    EXPECT_FALSE(s.work.Recording());
    s.unit->Emit(1.0, 1.0);
    EXPECT_EQ(s.work.Buffer().GetCount(0), 0);
    s.console.Command(39);
    EXPECT_TRUE(s.work.Recording());
    s.unit->Emit(2.0, 1.0);
    EXPECT_EQ(s.work.Buffer().GetCount(0), 1);
}

// ---------------------------------------------------------------- results

TEST(EngineCommands, ComputeRunsTheMethodAndRewritesTheResultList) {
    platform::SetDecimalSeparator('.');
    Station s;
    s.StartUp();
    C_Buffer& b = s.work.Buffer();
    for (int i = 0; i < 12; ++i) {
        b.AddValue(1, i == 7 ? 12.347 : 1.0);
        b.AddValue(2, 0.1 * i);
    }
    s.console.paramLists[3] = {"stale"};
    s.work.Command(48);
    EXPECT_EQ(s.console.paramLists[3],
              std::vector<std::string>{"Максимальная нагрузка Fmax, кН=12.35"});
}

}  // namespace

#include "engine/cwork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "model/configini.h"
#include "platform/cp1251.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "support/fake_unit.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace {

using testsupport::FakeUnit;
using testsupport::Station;
using Call = FakeUnit::Call;

// Waits for the engine thread to step the unit; gives up after a while
// rather than hang the suite.
bool WaitForIdle(const FakeUnit& unit, int atLeast) {
    for (int i = 0; i < 5000 && unit.idleCalls.load() < atLeast; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return unit.idleCalls.load() >= atLeast;
}

// ---------------------------------------------------------------- whole test

// One test with the method without calculation, as the console runs it:
// start, samples through the start gate, a break, the stop and the result.
class WholeTest : public ::testing::TestWithParam<bool> {};

TEST_P(WholeTest, BreakStopsAndComputesTheMaximum) {
    const bool connected = GetParam();
    platform::SetDecimalSeparator('.');
    Station s(true, connected);
    s.random.script = {300, 254, 510};
    s.StartUp();
    s.RawReadings();
    ASSERT_EQ(s.work.Connected(), connected);
    ASSERT_EQ(s.work.Methods().Current(), &s.work.Methods().none);
    const std::vector<Call> afterStartUp = s.unit->calls;
    s.unit->ClearLog();

    s.unit->Emit(5.0, 0.0, 0.0, 0.0);  // set-up: not recorded
    EXPECT_EQ(s.work.Buffer().GetCount(0), 0);

    s.console.Command(1);
    EXPECT_EQ(s.work.State(), C_Work::kRunning);
    EXPECT_EQ(s.work.TimeOrigin(), 5.0);
    EXPECT_EQ(s.console.engineCodes.back(), 1);
    EXPECT_EQ(s.console.engineCodes[s.console.engineCodes.size() - 2], 242);
    if (connected) {
        // The tension zone made L the controlled channel; its speed is still 1.
        const std::vector<Call> start = {{"PumpOn", {}}, {"SetSpeed", {1.0}}, {"StartControl", {}}};
        EXPECT_EQ(s.unit->calls, start);
        EXPECT_TRUE(s.work.ThreadRunning());
    } else {
        EXPECT_TRUE(s.unit->calls.empty());
        EXPECT_FALSE(s.work.ThreadRunning());
        EXPECT_EQ(s.work.ThreadStarts(), 0);
    }
    s.unit->ClearLog();

    // Force 0, 1 ... 20 kN one second apart, then a drop to 8 kN (below half the peak).
    double t = 6.0;
    for (int f = 0; f <= 20; ++f, t += 1.0)
        s.unit->Emit(t, f, 0.5 * f, 0.1 * f);
    EXPECT_TRUE(s.events.Empty());
    s.unit->Emit(t, 8.0, 10.5, 2.1);

    // Posted, not handled: the test is still running and the unit not halted.
    EXPECT_EQ(s.events.Waiting(), (std::vector<int>{2, 55}));
    EXPECT_EQ(s.work.State(), C_Work::kRunning);
    EXPECT_EQ(s.unit->Count("HaltControl"), 0);

    // The first two samples at the threshold 0 restarted the recording: rows
    // begin with 2 kN at time 0 and end with the break sample.
    const C_Buffer& b = s.work.Buffer();
    ASSERT_EQ(b.GetCount(0), 20);
    EXPECT_EQ(b.GetValue(1, 0), 2.0);
    EXPECT_EQ(b.GetValue(0, 0), 0.0);
    EXPECT_EQ(b.GetValue(0, 18), 18.0);
    EXPECT_EQ(b.GetValue(1, 18), 20.0);
    EXPECT_EQ(b.GetValue(1, 19), 8.0);
    EXPECT_EQ(b.GetValue(2, 19), 10.5);
    EXPECT_EQ(b.GetValue(3, 19), 2.1);
    EXPECT_EQ(b.GetValue(4, 19), 0.0);  // no cross-section: no stress

    s.console.DrainEvents();
    const std::vector<int> tail(s.console.engineCodes.end() - 4, s.console.engineCodes.end());
    EXPECT_EQ(tail, (std::vector<int>{243, 48, 2, 55}));
    // A station that found no unit says so at start-up.
    std::vector<std::string> messages;
    if (!connected)
        messages.push_back(
            "ВНИМАНИЕ! УСТРОЙСТВА СНЯТИЯ ДАННЫХ НЕ НАЙДЕНЫ! ПРОГРАММА РАБОТАЕТ В РЕЖИМЕ "
            "ДЕМОНСТРАЦИИ.");
    messages.push_back("ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!");
    EXPECT_EQ(s.console.messages, messages);
    EXPECT_EQ(s.work.State(), C_Work::kFinished);
    EXPECT_EQ(s.unit->Count("HaltControl"), connected ? 1 : 0);

    // The result: Fmax and its marker, coloured by the random source seeded with the clock.
    C_Gost_None& none = s.work.Methods().none;
    EXPECT_EQ(none.GetFloat("fPM"), 20.0);
    EXPECT_EQ(s.console.paramLists[3],
              std::vector<std::string>{"Максимальная нагрузка Fmax, кН=20.00"});
    EXPECT_EQ(none.GetValueText("sTI"), "14:07:09");
    EXPECT_EQ(s.random.seeds, std::vector<std::uint32_t>{1709647629u});
    ASSERT_EQ(b.picPoints.size(), 1u);
    const C_Buffer::SPicPoint& p = b.picPoints[0];
    EXPECT_EQ(p.label, "max 20.00");
    EXPECT_EQ(p.sampleIndex, 18);
    EXPECT_EQ(p.firstChannel, 2);
    EXPECT_EQ(p.secondChannel, 1);
    EXPECT_EQ(p.labelX, 10.0f);
    EXPECT_EQ(p.labelY, 20.0f);
    EXPECT_EQ(p.colour, 45 + 254 * 256 + 0 * 65536);

    // Further samples: nothing recorded, nothing posted again.
    s.unit->Emit(t + 1.0, 2.0, 11.0, 2.2);
    s.unit->Emit(t + 2.0, 0.0, 11.5, 2.3);
    EXPECT_EQ(b.GetCount(0), 20);
    EXPECT_EQ(s.events.posted, (std::vector<int>{2, 55}));

    if (!connected) {
        // Only the unit's own start-up reached it; nothing else ever did.
        const std::vector<std::string> names = {"SetCycleRepetitions", "Init", "Connect"};
        std::vector<std::string> seen;
        for (const Call& c : afterStartUp)
            seen.push_back(c.name);
        EXPECT_EQ(seen, names);
        EXPECT_TRUE(s.unit->calls.empty());
        EXPECT_EQ(s.work.ThreadStarts(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(CWork, WholeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Connected" : "Unconnected"; });

// ---------------------------------------------------------------- start-up

TEST(CWorkInit, BuildsTheStationAroundTheUnit) {
    Station s;
    C_Kanal* seenChannels = nullptr;
    s.unit->onInit = [&](C_Kanal* channels, C_Config*) { seenChannels = channels; };
    s.StartUp();
    C_Work& w = s.work;

    struct Expected {
        int index;
        const char* name;
        const char* speedUnit;
        double rateFactor;
        double scaleDivisor;
    };
    const Expected table[] = {
        {1, "F", "кН/c", 1.0, 2.9200000762939453},
        {2, "L", "мм/мин", 60.0, 1.0},
        {3, "E", "мм/мин", 60.0, 1.0},
        {4, "F", "кН/c", 1.0, 2.9200000762939453},
        {5, "L", "мм/мин", 60.0, 1.0},
        {6, "A", "гр", 60.0, 1.0},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.index);
        const C_Kanal& k = w.Channel(e.index);
        EXPECT_EQ(k.name, e.name);
        EXPECT_EQ(k.speedUnit, e.speedUnit);
        EXPECT_EQ(k.rateFactor, e.rateFactor);
        EXPECT_EQ(k.scaleDivisor, e.scaleDivisor);
        EXPECT_EQ(k.filterLength, 512);
        EXPECT_FALSE(k.filterOn);
        EXPECT_EQ(k.tablePoints, 20);
        EXPECT_EQ(k.inUse, 1);
    }
    for (int c : {0, 7, 8, 9})
        EXPECT_EQ(w.Channel(c).inUse, 0) << c;

    const std::vector<std::string> names = {"T,c", "F,кН", "L,мм", "E,мм", "P,МПа", "}, %", "0"};
    ASSERT_EQ(w.Buffer().GetCanCount(), 7);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(w.Buffer().GetName(c), names[static_cast<size_t>(c)]);

    // The unit got the channel array and the configuration; the cycle
    // program repeats 100 times until a program says otherwise.
    EXPECT_EQ(seenChannels, w.Channels());
    EXPECT_EQ(s.unit->config, &w.Config());
    EXPECT_EQ(s.unit->image.GetI32(RegisterImage::kCycleProgram, RegisterImage::kCycleRepetitions),
              100);
    EXPECT_EQ(w.Unit(), s.unit);
    EXPECT_TRUE(w.Connected());

    EXPECT_EQ(s.console.methodList,
              (std::vector<std::string>{"Без Расчетов", "Поверка", "ГОСТ 1497", "ГОСТ 12004",
                                        "ГОСТ 6996 растяжение", "ГОСТ 14019", "ГОСТ 10006"}));
    EXPECT_EQ(s.console.sampleTypeList, std::vector<std::string>{"Произвольный"});
    for (int i = 0; i < w.Methods().MethodCount(); ++i)
        EXPECT_EQ(w.Methods().Method(i)->buffer, &w.Buffer());
    EXPECT_EQ(w.Report(), nullptr);
}

// Stands in for the console's protocol maker: remembers what it was given.
struct RecordingMaker final : ProtocolMaker {
    C_Kanal* kanals = nullptr;
    C_Parametr* params = nullptr;
    C_Config* config = nullptr;
    C_Buffer* buffer = nullptr;
    int inits = 0;
    void Init(C_Kanal* k, C_Parametr* p, C_Config* c, C_Buffer* b) override {
        kanals = k;
        params = p;
        config = c;
        buffer = b;
        ++inits;
    }
    void SetParams(C_Parametr* p) override { params = p; }
    void SetRowCount(int) override {}
    void ClearOtchet() override {}
    void MakeOtchet() override {}
};

TEST(CWorkReport, TheMakerFollowsTheCurrentMethod) {
    Station s;
    RecordingMaker maker;
    s.work.SetReport(&maker);
    s.StartUp();
    C_Work& w = s.work;
    EXPECT_EQ(maker.inits, 1);
    EXPECT_EQ(maker.kanals, w.Channels());
    EXPECT_EQ(maker.config, &w.Config());
    EXPECT_EQ(maker.buffer, &w.Buffer());
    EXPECT_EQ(maker.params, w.Methods().Current());

    ASSERT_TRUE(s.console.SelectMethod(2, 0, 0));
    EXPECT_EQ(maker.params, w.Methods().Method(2));
    // A saved test brings its own method back.
    const std::string file = s.folder.path() + "/t.ipc";
    ASSERT_TRUE(w.SaveTest(file));
    ASSERT_TRUE(s.console.SelectMethod(0, 0, 0));
    EXPECT_EQ(maker.params, w.Methods().Method(0));
    ASSERT_TRUE(w.LoadTestFile(file));
    EXPECT_EQ(maker.params, w.Methods().Method(2));

    w.Disconnect();
    EXPECT_EQ(w.Report(), nullptr);
}

TEST(CWorkInit, UnitSettingsAreReadAfterTheUnitDeclaredThem) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(platform::WriteFileAtomic(
        folder.File("Config.INI"),
        platform::Utf8ToCp1251("[7]\r\nПериод обновления, ms=250\r\n[11]\r\nУставка=42\r\n")));
    TConfigINI ini(folder.path());
    ini.FileName = "Config";
    Station s;
    s.unit->onInit = [](C_Kanal*, C_Config* config) {
        config->AddParam("Уставка", "fTEST", "0", C_Parametr::kFloat, 11, "0.0", "100", "0", 1, 1);
    };
    s.work.SetIni(&ini);
    s.StartUp();
    EXPECT_EQ(s.work.Config().iCHANCOUNT, 250);
    EXPECT_EQ(s.work.Config().GetFloat("fTEST"), 42.0);
}

TEST(CWorkInit, AConfigurationTextThatIsNotAnIntegerIsKeptForTheConsoleOnce) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(platform::WriteFileAtomic(
        folder.File("Config.INI"),
        platform::Utf8ToCp1251("[7]\r\nПериод обновления, ms=2,5\r\n[4]\r\nВход уровня=7\r\n")));
    TConfigINI ini(folder.path());
    ini.FileName = "Config";
    Station s;
    s.work.SetIni(&ini);
    s.StartUp();  // the configuration is read three times
    EXPECT_EQ(s.work.ConfigErrors(),
              std::vector<std::string>{"'2,5' is not a valid integer value"});
    EXPECT_EQ(s.work.Config().iLevel, 7);
}

struct ConnectCase {
    const char* name;
    bool haveUnit;
    bool initResult;
    bool connectResult;
    bool unitInUse;
    bool connected;
    std::vector<std::string> calls;
};

class CWorkConnect : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(CWorkConnect, DecidesTheConnectionOnce) {
    const ConnectCase& c = GetParam();
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::EventQueue events;
    C_Work w(events, MethodEnv{clock, random});
    auto unit = std::make_unique<FakeUnit>(c.initResult, c.connectResult);
    FakeUnit* fake = unit.get();
    w.Init(c.haveUnit ? std::move(unit) : nullptr, {});
    EXPECT_EQ(w.Unit() != nullptr, c.unitInUse);
    EXPECT_EQ(w.Connected(), c.connected);
    if (c.haveUnit) {
        EXPECT_EQ(fake->Names(), c.calls);
    }
    // Demonstration mode: the engine still runs its own part.
    w.Command(241);
    EXPECT_EQ(w.ThreadStarts(), c.connected ? 1 : 0);
    EXPECT_EQ(w.ReadDevice(11), -1.0);
}

INSTANTIATE_TEST_SUITE_P(
    CWork, CWorkConnect,
    ::testing::Values(
        ConnectCase{
            "Answers", true, true, true, true, true, {"SetCycleRepetitions", "Init", "Connect"}},
        ConnectCase{
            "NoAnswer", true, true, false, true, false, {"SetCycleRepetitions", "Init", "Connect"}},
        ConnectCase{"InitFails", true, false, true, false, false, {"SetCycleRepetitions", "Init"}},
        ConnectCase{"NoUnit", false, true, true, false, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- forwarders

TEST(CWorkForwarders, UnconnectedChangesOnlyTheEngine) {
    Station s(true, false);
    s.StartUp();
    C_Work& w = s.work;
    s.unit->ClearLog();

    EXPECT_EQ(w.ReadDevice(10), -1.0);
    EXPECT_EQ(w.ReadDevice(25), -1.0);
    w.SelectChannel(1);
    w.SetSpeed(5.0f);
    EXPECT_EQ(w.Channel(1).speed, 1.0);  // the speed only reaches the channel with a unit
    w.SelectChannel(2);
    EXPECT_EQ(w.ActiveChannel(), 2);
    w.SpeedDouble();
    EXPECT_EQ(w.Channel(2).speed, 2.0);
    EXPECT_EQ(w.SpeedSetPoint(), 2.0);
    w.DeviceCmd(0, 16);
    w.SetOutput(3, true);
    w.StartUnit();
    w.HaltUnit();
    w.ResetForLoad();
    EXPECT_TRUE(s.unit->calls.empty());
    EXPECT_FALSE(w.ThreadRunning());
}

TEST(CWorkForwarders, ConnectedReachTheUnit) {
    Station s;
    s.StartUp();
    C_Work& w = s.work;
    s.unit->values[11] = 23.5;
    s.unit->ClearLog();

    EXPECT_EQ(w.ReadDevice(11), 23.5);
    EXPECT_EQ(w.ReadDevice(12), -1.0);
    w.DeviceCmd(2, 16);
    w.SetOutput(5, false);
    w.SelectChannel(1);
    w.SetSpeed(500.0f);  // clamped by the channel before it is sent
    w.SelectChannel(3);
    w.SelectChannel(0);  // not a controlled channel: refused
    w.HaltUnit();
    const std::vector<Call> expected = {
        {"GetValue", {11}},
        {"GetValue", {12}},
        {"SetValue", {2, 16}},
        {"SetOutput", {5, 0}},
        {"SetControlChannel", {1, 1.0}},
        {"SetSpeed", {300.0}},
        {"SetControlChannel", {3, 1.0}},
        {"HaltControl", {}},
    };
    EXPECT_EQ(s.unit->calls, expected);
    EXPECT_EQ(w.ActiveChannel(), 3);
    EXPECT_EQ(w.Channel(1).speed, 300.0);
}

TEST(CWorkForwarders, SpeedStepsStoreTheClampedSpeedAndSendIt) {
    struct Case {
        int code;
        double from;
        double to;
    };
    const Case cases[] = {
        {8, 1.0, 1.5},
        {9, 1.0, 0.5},
        {10, 1.0, 2.0},
        {11, 1.0, 0.5},
        {9, 0.3, static_cast<double>(0.001f)},
        {10, 200.0, 300.0},
        {11, 0.0015, 0.00075},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.code << " from " << c.from);
        Station s;
        s.StartUp();
        s.work.Command(4);
        s.work.Channel(1).speed = c.from;
        s.unit->ClearLog();
        s.work.Command(c.code);
        const double expected = c.to < C_Kanal::kMinSpeed ? C_Kanal::kMinSpeed : c.to;
        EXPECT_DOUBLE_EQ(s.work.Channel(1).speed, expected);
        EXPECT_EQ(s.work.SpeedSetPoint(), s.work.Channel(1).speed);
        ASSERT_EQ(s.unit->calls.size(), 1u);
        EXPECT_EQ(s.unit->calls[0].name, "SetSpeed");
        EXPECT_EQ(s.unit->calls[0].args[0], static_cast<float>(s.work.Channel(1).speed));
    }
}

TEST(CWorkForwarders, SpeedTextUsesTheActiveChannelsUnit) {
    platform::SetDecimalSeparator('.');
    Station s;
    s.StartUp();
    s.work.Command(4);
    s.work.Channel(1).speed = 0.5;
    EXPECT_EQ(s.work.SpeedText(), "0.500 кН/c");
    s.work.Command(5);
    s.work.Channel(2).speed = 2.0;
    EXPECT_EQ(s.work.SpeedText(), "2.000 мм/мин");
}

// ---------------------------------------------------------------- time base and small members

TEST(CWorkTime, ClearBufferStartsTheTimeAtTheLastSample) {
    Station s;
    s.StartUp();
    s.unit->Emit(12.5, 0.0);
    EXPECT_EQ(s.work.GetTime(), 12.5);  // origin still 0
    s.work.ClearBuffer();
    EXPECT_EQ(s.work.GetTime(), 0.0);
    s.unit->Emit(13.0, 0.0);
    EXPECT_EQ(s.work.GetTime(), 0.5);
}

TEST(CWorkTime, ResetForLoadClearsPeaksBufferAndTime) {
    Station s;
    s.StartUp();
    s.RawReadings();
    s.console.Command(1);
    for (int i = 0; i < 5; ++i)
        s.unit->Emit(i, 1.0 + i, 2.0 + i, 3.0 + i);
    s.work.Channel(6).peak = 9.0;
    s.unit->ClearLog();
    s.work.ResetForLoad();
    for (int c : {1, 2, 3, 6})
        EXPECT_EQ(s.work.Channel(c).peak, 0.0) << c;
    EXPECT_EQ(s.work.Buffer().GetCount(1), 0);
    EXPECT_EQ(s.work.GetTime(), 0.0);
    EXPECT_EQ(s.unit->calls, (std::vector<Call>{{"SetSpeed", {1.0}}}));
}

TEST(CWorkMembers, GetVectorReadsTheMethodsTestKind) {
    Station s;
    s.StartUp();
    EXPECT_EQ(s.work.GetVector(), 2);
    C_Parametr bare;
    bare.AddParam("Режим испытания", "sGO", "Без вектора", C_Parametr::kText, 4, "", "", "", 1, 1);
    s.work.Methods().Register(&bare);
    ASSERT_TRUE(s.work.SelectMethod(7, 0, 0));
    EXPECT_EQ(s.work.GetVector(), -1);
}

// ---------------------------------------------------------------- settings list

TEST(CWorkConfigList, FillsAndRefreshesTheRememberedGroup) {
    Station s;
    // The engine's own defaults: no configuration file behind it.
    s.work.SetIni(nullptr);
    s.StartUp();
    C_Work& w = s.work;
    std::vector<std::string> list = {"stale"};
    w.FillConfigList(list, 7);
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[0], "Название машины=ТХ4700-2Ж5");
    EXPECT_EQ(list[1], "Период обновления, ms=100");
    EXPECT_EQ(list[5], "Использовать Вирт. клавиатуру=1");

    w.Config().iCHANCOUNT = 200;
    list.resize(2);  // fewer lines than parameters: the list grows again
    list[0] = "edited";
    w.RefreshConfigList();
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[0], "Название машины=ТХ4700-2Ж5");
    EXPECT_EQ(list[1], "Период обновления, ms=200");
    EXPECT_EQ(list[3], "Номер протокола=0");

    std::vector<std::string> empty = {"x"};
    w.FillConfigList(empty, 55);
    EXPECT_TRUE(empty.empty());
    w.RefreshConfigList();
    EXPECT_TRUE(empty.empty());
}

TEST(CWorkConfigList, RefreshNeedsAUnit) {
    Station s(true, false);
    s.work.SetIni(nullptr);
    s.StartUp();
    std::vector<std::string> list;
    s.work.FillConfigList(list, 7);
    s.work.Config().iCHANCOUNT = 200;
    s.work.RefreshConfigList();
    EXPECT_EQ(list[1], "Период обновления, ms=100");
}

// ---------------------------------------------------------------- engine thread

TEST(CWorkThread, RunsOnlyWhileConnectedAndStartsOnce) {
    Station s;
    s.StartUp();  // ends in set-up mode, which starts the thread
    EXPECT_TRUE(s.work.ThreadRunning());
    EXPECT_EQ(s.work.ThreadStarts(), 1);
    EXPECT_TRUE(WaitForIdle(*s.unit, 2));
    s.console.Command(241);
    s.console.Command(1);
    s.work.StartUnit();
    EXPECT_EQ(s.work.ThreadStarts(), 1);
}

TEST(CWorkThread, ShutdownJoinsPromptly) {
    Station s;
    s.StartUp();
    ASSERT_TRUE(WaitForIdle(*s.unit, 1));
    s.work.Shutdown();
    EXPECT_FALSE(s.work.ThreadRunning());
    const int steps = s.unit->idleCalls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(s.unit->idleCalls.load(), steps);
    s.work.Shutdown();  // twice is harmless
}

TEST(CWorkThread, DestructorEndsARunningThread) {
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::EventQueue events;
    auto unit = std::make_unique<FakeUnit>();
    FakeUnit* fake = unit.get();
    {
        C_Work w(events, MethodEnv{clock, random});
        w.Init(std::move(unit), {});
        w.Command(241);
        ASSERT_TRUE(WaitForIdle(*fake, 1));
    }
    SUCCEED();
}

TEST(CWorkThread, DisconnectClosesTheUnitAfterTheThreadAndCutsItOff) {
    Station s;
    s.StartUp();
    ASSERT_TRUE(WaitForIdle(*s.unit, 1));
    s.unit->ClearLog();
    // The operator answers the close question.
    s.console.controller.ShowMes("Закрыть программу?", 0, 245);
    s.console.controller.AnswerMessage(1);
    EXPECT_FALSE(s.work.ThreadRunning());
    EXPECT_EQ(s.unit->Names(), (std::vector<std::string>{"PumpOff", "MoveStop", "Close"}));
    s.unit->ClearLog();
    s.console.Command(17);
    s.console.Command(241);
    EXPECT_TRUE(s.unit->calls.empty());
    EXPECT_EQ(s.work.ThreadStarts(), 1);
}

TEST(CWorkThread, ExitAnsweredNoChangesNothing) {
    Station s;
    s.StartUp();
    s.unit->ClearLog();
    s.console.controller.ShowMes("Закрыть программу?", 0, 245);
    s.console.controller.AnswerMessage(3);
    EXPECT_TRUE(s.unit->calls.empty());
    EXPECT_TRUE(s.work.ThreadRunning());
    EXPECT_TRUE(s.work.Connected());
}

}  // namespace

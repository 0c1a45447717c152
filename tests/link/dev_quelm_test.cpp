#include "link/dev_quelm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/c_connect.h"
#include "link/registerimage.h"
#include "model/ckanal.h"
#include "model/config.h"
#include "model/configini.h"
#include "support/fake_link.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"

namespace {

using testsupport::EventLog;
using testsupport::FakeLinkFactory;
using testsupport::FakeUnitScript;
using testsupport::LinkEvent;
using testsupport::ManualScheduler;
using testsupport::RecordingSink;
using testsupport::RecordingSleeper;
using R = RegisterImage;
using Trace = std::vector<std::string>;

class RecordingSamples final : public SampleSink {
public:
    void PutSample(const SSample& s) override { samples.push_back(s); }
    std::vector<SSample> samples;
};

std::string Tri(std::optional<bool> v) {
    return v ? (*v ? "1" : "0") : "-";
}

class RecordingStatus final : public UnitStatusListener {
public:
    void PumpChanged(bool running) override { events.push_back(running ? "pump 1" : "pump 0"); }
    void GripsChanged(std::optional<bool> upper, std::optional<bool> lower) override {
        events.push_back("grips " + Tri(upper) + " " + Tri(lower));
    }
    std::vector<std::string> events;
};

float FloatAt(const std::vector<std::uint8_t>& data, size_t at) {
    float v = 0.0f;
    std::memcpy(&v, data.data() + at, sizeof v);
    return v;
}

std::int32_t IntAt(const std::vector<std::uint8_t>& data, size_t at) {
    std::int32_t v = 0;
    std::memcpy(&v, data.data() + at, sizeof v);
    return v;
}

// The data of the only transfer of a code.
const std::vector<std::uint8_t>& SentData(const EventLog& log, int code, size_t nth = 0) {
    static const std::vector<std::uint8_t> none;
    const auto sent = log.TransfersOf(code);
    return nth < sent.size() ? sent[nth]->data : none;
}

std::vector<std::uint8_t> BlockBytes(const R& image, R::Block b) {
    const auto bytes = image.Bytes(b);
    return {bytes.begin(), bytes.end()};
}

class DeviceQuelmTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.Define(nullptr);
        unit = MakeUnit(config);
    }

    std::unique_ptr<DEVICE_QUELM> MakeUnit(C_Config& cfg, C_Kanal* ch = nullptr) {
        auto u = std::make_unique<DEVICE_QUELM>(
            UnitDeps{sleeper, samples, messages, factory, &status, &zone, schedulerInUse});
        u->Init(7, ch != nullptr ? ch : channels.data(), &cfg);
        return u;
    }

    // Connects over the serial link and forgets what the connect sent.
    void ConnectSerial() {
        ASSERT_TRUE(unit->Connect());
        log.Clear();
        samples.samples.clear();
    }

    void ConnectUdpOnly() {
        factory.serialKind = {true, false};
        factory.udpKind = {true, true};
        ASSERT_TRUE(unit->Connect());
        log.Clear();
    }

    void SetLive(const std::vector<float>& f) { script.ReplyFloats(1, f); }

    EventLog log;
    RecordingSleeper sleeper{log};
    FakeUnitScript script;
    FakeLinkFactory factory{log, script};
    RecordingSamples samples;
    RecordingSink messages;
    RecordingStatus status;
    int zone = 0;
    C_Config config;
    std::vector<C_Kanal> channels = std::vector<C_Kanal>(10);
    // Null: the unit sleeps its pauses.
    platform::Scheduler* schedulerInUse = nullptr;
    std::unique_ptr<DEVICE_QUELM> unit;
};

// The window's way: the pauses are waited out by the event loop, here by a
// scheduler whose time the test moves on.
class ScheduledDeviceQuelmTest : public DeviceQuelmTest {
protected:
    void SetUp() override {
        schedulerInUse = &scheduler;
        DeviceQuelmTest::SetUp();
    }
    Trace Settled() {
        scheduler.RunAll();
        return log.Trace();
    }
    ManualScheduler scheduler{log};
};

// ---------------------------------------------------------------- interface

TEST(DeviceQuelmInterface, BaseObject_RefusesAndDoesNothing) {
    C_Connect base;
    C_Config cfg;
    std::vector<C_Kanal> ch(10);
    EXPECT_FALSE(base.Init(1, ch.data(), &cfg));
    EXPECT_FALSE(base.Connect());
    for (int i : {-1, 0, 1, 3, 10, 11, 12, 25, 26, 27, 99})
        EXPECT_EQ(base.GetValue(i), -1.0);
    EXPECT_EQ(base.ZeroChannel(1, true), 0);
    base.SetValue(1, 0);
    base.SetSpeed(3.0f);
    base.PumpOn();
    EXPECT_EQ(cfg.Count(), 0);
}

TEST_F(DeviceQuelmTest, Init_StoresOwnerAndStartsOnAPlainLink) {
    EXPECT_EQ(unit->Owner(), 7u);
    EXPECT_FALSE(unit->Ready());
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kNoLink);
    EXPECT_EQ(unit->AddressText(), "192.168.16.254");
    EXPECT_EQ(unit->PortText(), "8081");
    // Until a link is found every command is refused.
    unit->PumpOn();
    unit->MoveStop();
    unit->GetValue(11);
    EXPECT_EQ(log.Codes(), std::vector<int>{});
}

TEST_F(DeviceQuelmTest, ReservedOperations) {
    ConnectSerial();
    EXPECT_EQ(unit->Reserved20(17), 17);
    EXPECT_EQ(unit->Reserved25(17), 0);
    unit->Reserved3();
    unit->Reserved27(true);
    unit->Close();
    EXPECT_TRUE(log.events.empty());
}

// ---------------------------------------------------------------- connect

const Trace kReadOut = {
    "2",  "36",   "37", "38",   "39",  "50",   "51",  "52",   "53",  "68",   "69",  "s150",
    "96", "s150", "97", "s150", "98",  "s150", "99",  "s150", "100", "s150", "101", "139",
    "62", "60",   "73", "114",  "20",  "s100", "21",  "s100", "22",  "s100", "23",  "s100",
    "24", "s100", "25", "s100", "111", "s100", "111", "s100", "1",
};

Trace Then(Trace head, const Trace& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST_F(DeviceQuelmTest, ConnectSerial_ReadsTheImageInOrder) {
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(log.Trace(), Then({"open serial 0"}, kReadOut));
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kSerialLink);
    EXPECT_TRUE(unit->Ready());
    EXPECT_EQ(factory.usbMade, 0);
    EXPECT_EQ(factory.udpMade, 0);
    EXPECT_TRUE(messages.messages.empty());
    // The bending protections are asked for one selector after the other.
    ASSERT_EQ(SentData(log, 111, 0).size(), 16u);
    EXPECT_EQ(SentData(log, 111, 0)[0], 1);
    EXPECT_EQ(SentData(log, 111, 1)[0], 2);
}

TEST_F(DeviceQuelmTest, ConnectFallsBack_SerialThenUsbThenUdp) {
    factory.serialKind = {true, false};
    factory.usbKind = {true, false};
    factory.udpKind = {true, true};
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(log.Trace(),
              Then({"open serial 0", "close serial", "open usb 255", "close usb", "open udp 0"},
                   kReadOut));
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kUdpLink);
    EXPECT_EQ(factory.udpAddress, "192.168.16.254");
    EXPECT_EQ(factory.udpPort, 8081);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(DeviceQuelmTest, ConnectUsb_WhenSerialIsSilent) {
    factory.serialKind = {true, false};
    factory.usbKind = {true, true};
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(log.Trace(), Then({"open serial 0", "close serial", "open usb 255"}, kReadOut));
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kUsbLink);
    EXPECT_EQ(factory.udpMade, 0);
}

TEST_F(DeviceQuelmTest, ConnectWithoutUsbLink_GoesStraightToUdp) {
    factory.serialKind = {true, false};
    factory.usbKind = {false, false};
    factory.udpKind = {true, true};
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(log.Trace(), Then({"open serial 0", "close serial", "open udp 0"}, kReadOut));
}

TEST_F(DeviceQuelmTest, ConnectWithNoUnitAnywhere_ShowsTheErrorOnceAndFails) {
    factory.serialKind = {true, false};
    factory.usbKind = {true, false};
    factory.udpKind = {true, false};
    EXPECT_FALSE(unit->Connect());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Ошибка");
    EXPECT_EQ(messages.messages[0].text, "ETHERNET PORT ERROR");
    EXPECT_EQ(log.Codes(), std::vector<int>{});
    EXPECT_FALSE(unit->Ready());
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kNoLink);
    // Nothing reaches the silent links afterwards.
    log.Clear();
    unit->PumpOn();
    unit->GetValue(27);
    EXPECT_TRUE(log.events.empty());
}

struct UdpSettingsCase {
    const char* address;
    const char* port;
    bool tried;
    int portNumber;
};

TEST_F(DeviceQuelmTest, ConnectUdp_SkipsAnInvalidAddressOrPort) {
    const UdpSettingsCase cases[] = {
        {"192.168.16.254", "8081", true, 8081},
        {"unit-1.lab", "65535", true, 65535},
        {"10.0.0.1", "1", true, 1},
        {"192.168.16.254", " 502 ", true, 502},
        {" 10.0.0.2 ", "8081", true, 8081},  // as typed on the settings screen
        {"", "8081", false, 0},
        {"192.168.16.256", "8081", false, 0},
        {"1.2.3", "8081", false, 0},
        {"bad host", "8081", false, 0},
        {"-x.lab", "8081", false, 0},
        {"a..b", "8081", false, 0},
        {"unit;rm", "8081", false, 0},
        {"192.168.16.254", "", false, 0},
        {"192.168.16.254", "0", false, 0},
        {"192.168.16.254", "65536", false, 0},
        {"192.168.16.254", "80a", false, 0},
        {"192.168.16.254", "-1", false, 0},
        {"192.168.16.254", "99999999999", false, 0},
    };
    factory.serialKind = {true, false};
    factory.usbKind = {false, false};
    factory.udpKind = {true, false};
    for (const UdpSettingsCase& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " : " + c.port);
        ASSERT_TRUE(config.SetFromText(config.IndexOf("iIP"), c.address));
        ASSERT_TRUE(config.SetFromText(config.IndexOf("iPorts"), c.port));
        factory.udpMade = 0;
        factory.udpPort = 0;
        messages.messages.clear();
        EXPECT_FALSE(unit->Connect());
        EXPECT_EQ(factory.udpMade, c.tried ? 1 : 0);
        EXPECT_EQ(factory.udpPort, c.portNumber);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, "ETHERNET PORT ERROR");
    }
}

TEST_F(DeviceQuelmTest, Connect_CopiesTheChannelBlocksIntoTheChannels) {
    R scratch;
    const R::Block b = R::ChannelBlock(1);
    scratch.SetFloat(b, R::kChannelFullScale, 250.0f);
    for (size_t i = 0; i < 10; ++i) {
        scratch.SetFloat(b, R::kChannelReference + 4 * i, 10.0f * static_cast<float>(i + 1));
        scratch.SetFloat(b, R::kChannelMeasured + 4 * i, 11.0f * static_cast<float>(i + 1));
    }
    scratch.SetU8(b, R::kChannelPointCount, 12);
    scratch.SetFloat(b, R::kChannelPidP, 1.5f);
    scratch.SetFloat(b, R::kChannelPidI, 0.25f);
    scratch.SetFloat(b, R::kChannelPidD, 0.125f);
    script.replies[96] = BlockBytes(scratch, b);
    const R::Block t = R::ChannelTable(1);
    for (size_t i = 0; i < 10; ++i) {
        scratch.SetFloat(t, R::kTableReference + 4 * i, 100.0f + static_cast<float>(i));
        scratch.SetFloat(t, R::kTableMeasured + 4 * i, 200.0f + static_cast<float>(i));
    }
    script.replies[20] = BlockBytes(scratch, t);
    scratch.SetFloat(R::kSetpoints, R::kProtection1, 55.5f);
    scratch.SetFloat(R::kSetpoints, R::kProtection1 + 8, 77.0f);
    script.replies[114] = BlockBytes(scratch, R::kSetpoints);
    script.responder = [](int code, std::span<std::uint8_t> block) {
        if (code != 111) return false;
        const float limit = block[0] == 1 ? 7.0f : 9.0f;
        std::memcpy(block.data() + R::kBendLimit, &limit, sizeof limit);
        return true;
    };
    channels[1].tableOn = true;
    channels[7].fullScale = 3.0;

    ASSERT_TRUE(unit->Connect());
    const C_Kanal& k = channels[1];
    EXPECT_EQ(k.fullScale, 250.0);
    EXPECT_EQ(k.tablePoints, 12);
    EXPECT_FALSE(k.tableOn);
    EXPECT_EQ(k.tableY[0], 10.0);
    EXPECT_EQ(k.tableY[9], 100.0);
    EXPECT_EQ(k.tableX[9], 110.0);
    EXPECT_EQ(k.tableY[10], 100.0);
    EXPECT_EQ(k.tableX[19], 209.0);
    EXPECT_EQ(k.pidP, 1.5);
    EXPECT_EQ(k.pidI, 0.25);
    EXPECT_EQ(k.pidD, 0.125);
    EXPECT_EQ(k.protection, 55.5);
    EXPECT_EQ(channels[3].protection, 77.0);
    EXPECT_EQ(channels[4].auxProtection, 7.0);
    EXPECT_EQ(channels[5].auxProtection, 9.0);
    EXPECT_EQ(channels[7].fullScale, 3.0);
}

TEST_F(DeviceQuelmTest, PointCountFromTheUnit_IsBoundedToTheBlocksTwentyPoints) {
    R scratch;
    scratch.SetU8(R::ChannelBlock(2), R::kChannelPointCount, 200);
    script.replies[97] = BlockBytes(scratch, R::ChannelBlock(2));
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(channels[2].tablePoints, C_Kanal::kUnitTablePoints);
}

TEST_F(DeviceQuelmTest, FailedBendingReadBack_KeepsTheLimits) {
    channels[4].auxProtection = 3.0;
    channels[5].auxProtection = 4.0;
    script.failCodes = {111};
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(channels[4].auxProtection, 3.0);
    EXPECT_EQ(channels[5].auxProtection, 4.0);
}

// ---------------------------------------------------------------- manual operations

struct OperationCase {
    const char* name;
    std::function<void(DEVICE_QUELM&)> run;
    Trace expected;
};

std::vector<OperationCase> ManualCases() {
    return {
        {"PumpOn", [](DEVICE_QUELM& u) { u.PumpOn(); }, {"93(6)"}},
        {"PumpOff", [](DEVICE_QUELM& u) { u.PumpOff(); }, {"93(7)"}},
        {"MoveUp", [](DEVICE_QUELM& u) { u.MoveUp(); }, {"93(2)"}},
        {"MoveDown", [](DEVICE_QUELM& u) { u.MoveDown(); }, {"93(3)"}},
        {"MoveStop", [](DEVICE_QUELM& u) { u.MoveStop(); }, {"s50", "93(34)", "s150", "93(5)"}},
        {"Idle", [](DEVICE_QUELM& u) { u.Idle(); }, {"s100"}},
        {"IdleControl", [](DEVICE_QUELM& u) { u.IdleControl(); }, {"93(6)"}},
        {"SetOutput 3 on", [](DEVICE_QUELM& u) { u.SetOutput(3, true); }, {"5(131)", "s10"}},
        {"SetOutput 127 off", [](DEVICE_QUELM& u) { u.SetOutput(127, false); }, {"5(127)", "s10"}},
        {"SetOutput 0", [](DEVICE_QUELM& u) { u.SetOutput(0, true); }, {}},
        {"SetOutput 128", [](DEVICE_QUELM& u) { u.SetOutput(128, true); }, {}},
        {"SetOutput -3", [](DEVICE_QUELM& u) { u.SetOutput(-3, false); }, {}},
    };
}

TEST_F(DeviceQuelmTest, ManualOperations_SendTheirKeysAndPauses) {
    const std::vector<OperationCase> cases = ManualCases();
    ConnectSerial();
    for (const OperationCase& c : cases) {
        SCOPED_TRACE(c.name);
        log.Clear();
        c.run(*unit);
        EXPECT_EQ(log.Trace(), c.expected);
    }
}

struct GripCase {
    int vzr, vzz, nzr, nzz;
    Trace upperClamp, upperRelease, lowerClamp, lowerRelease;
};

TEST_F(DeviceQuelmTest, Grips_SwitchTheConfiguredOutputsOrSendTheKey) {
    const GripCase cases[] = {
        {3,
         4,
         5,
         6,
         {"5(3)", "s10", "5(132)", "s10"},
         {"5(131)", "s10", "5(4)", "s10"},
         {"5(5)", "s10", "5(134)", "s10"},
         {"5(133)", "s10", "5(6)", "s10"}},
        // Both outputs negative: the unit's own grip keys.
        {-1, -2, -3, -4, {"93(50)"}, {"93(51)"}, {"93(52)"}, {"93(53)"}},
        // Only one negative: that output is not sent, the other is.
        {-1, 4, 5, -6, {"5(132)", "s10"}, {"5(4)", "s10"}, {"5(5)", "s10"}, {"5(133)", "s10"}},
        // Output numbers that do not fit the byte are never sent.
        {0, 200, 128, 0, {}, {}, {}, {}},
    };
    ConnectSerial();
    for (const GripCase& c : cases) {
        SCOPED_TRACE(c.vzr);
        config.iVZR = c.vzr;
        config.iVZZ = c.vzz;
        config.iNZR = c.nzr;
        config.iNZZ = c.nzz;
        log.Clear();
        unit->UpperGripClamp();
        EXPECT_EQ(log.Trace(), c.upperClamp);
        log.Clear();
        unit->UpperGripRelease();
        EXPECT_EQ(log.Trace(), c.upperRelease);
        log.Clear();
        unit->LowerGripClamp();
        EXPECT_EQ(log.Trace(), c.lowerClamp);
        log.Clear();
        unit->LowerGripRelease();
        EXPECT_EQ(log.Trace(), c.lowerRelease);
    }
}

TEST_F(DeviceQuelmTest, GripsWithoutTheirConfigurationKeys_SendNothing) {
    C_Config bare;
    bare.AddParamRef("Выход ВЗР", "iVZR", &bare.iVZR, 4, "", "1000", "-100", 1, 1);
    bare.AddParamRef("Выход НЗЗ", "iNZZ", &bare.iNZZ, 4, "", "1000", "-100", 1, 1);
    bare.iVZR = 3;
    bare.iNZZ = 6;
    unit = MakeUnit(bare);
    ConnectSerial();
    unit->UpperGripClamp();
    unit->UpperGripRelease();
    unit->LowerGripClamp();
    unit->LowerGripRelease();
    EXPECT_TRUE(log.events.empty());
}

struct ZeroCase {
    int zone;
    int channel;
    bool on;
    Trace expected;
    int result;
};

TEST_F(DeviceQuelmTest, ZeroChannel_ChoosesTheInputByChannelAndZone) {
    config.iKF1 = 2;
    config.iKF2 = 4;
    config.iKL1 = 1;
    config.iKL2 = 5;
    config.iKE1 = 3;
    const ZeroCase cases[] = {
        {0, 1, true, {"128(2)"}, 1}, {3, 1, true, {"128(4)"}, 1},  {0, 2, false, {"129(1)"}, 1},
        {3, 2, true, {"128(5)"}, 1}, {0, 3, false, {"129(3)"}, 1}, {3, 3, true, {"128(3)"}, 1},
        {0, 9, true, {"128(0)"}, 1},
    };
    ConnectSerial();
    for (const ZeroCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "zone " << c.zone << " channel " << c.channel);
        zone = c.zone;
        log.Clear();
        EXPECT_EQ(unit->ZeroChannel(c.channel, c.on), c.result);
        EXPECT_EQ(log.Trace(), c.expected);
    }
}

TEST_F(DeviceQuelmTest, ZeroChannel_WithoutAnExtensometerInput_ZeroesNothing) {
    config.iKE1 = -1;
    ConnectSerial();
    EXPECT_EQ(unit->ZeroChannel(3, true), 0);
    EXPECT_EQ(unit->ZeroChannel(3, false), 0);
    EXPECT_TRUE(log.events.empty());
}

// ---------------------------------------------------------------- values

TEST_F(DeviceQuelmTest, GetValueLive_PollsOnlyOnSerialAndUsb) {
    ConnectSerial();
    EXPECT_EQ(unit->GetValue(10), -1.0);
    EXPECT_EQ(log.Trace(), (Trace{"1"}));
}

TEST_F(DeviceQuelmTest, GetValueLive_OnUdpSendsNothing) {
    ConnectUdpOnly();
    EXPECT_EQ(unit->GetValue(10), -1.0);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(DeviceQuelmTest, GetValueLive_OnUsbPolls) {
    factory.serialKind = {true, false};
    factory.usbKind = {true, true};
    ASSERT_TRUE(unit->Connect());
    log.Clear();
    unit->GetValue(10);
    EXPECT_EQ(log.Trace(), (Trace{"1"}));
}

TEST_F(DeviceQuelmTest, GetValueReads_ReturnWhatTheUnitAnswered) {
    ConnectSerial();
    script.ReplyFloats(11, {23.5f});
    EXPECT_EQ(unit->GetValue(11), 23.5);
    EXPECT_EQ(unit->GetAmbientTemperature(), 23.5f);
    unit->ResetAmbientTemperature();
    EXPECT_EQ(unit->GetAmbientTemperature(), 0.0f);

    R scratch;
    scratch.SetI32(R::kCycleProgram, R::kCycleDone, 17);
    script.replies[120] = BlockBytes(scratch, R::kCycleProgram);
    EXPECT_EQ(unit->GetValue(25), 17.0);
    EXPECT_EQ(unit->GetCyclesDone(), 17);

    script.replies[41] = {0x21, 0x43, 0x65, 0x87};
    EXPECT_EQ(unit->GetValue(26), -1.0);
    EXPECT_EQ(unit->GetInputWord(), 0x4321);

    EXPECT_EQ(unit->GetValue(27), -1.0);
    EXPECT_EQ(log.Trace(), (Trace{"11", "120", "41", "58", "95"}));
}

TEST_F(DeviceQuelmTest, OilTemperature_IsTheLastLiveValueAndSendsNothing) {
    SetLive({0, 0, 0, 0, 0, 0, 61.0f, 0});
    ConnectSerial();
    EXPECT_EQ(unit->GetValue(12), 61.0);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(DeviceQuelmTest, GetValueOutsideTheTable_ReturnsMinusOneAndSendsNothing) {
    ConnectSerial();
    channels[7].fullScale = 3.0;
    channels[0].fullScale = 4.0;
    for (int i : {-1, 0, 7, 9, 13, 20, 24, 28, 1000}) {
        EXPECT_EQ(unit->GetValue(i), -1.0) << i;
    }
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(channels[7].fullScale, 3.0);
    EXPECT_EQ(channels[0].fullScale, 4.0);
}

TEST_F(DeviceQuelmTest, SetValueTables_WritesBothBlocksThenApplies) {
    ConnectSerial();
    C_Kanal& k = channels[2];
    k.tablePoints = 12;
    for (size_t i = 0; i < 20; ++i) {
        k.tableY[i] = 1.5 * static_cast<double>(i + 1);
        k.tableX[i] = 2.0 * static_cast<double>(i + 1);
    }
    unit->SetValue(2, 0);
    EXPECT_EQ(log.Trace(), (Trace{"81", "s200", "15", "s200", "s100", "6"}));
    const auto& block = SentData(log, 81);
    ASSERT_EQ(block.size(), 216u);
    EXPECT_EQ(block[92], 12);
    EXPECT_EQ(block[93], 1);
    EXPECT_EQ(FloatAt(block, 12), 1.5f);
    EXPECT_EQ(FloatAt(block, 12 + 36), 15.0f);
    EXPECT_EQ(FloatAt(block, 52 + 36), 20.0f);
    const auto& table = SentData(log, 15);
    ASSERT_EQ(table.size(), 80u);
    EXPECT_EQ(FloatAt(table, 0), 16.5f);
    EXPECT_EQ(FloatAt(table, 40 + 36), 40.0f);
    EXPECT_TRUE(unit->Ready());
}

TEST_F(DeviceQuelmTest, SetValueTables_BoundsThePointCountToTheBlock) {
    ConnectSerial();
    for (auto [points, count, flag] : {std::tuple{0, 0, 0}, {150, 20, 1}, {-4, 0, 0}}) {
        channels[1].tablePoints = points;
        log.Clear();
        unit->SetValue(1, 0);
        const auto& block = SentData(log, 80);
        ASSERT_EQ(block.size(), 216u);
        EXPECT_EQ(block[92], count) << points;
        EXPECT_EQ(block[93], flag) << points;
    }
}

TEST_F(DeviceQuelmTest, SetValueTables_ForAChannelWithoutBlocks_SendsNothing) {
    ConnectSerial();
    unit->SetValue(0, 1);
    unit->SetValue(7, 0);
    unit->SetValue(-1, 3);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(DeviceQuelmTest, SetValuePid_WritesChannelsOneToFive) {
    ConnectSerial();
    channels[3].pidP = 2.5;
    channels[3].pidI = 0.5;
    channels[3].pidD = 0.0625;
    unit->SetValue(0, 4);
    EXPECT_EQ(log.Trace(), (Trace{"80", "81", "82", "83", "84", "s100", "6"}));
    const auto& block = SentData(log, 82);
    ASSERT_EQ(block.size(), 216u);
    EXPECT_EQ(FloatAt(block, 184), 2.5f);
    EXPECT_EQ(FloatAt(block, 188), 0.5f);
    EXPECT_EQ(FloatAt(block, 192), 0.0625f);
}

TEST_F(DeviceQuelmTest, SetValueSetpoints_ByTestZone) {
    ConnectSerial();
    for (int c = 1; c <= 5; ++c)
        channels[static_cast<size_t>(c)].setPoint = 10.0 * c;
    unit->SetValue(0, 15);
    EXPECT_EQ(log.Trace(), (Trace{"115"}));
    const auto tension = SentData(log, 115);
    EXPECT_EQ(FloatAt(tension, 0), 10.0f);
    EXPECT_EQ(FloatAt(tension, 4), 20.0f);
    EXPECT_EQ(FloatAt(tension, 8), 30.0f);

    zone = 3;
    log.Clear();
    unit->SetValue(0, 15);
    const auto compression = SentData(log, 115);
    EXPECT_EQ(FloatAt(compression, 0), -40.0f);
    EXPECT_EQ(FloatAt(compression, 4), -50.0f);
    EXPECT_EQ(FloatAt(compression, 8), 30.0f);  // set-point 3 keeps its value
}

TEST_F(DeviceQuelmTest, SetValueProtections_WritesLimitsThenBothBendingLimits) {
    ConnectSerial();
    channels[1].protection = 100.0;
    channels[2].protection = 50.0;
    channels[3].protection = 5.0;
    channels[4].auxProtection = 7.0;
    channels[5].auxProtection = 9.0;
    unit->SetValue(0, 16);
    EXPECT_EQ(log.Trace(), (Trace{"s10", "115", "s100", "110", "110"}));
    const auto& limits = SentData(log, 115);
    EXPECT_EQ(FloatAt(limits, 64), 100.0f);
    EXPECT_EQ(FloatAt(limits, 68), 50.0f);
    EXPECT_EQ(FloatAt(limits, 72), 5.0f);
    const auto& first = SentData(log, 110, 0);
    const auto& second = SentData(log, 110, 1);
    ASSERT_EQ(first.size(), 16u);
    EXPECT_EQ(first[0], 1);
    EXPECT_EQ(FloatAt(first, 12), 7.0f);
    EXPECT_EQ(second[0], 2);
    EXPECT_EQ(FloatAt(second, 12), 9.0f);
}

TEST_F(DeviceQuelmTest, SetValueCycleProgram_SendsTheBlockAsFilled) {
    ConnectSerial();
    unit->SetCycleProgramBlock(2.0f, 10.0f, 5.0f, 3.0f, 100, 3, 0);
    EXPECT_TRUE(log.events.empty());
    unit->SetCycleRepetitions(250);
    unit->SetValue(0, 20);
    EXPECT_EQ(log.Trace(), (Trace{"94"}));
    const auto& d = SentData(log, 94);
    ASSERT_EQ(d.size(), 48u);
    EXPECT_EQ(FloatAt(d, 0), 2.0f);
    EXPECT_EQ(FloatAt(d, 4), 10.0f);
    EXPECT_EQ(FloatAt(d, 8), 5.0f);
    EXPECT_EQ(FloatAt(d, 12), 3.0f);
    EXPECT_EQ(IntAt(d, 16), 250);
    EXPECT_EQ(IntAt(d, 20), 0);
    EXPECT_EQ(d[24], 3);
    EXPECT_EQ(d[26], 1);
    EXPECT_EQ(d[32], 0);
}

struct ProgramCase {
    int code;
    int zone;
    Trace expected;
    float speed, upper, lower, hold;
    int repetitions, kind, flag;
};

TEST_F(DeviceQuelmTest, SetValuePrograms_StartModeThenTheProgramBlock) {
    channels[2].targetPosition = 42.5;
    const ProgramCase cases[] = {
        {21, 0, {"161(0)", "s5", "94"}, 0.5f, 0.3f, 0.3f, 1.0f, 1, 1, 1},
        {26, 0, {"s1", "161(1)", "s1", "94"}, 200.0f, 42.5f, 0.0f, 0.0f, 0, 4, 1},
        {30, 0, {"s1", "161(0)", "s2", "94"}, 0.01f, 0.1f, 0.0f, 0.0f, 0, 4, 0},
        {30, 3, {"s1", "161(0)", "s2", "94"}, 0.01f, -0.1f, 0.0f, 0.0f, 0, 4, 0},
    };
    ConnectSerial();
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "code " << c.code << " zone " << c.zone);
        zone = c.zone;
        log.Clear();
        unit->SetValue(0, c.code);
        EXPECT_EQ(log.Trace(), c.expected);
        const auto& d = SentData(log, 94);
        ASSERT_EQ(d.size(), 48u);
        EXPECT_EQ(FloatAt(d, 0), c.speed);
        EXPECT_EQ(FloatAt(d, 4), c.upper);
        EXPECT_EQ(FloatAt(d, 8), c.lower);
        EXPECT_EQ(FloatAt(d, 12), c.hold);
        EXPECT_EQ(IntAt(d, 16), c.repetitions);
        EXPECT_EQ(d[24], c.kind);
        EXPECT_EQ(d[32], c.flag);
    }
}

TEST_F(DeviceQuelmTest, SetValueSingleCommands) {
    ConnectSerial();
    unit->SetValue(0, 22);
    unit->SetValue(0, 25);
    EXPECT_EQ(log.Trace(), (Trace{"160", "25"}));
    log.Clear();
    for (int code : {5, 14, 17, 19, 23, 24, 27, 29, 31, 100, -1})
        unit->SetValue(1, code);
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(unit->Ready());
}

// ---------------------------------------------------------------- closed-loop motion

float MotionSpeed(const DEVICE_QUELM& u) {
    return u.Image().GetFloat(R::kMotion, R::kMotionSpeed);
}
int MotionMode(const DEVICE_QUELM& u) {
    return u.Image().GetU8(R::kMotion, R::kMotionMode);
}
float BlockSpeed(const DEVICE_QUELM& u, int channel) {
    return u.Image().GetFloat(R::ChannelBlock(channel), R::kChannelSpeed);
}

const Trace kMotionSent = {"s2", "130", "s2", "s2", "161(0)", "s2"};

TEST_F(DeviceQuelmTest, StartControl_PumpOnThenMotionAndMode) {
    ConnectSerial();
    unit->StartControl();
    EXPECT_EQ(log.Trace(), Then({"93(6)"}, kMotionSent));
    EXPECT_EQ(unit->RunState(), DEVICE_QUELM::kRunning);
    EXPECT_EQ(MotionSpeed(*unit), 1.0f);
    EXPECT_EQ(MotionMode(*unit), 0);
    const auto& motion = SentData(log, 130);
    ASSERT_EQ(motion.size(), 8u);
    EXPECT_EQ(FloatAt(motion, 4), 1.0f);
}

TEST_F(DeviceQuelmTest, NegativeSpeedMovingUp_SendsOneAndKeepsTheBlockSpeed) {
    ConnectSerial();
    unit->StartControl();
    log.Clear();
    unit->SetSpeed(-3.0f);
    EXPECT_EQ(log.Trace(), kMotionSent);
    EXPECT_EQ(FloatAt(SentData(log, 130), 4), 1.0f);
    EXPECT_EQ(BlockSpeed(*unit, 1), -3.0f);
}

TEST_F(DeviceQuelmTest, SetControlChannel_ChoosesTheModeAndItsBlock) {
    ConnectSerial();
    unit->StartControl();
    log.Clear();
    unit->SetControlChannel(2, 5.0f);
    EXPECT_EQ(log.Trace(), (Trace{"s2", "130", "s2", "s2", "161(1)", "s2"}));
    EXPECT_EQ(MotionMode(*unit), 1);
    EXPECT_EQ(MotionSpeed(*unit), 5.0f);
    EXPECT_EQ(BlockSpeed(*unit, 2), 5.0f);
    unit->SetControlChannel(3, 2.0f);
    EXPECT_EQ(unit->ControlMode(), 2);
    unit->SetControlChannel(7, 4.0f);  // keeps the mode
    EXPECT_EQ(unit->ControlMode(), 2);
    EXPECT_EQ(BlockSpeed(*unit, 3), 4.0f);
}

struct ZoneMotionCase {
    int zone;
    int direction;
    int kf2;
    int kl2;
    float expected;
};

TEST_F(DeviceQuelmTest, MotionSign_ByDirectionZoneAndSharedInputs) {
    config.iKF1 = 0;
    config.iKL1 = 1;
    const ZoneMotionCase cases[] = {
        {0, 1, 0, 1, 4.0f},
        {0, 2, 0, 1, -4.0f},
        // Compression on the tension input turns the sign round.
        {3, 1, 0, 2, -4.0f},
        {3, 1, 2, 2, 4.0f},
        {3, 2, 2, 1, 4.0f},
        {3, 2, 2, 3, -4.0f},
    };
    ConnectSerial();
    unit->StartControl();
    unit->SetSpeed(4.0f);
    for (const ZoneMotionCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "zone " << c.zone << " direction " << c.direction
                                          << " kf2 " << c.kf2 << " kl2 " << c.kl2);
        zone = c.zone;
        config.iKF2 = c.kf2;
        config.iKL2 = c.kl2;
        unit->SetDirection(c.direction);
        EXPECT_EQ(MotionSpeed(*unit), c.expected);
    }
}

TEST_F(DeviceQuelmTest, HaltControl_StopsTheProgramAndTheCrosshead) {
    ConnectSerial();
    unit->StartControl();
    log.Clear();
    unit->HaltControl();
    EXPECT_EQ(log.Trace(), (Trace{"s2", "160", "s50", "93(34)", "s150", "93(5)", "s2"}));
    EXPECT_EQ(unit->MoveDirection(), 1);
}

TEST_F(DeviceQuelmTest, IdleRunState_StoresASpeedWithoutSending) {
    ConnectSerial();
    unit->SetSpeed(5.0f);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(BlockSpeed(*unit, 1), 0.0f);
    EXPECT_EQ(MotionSpeed(*unit), 0.0f);
    EXPECT_EQ(unit->Speed(), 5.0f);
}

TEST_F(DeviceQuelmTest, PauseThenResume_RestoresTheDirection) {
    ConnectSerial();
    unit->StartControl();
    unit->SetSpeed(4.0f);
    unit->SetDirection(2);
    EXPECT_EQ(MotionSpeed(*unit), -4.0f);
    log.Clear();
    unit->Pause();
    EXPECT_EQ(log.Trace(), kMotionSent);
    EXPECT_EQ(FloatAt(SentData(log, 130), 4), 0.0f);
    EXPECT_TRUE(unit->Paused());
    log.Clear();
    unit->Resume();
    EXPECT_EQ(log.Trace(), kMotionSent);
    EXPECT_EQ(FloatAt(SentData(log, 130), 4), -4.0f);
    EXPECT_EQ(unit->MoveDirection(), 2);
    EXPECT_FALSE(unit->Paused());
}

TEST_F(DeviceQuelmTest, SpeedChangeWhilePaused_IsStoredAndSentOnlyOnResume) {
    ConnectSerial();
    unit->StartControl();
    unit->SetDirection(2);
    unit->Pause();
    log.Clear();
    unit->SetSpeed(6.0f);
    unit->SetControlChannel(3, 7.0f);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(MotionSpeed(*unit), 0.0f);
    EXPECT_EQ(BlockSpeed(*unit, 3), 7.0f);
    unit->Resume();
    EXPECT_EQ(log.Trace(), (Trace{"s2", "130", "s2", "s2", "161(2)", "s2"}));
    EXPECT_EQ(FloatAt(SentData(log, 130), 4), -7.0f);
    EXPECT_EQ(SentData(log, 130)[0], 2);
}

TEST_F(DeviceQuelmTest, SecondPause_IsIgnoredAndResumeWithoutPauseDoesNothing) {
    ConnectSerial();
    unit->StartControl();
    unit->SetSpeed(4.0f);
    log.Clear();
    unit->Resume();
    EXPECT_TRUE(log.events.empty());
    unit->SetDirection(2);
    unit->Pause();
    log.Clear();
    unit->Pause();
    EXPECT_TRUE(log.events.empty());
    unit->Resume();
    EXPECT_EQ(FloatAt(SentData(log, 130), 4), -4.0f);
    log.Clear();
    unit->Resume();
    EXPECT_TRUE(log.events.empty());
}

// ---------------------------------------------------------------- decoder

struct LiveCase {
    int zone;
    int kf1, kf2, kl1, kl2;
    double force, displacement;
};

TEST_F(DeviceQuelmTest, LiveSample_TakesForceAndDisplacementFromTheConfiguredInputs) {
    // f0 time, f1..f7 the unit's inputs 0..6.
    SetLive({0.5f, 5.0f, 2.0f, 3.0f, 4.0f, 6.0f, 60.0f, 7.0f});
    const LiveCase cases[] = {
        {0, 0, 0, 1, 1, 5.0, 2.0}, {0, 6, 0, 4, 0, 7.0, 6.0},   {3, 0, 0, 1, 1, -5.0, -2.0},
        {3, 0, 1, 0, 4, 2.0, 6.0}, {3, 1, 1, 2, 2, -2.0, -3.0},
    };
    ConnectSerial();
    for (const LiveCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "zone " << c.zone << " kf " << c.kf1 << "/" << c.kf2
                                          << " kl " << c.kl1 << "/" << c.kl2);
        zone = c.zone;
        config.iKF1 = c.kf1;
        config.iKF2 = c.kf2;
        config.iKL1 = c.kl1;
        config.iKL2 = c.kl2;
        samples.samples.clear();
        unit->GetValue(10);
        ASSERT_EQ(samples.samples.size(), 1u);
        const SSample& s = samples.samples[0];
        EXPECT_EQ(s.time, 0.5);
        EXPECT_EQ(s.F, c.force);
        EXPECT_EQ(s.L, c.displacement);
        EXPECT_EQ(s.E, 3.0);
    }
}

TEST_F(DeviceQuelmTest, CompressionOnOneSharedInput_TurnsTheSign) {
    ConnectSerial();
    zone = 3;
    config.iKF1 = 0;
    config.iKF2 = 0;
    SetLive({0, 5.0f, 0, 0, 0, 0, 0, 0});
    unit->GetValue(10);
    config.iKF2 = 1;
    SetLive({0, 0, 5.0f, 0, 0, 0, 0, 0});
    unit->GetValue(10);
    ASSERT_EQ(samples.samples.size(), 2u);
    EXPECT_EQ(samples.samples[0].F, -5.0);
    EXPECT_EQ(samples.samples[1].F, 5.0);
}

TEST_F(DeviceQuelmTest, LiveSample_OutOfRangeInputsAndOtherZones_KeepThePreviousValues) {
    ConnectSerial();
    config.iKF1 = 0;
    config.iKL1 = 1;
    SetLive({1.0f, 5.0f, 2.0f, 3.0f, 0, 0, 0, 0});
    unit->GetValue(10);
    SetLive({2.0f, 50.0f, 20.0f, 30.0f, 0, 0, 0, 0});
    config.iKF1 = 7;
    config.iKL1 = -1;
    unit->GetValue(10);
    zone = 1;
    config.iKF1 = 0;
    config.iKL1 = 1;
    unit->GetValue(10);
    ASSERT_EQ(samples.samples.size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(samples.samples[i].F, 5.0) << i;
        EXPECT_EQ(samples.samples[i].L, 2.0) << i;
        EXPECT_EQ(samples.samples[i].time, 2.0) << i;
        EXPECT_EQ(samples.samples[i].E, 30.0) << i;
    }
}

TEST_F(DeviceQuelmTest, FailedLiveRead_HandsNoSampleToTheEngine) {
    ConnectSerial();
    script.failCodes = {1};
    unit->GetValue(10);
    EXPECT_EQ(log.Codes(), (std::vector<int>{1}));
    EXPECT_TRUE(samples.samples.empty());
}

TEST_F(DeviceQuelmTest, Connect_HandsTheFirstLiveSample) {
    SetLive({0.25f, 1.0f, 0, 0, 0, 0, 0, 0});
    ASSERT_TRUE(unit->Connect());
    ASSERT_EQ(samples.samples.size(), 1u);
    EXPECT_EQ(samples.samples[0].time, 0.25);
}

void ReplyStatus(FakeUnitScript& script, std::uint8_t pump, std::uint32_t outputs) {
    script.replies[95] = {0, 0, 0, 0, 0, 0, pump, 0};
    script.replies[58] = {
        static_cast<std::uint8_t>(outputs), static_cast<std::uint8_t>(outputs >> 8),
        static_cast<std::uint8_t>(outputs >> 16), static_cast<std::uint8_t>(outputs >> 24)};
}

TEST_F(DeviceQuelmTest, StatusCallback_ReportsOnlyChanges) {
    config.iVZR = 3;
    config.iNZR = -5;
    ConnectSerial();
    ReplyStatus(script, 0, 0);
    unit->GetValue(27);
    EXPECT_TRUE(status.events.empty());

    ReplyStatus(script, 1, 0b00100);
    unit->GetValue(27);
    unit->GetValue(27);
    ReplyStatus(script, 1, 0b10100);
    unit->GetValue(27);
    ReplyStatus(script, 0, 0b10100);
    unit->GetValue(27);
    EXPECT_EQ(status.events,
              (std::vector<std::string>{"pump 1", "grips 1 0", "grips 1 1", "pump 0"}));
}

TEST_F(DeviceQuelmTest, StatusCallback_GripWithoutAReadableOutputIsUnknown) {
    ConnectSerial();
    for (auto [vzr, nzr, expected] : {std::tuple{0, 2, "grips - 1"},
                                      {33, -2, "grips - 1"},
                                      {-40, 1000, "grips - -"},
                                      {32, -1, "grips 1 0"}}) {
        config.iVZR = vzr;
        config.iNZR = nzr;
        status.events.clear();
        ReplyStatus(script, 0, 0x80000002u);
        unit->GetValue(27);
        ReplyStatus(script, 0, 0);
        unit->GetValue(27);
        ASSERT_EQ(status.events.size(), 2u);
        EXPECT_EQ(status.events[0], expected) << vzr << " " << nzr;
    }
}

TEST_F(DeviceQuelmTest, StatusCallback_WithoutGripKeysReportsBothUnknown) {
    C_Config bare;
    unit = MakeUnit(bare);
    ConnectSerial();
    ReplyStatus(script, 0, 0xFFu);
    unit->GetValue(27);
    EXPECT_EQ(status.events, (std::vector<std::string>{"grips - -"}));
}

TEST_F(DeviceQuelmTest, StatusRead_IsGatedByReady) {
    // A unit that never connected has nothing to poll.
    ReplyStatus(script, 1, 1);
    unit->GetValue(27);
    unit->GetValue(10);
    EXPECT_TRUE(status.events.empty());
    EXPECT_TRUE(log.events.empty());
}

// ---------------------------------------------------------------- settings

TEST_F(DeviceQuelmTest, Init_DeclaresTheChannelSettingsAndFlags) {
    for (C_Kanal& k : channels) {
        k.rawMode = false;
        k.filterOn = true;
        k.tableOn = true;
    }
    C_Config fresh;
    unit = MakeUnit(fresh);
    for (int c = 1; c <= 3; ++c) {
        SCOPED_TRACE(c);
        const std::string n = std::to_string(c);
        EXPECT_TRUE(channels[static_cast<size_t>(c)].rawMode);
        EXPECT_FALSE(channels[static_cast<size_t>(c)].filterOn);
        EXPECT_FALSE(channels[static_cast<size_t>(c)].tableOn);
        for (const char* name : {"iFILTER", "fCHNAME", "fCHSI", "fCHSPD", "fKNOMINAL", "fKENDPROC",
                                 "fKUSTAVKA", "fKZASHITA", "fKMAXSPEED", "fKP", "fKI", "fKD"}) {
            const int i = fresh.IndexOf(name + n);
            ASSERT_GE(i, 0) << name;
            EXPECT_EQ(fresh.Record(i)->group, 10 + c) << name;
        }
    }
    EXPECT_FALSE(channels[4].rawMode);
    EXPECT_TRUE(channels[4].tableOn);
    EXPECT_GE(fresh.IndexOf("fKSTARTPROC"), 0);
    EXPECT_LT(fresh.IndexOf("fKSTARTPROC1"), 0);
    EXPECT_LT(fresh.IndexOf("fKNOMINAL4"), 0);
}

struct DeclCase {
    const char* name;
    const char* caption;
    int type;
    const char* format;
    int persist;
};

TEST_F(DeviceQuelmTest, Init_DeclarationsOfOneChannelInOrder) {
    const DeclCase expected[] = {
        {"iFILTER1", "Использовать канал(0-откл)", 0, "", 1},
        {"fCHNAME1", "Название канала      ", 2, "", 1},
        {"fCHSI1", "Единица измерения    ", 2, "", 1},
        {"fCHSPD1", "Единица измерения скорости   ", 2, "", 1},
        {"fKSTARTPROC", "Порог начала записи графика, кН", 1, "0.0", 1},
        {"TITLE", " ", 2, "", 0},
        {"TITLE", "         НАСТРОЙКИ КАНАЛА ", 2, "", 0},
        {"fKNOMINAL1", "Максимальный параметр измерения", 1, "0.00", 1},
        {"fKENDPROC1", "Конец испытания, % от максимума", 1, "0.0", 1},
        {"fKUSTAVKA1", "Уставка (0-ОТКЛ)", 1, "0.00", 1},
        {"fKZASHITA1", "Защита ", 1, "0.00", 1},
        {"fKMAXSPEED1", "Предел скорости ", 1, "0.00", 1},
        {"TITLE1", "  ", 2, "", 0},
        {"TITLE1", "         ПАРАМЕТРЫ PID", 2, "", 0},
        {"fKP1", "Значение P", 1, "0.0000", 0},
        {"fKI1", "Значение I", 1, "0.0000", 0},
        {"fKD1", "Значение D", 1, "0.0000", 0},
    };
    const int first = config.IndexOf("iFILTER1");
    ASSERT_GE(first, 0);
    for (size_t k = 0; k < std::size(expected); ++k) {
        const S_Val* r = config.Record(first + static_cast<int>(k));
        ASSERT_NE(r, nullptr);
        SCOPED_TRACE(expected[k].name);
        EXPECT_EQ(r->name, expected[k].name);
        EXPECT_EQ(r->caption, expected[k].caption);
        EXPECT_EQ(r->type, expected[k].type);
        EXPECT_EQ(r->format, expected[k].format);
        EXPECT_EQ(r->persist, expected[k].persist);
        EXPECT_EQ(r->group, 11);
        EXPECT_EQ(r->visible, 1);
    }
    // The link settings follow the channels.
    const int title = config.IndexOf("iFILTER3") + 16;
    ASSERT_NE(config.Record(title), nullptr);
    EXPECT_EQ(config.Record(title)->caption, "         НАСТРОЙКИ СВЯЗИ С СЕРВЕРОМ LAN/Wi-Fi");
    EXPECT_EQ(config.Record(title)->group, 7);
    EXPECT_EQ(config.IndexOf("iIP"), title + 1);
    EXPECT_EQ(config.IndexOf("iPorts"), title + 2);
    EXPECT_EQ(config.GetCaption("iPorts"), "IP_Порт");
    EXPECT_EQ(config.Count(), title + 3);
}

TEST_F(DeviceQuelmTest, Settings_RoundTripThroughTheIniFile) {
    testsupport::TempFolder folder;
    TConfigINI ini(folder.path());
    ini.FileName = "Config";
    {
        C_Config cfg;
        cfg.Define(&ini);
        std::vector<C_Kanal> ch(10);
        auto u = MakeUnit(cfg, ch.data());
        ch[2].fullScale = 250.5;
        ch[1].name = "F";
        ch[3].speedLimit = 12.0;
        ch[1].startThreshold = 0.5;
        ch[1].pidP = 3.0;
        ASSERT_TRUE(cfg.SetFromText(cfg.IndexOf("iIP"), "10.1.2.3"));
        ASSERT_TRUE(cfg.Save(0));
    }
    TConfigINI reader(folder.path());
    reader.FileName = "Config";
    EXPECT_EQ(reader.ReadS("12", "Максимальный параметр измерения", "-"), "250.50");
    EXPECT_EQ(reader.ReadS("11", "Название канала", "-"), "F");
    EXPECT_EQ(reader.ReadS("7", "IP", "-"), "10.1.2.3");
    EXPECT_EQ(reader.ReadS("7", "IP_Порт", "-"), "8081");
    EXPECT_EQ(reader.ReadS("11", "Значение P", "absent"), "absent");
    EXPECT_EQ(reader.ReadS("11", "НАСТРОЙКИ КАНАЛА", "absent"), "absent");

    C_Config cfg;
    cfg.Define(&ini);
    std::vector<C_Kanal> ch(10);
    auto u = MakeUnit(cfg, ch.data());
    ch[1].pidP = 4.0;
    EXPECT_TRUE(cfg.Load().empty());
    EXPECT_EQ(ch[2].fullScale, 250.5);
    EXPECT_EQ(ch[1].name, "F");
    EXPECT_EQ(ch[3].speedLimit, 12.0);
    EXPECT_EQ(ch[1].startThreshold, 0.5);
    EXPECT_EQ(ch[1].pidP, 4.0);  // the gains come from the unit, not the file
    EXPECT_EQ(u->AddressText(), "10.1.2.3");
    EXPECT_EQ(u->PortText(), "8081");
}

// ---------------------------------------------------------------- pauses on the event loop

TEST_F(ScheduledDeviceQuelmTest, ManualOperations_SendTheSameKeysAndPauses) {
    ConnectSerial();
    for (const OperationCase& c : ManualCases()) {
        SCOPED_TRACE(c.name);
        log.Clear();
        c.run(*unit);
        EXPECT_EQ(Settled(), c.expected);
    }
}

TEST_F(ScheduledDeviceQuelmTest, Operations_KeepTheirKeysAndPauses) {
    channels[2].tablePoints = 3;
    const OperationCase cases[] = {
        {"HaltControl",
         [](DEVICE_QUELM& u) {
             u.StartControl();
             u.HaltControl();
         },
         Then(Then({"93(6)"}, kMotionSent), {"s2", "160", "s50", "93(34)", "s150", "93(5)", "s2"})},
        {"tables",
         [](DEVICE_QUELM& u) { u.SetValue(2, 0); },
         {"81", "s200", "15", "s200", "s100", "6"}},
        {"PID",
         [](DEVICE_QUELM& u) { u.SetValue(0, 4); },
         {"80", "81", "82", "83", "84", "s100", "6"}},
        {"protections",
         [](DEVICE_QUELM& u) { u.SetValue(0, 16); },
         {"s10", "115", "s100", "110", "110"}},
        {"preset program", [](DEVICE_QUELM& u) { u.SetValue(0, 21); }, {"161(0)", "s5", "94"}},
        {"to position", [](DEVICE_QUELM& u) { u.SetValue(0, 26); }, {"s1", "161(1)", "s1", "94"}},
        {"zero hold", [](DEVICE_QUELM& u) { u.SetValue(0, 30); }, {"s1", "161(0)", "s2", "94"}},
        {"grip outputs",
         [this](DEVICE_QUELM& u) {
             config.iVZR = 3;
             config.iVZZ = 4;
             u.UpperGripClamp();
         },
         {"5(3)", "s10", "5(132)", "s10"}},
    };
    ConnectSerial();
    for (const OperationCase& c : cases) {
        SCOPED_TRACE(c.name);
        log.Clear();
        c.run(*unit);
        EXPECT_EQ(Settled(), c.expected);
    }
}

TEST_F(ScheduledDeviceQuelmTest, MoveStop_ReturnsAtOnceAndSendsEachKeyAfterItsPause) {
    ConnectSerial();
    unit->MoveStop();
    EXPECT_TRUE(log.events.empty());
    scheduler.Advance(49);
    EXPECT_TRUE(log.events.empty());
    scheduler.Advance(1);
    EXPECT_EQ(log.Trace(), (Trace{"s50", "93(34)"}));
    scheduler.Advance(149);
    EXPECT_EQ(log.Trace(), (Trace{"s50", "93(34)"}));
    scheduler.Advance(1);
    EXPECT_EQ(log.Trace(), (Trace{"s50", "93(34)", "s150", "93(5)"}));
    EXPECT_EQ(scheduler.Pending(), 0u);
}

TEST_F(ScheduledDeviceQuelmTest, CommandsDuringTheStopPauses_FollowItsLastKeyInOrder) {
    ConnectSerial();
    unit->MoveStop();
    scheduler.Advance(20);
    unit->PumpOff();
    unit->GetValue(27);
    scheduler.Advance(100);  // between the two keys
    EXPECT_EQ(log.Trace(), (Trace{"s50", "93(34)"}));
    unit->SetOutput(3, true);
    unit->MoveUp();
    scheduler.Advance(80);
    EXPECT_EQ(scheduler.Now(), 200);
    EXPECT_EQ(log.Trace(),
              (Trace{"s50", "93(34)", "s150", "93(5)", "93(7)", "58", "95", "5(131)"}));
    // The output's own pause still comes before the next key.
    EXPECT_EQ(Settled(), (Trace{"s50", "93(34)", "s150", "93(5)", "93(7)", "58", "95", "5(131)",
                                "s10", "93(2)"}));
    // Nothing waits any more: a command goes out at once.
    log.Clear();
    unit->PumpOn();
    EXPECT_EQ(log.Trace(), (Trace{"93(6)"}));
}

TEST_F(ScheduledDeviceQuelmTest, PolledReadsWaitingBehindAStop_GoOutOnce) {
    ConnectSerial();
    unit->MoveStop();
    for (int i = 0; i < 4; ++i) {
        unit->GetValue(10);
        unit->GetValue(27);
    }
    EXPECT_EQ(Settled(), (Trace{"s50", "93(34)", "s150", "93(5)", "1", "58", "95"}));
}

TEST_F(ScheduledDeviceQuelmTest, BlockAskedForDuringAPause_GoesOutAsItWasThen) {
    ConnectSerial();
    unit->StartControl();
    scheduler.RunAll();
    log.Clear();
    unit->MoveStop();
    unit->SetSpeed(2.0f);
    unit->SetSpeed(3.0f);
    EXPECT_EQ(Settled(), Then(Then({"s50", "93(34)", "s150", "93(5)"}, kMotionSent), kMotionSent));
    EXPECT_EQ(FloatAt(SentData(log, 130, 0), 4), 2.0f);
    EXPECT_EQ(FloatAt(SentData(log, 130, 1), 4), 3.0f);
    EXPECT_EQ(MotionSpeed(*unit), 3.0f);
}

TEST_F(ScheduledDeviceQuelmTest, Close_SendsTheKeysStillWaitingWithTheirPauses) {
    ConnectSerial();
    unit->MoveStop();
    unit->PumpOff();
    unit->Close();
    EXPECT_EQ(log.Trace(), (Trace{"s50", "93(34)", "s150", "93(5)", "93(7)"}));
    // The wake-up still scheduled finds nothing left to send.
    log.Clear();
    scheduler.RunAll();
    EXPECT_TRUE(log.Codes().empty());
}

TEST_F(ScheduledDeviceQuelmTest, UnitGoneWithAStopUnderWay_SendsItsLastKeyFirst) {
    ConnectSerial();
    unit->MoveStop();
    unit.reset();
    EXPECT_EQ(log.Codes(), (std::vector<int>{93, 93}));
    log.Clear();
    scheduler.RunAll();
    EXPECT_TRUE(log.Codes().empty());
}

TEST_F(ScheduledDeviceQuelmTest, Connect_StillReadsTheImageWithItsPausesSlept) {
    ASSERT_TRUE(unit->Connect());
    EXPECT_EQ(log.Trace(), Then({"open serial 0"}, kReadOut));
    EXPECT_EQ(scheduler.Pending(), 0u);
}

}  // namespace

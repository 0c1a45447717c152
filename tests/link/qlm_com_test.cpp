#include "link/qlm_com.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/devicecommands.h"
#include "link/registerimage.h"
#include "link/stationlinks.h"
#include "platform/serialport.h"
#include "platform/sleeper.h"
#include "platform/taskqueue.h"
#include "platform/udpsocket.h"
#include "support/bytes.h"
#include "support/quiet_pty.h"
#include "support/simulated_unit.h"
#include "support/temp_folder.h"

namespace {

using testsupport::Bytes;
using testsupport::Clock;
using testsupport::Pattern;
using testsupport::SecondsSince;
using testsupport::SimulatedUnit;
using testsupport::Text;

// A block content for `code` that differs from every other code's.
Bytes PatternOf(int code) {
    return Pattern(FindDeviceCommand(code)->length, static_cast<std::uint8_t>(code * 13));
}

// A pty whose master is held and never read or answered: a port with
// something behind it that is not a unit.
using testsupport::QuietPty;

class RecordingSleeper final : public platform::Sleeper {
public:
    void SleepMs(int ms) override { sleeps.push_back(ms); }
    std::vector<int> sleeps;
};

// A serial link over the given candidates, with its own register image.
struct Rig {
    explicit Rig(std::vector<std::string> candidates)
        : link(LinkContext{image, sleeper, nullptr}, std::move(candidates)) {}

    Bytes BlockOf(int code) {
        const DeviceCommand* row = FindDeviceCommand(code);
        auto b = image.Bytes(row->block);
        return {b.begin(), b.begin() + row->length};
    }
    void FillBlockOf(int code, std::uint8_t v) {
        const DeviceCommand* row = FindDeviceCommand(code);
        std::fill_n(image.Bytes(row->block).begin(), row->length, v);
    }
    // One exchange of the code's table row, straight through Transfer.
    bool Move(int code) {
        const DeviceCommand* row = FindDeviceCommand(code);
        return link.Transfer(row->code, image.Bytes(row->block).data(), row->length,
                             row->direction);
    }

    RegisterImage image;
    RecordingSleeper sleeper;
    QLM_COM link;
};

// ---------------------------------------------------------------- serial port

TEST(SerialPortOpen, RefusesMissingDevicesAndUnknownSpeeds) {
    QuietPty pty;
    const struct {
        std::string path;
        int baud;
    } cases[] = {{"/nonexistent/ttyUSB0", 115200}, {pty.path(), 12345}, {pty.path(), 0}};
    for (const auto& c : cases) {
        platform::SerialPort port;
        EXPECT_FALSE(port.Open(c.path, c.baud)) << c.path << " " << c.baud;
        EXPECT_FALSE(port.IsOpen());
    }
    platform::SerialPort port;
    EXPECT_TRUE(port.Open(pty.path(), 115200));
}

TEST(SerialPortOpen, PortHeldByOneIsRefusedToAnotherUntilClosed) {
    QuietPty pty;
    platform::SerialPort first, second;
    ASSERT_TRUE(first.Open(pty.path(), 115200));
    EXPECT_FALSE(second.Open(pty.path(), 115200));
    first.Close();
    EXPECT_TRUE(second.Open(pty.path(), 115200));
}

TEST(SerialPortIo, WriteGivesUpAtItsDeadlineOnAStuckPort) {
    QuietPty pty;  // nobody reads: the pty fills up and stops taking bytes
    platform::SerialPort port;
    ASSERT_TRUE(port.Open(pty.path(), 115200));
    const auto start = Clock::now();
    EXPECT_FALSE(port.Write(Bytes(1 << 20, 'x'), 200));
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_TRUE(port.IsOpen());
}

TEST(SerialPortIo, ReadTakesNoMoreThanTheBufferAndReturnsNothingWhenSilent) {
    QuietPty pty;
    platform::SerialPort port;
    ASSERT_TRUE(port.Open(pty.path(), 115200));
    const Bytes sent = Pattern(10, 1);
    ASSERT_EQ(::write(pty.master(), sent.data(), sent.size()), 10);

    Bytes got;
    std::uint8_t buf[4];
    for (int i = 0; i < 10 && got.size() < sent.size(); ++i) {
        const int n = port.Read(buf, 1000);
        ASSERT_GT(n, 0);
        ASSERT_LE(n, 4);
        got.insert(got.end(), buf, buf + n);
    }
    EXPECT_EQ(got, sent);
    EXPECT_EQ(port.Read(buf, 20), 0);
}

TEST(SerialPortIo, HungUpDeviceFailsReadsAndWritesAtOnce) {
    QuietPty pty;
    platform::SerialPort port;
    ASSERT_TRUE(port.Open(pty.path(), 115200));
    pty.CloseMaster();
    std::uint8_t buf[8];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buf, 2000), -1);
    EXPECT_FALSE(port.Write(Bytes{1, 2, 3}, 2000));
    EXPECT_LT(SecondsSince(start), 1.0);
}

TEST(SerialPortList, ExplicitListFromTheEnvironmentIsUsedAsItStands) {
    const char* old = std::getenv("UTM_SERIAL_PORTS");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;

    ::setenv("UTM_SERIAL_PORTS", "/dev/pts/7:/tmp/none::/dev/ttyS0", 1);
    EXPECT_EQ(platform::ListSerialPorts(),
              (std::vector<std::string>{"/dev/pts/7", "/tmp/none", "/dev/ttyS0"}));
    ::setenv("UTM_SERIAL_PORTS", "", 1);
    EXPECT_EQ(platform::ListSerialPorts(), std::vector<std::string>{});

    if (saved) {
        ::setenv("UTM_SERIAL_PORTS", saved->c_str(), 1);
    } else {
        ::unsetenv("UTM_SERIAL_PORTS");
    }
}

TEST(SerialPortList, UsbThenAcmByNumberThenOnlyUartsThatExist) {
    testsupport::TempFolder dev, sys;
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM1", "ttyACM0", "ttyS0", "ttyS1", "ttyS3",
                             "ttyS10", "tty0", "ttyUSBx", "console", "ttyS"}) {
        std::ofstream(dev.File(name)).put('\0');
    }
    // ttyS1 is a slot without hardware; ttyS3 has no sysfs entry and, as a
    // plain file, no serial driver either.
    const struct {
        const char* name;
        const char* type;
    } uarts[] = {{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS10", "4"}};
    for (const auto& u : uarts) {
        std::filesystem::create_directories(sys.File(u.name));
        std::ofstream(sys.File(u.name) + "/type") << u.type << "\n";
    }
    EXPECT_EQ(
        platform::ListSerialPortsIn(dev.path(), sys.path()),
        (std::vector<std::string>{dev.File("ttyUSB2"), dev.File("ttyUSB10"), dev.File("ttyACM0"),
                                  dev.File("ttyACM1"), dev.File("ttyS0"), dev.File("ttyS10")}));
}

// ---------------------------------------------------------------- opening

TEST(QlmComOpen, PortNamesMapToTheCandidatesInOrder) {
    std::vector<std::string> candidates;
    for (int i = 1; i <= 30; ++i)
        candidates.push_back("/dev/c" + std::to_string(i));
    Rig rig(candidates);
    const struct {
        const char* name;
        const char* path;
    } cases[] = {{"COM1", "/dev/c1"}, {"COM29", "/dev/c29"}, {"COM30", ""}, {"COM0", ""},
                 {"COM", ""},         {"com1", ""},          {"COM1x", ""}, {"COM-1", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(rig.link.DevicePath(c.name), c.path) << c.name;
    EXPECT_EQ(Rig({"/dev/only"}).link.DevicePath("COM2"), "");
}

TEST(QlmComOpen, ScanPassesOverPortsThatAreNotUnitsAndKeepsTheAnsweringVariant) {
    QuietPty quiet;
    SimulatedUnit unit;
    Rig rig({"/nonexistent/ttyUSB0", quiet.path(), unit.DevicePath()});
    ASSERT_TRUE(rig.link.Open(0));
    EXPECT_TRUE(rig.link.IsConnected());
    EXPECT_EQ(rig.link.portName, "COM3");
    EXPECT_EQ(rig.link.checksum, frame::Checksum::kCodeLengthData);
    EXPECT_EQ(rig.link.deviceName, unit.DevicePath());
    EXPECT_EQ(rig.BlockOf(0), Text("QUELM1"));

    unit.SetBlock(2, Pattern(44, 3));
    EXPECT_TRUE(rig.Move(2));
    EXPECT_EQ(rig.BlockOf(2), Pattern(44, 3));
    const auto requests = unit.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].code, 2);
    EXPECT_EQ(requests[1].variant, 0);
}

TEST(QlmComOpen, UnitAnsweringOnlyTheSecondVariantIsAcceptedOnTheSecondTry) {
    SimulatedUnit unit;
    unit.AnswerOnlyVariant1(true);
    Rig rig({unit.DevicePath()});
    ASSERT_TRUE(rig.link.Open(0));
    EXPECT_EQ(rig.link.portName, "COM1");
    EXPECT_EQ(rig.link.checksum, frame::Checksum::kDataOnly);

    unit.SetBlock(9, Pattern(16, 9));
    EXPECT_TRUE(rig.Move(9));
    EXPECT_EQ(rig.BlockOf(9), Pattern(16, 9));
    const auto requests = unit.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].code, 0);
    EXPECT_EQ(requests[1].code, 0);
    EXPECT_EQ(requests[2].variant, 1);
}

TEST(QlmComOpen, PortsThatAreNotUnitsAreRefused) {
    QuietPty quiet;
    SimulatedUnit otherFamily;
    otherFamily.SetIdentification({'Q', 'U', 'A', 'L', 'M', '1'});
    SimulatedUnit silent;
    silent.SetSilent(true);
    for (const std::string& path : {quiet.path(), otherFamily.DevicePath(), silent.DevicePath()}) {
        Rig rig({path});
        // An "E" left in the block by an earlier unit must not pass for an answer.
        rig.image.Bytes(RegisterImage::kIdentification)[2] = 'E';
        EXPECT_FALSE(rig.link.Open(1)) << path;
        EXPECT_FALSE(rig.link.IsConnected()) << path;
        EXPECT_FALSE(rig.Move(2)) << path;
        // A refused port is closed again: another holder can take it.
        platform::SerialPort port;
        EXPECT_TRUE(port.Open(path, 115200)) << path;
    }
}

TEST(QlmComOpen, ScanWithoutCandidatesFailsAtOnceAndScanStopsAtCom29) {
    Rig none({});
    const auto start = Clock::now();
    EXPECT_FALSE(none.link.Open(0));
    EXPECT_LT(SecondsSince(start), 1.0);

    SimulatedUnit unit;
    std::vector<std::string> candidates(29, "/nonexistent/tty");
    candidates.push_back(unit.DevicePath());
    Rig rig(candidates);
    EXPECT_FALSE(rig.link.Open(0));
    EXPECT_TRUE(unit.Requests().empty());
}

TEST(QlmComOpen, StationLinksMakeEveryKindOfLink) {
    SimulatedUnit unit;
    platform::TaskQueue ui;
    StationLinks links({unit.DevicePath()}, &ui);
    RegisterImage image;
    RecordingSleeper sleeper;
    const LinkContext context{image, sleeper, nullptr};
    std::unique_ptr<QLM_CONNECT> serial = links.MakeSerial(context);
    ASSERT_NE(serial, nullptr);
    EXPECT_TRUE(serial->Open(0));
    // Made, not yet open: the unit opens them in its own order.
    const auto usb = links.MakeUsb(context);
    ASSERT_NE(usb, nullptr);
    EXPECT_FALSE(usb->IsConnected());
    platform::UdpSocket probe;
    ASSERT_TRUE(probe.Open("127.0.0.1", 0));
    const int port = probe.LocalPort();
    probe.Close();
    const auto udp = links.MakeUdp(context, "127.0.0.1", port);
    ASSERT_NE(udp, nullptr);
    EXPECT_FALSE(udp->IsConnected());
    // Without a thread to hand pushed samples to there is no UDP link.
    StationLinks noUi({unit.DevicePath()});
    EXPECT_EQ(noUi.MakeUdp(context, "127.0.0.1", port), nullptr);
}

// ---------------------------------------------------------------- exchanges

class QlmComExchange : public ::testing::Test {
protected:
    QlmComExchange() : rig({unit.DevicePath()}) {}
    void SetUp() override {
        ASSERT_TRUE(rig.link.Open(0));
        unit.ClearRequests();
    }

    SimulatedUnit unit;
    Rig rig;
};

TEST_F(QlmComExchange, ReplyAfterNoiseAndAStrayStartIsParsed) {
    Bytes flood = Pattern(3000, 5);  // longer than the receive buffer and a frame
    std::replace(flood.begin(), flood.end(), std::uint8_t{'!'}, std::uint8_t{'x'});
    for (const Bytes& noise : {Bytes{}, flood}) {
        unit.NoiseBeforeNextReplies(1, noise);
        unit.SetBlock(9, Pattern(16, static_cast<std::uint8_t>(noise.size())));
        rig.FillBlockOf(9, 0);
        EXPECT_TRUE(rig.Move(9)) << noise.size();
        EXPECT_EQ(rig.BlockOf(9), Pattern(16, static_cast<std::uint8_t>(noise.size())));
    }
}

TEST_F(QlmComExchange, SilentUnitEndsAReadAfterTheTimeOutWithTheBlockUnchanged) {
    unit.SetBlock(3, {1, 2, 3, 4});
    rig.FillBlockOf(3, 0xAB);
    unit.SetSilent(true);
    const auto start = Clock::now();
    EXPECT_FALSE(rig.Move(3));
    const double took = SecondsSince(start);
    EXPECT_GT(took, 0.9);
    EXPECT_LT(took, 3.0);
    EXPECT_EQ(rig.BlockOf(3), Bytes(4, 0xAB));
}

// A unit that stops answering mid-test must not hold the window on every
// poll: after two missed replies reads fail at once, one probe a second
// goes out, and the first reply to a probe makes the unit answering again.
TEST_F(QlmComExchange, ASilentUnitIsProbedOnceASecond) {
    const auto polls = [this](int count) {
        for (int i = 0; i < count; ++i) {
            rig.link.Command(device_code::kLiveSample);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    };
    const auto liveRequests = [this] {
        int n = 0;
        for (const auto& r : unit.Requests())
            n += r.code == device_code::kLiveSample ? 1 : 0;
        return n;
    };
    // One bad reply is noise, not silence.
    unit.CorruptChecksumOfNextReplies(1);
    polls(2);
    EXPECT_TRUE(rig.link.Answering());
    EXPECT_EQ(liveRequests(), 2);

    unit.ClearRequests();
    unit.SetSilent(true);
    const auto start = Clock::now();
    polls(30);
    const double seconds = SecondsSince(start);
    EXPECT_FALSE(rig.link.Answering());
    // Two misses, then a probe a second at most.
    EXPECT_LE(liveRequests(), 2 + static_cast<int>(seconds) + 1);
    // Commands without a reply still reach it: the machine can be stopped.
    const size_t before = unit.Requests().size();
    rig.link.Command(device_code::kKey, key_code::kStop);
    EXPECT_TRUE(unit.WaitForCode(device_code::kKey, before, 2000));

    unit.SetSilent(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(QLM_CONNECT::kProbeIntervalMs + 100));
    rig.link.Command(device_code::kLiveSample);
    EXPECT_TRUE(rig.link.Answering());
    unit.ClearRequests();
    polls(3);
    EXPECT_EQ(liveRequests(), 3);
}

TEST_F(QlmComExchange, BrokenReplyLeavesTheBlockUnchangedAndTheNextExchangeWorks) {
    const struct {
        const char* name;
        void (SimulatedUnit::*fault)(int);
    } cases[] = {{"checksum", &SimulatedUnit::CorruptChecksumOfNextReplies},
                 {"code", &SimulatedUnit::WrongCodeInNextReplies}};
    for (const auto& c : cases) {
        unit.SetBlock(12, Pattern(24, 1));
        rig.FillBlockOf(12, 0xAB);
        (unit.*c.fault)(1);
        EXPECT_FALSE(rig.Move(12)) << c.name;
        EXPECT_EQ(rig.BlockOf(12), Bytes(24, 0xAB)) << c.name;
        EXPECT_TRUE(rig.Move(12)) << c.name;
        EXPECT_EQ(rig.BlockOf(12), Pattern(24, 1)) << c.name;
    }
}

TEST_F(QlmComExchange, LateReplyDoesNotShiftLaterExchanges) {
    for (int code : {2, 3, 9, 12})
        unit.SetBlock(code, PatternOf(code));
    unit.AnswerLate(1200);
    EXPECT_FALSE(rig.Move(2));
    // The late reply of code 2 arrives while the link waits for code 3.
    for (int code : {3, 9, 12}) {
        EXPECT_TRUE(rig.Move(code)) << code;
        EXPECT_EQ(rig.BlockOf(code), PatternOf(code)) << code;
    }
    EXPECT_TRUE(unit.WaitForReplies(1 + 4, 2000));  // the identification, then every request
    EXPECT_EQ(unit.RepliesSent(), 1 + 4);
}

TEST_F(QlmComExchange, LateLiveReplyDoesNotLeaveLaterLiveReadsOneBehind) {
    std::vector<SimulatedUnit::CurveRow> rows;
    for (int i = 0; i < 6; ++i)
        rows.push_back({static_cast<double>(i), 0.0, 0.0, 0.0});
    unit.SetCurve(rows, 0, 1);
    auto liveTime = [&] { return rig.image.GetFloat(RegisterImage::kLive, 0); };
    unit.AnswerLate(1500);
    unit.AnswerLate(20);
    EXPECT_FALSE(rig.Move(1));
    // Row 0 comes late and is taken by the second read, whose own reply
    // (row 1) follows and waits in the queue; it must not be taken by the third.
    ASSERT_TRUE(rig.Move(1));
    EXPECT_EQ(liveTime(), 0.0f);
    // Let row 1 reach the port, however slow the machine, before the next request.
    ASSERT_TRUE(unit.WaitForReplies(1 + 2, 5000));
    platform::RealSleeper().SleepMs(50);
    for (float expected : {2.0f, 3.0f, 4.0f}) {
        ASSERT_TRUE(rig.Move(1));
        EXPECT_EQ(liveTime(), expected);
    }
}

TEST_F(QlmComExchange, CompleteFrameOfAnotherCodeIsSkipped) {
    unit.SetBlock(13, Pattern(32, 4));
    unit.StrayFrameBeforeNextReplies(1);
    const auto start = Clock::now();
    EXPECT_TRUE(rig.Move(13));
    EXPECT_LT(SecondsSince(start), 0.9);  // taken as it came, not at the time-out
    EXPECT_EQ(rig.BlockOf(13), Pattern(32, 4));
}

TEST_F(QlmComExchange, WriteWithReplySleepsThenReadsTheBlockBack) {
    const Bytes sent = Pattern(16, 2);
    std::copy(sent.begin(), sent.end(), rig.image.Bytes(RegisterImage::kBendProtection).begin());
    rig.sleeper.sleeps.clear();
    EXPECT_TRUE(rig.Move(111));
    EXPECT_EQ(rig.sleeper.sleeps, std::vector<int>{5});
    EXPECT_EQ(unit.Block(111), sent);
    EXPECT_EQ(rig.BlockOf(111), sent);
}

TEST_F(QlmComExchange, WritesAndCommandsGoOutWithoutAwaitingAReply) {
    const Bytes setpoints = Pattern(88, 6);
    std::copy(setpoints.begin(), setpoints.end(),
              rig.image.Bytes(RegisterImage::kSetpoints).begin());
    EXPECT_TRUE(rig.Move(115));
    EXPECT_TRUE(rig.Move(160));
    rig.link.Command(device_code::kSetOutput, 131.0f);  // output 3 on
    ASSERT_TRUE(unit.WaitForRequests(3, 2000));
    const auto requests = unit.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].code, 115);
    EXPECT_EQ(requests[0].data, setpoints);
    EXPECT_EQ(requests[1].code, 160);
    EXPECT_TRUE(requests[1].data.empty());
    EXPECT_EQ(requests[2].code, 5);
    EXPECT_EQ(requests[2].data, Bytes{131});
    EXPECT_EQ(unit.Block(115), setpoints);
    EXPECT_EQ(unit.RepliesSent(), 1);  // the identification only
}

TEST_F(QlmComExchange, RawTextIsTerminatedWithControlBytesAsDots) {
    const struct {
        Bytes reply;
        std::string expected;
    } cases[] = {
        {Text("OK\x01\x1f ver 2\r\n\x7f"), "OK.. ver 2..\x7f"},
        {Bytes(700, 'A'), std::string(QLM_COM::kRawBufferSize - 1, 'A')},
        {Text(std::string("AB\0CD", 5)), "AB"},
    };
    for (const auto& c : cases) {
        unit.ClearRequests();
        unit.SetRawReply(c.reply);
        rig.link.rawText.fill('#');
        const std::string ask = "VER?\r";
        std::copy(ask.begin(), ask.end(), rig.link.rawText.begin());
        rig.link.rawLength = static_cast<std::uint8_t>(ask.size());
        rig.link.Command(device_code::kRawText);

        const auto& raw = rig.link.rawText;
        const auto end = std::find(raw.begin(), raw.end(), 0);
        EXPECT_EQ(std::string(raw.begin(), end), c.expected);
        EXPECT_TRUE(std::all_of(end, raw.end(), [](std::uint8_t b) { return b == 0; }));
        const auto requests = unit.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].code, device_code::kRawText);
        EXPECT_EQ(requests[0].data, Text(ask));
    }
}

TEST_F(QlmComExchange, LiveReadsReplayTheCurveRowByRow) {
    unit.SetCurve({{0.1, 5.0, 0.5, 0.01}, {0.2, 6.0, 0.75, 0.02}}, 0, 1);
    const float expected[][4] = {
        {0.1f, 5.0f, 0.5f, 0.01f}, {0.2f, 6.0f, 0.75f, 0.02f}, {0.2f, 6.0f, 0.75f, 0.02f}};
    for (const auto& row : expected) {
        ASSERT_TRUE(rig.Move(1));
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(rig.image.GetFloat(RegisterImage::kLive, 4 * i), row[i]) << i;
        }
    }
}

TEST_F(QlmComExchange, ClosedOrHungUpLinkFailsAtOnce) {
    unit.Stop();
    const auto start = Clock::now();
    EXPECT_FALSE(rig.Move(2));
    EXPECT_LT(SecondsSince(start), 0.9);

    rig.link.Close();
    EXPECT_FALSE(rig.link.IsConnected());
    EXPECT_FALSE(rig.Move(2));
    EXPECT_FALSE(rig.Move(160));
}

}  // namespace

#include "link/qlm_connect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/devicecommands.h"
#include "link/registerimage.h"
#include "support/fake_link.h"

namespace {

using testsupport::EventLog;
using testsupport::FakeLink;
using testsupport::FakeUnitScript;
using testsupport::RecordingSleeper;
using Trace = std::vector<std::string>;

class RecordingDecoder final : public ReplyDecoder {
public:
    void DecodeReply(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

float FloatAt(const std::vector<std::uint8_t>& data, size_t at) {
    float v = 0.0f;
    std::memcpy(&v, data.data() + at, sizeof v);
    return v;
}

class QlmConnect : public ::testing::Test {
protected:
    void SetUp() override { link.connected = 1; }

    EventLog log;
    RecordingSleeper sleeper{log};
    FakeUnitScript script;
    RegisterImage image;
    RecordingDecoder decoder;
    FakeLink link{LinkContext{image, sleeper, &decoder}, log, script, "link"};
};

TEST_F(QlmConnect, CodeWithoutRow_SendsNothingAndReturnsConnectedFlag) {
    for (int code : {10, 26, 31, 63, 102, 175, 253, 255, 300, -1}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(link.Command(code), 1);
        EXPECT_TRUE(log.events.empty());
        EXPECT_TRUE(decoder.codes.empty());
    }
}

TEST_F(QlmConnect, OutputThreeOn_SendsTheSingleByte131) {
    link.SetOutput(3, true);
    link.SetOutput(3, false);
    link.Command(device_code::kSetOutput, 131.0f);
    EXPECT_EQ(log.Trace(), (Trace{"5(131)", "5(3)", "5(131)"}));
    ASSERT_EQ(log.events[0].length, 1);
    EXPECT_EQ(log.events[0].direction, Direction::kWrite);
}

TEST_F(QlmConnect, OutputNumbersOutsideTheByteRange_AreNeverSent) {
    for (int output : {0, 128, -3, 200, 255}) {
        link.SetOutput(output, true);
        link.SetOutput(output, false);
    }
    EXPECT_TRUE(log.events.empty());
    link.SetOutput(127, true);
    link.SetOutput(1, false);
    EXPECT_EQ(log.Trace(), (Trace{"5(255)", "5(1)"}));
}

TEST_F(QlmConnect, ApplyAndChannelReads_SleepBeforeSending) {
    link.Command(device_code::kApplyChannels);
    EXPECT_EQ(log.Trace(), (Trace{"s100", "6"}));
    for (int code = 96; code <= 101; ++code) {
        log.Clear();
        link.Command(code);
        EXPECT_EQ(log.Trace(), (Trace{"s150", std::to_string(code)})) << code;
    }
    log.Clear();
    link.Command(95);
    link.Command(80);
    EXPECT_EQ(log.Trace(), (Trace{"95", "80"}));
}

TEST_F(QlmConnect, ClosedLink_SendsNothingAndSkipsTheDecoder) {
    link.connected = 0;
    for (int code : {0, 1, 5, 6, 95, 96, 111, 130, 160, 254}) {
        EXPECT_EQ(link.Command(code, 3.0f), 0) << code;
    }
    link.SetOutput(3, true);
    link.StartMode(1);
    link.SetCycleProgramShort(1.0f, 2.0f, 1);
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(decoder.codes.empty());
}

TEST_F(QlmConnect, FailedReply_LeavesTheBlockAndSkipsTheDecoder) {
    script.ReplyFloats(1, {1, 2, 3, 4, 5, 6, 7, 8});
    script.failCodes = {1};
    image.SetFloat(RegisterImage::kLive, 4, 9.5f);
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(log.Codes(), (std::vector<int>{1}));
    EXPECT_TRUE(decoder.codes.empty());
    EXPECT_EQ(image.GetFloat(RegisterImage::kLive, 4), 9.5f);

    script.failCodes.clear();
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(decoder.codes, (std::vector<int>{1}));
    EXPECT_EQ(image.GetFloat(RegisterImage::kLive, 4), 2.0f);
}

TEST_F(QlmConnect, IdentificationCodes_ReturnTheTransferResultWithoutDecoding) {
    for (int code : {0, 109, 174}) {
        script.failAll = false;
        EXPECT_EQ(link.Command(code), 1) << code;
        script.failAll = true;
        EXPECT_EQ(link.Command(code), 0) << code;
    }
    EXPECT_TRUE(decoder.codes.empty());
    // Every other row decodes after a transfer that went through.
    script.failAll = false;
    link.Command(4);
    link.Command(131);
    EXPECT_EQ(decoder.codes, (std::vector<int>{4, 131}));
    EXPECT_EQ(log.Codes(), (std::vector<int>{0, 0, 109, 109, 174, 174, 4}));
}

struct RowCase {
    int code;
    int length;
    Direction direction;
};

TEST_F(QlmConnect, InterpretedBlocks_MoveWithTheirLengthAndDirection) {
    const RowCase cases[] = {
        {0, 6, Direction::kRead},
        {1, 32, Direction::kRead},
        {11, 4, Direction::kRead},
        {14, 80, Direction::kWrite},
        {25, 80, Direction::kRead},
        {40, 4, Direction::kWrite},
        {41, 4, Direction::kRead},
        {58, 4, Direction::kRead},
        {80, 216, Direction::kWrite},
        {101, 216, Direction::kRead},
        {93, 1, Direction::kWrite},
        {94, 48, Direction::kWrite},
        {95, 8, Direction::kRead},
        {110, 16, Direction::kWrite},
        {111, 16, Direction::kWriteWithReply},
        {114, 88, Direction::kRead},
        {115, 88, Direction::kWrite},
        {117, 4, Direction::kWrite},
        {120, 48, Direction::kRead},
        {130, 8, Direction::kWrite},
        {160, 0, Direction::kCommand},
        {161, 1, Direction::kWrite},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.code);
        const DeviceCommand* row = FindDeviceCommand(c.code);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->length, c.length);
        EXPECT_EQ(row->direction, c.direction);
        log.Clear();
        link.Command(c.code);
        const auto sent = log.TransfersOf(c.code);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0]->length, c.length);
        EXPECT_EQ(sent[0]->direction, c.direction);
    }
}

TEST_F(QlmConnect, ShortProgram_FillsTheBlockAndSendsIt) {
    link.SetCycleProgramShort(200.0f, 42.5f, 1);
    const auto sent = log.TransfersOf(device_code::kCycleProgram);
    ASSERT_EQ(sent.size(), 1u);
    const std::vector<std::uint8_t>& d = sent[0]->data;
    ASSERT_EQ(d.size(), 48u);
    EXPECT_EQ(FloatAt(d, 0), 200.0f);
    EXPECT_EQ(FloatAt(d, 4), 42.5f);
    EXPECT_EQ(FloatAt(d, 8), 0.0f);
    EXPECT_EQ(d[24], 4);
    EXPECT_EQ(d[26], 1);
    EXPECT_EQ(d[27], 0);
    EXPECT_EQ(d[32], 1);
}

TEST_F(QlmConnect, ReadWord_ReturnsTheLowSixteenBitsReadAnew) {
    script.replies[41] = {0x34, 0x12, 0xFF, 0xFF};
    EXPECT_EQ(link.ReadWord(), 0x1234);
    EXPECT_EQ(log.Codes(), (std::vector<int>{41}));
}

TEST_F(QlmConnect, StartAndStopMotion_SendModeByteAndStop) {
    link.StartMode(2);
    link.StopMotion();
    EXPECT_EQ(log.Trace(), (Trace{"161(2)", "160"}));
}

// A unit that stops answering costs one full wait; after that miss every
// read waits only briefly, and the first reply ends it.
TEST_F(QlmConnect, AfterAMissedReply_ReadsWaitBrieflyUntilTheUnitAnswers) {
    const auto lastWait = [this] { return log.events.back().replyWaitMs; };
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(lastWait(), QLM_CONNECT::kPolledReplyMs);

    // Noise: one miss, then the unit answers the brief wait.
    script.failCodes = {device_code::kLiveSample};
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(lastWait(), QLM_CONNECT::kPolledReplyMs);
    script.failCodes.clear();
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(lastWait(), QLM_CONNECT::kProbeReplyMs);
    EXPECT_TRUE(link.Answering());
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(lastWait(), QLM_CONNECT::kPolledReplyMs);

    // Silence: a full wait, a brief one, then reads fail without going out.
    script.failAll = true;
    link.Command(device_code::kLiveSample);
    EXPECT_EQ(lastWait(), QLM_CONNECT::kPolledReplyMs);
    link.Command(device_code::kStatus);
    EXPECT_EQ(lastWait(), QLM_CONNECT::kProbeReplyMs);
    EXPECT_FALSE(link.Answering());
    log.Clear();
    link.Command(device_code::kLiveSample);
    link.Command(device_code::kStatus);
    EXPECT_TRUE(log.events.empty());
    // A key still goes out at once.
    link.Command(device_code::kKey, key_code::kStop);
    EXPECT_EQ(log.Trace(), (Trace{"93(5)"}));
}

}  // namespace

#include "link/framecodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using frame::Checksum;

Bytes Encoded(std::uint8_t code, const Bytes& data, Checksum variant) {
    Bytes out(frame::kMaxFrame);
    out.resize(frame::Encode(code, data, variant, out));
    return out;
}

// Feeds `bytes` and returns the indexes at which a frame completed.
std::vector<size_t> Feed(frame::Parser& parser, const Bytes& bytes) {
    std::vector<size_t> done;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (parser.PutByte(bytes[i])) done.push_back(i);
    }
    return done;
}

Bytes Span(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct EncodeCase {
    const char* name;
    std::uint8_t code;
    Bytes data;
    Checksum variant;
    Bytes frame;
};

TEST(FrameCodecEncode, BuildsFramesWithEitherChecksum) {
    // Sums worked out by hand; 200 + 2 + 100 + 50 = 352 wraps to 0x60.
    const EncodeCase cases[] = {
        {"one byte, sum of all",
         5,
         {0x83},
         Checksum::kCodeLengthData,
         {'!', '%', 5, 1, 0x83, 0x89, '#', '@'}},
        {"one byte, data only",
         5,
         {0x83},
         Checksum::kDataOnly,
         {'!', '%', 5, 1, 0x83, 0x83, '#', '@'}},
        {"no data, sum of all", 1, {}, Checksum::kCodeLengthData, {'!', '%', 1, 0, 1, '#', '@'}},
        {"no data, data only", 1, {}, Checksum::kDataOnly, {'!', '%', 1, 0, 0, '#', '@'}},
        {"sum wraps",
         200,
         {100, 50},
         Checksum::kCodeLengthData,
         {'!', '%', 200, 2, 100, 50, 0x60, '#', '@'}},
        {"data sum wraps",
         200,
         {200, 100},
         Checksum::kDataOnly,
         {'!', '%', 200, 2, 200, 100, 0x2C, '#', '@'}},
    };
    for (const EncodeCase& c : cases) {
        EXPECT_EQ(Encoded(c.code, c.data, c.variant), c.frame) << c.name;
    }
}

TEST(FrameCodecEncode, RefusesDataLongerThanAFrameOrTooSmallOutput) {
    Bytes out(frame::kMaxFrame + 10);
    EXPECT_EQ(frame::Encode(1, Bytes(256, 0), Checksum::kCodeLengthData, out), 0u);
    EXPECT_EQ(frame::Encode(1, Bytes(255, 0), Checksum::kCodeLengthData, out), frame::kMaxFrame);
    Bytes small(10);
    EXPECT_EQ(frame::Encode(1, Bytes(4, 0), Checksum::kCodeLengthData, small), 0u);
}

struct CheckCase {
    const char* name;
    Bytes reply;
    std::uint8_t code;
    std::uint8_t length;
    Checksum variant;
    frame::CheckResult result;
};

TEST(FrameCodecCheckReply, ResultsAndBlockChangedOnlyOnSuccess) {
    // Code 2, data 1 2 3 4: sum of all 2 + 4 + 10 = 16, data only 10.
    const Bytes good = {'!', '%', 2, 4, 1, 2, 3, 4, 16, '#', '@'};
    const Bytes goodDataOnly = {'!', '%', 2, 4, 1, 2, 3, 4, 10, '#', '@'};
    auto with = [&](size_t at, std::uint8_t v) {
        Bytes b = good;
        b[at] = v;
        return b;
    };
    const CheckCase cases[] = {
        {"match", good, 2, 4, Checksum::kCodeLengthData, frame::kOk},
        {"match, data only", goodDataOnly, 2, 4, Checksum::kDataOnly, frame::kOk},
        {"first byte", with(0, '?'), 2, 4, Checksum::kCodeLengthData, frame::kBadStart},
        {"second byte", with(1, '!'), 2, 4, Checksum::kCodeLengthData, frame::kBadStart},
        {"empty", {}, 2, 4, Checksum::kCodeLengthData, frame::kBadStart},
        {"other code", good, 3, 4, Checksum::kCodeLengthData, frame::kWrongCode},
        {"length byte", with(3, 5), 2, 4, Checksum::kCodeLengthData, frame::kWrongLength},
        {"other expected length", good, 2, 3, Checksum::kCodeLengthData, frame::kWrongLength},
        {"shorter than it says", Bytes(good.begin(), good.begin() + 7), 2, 4,
         Checksum::kCodeLengthData, frame::kWrongLength},
        {"checksum", with(8, 17), 2, 4, Checksum::kCodeLengthData, frame::kBadChecksum},
        {"other variant", good, 2, 4, Checksum::kDataOnly, frame::kBadChecksum},
        {"data changed", with(5, 9), 2, 4, Checksum::kCodeLengthData, frame::kBadChecksum},
    };
    for (const CheckCase& c : cases) {
        Bytes block(4, 0xAB);
        EXPECT_EQ(frame::CheckReply(c.reply, c.code, c.length, c.variant, block), c.result)
            << c.name;
        EXPECT_EQ(block, c.result == frame::kOk ? Bytes({1, 2, 3, 4}) : Bytes(4, 0xAB)) << c.name;
    }
}

TEST(FrameCodecParser, ReplyAfterNoiseAndSecondStartIsParsedFromTheLastStart) {
    for (Checksum variant : {Checksum::kCodeLengthData, Checksum::kDataOnly}) {
        const Bytes reply = Encoded(1, Bytes(32, 0x11), variant);
        // A stray start whose length byte puts its end on the reply's "@" as
        // well; its sum does not hold, the reply's does.
        const Bytes fitting = {'!', '%', 7, static_cast<std::uint8_t>(reply.size() - 3)};
        const Bytes cases[] = {{0x55, '#', '@', '!', '%', 7, 0x33, 1, 2}, fitting};
        for (const Bytes& noise : cases) {
            const Bytes stream = Concat(noise, reply);
            frame::Parser parser;
            EXPECT_EQ(Feed(parser, stream), std::vector<size_t>{stream.size() - 1}) << noise.size();
            EXPECT_EQ(Span(parser.Frame()), reply) << noise.size();
        }
    }
}

TEST(FrameCodecParser, FrameWithoutDataIsCompleteAtItsSeventhByte) {
    const Bytes f = Encoded(160, {}, Checksum::kCodeLengthData);
    ASSERT_EQ(f.size(), 7u);
    frame::Parser parser;
    EXPECT_EQ(Feed(parser, f), std::vector<size_t>{6});
    EXPECT_EQ(Span(parser.Frame()), f);
}

TEST(FrameCodecParser, AtSignEndsTheFrameOnlyAfterHashAtLengthPlusSix) {
    // "#@" inside the data, then a trailer whose "#" is missing: neither ends
    // a frame; the next good frame does.
    const Bytes inner = Encoded(4, {'#', '@', '@', 1}, Checksum::kCodeLengthData);
    Bytes broken = Encoded(5, {1, 2}, Checksum::kCodeLengthData);
    broken[broken.size() - 2] = 'x';
    const Bytes good = Encoded(6, {3}, Checksum::kCodeLengthData);

    frame::Parser parser;
    EXPECT_EQ(Feed(parser, inner), std::vector<size_t>{inner.size() - 1});
    EXPECT_EQ(Span(parser.Frame()), inner);
    EXPECT_EQ(Feed(parser, broken), std::vector<size_t>{});
    EXPECT_EQ(Feed(parser, good), std::vector<size_t>{good.size() - 1});
    EXPECT_EQ(Span(parser.Frame()), good);
}

TEST(FrameCodecParser, StreamLongerThanAFrameNeverOverflowsAndTheNextFrameIsParsed) {
    const Bytes good = Encoded(1, Bytes(32, 0x11), Checksum::kDataOnly);
    const Bytes endless(1000, 'x');
    // A start that promises a long frame and never ends it.
    const Bytes openFrame = Concat({'!', '%', 3, 200}, Bytes(700, '#'));
    for (const Bytes& junk : {endless, openFrame}) {
        frame::Parser parser;
        EXPECT_EQ(Feed(parser, junk), std::vector<size_t>{});
        EXPECT_EQ(Feed(parser, good), std::vector<size_t>{good.size() - 1});
        EXPECT_EQ(Span(parser.Frame()), good);
        EXPECT_LE(parser.Frame().size(), frame::kMaxFrame);
    }
}

TEST(FrameCodecParser, StartBytesInsideTheDataDoNotLoseTheFrame) {
    // A live block whose floats happen to hold "!" "%" back to back.
    Bytes data(32, 0x40);
    data[9] = '!';
    data[10] = '%';
    data[20] = '!';
    data[21] = '%';
    const Bytes live = Encoded(1, data, Checksum::kCodeLengthData);
    frame::Parser parser;
    EXPECT_EQ(Feed(parser, Concat({'x', '!', '%', 'y'}, live)),
              std::vector<size_t>{live.size() + 3});
    EXPECT_EQ(Span(parser.Frame()), live);
}

TEST(FrameCodecParser, StartOnTheLastByteOfAFullBufferIsKept) {
    // 261 bytes of noise put the next frame's "!" on the buffer's last place;
    // losing it would shift every following long frame as well.
    const Bytes longFrame = Encoded(77, Bytes(255, 0x30), Checksum::kCodeLengthData);
    Bytes stream(261, 'x');
    for (int i = 0; i < 5; ++i)
        stream = Concat(stream, longFrame);
    frame::Parser parser;
    EXPECT_EQ(Feed(parser, stream).size(), 5u);
}

TEST(FrameCodecParser, ResetDropsAPartialFrame) {
    const Bytes good = Encoded(2, {7, 7}, Checksum::kCodeLengthData);
    frame::Parser parser;
    // Half of a frame, then reset, then the tail alone must not complete it.
    EXPECT_EQ(Feed(parser, Bytes(good.begin(), good.begin() + 4)), std::vector<size_t>{});
    parser.Reset();
    EXPECT_EQ(Feed(parser, Bytes(good.begin() + 4, good.end())), std::vector<size_t>{});
    EXPECT_EQ(Feed(parser, good), std::vector<size_t>{good.size() - 1});
}

}  // namespace

#include "link/qlm_udp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/c_connect.h"
#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/registerimage.h"
#include "model/ckanal.h"
#include "model/config.h"
#include "platform/sleeper.h"
#include "platform/taskqueue.h"
#include "platform/udpsocket.h"
#include "support/bytes.h"
#include "support/recording_sink.h"
#include "support/simulated_udp_unit.h"

namespace {

using testsupport::Bytes;
using testsupport::Clock;
using testsupport::Pattern;
using testsupport::SecondsSince;
using testsupport::SimulatedUdpUnit;
using testsupport::Text;
using R = RegisterImage;
using Row = SimulatedUdpUnit::CurveRow;

constexpr int kGenerousMs = 10000;

// Polls `done` until it holds; false after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kGenerousMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

Bytes BytesOf(const R& image, R::Block b) {
    const auto s = image.Bytes(b);
    return {s.begin(), s.end()};
}

class NoSleeper final : public platform::Sleeper {
public:
    void SleepMs(int /*ms*/) override {}
};

// Keeps every decode with the live block it saw and the thread it ran on.
class RecordingDecoder final : public ReplyDecoder {
public:
    explicit RecordingDecoder(const R& image) : image_(image) {}
    void DecodeReply(int code) override {
        codes.push_back(code);
        live.push_back(BytesOf(image_, R::kLive));
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<int> codes;
    std::vector<Bytes> live;
    std::vector<std::thread::id> threads;

private:
    const R& image_;
};

// The link with every Transfer counted, so that Open's identifications can
// be told from the resends inside one of them.
class CountingUdp final : public QLM_UDP {
public:
    using QLM_UDP::QLM_UDP;
    bool Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                  Direction direction) override {
        ++transfers[code];
        return QLM_UDP::Transfer(code, block, length, direction);
    }
    std::map<int, int> transfers;
};

// A simulated unit on a free loopback port P and a link whose server got P + 1.
struct Rig {
    Rig() {
        for (int attempt = 0; attempt < 50; ++attempt) {
            unit = std::make_unique<SimulatedUdpUnit>(0);
            if (!unit->IsOpen() || unit->Port() >= 65535) continue;
            link = MakeLink();
            link->SetAddress("127.0.0.1", unit->Port());
            if (link->ServerActive()) return;
        }
        ADD_FAILURE() << "no free pair of loopback ports";
    }

    std::unique_ptr<CountingUdp> MakeLink() {
        auto l = std::make_unique<CountingUdp>(LinkContext{image, sleeper, &decoder}, ui);
        l->SetLocalAddress("127.0.0.1");
        return l;
    }

    int Port() const { return unit->Port(); }
    Bytes BlockOf(int code) const {
        const DeviceCommand* row = FindDeviceCommand(code);
        const auto b = image.Bytes(row->block);
        return {b.begin(), b.begin() + row->length};
    }
    void FillBlock(R::Block b, std::uint8_t v) {
        auto bytes = image.Bytes(b);
        std::fill(bytes.begin(), bytes.end(), v);
    }
    // One exchange of the code's table row, straight through Transfer.
    bool Move(int code) {
        const DeviceCommand* row = FindDeviceCommand(code);
        return link->Transfer(row->code, image.Bytes(row->block).data(), row->length,
                              row->direction);
    }
    // A request is repeated every few milliseconds until its reply comes, so
    // replies to the repeats may still be on their way when an exchange
    // ends. A read of another code passes over them: the unit answers in
    // order, and loopback keeps the order of one socket's datagrams.
    void Settle() { Move(kFenceCode); }
    static constexpr int kFenceCode = 2;
    // Streaming on both sides: the link asked for a live sample and the unit saw it.
    void StartStreaming() {
        Move(device_code::kLiveSample);
        ASSERT_TRUE(unit->WaitForCode(device_code::kLiveSample, 0, kGenerousMs));
        ASSERT_TRUE(link->Streaming());
    }
    // The requests that came before the first one with `fence`, which the
    // caller sends after what it wants to see: datagrams from one socket to
    // another keep their order on loopback. Repeats of Open's identification
    // may still be on their way and are left out.
    std::vector<SimulatedUdpUnit::Request> RequestsBefore(int fence, size_t from) {
        EXPECT_TRUE(unit->WaitForCode(fence, from, kGenerousMs));
        auto all = unit->Requests();
        std::vector<SimulatedUdpUnit::Request> out;
        for (size_t i = from; i < all.size() && all[i].code != fence; ++i) {
            if (all[i].code != device_code::kIdentify) out.push_back(all[i]);
        }
        return out;
    }

    R image;
    NoSleeper sleeper;
    RecordingDecoder decoder{image};
    platform::TaskQueue ui;
    std::unique_ptr<SimulatedUdpUnit> unit;
    // Last: it goes before what it refers to.
    std::unique_ptr<CountingUdp> link;
};

// ---------------------------------------------------------------- opening

TEST(QlmUdpOpen, UnitAnsweringQ_IsAcceptedAtOnceWithBroadcastOn) {
    Rig rig;
    EXPECT_FALSE(rig.link->BroadcastEnabled());
    ASSERT_TRUE(rig.link->Open(0));
    EXPECT_TRUE(rig.link->IsConnected());
    EXPECT_EQ(rig.link->transfers[device_code::kIdentify], 1);
    EXPECT_TRUE(rig.link->BroadcastEnabled());
    const auto id = rig.image.Bytes(R::kIdentification);
    EXPECT_EQ(Bytes(id.begin(), id.begin() + 7), (Bytes{'Q', 'U', 'E', 'L', 'M', '1', 0}));
    EXPECT_EQ(rig.link->deviceName, "127.0.0.1:" + std::to_string(rig.Port()));
    // The identification asks for seven bytes and carries none.
    const auto sent = rig.unit->RequestsOf(device_code::kIdentify);
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(sent[0].data.empty());
    EXPECT_TRUE(sent[0].checksumOk);
}

TEST(QlmUdpOpen, UnitThatNeverIdentifiesItself_FailsAfterTenIdentifications) {
    const struct {
        const char* name;
        std::function<void(SimulatedUdpUnit&)> setUp;
    } cases[] = {
        {"another first letter", [](SimulatedUdpUnit& u) { u.SetIdentification(Text("XUELM1!")); }},
        {"lower-case q", [](SimulatedUdpUnit& u) { u.SetIdentification(Text("qUELM1!")); }},
        {"reply shorter than the block",
         [](SimulatedUdpUnit& u) { u.SetIdentification(Text("QUELM1")); }},
        {"every reply corrupt",
         [](SimulatedUdpUnit& u) { u.CorruptChecksumOfNextReplies(1 << 20); }},
        {"every reply with another code",
         [](SimulatedUdpUnit& u) { u.WrongCodeInNextReplies(1 << 20); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.setUp(*rig.unit);
        EXPECT_FALSE(rig.link->Open(0));
        EXPECT_EQ(rig.link->transfers[device_code::kIdentify], QLM_UDP::kIdentifyTries);
        EXPECT_FALSE(rig.link->IsConnected());
        EXPECT_FALSE(rig.link->BroadcastEnabled());
    }
}

TEST(QlmUdpOpen, SilentUnit_FailsAfterTenIdentificationsDespiteAStaleQInTheImage) {
    Rig rig;
    // An earlier unit's identification must not pass for an answer now.
    const Bytes stale = Text("QUELM1");
    std::copy(stale.begin(), stale.end(), rig.image.Bytes(R::kIdentification).begin());
    rig.unit->SetSilent(true);

    const auto start = Clock::now();
    EXPECT_FALSE(rig.link->Open(0));
    EXPECT_LT(SecondsSince(start), 60.0);
    EXPECT_EQ(rig.link->transfers[device_code::kIdentify], QLM_UDP::kIdentifyTries);
    EXPECT_FALSE(rig.link->IsConnected());

    // Every identification was repeated while nothing came, always as the
    // same request without data.
    ASSERT_TRUE(rig.unit->WaitForRequests(QLM_UDP::kReceiveTries, kGenerousMs));
    for (const auto& r : rig.unit->Requests()) {
        EXPECT_EQ(r.code, device_code::kIdentify);
        EXPECT_TRUE(r.data.empty());
    }
}

TEST(QlmUdpOpen, RefusedAtOnceWithoutAClientOrWithoutTheServer) {
    Rig rig;
    const int p = rig.Port();
    rig.link.reset();  // frees p + 1 for the links below

    const struct {
        const char* name;
        std::function<void(CountingUdp&)> setUp;
        bool clientActive;
        bool serverActive;
    } cases[] = {
        {"closed", [](CountingUdp& l) { l.Close(); }, false, false},
        {"address that is no address", [p](CountingUdp& l) { l.SetAddress("1.2.3", p); }, false,
         true},
        {"port without a port above it", [](CountingUdp& l) { l.SetAddress("127.0.0.1", 65535); },
         true, false},
        {"port 0", [](CountingUdp& l) { l.SetAddress("127.0.0.1", 0); }, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto link = rig.MakeLink();
        link->SetAddress("127.0.0.1", p);
        c.setUp(*link);
        EXPECT_EQ(link->ClientActive(), c.clientActive);
        EXPECT_EQ(link->ServerActive(), c.serverActive);
        const auto start = Clock::now();
        EXPECT_FALSE(link->Open(0));
        EXPECT_LT(SecondsSince(start), 2.0);
        EXPECT_EQ(link->transfers[device_code::kIdentify], 0);
        EXPECT_FALSE(link->IsConnected());
    }
}

TEST(QlmUdpOpen, PushPortTakenByAnother_RefusesTheLink) {
    Rig rig;
    const int p = rig.Port();
    rig.link.reset();  // frees p + 1 for the squatter
    platform::UdpSocket squatter;
    ASSERT_TRUE(squatter.Open("127.0.0.1", p + 1));
    auto link = rig.MakeLink();
    link->SetAddress("127.0.0.1", p);
    EXPECT_TRUE(link->ClientActive());
    EXPECT_FALSE(link->ServerActive());
    EXPECT_FALSE(link->Open(0));
    EXPECT_EQ(link->transfers[device_code::kIdentify], 0);
}

TEST(QlmUdpOpen, DefaultsBeforeSetAddressAimAtTheFactoryAddress) {
    Rig rig;
    auto link = rig.MakeLink();
    ASSERT_TRUE(link->Unit().has_value());
    EXPECT_EQ(link->Unit()->ToString(), "192.168.0.100:11110");
    EXPECT_TRUE(link->ClientActive());
    EXPECT_FALSE(link->ServerActive());
    EXPECT_FALSE(link->Streaming());
    EXPECT_FALSE(link->IsConnected());
}

// ---------------------------------------------------------------- transfers

TEST(QlmUdpTransfer, ClosedLinkMovesNothingButALiveRequestStillStartsStreaming) {
    Rig rig;
    rig.FillBlock(R::kChannelTable1, 0x77);
    EXPECT_FALSE(rig.Move(20));
    EXPECT_FALSE(rig.link->Streaming());
    EXPECT_FALSE(rig.Move(device_code::kLiveSample));
    EXPECT_TRUE(rig.link->Streaming());
    EXPECT_EQ(rig.BlockOf(20), Bytes(80, 0x77));

    // Nothing went out before the identification.
    ASSERT_TRUE(rig.link->Open(0));
    ASSERT_TRUE(rig.unit->WaitForRequests(1, kGenerousMs));
    EXPECT_EQ(rig.unit->Requests()[0].code, device_code::kIdentify);
}

TEST(QlmUdpTransfer, ReadTakesTheBlockFromTheReply) {
    Rig rig;
    const Bytes block = Pattern(80, 3);
    rig.unit->SetBlock(20, block);
    ASSERT_TRUE(rig.link->Open(0));
    ASSERT_TRUE(rig.Move(20));
    EXPECT_EQ(rig.BlockOf(20), block);
    const auto sent = rig.unit->RequestsOf(20);
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(sent[0].data.empty());
}

TEST(QlmUdpTransfer, RequestIsRepeatedUntilItsOwnReplyComes) {
    const struct {
        const char* name;
        std::function<void(SimulatedUdpUnit&)> setUp;
        size_t atLeast;  // requests of the code the unit saw
    } cases[] = {
        {"replies with another code", [](SimulatedUdpUnit& u) { u.WrongCodeInNextReplies(3, 20); },
         4},
        {"requests that got no reply", [](SimulatedUdpUnit& u) { u.IgnoreNextRequests(2, 20); }, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        const Bytes block = Pattern(80, 11);
        rig.unit->SetBlock(20, block);
        ASSERT_TRUE(rig.link->Open(0));
        c.setUp(*rig.unit);
        ASSERT_TRUE(rig.Move(20));
        EXPECT_EQ(rig.BlockOf(20), block);
        EXPECT_EQ(rig.link->transfers[20], 1);
        // The repeats are the request itself: no data, a sound checksum.
        const auto sent = rig.unit->RequestsOf(20);
        EXPECT_GE(sent.size(), c.atLeast);
        for (const auto& r : sent) {
            EXPECT_TRUE(r.data.empty());
            EXPECT_TRUE(r.checksumOk);
        }
    }
}

TEST(QlmUdpTransfer, FailedReplyLeavesTheBlockAsItWas) {
    const struct {
        const char* name;
        std::function<void(SimulatedUdpUnit&)> setUp;
    } cases[] = {
        {"wrong checksum", [](SimulatedUdpUnit& u) { u.CorruptChecksumOfNextReplies(1, 20); }},
        {"one byte short", [](SimulatedUdpUnit& u) { u.ChangeLengthOfNextReplies(1, -1, 20); }},
        {"silent", [](SimulatedUdpUnit& u) { u.SetSilent(true); }},
        {"another code more often than the tries",
         [](SimulatedUdpUnit& u) { u.WrongCodeInNextReplies(1 << 20, 20); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.unit->SetBlock(20, Pattern(80, 5));
        ASSERT_TRUE(rig.link->Open(0));
        rig.FillBlock(R::kChannelTable1, 0x77);
        c.setUp(*rig.unit);
        EXPECT_FALSE(rig.Move(20));
        EXPECT_EQ(rig.BlockOf(20), Bytes(80, 0x77));
        rig.Settle();
        // Through the dispatcher a failed read does not reach the decoder.
        c.setUp(*rig.unit);
        rig.link->Command(20);
        EXPECT_TRUE(rig.decoder.codes.empty());
        EXPECT_EQ(rig.BlockOf(20), Bytes(80, 0x77));
    }
}

TEST(QlmUdpTransfer, LongerReplyFillsTheBlockAndNoMore) {
    Rig rig;
    const Bytes block = Pattern(80, 21);
    rig.unit->SetBlock(20, block);
    ASSERT_TRUE(rig.link->Open(0));
    const auto next = static_cast<R::Block>(R::kChannelTable1 + 1);
    rig.FillBlock(next, 0x33);
    rig.unit->ChangeLengthOfNextReplies(1, 30, 20);
    ASSERT_TRUE(rig.Move(20));
    EXPECT_EQ(rig.BlockOf(20), block);
    EXPECT_EQ(BytesOf(rig.image, next), Bytes(80, 0x33));
}

TEST(QlmUdpTransfer, WriteSendsTwoIdenticalDatagrams) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    const Bytes block = Pattern(216, 40);
    std::copy(block.begin(), block.end(), rig.image.Bytes(R::kChannel1).begin());
    const size_t from = rig.unit->Requests().size();
    ASSERT_TRUE(rig.Move(80));
    ASSERT_TRUE(rig.Move(20));  // the fence

    const auto sent = rig.RequestsBefore(20, from);
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& r : sent) {
        EXPECT_EQ(r.code, 80);
        EXPECT_EQ(r.data, block);
        EXPECT_TRUE(r.checksumOk);
    }
    EXPECT_EQ(rig.unit->Block(80), block);
}

TEST(QlmUdpTransfer, CommandSendsOneFrameWithoutData) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    const size_t from = rig.unit->Requests().size();
    ASSERT_TRUE(rig.link->Transfer(160, nullptr, 0, Direction::kCommand));
    ASSERT_TRUE(rig.Move(20));
    const auto sent = rig.RequestsBefore(20, from);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, 160);
    EXPECT_TRUE(sent[0].data.empty());
}

TEST(QlmUdpTransfer, WriteWithReplyCarriesTheBlockAndTakesTheAnswer) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    const Bytes block = Pattern(16, 90);
    std::copy(block.begin(), block.end(), rig.image.Bytes(R::kBendProtection).begin());
    ASSERT_TRUE(rig.Move(111));
    const auto sent = rig.unit->RequestsOf(111);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].data, block);

    rig.Settle();
    rig.unit->CorruptChecksumOfNextReplies(1, 111);
    EXPECT_FALSE(rig.Move(111));
}

TEST(QlmUdpTransfer, RawTextMovesNothing) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    const size_t from = rig.unit->Requests().size();
    const Bytes text = Text("*IDN?");
    std::copy(text.begin(), text.end(), rig.link->rawText.begin());
    EXPECT_FALSE(rig.link->Transfer(254, rig.link->rawText.data(), 5, Direction::kRawText));
    ASSERT_TRUE(rig.Move(20));
    EXPECT_TRUE(rig.RequestsBefore(20, from).empty());
}

TEST(QlmUdpTransfer, LiveSampleReplyIsNotAwaitedNorAskedForAgain) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    const size_t from = rig.unit->Requests().size();
    rig.unit->IgnoreNextRequests(1, device_code::kLiveSample);
    EXPECT_FALSE(rig.Move(device_code::kLiveSample));
    EXPECT_TRUE(rig.link->Streaming());
    ASSERT_TRUE(rig.Move(20));
    const auto sent = rig.RequestsBefore(20, from);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, device_code::kLiveSample);
}

// ---------------------------------------------------------------- pushed samples

TEST(QlmUdpPush, DatagramsBeforeTheFirstLiveRequest_AreIgnored) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    const Bytes early = rig.unit->LiveBlock({1.0, 2.0, 3.0, 4.0});
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(rig.unit->SendFrame(rig.link->ServerPort(), 1, early));
    ASSERT_TRUE(WaitUntil([&] { return rig.link->DatagramsHeard() >= 3; }));
    EXPECT_EQ(rig.ui.Pending(), 0u);
    rig.ui.Drain();
    EXPECT_TRUE(rig.decoder.codes.empty());
    EXPECT_EQ(BytesOf(rig.image, R::kLive), Bytes(32, 0));

    rig.unit->SetCurve({{0.5, 1.5, 2.5, 3.5}}, 0, 1);
    rig.StartStreaming();
    ASSERT_EQ(rig.unit->PushSamples(1), 1);
    ASSERT_TRUE(WaitUntil([&] { return rig.ui.Pending() >= 1; }));
    EXPECT_TRUE(rig.decoder.codes.empty());  // not before the UI thread drains
    rig.ui.Drain();
    ASSERT_EQ(rig.decoder.codes, std::vector<int>{1});
    EXPECT_EQ(rig.decoder.live[0], rig.unit->LiveBlock({0.5, 1.5, 2.5, 3.5}));
}

TEST(QlmUdpPush, SamplesReachTheDecoderInOrderOnlyOnTheDrainingThread) {
    Rig rig;
    std::vector<Row> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back({0.25 * i, 10.0 + i, 0.5 * i, 0.125 * i});
    rig.unit->SetCurve(rows, 2, 4);
    ASSERT_TRUE(rig.link->Open(0));
    rig.StartStreaming();
    ASSERT_EQ(rig.unit->PushSamples(5), 5);
    ASSERT_TRUE(WaitUntil([&] { return rig.ui.Pending() >= 5; }));
    EXPECT_TRUE(rig.decoder.codes.empty());

    rig.ui.Drain();
    ASSERT_EQ(rig.decoder.codes, std::vector<int>(5, 1));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rig.decoder.live[i], rig.unit->LiveBlock(rows[i])) << i;
        EXPECT_EQ(rig.decoder.threads[i], std::this_thread::get_id());
    }
}

TEST(QlmUdpPush, DatagramThatFailsItsCheck_DoesNotRunTheDecoder) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    rig.StartStreaming();
    const Bytes live = rig.unit->LiveBlock({1.0, 2.0, 3.0, 4.0});
    Bytes lyingLength = SimulatedUdpUnit::MakeFrame(1, live);
    lyingLength[3] = 40;
    Bytes noEnd = SimulatedUdpUnit::MakeFrame(1, live);
    noEnd.back() = '#';

    const struct {
        const char* name;
        Bytes datagram;
    } cases[] = {
        {"wrong checksum", SimulatedUdpUnit::MakeFrame(1, live, true)},
        {"another code", SimulatedUdpUnit::MakeFrame(2, live)},
        {"one byte short", SimulatedUdpUnit::MakeFrame(1, Bytes(live.begin(), live.end() - 1))},
        {"no data", SimulatedUdpUnit::MakeFrame(1, {})},
        {"length byte that does not fit", lyingLength},
        {"no frame end", noEnd},
        {"not a frame", Text("hello, station")},
        {"longer than the receive buffer", Bytes(600, '!')},
    };
    rig.FillBlock(R::kLive, 0x5C);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto heard = rig.link->DatagramsHeard();
        ASSERT_TRUE(rig.unit->SendRaw(rig.link->ServerPort(), c.datagram));
        ASSERT_TRUE(WaitUntil([&] { return rig.link->DatagramsHeard() > heard; }));
        rig.ui.Drain();
        EXPECT_TRUE(rig.decoder.codes.empty());
        EXPECT_EQ(BytesOf(rig.image, R::kLive), Bytes(32, 0x5C));
    }

    // The unit's own corrupt push as well; the good one after it goes through.
    rig.unit->SetCurve({{1.0, 2.0, 3.0, 4.0}, {5.0, 6.0, 7.0, 8.0}}, 0, 1);
    rig.unit->CorruptNextPushes(1);
    ASSERT_EQ(rig.unit->PushSamples(2), 2);
    ASSERT_TRUE(WaitUntil([&] { return rig.ui.Pending() >= 2; }));
    rig.ui.Drain();
    ASSERT_EQ(rig.decoder.codes, std::vector<int>{1});
    EXPECT_EQ(rig.decoder.live[0], rig.unit->LiveBlock({5.0, 6.0, 7.0, 8.0}));
}

TEST(QlmUdpPush, LongerDatagramFillsTheLiveBlockAndNoMore) {
    Rig rig;
    ASSERT_TRUE(rig.link->Open(0));
    rig.StartStreaming();
    rig.FillBlock(R::kCode2, 0x44);
    const Bytes data = Pattern(40, 1);
    ASSERT_TRUE(rig.unit->SendFrame(rig.link->ServerPort(), 1, data));
    ASSERT_TRUE(WaitUntil([&] { return rig.ui.Pending() >= 1; }));
    rig.ui.Drain();
    ASSERT_EQ(rig.decoder.codes, std::vector<int>{1});
    EXPECT_EQ(BytesOf(rig.image, R::kLive), Bytes(data.begin(), data.begin() + 32));
    EXPECT_EQ(BytesOf(rig.image, R::kCode2), Bytes(44, 0x44));
}

TEST(QlmUdpPush, TaskStillQueuedWhenTheLinkCloses_DoesNothing) {
    const struct {
        const char* name;
        std::function<void(Rig&)> end;
    } cases[] = {
        {"closed", [](Rig& r) { r.link->Close(); }},
        {"destroyed", [](Rig& r) { r.link.reset(); }},
        // A later binding of the same link is a new inbox; the old tasks stay dead.
        {"closed and opened again",
         [](Rig& r) {
             r.link->Close();
             r.link->SetAddress("127.0.0.1", r.Port());
             ASSERT_TRUE(r.link->Open(0));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.unit->SetCurve({{1.0, 2.0, 3.0, 4.0}}, 0, 1);
        ASSERT_TRUE(rig.link->Open(0));
        rig.StartStreaming();
        rig.FillBlock(R::kLive, 0x5C);
        ASSERT_EQ(rig.unit->PushSamples(2), 2);
        ASSERT_TRUE(WaitUntil([&] { return rig.ui.Pending() >= 2; }));
        c.end(rig);
        EXPECT_GE(rig.ui.Drain(), 2u);
        EXPECT_TRUE(rig.decoder.codes.empty());
        EXPECT_EQ(BytesOf(rig.image, R::kLive), Bytes(32, 0x5C));
    }
}

TEST(QlmUdpPush, ReopenedLinkTakesPushesAgain) {
    Rig rig;
    rig.unit->SetCurve({{1.0, 2.0, 3.0, 4.0}}, 0, 1);
    ASSERT_TRUE(rig.link->Open(0));
    rig.StartStreaming();
    rig.link->Close();
    rig.link->SetAddress("127.0.0.1", rig.Port());
    ASSERT_TRUE(rig.link->ServerActive());
    ASSERT_TRUE(rig.link->Open(0));
    // Streaming, once started, stays on.
    EXPECT_TRUE(rig.link->Streaming());
    ASSERT_EQ(rig.unit->PushSamples(1), 1);
    ASSERT_TRUE(WaitUntil([&] { return rig.ui.Pending() >= 1; }));
    rig.ui.Drain();
    EXPECT_EQ(rig.decoder.codes, std::vector<int>{1});
}

// ---------------------------------------------------------------- closing

TEST(QlmUdpClose, StopsTheListenerPromptlyAndDeactivatesBothSides) {
    const struct {
        const char* name;
        bool destroy;
    } cases[] = {{"Close", false}, {"destructor", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        ASSERT_TRUE(rig.link->Open(0));
        rig.StartStreaming();
        const auto start = Clock::now();
        if (c.destroy) {
            rig.link.reset();
        } else {
            rig.link->Close();
        }
        EXPECT_LT(SecondsSince(start), 2.0);
        if (c.destroy) continue;
        EXPECT_FALSE(rig.link->IsConnected());
        EXPECT_FALSE(rig.link->ClientActive());
        EXPECT_FALSE(rig.link->ServerActive());
        EXPECT_FALSE(rig.Move(20));
        EXPECT_FALSE(rig.link->Open(0));
    }
}

// ---------------------------------------------------------------- the unit over UDP

class RecordingSamples final : public SampleSink {
public:
    void PutSample(const SSample& s) override {
        samples.push_back(s);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<SSample> samples;
    std::vector<std::thread::id> threads;
};

// Only the UDP link exists, on loopback.
class UdpOnlyLinks final : public LinkFactory {
public:
    explicit UdpOnlyLinks(platform::TaskPoster& ui) : ui_(ui) {}
    std::unique_ptr<QLM_CONNECT> MakeSerial(LinkContext /*context*/) override { return nullptr; }
    std::unique_ptr<QLM_CONNECT> MakeUsb(LinkContext /*context*/) override { return nullptr; }
    std::unique_ptr<QLM_CONNECT> MakeUdp(LinkContext context, const std::string& address,
                                         int port) override {
        auto link = std::make_unique<QLM_UDP>(context, ui_);
        link->SetLocalAddress("127.0.0.1");
        link->SetAddress(address, port);
        last = link.get();
        return link;
    }
    QLM_UDP* last = nullptr;

private:
    platform::TaskPoster& ui_;
};

// The engine's side of the unit: its configuration, channels and the unit.
struct Station {
    Station(UnitDeps deps, int port) : unit(deps) {
        config.Define(nullptr);
        config.iKF1 = 0;
        config.iKL1 = 1;
        unit.Init(1, channels.data(), &config);
        EXPECT_TRUE(config.SetFromText(config.IndexOf("iIP"), "127.0.0.1"));
        EXPECT_TRUE(config.SetFromText(config.IndexOf("iPorts"), std::to_string(port)));
    }
    C_Config config;
    std::vector<C_Kanal> channels = std::vector<C_Kanal>(10);
    DEVICE_QUELM unit;
};

TEST(QlmUdpStation, UnitConnectsOverUdpAndTakesPushedSamples) {
    platform::TaskQueue ui;
    NoSleeper sleeper;
    RecordingSamples samples;
    testsupport::RecordingSink messages;
    UdpOnlyLinks links(ui);
    int zone = 0;

    std::unique_ptr<SimulatedUdpUnit> sim;
    std::unique_ptr<Station> station;
    for (int attempt = 0; attempt < 20 && !station; ++attempt) {
        sim = std::make_unique<SimulatedUdpUnit>(0);
        if (!sim->IsOpen() || sim->Port() >= 65535) continue;
        Bytes channel(216, 0);
        const float fullScale = 123.5f;
        std::memcpy(channel.data() + R::kChannelFullScale, &fullScale, sizeof fullScale);
        sim->SetBlock(96, channel);

        auto s = std::make_unique<Station>(
            UnitDeps{sleeper, samples, messages, links, nullptr, &zone}, sim->Port());
        // A failure here is someone else holding the push port; another
        // pair of ports will do.
        if (s->unit.Connect()) {
            station = std::move(s);
        } else {
            messages.messages.clear();
        }
    }
    ASSERT_TRUE(station);
    EXPECT_TRUE(messages.messages.empty());
    DEVICE_QUELM* unit = &station->unit;
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kUdpLink);
    EXPECT_FLOAT_EQ(static_cast<float>(station->channels[1].fullScale), 123.5f);

    // The connect's live request started the pushes.
    ASSERT_TRUE(sim->WaitForCode(device_code::kLiveSample, 0, kGenerousMs));
    const std::vector<Row> rows = {
        {0.5, 1.5, 0.25, 0.125}, {1.0, 3.0, 0.5, 0.25}, {1.5, 4.5, 0.75, 0.375}};
    sim->SetCurve(rows, 0, 1);
    samples.samples.clear();
    ASSERT_EQ(sim->PushSamples(3), 3);
    ASSERT_TRUE(WaitUntil([&] {
        ui.Drain();
        return samples.samples.size() >= 3;
    }));
    ASSERT_EQ(samples.samples.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(samples.samples[i].time, rows[i].time);
        EXPECT_EQ(samples.samples[i].F, rows[i].force);
        EXPECT_EQ(samples.samples[i].L, rows[i].displacement);
        EXPECT_EQ(samples.samples[i].E, rows[i].extensometer);
        EXPECT_EQ(samples.threads[i], std::this_thread::get_id());
    }

    // The unit goes with a sample still on its way: the task finds nothing.
    ASSERT_EQ(sim->PushSamples(1), 1);
    ASSERT_TRUE(WaitUntil([&] { return ui.Pending() >= 1; }));
    station.reset();
    ui.Drain();
    EXPECT_EQ(samples.samples.size(), 3u);
}

}  // namespace

#include "platform/udpsocket.h"
#include "support/bytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::ResolveUdp;
using platform::UdpEndpoint;
using platform::UdpSocket;
using testsupport::Clock;
using testsupport::SecondsSince;

constexpr std::uint32_t kLoopback = 0x7F000001u;
constexpr int kGenerousMs = 5000;

UdpEndpoint At(const UdpSocket& s) {
    return {kLoopback, static_cast<std::uint16_t>(s.LocalPort())};
}

Bytes Pattern(size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + 3 * i);
    return b;
}

// Two sockets bound to loopback on ports of their own choosing.
struct Pair {
    Pair() {
        EXPECT_TRUE(a.Open("127.0.0.1", 0));
        EXPECT_TRUE(b.Open("127.0.0.1", 0));
    }
    UdpSocket a;
    UdpSocket b;
};

// ---------------------------------------------------------------- addresses

TEST(UdpResolve, DottedQuadsAndPortsAreTakenAsTheyAre) {
    const auto e = ResolveUdp("192.168.16.254", 8081);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->address, 0xC0A810FEu);
    EXPECT_EQ(e->port, 8081);
    EXPECT_EQ(e->ToString(), "192.168.16.254:8081");
}

TEST(UdpResolve, RefusesBrokenAddressesAndPortsWithoutAskingTheResolver) {
    const struct {
        const char* host;
        int port;
    } cases[] = {{"", 8081},    {"300.1.1.1", 8081}, {"1.2.3", 8081},     {"1.2.3.4.5", 8081},
                 {"...", 8081}, {"10.0.0.1", -1},    {"10.0.0.1", 65536}, {"1..2.3", 8081}};
    for (const auto& c : cases) {
        const auto start = Clock::now();
        EXPECT_FALSE(ResolveUdp(c.host, c.port).has_value()) << c.host << " " << c.port;
        EXPECT_LT(SecondsSince(start), 2.0) << c.host;
    }
}

// ---------------------------------------------------------------- opening

TEST(UdpSocketOpen, PortZeroBindsAFreePortAndClosingForgetsIt) {
    UdpSocket s;
    EXPECT_EQ(s.LocalPort(), -1);
    ASSERT_TRUE(s.Open("127.0.0.1", 0));
    EXPECT_GT(s.LocalPort(), 0);
    s.Close();
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(s.LocalPort(), -1);
}

TEST(UdpSocketOpen, RefusesATakenPortABadAddressAndPortsOutOfRange) {
    UdpSocket first;
    ASSERT_TRUE(first.Open("127.0.0.1", 0));
    const int taken = first.LocalPort();

    const struct {
        std::string address;
        int port;
    } cases[] = {{"127.0.0.1", taken},
                 {"not an address", 0},
                 {"127.0.0.1", -1},
                 {"127.0.0.1", 65536},
                 {"1.2.3", 0}};
    for (const auto& c : cases) {
        UdpSocket s;
        EXPECT_FALSE(s.Open(c.address, c.port)) << c.address << " " << c.port;
        EXPECT_FALSE(s.IsOpen());
    }
}

TEST(UdpSocketOpen, ClosedSocketRefusesEverythingWithoutBlocking) {
    UdpSocket s;
    std::uint8_t buf[8];
    EXPECT_FALSE(s.SendTo(Bytes{1, 2}, {kLoopback, 9}));
    EXPECT_EQ(s.Receive(buf, 1000), -1);
    EXPECT_FALSE(s.EnableBroadcast());
    EXPECT_FALSE(s.BroadcastEnabled());
    EXPECT_EQ(s.Discard(), 0u);
}

TEST(UdpSocketOpen, BroadcastIsOffUntilEnabled) {
    UdpSocket s;
    ASSERT_TRUE(s.Open("127.0.0.1", 0));
    EXPECT_FALSE(s.BroadcastEnabled());
    EXPECT_TRUE(s.EnableBroadcast());
    EXPECT_TRUE(s.BroadcastEnabled());
    EXPECT_TRUE(s.EnableBroadcast(false));
    EXPECT_FALSE(s.BroadcastEnabled());
}

// ---------------------------------------------------------------- datagrams

TEST(UdpSocketIo, DatagramArrivesWholeWithItsSender) {
    Pair p;
    const Bytes sent = Pattern(40, 9);
    ASSERT_TRUE(p.a.SendTo(sent, At(p.b)));

    std::uint8_t buf[512];
    UdpEndpoint from;
    bool truncated = true;
    const int n = p.b.Receive(buf, kGenerousMs, &from, &truncated);
    ASSERT_EQ(n, 40);
    EXPECT_EQ(Bytes(buf, buf + n), sent);
    EXPECT_FALSE(truncated);
    EXPECT_EQ(from, At(p.a));
}

TEST(UdpSocketIo, LongDatagramIsCutAtTheBufferAndItsRestIsLost) {
    Pair p;
    const Bytes first = Pattern(100, 1);
    const Bytes second = Pattern(5, 200);
    ASSERT_TRUE(p.a.SendTo(first, At(p.b)));
    ASSERT_TRUE(p.a.SendTo(second, At(p.b)));

    std::uint8_t buf[16];
    bool truncated = false;
    ASSERT_EQ(p.b.Receive(buf, kGenerousMs, nullptr, &truncated), 16);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(Bytes(buf, buf + 16), Bytes(first.begin(), first.begin() + 16));

    ASSERT_EQ(p.b.Receive(buf, kGenerousMs, nullptr, &truncated), 5);
    EXPECT_FALSE(truncated);
    EXPECT_EQ(Bytes(buf, buf + 5), second);
}

TEST(UdpSocketIo, ReceiveGivesUpWhenNothingComes) {
    Pair p;
    std::uint8_t buf[8];
    const auto start = Clock::now();
    EXPECT_EQ(p.b.Receive(buf, 20), 0);
    EXPECT_EQ(p.b.Receive(buf, 0), 0);
    EXPECT_LT(SecondsSince(start), 3.0);
}

TEST(UdpSocketIo, EmptyDatagramIsPassedOver) {
    Pair p;
    ASSERT_TRUE(p.a.SendTo(Bytes{}, At(p.b)));
    ASSERT_TRUE(p.a.SendTo(Bytes{7, 8}, At(p.b)));
    std::uint8_t buf[8];
    ASSERT_EQ(p.b.Receive(buf, kGenerousMs), 2);
    EXPECT_EQ(buf[0], 7);
}

TEST(UdpSocketIo, DiscardDropsWhatIsQueuedButNotWhatComesLater) {
    Pair p;
    for (std::uint8_t i = 0; i < 3; ++i)
        ASSERT_TRUE(p.a.SendTo(Bytes{i}, At(p.b)));
    // Delivery may lag the send; gather the drops until all three went.
    size_t dropped = 0;
    const auto start = Clock::now();
    while (dropped < 3 && SecondsSince(start) < 5.0) {
        const size_t n = p.b.Discard(1);
        EXPECT_LE(n, 1u);
        dropped += n;
        if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(dropped, 3u);

    ASSERT_TRUE(p.a.SendTo(Bytes{42}, At(p.b)));
    std::uint8_t buf[4];
    ASSERT_EQ(p.b.Receive(buf, kGenerousMs), 1);
    EXPECT_EQ(buf[0], 42);
}

TEST(UdpSocketIo, OversizedDatagramIsRefused) {
    Pair p;
    EXPECT_FALSE(p.a.SendTo(Bytes(70000, 1), At(p.b)));
}

}  // namespace

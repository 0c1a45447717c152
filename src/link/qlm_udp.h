#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <thread>

#include "link/framecodec.h"
#include "link/qlm_connect.h"
#include "platform/taskqueue.h"
#include "platform/udpsocket.h"

// The UDP link: device frames as datagrams. Requests and replies go through
// the client socket; after the first live-sample request the unit pushes
// live samples to the server socket on the unit's port + 1, where a listener
// thread hands each one to the user-interface thread.
class QLM_UDP : public QLM_CONNECT {
public:
    static constexpr const char* kDefaultHost = "192.168.0.100";
    static constexpr int kDefaultPort = 11110;
    static constexpr int kIdentifyTries = 10;
    static constexpr std::uint8_t kIdentificationLength = 7;
    static constexpr int kReceiveTries = 100;
    static constexpr int kReceiveWaitMs = 5;
    static constexpr size_t kReceiveBufferSize = 512;
    // How long a closing link may wait for its listener to notice.
    static constexpr int kListenerWakeMs = 50;

    // `ui` must outlive the link; tasks it still holds after the link is
    // gone do nothing.
    QLM_UDP(LinkContext context, platform::TaskPoster& ui);
    ~QLM_UDP() override;

    // Rebinds the client to the unit at `address`:`port` and the server to
    // `port` + 1, and starts listening there.
    void SetAddress(const std::string& address, int port);
    // The local interface both sockets bind to at the next SetAddress; ""
    // (any) by default.
    void SetLocalAddress(const std::string& address) { localAddress_ = address; }

    // The argument is not used. True when the unit identified itself; false
    // at once without an active client or without the server, which the
    // live samples need.
    bool Open(int argument) override;
    // Stops the listener and closes both sockets; samples still on their way
    // to the user-interface thread are dropped.
    void Close() override;
    // With the link closed nothing moves and the result is false; a live
    // sample request (code 1) still switches the pushed samples on.
    bool Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                  Direction direction) override;

    // A pushed datagram, on the user-interface thread: when streaming and it
    // passes as a live block, the block is replaced and decoded.
    void UDPRead(std::span<const std::uint8_t> datagram);

    bool ClientActive() const { return client_.IsOpen() && unit_.has_value(); }
    bool ServerActive() const { return server_.IsOpen(); }
    bool Streaming() const { return streaming_.load(); }
    bool BroadcastEnabled() const { return client_.BroadcastEnabled(); }
    int ClientPort() const { return client_.LocalPort(); }
    int ServerPort() const { return server_.LocalPort(); }
    // The unit's address and port, as the client sends to them.
    std::optional<platform::UdpEndpoint> Unit() const { return unit_; }
    // Datagrams the listener has taken from the server socket, handed on or not.
    std::uint64_t DatagramsHeard() const { return heard_.load(); }

private:
    // What a queued datagram task reaches the link through; the link clears
    // it on the user-interface thread before it goes.
    struct Inbox {
        QLM_UDP* link = nullptr;
    };

    bool SendFrame(std::uint8_t code, std::span<const std::uint8_t> data);
    bool ReadFrame(std::uint8_t code, std::span<const std::uint8_t> request,
                   std::span<std::uint8_t> block);
    bool Exchange(std::uint8_t code, std::span<const std::uint8_t> request,
                  std::span<std::uint8_t> block);
    void StartServer(int port);
    void StopServer();
    void Listen(std::stop_token stop, std::weak_ptr<Inbox> inbox);

    platform::TaskPoster& ui_;
    std::string localAddress_;
    std::optional<platform::UdpEndpoint> unit_;
    platform::UdpSocket client_;
    platform::UdpSocket server_;
    std::shared_ptr<Inbox> inbox_;
    std::atomic<bool> streaming_{false};
    std::atomic<std::uint64_t> heard_{0};
    std::array<std::uint8_t, frame::kMaxFrame + 1> transmit_{};
    std::array<std::uint8_t, kReceiveBufferSize> receive_{};
    // Last member: the thread stops before the sockets it reads go.
    std::jthread listener_;
};

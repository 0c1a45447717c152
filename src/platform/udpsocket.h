#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

// An IPv4 address and port, both in host byte order.
struct UdpEndpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;

    bool operator==(const UdpEndpoint&) const = default;
    std::string ToString() const;  // "a.b.c.d:port"
};

// `host` as a dotted quad, or a name the resolver turns into an IPv4
// address. Text made of digits and dots is never handed to the resolver, so
// a mistyped address fails at once instead of reading as some other host.
std::optional<UdpEndpoint> ResolveUdp(const std::string& host, int port);

// A POSIX IPv4 datagram socket. Every wait is bounded; failures give false or
// -1 and leave the socket as it was.
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to `address` ("" for any interface) and `port` (0 for any free
    // one). Closes a socket that is already open first.
    bool Open(const std::string& address = "", int port = 0);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // The bound port, or -1 when closed.
    int LocalPort() const;

    bool EnableBroadcast(bool on = true);
    bool BroadcastEnabled() const;

    // Sends `bytes` as one datagram; true when all of it went out.
    bool SendTo(std::span<const std::uint8_t> bytes, const UdpEndpoint& to);

    // Waits up to `timeoutMs` for one datagram and stores at most the
    // buffer's size of it; the rest of a longer one is lost, which
    // `truncated` tells. Returns the bytes stored, 0 when nothing came in
    // time, -1 when the socket failed. Empty datagrams carry nothing and are
    // passed over.
    int Receive(std::span<std::uint8_t> buffer, int timeoutMs, UdpEndpoint* from = nullptr,
                bool* truncated = nullptr);

    // Throws away the datagrams queued now (at most `limit` of them) and
    // returns how many went.
    size_t Discard(size_t limit = 1000);

private:
    int fd_ = -1;
};

}  // namespace platform

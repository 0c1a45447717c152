#include "platform/udpsocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/deadline.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The largest payload of one IPv4 datagram.
constexpr size_t kMaxDatagram = 65507;
constexpr int kSendWaitMs = 100;

bool LooksNumeric(const std::string& host) {
    return std::all_of(host.begin(), host.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

sockaddr_in ToSockaddr(const UdpEndpoint& e) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(e.address);
    a.sin_port = htons(e.port);
    return a;
}

}  // namespace

std::string UdpEndpoint::ToString() const {
    return std::to_string((address >> 24) & 0xFF) + "." + std::to_string((address >> 16) & 0xFF) +
           "." + std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF) +
           ":" + std::to_string(port);
}

std::optional<UdpEndpoint> ResolveUdp(const std::string& host, int port) {
    if (host.empty() || port < 0 || port > 65535) return std::nullopt;
    const auto p = static_cast<std::uint16_t>(port);
    in_addr a{};
    if (::inet_pton(AF_INET, host.c_str(), &a) == 1) return UdpEndpoint{ntohl(a.s_addr), p};
    if (LooksNumeric(host)) return std::nullopt;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    std::optional<UdpEndpoint> result;
    for (const addrinfo* i = found; i != nullptr; i = i->ai_next) {
        if (i->ai_family != AF_INET || i->ai_addr == nullptr ||
            i->ai_addrlen < sizeof(sockaddr_in)) {
            continue;
        }
        const auto* in = reinterpret_cast<const sockaddr_in*>(i->ai_addr);
        result = UdpEndpoint{ntohl(in->sin_addr.s_addr), p};
        break;
    }
    ::freeaddrinfo(found);
    return result;
}

UdpSocket::~UdpSocket() {
    Close();
}

bool UdpSocket::Open(const std::string& address, int port) {
    Close();
    if (port < 0 || port > 65535) return false;
    UdpEndpoint local{INADDR_ANY, static_cast<std::uint16_t>(port)};
    if (!address.empty()) {
        in_addr a{};
        if (::inet_pton(AF_INET, address.c_str(), &a) != 1) return false;
        local.address = ntohl(a.s_addr);
    }
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_in a = ToSockaddr(local);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void UdpSocket::Close() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

int UdpSocket::LocalPort() const {
    if (fd_ < 0) return -1;
    sockaddr_in a{};
    socklen_t len = sizeof a;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return -1;
    return ntohs(a.sin_port);
}

bool UdpSocket::EnableBroadcast(bool on) {
    if (fd_ < 0) return false;
    const int v = on ? 1 : 0;
    return ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &v, sizeof v) == 0;
}

bool UdpSocket::BroadcastEnabled() const {
    if (fd_ < 0) return false;
    int v = 0;
    socklen_t len = sizeof v;
    return ::getsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &v, &len) == 0 && v != 0;
}

bool UdpSocket::SendTo(std::span<const std::uint8_t> bytes, const UdpEndpoint& to) {
    if (fd_ < 0 || bytes.size() > kMaxDatagram) return false;
    const sockaddr_in a = ToSockaddr(to);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kSendWaitMs);
    for (;;) {
        const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&a), sizeof a);
        if (n >= 0) return static_cast<size_t>(n) == bytes.size();
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        // The send queue is full for a moment; a datagram late by more than
        // this is worth less than the caller's time.
        const int left = MsUntil(deadline);
        if (left == 0) return false;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR) return false;
    }
}

int UdpSocket::Receive(std::span<std::uint8_t> buffer, int timeoutMs, UdpEndpoint* from,
                       bool* truncated) {
    if (truncated != nullptr) *truncated = false;
    if (fd_ < 0) return -1;
    if (buffer.empty()) return 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const int r = PollUntil(fd_, POLLIN, deadline, nullptr);
        if (r <= 0) return r;

        sockaddr_in a{};
        socklen_t len = sizeof a;
        // With MSG_TRUNC the result is the datagram's whole size even when
        // only the buffer's size of it was stored.
        const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&a), &len);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                if (MsUntil(deadline) == 0) return 0;
                continue;
            }
            // An earlier send may leave an ICMP error queued; it is no
            // datagram and no reason to give up on the socket.
            if (errno == ECONNREFUSED || errno == EHOSTUNREACH || errno == ENETUNREACH) {
                if (MsUntil(deadline) == 0) return 0;
                continue;
            }
            return -1;
        }
        if (n == 0) {
            if (MsUntil(deadline) == 0) return 0;
            continue;
        }
        const size_t stored = std::min(static_cast<size_t>(n), buffer.size());
        if (truncated != nullptr) *truncated = static_cast<size_t>(n) > buffer.size();
        if (from != nullptr) *from = UdpEndpoint{ntohl(a.sin_addr.s_addr), ntohs(a.sin_port)};
        return static_cast<int>(stored);
    }
}

size_t UdpSocket::Discard(size_t limit) {
    if (fd_ < 0) return 0;
    size_t count = 0;
    std::uint8_t byte = 0;
    for (size_t tries = 0; tries < limit; ++tries) {
        const ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT | MSG_TRUNC);
        if (n >= 0) {
            ++count;
            continue;
        }
        if (errno == EINTR || errno == ECONNREFUSED || errno == EHOSTUNREACH ||
            errno == ENETUNREACH) {
            continue;
        }
        break;
    }
    return count;
}

}  // namespace platform

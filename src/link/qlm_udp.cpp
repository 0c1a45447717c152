#include "link/qlm_udp.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace {

constexpr std::uint8_t kFamilyLetter = 'Q';  // first letter of QUELM
constexpr size_t kLiveLength = 32;

// One whole device frame: the start, a length byte that fits the datagram's
// size, the end.
bool IsFrame(std::span<const std::uint8_t> d) {
    return d.size() >= frame::kOverhead && d.size() <= frame::kMaxFrame && d[0] == '!' &&
           d[1] == '%' && d[3] == d.size() - frame::kOverhead && d[d.size() - 2] == '#' &&
           d.back() == '@';
}

// The unit sends what it has; a reply longer than the block gives the block's
// length and the rest is dropped. A shorter one would leave the block half
// old, half new, and is refused.
bool TakeReply(std::span<const std::uint8_t> d, std::uint8_t code, std::span<std::uint8_t> block) {
    if (!IsFrame(d)) return false;
    const size_t n = d.size() - frame::kOverhead;
    if (n < block.size()) return false;
    return frame::CheckReply(d, code, static_cast<std::uint8_t>(n),
                             frame::Checksum::kCodeLengthData, block) == frame::kOk;
}

}  // namespace

QLM_UDP::QLM_UDP(LinkContext context, platform::TaskPoster& ui)
    : QLM_CONNECT(context), ui_(ui), unit_(platform::ResolveUdp(kDefaultHost, kDefaultPort)) {
    client_.Open(localAddress_, 0);
}

QLM_UDP::~QLM_UDP() {
    Close();
}

void QLM_UDP::SetAddress(const std::string& address, int port) {
    client_.Close();
    unit_.reset();
    if (port >= 1 && port <= 65535) unit_ = platform::ResolveUdp(address, port);
    if (unit_) client_.Open(localAddress_, 0);

    StopServer();
    // The push port is one above the unit's, so the top port has none.
    if (port >= 1 && port < 65535) StartServer(port + 1);
}

void QLM_UDP::StartServer(int port) {
    if (!server_.Open(localAddress_, port)) return;
    inbox_ = std::make_shared<Inbox>(Inbox{this});
    listener_ = std::jthread([this, inbox = std::weak_ptr<Inbox>(inbox_)](std::stop_token stop) {
        Listen(stop, inbox);
    });
}

void QLM_UDP::StopServer() {
    if (listener_.joinable()) {
        listener_.request_stop();
        listener_.join();
    }
    server_.Close();
    if (inbox_) {
        inbox_->link = nullptr;
        inbox_.reset();
    }
}

void QLM_UDP::Listen(std::stop_token stop, std::weak_ptr<Inbox> inbox) {
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    while (!stop.stop_requested()) {
        bool truncated = false;
        const int n = server_.Receive(buffer, kListenerWakeMs, nullptr, &truncated);
        if (n < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kListenerWakeMs));
            continue;
        }
        if (n == 0) continue;
        // Before the first live request the unit has no business pushing; a
        // datagram too long for the buffer is no frame.
        if (streaming_.load() && !truncated) {
            ui_.Post(
                [inbox, bytes = std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n)] {
                    const std::shared_ptr<Inbox> in = inbox.lock();
                    if (in && in->link != nullptr) in->link->UDPRead(bytes);
                });
        }
        heard_.fetch_add(1);
    }
}

bool QLM_UDP::Open(int /*argument*/) {
    if (!ClientActive() || !ServerActive()) {
        connected = 0;
        return false;
    }
    std::uint8_t* ident = image_.Bytes(RegisterImage::kIdentification).data();
    for (int i = 0; i < kIdentifyTries; ++i) {
        connected = 1;
        // Only an answer that came now counts: the block may still hold the
        // identification of an earlier unit.
        if (Transfer(device_code::kIdentify, ident, kIdentificationLength, Direction::kRead) &&
            ident[0] == kFamilyLetter) {
            client_.EnableBroadcast(true);
            connected = 1;
            deviceName = unit_->ToString();
            return true;
        }
    }
    connected = 0;
    return false;
}

void QLM_UDP::Close() {
    connected = 0;
    client_.Close();
    StopServer();
}

bool QLM_UDP::Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                       Direction direction) {
    if (code == device_code::kLiveSample) streaming_.store(true);
    if (!connected || !ClientActive()) return false;
    if (block == nullptr && length > 0) return false;
    const std::span<std::uint8_t> data(block, block == nullptr ? 0 : length);

    switch (direction) {
        case Direction::kCommand:
            return SendFrame(code, {});
        case Direction::kWrite: {
            // Sent twice: a datagram may be lost and no reply tells.
            const bool first = SendFrame(code, data);
            const bool second = SendFrame(code, data);
            return first || second;
        }
        case Direction::kRead:
            return Exchange(code, {}, data);
        case Direction::kWriteWithReply:
            return Exchange(code, data, data);
        case Direction::kRawText:
            return false;
    }
    return false;
}

bool QLM_UDP::Exchange(std::uint8_t code, std::span<const std::uint8_t> request,
                       std::span<std::uint8_t> block) {
    // Whatever is queued answers an earlier request; with the same code it
    // would pass for the reply to this one.
    client_.Discard();
    // A send that failed is repeated by the receive loop like a lost one.
    SendFrame(code, request);
    return ReadFrame(code, request, block);
}

bool QLM_UDP::SendFrame(std::uint8_t code, std::span<const std::uint8_t> data) {
    if (!connected || !ClientActive()) return false;
    const size_t n = frame::Encode(code, data, frame::Checksum::kCodeLengthData, transmit_);
    if (n == 0) return false;
    transmit_[n] = 0;
    return client_.SendTo(std::span<const std::uint8_t>(transmit_.data(), n), *unit_);
}

// Waits for the datagram that answers `code`, sending the request again
// whenever nothing or something else came. The live sample is not awaited:
// the unit pushes the next one anyway.
bool QLM_UDP::ReadFrame(std::uint8_t code, std::span<const std::uint8_t> request,
                        std::span<std::uint8_t> block) {
    receive_.fill(0);
    const int tries = std::max(1, ReplyWait(kReceiveTries * kReceiveWaitMs) / kReceiveWaitMs);
    for (int i = 0; i < tries; ++i) {
        bool truncated = false;
        const int n = client_.Receive(receive_, kReceiveWaitMs, nullptr, &truncated);
        if (n > 0 && !truncated) {
            const std::span<const std::uint8_t> d(receive_.data(), static_cast<size_t>(n));
            if (IsFrame(d) && d[2] == code) return TakeReply(d, code, block);
        }
        if (code == device_code::kLiveSample) return false;
        if (i + 1 < tries) SendFrame(code, request);
    }
    return false;
}

void QLM_UDP::UDPRead(std::span<const std::uint8_t> datagram) {
    if (!connected || !streaming_.load()) return;
    if (datagram.size() > kReceiveBufferSize) return;
    const std::span<std::uint8_t> live = image_.Bytes(RegisterImage::kLive).first(kLiveLength);
    // A datagram that fails must not reach the decoder: it would hand the
    // previous sample to the engine again.
    if (!TakeReply(datagram, device_code::kLiveSample, live)) return;
    if (decoder_ != nullptr) decoder_->DecodeReply(device_code::kLiveSample);
}

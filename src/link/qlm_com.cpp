#include "link/qlm_com.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

#include "platform/deadline.h"
#include "platform/sleeper.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::MsUntil;

constexpr size_t kIdentificationLength = 6;
constexpr std::uint8_t kFamilyLetter = 'E';  // third letter of QUELM

}  // namespace

QLM_COM::QLM_COM(LinkContext context, std::vector<std::string> candidates)
    : QLM_CONNECT(context), candidates_(std::move(candidates)) {}

QLM_COM::~QLM_COM() {
    Close();
}

std::string QLM_COM::DevicePath(const std::string& name) const {
    return platform::DeviceForPortName(name, candidates_, kPortCount);
}

bool QLM_COM::Open(int argument) {
    if (argument != 0) return OpenPort();
    Close();
    const int ports = std::min<int>(kPortCount, static_cast<int>(candidates_.size()));
    for (int i = 1; i <= ports; ++i) {
        Close();
        portName = "COM" + std::to_string(i);
        checksum = frame::Checksum::kCodeLengthData;
        if (OpenPort()) return true;
        checksum = frame::Checksum::kDataOnly;
        if (OpenPort()) return true;
    }
    return false;
}

bool QLM_COM::OpenPort() {
    Close();
    const std::string path = DevicePath(portName);
    if (path.empty()) return false;
    if (!port_.Open(path, speedText)) return false;
    parser.Reset();

    connected = 1;
    std::uint8_t* ident = image_.Bytes(RegisterImage::kIdentification).data();
    // A failed read leaves the block as an earlier unit filled it, so only a
    // reply that arrived now counts.
    const bool answered = Exchange(device_code::kIdentify, ident, kIdentificationLength,
                                   Direction::kRead, kIdentifyTimeoutMs);
    if (answered && ident[2] == kFamilyLetter) {
        deviceName = path;
        return true;
    }
    Close();
    return false;
}

void QLM_COM::Close() {
    connected = 0;
    port_.Close();
}

bool QLM_COM::Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                       Direction direction) {
    return Exchange(code, block, length, direction, ReplyWait(kReplyTimeoutMs));
}

bool QLM_COM::Exchange(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                       Direction direction, int replyTimeoutMs) {
    if (!connected || !port_.IsOpen()) return false;
    if (block == nullptr && length > 0) return false;
    const std::span<std::uint8_t> data(block, block == nullptr ? 0 : length);

    switch (direction) {
        case Direction::kCommand:
            return SendFrame(code, {});
        case Direction::kWrite:
            return SendFrame(code, data);
        case Direction::kRead:
        case Direction::kWriteWithReply: {
            // Whatever is still queued belongs to an earlier exchange.
            port_.FlushInput();
            parser.Reset();
            const bool sent =
                direction == Direction::kRead ? SendFrame(code, {}) : SendFrame(code, data);
            if (!sent) return false;
            if (direction == Direction::kWriteWithReply) sleeper_.SleepMs(kWriteReplySleepMs);
            return ReadFrame(code, data, replyTimeoutMs);
        }
        case Direction::kRawText:
            if (block == nullptr) return false;
            return TextExchange(block, length);
    }
    return false;
}

bool QLM_COM::SendFrame(std::uint8_t code, std::span<const std::uint8_t> data) {
    if (!connected) return false;
    const size_t n = frame::Encode(code, data, checksum, transmit_);
    if (n == 0) return false;
    transmit_[n] = 0;
    return WriteRaw(n);
}

bool QLM_COM::WriteRaw(size_t count) {
    return port_.Write(std::span<const std::uint8_t>(transmit_.data(), count), kWriteTimeoutMs);
}

// Gathers frames until one is the reply to `code` or the time is up. A frame
// with another code is a late reply to an earlier request and is passed over,
// so that one slow answer cannot shift every exchange after it.
bool QLM_COM::ReadFrame(std::uint8_t code, std::span<std::uint8_t> block, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto length = static_cast<std::uint8_t>(block.size());
    for (;;) {
        const int left = MsUntil(deadline);
        if (left == 0) return false;
        const int got = port_.Read(std::span<std::uint8_t>(raw_.data(), raw_.size() - 1), left);
        if (got < 0) return false;
        for (int i = 0; i < got; ++i) {
            if (!parser.PutByte(raw_[static_cast<size_t>(i)])) continue;
            const frame::CheckResult r =
                frame::CheckReply(parser.Frame(), code, length, checksum, block);
            if (r == frame::kOk) {
                raw_.fill(0);
                return true;
            }
            // Our code with a bad length or checksum is our reply, broken.
            if (r == frame::kWrongLength || r == frame::kBadChecksum) return false;
        }
    }
}

size_t QLM_COM::ReadRaw() {
    raw_.fill(0);
    size_t used = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kRawTextWindowMs);
    for (;;) {
        const int left = MsUntil(deadline);
        if (left == 0) break;
        // One place stays free for the terminating zero; text beyond it is
        // read and dropped so it cannot reach the next exchange.
        std::array<std::uint8_t, kRawBufferSize> spill{};
        const size_t room = raw_.size() - 1 - used;
        const std::span<std::uint8_t> into =
            room > 0 ? std::span<std::uint8_t>(raw_.data() + used, room)
                     : std::span<std::uint8_t>(spill.data(), spill.size());
        const int got = port_.Read(into, left);
        if (got < 0) break;
        if (room > 0) used += static_cast<size_t>(got);
    }
    raw_[used] = 0;
    return used;
}

bool QLM_COM::TextExchange(std::uint8_t* block, std::uint8_t length) {
    std::memcpy(transmit_.data(), block, length);
    transmit_[length] = 0;
    port_.FlushInput();
    parser.Reset();
    if (!WriteRaw(length)) return false;
    const size_t got = ReadRaw();

    // Only the link's own text buffer is known to hold a whole reply; any
    // other block takes what fits in its own length.
    const size_t capacity = block == rawText.data() ? rawText.size() : length;
    if (capacity == 0) return true;
    std::memset(block, 0, capacity);
    size_t text = 0;
    while (text < got && raw_[text] != 0)
        ++text;
    for (size_t i = 0; i < text; ++i) {
        if (raw_[i] >= 1 && raw_[i] <= 31) raw_[i] = '.';
    }
    std::memcpy(block, raw_.data(), std::min(text, capacity - 1));
    return true;
}

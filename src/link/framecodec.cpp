#include "link/framecodec.h"

#include <algorithm>

namespace frame {

std::uint8_t Sum(std::uint8_t code, std::span<const std::uint8_t> data, Checksum variant) {
    unsigned sum = 0;
    if (variant == Checksum::kCodeLengthData) sum = code + static_cast<unsigned>(data.size());
    for (std::uint8_t b : data)
        sum += b;
    return static_cast<std::uint8_t>(sum);
}

size_t Encode(std::uint8_t code, std::span<const std::uint8_t> data, Checksum variant,
              std::span<std::uint8_t> out) {
    const size_t n = data.size();
    if (n > kMaxData || out.size() < n + kOverhead) return 0;
    out[0] = '!';
    out[1] = '%';
    out[2] = code;
    out[3] = static_cast<std::uint8_t>(n);
    std::copy(data.begin(), data.end(), out.begin() + 4);
    out[4 + n] = Sum(code, data, variant);
    out[5 + n] = '#';
    out[6 + n] = '@';
    return n + kOverhead;
}

CheckResult CheckReply(std::span<const std::uint8_t> reply, std::uint8_t code, std::uint8_t length,
                       Checksum variant, std::span<std::uint8_t> block) {
    if (reply.size() < 2 || reply[0] != '!' || reply[1] != '%') return kBadStart;
    if (reply.size() < 3 || reply[2] != code) return kWrongCode;
    if (reply.size() < 4 || reply[3] != length || reply.size() < length + kOverhead) {
        return kWrongLength;
    }
    const auto data = reply.subspan(4, length);
    if (Sum(code, data, variant) != reply[4 + length]) return kBadChecksum;
    std::copy_n(data.begin(), std::min(data.size(), block.size()), block.begin());
    return kOk;
}

bool Parser::PutByte(std::uint8_t b) {
    if (complete_) Reset();
    if (pos_ == buffer_.size()) Compact();
    buffer_[pos_] = b;
    if (b == '%' && pos_ > 0 && buffer_[pos_ - 1] == '!') {
        starts_[startCount_++] = static_cast<std::uint16_t>(pos_ - 1);
    }
    const size_t at = pos_++;
    if (b != '@' || at < 1 || buffer_[at - 1] != '#') return false;
    // Two starts can end at this "@": a "!" "%" in a frame's data, or noise
    // before the frame whose length byte happens to fit. The one whose sum
    // holds (in either variant) is the frame; without one, the earliest.
    size_t found = at;
    for (size_t i = 0; i < startCount_; ++i) {
        const size_t start = starts_[i];
        if (at < start + 6) break;  // later starts are later still
        const size_t n = buffer_[start + 3];
        if (at != start + n + 6u) continue;
        if (found == at) found = start;
        const std::span<const std::uint8_t> data(buffer_.data() + start + 4, n);
        const std::uint8_t sum = buffer_[start + 4 + n];
        if (Sum(buffer_[start + 2], data, Checksum::kCodeLengthData) == sum ||
            Sum(buffer_[start + 2], data, Checksum::kDataOnly) == sum) {
            found = start;
            break;
        }
    }
    if (found != at) {
        frameStart_ = found;
        frameSize_ = at - found + 1;
        complete_ = true;
        return true;
    }
    return false;
}

// The buffer is full: the oldest start can no longer complete. The buffer
// moves to the next start; without one, only a "!" that may open the next
// frame is kept.
void Parser::Compact() {
    size_t keep = 0;
    while (keep < startCount_ && starts_[keep] == 0)
        ++keep;
    if (keep < startCount_) {
        const size_t shift = starts_[keep];
        std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(shift), buffer_.end(),
                  buffer_.begin());
        pos_ -= shift;
        size_t n = 0;
        for (size_t i = keep; i < startCount_; ++i)
            starts_[n++] = static_cast<std::uint16_t>(starts_[i] - shift);
        startCount_ = n;
        return;
    }
    const bool bang = buffer_.back() == '!';
    pos_ = 0;
    startCount_ = 0;
    if (bang) buffer_[pos_++] = '!';
}

void Parser::Reset() {
    pos_ = 0;
    startCount_ = 0;
    frameStart_ = 0;
    frameSize_ = 0;
    complete_ = false;
}

}  // namespace frame

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
    if (pos_ >= buffer_.size()) {
        // No frame is this long: start over, keeping a "!" that may open the next one.
        const bool bang = buffer_.back() == '!';
        pos_ = 0;
        if (bang) {
            buffer_[0] = '!';
            pos_ = 1;
        }
    }
    buffer_[pos_] = b;
    if (b == '%' && pos_ > 0 && buffer_[pos_ - 1] == '!') {
        buffer_[0] = '!';
        buffer_[1] = '%';
        pos_ = 1;
    }
    if (b != '@' || pos_ < 4 || buffer_[pos_ - 1] != '#' || pos_ != buffer_[3] + 6u) {
        ++pos_;
        return false;
    }
    frameSize_ = pos_ + 1;
    pos_ = 0;
    return true;
}

void Parser::Reset() {
    pos_ = 0;
    frameSize_ = 0;
}

}  // namespace frame

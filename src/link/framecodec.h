#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The device frame of the serial and UDP links:
//   "!" "%" code length data... checksum "#" "@"
namespace frame {

constexpr size_t kMaxData = 255;
constexpr size_t kOverhead = 7;
constexpr size_t kMaxFrame = kMaxData + kOverhead;

enum class Checksum : std::uint8_t {
    kCodeLengthData = 0,  // 8-bit sum of the code, the length and the data
    kDataOnly = 1,        // 8-bit sum of the data alone
};

std::uint8_t Sum(std::uint8_t code, std::span<const std::uint8_t> data, Checksum variant);

// Writes the frame into `out` and returns its size, n + 7; 0 when the data is
// longer than 255 bytes or `out` is too small.
size_t Encode(std::uint8_t code, std::span<const std::uint8_t> data, Checksum variant,
              std::span<std::uint8_t> out);

// Results of the reply check.
enum CheckResult : int {
    kOk = 0,
    kBadStart = 1,     // not "!" "%"
    kWrongCode = 2,    // not the code of the request
    kWrongLength = 3,  // not the expected data length, or the frame is shorter than it says
    kBadChecksum = 4,
};

// Checks a reply against the request; on kOk copies the data into `block`
// (at most its size). Nothing is copied otherwise.
CheckResult CheckReply(std::span<const std::uint8_t> reply, std::uint8_t code, std::uint8_t length,
                       Checksum variant, std::span<std::uint8_t> block);

// Gathers a frame byte by byte from a stream that may hold noise. Every
// "!" "%" may open a frame; "@" ends one only right after "#" at the place the
// length byte of its start gives, so "!" "%" inside a frame's data does not
// lose the frame. A start whose frame could no longer fit is dropped, so the
// buffer never overflows.
class Parser {
public:
    // True when `b` completed a frame; Frame() then holds it until the next byte.
    bool PutByte(std::uint8_t b);
    std::span<const std::uint8_t> Frame() const {
        return {buffer_.data() + frameStart_, frameSize_};
    }
    void Reset();

private:
    void Compact();

    std::array<std::uint8_t, kMaxFrame> buffer_{};
    size_t pos_ = 0;
    // Where each "!" "%" held in the buffer begins, oldest first.
    std::array<std::uint16_t, kMaxFrame> starts_{};
    size_t startCount_ = 0;
    size_t frameStart_ = 0;
    size_t frameSize_ = 0;
    bool complete_ = false;
};

}  // namespace frame

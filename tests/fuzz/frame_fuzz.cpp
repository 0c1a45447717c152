// Frames from the wire: the byte parser and the reply check over any input.
// The first two bytes are the code and length the caller expects; the whole
// input is then fed byte by byte, and once more as the data of a frame that
// must come back unchanged.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/framecodec.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

constexpr frame::Checksum kVariants[] = {frame::Checksum::kCodeLengthData,
                                         frame::Checksum::kDataOnly};

// The reply check never touches the block unless it reports success, and
// then the block holds exactly the frame's data.
void CheckAgainst(std::span<const std::uint8_t> f, std::uint8_t code, std::uint8_t length) {
    for (frame::Checksum v : kVariants) {
        std::array<std::uint8_t, frame::kMaxData> block;
        block.fill(0xA5);
        const std::span<std::uint8_t> into(block.data(), length);
        const frame::CheckResult r = frame::CheckReply(f, code, length, v, into);
        Require(r >= frame::kOk && r <= frame::kBadChecksum);
        if (r == frame::kOk) {
            Require(f.size() >= size_t{length} + frame::kOverhead);
            Require(std::equal(into.begin(), into.end(), f.begin() + 4));
        } else {
            Require(
                std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xA5; }));
        }
    }
}

void CheckFrame(std::span<const std::uint8_t> f, std::uint8_t code, std::uint8_t length) {
    Require(f.size() >= frame::kOverhead && f.size() <= frame::kMaxFrame);
    Require(f[f.size() - 2] == '#' && f[f.size() - 1] == '@');
    Require(f.size() == size_t{f[3]} + frame::kOverhead);
    CheckAgainst(f, f[2], f[3]);
    CheckAgainst(f, code, length);
    // Any prefix of a frame, as a reply cut short, is checked safely too.
    CheckAgainst(f.first(f.size() / 2), f[2], f[3]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const std::uint8_t code = size > 0 ? data[0] : 0;
    const std::uint8_t length = size > 1 ? data[1] : 0;

    frame::Parser parser;
    for (std::uint8_t b : input) {
        if (parser.PutByte(b)) CheckFrame(parser.Frame(), code, length);
    }
    CheckAgainst(input, code, length);

    const std::span<const std::uint8_t> payload = input.first(std::min(size, frame::kMaxData));
    for (frame::Checksum v : kVariants) {
        std::array<std::uint8_t, frame::kMaxFrame> encoded{};
        const size_t n = frame::Encode(code, payload, v, encoded);
        Require(n == payload.size() + frame::kOverhead);
        const std::span<const std::uint8_t> f(encoded.data(), n);

        // "!" "%" in the data must not lose the frame. Only data that holds a
        // whole frame of its own, ending before ours, may complete first.
        frame::Parser fresh;
        bool early = false;
        bool last = false;
        for (size_t i = 0; i < n; ++i) {
            if (!fresh.PutByte(encoded[i])) continue;
            CheckFrame(fresh.Frame(), code, length);
            if (i + 1 < n)
                early = true;
            else
                last = true;
        }
        if (early) continue;
        Require(last);
        Require(std::equal(f.begin(), f.end(), fresh.Frame().begin(), fresh.Frame().end()));
        std::array<std::uint8_t, frame::kMaxData> block{};
        const std::span<std::uint8_t> into(block.data(), payload.size());
        Require(frame::CheckReply(fresh.Frame(), code, static_cast<std::uint8_t>(payload.size()), v,
                                  into) == frame::kOk);
        Require(std::equal(payload.begin(), payload.end(), into.begin()));
    }
    return 0;
}

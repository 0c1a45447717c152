#include "link/registerimage.h"

#include <bit>

namespace {

constexpr std::array<std::uint16_t, RegisterImage::kBlockCount> MakeLengths() {
    std::array<std::uint16_t, RegisterImage::kBlockCount> len{};
    using R = RegisterImage;
    len[R::kIdentification] = 8;
    len[R::kLive] = 32;
    len[R::kCode2] = 44;
    len[R::kCode3] = 4;
    len[R::kCode9] = 16;
    len[R::kAmbientTemperature] = 4;
    len[R::kCode12] = 24;
    len[R::kCode13] = 32;
    for (int i = 0; i < 6; ++i)
        len[R::kChannelTable1 + i] = 80;
    for (int i = 0; i < 4; ++i)
        len[R::kEight1 + i] = 8;
    len[R::kOutputWord] = 4;
    len[R::kInputWord] = 4;
    for (int i = 0; i < 4; ++i)
        len[R::kForty1 + i] = 40;
    len[R::kBlock32For59] = 32;
    len[R::kBlock144] = 144;
    len[R::kBlock36First] = 36;
    len[R::kBlock36First + 1] = 36;
    len[R::kBlock36For72] = 36;
    len[R::kBlock250] = 250;
    len[R::kBlock20] = 20;
    for (int i = 0; i < 6; ++i)
        len[R::kChannel1 + i] = 216;
    len[R::kParameter] = 4;
    len[R::kCycleProgram] = 48;
    len[R::kStatus] = 8;
    len[R::kCode109] = 6;
    len[R::kBendProtection] = 16;
    len[R::kBlock32For112] = 32;
    len[R::kSetpoints] = 88;
    len[R::kCode119] = 20;
    len[R::kMotion] = 8;
    len[R::kBlock6For132] = 6;
    len[R::kBlock6For134] = 6;
    len[R::kBlock32For138] = 32;
    len[R::kBlock8For140] = 8;
    for (int i = 0; i < 6; ++i)
        len[R::kBlock84First + i] = 84;
    for (int i = 0; i < 6; ++i)
        len[R::kBlock28First + i] = 28;
    return len;
}

constexpr auto kLengths = MakeLengths();

constexpr std::array<std::uint16_t, RegisterImage::kBlockCount + 1> MakeOffsets() {
    std::array<std::uint16_t, RegisterImage::kBlockCount + 1> off{};
    for (int i = 0; i < RegisterImage::kBlockCount; ++i) {
        off[static_cast<size_t>(i) + 1] = static_cast<std::uint16_t>(
            off[static_cast<size_t>(i)] + kLengths[static_cast<size_t>(i)]);
    }
    return off;
}

constexpr auto kOffsets = MakeOffsets();

static_assert(kOffsets[RegisterImage::kBlockCount] <= 4096, "register image storage too small");

}  // namespace

size_t RegisterImage::Length(Block b) {
    return b >= 0 && b < kBlockCount ? kLengths[static_cast<size_t>(b)] : 0;
}

size_t RegisterImage::Offset(Block b) {
    return b >= 0 && b < kBlockCount ? kOffsets[static_cast<size_t>(b)] : 0;
}

size_t RegisterImage::Size() {
    return kOffsets[kBlockCount];
}

RegisterImage::RegisterImage() = default;

std::span<std::uint8_t> RegisterImage::Bytes(Block b) {
    return {bytes_.data() + Offset(b), Length(b)};
}

std::span<const std::uint8_t> RegisterImage::Bytes(Block b) const {
    return {bytes_.data() + Offset(b), Length(b)};
}

bool RegisterImage::Fits(Block b, size_t at, size_t n) const {
    return at <= Length(b) && n <= Length(b) - at;
}

std::uint8_t RegisterImage::GetU8(Block b, size_t at) const {
    return Fits(b, at, 1) ? bytes_[Offset(b) + at] : 0;
}

void RegisterImage::SetU8(Block b, size_t at, std::uint8_t v) {
    if (Fits(b, at, 1)) bytes_[Offset(b) + at] = v;
}

std::uint16_t RegisterImage::GetU16(Block b, size_t at) const {
    if (!Fits(b, at, 2)) return 0;
    const std::uint8_t* p = bytes_.data() + Offset(b) + at;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void RegisterImage::SetU16(Block b, size_t at, std::uint16_t v) {
    if (!Fits(b, at, 2)) return;
    std::uint8_t* p = bytes_.data() + Offset(b) + at;
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint32_t RegisterImage::GetU32(Block b, size_t at) const {
    if (!Fits(b, at, 4)) return 0;
    const std::uint8_t* p = bytes_.data() + Offset(b) + at;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void RegisterImage::SetU32(Block b, size_t at, std::uint32_t v) {
    if (!Fits(b, at, 4)) return;
    std::uint8_t* p = bytes_.data() + Offset(b) + at;
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t RegisterImage::GetI32(Block b, size_t at) const {
    return static_cast<std::int32_t>(GetU32(b, at));
}

void RegisterImage::SetI32(Block b, size_t at, std::int32_t v) {
    SetU32(b, at, static_cast<std::uint32_t>(v));
}

float RegisterImage::GetFloat(Block b, size_t at) const {
    return std::bit_cast<float>(GetU32(b, at));
}

void RegisterImage::SetFloat(Block b, size_t at, float v) {
    SetU32(b, at, std::bit_cast<std::uint32_t>(v));
}

void RegisterImage::FillCycleProgram(float speed, float upper, float lower, float hold,
                                     std::int32_t repetitions, std::uint8_t kind,
                                     std::uint8_t flag) {
    SetFloat(kCycleProgram, kCycleSpeed, speed);
    SetFloat(kCycleProgram, kCycleUpper, upper);
    SetFloat(kCycleProgram, kCycleLower, lower);
    SetFloat(kCycleProgram, kCycleHold, hold);
    SetI32(kCycleProgram, kCycleRepetitions, repetitions);
    SetI32(kCycleProgram, kCycleDone, 0);
    SetU8(kCycleProgram, kCycleKind, kind);
    SetU16(kCycleProgram, kCycleWord, 1);
    SetFloat(kCycleProgram, kCycleZero, 0.0f);
    SetU8(kCycleProgram, kCycleFlag, flag);
}

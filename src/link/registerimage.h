#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The program's mirror of the unit's parameter memory: one zeroed area of
// blocks, each addressed by the device commands that move it. Values are
// little-endian and may sit at any offset.
class RegisterImage {
public:
    // Blocks in storage order. Runs of blocks (one per channel and the like)
    // are consecutive, so "first + i" names the i-th.
    enum Block : int {
        kIdentification,  // 6 bytes on the serial link, 7 on UDP
        kLive,            // eight floats
        kCode2,
        kCode3,
        kCode9,
        kAmbientTemperature,
        kCode12,
        kCode13,
        kChannelTable1,  // channels 1 to 6: calibration points 11 to 20
        kEight1 = kChannelTable1 + 6,
        kOutputWord = kEight1 + 4,
        kInputWord,
        kForty1,
        kBlock32For59 = kForty1 + 4,
        kBlock144,
        kBlock36First,
        kBlock36For72 = kBlock36First + 2,
        kBlock250,
        kBlock20,
        kChannel1,  // channels 1 to 6: the 216-byte channel block
        kParameter = kChannel1 + 6,
        kCycleProgram,
        kStatus,
        kCode109,
        kBendProtection,
        kBlock32For112,
        kSetpoints,
        kCode119,
        kMotion,
        kBlock6For132,
        kBlock6For134,
        kBlock32For138,
        kBlock8For140,
        kBlock84First,
        kBlock28First = kBlock84First + 6,
        kBlockCount = kBlock28First + 6,
    };

    // Layout of the 216-byte channel block.
    static constexpr size_t kChannelFullScale = 4;
    static constexpr size_t kChannelReference = 12;  // points 1 to 10
    static constexpr size_t kChannelMeasured = 52;   // points 1 to 10
    static constexpr size_t kChannelPointCount = 92;
    static constexpr size_t kChannelHasPoints = 93;
    static constexpr size_t kChannelSpeed = 108;
    static constexpr size_t kChannelPidP = 184;
    static constexpr size_t kChannelPidI = 188;
    static constexpr size_t kChannelPidD = 192;
    // Layout of the 80-byte channel table block: points 11 to 20.
    static constexpr size_t kTableReference = 0;
    static constexpr size_t kTableMeasured = 40;
    // Layout of the 48-byte cycle program block.
    static constexpr size_t kCycleSpeed = 0;
    static constexpr size_t kCycleUpper = 4;
    static constexpr size_t kCycleLower = 8;
    static constexpr size_t kCycleHold = 12;
    static constexpr size_t kCycleRepetitions = 16;
    static constexpr size_t kCycleDone = 20;
    static constexpr size_t kCycleKind = 24;
    static constexpr size_t kCycleWord = 26;
    static constexpr size_t kCycleZero = 28;
    static constexpr size_t kCycleFlag = 32;
    // Status block.
    static constexpr size_t kStatusPositioning = 4;
    static constexpr size_t kStatusPump = 6;
    // Set-points and protections block.
    static constexpr size_t kSetpoint1 = 0;     // floats for set-points 1 to 3
    static constexpr size_t kProtection1 = 64;  // floats for channels 1 to 3
    // Bending protection block.
    static constexpr size_t kBendSelector = 0;
    static constexpr size_t kBendLimit = 12;
    // Motion block.
    static constexpr size_t kMotionMode = 0;
    static constexpr size_t kMotionSpeed = 4;

    static size_t Length(Block b);
    static size_t Offset(Block b);
    static size_t Size();

    RegisterImage();

    std::span<std::uint8_t> Bytes(Block b);
    std::span<const std::uint8_t> Bytes(Block b) const;

    // Field access inside a block; a field that does not fit the block reads
    // as 0 and is not written.
    std::uint8_t GetU8(Block b, size_t at) const;
    void SetU8(Block b, size_t at, std::uint8_t v);
    std::uint16_t GetU16(Block b, size_t at) const;
    void SetU16(Block b, size_t at, std::uint16_t v);
    std::uint32_t GetU32(Block b, size_t at) const;
    void SetU32(Block b, size_t at, std::uint32_t v);
    std::int32_t GetI32(Block b, size_t at) const;
    void SetI32(Block b, size_t at, std::int32_t v);
    float GetFloat(Block b, size_t at) const;
    void SetFloat(Block b, size_t at, float v);

    static Block ChannelBlock(int channel) { return static_cast<Block>(kChannel1 + channel - 1); }
    static Block ChannelTable(int channel) {
        return static_cast<Block>(kChannelTable1 + channel - 1);
    }

    // Fills the cycle program block; nothing is sent.
    void FillCycleProgram(float speed, float upper, float lower, float hold,
                          std::int32_t repetitions, std::uint8_t kind, std::uint8_t flag);

private:
    bool Fits(Block b, size_t at, size_t n) const;

    std::array<std::uint8_t, 4096> bytes_{};
};

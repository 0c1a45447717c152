#pragma once

#include <cstdint>

#include "link/registerimage.h"

// How one device command moves its data.
enum class Direction : std::uint8_t {
    kRead = 0,            // request without data, the reply carries the block
    kWrite = 1,           // request carries the block, no reply
    kCommand = 2,         // request without data, no reply
    kRawText = 3,         // bytes sent as they are, the reply collected as text
    kWriteWithReply = 4,  // request carries the block, the reply carries it back
};

enum class Payload : std::uint8_t {
    kBlock,       // a block of the register image
    kNone,        // no data
    kParamByte,   // the low byte of the command's parameter
    kParamFloat,  // the parameter as a float
    kRawText,     // the link's raw text buffer
    kNoTransfer,  // nothing moves; only the decoder runs
};

// One row of the command table: what a device command code moves and how.
struct DeviceCommand {
    std::uint8_t code = 0;
    Payload payload = Payload::kNone;
    RegisterImage::Block block = RegisterImage::kIdentification;
    std::uint8_t length = 0;
    Direction direction = Direction::kCommand;
    bool decode = true;
    int sleepBeforeMs = 0;
};

// The row of a code, or nullptr for a code without one (it does nothing).
const DeviceCommand* FindDeviceCommand(int code);

// Device command codes the program sends by name.
namespace device_code {
constexpr int kIdentify = 0;
constexpr int kLiveSample = 1;
constexpr int kSetOutput = 5;
constexpr int kApplyChannels = 6;
constexpr int kAmbientTemperature = 11;
constexpr int kWriteChannelTableFirst = 14;  // + channel - 1
constexpr int kReadChannelTableFirst = 20;   // + channel - 1
constexpr int kReadInputWord = 41;
constexpr int kReadOutputWord = 58;
constexpr int kWriteChannelFirst = 80;  // + channel - 1
constexpr int kKey = 93;
constexpr int kCycleProgram = 94;
constexpr int kStatus = 95;
constexpr int kReadChannelFirst = 96;  // + channel - 1
constexpr int kBendProtection = 110;
constexpr int kBendProtectionReadBack = 111;
constexpr int kReadSetpoints = 114;
constexpr int kWriteSetpoints = 115;
constexpr int kReadCycleProgram = 120;
constexpr int kZeroOn = 128;
constexpr int kZeroOff = 129;
constexpr int kMotion = 130;
constexpr int kStopMotion = 160;
constexpr int kStartMode = 161;
constexpr int kRawText = 254;
}  // namespace device_code

// Key codes carried by device command 93.
namespace key_code {
constexpr int kUp = 2;
constexpr int kDown = 3;
constexpr int kStop = 5;
constexpr int kPumpOn = 6;
constexpr int kPumpOff = 7;
constexpr int kDriveStop = 34;
constexpr int kUpperClamp = 50;
constexpr int kUpperRelease = 51;
constexpr int kLowerClamp = 52;
constexpr int kLowerRelease = 53;
}  // namespace key_code

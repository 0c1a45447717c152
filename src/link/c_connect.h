#pragma once

#include <cstdint>

class C_Kanal;
class C_Config;

// One live reading as the unit's decoder hands it to the engine. The leading
// bytes are kept for the record's layout and never written.
struct SSample {
    std::uint8_t reserved[16] = {};
    double time = 0.0;
    double L = 0.0;  // displacement, the unit's raw value
    double F = 0.0;  // force, the unit's raw value
    double E = 0.0;  // extensometer
};

// The engine's sample entry, as the unit sees it.
class SampleSink {
public:
    virtual ~SampleSink() = default;
    virtual void PutSample(const SSample& sample) = 0;
};

// GetValue indexes.
namespace unit_value {
constexpr int kChannelFirst = 0;  // 0 to 9: refresh that channel from the unit's blocks
constexpr int kChannelLast = 9;
constexpr int kLiveSample = 10;
constexpr int kAmbientTemperature = 11;
constexpr int kOilTemperature = 12;
constexpr int kCyclesDone = 25;
constexpr int kInputWord = 26;
constexpr int kStatus = 27;
}  // namespace unit_value

// SetValue codes.
namespace unit_code {
constexpr int kWriteTableFirst = 0;  // 0 to 3: calibration tables of the given channel
constexpr int kWriteTableLast = 3;
constexpr int kWritePid = 4;
constexpr int kZoneSetpoints = 15;
constexpr int kProtections = 16;
constexpr int kSendCycleProgram = 20;
constexpr int kPresetCycleProgram = 21;
constexpr int kStopProgram = 22;
constexpr int kCommand25 = 25;
constexpr int kMoveToTarget = 26;
constexpr int kPresetZeroHold = 30;
}  // namespace unit_code

// A set-point, limit or target force as the unit takes it in a test zone.
// The operator types and reads compression as a positive number (the force
// readout shows it so); the unit works the compression zone (3) negative.
// Every value written to the unit for a zone goes through here.
constexpr double ZoneValueToUnit(int testZone, double value) {
    return testZone == 3 ? -value : value;
}

// The measuring and control unit as the test process drives it. Every
// operation has a harmless default, so an implementation overrides only what
// its unit supports.
class C_Connect {
public:
    virtual ~C_Connect() = default;

    // channels: the ten channels of the test process (index 0 unused).
    virtual bool Init(std::uint32_t /*owner*/, C_Kanal* /*channels*/, C_Config* /*config*/) {
        return false;
    }
    virtual void Close() {}
    // False while the unit does not answer (its reads then fail at once but
    // for a probe a second); true again after its first reply.
    virtual bool Answering() const { return true; }
    virtual void Idle() {}
    virtual void Reserved3() {}
    virtual void UpperGripClamp() {}
    virtual void UpperGripRelease() {}
    virtual void LowerGripClamp() {}
    virtual void LowerGripRelease() {}
    virtual void PumpOn() {}
    virtual void PumpOff() {}
    virtual void MoveUp() {}
    virtual void MoveDown() {}
    virtual void MoveStop() {}
    virtual void StartControl() {}
    virtual void HaltControl() {}
    virtual void IdleControl() {}
    virtual void Pause() {}
    virtual void Resume() {}
    // 0 stop, 1 up, 2 down.
    virtual void SetDirection(int /*direction*/) {}
    // 1 force, 2 displacement, 3 extensometer.
    virtual int ZeroChannel(int /*channel*/, bool /*on*/) { return 0; }
    virtual int Reserved20(int /*x*/) { return 0; }
    virtual void SetControlChannel(int /*channel*/, float /*speed*/) {}
    virtual void SetSpeed(float /*speed*/) {}
    virtual double GetValue(int /*index*/) { return -1.0; }
    virtual void SetValue(int /*channel*/, int /*code*/) {}
    virtual int Reserved25(int /*x*/) { return 0; }
    virtual void SetOutput(int /*output*/, bool /*on*/) {}
    virtual void Reserved27(bool /*flag*/) {}
    virtual bool Connect() { return false; }
};

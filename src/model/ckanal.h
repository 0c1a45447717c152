#pragma once

#include <array>
#include <cstdint>
#include <string>

class TConfigINI;

// One measuring channel: raw reading to value (offset, scale, calibration
// table, smoothing, tare), peak and rate, the speed set-point of closed-loop
// control and three one-shot limit tests. Used on the UI thread only; nothing
// on the sample path allocates.
class C_Kanal {
public:
    static constexpr int kMaxTablePoints = 100;
    // The unit's channel block carries this many points.
    static constexpr int kUnitTablePoints = 20;
    static constexpr int kMaxFilterLength = 1024;
    static constexpr int kRateSlopes = 10;
    // The typed 0.001 carries single-precision rounding everywhere else, so
    // the lower clamp does too.
    static constexpr double kMinSpeed = static_cast<double>(0.001f);

    double prevValue = 0.0;
    double prevTime = 0.0;
    double rawValue = 0.0;
    double tare = 0.0;
    std::array<double, 1000> slopeRing{};
    int ringPos = 0;
    std::array<double, kMaxTablePoints> segSlope{};
    std::array<double, kMaxTablePoints> segIntercept{};
    int filterPos = 0;
    std::array<double, kMaxFilterLength> filterWeights{};
    std::array<double, kMaxFilterLength> filterHistory{};
    int inUse = 0;
    double fullScale = 0.0;
    double breakPercent = 0.0;
    bool tableOn = false;
    double rawOffset = 0.0;
    double scaleDivisor = 0.0;
    double startThreshold = 0.0;
    int filterLength = 0;
    bool filterOn = false;
    std::uint8_t startGate = 0;
    bool setPointFired = false;
    bool protectionFired = false;
    // Quiet until the first Arm.
    bool breakFired = true;
    bool rawMode = false;
    std::string name;
    std::string speedUnit;
    std::string unit;
    int tablePoints = 0;
    std::array<double, kMaxTablePoints> tableX{};
    std::array<double, kMaxTablePoints> tableY{};
    double setPoint = 0.0;
    double protection = 0.0;
    double peak = 0.0;
    double value = 0.0;
    double gross = 0.0;
    double rateFactor = 0.0;
    double speed = 0.0;
    double rate = 0.0;
    double speedLimit = 0.0;
    double auxProtection = 0.0;
    double pidP = 0.0;
    double pidI = 0.0;
    double pidD = 0.0;
    double targetPosition = 0.0;

    void Setup(double rawSpan, double rawOffsetValue, double fullScaleValue, int filterLen,
               bool filterEnabled, bool tableEnabled, int points, TConfigINI* ini,
               const std::string& channelName, const std::string& channelSpeedUnit,
               double rateFactorValue);

    double Compute(double raw);
    double UpdateRate(double time);

    void Tare() { tare = gross; }
    void ClearTare() { tare = 0.0; }
    void ResetPeak() { peak = 0.0; }

    double GetSpeed() const { return speed; }
    void SetSpeed(float newSpeed);
    // op: 0 add, 1 subtract, 2 multiply, 3 divide.
    double SpeedOp(float operand, int op);

    bool CheckSetpoint();
    bool CheckProtect();
    bool CheckBreak();
    void Arm();

    void SetTableX(int index, double x);
    void SetTableY(int index, double y);
    void DefaultTable();
    void MakeSegments();
    void SetFilter(int length);

    TConfigINI* Config() const { return config_; }

private:
    int TablePointCount() const;
    int FilterWindow() const;
    void ClampSpeed();
    void ApplyTable();
    void FilterPush(double v);
    double FilterOut() const;

    TConfigINI* config_ = nullptr;
};

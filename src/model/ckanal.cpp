#include "model/ckanal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// Width of the Gaussian relative to the window; 0.5 / (c * N) lands on the
// single-precision 3.2 at the window's edge.
constexpr double kKernelWidth = 0.15624999767169360;

}  // namespace

void C_Kanal::Setup(double rawSpan, double rawOffsetValue, double fullScaleValue, int filterLen,
                    bool filterEnabled, bool tableEnabled, int points, TConfigINI* ini,
                    const std::string& channelName, const std::string& channelSpeedUnit,
                    double rateFactorValue) {
    config_ = ini;
    name = channelName;
    speedUnit = channelSpeedUnit;
    scaleDivisor = rawSpan + rawOffsetValue;
    rawOffset = rawOffsetValue;
    rawValue = 0.0;
    tablePoints = points;
    tableOn = tableEnabled;
    speed = 1.0;
    rateFactor = rateFactorValue;
    speedLimit = 300.0;
    setPoint = 0.0;
    protection = 100.0;
    peak = 0.0;
    fullScale = fullScaleValue;
    filterOn = filterEnabled;
    tare = 0.0;
    setPointFired = false;
    protectionFired = false;
    breakFired = true;
    breakPercent = 50.0;
    startThreshold = 0.0;
    startGate = 0;
    inUse = 1;
    SetFilter(filterLen);
    DefaultTable();
}

double C_Kanal::Compute(double raw) {
    if (rawMode) {
        rawValue = raw;
        value = rawValue;
    } else {
        rawValue = raw + rawOffset;
        // A channel without a span has no scale; 0 rather than inf or NaN on the readouts.
        value = scaleDivisor != 0.0 ? rawValue * fullScale / scaleDivisor : 0.0;
        if (tableOn) ApplyTable();
    }
    // A window of one value or none has no kernel: the value passes unchanged.
    if (filterOn && FilterWindow() / 2 > 0) {
        FilterPush(value);
        value = FilterOut();
    }
    gross = value;
    value -= tare;
    if (peak < value) peak = value;
    return value;
}

double C_Kanal::UpdateRate(double time) {
    const double dt = time - prevTime;
    const double oldValue = prevValue;
    prevTime = time;
    prevValue = value;
    if (dt == 0.0) return 0.0;

    if (ringPos < 0 || ringPos >= kRateSlopes) ringPos = 0;
    slopeRing[static_cast<size_t>(ringPos)] = (value - oldValue) / dt;
    ringPos = ringPos + 1 < kRateSlopes ? ringPos + 1 : 0;
    double sum = 0.0;
    for (int i = 0; i < kRateSlopes; ++i)
        sum += slopeRing[static_cast<size_t>(i)];
    rate = 0.1 * sum * rateFactor;
    return rate;
}

void C_Kanal::ClampSpeed() {
    // NaN compares false everywhere; it must end at the minimum, never at the limit.
    if (std::isnan(speed)) {
        speed = kMinSpeed;
        return;
    }
    if (speed > speedLimit) speed = speedLimit;
    if (speed < kMinSpeed) speed = kMinSpeed;
}

void C_Kanal::SetSpeed(float newSpeed) {
    speed = static_cast<double>(newSpeed);
    if (speed == 0.0) return;
    ClampSpeed();
}

double C_Kanal::SpeedOp(float operand, int op) {
    const long double s = speed;
    const long double x = operand;
    switch (op) {
        case 0:
            speed = static_cast<double>(s + x);
            break;
        case 1:
            speed = static_cast<double>(s - x);
            break;
        case 2:
            speed = static_cast<double>(s * x);
            break;
        case 3:
            if (x != 0.0L) speed = static_cast<double>(s / x);
            break;
        default:
            break;
    }
    ClampSpeed();
    return speed;
}

bool C_Kanal::CheckSetpoint() {
    if (gross <= 0.9 * setPoint) setPointFired = false;
    if (!setPointFired && setPoint != 0.0 && value >= setPoint) {
        setPointFired = true;
        return true;
    }
    return false;
}

bool C_Kanal::CheckProtect() {
    if (gross <= 0.98 * protection) protectionFired = false;
    if (!protectionFired && protection != 0.0 && gross >= protection) {
        protectionFired = true;
        return true;
    }
    return false;
}

bool C_Kanal::CheckBreak() {
    if (!breakFired && value < 0.01 * (100.0 - breakPercent) * peak && peak > 0.01 * fullScale &&
        breakPercent != 0.0) {
        breakFired = true;
        return true;
    }
    return false;
}

void C_Kanal::Arm() {
    setPointFired = false;
    protectionFired = false;
    breakFired = false;
    startGate = 0;
}

void C_Kanal::SetTableX(int index, double x) {
    if (index < 0 || index >= kMaxTablePoints) return;
    tableX[static_cast<size_t>(index)] = x;
    MakeSegments();
}

void C_Kanal::SetTableY(int index, double y) {
    if (index < 0 || index >= kMaxTablePoints) return;
    tableY[static_cast<size_t>(index)] = y;
    MakeSegments();
}

int C_Kanal::TablePointCount() const {
    return std::clamp(tablePoints, 0, kMaxTablePoints);
}

int C_Kanal::FilterWindow() const {
    return std::clamp(filterLength, 0, kMaxFilterLength);
}

void C_Kanal::DefaultTable() {
    const int n = TablePointCount();
    for (int i = 0; i < n; ++i) {
        const double v = (i + 1) * fullScale / n;
        tableY[static_cast<size_t>(i)] = v;
        tableX[static_cast<size_t>(i)] = v;
    }
    MakeSegments();
}

void C_Kanal::MakeSegments() {
    const int n = TablePointCount();
    if (n == 0) return;
    if (tableX[0] == 0.0) tableX[0] = 1.0;
    segSlope[0] = tableY[0] / tableX[0];
    segIntercept[0] = 0.0;
    for (size_t i = 1; i < static_cast<size_t>(n); ++i) {
        double d = tableX[i] - tableX[i - 1];
        if (d == 0.0) d = 1.0;
        segSlope[i] = (tableY[i] - tableY[i - 1]) / d;
        segIntercept[i] = (tableY[i] * tableX[i - 1] - tableY[i - 1] * tableX[i]) / d;
    }
}

void C_Kanal::ApplyTable() {
    const int n = TablePointCount();
    if (n == 0) return;
    const double v = value;
    if (n == 1) {
        value = v * segSlope[0] - segIntercept[0];
        return;
    }
    const size_t last = static_cast<size_t>(n - 1);
    size_t seg = last;
    if (v <= tableX[0]) {
        seg = 0;
    } else if (v >= tableX[last]) {
        // Proportional to the last point, not the last segment extended; a last
        // point of 0 (table not ascending) has no ratio, so its segment serves.
        if (tableX[last] != 0.0) {
            value = v * tableY[last] / tableX[last];
            return;
        }
    } else {
        for (size_t i = 1; i < last; ++i) {
            if (v <= tableX[i]) {
                seg = i;
                break;
            }
        }
    }
    value = v * segSlope[seg] - segIntercept[seg];
}

void C_Kanal::SetFilter(int length) {
    filterLength = std::clamp(length, 0, kMaxFilterLength);
    const int n = filterLength;
    const int h = n / 2;
    float sum = 0.0f;
    for (int i = 0; i < h; ++i) {
        const float t = static_cast<float>((i - 0.5 * n) / (kKernelWidth * n));
        const double tt = static_cast<double>(t);
        const double w = std::exp(-tt * tt);
        filterWeights[static_cast<size_t>(i)] = w;
        sum = static_cast<float>(sum + w);
    }
    for (int i = 0; i < h; ++i)
        filterWeights[static_cast<size_t>(i)] /= 2.0 * sum;
    filterHistory.fill(0.0);
    filterPos = 0;
    tare = 0.0;
}

void C_Kanal::FilterPush(double v) {
    const size_t n = static_cast<size_t>(FilterWindow());
    if (n == 0) return;
    const double stored = static_cast<double>(static_cast<float>(v));
    if (filterPos < 0) filterPos = 0;
    if (static_cast<size_t>(filterPos) < n) {
        filterHistory[static_cast<size_t>(filterPos)] = stored;
        ++filterPos;
        return;
    }
    // Full: slide by one, the oldest drops out.
    std::memmove(filterHistory.data(), filterHistory.data() + 1, (n - 1) * sizeof(double));
    filterHistory[n - 1] = stored;
}

double C_Kanal::FilterOut() const {
    const size_t h = static_cast<size_t>(FilterWindow() / 2);
    // Eight running sums let the additions overlap instead of waiting on one
    // another; each stays in single precision.
    constexpr size_t kLanes = 8;
    std::array<float, kLanes> acc{};
    size_t i = 0;
    for (; i + kLanes <= h; i += kLanes) {
        for (size_t k = 0; k < kLanes; ++k) {
            acc[k] +=
                static_cast<float>(filterHistory[i + k]) * static_cast<float>(filterWeights[i + k]);
            acc[k] += static_cast<float>(filterHistory[h + i + k]) *
                      static_cast<float>(filterWeights[h - 1 - i - k]);
        }
    }
    for (; i < h; ++i) {
        acc[0] += static_cast<float>(filterHistory[i]) * static_cast<float>(filterWeights[i]);
        acc[0] +=
            static_cast<float>(filterHistory[h + i]) * static_cast<float>(filterWeights[h - 1 - i]);
    }
    float sum = 0.0f;
    for (float a : acc)
        sum += a;
    return static_cast<double>(sum);
}

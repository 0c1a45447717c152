#include <cmath>

#include "engine/cwork.h"
#include "engine/eventsink.h"

namespace event {
constexpr int kStop = 2;
constexpr int kSetpointF = 49;    // 50 L, 51 E
constexpr int kProtectionF = 52;  // 53 L, 54 E
constexpr int kBreakF = 55;
}  // namespace event

double C_Work::StressOf(double force) const {
    // No usable cross-section (none entered, or nonsense) gives no stress
    // rather than inf or NaN in the buffer.
    if (!(area_ > 0.0) || !std::isfinite(area_)) return 0.0;
    const double stress = force * 1000.0 / area_;
    return std::isfinite(stress) ? stress : 0.0;
}

void C_Work::OnSample(const SSample& sample) {
    const double t = sample.time;
    C_Kanal& kf = Channel(1);
    C_Kanal& kl = Channel(2);
    C_Kanal& ke = Channel(3);
    const double f = kf.Compute(sample.F);
    const double l = kl.Compute(sample.L);
    const double e = ke.Compute(sample.E);
    kf.UpdateRate(t);
    kl.UpdateRate(t);
    ke.UpdateRate(t);
    stress_ = StressOf(f);
    SetSampleTime(t);
    CheckProtections();
    CheckBreak();

    if (!(state_ == kRunning || (recordInIdle && state_ == kSetUp))) return;

    // The first sample at the threshold is recorded; the second and the third
    // each restart the recording, so a settling grip does not start the curve.
    if (f >= kf.startThreshold && kf.startGate < 3 && state_ == kRunning) {
        if (kf.startGate > 0) {
            ClearBuffer();
            ++kf.startGate;
        }
        if (kf.startGate == 0) kf.startGate = 1;
    }
    if (!recording_ || kf.startGate == 0) return;

    C_Buffer& b = *buffer_;
    b.AddValue(0, GetTime());
    b.AddValue(1, f);
    b.AddValue(2, l);
    b.AddValue(4, stress_);
    if (sample.E != 0.0) {
        b.AddValue(3, e);
        lAtLastE_ = l;
        lastE_ = e;
    } else {
        // No extensometer reading: carry its value on by the displacement.
        b.AddValue(3, l - lAtLastE_ + lastE_);
    }
}

void C_Work::StopMotion() {
    SetSpeed(0.0f);
    if (!connected_) return;
    for (int c = 1; c <= 3; ++c) {
        C_Kanal& k = Channel(c);
        k.SetSpeed(0.0f);
        unitInUse_->SetSpeed(static_cast<float>(k.GetSpeed()));
    }
}

void C_Work::CheckProtections() {
    // The one-shot test posts once; while the limit stays reached in direction
    // mode 0 the motion is held on every sample. A limit of 0 is no limit.
    for (int c = 1; c <= 3; ++c) {
        C_Kanal& k = Channel(c);
        if (k.CheckProtect()) {
            StopMotion();
            events_.post(event::kProtectionF + c - 1);
        }
        if (c < 3 && k.protection != 0.0 && k.gross >= k.protection && directionMode_ == 0)
            StopMotion();
    }
}

void C_Work::CheckBreak() {
    if (Channel(1).CheckBreak() && state_ == kRunning && !verification) {
        events_.post(event::kStop);
        events_.post(event::kBreakF);
    }
    for (int c = 1; c <= 3; ++c) {
        if (Channel(c).CheckSetpoint()) events_.post(event::kSetpointF + c - 1);
    }
}

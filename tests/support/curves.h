#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/cbuffer.h"

// Tension curves with answers known in closed form, recorded as the engine
// records a test: time, force, displacement and extensometer per sample.
namespace testsupport::curves {

// Cross-section in mm² and the length over which the displacement is
// measured, mm.
struct Specimen {
    double area = 0.0;
    double gauge = 0.0;
    double Force(double stress) const { return stress * area / 1000.0; }
    double Length(double strain) const { return strain * gauge; }
};

struct Recording {
    std::vector<double> time;
    std::vector<double> force;
    std::vector<double> displacement;
    std::vector<double> extensometer;
    int Size() const { return static_cast<int>(force.size()); }

    void Add(double t, double f, double l) {
        time.push_back(t);
        force.push_back(f);
        displacement.push_back(l);
        extensometer.push_back(l);
    }
};

// Samples the stress-strain curve at even steps of strain up to strainEnd
// (samples of them, the first at strain 0), then the specimen breaks: the
// force falls to 1 % of its last value at the sample `samples`, and `tail`
// more samples follow there.
inline Recording Sample(const std::function<double(double)>& stress, double strainEnd, int samples,
                        const Specimen& s, int tail = 5, double dt = 0.01) {
    Recording r;
    const double step = strainEnd / (samples - 1);
    for (int i = 0; i < samples; ++i) {
        const double e = i * step;
        r.Add(i * dt, s.Force(stress(e)), s.Length(e));
    }
    const double rest = 0.01 * r.force.back();
    for (int i = 0; i < tail; ++i) {
        const double e = strainEnd + (i + 1) * step;
        r.Add((samples + i) * dt, rest, s.Length(e));
    }
    return r;
}

// A model of the curve (anything with Stress(strain)) sampled as Sample does.
template <class Model>
Recording SampleOf(const Model& c, double strainEnd, int samples, const Specimen& s, int tail = 5) {
    return Sample([&](double e) { return c.Stress(e); }, strainEnd, samples, s, tail);
}

// The model's curve up to its fracture strain.
template <class Model>
Recording ToFracture(const Model& c, int samples, const Specimen& s, int tail = 5) {
    return SampleOf(c, c.fractureStrain, samples, s, tail);
}

// A brittle specimen, straight to the break without yielding: 2 N/mm² and a
// strain of 1e-5 more at each of 200 samples, then a fall to almost nothing.
inline Recording Brittle(const Specimen& s) {
    Recording r;
    for (int i = 0; i < 200; ++i)
        r.Add(0.01 * i, s.Force(2.0 * i), s.Length(1e-5 * i));
    r.Add(2.0, 0.1, s.Length(0.002));
    return r;
}

// Too few samples to be a test: sample i reads i in every channel.
inline Recording Ramp(int samples) {
    Recording r;
    for (int i = 0; i < samples; ++i)
        r.Add(i, i, i);
    return r;
}

// Elastic to the yield stress, hardening in a straight line to the tensile
// strength, necking in a straight line down to the fracture stress.
struct Bilinear {
    double modulus = 200000.0;  // N/mm²
    double yield = 300.0;
    double hardening = 1500.0;  // N/mm² per unit strain
    double strength = 450.0;
    double fracture = 380.0;
    double fractureStrain = 0.14;

    double YieldStrain() const { return yield / modulus; }
    double UniformStrain() const { return YieldStrain() + (strength - yield) / hardening; }
    double Stress(double e) const {
        if (e <= YieldStrain()) return modulus * e;
        if (e <= UniformStrain()) return yield + hardening * (e - YieldStrain());
        const double u = UniformStrain();
        return strength - (strength - fracture) * (e - u) / (fractureStrain - u);
    }
    // Where the elastic line moved by `offset` (unit strain) meets the hardening line.
    double OffsetStress(double offset) const {
        // modulus * (e - offset) = yield + hardening * (e - yieldStrain)
        const double e =
            (yield - hardening * YieldStrain() + modulus * offset) / (modulus - hardening);
        return modulus * (e - offset);
    }
};

// An upper yield point: elastic to the peak, a fall within `fallStrain` to
// the lower yield stress, a flat plateau, then hardening and necking. With a
// `knee` the straight part ends there and a rounded rise (its slope falling
// evenly to 0) reaches the peak, as on real curves: the proportional limit
// then lies well below the upper yield point.
struct UpperYield {
    double modulus = 200000.0;
    double upper = 320.0;
    double lower = 290.0;
    double fallStrain = 0.00005;
    double plateauEnd = 0.02;
    double strength = 450.0;
    double uniformStrain = 0.15;
    double fracture = 400.0;
    double fractureStrain = 0.2;
    double knee = 0.0;  // 0: straight up to the peak

    double KneeStrain() const { return (knee > 0.0 ? knee : upper) / modulus; }
    double PeakStrain() const {
        return knee > 0.0 ? KneeStrain() + 2.0 * (upper - knee) / modulus : upper / modulus;
    }
    double Stress(double e) const {
        const double peak = PeakStrain();
        if (e <= KneeStrain()) return modulus * e;
        if (e <= peak) {
            const double d = e - KneeStrain();
            return knee + modulus * d - modulus * d * d / (2.0 * (peak - KneeStrain()));
        }
        if (e <= peak + fallStrain) return upper - (upper - lower) * (e - peak) / fallStrain;
        if (e <= plateauEnd) return lower;
        if (e <= uniformStrain)
            return lower + (strength - lower) * (e - plateauEnd) / (uniformStrain - plateauEnd);
        return strength -
               (strength - fracture) * (e - uniformStrain) / (fractureStrain - uniformStrain);
    }
};

// Straight to 250 N/mm², a rounded rise to an upper yield of 320, a fall to
// a plateau at 290, then hardening.
inline UpperYield RoundedKnee() {
    UpperYield c;
    c.knee = 250.0;
    c.fallStrain = 0.0002;
    return c;
}

// Ramberg-Osgood: strain = stress / E + 0.002 * (stress / proof)^n, so the
// 0.2 % offset yield strength is `proof` exactly. Small n bends over slowly,
// as annealed metals and aluminium alloys do.
struct RambergOsgood {
    double modulus = 70000.0;
    double proof = 250.0;
    double n = 8.0;

    double Strain(double stress) const {
        return stress / modulus + 0.002 * std::pow(stress / proof, n);
    }
    double Stress(double e) const {
        // Bisection: the strain grows with the stress.
        double lo = 0.0;
        double hi = modulus * e;
        for (int i = 0; i < 64; ++i) {
            const double mid = 0.5 * (lo + hi);
            (Strain(mid) < e ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
};

// Slack in the grips, taken up as the load grows: the displacement gains
// slack · (1 − exp(−σ / seated)) over the specimen's own elongation, so the
// curve starts with a toe that bends up into the straight part, which,
// carried down, meets the X axis at `slack`.
struct Slack {
    double slack = 0.2;    // mm
    double seated = 20.0;  // N/mm²: the slack left falls e-fold every `seated`
};

inline Recording WithSlack(const Recording& r, const Slack& g, const Specimen& s) {
    Recording out = r;
    for (size_t i = 0; i < out.displacement.size(); ++i) {
        const double stress = std::max(r.force[i], 0.0) * 1000.0 / s.area;
        out.displacement[i] += g.slack * (1.0 - std::exp(-stress / g.seated));
    }
    return out;
}

// The stress at which the line F = slope · (X − foot) meets the hardening
// line of the bilinear curve recorded with slack (force in kN, X in mm).
inline double OffsetStressWithSlack(const Bilinear& c, const Slack& g, const Specimen& s,
                                    double slope, double foot) {
    const auto gap = [&](double e) {
        const double stress = c.Stress(e);
        const double x = s.Length(e) + g.slack * (1.0 - std::exp(-stress / g.seated));
        return s.Force(stress) - slope * (x - foot);
    };
    double lo = c.YieldStrain();
    double hi = c.UniformStrain();
    for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lo + hi);
        (gap(mid) > 0.0 ? lo : hi) = mid;
    }
    return c.Stress(0.5 * (lo + hi));
}

// Deterministic noise, the same on every machine: uniform in
// [-amplitude, amplitude] on the force of every sample.
inline void AddForceNoise(Recording& r, double amplitude, std::uint64_t seed) {
    std::uint64_t state = seed;
    for (double& f : r.force) {
        // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        const double u = static_cast<double>(z >> 11) / 9007199254740992.0;  // [0, 1)
        f += amplitude * (2.0 * u - 1.0);
    }
}

// The channels emptied as a new test starts and the recording put in
// channels 0 to 3; the pictures of the last calculation stay.
inline void RecordKeepingPictures(const Recording& r, C_Buffer& b) {
    if (b.GetCanCount() < 7) b.SetCanCount(7);
    for (int c = 0; c < b.GetCanCount(); ++c)
        b.ClearCan(c);
    for (int i = 0; i < r.Size(); ++i) {
        b.AddValue(0, r.time[static_cast<size_t>(i)]);
        b.AddValue(1, r.force[static_cast<size_t>(i)]);
        b.AddValue(2, r.displacement[static_cast<size_t>(i)]);
        b.AddValue(3, r.extensometer[static_cast<size_t>(i)]);
    }
}

// A buffer as the engine makes it, holding the recording in channels 0 to 3.
inline void Record(const Recording& r, C_Buffer& b) {
    RecordKeepingPictures(r, b);
    b.ClearPics();
    b.ClearPrintRects();
}

inline double MaxOf(const std::vector<double>& v) {
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

}  // namespace testsupport::curves

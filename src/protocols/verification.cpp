#include "protocols/verification.h"

#include <cmath>

#include "platform/formatfloat.h"

namespace verification {

// The extremes are taken over the readings taken only: a run left at 0
// would otherwise pass for the minimum and print a spread as large as the
// reading itself on the certificate.
Figures Compute(float p, const std::array<float, 3>& readings) {
    Figures f;
    float sum = 0;
    int taken = 0;
    bool first = true;
    for (const float r : readings) {
        sum += r;
        if (r == 0) continue;
        ++taken;
        if (first || r > f.maximum) f.maximum = r;
        if (first || r < f.minimum) f.minimum = r;
        first = false;
    }
    if (taken == 0) return f;
    f.mean = sum / static_cast<float>(taken);
    f.spread = f.maximum - f.minimum;
    f.absError = f.mean - p;
    if (p != 0) {
        f.relError = std::fabs((f.mean - p) / p * 100.0f);
        f.relSpread = f.spread / p * 100.0f;
    }
    return f;
}

namespace {

std::string Number(float v) {
    return platform::FormatFloat("0.000", static_cast<double>(v));
}

}  // namespace

std::array<std::string, 9> RowTexts(float p, const std::array<float, 3>& readings) {
    const Figures f = Compute(p, readings);
    std::array<std::string, 9> row;
    row[0] = Number(p);
    for (int k = 0; k < 3; ++k) {
        const float r = readings[static_cast<std::size_t>(k)];
        row[static_cast<std::size_t>(k + 1)] = r == 0 ? "-" : Number(r);
    }
    const bool measured = f.mean != 0;
    const bool relative = measured && p != 0;
    row[4] = measured ? Number(f.mean) : "-";
    row[5] = relative ? Number(f.relError) : "-";
    row[6] = measured ? Number(f.absError) : "-";
    row[7] = relative ? Number(f.relSpread) : "-";
    row[8] = measured ? Number(f.spread) : "-";
    return row;
}

}  // namespace verification

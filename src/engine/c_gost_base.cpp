#include "engine/c_gost_base.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/standard_method.h"
#include "model/cbuffer.h"

namespace {

constexpr double kFar = std::numeric_limits<double>::infinity();

float F(double v) {
    return static_cast<float>(v);
}

// Keeps the first n samples of a channel, with the range of what is kept.
void KeepFirst(C_Buffer& b, int channel, int n) {
    if (channel < 0 || channel >= b.GetCanCount()) return;
    C_Buffer::SCan& c = b.cans[static_cast<size_t>(channel)];
    const size_t keep = static_cast<size_t>(std::max(n, 0));
    if (c.samples.size() <= keep) return;
    // The range stays when the samples cut away lie strictly inside it.
    bool inside = true;
    for (size_t i = keep; i < c.samples.size() && inside; ++i)
        inside = c.samples[i] > c.min && c.samples[i] < c.max;
    c.samples.resize(keep);
    c.count = static_cast<int>(keep);
    if (inside && keep > 0) return;
    c.min = c.max = 0.0;
    if (keep == 0) return;
    double lo = c.samples[0];
    double hi = lo;
    for (const double v : c.samples) {
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
    }
    c.min = lo;
    c.max = hi;
}

}  // namespace

double C_Gost_Base::DistToSegment(double px, double py, double ax, double ay, double bx,
                                  double by) {
    const double ux = bx - ax;
    const double uy = by - ay;
    const double vx = px - ax;
    const double vy = py - ay;
    const double d = ux * vx + uy * vy;
    const double l = ux * ux + uy * uy;
    if (l == 0.0) return 0.0;
    const double t = std::clamp(d / l, 0.0, 1.0);
    return std::sqrt(std::fabs(t * t * l - 2.0 * t * d + vx * vx + vy * vy));
}

std::span<const double> C_Gost_Base::Samples(int channel) const {
    if (buffer == nullptr || channel < 0 || channel >= buffer->GetCanCount()) return {};
    return buffer->cans[static_cast<size_t>(channel)].samples;
}

int C_Gost_Base::SampleCount() const {
    return static_cast<int>(std::min(Samples(xChannel).size(), Samples(yChannel).size()));
}

void C_Gost_Base::CutAt(int n) {
    for (int c = 0; c <= 5; ++c)
        KeepFirst(*buffer, c, n);
    KeepFirst(*buffer, kScratch, n - 1);
}

void C_Gost_Base::ResetAnalysis() {
    std::fill(std::begin(windowSlopes), std::end(windowSlopes), 0.0f);
    yMax = 0.0f;
    iMax = 0;
    yTangent = 0.0f;
    iTangent = 0;
    yProp = 0.0f;
    xProp = 0.0f;
    iProp = 0;
    yYield = 0.0f;
    iYield = 0;
    yOffset = 0.0f;
    iOffset = 0;
    plasticEnd = 0.0f;
    plasticMax = 0.0f;
    slope = 0.0f;
    intercept = 0.0f;
    xIntercept = 0.0f;
    elasticDY = 0.0f;
    elasticDX = 0.0f;
    iElasticStart = 0;
}

void C_Gost_Base::Analyse(bool useBoundPercent) {
    ResetAnalysis();
    FindMaxAndBreak();
    FindTangentPoint();
    if (useBoundPercent) SetElasticBoundByPercent(static_cast<float>(boundPercent));
    FindProportionalLimit();
    FitElasticLine();
    FindYieldPoint();
}

void C_Gost_Base::FindMaxAndBreak() {
    yMax = 0.0f;
    iMax = 0;
    if (buffer == nullptr) return;
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();
    for (int i = 0; i < n; ++i) {
        const float v = F(y[i]);
        if (v > yMax) {
            yMax = v;
            iMax = i;
        }
    }

    // The steps go to the scratch channel for a look at the noise.
    if (xChannel != kScratch && yChannel != kScratch) {
        const size_t steps = n > 1 ? static_cast<size_t>(n - 1) : 0;
        buffer->Rebuild(kScratch, steps, [&](size_t i) { return std::fabs(y[i + 1] - y[i]); });
    }

    // Without two steps before the maximum there is no measure of a normal step.
    if (iMax < 2) return;
    float sum = 0.0f;
    for (int i = 1; i < iMax; ++i)
        sum += F(std::fabs(y[i] - y[i - 1]));
    const float mean = sum / F(iMax - 1);

    // From the step after the maximum: the jump that reaches the maximum is
    // part of the curve, not its end.
    int cut = 0;
    for (int i = iMax + 1; i < n; ++i) {
        const float d = F(std::fabs(y[i] - y[i - 1]));
        if (d > 0.0f && d > 10.0f * mean) {
            cut = i;
            break;
        }
    }
    if (cut != 0 && truncateAtBreak != 0) CutAt(cut);
}

void C_Gost_Base::FindTangentPoint() {
    yTangent = 0.0f;
    iTangent = 0;
    const std::span<const double> x = Samples(xChannel);
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();
    const float third = yMax / 3.0f;
    int j = -1;
    for (int i = 0; i < n; ++i) {
        if (F(y[i]) > third) {
            j = i;
            break;
        }
    }
    if (j <= 0) return;
    const float x0 = F(x[0]);
    const double pivot = x0 - 5.0f * (F(x[j]) - x0);

    // The steepest ray from the pivot. Angles in the upper half-plane are
    // ordered by the sign of the cross product, which spares an arctangent
    // per sample; a ray straight back along the axis (angle pi) beats all.
    bool have = false;
    double bx = 0.0;
    double by = 0.0;
    int best = 0;
    for (int i = 0; i < n; ++i) {
        const double py = F(y[i]);
        const double px = static_cast<double>(F(x[i])) - pivot;
        if (!std::isfinite(py) || !std::isfinite(px)) continue;
        const bool straightBack = py == 0.0 && !std::signbit(py) && px < 0.0;
        bool wins;
        if (!have) {
            wins = py > 0.0 || straightBack;
        } else if (by == 0.0) {
            wins = false;
        } else if (py > 0.0) {
            wins = bx * py - by * px > 0.0;
        } else {
            wins = straightBack;
        }
        if (wins) {
            have = true;
            bx = px;
            by = py;
            best = i;
        }
    }
    iTangent = best;
    yTangent = F(y[best]);
}

void C_Gost_Base::SetElasticBoundByPercent(float pct) {
    const std::span<const double> y = Samples(yChannel);
    const int end = std::min(iMax, SampleCount());
    float threshold = yMax * pct * 0.01f;
    int k = 0;
    for (int i = 0; i < end; ++i) {
        if (F(y[i]) > threshold) {
            threshold = F(y[i]);
            k = i;
            break;
        }
    }
    if (pct != 0.0f) {
        yTangent = threshold;
        iTangent = k;
    }
}

void C_Gost_Base::FindProportionalLimit() {
    const std::span<const double> x = Samples(xChannel);
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();
    if (n < 2) return;

    const float h0 = 0.5f * yTangent;
    int j = 0;
    float yj = h0;
    const int tangentEnd = std::min(iTangent, n);
    for (int i = 0; i < tangentEnd; ++i) {
        if (F(y[i]) > h0) {
            j = i;
            yj = F(y[i]);
            break;
        }
    }
    // Two thirds of the secant's slope, raised by half the bound: the curve
    // comes nearest to it where it leaves the straight line.
    float s = 1.5f * F(x[j]);
    const double ax = 0.0;
    const double ay = h0;
    const double bx = 3.0f * s;
    const double by = 3.0f * yj + h0;

    const int last = std::min(iTangent + 99, n - 1);
    double best = kFar;
    int k = 0;
    for (int i = 1; i <= last; ++i) {
        const double d = DistToSegment(x[i], y[i], ax, ay, bx, by);
        if (d < best) {
            best = d;
            k = i;
        }
    }
    if (k == 0) return;
    iProp = k;
    yProp = F(y[k]);
    xProp = F(x[k]);
    if (s == 0.0f) s = 0.00001f;
    buffer->AddPicLine(xProp - s, yProp - yj, xProp + s, yProp + yj, kGrey);
}

void C_Gost_Base::FitElasticLine() {
    const std::span<const double> x = Samples(xChannel);
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();
    if (n == 0) return;
    const int propIndex = std::clamp(iProp, 0, n - 1);

    float y20 = 0.2f * yProp;
    float x20 = F(x[0]);
    float y80 = 0.8f * yProp;
    float x80 = F(x[propIndex]);
    int i = 0;
    iElasticStart = 0;
    for (; i < propIndex; ++i) {
        if (F(y[i]) > y20) {
            y20 = F(y[i]);
            x20 = F(x[i]);
            iElasticStart = i;
            break;
        }
    }
    for (; i < propIndex; ++i) {
        if (F(y[i]) > y80) {
            y80 = F(y[i]);
            x80 = F(x[i]);
            break;
        }
    }

    elasticDY = y80 - y20;
    elasticDX = x80 - x20;
    if (elasticDX == 0.0f) elasticDX = 1.0f;
    slope = elasticDY / elasticDX;
    if (!std::isfinite(slope)) slope = 0.0f;
    intercept = y20 - slope * x20;
    if (slope == 0.0f) slope = 1.0f;
    xIntercept = -intercept / slope;

    buffer->AddPicLine(xIntercept, 0.0f, x80 + 100.0f * elasticDX, y80 + 100.0f * elasticDY,
                       kGreen);

    // Unloading parallel to the elastic line: what stays of the elongation.
    const int last = n - 1;
    const float xl = F(x[last]);
    const float yl = F(y[last]);
    const int maxIndex = std::clamp(iMax, 0, last);
    const float xm = F(x[maxIndex]);
    const float ym = F(y[maxIndex]);
    buffer->AddPicLine(xl - yl / slope, 0.0f, xl, yl, kDarkGrey);
    buffer->AddPicLine(xm - ym / slope, 0.0f, xm, yMax, kDarkGrey);
    plasticEnd = xl - yl / slope;
    plasticMax = xm - ym / slope;
}

float C_Gost_Base::FindFlattestWindow(int& index) {
    const std::span<const double> t = Samples(0);
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();
    const auto time = [&](int i) { return static_cast<size_t>(i) < t.size() ? t[i] : 0.0; };
    const bool trace = xChannel != kScratch && yChannel != kScratch;
    SampleStore* scratch = trace && buffer != nullptr && buffer->GetCanCount() > kScratch
                               ? &buffer->cans[kScratch].samples
                               : nullptr;

    float best = std::numeric_limits<float>::infinity();
    int found = -1;
    const int limit = iProp + (iMax - iProp) / 3;
    size_t k = 0;
    for (int s = iProp; s < limit && s + 10 < n; s += 10, k += 10) {
        float sum = 0.0f;
        for (int w = 0; w < 10; ++w) {
            float dt = F(time(s + w + 1) - time(s + w));
            if (dt == 0.0f) dt = 0.001f;
            windowSlopes[w] = F(std::fabs(y[s + w + 1] - y[s + w])) / dt;
            sum += windowSlopes[w];
        }
        const float mean = sum / 10.0f;
        if (scratch != nullptr && k < scratch->size()) (*scratch)[k] = 10.0f * mean;
        if (mean < best) {
            best = mean;
            found = s + 5;
        }
    }
    if (found < 0) {
        index = 0;
        return 0.0f;
    }
    // The flat stretch follows the upper yield point: take the highest
    // sample before it (the bound stays fixed while the peak moves).
    const int end = found;
    float v = F(y[found]);
    for (int i = std::max(iProp, 0); i < end; ++i) {
        if (F(y[i]) > v) {
            v = F(y[i]);
            found = i;
        }
    }
    index = found;
    return v;
}

void C_Gost_Base::FindYieldPoint() {
    yYield = FindFlattestWindow(iYield);
}

void C_Gost_Base::FindOffsetYield(float pct) {
    const float offset = xChannel == 5 ? pct : 0.01f * gaugeLength * pct;
    yOffset = 0.0f;
    iOffset = 0;
    const float foot = xIntercept + offset;
    FindOffsetIntersection(slope, intercept, xProp, foot, yOffset, iOffset);
    DrawOffsetLine(slope, intercept, xProp, foot);
}

void C_Gost_Base::FindOffsetIntersection(float lineSlope, float /*lineIntercept*/, float xPropLimit,
                                         float foot, float& yFound, int& index) {
    yFound = 0.0f;
    index = 0;
    const std::span<const double> x = Samples(xChannel);
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();

    const double ax = foot;
    const double ay = 0.0;
    double bx = foot + 2.0f * xPropLimit;
    double by = 2.0f * lineSlope * xPropLimit;
    // A curve that bends over gradually (annealed steel, aluminium alloys)
    // meets the offset line well above the stretch drawn on the plot: search
    // along the line up to the maximum.
    const bool rising = lineSlope > 0.0f;
    if (rising && by < yMax) {
        by = yMax;
        bx = foot + yMax / lineSlope;
    }

    double best = kFar;
    int k = 0;
    bool reached = false;
    // The offset point is where the curve leaves the line to the right on
    // its way to the maximum. Slack in the grips makes a toe that can meet
    // the line long before that: nothing before the elastic stretch's start,
    // nor before the last sample left of the line below the maximum, counts.
    int first = std::max(iProp / 2 + 1, iElasticStart);
    if (rising && iMax < n) {
        for (int i = iMax; i > first; --i) {
            if (y[i] >= lineSlope * (x[i] - foot)) {
                first = i;
                break;
            }
        }
    }
    for (int i = n - 1; i >= first; --i) {
        const double d = DistToSegment(x[i], y[i], ax, ay, bx, by);
        if (d < best) {
            best = d;
            k = i;
        }
        if (!reached && y[i] <= lineSlope * (x[i] - foot)) reached = true;
    }
    // A curve that ends before it meets the line has no such point.
    if (k == 0 || (rising && !reached)) return;
    yFound = F(y[k]);
    index = k;
}

void C_Gost_Base::DrawOffsetLine(float lineSlope, float /*lineIntercept*/, float xPropLimit,
                                 float foot) {
    if (buffer == nullptr) return;
    buffer->AddPicLine(foot, 0.0f, foot + 2.0f * xPropLimit, 2.0f * lineSlope * xPropLimit,
                       kDarkGrey);
}

bool C_Gost_Base::ChooseChannels() {
    if (IndexOf("fOX") >= 0) xChannel = GetInt("fOX");
    if (IndexOf("fOY") >= 0) yChannel = GetInt("fOY");
    // Time, or a channel of another kind, on either axis is no strength curve.
    const bool deformation = xChannel == 2 || xChannel == 3 || xChannel == 5;
    const bool load = yChannel == 1 || yChannel == 4;
    return deformation && load;
}

void C_Gost_Base::RebuildStrainAndStress(int strainSource, float l0, double area) {
    if (buffer == nullptr) return;
    const std::span<const double> time = Samples(0);
    const std::span<const double> force = Samples(1);
    const std::span<const double> strain = Samples(strainSource);
    const size_t n = std::min({time.size(), force.size(), strain.size()});
    // In place: a repeat reuses the channels' memory and nothing is copied.
    buffer->Rebuild(5, n, [&](size_t i) { return strain[i] * 100.0 / l0; });
    buffer->Rebuild(4, n, [&](size_t i) { return force[i] * 1000.0 / area; });
}

void C_Gost_Base::ApplyHandSetPoints() {
    const std::span<const double> y = Samples(yChannel);
    const int n = SampleCount();
    const auto handSet = [&](const char* name, int automatic) {
        const double v = GetFloat(name);
        if (v == 0.0 || !(v >= 0.0 && v < n)) {
            SetFloat(name, static_cast<float>(automatic));
            return automatic;
        }
        return static_cast<int>(v);
    };
    const int prop = handSet("fPOSppc", iProp);
    if (prop != iProp) {
        iProp = prop;
        yProp = F(y[static_cast<size_t>(prop)]);
    }
    const int yield = handSet("fPOStec", iYield);
    if (yield != iYield) {
        iYield = yield;
        yYield = F(y[static_cast<size_t>(yield)]);
    }
}

std::string C_Gost_Base::VisibleName(int row, int group) const {
    int seen = 0;
    for (const S_Val& r : vals) {
        if (r.group != group || r.visible == 0) continue;
        if (seen++ == row) return r.name;
    }
    return {};
}

bool C_Gost_Base::MoveManualPoint(int row, int group, float position, double s0) {
    if (buffer == nullptr || buffer->GetCount(1) < 10) return false;
    const std::string name = VisibleName(row, group);
    if (!ChooseChannels()) return false;
    const int n = std::min(buffer->GetCount(1), SampleCount());
    if (n < 1) return false;

    // The slider's end is the last sample, not one past it.
    const double p = std::isfinite(position) ? std::clamp<double>(position, 0.0, 10000.0) : 0.0;
    const int i = std::min(static_cast<int>(buffer->GetCount(1) * p * 0.0001), n - 1);
    buffer->ClearPics();

    const float v = F(Samples(yChannel)[static_cast<size_t>(i)]);
    if (name == "fPT" || name == "fST") {
        iYield = i;
        yYield = v;
        SetForceStress(*this, "fPT", "fST", yYield, yChannel, s0);
        SetFloat("fPOStec", static_cast<float>(i));
    } else if (name == "fPPC" || name == "fSPC") {
        iProp = i;
        yProp = v;
        SetForceStress(*this, "fPPC", "fSPC", yProp, yChannel, s0);
        SetFloat("fPOSppc", static_cast<float>(i));
    }
    return Usable(s0);
}

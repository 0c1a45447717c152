#include "model/cbuffer.h"

#include <algorithm>
#include <iterator>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void C_Buffer::SetCanCount(int n) {
    cans.clear();
    if (n > 0) cans.resize(static_cast<size_t>(n));
    // Here, not on the first sample of the test: taking a channel's first
    // memory costs a fault or two of the system's page tables.
    for (SCan& c : cans)
        c.samples.Prime();
}

void C_Buffer::SetName(int channel, const std::string& text) {
    if (Valid(channel)) cans[static_cast<size_t>(channel)].name = text;
}

std::string C_Buffer::GetName(int channel) const {
    return Valid(channel) ? cans[static_cast<size_t>(channel)].name : std::string();
}

int C_Buffer::GetCount(int channel) const {
    return Valid(channel) ? cans[static_cast<size_t>(channel)].count : 0;
}

double C_Buffer::GetValue(int channel, int index) const {
    if (!Valid(channel)) return 0.0;
    const SCan& c = cans[static_cast<size_t>(channel)];
    if (index < 0 || index >= static_cast<int>(c.samples.size())) return 0.0;
    return c.samples[static_cast<size_t>(index)];
}

double C_Buffer::GetMin(int channel) const {
    return Valid(channel) ? cans[static_cast<size_t>(channel)].min : 0.0;
}

double C_Buffer::GetMax(int channel) {
    if (!Valid(channel)) return 0.0;
    SCan& c = cans[static_cast<size_t>(channel)];
    if (c.samples.empty()) {
        c.min = c.max = 0.0;
        return 0.0;
    }
    // Every full redraw of a plot rescans: four ranges side by side keep the
    // comparisons from waiting on one another. Each keeps the first of equal
    // samples as one running range would, and a NaN first sample stays.
    const double* v = c.samples.data();
    const size_t n = c.samples.size();
    double lo[4] = {v[0], v[0], v[0], v[0]};
    double hi[4] = {v[0], v[0], v[0], v[0]};
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        for (size_t k = 0; k < 4; ++k) {
            hi[k] = v[i + k] > hi[k] ? v[i + k] : hi[k];
            lo[k] = v[i + k] < lo[k] ? v[i + k] : lo[k];
        }
    }
    for (; i < n; ++i) {
        hi[0] = v[i] > hi[0] ? v[i] : hi[0];
        lo[0] = v[i] < lo[0] ? v[i] : lo[0];
    }
    for (size_t k = 1; k < 4; ++k) {
        hi[0] = hi[k] > hi[0] ? hi[k] : hi[0];
        lo[0] = lo[k] < lo[0] ? lo[k] : lo[0];
    }
    // Only a zero has two faces that compare equal: the first one seen wins.
    if (hi[0] == 0.0) hi[0] = *std::find(v, v + n, 0.0);
    if (lo[0] == 0.0) lo[0] = *std::find(v, v + n, 0.0);
    c.min = lo[0];
    c.max = hi[0];
    return hi[0];
}

void C_Buffer::ClearCan(int channel) {
    if (!Valid(channel)) return;
    SCan& c = cans[static_cast<size_t>(channel)];
    c.samples.clear();  // keeps the capacity: the next test appends without allocating
    c.count = 0;
    c.min = c.max = 0.0;
}

void C_Buffer::WidenAll(double& min, double& max, const double* values, size_t n, bool first) {
    if (n == 0) return;
    if (first) {
        min = max = values[0];
        ++values;
        --n;
    }
    // A NaN range never widens again.
    if (min != min || max != max) return;
    // Independent chains: one chain of compares is bound by its latency. A
    // NaN sample changes no chain, as it changes no range one by one. Of
    // equal samples a chain keeps the first (the form of the processor's own
    // min and max); the order of equal values matters only for a zero, below.
    double lo[4] = {min, min, min, min};
    double hi[4] = {max, max, max, max};
    size_t i = 0;
#if defined(__SSE2__)
    // A loaded test is ranged as it is read: two samples an instruction.
    __m128d lo0 = _mm_set1_pd(min);
    __m128d lo1 = lo0;
    __m128d lo2 = lo0;
    __m128d lo3 = lo0;
    __m128d hi0 = _mm_set1_pd(max);
    __m128d hi1 = hi0;
    __m128d hi2 = hi0;
    __m128d hi3 = hi0;
    for (; i + 8 <= n; i += 8) {
        // max_pd(v, hi) is v > hi ? v : hi, NaN v included.
        const __m128d a = _mm_loadu_pd(values + i);
        const __m128d b = _mm_loadu_pd(values + i + 2);
        const __m128d c = _mm_loadu_pd(values + i + 4);
        const __m128d d = _mm_loadu_pd(values + i + 6);
        hi0 = _mm_max_pd(a, hi0);
        lo0 = _mm_min_pd(a, lo0);
        hi1 = _mm_max_pd(b, hi1);
        lo1 = _mm_min_pd(b, lo1);
        hi2 = _mm_max_pd(c, hi2);
        lo2 = _mm_min_pd(c, lo2);
        hi3 = _mm_max_pd(d, hi3);
        lo3 = _mm_min_pd(d, lo3);
    }
    hi0 = _mm_max_pd(hi1, hi0);
    hi2 = _mm_max_pd(hi3, hi2);
    lo0 = _mm_min_pd(lo1, lo0);
    lo2 = _mm_min_pd(lo3, lo2);
    _mm_storeu_pd(hi, hi0);
    _mm_storeu_pd(hi + 2, hi2);
    _mm_storeu_pd(lo, lo0);
    _mm_storeu_pd(lo + 2, lo2);
#endif
    for (; i + 4 <= n; i += 4) {
        for (size_t k = 0; k < 4; ++k) {
            const double v = values[i + k];
            hi[k] = v > hi[k] ? v : hi[k];
            lo[k] = v < lo[k] ? v : lo[k];
        }
    }
    for (; i < n; ++i)
        Widen(lo[0], hi[0], values[i]);
    double newMin = lo[0];
    double newMax = hi[0];
    for (size_t k = 1; k < 4; ++k) {
        newMin = lo[k] < newMin ? lo[k] : newMin;
        newMax = hi[k] > newMax ? hi[k] : newMax;
    }
    // Which of equal values the range holds shows only in the sign of a zero.
    // One by one, a zero minimum is the first zero to reach it (a later one is
    // not below it), and a zero maximum the last zero (each one is not above
    // it). A curve that starts at zero keeps the fast path.
    if (newMin == 0.0 && min != 0.0) newMin = *std::find(values, values + n, 0.0);
    if (newMax == 0.0) {
        const std::reverse_iterator<const double*> end(values);
        const auto last = std::find(std::reverse_iterator<const double*>(values + n), end, 0.0);
        if (last != end) newMax = *last;
    }
    min = newMin;
    max = newMax;
}

void C_Buffer::TakeSamples(int channel, SampleStore& samples, double min, double max) {
    if (!Valid(channel)) return;
    SCan& c = cans[static_cast<size_t>(channel)];
    std::swap(c.samples, samples);
    samples.clear();
    c.count = static_cast<int>(c.samples.size());
    c.min = c.count > 0 ? min : 0.0;
    c.max = c.count > 0 ? max : 0.0;
}

double* C_Buffer::Refill(int channel, size_t n) {
    SampleStore& s = cans[static_cast<size_t>(channel)].samples;
    s.clear();
    s.PrepareFor(n);
    return s.Extend(n);
}

void C_Buffer::Settle(int channel) {
    SCan& c = cans[static_cast<size_t>(channel)];
    c.count = static_cast<int>(c.samples.size());
    c.min = c.max = 0.0;
    WidenAll(c.min, c.max, c.samples.data(), c.samples.size(), true);
}

void C_Buffer::ClearAll() {
    for (int i = 0; i < GetCanCount(); ++i)
        ClearCan(i);
    ClearPics();
    ClearPrintRects();
}

void C_Buffer::AddPicLine(float x1, float y1, float x2, float y2, int colour) {
    picLines.push_back({x1, y1, x2, y2, colour});
}

void C_Buffer::AddPicPoint(float labelX, float labelY, int colour, int firstChannel,
                           int secondChannel, int sampleIndex, const std::string& label) {
    picPoints.push_back({firstChannel, secondChannel, sampleIndex, labelX, labelY, label, colour});
}

void C_Buffer::ClearPics() {
    picPoints.clear();
    picLines.clear();
    printRects.clear();
}

void C_Buffer::AddPrintRect(float lowerX, float upperX, float upperY, float lowerY, int xChannel,
                            int yChannel) {
    printRects.push_back({xChannel, yChannel, lowerX, upperX, upperY, lowerY});
}

void C_Buffer::ClearPrintRects() {
    printRects.clear();
}

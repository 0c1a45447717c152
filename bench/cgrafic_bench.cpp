// The curve plot over a recorded tension test: the full redraw at ten
// thousand to a million samples on a 1000 x 600 plot (the display period is
// 100 ms, a redraw should stay under a frame of 16 ms), drawn by pixel column
// and, for comparison, one segment per sample; beside it one bare pass that
// finds each pixel column's smallest and largest sample, the yardstick of a
// redraw by column; and the live drawing of one new sample while a test runs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "controls/cgrafic.h"
#include "model/cbuffer.h"
#include "support/curves.h"

namespace {

using namespace testsupport::curves;

// A steel specimen of 10 mm diameter, 50 mm gauge, with the noise of a real
// load cell on the force.
Recording TensionTest(int samples) {
    const Specimen specimen{78.54, 50.0};
    const Bilinear model;
    Recording r = SampleOf(model, model.fractureStrain, samples, specimen, 100);
    AddForceNoise(r, 0.002 * MaxOf(r.force), 11);
    return r;
}

void Fill(C_Buffer& buffer, const Recording& r, int samples) {
    buffer.SetCanCount(7);
    buffer.SetName(1, "F,кН");
    buffer.SetName(2, "L,мм");
    for (int i = 0; i < samples; ++i) {
        const auto k = static_cast<size_t>(i);
        buffer.AddValue(0, r.time[k]);
        buffer.AddValue(1, r.force[k]);
        buffer.AddValue(2, r.displacement[k]);
        buffer.AddValue(3, r.extensometer[k]);
    }
}

// A whole tension test of the benchmark's length on a 1000 x 600 plot,
// displacement against force.
void ShowTest(benchmark::State& state, C_Buffer& buffer, CGrafic& plot) {
    const Recording r = TensionTest(static_cast<int>(state.range(0)));
    Fill(buffer, r, r.Size());
    plot.resize(1000, 600);
    plot.Init(&buffer, "L", "F", 2, 1);
}

void DrawGrid(benchmark::State& state, bool envelope) {
    const int samples = static_cast<int>(state.range(0));
    C_Buffer buffer;
    CGrafic plot;
    ShowTest(state, buffer, plot);
    plot.envelope = envelope;
    for (auto _ : state) {
        plot.DrawGrid();
    }
    state.SetComplexityN(samples);
}

void BM_DrawGrid(benchmark::State& state) {
    DrawGrid(state, true);
}

void BM_DrawGridEverySegment(benchmark::State& state) {
    DrawGrid(state, false);
}

// The same samples and view as BM_DrawGrid: each sample's pixel column, and
// the smallest and largest Y of every column.
void BM_MinMaxPass(benchmark::State& state) {
    const int samples = static_cast<int>(state.range(0));
    C_Buffer buffer;
    CGrafic plot;
    ShowTest(state, buffer, plot);
    plot.DrawGrid();  // the autoscaled view
    const plot::View v = plot.view;
    const double sx = v.plotWidth / v.spanX;
    const double* xs = buffer.cans[2].samples.data();
    const double* ys = buffer.cans[1].samples.data();
    const auto n = static_cast<size_t>(buffer.GetCount(2));
    const int columns = plot.width();
    std::vector<double> low(static_cast<size_t>(columns));
    std::vector<double> high(static_cast<size_t>(columns));
    for (auto _ : state) {
        std::fill(low.begin(), low.end(), std::numeric_limits<double>::infinity());
        std::fill(high.begin(), high.end(), -std::numeric_limits<double>::infinity());
        for (size_t i = 0; i < n; ++i) {
            const int c = std::clamp(static_cast<int>((xs[i] - v.lowerX + v.panX) * sx + v.borderX),
                                     0, columns - 1);
            const auto k = static_cast<size_t>(c);
            low[k] = std::min(low[k], ys[i]);
            high[k] = std::max(high[k], ys[i]);
        }
        benchmark::DoNotOptimize(low.data());
        benchmark::DoNotOptimize(high.data());
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(samples);
}

// One sample more per call, into a buffer that already holds a tenth of a
// million-sample test; the view has room for the rest of it.
void BM_AddDraw(benchmark::State& state) {
    const Recording r = TensionTest(1000000);
    C_Buffer buffer;
    const int start = 100000;
    Fill(buffer, r, start);
    CGrafic plot;
    plot.resize(1000, 600);
    plot.Init(&buffer, "L", "F", 2, 1);
    plot.SetOrigin(false, -1, 10, -5, 50);
    plot.DrawGrid();
    int redraws = 0;
    plot.OnOutBuffer = [&](CGrafic*) { ++redraws; };
    int next = start;
    for (auto _ : state) {
        if (next == r.Size()) {
            state.PauseTiming();
            Fill(buffer, r, start);
            plot.DrawGrid();
            next = start;
            state.ResumeTiming();
        }
        const auto k = static_cast<size_t>(next++);
        buffer.AddValue(0, r.time[k]);
        buffer.AddValue(1, r.force[k]);
        buffer.AddValue(2, r.displacement[k]);
        buffer.AddValue(3, r.extensometer[k]);
        plot.AddDraw();
    }
    state.counters["full redraws"] = redraws;
}

BENCHMARK(BM_DrawGrid)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_MinMaxPass)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_DrawGridEverySegment)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddDraw)->Unit(benchmark::kMicrosecond);

}  // namespace

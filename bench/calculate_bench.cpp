// The result calculation of the tension test over a whole recorded curve:
// maximum and break, elastic bound, proportional limit, elastic line, yield
// point, two offset points, the rebuilt strain and stress channels and the
// markers. Its cost has to grow with the samples and no faster.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "engine/c_gost_1497.h"
#include "model/cbuffer.h"
#include "support/curves.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport::curves;

// A round 10 mm specimen to its fracture, with a little force noise.
Recording NoisyTension(int samples) {
    const float area = static_cast<float>(CircleArea(10.0));
    const Specimen specimen{area, 5.65f * std::sqrt(area)};
    const Bilinear curve;
    Recording r = Sample([&](double e) { return curve.Stress(e); }, curve.fractureStrain, samples,
                         specimen, 100);
    AddForceNoise(r, 0.0005 * MaxOf(r.force), 1);
    return r;
}

void BM_Calculate1497(benchmark::State& state) {
    const int samples = static_cast<int>(state.range(0));
    testsupport::TempFolder folder;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    C_Gost_1497 method(MethodEnv{clock, random, nullptr, folder.path()});
    C_Buffer buffer;
    buffer.SetCanCount(7);
    method.SetBuffer(&buffer);

    const Recording r = NoisyTension(samples);
    // A repeat at every length: the first call, on fresh memory, is
    // BM_Calculate1497First.
    Record(r, buffer);
    method.Calculate();

    for (auto _ : state) {
        // Every run sees the whole recording, break included.
        state.PauseTiming();
        Record(r, buffer);
        method.ResetManualPoints();
        method.SetFloat("fLK", 0.0f);
        state.ResumeTiming();
        method.Calculate();
        benchmark::DoNotOptimize(buffer.picPoints.data());
    }
    state.SetComplexityN(samples);
    state.counters["fSB"] = method.GetFloat("fSB");
}

BENCHMARK(BM_Calculate1497)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The first calculation on a freshly recorded buffer, where the rebuilt
// channels have no storage yet; set beside a repeat (BM_Calculate1497).
void BM_Calculate1497First(benchmark::State& state) {
    const int samples = static_cast<int>(state.range(0));
    testsupport::TempFolder folder;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    C_Gost_1497 method(MethodEnv{clock, random, nullptr, folder.path()});

    const Recording r = NoisyTension(samples);

    for (auto _ : state) {
        state.PauseTiming();
        auto buffer = std::make_unique<C_Buffer>();
        buffer->SetCanCount(7);
        method.SetBuffer(buffer.get());
        Record(r, *buffer);
        method.ResetManualPoints();
        method.SetFloat("fLK", 0.0f);
        state.ResumeTiming();
        method.Calculate();
        benchmark::DoNotOptimize(buffer->picPoints.data());
        state.PauseTiming();
        method.SetBuffer(nullptr);
        buffer.reset();
        state.ResumeTiming();
    }
    state.counters["fSB"] = method.GetFloat("fSB");
}

BENCHMARK(BM_Calculate1497First)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

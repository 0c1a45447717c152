// One live sample through the test process while a test runs: F, L and E
// computed with their rates, stress, the protection, break and set-point
// tests, and one row appended. The allocation counter shows that nothing on
// the path allocates once the buffer has grown.

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "alloc_counter.h"
#include "engine/cwork.h"
#include "engine/eventsink.h"
#include "support/fake_unit.h"
#include "support/fixtures.h"

namespace {

class CountingSink final : public EventSink {
public:
    void post(int /*code*/) override { ++posted; }
    int posted = 0;
};

constexpr std::size_t kInputs = 4096;
// Rows per recorded test before the buffer is cleared (about an hour at 20 Hz).
constexpr int kRowsPerTest = 1 << 16;

// A rising force with some noise, the crosshead moving, the extensometer reading.
std::array<SSample, kInputs> MakeSamples() {
    std::array<SSample, kInputs> samples{};
    unsigned state = 12345u;
    for (std::size_t i = 0; i < kInputs; ++i) {
        state = state * 1103515245u + 12345u;
        const double noise = static_cast<double>((state >> 16) & 0x3ff) / 1024.0 - 0.5;
        const double x = static_cast<double>(i) / kInputs;
        samples[i].F = 2.92 * x + 0.01 * noise;
        samples[i].L = 0.8 * x + 0.001 * noise;
        samples[i].E = 0.1 * x + 0.0001 * noise;
    }
    return samples;
}

const std::array<SSample, kInputs> kSamples = MakeSamples();

void RunTest(benchmark::State& state, bool filterAndTable) {
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    CountingSink events;
    C_Work work(events, MethodEnv{clock, random});
    work.Init(std::make_unique<testsupport::FakeUnit>(), {});
    for (int c = 1; c <= 3; ++c) {
        C_Kanal& k = work.Channel(c);
        k.filterOn = filterAndTable;
        k.tableOn = filterAndTable;
        k.protection = 1e9;  // never reached: no stop commands on the path
        k.setPoint = 1e9;
    }
    work.SetArea(78.5);
    work.Command(1);

    // One whole test first: the buffer's vectors keep their capacity after a clear.
    SSample s;
    for (int r = 0; r < kRowsPerTest; ++r) {
        s = kSamples[static_cast<std::size_t>(r) % kInputs];
        s.time = r * 0.05;
        work.OnSample(s);
    }
    work.ClearBuffer();

    int rows = 0;
    std::size_t i = 0;
    const long long before = Allocations();
    for (auto _ : state) {
        s = kSamples[i];
        s.time = rows * 0.05;
        work.OnSample(s);
        i = (i + 1) % kInputs;
        if (++rows == kRowsPerTest) {
            work.ClearBuffer();
            rows = 0;
        }
    }
    benchmark::DoNotOptimize(work.Buffer().cans.data());
    ReportAllocations(state, before);
    work.Shutdown();
}

void BM_OnSample_Plain(benchmark::State& state) {
    RunTest(state, false);
}
BENCHMARK(BM_OnSample_Plain);

void BM_OnSample_FilterAndTable(benchmark::State& state) {
    RunTest(state, true);
}
BENCHMARK(BM_OnSample_FilterAndTable);

}  // namespace

BENCHMARK_MAIN();

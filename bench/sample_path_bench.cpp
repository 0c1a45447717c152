// The live sample path: every 50 ms each channel turns a raw reading into its
// value and the engine appends one row to the recorded test. Neither may
// allocate; the allocation counter below proves it per iteration.

#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>

#include "alloc_counter.h"
#include "model/cbuffer.h"
#include "model/ckanal.h"

namespace {

// A force curve with some noise, long enough that the table search and the
// branches do not settle on one path.
constexpr std::size_t kInputs = 4096;

std::array<double, kInputs> MakeRawInputs() {
    std::array<double, kInputs> raw{};
    unsigned state = 12345u;
    for (std::size_t i = 0; i < kInputs; ++i) {
        state = state * 1103515245u + 12345u;
        const double noise = static_cast<double>((state >> 16) & 0x3ff) / 1024.0 - 0.5;
        raw[i] = 2.92 * static_cast<double>(i) / kInputs + 0.01 * noise;
    }
    return raw;
}

const std::array<double, kInputs> kRaw = MakeRawInputs();

void SetUpForce(C_Kanal& k, bool filterOn, bool tableOn) {
    k.Setup(static_cast<double>(2.92f), 0.0, 1.0, 512, filterOn, tableOn, 20, nullptr, "F", "кН/c",
            1.0);
}

void ComputeLoop(benchmark::State& state, C_Kanal& k) {
    // Fill the filter window first: the steady state is what runs for hours.
    for (std::size_t i = 0; i < 1024; ++i)
        k.Compute(kRaw[i % kInputs]);
    std::size_t i = 0;
    const long long before = Allocations();
    for (auto _ : state) {
        benchmark::DoNotOptimize(k.Compute(kRaw[i]));
        i = (i + 1) % kInputs;
    }
    ReportAllocations(state, before);
}

void BM_Compute_Plain(benchmark::State& state) {
    C_Kanal k;
    SetUpForce(k, false, false);
    ComputeLoop(state, k);
}
BENCHMARK(BM_Compute_Plain);

void BM_Compute_FilterAndTable(benchmark::State& state) {
    C_Kanal k;
    SetUpForce(k, true, true);
    ComputeLoop(state, k);
}
BENCHMARK(BM_Compute_FilterAndTable);

constexpr int kColumns = 6;  // time, force, displacement, extensometer, stress, strain
// Rows per recorded test before the buffer is cleared (about an hour at 20 Hz).
constexpr int kRowsPerTest = 1 << 16;

void SetUpBuffer(C_Buffer& buffer) {
    buffer.SetCanCount(kColumns);
    // One full test grows the sample vectors once; clearing keeps their capacity.
    for (int r = 0; r < kRowsPerTest; ++r) {
        for (int c = 0; c < kColumns; ++c)
            buffer.AddValue(c, r * 0.1 + c);
    }
    for (int c = 0; c < kColumns; ++c)
        buffer.ClearCan(c);
}

void BM_Buffer_AddRow(benchmark::State& state) {
    C_Buffer buffer;
    SetUpBuffer(buffer);
    int rows = 0;
    std::size_t i = 0;
    const long long before = Allocations();
    for (auto _ : state) {
        const double t = rows * 0.05;
        buffer.AddValue(0, t);
        for (int c = 1; c < kColumns; ++c)
            buffer.AddValue(c, kRaw[(i + c) % kInputs]);
        i = (i + 1) % kInputs;
        if (++rows == kRowsPerTest) {
            for (int c = 0; c < kColumns; ++c)
                buffer.ClearCan(c);
            rows = 0;
        }
    }
    benchmark::DoNotOptimize(buffer.cans.data());
    ReportAllocations(state, before);
}
BENCHMARK(BM_Buffer_AddRow);

// One whole sample as the engine handles it: six channels computed, their
// rates updated, the limit tests run and one row appended.
void BM_SampleRow(benchmark::State& state) {
    std::array<C_Kanal, 7> ch;
    SetUpForce(ch[1], false, false);
    ch[2].Setup(1.0, 0.0, 1.0, 512, false, false, 20, nullptr, "L", "мм/мин", 60.0);
    ch[3].Setup(1.0, 0.0, 1.0, 512, false, false, 20, nullptr, "E", "мм/мин", 60.0);
    SetUpForce(ch[4], false, false);
    ch[5].Setup(1.0, 0.0, 1.0, 512, false, false, 20, nullptr, "L", "мм/мин", 60.0);
    ch[6].Setup(1.0, 0.0, 1.0, 512, false, false, 20, nullptr, "A", "гр", 60.0);
    for (auto& k : ch)
        k.Arm();
    C_Buffer buffer;
    SetUpBuffer(buffer);
    int rows = 0;
    std::size_t i = 0;
    const long long before = Allocations();
    for (auto _ : state) {
        const double t = rows * 0.05;
        bool fired = false;
        for (int c = 1; c <= 6; ++c) {
            C_Kanal& k = ch[static_cast<std::size_t>(c)];
            k.Compute(kRaw[(i + static_cast<std::size_t>(c)) % kInputs]);
            k.UpdateRate(t);
            fired |= k.CheckSetpoint() | k.CheckProtect() | k.CheckBreak();
        }
        benchmark::DoNotOptimize(fired);
        buffer.AddValue(0, t);
        buffer.AddValue(1, ch[1].value);
        buffer.AddValue(2, ch[2].value);
        buffer.AddValue(3, ch[3].value);
        buffer.AddValue(4, ch[1].value / 78.5);  // stress over a 10 mm round specimen
        buffer.AddValue(5, ch[3].value / 50.0);  // strain over a 50 mm gauge length
        i = (i + 1) % kInputs;
        if (++rows == kRowsPerTest) {
            for (int c = 0; c < kColumns; ++c)
                buffer.ClearCan(c);
            rows = 0;
        }
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_SampleRow);

// A long test recorded from an empty buffer, as the engine appends each
// sample to its five recorded channels. The counter is the longest single
// append of one sample: growing the storage must never stall the window.
// Beside it, the floors any append is measured against on this machine:
// max_empty_ms, the same timing loop with no work (the clock and the
// system's interruptions), and max_fault_ms, the longest first write to one
// fresh page of memory, over as many pages as the test takes.
void BM_RecordSamples(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::duration<double, std::milli>;
    const int samples = static_cast<int>(state.range(0));
    double longest = 0.0;
    double longestEmpty = 0.0;
    double longestFault = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto buffer = std::make_unique<C_Buffer>();
        buffer->SetCanCount(7);
        state.ResumeTiming();
        for (int r = 0; r < samples; ++r) {
            const auto start = Clock::now();
            const double v = kRaw[static_cast<std::size_t>(r) % kInputs];
            buffer->AddValue(0, r * 0.005);
            buffer->AddValue(1, v);
            buffer->AddValue(2, v * 0.1);
            buffer->AddValue(4, v / 78.5);
            buffer->AddValue(3, v * 0.01);
            const Ms took = Clock::now() - start;
            longest = std::max(longest, took.count());
        }
        benchmark::DoNotOptimize(buffer->cans.data());
        state.PauseTiming();
        buffer.reset();
        for (int r = 0; r < samples; ++r) {
            const auto start = Clock::now();
            benchmark::ClobberMemory();
            const Ms took = Clock::now() - start;
            longestEmpty = std::max(longestEmpty, took.count());
        }
        const std::size_t page = 4096;
        const std::size_t bytes = static_cast<std::size_t>(samples) * 5 * sizeof(double);
        void* const map =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map != MAP_FAILED) {
            auto* const at = static_cast<volatile char*>(map);
            for (std::size_t o = 0; o < bytes; o += page) {
                const auto start = Clock::now();
                at[o] = 1;
                const Ms took = Clock::now() - start;
                longestFault = std::max(longestFault, took.count());
            }
            ::munmap(map, bytes);
        }
        state.ResumeTiming();
    }
    state.counters["max_append_ms"] = longest;
    state.counters["max_empty_ms"] = longestEmpty;
    state.counters["max_fault_ms"] = longestFault;
}
BENCHMARK(BM_RecordSamples)->Arg(2000000)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();

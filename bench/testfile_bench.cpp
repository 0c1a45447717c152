// Saving and loading a long test: a million samples in each of the four
// saved channels (32 MB of samples). The goal is disk speed: the load is set
// beside a plain read of the same file with its CRC-32, warm and with memory
// as a fresh process finds it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/messagesink.h"
#include "support/event_queue.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace {

constexpr int kSamples = 1'000'000;

class Station {
public:
    Station() {
        work.Init(nullptr, testsupport::ListsOf(methodList, sampleTypes, paramLists));
        C_Buffer& b = work.Buffer();
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < kSamples; ++i)
                b.AddValue(c, c * 10.0 + i * 1e-3);
        }
        b.AddPrintRect(0, 1000, 50, 0, 2, 1);
    }

    std::string Path() const { return folder.File("long.ipc"); }

    testsupport::TempFolder folder;
    platform::StderrSink sink;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::EventQueue events;
    C_Work work{events, MethodEnv{clock, random, &sink, folder.path()}};
    std::vector<std::string> methodList;
    std::vector<std::string> sampleTypes;
    std::vector<std::string> paramLists[4];
};

Station& TheStation() {
    static Station station;
    return station;
}

void BM_SaveTest(benchmark::State& state) {
    Station& s = TheStation();
    for (auto _ : state) {
        if (!s.work.SaveTest(s.Path())) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * int64_t{4} * kSamples * 8);
}
BENCHMARK(BM_SaveTest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadTest(benchmark::State& state) {
    Station& s = TheStation();
    if (!s.work.SaveTest(s.Path())) state.SkipWithError("save failed");
    for (auto _ : state) {
        if (!s.work.LoadTestFile(s.Path())) state.SkipWithError("load failed");
    }
    if (s.work.Buffer().GetCount(3) != kSamples) state.SkipWithError("samples lost");
    state.SetBytesProcessed(state.iterations() * int64_t{4} * kSamples * 8);
}
BENCHMARK(BM_LoadTest)->Unit(benchmark::kMillisecond)->UseRealTime();

// Into memory as a fresh process finds it: a station of its own, whose load
// has no storage of an earlier load to reuse.
void BM_LoadTestFresh(benchmark::State& state) {
    Station& s = TheStation();
    if (!s.work.SaveTest(s.Path())) state.SkipWithError("save failed");
    for (auto _ : state) {
        state.PauseTiming();
        auto fresh = std::make_unique<Station>();
        ::malloc_trim(0);
        state.ResumeTiming();
        if (!fresh->work.LoadTestFile(s.Path())) state.SkipWithError("load failed");
        state.PauseTiming();
        if (fresh->work.Buffer().GetCount(3) != kSamples) state.SkipWithError("samples lost");
        fresh.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{4} * kSamples * 8);
}
BENCHMARK(BM_LoadTestFresh)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same file read through in pieces with its CRC-32, nothing kept.
void BM_PlainReadWithCrc(benchmark::State& state) {
    Station& s = TheStation();
    if (!s.work.SaveTest(s.Path())) state.SkipWithError("save failed");
    std::vector<unsigned char> piece(256 * 1024);
    for (auto _ : state) {
        const int fd = ::open(s.Path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) state.SkipWithError("open failed");
        uLong crc = crc32_z(0, nullptr, 0);
        for (;;) {
            const ssize_t got = ::read(fd, piece.data(), piece.size());
            if (got <= 0) break;
            crc = crc32_z(crc, piece.data(), static_cast<size_t>(got));
        }
        ::close(fd);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{4} * kSamples * 8);
}
BENCHMARK(BM_PlainReadWithCrc)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// Saving and loading a long test: a million samples in each of the four
// saved channels (32 MB of samples). The goal is disk speed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/messagesink.h"
#include "support/console_stand_in.h"
#include "support/event_queue.h"
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

}  // namespace

BENCHMARK_MAIN();

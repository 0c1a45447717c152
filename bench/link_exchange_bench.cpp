// One live-sample exchange of the serial link (request, reply, check) with
// the simulated unit over a pty. A pty has no baud rate, so this measures
// what the program and the kernel add; the wire's own limit is given beside
// it as a counter.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "link/devicecommands.h"
#include "link/qlm_com.h"
#include "link/registerimage.h"
#include "platform/sleeper.h"
#include "support/simulated_unit.h"

namespace {

// 7-byte request + 39-byte reply at 10 bits a byte (8N1).
constexpr double kWireExchangesPerSecond = 115200.0 / ((7 + 39) * 10);

void BM_LiveSampleExchange(benchmark::State& state) {
    testsupport::SimulatedUnit unit;
    unit.SetCurve({{0.1, 5.0, 0.5, 0.01}}, 0, 1);
    RegisterImage image;
    platform::RealSleeper sleeper;
    QLM_COM link(LinkContext{image, sleeper, nullptr}, {unit.DevicePath()});
    if (!link.Open(0)) {
        state.SkipWithError("the simulated unit did not answer");
        return;
    }
    std::uint8_t* live = image.Bytes(RegisterImage::kLive).data();
    std::int64_t failed = 0;
    for (auto _ : state) {
        if (!link.Transfer(device_code::kLiveSample, live, 32, Direction::kRead)) ++failed;
        benchmark::DoNotOptimize(image.GetFloat(RegisterImage::kLive, 4));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed"] = static_cast<double>(failed);
    state.counters["wire_limit_per_s"] = kWireExchangesPerSecond;
}
BENCHMARK(BM_LiveSampleExchange)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// One live-sample exchange of the serial link (request, reply, check) with
// the simulated unit over a pty. A pty has no baud rate, so this measures
// what the program and the kernel add; the wire's own limit is given beside
// it as a counter. And one pushed sample of the UDP link, from the unit's
// send to its decoding on the thread that drains the hand-over queue. And
// the call that starts a crosshead stop.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <thread>
#include <utility>

#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/qlm_com.h"
#include "link/qlm_udp.h"
#include "link/registerimage.h"
#include "link/stationlinks.h"
#include "platform/messagesink.h"
#include "platform/scheduler.h"
#include "platform/sleeper.h"
#include "platform/taskqueue.h"
#include "support/simulated_udp_unit.h"
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

class CountingDecoder final : public ReplyDecoder {
public:
    void DecodeReply(int /*code*/) override { ++decoded; }
    std::int64_t decoded = 0;
};

void BM_PushedSampleUdp(benchmark::State& state) {
    testsupport::SimulatedUdpUnit unit(0);
    unit.SetCurve({{0.1, 5.0, 0.5, 0.01}}, 0, 1);
    RegisterImage image;
    platform::RealSleeper sleeper;
    platform::TaskQueue ui;
    CountingDecoder decoder;
    QLM_UDP link(LinkContext{image, sleeper, &decoder}, ui);
    link.SetLocalAddress("127.0.0.1");
    link.SetAddress("127.0.0.1", unit.Port());
    if (!unit.IsOpen() || !link.Open(0)) {
        state.SkipWithError("the simulated unit did not answer, or its push port is taken");
        return;
    }
    link.Transfer(device_code::kLiveSample, image.Bytes(RegisterImage::kLive).data(), 32,
                  Direction::kRead);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!unit.Streaming() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    std::int64_t lost = 0;
    for (auto _ : state) {
        const std::int64_t before = decoder.decoded;
        unit.PushSamples(1);
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (decoder.decoded == before && std::chrono::steady_clock::now() < give_up)
            ui.Drain();
        if (decoder.decoded == before) ++lost;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["lost"] = static_cast<double>(lost);
}
BENCHMARK(BM_PushedSampleUdp)->UseRealTime()->Unit(benchmark::kMicrosecond);

class NoSamples final : public SampleSink {
public:
    void PutSample(const SSample& /*s*/) override {}
};

// Keeps the unit's scheduled steps for the benchmark to run between
// iterations, each at its time.
class DeferredSteps final : public platform::Scheduler {
public:
    void After(int ms, std::function<void()> task) override {
        tasks_.push_back(
            {std::chrono::steady_clock::now() + std::chrono::milliseconds(ms), std::move(task)});
    }
    void RunAll() {
        while (!tasks_.empty()) {
            auto next = std::move(tasks_.front());
            tasks_.pop_front();
            std::this_thread::sleep_until(next.first);
            next.second();
        }
    }

private:
    std::deque<std::pair<std::chrono::steady_clock::time_point, std::function<void()>>> tasks_;
};

// The call that starts a crosshead stop, on the real unit object and serial
// link against the simulated unit; its keys then go out between iterations,
// untimed.
void BM_MoveStop(benchmark::State& state) {
    testsupport::SimulatedUnit sim;
    platform::RealSleeper sleeper;
    NoSamples samples;
    platform::StderrSink messages;
    StationLinks links({sim.DevicePath()});
    DeferredSteps steps;
    DEVICE_QUELM unit(UnitDeps{sleeper, samples, messages, links, nullptr, nullptr, &steps});
    unit.Init(0, nullptr, nullptr);
    if (!unit.Connect()) {
        state.SkipWithError("the simulated unit did not answer");
        return;
    }
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        unit.MoveStop();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        steps.RunAll();
    }
    // Both keys of every stop reached the unit.
    std::int64_t keys = 0;
    for (const auto& r : sim.Requests())
        keys += r.code == device_code::kKey ? 1 : 0;
    state.counters["keys_per_stop"] =
        static_cast<double>(keys) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MoveStop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();

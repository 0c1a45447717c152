#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/c_connect.h"
#include "link/cycleprogramtarget.h"
#include "link/registerimage.h"
#include "link/unitdeps.h"

namespace testsupport {

// A unit that records every operation with its arguments, answers Init and
// Connect as scripted, and emits samples into the engine. Only Idle runs on
// the engine thread: it touches nothing but an atomic counter.
class FakeUnit final : public C_Connect, public CycleProgramTarget {
public:
    struct Call {
        std::string name;
        std::vector<double> args;
        bool operator==(const Call&) const = default;
    };

    explicit FakeUnit(bool initResult = true, bool connectResult = true)
        : initResult(initResult), connectResult(connectResult) {}

    bool initResult;
    bool connectResult;
    // Answers of GetValue by index; -1.0 for the others.
    std::map<int, double> values;
    // The engine's sample entry (the real unit is given it when it is made).
    SampleSink* sink = nullptr;
    // Where the unit reports its pump and grips (the window), when given.
    UnitStatusListener* status = nullptr;
    // False: the unit has stopped answering.
    bool answering = true;
    // Runs inside Init, where the real unit declares its settings.
    std::function<void(C_Kanal*, C_Config*)> onInit;

    std::uint32_t owner = 0;
    C_Kanal* channels = nullptr;
    C_Config* config = nullptr;
    // Where the cycle program block lands, laid out as on the unit.
    RegisterImage image;

    std::vector<Call> calls;
    std::atomic<int> idleCalls{0};

    void ClearLog() { calls.clear(); }
    int Count(std::string_view name) const {
        int n = 0;
        for (const Call& c : calls)
            n += c.name == name ? 1 : 0;
        return n;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Call& c : calls)
            names.push_back(c.name);
        return names;
    }

    void Emit(double time, double force, double displacement = 0.0, double extensometer = 0.0) {
        SSample s;
        s.time = time;
        s.F = force;
        s.L = displacement;
        s.E = extensometer;
        if (sink != nullptr) sink->PutSample(s);
    }

    bool Init(std::uint32_t ownerValue, C_Kanal* unitChannels, C_Config* unitConfig) override {
        owner = ownerValue;
        channels = unitChannels;
        config = unitConfig;
        Log("Init", {static_cast<double>(ownerValue)});
        if (onInit) onInit(unitChannels, unitConfig);
        return initResult;
    }
    void Close() override { Log("Close"); }
    bool Answering() const override { return answering; }
    void Idle() override {
        idleCalls.fetch_add(1);
        // The real unit waits 100 ms here; a short wait keeps the loop from spinning.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void Reserved3() override { Log("Reserved3"); }
    void UpperGripClamp() override { Log("UpperGripClamp"); }
    void UpperGripRelease() override { Log("UpperGripRelease"); }
    void LowerGripClamp() override { Log("LowerGripClamp"); }
    void LowerGripRelease() override { Log("LowerGripRelease"); }
    void PumpOn() override { Log("PumpOn"); }
    void PumpOff() override { Log("PumpOff"); }
    void MoveUp() override { Log("MoveUp"); }
    void MoveDown() override { Log("MoveDown"); }
    void MoveStop() override { Log("MoveStop"); }
    void StartControl() override { Log("StartControl"); }
    void HaltControl() override { Log("HaltControl"); }
    void IdleControl() override { Log("IdleControl"); }
    void Pause() override { Log("Pause"); }
    void Resume() override { Log("Resume"); }
    void SetDirection(int direction) override { Log("SetDirection", {double(direction)}); }
    int ZeroChannel(int channel, bool on) override {
        Log("ZeroChannel", {double(channel), on ? 1.0 : 0.0});
        return 0;
    }
    int Reserved20(int x) override {
        Log("Reserved20", {double(x)});
        return 0;
    }
    void SetControlChannel(int channel, float speed) override {
        Log("SetControlChannel", {double(channel), double(speed)});
    }
    void SetSpeed(float speed) override { Log("SetSpeed", {double(speed)}); }
    double GetValue(int index) override {
        Log("GetValue", {double(index)});
        const auto it = values.find(index);
        return it != values.end() ? it->second : -1.0;
    }
    void SetValue(int channel, int code) override {
        Log("SetValue", {double(channel), double(code)});
    }
    int Reserved25(int x) override {
        Log("Reserved25", {double(x)});
        return 0;
    }
    void SetOutput(int output, bool on) override {
        Log("SetOutput", {double(output), on ? 1.0 : 0.0});
    }
    void Reserved27(bool flag) override { Log("Reserved27", {flag ? 1.0 : 0.0}); }
    bool Connect() override {
        Log("Connect");
        return connectResult;
    }

    void SetCycleProgramBlock(float speed, float upper, float lower, float hold,
                              std::int32_t repetitions, std::uint8_t kind,
                              std::uint8_t flag) override {
        image.FillCycleProgram(speed, upper, lower, hold, repetitions, kind, flag);
        Log("SetCycleProgramBlock", {double(speed), double(upper), double(lower), double(hold),
                                     double(repetitions), double(kind), double(flag)});
    }
    void SetCycleRepetitions(std::int32_t repetitions) override {
        image.SetI32(RegisterImage::kCycleProgram, RegisterImage::kCycleRepetitions, repetitions);
        Log("SetCycleRepetitions", {double(repetitions)});
    }

private:
    void Log(std::string name, std::vector<double> args = {}) {
        calls.push_back({std::move(name), std::move(args)});
    }
};

}  // namespace testsupport

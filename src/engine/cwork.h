#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/c_gostwork.h"
#include "engine/methodenv.h"
#include "engine/protocolmaker.h"
#include "link/c_connect.h"
#include "model/cbuffer.h"
#include "model/ckanal.h"
#include "model/config.h"

class EventSink;
class TConfigINI;

namespace platform {
class Clock;
class RandomSource;
}  // namespace platform

// The test process: owns the configuration, the ten channels, the buffer,
// the method registry and the unit; keeps the test state and the time base
// of a recording; turns console command codes into unit operations and live
// samples into recorded rows. Everything but the engine thread runs on the
// user-interface thread.
class C_Work : public SampleSink {
public:
    using TextList = std::vector<std::string>;

    // Test states, named by the console command codes that enter them.
    static constexpr int kSetUp = 241;
    static constexpr int kRunning = 242;
    static constexpr int kFinished = 243;
    static constexpr int kChannels = 10;

    // The console's lists that the registry fills; a null one is not shown.
    struct ConsoleLists {
        TextList* methods = nullptr;
        TextList* sampleTypes = nullptr;
        std::array<TextList*, 4> params{};
    };

    // events stands in for the main window: every engine event is posted there.
    // env: clock, random source, message sink and program folder of the
    // station, handed on to the methods.
    C_Work(EventSink& events, const MethodEnv& env);
    const MethodEnv& Env() const { return env_; }
    ~C_Work() override;
    C_Work(const C_Work&) = delete;
    C_Work& operator=(const C_Work&) = delete;

    void SetIni(TConfigINI* ini) { ini_ = ini; }
    // The protocol maker the console made; set before Init, which hands it
    // the station's objects. The console keeps it.
    void SetReport(ProtocolMaker* report) { report_ = report; }
    // Builds the test station in its fixed order around the given unit, which
    // is connected here; without an answer (or without a unit) the process
    // stays unconnected and never reaches it. owner goes to the unit's Init.
    void Init(std::unique_ptr<C_Connect> unit, const ConsoleLists& lists, std::uint32_t owner = 0);
    // Texts of the configuration that did not convert, for the console to show.
    const std::vector<std::string>& ConfigErrors() const { return configErrors_; }
    // Closes the unit (after the engine thread has ended); nothing reaches it
    // afterwards.
    void Disconnect();
    // Ends the engine thread and waits for it. Also done by the destructor.
    void Shutdown();

    // Forwarders: nothing reaches a unit that is not connected.
    void DeviceCmd(int channel, int code);
    double ReadDevice(int index);
    void SetOutput(int output, bool on);
    void SetSpeed(float speed);
    void SelectChannel(int channel);
    void StartUnit();
    void HaltUnit();

    void SpeedPlus();
    void SpeedMinus();
    void SpeedDouble();
    void SpeedHalve();

    void SetSampleTime(double t) { sampleTime_ = t; }
    double GetTime() const { return sampleTime_ - timeOrigin_; }
    void ResetTimeOrigin() { timeOrigin_ = sampleTime_; }
    void ClearBuffer();
    void ResetForLoad();

    // Saved tests and text exports. Each reports its own failure (to the
    // environment's message sink) and then returns false; an older file of
    // that name survives a failed save.
    bool SaveTest(const std::string& fileName);
    // ResetForLoad, then LoadTest; neither happens unless the file reads
    // back sound.
    bool LoadTestFile(const std::string& fileName);
    // Checks the whole file first; a file that fails changes nothing.
    // Otherwise selects the stored method, gives it the file's parameters
    // and fills the buffer from the file.
    bool LoadTest(const std::string& fileName);
    bool ExportCsv(const std::string& fileName);
    bool ExportTxt(const std::string& fileName);
    std::string SpeedText() const;
    int GetVector() const;
    bool SelectMethod(int methodIndex, int sampleType, int extensometer);
    void FillConfigList(TextList& list, int group);
    void RefreshConfigList();

    void Command(int code);
    void MultiCycle();

    void PutSample(const SSample& sample) override { OnSample(sample); }
    void OnSample(const SSample& sample);

    // The display refresh hands over the current method's cross-section, mm².
    void SetArea(double area) { area_ = area; }

    // Set by the console: the method "Поверка" is selected (no break stop).
    bool verification = false;
    // Toggled by the console: samples are also recorded in set-up state.
    bool recordInIdle = false;
    // The program-wide test zone, read by the unit: 0 tension, 3 compression.
    int testZone = 0;

    C_Config& Config() { return *config_; }
    C_Kanal* Channels() { return channels_.get(); }
    C_Kanal& Channel(int i) { return channels_[static_cast<size_t>(i)]; }
    C_Buffer& Buffer() { return *buffer_; }
    C_GostWorks& Methods() { return *methods_; }
    ProtocolMaker* Report() const { return report_; }
    C_Connect* Unit() const { return unitInUse_; }

    bool Connected() const { return connected_; }
    int State() const { return state_; }
    // Counts the tests started (code 1): what belongs to one test run is
    // known by it, whatever its protocol number.
    int TestRun() const { return testRun_; }
    int ActiveChannel() const { return activeChannel_; }
    int DirectionMode() const { return directionMode_; }
    double JogSpeed() const { return jogSpeed_; }
    int LastJogCode() const { return lastJogCode_; }
    bool Recording() const { return recording_; }
    bool Paused() const { return paused_; }
    double SpeedSetPoint() const { return speedSetPoint_; }
    double SampleTime() const { return sampleTime_; }
    double TimeOrigin() const { return timeOrigin_; }
    double PauseTime() const { return pauseTime_; }
    double Area() const { return area_; }
    double Stress() const { return stress_; }
    double LAtLastE() const { return lAtLastE_; }
    double LastE() const { return lastE_; }
    bool ThreadRunning() const { return thread_.joinable(); }
    // How often the engine thread was started; a resume of a running thread
    // does not count.
    int ThreadStarts() const { return threadStarts_; }

    // Tells the protocol maker which method is current now.
    void MethodSelected();

private:
    void LoadConfig();
    void Start();
    void Jog(int code);
    void Pause();
    void Resume();
    void ResumeThread();
    void CheckProtections();
    void CheckBreak();
    void StopMotion();
    double StressOf(double force) const;

    EventSink& events_;
    MethodEnv env_;

    int lastJogCode_ = 0;
    C_Connect* unitInUse_ = nullptr;
    TConfigINI* ini_ = nullptr;
    TextList* configList_ = nullptr;
    int configListGroup_ = 0;
    double lAtLastE_ = 0.0;
    double lastE_ = 0.0;
    double area_ = 0.0;
    double stress_ = 0.0;
    double jogSpeed_ = 1.0;
    bool recording_ = true;
    // Between a pause and its resume: a second pause or a lone resume must
    // not move the time base.
    bool paused_ = false;
    std::unique_ptr<C_Connect> unit_;
    bool connected_ = false;
    std::unique_ptr<C_GostWorks> methods_;
    std::unique_ptr<C_Buffer> buffer_;
    // What a load reads into: after a load, the storage the buffer gave up,
    // so loading again takes no fresh memory.
    std::vector<SampleStore> loadStorage_;
    ProtocolMaker* report_ = nullptr;
    std::unique_ptr<C_Kanal[]> channels_;
    std::unique_ptr<C_Config> config_;
    double sampleTime_ = 0.0;
    double timeOrigin_ = 0.0;
    double pauseTime_ = 0.0;
    int activeChannel_ = 1;
    int directionMode_ = 0;
    int state_ = kSetUp;
    int testRun_ = 0;
    double speedSetPoint_ = 0.0;

    bool initialised_ = false;
    int threadStarts_ = 0;
    std::vector<std::string> configErrors_;
    // Last member: it ends before anything it could touch.
    std::jthread thread_;
};

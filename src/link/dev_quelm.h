#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/c_connect.h"
#include "link/cycleprogramtarget.h"
#include "link/qlm_connect.h"
#include "link/registerimage.h"
#include "link/stepqueue.h"
#include "link/unitdeps.h"

// The machine's measuring and control unit over one link at a time: declares
// the unit's settings, finds the unit, mirrors its data in the register image
// and turns every operation into device commands with the pauses the unit needs.
// With a scheduler an operation returns at once: its commands and pauses go
// out in order from the event loop, and a command asked for meanwhile follows
// them.
class DEVICE_QUELM : public C_Connect, public ReplyDecoder, public CycleProgramTarget {
public:
    enum LinkKindValue { kNoLink = 0, kSerialLink = 1, kUsbLink = 2, kUdpLink = 3 };
    // 0 idle, 1 running, 2 halting.
    enum RunStateValue : std::uint8_t { kIdle = 0, kRunning = 1, kHalting = 2 };

    static constexpr const char* kDefaultAddress = "192.168.16.254";
    static constexpr const char* kDefaultPort = "8081";

    explicit DEVICE_QUELM(UnitDeps deps);
    ~DEVICE_QUELM() override;
    DEVICE_QUELM(const DEVICE_QUELM&) = delete;
    DEVICE_QUELM& operator=(const DEVICE_QUELM&) = delete;

    bool Init(std::uint32_t owner, C_Kanal* channels, C_Config* config) override;
    // Sends what still waits (the last key of a stop) before the link closes.
    void Close() override;
    bool Answering() const override { return current_ == nullptr || current_->Answering(); }
    void Idle() override;
    void Reserved3() override {}
    void UpperGripClamp() override;
    void UpperGripRelease() override;
    void LowerGripClamp() override;
    void LowerGripRelease() override;
    void PumpOn() override;
    void PumpOff() override;
    void MoveUp() override;
    void MoveDown() override;
    void MoveStop() override;
    void StartControl() override;
    void HaltControl() override;
    void IdleControl() override;
    void Pause() override;
    void Resume() override;
    void SetDirection(int direction) override;
    int ZeroChannel(int channel, bool on) override;
    int Reserved20(int x) override { return x; }
    void SetControlChannel(int channel, float speed) override;
    void SetSpeed(float speed) override;
    double GetValue(int index) override;
    void SetValue(int channel, int code) override;
    int Reserved25(int /*x*/) override { return 0; }
    void SetOutput(int output, bool on) override;
    void Reserved27(bool /*flag*/) override {}
    bool Connect() override;

    void DecodeReply(int code) override;

    // Declares channel c's settings into group g of the configuration.
    void DefineChannel(int channel, int group);
    // Hands the motion state (mode, direction, speed, run state) to the unit.
    void ApplyMove();

    // The register image as the console reads and fills it.
    std::uint16_t GetInputWord() const;
    float GetAmbientTemperature() const;
    void ResetAmbientTemperature();
    int GetCyclesDone() const;
    // Fills the cycle program block; SetValue code 20 sends it.
    void SetCycleProgramBlock(float speed, float upper, float lower, float hold,
                              std::int32_t repetitions, std::uint8_t kind,
                              std::uint8_t flag) override;
    void SetCycleRepetitions(std::int32_t repetitions) override;

    const RegisterImage& Image() const { return image_; }
    bool Ready() const { return ready_; }
    int LinkKind() const { return linkKind_; }
    int ControlMode() const { return controlMode_; }
    int MoveDirection() const { return direction_; }
    float Speed() const { return speed_; }
    int RunState() const { return runState_; }
    bool Paused() const { return paused_; }
    const SSample& LastSample() const { return sample_; }
    std::uint32_t Owner() const { return owner_; }
    const std::string& AddressText() const { return addressText_; }
    const std::string& PortText() const { return portText_; }

private:
    struct Inputs {
        int kf1 = 0;
        int kf2 = 0;
        int kl1 = 0;
        int kl2 = 0;
        int ke1 = 0;
    };

    LinkContext Context();
    int Send(int code, float parameter = 0.0f);
    std::function<void()> SendLater(int code, float parameter);
    void Sleep(int ms);
    int Zone() const;
    Inputs ConfiguredInputs() const;
    C_Kanal* Channel(int channel) const;

    void Grip(const char* keyR, const char* keyZ, int keyCode, bool firstOn, bool secondOn);
    void SetChannelSpeed(float speed);
    void SendMotion();
    bool TryLink(std::unique_ptr<QLM_CONNECT>& link, int argument, int kind);
    bool TryUdp();
    bool ConnectNow();
    void SendCycleProgramShort(float speed, float target, std::uint8_t flag);
    void ReadImage();

    void CopyChannelFromImage(int channel);
    void WriteChannelTables(int channel);
    void DecodeStatus();
    void DecodeLive();

    UnitDeps deps_;
    // Declared before the links: they hold a reference to it.
    RegisterImage image_;
    StepQueue steps_;
    // Connect reads the image and answers at once: its pauses are slept.
    bool connecting_ = false;

    std::uint32_t owner_ = 0;
    C_Kanal* channels_ = nullptr;
    C_Config* config_ = nullptr;
    int controlMode_ = 0;
    int direction_ = 1;
    int savedDirection_ = 1;
    float speed_ = 1.0f;
    std::uint8_t runState_ = kIdle;
    bool paused_ = false;
    std::string portText_ = kDefaultPort;
    std::string addressText_ = kDefaultAddress;
    bool ready_ = false;
    int linkKind_ = kNoLink;

    std::unique_ptr<QLM_CONNECT> plain_;
    std::unique_ptr<QLM_CONNECT> serial_;
    std::unique_ptr<QLM_CONNECT> usb_;
    std::unique_ptr<QLM_CONNECT> udp_;
    QLM_CONNECT* current_ = nullptr;

    SSample sample_;
    std::array<std::uint8_t, 7> prevStatus_{};
    std::uint32_t prevOutputs_ = 0;
    bool bendReadBack_ = false;
};

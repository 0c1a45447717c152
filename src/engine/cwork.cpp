#include "engine/cwork.h"

#include <algorithm>
#include <iterator>

#include "engine/eventsink.h"
#include "engine/testfile.h"
#include "link/cycleprogramtarget.h"
#include "platform/formatfloat.h"

namespace {

struct ChannelSetup {
    int index;
    const char* name;
    const char* speedUnit;
    double rateFactor;
    double rawSpan;
};

// The force inputs span 2.92 as typed in single precision.
constexpr double kForceSpan = static_cast<double>(2.92f);

constexpr ChannelSetup kChannelSetups[] = {
    {1, "F", "кН/c", 1.0, kForceSpan}, {2, "L", "мм/мин", 60.0, 1.0}, {3, "E", "мм/мин", 60.0, 1.0},
    {4, "F", "кН/c", 1.0, kForceSpan}, {5, "L", "мм/мин", 60.0, 1.0}, {6, "A", "гр", 60.0, 1.0},
};

constexpr const char* kBufferNames[] = {"T,c", "F,кН", "L,мм", "E,мм", "P,МПа", "}, %"};
// The unit repeats a cycle program this often unless a program says otherwise.
constexpr std::int32_t kDefaultRepetitions = 100;

}  // namespace

C_Work::C_Work(EventSink& events, const MethodEnv& env)
    : events_(events),
      env_(env),
      methods_(std::make_unique<C_GostWorks>(env_)),
      buffer_(std::make_unique<C_Buffer>()),
      channels_(std::make_unique<C_Kanal[]>(kChannels)),
      config_(std::make_unique<C_Config>()) {}

C_Work::~C_Work() {
    Shutdown();
}

void C_Work::Init(std::unique_ptr<C_Connect> unit, const ConsoleLists& lists, std::uint32_t owner) {
    // The declarations are appended: a second Init would repeat them.
    if (initialised_) return;
    initialised_ = true;

    unit_ = std::move(unit);
    config_->Define(ini_);
    for (const ChannelSetup& s : kChannelSetups) {
        Channel(s.index).Setup(s.rawSpan, 0.0, 1.0, 512, false, false, 20, ini_, s.name,
                               s.speedUnit, s.rateFactor);
    }
    buffer_->SetCanCount(kBufferChannels);
    for (int c = 0; c < static_cast<int>(std::size(kBufferNames)); ++c)
        buffer_->SetName(c, kBufferNames[c]);
    methods_->Init(lists.methods, lists.sampleTypes, lists.params[0], lists.params[1],
                   lists.params[2], lists.params[3]);
    methods_->FillMethodList(0, buffer_.get());
    if (report_ != nullptr)
        report_->Init(channels_.get(), methods_->Current(), config_.get(), buffer_.get());
    if (auto* cycle = dynamic_cast<CycleProgramTarget*>(unit_.get()))
        cycle->SetCycleRepetitions(kDefaultRepetitions);
    LoadConfig();

    if (unit_ == nullptr || !unit_->Init(owner, channels_.get(), config_.get())) return;
    unitInUse_ = unit_.get();
    // Now the unit's own settings are declared and read as well.
    LoadConfig();
    if (!unitInUse_->Connect()) return;
    LoadConfig();
    connected_ = true;
}

void C_Work::LoadConfig() {
    // The same bad key fails on every load; the console shows it once.
    for (std::string& e : config_->Load()) {
        if (std::find(configErrors_.begin(), configErrors_.end(), e) == configErrors_.end())
            configErrors_.push_back(std::move(e));
    }
}

void C_Work::Disconnect() {
    // The engine thread steps the unit: it must be gone before the unit closes.
    Shutdown();
    if (connected_) unitInUse_->Close();
    connected_ = false;
    report_ = nullptr;
}

void C_Work::Shutdown() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

void C_Work::ResumeThread() {
    if (!connected_ || thread_.joinable()) return;
    ++threadStarts_;
    C_Connect* unit = unitInUse_;
    thread_ = std::jthread([unit](std::stop_token stop) {
        // Idle waits on the unit itself, so the loop does not spin.
        while (!stop.stop_requested())
            unit->Idle();
    });
}

void C_Work::DeviceCmd(int channel, int code) {
    if (connected_) unitInUse_->SetValue(channel, code);
}

double C_Work::ReadDevice(int index) {
    return connected_ ? unitInUse_->GetValue(index) : -1.0;
}

void C_Work::SetOutput(int output, bool on) {
    if (connected_) unitInUse_->SetOutput(output, on);
}

void C_Work::SetSpeed(float speed) {
    if (!connected_) return;
    C_Kanal& k = Channel(activeChannel_);
    k.SetSpeed(speed);
    unitInUse_->SetSpeed(static_cast<float>(k.GetSpeed()));
}

void C_Work::SelectChannel(int channel) {
    // Only F, L and E are under speed control.
    if (channel < 1 || channel > 3) return;
    activeChannel_ = channel;
    if (connected_)
        unitInUse_->SetControlChannel(channel, static_cast<float>(Channel(channel).GetSpeed()));
}

void C_Work::StartUnit() {
    if (!connected_) return;
    unitInUse_->StartControl();
    ResumeThread();
}

void C_Work::HaltUnit() {
    if (connected_) unitInUse_->HaltControl();
}

void C_Work::SpeedPlus() {
    speedSetPoint_ = Channel(activeChannel_).SpeedOp(0.5f, 0);
    if (connected_) unitInUse_->SetSpeed(static_cast<float>(speedSetPoint_));
}

void C_Work::SpeedMinus() {
    speedSetPoint_ = Channel(activeChannel_).SpeedOp(0.5f, 1);
    if (connected_) unitInUse_->SetSpeed(static_cast<float>(speedSetPoint_));
}

void C_Work::SpeedDouble() {
    speedSetPoint_ = Channel(activeChannel_).SpeedOp(2.0f, 2);
    if (connected_) unitInUse_->SetSpeed(static_cast<float>(speedSetPoint_));
}

void C_Work::SpeedHalve() {
    speedSetPoint_ = Channel(activeChannel_).SpeedOp(2.0f, 3);
    if (connected_) unitInUse_->SetSpeed(static_cast<float>(speedSetPoint_));
}

void C_Work::ClearBuffer() {
    buffer_->ClearAll();
    ResetTimeOrigin();
}

void C_Work::ResetForLoad() {
    for (int c : {1, 2, 3, 6})
        Channel(c).ResetPeak();
    buffer_->ClearAll();
    speedSetPoint_ = Channel(activeChannel_).GetSpeed();
    if (connected_) unitInUse_->SetSpeed(static_cast<float>(speedSetPoint_));
    ResetTimeOrigin();
}

std::string C_Work::SpeedText() const {
    const C_Kanal& k = channels_[static_cast<size_t>(activeChannel_)];
    return platform::FormatFloat("0.000 ", k.GetSpeed()) + k.speedUnit;
}

int C_Work::GetVector() const {
    const C_Parametr* m = methods_->Current();
    if (m == nullptr || m->IndexOf("iVECTOR") < 0) return -1;
    return m->GetInt("iVECTOR");
}

bool C_Work::SelectMethod(int methodIndex, int sampleType, int extensometer) {
    const bool selected = methods_->Select(methodIndex, sampleType, extensometer);
    MethodSelected();
    return selected;
}

void C_Work::MethodSelected() {
    if (report_ != nullptr) report_->SetParams(methods_->Current());
}

void C_Work::FillConfigList(TextList& list, int group) {
    list.clear();
    configList_ = &list;
    configListGroup_ = group;
    for (int i = 0; i < config_->Count(); ++i) {
        if (config_->InGroup(i, group))
            list.push_back(config_->GetCaption(i) + "=" + config_->ValueToText(i));
    }
}

void C_Work::RefreshConfigList() {
    if (!connected_ || configList_ == nullptr || configList_->empty()) return;
    TextList& list = *configList_;
    size_t row = 0;
    for (int i = 0; i < config_->Count(); ++i) {
        if (!config_->InGroup(i, configListGroup_)) continue;
        if (row >= list.size()) list.push_back("=");
        list[row++] = config_->GetCaption(i) + "=" + config_->ValueToText(i);
    }
}

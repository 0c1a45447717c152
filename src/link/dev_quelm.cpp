#include "link/dev_quelm.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "link/devicecommands.h"
#include "model/ckanal.h"
#include "model/config.h"
#include "platform/messagesink.h"
#include "platform/scheduler.h"
#include "platform/sleeper.h"

namespace {

using R = RegisterImage;

constexpr int kChannelsWithBlocks = 6;
// The unit's inputs that a live block carries after its time value.
constexpr int kLastInput = 6;

// The register image holds floats; a double beyond their range must not
// turn into undefined behaviour on the way.
float ToFloat(double v) {
    if (std::isnan(v)) return static_cast<float>(v);
    return static_cast<float>(
        std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

bool ValidInput(int n) {
    return n >= 0 && n <= kLastInput;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsDottedQuad(std::string_view s) {
    int parts = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = s.find('.', start);
        const std::string_view part =
            s.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (part.empty() || part.size() > 3) return false;
        int value = 0;
        const auto res = std::from_chars(part.data(), part.data() + part.size(), value);
        if (res.ec != std::errc() || res.ptr != part.data() + part.size() || value > 255)
            return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return parts == 4;
}

// A dotted IPv4 address, or a host name of letters, digits and hyphens in
// dot-separated labels. Anything else is not handed to the network layer.
bool IsSaneAddress(std::string_view s) {
    if (s.empty() || s.size() > 253) return false;
    const bool numeric =
        std::all_of(s.begin(), s.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    if (numeric) return IsDottedQuad(s);
    size_t start = 0;
    while (true) {
        const size_t dot = s.find('.', start);
        const std::string_view label =
            s.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (label.empty() || label.size() > 63) return false;
        if (label.front() == '-' || label.back() == '-') return false;
        for (char c : label) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '-';
            if (!ok) return false;
        }
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return true;
}

std::optional<int> ParsePort(std::string_view text) {
    const std::string_view s = TrimBlanks(text);
    if (s.empty()) return std::nullopt;
    int value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    if (value < 1 || value > 65535) return std::nullopt;
    return value;
}

// State of a grip from the output word. Bit positions exist for outputs 1
// to 32 only; any other number cannot be read from the word.
std::optional<bool> GripClosed(const C_Config* config, const char* key, std::uint32_t outputs) {
    if (config == nullptr || config->IndexOf(key) < 0) return std::nullopt;
    const int v = config->GetInt(key);
    const int n = v < 0 ? (v >= -32 ? -v : 0) : v;
    if (n < 1 || n > 32) return std::nullopt;
    return ((outputs >> (n - 1)) & 1u) != 0;
}

}  // namespace

DEVICE_QUELM::DEVICE_QUELM(UnitDeps deps) : deps_(deps), steps_(deps_.sleeper, deps_.scheduler) {
    plain_ = std::make_unique<QLM_CONNECT>(Context());
    current_ = plain_.get();
}

DEVICE_QUELM::~DEVICE_QUELM() {
    steps_.Flush();
    // The links may still deliver to the decoder; they go before the rest of us.
    current_ = nullptr;
    for (auto* link : {&udp_, &usb_, &serial_}) {
        if (*link) (*link)->Close();
        link->reset();
    }
}

LinkContext DEVICE_QUELM::Context() {
    return LinkContext{image_, deps_.sleeper, this};
}

int DEVICE_QUELM::Send(int code, float parameter) {
    if (current_ == nullptr) return 0;
    if (connecting_ || deps_.scheduler == nullptr) return current_->Command(code, parameter);
    // The pause the unit needs before some codes is waited out like ours.
    Sleep(QLM_CONNECT::PauseBeforeMs(code));
    if (steps_.Idle()) return current_->Command(code, parameter, true);
    // A polled read already waiting brings the same news.
    if (PolledRead(code) && steps_.Holds(code)) return current_->connected;
    steps_.Then(SendLater(code, parameter), code);
    return current_->connected;
}

// A block written later goes out as it was when the command was asked for;
// the image keeps what the program has put there since.
std::function<void()> DEVICE_QUELM::SendLater(int code, float parameter) {
    const DeviceCommand* row = FindDeviceCommand(code);
    const bool write =
        row != nullptr && row->payload == Payload::kBlock &&
        (row->direction == Direction::kWrite || row->direction == Direction::kWriteWithReply);
    if (!write) {
        return [this, code, parameter] {
            if (current_ != nullptr) current_->Command(code, parameter, true);
        };
    }
    const R::Block block = row->block;
    const auto bytes = image_.Bytes(block);
    std::vector<std::uint8_t> asked(bytes.begin(), bytes.end());
    const bool keepReply = row->direction == Direction::kWriteWithReply;
    return [this, code, parameter, block, keepReply, asked = std::move(asked)] {
        if (current_ == nullptr) return;
        const auto into = image_.Bytes(block);
        const std::vector<std::uint8_t> now(into.begin(), into.end());
        std::copy(asked.begin(), asked.end(), into.begin());
        current_->Command(code, parameter, true);
        if (!keepReply) std::copy(now.begin(), now.end(), into.begin());
    };
}

void DEVICE_QUELM::Sleep(int ms) {
    if (connecting_)
        deps_.sleeper.SleepMs(ms);
    else
        steps_.Pause(ms);
}

void DEVICE_QUELM::Close() {
    steps_.Flush();
}

int DEVICE_QUELM::Zone() const {
    return deps_.testZone != nullptr ? *deps_.testZone : 0;
}

DEVICE_QUELM::Inputs DEVICE_QUELM::ConfiguredInputs() const {
    Inputs in;
    if (config_ != nullptr) {
        in.kf1 = config_->iKF1;
        in.kf2 = config_->iKF2;
        in.kl1 = config_->iKL1;
        in.kl2 = config_->iKL2;
        in.ke1 = config_->iKE1;
    }
    return in;
}

C_Kanal* DEVICE_QUELM::Channel(int channel) const {
    // The engine's array has ten channels.
    if (channels_ == nullptr || channel < 1 || channel > 9) return nullptr;
    return &channels_[channel];
}

// ---------------------------------------------------------------- settings

bool DEVICE_QUELM::Init(std::uint32_t owner, C_Kanal* channels, C_Config* config) {
    owner_ = owner;
    channels_ = channels;
    config_ = config;
    ready_ = false;
    portText_ = kDefaultPort;
    addressText_ = kDefaultAddress;

    for (int c = 1; c <= 3; ++c)
        DefineChannel(c, 10 + c);

    if (config_ != nullptr) {
        config_->AddParam("         НАСТРОЙКИ СВЯЗИ С СЕРВЕРОМ LAN/Wi-Fi", "TITLE", "",
                          C_Parametr::kText, 7, "", "", "", 1, 0);
        config_->AddParamRef("IP", "iIP", &addressText_, 7, "", "", "", 1, 1);
        config_->AddParamRef("IP_Порт", "iPorts", &portText_, 7, "0", "", "", 1, 1);
    }

    current_ = plain_.get();
    linkKind_ = kNoLink;
    return true;
}

void DEVICE_QUELM::DefineChannel(int channel, int group) {
    C_Kanal* k = Channel(channel);
    if (k == nullptr || config_ == nullptr) return;
    k->rawMode = true;
    k->filterOn = false;
    k->tableOn = false;

    C_Config& cfg = *config_;
    const std::string c = std::to_string(channel);
    const int g = group;
    cfg.AddParamRef("Использовать канал(0-откл)", "iFILTER" + c, &k->inUse, g, "", "1", "0", 1, 1);
    cfg.AddParamRef("Название канала      ", "fCHNAME" + c, &k->name, g, "", "", "", 1, 1);
    cfg.AddParamRef("Единица измерения    ", "fCHSI" + c, &k->unit, g, "", "", "", 1, 1);
    cfg.AddParamRef("Единица измерения скорости   ", "fCHSPD" + c, &k->speedUnit, g, "", "", "", 1,
                    1);
    if (channel == 1) {
        cfg.AddParamRef("Порог начала записи графика, кН", "fKSTARTPROC", &k->startThreshold, g,
                        "0.0", "100000.0", "0", 1, 1);
    }
    cfg.AddParam(" ", "TITLE", "", C_Parametr::kText, g, "", "", "", 1, 0);
    cfg.AddParam("         НАСТРОЙКИ КАНАЛА ", "TITLE", "", C_Parametr::kText, g, "", "", "", 1, 0);
    cfg.AddParamRef("Максимальный параметр измерения", "fKNOMINAL" + c, &k->fullScale, g, "0.00",
                    "100000.0", "-100000.0", 1, 1);
    cfg.AddParamRef("Конец испытания, % от максимума", "fKENDPROC" + c, &k->breakPercent, g, "0.0",
                    "10000.0", "0", 1, 1);
    cfg.AddParamRef("Уставка (0-ОТКЛ)", "fKUSTAVKA" + c, &k->setPoint, g, "0.00", "100000.0", "0",
                    1, 1);
    cfg.AddParamRef("Защита ", "fKZASHITA" + c, &k->protection, g, "0.00", "100000.0", "0", 1, 1);
    cfg.AddParamRef("Предел скорости ", "fKMAXSPEED" + c, &k->speedLimit, g, "0.00", "100000.0",
                    "0", 1, 1);
    cfg.AddParam("  ", "TITLE" + c, "", C_Parametr::kText, g, "", "", "", 1, 0);
    cfg.AddParam("         ПАРАМЕТРЫ PID", "TITLE" + c, "", C_Parametr::kText, g, "", "", "", 1, 0);
    // The gains live in the unit: read at connect, written back with SetValue 4.
    cfg.AddParamRef("Значение P", "fKP" + c, &k->pidP, g, "0.0000", "100000.0", "0", 1, 0);
    cfg.AddParamRef("Значение I", "fKI" + c, &k->pidI, g, "0.0000", "100000.0", "0", 1, 0);
    cfg.AddParamRef("Значение D", "fKD" + c, &k->pidD, g, "0.0000", "100000.0", "0", 1, 0);
}

// ---------------------------------------------------------------- manual operations

void DEVICE_QUELM::Idle() {
    // The engine thread's step: a plain sleep, never the window's queue.
    deps_.sleeper.SleepMs(100);
}

void DEVICE_QUELM::PumpOn() {
    Send(device_code::kKey, key_code::kPumpOn);
}

void DEVICE_QUELM::PumpOff() {
    Send(device_code::kKey, key_code::kPumpOff);
}

void DEVICE_QUELM::MoveUp() {
    Send(device_code::kKey, key_code::kUp);
}

void DEVICE_QUELM::MoveDown() {
    Send(device_code::kKey, key_code::kDown);
}

void DEVICE_QUELM::MoveStop() {
    Sleep(50);
    Send(device_code::kKey, key_code::kDriveStop);
    Sleep(150);
    Send(device_code::kKey, key_code::kStop);
}

void DEVICE_QUELM::Grip(const char* keyR, const char* keyZ, int keyCode, bool firstOn,
                        bool secondOn) {
    if (config_ == nullptr || config_->IndexOf(keyR) < 0 || config_->IndexOf(keyZ) < 0) return;
    const int r = config_->GetInt(keyR);
    const int z = config_->GetInt(keyZ);
    // Negative outputs on both valves: the unit works the grip by its own key.
    if (r < 0 && z < 0) {
        Send(device_code::kKey, static_cast<float>(keyCode));
        return;
    }
    SetOutput(r, firstOn);
    SetOutput(z, secondOn);
}

void DEVICE_QUELM::UpperGripClamp() {
    Grip("iVZR", "iVZZ", key_code::kUpperClamp, false, true);
}

void DEVICE_QUELM::UpperGripRelease() {
    Grip("iVZR", "iVZZ", key_code::kUpperRelease, true, false);
}

void DEVICE_QUELM::LowerGripClamp() {
    Grip("iNZR", "iNZZ", key_code::kLowerClamp, false, true);
}

void DEVICE_QUELM::LowerGripRelease() {
    Grip("iNZR", "iNZZ", key_code::kLowerRelease, true, false);
}

void DEVICE_QUELM::SetOutput(int output, bool on) {
    // Any other number would name a different output once packed into the byte.
    if (output < 1 || output > 127) return;
    Send(device_code::kSetOutput, static_cast<float>((on ? 128 : 0) + output));
    Sleep(10);
}

int DEVICE_QUELM::ZeroChannel(int channel, bool on) {
    const Inputs in = ConfiguredInputs();
    const bool compression = Zone() == 3;
    int input = 0;
    switch (channel) {
        case 1:
            input = compression ? in.kf2 : in.kf1;
            break;
        case 2:
            input = compression ? in.kl2 : in.kl1;
            break;
        case 3:
            input = in.ke1;
            break;
        default:
            break;
    }
    // -1 marks a machine without that input.
    if (!ValidInput(input)) return 0;
    return Send(on ? device_code::kZeroOn : device_code::kZeroOff, static_cast<float>(input));
}

// ---------------------------------------------------------------- closed-loop motion

void DEVICE_QUELM::StartControl() {
    paused_ = false;
    runState_ = kRunning;
    direction_ = 1;
    PumpOn();
    ApplyMove();
}

void DEVICE_QUELM::HaltControl() {
    paused_ = false;
    runState_ = kHalting;
    direction_ = 1;
    ApplyMove();
}

void DEVICE_QUELM::IdleControl() {
    paused_ = false;
    runState_ = kIdle;
    PumpOn();
}

void DEVICE_QUELM::Pause() {
    // A second pause would save the stop as the direction to resume.
    if (paused_) return;
    savedDirection_ = direction_;
    direction_ = 0;
    ApplyMove();
    paused_ = true;
}

void DEVICE_QUELM::Resume() {
    if (!paused_) return;
    paused_ = false;
    direction_ = savedDirection_;
    ApplyMove();
}

void DEVICE_QUELM::SetDirection(int direction) {
    paused_ = false;
    savedDirection_ = direction_;
    direction_ = direction;
    ApplyMove();
}

void DEVICE_QUELM::SetControlChannel(int channel, float speed) {
    switch (channel) {
        case 1:
            controlMode_ = 0;
            break;
        case 2:
            controlMode_ = 1;
            break;
        case 3:
            controlMode_ = 2;
            break;
        default:
            break;
    }
    SetSpeed(speed);
}

void DEVICE_QUELM::SetSpeed(float speed) {
    speed_ = speed;
    // While paused the new speed waits for Resume; sending it would start the crosshead.
    if (paused_) {
        SetChannelSpeed(speed_);
        return;
    }
    ApplyMove();
}

void DEVICE_QUELM::SetChannelSpeed(float speed) {
    image_.SetFloat(R::ChannelBlock(controlMode_ + 1), R::kChannelSpeed, speed);
}

void DEVICE_QUELM::SendMotion() {
    if (runState_ != kRunning) return;
    Sleep(2);
    Send(device_code::kMotion);
    Sleep(2);
}

void DEVICE_QUELM::ApplyMove() {
    const Inputs in = ConfiguredInputs();
    const bool compression = Zone() == 3;
    const auto mode = static_cast<std::uint8_t>(controlMode_);
    auto setMotion = [&](std::uint8_t m, float v) {
        image_.SetU8(R::kMotion, R::kMotionMode, m);
        image_.SetFloat(R::kMotion, R::kMotionSpeed, v);
    };

    switch (direction_) {
        case 1: {
            SetChannelSpeed(speed_);
            float v = speed_ < 0.0f ? 1.0f : speed_;
            if (compression && in.kf1 == in.kf2) v = -speed_;
            setMotion(mode, v);
            SendMotion();
            break;
        }
        case 2: {
            SetChannelSpeed(speed_);
            float v = -speed_;
            if (compression && in.kl1 == in.kl2) v = speed_;
            setMotion(mode, v);
            SendMotion();
            break;
        }
        case 0:
            SetChannelSpeed(speed_);
            setMotion(mode, 0.0f);
            SendMotion();
            direction_ = 1;
            break;
        default:
            break;
    }

    switch (runState_) {
        case kRunning:
            Sleep(2);
            Send(device_code::kStartMode, mode);
            Sleep(2);
            break;
        case kIdle:
            SetChannelSpeed(0.0f);
            setMotion(0, 0.0f);
            direction_ = 1;
            break;
        case kHalting:
            Sleep(2);
            Send(device_code::kStopMotion);
            MoveStop();
            direction_ = 1;
            Sleep(2);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------- values

void DEVICE_QUELM::CopyChannelFromImage(int channel) {
    C_Kanal* k = Channel(channel);
    if (k == nullptr) return;
    const R::Block b = R::ChannelBlock(channel);
    const R::Block t = R::ChannelTable(channel);
    for (size_t i = 0; i < 10; ++i) {
        k->tableY[i] = image_.GetFloat(b, R::kChannelReference + 4 * i);
        k->tableX[i] = image_.GetFloat(b, R::kChannelMeasured + 4 * i);
        k->tableY[10 + i] = image_.GetFloat(t, R::kTableReference + 4 * i);
        k->tableX[10 + i] = image_.GetFloat(t, R::kTableMeasured + 4 * i);
    }
    k->tableOn = false;
    // The block carries twenty points; a larger count would reach points it never sent.
    k->tablePoints =
        std::min<int>(image_.GetU8(b, R::kChannelPointCount), C_Kanal::kUnitTablePoints);
    k->pidP = image_.GetFloat(b, R::kChannelPidP);
    k->pidI = image_.GetFloat(b, R::kChannelPidI);
    k->pidD = image_.GetFloat(b, R::kChannelPidD);
    k->fullScale = image_.GetFloat(b, R::kChannelFullScale);
    k->protection =
        image_.GetFloat(R::kSetpoints, R::kProtection1 + 4 * static_cast<size_t>(channel - 1));
}

double DEVICE_QUELM::GetValue(int index) {
    if (index >= 1 && index <= kChannelsWithBlocks) {
        CopyChannelFromImage(index);
        return -1.0;
    }
    switch (index) {
        case unit_value::kLiveSample:
            // The UDP link pushes its samples by itself.
            if (ready_ && (linkKind_ == kSerialLink || linkKind_ == kUsbLink))
                Send(device_code::kLiveSample);
            return -1.0;
        case unit_value::kAmbientTemperature:
            Send(device_code::kAmbientTemperature);
            return GetAmbientTemperature();
        case unit_value::kOilTemperature:
            return image_.GetFloat(R::kLive, 6 * 4);
        case unit_value::kCyclesDone:
            Send(device_code::kReadCycleProgram);
            return GetCyclesDone();
        case unit_value::kInputWord:
            Send(device_code::kReadInputWord);
            return -1.0;
        case unit_value::kStatus:
            if (ready_) {
                Send(device_code::kReadOutputWord);
                Send(device_code::kStatus);
            }
            return -1.0;
        default:
            return -1.0;
    }
}

void DEVICE_QUELM::WriteChannelTables(int channel) {
    C_Kanal* k = Channel(channel);
    if (k == nullptr) return;
    const R::Block b = R::ChannelBlock(channel);
    const R::Block t = R::ChannelTable(channel);
    const int points = std::clamp(k->tablePoints, 0, C_Kanal::kUnitTablePoints);
    image_.SetU8(b, R::kChannelHasPoints, points != 0 ? 1 : 0);
    image_.SetU8(b, R::kChannelPointCount, static_cast<std::uint8_t>(points));
    for (size_t i = 0; i < 10; ++i) {
        image_.SetFloat(b, R::kChannelReference + 4 * i, ToFloat(k->tableY[i]));
        image_.SetFloat(b, R::kChannelMeasured + 4 * i, ToFloat(k->tableX[i]));
        image_.SetFloat(t, R::kTableReference + 4 * i, ToFloat(k->tableY[10 + i]));
        image_.SetFloat(t, R::kTableMeasured + 4 * i, ToFloat(k->tableX[10 + i]));
    }
    Send(device_code::kWriteChannelFirst - 1 + channel);
    Sleep(200);
    Send(device_code::kWriteChannelTableFirst - 1 + channel);
    Sleep(200);
    Send(device_code::kApplyChannels);
}

void DEVICE_QUELM::SetValue(int channel, int code) {
    // The polled reads wait while blocks are being written.
    const bool wasReady = ready_;
    ready_ = false;
    const int zone = Zone();

    switch (code) {
        case 0:
        case 1:
        case 2:
        case 3:
            if (channel >= 1 && channel <= kChannelsWithBlocks) WriteChannelTables(channel);
            break;
        case unit_code::kWritePid:
            if (channels_ == nullptr) break;
            for (int c = 1; c <= 5; ++c) {
                const R::Block b = R::ChannelBlock(c);
                image_.SetFloat(b, R::kChannelPidP, ToFloat(channels_[c].pidP));
                image_.SetFloat(b, R::kChannelPidI, ToFloat(channels_[c].pidI));
                image_.SetFloat(b, R::kChannelPidD, ToFloat(channels_[c].pidD));
                Send(device_code::kWriteChannelFirst - 1 + c);
            }
            Send(device_code::kApplyChannels);
            break;
        case unit_code::kZoneSetpoints:
            if (channels_ == nullptr) break;
            if (zone == 0) {
                for (int c = 1; c <= 3; ++c)
                    image_.SetFloat(R::kSetpoints, R::kSetpoint1 + 4 * static_cast<size_t>(c - 1),
                                    ToFloat(channels_[c].setPoint));
            } else if (zone == 3) {
                image_.SetFloat(R::kSetpoints, R::kSetpoint1,
                                ToFloat(ZoneValueToUnit(zone, channels_[4].setPoint)));
                image_.SetFloat(R::kSetpoints, R::kSetpoint1 + 4,
                                ToFloat(ZoneValueToUnit(zone, channels_[5].setPoint)));
            }
            Send(device_code::kWriteSetpoints);
            break;
        case unit_code::kProtections:
            if (channels_ == nullptr) break;
            for (int c = 1; c <= 3; ++c)
                image_.SetFloat(R::kSetpoints, R::kProtection1 + 4 * static_cast<size_t>(c - 1),
                                ToFloat(channels_[c].protection));
            Sleep(10);
            Send(device_code::kWriteSetpoints);
            Sleep(100);
            for (int c = 4; c <= 5; ++c) {
                image_.SetU16(R::kBendProtection, R::kBendSelector,
                              static_cast<std::uint16_t>(c - 3));
                image_.SetFloat(R::kBendProtection, R::kBendLimit,
                                ToFloat(channels_[c].auxProtection));
                Send(device_code::kBendProtection);
            }
            break;
        case unit_code::kSendCycleProgram:
            Send(device_code::kCycleProgram);
            break;
        case unit_code::kPresetCycleProgram:
            Send(device_code::kStartMode, 0);
            Sleep(5);
            image_.FillCycleProgram(0.5f, 0.3f, 0.3f, 1.0f, 1, 1, 1);
            Send(device_code::kCycleProgram);
            break;
        case unit_code::kStopProgram:
            Send(device_code::kStopMotion);
            break;
        case unit_code::kCommand25:
            Send(25);
            break;
        case unit_code::kMoveToTarget: {
            const C_Kanal* k = Channel(2);
            Sleep(1);
            Send(device_code::kStartMode, 1);
            Sleep(1);
            SendCycleProgramShort(200.0f, k != nullptr ? ToFloat(k->targetPosition) : 0.0f, 1);
            break;
        }
        case unit_code::kPresetZeroHold:
            Sleep(1);
            Send(device_code::kStartMode, 0);
            Sleep(2);
            if (zone == 0 || zone == 3)
                SendCycleProgramShort(0.01f, ToFloat(ZoneValueToUnit(zone, 0.1)), 0);
            break;
        default:
            break;
    }

    ready_ = wasReady;
}

// ---------------------------------------------------------------- connect

bool DEVICE_QUELM::TryLink(std::unique_ptr<QLM_CONNECT>& link, int argument, int kind) {
    if (!link) return false;
    if (link->Open(argument)) {
        current_ = link.get();
        linkKind_ = kind;
        return true;
    }
    link->Close();
    return false;
}

bool DEVICE_QUELM::TryUdp() {
    if (udp_) {
        udp_->Close();
        udp_.reset();
    }
    // A broken address or port in the INI file is no reason to hand it to the network.
    const std::optional<int> port = ParsePort(portText_);
    const std::string address(TrimBlanks(addressText_));
    if (!IsSaneAddress(address) || !port) return false;
    udp_ = deps_.links.MakeUdp(Context(), address, *port);
    return TryLink(udp_, 0, kUdpLink);
}

void DEVICE_QUELM::ReadImage() {
    static constexpr int kReadOut[] = {2,  36, 37, 38, 39,  50,  51,  52, 53, 68, 69,
                                       96, 97, 98, 99, 100, 101, 139, 62, 60, 73, 114};
    for (int code : kReadOut)
        Send(code);
    for (int code = device_code::kReadChannelTableFirst;
         code < device_code::kReadChannelTableFirst + kChannelsWithBlocks; ++code) {
        Send(code);
        Sleep(100);
    }
    // The bending protections come back one at a time, chosen by the selector.
    for (int c = 4; c <= 5; ++c) {
        image_.SetU16(R::kBendProtection, R::kBendSelector, static_cast<std::uint16_t>(c - 3));
        bendReadBack_ = false;
        Send(device_code::kBendProtectionReadBack);
        if (bendReadBack_) {
            if (C_Kanal* k = Channel(c))
                k->auxProtection = image_.GetFloat(R::kBendProtection, R::kBendLimit);
        }
        Sleep(100);
    }
}

void DEVICE_QUELM::SendCycleProgramShort(float speed, float target, std::uint8_t flag) {
    image_.FillCycleProgram(speed, target, 0.0f, 0.0f, 0, 4, flag);
    Send(device_code::kCycleProgram);
}

bool DEVICE_QUELM::Connect() {
    steps_.Flush();
    connecting_ = true;
    const bool found = ConnectNow();
    connecting_ = false;
    return found;
}

bool DEVICE_QUELM::ConnectNow() {
    linkKind_ = kNoLink;
    ready_ = false;
    current_ = plain_.get();

    if (!serial_) serial_ = deps_.links.MakeSerial(Context());
    if (!TryLink(serial_, 0, kSerialLink)) {
        if (!usb_) usb_ = deps_.links.MakeUsb(Context());
        if (!TryLink(usb_, 255, kUsbLink)) TryUdp();
    }
    if (linkKind_ == kNoLink) {
        deps_.messages.ShowMessage("Ошибка", "ETHERNET PORT ERROR");
        return false;
    }

    ReadImage();
    for (int c = 1; c <= 3; ++c)
        GetValue(c);
    // The first live sample; on the UDP link it also starts the pushed samples.
    Send(device_code::kLiveSample);
    ready_ = true;
    return true;
}

// ---------------------------------------------------------------- replies

void DEVICE_QUELM::DecodeReply(int code) {
    switch (code) {
        case device_code::kStatus:
            DecodeStatus();
            break;
        case device_code::kLiveSample:
            DecodeLive();
            break;
        case device_code::kBendProtectionReadBack:
            bendReadBack_ = true;
            break;
        default:
            break;
    }
}

void DEVICE_QUELM::DecodeStatus() {
    const std::uint8_t pump = image_.GetU8(R::kStatus, R::kStatusPump);
    const std::uint32_t outputs = image_.GetU32(R::kOutputWord, 0);
    if (deps_.status != nullptr) {
        if (pump != prevStatus_[R::kStatusPump]) deps_.status->PumpChanged(pump != 0);
        if (outputs != prevOutputs_) {
            deps_.status->GripsChanged(GripClosed(config_, "iVZR", outputs),
                                       GripClosed(config_, "iNZR", outputs));
        }
    }
    for (size_t i = 0; i < prevStatus_.size(); ++i)
        prevStatus_[i] = image_.GetU8(R::kStatus, i);
    prevOutputs_ = outputs;
}

void DEVICE_QUELM::DecodeLive() {
    std::array<float, 8> f{};
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = image_.GetFloat(R::kLive, 4 * i);
    auto input = [&f](int n) { return static_cast<double>(f[static_cast<size_t>(1 + n)]); };

    const Inputs in = ConfiguredInputs();
    const int zone = Zone();
    sample_.time = f[0];
    if (zone == 0) {
        if (ValidInput(in.kf1)) sample_.F = input(in.kf1);
        if (ValidInput(in.kl1)) sample_.L = input(in.kl1);
    } else if (zone == 3) {
        // One input for both zones: compression reads it with the sign turned.
        if (in.kf1 == in.kf2) {
            if (ValidInput(in.kf1)) sample_.F = -input(in.kf1);
        } else if (ValidInput(in.kf2)) {
            sample_.F = input(in.kf2);
        }
        if (in.kl1 == in.kl2) {
            if (ValidInput(in.kl2)) sample_.L = -input(in.kl2);
        } else if (ValidInput(in.kl2)) {
            sample_.L = input(in.kl2);
        }
    }
    sample_.E = f[3];
    deps_.samples.PutSample(sample_);
}

// ---------------------------------------------------------------- register image for the console

std::uint16_t DEVICE_QUELM::GetInputWord() const {
    return static_cast<std::uint16_t>(image_.GetU32(R::kInputWord, 0) & 0xFFFF);
}

float DEVICE_QUELM::GetAmbientTemperature() const {
    return image_.GetFloat(R::kAmbientTemperature, 0);
}

void DEVICE_QUELM::ResetAmbientTemperature() {
    image_.SetFloat(R::kAmbientTemperature, 0, 0.0f);
}

int DEVICE_QUELM::GetCyclesDone() const {
    return image_.GetI32(R::kCycleProgram, R::kCycleDone);
}

void DEVICE_QUELM::SetCycleProgramBlock(float speed, float upper, float lower, float hold,
                                        std::int32_t repetitions, std::uint8_t kind,
                                        std::uint8_t flag) {
    // The limits are forces of the zone the unit works in.
    const int zone = Zone();
    image_.FillCycleProgram(speed, ToFloat(ZoneValueToUnit(zone, upper)),
                            ToFloat(ZoneValueToUnit(zone, lower)), hold, repetitions, kind, flag);
}

void DEVICE_QUELM::SetCycleRepetitions(std::int32_t repetitions) {
    image_.SetI32(R::kCycleProgram, R::kCycleRepetitions, repetitions);
}

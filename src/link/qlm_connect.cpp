#include "link/qlm_connect.h"

#include <cmath>

#include "platform/sleeper.h"

QLM_CONNECT::QLM_CONNECT(LinkContext context)
    : image_(context.image), sleeper_(context.sleeper), decoder_(context.decoder) {}

std::uint8_t ParameterByte(float parameter) {
    if (!std::isfinite(parameter)) return 0;
    // Truncated toward zero like the integer conversion it stands for; the
    // clamp keeps the conversion defined for any float.
    const double clamped = std::fmax(-2147483648.0, std::fmin(2147483647.0, parameter));
    return static_cast<std::uint8_t>(static_cast<std::int64_t>(clamped) & 0xFF);
}

bool PolledRead(int code) {
    switch (code) {
        case device_code::kLiveSample:
        case device_code::kStatus:
        case device_code::kReadOutputWord:
        case device_code::kReadInputWord:
        case device_code::kReadCycleProgram:
        case device_code::kAmbientTemperature:
            return true;
        default:
            return false;
    }
}

namespace {

bool AwaitsReply(Direction direction) {
    return direction == Direction::kRead || direction == Direction::kWriteWithReply;
}

}  // namespace

int QLM_CONNECT::PauseBeforeMs(int code) {
    const DeviceCommand* row = FindDeviceCommand(code);
    return row != nullptr ? row->sleepBeforeMs : 0;
}

int QLM_CONNECT::Command(int code, float parameter, bool pauseTaken) {
    if (!connected) return 0;
    const DeviceCommand* row = FindDeviceCommand(code);
    if (row == nullptr) return connected;

    // A silent unit is asked again only once a second.
    const bool reply = AwaitsReply(row->direction) && row->payload != Payload::kNoTransfer;
    if (reply && !answering_ && SteadyClock::now() < nextProbe_) {
        return code == 0 || code == 109 || code == 174 ? 0 : connected;
    }
    if (reply) {
        if (missed_ > 0)
            replyBudgetMs_ = kProbeReplyMs;
        else if (PolledRead(code))
            replyBudgetMs_ = kPolledReplyMs;
    }

    if (row->sleepBeforeMs > 0 && !pauseTaken) sleeper_.SleepMs(row->sleepBeforeMs);

    bool moved = true;
    switch (row->payload) {
        case Payload::kBlock:
            moved =
                Transfer(row->code, image_.Bytes(row->block).data(), row->length, row->direction);
            break;
        case Payload::kNone:
            moved = Transfer(row->code, nullptr, 0, row->direction);
            break;
        case Payload::kParamByte:
            image_.SetU8(RegisterImage::kParameter, 0, ParameterByte(parameter));
            moved = Transfer(row->code, image_.Bytes(RegisterImage::kParameter).data(), 1,
                             row->direction);
            break;
        case Payload::kParamFloat:
            image_.SetFloat(RegisterImage::kParameter, 0, parameter);
            moved = Transfer(row->code, image_.Bytes(RegisterImage::kParameter).data(), 4,
                             row->direction);
            break;
        case Payload::kRawText:
            moved = Transfer(row->code, rawText.data(), rawLength, row->direction);
            break;
        case Payload::kNoTransfer:
            break;
    }

    replyBudgetMs_ = 0;
    if (reply) {
        // One bad reply is noise on the line; a second in a row, or a probe
        // that fails, is a unit that does not answer.
        missed_ = moved ? 0 : missed_ + 1;
        answering_ = missed_ < kMissesForSilence;
        if (!answering_)
            nextProbe_ = SteadyClock::now() + std::chrono::milliseconds(kProbeIntervalMs);
    }

    // A reply that failed its check must not reach the decoder: for the live
    // block that would hand the previous sample to the engine as a new one.
    if (row->decode && moved && decoder_ != nullptr) decoder_->DecodeReply(row->code);

    if (code == 0 || code == 109 || code == 174) return moved ? 1 : 0;
    return connected;
}

void QLM_CONNECT::StartMode(std::uint8_t mode) {
    Command(device_code::kStartMode, static_cast<float>(mode));
}

void QLM_CONNECT::StopMotion() {
    Command(device_code::kStopMotion);
}

void QLM_CONNECT::SetCycleProgram(float speed, float upper, float lower, float hold,
                                  std::int32_t repetitions, std::uint8_t flag) {
    image_.FillCycleProgram(speed, upper, lower, hold, repetitions, 1, flag);
    Command(device_code::kCycleProgram);
}

void QLM_CONNECT::SetCycleProgramShort(float speed, float target, std::uint8_t flag) {
    image_.FillCycleProgram(speed, target, 0.0f, 0.0f, 0, 4, flag);
    Command(device_code::kCycleProgram);
}

void QLM_CONNECT::SetOutput(int output, bool on) {
    if (output < 1 || output > 127) return;
    Command(device_code::kSetOutput, static_cast<float>((on ? 128 : 0) + output));
}

std::uint16_t QLM_CONNECT::ReadWord() {
    Command(device_code::kReadInputWord);
    return static_cast<std::uint16_t>(image_.GetU32(RegisterImage::kInputWord, 0) & 0xFFFF);
}

#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/devicecommands.h"
#include "link/registerimage.h"

namespace platform {
class Sleeper;
}

// Runs after a transfer of a code whose row asks for it.
class ReplyDecoder {
public:
    virtual ~ReplyDecoder() = default;
    virtual void DecodeReply(int code) = 0;
};

// What every link shares with the unit: its register image, its sleeper and
// the decoder of replies.
struct LinkContext {
    RegisterImage& image;
    platform::Sleeper& sleeper;
    ReplyDecoder* decoder = nullptr;
};

// Base of the links. A plain object of this class refuses every command: the
// unit points at one until a link is found.
class QLM_CONNECT {
public:
    static constexpr size_t kRawTextSize = 1000;

    explicit QLM_CONNECT(LinkContext context);
    virtual ~QLM_CONNECT() = default;
    QLM_CONNECT(const QLM_CONNECT&) = delete;
    QLM_CONNECT& operator=(const QLM_CONNECT&) = delete;

    // Moves one block. True when it was moved and, for a reply, the reply
    // passed its check; the block is changed only then.
    virtual bool Transfer(std::uint8_t /*code*/, std::uint8_t* /*block*/, std::uint8_t /*length*/,
                          Direction /*direction*/) {
        return false;
    }
    // True when a unit answered; 0 asks the serial link to scan.
    virtual bool Open(int /*argument*/) { return false; }
    virtual void Close() {}

    // One device command: the transfer of its row, then the decoder. Returns
    // the transfer's result for codes 0, 109 and 174 and the connected flag
    // otherwise. `pauseTaken`: the caller has already waited out the pause
    // the row asks for before the code.
    //
    // A read whose reply does not come costs one wait of at most
    // kPolledReplyMs (for the reads the console polls). After that miss
    // every read waits at most kProbeReplyMs, so noise on the line costs
    // little; a second miss in a row (cable pulled, unit switched off) makes
    // the unit silent: reads then fail at once, without waiting on the line,
    // except one probe a second, until a reply comes again. Commands without
    // a reply still go out, so stopping the machine is never held up.
    int Command(int code, float parameter = 0.0f, bool pauseTaken = false);
    bool Answering() const { return answering_; }
    // The pause the unit needs before a code, in ms.
    static int PauseBeforeMs(int code);
    static constexpr int kPolledReplyMs = 200;
    static constexpr int kProbeReplyMs = 50;
    static constexpr int kProbeIntervalMs = 1000;
    static constexpr int kMissesForSilence = 2;

    void StartMode(std::uint8_t mode);
    void StopMotion();
    void SetCycleProgram(float speed, float upper, float lower, float hold,
                         std::int32_t repetitions, std::uint8_t flag);
    void SetCycleProgramShort(float speed, float target, std::uint8_t flag);
    // Output numbers outside 1..127 are never sent: the byte would name another output.
    void SetOutput(int output, bool on);
    // The low 16 bits of the input word, read anew.
    std::uint16_t ReadWord();

    bool IsConnected() const { return connected != 0; }

    std::uint8_t connected = 0;
    std::string deviceName;
    std::array<std::uint8_t, kRawTextSize> rawText{};
    std::uint8_t rawLength = 0;

protected:
    // How long the transfer under way waits for its reply: the link's own
    // wait, or less for a polled read or a probe.
    int ReplyWait(int linkWaitMs) const {
        return replyBudgetMs_ > 0 ? std::min(linkWaitMs, replyBudgetMs_) : linkWaitMs;
    }

    RegisterImage& image_;
    platform::Sleeper& sleeper_;
    ReplyDecoder* decoder_;

private:
    using SteadyClock = std::chrono::steady_clock;
    bool answering_ = true;
    int missed_ = 0;  // replies missed in a row
    SteadyClock::time_point nextProbe_{};
    int replyBudgetMs_ = 0;
};

// The reads the console repeats several times a second.
bool PolledRead(int code);

// The parameter of a one-byte command as the unit receives it.
std::uint8_t ParameterByte(float parameter);

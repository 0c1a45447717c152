#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/unit_registers.h"

namespace testsupport {

// A measuring and control unit on the master side of a pty pair, speaking
// the device frames on its own thread. Frames are built and checked here
// with code of its own, so a fault in the link's codec is not mirrored.
class SimulatedUnit {
public:
    static constexpr int kNoVariant = -1;    // the checksum fits neither variant
    static constexpr int kBothVariants = 2;  // the two variants give the same sum

    struct Request {
        int code = 0;  // 254 for raw text, which comes without a frame
        std::vector<std::uint8_t> data;
        int variant = kNoVariant;
    };

    using CurveRow = testsupport::CurveRow;
    // Told of every framed request whose checksum fits, on the unit's thread
    // before the unit answers it; the unit's lock is not held.
    using RequestObserver = std::function<void(int code, const std::vector<std::uint8_t>& data)>;

    SimulatedUnit();
    ~SimulatedUnit();
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    // The slave device the link opens.
    const std::string& DevicePath() const { return slavePath_; }
    // Ends the thread and joins it; the device then hangs up.
    void Stop();

    // --- what the unit holds
    void SetIdentification(const std::array<std::uint8_t, 6>& id);
    // The block that `code` moves (reads answer it, writes store into it).
    void SetBlock(int code, const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> Block(int code) const;
    // Live reads (code 1) answer the rows in turn and then repeat the last.
    // Force and displacement go to live value 1 + their unit input number,
    // the time to value 0 and the extensometer to value 3.
    void SetCurve(std::vector<CurveRow> rows, int forceInput, int displacementInput);
    // Live reads answer what `source` gives at the moment of the read,
    // instead of the curve's rows. It runs on the unit's thread with the
    // unit's lock held: it must not call the unit.
    void SetLiveSource(std::function<CurveRow()> source, int forceInput, int displacementInput);
    void SetRequestObserver(RequestObserver observer);
    // A unit that runs for hours keeps no log of what it received.
    void KeepRequests(bool keep);
    // The text sent back, in two pieces, to bytes that come without a frame.
    void SetRawReply(std::vector<std::uint8_t> text);

    // --- misbehaviour
    // Requests whose checksum fits only variant 0 go unanswered; replies use variant 1.
    void AnswerOnlyVariant1(bool on);
    // The next `count` replies come after `noise` (by default bytes with a
    // stray "!" "%" in them).
    void NoiseBeforeNextReplies(int count, std::vector<std::uint8_t> noise = {});
    void CorruptChecksumOfNextReplies(int count);
    // The next `count` replies carry another code instead of the request's.
    void WrongCodeInNextReplies(int count);
    // Before each of the next `count` replies a complete, valid frame of
    // another code is sent.
    void StrayFrameBeforeNextReplies(int count);
    // The next `count` replies are sent `delayMs` after their request; the
    // unit reads nothing meanwhile. Calls queue up: each delays the replies
    // after those of the calls before it.
    void AnswerLate(int delayMs, int count = 1);
    void SetSilent(bool silent);

    // --- what it received
    std::vector<Request> Requests() const;
    void ClearRequests();
    // Waits until at least `count` requests came; false after `timeoutMs`.
    bool WaitForRequests(size_t count, int timeoutMs) const;
    // Waits until a request with `code` came at or after position `from`.
    // Writes get no reply, so the sender returns before the unit has read them.
    bool WaitForCode(int code, size_t from, int timeoutMs) const;
    int RepliesSent() const;
    // The count goes up once a reply is written, which can be after the link
    // has read it: wait for it rather than read it at once.
    bool WaitForReplies(int count, int timeoutMs) const;

private:
    void Run();
    void HandleFrames(std::vector<std::uint8_t>& in);
    void HandleRaw(std::vector<std::uint8_t>& in);
    void Handle(const Request& request);
    std::vector<std::uint8_t> ReplyData(const Request& request, bool& answer);
    bool Send(const std::vector<std::uint8_t>& bytes);
    bool Pause(int ms);  // false when told to stop

    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    std::string slavePath_;
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;  // a request came or a reply went
    bool stop_ = false;
    UnitRegisters registers_;
    std::function<CurveRow()> liveSource_;
    RequestObserver observer_;
    bool keepRequests_ = true;
    std::array<std::uint8_t, 6> identification_{'Q', 'U', 'E', 'L', 'M', '1'};
    std::vector<std::uint8_t> rawReply_;
    bool onlyVariant1_ = false;
    int noiseCount_ = 0;
    std::vector<std::uint8_t> noise_;
    int corruptCount_ = 0;
    int wrongCodeCount_ = 0;
    int strayCount_ = 0;
    std::deque<int> lateMs_;
    bool silent_ = false;
    std::vector<Request> requests_;
    int repliesSent_ = 0;
};

}  // namespace testsupport

#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "platform/udpsocket.h"
#include "support/unit_registers.h"

namespace testsupport {

// A measuring and control unit on a loopback UDP port, answering device
// frames on its own thread to whoever sent them. Once it got a live-sample
// request it may push live samples to that sender's address at the unit's
// own port + 1. Frames are
// built and checked with code of its own, so a fault in the link's codec is
// not mirrored.
class SimulatedUdpUnit {
public:
    static constexpr int kNotAFrame = -1;
    static constexpr int kAnyCode = -1;

    struct Request {
        int code = kNotAFrame;           // kNotAFrame for a datagram that is no frame
        std::vector<std::uint8_t> data;  // the frame's data, or the whole datagram
        bool checksumOk = false;
        platform::UdpEndpoint from;
    };
    using CurveRow = testsupport::CurveRow;
    // Told of every frame whose checksum fits, on the unit's thread before
    // the unit answers it; the unit's lock is not held.
    using RequestObserver = std::function<void(int code, const std::vector<std::uint8_t>& data)>;

    // Binds 127.0.0.1:`port`; 0 picks a free port. IsOpen tells whether it
    // could.
    explicit SimulatedUdpUnit(int port = 0);
    ~SimulatedUdpUnit();
    SimulatedUdpUnit(const SimulatedUdpUnit&) = delete;
    SimulatedUdpUnit& operator=(const SimulatedUdpUnit&) = delete;

    bool IsOpen() const { return socket_.IsOpen(); }
    int Port() const { return port_; }
    void Stop();

    // --- what the unit holds
    // The reply to identification (code 0); "QUELM1" and a zero by default.
    void SetIdentification(std::vector<std::uint8_t> id);
    // The block that `code` moves (reads answer it, writes store into it).
    void SetBlock(int code, const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> Block(int code) const;
    // Pushed samples take the rows in turn, then repeat the last. Force and
    // displacement go to live value 1 + their unit input number, the time to
    // value 0 and the extensometer to value 3.
    void SetCurve(std::vector<CurveRow> rows, int forceInput, int displacementInput);
    void SetRequestObserver(RequestObserver observer);
    // A unit that runs for hours keeps no log of what it received.
    void KeepRequests(bool keep);

    // --- misbehaviour
    // Each fault can be kept to the requests of one code, so that a repeat
    // of an earlier request still on its way does not use it up.
    void SetSilent(bool silent);
    // The next `count` requests go unanswered.
    void IgnoreNextRequests(int count, int onlyCode = kAnyCode);
    // The next `count` replies carry another code instead of the request's.
    void WrongCodeInNextReplies(int count, int onlyCode = kAnyCode);
    void CorruptChecksumOfNextReplies(int count, int onlyCode = kAnyCode);
    // The next `count` replies carry `delta` more (or fewer) data bytes than
    // the block; the frames stay well formed.
    void ChangeLengthOfNextReplies(int count, int delta, int onlyCode = kAnyCode);
    // The next `count` pushed samples get a wrong checksum.
    void CorruptNextPushes(int count);

    // --- pushed samples
    // True once a live-sample request came.
    bool Streaming() const;
    // Where pushes go: the live request's sender, at Port() + 1.
    std::optional<platform::UdpEndpoint> PushTarget() const;
    // Pushes the next `n` curve rows as live blocks; returns how many went
    // (none before streaming).
    int PushSamples(int n);
    // Sends `bytes` as they are to 127.0.0.1:`port`, streaming or not.
    bool SendRaw(int port, const std::vector<std::uint8_t>& bytes);
    // A well-formed frame (or one with a wrong checksum) to 127.0.0.1:`port`.
    bool SendFrame(int port, int code, const std::vector<std::uint8_t>& data, bool corrupt = false);
    // The live block one curve row gives.
    std::vector<std::uint8_t> LiveBlock(const CurveRow& row) const;

    // --- what it received
    std::vector<Request> Requests() const;
    std::vector<Request> RequestsOf(int code) const;
    void ClearRequests();
    // Waits until `done` holds for the requests so far; false after `timeoutMs`.
    bool WaitFor(const std::function<bool(const std::vector<Request>&)>& done, int timeoutMs) const;
    bool WaitForRequests(size_t count, int timeoutMs) const;
    // Waits until a request with `code` came at or after position `from`.
    bool WaitForCode(int code, size_t from, int timeoutMs) const;
    int RepliesSent() const;

    static std::vector<std::uint8_t> MakeFrame(int code, const std::vector<std::uint8_t>& data,
                                               bool corrupt = false);

private:
    void Run(std::stop_token stop);
    void Handle(const std::vector<std::uint8_t>& datagram, const platform::UdpEndpoint& from);

    int port_ = -1;
    platform::UdpSocket socket_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    UnitRegisters registers_;
    RequestObserver observer_;
    bool keepRequests_ = true;
    std::vector<std::uint8_t> identification_{'Q', 'U', 'E', 'L', 'M', '1', 0};
    // A fault that the next `count` requests of `code` (or any) meet.
    struct Fault {
        int count = 0;
        int code = kAnyCode;
        bool Take(int requestCode) {
            if (count <= 0 || (code != kAnyCode && code != requestCode)) return false;
            --count;
            return true;
        }
    };

    bool silent_ = false;
    Fault ignore_;
    Fault wrongCode_;
    Fault corrupt_;
    Fault length_;
    int lengthDelta_ = 0;
    int corruptPushes_ = 0;
    std::optional<platform::UdpEndpoint> pushTarget_;
    std::vector<Request> requests_;
    int repliesSent_ = 0;

    // Last member: the thread stops before what it uses goes.
    std::jthread thread_;
};

}  // namespace testsupport

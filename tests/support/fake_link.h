#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "link/qlm_connect.h"
#include "link/unitdeps.h"
#include "platform/scheduler.h"
#include "platform/sleeper.h"

namespace testsupport {

// One thing that happened on a fake link or its sleeper, in order.
struct LinkEvent {
    enum Kind { kTransfer, kSleep, kOpen, kClose };

    Kind kind = kTransfer;
    std::string link;  // name of the fake link; empty for a sleep
    int code = -1;
    Direction direction = Direction::kCommand;
    int length = 0;
    std::vector<std::uint8_t> data;  // the bytes sent (write, write with reply, raw text)
    bool failed = false;             // the transfer was told to fail
    int ms = 0;                      // sleep length
    int argument = 0;                // Open's argument
    int replyWaitMs = 0;             // the longest wait for the reply; 0: the link's own
};

// Transfers and sleeps interleaved, so a test can state a whole sequence.
class EventLog {
public:
    std::vector<LinkEvent> events;

    void Clear() { events.clear(); }

    // Compact trace: "93(34)" a transfer with its one data byte, "130" a
    // transfer of any other length, "s150" a sleep, "open serial 0" and
    // "close serial" the link's life.
    std::vector<std::string> Trace() const {
        std::vector<std::string> out;
        for (const LinkEvent& e : events)
            out.push_back(Describe(e));
        return out;
    }

    // Only the transfers, as codes.
    std::vector<int> Codes() const {
        std::vector<int> out;
        for (const LinkEvent& e : events)
            if (e.kind == LinkEvent::kTransfer) out.push_back(e.code);
        return out;
    }

    std::vector<const LinkEvent*> TransfersOf(int code) const {
        std::vector<const LinkEvent*> out;
        for (const LinkEvent& e : events)
            if (e.kind == LinkEvent::kTransfer && e.code == code) out.push_back(&e);
        return out;
    }

    static std::string Describe(const LinkEvent& e) {
        switch (e.kind) {
            case LinkEvent::kSleep:
                return "s" + std::to_string(e.ms);
            case LinkEvent::kOpen:
                return "open " + e.link + " " + std::to_string(e.argument);
            case LinkEvent::kClose:
                return "close " + e.link;
            case LinkEvent::kTransfer:
            default:
                if (e.data.size() == 1)
                    return std::to_string(e.code) + "(" + std::to_string(e.data[0]) + ")";
                return std::to_string(e.code);
        }
    }
};

// A sleeper that only writes the pause into the log.
class RecordingSleeper final : public platform::Sleeper {
public:
    explicit RecordingSleeper(EventLog& log) : log_(log) {}
    void SleepMs(int ms) override {
        LinkEvent e;
        e.kind = LinkEvent::kSleep;
        e.ms = ms;
        log_.events.push_back(std::move(e));
    }

private:
    EventLog& log_;
};

// A scheduler whose time the test moves on by hand. A pause that ends is
// written into the log as a sleep of its length, so a trace reads the same
// whether the unit slept its pauses or had them waited out.
class ManualScheduler final : public platform::Scheduler {
public:
    explicit ManualScheduler(EventLog& log) : log_(log) {}

    void After(int ms, std::function<void()> task) override {
        pending_.push_back(Task{now_ + ms, ms, next_++, std::move(task)});
    }
    // Moves time on by ms, running each task when its time comes.
    void Advance(int ms) {
        const long long until = now_ + ms;
        while (RunNext(until)) {
        }
        now_ = until;
    }
    // Runs what is scheduled and whatever that schedules in turn.
    void RunAll() {
        while (RunNext(LLONG_MAX)) {
        }
    }
    size_t Pending() const { return pending_.size(); }
    long long Now() const { return now_; }

private:
    struct Task {
        long long due;
        int ms;
        long long order;
        std::function<void()> run;
    };

    bool RunNext(long long until) {
        auto first = pending_.end();
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (it->due > until) continue;
            if (first == pending_.end() || it->due < first->due ||
                (it->due == first->due && it->order < first->order))
                first = it;
        }
        if (first == pending_.end()) return false;
        Task t = std::move(*first);
        pending_.erase(first);
        now_ = std::max(now_, t.due);
        LinkEvent e;
        e.kind = LinkEvent::kSleep;
        e.ms = t.ms;
        log_.events.push_back(std::move(e));
        t.run();
        return true;
    }

    EventLog& log_;
    std::vector<Task> pending_;
    long long now_ = 0;
    long long next_ = 0;
};

// How the unit behind the fake links answers.
struct FakeUnitScript {
    // Reply bytes per code for reads and writes with reply; a code without an
    // entry answers with the block as it is.
    std::map<int, std::vector<std::uint8_t>> replies;
    // Codes whose transfer fails (a reply that did not come or did not pass its check).
    std::set<int> failCodes;
    bool failAll = false;
    // Called for a reply before the scripted bytes; returning true means it answered.
    std::function<bool(int code, std::span<std::uint8_t> block)> responder;

    void ReplyFloats(int code, const std::vector<float>& values) {
        std::vector<std::uint8_t> bytes;
        for (float v : values) {
            std::uint32_t u = 0;
            static_assert(sizeof u == sizeof v);
            std::memcpy(&u, &v, sizeof u);
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
        }
        replies[code] = std::move(bytes);
    }
};

// An in-memory link: records every transfer and serves blocks from a script.
class FakeLink final : public QLM_CONNECT {
public:
    FakeLink(LinkContext context, EventLog& log, FakeUnitScript& script, std::string name,
             bool opens = true)
        : QLM_CONNECT(context), opens(opens), log_(log), script_(script), name_(std::move(name)) {}

    bool Transfer(std::uint8_t code, std::uint8_t* block, std::uint8_t length,
                  Direction direction) override {
        LinkEvent e;
        e.kind = LinkEvent::kTransfer;
        e.link = name_;
        e.code = code;
        e.direction = direction;
        e.length = length;
        const bool carriesData = direction == Direction::kWrite ||
                                 direction == Direction::kWriteWithReply ||
                                 direction == Direction::kRawText;
        if (carriesData && block != nullptr) e.data.assign(block, block + length);
        e.failed = script_.failAll || script_.failCodes.count(code) != 0;
        const int wait = ReplyWait(INT_MAX);
        e.replyWaitMs = wait == INT_MAX ? 0 : wait;
        log_.events.push_back(e);
        if (e.failed) return false;

        const bool awaitsReply = direction == Direction::kRead ||
                                 direction == Direction::kWriteWithReply ||
                                 direction == Direction::kRawText;
        if (awaitsReply && block != nullptr) {
            std::span<std::uint8_t> target(block, length);
            if (script_.responder && script_.responder(code, target)) return true;
            auto it = script_.replies.find(code);
            if (it != script_.replies.end()) {
                const size_t n = std::min(it->second.size(), target.size());
                std::copy_n(it->second.begin(), n, target.begin());
            }
        }
        return true;
    }

    bool Open(int argument) override {
        LinkEvent e;
        e.kind = LinkEvent::kOpen;
        e.link = name_;
        e.argument = argument;
        log_.events.push_back(std::move(e));
        connected = opens ? 1 : 0;
        return opens;
    }

    void Close() override {
        LinkEvent e;
        e.kind = LinkEvent::kClose;
        e.link = name_;
        log_.events.push_back(std::move(e));
        connected = 0;
    }

    const std::string& name() const { return name_; }

    bool opens;

private:
    EventLog& log_;
    FakeUnitScript& script_;
    std::string name_;
};

// Hands out fake links as a test configures them and keeps what it was asked.
class FakeLinkFactory final : public LinkFactory {
public:
    struct Kind {
        bool available = true;  // false: the factory gives nullptr
        bool opens = false;
    };

    FakeLinkFactory(EventLog& log, FakeUnitScript& script) : log_(log), script_(script) {}

    std::unique_ptr<QLM_CONNECT> MakeSerial(LinkContext context) override {
        ++serialMade;
        return Make(context, serialKind, "serial", serial);
    }
    std::unique_ptr<QLM_CONNECT> MakeUsb(LinkContext context) override {
        ++usbMade;
        return Make(context, usbKind, "usb", usb);
    }
    std::unique_ptr<QLM_CONNECT> MakeUdp(LinkContext context, const std::string& address,
                                         int port) override {
        ++udpMade;
        udpAddress = address;
        udpPort = port;
        return Make(context, udpKind, "udp", udp);
    }

    Kind serialKind{true, true};
    Kind usbKind{false, false};
    Kind udpKind{true, false};

    int serialMade = 0;
    int usbMade = 0;
    int udpMade = 0;
    std::string udpAddress;
    int udpPort = 0;

    // The links handed out last; owned by whoever asked for them.
    FakeLink* serial = nullptr;
    FakeLink* usb = nullptr;
    FakeLink* udp = nullptr;

private:
    std::unique_ptr<QLM_CONNECT> Make(LinkContext context, const Kind& kind, const char* name,
                                      FakeLink*& handedOut) {
        if (!kind.available) {
            handedOut = nullptr;
            return nullptr;
        }
        auto link = std::make_unique<FakeLink>(context, log_, script_, name, kind.opens);
        handedOut = link.get();
        return link;
    }

    EventLog& log_;
    FakeUnitScript& script_;
};

}  // namespace testsupport

#include "support/simulated_unit.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "link/devicecommands.h"
#include "platform/deadline.h"

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;
using platform::MsUntil;

constexpr int kRawQuietMs = 15;  // a gap this long ends a text without a frame
constexpr int kRawPieceGapMs = 20;

const std::vector<std::uint8_t> kDefaultNoise = {0x55, 0x00, '#', '@', '!', '%', 0x07, 0x33, 0xFF};

void SetNonBlockingCloexec(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

SimulatedUnit::SimulatedUnit() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) std::abort();
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) std::abort();
    slavePath_ = name;
    // The unit's own hold on the slave keeps the master from seeing a hang-up
    // while no link has the device open.
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    SetNonBlockingCloexec(master_);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) std::abort();
    thread_ = std::thread([this] { Run(); });
}

SimulatedUnit::~SimulatedUnit() {
    Stop();
}

void SimulatedUnit::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    if (wake_[1] >= 0) {
        const std::uint8_t b = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &b, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void SimulatedUnit::SetIdentification(const std::array<std::uint8_t, 6>& id) {
    std::lock_guard lock(mutex_);
    identification_ = id;
}

void SimulatedUnit::SetBlock(int code, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    registers_.SetBlock(code, bytes);
}

std::vector<std::uint8_t> SimulatedUnit::Block(int code) const {
    std::lock_guard lock(mutex_);
    return registers_.Block(code);
}

void SimulatedUnit::SetCurve(std::vector<CurveRow> rows, int forceInput, int displacementInput) {
    std::lock_guard lock(mutex_);
    registers_.SetCurve(std::move(rows), forceInput, displacementInput);
}

void SimulatedUnit::SetLiveSource(std::function<CurveRow()> source, int forceInput,
                                  int displacementInput) {
    std::lock_guard lock(mutex_);
    liveSource_ = std::move(source);
    // An empty curve: only the inputs the live block puts the values at.
    registers_.SetCurve({}, forceInput, displacementInput);
}

void SimulatedUnit::SetRequestObserver(RequestObserver observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void SimulatedUnit::KeepRequests(bool keep) {
    std::lock_guard lock(mutex_);
    keepRequests_ = keep;
    if (!keep) requests_.clear();
}

void SimulatedUnit::SetRawReply(std::vector<std::uint8_t> text) {
    std::lock_guard lock(mutex_);
    rawReply_ = std::move(text);
}

void SimulatedUnit::AnswerOnlyVariant1(bool on) {
    std::lock_guard lock(mutex_);
    onlyVariant1_ = on;
}

void SimulatedUnit::NoiseBeforeNextReplies(int count, std::vector<std::uint8_t> noise) {
    std::lock_guard lock(mutex_);
    noiseCount_ = count;
    noise_ = noise.empty() ? kDefaultNoise : std::move(noise);
}

void SimulatedUnit::CorruptChecksumOfNextReplies(int count) {
    std::lock_guard lock(mutex_);
    corruptCount_ = count;
}

void SimulatedUnit::WrongCodeInNextReplies(int count) {
    std::lock_guard lock(mutex_);
    wrongCodeCount_ = count;
}

void SimulatedUnit::StrayFrameBeforeNextReplies(int count) {
    std::lock_guard lock(mutex_);
    strayCount_ = count;
}

void SimulatedUnit::AnswerLate(int delayMs, int count) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < count; ++i)
        lateMs_.push_back(delayMs);
}

void SimulatedUnit::SetSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

std::vector<SimulatedUnit::Request> SimulatedUnit::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void SimulatedUnit::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool SimulatedUnit::WaitForRequests(size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return requests_.size() >= count; });
}

bool SimulatedUnit::WaitForCode(int code, size_t from, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return std::any_of(
            requests_.begin() + static_cast<std::ptrdiff_t>(std::min(from, requests_.size())),
            requests_.end(), [code](const Request& r) { return r.code == code; });
    });
}

bool SimulatedUnit::WaitForReplies(int count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return repliesSent_ >= count; });
}

int SimulatedUnit::RepliesSent() const {
    std::lock_guard lock(mutex_);
    return repliesSent_;
}

bool SimulatedUnit::Pause(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stop_) return false;
        }
        const int left = MsUntil(deadline);
        if (left == 0) return true;
        pollfd p{wake_[0], POLLIN, 0};
        ::poll(&p, 1, left);
    }
}

bool SimulatedUnit::Send(const std::vector<std::uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        {
            std::lock_guard lock(mutex_);
            if (stop_) return false;
        }
        pollfd p[2] = {{master_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
        ::poll(p, 2, 50);
    }
    return true;
}

void SimulatedUnit::Run() {
    std::vector<std::uint8_t> in;
    bool rawPending = false;
    Clock::time_point rawDeadline;
    std::array<std::uint8_t, 4096> chunk{};
    for (;;) {
        pollfd p[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int r = ::poll(p, 2, rawPending ? MsUntil(rawDeadline) : -1);
        {
            std::lock_guard lock(mutex_);
            if (stop_) return;
        }
        if (r < 0) continue;
        if ((p[1].revents & POLLIN) != 0) {
            std::uint8_t drain[16];
            while (::read(wake_[0], drain, sizeof drain) > 0) {
            }
        }
        if ((p[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(master_, chunk.data(), chunk.size());
            if (n > 0) in.insert(in.end(), chunk.begin(), chunk.begin() + n);
        } else if ((p[0].revents & (POLLHUP | POLLERR)) != 0) {
            if (!Pause(10)) return;
        }
        if (r == 0 && rawPending) {
            rawPending = false;
            HandleRaw(in);
            continue;
        }
        HandleFrames(in);
        // Bytes that do not start a frame are a text request; it ends with a pause.
        if (!in.empty() && (in[0] != '!' || (in.size() > 1 && in[1] != '%'))) {
            rawPending = true;
            rawDeadline = Clock::now() + std::chrono::milliseconds(kRawQuietMs);
        }
    }
}

void SimulatedUnit::HandleFrames(std::vector<std::uint8_t>& in) {
    while (in.size() >= 4 && in[0] == '!' && in[1] == '%') {
        const size_t n = in[3];
        if (in.size() < n + 7) return;
        if (in[n + 5] != '#' || in[n + 6] != '@') {
            // Not a frame after all: give the bytes to the text path.
            in.erase(in.begin());
            return;
        }
        Request request;
        request.code = in[2];
        request.data.assign(in.begin() + 4, in.begin() + 4 + static_cast<std::ptrdiff_t>(n));
        const std::uint8_t sum = in[n + 4];
        const bool v0 = sum == SumOfAll(request.code, request.data);
        const bool v1 = sum == SumOfData(request.data);
        request.variant = v0 && v1 ? kBothVariants : v0 ? 0 : v1 ? 1 : kNoVariant;
        in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(n + 7));
        Handle(request);
    }
}

void SimulatedUnit::HandleRaw(std::vector<std::uint8_t>& in) {
    std::vector<std::uint8_t> reply;
    {
        std::lock_guard lock(mutex_);
        if (keepRequests_) requests_.push_back({device_code::kRawText, in, kNoVariant});
        changed_.notify_all();
        if (!silent_) reply = rawReply_;
    }
    in.clear();
    if (reply.empty()) return;
    // In two pieces, as a unit's text trickles in.
    const auto half = reply.begin() + static_cast<std::ptrdiff_t>(reply.size() / 2);
    if (!Send({reply.begin(), half})) return;
    if (!Pause(kRawPieceGapMs)) return;
    if (!Send({half, reply.end()})) return;
    std::lock_guard lock(mutex_);
    ++repliesSent_;
    changed_.notify_all();
}

std::vector<std::uint8_t> SimulatedUnit::ReplyData(const Request& request, bool& answer) {
    std::vector<std::uint8_t> data = registers_.Serve(request.code, request.data, answer);
    if (!answer) return {};
    if (request.code == device_code::kIdentify) {
        return {identification_.begin(), identification_.end()};
    }
    if (request.code == device_code::kLiveSample && liveSource_) {
        registers_.SetBlock(device_code::kLiveSample, registers_.LiveBlockOf(liveSource_()));
        return registers_.Block(device_code::kLiveSample);
    }
    if (request.code == device_code::kLiveSample && registers_.HasCurve()) {
        return registers_.NextLiveBlock();
    }
    return data;
}

void SimulatedUnit::Handle(const Request& request) {
    std::vector<std::uint8_t> noise, stray, reply;
    int delayMs = 0;
    RequestObserver observer;
    {
        std::lock_guard lock(mutex_);
        observer = observer_;
    }
    if (observer && request.variant != kNoVariant) observer(request.code, request.data);
    {
        std::lock_guard lock(mutex_);
        if (keepRequests_) requests_.push_back(request);
        changed_.notify_all();
        if (silent_ || request.variant == kNoVariant) return;
        if (onlyVariant1_ && request.variant == 0) return;
        bool answer = false;
        const std::vector<std::uint8_t> data = ReplyData(request, answer);
        if (!answer) return;

        const int variant =
            request.variant == kBothVariants ? (onlyVariant1_ ? 1 : 0) : request.variant;
        int code = request.code;
        if (wrongCodeCount_ > 0) {
            --wrongCodeCount_;
            code = (code + 1) & 0xFF;
        }
        bool corrupt = false;
        if (corruptCount_ > 0) {
            --corruptCount_;
            corrupt = true;
        }
        reply = MakeUnitFrame(code, data, variant, corrupt);
        if (noiseCount_ > 0) {
            --noiseCount_;
            noise = noise_;
        }
        if (strayCount_ > 0) {
            --strayCount_;
            stray =
                MakeUnitFrame((request.code + 2) & 0xFF, {0xEE, 0xEE, 0xEE, 0xEE}, variant, false);
        }
        if (!lateMs_.empty()) {
            delayMs = lateMs_.front();
            lateMs_.pop_front();
        }
    }
    if (delayMs > 0 && !Pause(delayMs)) return;
    if (!noise.empty() && !Send(noise)) return;
    if (!stray.empty() && !Send(stray)) return;
    if (!Send(reply)) return;
    std::lock_guard lock(mutex_);
    ++repliesSent_;
    changed_.notify_all();
}

}  // namespace testsupport

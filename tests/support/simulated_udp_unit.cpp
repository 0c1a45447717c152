#include "support/simulated_udp_unit.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

#include "link/devicecommands.h"

namespace testsupport {

namespace {

constexpr int kWakeMs = 20;
constexpr std::uint8_t kPad = 0xA5;

platform::UdpEndpoint Loopback(int port) {
    return {0x7F000001u, static_cast<std::uint16_t>(port)};
}

}  // namespace

std::vector<std::uint8_t> SimulatedUdpUnit::MakeFrame(int code,
                                                      const std::vector<std::uint8_t>& data,
                                                      bool corrupt) {
    return MakeUnitFrame(code, data, 0, corrupt);  // the UDP link knows one variant
}

SimulatedUdpUnit::SimulatedUdpUnit(int port) {
    if (!socket_.Open("127.0.0.1", port)) return;
    port_ = socket_.LocalPort();
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

SimulatedUdpUnit::~SimulatedUdpUnit() {
    Stop();
}

void SimulatedUdpUnit::Stop() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    socket_.Close();
}

void SimulatedUdpUnit::SetIdentification(std::vector<std::uint8_t> id) {
    std::lock_guard lock(mutex_);
    identification_ = std::move(id);
}

void SimulatedUdpUnit::SetBlock(int code, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    registers_.SetBlock(code, bytes);
}

std::vector<std::uint8_t> SimulatedUdpUnit::Block(int code) const {
    std::lock_guard lock(mutex_);
    return registers_.Block(code);
}

void SimulatedUdpUnit::SetCurve(std::vector<CurveRow> rows, int forceInput, int displacementInput) {
    std::lock_guard lock(mutex_);
    registers_.SetCurve(std::move(rows), forceInput, displacementInput);
}

void SimulatedUdpUnit::SetRequestObserver(RequestObserver observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void SimulatedUdpUnit::KeepRequests(bool keep) {
    std::lock_guard lock(mutex_);
    keepRequests_ = keep;
    if (!keep) requests_.clear();
}

void SimulatedUdpUnit::SetSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void SimulatedUdpUnit::IgnoreNextRequests(int count, int onlyCode) {
    std::lock_guard lock(mutex_);
    ignore_ = {count, onlyCode};
}

void SimulatedUdpUnit::WrongCodeInNextReplies(int count, int onlyCode) {
    std::lock_guard lock(mutex_);
    wrongCode_ = {count, onlyCode};
}

void SimulatedUdpUnit::CorruptChecksumOfNextReplies(int count, int onlyCode) {
    std::lock_guard lock(mutex_);
    corrupt_ = {count, onlyCode};
}

void SimulatedUdpUnit::ChangeLengthOfNextReplies(int count, int delta, int onlyCode) {
    std::lock_guard lock(mutex_);
    length_ = {count, onlyCode};
    lengthDelta_ = delta;
}

void SimulatedUdpUnit::CorruptNextPushes(int count) {
    std::lock_guard lock(mutex_);
    corruptPushes_ = count;
}

bool SimulatedUdpUnit::Streaming() const {
    std::lock_guard lock(mutex_);
    return pushTarget_.has_value();
}

std::optional<platform::UdpEndpoint> SimulatedUdpUnit::PushTarget() const {
    std::lock_guard lock(mutex_);
    return pushTarget_;
}

std::vector<std::uint8_t> SimulatedUdpUnit::LiveBlock(const CurveRow& row) const {
    std::lock_guard lock(mutex_);
    return registers_.LiveBlockOf(row);
}

int SimulatedUdpUnit::PushSamples(int n) {
    int sent = 0;
    for (int i = 0; i < n; ++i) {
        std::vector<std::uint8_t> frame;
        platform::UdpEndpoint to;
        {
            std::lock_guard lock(mutex_);
            if (!pushTarget_) break;
            to = *pushTarget_;
            bool corrupt = false;
            if (corruptPushes_ > 0) {
                --corruptPushes_;
                corrupt = true;
            }
            frame = MakeFrame(device_code::kLiveSample, registers_.NextLiveBlock(), corrupt);
        }
        if (!socket_.SendTo(frame, to)) break;
        ++sent;
    }
    return sent;
}

bool SimulatedUdpUnit::SendRaw(int port, const std::vector<std::uint8_t>& bytes) {
    return socket_.SendTo(bytes, Loopback(port));
}

bool SimulatedUdpUnit::SendFrame(int port, int code, const std::vector<std::uint8_t>& data,
                                 bool corrupt) {
    return SendRaw(port, MakeFrame(code, data, corrupt));
}

std::vector<SimulatedUdpUnit::Request> SimulatedUdpUnit::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<SimulatedUdpUnit::Request> SimulatedUdpUnit::RequestsOf(int code) const {
    std::lock_guard lock(mutex_);
    std::vector<Request> out;
    for (const Request& r : requests_)
        if (r.code == code) out.push_back(r);
    return out;
}

void SimulatedUdpUnit::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool SimulatedUdpUnit::WaitFor(const std::function<bool(const std::vector<Request>&)>& done,
                               int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return done(requests_); });
}

bool SimulatedUdpUnit::WaitForRequests(size_t count, int timeoutMs) const {
    return WaitFor([count](const std::vector<Request>& r) { return r.size() >= count; }, timeoutMs);
}

bool SimulatedUdpUnit::WaitForCode(int code, size_t from, int timeoutMs) const {
    return WaitFor(
        [code, from](const std::vector<Request>& r) {
            return std::any_of(r.begin() + static_cast<std::ptrdiff_t>(std::min(from, r.size())),
                               r.end(), [code](const Request& q) { return q.code == code; });
        },
        timeoutMs);
}

int SimulatedUdpUnit::RepliesSent() const {
    std::lock_guard lock(mutex_);
    return repliesSent_;
}

void SimulatedUdpUnit::Run(std::stop_token stop) {
    std::array<std::uint8_t, 2048> buffer{};
    while (!stop.stop_requested()) {
        platform::UdpEndpoint from;
        const int n = socket_.Receive(buffer, kWakeMs, &from);
        if (n <= 0) continue;
        Handle({buffer.begin(), buffer.begin() + n}, from);
    }
}

void SimulatedUdpUnit::Handle(const std::vector<std::uint8_t>& d,
                              const platform::UdpEndpoint& from) {
    Request request;
    request.from = from;
    const bool isFrame = d.size() >= 7 && d[0] == '!' && d[1] == '%' && d[3] == d.size() - 7 &&
                         d[d.size() - 2] == '#' && d.back() == '@';
    if (isFrame) {
        const size_t n = d[3];
        request.code = d[2];
        request.data.assign(d.begin() + 4, d.begin() + 4 + static_cast<std::ptrdiff_t>(n));
        request.checksumOk = d[4 + n] == SumOfAll(request.code, request.data);
    } else {
        request.data = d;
    }

    RequestObserver observer;
    {
        std::lock_guard lock(mutex_);
        observer = observer_;
    }
    if (observer && isFrame && request.checksumOk) observer(request.code, request.data);

    std::vector<std::uint8_t> reply;
    {
        std::lock_guard lock(mutex_);
        if (keepRequests_) requests_.push_back(request);
        changed_.notify_all();
        if (!isFrame || !request.checksumOk) return;
        // The station listens one port above the unit's own.
        if (request.code == device_code::kLiveSample && port_ > 0 && port_ < 65535) {
            pushTarget_ =
                platform::UdpEndpoint{from.address, static_cast<std::uint16_t>(port_ + 1)};
        }
        if (silent_) return;
        if (ignore_.Take(request.code)) return;
        bool answer = false;
        std::vector<std::uint8_t> data = registers_.Serve(request.code, request.data, answer);
        if (!answer) return;
        if (request.code == device_code::kIdentify) data = identification_;
        if (length_.Take(request.code)) {
            if (lengthDelta_ >= 0) {
                data.insert(data.end(), static_cast<size_t>(lengthDelta_), kPad);
            } else {
                data.resize(data.size() -
                            std::min(data.size(), static_cast<size_t>(-lengthDelta_)));
            }
        }
        const int code = wrongCode_.Take(request.code) ? (request.code + 1) & 0xFF : request.code;
        reply = MakeFrame(code, data, corrupt_.Take(request.code));
    }
    if (!socket_.SendTo(reply, from)) return;
    std::lock_guard lock(mutex_);
    ++repliesSent_;
    changed_.notify_all();
}

}  // namespace testsupport

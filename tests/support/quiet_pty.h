#pragma once

#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

namespace testsupport {

// A pty pair whose master side nobody answers from: a port that opens and
// takes bytes, which a test reads from `master()`.
class QuietPty {
public:
    QuietPty() {
        int slave = -1;
        if (::openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) std::abort();
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) != 0) std::abort();
        path_ = name;
        ::close(slave);
    }
    ~QuietPty() { CloseMaster(); }
    QuietPty(const QuietPty&) = delete;
    QuietPty& operator=(const QuietPty&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

// What reached the far end of the pty: waits until `count` bytes came (or a
// few seconds passed), then takes whatever else is already there.
inline std::string Received(const QuietPty& pty, size_t count) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int wait =
            got.size() >= count ? 50 : static_cast<int>(std::max<long>(0, left.count()));
        pollfd p{pty.master(), POLLIN, 0};
        if (::poll(&p, 1, wait) <= 0) break;
        char buf[256];
        const ssize_t n = ::read(pty.master(), buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

}  // namespace testsupport

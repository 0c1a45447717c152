#pragma once

#include <pty.h>
#include <unistd.h>

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

}  // namespace testsupport

// utm-sim: a measuring unit to try the station against without a machine.
// It prints the device to give the station, then answers until interrupted.

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <ctime>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/sim_station.h"

namespace {

using testsupport::SimStation;

std::string Seconds(double t) {
    const long tenths = static_cast<long>(t * 10.0 + 0.5);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

// What changed since the last look, as a line for whoever watches the terminal.
struct Watch {
    SimStation::Phase phase = SimStation::Phase::kIdle;
    int started = 0;
    bool silent = false;

    void Report(const SimStation& sim) {
        const SimStation::Phase now = sim.CurrentPhase();
        const int n = sim.TestsStarted();
        const bool quiet = sim.Silent();
        const std::string at = " at " + Seconds(sim.TestTime());
        if (n != started) {
            std::cout << "test " << n << " started" << std::endl;
        } else if (now != phase) {
            switch (now) {
                case SimStation::Phase::kRunning:
                    std::cout << "going on" << at << std::endl;
                    break;
                case SimStation::Phase::kPaused:
                    std::cout << "paused" << at << std::endl;
                    break;
                case SimStation::Phase::kHeld:
                    std::cout << "stopped" << at << std::endl;
                    break;
                case SimStation::Phase::kIdle:
                    break;
            }
        }
        if (quiet != silent) std::cout << (quiet ? "silent" : "answering again") << at << std::endl;
        phase = now;
        started = n;
        silent = quiet;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const testsupport::SimCommandLine line = testsupport::ParseSimCommandLine(args);
    if (line.help) {
        std::cout << testsupport::SimUsage();
        return 0;
    }
    if (!line.error.empty()) {
        std::cerr << "utm-sim: " << line.error << "\n" << testsupport::SimUsage();
        return 2;
    }

    // Blocked before any thread starts, so only the wait below takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimStation::Options options = line.options;
    options.keepRequests = false;
    SimStation sim(options);
    if (options.udpPort != SimStation::kNoUdp && sim.UdpPort() == SimStation::kNoUdp) {
        std::cerr << "utm-sim: cannot open UDP port " << options.udpPort << " on 127.0.0.1\n";
        return 1;
    }
    if (!line.iniPath.empty() && !sim.WriteStationSettings(line.iniPath)) {
        std::cerr << "utm-sim: cannot write " << line.iniPath << "\n";
        return 1;
    }
    for (const std::string& text : sim.Banner())
        std::cout << text << "\n";
    if (!line.iniPath.empty()) std::cout << "# settings written into " << line.iniPath << "\n";
    std::cout.flush();

    Watch watch;
    const timespec look{0, 200'000'000};
    for (;;) {
        const int signal = sigtimedwait(&stopSignals, nullptr, &look);
        if (signal == SIGINT || signal == SIGTERM) break;
        if (signal < 0 && errno != EAGAIN && errno != EINTR) break;
        watch.Report(sim);
    }
    sim.Stop();
    return 0;
}

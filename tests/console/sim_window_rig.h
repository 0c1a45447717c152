#pragma once

#include <QObject>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/tfbase.h"
#include "link/dev_quelm.h"
#include "link/stationlinks.h"
#include "platform/sleeper.h"
#include "support/fixtures.h"
#include "support/recording_sink.h"
#include "support/sim_station.h"
#include "support/temp_folder.h"

namespace testsupport {

// The whole program as an operator meets it: the real window, offscreen,
// with the real unit object and links, against the simulated station on a
// pty, in a program folder of its own.
class SimWindowRig : public ::testing::Test {
protected:
    void StartWindow(const SimStation::Options& options) {
        sim = std::make_unique<SimStation>(options);
        ASSERT_TRUE(sim->WriteStationSettings(folder.path() + "/Config.INI"));
        console::ConsoleDeps deps;
        deps.programFolder = folder.path();
        deps.clock = &clock;
        deps.random = &random;
        deps.messages = &fileErrors;
        deps.makeUnit = [this](const console::UnitWiring& w) -> std::unique_ptr<C_Connect> {
            links =
                std::make_unique<StationLinks>(std::vector<std::string>{sim->DevicePath()}, &w.ui);
            return std::make_unique<DEVICE_QUELM>(UnitDeps{sleeper, w.samples, linkMessages, *links,
                                                           w.status, w.testZone, &w.scheduler});
        };
        window = std::make_unique<TFBase>(std::move(deps));
        window->resize(1390, 755);
        window->show();
        QObject::connect(window.get(), &TFBase::programEnded, [this] { ended = true; });
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->Started(); }, 10000));
    }

    // The unit's later keys go out from the window's event loop: wait with it running.
    bool UnitGets(int code, int timeoutMs = 3000) {
        return QTest::qWaitFor([&] { return sim->Serial().WaitForCode(code, 0, 0); }, timeoutMs);
    }

    TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    RecordingSink fileErrors;
    RecordingSink linkMessages;
    platform::RealSleeper sleeper;
    std::unique_ptr<SimStation> sim;
    std::unique_ptr<StationLinks> links;
    std::unique_ptr<TFBase> window;
    bool ended = false;
};

}  // namespace testsupport

// The station's manual control without a window: the service tick's life
// and the zone outputs' lock as the dispatcher leaves it.

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/cwork.h"
#include "station/station_controller.h"
#include "station/station_manual.h"
#include "support/station.h"

namespace {

using station::ManualControl;
using testsupport::Station;

TEST(StationManual, TheServiceTickRunsFromStartUpToShutDownAndCountsThePumpAsHeard) {
    Station s;
    s.StartUp();
    auto* tick = s.console.controller.findChild<QTimer*>("Timer3");
    ASSERT_NE(tick, nullptr);
    EXPECT_TRUE(tick->isActive());
    EXPECT_EQ(tick->interval(), 10000);
    ManualControl& manual = s.console.controller.Manual();
    s.work.Config().iWORK = 100;
    manual.Timer3Timer();
    EXPECT_EQ(s.work.Config().iWORK, 100);
    s.unit->status->PumpChanged(true);
    manual.Timer3Timer();
    EXPECT_EQ(s.work.Config().iWORK, 110);
    s.console.controller.ShutDownProgramSide(false);
    EXPECT_FALSE(tick->isActive());
}

TEST(StationManual, TheTensionZoneFreesBothOutputsAndALockedOutputStopsTheCrosshead) {
    Station s;
    s.StartUp();
    ManualControl& manual = s.console.controller.Manual();
    QSignalSpy lock(&manual, &ManualControl::outputLockShown);
    auto shown = [&lock] {
        std::vector<std::pair<int, bool>> v;
        for (const QList<QVariant>& args : lock)
            v.emplace_back(args.at(0).toInt(), args.at(1).toBool());
        lock.clear();
        return v;
    };
    s.console.Command(67);
    EXPECT_TRUE(shown().empty());
    s.console.Command(68);
    EXPECT_EQ(shown(), (std::vector<std::pair<int, bool>>{{0, false}, {3, false}}));
    s.console.engineCodes.clear();
    manual.OutputToggled(3, true);
    EXPECT_EQ(s.console.engineCodes, (std::vector<int>{21}));
    EXPECT_EQ(shown(), (std::vector<std::pair<int, bool>>{{3, true}}));
}

}  // namespace

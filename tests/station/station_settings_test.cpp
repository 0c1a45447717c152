// The station's settings without a window: leaving them reaches the unit
// and the dispatcher once, however often the operator taps.

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "station/station_controller.h"
#include "station/station_settings.h"
#include "support/fake_unit.h"
#include "support/station.h"

namespace {

using station::StationController;
using testsupport::FakeUnit;

TEST(StationSettings, LeavingAgainDuringThePauseSendsTheGainsAndStartsAfreshOnce) {
    testsupport::Station s;
    s.StartUp();
    s.unit->ClearLog();
    QSignalSpy dispatched(&s.console.controller, &StationController::commandDispatched);
    station::StationSettings& settings = s.console.controller.Settings();
    settings.Leave();
    settings.Leave();
    EXPECT_EQ(s.unit->calls, (std::vector<FakeUnit::Call>{{"SetValue", {0, 4}}}));
    EXPECT_EQ(dispatched.count(), 0);
    auto* pause = s.console.controller.findChild<QTimer*>("ConfigExitPause");
    ASSERT_NE(pause, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pause->isActive(); }, 2000));
    const auto starts = std::count_if(dispatched.begin(), dispatched.end(),
                                      [](const QList<QVariant>& a) { return a[0].toInt() == 32; });
    EXPECT_EQ(starts, 1);
    const FakeUnit::Call gains{"SetValue", {0, 4}};
    EXPECT_EQ(std::count(s.unit->calls.begin(), s.unit->calls.end(), gains), 1);
}

}  // namespace

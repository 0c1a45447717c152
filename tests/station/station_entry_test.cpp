// The station's entry without a window: a typed set-point takes the one
// set-point path to the unit, and what the unit did not take is not kept.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cwork.h"
#include "link/c_connect.h"
#include "station/station_entry.h"
#include "support/station.h"

namespace {

using testsupport::FakeUnit;
using testsupport::Station;

TEST(StationEntry, ATypedSetPointReachesTheUnitOnceOrIsNotKept) {
    struct Case {
        int target, channel;
    };
    const Case cases[] = {{1, 1}, {3, 2}, {5, 3}, {7, 4}, {10, 5}};
    for (const bool answering : {true, false}) {
        for (const Case& c : cases) {
            Station s;
            s.StartUp();
            s.unit->ClearLog();
            s.unit->answering = answering;
            s.work.Channel(c.channel).fullScale = 100;
            const double before = s.work.Channel(c.channel).setPoint;
            const station::EntryAnswer answer =
                s.console.controller.Entry().TakeValue(c.target, "12,5", true);
            EXPECT_FALSE(answer.retype) << c.target;
            const FakeUnit::Call sent{"SetValue",
                                      {double(c.channel - 1), double(unit_code::kZoneSetpoints)}};
            if (answering) {
                EXPECT_EQ(answer.refusal, "") << c.target;
                EXPECT_EQ(s.work.Channel(c.channel).setPoint, 12.5) << c.target;
                EXPECT_EQ(s.unit->calls, (std::vector<FakeUnit::Call>{sent})) << c.target;
            } else {
                EXPECT_EQ(answer.refusal, "УСТРОЙСТВО НЕ ОТВЕЧАЕТ") << c.target;
                EXPECT_EQ(s.work.Channel(c.channel).setPoint, before) << c.target;
                EXPECT_EQ(s.unit->Count("SetValue"), 0) << c.target;
            }
        }
    }
}

TEST(StationEntry, WithoutAUnitNothingIsReportedAsTaken) {
    // Set-points and protections alike: refused, the channel as it was.
    struct Case {
        int target, channel;
        double C_Kanal::*field;
    };
    const Case cases[] = {
        {1, 1, &C_Kanal::setPoint}, {2, 1, &C_Kanal::protection}, {8, 4, &C_Kanal::auxProtection}};
    for (const Case& c : cases) {
        Station s;
        const double before = s.work.Channel(c.channel).*c.field;
        const station::EntryAnswer answer =
            s.console.controller.Entry().TakeValue(c.target, "3", true);
        EXPECT_EQ(answer.refusal, "НЕТ СВЯЗИ С УСТРОЙСТВОМ") << c.target;
        EXPECT_EQ(s.work.Channel(c.channel).*c.field, before) << c.target;
    }
}

}  // namespace

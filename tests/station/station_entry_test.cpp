// The station's entry without a window: a typed set-point goes only through
// the one set-point path, and what that path refuses is what the operator reads.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/cwork.h"
#include "station/station_entry.h"
#include "support/station.h"

namespace {

using testsupport::Station;

TEST(StationEntry, ATypedSetPointGoesOnlyThroughTheSetPointPathAndItsRefusalIsShown) {
    struct Case {
        int target, channel;
    };
    const Case cases[] = {{1, 1}, {3, 2}, {5, 3}, {7, 4}, {10, 5}};
    for (const bool refused : {false, true}) {
        for (const Case& c : cases) {
            Station s;
            station::EntryControl& entry = s.console.controller.Entry();
            std::vector<std::pair<int, double>> applied;
            station::EntryControl::Paths paths;
            paths.applySetPoint = [&](int channel, double typed) {
                applied.emplace_back(channel, typed);
                return std::string(refused ? "УСТРОЙСТВО НЕ ОТВЕТИЛО" : "");
            };
            entry.SetPaths(paths);
            const double before = s.work.Channel(c.channel).setPoint;
            const station::EntryAnswer answer = entry.TakeValue(c.target, "12,5", true);
            EXPECT_EQ(applied, (std::vector<std::pair<int, double>>{{c.channel, 12.5}}))
                << c.target;
            EXPECT_EQ(answer.refusal, refused ? "УСТРОЙСТВО НЕ ОТВЕТИЛО" : "") << c.target;
            EXPECT_FALSE(answer.retype) << c.target;
            // The path decides what the channel keeps; the entry writes nothing itself.
            EXPECT_EQ(s.work.Channel(c.channel).setPoint, before) << c.target;
        }
    }
}

TEST(StationEntry, WithoutAPathToTheUnitNothingIsReportedAsTaken) {
    // Set-points and protections alike: refused, the channel as it was.
    struct Case {
        int target, channel;
        double C_Kanal::*field;
    };
    const Case cases[] = {
        {1, 1, &C_Kanal::setPoint}, {2, 1, &C_Kanal::protection}, {8, 4, &C_Kanal::auxProtection}};
    for (const Case& c : cases) {
        Station s;
        station::EntryControl& entry = s.console.controller.Entry();
        entry.SetPaths({});
        const double before = s.work.Channel(c.channel).*c.field;
        const station::EntryAnswer answer = entry.TakeValue(c.target, "3", true);
        EXPECT_EQ(answer.refusal, "НЕТ СВЯЗИ С УСТРОЙСТВОМ") << c.target;
        EXPECT_EQ(s.work.Channel(c.channel).*c.field, before) << c.target;
    }
}

}  // namespace

// The station's entry without a window: a typed set-point takes the one
// set-point path to the unit, a protection its own code, and what the unit
// did not take is not kept.

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

// Set-points, protections and auxiliary protections alike: taken and sent
// once by a unit that answers; refused and the channel as it was with a
// unit that is silent or with none at all.
TEST(StationEntry, ATypedValueReachesTheUnitOnceOrIsNotKept) {
    enum class UnitState { Answering, Silent, None };
    struct Case {
        int target, channel;
        double C_Kanal::*field;
        int sendCode;
        UnitState unit;
        const char* refusal;
    };
    const auto sp = &C_Kanal::setPoint;
    const auto pr = &C_Kanal::protection;
    const auto aux = &C_Kanal::auxProtection;
    const int zone = unit_code::kZoneSetpoints;
    using enum UnitState;
    const Case cases[] = {
        // Every set-point readout writes its own channel.
        {1, 1, sp, zone, Answering, ""},
        {3, 2, sp, zone, Answering, ""},
        {5, 3, sp, zone, Answering, ""},
        {7, 4, sp, zone, Answering, ""},
        {10, 5, sp, zone, Answering, ""},
        {2, 1, pr, 16, Answering, ""},
        {8, 4, aux, 16, Answering, ""},
        {1, 1, sp, zone, Silent, "УСТРОЙСТВО НЕ ОТВЕЧАЕТ"},
        {2, 1, pr, 16, Silent, "УСТРОЙСТВО НЕ ОТВЕЧАЕТ"},
        {8, 4, aux, 16, Silent, "УСТРОЙСТВО НЕ ОТВЕЧАЕТ"},
        {1, 1, sp, zone, None, "НЕТ СВЯЗИ С УСТРОЙСТВОМ"},
        {2, 1, pr, 16, None, "НЕТ СВЯЗИ С УСТРОЙСТВОМ"},
        {8, 4, aux, 16, None, "НЕТ СВЯЗИ С УСТРОЙСТВОМ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "target " << c.target << " unit " << static_cast<int>(c.unit));
        Station s;
        if (c.unit != None) {
            s.StartUp();
            s.unit->ClearLog();
            s.unit->answering = c.unit == Answering;
        }
        C_Kanal& k = s.work.Channel(c.channel);
        k.fullScale = 100;
        const double before = k.*c.field;
        const station::EntryAnswer answer =
            s.console.controller.Entry().TakeValue(c.target, "12,5", true);
        EXPECT_FALSE(answer.retype);
        EXPECT_EQ(answer.refusal, c.refusal);
        if (c.unit == Answering) {
            EXPECT_EQ(k.*c.field, 12.5);
            const FakeUnit::Call sent{"SetValue", {double(c.channel - 1), double(c.sendCode)}};
            EXPECT_EQ(s.unit->calls, (std::vector<FakeUnit::Call>{sent}));
        } else {
            EXPECT_EQ(k.*c.field, before);
            EXPECT_EQ(s.unit->Count("SetValue"), 0);
        }
    }
}

}  // namespace

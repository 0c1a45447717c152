#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "support/fake_unit.h"
#include "support/station.h"

namespace {

using testsupport::Station;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<double> Column(const C_Buffer& b, int channel) {
    std::vector<double> v;
    for (int i = 0; i < b.GetCount(channel); ++i)
        v.push_back(b.GetValue(channel, i));
    return v;
}

// A running test whose start gate has already passed, so every sample is a row.
void StartPastGate(Station& s) {
    s.console.Command(1);
    s.work.Channel(1).startGate = 3;
}

// Started, channel values equal to the raw readings, events drained.
struct Running : Station {
    explicit Running(bool connected = true) : Station(true, connected) {
        StartUp();
        RawReadings();
        StartPastGate(*this);
        unit->ClearLog();
    }
};

// ---------------------------------------------------------------- values and rows

TEST(SampleIntake, ComputesValuesAndRatesOnEverySample) {
    Station s;
    s.StartUp();
    s.RawReadings();
    for (int i = 1; i <= 11; ++i)
        s.unit->Emit(i, i, 0.5 * i, 0.25 * i);
    EXPECT_EQ(s.work.Channel(1).value, 11.0);
    EXPECT_EQ(s.work.Channel(2).value, 5.5);
    EXPECT_EQ(s.work.Channel(3).value, 2.75);
    EXPECT_EQ(s.work.Channel(1).peak, 11.0);
    EXPECT_DOUBLE_EQ(s.work.Channel(1).rate, 1.0);   // kN/s
    EXPECT_DOUBLE_EQ(s.work.Channel(2).rate, 30.0);  // mm/min
    EXPECT_DOUBLE_EQ(s.work.Channel(3).rate, 15.0);
    EXPECT_EQ(s.work.SampleTime(), 11.0);
    EXPECT_EQ(s.work.Buffer().GetCount(0), 0);  // set-up: nothing recorded
}

TEST(SampleIntake, RowHoldsTimeForceDisplacementExtensometerStress) {
    Running s;
    s.work.SetArea(50.0);
    s.unit->Emit(3.5, 5.0, 1.25, 0.5);
    const C_Buffer& b = s.work.Buffer();
    EXPECT_EQ(Column(b, 0), std::vector<double>{3.5});
    EXPECT_EQ(Column(b, 1), std::vector<double>{5.0});
    EXPECT_EQ(Column(b, 2), std::vector<double>{1.25});
    EXPECT_EQ(Column(b, 3), std::vector<double>{0.5});
    EXPECT_EQ(Column(b, 4), std::vector<double>{100.0});
    EXPECT_EQ(b.GetCount(5), 0);
    EXPECT_EQ(b.GetCount(6), 0);
}

TEST(SampleIntake, StressNeedsAUsableCrossSection) {
    struct Case {
        double area;
        double force;
        double stress;
    };
    const Case cases[] = {
        {50.0, 5.0, 100.0}, {0.0, 5.0, 0.0},  {-10.0, 5.0, 0.0},
        {kNaN, 5.0, 0.0},   {kInf, 5.0, 0.0}, {1e-320, 1e300, 0.0},  // overflows to inf
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "area " << c.area);
        Running s;
        s.work.SetArea(c.area);
        s.unit->Emit(1.0, c.force);
        EXPECT_EQ(s.work.Stress(), c.stress);
        EXPECT_EQ(s.work.Buffer().GetValue(4, 0), c.stress);
    }
}

// ---------------------------------------------------------------- start gate

TEST(SampleIntakeStartGate, FirstSampleRecordedSecondAndThirdRestart) {
    struct Case {
        const char* name;
        double threshold;
        std::vector<double> forces;  // one second apart from 1 s
        std::vector<int> rowsAfterEach;
        std::vector<double> forceRows;
        std::vector<double> timeRows;
    };
    const Case cases[] = {
        {"threshold 0.5", 0.5, {0.2, 0.6, 0.7, 0.8, 0.9}, {0, 1, 1, 1, 2}, {0.8, 0.9}, {0, 1}},
        {"threshold 0", 0.0, {0.0, 0.1, 0.2, 0.3}, {1, 1, 1, 2}, {0.2, 0.3}, {0, 1}},
        {"dip below the threshold",
         0.5,
         {0.6, 0.2, 0.7, 0.8, 0.1},
         {1, 2, 1, 1, 2},
         {0.8, 0.1},
         {0, 1}},
        {"never reached", 0.5, {0.1, 0.2, 0.3}, {0, 0, 0}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Station s;
        s.StartUp();
        s.RawReadings();
        s.work.Channel(1).startThreshold = c.threshold;
        s.console.Command(1);
        std::vector<int> rows;
        double t = 1.0;
        for (double f : c.forces) {
            s.unit->Emit(t, f);
            t += 1.0;
            rows.push_back(s.work.Buffer().GetCount(0));
        }
        EXPECT_EQ(rows, c.rowsAfterEach);
        EXPECT_EQ(Column(s.work.Buffer(), 1), c.forceRows);
        EXPECT_EQ(Column(s.work.Buffer(), 0), c.timeRows);
    }
}

TEST(SampleIntakeStartGate, RecordInIdleNeedsAPassedGate) {
    struct Case {
        const char* name;
        bool testRunBefore;
        int state;  // the code entered after that
        bool recordInIdle;
        int rows;
    };
    const Case cases[] = {
        {"set-up before any test", false, 241, true, 0},
        {"set-up after a test", true, 241, true, 2},
        {"set-up after a test, switched off", true, 241, false, 0},
        {"finished", true, 243, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Station s;
        s.StartUp();
        s.RawReadings();
        if (c.testRunBefore) {
            s.console.Command(1);
            for (int i = 1; i <= 3; ++i)
                s.unit->Emit(i, 1.0);
        }
        s.work.Command(c.state == 243 ? 2 : 241);
        s.work.ClearBuffer();
        s.work.recordInIdle = c.recordInIdle;
        s.unit->Emit(10.0, 1.0);
        s.unit->Emit(11.0, 2.0);
        EXPECT_EQ(s.work.Buffer().GetCount(0), c.rows);
    }
}

// ---------------------------------------------------------------- extensometer

TEST(SampleIntake, ExtensometerIsCarriedOnByTheDisplacement) {
    struct Sample {
        double L;
        double E;  // raw reading; exactly 0 means none
    };
    struct Case {
        const char* name;
        std::vector<Sample> previousTest;
        std::vector<Sample> samples;
        std::vector<double> recordedE;
    };
    const Case cases[] = {
        {"no reading since start", {}, {{1, 0}, {2, 0}, {3.5, 0}}, {1, 2, 3.5}},
        {"zeros after readings",
         {},
         {{1, 0.5}, {2, 0.75}, {3, 0}, {5, 0}},
         {0.5, 0.75, 1.75, 3.75}},
        {"carried from the previous test", {{2, 0.75}}, {{2.5, 0}, {3, 1.5}}, {1.25, 1.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Running s;
        double t = 1.0;
        for (const Sample& p : c.previousTest)
            s.unit->Emit(t++, 1.0, p.L, p.E);
        if (!c.previousTest.empty()) StartPastGate(s);
        for (const Sample& p : c.samples)
            s.unit->Emit(t++, 1.0, p.L, p.E);
        EXPECT_EQ(Column(s.work.Buffer(), 3), c.recordedE);
    }
}

// ---------------------------------------------------------------- protections

// Speed commands the unit got per sample.
std::vector<int> SpeedZerosPerSample(Running& s, const std::vector<double>& values, int channel) {
    std::vector<int> counts;
    double t = 1.0;
    for (double v : values) {
        s.unit->ClearLog();
        s.unit->Emit(t++, channel == 1 ? v : 0.0, channel == 2 ? v : 0.0, channel == 3 ? v : 0.0);
        int n = 0;
        for (const auto& call : s.unit->calls)
            n += call.name == "SetSpeed" && call.args[0] == 0.0 ? 1 : 0;
        EXPECT_EQ(static_cast<int>(s.unit->calls.size()), n) << "only speed 0 is sent";
        counts.push_back(n);
    }
    return counts;
}

TEST(SampleIntakeProtection, StopsPostsOnceHoldsAndRearms) {
    struct Case {
        const char* name;
        int channel;
        double limit;
        int directionCode;
        std::vector<double> values;
        std::vector<int> speedZeros;  // per sample, connected
        std::vector<int> events;
    };
    // A firing sample stops the motion for the one-shot and again for the
    // hold: 4 speed commands each (the active channel, then F, L and E).
    const Case cases[] = {
        {"F", 1, 10.0, 7, {5, 10, 11, 9.9, 9.8, 10}, {0, 8, 4, 0, 0, 8}, {52, 52}},
        {"L", 2, 10.0, 7, {5, 10, 11, 9.8, 10}, {0, 8, 4, 0, 8}, {53, 53}},
        {"E has no hold", 3, 10.0, 7, {5, 10, 11, 9.8, 10}, {0, 4, 0, 0, 4}, {54, 54}},
        {"F going down", 1, 10.0, 40, {5, 10, 11, 9.8, 10}, {0, 4, 0, 0, 4}, {52, 52}},
        {"F limit 0 is no limit", 1, 0.0, 7, {0, 5, 6, 100}, {0, 0, 0, 0}, {}},
        {"L limit 0 is no limit", 2, 0.0, 7, {0, 5, -1, 100}, {0, 0, 0, 0}, {}},
    };
    for (bool connected : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << (connected ? " connected" : ""));
            Running s(connected);
            for (int k = 1; k <= 3; ++k)
                s.work.Channel(k).protection = 1000.0;
            s.work.Channel(c.channel).protection = c.limit;
            s.work.Command(c.directionCode);
            const std::vector<int> zeros = SpeedZerosPerSample(s, c.values, c.channel);
            EXPECT_EQ(zeros, connected ? c.speedZeros : std::vector<int>(c.values.size(), 0));
            EXPECT_EQ(s.events.posted, c.events);
        }
    }
}

TEST(SampleIntakeProtection, StopSetsEveryControlledChannelToZero) {
    Running s;
    s.work.Command(4);
    for (int k = 1; k <= 3; ++k)
        s.work.Channel(k).speed = 5.0;
    s.work.Channel(2).protection = 10.0;
    s.unit->Emit(1.0, 0.0, 10.0, 0.0);
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(s.work.Channel(k).speed, 0.0) << k;
    EXPECT_EQ(s.work.State(), C_Work::kRunning);  // the test goes on until the console stops it
    EXPECT_EQ(s.unit->Count("HaltControl"), 0);
}

// ---------------------------------------------------------------- set-points

TEST(SampleIntakeSetpoint, PostsOnceAndRearmsBelowNinetyPercent) {
    struct Case {
        int channel;
        int event;
    };
    for (const Case& c : {Case{1, 49}, Case{2, 50}, Case{3, 51}}) {
        SCOPED_TRACE(c.channel);
        Running s;
        s.work.Channel(c.channel).setPoint = 10.0;
        const std::vector<double> values = {10, 11, 9.5, 9, 10};
        SpeedZerosPerSample(s, values, c.channel);
        EXPECT_EQ(s.events.posted, (std::vector<int>{c.event, c.event}));
    }
}

// ---------------------------------------------------------------- break

void RiseAndDrop(Station& s, double& t) {
    for (int f = 0; f <= 20; f += 2)
        s.unit->Emit(t++, f);
    s.unit->Emit(t++, 8.0);
    s.unit->Emit(t++, 4.0);
}

TEST(SampleIntakeBreak, PostsStopThenBreakOnceWhileRunning) {
    Running s;
    double t = 1.0;
    RiseAndDrop(s, t);
    EXPECT_EQ(s.events.posted, (std::vector<int>{2, 55}));
    s.unit->Emit(t++, 0.0);
    EXPECT_EQ(s.events.posted, (std::vector<int>{2, 55}));
}

TEST(SampleIntakeBreak, NeverOutsideTheRunningStateOrUnderVerification) {
    struct Case {
        const char* name;
        int codeAfterStart;  // 0 none
        bool verification;
    };
    const Case cases[] = {
        {"verification", 0, true},
        {"set-up", 241, false},
        {"finished", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Running s;
        if (c.codeAfterStart != 0) s.work.Command(c.codeAfterStart);
        s.work.verification = c.verification;
        double t = 1.0;
        RiseAndDrop(s, t);
        EXPECT_TRUE(s.events.posted.empty());
        // The next start arms the test again.
        s.work.verification = false;
        StartPastGate(s);
        RiseAndDrop(s, t);
        EXPECT_EQ(s.events.posted, (std::vector<int>{2, 55}));
    }
}

TEST(SampleIntakeBreak, SpentUntilTheNextStart) {
    Running s;
    s.work.verification = true;
    double t = 1.0;
    RiseAndDrop(s, t);
    s.work.verification = false;
    RiseAndDrop(s, t);
    EXPECT_TRUE(s.events.posted.empty());
    StartPastGate(s);
    RiseAndDrop(s, t);
    EXPECT_EQ(s.events.posted, (std::vector<int>{2, 55}));
}

// ---------------------------------------------------------------- events

TEST(SampleIntakeEvents, OneSamplePostsInTheFixedOrder) {
    Running s;
    s.work.Channel(3).protection = 2.0;
    s.work.Channel(2).setPoint = 10.0;
    double t = 1.0;
    for (int f = 0; f <= 20; f += 2)
        s.unit->Emit(t++, f, 1.0, 1.0);
    ASSERT_TRUE(s.events.posted.empty());
    // Break on F, protection on E and set-point on L, all in the one sample.
    s.unit->Emit(t++, 8.0, 10.0, 2.0);
    EXPECT_EQ(s.events.posted, (std::vector<int>{54, 2, 55, 50}));
}

TEST(SampleIntakeEvents, WaitForTheConsoleAndRunInOrder) {
    Running s;
    s.work.Channel(2).protection = 10.0;
    double t = 1.0;
    for (int f = 0; f <= 20; f += 2)
        s.unit->Emit(t++, f, 1.0);
    const size_t codesBefore = s.console.engineCodes.size();
    s.unit->Emit(t++, 8.0, 10.0);

    // Nothing ran yet: the engine only queued.
    EXPECT_EQ(s.events.Waiting(), (std::vector<int>{53, 2, 55}));
    EXPECT_TRUE(s.console.messages.empty());
    EXPECT_EQ(s.console.engineCodes.size(), codesBefore);
    EXPECT_EQ(s.work.State(), C_Work::kRunning);

    s.console.DrainEvents();
    EXPECT_TRUE(s.events.Empty());
    EXPECT_EQ(s.console.messages, (std::vector<std::string>{"ДОСТИГНУТА ЗАЩИТА ПО L!!!",
                                                            "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"}));
    const std::vector<int> handled(s.console.engineCodes.begin() + codesBefore,
                                   s.console.engineCodes.end());
    EXPECT_EQ(handled, (std::vector<int>{53, 243, 48, 2, 55}));
    EXPECT_EQ(s.work.State(), C_Work::kFinished);
    EXPECT_EQ(s.unit->Count("HaltControl"), 1);
}

}  // namespace

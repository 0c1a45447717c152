// The whole station below the console, with nothing faked but the unit
// itself: the test process drives the real unit implementation over the
// serial link to a simulated unit on a pty, polls live samples as the
// console does, stops on the detected break and computes ГОСТ 1497.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/c_gost_1497.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "link/stationlinks.h"
#include "model/configini.h"
#include "platform/cp1251.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "platform/sleeper.h"
#include "support/curves.h"
#include "support/recording_sink.h"
#include "support/simulated_unit.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport::curves;

// The unit's pauses shortened to a millisecond: the simulated unit needs none,
// and the engine thread's idle step still yields. Safe on both threads.
class ShortSleeper final : public platform::Sleeper {
public:
    void SleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

// Writes and commands get no reply, so the unit may read them only after the
// station has gone on.
bool Received(const testsupport::SimulatedUnit& sim, int code, size_t from) {
    return sim.WaitForCode(code, from, 5000);
}

TEST(StationOverPty, ATensionTestFromConnectToResults) {
    platform::SetDecimalSeparator('.');
    testsupport::TempFolder folder;
    // Force on input 0, displacement on input 1, break at a 50 % drop.
    ASSERT_TRUE(platform::WriteFileAtomic(
        folder.File("Config.INI"),
        platform::Utf8ToCp1251("[4]\r\nКанал нагрузка 1=0\r\nКанал перемещения 1=1\r\n"
                               "[11]\r\nКонец испытания, % от максимума=50\r\n")));
    TConfigINI ini(folder.path());
    ini.FileName = "Config";

    // A short proportional specimen of 10 mm: its gauge length is 5.65 √S0.
    const double area = CircleArea(10.0);
    const Specimen specimen{area, 5.65 * std::sqrt(area)};
    const Bilinear curve;
    const int samples = 5000;
    const Recording rec = Sample([&](double e) { return curve.Stress(e); }, curve.fractureStrain,
                                 samples, specimen, 20);
    // The connect reads one live sample; the grips settle on the next two.
    std::vector<testsupport::SimulatedUnit::CurveRow> rows(3);
    for (int i = 0; i < rec.Size(); ++i) {
        const auto k = static_cast<size_t>(i);
        rows.push_back({rec.time[k], rec.force[k], rec.displacement[k], rec.extensometer[k]});
    }
    testsupport::SimulatedUnit sim;
    sim.SetCurve(rows, 0, 1);

    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::RecordingSink messages;
    testsupport::EventQueue events;
    // The links outlive the station: the unit's links may use what they own.
    StationLinks links({sim.DevicePath()});
    ShortSleeper sleeper;
    testsupport::StationHarness console(folder.path(), clock, random, events, &messages);
    C_Work& work = console.Work();
    work.SetIni(&ini);
    auto unit = std::make_unique<DEVICE_QUELM>(
        UnitDeps{sleeper, work, messages, links, &console.controller, &work.testZone});
    const DEVICE_QUELM* device = unit.get();
    console.StartUp(std::move(unit));

    ASSERT_TRUE(work.Connected());
    EXPECT_EQ(device->LinkKind(), DEVICE_QUELM::kSerialLink);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(work.Channel(1).breakPercent, 50.0);
    EXPECT_TRUE(work.Channel(1).rawMode);

    ASSERT_TRUE(console.SelectMethod(2, 0, 0));
    C_Parametr& m = *work.Methods().Current();
    m.SetFromText(m.IndexOf("fD0"), "10");
    m.UpdateArea();
    console.Tick();

    const size_t beforeStart = sim.Requests().size();
    console.Command(1);
    EXPECT_TRUE(Received(sim, 130, beforeStart));  // the motion
    EXPECT_TRUE(Received(sim, 161, beforeStart));  // started in its mode

    // The console's 50 ms poll, as fast as the pty allows.
    int polls = 0;
    while (events.Empty() && polls < rec.Size() + 10) {
        work.ReadDevice(10);
        ++polls;
    }
    const size_t beforeStop = sim.Requests().size();
    console.DrainEvents();
    EXPECT_EQ(console.messages, std::vector<std::string>{"ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"});
    EXPECT_EQ(work.State(), C_Work::kFinished);
    EXPECT_TRUE(Received(sim, 160, beforeStop));  // the motion halted

    // The unit sends single precision: results within its rounding.
    const C_Buffer& b = work.Buffer();
    EXPECT_EQ(b.GetCount(1), samples);
    EXPECT_NEAR(m.GetFloat("fSB"), curve.strength, 1e-4 * curve.strength);
    EXPECT_NEAR(m.GetFloat("fE"), curve.modulus, 1e-3 * curve.modulus);
    EXPECT_FALSE(b.picPoints.empty());

    // Saved and opened again without the unit's help.
    const std::string file = folder.File("test.ipc");
    ASSERT_TRUE(work.SaveTest(file));
    const double strength = m.GetFloat("fSB");
    ASSERT_TRUE(work.LoadTestFile(file));
    work.Command(48);
    EXPECT_EQ(work.Buffer().GetCount(1), samples);
    EXPECT_EQ(work.Methods().Current()->GetFloat("fSB"), strength);

    work.Disconnect();
    work.Shutdown();
}

}  // namespace

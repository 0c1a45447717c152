// The simulated station that stands in for a machine: the real station
// connects to it, starts a test and gets the tension curve it promises.

#include "support/sim_station.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/cwork.h"
#include "link/c_connect.h"
#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/registerimage.h"
#include "link/stationlinks.h"
#include "model/configini.h"
#include "platform/formatfloat.h"
#include "platform/sleeper.h"
#include "platform/taskqueue.h"
#include "support/recording_sink.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace {

using testsupport::CurveRow;
using testsupport::SimStation;
using Phase = SimStation::Phase;
using SteadyClock = std::chrono::steady_clock;

constexpr int kGenerousMs = 10000;

class ShortSleeper final : public platform::Sleeper {
public:
    void SleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kGenerousMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (SteadyClock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A figure the simulator prints as "name=value unit".
double Printed(const std::vector<std::string>& banner, std::string_view name) {
    for (const std::string& line : banner) {
        if (line.size() <= name.size() || line.compare(0, name.size(), name) != 0 ||
            line[name.size()] != '=')
            continue;
        double v = 0.0;
        const char* begin = line.data() + name.size() + 1;
        if (std::from_chars(begin, line.data() + line.size(), v).ec == std::errc()) return v;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// The station's settings as the simulator writes them for it.
std::string WriteSettings(const testsupport::TempFolder& folder, const SimStation& sim) {
    if (!sim.WriteStationSettings(folder.File("Config.INI"))) std::abort();
    return folder.path();
}

// The station below the console, with the unit's real implementation on the
// real links, set up for ГОСТ 1497 on a 10 mm round specimen.
struct Station {
    Station(const SimStation& sim, std::vector<std::string> serialPorts)
        : ini(WriteSettings(folder, sim)), links(std::move(serialPorts), &ui) {
        ini.FileName = "Config";
        work.SetIni(&ini);
    }
    ~Station() {
        work.Disconnect();
        work.Shutdown();
        ui.Drain();
    }

    bool Connect() {
        console.StartUp(std::make_unique<DEVICE_QUELM>(
            UnitDeps{sleeper, work, messages, links, &console.controller, &work.testZone}));
        if (!work.Connected() || !console.SelectMethod(2, 0, 0)) return false;
        C_Parametr& m = *work.Methods().Current();
        m.SetFromText(m.IndexOf("fD0"), "10");
        m.UpdateArea();
        console.Tick();
        return true;
    }

    // The console's live poll (the UDP unit pushes by itself), a sample a
    // millisecond, until the engine posts an event.
    bool PollUntilEvent(int timeoutMs = kGenerousMs) {
        return WaitUntil(
            [&] {
                work.ReadDevice(unit_value::kLiveSample);
                ui.Drain();
                return !events.Empty();
            },
            timeoutMs);
    }
    void Poll(int samples) {
        for (int i = 0; i < samples; ++i) {
            work.ReadDevice(unit_value::kLiveSample);
            ui.Drain();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    testsupport::TempFolder folder;
    TConfigINI ini;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::RecordingSink messages;
    testsupport::EventQueue events;
    platform::TaskQueue ui;
    // The links outlive the station: the unit's links may use what they own.
    StationLinks links;
    ShortSleeper sleeper;
    testsupport::StationHarness console{folder.path(), clock, random, events, &messages};
    C_Work& work = console.Work();
};

// Checks what the station recorded against the specimen: the force at each
// extensometer reading is the one its curve gives there, the crosshead runs
// ahead of the extensometer by the frame's give, and the maximum and the
// computed tensile strength are the figures the simulator printed.
void ExpectTheSpecimensCurve(C_Work& work, const SimStation& sim) {
    const testsupport::TensionSpecimen& s = sim.Specimen();
    const C_Buffer& b = work.Buffer();
    ASSERT_GT(b.GetCount(1), 50);
    const double fractureElongation = s.fractureStrain * s.gauge;
    int checked = 0;
    int rising = 0;
    for (int i = 0; i < b.GetCount(1); ++i) {
        const double f = b.GetValue(1, i);
        const double l = b.GetValue(2, i);
        const double e = b.GetValue(3, i);
        if (i > 0 && f > b.GetValue(1, i - 1)) ++rising;
        // Past the fracture the force falls while the extensometer holds.
        if (e < 1e-3 || e > fractureElongation - 1e-3) continue;
        const double expected = s.Stress(e / s.gauge) * s.Area() / 1000.0;
        ASSERT_NEAR(f, expected, 0.01) << "sample " << i << " at " << e << " mm";
        ASSERT_NEAR(l, e + f * s.compliance, 1e-3) << "sample " << i;
        ++checked;
    }
    EXPECT_GT(checked, b.GetCount(1) / 2);
    EXPECT_GT(rising, b.GetCount(1) / 2);

    const std::vector<std::string> banner = sim.Banner();
    const double fmax = Printed(banner, "Fmax");
    const double rm = Printed(banner, "Rm");
    EXPECT_NEAR(fmax, s.MaxForce(), 0.001);
    EXPECT_NEAR(rm, s.strength, 0.05);
    double peak = 0.0;
    for (int i = 0; i < b.GetCount(1); ++i)
        peak = std::max(peak, b.GetValue(1, i));
    EXPECT_NEAR(peak, fmax, 1e-3 * fmax);
    EXPECT_NEAR(work.Methods().Current()->GetFloat("fSB"), rm, 5e-3 * rm);
}

TEST(SimStation, ReadsRestThenReplaysATensionTestToTheBreakWhenTheStationStarts) {
    platform::SetDecimalSeparator('.');
    SimStation sim({.speed = 20.0});
    const std::vector<std::string> banner = sim.Banner();
    ASSERT_FALSE(banner.empty());
    EXPECT_EQ(banner[0], "UTM_SERIAL_PORTS=" + sim.DevicePath());
    EXPECT_EQ(banner[0].rfind("UTM_SERIAL_PORTS=/dev/pts/", 0), 0u);

    Station station(sim, {sim.DevicePath()});
    ASSERT_TRUE(station.Connect());
    C_Work& work = station.work;

    // At rest: a few newtons either way and the crosshead where it stands.
    for (int i = 0; i < 20; ++i) {
        work.ReadDevice(unit_value::kLiveSample);
        EXPECT_LE(std::fabs(work.Channel(1).value), 0.005);
        EXPECT_EQ(work.Channel(2).value, 0.0);
    }
    EXPECT_EQ(sim.CurrentPhase(), Phase::kIdle);

    station.console.Command(1);
    ASSERT_TRUE(station.PollUntilEvent());
    station.console.DrainEvents();
    EXPECT_EQ(station.console.messages,
              std::vector<std::string>{"ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"});
    EXPECT_EQ(sim.TestsStarted(), 1);
    ExpectTheSpecimensCurve(work, sim);

    // The station's stop ends the replay; the broken specimen's last values hold.
    ASSERT_TRUE(WaitUntil([&] { return sim.CurrentPhase() == Phase::kHeld; }));
    const double stoppedAt = sim.TestTime();
    EXPECT_GE(stoppedAt, sim.Specimen().duration);
    const CurveRow last = sim.Specimen().At(stoppedAt);
    station.Poll(20);
    EXPECT_EQ(sim.TestTime(), stoppedAt);
    EXPECT_NEAR(work.Channel(1).value, last.force, 0.005);
    const testsupport::TensionSpecimen& specimen = sim.Specimen();
    EXPECT_NEAR(work.Channel(1).value, 0.01 * specimen.fractureStress * specimen.Area() / 1000.0,
                0.005);
    EXPECT_FLOAT_EQ(static_cast<float>(work.Channel(2).value),
                    static_cast<float>(last.displacement));
}

TEST(SimStation, PausesGoesOnAndStartsAfreshOnTheStationsCommands) {
    SimStation sim({.speed = 20.0});
    Station station(sim, {sim.DevicePath()});
    ASSERT_TRUE(station.Connect());
    const auto pump = [&] {
        return sim.Serial().Block(device_code::kStatus)[RegisterImage::kStatusPump];
    };

    station.console.Command(1);
    ASSERT_TRUE(WaitUntil([&] { return sim.TestTime() > 4.0; }));
    EXPECT_EQ(pump(), 1);
    station.console.Command(38);
    ASSERT_TRUE(WaitUntil([&] { return sim.CurrentPhase() == Phase::kPaused; }));
    const double pausedAt = sim.TestTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(sim.TestTime(), pausedAt);

    station.console.Command(39);
    ASSERT_TRUE(WaitUntil([&] { return sim.TestTime() > pausedAt + 1.0; }));
    EXPECT_EQ(sim.CurrentPhase(), Phase::kRunning);
    EXPECT_EQ(sim.TestsStarted(), 1);  // went on, did not start over

    station.console.Command(2);
    ASSERT_TRUE(WaitUntil([&] { return sim.CurrentPhase() == Phase::kHeld; }));
    EXPECT_EQ(sim.TestsStarted(), 1);

    station.console.Command(241);
    station.console.Command(1);
    ASSERT_TRUE(WaitUntil([&] { return sim.TestsStarted() == 2; }));
    EXPECT_LT(sim.TestTime(), pausedAt);
    EXPECT_EQ(sim.CurrentPhase(), Phase::kRunning);
}

// The pty from the station's side, speaking frames by hand: a station that
// keeps asking while the cable is out.
class RawPort {
public:
    explicit RawPort(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~RawPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Send(int code, const std::vector<std::uint8_t>& data) {
        const std::vector<std::uint8_t> frame = testsupport::MakeUnitFrame(code, data, 0, false);
        ASSERT_EQ(::write(fd_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    }
    // The force of a live reply, or nothing within `timeoutMs`.
    std::optional<float> LiveForce(int timeoutMs) {
        Send(device_code::kLiveSample, {});
        std::vector<std::uint8_t> in;
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
        while (SteadyClock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, 5);
            std::uint8_t chunk[256];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n > 0) in.insert(in.end(), chunk, chunk + n);
            if (in.size() >= 39 && in[2] == device_code::kLiveSample) {
                float f = 0.0f;
                std::memcpy(&f, in.data() + 4 + 4 * (1 + SimStation::kForceInput), sizeof f);
                return f;
            }
        }
        return std::nullopt;
    }

private:
    int fd_ = -1;
};

TEST(SimStation, GoesSilentMidTestLikeAPulledCableAndAnswersAgainLater) {
    SimStation sim({.speed = 20.0, .silentAfter = 4.0, .silentFor = 10.0});
    RawPort port(sim.DevicePath());
    ASSERT_TRUE(port.IsOpen());
    ASSERT_TRUE(port.LiveForce(1000));

    std::vector<std::uint8_t> motion(RegisterImage::Length(RegisterImage::kMotion), 0);
    const float speed = 5.0f;
    std::memcpy(motion.data() + RegisterImage::kMotionSpeed, &speed, sizeof speed);
    port.Send(device_code::kMotion, motion);
    port.Send(device_code::kStartMode, {1});

    ASSERT_TRUE(WaitUntil([&] { return !port.LiveForce(50); }));
    EXPECT_TRUE(sim.Silent());
    EXPECT_GE(sim.TestTime(), 4.0);
    // Lost on the way: the unit goes on pulling.
    port.Send(device_code::kStopMotion, {});

    std::optional<float> force;
    ASSERT_TRUE(WaitUntil([&] { return (force = port.LiveForce(50)).has_value(); }));
    EXPECT_FALSE(sim.Silent());
    EXPECT_GE(sim.TestTime(), 14.0);
    EXPECT_EQ(sim.CurrentPhase(), Phase::kRunning);
    EXPECT_GT(*force, 0.9 * sim.Specimen().lowerYield * sim.Specimen().Area() / 1000.0);
}

TEST(SimStation, PushesTheTestOverUdpToAStationThatConnectedThere) {
    std::unique_ptr<SimStation> sim;
    std::unique_ptr<Station> station;
    // A failure is someone else holding the push port; another pair will do.
    for (int attempt = 0; attempt < 10 && !station; ++attempt) {
        sim = std::make_unique<SimStation>(SimStation::Options{.speed = 40.0, .udpPort = 0});
        ASSERT_NE(sim->UdpPort(), SimStation::kNoUdp);
        auto s = std::make_unique<Station>(*sim, std::vector<std::string>{});
        if (s->Connect()) station = std::move(s);
    }
    ASSERT_TRUE(station);
    const auto* unit = dynamic_cast<const DEVICE_QUELM*>(station->work.Unit());
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->LinkKind(), DEVICE_QUELM::kUdpLink);

    station->console.Command(1);
    ASSERT_TRUE(station->PollUntilEvent());
    station->console.DrainEvents();
    EXPECT_EQ(station->console.messages,
              std::vector<std::string>{"ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"});
    ExpectTheSpecimensCurve(station->work, *sim);
}

TEST(SimStationCommandLine, TakesItsOptionsAndRefusesNonsense) {
    struct Case {
        std::vector<std::string_view> args;
        bool ok;
        double speed = 1.0;
        double silentAfter = -1.0;
        double silentFor = -1.0;
        int udpPort = SimStation::kNoUdp;
        std::string_view iniPath = {};
    };
    const Case cases[] = {
        {{}, true},
        {{"--speed", "10"}, true, 10.0},
        {{"--speed=2.5", "--udp", "0"}, true, 2.5, -1.0, -1.0, 0},
        {{"--silent-after", "12", "--silent-for=3"}, true, 1.0, 12.0, 3.0},
        {{"--udp", "5000"}, true, 1.0, -1.0, -1.0, 5000},
        {{"--ini", "build/release/Config.INI"},
         true,
         1.0,
         -1.0,
         -1.0,
         SimStation::kNoUdp,
         "build/release/Config.INI"},
        {{"--ini="}, false},
        {{"--speed", "0"}, false},
        {{"--speed", "fast"}, false},
        {{"--speed", "1e999"}, false},
        {{"--speed"}, false},
        {{"--silent-after", "-1"}, false},
        {{"--udp", "65535"}, false},
        {{"--udp", "80.5"}, false},
        {{"--port", "7"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : std::string(c.args[0]));
        const testsupport::SimCommandLine line = testsupport::ParseSimCommandLine(c.args);
        EXPECT_FALSE(line.help);
        EXPECT_EQ(line.error.empty(), c.ok) << line.error;
        if (!c.ok) continue;
        EXPECT_EQ(line.options.speed, c.speed);
        EXPECT_EQ(line.options.silentAfter, c.silentAfter);
        EXPECT_EQ(line.options.silentFor, c.silentFor);
        EXPECT_EQ(line.options.udpPort, c.udpPort);
        EXPECT_EQ(line.iniPath, c.iniPath);
    }
    EXPECT_TRUE(testsupport::ParseSimCommandLine({"--speed", "2", "--help"}).help);
}

}  // namespace

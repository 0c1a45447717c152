#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/inidocument.h"
#include "support/simulated_udp_unit.h"
#include "support/simulated_unit.h"
#include "support/unit_registers.h"

namespace testsupport {

// The tension test the simulated station replays: a round steel specimen,
// d0 = 10 mm, l0 = 5 d0, pulled to fracture in about half a minute. The
// crosshead moves at a steady speed, slow over the elastic line and the yield,
// faster through hardening and necking; it reads the specimen's elongation and
// the give of frame and grips, so at the upper yield point the force drops
// while it stands, as on a real machine.
struct TensionSpecimen {
    double diameter = 10.0;       // mm
    double gauge = 50.0;          // mm
    double modulus = 200000.0;    // N/mm²
    double knee = 250.0;          // end of the straight line, N/mm²
    double upperYield = 320.0;    // ReH
    double lowerYield = 295.0;    // ReL, the plateau
    double yieldDrop = 0.0003;    // strain over which ReH falls to ReL
    double plateauEnd = 0.02;     // strain
    double strength = 460.0;      // Rm, reached at the uniform strain
    double uniformStrain = 0.16;  // Ag
    double fractureStress = 360.0;
    double fractureStrain = 0.26;
    double hardeningExponent = 2.5;
    double compliance = 1.0 / 40.0;  // mm of give per kN
    // The slow part ends when the specimen has this strain, past the yield.
    double slowStrain = 0.004;
    double slowTime = 8.0;    // s
    double duration = 30.0;   // s to the fracture
    double breakTime = 0.02;  // s the force takes to fall to 1 %
    double restFraction = 0.01;

    double Area() const;                 // mm²
    double Stress(double strain) const;  // N/mm²
    double MaxForce() const;             // kN, Rm · S0
    // The crosshead, mm, when the specimen has `strain`.
    double Crosshead(double strain) const;
    // Time in seconds from the start; both stop at the fracture.
    double CrossheadAt(double time) const;
    double StrainAt(double time) const;
    double EndTime() const { return duration + breakTime; }
    // The reading `time` seconds into the test: force in kN, crosshead and
    // extensometer in mm. After the break the last reading holds. The time
    // field is `time` as well.
    CurveRow At(double time) const;
};

// A measuring unit standing in for a machine: a simulated unit on a pty
// (and, if asked, one on a loopback UDP port) that reads zero force at rest
// and replays the tension test when the station starts one. The force goes
// to unit input 0, the crosshead to input 1. It follows the station's commands
// as a machine would: the motion block with a speed and then the start mode
// start the replay (or let a paused one go on), the same without a speed
// pauses it, a motion stop or the stop keys end it with its last readings
// held; the pump keys show in the status block.
class SimStation {
public:
    static constexpr int kForceInput = 0;
    static constexpr int kDisplacementInput = 1;
    static constexpr int kNoUdp = -1;

    struct Options {
        double speed = 1.0;         // test seconds per second
        double silentAfter = -1.0;  // test seconds after a start; negative: never
        double silentFor = -1.0;    // test seconds; negative: for good
        int udpPort = kNoUdp;       // 0 picks a free port
        bool keepRequests = true;   // the units' logs of what they received
        std::uint64_t noiseSeed = 1;
    };

    // kHeld: stopped by the station; the readings stay where the replay was.
    enum class Phase { kIdle, kRunning, kPaused, kHeld };

    explicit SimStation(Options options);
    ~SimStation();
    SimStation(const SimStation&) = delete;
    SimStation& operator=(const SimStation&) = delete;

    const std::string& DevicePath() const { return serial_.DevicePath(); }
    // The UDP unit's port, kNoUdp without one or when it could not bind.
    int UdpPort() const;
    // What to tell the user: where the unit is and the curve's own figures.
    std::vector<std::string> Banner() const;
    // The station's settings this unit needs: which unit inputs carry force
    // and crosshead, the force channel's full scale and break, and the UDP
    // unit's address when there is one.
    std::vector<platform::IniFile::Entry> StationSettings() const;
    // Puts them into the station's INI file, keeping everything else in it.
    bool WriteStationSettings(const std::string& iniPath) const;
    const TensionSpecimen& Specimen() const { return specimen_; }

    Phase CurrentPhase() const;
    double TestTime() const;  // seconds into the current (or last) test
    int TestsStarted() const;
    bool Silent() const;
    // The reading a live request gets now.
    CurveRow Now() const;

    SimulatedUnit& Serial() { return serial_; }
    SimulatedUdpUnit* Udp() { return udp_.get(); }
    // Ends the replay and both units; the destructor does it too.
    void Stop();

private:
    using Clock = std::chrono::steady_clock;

    double UnitTime() const;
    double TestTimeLocked() const;
    CurveRow NowLocked() const;
    void OnRequest(int code, const std::vector<std::uint8_t>& data);
    void Run(std::stop_token stop);
    void SetUnitsSilent(bool silent);
    void ShowPump(bool on);
    void FillRegisters();

    const Options options_;
    const TensionSpecimen specimen_;
    const Clock::time_point origin_ = Clock::now();

    mutable std::mutex mutex_;
    Phase phase_ = Phase::kIdle;
    double testBase_ = 0.0;  // test time when the phase last changed
    double runSince_ = 0.0;  // unit time the replay last went on
    float motionSpeed_ = 0.0f;
    int testsStarted_ = 0;
    bool silent_ = false;
    bool silencedThisTest_ = false;
    mutable std::uint64_t noise_ = 0;

    // The units call back into the state above: they go before it.
    SimulatedUnit serial_;
    std::unique_ptr<SimulatedUdpUnit> udp_;
    // Last: it stops before what it uses goes.
    std::jthread ticker_;
};

// The command line of the simulated station; an error text when it is wrong.
struct SimCommandLine {
    SimStation::Options options;
    std::string iniPath;  // where to write the station's settings, if anywhere
    bool help = false;
    std::string error;
};
SimCommandLine ParseSimCommandLine(const std::vector<std::string_view>& args);
const char* SimUsage();

}  // namespace testsupport

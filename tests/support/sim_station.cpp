#include "support/sim_station.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>
#include <system_error>
#include <utility>

#include "link/devicecommands.h"
#include "link/registerimage.h"

namespace testsupport {

namespace {

using R = RegisterImage;

constexpr double kNoiseKn = 0.004;  // a load cell's few newtons either way
constexpr int kTickMs = 5;          // 200 pushed samples a second, as the unit sends them

// Full scales and force protection as a 100 kN machine reports them.
constexpr float kFullScale[3] = {100.0f, 100.0f, 25.0f};
constexpr float kForceProtection = 100.0f;

std::string Fixed(double value, int digits) {
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits);
    return {text, r.ptr};
}

// A whole argument as a finite number; nothing else around it.
std::optional<double> NumberOf(std::string_view text) {
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace

// ---------------------------------------------------------------- the specimen

double TensionSpecimen::Area() const {
    return std::numbers::pi * diameter * diameter / 4.0;
}

double TensionSpecimen::Stress(double e) const {
    const double kneeStrain = knee / modulus;
    const double peak = kneeStrain + 2.0 * (upperYield - knee) / modulus;
    if (e <= kneeStrain) return modulus * std::max(e, 0.0);
    if (e <= peak) {
        // The slope falls evenly from the modulus to 0 at the upper yield point.
        const double d = e - kneeStrain;
        return knee + modulus * d - modulus * d * d / (2.0 * (peak - kneeStrain));
    }
    if (e <= peak + yieldDrop)
        return upperYield - (upperYield - lowerYield) * (e - peak) / yieldDrop;
    if (e <= plateauEnd) return lowerYield;
    if (e <= uniformStrain) {
        const double x = (e - plateauEnd) / (uniformStrain - plateauEnd);
        return lowerYield + (strength - lowerYield) * (1.0 - std::pow(1.0 - x, hardeningExponent));
    }
    if (e <= fractureStrain) {
        const double y = (e - uniformStrain) / (fractureStrain - uniformStrain);
        return strength - (strength - fractureStress) * y * y;
    }
    return fractureStress;
}

double TensionSpecimen::Crosshead(double strain) const {
    return strain * gauge + Stress(strain) * Area() / 1000.0 * compliance;
}

double TensionSpecimen::CrossheadAt(double t) const {
    if (!(t > 0.0)) return 0.0;
    const double slowEnd = Crosshead(slowStrain);
    if (t <= slowTime) return slowEnd * t / slowTime;
    const double fractureAt = Crosshead(fractureStrain);
    const double fast = (fractureAt - slowEnd) / (duration - slowTime);
    return std::min(slowEnd + fast * (t - slowTime), fractureAt);
}

double TensionSpecimen::StrainAt(double t) const {
    // Past the upper yield point the crosshead would have to go back to follow
    // the falling force: the specimen jumps ahead instead, to where the
    // crosshead reading reaches that of the peak again. So the strain is the
    // furthest one whose crosshead reading, and every one before, stays
    // within the crosshead's position.
    const double kneeStrain = knee / modulus;
    const double peak = kneeStrain + 2.0 * (upperYield - knee) / modulus;
    const double peakReading = Crosshead(peak);
    const auto reading = [&](double e) {
        return e <= peak ? Crosshead(e) : std::max(peakReading, Crosshead(e));
    };
    const double x = CrossheadAt(t);
    double lo = 0.0;
    double hi = fractureStrain;
    if (reading(hi) <= x) return hi;
    for (int i = 0; i < 80; ++i) {
        const double mid = 0.5 * (lo + hi);
        (reading(mid) <= x ? lo : hi) = mid;
    }
    return lo;
}

double TensionSpecimen::MaxForce() const {
    return strength * Area() / 1000.0;
}

CurveRow TensionSpecimen::At(double t) const {
    const auto intact = [this](double time) {
        const double e = StrainAt(time);
        return CurveRow{time, Stress(e) * Area() / 1000.0, CrossheadAt(time), e * gauge};
    };
    if (t <= duration) return intact(t);
    // Broken: the crosshead stays where it was, the force falls to almost nothing.
    CurveRow row = intact(duration);
    const double rest = restFraction * row.force;
    const double fall = std::min((t - duration) / breakTime, 1.0);
    row.force += (rest - row.force) * fall;
    row.time = t;
    return row;
}

// ---------------------------------------------------------------- the station

SimStation::SimStation(Options options) : options_(options), noise_(options.noiseSeed) {
    // A free port picked at 65535 leaves none above for the pushed samples.
    for (int attempt = 0; attempt < 5 && options_.udpPort != kNoUdp && !udp_; ++attempt) {
        udp_ = std::make_unique<SimulatedUdpUnit>(options_.udpPort);
        if (!udp_->IsOpen() || udp_->Port() >= 65535) udp_.reset();
    }
    FillRegisters();
    serial_.KeepRequests(options_.keepRequests);
    serial_.SetLiveSource([this] { return Now(); }, kForceInput, kDisplacementInput);
    serial_.SetRequestObserver(
        [this](int code, const std::vector<std::uint8_t>& data) { OnRequest(code, data); });
    if (udp_) {
        udp_->KeepRequests(options_.keepRequests);
        udp_->SetCurve({}, kForceInput, kDisplacementInput);
        udp_->SetRequestObserver(
            [this](int code, const std::vector<std::uint8_t>& data) { OnRequest(code, data); });
    }
    ticker_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

SimStation::~SimStation() {
    Stop();
}

void SimStation::Stop() {
    if (ticker_.joinable()) {
        ticker_.request_stop();
        ticker_.join();
    }
    serial_.Stop();
    if (udp_) udp_->Stop();
}

void SimStation::FillRegisters() {
    for (int c = 0; c < 3; ++c) {
        std::vector<std::uint8_t> channel(R::Length(R::ChannelBlock(c + 1)), 0);
        std::memcpy(channel.data() + R::kChannelFullScale, &kFullScale[c], sizeof(float));
        serial_.SetBlock(device_code::kReadChannelFirst + c, channel);
        if (udp_) udp_->SetBlock(device_code::kReadChannelFirst + c, channel);
    }
    std::vector<std::uint8_t> setpoints(R::Length(R::kSetpoints), 0);
    std::memcpy(setpoints.data() + R::kProtection1, &kForceProtection, sizeof(float));
    serial_.SetBlock(device_code::kReadSetpoints, setpoints);
    if (udp_) udp_->SetBlock(device_code::kReadSetpoints, setpoints);
}

int SimStation::UdpPort() const {
    return udp_ ? udp_->Port() : kNoUdp;
}

std::vector<std::string> SimStation::Banner() const {
    const TensionSpecimen& s = specimen_;
    std::vector<std::string> lines;
    lines.push_back("UTM_SERIAL_PORTS=" + DevicePath());
    if (udp_) {
        lines.push_back("# a UDP unit as well at 127.0.0.1:" + std::to_string(UdpPort()) +
                        ", pushing samples to port " + std::to_string(UdpPort() + 1) +
                        "; the station tries it when UTM_SERIAL_PORTS is empty");
    }
    // Without them the station reads force and crosshead from one input,
    // shows neither channel and never sees the break.
    lines.push_back(
        "# the station's Config.INI needs this unit's inputs and channels and the on-screen "
        "keyboard: utm-sim --ini FILE writes them");
    lines.push_back("# round specimen d0=" + Fixed(s.diameter, 1) +
                    " mm, S0=" + Fixed(s.Area(), 2) + " mm², l0=" + Fixed(s.gauge, 1) +
                    " mm; break after " + Fixed(s.duration, 1) + " s of test time, replayed at " +
                    Fixed(options_.speed, 2) + "x");
    lines.push_back("ReH=" + Fixed(s.upperYield, 1) + " N/mm²");
    lines.push_back("ReL=" + Fixed(s.lowerYield, 1) + " N/mm²");
    lines.push_back("Rm=" + Fixed(s.strength, 1) + " N/mm²");
    lines.push_back("Fmax=" + Fixed(s.MaxForce(), 3) + " kN");
    lines.push_back("A=" + Fixed(100.0 * s.fractureStrain, 1) + " %");
    return lines;
}

std::vector<platform::IniFile::Entry> SimStation::StationSettings() const {
    std::vector<platform::IniFile::Entry> entries = {
        {"4", "Канал нагрузка 1", std::to_string(kForceInput)},
        {"4", "Канал перемещения 1", std::to_string(kDisplacementInput)},
        // A touch panel has no keyboard but the one on the screen.
        {"7", "Использовать Вирт. клавиатуру", "1"},
    };
    // The channels as the unit reports them: force, crosshead, and no
    // extensometer. A missing name or unit would read empty.
    struct Channel {
        const char* name;
        const char* unit;
        const char* speedUnit;
        const char* breakPercent;
        bool used;
    };
    const Channel channels[3] = {
        {"F", "кН", "кН/c", "50", true},
        {"L", "мм", "мм/мин", "0", true},
        {"E", "мм", "мм/мин", "0", false},
    };
    for (int c = 0; c < 3; ++c) {
        const Channel& ch = channels[c];
        const std::string section = std::to_string(11 + c);
        entries.push_back({section, "Использовать канал(0-откл)", ch.used ? "1" : "0"});
        entries.push_back({section, "Название канала", ch.name});
        entries.push_back({section, "Единица измерения", ch.unit});
        entries.push_back({section, "Единица измерения скорости", ch.speedUnit});
        entries.push_back({section, "Максимальный параметр измерения", Fixed(kFullScale[c], 0)});
        entries.push_back({section, "Конец испытания, % от максимума", ch.breakPercent});
    }
    if (udp_) {
        entries.push_back({"7", "IP", "127.0.0.1"});
        entries.push_back({"7", "IP_Порт", std::to_string(UdpPort())});
    }
    return entries;
}

bool SimStation::WriteStationSettings(const std::string& iniPath) const {
    return platform::IniFile(iniPath).WriteAll(StationSettings());
}

double SimStation::UnitTime() const {
    return options_.speed * std::chrono::duration<double>(Clock::now() - origin_).count();
}

double SimStation::TestTimeLocked() const {
    return phase_ == Phase::kRunning ? testBase_ + (UnitTime() - runSince_) : testBase_;
}

SimStation::Phase SimStation::CurrentPhase() const {
    std::lock_guard lock(mutex_);
    return phase_;
}

double SimStation::TestTime() const {
    std::lock_guard lock(mutex_);
    return TestTimeLocked();
}

int SimStation::TestsStarted() const {
    std::lock_guard lock(mutex_);
    return testsStarted_;
}

bool SimStation::Silent() const {
    std::lock_guard lock(mutex_);
    return silent_;
}

CurveRow SimStation::Now() const {
    std::lock_guard lock(mutex_);
    return NowLocked();
}

CurveRow SimStation::NowLocked() const {
    CurveRow row = phase_ == Phase::kIdle ? CurveRow{} : specimen_.At(TestTimeLocked());
    // splitmix64: the same noise on every machine.
    std::uint64_t z = (noise_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const double u = static_cast<double>(z >> 11) / 9007199254740992.0;  // [0, 1)
    row.force += kNoiseKn * (2.0 * u - 1.0);
    row.time = UnitTime();
    return row;
}

void SimStation::OnRequest(int code, const std::vector<std::uint8_t>& data) {
    std::optional<bool> pump;
    {
        std::lock_guard lock(mutex_);
        // A pulled cable: nothing the station sends reaches the unit.
        if (silent_) return;
        const auto halt = [this] {
            if (phase_ != Phase::kRunning && phase_ != Phase::kPaused) return;
            testBase_ = TestTimeLocked();
            phase_ = Phase::kHeld;
            motionSpeed_ = 0.0f;
        };
        switch (code) {
            case device_code::kMotion:
                if (data.size() >= R::kMotionSpeed + sizeof(float))
                    std::memcpy(&motionSpeed_, data.data() + R::kMotionSpeed, sizeof(float));
                break;
            case device_code::kStartMode:
                // The station sends the motion block and then the start: with a
                // speed it starts or goes on, without one it pauses.
                if (motionSpeed_ == 0.0f) {
                    if (phase_ == Phase::kRunning) {
                        testBase_ = TestTimeLocked();
                        phase_ = Phase::kPaused;
                    }
                } else if (phase_ != Phase::kRunning) {
                    if (phase_ != Phase::kPaused) {
                        testBase_ = 0.0;
                        ++testsStarted_;
                        silencedThisTest_ = false;
                    }
                    runSince_ = UnitTime();
                    phase_ = Phase::kRunning;
                }
                break;
            case device_code::kStopMotion:
                halt();
                break;
            case device_code::kKey:
                if (data.empty()) break;
                if (data[0] == key_code::kStop || data[0] == key_code::kDriveStop) halt();
                if (data[0] == key_code::kPumpOn) pump = true;
                if (data[0] == key_code::kPumpOff) pump = false;
                break;
            default:
                break;
        }
    }
    if (pump) ShowPump(*pump);
}

void SimStation::ShowPump(bool on) {
    std::vector<std::uint8_t> status = serial_.Block(device_code::kStatus);
    if (status.size() > R::kStatusPump) {
        status[R::kStatusPump] = on ? 1 : 0;
        serial_.SetBlock(device_code::kStatus, status);
        if (udp_) udp_->SetBlock(device_code::kStatus, status);
    }
}

void SimStation::SetUnitsSilent(bool silent) {
    serial_.SetSilent(silent);
    if (udp_) udp_->SetSilent(silent);
}

void SimStation::Run(std::stop_token stop) {
    std::optional<bool> shownSilent;
    while (!stop.stop_requested()) {
        CurveRow row;
        bool silent = false;
        {
            std::lock_guard lock(mutex_);
            if (phase_ == Phase::kRunning && options_.silentAfter >= 0.0) {
                const double t = TestTimeLocked();
                if (!silencedThisTest_ && t >= options_.silentAfter) {
                    silencedThisTest_ = true;
                    silent_ = true;
                }
                if (silent_ && options_.silentFor >= 0.0 &&
                    t >= options_.silentAfter + options_.silentFor)
                    silent_ = false;
            }
            silent = silent_;
            row = NowLocked();
        }
        if (shownSilent != silent) SetUnitsSilent(silent);
        shownSilent = silent;
        if (udp_) {
            const std::vector<std::uint8_t> block = udp_->LiveBlock(row);
            udp_->SetBlock(device_code::kLiveSample, block);
            const auto target = udp_->PushTarget();
            if (!silent && target) udp_->SendFrame(target->port, device_code::kLiveSample, block);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
    }
}

// ---------------------------------------------------------------- command line

const char* SimUsage() {
    return "usage: utm-sim [--speed X] [--silent-after SECONDS] [--silent-for SECONDS] "
           "[--udp PORT] [--ini FILE]\n"
           "  A simulated measuring unit on a pty: it reads zero force at rest and replays\n"
           "  a tension test of a round specimen when the station starts a test.\n"
           "  --speed X             replay X times faster (test time runs X times faster)\n"
           "  --silent-after S      stop answering S seconds of test time after a start\n"
           "                        (a pulled cable)\n"
           "  --silent-for S        answer again after S seconds of test time\n"
           "  --udp PORT            a unit on 127.0.0.1:PORT as well (0: any free port)\n"
           "  --ini FILE            write the settings the station needs into its Config.INI\n"
           "                        (inputs, force full scale, break, UDP address)\n"
           "  Runs until interrupted (Ctrl+C) or terminated.\n";
}

SimCommandLine ParseSimCommandLine(const std::vector<std::string_view>& args) {
    SimCommandLine out;
    SimStation::Options& o = out.options;
    for (size_t i = 0; i < args.size() && out.error.empty() && !out.help; ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> value;
        if (const size_t eq = name.find('='); eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name == "--help" || name == "-h") {
            out.help = true;
            break;
        }
        if (name != "--speed" && name != "--silent-after" && name != "--silent-for" &&
            name != "--udp" && name != "--ini") {
            out.error = "unknown option " + std::string(args[i]);
            break;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                out.error = std::string(name) + " needs a value";
                break;
            }
            value = args[++i];
        }
        if (name == "--ini") {
            if (value->empty()) out.error = "--ini needs a file";
            out.iniPath = *value;
            continue;
        }
        const std::optional<double> v = NumberOf(*value);
        const std::string bad = "bad value for " + std::string(name) + ": " + std::string(*value);
        if (name == "--speed") {
            if (!v || *v <= 0.0 || *v > 1000.0)
                out.error = bad + " (more than 0, at most 1000)";
            else
                o.speed = *v;
        } else if (name == "--silent-after" || name == "--silent-for") {
            if (!v || *v < 0.0 || *v > 1e6)
                out.error = bad + " (seconds, not negative)";
            else
                (name == "--silent-after" ? o.silentAfter : o.silentFor) = *v;
        } else {
            // The station listens one port above: the unit's port must leave room.
            if (!v || *v != std::floor(*v) || *v < 0.0 || *v > 65534.0)
                out.error = bad + " (a port from 1 to 65534, or 0 for any)";
            else
                o.udpPort = static_cast<int>(*v);
        }
    }
    return out;
}

}  // namespace testsupport

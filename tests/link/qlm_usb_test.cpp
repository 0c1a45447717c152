#include "link/qlm_usb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/c_connect.h"
#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/registerimage.h"
#include "link/unitdeps.h"
#include "model/ckanal.h"
#include "model/config.h"
#include "platform/hiddevice.h"
#include "platform/sleeper.h"
#include "support/recording_sink.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Trace = std::vector<std::string>;
using R = RegisterImage;

std::string Describe(const char* what, const Bytes& bytes) {
    std::string s = what;
    s += " [";
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) s += ' ';
        s += std::to_string(bytes[i]);
    }
    return s + "]";
}

Bytes Pattern(size_t n, std::uint8_t first) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(first + i);
    return b;
}

Bytes Floats(const std::vector<float>& values) {
    Bytes b(values.size() * 4);
    std::memcpy(b.data(), values.data(), b.size());
    return b;
}

// One HID interface of the fake machine. As a unit it remembers the last
// header and serves the block of that code, 8 bytes a report.
struct FakeDevice {
    std::string path;
    std::string manufacturer;
    std::string product;
    bool opens = true;
    int refuseOpens = 0;  // opens refused before it starts to open
    Bytes live;           // payload of report 1
    std::map<int, Bytes> blocks;

    int headerCode = -1;
    size_t cursor = 0;
    int reportsTaken = 0;
};

// Bytes 8 to 15 of a block report carry this, which must never reach a block.
constexpr std::uint8_t kReportFiller = 0xEE;

// Records every open, close, set and get with its bytes, and can refuse an
// open, fail a report, or answer short.
class FakeHid final : public platform::HidBackend {
public:
    bool usable = true;
    std::vector<FakeDevice> devices;

    std::set<int> failGet;        // report identifiers whose get fails
    std::map<int, int> getCount;  // report identifier -> count its get claims
    std::optional<int> setCount;  // count every set claims
    std::optional<int> failFrom;  // reports from this one on (0 the first) fail
    int reports = 0;
    int enumerations = 0;
    Trace events;                  // "open p", "close p", "set [3 ...]", "get 4 (17)"
    std::vector<int> headerCodes;  // the codes of the headers the device took

    bool Usable() override { return usable; }

    std::vector<std::string> Enumerate() override {
        ++enumerations;
        std::vector<std::string> paths;
        for (const FakeDevice& d : devices)
            paths.push_back(d.path);
        return paths;
    }

    std::unique_ptr<platform::HidHandle> Open(const std::string& path) override;

    FakeDevice* Find(const std::string& path) {
        for (FakeDevice& d : devices)
            if (d.path == path) return &d;
        return nullptr;
    }

    // Only the reports, as a trace.
    Trace Reports() const {
        Trace out;
        for (const std::string& e : events)
            if (e.starts_with("set") || e.starts_with("get")) out.push_back(e);
        return out;
    }
};

class FakeHandle final : public platform::HidHandle {
public:
    FakeHandle(FakeHid& hid, FakeDevice& device) : hid_(hid), device_(device) {}
    ~FakeHandle() override { hid_.events.push_back("close " + device_.path); }

    std::string Manufacturer() override { return device_.manufacturer; }
    std::string Product() override { return device_.product; }

    int SetFeature(std::span<const std::uint8_t> report) override {
        const Bytes bytes(report.begin(), report.end());
        hid_.events.push_back(Describe("set", bytes));
        if (Fails()) return -1;
        if (!bytes.empty() && bytes[0] == QLM_USB::kHeaderReport && bytes.size() > 1) {
            device_.headerCode = bytes[1];
            device_.cursor = 0;
            hid_.headerCodes.push_back(bytes[1]);
        }
        return hid_.setCount ? *hid_.setCount : static_cast<int>(bytes.size());
    }

    int GetFeature(std::span<std::uint8_t> buffer) override {
        const int report = buffer.empty() ? -1 : buffer[0];
        hid_.events.push_back("get " + std::to_string(report) + " (" +
                              std::to_string(buffer.size()) + ")");
        if (Fails() || hid_.failGet.count(report) != 0) return -1;
        Bytes payload;
        if (report == QLM_USB::kLiveReport) {
            payload = device_.live;
        } else if (report == QLM_USB::kBlockReport) {
            const Bytes& block = device_.blocks[device_.headerCode];
            payload.assign(QLM_USB::kBlockReadSize, kReportFiller);
            for (size_t i = 0; i < QLM_USB::kBlockSize; ++i) {
                const size_t at = device_.cursor * QLM_USB::kBlockSize + i;
                payload[i] = at < block.size() ? block[at] : 0;
            }
            ++device_.cursor;
        }
        const size_t n = std::min(payload.size(), buffer.size() - 1);
        std::copy_n(payload.begin(), n, buffer.begin() + 1);
        const auto claimed = hid_.getCount.find(report);
        if (claimed != hid_.getCount.end()) return claimed->second;
        return static_cast<int>(buffer.size());
    }

private:
    bool Fails() {
        ++device_.reportsTaken;
        const int n = hid_.reports++;
        return hid_.failFrom && n >= *hid_.failFrom;
    }

    FakeHid& hid_;
    FakeDevice& device_;
};

std::unique_ptr<platform::HidHandle> FakeHid::Open(const std::string& path) {
    events.push_back("open " + path);
    FakeDevice* d = Find(path);
    if (d == nullptr || !d->opens) return nullptr;
    if (d->refuseOpens > 0) {
        --d->refuseOpens;
        return nullptr;
    }
    return std::make_unique<FakeHandle>(*this, *d);
}

FakeDevice Unit(const std::string& path = "/dev/hidraw0") {
    FakeDevice d;
    d.path = path;
    d.manufacturer = "QUELM";
    d.product = "X";
    return d;
}

FakeDevice Mouse(const std::string& path) {
    FakeDevice d;
    d.path = path;
    d.manufacturer = "Logitech";
    d.product = "Mouse";
    return d;
}

class NullSleeper final : public platform::Sleeper {
public:
    void SleepMs(int /*ms*/) override {}
};

class RecordingDecoder final : public ReplyDecoder {
public:
    void DecodeReply(int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

// A USB link over the fake backend, with its own register image.
struct Rig {
    Rig() : link(LinkContext{image, sleeper, &decoder}, hid) {}

    // Connects to a single unit and forgets what the search did.
    void ConnectToUnit() {
        hid.devices = {Unit()};
        ASSERT_TRUE(link.Open(255));
        hid.events.clear();
        hid.headerCodes.clear();
        hid.reports = 0;
    }

    RegisterImage image;
    NullSleeper sleeper;
    RecordingDecoder decoder;
    FakeHid hid;
    QLM_USB link;
};

// ---------------------------------------------------------------- names and search

TEST(QlmUsbEnumerate, NamesEachInterfaceByItsStrings) {
    const struct {
        std::string manufacturer;
        std::string product;
        bool opens;
        std::string name;
    } cases[] = {
        {"QUELM", "X", true, "QUELM X"},
        {"ABC", "Mouse", true, "ABC Mouse"},
        {"AB", "Mouse", true, "AB"},
        {"A", "Mouse", true, "A"},
        {"", "Mouse", true, ""},
        // Characters count, not bytes: two Cyrillic letters are four bytes.
        {"Ян", "Мышь", true, "Ян"},
        {"Яна", "Мышь", true, "Яна Мышь"},
        {"QUELM", "X", false, "Unknown device"},
    };
    Rig rig;
    for (size_t i = 0; i < std::size(cases); ++i) {
        FakeDevice d;
        d.path = "/dev/hidraw" + std::to_string(i);
        d.manufacturer = cases[i].manufacturer;
        d.product = cases[i].product;
        d.opens = cases[i].opens;
        rig.hid.devices.push_back(d);
    }
    EXPECT_EQ(rig.link.Enumerate(), static_cast<int>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(rig.link.NameOf(rig.hid.devices[i].path), cases[i].name)
            << cases[i].manufacturer << " / " << cases[i].product;
    }
    EXPECT_EQ(rig.link.Paths().size(), std::size(cases));
}

TEST(QlmUsbOpen, ChoosesTheFirstInterfaceNamedForTheFamily) {
    Rig rig;
    FakeDevice busyUnit = Unit("/dev/hidraw1");
    busyUnit.opens = false;
    rig.hid.devices = {Mouse("/dev/hidraw0"), busyUnit, Unit("/dev/hidraw2"), Unit("/dev/hidraw3")};
    rig.hid.devices[3].product = "Y";

    ASSERT_TRUE(rig.link.Open(255));
    EXPECT_TRUE(rig.link.IsConnected());
    EXPECT_EQ(rig.link.CurrentIndex(), 2);
    EXPECT_EQ(rig.link.CurrentPath(), "/dev/hidraw2");
    EXPECT_EQ(rig.link.NameOf("/dev/hidraw1"), "Unknown device");
    // Enumerated once per interface tried; the name must not pile up over them.
    EXPECT_EQ(rig.hid.enumerations, 3);
    EXPECT_EQ(rig.link.deviceName, "QUELM X");
    // Naming opens nothing but the strings: no report reaches any device.
    EXPECT_TRUE(rig.hid.Reports().empty());
}

TEST(QlmUsbOpen, BusyAtFirstEnumeration_IsChosenOnceItOpens) {
    Rig rig;
    FakeDevice unit = Unit("/dev/hidraw1");
    unit.refuseOpens = 1;
    rig.hid.devices = {Mouse("/dev/hidraw0"), unit};

    ASSERT_TRUE(rig.link.Open(255));
    EXPECT_EQ(rig.link.CurrentIndex(), 1);
    EXPECT_EQ(rig.link.deviceName, "QUELM X");
}

TEST(QlmUsbOpen, FailsCleanlyWithoutAUnit) {
    const struct {
        const char* what;
        bool usable;
        std::vector<FakeDevice> devices;
    } cases[] = {
        {"no library", false, {Unit()}},
        {"no devices", true, {}},
        {"unit that cannot be opened", true, {[] {
             FakeDevice d = Unit();
             d.opens = false;
             return d;
         }()}},
        {"other devices only", true, {Mouse("/dev/hidraw0"), Mouse("/dev/hidraw1")}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.hid.usable = c.usable;
        rig.hid.devices = c.devices;
        EXPECT_FALSE(rig.link.Open(255)) << c.what;
        EXPECT_FALSE(rig.link.IsConnected()) << c.what;
        EXPECT_TRUE(rig.link.CurrentPath().empty()) << c.what;
        // Refused before any device is touched.
        rig.hid.events.clear();
        EXPECT_FALSE(
            rig.link.Transfer(41, rig.image.Bytes(R::kInputWord).data(), 4, Direction::kRead))
            << c.what;
        EXPECT_EQ(rig.link.Command(device_code::kLiveSample), 0) << c.what;
        EXPECT_TRUE(rig.hid.Reports().empty()) << c.what;
        EXPECT_TRUE(rig.decoder.codes.empty()) << c.what;
        if (!c.usable) {
            EXPECT_EQ(rig.hid.enumerations, 0) << c.what;
        }
    }
}

TEST(QlmUsbSelect, EnumeratesAgainOnlyWhenTheListIsTooShort) {
    Rig rig;
    rig.hid.devices = {Mouse("/dev/hidraw0")};
    ASSERT_EQ(rig.link.Enumerate(), 1);
    EXPECT_TRUE(rig.link.SelectDevice(0));
    EXPECT_EQ(rig.hid.enumerations, 1);
    EXPECT_EQ(rig.link.CurrentPath(), "/dev/hidraw0");

    rig.hid.devices.push_back(Unit("/dev/hidraw7"));
    EXPECT_TRUE(rig.link.SelectDevice(1));
    EXPECT_EQ(rig.hid.enumerations, 2);
    EXPECT_EQ(rig.link.CurrentPath(), "/dev/hidraw7");
    EXPECT_EQ(rig.link.NameOf("/dev/hidraw7"), "QUELM X");

    EXPECT_FALSE(rig.link.SelectDevice(2));
    EXPECT_FALSE(rig.link.SelectDevice(-1));
    EXPECT_EQ(rig.link.CurrentPath(), "/dev/hidraw7");
}

TEST(QlmUsbClose, RefusesTransfersAfterwards) {
    Rig rig;
    rig.ConnectToUnit();
    rig.link.Close();
    EXPECT_FALSE(rig.link.IsConnected());
    EXPECT_FALSE(rig.link.Transfer(41, rig.image.Bytes(R::kInputWord).data(), 4, Direction::kRead));
    EXPECT_TRUE(rig.hid.events.empty());
}

// ---------------------------------------------------------------- transfers

TEST(QlmUsbTransfer, LaysTheBlockOutInFeatureReports) {
    const Bytes served = Pattern(255, 0xA0);
    const struct {
        const char* what;
        int code;
        int length;
        Direction direction;
        Trace reports;
        bool result;
        bool readsBack;
    } cases[] = {
        {"write of 16 bytes",
         110,
         16,
         Direction::kWrite,
         {"set [3 110 2 1 255 0 0 0 0]", "set [4 16 17 18 19 20 21 22 23]",
          "set [4 24 25 26 27 28 29 30 31]"},
         true,
         false},
        {"write of 10 bytes pads the last report",
         77,
         10,
         Direction::kWrite,
         {"set [3 77 2 1 255 0 0 0 0]", "set [4 16 17 18 19 20 21 22 23]",
          "set [4 24 25 0 0 0 0 0 0]"},
         true,
         false},
        {"command sends the header alone as a read",
         160,
         0,
         Direction::kCommand,
         {"set [3 160 1 0 255 0 0 0 0]"},
         false,
         false},
        {"write with reply carries its first byte and reads back",
         111,
         16,
         Direction::kWriteWithReply,
         {"set [3 111 2 0 16 0 0 0 0]", "get 4 (17)", "get 4 (17)"},
         true,
         true},
        {"read of 4 bytes",
         41,
         4,
         Direction::kRead,
         {"set [3 41 1 0 255 0 0 0 0]", "get 4 (17)"},
         true,
         true},
        {"read of 44 bytes",
         2,
         44,
         Direction::kRead,
         {"set [3 2 6 0 255 0 0 0 0]", "get 4 (17)", "get 4 (17)", "get 4 (17)", "get 4 (17)",
          "get 4 (17)", "get 4 (17)"},
         true,
         true},
        {"raw text is announced and goes no further",
         254,
         5,
         Direction::kRawText,
         {"set [3 254 1 3 255 0 0 0 0]"},
         false,
         false},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.ConnectToUnit();
        rig.hid.devices[0].blocks[c.code] = served;
        // One byte past the block shows that nothing is written beyond it.
        Bytes block = Pattern(static_cast<size_t>(c.length) + 1, 16);
        const Bytes before = block;

        const bool moved = rig.link.Transfer(static_cast<std::uint8_t>(c.code),
                                             c.length > 0 ? block.data() : nullptr,
                                             static_cast<std::uint8_t>(c.length), c.direction);
        EXPECT_EQ(moved, c.result) << c.what;

        EXPECT_EQ(rig.hid.Reports(), c.reports) << c.what;

        Bytes expected = before;
        if (c.readsBack) std::copy_n(served.begin(), c.length, expected.begin());
        EXPECT_EQ(block, expected) << c.what;
    }
}

TEST(QlmUsbTransfer, EveryReportOpensThePathAnewAndClosesIt) {
    Rig rig;
    rig.ConnectToUnit();
    Bytes block = Pattern(16, 1);
    ASSERT_TRUE(rig.link.Transfer(110, block.data(), 16, Direction::kWrite));
    const Trace& e = rig.hid.events;
    ASSERT_EQ(e.size(), 9u);
    for (size_t i = 0; i < e.size(); i += 3) {
        EXPECT_EQ(e[i], "open /dev/hidraw0");
        EXPECT_TRUE(e[i + 1].starts_with("set ")) << e[i + 1];
        EXPECT_EQ(e[i + 2], "close /dev/hidraw0");
    }
}

TEST(QlmUsbTransfer, ChannelBlockTakesOnlyTheFirstEightBytesOfEachReport) {
    Rig rig;
    rig.ConnectToUnit();
    const Bytes served = Pattern(216, 3);
    rig.hid.devices[0].blocks[96] = served;
    auto channel = rig.image.Bytes(R::kChannel1);
    auto next = rig.image.Bytes(R::ChannelBlock(2));
    std::fill(next.begin(), next.end(), 0x55);

    ASSERT_EQ(rig.link.Command(96), 1);
    EXPECT_EQ(rig.hid.Reports().size(), 1u + 27u);
    EXPECT_TRUE(std::equal(channel.begin(), channel.end(), served.begin(), served.end()));
    EXPECT_EQ(std::count(channel.begin(), channel.end(), kReportFiller), 0);
    EXPECT_TRUE(std::all_of(next.begin(), next.end(), [](std::uint8_t b) { return b == 0x55; }));
    EXPECT_EQ(rig.decoder.codes, std::vector<int>{96});
}

TEST(QlmUsbTransfer, FailedOrShortReportEndsTheTransferAndKeepsTheBlock) {
    const struct {
        const char* what;
        std::function<void(FakeHid&)> fault;
        int code;
        int length;
        Direction direction;
        size_t reportsTried;
    } cases[] = {
        {"header refused", [](FakeHid& h) { h.failFrom = 0; }, 50, 40, Direction::kRead, 1},
        {"header taken short", [](FakeHid& h) { h.setCount = 8; }, 50, 40, Direction::kRead, 1},
        {"second block of a write refused", [](FakeHid& h) { h.failFrom = 2; }, 110, 16,
         Direction::kWrite, 3},
        {"third block of a read fails", [](FakeHid& h) { h.failFrom = 3; }, 50, 40,
         Direction::kRead, 4},
        {"block report comes back without all its eight bytes",
         [](FakeHid& h) { h.getCount[QLM_USB::kBlockReport] = 8; }, 50, 40, Direction::kRead, 2},
        {"block report claims more than was asked",
         [](FakeHid& h) { h.getCount[QLM_USB::kBlockReport] = 64; }, 50, 40, Direction::kRead, 2},
        {"device gone", [](FakeHid& h) { h.devices[0].opens = false; }, 50, 40, Direction::kRead,
         0},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.ConnectToUnit();
        rig.hid.devices[0].blocks[c.code] = Pattern(255, 0xA0);
        c.fault(rig.hid);
        Bytes block = Pattern(static_cast<size_t>(c.length), 16);
        const Bytes before = block;

        EXPECT_FALSE(rig.link.Transfer(static_cast<std::uint8_t>(c.code), block.data(),
                                       static_cast<std::uint8_t>(c.length), c.direction))
            << c.what;
        EXPECT_EQ(rig.hid.Reports().size(), c.reportsTried) << c.what;
        // Half a reading mixed with the last one would be worse than none.
        EXPECT_EQ(block, before) << c.what;
    }
}

TEST(QlmUsbTransfer, ABlockReportOfItsEightBytesAloneIsEnough) {
    // hidraw passes on what the device sent; the padding of report 4 may be left out.
    Rig rig;
    rig.ConnectToUnit();
    rig.hid.devices[0].blocks[50] = Pattern(255, 0xA0);
    rig.hid.getCount[QLM_USB::kBlockReport] = 1 + 8;
    Bytes block(40, 0);
    ASSERT_TRUE(rig.link.Transfer(50, block.data(), 40, Direction::kRead));
    EXPECT_EQ(block, Pattern(40, 0xA0));
}

TEST(QlmUsbTransfer, FailedReadThroughCommandSkipsTheDecoder) {
    Rig rig;
    rig.ConnectToUnit();
    rig.hid.failFrom = 1;
    rig.link.Command(device_code::kStatus);
    EXPECT_TRUE(rig.decoder.codes.empty());
    // Commands of direction 2 never report a move; the dispatcher does not
    // decode them either.
    rig.hid.failFrom.reset();
    rig.link.Command(device_code::kStopMotion);
    EXPECT_TRUE(rig.decoder.codes.empty());
    EXPECT_EQ(rig.hid.headerCodes, (std::vector<int>{95, 160}));
}

// ---------------------------------------------------------------- live sample

TEST(QlmUsbLive, ReadsReportOneIntoTheLiveBlockAndRunsTheDecoder) {
    Rig rig;
    rig.ConnectToUnit();
    const Bytes live = Floats({1.5f, 5.0f, -2.0f, 0.25f, 7.0f, 8.0f, 41.5f, 9.0f});
    rig.hid.devices[0].live = live;

    rig.link.Command(device_code::kLiveSample);
    EXPECT_EQ(rig.hid.Reports(), Trace{"get 1 (33)"});
    EXPECT_EQ(rig.decoder.codes, std::vector<int>{device_code::kLiveSample});
    const auto block = rig.image.Bytes(R::kLive);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), live.begin(), live.end()));
}

// A live read that fails must not feed the previous sample to the engine
// again as a new point.
TEST(QlmUsbLive, FailedReadKeepsThePreviousSampleAndSkipsTheDecoder) {
    const struct {
        const char* what;
        std::function<void(FakeHid&)> fault;
    } cases[] = {
        {"report fails", [](FakeHid& h) { h.failGet.insert(QLM_USB::kLiveReport); }},
        {"report comes back short", [](FakeHid& h) { h.getCount[QLM_USB::kLiveReport] = 32; }},
        {"nothing comes back", [](FakeHid& h) { h.getCount[QLM_USB::kLiveReport] = 0; }},
        {"device gone", [](FakeHid& h) { h.devices[0].opens = false; }},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.ConnectToUnit();
        rig.hid.devices[0].live = Floats({9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f});
        const Bytes previous = Floats({1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f});
        std::copy(previous.begin(), previous.end(), rig.image.Bytes(R::kLive).begin());
        c.fault(rig.hid);

        EXPECT_FALSE(rig.link.Transfer(device_code::kLiveSample, rig.image.Bytes(R::kLive).data(),
                                       32, Direction::kRead))
            << c.what;
        rig.link.Command(device_code::kLiveSample);
        EXPECT_TRUE(rig.decoder.codes.empty()) << c.what;
        const auto block = rig.image.Bytes(R::kLive);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), previous.begin(), previous.end()))
            << c.what;
    }
}

// ---------------------------------------------------------------- the unit over USB

class RecordingSamples final : public SampleSink {
public:
    void PutSample(const SSample& s) override { samples.push_back(s); }
    std::vector<SSample> samples;
};

// The station's links with only the USB link present.
class UsbOnlyLinks final : public LinkFactory {
public:
    explicit UsbOnlyLinks(platform::HidBackend& hid) : hid_(hid) {}
    std::unique_ptr<QLM_CONNECT> MakeSerial(LinkContext /*context*/) override { return nullptr; }
    std::unique_ptr<QLM_CONNECT> MakeUsb(LinkContext context) override {
        return std::make_unique<QLM_USB>(context, hid_);
    }

private:
    platform::HidBackend& hid_;
};

TEST(QlmUsbUnit, ConnectsOverUsbReadsTheImageAndPollsLiveSamples) {
    FakeHid hid;
    hid.devices = {Mouse("/dev/hidraw0"), Unit("/dev/hidraw1")};
    hid.devices[1].live = Floats({1.5f, 5.0f, 0.0f, 2.25f, 0.0f, 0.0f, 30.0f, 0.0f});
    UsbOnlyLinks links(hid);
    NullSleeper sleeper;
    RecordingSamples samples;
    testsupport::RecordingSink messages;
    int zone = 0;
    C_Config config;
    config.Define(nullptr);
    std::vector<C_Kanal> channels(10);
    DEVICE_QUELM unit(UnitDeps{sleeper, samples, messages, links, nullptr, &zone});
    unit.Init(1, channels.data(), &config);

    ASSERT_TRUE(unit.Connect());
    EXPECT_EQ(unit.LinkKind(), DEVICE_QUELM::kUsbLink);
    EXPECT_TRUE(unit.Ready());
    EXPECT_TRUE(messages.messages.empty());
    // Every read-out code reached the unit, answered with zero blocks.
    EXPECT_EQ(hid.headerCodes,
              (std::vector<int>{2,   36,  37,  38, 39, 50, 51,  52, 53, 68, 69, 96, 97, 98,  99,
                                100, 101, 139, 62, 60, 73, 114, 20, 21, 22, 23, 24, 25, 111, 111}));
    // No report went to the mouse.
    EXPECT_EQ(hid.devices[0].reportsTaken, 0);
    ASSERT_EQ(samples.samples.size(), 1u);
    EXPECT_EQ(samples.samples[0].time, 1.5);
    EXPECT_EQ(samples.samples[0].F, 5.0);
    EXPECT_EQ(samples.samples[0].E, 2.25);

    unit.GetValue(unit_value::kLiveSample);
    EXPECT_EQ(samples.samples.size(), 2u);
    hid.failGet.insert(QLM_USB::kLiveReport);
    unit.GetValue(unit_value::kLiveSample);
    EXPECT_EQ(samples.samples.size(), 2u);
    EXPECT_EQ(unit.GetValue(unit_value::kOilTemperature), 30.0);
}

// ---------------------------------------------------------------- the system backend

TEST(SystemHidBackend, EnumeratesWhateverIsPresentWithoutNeedingADevice) {
    const std::unique_ptr<platform::HidBackend> hid = platform::SystemHidBackend();
    ASSERT_NE(hid, nullptr);
    const std::vector<std::string> first = hid->Enumerate();
    if (!hid->Usable()) {
        EXPECT_TRUE(first.empty());
    }
    EXPECT_EQ(hid->Open(""), nullptr);
    EXPECT_EQ(hid->Open("/nonexistent/hidraw99"), nullptr);
    // A second backend shares the one initialisation of the library.
    EXPECT_EQ(platform::SystemHidBackend()->Usable(), hid->Usable());
    hid->Enumerate();
}

TEST(WideToUtf8, ConvertsEveryCharacterAndCutsAtACharacter) {
    const struct {
        std::wstring text;
        size_t maxBytes;
        std::string utf8;
    } cases[] = {
        {L"QUELM", 1000, "QUELM"},
        {L"Ян", 1000, "Ян"},
        {std::wstring{static_cast<wchar_t>(0x20AC)}, 1000, "\xE2\x82\xAC"},
        {std::wstring{static_cast<wchar_t>(0x1F600)}, 1000, "\xF0\x9F\x98\x80"},
        {std::wstring{static_cast<wchar_t>(0xD800), L'a'}, 1000,
         "\xEF\xBF\xBD"
         "a"},
        {std::wstring{static_cast<wchar_t>(0x110000)}, 1000, "\xEF\xBF\xBD"},
        {L"Яна", 5, "Ян"},
        {L"Яна", 1, ""},
        {L"abc", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::WideToUtf8(c.text, c.maxBytes), c.utf8) << c.maxBytes;

    // 500 two-byte letters fill the 1000 bytes a device string may take.
    const std::string longest =
        platform::WideToUtf8(std::wstring(platform::HidHandle::kMaxStringChars + 1, L'Ж'),
                             platform::HidHandle::kMaxStringBytes);
    EXPECT_EQ(longest.size(), platform::HidHandle::kMaxStringBytes);
}

}  // namespace

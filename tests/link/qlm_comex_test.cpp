#include "link/qlm_comex.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/formatfloat.h"
#include "support/quiet_pty.h"

namespace {

using testsupport::QuietPty;

class ExtensometerPort : public ::testing::Test {
protected:
    void SetUp() override {
        port.portName = "COM1";
        port.speedText = "9600";
        ASSERT_TRUE(port.Open(1));
    }
    QuietPty pty;
    QLM_COMeX port{{pty.path()}};
};

TEST_F(ExtensometerPort, EachCommandSendsItsBytesAndReturnsItsLine) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string (*run)(QLM_COMeX&);
        std::string wire;
        std::string line;
        int pending;
    };
    const Case cases[] = {
        {"close grips", [](QLM_COMeX& p) { return p.CloseGrips(1); }, "!:MST1\r\n",
         ">Закрытие захватов...", QLM_COMeX::kCloseGrips},
        {"open grips", [](QLM_COMeX& p) { return p.OpenGrips(); }, "!<", ">Открытие захватов...",
         QLM_COMeX::kOpenGrips},
        {"calibrate", [](QLM_COMeX& p) { return p.Calibrate(20.0f, 50.0f); },
         "!\r\n:SEP20.0,50.0\r\n*CAL\r\n:MOV\r\n\0"s, ">Идет калибровка...", QLM_COMeX::kCalibrate},
        {"close grips 12", [](QLM_COMeX& p) { return p.CloseGrips(12); }, "!:MST12\r\n",
         ">Закрытие захватов...", QLM_COMeX::kCloseGrips},
        {"stop",
         [](QLM_COMeX& p) {
             p.Stop();
             return std::string();
         },
         "!", "", QLM_COMeX::kCloseGrips},  // unchanged
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.run(port), c.line) << c.name;
        EXPECT_EQ(testsupport::Received(pty, c.wire.size()), c.wire) << c.name;
        EXPECT_TRUE(port.writeSucceeded) << c.name;
        EXPECT_EQ(port.lastWriteBytes, c.wire.size()) << c.name;
        EXPECT_EQ(port.pending, c.pending) << c.name;
    }
    EXPECT_EQ(port.calibrationBase, 50.0f);
}

TEST_F(ExtensometerPort, NumbersTakeAPointAndOneDecimalWhateverTheSeparator) {
    platform::SetDecimalSeparator(',');
    port.Calibrate(-1.25f, 100.04f);
    platform::SetDecimalSeparator('.');
    const std::string wire = testsupport::Received(pty, 31);
    EXPECT_EQ(wire.substr(0, 18), "!\r\n:SEP-1.2,100.0\r");
}

TEST_F(ExtensometerPort, IdentifyOnceUntilThePortIsOpenedAgain) {
    EXPECT_EQ(port.Identify(), ">Определяется производитель...0");
    EXPECT_EQ(testsupport::Received(pty, 6), "*IDN?\r");
    EXPECT_EQ(port.Identify(), "2");
    EXPECT_EQ(testsupport::Received(pty, 0), "");
    // Any command still waiting blocks it the same way.
    ASSERT_TRUE(port.Open(1));
    port.OpenGrips();
    testsupport::Received(pty, 2);
    EXPECT_EQ(port.Identify(), "4");
    EXPECT_EQ(testsupport::Received(pty, 0), "");

    ASSERT_TRUE(port.Open(1));
    EXPECT_EQ(port.pending, QLM_COMeX::kNone);
    EXPECT_EQ(port.Identify(), ">Определяется производитель...0");
    EXPECT_EQ(testsupport::Received(pty, 6), "*IDN?\r");
}

TEST_F(ExtensometerPort, ClosedPortSendsNothingButGivesTheLine) {
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.CloseGrips(1), ">Закрытие захватов...");
    EXPECT_FALSE(port.writeSucceeded);
    EXPECT_EQ(port.lastWriteBytes, 0u);
    port.Stop();
    EXPECT_EQ(testsupport::Received(pty, 0), "");
}

TEST(ExtensometerPortOpen, ScanKeepsTheFirstPortThatOpens) {
    QuietPty pty;
    QLM_COMeX scan({"/nonexistent/ttyUSB0", pty.path()});
    EXPECT_TRUE(scan.Open(0));
    EXPECT_EQ(scan.portName, "COM2");

    QLM_COMeX none({"/nonexistent/ttyUSB0"});
    EXPECT_FALSE(none.Open(0));
    EXPECT_FALSE(none.IsOpen());

    // One port name, once: a name that is no candidate or a bad speed fails.
    QLM_COMeX named({pty.path()});
    named.portName = "COM3";
    EXPECT_FALSE(named.Open(1));
    named.portName = "COM1";
    named.speedText = "fast";
    EXPECT_FALSE(named.Open(1));
}

}  // namespace

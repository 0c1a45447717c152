// The whole program as an operator meets it: the real window, offscreen,
// with the real unit object and links, against the simulated station on a
// pty replaying a tension test to the break. Then the same test with the
// cable pulled mid-test.

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/paramlist.h"
#include "console/tfbase.h"
#include "controls/cgrafic.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/tfkeyboard.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/stationlinks.h"
#include "model/configini.h"
#include "platform/sleeper.h"
#include "sim_window_rig.h"
#include "support/fixtures.h"
#include "support/poppler.h"
#include "support/recording_sink.h"
#include "support/sim_station.h"
#include "support/temp_folder.h"
#include "support/test_output.h"

namespace {

using testsupport::SimStation;

// The longest time the window's thread went without running its event
// loop, sampled by a 10 ms timer; and what the message panel showed.
class Watch {
public:
    explicit Watch(const TFBase& window) : window_(window) {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 pause = clock_.restart();
            if (sawLong_) longestAfterFirst_ = std::max(longestAfterFirst_, pause);
            if (pause > kLongMs) sawLong_ = true;
            longest_ = std::max(longest_, pause);
            const std::string text = window_.MessageText();
            if (!text.empty() && text != shown_) shownTexts.push_back(text);
            shown_ = text;
        });
        timer_.start(10);
    }
    qint64 LongestMs() const { return longest_; }
    // The longest pause after the first one over kLongMs (the unit's first
    // missed reply).
    qint64 LongestAfterFirstMs() const { return longestAfterFirst_; }
    static constexpr qint64 kLongMs = 100;
    int TimesShown(const std::string& text) const {
        return static_cast<int>(std::count(shownTexts.begin(), shownTexts.end(), text));
    }
    std::vector<std::string> shownTexts;

private:
    const TFBase& window_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
    qint64 longestAfterFirst_ = 0;
    bool sawLong_ = false;
    std::string shown_;
};

class WholeProgram : public testsupport::SimWindowRig {
protected:
    // The replay runs `speed` times faster than the 30 s a real one takes;
    // the window still reads a sample every 50 ms.
    void Start(SimStation::Options options, double speed) {
        options.speed = speed;
        StartWindow(options);
    }

    // "ГОСТ 1497" with its defaults (d0 = 10 mm), as the operator picks it.
    void PickTension() {
        window->Command(243);
        auto* methods = window->findChild<QListWidget*>("Mirandex");
        ASSERT_NE(methods, nullptr);
        const auto found = methods->findItems(QString::fromUtf8("ГОСТ 1497"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        methods->setCurrentItem(found.front());
        ASSERT_EQ(window->Work()->Methods().Current()->GetValueText("sGO"), "ГОСТ 1497");
        window->Command(241);
    }

    void Click(const char* name) {
        auto* b = window->findChild<TMegaButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }

    int Position(int code, int key = -1) const {
        const auto requests = sim->Serial().Requests();
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (requests[i].code != code) continue;
            if (key < 0 || (!requests[i].data.empty() && requests[i].data[0] == key))
                return static_cast<int>(i);
        }
        return -1;
    }
};

TEST_F(WholeProgram, TensionTestToTheBreakThenProtocolAndClose) {
    Start({}, 4.0);
    C_Work& work = *window->Work();
    ASSERT_TRUE(work.Connected()) << "the simulated unit was not found";
    EXPECT_EQ(window->MessageText().find("НЕ НАЙДЕНЫ"), std::string::npos);
    PickTension();

    Watch watch(*window);
    sim->Serial().ClearRequests();
    window->Command(1);
    // The pump, then the motion block, then the start mode.
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kRunning; }, 5000));
    // Writes get no reply: the unit's thread may still be reading them.
    ASSERT_TRUE(UnitGets(device_code::kStartMode));
    const int pump = Position(device_code::kKey, key_code::kPumpOn);
    const int motion = Position(device_code::kMotion);
    const int startMode = Position(device_code::kStartMode);
    EXPECT_GE(pump, 0);
    EXPECT_GT(motion, pump);
    EXPECT_GT(startMode, motion);

    // The replay takes about 8 s at four times its speed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.Buffer().GetCount(1) > 30; }, 10000));
    // The curve grows on the work screen's plot (drawn in the curve colour).
    const auto curvePixels = [&] {
        const QImage plot = window->findChild<CGrafic*>("WorkPlotter")->Picture();
        const QRgb curve =
            draw::ColorRef(window->findChild<CGrafic*>("WorkPlotter")->ColorGrafik).rgb();
        int n = 0;
        for (int y = 0; y < plot.height(); ++y) {
            for (int x = 0; x < plot.width(); ++x)
                n += plot.pixel(x, y) == curve ? 1 : 0;
        }
        return n;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return curvePixels() > 50; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kFinished; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->MessageText() == "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"; }, 5000));
    EXPECT_EQ(window->findChild<QStackedWidget*>("BaseTab")->currentIndex(),
              1);  // the result screen
    std::printf("longest pause of the window's thread during the test: %lld ms\n",
                static_cast<long long>(watch.LongestMs()));
    Click("Butt_OK");

    // The method's tensile strength lies on the simulated curve's own.
    const double rm = work.Methods().Current()->GetFloat("fSB");
    EXPECT_NEAR(rm, sim->Specimen().strength, sim->Specimen().strength * 0.005);
    // ... and shows in the result list.
    const C_Parametr& method = *work.Methods().Current();
    const QString shown = QString::fromStdString(method.ValueToText(method.IndexOf("fSB")));
    EXPECT_FALSE(window->findChild<console::ParamList*>("ListResult")
                     ->findItems(shown, Qt::MatchExactly)
                     .isEmpty())
        << shown.toStdString();

    // The protocol in the preview: one sheet (no print windows).
    window->Command(35);
    ASSERT_GE(window->findChild<C_Otchet*>("C_Otchet1")->PageCount(), 1);
    const QString pdf =
        QString::fromStdString((testsupport::TestOutputFolder() / "whole_program.pdf").string());
    ASSERT_TRUE(window->findChild<C_Otchet*>("C_Otchet1")->WritePdf(pdf));
    const std::string text = testsupport::Squeezed(testsupport::PdfText(pdf).value_or(""));
    if (!text.empty()) {
        EXPECT_NE(text.find("Лист1из1"), std::string::npos);
    }

    // Closing switches the pump off at the unit and ends the program.
    sim->Serial().ClearRequests();
    window->FormCloseClick();
    EXPECT_EQ(window->MessageText(), "Закрыть программу?");
    Click("Butt_YES");
    EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 5000));
    EXPECT_GE(Position(device_code::kKey, key_code::kPumpOff), 0);
}

// The simulator's settings as the station loads them: the two channels it
// sends on show at once, with its ranges, names and units; no extensometer;
// the keyboard on the screen.
TEST_F(WholeProgram, TheSimulatorsSettingsShowForceAndCrossheadWithTheirRanges) {
    Start({}, 1.0);
    C_Work& work = *window->Work();
    ASSERT_TRUE(work.Connected());
    TConfigINI ini(folder.path());
    ini.FileName = "Config";
    struct Expected {
        int channel;
        bool used;
        const char* name;
        const char* unit;
        double fullScale;
        double breakPercent;
        const char* readout;
        const char* zeroing;
    };
    const Expected channels[] = {
        {1, true, "F", "кН", 100.0, 50.0, "Datch", "ZeroingF"},
        {2, true, "L", "мм", 100.0, 0.0, "Datch1", "ZeroingL"},
        {3, false, "E", "мм", 25.0, 0.0, "Datch2", "ZeroingE"},
    };
    for (const Expected& c : channels) {
        const C_Kanal& k = work.Channel(c.channel);
        const std::string section = std::to_string(10 + c.channel);
        EXPECT_EQ(k.inUse != 0, c.used) << c.channel;
        EXPECT_EQ(k.name, c.name);
        EXPECT_EQ(k.unit, c.unit);
        // The range the file gives is the one the unit reports.
        EXPECT_EQ(ini.ReadF(section, "Максимальный параметр измерения", -1.0f), c.fullScale);
        EXPECT_EQ(k.fullScale, c.fullScale);
        EXPECT_EQ(k.breakPercent, c.breakPercent);
        EXPECT_EQ(!window->findChild<QWidget*>(c.readout)->isHidden(), c.used) << c.readout;
        EXPECT_EQ(window->findChild<TMegaButton*>(c.zeroing)->Enabled, c.used) << c.zeroing;
    }
    EXPECT_EQ(work.Config().iKF1, SimStation::kForceInput);
    EXPECT_EQ(work.Config().iKL1, SimStation::kDisplacementInput);
    Click("MENU5");
    EXPECT_TRUE(window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
}

TEST_F(WholeProgram, UnitPulledMidTestLeavesTheWindowResponsive) {
    SimStation::Options options;
    options.silentAfter = 5.0;  // test seconds: half a second at ten times speed
    Start(options, 10.0);
    C_Work& work = *window->Work();
    ASSERT_TRUE(work.Connected());
    PickTension();

    window->Command(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kRunning; }, 5000));
    Watch watch(*window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->Silent(); }, 10000));
    const std::string silent = "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!";
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->MessageText() == silent; }, 5000));
    // Polling goes on for a while; the message is not repeated.
    QTest::qWait(2500);
    EXPECT_EQ(watch.TimesShown(silent), 1);
    // The stop button still acts while the message is up.
    Click("BUT_STOP");
    EXPECT_TRUE(QTest::qWaitFor([&] { return work.State() != C_Work::kRunning; }, 3000));
    std::printf("longest pause of the window's thread with the unit silent: %lld ms\n",
                static_cast<long long>(watch.LongestMs()));
    std::printf("longest pause after the first over %lld ms: %lld ms\n",
                static_cast<long long>(Watch::kLongMs),
                static_cast<long long>(watch.LongestAfterFirstMs()));
    // The link's own wait is never sat out on the window's thread (1.1 s);
    // the figure itself is printed above.
    EXPECT_LT(watch.LongestMs(), 1000);
}

}  // namespace

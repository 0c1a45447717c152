// The extensometer window of the real console, offscreen, with its port on a
// pty whose far end the test reads.

#include "console/extens_window.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "console_rig.h"
#include "link/qlm_comex.h"
#include "support/quiet_pty.h"
#include "support/test_output.h"

namespace {

using namespace std::string_literals;
using testsupport::ConsoleRig;
using testsupport::QuietPty;

void ClickOn(TMegaButton* b) {
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

std::vector<std::string> Log(const TExtens& w) {
    std::vector<std::string> lines;
    for (int i = 0; i < w.LogCount(); ++i)
        lines.push_back(w.LogLine(i));
    return lines;
}

// The real window whose serial candidates are the given devices: "COM1" is
// the first of them.
class ExtensWindow : public ::testing::Test {
protected:
    void StartWith(const std::string& ports) {
        const char* before = std::getenv("UTM_SERIAL_PORTS");
        const std::optional<std::string> saved =
            before != nullptr ? std::optional<std::string>(before) : std::nullopt;
        ::setenv("UTM_SERIAL_PORTS", ports.c_str(), 1);
        rig.Start();
        if (saved) {
            ::setenv("UTM_SERIAL_PORTS", saved->c_str(), 1);
        } else {
            ::unsetenv("UTM_SERIAL_PORTS");
        }
        rig.StopPolling();
        ClickOn(rig.Find<TMegaButton>("EXTENS_OPEN"));
        w = ConsoleRig::TopLevel<TExtens>("TExtens");
        ASSERT_NE(w, nullptr);
    }

    QuietPty pty;
    ConsoleRig rig;
    TExtens* w = nullptr;
};

TEST_F(ExtensWindow, OpensFromTheControlBarOnTopAndClosesWithTheProgram) {
    StartWith(pty.path());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w->windowTitle().toStdString(), "Управление экстензометром");
    EXPECT_EQ(w->PageControl1->tabText(0).toStdString(), "Тест RVK");
    EXPECT_EQ(w->Edit1->text().toStdString(), "50");
    EXPECT_EQ(w->Edit2->text().toStdString(), "20");
    EXPECT_TRUE(w->Edit3->isReadOnly());
    EXPECT_TRUE(w->Edit6->isReadOnly());
    // The button ends the speed row of the control bar, on the screen the
    // operator sees in set-up and during the test.
    TMegaButton* open = rig.Find<TMegaButton>("EXTENS_OPEN");
    EXPECT_EQ(open->parentWidget(), rig.Find<QWidget>("CONTROLPANEL"));
    EXPECT_TRUE(open->isVisible());
    const QRect speed = rig.Find<QWidget>("SpeedMultDown")->geometry();
    EXPECT_EQ(open->geometry().center().y(), speed.center().y());
    EXPECT_GT(open->geometry().left(), speed.right());
    rig.window->grab().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "extens_window_button.png").string()));

    w->grab().save(
        QString::fromStdString((testsupport::TestOutputFolder() / "extens_window.png").string()));

    rig.window->FormCloseClick();
    rig.Click("Butt_YES");
    EXPECT_TRUE(rig.ended);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ExtensWindow, EachButtonSendsItsBytesAndListsItsLine) {
    StartWith(pty.path());
    struct Step {
        const char* button;
        std::string wire;
        const char* line;  // nullptr: nothing listed
    };
    const Step steps[] = {
        {"Button1", "!", ">Порт подключен"},
        {"SpeedButton1", "!:MST1\r\n", ">Закрытие захватов..."},
        {"SpeedButton3", "!<", ">Открытие захватов..."},
        {"SpeedButton2", "!\r\n:SEP20.0,50.0\r\n*CAL\r\n:MOV\r\n\0"s, ">Идет калибровка..."},
        {"SpeedButton4", "!\r\n:SEP0.0,10.0\r\n*CAL\r\n:MOV\r\n\0"s, nullptr},
        {"Button3", "", ">Порт отключен"},
        // Closed: the line still comes, nothing goes out.
        {"SpeedButton1", "", ">Закрытие захватов..."},
    };
    std::vector<std::string> expected;
    for (const Step& s : steps) {
        ClickOn(w->findChild<TMegaButton*>(s.button));
        EXPECT_EQ(testsupport::Received(pty, s.wire.size()), s.wire) << s.button;
        if (s.line != nullptr) expected.push_back(s.line);
        EXPECT_EQ(Log(*w), expected) << s.button;
    }
    EXPECT_EQ(rig.window->ExtensPort().speedText, "9600");
    EXPECT_EQ(rig.window->ExtensPort().portName, "COM1");
    w->grab().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "extens_window_log.png").string()));
}

TEST_F(ExtensWindow, IdentifyShowsItsLineThenThePendingNumber) {
    StartWith(pty.path());
    ClickOn(w->Button1);
    testsupport::Received(pty, 1);
    ClickOn(w->Button2);
    EXPECT_EQ(w->Edit3->text().toStdString(), ">Определяется производитель...0");
    EXPECT_EQ(testsupport::Received(pty, 6), "*IDN?\r");
    ClickOn(w->Button2);
    EXPECT_EQ(w->Edit3->text().toStdString(), "2");
    EXPECT_EQ(testsupport::Received(pty, 0), "");
    // Identification is not listed.
    EXPECT_EQ(Log(*w), std::vector<std::string>{">Порт подключен"});
}

TEST_F(ExtensWindow, PositionTakesOnlyNumbersAtOrAboveTheLimit) {
    StartWith(pty.path());
    ClickOn(w->Button1);
    testsupport::Received(pty, 1);
    struct Case {
        const char* start;
        const char* base;
        std::string wire;  // empty: nothing may be sent
        const char* line;
    };
    const Case cases[] = {
        {"-1", "50", "", "Начальная позиция меньше ограничения."},
        {"abc", "50", "", ">Нач. позиция: 'abc' не число"},
        {"", "50", "", ">Нач. позиция: '' не число"},
        {"20", "5o", "", ">База: '5o' не число"},
        // A refused start is reported before the base is looked at.
        {"-1", "x", "", "Начальная позиция меньше ограничения."},
        {"0", "50", "!\r\n:SEP0.0,50.0\r\n*CAL\r\n:MOV\r\n\0"s, ">Идет калибровка..."},
        {" 2,5 ", "12ю5", "!\r\n:SEP2.5,12.5\r\n*CAL\r\n:MOV\r\n\0"s, ">Идет калибровка..."},
    };
    for (const Case& c : cases) {
        w->Edit2->setText(QString::fromUtf8(c.start));
        w->Edit1->setText(QString::fromUtf8(c.base));
        const int before = w->LogCount();
        ClickOn(w->SpeedButton2);
        EXPECT_EQ(testsupport::Received(pty, c.wire.size()), c.wire) << c.start << " " << c.base;
        ASSERT_EQ(w->LogCount(), before + 1) << c.start << " " << c.base;
        EXPECT_EQ(w->LogLine(before), c.line) << c.start << " " << c.base;
    }
}

TEST_F(ExtensWindow, APortThatDoesNotOpenIsListedAsAnError) {
    StartWith("/nonexistent/ttyUSB0");
    ClickOn(w->Button1);
    EXPECT_FALSE(rig.window->ExtensPort().IsOpen());
    ClickOn(w->SpeedButton3);
    EXPECT_EQ(Log(*w), (std::vector<std::string>{">Ошибка порта", ">Открытие захватов..."}));
    EXPECT_EQ(rig.window->ExtensPort().lastWriteBytes, 0u);
}

TEST(WindowNumber, TakesTheWholeTextWithEitherSeparator) {
    const std::pair<const char*, std::optional<float>> cases[] = {
        {"50", 50.0f},          {"-1", -1.0f},
        {"2,5", 2.5f},          {"2.5", 2.5f},
        {"12ю5", 12.5f},        {"1Ю0", 1.0f},
        {" 7 ", 7.0f},          {"+3", 3.0f},
        {"1e2", 100.0f},        {"", std::nullopt},
        {"  ", std::nullopt},   {"abc", std::nullopt},
        {"5o", std::nullopt},   {"1,2,3", std::nullopt},
        {"inf", std::nullopt},  {"nan", std::nullopt},
        {"1e40", std::nullopt}, {"--1", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(console::ParseWindowNumber(text), value) << text;
}

}  // namespace

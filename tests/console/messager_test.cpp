// The message panel: its answers, and the stop button while a test runs.

#include <QApplication>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include "console_rig.h"

namespace {

using testsupport::ConsoleRig;

TEST(Messager, KindsShowTheirButtonsAndDisableTheScreens) {
    struct Case {
        int kind;
        bool yes, ok, no;
    };
    const Case cases[] = {
        {0, true, false, true}, {1, false, true, false}, {2, false, false, false}};
    ConsoleRig rig;
    rig.Start();
    for (const Case& c : cases) {
        rig.window->ShowMes("Текст", c.kind, 0);
        EXPECT_EQ(!rig.Find<QWidget>("Butt_YES")->isHidden(), c.yes);
        EXPECT_EQ(!rig.Find<QWidget>("Butt_OK")->isHidden(), c.ok);
        EXPECT_EQ(!rig.Find<QWidget>("Butt_NO")->isHidden(), c.no);
        EXPECT_FALSE(rig.Find<QWidget>("BaseTab")->isEnabled());
        rig.window->CloseMes();
        EXPECT_TRUE(rig.Find<QWidget>("BaseTab")->isEnabled());
    }
}

TEST(Messager, StopButtonStaysUsableWhileATestRuns) {
    ConsoleRig rig;
    rig.Start();
    rig.window->Command(1);
    rig.window->Command(49);  // a set-point message during the test
    auto* stop = rig.Find<TMegaButton>("BUT_STOP");
    auto* start = rig.Find<TMegaButton>("BUT_START");
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(rig.Find<QWidget>("Mirandex")->isEnabled());
    rig.ClearTraces();
    rig.Click("BUT_STOP");
    EXPECT_EQ(rig.dispatched.front(), 2);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kFinished);
    rig.Click("Butt_OK");
    EXPECT_TRUE(start->isEnabled());
    EXPECT_TRUE(rig.Find<QWidget>("Mirandex")->isEnabled());
}

// File errors wait for the message shown before them and come back when a
// message of the program's own would replace them; none is lost or stacked.
TEST(Messager, FileErrorsQueueBehindTheMessageShownAndNoneIsLost) {
    ConsoleRig rig;
    rig.windowMessages = true;
    rig.Start();
    rig.Click("Butt_OK");
    ASSERT_TRUE(rig.window->MessageText().empty());

    rig.window->ShowMes("Файл существует. Заменить?", 0, 0);
    rig.window->ShowFileMessage("первая");
    rig.window->ShowFileMessage("вторая");
    EXPECT_EQ(rig.window->MessageText(), "Файл существует. Заменить?");

    rig.Click("Butt_NO");
    ConsoleRig::Drain();
    EXPECT_EQ(rig.window->MessageText(), "первая");
    EXPECT_FALSE(rig.Find<QWidget>("Butt_OK")->isHidden());

    // The program's own message takes the panel; the file error waits.
    rig.window->ShowMes("своё", 1, 0);
    rig.Click("Butt_OK");
    ConsoleRig::Drain();
    EXPECT_EQ(rig.window->MessageText(), "первая");
    rig.Click("Butt_OK");
    ConsoleRig::Drain();
    EXPECT_EQ(rig.window->MessageText(), "вторая");
    rig.Click("Butt_OK");
    ConsoleRig::Drain();
    EXPECT_TRUE(rig.window->MessageText().empty());
    EXPECT_TRUE(rig.Find<QWidget>("BaseTab")->isEnabled());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_TRUE(w == rig.window.get() || w->isHidden()) << w->metaObject()->className();
}

TEST(Messager, AFileErrorDuringATestLeavesTheStopButtonInReach) {
    ConsoleRig rig;
    rig.windowMessages = true;
    rig.Start();
    rig.Click("Butt_OK");
    rig.window->Command(1);
    rig.window->ShowFileMessage("Файл 'x' не может быть создан");
    EXPECT_EQ(rig.window->MessageText(), "Файл 'x' не может быть создан");
    EXPECT_TRUE(rig.Find<QWidget>("BUT_STOP")->isEnabled());
    rig.Click("BUT_STOP");
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kFinished);
}

// A unit that answers until told to fall silent.
class SilentUnit final : public C_Connect {
public:
    bool Init(std::uint32_t, C_Kanal*, C_Config*) override { return true; }
    bool Connect() override { return true; }
    double GetValue(int) override {
        ++reads;
        return answering ? 0.0 : -1.0;
    }
    bool Answering() const override { return answering; }
    bool answering = true;
    int reads = 0;
};

TEST(Messager, UnitThatStopsAnsweringIsReportedOnceAndPollingGoesOn) {
    ConsoleRig rig;
    console::ConsoleDeps deps;
    SilentUnit* unit = nullptr;
    deps.programFolder = rig.folder.path();
    deps.clock = &rig.clock;
    deps.random = &rig.random;
    deps.messages = &rig.fileErrors;
    deps.makeUnit = [&unit](const console::UnitWiring&) {
        auto u = std::make_unique<SilentUnit>();
        unit = u.get();
        return std::unique_ptr<C_Connect>(std::move(u));
    };
    TFBase window(std::move(deps));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Started(); }, 5000));
    window.Command(1);
    unit->answering = false;
    window.Timer5Timer();
    EXPECT_EQ(window.MessageText(), "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!");
    window.findChild<TMegaButton*>("Butt_OK")->OnClick(nullptr);
    const int reads = unit->reads;
    for (int i = 0; i < 5; ++i) {
        window.Timer5Timer();
        window.Timer4Timer();
    }
    EXPECT_EQ(window.MessageText(), "");  // once
    EXPECT_EQ(unit->reads, reads + 10);   // polling goes on
    unit->answering = true;
    window.Timer5Timer();
    unit->answering = false;
    window.Timer5Timer();
    EXPECT_EQ(window.MessageText(), "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!");
}

// The report goes when the unit answers again, unless another message has
// taken its place; the screens behind it are usable again.
TEST(Messager, SilenceReportGoesWhenTheUnitAnswersAgain) {
    const std::string silent = "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!";
    struct Case {
        const char* over;  // shown over the report while the unit is silent
        std::string left;  // shown once the unit answers
    };
    const Case cases[] = {{nullptr, ""}, {"ИСПЫТАНИЕ ОСТАНОВЛЕНО", "ИСПЫТАНИЕ ОСТАНОВЛЕНО"}};
    for (const Case& c : cases) {
        ConsoleRig rig;
        rig.Start();
        rig.StopPolling();
        if (!rig.window->MessageText().empty()) rig.Click("Butt_OK");
        rig.unit->answering = false;
        rig.window->Timer5Timer();
        ASSERT_EQ(rig.window->MessageText(), silent);
        if (c.over != nullptr) rig.window->ShowMes(c.over, 1, 0);
        rig.window->Timer4Timer();
        rig.unit->answering = true;
        rig.window->Timer5Timer();
        EXPECT_EQ(rig.window->MessageText(), c.left) << c.left;
        EXPECT_EQ(rig.Find<QWidget>("BaseTab")->isEnabled(), c.left.empty());
        // Silent again: reported again.
        if (!c.left.empty()) rig.Click("Butt_OK");
        rig.unit->answering = false;
        rig.window->Timer5Timer();
        EXPECT_EQ(rig.window->MessageText(), silent);
    }
}

}  // namespace

// The manual control panels, the hydraulic station with its service tick,
// the zero hold and the hold panel of the real window, offscreen, against a
// fake unit (and, for the station's inputs, the real unit over a fake link).

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "console/zoom_panel.h"
#include "console_rig.h"
#include "controls/megadatchik.h"
#include "controls/tfkeyboard.h"
#include "link/dev_quelm.h"
#include "platform/sleeper.h"
#include "station/entry_rules.h"
#include "station/station_manual.h"
#include "station/station_program.h"
#include "support/fake_link.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;
using Codes = std::vector<int>;
using Call = testsupport::FakeUnit::Call;

void SavePicture(QWidget* w, const std::string& file) {
    w->grab().toImage().save(
        QString::fromStdString((testsupport::TestOutputFolder() / file).string()));
}

QString Text(const ConsoleRig& rig, const char* label) {
    return rig.Find<QLabel>(label)->text();
}

bool Reddish(const QColor& c) {
    return c.red() > 200 && c.green() < 100 && c.blue() < 100;
}

bool Greenish(const QColor& c) {
    return c.green() > 200 && c.red() < 100 && c.blue() < 100;
}

QColor TextColour(QLabel* l) {
    return l->palette().color(QPalette::WindowText);
}

constexpr const char* kKeyboardSetting = "Использовать Вирт. клавиатуру";

// A started window with its polling stopped and its traces cleared.
void Ready(ConsoleRig& rig) {
    rig.Start();
    rig.StopPolling();
    rig.window->Station().findChild<QTimer*>("Timer3")->stop();
    rig.ClearTraces();
    rig.unit->ClearLog();
}

// ---------------------------------------------------------------- manual panels

TEST(ManualPanels, TheZoneDecidesThePanelWhichOpensAtItsPlaceAndTogglesShut) {
    struct Case {
        int zoneCode;
        const char* opener;
        const char* panel;
        const char* other;
        const char* setPointText;
    };
    const Case cases[] = {{68, "MENU_PUDIK", "PUDIK", "PUDIK_PRESS", "12,5"},
                          {67, "MENU_PUDIK", "PUDIK_PRESS", "PUDIK", "30,0"},
                          {67, "MegaButton53", "PUDIK_PRESS", "PUDIK", "30,0"}};
    for (const Case& c : cases) {
        ConsoleRig rig;
        Ready(rig);
        rig.window->Work()->Channel(1).setPoint = 12.5;
        rig.window->Work()->Channel(4).setPoint = 30.0;
        rig.window->Command(c.zoneCode);
        rig.Click(c.opener);
        auto* panel = rig.Find<QWidget>(c.panel);
        EXPECT_TRUE(panel->isVisible()) << c.panel;
        EXPECT_FALSE(rig.Find<QWidget>(c.other)->isVisible()) << c.panel;
        EXPECT_EQ(panel->pos(), QPoint(400, 300)) << c.panel;
        EXPECT_EQ(rig.Find<QLineEdit>("MaskEdit1")->text(), c.setPointText) << c.panel;
        SavePicture(panel, std::string("manual_") + c.panel + ".png");
        rig.Click(c.opener);
        EXPECT_FALSE(panel->isVisible()) << c.panel;
    }
}

TEST(ManualPanels, ButtonsSendTheirCodes) {
    struct Case {
        const char* button;
        Codes codes;
        std::vector<std::string> unit;
    };
    const Case cases[] = {
        {"CONT_UPOFF", {12}, {"UpperGripClamp"}},
        {"CONT_UPON", {13}, {"UpperGripRelease"}},
        {"CONT_DOWNOFF", {15}, {"LowerGripClamp"}},
        {"CONT_DOWNON", {16}, {"LowerGripRelease"}},
        {"CONT_UP", {19}, {"MoveUp"}},
        {"CONT_DOWN", {20}, {"MoveDown"}},
        {"CONT_STOP", {21}, {"MoveStop"}},
        {"CONT_UP1", {19}, {"MoveUp"}},
        {"CONT_DOWN1", {20}, {"MoveDown"}},
        {"CONT_STOP1", {21}, {"MoveStop"}},
        // Closing the upper grip stops the crosshead first, opening it after.
        {"GRIP_UP", {21, 12}, {"MoveStop", "UpperGripClamp"}},
        {"GRIP_UP", {13, 21}, {"UpperGripRelease", "MoveStop"}},
        {"GRIP_DOWN", {15}, {"LowerGripClamp"}},
        {"GRIP_DOWN", {16}, {"LowerGripRelease"}},
        // The pump toggles.
        {"CONT_ON", {17}, {"PumpOn"}},
        {"CONT_ON", {18}, {"PumpOff"}},
        {"CONT_ON1", {17}, {"PumpOn"}},
        {"CONT_ON1", {18}, {"PumpOff"}},
    };
    ConsoleRig rig;
    Ready(rig);
    for (const Case& c : cases) {
        rig.ClearTraces();
        rig.unit->ClearLog();
        rig.Click(c.button);
        EXPECT_EQ(rig.dispatched, c.codes) << c.button;
        EXPECT_EQ(rig.unit->Names(), c.unit) << c.button;
    }
}

TEST(ManualPanels, BothGripsClosedLockTheJogButtonsUntilOneOpens) {
    ConsoleRig rig;
    Ready(rig);
    auto* up = rig.Find<TMegaButton>("CONT_UP");
    auto* down = rig.Find<TMegaButton>("CONT_DOWN");
    rig.Click("GRIP_UP");
    EXPECT_TRUE(up->Enabled);
    rig.ClearTraces();
    rig.Click("GRIP_DOWN");
    // The lower grip closing the pair stops the crosshead as well.
    EXPECT_EQ(rig.dispatched, (Codes{15, 21}));
    EXPECT_FALSE(up->Enabled);
    EXPECT_FALSE(down->Enabled);
    EXPECT_TRUE(rig.Find<TMegaButton>("CONT_STOP")->Enabled);
    rig.ClearTraces();
    rig.Click("CONT_UP");
    rig.Click("CONT_DOWN");
    EXPECT_TRUE(rig.dispatched.empty());
    // Choosing the tension zone frees the manual controls but not the jog.
    rig.window->Command(68);
    EXPECT_FALSE(up->Enabled);
    rig.Click("GRIP_UP");
    EXPECT_TRUE(up->Enabled);
    EXPECT_TRUE(down->Enabled);
    // The grips' push buttons lock the jog the same way.
    rig.Click("CONT_UPOFF");
    EXPECT_TRUE(rig.Find<TMegaButton>("GRIP_UP")->Down);
    EXPECT_FALSE(up->Enabled);
    rig.Click("CONT_DOWNON");
    EXPECT_TRUE(up->Enabled);
}

// Whatever closed the grips, the jog stays where it is: the unit's own
// report, a program's codes, the output buttons freeing the controls.
TEST(ManualPanels, GripsTheUnitReportsClosedLockEveryJog) {
    ConsoleRig rig;
    Ready(rig);
    ASSERT_NE(rig.unit->status, nullptr);
    const char* jogs[] = {"CONT_UP", "CONT_DOWN", "CONT_UP1", "CONT_DOWN1"};
    rig.unit->status->GripsChanged(true, true);
    for (const char* name : jogs)
        EXPECT_FALSE(rig.Find<TMegaButton>(name)->Enabled) << name;
    rig.ClearTraces();
    for (const char* name : jogs)
        rig.Click(name);
    // A program line or any other caller of the dispatcher gets no further.
    rig.window->Command(19);
    rig.window->Command(20);
    EXPECT_TRUE(rig.dispatched.empty());
    EXPECT_EQ(rig.unit->Count("MoveUp") + rig.unit->Count("MoveDown"), 0);
    // Freeing the manual controls (the tension zone, start-up) keeps the lock.
    rig.window->Command(68);
    rig.Click("OUTPUD");
    rig.Click("OUTPUD");
    rig.Click("OUTPUD1");
    rig.Click("OUTPUD1");
    for (const char* name : jogs)
        EXPECT_FALSE(rig.Find<TMegaButton>(name)->Enabled) << name;
    // A grip the unit does not report on keeps its state.
    rig.unit->status->GripsChanged(std::nullopt, std::nullopt);
    EXPECT_FALSE(rig.Find<TMegaButton>("CONT_UP")->Enabled);

    rig.unit->status->GripsChanged(std::nullopt, false);
    for (const char* name : jogs)
        EXPECT_TRUE(rig.Find<TMegaButton>(name)->Enabled) << name;
    rig.ClearTraces();
    rig.unit->ClearLog();
    rig.Click("CONT_UP");
    EXPECT_EQ(rig.dispatched, (Codes{19}));
    EXPECT_EQ(rig.unit->Names(), (std::vector<std::string>{"MoveUp"}));
}

// Grips closed by the operator's buttons or by program lines lock the jog
// through the same rule as the unit's report.
TEST(ManualPanels, GripsClosedByButtonsOrProgramLinesLockTheJog) {
    const std::function<void(ConsoleRig&)> closers[] = {
        [](ConsoleRig& rig) {
            rig.Click("CONT_UPOFF");
            rig.Click("CONT_DOWNOFF");
        },
        [](ConsoleRig& rig) {
            EXPECT_EQ(rig.window->Station().Program().ProgCommand("Закрыть верхний захват"), 0);
            EXPECT_EQ(rig.window->Station().Program().ProgCommand("Закрыть нижний захват"), 0);
        },
    };
    for (const auto& close : closers) {
        ConsoleRig rig;
        Ready(rig);
        close(rig);
        EXPECT_FALSE(rig.Find<TMegaButton>("CONT_UP")->Enabled);
        rig.unit->ClearLog();
        rig.window->Command(19);
        EXPECT_EQ(rig.unit->Count("MoveUp"), 0);
    }
}

TEST(ManualPanels, OutputButtonLocksTheManualControlsAndTheTensionZoneFreesThem) {
    ConsoleRig rig;
    Ready(rig);
    rig.Click("GRIP_UP");
    rig.ClearTraces();
    rig.Click("OUTPUD");
    EXPECT_EQ(rig.dispatched, (Codes{21}));
    EXPECT_FALSE(rig.Find<TMegaButton>("GRIP_UP")->Down);
    const char* six[] = {"GRIP_UP", "GRIP_DOWN", "CONT_UP", "CONT_STOP", "CONT_DOWN", "CONT_ON"};
    for (const char* name : six)
        EXPECT_FALSE(rig.Find<TMegaButton>(name)->Enabled) << name;
    rig.Click("OUTPUD1");
    EXPECT_FALSE(rig.Find<TMegaButton>("CONT_ON1")->Enabled);
    rig.window->Command(68);
    for (const char* name : six)
        EXPECT_TRUE(rig.Find<TMegaButton>(name)->Enabled) << name;
    EXPECT_TRUE(rig.Find<TMegaButton>("CONT_ON1")->Enabled);
    EXPECT_FALSE(rig.Find<TMegaButton>("OUTPUD")->Down);
}

TEST(ManualPanels, ClosingHidesBothPanelsTheZoomPanelAndTheKeyboardAndStopsTheCrosshead) {
    for (const char* close : {"DecoExit", "MegaButton70"}) {
        ConsoleRig rig;
        rig.Setting("7", kKeyboardSetting, 1);
        Ready(rig);
        rig.Click("PANEL_DATA");
        ASSERT_TRUE(rig.Find<console::ZoomPanel>("ZOOMPANEL")->ZoomFlag());
        ASSERT_TRUE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
        rig.window->Command(close[0] == 'D' ? 68 : 67);
        rig.Click("MENU_PUDIK");
        rig.ClearTraces();
        rig.Click(close);
        EXPECT_EQ(rig.dispatched, (Codes{21})) << close;
        EXPECT_FALSE(rig.Find<QWidget>("PUDIK")->isVisible()) << close;
        EXPECT_FALSE(rig.Find<QWidget>("PUDIK_PRESS")->isVisible()) << close;
        EXPECT_FALSE(rig.Find<QWidget>("ZOOMPANEL")->isVisible()) << close;
        EXPECT_FALSE(rig.Find<console::ZoomPanel>("ZOOMPANEL")->ZoomFlag()) << close;
        EXPECT_FALSE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible()) << close;
    }
}

TEST(ManualPanels, NumbersAreTypedOnTheOnScreenKeyboard) {
    for (const char* field : {"MaskEdit1", "MaskEdit5"}) {
        ConsoleRig rig;
        rig.Setting("7", kKeyboardSetting, 1);
        Ready(rig);
        rig.window->Command(67);
        rig.Click("MENU_PUDIK");
        rig.Click("PressHold");
        ASSERT_FALSE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
        QTest::mouseClick(rig.Find<QLineEdit>(field), Qt::LeftButton);
        EXPECT_TRUE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible()) << field;
        EXPECT_TRUE(rig.Find<QLineEdit>(field)->hasFocus()) << field;
    }
}

TEST(ManualPanels, CompressionSetPointGoesToTheChannelItShowsAndReachesTheUnit) {
    ConsoleRig rig;
    Ready(rig);
    C_Work& w = *rig.window->Work();
    w.Channel(4).fullScale = 200.0;
    w.Channel(1).setPoint = 7.0;
    rig.window->Command(67);
    rig.Click("MENU_PUDIK");
    rig.unit->ClearLog();
    auto* edit = rig.Find<QLineEdit>("MaskEdit1");
    edit->setText("50");
    rig.Click("MegaButton8");
    // Kept as typed; the unit's sign for the zone is the link's.
    EXPECT_EQ(w.Channel(4).setPoint, 50.0);
    EXPECT_EQ(w.Channel(1).setPoint, 7.0);
    EXPECT_EQ(rig.unit->calls, (std::vector<Call>{{"SetValue", {3, 15}}}));
    EXPECT_TRUE(Text(rig, "PressMessage").isEmpty());
    // Shown again as typed, and taken again as shown.
    rig.Click("DecoExit");
    rig.Click("MENU_PUDIK");
    EXPECT_EQ(edit->text(), "50,0");
    rig.Click("MegaButton8");
    EXPECT_TRUE(Text(rig, "PressMessage").isEmpty());
    EXPECT_EQ(w.Channel(4).setPoint, 50.0);

    for (const char* typed : {"abc", "250", "-5", ""}) {
        rig.unit->ClearLog();
        edit->setText(typed);
        rig.Click("MegaButton8");
        EXPECT_TRUE(rig.unit->calls.empty()) << typed;
        EXPECT_EQ(w.Channel(4).setPoint, 50.0) << typed;
        EXPECT_FALSE(Text(rig, "PressMessage").isEmpty()) << typed;
    }
    SavePicture(rig.Find<QWidget>("PUDIK_PRESS"), "manual_pudik_press_refused.png");
}

// Without a unit, or with one that does not answer, the panel says so and
// the set-point stays as it was; the hidden displacement field writes nothing.
TEST(ManualPanels, SetPointTheUnitCannotTakeIsRefusedOnThePanel) {
    for (const testsupport::UnitUnavailable& c : testsupport::kUnitUnavailable) {
        ConsoleRig rig(c.connects);
        Ready(rig);
        if (rig.Find<QWidget>("Messager")->isVisible()) rig.Click("Butt_OK");
        rig.unit->answering = c.answers;
        C_Work& w = *rig.window->Work();
        w.Channel(4).fullScale = 200.0;
        w.Channel(4).setPoint = 10.0;
        rig.window->Command(67);
        rig.Click("MENU_PUDIK");
        rig.unit->ClearLog();
        rig.Find<QLineEdit>("MaskEdit1")->setText("50");
        rig.Click("MegaButton8");
        EXPECT_EQ(Text(rig, "PressMessage").toStdString(), c.says);
        EXPECT_TRUE(rig.Find<QWidget>("PUDIK_PRESS")->isVisible());
        EXPECT_EQ(w.Channel(4).setPoint, 10.0) << c.says;
    }
    ConsoleRig rig;
    Ready(rig);
    C_Work& w = *rig.window->Work();
    rig.window->Command(67);
    rig.Click("MENU_PUDIK");
    rig.unit->ClearLog();
    auto* hidden = rig.Find<QLineEdit>("MaskEdit2");
    hidden->setText("30");
    emit hidden->returnPressed();
    rig.Find<TMegaButton>("MegaButton52")->OnClick(rig.Find<TMegaButton>("MegaButton52"));
    EXPECT_EQ(w.Channel(5).setPoint, 0.0);
    EXPECT_TRUE(rig.unit->calls.empty());
}

TEST(ManualPanels, RateReadoutsShowTheDisplacementRate) {
    ConsoleRig rig;
    Ready(rig);
    rig.window->Work()->Channel(2).rate = 1.234;
    rig.window->Timer1Timer();
    EXPECT_EQ(Text(rig, "SPEED_PUD"), "1,23 мм/мин");
    EXPECT_EQ(Text(rig, "SPEED_PUD1"), "-1,23 мм/мин");
}

TEST(ManualPanels, ZeroHoldStartsAndStopsTheUnitsProgram) {
    ConsoleRig rig;
    Ready(rig);
    rig.Click("ZEROAUTO");
    rig.Click("ZEROAUTO");
    EXPECT_EQ(rig.unit->calls, (std::vector<Call>{{"SetValue", {0, 30}}, {"SetValue", {0, 22}}}));
}

// ---------------------------------------------------------------- hydraulic station

// The unit's pauses, kept short and unrecorded: the engine thread idles
// through them while the window's thread reads.
class ShortSleeper final : public platform::Sleeper {
public:
    void SleepMs(int) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

// The real unit over a fake serial link, so the station's input word, oil
// and ambient temperatures come from the unit's register image.
class StationRig {
public:
    StationRig() { platform::SetDecimalSeparator(','); }

    void Start() {
        console::ConsoleDeps deps;
        deps.programFolder = folder.path();
        deps.clock = &clock;
        deps.random = &random;
        deps.messages = &fileErrors;
        deps.makeUnit = [this](const console::UnitWiring& w) {
            auto u = std::make_unique<DEVICE_QUELM>(
                UnitDeps{sleeper, w.samples, unitMessages, links, w.status, w.testZone});
            unit = u.get();
            return std::unique_ptr<C_Connect>(std::move(u));
        };
        window = std::make_unique<TFBase>(std::move(deps));
        window->resize(1390, 755);
        window->show();
        EXPECT_TRUE(QTest::qWaitFor([this] { return window->Started(); }, 5000));
        for (QTimer* t :
             {window->findChild<QTimer*>("Timer1"), window->Station().findChild<QTimer*>("Timer3")})
            t->stop();
        window->Station().StopPolling();
        ASSERT_TRUE(window->Work()->Connected());
    }

    // What the unit answers next: the live block's oil temperature (its
    // seventh float), the ambient temperature and the input word.
    void Answer(float oil, float ambient, std::uint16_t word) {
        std::vector<float> live(8, 0.0f);
        live[6] = oil;
        script.ReplyFloats(1, live);
        script.ReplyFloats(11, {ambient});
        script.replies[41] = {static_cast<std::uint8_t>(word & 0xFF),
                              static_cast<std::uint8_t>(word >> 8), 0, 0};
        // The live read brings the oil temperature into the image.
        window->Timer5Timer();
    }

    QLabel* Label(const char* name) const { return window->findChild<QLabel*>(name); }

    testsupport::TempFolder folder;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::RecordingSink fileErrors;
    testsupport::RecordingSink unitMessages;
    testsupport::EventLog log;
    ShortSleeper sleeper;
    testsupport::FakeUnitScript script;
    testsupport::FakeLinkFactory links{log, script};
    DEVICE_QUELM* unit = nullptr;
    std::unique_ptr<TFBase> window;
};

TEST(HydraulicStation, OilAtTheLimitTurnsRedAndWarnsJustBelowNeither) {
    struct Case {
        float oil;
        const char* text;
        bool hot;
    };
    const Case cases[] = {{65.0f, "65,0 °C", true}, {64.9f, "64,9 °C", false}};
    for (const Case& c : cases) {
        StationRig rig;
        rig.Start();
        QTest::mouseClick(rig.window->findChild<TMegaButton*>("MegaButton45"), Qt::LeftButton);
        rig.Answer(c.oil, 23.5f, 0);
        rig.window->Station().Manual().Timer3Timer();
        EXPECT_EQ(rig.Label("TTEMP1")->text(), c.text);
        EXPECT_EQ(Reddish(TextColour(rig.Label("TTEMP1"))), c.hot) << c.oil;
        EXPECT_EQ(Greenish(TextColour(rig.Label("TTEMP1"))), !c.hot) << c.oil;
        EXPECT_EQ(rig.Label("TTEMP")->text(), "23,5 °C");
        EXPECT_EQ(rig.window->MessageText(),
                  c.hot ? "ВНИМАНИЕ!!! Превышен допустимый предел температуры масла!" : "")
            << c.oil;
    }
}

TEST(HydraulicStation, LevelAndFilterBitsShowTheirState) {
    struct Case {
        std::uint16_t word;
        const char* level;
        const char* filter;
    };
    // Level on input 3 (bit 2), filter on input 16 (bit 15).
    const Case cases[] = {{0x0000, "НОРМА", "НОРМА"},
                          {0x0004, "НИЗКИЙ", "НОРМА"},
                          {0x8000, "НОРМА", "ЗАГРЯЗНЕН"},
                          {0xFFFB, "НОРМА", "ЗАГРЯЗНЕН"},
                          {0x8004, "НИЗКИЙ", "ЗАГРЯЗНЕН"}};
    StationRig rig;
    rig.Start();
    rig.window->Work()->Config().iLevel = 3;
    rig.window->Work()->Config().iFiltr = 16;
    QTest::mouseClick(rig.window->findChild<TMegaButton*>("MegaButton45"), Qt::LeftButton);
    for (const Case& c : cases) {
        rig.Answer(40.0f, 20.0f, c.word);
        rig.window->Station().Manual().Timer3Timer();
        QLabel* level = rig.Label("TMASLO");
        QLabel* filter = rig.Label("TFILTR");
        EXPECT_EQ(level->text(), c.level) << c.word;
        EXPECT_EQ(filter->text(), c.filter) << c.word;
        for (QLabel* l : {level, filter}) {
            const bool good = l->text() == "НОРМА";
            EXPECT_EQ(Greenish(TextColour(l)), good) << c.word;
            EXPECT_EQ(Reddish(TextColour(l)), !good) << c.word;
            EXPECT_EQ(l->font().pointSize(), good ? 22 : 16) << c.word;
        }
    }
    SavePicture(rig.window->findChild<QWidget*>("PanelIZNOS"), "manual_station_panel.png");
    // An input that is not wired claims nothing.
    rig.window->Work()->Config().iLevel = 0;
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(rig.Label("TMASLO")->text(), "—");
}

TEST(HydraulicStation, RunningTimeGrowsOnlyWhileThePumpRuns) {
    ConsoleRig rig;
    Ready(rig);
    C_Config& c = rig.window->Work()->Config();
    c.iWORK = 7170;
    rig.Click("MegaButton45");
    rig.Click("CONT_ON");
    for (int i = 0; i < 3; ++i)
        rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(c.iWORK, 7200);
    EXPECT_EQ(Text(rig, "NORMA"), "2 ч");
    rig.Click("CONT_ON");
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(c.iWORK, 7200);
}

TEST(HydraulicStation, TickReadsTheStationOnlyWhileItsPanelShows) {
    ConsoleRig rig;
    Ready(rig);
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(rig.unit->calls, (std::vector<Call>{{"GetValue", {12}}}));
    rig.Click("MegaButton45");
    rig.unit->ClearLog();
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(rig.unit->calls,
              (std::vector<Call>{{"GetValue", {26}}, {"GetValue", {11}}, {"GetValue", {12}}}));
}

TEST(HydraulicStation, StartUpRunsTheTickEveryTenSeconds) {
    ConsoleRig rig;
    rig.Start();
    EXPECT_TRUE(rig.window->Station().findChild<QTimer*>("Timer3")->isActive());
    EXPECT_EQ(rig.window->Station().findChild<QTimer*>("Timer3")->interval(), 10000);
}

TEST(HydraulicStation, MenuShowsThePanelCentredAndItsTitleHidesIt) {
    ConsoleRig rig;
    Ready(rig);
    auto* panel = rig.Find<QWidget>("PanelIZNOS");
    rig.Click("MegaButton45");
    ASSERT_TRUE(panel->isVisible());
    const QPoint centred((rig.window->width() - panel->width()) / 2,
                         (rig.window->height() - panel->height()) / 2);
    EXPECT_EQ(panel->pos(), centred);
    // Dragged by its title it stays.
    auto* title = rig.Find<QWidget>("TEMPT");
    const QPoint grip = title->rect().center();
    QTest::mousePress(title, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(40, 30)),
                     QPointF(title->mapToGlobal(grip + QPoint(40, 30))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(title, &move);
    QTest::mouseRelease(title, Qt::LeftButton, {}, grip);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pos(), centred + QPoint(40, 30));
    // A click on it hides it.
    QTest::mouseClick(title, Qt::LeftButton, {}, title->rect().center());
    EXPECT_FALSE(panel->isVisible());
    rig.Click("MegaButton45");
    rig.Click("MegaButton45");
    EXPECT_FALSE(panel->isVisible());
}

TEST(HydraulicStation, CloseButtonHidesThePanel) {
    ConsoleRig rig;
    Ready(rig);
    auto* panel = rig.Find<QWidget>("PanelIZNOS");
    rig.Click("MegaButton45");
    ASSERT_TRUE(panel->isVisible());
    auto* close = rig.Find<QWidget>("IZNOS_EXIT");
    EXPECT_TRUE(close->isVisible());
    EXPECT_TRUE(panel->rect().contains(QRect(close->mapTo(panel, QPoint(0, 0)), close->size())));
    rig.Click("IZNOS_EXIT");
    EXPECT_FALSE(panel->isVisible());
    rig.Click("MegaButton45");
    EXPECT_TRUE(panel->isVisible());
}

// A warning every 10 s while the oil stays hot: one copy, never over a
// question, and the stop button in reach while a test runs.
TEST(HydraulicStation, RepeatedWarningNeitherStacksNorTakesTheStopButton) {
    ConsoleRig rig;
    Ready(rig);
    rig.unit->values[12] = 70.0;
    rig.window->Command(1);
    rig.window->Station().Manual().Timer3Timer();
    const std::string warning = "ВНИМАНИЕ!!! Превышен допустимый предел температуры масла!";
    EXPECT_EQ(rig.window->MessageText(), warning);
    auto* stop = rig.Find<TMegaButton>("BUT_STOP");
    const QPoint messagerAt = rig.Find<QWidget>("Messager")->pos();
    rig.window->Station().Manual().Timer3Timer();
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(rig.Find<QWidget>("Messager")->pos(), messagerAt);
    EXPECT_TRUE(stop->isEnabled());
    // Nor does the message cover it.
    const QRect stopArea(stop->mapTo(rig.window.get(), QPoint(0, 0)), stop->size());
    EXPECT_FALSE(rig.Find<QWidget>("Messager")->geometry().intersects(stopArea));
    SavePicture(rig.window.get(), "manual_oil_warning_during_test.png");
    EXPECT_FALSE(rig.Find<QWidget>("Mirandex")->isEnabled());
    // Answered, the screens come back whole.
    rig.Click("Butt_OK");
    EXPECT_TRUE(rig.Find<QWidget>("Mirandex")->isEnabled());
    // A question waits for its answer; the warning comes a tick later.
    rig.window->FormCloseClick();
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(rig.window->MessageText(), "Закрыть программу?");
    EXPECT_FALSE(rig.Find<QWidget>("Butt_OK")->isVisible());
    rig.Click("Butt_NO");
    EXPECT_FALSE(rig.ended);
    rig.window->Station().Manual().Timer3Timer();
    EXPECT_EQ(rig.window->MessageText(), warning);
    rig.ClearTraces();
    rig.Click("BUT_STOP");
    ASSERT_FALSE(rig.dispatched.empty());
    EXPECT_EQ(rig.dispatched.front(), 2);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kFinished);
}

// The same typed compression set-point reaches the unit's register image
// as the same bytes by every path, and what a path shows is taken back.
TEST(CompressionSign, EveryPathPutsTheSameSetPointInTheUnit) {
    enum class Path { PressPanel, NumericEntry };
    for (Path path : {Path::PressPanel, Path::NumericEntry}) {
        StationRig rig;
        rig.Start();
        TFBase& win = *rig.window;
        win.Work()->Channel(4).fullScale = 200.0;
        win.Command(67);
        auto setPoint1 = [&rig] {
            return rig.unit->Image().GetFloat(RegisterImage::kSetpoints, RegisterImage::kSetpoint1);
        };
        auto type = [&](const char* text) {
            if (path == Path::PressPanel) {
                auto* edit = win.findChild<QLineEdit*>("MaskEdit1");
                edit->setText(text);
                QTest::mouseClick(win.findChild<TMegaButton*>("MegaButton8"), Qt::LeftButton);
                return win.findChild<QLabel*>("PressMessage")->text();
            }
            auto* edit = win.findChild<QLineEdit*>("SPEED_EDIT");
            edit->setText(text);
            QTest::mouseClick(win.findChild<TMegaButton*>("SPEED_OK"), Qt::LeftButton);
            return win.findChild<QLabel*>("SPEED_HINT")->text();
        };
        auto open = [&] {
            if (path == Path::PressPanel) {
                if (win.findChild<QWidget*>("PUDIK_PRESS")->isHidden())
                    QTest::mouseClick(win.findChild<TMegaButton*>("MENU_PUDIK"), Qt::LeftButton);
                return win.findChild<QLineEdit*>("MaskEdit1")->text();
            }
            QTest::mouseClick(win.findChild<TMegaButton*>("INDICMODE2"), Qt::LeftButton);
            auto* row = win.findChild<TMegaDatchik*>("MegaDatchik1")->findChild<QWidget*>("click0");
            QTest::mouseClick(row, Qt::LeftButton, {}, row->rect().center());
            return win.findChild<QLineEdit*>("SPEED_EDIT")->text();
        };
        const int p = static_cast<int>(path);
        open();
        EXPECT_TRUE(type("50").isEmpty()) << p;
        // The unit works the compression zone negative.
        EXPECT_EQ(setPoint1(), -50.0f) << p;
        EXPECT_EQ(win.Work()->Channel(4).setPoint, 50.0) << p;
        // A zone change writes it again, the same.
        win.Command(68);
        win.Command(67);
        EXPECT_EQ(setPoint1(), -50.0f) << p;
        // What the path shows is the value typed, and it is taken back.
        const QString shown = open();
        EXPECT_EQ(station::entry::ParseNumber(shown.toStdString()), 50.0) << p;
        EXPECT_TRUE(type(shown.toUtf8().constData()).isEmpty()) << p;
        EXPECT_EQ(setPoint1(), -50.0f) << p;
    }
}

// The hold program's limits are forces of the zone too: the same typed
// limits reach the unit with the zone's sign, the speed and time as typed.
TEST(CompressionSign, HoldLimitsTakeTheZonesSign) {
    struct Case {
        int zoneCode;
        float upper, lower;
    };
    const Case cases[] = {{68, 50.0f, 2.0f}, {67, -50.0f, -2.0f}};
    for (const Case& c : cases) {
        StationRig rig;
        rig.Start();
        TFBase& win = *rig.window;
        for (int k : {1, 4})
            win.Work()->Channel(k).fullScale = 500.0;
        win.Command(c.zoneCode);
        QTest::mouseClick(win.findChild<TMegaButton*>("MegaButton61"), Qt::LeftButton);
        win.findChild<QLineEdit*>("MaskEdit3")->setText("50");
        win.findChild<QLineEdit*>("MaskEdit4")->setText("2");
        QTest::mouseClick(win.findChild<TMegaButton*>("MegaButton60"), Qt::LeftButton);
        EXPECT_TRUE(win.findChild<QLabel*>("HoldMessage")->text().isEmpty());
        const RegisterImage& image = rig.unit->Image();
        EXPECT_EQ(image.GetFloat(RegisterImage::kCycleProgram, RegisterImage::kCycleUpper),
                  c.upper);
        EXPECT_EQ(image.GetFloat(RegisterImage::kCycleProgram, RegisterImage::kCycleLower),
                  c.lower);
        EXPECT_EQ(image.GetFloat(RegisterImage::kCycleProgram, RegisterImage::kCycleSpeed), 20.0f);
        EXPECT_EQ(image.GetFloat(RegisterImage::kCycleProgram, RegisterImage::kCycleHold), 15.0f);
    }
}

// ---------------------------------------------------------------- hold program

std::array<std::uint8_t, 48> CycleBlock(const testsupport::FakeUnit& unit) {
    std::array<std::uint8_t, 48> bytes{};
    const auto block = unit.image.Bytes(RegisterImage::kCycleProgram);
    std::copy(block.begin(), block.end(), bytes.begin());
    return bytes;
}

template <class T>
void Put(std::array<std::uint8_t, 48>& bytes, size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

TEST(HoldProgram, ReachedFromTheCompressionPanelAndSentWithCode20) {
    ConsoleRig rig;
    Ready(rig);
    rig.window->Command(67);
    rig.Click("MENU_PUDIK");
    rig.Click("PressHold");
    auto* panel = rig.Find<QWidget>("Panel19");
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pos(), QPoint((rig.window->width() - panel->width()) / 2,
                                   (rig.window->height() - panel->height()) / 2));
    // Compression holds on the bending device's force channel.
    rig.window->Work()->Channel(4).fullScale = 500.0;
    rig.unit->ClearLog();
    rig.Find<QLineEdit>("MaskEdit6")->setText("2,7");
    rig.Click("MegaButton60");

    // Little-endian on the unit as here.
    std::array<std::uint8_t, 48> expected{};
    Put(expected, 0, 20.0f);   // speed, kN/s
    Put(expected, 4, 100.0f);  // upper limit
    Put(expected, 8, 1.0f);    // lower limit
    Put(expected, 12, 15.0f);  // hold time, s
    Put(expected, 16, 2);      // repetitions, truncated
    Put(expected, 20, 0);      // cycles done
    expected[24] = 1;          // hold or cycle program
    Put(expected, 26, std::uint16_t{1});
    Put(expected, 28, 0.0f);
    expected[32] = 1;  // flag
    EXPECT_EQ(CycleBlock(*rig.unit), expected);
    ASSERT_EQ(rig.unit->calls.size(), 2U);
    EXPECT_EQ(rig.unit->calls[0].name, "SetCycleProgramBlock");
    EXPECT_EQ(rig.unit->calls[1], (Call{"SetValue", {0, 20}}));
    EXPECT_TRUE(Text(rig, "HoldMessage").isEmpty());
    rig.Click("MegaButton59");
    EXPECT_FALSE(panel->isVisible());
}

TEST(HoldProgram, WithoutAUnitOrAnAnswerThePanelSaysSo) {
    for (const testsupport::UnitUnavailable& c : testsupport::kUnitUnavailable) {
        ConsoleRig rig(c.connects);
        Ready(rig);
        if (rig.Find<QWidget>("Messager")->isVisible()) rig.Click("Butt_OK");
        rig.unit->answering = c.answers;
        rig.window->Work()->Channel(1).fullScale = 500.0;
        rig.Click("MegaButton61");
        rig.unit->ClearLog();
        rig.Click("MegaButton60");
        EXPECT_EQ(Text(rig, "HoldMessage").toStdString(), c.says);
        EXPECT_TRUE(rig.Find<QWidget>("Panel19")->isVisible());
        EXPECT_EQ(rig.unit->Count("SetValue"), 0) << c.says;
    }
}

TEST(HoldProgram, InvalidFieldsSendNothingAndSayWhy) {
    struct Case {
        const char* field;
        const char* text;
    };
    const Case cases[] = {{"MaskEdit7", "abc"}, {"MaskEdit7", "0"},   {"MaskEdit7", "-5"},
                          {"MaskEdit3", ""},    {"MaskEdit4", "150"}, {"MaskEdit3", "300"},
                          {"MaskEdit5", "-1"},  {"MaskEdit6", "-1"},  {"MaskEdit6", "1x"},
                          {"MaskEdit4", "-250"}};
    ConsoleRig rig;
    Ready(rig);
    rig.window->Command(68);
    rig.window->Work()->Channel(1).fullScale = 200.0;
    rig.Click("MegaButton61");
    for (const Case& c : cases) {
        auto* edit = rig.Find<QLineEdit>(c.field);
        const QString before = edit->text();
        edit->setText(c.text);
        rig.unit->ClearLog();
        rig.Click("MegaButton60");
        EXPECT_TRUE(rig.unit->calls.empty()) << c.field << " " << c.text;
        EXPECT_FALSE(Text(rig, "HoldMessage").isEmpty()) << c.field << " " << c.text;
        if (std::string(c.text) == "150")
            SavePicture(rig.Find<QWidget>("Panel19"), "manual_hold_panel_refused.png");
        edit->setText(before);
    }
    // Put right, it goes.
    rig.unit->ClearLog();
    rig.Click("MegaButton60");
    EXPECT_EQ(rig.unit->Count("SetValue"), 1);
    EXPECT_TRUE(Text(rig, "HoldMessage").isEmpty());
}

}  // namespace

// The dispatcher of the real window, offscreen, against a fake unit.

#include <QListWidget>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <filesystem>

#include "console/paramlist.h"
#include "console_rig.h"
#include "controls/symbolfont.h"

namespace {

using testsupport::ConsoleRig;
using Codes = std::vector<int>;

int IniInt(const ConsoleRig& rig, const char* section, const char* key) {
    TConfigINI ini(rig.folder.path());
    ini.FileName = "Config";
    return ini.ReadI(section, key, -1);
}

TEST(Dispatcher, StartRunsWorkModeFirstAndCountsTheProtocol) {
    ConsoleRig rig;
    rig.Start();
    rig.ClearTraces();
    rig.unit->ClearLog();
    rig.window->Command(1);
    EXPECT_EQ(rig.dispatched, (Codes{1, 242}));
    EXPECT_EQ(rig.engine, (Codes{242, 1}));
    EXPECT_EQ(IniInt(rig, "7", "Номер протокола"), 1);
    EXPECT_EQ(IniInt(rig, "4", "Номер протокола"), -1);
    EXPECT_EQ(rig.window->ProtocolNumber(), 1);
    EXPECT_TRUE(rig.Find<TMegaButton>("MODE_WORK")->Down);
    EXPECT_EQ(rig.Find<TMegaButton>("MODE_WORK")->Caption, "ИСПЫТАНИЕ № 1");
    EXPECT_EQ(rig.unit->Count("PumpOn"), 1);
    EXPECT_EQ(rig.unit->Count("StartControl"), 1);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kRunning);
}

TEST(Dispatcher, OneProtocolNumberPerTestStarted) {
    ConsoleRig rig;
    rig.Start();
    rig.window->Command(1);
    // A second ПУСК and a tap of the work-mode button during the test.
    rig.window->Command(1);
    rig.Click("MODE_WORK");
    EXPECT_EQ(rig.window->ProtocolNumber(), 1);
    EXPECT_EQ(rig.Find<TMegaButton>("MODE_WORK")->Caption, "ИСПЫТАНИЕ № 1");
    rig.window->Command(2);
    rig.window->Command(1);
    EXPECT_EQ(rig.window->ProtocolNumber(), 2);
    EXPECT_EQ(IniInt(rig, "7", "Номер протокола"), 2);
    EXPECT_TRUE(rig.fileErrors.messages.empty());
}

TEST(Dispatcher, TheProtocolNumberLivesInTheGeneralSettings) {
    struct Case {
        int general;  // section "7", -1 absent
        int old;      // section "4", -1 absent
        int number;
    };
    // A file from before counted in "4": the larger number wins, so none
    // comes twice, and it moves to "7".
    const Case cases[] = {{-1, -1, 0}, {12, -1, 12}, {-1, 5, 5}, {7, 41, 41}, {20, 3, 20}};
    for (const Case& c : cases) {
        ConsoleRig rig;
        if (c.general >= 0) rig.Setting("7", "Номер протокола", c.general);
        if (c.old >= 0) rig.Setting("4", "Номер протокола", c.old);
        rig.Start();
        EXPECT_EQ(rig.window->ProtocolNumber(), c.number) << c.general << " " << c.old;
        EXPECT_EQ(rig.Find<TMegaButton>("MODE_WORK")->Caption,
                  "ИСПЫТАНИЕ № " + std::to_string(c.number));
        EXPECT_EQ(IniInt(rig, "4", "Номер протокола"), -1);
        // The settings screen shows the number the station uses.
        const auto* list = rig.Find<console::ParamList>("CUSTOM_LIST");
        int row = 0;
        while (row < list->rowCount() &&
               list->item(row, 0)->text() != draw::SymbolText("Номер протокола"))
            ++row;
        EXPECT_EQ(list->ValueAt(row), std::to_string(c.number)) << c.general << " " << c.old;
        rig.window->Command(1);
        EXPECT_EQ(IniInt(rig, "7", "Номер протокола"), c.number + 1);
        EXPECT_EQ(IniInt(rig, "4", "Номер протокола"), -1);
    }
}

TEST(Dispatcher, AProtocolNumberThatCannotBeWrittenIsReported) {
    ConsoleRig rig;
    // A folder where the file belongs: nothing can be written there.
    std::filesystem::create_directory(rig.folder.path() + "/Config.INI");
    rig.Start();
    rig.fileErrors.messages.clear();
    rig.window->Command(1);
    ASSERT_EQ(rig.fileErrors.messages.size(), 1u);
    EXPECT_EQ(rig.fileErrors.messages[0].text,
              "Номер протокола не сохранен: файл 'Config.INI' не может быть записан");
    // The test runs all the same, under its number.
    EXPECT_EQ(rig.window->ProtocolNumber(), 1);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kRunning);
}

TEST(Dispatcher, StopRunsResultModeAndTheCalculationBeforeTheEngine) {
    struct Case {
        int autosave;
        Codes dispatched;
        bool savePanel;
    };
    const Case cases[] = {{0, {2, 243, 48}, false}, {1, {2, 243, 33, 48}, true}};
    for (const Case& c : cases) {
        ConsoleRig rig;
        rig.Setting("7", "Автосохранение протокола", c.autosave);
        rig.Start();
        rig.window->Command(1);
        rig.ClearTraces();
        rig.window->Command(2);
        EXPECT_EQ(rig.dispatched, c.dispatched) << c.autosave;
        EXPECT_EQ(rig.engine.back(), 2);
        EXPECT_EQ(rig.engine.size(), c.dispatched.size());
        EXPECT_EQ(!rig.Find<QWidget>("DIALOG_SAVE")->isHidden(), c.savePanel);
        EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 1);
        EXPECT_EQ(rig.window->Work()->State(), C_Work::kFinished);
    }
}

TEST(Dispatcher, PostedStopAndBreakShowTheResultScreenThenTheMessage) {
    ConsoleRig rig;
    rig.Start();
    rig.window->Command(1);
    rig.ClearTraces();
    rig.window->Station().Post(2);
    rig.window->Station().Post(55);
    // Posting never runs the handler.
    EXPECT_TRUE(rig.dispatched.empty());
    ConsoleRig::Drain();
    EXPECT_EQ(rig.dispatched, (Codes{2, 243, 48, 55}));
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 1);
    EXPECT_EQ(rig.window->MessageText(), "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!");
    EXPECT_FALSE(rig.Find<QWidget>("Butt_OK")->isHidden());
}

TEST(Dispatcher, EngineEventsShowTheirMessages) {
    const std::pair<int, const char*> cases[] = {
        {49, "ДОСТИГНУТА УСТАВКА ПО F!!!"},       {50, "ДОСТИГНУТА УСТАВКА ПО L!!!"},
        {51, "ДОСТИГНУТА УСТАВКА ПО E!!!"},       {52, "ДОСТИГНУТА ЗАЩИТА ПО F!!!"},
        {53, "ДОСТИГНУТА ЗАЩИТА ПО L!!!"},        {54, "ДОСТИГНУТА ЗАЩИТА ПО E!!!"},
        {55, "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"}, {56, "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО L!!!"},
        {57, "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО E!!!"}};
    ConsoleRig rig;
    rig.Start();
    for (const auto& [code, text] : cases) {
        rig.window->Command(code);
        EXPECT_EQ(rig.window->MessageText(), text);
        rig.Click("Butt_OK");
        EXPECT_EQ(rig.window->MessageText(), "");
    }
}

TEST(Dispatcher, CloseQuestionAnsweredNoKeepsEverything) {
    ConsoleRig rig;
    rig.Start();
    rig.Click("Butt_OK");  // the demonstration message, when shown
    rig.StopPolling();
    rig.unit->ClearLog();
    rig.window->FormCloseClick();
    EXPECT_EQ(rig.window->MessageText(), "Закрыть программу?");
    rig.Click("Butt_NO");
    EXPECT_EQ(rig.window->MessageText(), "");
    EXPECT_TRUE(rig.unit->calls.empty());
    EXPECT_FALSE(rig.ended);
    EXPECT_TRUE(rig.window->isVisible());
    EXPECT_TRUE(rig.window->Work()->Connected());
    EXPECT_EQ(IniInt(rig, "4", "Наработка"), -1);
}

TEST(Dispatcher, CloseQuestionAnsweredYesShutsTheUnitDownAndSavesOnlyTheHours) {
    ConsoleRig rig;
    rig.Start();
    rig.StopPolling();
    rig.unit->ClearLog();
    rig.window->FormCloseClick();
    rig.Click("Butt_YES");
    EXPECT_EQ(rig.unit->Names(), (std::vector<std::string>{"PumpOff", "MoveStop", "Close"}));
    EXPECT_TRUE(rig.ended);
    EXPECT_FALSE(rig.window->isVisible());
    EXPECT_EQ(IniInt(rig, "4", "Наработка"), 0);
    // Nothing else was written: the file holds section "4" with that key only.
    TConfigINI ini(rig.folder.path());
    ini.FileName = "Config";
    std::vector<std::string> keys;
    ini.ReadSector("4", keys);
    EXPECT_EQ(keys.size(), 1u);
    std::vector<std::string> others;
    ini.ReadSector("7", others);
    EXPECT_TRUE(others.empty());
}

TEST(Dispatcher, PowerOffSavesTheHoursAndShutsDownBeforeAskingTheSystem) {
    struct Case {
        std::string refuse;
        bool endedAtOnce;
    };
    const Case cases[] = {{"", true}, {"нет прав", false}};
    for (const Case& c : cases) {
        ConsoleRig rig;
        rig.power.refuse = c.refuse;
        rig.Start();
        rig.StopPolling();
        rig.unit->ClearLog();
        rig.window->MegaButton44Click();
        EXPECT_EQ(rig.window->MessageText(), "Вы действительно хотите выключить систему?");
        rig.Click("Butt_YES");
        EXPECT_EQ(rig.unit->Names(), (std::vector<std::string>{"PumpOff", "MoveStop", "Close"}));
        EXPECT_EQ(rig.power.asked, 1);
        EXPECT_EQ(IniInt(rig, "4", "Наработка"), 0);
        EXPECT_EQ(rig.ended, c.endedAtOnce);
        if (!c.endedAtOnce) {
            EXPECT_EQ(rig.window->MessageText(), "СИСТЕМА НЕ ВЫКЛЮЧЕНА: нет прав");
            rig.Click("Butt_OK");
            EXPECT_TRUE(rig.ended);
        }
    }
}

// Zone outputs only where the station has them: without the keys (or with
// 0, which no output is numbered) the zone buttons are disabled and no
// output is asked for; with them, each zone switches its pair.
TEST(Dispatcher, ZoneOutputsOnlyWhenConfigured) {
    using Call = testsupport::FakeUnit::Call;
    struct Case {
        std::optional<int> tension, compression;
        bool buttons;
        std::vector<Call> outputs;  // of code 67, then 68
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, false, {}},
        {0, 0, false, {}},
        {3, std::nullopt, true, {{"SetOutput", {3, 0}}, {"SetOutput", {3, 1}}}},
        {3,
         4,
         true,
         {{"SetOutput", {3, 0}},
          {"SetOutput", {4, 1}},
          {"SetOutput", {3, 1}},
          {"SetOutput", {4, 0}}}},
    };
    for (const Case& c : cases) {
        ConsoleRig rig;
        if (c.tension) rig.Setting("4", "Выход Зона Растяжения", *c.tension);
        if (c.compression) rig.Setting("4", "Выход Зона Сжатия", *c.compression);
        rig.Start();
        rig.StopPolling();
        EXPECT_EQ(rig.Find<TMegaButton>("MODEALL_RAST")->Enabled, c.buttons);
        EXPECT_EQ(rig.Find<TMegaButton>("MODEALL_PRESS")->Enabled, c.buttons);
        rig.unit->ClearLog();
        rig.window->Command(67);
        rig.window->Command(68);
        std::vector<Call> outputs;
        for (const Call& call : rig.unit->calls) {
            if (call.name == "SetOutput") outputs.push_back(call);
        }
        EXPECT_EQ(outputs, c.outputs) << c.tension.value_or(-1);
    }
}

// A double click as the window system delivers it: press, release, double
// click, release.
void DoubleClick(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

// A double click on a zeroing button leaves the zero released from either
// state: the first click toggles, the second press releases.
TEST(Dispatcher, DoubleClickOnAZeroingButtonReleasesTheZero) {
    struct Case {
        const char* button;
        int zero, off;
    };
    const Case cases[] = {{"ZeroingF", 22, 25}, {"ZeroingL", 23, 26}, {"ZeroingE", 24, 27}};
    for (const Case& c : cases) {
        ConsoleRig rig;
        rig.Start();
        rig.StopPolling();
        auto* b = rig.Find<TMegaButton>(c.button);
        b->Enabled = true;
        const QPoint at = b->rect().center();
        rig.ClearTraces();
        DoubleClick(b, at);
        EXPECT_EQ(rig.dispatched, (Codes{c.zero, c.off})) << c.button;
        EXPECT_FALSE(b->Down) << c.button;
        // From the zero on.
        rig.Click(c.button);
        ASSERT_TRUE(b->Down);
        rig.ClearTraces();
        DoubleClick(b, at);
        EXPECT_EQ(rig.dispatched, (Codes{c.off, c.off})) << c.button;
        EXPECT_FALSE(b->Down) << c.button;
    }
}

TEST(Dispatcher, CodesThirtySixAndThirtySevenChangeNothing) {
    ConsoleRig rig;
    rig.Start();
    rig.StopPolling();
    rig.unit->ClearLog();
    auto* tab = rig.Find<QStackedWidget>("BaseTab");
    const int page = tab->currentIndex();
    const std::string message = rig.window->MessageText();
    const bool modes[] = {rig.Find<TMegaButton>("MODE_INSTAL")->Down,
                          rig.Find<TMegaButton>("MODE_WORK")->Down,
                          rig.Find<TMegaButton>("MODE_RESULT")->Down};
    for (int code : {36, 37}) {
        rig.ClearTraces();
        rig.window->Command(code);
        EXPECT_EQ(rig.dispatched, (Codes{code}));
        EXPECT_EQ(rig.engine, (Codes{code}));
    }
    EXPECT_EQ(tab->currentIndex(), page);
    EXPECT_EQ(rig.window->MessageText(), message);
    EXPECT_EQ(rig.Find<TMegaButton>("MODE_INSTAL")->Down, modes[0]);
    EXPECT_EQ(rig.Find<TMegaButton>("MODE_WORK")->Down, modes[1]);
    EXPECT_EQ(rig.Find<TMegaButton>("MODE_RESULT")->Down, modes[2]);
    EXPECT_TRUE(rig.unit->calls.empty());
}

TEST(Dispatcher, ButtonsSendTheirCodes) {
    struct Case {
        const char* button;
        Codes dispatched;
    };
    const Case cases[] = {
        {"DIRECT_F", {4}},  {"DIRECT_L", {5}},  {"SpeedUp", {8}},           {"SPEED_0", {62}},
        {"ZeroingF", {22}}, {"ZeroingF", {25}}, {"MODE_RESULT", {243, 48}},
    };
    ConsoleRig rig;
    rig.Start();
    rig.Click("Butt_OK");
    for (const Case& c : cases) {
        rig.window->Command(241);
        rig.ClearTraces();
        rig.Click(c.button);
        EXPECT_EQ(rig.dispatched, c.dispatched) << c.button;
    }
}

}  // namespace

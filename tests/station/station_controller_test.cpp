// The station without its window: the message it shows and what answering
// runs, the unit's word on pump and grips, and a unit that falls silent.

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "model/configini.h"
#include "station/station_controller.h"
#include "station/station_program.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/file_oracle.h"
#include "support/fixtures.h"
#include "support/recording_sink.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace {

using station::StationController;
using testsupport::FakeUnit;

// A controller around a fake unit, with what it shows recorded.
struct Rig {
    Rig() {
        station::StationDeps deps;
        deps.programFolder = folder.path();
        deps.clock = &clock;
        deps.random = &random;
        deps.messages = &fileErrors;
        deps.events = &events;
        deps.makeUnit = [this](const station::UnitWiring& w) {
            auto u = std::make_unique<FakeUnit>();
            u->sink = &w.samples;
            u->status = w.status;
            unit = u.get();
            return std::unique_ptr<C_Connect>(std::move(u));
        };
        station = std::make_unique<StationController>(std::move(deps));
        station->StopPolling();
        QObject::connect(station.get(), &StationController::messageRequested,
                         [this](const QString& text, int) { shown.push_back(text.toStdString()); });
        QObject::connect(station.get(), &StationController::commandDispatched, [this](int code) {
            dispatched.push_back({code, station->Answer()});
        });
    }
    static void Drain() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    testsupport::TempFolder folder;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::RecordingSink fileErrors;
    testsupport::EventQueue events;
    FakeUnit* unit = nullptr;
    std::unique_ptr<StationController> station;
    std::vector<std::string> shown;
    struct Dispatch {
        int code, answer;
        bool operator==(const Dispatch&) const = default;
    };
    std::vector<Dispatch> dispatched;
};

TEST(StationMessages, AnAnswerRunsTheContinuationWithTheAnswerStoredFirst) {
    for (int answer : {1, 3}) {
        Rig r;
        r.station->ShowMes("Закрыть программу?", 0, 245);
        EXPECT_EQ(r.station->MessageText(), "Закрыть программу?");
        r.station->AnswerMessage(answer);
        EXPECT_EQ(r.station->MessageText(), "");
        EXPECT_EQ(r.dispatched, (std::vector<Rig::Dispatch>{{245, answer}}));
    }
    Rig r;
    r.station->ShowMes("ДОСТИГНУТА УСТАВКА ПО F!!!", 1, 0);
    r.station->AnswerMessage(2);
    EXPECT_TRUE(r.dispatched.empty()) << "0 continues nothing";
}

TEST(StationMessages, AFileErrorWaitsForTheQuestionThenComesBackAfterTheNextMessage) {
    Rig r;
    r.station->ShowMes("Закрыть программу?", 0, 0);
    r.station->ShowFileMessage("Файл 'a.dat' не записан");
    EXPECT_EQ(r.station->MessageText(), "Закрыть программу?") << "never over a question";
    r.station->AnswerMessage(3);
    Rig::Drain();
    EXPECT_EQ(r.station->MessageText(), "Файл 'a.dat' не записан");
    // A message that would replace it pushes it back into the queue.
    r.station->ShowMes("ДОСТИГНУТА ЗАЩИТА ПО F!!!", 1, 0);
    r.station->AnswerMessage(2);
    Rig::Drain();
    EXPECT_EQ(r.station->MessageText(), "Файл 'a.dat' не записан");
}

TEST(StationMessages, AFileErrorTakesThePlaceOfTheBusyMessageAndStays) {
    Rig r;
    QSignalSpy busy(r.station.get(), &StationController::busyChanged);
    r.station->ShowBusy("ИДЕТ СОХРАНЕНИЕ...");
    r.station->ShowFileMessage("Папка 'X' не может быть создана");
    EXPECT_EQ(r.station->MessageText(), "Папка 'X' не может быть создана");
    r.station->EndBusy();
    EXPECT_EQ(r.station->MessageText(), "Папка 'X' не может быть создана");
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
    // Without an error the busy message goes with the work.
    r.station->AnswerMessage(2);
    r.station->ShowBusy("ИДЕТ ЗАГРУЗКА...");
    r.station->EndBusy();
    EXPECT_EQ(r.station->MessageText(), "");
}

TEST(StationUnit, TheUnitsWordOnTheGripsLocksTheJogAndEitherGripOpenFreesIt) {
    Rig r;
    r.station->CreateWork();
    ASSERT_NE(r.unit, nullptr);
    ASSERT_EQ(r.unit->status, r.station.get()) << "the unit reports to the station";
    QSignalSpy grips(r.station.get(), &StationController::gripsShown);
    r.station->GripsChanged(true, std::nullopt);
    EXPECT_FALSE(r.station->JogLocked());
    r.station->GripsChanged(std::nullopt, true);
    EXPECT_TRUE(r.station->JogLocked());
    r.station->SetGrip(true, false);
    EXPECT_FALSE(r.station->JogLocked()) << "a grip opened by its button";
    r.station->SetGrip(true, true);
    r.station->GripsChanged(true, false);
    EXPECT_FALSE(r.station->JogLocked());
    EXPECT_EQ(grips.count(), 3);
    r.station->PumpChanged(true);
    EXPECT_TRUE(r.station->PumpRunning());
}

TEST(StationUnit, ASilentUnitIsReportedOnceNeverOverAQuestionAndTheReportGoesWhenItAnswers) {
    constexpr const char* kSilent = "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!";
    Rig r;
    r.station->CreateWork();
    r.unit->answering = false;
    r.station->ShowMes("Закрыть программу?", 0, 0);
    r.station->Timer4Timer();
    EXPECT_EQ(r.station->MessageText(), "Закрыть программу?");
    r.station->AnswerMessage(3);
    r.station->Timer5Timer();
    EXPECT_EQ(r.station->MessageText(), kSilent);
    r.station->AnswerMessage(2);
    r.station->Timer4Timer();
    EXPECT_EQ(r.station->MessageText(), "") << "once";
    r.unit->answering = true;
    r.station->Timer4Timer();
    r.unit->answering = false;
    r.station->Timer4Timer();
    EXPECT_EQ(r.station->MessageText(), kSilent) << "silent again after it answered";
    r.unit->answering = true;
    r.station->Timer5Timer();
    EXPECT_EQ(r.station->MessageText(), "") << "the report no longer holds";
}

TEST(StationUnit, PollingReadsTheUnitOnlyOnceTheEngineExists) {
    Rig r;
    r.station->Timer4Timer();
    r.station->Timer5Timer();
    r.station->TimerGetCyklTimer();
    r.station->CreateWork();
    r.unit->ClearLog();
    r.station->Timer5Timer();
    r.station->Timer4Timer();
    EXPECT_EQ(r.unit->Count("GetValue"), 2);
}

}  // namespace

// ----- the station's rules through its own dispatcher, without a window

namespace dispatch {

using station::StationController;
using testsupport::Station;

void Setting(Station& s, const char* section, const char* key, int value) {
    TConfigINI ini(s.folder.path());
    ini.FileName = "Config";
    ini.WriteI(section, key, value);
}

TEST(StationDispatch, AJogWithBothGripsClosedGoesNowhereWhicheverPathClosedThem) {
    // Closed by the grip codes, or by the unit's own report.
    for (bool byUnit : {false, true}) {
        Station s;
        s.StartUp();
        QSignalSpy dispatched(&s.console.controller, &StationController::commandDispatched);
        if (byUnit)
            s.unit->status->GripsChanged(true, true);
        else {
            s.console.Command(12);
            s.console.Command(15);
        }
        s.console.engineCodes.clear();
        dispatched.clear();
        s.console.Command(19);
        s.console.Command(20);
        EXPECT_TRUE(s.console.engineCodes.empty()) << byUnit;
        EXPECT_EQ(dispatched.count(), 0) << byUnit;
        s.console.Command(13);
        s.console.Command(20);
        EXPECT_EQ(s.console.engineCodes, (std::vector<int>{13, 20})) << byUnit;
    }
}

TEST(StationDispatch, ZoneOutputsSwitchOnlyWhenConfigured) {
    using Call = testsupport::FakeUnit::Call;
    struct Case {
        int tension;  // -1: no key
        std::vector<Call> outputs;
    };
    const Case cases[] = {{-1, {}}, {0, {}}, {3, {{"SetOutput", {3, 0}}, {"SetOutput", {3, 1}}}}};
    for (const Case& c : cases) {
        Station s;
        if (c.tension >= 0) Setting(s, "4", "Выход Зона Растяжения", c.tension);
        s.StartUp();
        s.unit->ClearLog();
        s.console.Command(67);
        s.console.Command(68);
        std::vector<Call> outputs;
        for (const Call& call : s.unit->calls)
            if (call.name == "SetOutput") outputs.push_back(call);
        EXPECT_EQ(outputs, c.outputs) << c.tension;
    }
}

TEST(StationDispatch, OneProtocolNumberPerTestStartedKeptInTheGeneralSettings) {
    Station s;
    s.StartUp();
    s.console.Command(1);
    s.console.Command(1);  // ПУСК while the test runs
    EXPECT_EQ(s.console.controller.ProtocolNumber(), 1);
    s.console.Command(2);
    s.console.Command(1);
    EXPECT_EQ(s.console.controller.ProtocolNumber(), 2);
    TConfigINI ini(s.folder.path());
    ini.FileName = "Config";
    EXPECT_EQ(ini.ReadI("7", "Номер протокола", -1), 2);
}

TEST(StationDispatch, ANewTestChoosesTheMethodAgainWithItsSpeedsChannel) {
    Station s;
    s.StartUp();
    ASSERT_TRUE(s.console.SelectMethod(2, 0, 0));
    ASSERT_EQ(s.work.Methods().Current()->GetValueText("sGO"), "ГОСТ 1497");
    s.console.engineCodes.clear();
    s.console.Command(32);
    // Its nested codes first, each to its end, then what the method's speed
    // implies, then the new test itself.
    const std::vector<int> head(s.console.engineCodes.begin(), s.console.engineCodes.begin() + 4);
    EXPECT_EQ(head, (std::vector<int>{21, 5, 7, 241}));
    EXPECT_EQ(s.console.engineCodes.back(), 32);
    EXPECT_NE(std::find(s.console.engineCodes.begin() + 4, s.console.engineCodes.end(), 4),
              s.console.engineCodes.end());
}

TEST(StationDispatch, ExitSavesTheRunningHoursAndPowerOffWithoutASystemSaysSo) {
    Station s;
    s.StartUp();
    s.work.Config().iWORK = 36000;
    s.console.controller.ShowMes("Вы действительно хотите выключить систему?", 0, 246);
    s.console.controller.AnswerMessage(1);
    EXPECT_EQ(s.console.controller.MessageText(), "ВЫКЛЮЧЕНИЕ КОМПЬЮТЕРА НЕДОСТУПНО");
    EXPECT_TRUE(s.work.Connected()) << "nothing shut down";
    QSignalSpy ended(&s.console.controller, &StationController::programEnded);
    s.console.controller.ShowMes("Закрыть программу?", 0, 245);
    s.console.controller.AnswerMessage(1);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(s.work.Connected());
    TConfigINI ini(s.folder.path());
    ini.FileName = "Config";
    EXPECT_EQ(ini.ReadI("4", "Наработка", -1), 36000);
}

}  // namespace dispatch

// ----- the test programs' files, without a window

namespace program {

// A file the station cannot read or write is reported with its path; the
// program being edited and the positions saved before stay as they were.
TEST(StationProgramFiles, AFileThatCannotBeReadOrWrittenIsReportedWithItsPath) {
    struct Case {
        const char* what;
        const char* blocker;  // in the way: a folder when it ends in '/', else a file; "" none
        std::function<void(station::StationProgram&)> act;
        std::string file;  // under the program folder
        const char* text;
    };
    const Case cases[] = {
        {"positions", "PositionList.ini/",
         [](station::StationProgram& p) {
             p.SavePositions({{"Нижняя", "12,5"}});
         },
         "PositionList.ini", "' не может быть создан"},
        {"program saved", "PROG", [](station::StationProgram& p) { p.SaveProgramClick("Проба"); },
         "PROG/Проба.ini", "' не может быть создан"},
        {"program opened", "", [](station::StationProgram& p) { p.LoadProgramFile("Нет.ini"); },
         "PROG/Нет.ini", "' не может быть открыт"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        station::StationProgram& p = r.station->Program();
        testprogram::LineParts pump;
        pump.command = 3;  // "Включить насос"
        p.ComposeLineClick(pump, false);
        const std::vector<std::string> program = p.Runner().view().lines;
        ASSERT_EQ(program.size(), 1u);
        // Positions saved before, unless their own file is the one in the way.
        const std::string positions = r.folder.path() + "/PositionList.ini";
        const bool positionsSaved = c.file != "PositionList.ini";
        if (positionsSaved) p.SavePositions({{"Верхняя", "100"}});
        const std::string positionBytes = testsupport::FileBytes(positions);
        const std::string blocker = r.folder.path() + "/" + c.blocker;
        if (blocker.back() == '/')
            std::filesystem::create_directories(blocker);
        else if (*c.blocker != '\0')
            std::ofstream(blocker) << "x";

        c.act(p);
        ASSERT_EQ(r.fileErrors.messages.size(), 1u);
        EXPECT_EQ(r.fileErrors.messages[0].text,
                  "Файл '" + r.folder.path() + "/" + c.file + c.text);
        EXPECT_EQ(p.Runner().view().lines, program);
        if (positionsSaved) {
            EXPECT_EQ(testsupport::FileBytes(positions), positionBytes);
        }
    }
}

}  // namespace program

// The station without its window: the message it shows and what answering
// runs, the unit's word on pump and grips, and a unit that falls silent.

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "station/station_controller.h"
#include "support/console_stand_in.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/recording_sink.h"
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
        QObject::connect(station.get(), &StationController::dispatchRequested, [this](int code) {
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

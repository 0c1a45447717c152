#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "station/station_controller.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace testsupport {

// The station's own controller without a window. This plays the screens:
// it records what the engine received and what the operator was shown, and
// gives back the method and sample type the lists show when a new test
// chooses them again. Posted events wait until the test drains them.
class StationHarness {
public:
    // `messages` takes the file errors; `unit`, when given, is the unit the
    // station starts with.
    StationHarness(const std::string& folder, platform::Clock& clock,
                   platform::RandomSource& random, EventQueue& events,
                   platform::MessageSink* fileErrors, std::unique_ptr<C_Connect> unit = nullptr)
        : pending_(std::move(unit)),
          controller(Deps(folder, clock, random, events, fileErrors)),
          methodList(controller.Lists().methods),
          sampleTypeList(controller.Lists().sampleTypes),
          paramLists(controller.Lists().params),
          settingsList(controller.Lists().settings) {
        // The engine exists from here on, as the tests reach it before start-up.
        controller.MakeWork();
        QObject::connect(&controller, &station::StationController::engineCommand,
                         [this](int code) { engineCodes.push_back(code); });
        QObject::connect(
            &controller, &station::StationController::messageRequested,
            [this](const QString& text, int) { messages.push_back(text.toStdString()); });
        QObject::connect(&controller, &station::StationController::methodSelected,
                         [this](int sampleType) { shownSampleType_ = sampleType; });
        QObject::connect(&controller, &station::StationController::newTestChoosing, [this] {
            const C_GostWorks& m = Work().Methods();
            controller.ChooseMethod(m.CurrentIndex(), shownSampleType_, m.Extensometer() != 0);
        });
    }

    C_Work& Work() { return *controller.Work(); }

    // The station's start-up around the unit given (once); the polling
    // timers stay off, so the unit's log holds only what the test caused.
    void StartUp(std::unique_ptr<C_Connect> unit = nullptr) {
        if (controller.Started()) return;
        if (unit) pending_ = std::move(unit);
        controller.Command(244);
        controller.StopPolling();
    }
    void Command(int code) { controller.Command(code); }
    // Handles every posted event, oldest first, including any posted meanwhile.
    void DrainEvents() {
        while (!events_->Empty())
            controller.Command(events_->Take());
    }
    // The operator picks a method on the set-up screen.
    bool SelectMethod(int index, int sampleType, int extensometer) {
        shownSampleType_ = sampleType;
        return controller.ChooseMethod(index, sampleType, extensometer != 0);
    }
    // One display refresh.
    void Tick() { controller.RefreshTick(); }

private:
    station::StationDeps Deps(const std::string& folder, platform::Clock& clock,
                              platform::RandomSource& random, EventQueue& events,
                              platform::MessageSink* fileErrors) {
        events_ = &events;
        station::StationDeps d;
        d.programFolder = folder;
        d.clock = &clock;
        d.random = &random;
        d.messages = fileErrors;
        d.events = &events;
        d.makeUnit = [this](const station::UnitWiring&) { return std::move(pending_); };
        return d;
    }

    std::unique_ptr<C_Connect> pending_;
    EventQueue* events_ = nullptr;
    int shownSampleType_ = 0;

public:
    station::StationController controller;
    TextLines& methodList;
    TextLines& sampleTypeList;
    TextLines (&paramLists)[4];
    TextLines& settingsList;
    // The messages the station showed, in order.
    std::vector<std::string> messages;
    // The codes as the engine received them, in order.
    std::vector<int> engineCodes;
};

// A whole station without a window: the console's clock, random source and
// event queue, the station's controller and a fake unit.
class Station {
public:
    explicit Station(bool initResult = true, bool connectResult = true)
        : Station(std::make_unique<FakeUnit>(initResult, connectResult)) {}

    // Channel values equal the raw readings, as the unit's settings make them.
    void RawReadings() {
        for (int c = 1; c <= 3; ++c)
            work.Channel(c).rawMode = true;
    }
    void StartUp() { console.StartUp(); }

    // The program folder: templates written by a selection land here, never
    // in the folder the tests run from.
    TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    EventQueue events;

private:
    explicit Station(std::unique_ptr<FakeUnit> made)
        : unitMade_(made.get()),
          console(folder.path(), clock, random, events, nullptr, std::move(made)),
          work(console.Work()),
          unit(unitMade_) {
        unit->sink = &work;
        unit->status = &console.controller;
    }
    FakeUnit* unitMade_;

public:
    StationHarness console;
    C_Work& work;
    // Owned by the test process once started up.
    FakeUnit* unit = nullptr;
};

}  // namespace testsupport

#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/unitdeps.h"
#include "platform/scheduler.h"
#include "platform/taskqueue.h"
#include "station/unit_pauses.h"

class C_Connect;
class C_Work;
class EventSink;
class ProtocolMaker;
class QTimer;
class SampleSink;
class TConfigINI;

namespace platform {
class Clock;
class MessageSink;
class RandomSource;
}  // namespace platform

namespace station {

// What a unit is made with: the engine's sample entry, the station that
// hears the pump and grips, the program-wide test zone, the queue that
// carries pushed samples to the station's thread and the timers that wait
// out the pauses between the unit's keys.
struct UnitWiring {
    SampleSink& samples;
    UnitStatusListener* status;
    const int* testZone;
    platform::TaskPoster& ui;
    platform::Scheduler& scheduler;
};
using UnitFactory = std::function<std::unique_ptr<C_Connect>(const UnitWiring&)>;

// Everything the station takes from outside.
struct StationDeps {
    std::string programFolder;
    // Null: no unit at all (demonstration mode).
    UnitFactory makeUnit;
    // Null: the system clock and the standard random source.
    platform::Clock* clock = nullptr;
    platform::RandomSource* random = nullptr;
    // Where file errors go; null: the station's message.
    platform::MessageSink* messages = nullptr;
    // Where the engine posts its events; the station's owner dispatches them.
    EventSink* events = nullptr;
    // The protocol the engine fills; null: none.
    std::function<std::unique_ptr<ProtocolMaker>()> makeReport;
};

// The lists the engine fills and the screens show.
struct StationLists {
    std::vector<std::string> methods, sampleTypes, params[4], settings;
};

// The station without its window: the engine and its configuration, the
// unit's wiring and polling, what the unit reports of pump and grips, the
// message the operator is shown and what answering it runs, and the
// protocol number. What the screens show of it leaves as signals.
class StationController final : public QObject, public UnitStatusListener {
    Q_OBJECT

public:
    explicit StationController(StationDeps deps, QObject* parent = nullptr);
    ~StationController() override;

    // The test process around the unit (start-up).
    void CreateWork();
    C_Work* Work() const { return work_.get(); }
    TConfigINI& Ini() const { return *ini_; }
    ProtocolMaker* Report() const { return report_.get(); }
    StationLists& Lists() { return lists_; }
    const std::string& ProgramDir() const { return deps_.programFolder; }
    platform::Clock& Clock() const { return *deps_.clock; }
    platform::RandomSource& Random() const { return *deps_.random; }
    platform::MessageSink& Messages() const { return *deps_.messages; }

    // ----- the protocol number (station_controller.cpp)
    int ProtocolNumber() const;
    std::string ModeCaptionText() const;
    // Moves a number counted where stations before kept it.
    void LoadProtocolNumber(int settingsGroup);
    // False (and reported) when Config.INI did not take it.
    bool WriteProtocolNumber();

    // ----- grips and the crosshead's jog
    // The grips as last commanded or reported by the unit.
    void SetGrip(bool upper, bool closed);
    // Both grips closed: no jog goes, whoever asks.
    bool JogLocked() const;
    bool PumpRunning() const { return pumpRunning_; }
    // UnitStatusListener: the unit's own word on pump and grips.
    void PumpChanged(bool running) override;
    void GripsChanged(std::optional<bool> upperClosed, std::optional<bool> lowerClosed) override;

    // ----- polling: the live sample, the status, the cycle count
    void StartPolling();
    void StopPolling();
    void Timer5Timer();
    void Timer4Timer();
    void TimerGetCyklTimer();

    // ----- the message panel's state (station_messages.cpp)
    // Kind 0 yes/no, 1 OK, other kinds no button; the continuation code is
    // dispatched with the answer stored first.
    void ShowMes(const std::string& text, int kind, int code);
    void CloseMes();
    // A file error: shown now with OK, or after the message shown now, so
    // no message covers or replaces another.
    void ShowFileMessage(const std::string& text);
    // 1 yes, 2 OK, 3 no.
    void AnswerMessage(int answer);
    int Answer() const { return answer_; }
    bool MessageShown() const { return messageShown_; }
    // The message shown now ("" when none).
    std::string MessageText() const { return messageShown_ ? messageText_ : std::string(); }
    void ShowBusy(const std::string& text);
    void EndBusy();
    // The answer to the next message ends the program.
    void CloseOnAnswer() { closeOnAnswer_ = true; }

signals:
    // A code the station's own logic dispatches (an answer's continuation).
    void dispatchRequested(int code);
    void messageRequested(const QString& text, int kind);
    void messageClosed();
    void busyChanged(bool busy);
    // The answer to a message that ends the program.
    void endRequested();
    void pumpShown(bool running);
    void gripsShown(std::optional<bool> upperClosed, std::optional<bool> lowerClosed);
    // Whether the method counts cycles (the counter's readout shows then).
    void cyclesShown(bool counting);

private:
    void CheckUnitAnswers();

    StationDeps deps_;
    std::unique_ptr<platform::Clock> ownClock_;
    std::unique_ptr<platform::RandomSource> ownRandom_;
    std::unique_ptr<platform::MessageSink> ownMessages_;
    std::unique_ptr<EventSink> ownEvents_;
    std::unique_ptr<TConfigINI> ini_;
    platform::TaskQueue uiQueue_;
    TimerScheduler unitPauses_{this};
    QTimer* uiQueuePump_ = nullptr;
    QTimer *Timer4 = nullptr, *Timer5 = nullptr, *TimerGetCykl = nullptr;
    std::unique_ptr<ProtocolMaker> report_;
    StationLists lists_;

    bool upperGripClosed_ = false;
    bool lowerGripClosed_ = false;
    bool pumpRunning_ = false;
    bool unitSilentReported_ = false;

    std::string messageText_;
    bool messageShown_ = false;
    int answer_ = 0;
    int continuation_ = 0;
    std::deque<std::string> fileMessages_;  // waiting for the panel
    std::string busyText_;                  // the busy message while it lasts
    bool fileMessageShown_ = false;
    bool closeOnAnswer_ = false;

    // Declared last: the engine goes before anything it could reach.
    std::unique_ptr<C_Work> work_;
};

}  // namespace station

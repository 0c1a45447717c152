#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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
class PowerControl;
class RandomSource;
}  // namespace platform

namespace station {

class StationProgram;
class ManualControl;
class TestFiles;
class Verification;
class StationSettings;
class EntryControl;

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
    // Where the engine posts its events; null: queued to the station's own
    // dispatcher.
    EventSink* events = nullptr;
    // Null: powering off is not offered.
    platform::PowerControl* power = nullptr;
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

    // The cycle count and the pump for pushed samples start; without them
    // (tests) nothing runs behind the caller's back.
    void Begin();

    // The dispatcher (station_commands.cpp): the station's blocks in their
    // fixed order, then the engine. A block that implies other codes runs
    // each through here to its end before it goes on.
    void Command(int code);
    // A code dispatched after what runs now, as the engine posts its events.
    void Post(int code);

    // The operator's choice of method, sample type and extensometer, and
    // what it implies (station_setup.cpp).
    // False when the engine had no such method.
    bool ChooseMethod(int row, int sampleType, bool extensometer);
    // The operator's row: leaving a verification with readings asks first.
    void ChooseMethodRow(int row, int sampleType, bool extensometer);
    // The method selected again with another sample type or the
    // extensometer switched; false without an engine.
    bool ChooseSampleType(int row, int sampleType, bool extensometer);
    bool SetExtensometer(int row, int sampleType, bool extensometer);
    // A value typed into list `group` of the method, stored or refused.
    void CommitListEdit(int group, int row, const std::string& text);
    // The input lists rebuilt after editing by hand or in the zoom, and shown.
    void RefreshInputLists();
    // The manual correction of a result row, the recalculation and the
    // result plot's axes; false without a method.
    bool SetManualPoint(int row, int position);
    bool Recalculate();
    bool SetResultAxis(bool x, int channel);
    // The current method's result axes (x, y), -1 where it names none.
    std::pair<int, int> ResultAxes() const;
    // The zone buttons follow what the method allows; the zone with them.
    void SyncZone();
    // The results of the curve held, computed and shown.
    void ShowResults();

    // The test process (made at start-up unless made before), then the unit
    // made and the engine started around it.
    void MakeWork();
    void CreateWork();
    // The display refresh's part for the engine: the stress is computed
    // from the method's cross-section.
    void RefreshTick();
    bool Started() const { return started_; }
    bool Viewing() const { return viewing_; }
    // A test file is opened for viewing: work mode ends that.
    void SetViewing(bool viewing) { viewing_ = viewing; }
    bool Ending() const { return ending_; }
    // Result mode for a test whose plots the next step redraws anyway.
    enum Redraw { kRedrawNone = 0, kRedrawResultPlot = 1, kRedrawBothPlots = 2 };
    void ShowResultMode(Redraw later);
    // An opened test keeps the time it was saved with.
    void KeepTestTime() { testTimeDue_ = false; }
    // The program's side shut down: the pump, the crosshead, the hours
    // (when asked), the timers, the unit.
    void ShutDownProgramSide(bool saveHours);
    void EndProgram();
    C_Work* Work() const { return work_.get(); }
    TConfigINI& Ini() const { return *ini_; }
    ProtocolMaker* Report() const { return report_.get(); }
    StationLists& Lists() { return lists_; }
    // The engine's current method as the method list names it; "" for none.
    std::string CurrentMethodName() const;
    const std::string& ProgramDir() const { return deps_.programFolder; }
    platform::Clock& Clock() const { return *deps_.clock; }
    platform::RandomSource& Random() const { return *deps_.random; }
    platform::MessageSink& Messages() const { return *deps_.messages; }

    // ----- the protocol number (station_controller.cpp)
    int ProtocolNumber() const;
    std::string ModeCaptionText() const;
    // Moves a number counted where stations before kept it.
    void LoadProtocolNumber();
    // False (and reported) when Config.INI did not take it.
    bool WriteProtocolNumber();

    // ----- grips and the crosshead's jog
    // The grips as last commanded or reported by the unit.
    void SetGrip(bool upper, bool closed);
    // Both grips closed: no jog goes, whoever asks.
    bool JogLocked() const;
    // The jog follows the grips: locked, the crosshead stops when the lower
    // grip closed it.
    void CrossheadInterlock(bool fromLowerGrip);
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

    // ----- the station's areas
    StationProgram& Program() const { return *program_; }
    ManualControl& Manual() const { return *manual_; }
    TestFiles& Files() const { return *files_; }
    station::Verification& Verification() const { return *verification_; }
    StationSettings& Settings() const { return *settings_; }
    EntryControl& Entry() const { return *entry_; }

signals:
    // Each code as the dispatcher takes it, and as the engine receives it.
    void commandDispatched(int code);
    void engineCommand(int code);
    // The program's side has shut down; the window closes.
    void programEnded();
    void shuttingDown();

    // Start-up, in its order.
    void workCreated();
    void startedUp();
    void channelsChanged(int refreshMs);
    void channelsInUseChanged();
    void zonesAvailable(bool available);
    void protocolNumberShown(const QString& caption);

    // What the blocks show: the mode (241 set-up, 242 work, 243 result, 80
    // help) with what result mode leaves to the next step, the control bar,
    // the run buttons (1, 2, 38), the channel, the direction, the crosshead
    // (19, 20, 21), a zeroing (22 ... 27), the zone (0 tension, 3 compression).
    void modeShown(int mode, int redrawLater);
    void controlBarShown(bool shown);
    void runShown(int code);
    void channelShown(int channel);
    void directionShown(bool down);
    void crossheadShown(int code);
    void zeroingShown(int code);
    void zoneShown(int zone);
    void jogLockShown(bool locked);
    // A new test: the method chosen again, then the test before cleared away.
    void newTestChoosing();
    void newTestShown();
    // A method chosen: the lists show it with this sample type; then what it
    // implies is done.
    void methodSelected(int sampleType);
    // The same method selected again (sample type, extensometer): the lists
    // show it, the sample type kept.
    void methodReselected(int sampleType);
    // The method's lists changed: the set-up screen shows them again.
    void listsChanged();
    // The zone buttons: free to choose, and none down.
    void zoneChoiceShown(bool free, bool noneDown);
    void resultsShown();
    // The engine's calculation is done (its results are in the lists).
    void resultsComputed();
    // What the window's panels do for the blocks.
    void saveRequested();
    void openRequested();
    void printRequested();

    void messageRequested(const QString& text, int kind);
    void messageClosed();
    void busyChanged(bool busy);
    void pumpShown(bool running);
    void gripsShown(std::optional<bool> upperClosed, std::optional<bool> lowerClosed);
    // Whether the method counts cycles (the counter's readout shows then).
    void cyclesShown(bool counting);

private:
    void CheckUnitAnswers();
    void SetZoneOutputs(bool tension);
    void MoveOldProtocolNumber();

    // ----- dispatcher blocks; each returns the code the dispatch goes on with
    int StartUpBlock(int code);
    int ExitBlock(int code);
    int PowerOffBlock(int code);
    int EngineEventBlock(int code);
    int NewTestBlock(int code);
    int ClearPlotBlock(int code);
    int SaveBlock(int code);
    int OpenBlock(int code);
    int PrintBlock(int code);
    int NothingBlock(int code);
    int PoverkaBlock(int code);
    int HelpBlock(int code);
    int HideControlPanelBlock(int code);
    int SetUpModeBlock(int code);
    int WorkModeBlock(int code);
    int ResultModeBlock(int code);
    int StartBlock(int code);
    int StopBlock(int code);
    int PauseBlock(int code);
    int ChannelBlock(int code);
    int GripBlock(int code);
    int PumpBlock(int code);
    int CrossheadBlock(int code);
    int ZeroingBlock(int code);
    int DirectionBlock(int code);
    int TensionZoneBlock(int code);
    int CompressionZoneBlock(int code);
    int ComputeBlock(int code);
    int LeavePoverkaBlock(int code);
    int OverwriteBlock(int code);

public:
    // The answers to the station's own questions: leave a verification that
    // has readings, replace a saved test.
    static constexpr int kLeavePoverkaCode = 247;
    static constexpr int kOverwriteCode = 248;

private:
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
    bool started_ = false;
    bool viewing_ = false;
    bool ending_ = false;
    // A test run here has its time fixed by the calculation that ends it;
    // an opened test keeps the time it was saved with.
    bool testTimeDue_ = false;
    Redraw redrawLater_ = kRedrawNone;

    std::string messageText_;
    bool messageShown_ = false;
    int answer_ = 0;
    int continuation_ = 0;
    std::deque<std::string> fileMessages_;  // waiting for the panel
    std::string busyText_;                  // the busy message while it lasts
    bool fileMessageShown_ = false;
    bool closeOnAnswer_ = false;

    std::unique_ptr<StationProgram> program_;
    std::unique_ptr<ManualControl> manual_;
    std::unique_ptr<TestFiles> files_;
    std::unique_ptr<station::Verification> verification_;
    std::unique_ptr<StationSettings> settings_;
    std::unique_ptr<EntryControl> entry_;
    // Declared last: the engine goes before anything it could reach.
    std::unique_ptr<C_Work> work_;
};

}  // namespace station

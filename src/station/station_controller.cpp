#include "station/station_controller.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "engine/cwork.h"
#include "engine/eventsink.h"
#include "engine/protocolmaker.h"
#include "link/c_connect.h"
#include "model/configini.h"
#include "platform/clock.h"
#include "platform/messagesink.h"
#include "platform/random.h"
#include "station/station_entry.h"
#include "station/station_files.h"
#include "station/station_manual.h"
#include "station/station_program.h"
#include "station/station_rules.h"
#include "station/station_settings.h"
#include "station/station_verification.h"

namespace station {

namespace {

// Pushed samples of a network unit wait at most this long for the station.
constexpr int kUiQueuePeriodMs = 10;

// File errors as the station's message; from another thread, queued to it.
// One arriving after the station is gone is dropped.
class StationMessageSink final : public platform::MessageSink {
public:
    explicit StationMessageSink(StationController* station) : station_(station) {}
    void ShowMessage(const std::string& /*caption*/, const std::string& text) override {
        StationController* s = station_.data();
        if (s == nullptr) return;
        QMetaObject::invokeMethod(
            s, [s, text] { s->ShowFileMessage(text); }, Qt::AutoConnection);
    }

private:
    QPointer<StationController> station_;
};

// The engine's events, each dispatched after the current sample, first in
// first out; one posted after the station is gone is dropped.
class QueuedToStation final : public EventSink {
public:
    explicit QueuedToStation(StationController* station) : station_(station) {}
    void post(int code) override {
        StationController* s = station_.data();
        if (s == nullptr) return;
        QMetaObject::invokeMethod(
            s, [s, code] { s->Command(code); }, Qt::QueuedConnection);
    }

private:
    QPointer<StationController> station_;
};

}  // namespace

StationController::StationController(StationDeps deps, QObject* parent)
    : QObject(parent), deps_(std::move(deps)) {
    setObjectName("StationController");
    if (deps_.clock == nullptr) {
        ownClock_ = std::make_unique<platform::SystemClock>();
        deps_.clock = ownClock_.get();
    }
    if (deps_.random == nullptr) {
        ownRandom_ = std::make_unique<platform::StandardRandom>();
        deps_.random = ownRandom_.get();
    }
    if (deps_.messages == nullptr) {
        ownMessages_ = std::make_unique<StationMessageSink>(this);
        deps_.messages = ownMessages_.get();
    }
    if (deps_.events == nullptr) {
        ownEvents_ = std::make_unique<QueuedToStation>(this);
        deps_.events = ownEvents_.get();
    }
    ini_ = std::make_unique<TConfigINI>(deps_.programFolder);
    ini_->FileName = "Config";

    auto make = [this](const char* name, int ms) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        return t;
    };
    Timer4 = make("Timer4", 250);
    Timer5 = make("Timer5", 50);
    TimerGetCykl = make("TimerGetCykl", 1000);
    connect(Timer4, &QTimer::timeout, this, &StationController::Timer4Timer);
    connect(Timer5, &QTimer::timeout, this, &StationController::Timer5Timer);
    connect(TimerGetCykl, &QTimer::timeout, this, &StationController::TimerGetCyklTimer);

    // The samples a network unit pushes from its listener thread.
    uiQueuePump_ = new QTimer(this);
    uiQueuePump_->setInterval(kUiQueuePeriodMs);
    connect(uiQueuePump_, &QTimer::timeout, this, [this] { uiQueue_.Drain(); });

    program_ = std::make_unique<StationProgram>(*this);
    manual_ = std::make_unique<ManualControl>(*this);
    files_ = std::make_unique<TestFiles>(*this);
    verification_ = std::make_unique<station::Verification>(*this);
    settings_ = std::make_unique<StationSettings>(*this);
    entry_ = std::make_unique<EntryControl>(*this);
}

void StationController::Begin() {
    TimerGetCykl->start();
    uiQueuePump_->start();
}

StationController::~StationController() {
    // The unit and its link threads end before what they could reach.
    if (work_) {
        work_->Shutdown();
        work_->Disconnect();
    }
    work_.reset();
}

void StationController::MakeWork() {
    work_ = std::make_unique<C_Work>(
        *deps_.events, MethodEnv{*deps_.clock, *deps_.random, deps_.messages, ProgramDir()});
    work_->SetIni(ini_.get());
    if (deps_.makeReport) report_ = deps_.makeReport();
    work_->SetReport(report_.get());
}

void StationController::CreateWork() {
    if (!work_) MakeWork();
    std::unique_ptr<C_Connect> unit;
    if (deps_.makeUnit)
        unit = deps_.makeUnit(UnitWiring{*work_, this, &work_->testZone, uiQueue_, unitPauses_});
    C_Work::ConsoleLists lists;
    lists.methods = &lists_.methods;
    lists.sampleTypes = &lists_.sampleTypes;
    for (size_t k = 0; k < 4; ++k)
        lists.params[k] = &lists_.params[k];
    work_->Init(std::move(unit), lists);
}

void StationController::RefreshTick() {
    if (!work_) return;
    const C_Parametr* m = work_->Methods().Current();
    work_->SetArea(m != nullptr && m->IndexOf("fS0") >= 0 ? m->GetFloat("fS0") : 0.0);
}

// ----- the protocol number

namespace {

constexpr const char* kProtocolKey = "Номер протокола";
// The number's one place: the general settings, where the settings screen
// shows and edits it.
constexpr const char* kProtocolSection = "7";
// Where stations before counted it.
constexpr const char* kOldProtocolSection = "4";

}  // namespace

int StationController::ProtocolNumber() const {
    return work_ ? work_->Config().iNOMPROT : 0;
}

std::string StationController::ModeCaptionText() const {
    return "ИСПЫТАНИЕ № " + std::to_string(ProtocolNumber());
}

void StationController::LoadProtocolNumber() {
    // The settings read "7" already. A file from before counted in "4" and
    // left "7" behind: the larger moves to "7", so no number comes twice.
    if (!ini_->ReadS(kOldProtocolSection, kProtocolKey, "").empty()) MoveOldProtocolNumber();
    emit protocolNumberShown(QString::fromStdString(ModeCaptionText()));
}

void StationController::MoveOldProtocolNumber() {
    C_Config& c = work_->Config();
    const int counted = ini_->ReadI(kOldProtocolSection, kProtocolKey, 0);
    const bool own = !ini_->ReadS(kProtocolSection, kProtocolKey, "").empty();
    c.SetFromText(c.IndexOf("iNOMPROT"),
                  std::to_string(own ? std::max(c.iNOMPROT, counted) : counted));
    if (WriteProtocolNumber()) ini_->Remove(kOldProtocolSection, kProtocolKey);
    settings_->ShowGroup(settings_->Group());
}

bool StationController::WriteProtocolNumber() {
    if (ini_->WriteI(kProtocolSection, kProtocolKey, work_->Config().iNOMPROT)) return true;
    deps_.messages->ShowMessage(
        "Ошибка", "Номер протокола не сохранен: файл 'Config.INI' не может быть записан");
    return false;
}

// ----- grips and pump

void StationController::SetGrip(bool upper, bool closed) {
    (upper ? upperGripClosed_ : lowerGripClosed_) = closed;
}

bool StationController::JogLocked() const {
    return station::JogLocked(upperGripClosed_, lowerGripClosed_);
}

void StationController::CrossheadInterlock(bool fromLowerGrip) {
    const bool locked = JogLocked();
    if (locked && fromLowerGrip) Command(21);
    emit jogLockShown(locked);
}

void StationController::PumpChanged(bool running) {
    pumpRunning_ = running;
    emit pumpShown(running);
}

void StationController::GripsChanged(std::optional<bool> upperClosed,
                                     std::optional<bool> lowerClosed) {
    if (upperClosed) upperGripClosed_ = *upperClosed;
    if (lowerClosed) lowerGripClosed_ = *lowerClosed;
    emit gripsShown(upperClosed, lowerClosed);
    // The unit's own word on the grips locks the jog as the buttons do.
    CrossheadInterlock(false);
}

// ----- polling

void StationController::StartPolling() {
    Timer5->start();
    Timer4->start();
}

void StationController::StopPolling() {
    for (QTimer* t : {Timer4, Timer5, TimerGetCykl})
        t->stop();
}

void StationController::Timer5Timer() {
    if (!work_) return;
    // The decoder hands the sample to the engine; the value is not used.
    work_->ReadDevice(unit_value::kLiveSample);
    CheckUnitAnswers();
}

void StationController::Timer4Timer() {
    if (!work_) return;
    work_->ReadDevice(unit_value::kStatus);
    CheckUnitAnswers();
}

void StationController::TimerGetCyklTimer() {
    if (!work_) return;
    const C_Parametr* m = work_->Methods().Current();
    const bool cycles = m != nullptr && m->IndexOf("iMULTICYCLE") >= 0;
    if (cycles) work_->ReadDevice(unit_value::kCyclesDone);
    emit cyclesShown(cycles);
}

namespace {
constexpr const char* kUnitSilent = "УСТРОЙСТВО СНЯТИЯ ДАННЫХ НЕ ОТВЕЧАЕТ!";
}

// A unit that stops answering is reported once; after its first missed
// reply the link waits only briefly, and once silent reads with a brief
// probe about once a second, so polling goes on without stalling the window
// and picks up when the unit answers again.
void StationController::CheckUnitAnswers() {
    C_Connect* unit = work_->Connected() ? work_->Unit() : nullptr;
    if (unit == nullptr) return;
    if (unit->Answering()) {
        // The report no longer holds; a message shown over it since stays.
        if (unitSilentReported_ && MessageText() == kUnitSilent) CloseMes();
        unitSilentReported_ = false;
        return;
    }
    // Never over a question the operator has not answered yet; a later tick tells.
    if (unitSilentReported_ || messageShown_) return;
    unitSilentReported_ = true;
    ShowMes(kUnitSilent, 1, 0);
}

}  // namespace station

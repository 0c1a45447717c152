// The test programs' host: the runner's hands (the dispatcher, the test
// process and the unit), its three timers, the program files of "PROG" and
// the named crosshead positions.

#include "station/station_program.h"

#include <QDir>
#include <QTimer>

#include <filesystem>

#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
#include "platform/programfolder.h"
#include "program/programfile.h"
#include "station/station_controller.h"

namespace station {

namespace {

QString Qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The runner acts as the operator's buttons do: console codes through the
// dispatcher, the speed and the positioning through the test process.
class StationProgramHost final : public testprogram::ProgramHost {
public:
    StationProgramHost(StationController& station, StationProgram& program)
        : station_(station), program_(program) {}

    void ConsoleCommand(int code) override { station_.Command(code); }
    void SetSpeed(float speed) override {
        if (C_Work* w = station_.Work()) w->SetSpeed(speed);
    }
    void StartPositioning(double position) override {
        C_Work* w = station_.Work();
        if (w == nullptr) return;
        w->Channel(2).targetPosition = position;
        w->DeviceCmd(0, unit_code::kMoveToTarget);
    }
    // The status byte as the last status read (every 250 ms) left it; a unit
    // without the register image never positions.
    bool Positioning() const override {
        const C_Work* w = station_.Work();
        const auto* unit =
            w != nullptr && w->Connected() ? dynamic_cast<const DEVICE_QUELM*>(w->Unit()) : nullptr;
        return unit != nullptr &&
               unit->Image().GetU8(RegisterImage::kStatus, RegisterImage::kStatusPositioning) == 1;
    }
    bool TestRunning() const override {
        const C_Work* w = station_.Work();
        return w != nullptr && w->State() == C_Work::kRunning;
    }
    double ChannelValue(int channel) const override {
        const C_Kanal* k = Channel(channel);
        return k != nullptr ? k->value : 0.0;
    }
    double ChannelPeak(int channel) const override {
        const C_Kanal* k = Channel(channel);
        return k != nullptr ? k->peak : 0.0;
    }
    double ChannelRange(int channel) const override {
        const C_Kanal* k = Channel(channel);
        return k != nullptr ? k->fullScale : 0.0;
    }
    void Report(const std::string& message) override { program_.ProgReport(message); }

private:
    const C_Kanal* Channel(int channel) const {
        C_Work* w = station_.Work();
        return w != nullptr && channel >= 1 && channel <= 3 ? &w->Channel(channel) : nullptr;
    }

    StationController& station_;
    StationProgram& program_;
};

void Start(QTimer* t, bool on) {
    if (on && !t->isActive()) t->start();
    if (!on && t->isActive()) t->stop();
}

}  // namespace

StationProgram::StationProgram(StationController& station) : QObject(&station), station_(station) {
    setObjectName("StationProgram");
    host_ = std::make_unique<StationProgramHost>(station_, *this);
    runner_ = std::make_unique<testprogram::ProgramRunner>(*host_);
    auto timer = [this](const char* name, int ms) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        return t;
    };
    TimeRunProg = timer("TimeRunProg", testprogram::kRunPeriodMs);
    TimerTick = timer("TimerTick", testprogram::kWaitPeriodMs);
    TimerELSE = timer("TimerELSE", testprogram::kScanPeriodMs);
    connect(TimeRunProg, &QTimer::timeout, this, &StationProgram::TimeRunProgTimer);
    connect(TimerTick, &QTimer::timeout, this, &StationProgram::TimerTickTimer);
    connect(TimerELSE, &QTimer::timeout, this, &StationProgram::TimerELSETimer);
}

StationProgram::~StationProgram() = default;

std::string StationProgram::ProgramFolder() const {
    return platform::JoinPath(station_.ProgramDir(), kProgramFolder);
}

// ----- the runner's view and its timers

void StationProgram::ShowProgram() {
    emit changed();
    const testprogram::ProgramRunner::Timers& t = runner_->timers();
    Start(TimeRunProg, t.run);
    Start(TimerTick, t.wait);
    Start(TimerELSE, t.scan);
}

void StationProgram::TimeRunProgTimer() {
    runner_->RunTick();
    ShowProgram();
}

void StationProgram::TimerTickTimer() {
    runner_->WaitTick();
    ShowProgram();
}

void StationProgram::TimerELSETimer() {
    runner_->ConditionScan();
    ShowProgram();
}

int StationProgram::ProgCommand(const std::string& line) {
    const int result = runner_->ProgCommand(line);
    ShowProgram();
    return result;
}

int StationProgram::ProgStart() {
    const int result = runner_->ProgStart();
    ShowProgram();
    return result;
}

void StationProgram::ProgStop() {
    runner_->ProgStop();
    ShowProgram();
}

void StationProgram::ProgReport(const std::string& message) {
    const C_Work* w = station_.Work();
    if (w == nullptr || w->State() != C_Work::kRunning) emit startReleased();
    station_.ShowMes(message, 1, 0);
}

void StationProgram::StopConditionScan() {
    TimerELSE->stop();
    runner_->ResultsComputed();
    // A test started from an empty program has no run to end it: its end
    // gives the editor back all the same.
    if (!runner_->timers().run && !runner_->view().editorEnabled) runner_->ProgStop();
    ShowProgram();
}

void StationProgram::StopScanTimer() {
    TimerELSE->stop();
}

// ----- editing

void StationProgram::Select(int row) {
    runner_->Select(row);
    ShowProgram();
}

void StationProgram::DeleteSelected() {
    runner_->DeleteSelected();
    ShowProgram();
}

void StationProgram::Clear() {
    runner_->Clear();
    ShowProgram();
}

void StationProgram::ComposeLineClick(const testprogram::LineParts& parts, bool insert) {
    const std::string line = testprogram::ComposeLine(parts);
    if (line.empty()) return;
    // What the runner would refuse is refused here, where it is written.
    if (const std::string problem = testprogram::ComposeProblem(parts); !problem.empty()) {
        station_.ShowMes(problem, 1, 0);
        return;
    }
    if (insert)
        runner_->InsertAfterSelected(line);
    else
        runner_->Append(line);
    ShowProgram();
}

void StationProgram::RunLine(int row, const std::string& text) {
    // During a run the list is the run's; its lines are not run by hand.
    if (!runner_->view().editorEnabled) return;
    if (ProgCommand(text) == 0 || row < 0) return;
    // A false condition is no fault; a line that cannot run is.
    const testprogram::ProgLine& line = runner_->Parsed(row);
    if (line.Refused()) station_.ShowMes(testprogram::RefusalMessage(row, text, line), 1, 0);
}

// ----- program files

void StationProgram::SelectProgram(const std::string& name) {
    const QDir dir(Qs(ProgramFolder()));
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        if (file.compare(Qs(name), Qt::CaseInsensitive) != 0) continue;
        LoadProgramFile(file.toStdString());
        emit programFileChosen(dir.filePath(file));
        return;
    }
}

void StationProgram::LoadProgramFile(const std::string& fileName) {
    const std::string folder = ProgramFolder();
    auto lines = testprogram::LoadProgram(folder, fileName);
    if (!lines) {
        station_.Messages().ShowMessage(
            "Ошибка", "Файл '" + platform::JoinPath(folder, fileName) + "' не может быть открыт");
        return;
    }
    // Refused while a run holds the program.
    if (!runner_->SetLines(std::move(*lines))) return;
    emit programNamed(Qs(ProgramNameOf(fileName)));
    ShowProgram();
}

void StationProgram::SaveProgramClick(const std::string& name) {
    if (name.empty()) return;
    // Nothing is written outside "PROG".
    if (!testprogram::IsProgramName(name)) {
        station_.ShowMes("НЕДОПУСТИМОЕ ИМЯ ПРОГРАММЫ: " + name, 1, 0);
        return;
    }
    // A program that would not start is not stored as one.
    if (const int bad = runner_->RefusedLine(); bad >= 0) {
        station_.ShowMes("ПРОГРАММА НЕ СОХРАНЕНА. " +
                             testprogram::RefusalMessage(bad, runner_->view().lines[size_t(bad)],
                                                         runner_->Parsed(bad)),
                         1, 0);
        return;
    }
    const std::string folder = ProgramFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!testprogram::SaveProgram(folder, name, runner_->view().lines)) {
        station_.Messages().ShowMessage(
            "Ошибка",
            "Файл '" + platform::JoinPath(folder, name + ".ini") + "' не может быть создан");
    }
}

void StationProgram::DeleteProgramClick(const std::string& fileName) {
    testprogram::DeleteProgram(ProgramFolder(), fileName);
}

// ----- named positions

void StationProgram::LoadPositions() {
    const auto bytes =
        platform::ReadWholeFile(platform::JoinPath(station_.ProgramDir(), kPositionFile));
    if (!bytes) return;
    emit positionsLoaded(ParsePositions(*bytes));
}

void StationProgram::SavePositions(const std::vector<NamedPosition>& rows) {
    const std::string path = platform::JoinPath(station_.ProgramDir(), kPositionFile);
    if (!platform::WriteFileAtomic(path, PositionFileBytes(rows)))
        station_.Messages().ShowMessage("Ошибка", "Файл '" + path + "' не может быть создан");
}

void StationProgram::GoToPosition(const NamedPosition& row) {
    // A position that is not a number moves nothing; the operator hears why.
    if (ProgCommand(PositionLine(row)) != 0)
        station_.ShowMes("НЕВЕРНАЯ ПОЗИЦИЯ: " + row.position, 1, 0);
}

}  // namespace station

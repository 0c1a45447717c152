#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "program/programline.h"
#include "program/programrunner.h"
#include "station/program_names.h"

class QTimer;

namespace station {

class StationController;

// The test programs' host on the station: the runner and its hands (the
// dispatcher, the test process and the unit), its three timers, the program
// files of "PROG" and the named crosshead positions. What a line means and
// how a run goes is the runner's (src/program); what the screens show of it
// leaves as signals.
class StationProgram final : public QObject {
    Q_OBJECT

public:
    explicit StationProgram(StationController& station);
    ~StationProgram() override;

    const testprogram::ProgramRunner& Runner() const { return *runner_; }

    // One program line run now: 0 carried out or accepted, -1 unknown, false
    // or malformed.
    int ProgCommand(const std::string& line);
    // 1 for an empty program (the caller starts the test), -1 refused (the
    // operator is told which line), else 0: running.
    int ProgStart();
    void ProgStop();
    // The runner's word to the operator: a run refused or one that started
    // no test. ПУСК comes back up when no test runs.
    void ProgReport(const std::string& message);
    // The runner's view to the screens, its timers running as it asks.
    void ShowProgram();

    // The runner's three ticks, callable by tests.
    void TimeRunProgTimer();
    void TimerTickTimer();
    void TimerELSETimer();
    // Result mode (48) ends the scan of condition lines.
    void StopConditionScan();
    // The program's side shut down: the scan stops with it.
    void StopScanTimer();

    // ----- editing the program
    void Select(int row);
    void DeleteSelected();
    void Clear();
    void ComposeLineClick(const testprogram::LineParts& parts, bool insert);
    // A line run once by hand (a double click on it).
    void RunLine(int row, const std::string& text);

    // ----- program files of "PROG"
    // Loads the program file named so, ignoring letter case.
    void SelectProgram(const std::string& name);
    void LoadProgramFile(const std::string& fileName);
    void SaveProgramClick(const std::string& name);
    void DeleteProgramClick(const std::string& fileName);

    // ----- named positions (the program folder's position file)
    void LoadPositions();
    void SavePositions(const std::vector<NamedPosition>& rows);
    // The crosshead sent to the row's position.
    void GoToPosition(const NamedPosition& row);

signals:
    // The runner's view changed: the program, its marks, the banner.
    void changed();
    // A program loaded under this name; its file chosen in the list.
    void programNamed(const QString& name);
    void programFileChosen(const QString& path);
    void positionsLoaded(const std::vector<station::NamedPosition>& rows);
    // No test runs after the runner's word: ПУСК comes back up.
    void startReleased();

private:
    std::string ProgramFolder() const;

    StationController& station_;
    std::unique_ptr<testprogram::ProgramHost> host_;
    std::unique_ptr<testprogram::ProgramRunner> runner_;
    QTimer *TimeRunProg = nullptr, *TimerTick = nullptr, *TimerELSE = nullptr;
};

}  // namespace station

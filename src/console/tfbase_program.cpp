// The test programs' host: the runner's hands (the dispatcher, the test
// process and the unit), its three timers, its view on the program sheet and
// the mode bar's banner, the program files of "PROG", and the named
// crosshead positions of the plot sheet. What a line means and how a run
// goes is the runner's (src/program).

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "console/look.h"
#include "console/mode_bar.h"
#include "console/position_panel.h"
#include "console/program_sheet.h"
#include "console/programsheet.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_screen.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/messagesink.h"
#include "platform/posixfile.h"
#include "platform/programfolder.h"
#include "program/programfile.h"

using console::Qs;
using console::TouchFont;

namespace {

// The runner acts as the operator's buttons do: console codes through the
// dispatcher, the speed and the positioning through the test process.
class WindowProgramHost final : public testprogram::ProgramHost {
public:
    explicit WindowProgramHost(TFBase& window) : window_(window) {}

    void ConsoleCommand(int code) override { window_.Command(code); }
    void SetSpeed(float speed) override {
        if (C_Work* w = window_.Work()) w->SetSpeed(speed);
    }
    void StartPositioning(double position) override {
        C_Work* w = window_.Work();
        if (w == nullptr) return;
        w->Channel(2).targetPosition = position;
        w->DeviceCmd(0, unit_code::kMoveToTarget);
    }
    // The status byte as the last status read (every 250 ms) left it; a unit
    // without the register image never positions.
    bool Positioning() const override {
        const C_Work* w = window_.Work();
        const auto* unit =
            w != nullptr && w->Connected() ? dynamic_cast<const DEVICE_QUELM*>(w->Unit()) : nullptr;
        return unit != nullptr &&
               unit->Image().GetU8(RegisterImage::kStatus, RegisterImage::kStatusPositioning) == 1;
    }
    bool TestRunning() const override {
        const C_Work* w = window_.Work();
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
    void Report(const std::string& message) override { window_.ProgReport(message); }

private:
    const C_Kanal* Channel(int channel) const {
        C_Work* w = window_.Work();
        return w != nullptr && channel >= 1 && channel <= 3 ? &w->Channel(channel) : nullptr;
    }

    TFBase& window_;
};

void Start(QTimer* t, bool on) {
    if (on && !t->isActive()) t->start();
    if (!on && t->isActive()) t->stop();
}

}  // namespace

void TFBase::BuildProgramPanels() {
    programHost_ = std::make_unique<WindowProgramHost>(*this);
    runner_ = std::make_unique<testprogram::ProgramRunner>(*programHost_);
    auto timer = [this](const char* name, int ms) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        return t;
    };
    TimeRunProg = timer("TimeRunProg", testprogram::kRunPeriodMs);
    TimerTick = timer("TimerTick", testprogram::kWaitPeriodMs);
    TimerELSE->setInterval(testprogram::kScanPeriodMs);
    connect(TimeRunProg, &QTimer::timeout, this, &TFBase::TimeRunProgTimer);
    connect(TimerTick, &QTimer::timeout, this, &TFBase::TimerTickTimer);
    connect(TimerELSE, &QTimer::timeout, this, &TFBase::TimerELSETimer);

    BuildProgramSheet();
    BuildPositionPanel();
    BindVerificationPanel();
    ShowProgram();
}

void TFBase::BuildProgramSheet() {
    programSheet_ = console::ProgramSheet::Build(findChild<QWidget*>("ProgramSheet"), ProgramDir());
    connect(programSheet_, &console::ProgramSheet::fileChosen, this, &TFBase::LoadProgramFile);
    connect(programSheet_, &console::ProgramSheet::fileDeleteRequested, this,
            &TFBase::DeleteProgramClick);
    connect(programSheet_, &console::ProgramSheet::lineComposed, this, &TFBase::ComposeLineClick);
    connect(programSheet_, &console::ProgramSheet::deleteLineRequested, this, [this] {
        runner_->DeleteSelected();
        ShowProgram();
    });
    connect(programSheet_, &console::ProgramSheet::clearRequested, this, [this] {
        runner_->Clear();
        ShowProgram();
    });
    connect(programSheet_, &console::ProgramSheet::saveRequested, this, &TFBase::SaveProgramClick);
    connect(programSheet_, &console::ProgramSheet::lineSelected, this, [this](int row) {
        runner_->Select(row);
        ShowProgram();
    });
    connect(programSheet_, &console::ProgramSheet::lineRunRequested, this,
            [this](int row, const std::string& text) {
                // During a run the list is the run's; its lines are not run by hand.
                if (!runner_->view().editorEnabled) return;
                if (ProgCommand(text) == 0 || row < 0) return;
                // A false condition is no fault; a line that cannot run is.
                const testprogram::ProgLine& line = runner_->Parsed(row);
                if (line.Refused()) ShowMes(testprogram::RefusalMessage(row, text, line), 1, 0);
            });
}

// ----- the runner's view on the sheet, the banner and the timers

void TFBase::ShowProgram() {
    programSheet_->ShowProgram(*runner_);
    const testprogram::ProgramRunner::View& v = runner_->view();
    modeBar_->ShowSign(v.bannerShown, v.banner, v.blinkLevel);
    const testprogram::ProgramRunner::Timers& t = runner_->timers();
    Start(TimeRunProg, t.run);
    Start(TimerTick, t.wait);
    Start(TimerELSE, t.scan);
}

void TFBase::TimeRunProgTimer() {
    runner_->RunTick();
    ShowProgram();
}

void TFBase::TimerTickTimer() {
    runner_->WaitTick();
    ShowProgram();
}

void TFBase::TimerELSETimer() {
    runner_->ConditionScan();
    ShowProgram();
}

int TFBase::ProgCommand(const std::string& line) {
    const int result = runner_->ProgCommand(line);
    ShowProgram();
    return result;
}

int TFBase::ProgCondition(const std::string& line) {
    const int result = runner_->ProgCondition(line);
    ShowProgram();
    return result;
}

int TFBase::ProgStart() {
    const int result = runner_->ProgStart();
    ShowProgram();
    return result;
}

void TFBase::ProgStop() {
    runner_->ProgStop();
    ShowProgram();
}

void TFBase::ProgReport(const std::string& message) {
    if (!Work() || Work()->State() != C_Work::kRunning) {
        workScreen_->ControlBar().ShowNotRunning();
    }
    ShowMes(message, 1, 0);
}

void TFBase::ShowBanner(const std::string& text) {
    modeBar_->ShowBanner(text);
}

void TFBase::StopConditionScan() {
    TimerELSE->stop();
    if (!runner_) return;
    runner_->ResultsComputed();
    // A test started from an empty program has no run to end it: its end
    // gives the editor back all the same.
    if (!runner_->timers().run && !runner_->view().editorEnabled) runner_->ProgStop();
    ShowProgram();
}

// ----- program files

void TFBase::SelectProgram(const std::string& name) {
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    const QDir dir(Qs(folder));
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        if (file.compare(Qs(name), Qt::CaseInsensitive) != 0) continue;
        LoadProgramFile(file.toStdString());
        programSheet_->ChooseFile(dir.filePath(file));
        return;
    }
}

void TFBase::LoadProgramFile(const std::string& fileName) {
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    auto lines = testprogram::LoadProgram(folder, fileName);
    if (!lines) {
        station_->Messages().ShowMessage(
            "Ошибка", "Файл '" + platform::JoinPath(folder, fileName) + "' не может быть открыт");
        return;
    }
    // Refused while a run holds the program.
    if (!runner_->SetLines(std::move(*lines))) return;
    programSheet_->ShowName(console::ProgramNameOf(fileName));
    ShowProgram();
}

void TFBase::SaveProgramClick(const std::string& name) {
    if (name.empty()) return;
    // Nothing is written outside "PROG".
    if (!testprogram::IsProgramName(name)) {
        ShowMes("НЕДОПУСТИМОЕ ИМЯ ПРОГРАММЫ: " + name, 1, 0);
        return;
    }
    // A program that would not start is not stored as one.
    if (const int bad = runner_->RefusedLine(); bad >= 0) {
        ShowMes("ПРОГРАММА НЕ СОХРАНЕНА. " +
                    testprogram::RefusalMessage(bad, runner_->view().lines[size_t(bad)],
                                                runner_->Parsed(bad)),
                1, 0);
        return;
    }
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!testprogram::SaveProgram(folder, name, runner_->view().lines)) {
        station_->Messages().ShowMessage(
            "Ошибка",
            "Файл '" + platform::JoinPath(folder, name + ".ini") + "' не может быть создан");
    }
}

void TFBase::DeleteProgramClick(const std::string& fileName) {
    const std::string folder = platform::JoinPath(ProgramDir(), console::kProgramFolder);
    testprogram::DeleteProgram(folder, fileName);
}

// ----- composing lines

void TFBase::ComposeLineClick(const testprogram::LineParts& parts, bool insert) {
    const std::string line = testprogram::ComposeLine(parts);
    if (line.empty()) return;
    // What the runner would refuse is refused here, where it is written.
    if (const std::string problem = testprogram::ComposeProblem(parts); !problem.empty()) {
        ShowMes(problem, 1, 0);
        return;
    }
    if (insert)
        runner_->InsertAfterSelected(line);
    else
        runner_->Append(line);
    ShowProgram();
}

// ----- named positions

void TFBase::BuildPositionPanel() {
    ComboBox3 = findChild<QComboBox*>("ComboBox3");
    ComboBox3->setMinimumHeight(38);
    // Entries read "name - position": the chooser grows to show them whole.
    ComboBox3->setMinimumWidth(180);
    ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    TouchFont(ComboBox3);
    positionPanel_ = new console::PositionPanel(this);
    auto togglePanel = [this] {
        if (positionPanel_->isHidden()) {
            CentrePanel(positionPanel_);
            OpenPanel(positionPanel_);
        } else {
            positionPanel_->hide();
        }
    };
    if (auto* open = findChild<TMegaButton*>("BitBtn1"))
        open->OnClick = [togglePanel](TMegaButton*) { togglePanel(); };
    connect(positionPanel_, &console::PositionPanel::saveRequested, this, [this] {
        FillPositionList();
        SavePositions();
    });
    connect(positionPanel_, &console::PositionPanel::closeRequested, this, [this, togglePanel] {
        FillPositionList();
        togglePanel();
    });
    connect(workScreen_, &console::WorkScreen::goToPositionRequested, this, &TFBase::GoToPosition);
}

void TFBase::FillPositionList() {
    ComboBox3->clear();
    for (const console::NamedPosition& row : positionPanel_->Rows())
        ComboBox3->addItem(Qs(console::PositionEntry(row)), Qs(row.position));
    ComboBox3->setCurrentIndex(ComboBox3->count() > 0 ? 0 : -1);
}

void TFBase::LoadPositions() {
    const auto bytes =
        platform::ReadWholeFile(platform::JoinPath(ProgramDir(), console::kPositionFile));
    if (!bytes) return;
    positionPanel_->ShowRows(console::ParsePositions(*bytes));
    FillPositionList();
}

void TFBase::SavePositions() {
    const std::string path = platform::JoinPath(ProgramDir(), console::kPositionFile);
    if (!platform::WriteFileAtomic(path, console::PositionFileBytes(positionPanel_->Rows())))
        station_->Messages().ShowMessage("Ошибка", "Файл '" + path + "' не может быть создан");
}

void TFBase::GoToPosition() {
    if (ComboBox3->currentIndex() < 0) return;
    const console::NamedPosition row{ComboBox3->currentText().toStdString(),
                                     ComboBox3->currentData().toString().toStdString()};
    // A position that is not a number moves nothing; the operator hears why.
    if (ProgCommand(console::PositionLine(row)) != 0)
        ShowMes("НЕВЕРНАЯ ПОЗИЦИЯ: " + row.position, 1, 0);
}

#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/unitdeps.h"
#include "program/programrunner.h"
#include "station/station_controller.h"

class C_Otchet;
class C_Parametr;
class C_Report;
class C_Work;
class CGrafic;
class QAction;
class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QListWidgetItem;
class QScreen;
class QSlider;
class QStackedWidget;
class QTableWidget;
class QTabWidget;
class QTimer;
class QTreeView;
class TFKeyBoard;
class TMegaButton;
class TMegaDatchik;
class TMegaTabs;

namespace platform {
class Clock;
class Launcher;
class MessageSink;
class PowerControl;
class RandomSource;
}  // namespace platform

namespace console {
class CompressionManualPanel;
class HelpScreen;
class HoldPanel;
class HydraulicStationPanel;
class MessagePanel;
class ModeBar;
class NumericEntryPanel;
class OpenPanel;
class WorkScreen;
class ParamList;
class PasswordPanel;
class PositionPanel;
class PreviewScreen;
class ProgramSheet;
class RowChoicePanel;
class SavePanel;
class ServiceConsole;
class SettingsScreen;
class SetupScreen;
class TensionManualPanel;
class VerificationPanel;
class ZoomPanel;

// The unit is made as the station makes it.
using station::UnitWiring;
using UnitFactory = station::UnitFactory;

// Everything the main window takes from outside, so a test runs the real
// window against a fake unit in a folder of its own.
struct ConsoleDeps {
    std::string programFolder;
    // A saved test named on the command line, opened for viewing; may be empty.
    std::string commandLineFile;
    // Null: no unit at all (demonstration mode).
    UnitFactory makeUnit;
    // Null: powering off is not offered.
    platform::PowerControl* power = nullptr;
    // Null: the system clock and the standard random source.
    platform::Clock* clock = nullptr;
    platform::RandomSource* random = nullptr;
    // Where file errors go; null: the station's message panel.
    platform::MessageSink* messages = nullptr;
};

}  // namespace console

// The main window: mode bar, the pages of BaseTab, the floating panels and
// the display refresh, around the station's controller, which every control,
// panel and engine event acts through.
class TFBase : public QWidget {
    Q_OBJECT

public:
    explicit TFBase(console::ConsoleDeps deps, QWidget* parent = nullptr);
    ~TFBase() override;

    // The station without its window, and its dispatcher.
    station::StationController& Station() const { return *station_; }
    void Command(int code) { station_->Command(code); }

    // The message panel: kind 0 yes/no, 1 OK, other kinds no button; the
    // continuation code runs through Command with the answer stored first.
    void ShowMes(const std::string& text, int kind, int code) {
        station_->ShowMes(text, kind, code);
    }
    void CloseMes() { station_->CloseMes(); }
    // A file error for the operator: on the message panel with OK, or after
    // the message shown now, so no message covers or replaces another.
    void ShowFileMessage(const std::string& text) { station_->ShowFileMessage(text); }
    int Answer() const { return station_->Answer(); }
    // The busy message of console::BusyScope, shown and taken away.
    void ShowBusy(const std::string& text) { station_->ShowBusy(text); }
    void EndBusy() { station_->EndBusy(); }

    // Engine state for the operator's eyes and for tests.
    C_Work* Work() const { return station_->Work(); }
    bool Started() const { return station_->Started(); }
    bool Viewing() const { return station_->Viewing(); }
    const std::string& ProgramDir() const { return station_->ProgramDir(); }
    int ProtocolNumber() const { return station_->ProtocolNumber(); }
    // The message shown now ("" when the panel is hidden).
    std::string MessageText() const { return station_->MessageText(); }

    // The window over the free area of its screen, with or without a window
    // manager; it follows that screen's changes and a move to another
    // screen until the full-screen button gives it its normal size.
    void FitToScreen();
    void ToggleFullScreen();
    bool FitsScreen() const { return fitsScreen_; }
    double UiScale() const { return uiScale_; }

    // Close and power-off questions (the close and power-off buttons).
    void FormCloseClick();
    void MegaButton44Click();

    // The display refresh and the polling ticks, callable by tests.
    void Timer1Timer();
    void Timer5Timer() { station_->Timer5Timer(); }
    void Timer4Timer() { station_->Timer4Timer(); }
    void TimerGetCyklTimer() { station_->TimerGetCyklTimer(); }

signals:
    // Each code as the dispatcher takes it, and as the engine receives it.
    void commandDispatched(int code);
    void engineCommand(int code);
    // The program's side has shut down and the window closes (exit status 0).
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    // What starts the journal program; null: the system's. Tests hand in a fake.
    void SetLauncher(platform::Launcher* launcher);
    // The hydraulic station's service tick, callable by tests.
    void Timer3Timer();

    // ----- test programs and the verification table (tfbase_program.cpp,
    // tfbase_poverka.cpp)
    // One program line run now: 0 carried out or accepted, -1 unknown, false
    // or malformed.
    int ProgCommand(const std::string& line);
    int ProgCondition(const std::string& line);
    // 1 for an empty program (the caller starts the test), -1 refused (the
    // operator is told which line), else 0: running.
    int ProgStart();
    // The runner's word to the operator: a run refused or one that started
    // no test. ПУСК comes back up when no test runs.
    void ProgReport(const std::string& message);
    void ProgStop();
    // Loads the program file named so, ignoring letter case, from "PROG".
    void SelectProgram(const std::string& name);
    void FillPositionList();
    // The runner's three ticks, callable by tests.
    void TimeRunProgTimer();
    void TimerTickTimer();
    void TimerELSETimer();
    const testprogram::ProgramRunner& Runner() const { return *runner_; }
    // The verification table of the method "Поверка" (clear 1: readings to 0).
    void FillPoverkaTable(int clear);
    void ClearPoverka();
    void StartPoverka(int k);
    int PoverkaChannel() const { return poverkaChannel_; }

    // Ctrl+E: manual entry in the verification table, which connects to it.
    Q_SIGNAL void ManualEntryRequested();

    // The extensometer's port, made with the window; it outlives the
    // extensometer window.
    class QLM_COMeX& ExtensPort() const {
        return *ExtensLink;
    }

private:
    // ----- the window's own controls and timers, named as the operator's
    // screens name them
    QWidget* Border_Rigth = nullptr;
    QStackedWidget* BaseTab = nullptr;
    console::SetupScreen* setupScreen_ = nullptr;
    // The on-screen keyboard (tfbase_keyboard.cpp): a window of its own that
    // this one owns.
    TFKeyBoard* FKeyBoard = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer *TimeRunProg = nullptr, *TimerTick = nullptr;
    // named positions: the chooser on the plot sheet
    QComboBox* ComboBox3 = nullptr;
    class QAction *Action1 = nullptr, *Action2 = nullptr, *Action3 = nullptr, *Action4 = nullptr,
                  *Action5 = nullptr;
    // The extensometer window: a top-level window of its own, hidden until
    // EXTENS_OPEN (on the work screen's control bar) shows it.
    std::unique_ptr<class QLM_COMeX> ExtensLink;
    std::unique_ptr<class TExtens> Extens;
    QTimer *InitTimer = nullptr, *Timer1 = nullptr, *TimerELSE = nullptr;

    // ----- building the window (one file per screen)
    console::ModeBar* modeBar_ = nullptr;
    // A mode button's tap: its code, or the set-up lists from set-up mode.
    void ModeRequested(int code);
    console::WorkScreen* workScreen_ = nullptr;
    QWidget* BuildSetupScreen();
    QWidget* BuildSettingsPage();
    QWidget* BuildPreviewPage();
    void BuildManualPanels();
    void BuildMessager();
    void BuildTimers();
    void BuildChrome();

    // ----- what the station's signals show (tfbase_command.cpp)
    void Wire();
    void ShowMode(int mode, int redrawLater);
    void ShowRun(int code);
    void ShowChannel(int channel);
    void ShowCrosshead(int code);
    void ShowZeroing(int code);
    void ShowZone(int zone);
    void ShowPump(bool running);
    void ShowGrips(std::optional<bool> upperClosed, std::optional<bool> lowerClosed);
    void ShowJogLock(bool locked);
    void OfferSave();
    void OfferOpen();
    void MakeProtocol();
    void LeavePoverkaAnswered();
    void OverwriteAnswered();
    void ShowMessage(const QString& text, int kind);
    void HideMessage();
    void ShowBusyCursor(bool busy);

    // ----- start-up and shut-down (tfbase_startup.cpp)
    void InitTimerTimer();
    void ShowNewWork();
    void ShowStartedUp();
    void PrepareStation();
    void ShutDownWindowSide();
    void BindPlots();
    // Controls and readouts of the channels in use enabled and shown, the others not.
    void ShowChannelsInUse();
    void OpenCommandLineFile();
    void ShowLoadedTest();

    // ----- what the operator's choice on the set-up screen does (tfbase_setup.cpp)
    void MirandexClick();
    void ObrazecListClick();
    void TENZ_ONClick();
    void SyncModeButtons() { station_->SyncZone(); }
    void ShowZoneChoice(bool free, bool noneDown);
    void CommitListEdit(int group, int row, const std::string& text);
    void TrackBar5Change(int row, int position);
    void RASCHETClick();
    void ShowResults() { station_->ShowResults(); }
    void ShowResultLists();
    void ResultAxisX(int channel);
    void ResultAxisY(int channel);
    // The method's axes on the result plot and its buttons; the caller redraws it.
    void SetResultAxisButtons();

    // ----- work screen (tfbase_work.cpp)
    void WireWorkScreen();
    void ApplyChannels();
    void UpdateTenzControls();

    // ----- message panel (tfbase_messages.cpp)
    console::MessagePanel* messagePanel_ = nullptr;
    void AnswerMes(int answer) { station_->AnswerMessage(answer); }
    void DisableScreensBehindMessage();
    void EnableScreensAfterMessage();

    // ----- entry panels (tfbase_entry.cpp) and the keyboard (tfbase_keyboard.cpp)
    console::NumericEntryPanel* speedEntry_ = nullptr;
    console::PasswordPanel* passwordPanel_ = nullptr;
    console::ZoomPanel* zoomPanel_ = nullptr;
    void BuildEntryPanels();
    // The keyboard in the configuration's mode (0 keeps it hidden), in a
    // given mode, or hidden; for every panel that takes typing.
    void ShowVirtualKeyboard();
    void ShowKeyboardIn(int mode);
    void HideVirtualKeyboard();
    // A КЛАВИАТУРА button: the keyboard, or, when the settings switch it off,
    // a message that says where to switch it on.
    void KeyboardButtonClick();
    void OpenSpeedEntry(int target, QWidget* opener);
    // The password panel shown or hidden, its entry emptied either way.
    void ShowPassword(bool show);
    void PASSWORD_OKClick(const std::string& typed);
    void OpenZoomPanel(int group);
    void ZoomCloseClick();
    // Closes the zoom panel if it is open and clears the zoom flag.
    void CloseZoomPanel();
    bool keyboardPlaced_ = false;

    // ----- file panels (tfbase_files.cpp)
    void BuildFilePanels();
    void BuildSavePanel();
    void BuildOpenPanel();
    void BuildListCheck();
    std::string SaveTestFolder() const;
    enum class SaveKind { kNone, kTest, kExport };
    void AskBeforeWriting(SaveKind kind, const std::string& path, const std::string& name,
                          std::initializer_list<const char*> extensions);
    void WritePendingSave();
    SaveKind pendingSave_ = SaveKind::kNone;
    // The file the pending save writes (no extension) and its name.
    std::string pendingPath_, pendingName_;
    void OpenTestFile(const std::string& file);
    void JURNALClick();
    console::SavePanel* savePanel_ = nullptr;
    console::OpenPanel* openPanel_ = nullptr;
    console::PreviewScreen* previewScreen_ = nullptr;
    console::RowChoicePanel* rowChoice_ = nullptr;
    void OpenListCheck();
    void CheckLine(int line, bool on);
    void CheckAllLines(bool on);
    void ApplyRowCount();
    void CloseListCheck();

    // ----- manual control and hydraulics (tfbase_manual.cpp)
    console::TensionManualPanel* tensionPanel_ = nullptr;
    console::CompressionManualPanel* compressionPanel_ = nullptr;
    console::HydraulicStationPanel* stationPanel_ = nullptr;
    console::HoldPanel* holdPanel_ = nullptr;
    void ManualPanelClick();
    // The crosshead interlock: while both grips are closed, whichever path
    // closed them, the jog buttons are disabled and no jog is dispatched.
    bool JogLocked() const { return station_->JogLocked(); }
    void CrossheadInterlock(bool fromLowerGrip) { station_->CrossheadInterlock(fromLowerGrip); }
    void OUTPUDClick();
    void OUTPUD1Click();
    void CloseManualPanels();
    void ApplyPressSetPoint(int channel);
    // The one way a typed set-point reaches a channel and the unit: stored as
    // typed, sent with its zone's set-points. Why it did not go, or "".
    std::string ApplySetPoint(int channel, double typed);
    // Sends a SetValue code; why the unit did not take it, or "".
    std::string SendToUnit(int channel, int code);
    void ShowManualRates();
    void StationPanelClick();
    float RefreshStation();
    void WarnOilTemperature();
    void HoldPanelClick();
    void ApplyHoldProgram();
    // The unit's input word as last read (oil level and filter bits).
    std::uint16_t inputWord_ = 0;

    // ----- test programs, positions, verification (tfbase_program.cpp,
    // tfbase_poverka.cpp)
    void BuildProgramPanels();
    void BuildProgramSheet();
    void BuildPositionPanel();
    void BindVerificationPanel();
    void ShowProgram();
    void LoadProgramFile(const std::string& fileName);
    void ComposeLineClick(const testprogram::LineParts& parts, bool insert);
    void SaveProgramClick(const std::string& name);
    void DeleteProgramClick(const std::string& fileName);
    void LoadPositions();
    void SavePositions();
    void GoToPosition();
    // Result mode (48) ends the scan of condition lines.
    void StopConditionScan();
    void ShowBanner(const std::string& text);
    // sameMethod: the method the station had was chosen again.
    void PoverkaMethodChosen(bool sameMethod);
    // True when the list left a verification with readings: the choice
    // waits for the operator's answer (kLeavePoverkaCode).
    bool AskBeforeLeavingPoverka();
    void PoverkaSampleChosen();
    C_Parametr* PoverkaMethod() const;
    void ShowPoverkaCells();
    void PoverkaCellClicked(int point, const std::string& key);
    void PoverkaCellTyped(const std::string& key, const std::string& text);
    void AutoPoverka();
    // With a unit the invented readings are never offered.
    void PoverkaStartUp();
    std::unique_ptr<testprogram::ProgramHost> programHost_;
    std::unique_ptr<testprogram::ProgramRunner> runner_;
    console::ProgramSheet* programSheet_ = nullptr;
    console::PositionPanel* positionPanel_ = nullptr;
    int poverkaChannel_ = 1;
    // What the nominal points were last computed for.
    int poverkaCount_ = -1;
    int poverkaPointsChannel_ = 0;
    console::VerificationPanel* verificationPanel_ = nullptr;
    // The method row chosen while the readings wait for the answer.
    int leavingPoverkaFor_ = -1;
    // Readings taken since the table was last cleared: a reading of 0 taken
    // is shown, one never taken is not.
    std::set<std::string> poverkaTaken_;

    // ----- settings, help, service keys (tfbase_settings.cpp, screen_help.cpp,
    // tfbase_keys.cpp)
    void BuildShortcuts();
    void ShowSettingsGroup(int group);
    void ReloadCustomList();
    void CustomListEdit(int row, const std::string& text);
    void CommitCustomListEdit();
    void Timer2Timer();
    // The keyboard's setting as the settings screen shows it: group and caption.
    std::string KeyboardSettingPlace() const;
    void ConsButton1Click();
    // The calibration page's table to the unit.
    void SaveCalibPoint(int unitChannel);
    void ConfigExitClick();
    void ConfigExitFinish();
    console::HelpScreen* helpScreen_ = nullptr;
    console::SettingsScreen* settingsScreen_ = nullptr;
    console::ServiceConsole* serviceConsole_ = nullptr;
    // The configuration group CUSTOM_LIST shows and stores into.
    int configGroup_ = 7;
    // The unit's pause after the PID gains when the settings are left.
    QTimer* configExitPause_ = nullptr;

    // ----- extensometer window (extens_window.cpp)
    void BuildExtensWindow();

    // ----- helpers
    void ShowScreen(int page);
    // The mode bar's help button (code 80), made after the help page.
    void AddHelpButton();
    void CentrePanel(QWidget* panel);
    // One floating panel at a time, and none outlives the screen it was
    // opened on. The message panel is not one of them: it stays up, and its
    // question waits for an answer.
    struct FloatingPanel {
        QWidget* panel;
        std::function<void()> close;
    };
    std::vector<FloatingPanel> floatingPanels_;
    void ListFloatingPanels();
    void OpenPanel(QWidget* panel);
    void ClosePanels(const QWidget* keep = nullptr);
    void WatchScreen(QScreen* screen);
    ProtocolMaker* Report() const { return station_->Report(); }
    std::string ModeCaptionText() const { return station_->ModeCaptionText(); }
    std::vector<std::string>& ParamLines(int group) { return station_->Lists().params[group]; }

    console::ConsoleDeps deps_;
    // Made first, gone first: the engine and its unit go before the widgets.
    std::unique_ptr<station::StationController> station_;

    // Widgets a message disabled while a test ran (the stop button stays).
    std::vector<QWidget*> disabledByMessage_;
    bool fitsScreen_ = false;
    double uiScale_ = 1.0;
    QMetaObject::Connection screenGeometry_, screenArea_, screenMove_;
    std::string methodText_;
};

namespace console {

// While it lives the operator sees the station busy: the wait cursor, and
// `text` on the message panel without a button, painted before the work
// starts, since the window answers nothing until the work ends. Both go
// when it ends, however the work ended; a message the work showed in its
// place stays, and file errors reported meanwhile follow.
class BusyScope {
public:
    BusyScope(TFBase& window, const std::string& text);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TFBase& window_;
};

}  // namespace console

#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/console_deps.h"
#include "link/unitdeps.h"
#include "station/station_controller.h"

class C_Work;
class QAction;
class QScreen;
class QStackedWidget;
class QTimer;
class TFKeyBoard;

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
    class QAction *Action1 = nullptr, *Action2 = nullptr, *Action3 = nullptr, *Action4 = nullptr,
                  *Action5 = nullptr;
    // The extensometer window: a top-level window of its own, hidden until
    // EXTENS_OPEN (on the work screen's control bar) shows it.
    std::unique_ptr<class QLM_COMeX> ExtensLink;
    std::unique_ptr<class TExtens> Extens;
    QTimer *InitTimer = nullptr, *Timer1 = nullptr;

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
    void OfferSave();
    void OfferOpen();
    void MakeProtocol();
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
    void ShowLoadedTest();

    // ----- what the set-up screen shows of the operator's choice (tfbase_setup.cpp)
    void ShowZoneChoice(bool free, bool noneDown);
    void ShowResultLists();
    // The method's axes on the result plot and its buttons; the caller redraws it.
    void SetResultAxisButtons();

    // ----- work screen (tfbase_work.cpp)
    void WireWorkScreen();
    void ApplyChannels();
    void UpdateTenzControls();

    // ----- message panel (tfbase_messages.cpp)
    console::MessagePanel* messagePanel_ = nullptr;
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
    // The right password: the settings screen, the mode buttons disabled.
    void ShowSettingsUnlocked();
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
    void StationPanelClick();
    void HoldPanelClick();

    // ----- test programs, positions, verification (tfbase_program.cpp,
    // tfbase_poverka.cpp)
    // The program sheet and the position panel, on the station's program.
    void BuildProgramPanels();
    void BindVerificationPanel();
    console::ProgramSheet* programSheet_ = nullptr;
    console::PositionPanel* positionPanel_ = nullptr;
    console::VerificationPanel* verificationPanel_ = nullptr;

    // ----- settings, help, service keys (tfbase_settings.cpp, screen_help.cpp,
    // tfbase_keys.cpp)
    void BuildShortcuts();
    // The settings left: the display refresh, the focus and the channels.
    void ShowSettingsLeft(int refreshMs);
    console::HelpScreen* helpScreen_ = nullptr;
    console::SettingsScreen* settingsScreen_ = nullptr;
    console::ServiceConsole* serviceConsole_ = nullptr;

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

    console::ConsoleDeps deps_;
    // Made first, gone first: the engine and its unit go before the widgets.
    std::unique_ptr<station::StationController> station_;

    // Widgets a message disabled while a test ran (the stop button stays).
    std::vector<QWidget*> disabledByMessage_;
    bool fitsScreen_ = false;
    double uiScale_ = 1.0;
    QMetaObject::Connection screenGeometry_, screenArea_, screenMove_;
};

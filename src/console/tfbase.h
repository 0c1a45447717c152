#pragma once

#include <QWidget>

#include <memory>
#include <string>

#include "console/console_deps.h"
#include "console/floating_panels.h"
#include "station/station_controller.h"

class C_Work;
class QLM_COMeX;
class QScreen;
class QStackedWidget;
class QTimer;
class TExtens;

namespace console {
class CompressionManualPanel;
class KeyboardOffer;
class MessagePanel;
class ModeBar;
class OpenPanel;
class PasswordPanel;
class PreviewScreen;
class SavePanel;
class ServiceConsole;
class SettingsScreen;
class SetupScreen;
class TensionManualPanel;
class VerificationPanel;
class WorkScreen;
class ZoomPanel;
}  // namespace console

// The main window: the mode bar, the pages of BaseTab, the floating panels,
// the keyboard and the display refresh, around the station's controller,
// which every control, panel and engine event acts through. Each screen and
// panel owns its widgets; the window builds them, places them and wires
// them to the station, one file per area (tfbase_<area>.cpp).
class TFBase : public QWidget {
    Q_OBJECT

public:
    explicit TFBase(console::ConsoleDeps deps, QWidget* parent = nullptr);
    ~TFBase() override;

    // The station without its window, and what tests reach of it here.
    station::StationController& Station() const { return *station_; }
    void Command(int code) { station_->Command(code); }
    void ShowMes(const std::string& text, int kind, int code) {
        station_->ShowMes(text, kind, code);
    }
    void CloseMes() { station_->CloseMes(); }
    void ShowFileMessage(const std::string& text) { station_->ShowFileMessage(text); }
    C_Work* Work() const { return station_->Work(); }
    bool Started() const { return station_->Started(); }
    bool Viewing() const { return station_->Viewing(); }
    int ProtocolNumber() const { return station_->ProtocolNumber(); }
    // The message shown now ("" when the panel is hidden).
    std::string MessageText() const { return station_->MessageText(); }
    void Timer5Timer() { station_->Timer5Timer(); }
    void Timer4Timer() { station_->Timer4Timer(); }
    // The display refresh, callable by tests.
    void Timer1Timer();

    // The window over the free area of its screen, with or without a window
    // manager; it follows that screen's changes and a move to another
    // screen until the full-screen button gives it its normal size.
    void FitToScreen();
    bool FitsScreen() const { return fitsScreen_; }

    // Close and power-off questions (the close and power-off buttons).
    void FormCloseClick();
    void MegaButton44Click();

    // What starts the journal program; null: the system's. Tests hand in a fake.
    void SetLauncher(platform::Launcher* launcher);
    // The extensometer's port, made with the window; it outlives the
    // extensometer window.
    QLM_COMeX& ExtensPort() const { return *ExtensLink; }

signals:
    // Each code as the dispatcher takes it, and as the engine receives it.
    void commandDispatched(int code);
    void engineCommand(int code);
    // The program's side has shut down and the window closes (exit status 0).
    void programEnded();
    // Ctrl+E: manual entry in the verification table, which connects to it.
    void ManualEntryRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // ----- building and wiring, one area each: the screens and panels it
    // builds, and what the station's signals for that area show on them
    QWidget* BuildSetupScreen();   // tfbase_setup.cpp
    QWidget* BuildSettingsPage();  // tfbase_settings.cpp, with the service keys
    QWidget* BuildPreviewPage();   // tfbase_files.cpp, with the file panels
    void BuildFilePanels();
    void WireWorkScreen();  // tfbase_work.cpp
    void BuildChrome();     // chrome.cpp: the window's edge
    void AddHelpButton();
    void BuildManualPanels();      // tfbase_manual.cpp
    void BuildEntryPanels();       // tfbase_entry.cpp
    void BuildExtensWindow();      // extens_window.cpp
    void BuildMessager();          // tfbase_messages.cpp
    void BuildProgramPanels();     // tfbase_program.cpp
    void BindVerificationPanel();  // tfbase_poverka.cpp
    void BuildShortcuts();         // tfbase_keys.cpp
    void WireStartUp();            // tfbase_startup.cpp, with the ways out
    void Wire();                   // tfbase_command.cpp: the dispatcher's blocks

    // ----- what more than one area shows
    void ModeRequested(int code);
    void ShowMode(int mode, int redrawLater);
    void ShowScreen(int page);
    void ApplyChannels();
    // Controls and readouts of the channels in use enabled and shown, the others not.
    void ShowChannelsInUse();
    void UpdateTenzControls();
    void ToggleFullScreen();
    void WatchScreen(QScreen* screen);
    const std::string& ProgramDir() const { return station_->ProgramDir(); }

    console::ConsoleDeps deps_;
    // Made first, gone first: the engine and its unit go before the widgets.
    std::unique_ptr<station::StationController> station_;
    // A floating panel closed takes the keyboard it brought with it.
    console::FloatingPanels panels_;
    console::KeyboardOffer* keyboard_ = nullptr;

    // ----- the screens, the panels others reach, the timers; each file
    // above builds its own
    QStackedWidget* BaseTab = nullptr;
    QWidget* Border_Rigth = nullptr;
    console::ModeBar* modeBar_ = nullptr;
    console::WorkScreen* workScreen_ = nullptr;
    console::SetupScreen* setupScreen_ = nullptr;
    console::SettingsScreen* settingsScreen_ = nullptr;
    console::PreviewScreen* previewScreen_ = nullptr;
    console::MessagePanel* messagePanel_ = nullptr;
    console::PasswordPanel* passwordPanel_ = nullptr;
    console::ZoomPanel* zoomPanel_ = nullptr;
    console::SavePanel* savePanel_ = nullptr;
    console::OpenPanel* openPanel_ = nullptr;
    console::TensionManualPanel* tensionPanel_ = nullptr;
    console::CompressionManualPanel* compressionPanel_ = nullptr;
    console::VerificationPanel* verificationPanel_ = nullptr;
    console::ServiceConsole* serviceConsole_ = nullptr;
    QTimer *InitTimer = nullptr, *Timer1 = nullptr;
    // The extensometer window: a top-level window of its own, hidden until
    // EXTENS_OPEN (on the work screen's control bar) shows it.
    std::unique_ptr<QLM_COMeX> ExtensLink;
    std::unique_ptr<TExtens> Extens;

    bool fitsScreen_ = false;
    double uiScale_ = 1.0;
    QMetaObject::Connection screenGeometry_, screenArea_, screenMove_;
};

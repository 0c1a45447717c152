#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/unitdeps.h"
#include "platform/taskqueue.h"

class C_Connect;
class C_Otchet;
class C_Report;
class C_Work;
class CGrafic;
class EventSink;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QSlider;
class QStackedWidget;
class QTabWidget;
class QTimer;
class TConfigINI;
class TMegaButton;
class TMegaDatchik;
class TMegaTabs;

namespace platform {
class Clock;
class MessageSink;
class PowerControl;
class RandomSource;
}  // namespace platform

namespace console {
class ParamList;

// What a unit is made with: the engine's sample entry, the window that shows
// the pump and grips, the program-wide test zone and the queue that carries
// pushed samples to the window's thread.
struct UnitWiring {
    SampleSink& samples;
    UnitStatusListener* status;
    const int* testZone;
    platform::TaskPoster& ui;
};
using UnitFactory = std::function<std::unique_ptr<C_Connect>(const UnitWiring&)>;

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
    // Where file errors go; null: a message box captioned "Ошибка".
    platform::MessageSink* messages = nullptr;
};

}  // namespace console

// The main window: mode bar, the pages of BaseTab, the floating panels, the
// timers, and the one dispatcher every control, panel and engine event goes
// through.
class TFBase : public QWidget, public UnitStatusListener {
    Q_OBJECT

public:
    explicit TFBase(console::ConsoleDeps deps, QWidget* parent = nullptr);
    ~TFBase() override;

    // The dispatcher (tfbase_command.cpp).
    void Command(int code);

    // The message panel: kind 0 yes/no, 1 OK, other kinds no button; the
    // continuation code runs through Command with the answer stored first.
    void ShowMes(const std::string& text, int kind, int code);
    void CloseMes();
    int Answer() const { return answer_; }

    // Engine state for the operator's eyes and for tests.
    C_Work* Work() const { return work_.get(); }
    bool Started() const { return started_; }
    bool Viewing() const { return viewing_; }
    const std::string& ProgramDir() const { return deps_.programFolder; }
    int ProtocolNumber() const;
    // The message shown now ("" when the panel is hidden).
    std::string MessageText() const;

    // Close and power-off questions (the close and power-off buttons).
    void FormCloseClick();
    void MegaButton44Click();

    // UnitStatusListener: the unit's pump and grips on the buttons.
    void PumpChanged(bool running) override;
    void GripsChanged(std::optional<bool> upperClosed, std::optional<bool> lowerClosed) override;

    // The display refresh and the polling ticks, callable by tests.
    void Timer1Timer();
    void Timer5Timer();
    void Timer4Timer();
    void TimerGetCyklTimer();

signals:
    // Each code as the dispatcher takes it, and as the engine receives it.
    void commandDispatched(int code);
    void engineCommand(int code);
    // The program's side has shut down and the window closes (exit status 0).
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

public:
    // ----- controls, named as the operator's screens name them
    // mode bar
    QFrame* Panel3 = nullptr;
    TMegaButton* MODE_INSTAL = nullptr;
    TMegaButton* MODE_WORK = nullptr;
    TMegaButton* MODE_RESULT = nullptr;
    TMegaButton* MESS_PROG = nullptr;
    TMegaButton* MegaButton30 = nullptr;
    TMegaButton* MegaButton32 = nullptr;
    QWidget* Border_Rigth = nullptr;
    QStackedWidget* BaseTab = nullptr;

    // work screen
    QTabWidget* WorkArea = nullptr;
    CGrafic* WorkPlotter = nullptr;
    TMegaButton *PLOT_1 = nullptr, *PLOT_2 = nullptr, *PLOT_3 = nullptr;
    TMegaButton *BUTXT = nullptr, *BUTXL = nullptr, *BUTXE = nullptr;
    TMegaButton *BUTYF = nullptr, *BUTYL = nullptr, *BUTYE = nullptr, *BUTYP = nullptr;
    TMegaButton *GRAFICON = nullptr, *ClearGraf = nullptr, *MegaButton61 = nullptr;
    TMegaButton* MegaButton69 = nullptr;
    QFrame* IndicPanel = nullptr;
    QFrame* PanelZero = nullptr;
    TMegaButton *ZeroingF = nullptr, *ZeroingL = nullptr, *ZeroingE = nullptr;
    TMegaButton* ZEROAUTO = nullptr;
    TMegaButton *INDICMODE1 = nullptr, *INDICMODE2 = nullptr;
    QStackedWidget* INDICATORS = nullptr;
    TMegaDatchik *Datch = nullptr, *Datch1 = nullptr, *Datch2 = nullptr, *DatTime = nullptr;
    TMegaDatchik *Datchik3 = nullptr, *Datchik4 = nullptr;
    TMegaDatchik *DatchikUstav1 = nullptr, *DatchikUstav2 = nullptr, *DatchikUstav3 = nullptr;
    TMegaDatchik *MegaDatchik1 = nullptr, *MegaDatchik2 = nullptr;
    QFrame* CONTROLPANEL = nullptr;
    TMegaButton *BUT_START = nullptr, *BUT_PAUSE = nullptr, *BUT_STOP = nullptr;
    TMegaButton *DIRECT_F = nullptr, *DIRECT_L = nullptr, *DIRECT_E = nullptr;
    TMegaButton* DIRECT_UP_DOWN = nullptr;
    TMegaButton *SpeedUp = nullptr, *SpeedDown = nullptr, *SpeedMultUp = nullptr,
                *SpeedMultDown = nullptr;
    TMegaButton *SPEED_1 = nullptr, *SPEED_01 = nullptr, *SPEED_001 = nullptr, *SPEED_0 = nullptr;
    QLabel* Ind_SPEED = nullptr;
    QFrame* MAIN_MENU = nullptr;

    // set-up and result screen
    QFrame* Panel4 = nullptr;
    QFrame* Panel10 = nullptr;
    QFrame* Panel11 = nullptr;
    QStackedWidget* Panel11Slot = nullptr;
    QFrame* PanelWork = nullptr;
    QFrame* Panel31 = nullptr;
    QLabel* Panel31Text = nullptr;
    QListWidget* Mirandex = nullptr;
    QComboBox* ObrazecList = nullptr;
    TMegaButton* TENZ_ON = nullptr;
    QFrame* PanelMode = nullptr;
    TMegaButton *MODEALL_RAST = nullptr, *MODEALL_PRESS = nullptr;
    console::ParamList *ListPodgotov = nullptr, *ListStart = nullptr, *ListFinish = nullptr,
                       *ListResult = nullptr;
    QSlider* TrackBar5 = nullptr;
    TMegaButton* RASCHET = nullptr;
    CGrafic* CGraficRes = nullptr;
    TMegaButton *PLOT2_1 = nullptr, *PLOT2_2 = nullptr, *PLOT2_3 = nullptr, *PLOT2_4 = nullptr,
                *PLOT2_5 = nullptr, *PLOT2_FULL = nullptr;
    TMegaButton *BUTXT2 = nullptr, *BUTXL2 = nullptr, *BUTXE2 = nullptr, *BUT_XS2 = nullptr;
    TMegaButton *BUTYF2 = nullptr, *BUTYL2 = nullptr, *BUTYE2 = nullptr, *BUTYP2 = nullptr;
    TMegaButton *MegaButton34 = nullptr, *MegaButton51 = nullptr;

    // other pages
    QListWidget* CUSTOM_LIST = nullptr;
    C_Otchet* C_Otchet1 = nullptr;
    QLabel* PageNomber = nullptr;

    // manual control panels: their buttons show the unit's pump and grips
    QFrame *PUDIK = nullptr, *PUDIK_PRESS = nullptr;
    TMegaButton *CONT_UPON = nullptr, *CONT_UPOFF = nullptr, *CONT_DOWNON = nullptr,
                *CONT_DOWNOFF = nullptr;
    TMegaButton *CONT_UP = nullptr, *CONT_DOWN = nullptr, *CONT_STOP = nullptr, *CONT_ON = nullptr;
    TMegaButton *CONT_UP1 = nullptr, *CONT_DOWN1 = nullptr, *CONT_STOP1 = nullptr,
                *CONT_ON1 = nullptr;
    TMegaButton *GRIP_UP = nullptr, *GRIP_DOWN = nullptr, *OUTPUD = nullptr, *OUTPUD1 = nullptr;

    // floating panels
    QFrame* Messager = nullptr;
    QLabel* MesText = nullptr;
    TMegaButton *Butt_YES = nullptr, *Butt_OK = nullptr, *Butt_NO = nullptr;
    QFrame* DIALOG_SAVE = nullptr;
    QLineEdit* Edit4 = nullptr;
    QFrame* OPENFILE_PANEL = nullptr;
    QFrame* PanelPoverka = nullptr;

    // timers
    QTimer *InitTimer = nullptr, *Timer1 = nullptr, *Timer2 = nullptr, *Timer4 = nullptr,
           *Timer5 = nullptr, *TimerGetCykl = nullptr, *TimerELSE = nullptr;

private:
    // ----- building the window (one file per screen)
    void BuildModeBar();
    QWidget* BuildWorkScreen();
    QWidget* BuildSetupScreen();
    QWidget* BuildSettingsPage();
    QWidget* BuildPreviewPage();
    QWidget* BuildHelpPage();
    void BuildManualPanels();
    void BuildMessager();
    void BuildLaterPanels();
    void BuildTimers();
    void BuildChrome();

    // ----- dispatcher blocks (tfbase_command.cpp); each returns the code the
    // dispatch goes on with
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

    // ----- start-up and shut-down (tfbase_startup.cpp)
    void InitTimerTimer();
    void CreateWork();
    void BindPlots();
    void BindReadouts();
    void DisableUnusedChannels();
    void LoadProtocolNumber();
    void ShutDownProgramSide(bool saveHours);
    void EndProgram();
    void OpenCommandLineFile();

    // ----- set-up and result screen (screen_setup.cpp)
    void MirandexClick();
    void ObrazecListClick();
    void TENZ_ONClick();
    void SyncModeButtons();
    void ReloadLists();
    void ReloadMethodLists();
    void CommitListEdit(int group, int row, const std::string& text);
    void TrackBar5Change(int position);
    void RASCHETClick();
    void ResultAxisX(int channel);
    void ResultAxisY(int channel);
    void SetResultAxisButtons();
    void ColourLists(bool editing);

    // ----- work screen (screen_work.cpp)
    void WorkAxisX(int channel);
    void WorkAxisY(int channel);
    void ButStartClick();
    void ButStopClick();
    void IndicMode(int page);

    // ----- display refresh (refresh.cpp)
    void ApplyChannels();
    void UpdateTenzControls();

    // ----- polling (polling.cpp)
    void CheckUnitAnswers();

    // ----- message panel (messager.cpp)
    void AnswerMes(int answer);
    void DisableScreensBehindMessage();
    void EnableScreensAfterMessage();

    // ----- helpers
    void ShowScreen(int page);
    void SetModeButtons(int down, bool setUp, bool work, bool result);
    void CentrePanel(QWidget* panel);
    C_Report* Report() const { return report_.get(); }
    std::string ModeCaptionText() const;

    console::ConsoleDeps deps_;
    std::unique_ptr<platform::Clock> ownClock_;
    std::unique_ptr<platform::RandomSource> ownRandom_;
    std::unique_ptr<platform::MessageSink> ownMessages_;
    std::unique_ptr<TConfigINI> ini_;
    std::unique_ptr<EventSink> events_;
    platform::TaskQueue uiQueue_;
    QTimer* uiQueuePump_ = nullptr;
    std::unique_ptr<C_Report> report_;

    // The lists the engine fills and the screen shows.
    std::vector<std::string> methodLines_, sampleTypeLines_, paramLines_[4], settingsLines_;

    int answer_ = 0;
    int continuation_ = 0;
    // Widgets a message disabled while a test ran (the stop button stays).
    std::vector<QWidget*> disabledByMessage_;
    bool closeOnAnswer_ = false;
    bool listsReloading_ = false;
    bool viewing_ = false;
    bool started_ = false;
    bool commandSeen_ = false;
    bool ending_ = false;
    int resultRow_ = -1;
    int correctionRow_ = -1;
    int lastAmbientSeen_ = 0;
    bool unitSilentReported_ = false;
    std::string methodText_;

    // Declared last: the engine goes before anything it could reach.
    std::unique_ptr<C_Work> work_;
};

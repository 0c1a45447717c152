// Start-up (code 244, run once by the start-up timer), the command-line
// test file, and the two ways out: exit (245) and power-off (246).

#include <QComboBox>
#include <QFrame>
#include <QListWidget>
#include <QTimer>

#include <algorithm>
#include <string>

#include "console/compression_panel.h"
#include "console/look.h"
#include "console/manual_rules.h"
#include "console/mode_bar.h"
#include "console/open_panel.h"
#include "console/preview_screen.h"
#include "console/result_plot.h"
#include "console/settings_screen.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "model/configini.h"
#include "platform/messagesink.h"
#include "platform/poweroff.h"
#include "protocols/creport.h"
#include "station/station_files.h"
#include "station/station_program.h"

using console::SetButtonEnabled;

void TFBase::InitTimerTimer() {
    InitTimer->stop();
    Command(244);
    if (!deps_.commandLineFile.empty())
        station_->Files().OpenCommandLineFile(deps_.commandLineFile);
}

// Start-up as the station runs it (code 244); what the screens do at each step.
void TFBase::ShowNewWork() {
    // 1-2: the engine exists; the extensometer's switch starts up.
    setupScreen_->SetExtensometer(false);
    settingsScreen_->Bind(Work());
    // 3-6
    BindPlots();
    tensionPanel_->hide();
    compressionPanel_->hide();
    setupScreen_->ReloadMethodLists();
    setupScreen_->ChooseMethodRow(0);
    setupScreen_->SetSampleType(setupScreen_->SampleTypeCount() > 0 ? 0 : -1);
    workScreen_->BindReadouts();
}

void TFBase::ShowStartedUp() {
    // 8
    workScreen_->ShowControlBar(true);
    workScreen_->ControlBar().EnablePause(false);
    Timer1->start();
    setEnabled(true);
    ShowScreen(0);
}

void TFBase::PrepareStation() {
    // 9-11
    station_->Verification().StartUp();
    station_->Program().LoadPositions();
    station_->SyncZone();
}

void TFBase::BindPlots() {
    workScreen_->BindPlot(*Work());
    setupScreen_->Bind(*Work());
    // The axis buttons show what the plots were given.
    workScreen_->ShowBoundAxes();
}

// Also run when the settings are left: a channel switched on there shows at
// once, one switched off goes.
void TFBase::ShowChannelsInUse() {
    workScreen_->ShowChannelsInUse();
    for (int channel = 1; channel <= 3; ++channel) {
        setupScreen_->Plot()->EnableChannel(channel, Work()->Channel(channel).inUse != 0);
    }
    // A used extensometer's controls follow its switch.
    if (Work()->Channel(3).inUse != 0) UpdateTenzControls();
}

// The loaded test's method, sample type and extensometer on the set-up
// screen; the result screen follows.
void TFBase::ShowLoadedTest() {
    const C_GostWorks& methods = Work()->Methods();
    // The file's readings replace what was taken here.
    station_->Verification().ForgetTaken();
    setupScreen_->SetExtensometer(methods.Extensometer() != 0);
    setupScreen_->ReloadMethodLists();
    setupScreen_->SetSampleType(
        methods.SampleType() < setupScreen_->SampleTypeCount() ? methods.SampleType() : 0);
    openPanel_->hide();
}

// ----- ways out

// The program's side has shut down: the window's timers stop and the
// protocol's sheets go.
void TFBase::ShutDownWindowSide() {
    previewScreen_->Otchet()->ClearList();
    Timer1->stop();
    settingsScreen_->StopRefresh();
}

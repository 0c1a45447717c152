// Start-up (code 244, run once by the start-up timer) as the screens follow
// it, the command-line test file, the display refresh's timer, and the ways
// out: the window's side shut down, and closed once the program has ended.

#include <QTimer>

#include "console/compression_panel.h"
#include "console/preview_screen.h"
#include "console/result_plot.h"
#include "console/settings_screen.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_screen.h"
#include "controls/cotchet.h"
#include "engine/cwork.h"
#include "station/station_files.h"
#include "station/station_program.h"
#include "station/station_verification.h"

void TFBase::WireStartUp() {
    using S = station::StationController;
    S* s = station_.get();
    auto make = [this](const char* name, int ms, bool single) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        t->setSingleShot(single);
        return t;
    };
    InitTimer = make("InitTimer", 5, true);
    Timer1 = make("Timer1", 10, false);
    connect(InitTimer, &QTimer::timeout, this, [this] {
        InitTimer->stop();
        Command(244);
        if (!deps_.commandLineFile.empty())
            station_->Files().OpenCommandLineFile(deps_.commandLineFile);
    });
    connect(Timer1, &QTimer::timeout, this, &TFBase::Timer1Timer);
    InitTimer->start();
    settingsScreen_->StartRefresh();

    // Start-up as the station runs it; what the screens do at each step.
    connect(s, &S::workCreated, this, [this] {
        // 1-2: the engine exists; the extensometer's switch starts up.
        setupScreen_->SetExtensometer(false);
        settingsScreen_->Bind(Work());
        // 3-6; the axis buttons show what the plots were given.
        workScreen_->BindPlot(*Work());
        setupScreen_->Bind(*Work());
        workScreen_->ShowBoundAxes();
        tensionPanel_->hide();
        compressionPanel_->hide();
        setupScreen_->ReloadMethodLists();
        setupScreen_->ChooseMethodRow(0);
        setupScreen_->SetSampleType(setupScreen_->SampleTypeCount() > 0 ? 0 : -1);
        workScreen_->BindReadouts();
    });
    connect(s, &S::startedUp, this, [this] {
        // 8
        workScreen_->ShowControlBar(true);
        workScreen_->ControlBar().EnablePause(false);
        Timer1->start();
        setEnabled(true);
        ShowScreen(0);
    });
    // The program's side has shut down: the window's timers stop and the
    // protocol's sheets go; then the window closes.
    connect(s, &S::shuttingDown, this, [this] {
        previewScreen_->Otchet()->ClearList();
        Timer1->stop();
        settingsScreen_->StopRefresh();
    });
    connect(s, &S::programEnded, this, [this] {
        emit programEnded();
        close();
    });
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

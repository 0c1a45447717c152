// What the station's dispatcher shows on the screens and the manual panels:
// each signal of its blocks meets them here. The start-up, the messages and
// the file panels' signals are wired in their own files.

#include <QTimer>

#include "console/compression_panel.h"
#include "console/mode_bar.h"
#include "console/result_plot.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "console/zoom_panel.h"
#include "controls/cgrafic.h"

void TFBase::Wire() {
    using S = station::StationController;
    S* s = station_.get();
    connect(s, &S::commandDispatched, this, &TFBase::commandDispatched);
    connect(s, &S::engineCommand, this, &TFBase::engineCommand);
    connect(s, &S::channelsChanged, this, [this](int refreshMs) {
        ApplyChannels();
        Timer1->setInterval(refreshMs);
    });
    connect(s, &S::channelsInUseChanged, this, &TFBase::ShowChannelsInUse);
    connect(s, &S::zonesAvailable, this,
            [this](bool available) { setupScreen_->EnableZoneButtons(available); });
    connect(s, &S::protocolNumberShown, this,
            [this](const QString& caption) { modeBar_->ShowCaption(caption.toStdString()); });
    // the blocks
    connect(s, &S::modeShown, this, &TFBase::ShowMode);
    connect(s, &S::controlBarShown, this,
            [this](bool shown) { workScreen_->ShowControlBar(shown); });
    connect(s, &S::runShown, this, [this](int code) {
        console::WorkControlBar& bar = workScreen_->ControlBar();
        if (code == 1) bar.ShowStarted();
        if (code == 2) bar.ShowStopped();
        if (code == 38) bar.ShowPaused();
    });
    connect(s, &S::channelShown, this,
            [this](int channel) { workScreen_->ControlBar().ShowChannel(channel); });
    connect(s, &S::directionShown, this,
            [this](bool down) { workScreen_->ControlBar().ShowDirectionDown(down); });
    connect(s, &S::crossheadShown, this, [this](int code) {
        tensionPanel_->ShowCrosshead(code);
        compressionPanel_->ShowCrosshead(code);
    });
    connect(s, &S::zeroingShown, this, [this](int code) {
        const bool on = code <= 24;
        workScreen_->Readouts().ShowZeroing(on ? code - 21 : code - 24, on);
    });
    connect(s, &S::zoneShown, this, [this](int zone) {
        const bool tension = zone == 0;
        setupScreen_->ShowZone(tension, !tension);
        tensionPanel_->hide();
        compressionPanel_->hide();
        workScreen_->Readouts().ShowZoneLimits(tension);
    });
    connect(s, &S::pumpShown, this, [this](bool running) {
        tensionPanel_->ShowPump(running);
        compressionPanel_->ShowPump(running);
    });
    // As codes 12, 13, 15 and 16 show them.
    connect(s, &S::gripsShown, this,
            [this](std::optional<bool> upperClosed, std::optional<bool> lowerClosed) {
                if (upperClosed) tensionPanel_->ShowGrip(true, *upperClosed);
                if (lowerClosed) tensionPanel_->ShowGrip(false, *lowerClosed);
            });
    connect(s, &S::jogLockShown, tensionPanel_, &console::TensionManualPanel::ShowJogLock);
    connect(s, &S::jogLockShown, compressionPanel_, &console::CompressionManualPanel::ShowJogLock);
    connect(s, &S::newTestChoosing, this, [this] {
        workScreen_->ControlBar().ShowDirectionDown(false);
        setupScreen_->ChooseShownMethod();
    });
    connect(s, &S::newTestShown, this, [this] { workScreen_->Readouts().ReleaseZeroHold(); });
    connect(s, &S::methodSelected, this, [this](int sampleType) {
        setupScreen_->ReloadMethodLists();
        setupScreen_->SetSampleType(sampleType);
    });
    connect(s, &S::zoneChoiceShown, this, [this](bool free, bool noneDown) {
        if (noneDown) setupScreen_->ShowZone(false, false);
        setupScreen_->EnableZoneChoice(free);
    });
    // The results and markers of the curve held, on the lists and both plots
    // at once; the test's time is left as it is.
    connect(s, &S::resultsShown, this, [this] {
        setupScreen_->ReloadLists();
        for (CGrafic* plot : {workScreen_->Plot(), static_cast<CGrafic*>(setupScreen_->Plot())})
            plot->DrawGrid();
    });
    connect(s, &S::resultsComputed, this, [this] {
        // The calculation wrote its results into the method's lists.
        setupScreen_->ReloadLists();
        setupScreen_->Plot()->DrawGrid();
    });
    connect(s, &S::cyclesShown, this,
            [this](bool counting) { workScreen_->Readouts().ShowCycles(counting); });
}

void TFBase::ShowMode(int mode, int redrawLater) {
    switch (mode) {
        case 80:
            ShowScreen(4);
            modeBar_->SetModeButtons(-1, true, false, true);
            return;
        case 241:
            modeBar_->SetModeButtons(0, true, false, true);
            setupScreen_->ShowChoice(true);
            workScreen_->ShowSetUpControls();
            ShowScreen(0);
            setupScreen_->ColourLists(true);
            return;
        case 242:
            modeBar_->SetModeButtons(1, false, true, false);
            workScreen_->ShowZeroPanel();
            tensionPanel_->hide();
            compressionPanel_->hide();
            setupScreen_->ShowChoice(false);
            workScreen_->HideMenuForTest();
            ShowScreen(0);
            return;
        case 243:
            break;
        default:
            return;
    }
    modeBar_->SetModeButtons(2, false, false, true);
    setupScreen_->ShowChoice(false);
    ShowScreen(1);
    // The method's axes first: each plot draws once, with them.
    setupScreen_->ShowMethodAxes();
    using S = station::StationController;
    // Plots the next step redraws anyway get autoscale only, so a long curve
    // is drawn once; the others draw now.
    const std::pair<CGrafic*, bool> plots[] = {
        {workScreen_->Plot(), redrawLater == S::kRedrawBothPlots},
        {setupScreen_->Plot(), redrawLater != S::kRedrawNone}};
    for (const auto& [plot, later] : plots) {
        // Autoscale on; SetMode draws it.
        if (later)
            plot->autoscale = true;
        else
            plot->SetMode(3);
    }
    setupScreen_->ColourLists(false);
    zoomPanel_->CloseIfOpen();
    setupScreen_->ReloadMethodLists();
}

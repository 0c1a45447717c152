// What the station's dispatcher shows: each signal of the controller meets
// the screens and panels here, at the point of the block where it is sent.

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTimer>

#include "console/busy_scope.h"
#include "console/compression_panel.h"
#include "console/look.h"
#include "console/mode_bar.h"
#include "console/open_panel.h"
#include "console/paramlist.h"
#include "console/preview_screen.h"
#include "console/result_plot.h"
#include "console/save_panel.h"
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
#include "protocols/creport.h"
#include "station/station_files.h"

using console::SetButtonDown;
using console::SetButtonEnabled;

void TFBase::Wire() {
    using S = station::StationController;
    S* s = station_.get();
    connect(s, &S::commandDispatched, this, &TFBase::commandDispatched);
    connect(s, &S::engineCommand, this, &TFBase::engineCommand);
    connect(s, &S::programEnded, this, [this] {
        emit programEnded();
        close();
    });
    connect(s, &S::shuttingDown, this, &TFBase::ShutDownWindowSide);
    // start-up, in its order
    connect(s, &S::workCreated, this, &TFBase::ShowNewWork);
    connect(s, &S::startedUp, this, &TFBase::ShowStartedUp);
    connect(s, &S::channelsChanged, this, [this](int refreshMs) {
        ApplyChannels();
        Timer1->setInterval(refreshMs);
    });
    connect(s, &S::stationPrepared, this, &TFBase::PrepareStation);
    connect(s, &S::channelsInUseChanged, this, &TFBase::ShowChannelsInUse);
    connect(s, &S::zonesAvailable, this,
            [this](bool available) { setupScreen_->EnableZoneButtons(available); });
    connect(s, &S::protocolNumberShown, this,
            [this](const QString& caption) { modeBar_->ShowCaption(caption.toStdString()); });
    // the blocks
    connect(s, &S::modeShown, this, &TFBase::ShowMode);
    connect(s, &S::controlBarShown, this,
            [this](bool shown) { workScreen_->ShowControlBar(shown); });
    connect(s, &S::runShown, this, &TFBase::ShowRun);
    connect(s, &S::channelShown, this,
            [this](int channel) { workScreen_->ControlBar().ShowChannel(channel); });
    connect(s, &S::directionShown, this,
            [this](bool down) { workScreen_->ControlBar().ShowDirectionDown(down); });
    connect(s, &S::crossheadShown, this, &TFBase::ShowCrosshead);
    connect(s, &S::zeroingShown, this, &TFBase::ShowZeroing);
    connect(s, &S::zoneShown, this, &TFBase::ShowZone);
    connect(s, &S::pumpShown, this, &TFBase::ShowPump);
    connect(s, &S::gripsShown, this, &TFBase::ShowGrips);
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
    connect(s, &S::zoneChoiceShown, this, &TFBase::ShowZoneChoice);
    connect(s, &S::manualPanelsHidden, this, [this] {
        tensionPanel_->hide();
        compressionPanel_->hide();
    });
    connect(s, &S::resultsShown, this, &TFBase::ShowResultLists);
    connect(s, &S::resultsComputed, this, [this] {
        // The calculation wrote its results into the method's lists.
        setupScreen_->ReloadLists();
        setupScreen_->Plot()->DrawGrid();
    });
    connect(s, &S::saveRequested, this, &TFBase::OfferSave);
    connect(s, &S::openRequested, this, &TFBase::OfferOpen);
    connect(s, &S::printRequested, this, &TFBase::MakeProtocol);
    // the message panel
    connect(s, &S::messageRequested, this, &TFBase::ShowMessage);
    connect(s, &S::messageClosed, this, &TFBase::HideMessage);
    connect(s, &S::busyChanged, this, &TFBase::ShowBusyCursor);
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
    SetResultAxisButtons();
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
    CloseZoomPanel();
    setupScreen_->ReloadMethodLists();
}

void TFBase::ShowRun(int code) {
    console::WorkControlBar& bar = workScreen_->ControlBar();
    if (code == 1) bar.ShowStarted();
    if (code == 2) bar.ShowStopped();
    if (code == 38) bar.ShowPaused();
}

void TFBase::ShowCrosshead(int code) {
    tensionPanel_->ShowCrosshead(code);
    compressionPanel_->ShowCrosshead(code);
}

void TFBase::ShowZeroing(int code) {
    const bool on = code <= 24;
    workScreen_->Readouts().ShowZeroing(on ? code - 21 : code - 24, on);
}

void TFBase::ShowZone(int zone) {
    const bool tension = zone == 0;
    setupScreen_->ShowZone(tension, !tension);
    tensionPanel_->hide();
    compressionPanel_->hide();
    workScreen_->Readouts().ShowZoneLimits(tension);
}

// The station makes the method's folder once the panel is up.
void TFBase::OfferSave() {
    station::TestFiles& files = station_->Files();
    files.SetMethodName(setupScreen_->MethodName().value_or(std::string()));
    savePanel_->SetName(files.DefaultName());
    CentrePanel(savePanel_);
    OpenPanel(savePanel_);
}

void TFBase::OfferOpen() {
    CentrePanel(openPanel_);
    OpenPanel(openPanel_);
    const station::TestFiles& files = station_->Files();
    openPanel_->ShowPlaces(ProgramDir(), files.SaveTestFolder(),
                           files.MethodFolder(setupScreen_->MethodName().value_or("")));
}

void TFBase::MakeProtocol() {
    console::BusyScope busy(*this, "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...");
    ShowScreen(3);
    Report()->SetRowCount(Work()->Methods().CountShown());
    Report()->ClearOtchet();
    Report()->MakeOtchet();
    previewScreen_->ReadyViewer();
    previewScreen_->ToLastSheet();
    CloseMes();
}

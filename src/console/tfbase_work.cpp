// The work screen's side of the window: its requests wired to the
// dispatcher and the logic they call, and the display refresh (Timer1) with
// what the channels' settings give the screens.

#include <QStackedWidget>

#include "console/look.h"
#include "console/result_plot.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_menu.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "engine/eventsink.h"
#include "station/station_manual.h"
#include "station/station_program.h"

void TFBase::WireWorkScreen() {
    console::WorkScreen* screen = workScreen_;
    console::WorkControlBar* bar = &screen->ControlBar();
    console::WorkReadouts* readouts = &screen->Readouts();
    console::WorkMenu* menu = &screen->Menu();
    connect(screen, &console::WorkScreen::command, this, &TFBase::Command);
    connect(screen, &console::WorkScreen::recordingToggled, this, [this](bool on) {
        if (Work()) Work()->recordInIdle = on;
    });
    // Handled after the redraw that found it, as the stop button's code.
    connect(screen, &console::WorkScreen::bendStopDue, this, [this] { station_->Post(2); });
    connect(bar, &console::WorkControlBar::command, this, &TFBase::Command);
    connect(bar, &console::WorkControlBar::startRequested, this, &TFBase::ButStartClick);
    connect(bar, &console::WorkControlBar::stopRequested, this, &TFBase::ButStopClick);
    connect(menu, &console::WorkMenu::command, this, &TFBase::Command);
    connect(menu, &console::WorkMenu::closeRequested, this, &TFBase::FormCloseClick);
    connect(menu, &console::WorkMenu::powerOffRequested, this, &TFBase::MegaButton44Click);
    connect(readouts, &console::WorkReadouts::command, this, &TFBase::Command);
    connect(readouts, &console::WorkReadouts::zeroHoldToggled, this, [this](bool on) {
        // The unit's preset zero-hold program, or its stop.
        if (Work()) Work()->DeviceCmd(0, on ? 30 : 22);
    });
}

void TFBase::ButStartClick() {
    // A loaded test program runs the test; without one the button starts it.
    if (station_->Program().ProgStart() == 1) Command(1);
}

void TFBase::ButStopClick() {
    station_->Program().ProgStop();
    Command(2);
}

void TFBase::Timer1Timer() {
    if (!Work()) return;
    C_Work& w = *Work();
    const C_Parametr* m = w.Methods().Current();
    if (BaseTab->currentIndex() == 0) workScreen_->RefreshReadouts();
    // The sample path computes the stress from this area; on every page.
    w.SetArea(m != nullptr && m->IndexOf("fS0") >= 0 ? m->GetFloat("fS0") : 0.0);
    if (BaseTab->currentIndex() == 0) workScreen_->RefreshPlot();
    workScreen_->ShowCyclesDone();
    station_->Manual().ShowRates();
    // The engine's event sink never changes: nothing is refreshed for it.
    UpdateTenzControls();
}

void TFBase::ApplyChannels() {
    if (!Work()) return;
    workScreen_->ApplyChannels();
    const std::string& f = Work()->Channel(1).name;
    const std::string& l = Work()->Channel(2).name;
    const std::string& e = Work()->Channel(3).name;
    setupScreen_->Plot()->NameChannels(f, l, e);
}

void TFBase::UpdateTenzControls() {
    const bool on = setupScreen_->ExtensometerOn();
    workScreen_->ShowExtensometer(on);
    setupScreen_->Plot()->EnableExtensometer(on);
}

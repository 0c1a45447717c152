// The work screen's side of the window: its requests wired to the
// dispatcher and the station, and the display refresh (Timer1) with what the
// channels' settings give the screens.

#include <QStackedWidget>

#include "console/result_plot.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "console/work_control_bar.h"
#include "console/work_menu.h"
#include "console/work_readouts.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "engine/cwork.h"
#include "station/station_manual.h"

void TFBase::WireWorkScreen() {
    console::WorkScreen* screen = workScreen_;
    console::WorkControlBar* bar = &screen->ControlBar();
    console::WorkReadouts* readouts = &screen->Readouts();
    console::WorkMenu* menu = &screen->Menu();
    screen->BindEntry(station_->Entry());
    connect(screen, &console::WorkScreen::command, this, &TFBase::Command);
    // Handled after the redraw that found it, as the stop button's code.
    connect(screen, &console::WorkScreen::bendStopDue, this, [this] { station_->Post(2); });
    connect(bar, &console::WorkControlBar::command, this, &TFBase::Command);
    connect(menu, &console::WorkMenu::command, this, &TFBase::Command);
    connect(menu, &console::WorkMenu::closeRequested, this, &TFBase::FormCloseClick);
    connect(menu, &console::WorkMenu::powerOffRequested, this, &TFBase::MegaButton44Click);
    connect(readouts, &console::WorkReadouts::command, this, &TFBase::Command);
}

void TFBase::Timer1Timer() {
    if (!Work()) return;
    if (BaseTab->currentIndex() == 0) workScreen_->RefreshReadouts();
    // The sample path computes the stress from the method's area; on every page.
    station_->RefreshTick();
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

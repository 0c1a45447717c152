// The set-up and result screen where the window makes it, wired to the
// dispatcher and to what the station shows of the operator's choice.

#include <QFrame>

#include "console/compression_panel.h"
#include "console/look.h"
#include "console/result_plot.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"
#include "console/work_screen.h"
#include "controls/cgrafic.h"
#include "engine/cwork.h"

namespace {

bool Has(const C_Parametr* m, const char* name) {
    return m != nullptr && m->IndexOf(name) >= 0;
}

}  // namespace

QWidget* TFBase::BuildSetupScreen() {
    using console::SetupScreen;
    using S = station::StationController;
    setupScreen_ = new SetupScreen(*station_);
    connect(setupScreen_, &SetupScreen::command, this, &TFBase::Command);
    connect(setupScreen_, &SetupScreen::closeRequested, this, &TFBase::FormCloseClick);
    connect(setupScreen_, &SetupScreen::extensometerToggled, this, &TFBase::UpdateTenzControls);
    connect(station_.get(), &S::methodReselected, this,
            [this](int sampleType) { setupScreen_->ShowMethodReselected(sampleType); });
    connect(station_.get(), &S::listsChanged, this, [this] { setupScreen_->ReloadLists(); });
    return setupScreen_;
}

// ----- zone and results

void TFBase::ShowZoneChoice(bool free, bool noneDown) {
    if (noneDown) setupScreen_->ShowZone(false, false);
    setupScreen_->EnableZoneChoice(free);
}

// The results and markers of the curve held, on the lists and both plots at
// once; the test's time is left as it is.
void TFBase::ShowResultLists() {
    setupScreen_->ReloadLists();
    for (CGrafic* plot : {workScreen_->Plot(), static_cast<CGrafic*>(setupScreen_->Plot())})
        plot->DrawGrid();
}

void TFBase::SetResultAxisButtons() {
    const C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
    setupScreen_->Plot()->ShowAxes(Has(m, "fOX") ? m->GetInt("fOX") : -1,
                                   Has(m, "fOY") ? m->GetInt("fOY") : -1);
}

// The set-up and result screen where the window makes it, wired to the
// dispatcher and to what the station shows of the operator's choice.

#include "console/setup_screen.h"
#include "console/tfbase.h"

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

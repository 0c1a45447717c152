// What the operator's choice on the set-up and result screen does: the
// method, the sample type, the extensometer, a list edit, the manual point
// and the recalculation.

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
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"

namespace {

bool Has(const C_Parametr* m, const char* name) {
    return m != nullptr && m->IndexOf(name) >= 0;
}

}  // namespace

// The screen where the window makes it, wired to the dispatcher and to what
// each choice does.
QWidget* TFBase::BuildSetupScreen() {
    using console::SetupScreen;
    setupScreen_ = new SetupScreen(
        {station_->Lists().methods, station_->Lists().sampleTypes, station_->Lists().params});
    connect(setupScreen_, &SetupScreen::command, this, &TFBase::Command);
    connect(setupScreen_, &SetupScreen::closeRequested, this, &TFBase::FormCloseClick);
    connect(setupScreen_, &SetupScreen::listEdited, this, &TFBase::CommitListEdit);
    connect(setupScreen_, &SetupScreen::methodChosen, this, &TFBase::MirandexClick);
    connect(setupScreen_, &SetupScreen::sampleTypeChosen, this, &TFBase::ObrazecListClick);
    connect(setupScreen_, &SetupScreen::extensometerToggled, this, &TFBase::TENZ_ONClick);
    connect(setupScreen_, &SetupScreen::manualPointMoved, this, &TFBase::TrackBar5Change);
    connect(setupScreen_, &SetupScreen::recalculateRequested, this, &TFBase::RASCHETClick);
    connect(setupScreen_->Plot(), &console::ResultPlot::axisXChosen, this, &TFBase::ResultAxisX);
    connect(setupScreen_->Plot(), &console::ResultPlot::axisYChosen, this, &TFBase::ResultAxisY);
    return setupScreen_;
}

void TFBase::CommitListEdit(int group, int row, const std::string& text) {
    if (!Work()) return;
    const TextResult typed = Work()->Methods().SetInGroup(row, group, text);
    // The list shows the value as stored (clamped), or as it was when refused.
    Work()->Methods().RefreshList(group);
    setupScreen_->ReloadLists();
    if (group == 1) FillPoverkaTable(0);
    if (!typed) ShowMes(typed.error, 1, 0);
}

// ----- method, sample type, extensometer

void TFBase::MirandexClick() {
    if (!Work() || AskBeforeLeavingPoverka()) return;
    station_->ChooseMethod(setupScreen_->MethodRow(), setupScreen_->SampleType(),
                           setupScreen_->ExtensometerOn());
}

void TFBase::ObrazecListClick() {
    if (!Work()) return;
    const int index = setupScreen_->SampleType();
    Work()->SelectMethod(setupScreen_->MethodRow(), index, setupScreen_->ExtensometerOn() ? 1 : 0);
    setupScreen_->ReloadMethodLists();
    if (setupScreen_->SampleType() < 0) setupScreen_->SetSampleType(index);
    C_Parametr* m = Work()->Methods().Current();
    if (Has(m, "fPos")) m->SetFloat("fPos", static_cast<float>(index));
    if (Has(m, "fSpd")) Work()->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    PoverkaSampleChosen();
}

void TFBase::TENZ_ONClick() {
    if (!Work()) return;
    const int index = setupScreen_->SampleType();
    Work()->SelectMethod(setupScreen_->MethodRow(), index, setupScreen_->ExtensometerOn() ? 1 : 0);
    setupScreen_->ReloadMethodLists();
    if (setupScreen_->SampleType() < 0) setupScreen_->SetSampleType(index);
    UpdateTenzControls();
}

void TFBase::ShowZoneChoice(bool free, bool noneDown) {
    if (noneDown) setupScreen_->ShowZone(false, false);
    setupScreen_->EnableZoneChoice(free);
}

// ----- results

void TFBase::TrackBar5Change(int row, int position) {
    if (!Work() || Work()->Methods().Current() == nullptr) return;
    Work()->Methods().Current()->SetManualPoint(row, 3, static_cast<float>(position));
    Work()->Methods().RefreshList(3);
    setupScreen_->ReloadList(3);
    setupScreen_->Plot()->DrawGrid();
}

void TFBase::RASCHETClick() {
    if (!Work() || Work()->Methods().Current() == nullptr) return;
    Work()->Methods().Current()->SetElasticBoundPercent(0);
    Command(48);
    Work()->Methods().RefreshList(2);
    setupScreen_->ReloadLists();
}

// The results and markers of the curve held, on the lists and both plots at
// once; the test's time is left as it is.
void TFBase::ShowResultLists() {
    setupScreen_->ReloadLists();
    for (CGrafic* plot : {workScreen_->Plot(), static_cast<CGrafic*>(setupScreen_->Plot())})
        plot->DrawGrid();
}

void TFBase::ResultAxisY(int channel) {
    if (Work() != nullptr && Has(Work()->Methods().Current(), "fOY"))
        Work()->Methods().Current()->SetInt("fOY", channel);
    RASCHETClick();
}

void TFBase::ResultAxisX(int channel) {
    if (Work() != nullptr && Has(Work()->Methods().Current(), "fOX"))
        Work()->Methods().Current()->SetInt("fOX", channel);
    RASCHETClick();
}

void TFBase::SetResultAxisButtons() {
    const C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
    setupScreen_->Plot()->ShowAxes(Has(m, "fOX") ? m->GetInt("fOX") : -1,
                                   Has(m, "fOY") ? m->GetInt("fOY") : -1);
}

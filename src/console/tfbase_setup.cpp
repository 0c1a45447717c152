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
    setupScreen_ = new SetupScreen({methodLines_, sampleTypeLines_, paramLines_});
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
    if (!work_) return;
    const TextResult typed = work_->Methods().SetInGroup(row, group, text);
    // The list shows the value as stored (clamped), or as it was when refused.
    work_->Methods().RefreshList(group);
    setupScreen_->ReloadLists();
    if (group == 1) FillPoverkaTable(0);
    if (!typed) ShowMes(typed.error, 1, 0);
}

// ----- method, sample type, extensometer

void TFBase::MirandexClick() {
    if (!work_ || AskBeforeLeavingPoverka()) return;
    C_Parametr* m = work_->Methods().Current();
    const C_Parametr* before = m;
    if (Has(m, "sTE")) {
        auto* unit = dynamic_cast<DEVICE_QUELM*>(work_->Unit());
        const float t = unit != nullptr ? unit->GetAmbientTemperature() : 0.0f;
        m->SetFromText(m->IndexOf("sTE"), platform::FormatFloat("0.0", t));
    }
    if (Has(m, "sTI")) m->SetFromText(m->IndexOf("sTI"), "00:00:00");
    work_->SelectMethod(setupScreen_->MethodRow(), setupScreen_->SampleType(),
                        setupScreen_->ExtensometerOn() ? 1 : 0);
    m = work_->Methods().Current();
    setupScreen_->ReloadMethodLists();
    setupScreen_->SetSampleType(Has(m, "fPos") ? static_cast<int>(m->GetFloat("fPos")) : 0);
    if (Has(m, "fSpd")) {
        Command(4);
        work_->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    }
    if (Has(m, "fSpdL")) {
        Command(5);
        work_->SetSpeed(static_cast<float>(m->GetFloat("fSpdL")));
    }
    if (Has(m, "iCH")) {
        if (m->GetInt("iCH") == 2) Command(5);
        if (m->GetInt("iCH") == 1) Command(4);
    }
    PoverkaMethodChosen(m == before);
    SyncModeButtons();
    // The lists and the plot markers are the chosen method's, of the curve held.
    ShowResults();
}

void TFBase::ObrazecListClick() {
    if (!work_) return;
    const int index = setupScreen_->SampleType();
    work_->SelectMethod(setupScreen_->MethodRow(), index, setupScreen_->ExtensometerOn() ? 1 : 0);
    setupScreen_->ReloadMethodLists();
    if (setupScreen_->SampleType() < 0) setupScreen_->SetSampleType(index);
    C_Parametr* m = work_->Methods().Current();
    if (Has(m, "fPos")) m->SetFloat("fPos", static_cast<float>(index));
    if (Has(m, "fSpd")) work_->SetSpeed(static_cast<float>(m->GetFloat("fSpd")));
    PoverkaSampleChosen();
}

void TFBase::TENZ_ONClick() {
    if (!work_) return;
    const int index = setupScreen_->SampleType();
    work_->SelectMethod(setupScreen_->MethodRow(), index, setupScreen_->ExtensometerOn() ? 1 : 0);
    setupScreen_->ReloadMethodLists();
    if (setupScreen_->SampleType() < 0) setupScreen_->SetSampleType(index);
    UpdateTenzControls();
}

void TFBase::SyncModeButtons() {
    const int vector = work_ ? work_->GetVector() : -1;
    switch (vector) {
        case -1:
            setupScreen_->ShowZone(false, false);
            setupScreen_->EnableZoneChoice(true);
            break;
        case 0:
            Command(68);
            setupScreen_->EnableZoneChoice(false);
            break;
        case 1:
            Command(67);
            setupScreen_->EnableZoneChoice(false);
            break;
        case 2:
            setupScreen_->ShowZone(false, false);
            setupScreen_->EnableZoneChoice(true);
            Command(68);
            break;
        default:
            break;
    }
    tensionPanel_->hide();
    compressionPanel_->hide();
}

// ----- results

void TFBase::TrackBar5Change(int row, int position) {
    if (!work_ || work_->Methods().Current() == nullptr) return;
    work_->Methods().Current()->SetManualPoint(row, 3, static_cast<float>(position));
    work_->Methods().RefreshList(3);
    setupScreen_->ReloadList(3);
    setupScreen_->Plot()->DrawGrid();
}

void TFBase::RASCHETClick() {
    if (!work_ || work_->Methods().Current() == nullptr) return;
    work_->Methods().Current()->SetElasticBoundPercent(0);
    Command(48);
    work_->Methods().RefreshList(2);
    setupScreen_->ReloadLists();
}

// The results and markers of the curve held, on the lists and both plots at
// once; the test's time is left as it is.
void TFBase::ShowResults() {
    if (!work_) return;
    work_->Methods().Calculate();
    work_->Methods().RefreshList(3);
    setupScreen_->ReloadLists();
    for (CGrafic* plot : {workScreen_->Plot(), static_cast<CGrafic*>(setupScreen_->Plot())})
        plot->DrawGrid();
}

void TFBase::ResultAxisY(int channel) {
    if (work_ != nullptr && Has(work_->Methods().Current(), "fOY"))
        work_->Methods().Current()->SetInt("fOY", channel);
    RASCHETClick();
}

void TFBase::ResultAxisX(int channel) {
    if (work_ != nullptr && Has(work_->Methods().Current(), "fOX"))
        work_->Methods().Current()->SetInt("fOX", channel);
    RASCHETClick();
}

void TFBase::SetResultAxisButtons() {
    const C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    setupScreen_->Plot()->ShowAxes(Has(m, "fOX") ? m->GetInt("fOX") : -1,
                                   Has(m, "fOY") ? m->GetInt("fOY") : -1);
}

// The display refresh (Timer1) and what the channels' settings give the
// screens: captions, readout bindings, the extensometer's controls.

#include <QLabel>
#include <QStackedWidget>

#include "console/geometry.h"
#include "console/look.h"
#include "console/result_plot.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "platform/formatfloat.h"

void TFBase::Timer1Timer() {
    if (!work_) return;
    C_Work& w = *work_;
    const C_Parametr* m = w.Methods().Current();
    if (BaseTab->currentIndex() == 0) {
        DatTime->SetValue(0, console::TestTimeText(w.GetTime()));
        for (TMegaDatchik* d : {Datch, Datch1, Datch2, DatchikUstav1, DatchikUstav2, DatchikUstav3,
                                MegaDatchik1, MegaDatchik2})
            d->UpdateData();
        const QString speed = QString::fromStdString(w.SpeedText());
        if (Ind_SPEED->text() != speed) Ind_SPEED->setText(speed);
        ShowWorkAutoscale();
    }
    // The sample path computes the stress from this area; on every page.
    w.SetArea(m != nullptr && m->IndexOf("fS0") >= 0 ? m->GetFloat("fS0") : 0.0);
    if (BaseTab->currentIndex() == 0) {
        if (m == nullptr || m->IndexOf("iVISUAL") < 0)
            WorkPlotter->AddDraw();
        else if (m->GetInt("iVISUAL") == 1)
            WorkPlotter->DrawGrid();
    }
    if (auto* unit = dynamic_cast<DEVICE_QUELM*>(w.Unit()))
        Datchik4->SetValue(0, static_cast<double>(static_cast<float>(unit->GetCyclesDone())));
    ShowManualRates();
    // The engine's event sink never changes: nothing is refreshed for it.
    UpdateTenzControls();
}

void TFBase::ShowWorkAutoscale() {
    const bool on = WorkPlotter->autoscale || WorkPlotter->autoscaleRequest;
    if (PLOT_3->Down != on) console::SetButtonDown(PLOT_3, on);
}

void TFBase::ApplyChannels() {
    if (!work_) return;
    const std::string& f = work_->Channel(1).name;
    const std::string& l = work_->Channel(2).name;
    const std::string& e = work_->Channel(3).name;
    const std::pair<TMegaButton*, const std::string*> captions[] = {
        {ZeroingF, &f}, {ZeroingL, &l}, {ZeroingE, &e}, {DIRECT_F, &f},
        {DIRECT_L, &l}, {DIRECT_E, &e}, {BUTYF, &f},    {BUTXL, &l},
        {BUTYL, &l},    {BUTXE, &e},    {BUTYE, &e}};
    for (const auto& [button, name] : captions) {
        button->Caption = *name;
        button->Draw();
    }
    setupScreen_->Plot()->NameChannels(f, l, e);
    struct Binding {
        TMegaDatchik* panel;
        int channel;
        unsigned colour;
        unsigned peakColour;
    };
    const Binding bindings[] = {
        {Datch, 1, console::kForceColour, console::kForceColour},
        {Datch1, 2, console::kDisplacementColour, console::kDisplacementColour},
        {Datch2, 3, console::kExtensometerColour, console::kExtensometerAltColour}};
    for (const Binding& b : bindings) {
        C_Kanal& k = work_->Channel(b.channel);
        b.panel->SetParametr(0, b.colour, "", "", k.unit, &k.value);
        b.panel->SetParametr(1, b.colour, "V", "", k.speedUnit, &k.rate);
        b.panel->SetParametr(2, b.peakColour, "", "max", k.unit, &k.peak);
    }
}

void TFBase::UpdateTenzControls() {
    const bool on = setupScreen_->ExtensometerOn();
    for (TMegaButton* b : {ZeroingE, DIRECT_E, BUTXE, BUTYE}) {
        if (b->Enabled != on) console::SetButtonEnabled(b, on);
    }
    setupScreen_->Plot()->EnableExtensometer(on);
    Datch2->setVisible(on);
    DatchikUstav3->setVisible(on);
}

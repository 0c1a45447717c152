#include "console/work_readouts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/manual_rules.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "engine/cwork.h"

namespace console {

WorkReadouts::WorkReadouts(QWidget* parent) : QFrame(parent) {
    StylePanel(this, "IndicPanel");
    setFixedWidth(390);
    auto* indic = new QVBoxLayout(this);
    indic->setContentsMargins(4, 4, 4, 4);
    PanelZero = MakePanel(this, "PanelZero");
    auto* zero = new QHBoxLayout(PanelZero);
    zero->setContentsMargins(0, 0, 0, 0);
    zero->addWidget(MakeLabel(PanelZero, "", "0:", 18));
    ZeroingF = MakeButton(PanelZero, "ZeroingF", "F", ButtonKind::Toggle, 56, 44);
    ZeroingL = MakeButton(PanelZero, "ZeroingL", "L", ButtonKind::Toggle, 56, 44);
    ZeroingE = MakeButton(PanelZero, "ZeroingE", "E", ButtonKind::Toggle, 56, 44);
    ZEROAUTO = MakeButton(PanelZero, "ZEROAUTO", "Поддержание нуля", ButtonKind::Toggle, 150, 44);
    ZEROAUTO->Font.SetSize(9);
    for (TMegaButton* b : {ZeroingF, ZeroingL, ZeroingE, ZEROAUTO})
        zero->addWidget(b);
    const std::pair<TMegaButton*, int> zeroing[] = {{ZeroingF, 22}, {ZeroingL, 23}, {ZeroingE, 24}};
    for (const auto& [b, on] : zeroing) {
        const int off = ZeroOffCode(on);
        b->OnClick = [this, on = on, off](TMegaButton* s) { emit command(s->Down ? on : off); };
        // A double click releases the zero whatever state it started from,
        // never toggles it back on.
        b->OnDoubleClick = [this, off](TMegaButton*) { emit command(off); };
    }
    ZEROAUTO->OnClick = [this](TMegaButton* b) { emit zeroHoldToggled(b->Down); };
    indic->addWidget(PanelZero);

    auto* modes = new QHBoxLayout;
    INDICMODE1 = MakeButton(this, "INDICMODE1", "Текущие данные", ButtonKind::Radio, 160, 40);
    INDICMODE2 = MakeButton(this, "INDICMODE2", "Уставка/Защита", ButtonKind::Radio, 160, 40);
    INDICMODE1->Down = true;
    INDICMODE1->OnClick = [this](TMegaButton*) { IndicMode(0); };
    INDICMODE2->OnClick = [this](TMegaButton*) { IndicMode(1); };
    modes->addWidget(INDICMODE1);
    modes->addWidget(INDICMODE2);
    indic->addLayout(modes);

    INDICATORS = new QStackedWidget(this);
    INDICATORS->setObjectName("INDICATORS");
    auto* current = new QWidget;
    current->setObjectName("INDICATORS_current");
    auto* currentColumn = new QVBoxLayout(current);
    currentColumn->setContentsMargins(0, 0, 0, 0);
    currentColumn->setSpacing(3);
    Datch = MakeReadout(current, "Datch", 3);
    Datch1 = MakeReadout(current, "Datch1", 3);
    Datch2 = MakeReadout(current, "Datch2", 3);
    DatTime = MakeReadout(current, "DatTime", 1);
    Datchik3 = MakeReadout(current, "Datchik3", 2);
    Datchik4 = MakeReadout(current, "Datchik4", 1);
    for (TMegaDatchik* d : {Datch, Datch1, Datch2, DatTime, Datchik3, Datchik4})
        currentColumn->addWidget(d);
    currentColumn->addStretch(1);
    Datchik3->hide();
    Datchik4->hide();
    auto* limits = new QWidget;
    limits->setObjectName("INDICATORS_limits");
    auto* limitsColumn = new QVBoxLayout(limits);
    limitsColumn->setContentsMargins(0, 0, 0, 0);
    limitsColumn->setSpacing(3);
    DatchikUstav1 = MakeReadout(limits, "DatchikUstav1", 3);
    DatchikUstav2 = MakeReadout(limits, "DatchikUstav2", 2);
    DatchikUstav3 = MakeReadout(limits, "DatchikUstav3", 2);
    MegaDatchik1 = MakeReadout(limits, "MegaDatchik1", 3);
    MegaDatchik2 = MakeReadout(limits, "MegaDatchik2", 2);
    for (TMegaDatchik* d :
         {DatchikUstav1, DatchikUstav2, DatchikUstav3, MegaDatchik1, MegaDatchik2})
        limitsColumn->addWidget(d);
    limitsColumn->addStretch(1);
    INDICATORS->addWidget(current);
    INDICATORS->addWidget(limits);
    indic->addWidget(INDICATORS, 1);

    using entry::Readout;
    const std::pair<TMegaDatchik*, Readout> clickable[] = {{DatchikUstav1, Readout::Ustav1},
                                                           {DatchikUstav2, Readout::Ustav2},
                                                           {DatchikUstav3, Readout::Ustav3},
                                                           {MegaDatchik1, Readout::Mega1},
                                                           {MegaDatchik2, Readout::Mega2}};
    for (const auto& [panel, which] : clickable) {
        panel->OnClickNom = [this, which = which](TMegaDatchik* sender, int row) {
            emit limitClicked(which, row, sender);
        };
    }
}

void WorkReadouts::IndicMode(int page) {
    for (TMegaButton* b : {INDICMODE1, INDICMODE2})
        SetButtonDown(b, b == (page == 0 ? INDICMODE1 : INDICMODE2));
    INDICATORS->setCurrentIndex(page);
}

void WorkReadouts::Bind(C_Work& w) {
    DatTime->SetParametr(0, kPlainColour, "Время", "", "", nullptr);
    struct Limits {
        TMegaDatchik* panel;
        int channel;
        unsigned colour;
        const char* setPoint;
        const char* protection;
        const char* unit;
    };
    const Limits limits[] = {
        {DatchikUstav1, 1, kForceColour, "Уставка", "Защита", "кН"},
        {DatchikUstav2, 2, kDisplacementColour, "Уставка", "Защита", "мм"},
        {DatchikUstav3, 3, kExtensometerAltColour, "Уст  E", "Защ E", "мм"},
    };
    for (const Limits& l : limits) {
        C_Kanal& k = w.Channel(l.channel);
        l.panel->SetParametr(0, l.colour, l.setPoint, "", l.unit, &k.setPoint);
        l.panel->SetParametr(1, l.colour, l.protection, "", l.unit, &k.protection);
    }
    DatchikUstav1->SetParametr(2, kForceColour, "% от Fмакс", "", "%", &w.Channel(1).breakPercent);
    Datchik3->SetParametr(0, kPlainColour, "A", "", "гр", &w.Channel(6).value);
    Datchik3->SetParametr(1, kPlainColour, "", "max", "гр", &w.Channel(6).peak);
    Datchik4->SetParametr(0, kPlainColour, "Циклы", "", "", nullptr);
    MegaDatchik1->SetParametr(0, kForceColour, "Уставка", "", "кН", &w.Channel(4).setPoint);
    MegaDatchik1->SetParametr(1, kForceColour, "Защита", "", "кН", &w.Channel(4).auxProtection);
    MegaDatchik1->SetParametr(2, kForceColour, "% от Fмакс", "", "%", &w.Channel(1).breakPercent);
    MegaDatchik2->SetParametr(0, kDisplacementColour, "Уставка", "", "мм", &w.Channel(5).setPoint);
    MegaDatchik2->SetParametr(1, kDisplacementColour, "Защита", "", "мм",
                              &w.Channel(5).auxProtection);
}

void WorkReadouts::BindChannels(C_Work& work) {
    struct Binding {
        TMegaDatchik* panel;
        int channel;
        unsigned colour;
        unsigned peakColour;
    };
    const Binding bindings[] = {{Datch, 1, kForceColour, kForceColour},
                                {Datch1, 2, kDisplacementColour, kDisplacementColour},
                                {Datch2, 3, kExtensometerColour, kExtensometerAltColour}};
    for (const Binding& b : bindings) {
        C_Kanal& k = work.Channel(b.channel);
        b.panel->SetParametr(0, b.colour, "", "", k.unit, &k.value);
        b.panel->SetParametr(1, b.colour, "V", "", k.speedUnit, &k.rate);
        b.panel->SetParametr(2, b.peakColour, "", "max", k.unit, &k.peak);
    }
}

void WorkReadouts::Refresh(const std::string& time) {
    DatTime->SetValue(0, time);
    for (TMegaDatchik* d : {Datch, Datch1, Datch2, DatchikUstav1, DatchikUstav2, DatchikUstav3,
                            MegaDatchik1, MegaDatchik2})
        d->UpdateData();
}

void WorkReadouts::ShowZeroPanel() {
    PanelZero->show();
}

void WorkReadouts::ShowZeroing(int channel, bool on) {
    TMegaButton* pick[] = {ZeroingF, ZeroingL, ZeroingE};
    SetButtonDown(pick[channel - 1], on);
}

void WorkReadouts::ReleaseZeroHold() {
    SetButtonDown(ZEROAUTO, false);
}

void WorkReadouts::SetChannelNames(const std::string& f, const std::string& l,
                                   const std::string& e) {
    const std::pair<TMegaButton*, const std::string*> captions[] = {
        {ZeroingF, &f}, {ZeroingL, &l}, {ZeroingE, &e}};
    for (const auto& [button, name] : captions) {
        button->Caption = *name;
        button->Draw();
    }
}

void WorkReadouts::ShowChannelInUse(int channel, bool used, bool compression) {
    TMegaButton* zeroing[] = {ZeroingF, ZeroingL, ZeroingE};
    TMegaDatchik* value[] = {Datch, Datch1, Datch2};
    TMegaDatchik* limits[] = {DatchikUstav1, DatchikUstav2, DatchikUstav3};
    const size_t i = static_cast<size_t>(channel - 1);
    SetButtonEnabled(zeroing[i], used);
    value[i]->setVisible(used);
    limits[i]->setVisible(used && (channel == 3 || !compression));
}

void WorkReadouts::ShowLengthZeroing(bool shown) {
    ZeroingL->setVisible(shown);
    ZeroingE->setVisible(shown);
}

void WorkReadouts::ShowExtensometer(bool on) {
    if (ZeroingE->Enabled != on) SetButtonEnabled(ZeroingE, on);
    Datch2->setVisible(on);
    DatchikUstav3->setVisible(on);
}

void WorkReadouts::ShowZoneLimits(bool tension) {
    DatchikUstav1->setVisible(tension);
    DatchikUstav2->setVisible(tension);
    MegaDatchik1->setVisible(!tension);
    MegaDatchik2->setVisible(!tension);
}

void WorkReadouts::ShowCycles(bool shown) {
    Datchik4->setVisible(shown);
}

void WorkReadouts::ShowCyclesDone(double done) {
    Datchik4->SetValue(0, done);
}

void WorkReadouts::ShowBendAngle(double angle, double peak) {
    Datchik3->SetValue(0, angle);
    Datchik3->SetValue(1, peak);
}

void WorkReadouts::ShowBendReadout(bool visible) {
    if (Datchik3->isHidden() != visible) return;
    // After this redraw: showing or hiding a readout lays the screen out
    // again, which resizes the plot under its own redraw.
    QMetaObject::invokeMethod(
        Datchik3, [d = Datchik3, visible] { d->setVisible(visible); }, Qt::QueuedConnection);
}

}  // namespace console

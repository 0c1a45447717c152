#include "console/result_plot.h"

#include <QBoxLayout>
#include <QLabel>

#include <initializer_list>
#include <utility>

#include "console/look.h"
#include "controls/megabutton.h"
#include "controls/symbolfont.h"

namespace console {
namespace {

constexpr const char* kXNames[] = {"T, c", "", "L, мм", "E, мм", "", "', %"};
constexpr const char* kYNames[] = {"", "F, кН", "L, мм", "E, мм", "P, МПа"};

void OnlyDown(std::initializer_list<TMegaButton*> group, TMegaButton* down) {
    for (TMegaButton* b : group)
        SetButtonDown(b, b == down);
}

}  // namespace

// The plot joins the screen after its buttons: the screen's children keep
// the order they paint, take the focus and are fitted in.
ResultPlot::ResultPlot(QWidget* screen, QVBoxLayout* column) : CGrafic(nullptr) {
    auto* plotBar = new QHBoxLayout;
    PLOT2_1 = MakeSmallButton(screen, "PLOT2_1", "<->", ButtonKind::Radio);
    PLOT2_2 = MakeSmallButton(screen, "PLOT2_2", "[+]", ButtonKind::Radio);
    PLOT2_3 = MakeSmallButton(screen, "PLOT2_3", "A");
    PLOT2_4 = MakeSmallButton(screen, "PLOT2_4", "П", ButtonKind::Radio);
    PLOT2_5 = MakeSmallButton(screen, "PLOT2_5", "-П");
    PLOT2_FULL = MakeSmallButton(screen, "PLOT2_FULL", "<>", ButtonKind::Toggle);
    const std::pair<TMegaButton*, const char*> hints[] = {{PLOT2_1, "Перемещение графика"},
                                                          {PLOT2_2, "Масштаб"},
                                                          {PLOT2_3, "Автомасштаб"},
                                                          {PLOT2_4, "Область для печати"},
                                                          {PLOT2_5, "Сброс всех облостей печати"}};
    for (const auto& [b, hint] : hints)
        b->setToolTip(QString::fromUtf8(hint));
    BUTXT2 = MakeSmallButton(screen, "BUTXT2", "T", ButtonKind::Radio);
    BUTXL2 = MakeSmallButton(screen, "BUTXL2", "L", ButtonKind::Radio);
    BUTXE2 = MakeSmallButton(screen, "BUTXE2", "E", ButtonKind::Radio);
    BUT_XS2 = MakeSmallButton(screen, "BUT_XS2", "}", ButtonKind::Radio);
    BUTYF2 = MakeSmallButton(screen, "BUTYF2", "F", ButtonKind::Radio);
    BUTYL2 = MakeSmallButton(screen, "BUTYL2", "L", ButtonKind::Radio);
    BUTYE2 = MakeSmallButton(screen, "BUTYE2", "E", ButtonKind::Radio);
    BUTYP2 = MakeSmallButton(screen, "BUTYP2", "P", ButtonKind::Radio);
    MegaButton34 = MakeSmallButton(screen, "MegaButton34", "Fm");
    MegaButton51 = MakeSmallButton(screen, "MegaButton51", "Lm");
    PLOT2_1->Down = true;
    BUTXL2->Down = true;
    BUTYF2->Down = true;
    for (TMegaButton* b : {PLOT2_1, PLOT2_2, PLOT2_3, PLOT2_4, PLOT2_5, PLOT2_FULL})
        plotBar->addWidget(b);
    plotBar->addStretch(1);
    // The axis choice is a row of its own, so both fit the narrowest window.
    column->addLayout(plotBar);
    plotBar = new QHBoxLayout;
    plotBar->addWidget(MakeLabel(screen, "", "X:", 16));
    for (TMegaButton* b : {BUTXT2, BUTXL2, BUTXE2, BUT_XS2})
        plotBar->addWidget(b);
    plotBar->addSpacing(12);
    plotBar->addWidget(MakeLabel(screen, "", "Y:", 16));
    for (TMegaButton* b : {BUTYF2, BUTYL2, BUTYE2, BUTYP2, MegaButton34, MegaButton51})
        plotBar->addWidget(b);
    plotBar->addStretch(1);
    for (TMegaButton* b : {BUTYP2, BUT_XS2, MegaButton34, MegaButton51})
        b->hide();
    column->addLayout(plotBar);
    setParent(screen);
    setObjectName("CGraficRes");
    // Marker labels and axis names carry symbol-font captions ("F`в").
    Font.name = std::string(draw::kSymbolFontName);
    setMinimumSize(300, 200);
    column->addWidget(this, 1);

    auto plotMode = [this](TMegaButton* b, int mode) {
        b->OnClick = [this, mode](TMegaButton* self) {
            SetMode(mode);
            if (mode == 0 || mode == 1 || mode == 4) OnlyDown({PLOT2_1, PLOT2_2, PLOT2_4}, self);
        };
    };
    plotMode(PLOT2_1, 0);
    plotMode(PLOT2_2, 1);
    plotMode(PLOT2_3, 3);
    plotMode(PLOT2_4, 4);
    plotMode(PLOT2_5, 5);
    PLOT2_FULL->OnClick = [this](TMegaButton*) { emit fullViewToggled(); };
    BUTXT2->OnClick = [this](TMegaButton*) { ChooseX(0); };
    BUTXL2->OnClick = [this](TMegaButton*) { ChooseX(2); };
    BUTXE2->OnClick = [this](TMegaButton*) { ChooseX(3); };
    BUT_XS2->OnClick = [this](TMegaButton*) { ChooseX(5); };
    BUTYF2->OnClick = [this](TMegaButton*) { ChooseY(1); };
    BUTYL2->OnClick = [this](TMegaButton*) { ChooseY(2); };
    BUTYE2->OnClick = [this](TMegaButton*) { ChooseY(3); };
    BUTYP2->OnClick = [this](TMegaButton*) { ChooseY(4); };
    MegaButton34->OnClick = [this](TMegaButton*) { SetChanY("E, мм", 4); };
    MegaButton51->OnClick = [this](TMegaButton*) { SetChanY("E, мм", 5); };
}

void ResultPlot::ChooseX(int channel) {
    // E is never on both axes.
    if (channel == 3 && BUTYE2->Down) channel = 0;
    TMegaButton* down = channel == 0   ? BUTXT2
                        : channel == 2 ? BUTXL2
                        : channel == 3 ? BUTXE2
                                       : BUT_XS2;
    OnlyDown({BUTXT2, BUTXL2, BUTXE2, BUT_XS2}, down);
    SetChanX(kXNames[channel], channel);
    emit axisXChosen(channel);
}

void ResultPlot::ChooseY(int channel) {
    if (channel == 3 && BUTXE2->Down) channel = 1;
    TMegaButton* down = channel == 1   ? BUTYF2
                        : channel == 2 ? BUTYL2
                        : channel == 3 ? BUTYE2
                                       : BUTYP2;
    OnlyDown({BUTYF2, BUTYL2, BUTYE2, BUTYP2}, down);
    SetChanY(kYNames[channel], channel);
    emit axisYChosen(channel);
}

void ResultPlot::ShowAxes(int x, int y) {
    if (x == 0 || (x >= 2 && x <= 3) || x == 5) {
        OnlyDown({BUTXT2, BUTXL2, BUTXE2, BUT_XS2}, x == 0   ? BUTXT2
                                                    : x == 2 ? BUTXL2
                                                    : x == 3 ? BUTXE2
                                                             : BUT_XS2);
        // Result mode redraws the plot after this.
        chanX = x;
        nameX = kXNames[x];
    }
    if (y >= 1 && y <= 4) {
        OnlyDown({BUTYF2, BUTYL2, BUTYE2, BUTYP2}, y == 1   ? BUTYF2
                                                   : y == 2 ? BUTYL2
                                                   : y == 3 ? BUTYE2
                                                            : BUTYP2);
        chanY = y;
        nameY = kYNames[y];
    }
}

void ResultPlot::NameChannels(const std::string& force, const std::string& displacement,
                              const std::string& extensometer) {
    const std::pair<TMegaButton*, const std::string*> captions[] = {{BUTYF2, &force},
                                                                    {BUTXL2, &displacement},
                                                                    {BUTYL2, &displacement},
                                                                    {BUTXE2, &extensometer},
                                                                    {BUTYE2, &extensometer}};
    for (const auto& [button, name] : captions) {
        button->Caption = *name;
        button->Draw();
    }
}

void ResultPlot::EnableChannel(int channel, bool used) {
    switch (channel) {
        case 1:
            SetButtonEnabled(BUTYF2, used);
            break;
        case 2:
            for (TMegaButton* b : {BUTXL2, BUTYL2})
                SetButtonEnabled(b, used);
            break;
        case 3:
            for (TMegaButton* b : {BUTXE2, BUTYE2})
                SetButtonEnabled(b, used);
            break;
        default:
            break;
    }
}

void ResultPlot::EnableExtensometer(bool on) {
    for (TMegaButton* b : {BUTXE2, BUTYE2}) {
        if (b->Enabled != on) SetButtonEnabled(b, on);
    }
}

}  // namespace console

// The work screen (page 0 of BaseTab): the live plot with its bars, the
// readouts, the control bar and the main menu.

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/panel_manual.h"
#include "console/tfbase.h"
#include "console/verification_panel.h"
#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "controls/symbolfont.h"
#include "engine/cwork.h"

using console::ButtonKind;
using console::MakeButton;
using console::MakeSmallButton;

namespace {

// Sends a code on a click; the button's own state is the dispatcher's business.
void Sends(TMegaButton* b, TFBase* window, int code) {
    b->OnClick = [window, code](TMegaButton*) { window->Command(code); };
}

// A toggle that sends one code when it goes down and another when it comes up.
void Toggles(TMegaButton* b, TFBase* window, int down, int up) {
    b->OnClick = [window, down, up](TMegaButton* s) { window->Command(s->Down ? down : up); };
}

// Axis captions on the light plot sheet.
QLabel* AxisLabel(QWidget* parent, const char* text) {
    QLabel* l = console::MakeLabel(parent, "", text, 16);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    return l;
}

void OnlyDown(std::initializer_list<TMegaButton*> group, TMegaButton* down) {
    for (TMegaButton* b : group)
        console::SetButtonDown(b, b == down);
}

}  // namespace

QWidget* TFBase::BuildWorkScreen() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet1");
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);

    // ----- plot sheet "ГРАФИК" and program sheet "ПРОГРАММА"
    WorkArea = new QTabWidget(page);
    WorkArea->setObjectName("WorkArea");
    auto* plotSheet = new QWidget;
    plotSheet->setObjectName("PlotSheet");
    auto* plotColumn = new QVBoxLayout(plotSheet);
    plotColumn->setContentsMargins(2, 2, 2, 2);
    auto* plotBar = new QHBoxLayout;
    PLOT_1 = MakeSmallButton(plotSheet, "PLOT_1", "<->", ButtonKind::Radio);
    PLOT_2 = MakeSmallButton(plotSheet, "PLOT_2", "[+]", ButtonKind::Radio);
    PLOT_3 = MakeSmallButton(plotSheet, "PLOT_3", "A");
    BUTXT = MakeSmallButton(plotSheet, "BUTXT", "T", ButtonKind::Radio);
    BUTXL = MakeSmallButton(plotSheet, "BUTXL", "L", ButtonKind::Radio);
    BUTXE = MakeSmallButton(plotSheet, "BUTXE", "E", ButtonKind::Radio);
    BUTYF = MakeSmallButton(plotSheet, "BUTYF", "F", ButtonKind::Radio);
    BUTYL = MakeSmallButton(plotSheet, "BUTYL", "L", ButtonKind::Radio);
    BUTYE = MakeSmallButton(plotSheet, "BUTYE", "E", ButtonKind::Radio);
    BUTYP = MakeSmallButton(plotSheet, "BUTYP", "P", ButtonKind::Radio);
    GRAFICON = MakeSmallButton(plotSheet, "GRAFICON", "REC", ButtonKind::Toggle);
    ClearGraf = MakeSmallButton(plotSheet, "ClearGraf", "CLR");
    MegaButton61 = MakeButton(plotSheet, "MegaButton61", "Выдержка", ButtonKind::Push, 110, 38);
    MegaButton69 = MakeButton(plotSheet, "MegaButton69", "На позицию", ButtonKind::Push, 130, 38);
    auto* positions = new QComboBox(plotSheet);
    positions->setObjectName("ComboBox3");
    positions->setMinimumWidth(120);
    auto* goPosition = MakeSmallButton(plotSheet, "BitBtn1", ">");
    PLOT_1->Down = true;
    BUTXL->Down = true;
    BUTYF->Down = true;
    for (QWidget* w : {static_cast<QWidget*>(PLOT_1), static_cast<QWidget*>(PLOT_2),
                       static_cast<QWidget*>(PLOT_3)})
        plotBar->addWidget(w);
    plotBar->addSpacing(16);
    plotBar->addWidget(AxisLabel(plotSheet, "X:"));
    for (TMegaButton* b : {BUTXT, BUTXL, BUTXE})
        plotBar->addWidget(b);
    plotBar->addSpacing(16);
    plotBar->addWidget(AxisLabel(plotSheet, "Y:"));
    for (TMegaButton* b : {BUTYF, BUTYL, BUTYE, BUTYP})
        plotBar->addWidget(b);
    plotBar->addStretch(1);
    // The recording and position controls take a row of their own, so the
    // bar fits the narrowest window.
    auto* plotBar2 = new QHBoxLayout;
    plotBar2->addStretch(1);
    for (QWidget* w : {static_cast<QWidget*>(GRAFICON), static_cast<QWidget*>(ClearGraf),
                       static_cast<QWidget*>(MegaButton61), static_cast<QWidget*>(MegaButton69),
                       static_cast<QWidget*>(positions), static_cast<QWidget*>(goPosition)})
        plotBar2->addWidget(w);
    for (QWidget* hidden : {static_cast<QWidget*>(BUTYP), static_cast<QWidget*>(GRAFICON),
                            static_cast<QWidget*>(ClearGraf), static_cast<QWidget*>(MegaButton61)})
        hidden->hide();
    plotColumn->addLayout(plotBar);
    plotColumn->addLayout(plotBar2);
    WorkPlotter = new CGrafic(plotSheet);
    WorkPlotter->setObjectName("WorkPlotter");
    // Marker labels and axis names carry symbol-font captions ("F`в").
    WorkPlotter->Font.name = std::string(draw::kSymbolFontName);
    WorkPlotter->setMinimumSize(400, 220);
    plotColumn->addWidget(WorkPlotter, 1);
    WorkArea->addTab(plotSheet, QString::fromUtf8("ГРАФИК"));
    auto* programSheet = new QWidget;
    programSheet->setObjectName("ProgramSheet");
    WorkArea->addTab(programSheet, QString::fromUtf8("ПРОГРАММА"));
    left->addWidget(WorkArea, 1);

    PLOT_1->OnClick = [this](TMegaButton*) {
        WorkPlotter->SetMode(CGrafic::kPan);
        OnlyDown({PLOT_1, PLOT_2}, PLOT_1);
    };
    PLOT_2->OnClick = [this](TMegaButton*) {
        WorkPlotter->SetMode(CGrafic::kZoom);
        OnlyDown({PLOT_1, PLOT_2}, PLOT_2);
    };
    // "A" is down while the plot scales itself: a pan or zoom switches that
    // off, and the button (or a double tap on the plot) brings it back.
    PLOT_3->setToolTip(QString::fromUtf8("Автомасштаб"));
    PLOT_3->Down = true;
    PLOT_3->OnClick = [this](TMegaButton*) {
        WorkPlotter->SetMode(3);
        ShowWorkAutoscale();
    };
    BUTXT->OnClick = [this](TMegaButton*) { WorkAxisX(0); };
    BUTXL->OnClick = [this](TMegaButton*) { WorkAxisX(2); };
    BUTXE->OnClick = [this](TMegaButton*) { WorkAxisX(3); };
    BUTYF->OnClick = [this](TMegaButton*) { WorkAxisY(1); };
    BUTYL->OnClick = [this](TMegaButton*) { WorkAxisY(2); };
    BUTYE->OnClick = [this](TMegaButton*) { WorkAxisY(3); };
    BUTYP->OnClick = [this](TMegaButton*) { WorkAxisY(4); };
    GRAFICON->OnClick = [this](TMegaButton* b) {
        if (work_) work_->recordInIdle = b->Down;
    };
    Sends(ClearGraf, this, 61);

    // ----- control bar
    CONTROLPANEL = console::MakePanel(page, "CONTROLPANEL");
    auto* bar = new QVBoxLayout(CONTROLPANEL);
    bar->setContentsMargins(6, 6, 6, 6);
    BUT_START = MakeButton(CONTROLPANEL, "BUT_START", "ПУСК", ButtonKind::Toggle, 130, 56);
    BUT_PAUSE = MakeButton(CONTROLPANEL, "BUT_PAUSE", "ПАУЗА", ButtonKind::Toggle, 110, 56);
    BUT_STOP = MakeButton(CONTROLPANEL, "BUT_STOP", "СТОП", ButtonKind::Push, 130, 56);
    BUT_START->Image.Add(console::Picture("start.jpg"));
    BUT_START->ImageIndex = 0;
    BUT_START->AlignText = 2;
    BUT_START->bLeft = 8;
    BUT_STOP->Image.Add(console::Picture("stop.jpg"));
    BUT_STOP->ImageIndex = 0;
    BUT_STOP->AlignText = 2;
    BUT_STOP->bLeft = 8;
    DIRECT_F = MakeButton(CONTROLPANEL, "DIRECT_F", "F", ButtonKind::Radio, 64, 56);
    DIRECT_L = MakeButton(CONTROLPANEL, "DIRECT_L", "L", ButtonKind::Radio, 64, 56);
    DIRECT_E = MakeButton(CONTROLPANEL, "DIRECT_E", "E", ButtonKind::Radio, 64, 56);
    DIRECT_UP_DOWN = MakeButton(CONTROLPANEL, "DIRECT_UP_DOWN", "↑↓", ButtonKind::Toggle, 64, 56);
    SpeedUp = MakeButton(CONTROLPANEL, "SpeedUp", "V+0.5", ButtonKind::Push, 80, 44);
    SpeedDown = MakeButton(CONTROLPANEL, "SpeedDown", "V-0.5", ButtonKind::Push, 80, 44);
    SpeedMultUp = MakeButton(CONTROLPANEL, "SpeedMultUp", "V*2", ButtonKind::Push, 80, 44);
    SpeedMultDown = MakeButton(CONTROLPANEL, "SpeedMultDown", "V/2", ButtonKind::Push, 80, 44);
    SPEED_1 = MakeButton(CONTROLPANEL, "SPEED_1", "1.0", ButtonKind::Push, 70, 44);
    SPEED_01 = MakeButton(CONTROLPANEL, "SPEED_01", "0.1", ButtonKind::Push, 70, 44);
    SPEED_001 = MakeButton(CONTROLPANEL, "SPEED_001", "0.01", ButtonKind::Push, 70, 44);
    SPEED_0 = MakeButton(CONTROLPANEL, "SPEED_0", "0", ButtonKind::Push, 70, 44);
    Ind_SPEED = console::MakeLabel(CONTROLPANEL, "Ind_SPEED", "0,000 мм/мин", 22);
    Ind_SPEED->setStyleSheet("background: black; color: yellow; padding: 4px;");
    Ind_SPEED->setMinimumWidth(180);
    Ind_SPEED->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    DIRECT_L->Down = true;
    // Three rows keep every button whole in the narrowest window: the
    // control channel and the set speeds; the speed steps (the extensometer
    // button joins them); start, pause, stop and the speed at the foot, clear
    // of a message centred on the window.
    auto* top = new QHBoxLayout;
    for (TMegaButton* b : {BUT_START, BUT_PAUSE, BUT_STOP})
        top->addWidget(b);
    top->addWidget(Ind_SPEED, 1);
    auto* channels = new QHBoxLayout;
    for (TMegaButton* b :
         {DIRECT_F, DIRECT_L, DIRECT_E, DIRECT_UP_DOWN, SPEED_1, SPEED_01, SPEED_001, SPEED_0})
        channels->addWidget(b);
    channels->addStretch(1);
    auto* speeds = new QHBoxLayout;
    for (TMegaButton* b : {SpeedUp, SpeedDown, SpeedMultUp, SpeedMultDown})
        speeds->addWidget(b);
    speeds->addStretch(1);
    bar->addLayout(channels);
    bar->addLayout(speeds);
    bar->addLayout(top);
    left->addWidget(CONTROLPANEL);

    BUT_START->OnClick = [this](TMegaButton*) { ButStartClick(); };
    Toggles(BUT_PAUSE, this, 38, 39);
    BUT_STOP->OnClick = [this](TMegaButton*) { ButStopClick(); };
    Sends(DIRECT_F, this, 4);
    Sends(DIRECT_L, this, 5);
    Sends(DIRECT_E, this, 6);
    Toggles(DIRECT_UP_DOWN, this, 40, 7);
    Sends(SpeedUp, this, 8);
    Sends(SpeedDown, this, 9);
    Sends(SpeedMultUp, this, 10);
    Sends(SpeedMultDown, this, 11);
    Sends(SPEED_1, this, 58);
    Sends(SPEED_01, this, 59);
    Sends(SPEED_001, this, 60);
    Sends(SPEED_0, this, 62);

    // ----- main menu; the panels it opens come with their own issues
    MAIN_MENU = console::MakePanel(page, "MAIN_MENU");
    // Two rows of four: the eight captions stay whole in the narrowest window.
    auto* menu = new QGridLayout(MAIN_MENU);
    menu->setContentsMargins(6, 4, 6, 4);
    int at = 0;
    const std::pair<const char*, const char*> items[] = {
        {"MENU3", "НОВОЕ"},        {"MENU4", "ОТКРЫТЬ"},         {"MENU5", "КЛАВИАТУРА"},
        {"MENU_PUDIK", "РУЧНОЕ"},  {"MENU_CUSTOM", "НАСТРОЙКИ"}, {"MegaButton45", "ГИДРОСТАНЦИЯ"},
        {"MegaButton44", "ВЫКЛ."}, {"MegaButton40", "ВЫХОД"}};
    for (const auto& [name, caption] : items) {
        TMegaButton* b = MakeButton(MAIN_MENU, name, caption, ButtonKind::Push, 100, 44);
        b->Font.SetSize(10);
        menu->addWidget(b, at / 4, at % 4);
        ++at;
        const std::string n = name;
        if (n == "MENU3") Sends(b, this, 32);
        if (n == "MENU4") Sends(b, this, 34);
        if (n == "MegaButton40") b->OnClick = [this](TMegaButton*) { FormCloseClick(); };
        if (n == "MegaButton44") {
            b->OnClick = [this](TMegaButton*) { MegaButton44Click(); };
            // Without a way to power off the machine the button is not offered.
            b->setVisible(deps_.power != nullptr);
        }
    }
    left->addWidget(MAIN_MENU);

    // ----- readouts
    IndicPanel = console::MakePanel(page, "IndicPanel");
    IndicPanel->setFixedWidth(390);
    auto* indic = new QVBoxLayout(IndicPanel);
    indic->setContentsMargins(4, 4, 4, 4);
    PanelZero = console::MakePanel(IndicPanel, "PanelZero");
    auto* zero = new QHBoxLayout(PanelZero);
    zero->setContentsMargins(0, 0, 0, 0);
    zero->addWidget(console::MakeLabel(PanelZero, "", "0:", 18));
    ZeroingF = MakeButton(PanelZero, "ZeroingF", "F", ButtonKind::Toggle, 56, 44);
    ZeroingL = MakeButton(PanelZero, "ZeroingL", "L", ButtonKind::Toggle, 56, 44);
    ZeroingE = MakeButton(PanelZero, "ZeroingE", "E", ButtonKind::Toggle, 56, 44);
    ZEROAUTO = MakeButton(PanelZero, "ZEROAUTO", "Поддержание нуля", ButtonKind::Toggle, 150, 44);
    ZEROAUTO->Font.SetSize(9);
    for (TMegaButton* b : {ZeroingF, ZeroingL, ZeroingE, ZEROAUTO})
        zero->addWidget(b);
    const std::pair<TMegaButton*, int> zeroing[] = {{ZeroingF, 22}, {ZeroingL, 23}, {ZeroingE, 24}};
    for (const auto& [b, zero] : zeroing) {
        const int off = console::ZeroOffCode(zero);
        Toggles(b, this, zero, off);
        // A double click releases the zero whatever state it started from,
        // never toggles it back on.
        b->OnDoubleClick = [this, off](TMegaButton*) { Command(off); };
    }
    ZEROAUTO->OnClick = [this](TMegaButton* b) {
        // The unit's preset zero-hold program, or its stop.
        if (work_) work_->DeviceCmd(0, b->Down ? 30 : 22);
    };
    indic->addWidget(PanelZero);

    auto* modes = new QHBoxLayout;
    INDICMODE1 = MakeButton(IndicPanel, "INDICMODE1", "Текущие данные", ButtonKind::Radio, 160, 40);
    INDICMODE2 = MakeButton(IndicPanel, "INDICMODE2", "Уставка/Защита", ButtonKind::Radio, 160, 40);
    INDICMODE1->Down = true;
    INDICMODE1->OnClick = [this](TMegaButton*) { IndicMode(0); };
    INDICMODE2->OnClick = [this](TMegaButton*) { IndicMode(1); };
    modes->addWidget(INDICMODE1);
    modes->addWidget(INDICMODE2);
    indic->addLayout(modes);

    INDICATORS = new QStackedWidget(IndicPanel);
    INDICATORS->setObjectName("INDICATORS");
    auto* current = new QWidget;
    current->setObjectName("INDICATORS_current");
    auto* currentColumn = new QVBoxLayout(current);
    currentColumn->setContentsMargins(0, 0, 0, 0);
    currentColumn->setSpacing(3);
    Datch = console::MakeReadout(current, "Datch", 3);
    Datch1 = console::MakeReadout(current, "Datch1", 3);
    Datch2 = console::MakeReadout(current, "Datch2", 3);
    DatTime = console::MakeReadout(current, "DatTime", 1);
    Datchik3 = console::MakeReadout(current, "Datchik3", 2);
    Datchik4 = console::MakeReadout(current, "Datchik4", 1);
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
    DatchikUstav1 = console::MakeReadout(limits, "DatchikUstav1", 3);
    DatchikUstav2 = console::MakeReadout(limits, "DatchikUstav2", 2);
    DatchikUstav3 = console::MakeReadout(limits, "DatchikUstav3", 2);
    MegaDatchik1 = console::MakeReadout(limits, "MegaDatchik1", 3);
    MegaDatchik2 = console::MakeReadout(limits, "MegaDatchik2", 2);
    for (TMegaDatchik* d :
         {DatchikUstav1, DatchikUstav2, DatchikUstav3, MegaDatchik1, MegaDatchik2})
        limitsColumn->addWidget(d);
    limitsColumn->addStretch(1);
    INDICATORS->addWidget(current);
    INDICATORS->addWidget(limits);
    indic->addWidget(INDICATORS, 1);
    columns->addWidget(IndicPanel);

    verificationPanel_ = new console::VerificationPanel(page);
    return page;
}

void TFBase::IndicMode(int page) {
    OnlyDown({INDICMODE1, INDICMODE2}, page == 0 ? INDICMODE1 : INDICMODE2);
    INDICATORS->setCurrentIndex(page);
}

void TFBase::WorkAxisX(int channel) {
    static const char* const kNames[] = {"T, c", "", "L, мм", "E, мм"};
    WorkPlotter->SetChanX(kNames[channel], channel);
    OnlyDown({BUTXT, BUTXL, BUTXE}, channel == 0 ? BUTXT : channel == 2 ? BUTXL : BUTXE);
    WorkPlotter->DrawGrid();
}

void TFBase::WorkAxisY(int channel) {
    static const char* const kNames[] = {"", "F, кН", "L, мм", "E, мм", "P, МПа"};
    WorkPlotter->SetChanY(kNames[channel], channel);
    TMegaButton* down = channel == 1 ? BUTYF : channel == 2 ? BUTYL : channel == 3 ? BUTYE : BUTYP;
    OnlyDown({BUTYF, BUTYL, BUTYE, BUTYP}, down);
    WorkPlotter->DrawGrid();
}

void TFBase::ButStartClick() {
    console::SetButtonDown(BUT_START, true);
    console::SetButtonDown(BUT_PAUSE, false);
    console::SetButtonDown(BUT_STOP, false);
    console::SetButtonEnabled(BUT_PAUSE, true);
    // A loaded test program runs the test; without one the button starts it.
    if (ProgStart() == 1) Command(1);
}

void TFBase::ButStopClick() {
    ProgStop();
    Command(2);
}

#include "console/work_screen.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "console/geometry.h"
#include "console/look.h"
#include "console/work_control_bar.h"
#include "console/work_menu.h"
#include "console/work_readouts.h"
#include "controls/cgrafic.h"
#include "controls/megabutton.h"
#include "controls/symbolfont.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "station/station_entry.h"

namespace console {

namespace {

// Axis captions on the light plot sheet.
QLabel* AxisLabel(QWidget* parent, const char* text) {
    QLabel* l = MakeLabel(parent, "", text, 16);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    return l;
}

void OnlyDown(std::initializer_list<TMegaButton*> group, TMegaButton* down) {
    for (TMegaButton* b : group)
        SetButtonDown(b, b == down);
}

}  // namespace

WorkScreen::WorkScreen(bool powerOff, QWidget* parent) : QWidget(parent) {
    setObjectName("TabSheet1");
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);

    // ----- plot sheet "ГРАФИК" and program sheet "ПРОГРАММА"
    WorkArea = new QTabWidget(this);
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
    // The positions' chooser and its panel's button belong to the program
    // sheet, which finds them by name.
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
        ShowAutoscale();
    };
    BUTXT->OnClick = [this](TMegaButton*) { AxisX(0); };
    BUTXL->OnClick = [this](TMegaButton*) { AxisX(2); };
    BUTXE->OnClick = [this](TMegaButton*) { AxisX(3); };
    BUTYF->OnClick = [this](TMegaButton*) { AxisY(1); };
    BUTYL->OnClick = [this](TMegaButton*) { AxisY(2); };
    BUTYE->OnClick = [this](TMegaButton*) { AxisY(3); };
    BUTYP->OnClick = [this](TMegaButton*) { AxisY(4); };
    GRAFICON->OnClick = [this](TMegaButton* b) { emit recordingToggled(b->Down); };
    ClearGraf->OnClick = [this](TMegaButton*) { emit command(61); };
    MegaButton61->OnClick = [this](TMegaButton*) { emit holdPanelRequested(); };
    MegaButton69->OnClick = [this](TMegaButton*) { emit goToPositionRequested(); };

    controlBar_ = new WorkControlBar(this);
    left->addWidget(controlBar_);
    // The panels the menu opens come with their own classes.
    menu_ = new WorkMenu(powerOff, this);
    left->addWidget(menu_);
    readouts_ = new WorkReadouts(this);
    columns->addWidget(readouts_);

    WorkPlotter->OnOutBuffer = [this](CGrafic* plot) { PlotOutBuffer(plot); };
}

void WorkScreen::AxisX(int channel) {
    static const char* const kNames[] = {"T, c", "", "L, мм", "E, мм"};
    WorkPlotter->SetChanX(kNames[channel], channel);
    OnlyDown({BUTXT, BUTXL, BUTXE}, channel == 0 ? BUTXT : channel == 2 ? BUTXL : BUTXE);
    WorkPlotter->DrawGrid();
}

void WorkScreen::AxisY(int channel) {
    static const char* const kNames[] = {"", "F, кН", "L, мм", "E, мм", "P, МПа"};
    WorkPlotter->SetChanY(kNames[channel], channel);
    TMegaButton* down = channel == 1 ? BUTYF : channel == 2 ? BUTYL : channel == 3 ? BUTYE : BUTYP;
    OnlyDown({BUTYF, BUTYL, BUTYE, BUTYP}, down);
    WorkPlotter->DrawGrid();
}

void WorkScreen::ShowAutoscale() {
    const bool on = WorkPlotter->autoscale || WorkPlotter->autoscaleRequest;
    if (PLOT_3->Down != on) SetButtonDown(PLOT_3, on);
}

void WorkScreen::BindEntry(station::EntryControl& entry) {
    using station::EntryControl;
    connect(this, &WorkScreen::recordingToggled, &entry, &EntryControl::SetRecording);
    connect(controlBar_, &WorkControlBar::startRequested, &entry, &EntryControl::Start);
    connect(controlBar_, &WorkControlBar::stopRequested, &entry, &EntryControl::Stop);
    connect(readouts_, &WorkReadouts::zeroHoldToggled, &entry, &EntryControl::HoldZero);
}

void WorkScreen::BindPlot(C_Work& work) {
    work_ = &work;
    WorkPlotter->Init(&work.Buffer(), "T,c", "F,кН", 0, 1);
}

void WorkScreen::ShowBoundAxes() {
    // The axis buttons show what the plot was given.
    AxisX(0);
    AxisY(1);
}

void WorkScreen::BindReadouts() {
    readouts_->Bind(*work_);
}

void WorkScreen::RefreshReadouts() {
    readouts_->Refresh(TestTimeText(work_->GetTime()));
    controlBar_->ShowSpeed(QString::fromStdString(work_->SpeedText()));
    ShowAutoscale();
}

void WorkScreen::RefreshPlot() {
    const C_Parametr* m = work_->Methods().Current();
    if (m == nullptr || m->IndexOf("iVISUAL") < 0)
        WorkPlotter->AddDraw();
    else if (m->GetInt("iVISUAL") == 1)
        WorkPlotter->DrawGrid();
}

void WorkScreen::ShowCyclesDone() {
    if (auto* unit = dynamic_cast<DEVICE_QUELM*>(work_->Unit()))
        readouts_->ShowCyclesDone(static_cast<double>(static_cast<float>(unit->GetCyclesDone())));
}

void WorkScreen::ApplyChannels() {
    const std::string& f = work_->Channel(1).name;
    const std::string& l = work_->Channel(2).name;
    const std::string& e = work_->Channel(3).name;
    readouts_->SetChannelNames(f, l, e);
    controlBar_->SetChannelNames(f, l, e);
    const std::pair<TMegaButton*, const std::string*> captions[] = {
        {BUTYF, &f}, {BUTXL, &l}, {BUTYL, &l}, {BUTXE, &e}, {BUTYE, &e}};
    for (const auto& [button, name] : captions) {
        button->Caption = *name;
        button->Draw();
    }
    readouts_->BindChannels(*work_);
}

void WorkScreen::ShowChannelsInUse() {
    const std::vector<TMegaButton*> axes[] = {{BUTYF}, {BUTXL, BUTYL}, {BUTXE, BUTYE}};
    // The limits of force and crosshead show in the tension zone only.
    const bool compression = work_->testZone == 3;
    for (int channel = 1; channel <= 3; ++channel) {
        const bool used = work_->Channel(channel).inUse != 0;
        controlBar_->EnableChannel(channel, used);
        for (TMegaButton* b : axes[channel - 1])
            SetButtonEnabled(b, used);
        readouts_->ShowChannelInUse(channel, used, compression);
    }
    readouts_->ShowLengthZeroing(work_->Channel(2).inUse != 0 || work_->Channel(3).inUse != 0);
}

void WorkScreen::ShowExtensometer(bool on) {
    readouts_->ShowExtensometer(on);
    controlBar_->EnableExtensometer(on);
    for (TMegaButton* b : {BUTXE, BUTYE}) {
        if (b->Enabled != on) SetButtonEnabled(b, on);
    }
}

void WorkScreen::ShowControlBar(bool shown) {
    controlBar_->setVisible(shown);
}

void WorkScreen::ShowSetUpControls() {
    readouts_->ShowZeroPanel();
    menu_->show();
}

void WorkScreen::ShowZeroPanel() {
    readouts_->ShowZeroPanel();
}

void WorkScreen::HideMenuForTest() {
    menu_->hide();
    GRAFICON->hide();
}

}  // namespace console

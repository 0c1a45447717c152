#pragma once

#include <QWidget>

class C_Work;
class CGrafic;
class QTabWidget;
class TMegaButton;

namespace station {
class EntryControl;
}

namespace console {

class WorkControlBar;
class WorkMenu;
class WorkReadouts;

// The work screen (page 0 of BaseTab): the live plot with its bars, the
// control bar, the main menu and the readouts. During a bend test the plot
// shows the bending device to scale (bend_picture.cpp).
class WorkScreen final : public QWidget {
    Q_OBJECT

public:
    // Without a way to power off the machine the menu does not offer it.
    explicit WorkScreen(bool powerOff, QWidget* parent = nullptr);

    WorkControlBar& ControlBar() { return *controlBar_; }
    WorkReadouts& Readouts() { return *readouts_; }
    WorkMenu& Menu() { return *menu_; }
    CGrafic* Plot() const { return WorkPlotter; }

    // Start, stop, the recording and the zero hold go to the station's entry.
    void BindEntry(station::EntryControl& entry);

    // The plot on the engine's buffer, time against force: the engine the
    // screen reads from now on.
    void BindPlot(C_Work& work);
    void ShowBoundAxes();
    void BindReadouts();
    // Timer1's parts, while the screen is shown: the readouts and the speed,
    // then the plot; the cycles on every page.
    void RefreshReadouts();
    void RefreshPlot();
    void ShowCyclesDone();
    // The channels' names on their buttons and the value rows bound to them.
    void ApplyChannels();
    // A channel switched on shows its controls, one switched off loses them.
    void ShowChannelsInUse();
    // The extensometer's controls follow its switch.
    void ShowExtensometer(bool on);
    void ShowControlBar(bool shown);
    // Set-up mode: zeroing and the menu; the test: zeroing without the menu.
    void ShowSetUpControls();
    void ShowZeroPanel();
    void HideMenuForTest();

signals:
    // The plot's recording while no test runs.
    void recordingToggled(bool on);
    void command(int code);
    void holdPanelRequested();
    void goToPositionRequested();
    // The bend picture's angle reached the method's target while the test runs.
    void bendStopDue();

private:
    void AxisX(int channel);
    void AxisY(int channel);
    void ShowAutoscale();
    // The bend picture (bend_picture.cpp), drawn over the plot's buffer.
    void PlotOutBuffer(CGrafic* plot);
    // The picture shows at equal units in a view of its own; released, the
    // plot scales to its data again.
    void HoldBendView(CGrafic& plot, double width);
    void ReleaseBendView(CGrafic& plot);

    C_Work* work_ = nullptr;
    QTabWidget* WorkArea = nullptr;
    CGrafic* WorkPlotter = nullptr;
    TMegaButton *PLOT_1 = nullptr, *PLOT_2 = nullptr, *PLOT_3 = nullptr;
    TMegaButton *BUTXT = nullptr, *BUTXL = nullptr, *BUTXE = nullptr;
    TMegaButton *BUTYF = nullptr, *BUTYL = nullptr, *BUTYE = nullptr, *BUTYP = nullptr;
    TMegaButton *GRAFICON = nullptr, *ClearGraf = nullptr, *MegaButton61 = nullptr;
    TMegaButton* MegaButton69 = nullptr;
    WorkControlBar* controlBar_ = nullptr;
    WorkMenu* menu_ = nullptr;
    WorkReadouts* readouts_ = nullptr;

    // The last bend angle measured, degrees, and the set-up last drawn: what
    // the method lacks keeps these.
    double bendAngle_ = 0.0;
    double bendSpan_ = 200.0;
    double bendSupport_ = 40.0;
    double bendMandrel_ = 50.0;
    double bendThickness_ = 20.0;
    bool bendViewHeld_ = false;
    // The test run whose stop the picture asked for.
    int bendStopTest_ = -1;
};

}  // namespace console

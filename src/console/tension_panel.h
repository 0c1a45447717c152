#pragma once

#include <QFrame>

class QLabel;
class TMegaButton;

namespace console {

// The tension zone's manual control (PUDIK): the grips, the crosshead and
// the pump. It shows what the station tells it and says what the operator
// pressed; the station decides what follows.
class TensionManualPanel final : public QFrame {
    Q_OBJECT

public:
    explicit TensionManualPanel(QWidget* parent);

    // A grip's open, close and toggle buttons, as codes 12/13 (upper) and
    // 15/16 (lower) leave them.
    void ShowGrip(bool upper, bool closed);
    // Both grip toggles up, as the output lock leaves them.
    void ReleaseGripToggles();
    void ShowPump(bool running);
    // Only the crosshead code's button (19 up, 20 down, 21 stop) down.
    void ShowCrosshead(int code);
    void EnableJog(bool enabled);
    // The station's jog lock; the output button keeps what it disabled.
    void ShowJogLock(bool locked);
    // The grip, crosshead and pump buttons, which the output lock disables.
    void EnableControls(bool enabled);
    // The output button (OUTPUD, hidden) down: the manual controls are locked.
    bool OutputLocked() const;
    // Sets the output button without a click.
    void SetOutputLocked(bool down);
    // The output button as the station left it: locked, the grip toggles
    // come up and the manual controls are disabled.
    void ShowOutputLock(bool locked);
    // The crosshead's rate in mm/min.
    void ShowRate(double rate);

signals:
    // A plain console code.
    void command(int code);
    // The grip toggles: close (down) or open.
    void upperGripToggled(bool close);
    void lowerGripToggled(bool close);
    // The output button pressed: down locks the manual controls.
    void outputToggled(bool locked);
    void closeRequested();

private:
    TMegaButton* DecoExit = nullptr;
    TMegaButton *CONT_UPON = nullptr, *CONT_UPOFF = nullptr, *CONT_DOWNON = nullptr,
                *CONT_DOWNOFF = nullptr;
    TMegaButton *CONT_UP = nullptr, *CONT_DOWN = nullptr, *CONT_STOP = nullptr, *CONT_ON = nullptr;
    TMegaButton *GRIP_UP = nullptr, *GRIP_DOWN = nullptr, *OUTPUD = nullptr;
    QLabel* SPEED_PUD = nullptr;
};

}  // namespace console

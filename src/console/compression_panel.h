#pragma once

#include <QFrame>
#include <QPointer>

#include <string>

class QLabel;
class QLineEdit;
class TMegaButton;

namespace station {
class ManualControl;
}

namespace console {

// The compression and bend zone's manual control (PUDIK_PRESS): the
// crosshead, the pump, the force set-point and the way to the hold panel.
// It shows what the station tells it and says what the operator pressed;
// a set-point it checks and hands to the station's manual control.
class CompressionManualPanel final : public QFrame {
    Q_OBJECT

public:
    explicit CompressionManualPanel(QWidget* parent);
    // Where the set-points go.
    void Bind(station::ManualControl& manual);

    void ShowPump(bool running);
    // Only the crosshead code's button (19 up, 20 down, 21 stop) down.
    void ShowCrosshead(int code);
    void EnableJog(bool enabled);
    // The station's jog lock; the output button keeps what it disabled.
    void ShowJogLock(bool locked);
    // The crosshead and pump buttons, which the output lock disables.
    void EnableControls(bool enabled);
    // The output button (OUTPUD1, hidden) down: the manual controls are locked.
    bool OutputLocked() const;
    // Sets the output button without a click.
    void SetOutputLocked(bool down);
    // The output button as the station left it: locked, the manual
    // controls are disabled.
    void ShowOutputLock(bool locked);
    // The crosshead's rate in mm/min.
    void ShowRate(double rate);

    // The set-point fields: channel 4 (force) and 5 (displacement, kept
    // but not offered). Offered: the operator can see the field.
    bool SetPointOffered(int channel) const;
    std::string SetPointText(int channel) const;
    void ShowSetPoint(int channel, double value);
    // Why a set-point was refused; "" when it went.
    void ShowRefusal(const std::string& why);
    void ClearRefusal();

signals:
    // A plain console code.
    void command(int code);
    void holdRequested();
    // The output button pressed: down locks the manual controls.
    void outputToggled(bool locked);
    void closeRequested();
    // A tap into a number field.
    void keyboardRequested();

private:
    QLineEdit* Field(int channel) const;
    // The operator confirmed a set-point field (4 or 5).
    void EnterSetPoint(int channel);

    QPointer<station::ManualControl> manual_;

    TMegaButton* MegaButton70 = nullptr;
    TMegaButton *CONT_UP1 = nullptr, *CONT_DOWN1 = nullptr, *CONT_STOP1 = nullptr,
                *CONT_ON1 = nullptr;
    TMegaButton* OUTPUD1 = nullptr;
    QLabel* SPEED_PUD1 = nullptr;
    QLineEdit *MaskEdit1 = nullptr, *MaskEdit2 = nullptr;
    TMegaButton *MegaButton8 = nullptr, *MegaButton52 = nullptr;
    TMegaButton* PressHold = nullptr;
    QLabel* PressMessage = nullptr;
};

}  // namespace console

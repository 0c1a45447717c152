#pragma once

#include <QFrame>

#include <string>

class QLabel;
class QLineEdit;
class TMegaButton;

namespace console {

// The compression and bend zone's manual control (PUDIK_PRESS): the
// crosshead, the pump, the force set-point and the way to the hold panel.
// It shows what the window tells it and says what the operator pressed.
class CompressionManualPanel final : public QFrame {
    Q_OBJECT

public:
    explicit CompressionManualPanel(QWidget* parent);

    void ShowPump(bool running);
    // Only the crosshead code's button (19 up, 20 down, 21 stop) down.
    void ShowCrosshead(int code);
    void EnableJog(bool enabled);
    // The crosshead and pump buttons, which the output lock disables.
    void EnableControls(bool enabled);
    // The output button (OUTPUD1, hidden) down: the manual controls are locked.
    bool OutputLocked() const;
    // Sets the output button without a click.
    void SetOutputLocked(bool down);
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
    // The operator confirmed a set-point field (4 or 5).
    void setPointEntered(int channel);
    void holdRequested();
    void outputToggled();
    void closeRequested();
    // A tap into a number field.
    void keyboardRequested();

private:
    QLineEdit* Field(int channel) const;

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

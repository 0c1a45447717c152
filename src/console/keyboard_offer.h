#pragma once

#include <QObject>

class QWidget;
class TFKeyBoard;

namespace station {
class StationController;
}

namespace console {

// The on-screen keyboard as the window offers it: in the configuration's
// mode, for every panel that takes typing. The keyboard is a window of its
// own on top of this one and lives as long.
class KeyboardOffer final : public QObject {
    Q_OBJECT

public:
    KeyboardOffer(QWidget& window, station::StationController& station);

    // In the configuration's mode (0 keeps it hidden), in a given mode, or hidden.
    void Show();
    void ShowIn(int mode);
    void Hide();
    // A КЛАВИАТУРА button: the keyboard, or, when the settings switch it off,
    // a message that says where to switch it on.
    void Ask();
    // Under the zoom panel whose top is given, in the zoom's own mode.
    void ShowUnderZoom(int panelTop);
    // Moved off the field being typed in.
    void KeepClear();

private:
    int ConfiguredMode() const;

    QWidget& window_;
    station::StationController& station_;
    TFKeyBoard* keyboard_;
    bool placed_ = false;
};

}  // namespace console

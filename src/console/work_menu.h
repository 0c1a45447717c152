#pragma once

#include <QFrame>

namespace console {

// The work screen's main menu: a new test, opening one, the keyboard, the
// manual panels, the settings, the hydraulic station, power-off and exit.
// The panels the other buttons open hook them by name.
class WorkMenu final : public QFrame {
    Q_OBJECT

public:
    // Without a way to power off the machine its button is not offered.
    explicit WorkMenu(bool powerOff, QWidget* parent = nullptr);

signals:
    void command(int code);
    void closeRequested();
    void powerOffRequested();
};

}  // namespace console

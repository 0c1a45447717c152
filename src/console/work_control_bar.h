#pragma once

#include <QFrame>

#include <string>

class QLabel;
class TMegaButton;

namespace console {

// The work screen's control bar: start, pause and stop, the control
// channel and direction, the set speeds and their steps, the speed readout
// and the way to the extensometer window. Its buttons send codes; what they
// show is the dispatcher's word.
class WorkControlBar final : public QFrame {
    Q_OBJECT

public:
    explicit WorkControlBar(QWidget* parent = nullptr);

    // The run state as the start, stop and pause codes show it.
    void ShowStarted();
    void ShowStopped();
    void ShowPaused();
    // No test runs (a program's report): start up, pause out of reach.
    void ShowNotRunning();
    void EnablePause(bool enabled);
    // The control channel (1 force, 2 crosshead, 3 extensometer) and the direction.
    void ShowChannel(int channel);
    void ShowDirectionDown(bool down);
    // The channels' names on the channel buttons; a channel not in use out of reach.
    void SetChannelNames(const std::string& f, const std::string& l, const std::string& e);
    void EnableChannel(int channel, bool used);
    // The extensometer's button follows its switch.
    void EnableExtensometer(bool on);
    void ShowSpeed(const QString& text);
    QString SpeedText() const;

signals:
    void command(int code);
    // ПУСК and СТОП: the window starts a loaded program or the test.
    void startRequested();
    void stopRequested();
    // The numeric entry for the speed, opened from the speed readout.
    void speedClicked(QWidget* readout);
    void extensRequested();

private:
    TMegaButton *BUT_START = nullptr, *BUT_PAUSE = nullptr, *BUT_STOP = nullptr;
    TMegaButton *DIRECT_F = nullptr, *DIRECT_L = nullptr, *DIRECT_E = nullptr;
    TMegaButton* DIRECT_UP_DOWN = nullptr;
    TMegaButton *SpeedUp = nullptr, *SpeedDown = nullptr, *SpeedMultUp = nullptr,
                *SpeedMultDown = nullptr;
    TMegaButton *SPEED_1 = nullptr, *SPEED_01 = nullptr, *SPEED_001 = nullptr, *SPEED_0 = nullptr;
    QLabel* Ind_SPEED = nullptr;
    TMegaButton* EXTENS_OPEN = nullptr;
};

}  // namespace console

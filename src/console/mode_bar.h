#pragma once

#include <QFrame>

#include <string>

class QHBoxLayout;
class TMegaButton;

namespace console {

// The mode bar above the screens: the three modes, the running-program
// sign, full screen and close. The dispatcher decides the modes; a tap
// only asks for one.
class ModeBar final : public QFrame {
    Q_OBJECT

public:
    explicit ModeBar(QWidget* parent = nullptr);

    // The mode shown: `down` is the button held down (-1 none), the flags
    // which may be tapped.
    void SetModeButtons(int down, bool setUp, bool work, bool result);
    // All three modes out of reach (the settings are open).
    void DisableModes();
    // "УСТАНОВКА" stays down while the set-up lists are shown from set-up mode.
    void HoldSetUpDown();
    // The work mode's caption ("ИСПЫТАНИЕ № n").
    void ShowCaption(const std::string& text);
    // The running-program sign: shown with the banner, blinking at `blink`,
    // or hidden.
    void ShowSign(bool shown, const std::string& banner, double blink);
    // The banner in the largest font up to the sign's own that reads whole.
    void ShowBanner(const std::string& text);
    // A button placed before full screen and close (the help screen's).
    void AddBeforeFullScreen(QWidget* button);

signals:
    // A tap on a mode: its code (241, 242, 243).
    void modeRequested(int code);
    void fullScreenRequested();
    void closeRequested();

private:
    void SignTakesFreeWidth(bool shown);

    QHBoxLayout* row_ = nullptr;
    TMegaButton* MODE_INSTAL = nullptr;
    TMegaButton* MODE_WORK = nullptr;
    TMegaButton* MODE_RESULT = nullptr;
    TMegaButton* MESS_PROG = nullptr;
    TMegaButton* MegaButton30 = nullptr;
    TMegaButton* MegaButton32 = nullptr;
    int bannerWidth_ = 0;  // the width the banner's font was fitted to
};

}  // namespace console

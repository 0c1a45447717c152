#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>

#include <functional>
#include <string>
#include <string_view>

class QFrame;
class QLabel;
class QWidget;
class TMegaButton;
class TMegaDatchik;

// The look of the operator's window: how its buttons, panels and readouts
// are made, and its pictures.
namespace console {

enum class ButtonKind { Push, Toggle, Radio };

// A touch button named `name`, captioned, at least w x h pixels.
TMegaButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        ButtonKind kind = ButtonKind::Push, int w = 120, int h = 52);
// A small button of the plot bars.
TMegaButton* MakeSmallButton(QWidget* parent, const char* name, const char* caption,
                             ButtonKind kind = ButtonKind::Push);
// A panel of the window's own colour. The Style* forms dress a frame a
// screen or panel class is itself, so it looks as one made here.
QFrame* MakePanel(QWidget* parent, const char* name);
void StylePanel(QFrame* p, const char* name);
// A floating panel: raised frame over the screens, hidden.
QFrame* MakeFloatingPanel(QWidget* parent, const char* name, const char* title, int w, int h);
void StyleFloatingPanel(QFrame* p, const char* name, const char* title, int w, int h);
TMegaDatchik* MakeReadout(QWidget* parent, const char* name, int rows);
QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& text, int pixelSize);
// A raised floating panel of w x h without a title row, hidden.
QFrame* MakeBarePanel(QWidget* parent, const char* name, int w, int h);
void StyleBarePanel(QFrame* p, const char* name, int w, int h);
// The font at a size in pixels (touch-sized text).
QFont PixelFont(const QFont& base, int pixels, bool bold = false);
// Lists and entry fields sized for a finger.
void TouchFont(QWidget* w, int pixels = 16);
// UTF-8 text as Qt takes it.
QString Qs(std::string_view text);

// Grows the controls under `root` and their fonts by `scale` from the sizes
// they were built with (1 gives those back), and widens every drawn button
// to its caption in the font it draws with. Floating panels keep their place.
void FitControls(QWidget* root, double scale);

// Runs an action when the operator taps into a field; focus the window
// moves itself (a panel closed) is not a tap.
class TapIntoField final : public QObject {
public:
    TapIntoField(QWidget* field, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> action_;
};

// Sets the button's state and redraws it.
void SetButtonDown(TMegaButton* button, bool down);
void SetButtonEnabled(TMegaButton* button, bool enabled);

// A picture of the window from the program's resources ("logo.jpg").
QImage Picture(const char* name);

// 0x00BBGGRR colours of the readout rows.
constexpr unsigned kForceColour = 0x0000FF00;
constexpr unsigned kDisplacementColour = 0x0000FFFF;
constexpr unsigned kExtensometerColour = 0x00FF80C0;
constexpr unsigned kExtensometerAltColour = 0x00FFC080;
constexpr unsigned kPlainColour = 0x00FFFFFF;

}  // namespace console

#pragma once

#include "keylayout.h"

#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

class TMegaButton;

// The on-screen keyboard of a station without a physical one: a borderless
// window on top that never takes the focus. Each key becomes a key press and
// release sent to the focused control of the target window, as a real key
// would reach it. Shift, Ctrl and Alt act on the next character key only;
// Caps and the layout are toggles.
class TFKeyBoard : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 992;
    static constexpr int kNarrowWidth = 910;  // mode 3: without the close and drag buttons
    static constexpr int kHeight = 242;

    explicit TFKeyBoard(QWidget* parent = nullptr);

    // The window whose focused control receives the keys; the keyboard is
    // centred on it, as it is placed when the program starts. Without a
    // target the keys go to the application's focused control.
    void SetTarget(QWidget* window);
    QWidget* Target() const { return target_; }

    // 0 hides. Another mode shows a hidden keyboard: 2 without the close and
    // drag buttons, 3 also narrower, any other with them. A keyboard already
    // shown stays as it is.
    void ShowKeyboard(int mode);

    void KEYBORD_KEY(TMegaButton* sender);
    void ENGRUSClick(TMegaButton* sender);

    keys::Layout Layout() const { return layout_; }

    // Where the keyboard goes so that it leaves the edited control clear
    // (global coordinates): where it is (`current`) when that covers
    // nothing edited, else centred at the window's bottom, else at its top;
    // when both cover some of it, whichever covers less. An empty `edited`
    // covers nothing.
    static QPoint Place(const QRect& window, const QSize& keyboard, const QRect& edited,
                        const std::optional<QPoint>& current = std::nullopt);
    // The target window's focused control in global coordinates; of a list
    // or table, the row being edited.
    QRect EditedRect() const;
    // Moves a shown keyboard off the edited control, if it covers it.
    void KeepClear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TMegaButton* AddButton(const QString& name, const QString& caption, const QRect& box,
                           bool toggle);
    void BuildKeys();
    void UpdateCaptions();
    // The control the keys go to; the target window is activated first.
    QWidget* Receiver();
    Qt::KeyboardModifiers Modifiers() const;
    static void Send(QWidget* to, int key, Qt::KeyboardModifiers modifiers, const QString& text);
    static void SendOne(QWidget* to, bool press, int key, Qt::KeyboardModifiers modifiers,
                        const QString& text = {});
    // Lets go of the one-shot modifiers that are held.
    void ReleaseModifiers(QWidget* to);
    void ToggleModifier(QWidget* to, TMegaButton* button, int key);
    QRect WindowRect() const;
    // Follows the focus: a list's current row may move under the keyboard.
    void Watch(QWidget* focused);

    QPointer<QWidget> target_;
    QPointer<QWidget> previous_;  // the window active before the keyboard was shown
    QMetaObject::Connection rowWatch_;
    keys::Layout layout_ = keys::Layout::English;
    std::vector<std::pair<int, TMegaButton*>> characterKeys_;
    TMegaButton* shift_ = nullptr;
    TMegaButton* ctrl_ = nullptr;
    TMegaButton* alt_ = nullptr;
    TMegaButton* caps_ = nullptr;
    TMegaButton* engRus_ = nullptr;
    TMegaButton* close_ = nullptr;
    TMegaButton* move_ = nullptr;
    bool dragging_ = false;
    QPoint dragCursor_;
    QPoint dragOrigin_;
};

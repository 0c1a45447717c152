#include "tfkeyboard.h"

#include "megabutton.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBackground(46, 62, 84);
const QColor kInk(10, 20, 40);

// Main block: 15 units of 49 pixels a row; the cursor block of three
// 52-pixel columns beside it; the close and drag column right of 910.
constexpr int kUnit = 49;
constexpr int kMainLeft = 5;
constexpr int kCursorLeft = 750;
constexpr int kCursorPitch = 52;
constexpr int kKeyHeight = 45;

int RowTop(int row) {
    return 3 + row * 239 / 5;
}

QRect MainKey(int row, double u, double w) {
    const int x = kMainLeft + static_cast<int>(std::lround(u * kUnit));
    const int right = kMainLeft + static_cast<int>(std::lround((u + w) * kUnit)) - 4;
    return {x, RowTop(row), right - x, kKeyHeight};
}

QRect CursorKey(int row, int column) {
    return {kCursorLeft + column * kCursorPitch, RowTop(row), kCursorPitch - 4, kKeyHeight};
}

QString CharacterKeyName(int vk) {
    // Letters carry three digits ("K_065"), the other keys their plain code.
    if (vk >= 65 && vk <= 90) return QStringLiteral("K_%1").arg(vk, 3, 10, QChar(u'0'));
    return QStringLiteral("K_%1").arg(vk);
}

// Pictures are drawn without smoothing: the button treats white as
// transparent, and grey edge pixels would show as a halo.
QImage Blank(int w, int h) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

// An arrow pointing right, turned by `degrees` about its centre.
QImage Arrow(int degrees, int length) {
    const int size = length;
    QImage picture = Blank(size, size);
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const double c = size / 2.0;
    QTransform turn;
    turn.translate(c, c).rotate(degrees).translate(-c, -c);
    const int head = size / 2;
    const QPolygon shape({{2, size / 2 - 3},
                          {size - head, size / 2 - 3},
                          {size - head, 3},
                          {size - 2, size / 2},
                          {size - head, size - 3},
                          {size - head, size / 2 + 3},
                          {2, size / 2 + 3}});
    p.drawPolygon(turn.map(shape));
    return picture;
}

QImage Backspace() {
    QImage picture = Blank(44, 24);
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygon({{1, 12}, {13, 1}, {13, 9}, {42, 9}, {42, 15}, {13, 15}, {13, 23}}));
    return picture;
}

QImage Cross() {
    QImage picture = Blank(40, 40);
    QPainter p(&picture);
    p.setPen(QPen(kInk, 7, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(6, 6, 33, 33);
    p.drawLine(6, 33, 33, 6);
    return picture;
}

// Four arrows from the centre: the drag handle.
QImage FourWays() {
    QImage picture = Blank(44, 44);
    QPainter p(&picture);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(19, 8, 6, 28);
    p.drawRect(8, 19, 28, 6);
    p.drawPolygon(QPolygon({{22, 0}, {31, 10}, {13, 10}}));
    p.drawPolygon(QPolygon({{22, 43}, {31, 33}, {13, 33}}));
    p.drawPolygon(QPolygon({{0, 22}, {10, 13}, {10, 31}}));
    p.drawPolygon(QPolygon({{43, 22}, {33, 13}, {33, 31}}));
    return picture;
}

void SetPicture(TMegaButton* b, const QImage& picture) {
    b->Image.Add(picture);
    b->ImageIndex = 0;
    b->bLeft = (b->width() - picture.width()) / 2;
    b->bTop = (b->height() - picture.height()) / 2;
}

}  // namespace

TFKeyBoard::TFKeyBoard(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("TFKeyBoard"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    resize(kWidth, kHeight);
    BuildKeys();
    ENGRUSClick(engRus_);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!isVisible()) return;
        Watch(now);
        KeepClear();
    });
}

TMegaButton* TFKeyBoard::AddButton(const QString& name, const QString& caption, const QRect& box,
                                   bool toggle) {
    auto* b = new TMegaButton(this);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(box);
    b->Caption = caption.toStdString();
    b->Font = draw::Font::FromPoints("DejaVu Sans", 10);
    b->Font.bold = true;
    ApplyStationLook(*b);
    // Smaller keys, smaller corners and ring.
    b->RoundX = 12;
    b->RoundY = 12;
    b->BorderWidth = 2;
    b->DownOk = toggle;
    return b;
}

void TFKeyBoard::BuildKeys() {
    auto character = [this](int vk, const QRect& box) {
        TMegaButton* b = AddButton(CharacterKeyName(vk), {}, box, false);
        b->Font.SetSize(14);
        b->OnClick = [this](TMegaButton* sender) { KEYBORD_KEY(sender); };
        characterKeys_.emplace_back(vk, b);
    };
    auto row = [&](int r, double u, std::initializer_list<int> codes) {
        for (int vk : codes) {
            character(vk, MainKey(r, u, 1));
            u += 1;
        }
    };
    auto control = [this](char letter, const QRect& box) {
        const keys::ControlKey k = *keys::FindControlKey(letter);
        const bool toggle = letter == 'L' || letter == 'S' || letter == 'C' || letter == 'A';
        TMegaButton* b =
            AddButton(QStringLiteral("C_") + QChar::fromLatin1(letter),
                      QString::fromLatin1(k.caption.data(), k.caption.size()), box, toggle);
        b->OnClick = [this](TMegaButton* sender) { KEYBORD_KEY(sender); };
        return b;
    };

    row(0, 0, {192, 49, 50, 51, 52, 53, 54, 55, 56, 57, 48, 189, 187});
    SetPicture(control('B', MainKey(0, 13, 2)), Backspace());
    control('T', MainKey(1, 0, 1.5));
    row(1, 1.5, {81, 87, 69, 82, 84, 89, 85, 73, 79, 80, 219, 221});
    character(220, MainKey(1, 13.5, 1.5));
    caps_ = control('L', MainKey(2, 0, 1.75));
    row(2, 1.75, {65, 83, 68, 70, 71, 72, 74, 75, 76, 186, 222});
    control('E', MainKey(2, 12.75, 2.25));
    shift_ = control('S', MainKey(3, 0, 2.25));
    row(3, 2.25, {90, 88, 67, 86, 66, 78, 77, 188, 190, 191});
    engRus_ = AddButton(QStringLiteral("ENGRUS"), {}, MainKey(3, 12.25, 2.75), true);
    engRus_->Font.SetSize(14);
    engRus_->OnClick = [this](TMegaButton* sender) { ENGRUSClick(sender); };
    ctrl_ = control('C', MainKey(4, 0, 2));
    alt_ = control('A', MainKey(4, 2, 2));
    character(32, MainKey(4, 4, 11));

    const char cursorBlock[2][3] = {{'I', 'H', 'P'}, {'D', 'N', 'G'}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c)
            control(cursorBlock[r][c], CursorKey(r, c))->Font.SetSize(9);
    }
    SetPicture(control('U', CursorKey(3, 1)), Arrow(-90, 30));
    SetPicture(control('F', CursorKey(4, 0)), Arrow(180, 30));
    SetPicture(control('W', CursorKey(4, 1)), Arrow(90, 30));
    SetPicture(control('R', CursorKey(4, 2)), Arrow(0, 30));

    close_ = AddButton(QStringLiteral("MegaButton6"), {}, {914, 3, 74, 116}, false);
    close_->setToolTip(QStringLiteral("Закрыть клавиатуру"));
    SetPicture(close_, Cross());
    close_->OnClick = [this](TMegaButton*) { hide(); };
    move_ = AddButton(QStringLiteral("Move2"), {}, {914, 123, 74, 116}, false);
    move_->setToolTip(QStringLiteral("Переместить клавиатуру"));
    SetPicture(move_, FourWays());
    move_->installEventFilter(this);
}

void TFKeyBoard::SetTarget(QWidget* window) {
    target_ = window;
    if (window == nullptr) return;
    const QRect frame = window->window()->frameGeometry();
    move(frame.center() - QPoint(width() / 2, height() / 2));
}

void TFKeyBoard::ShowKeyboard(int mode) {
    if (mode == 0) {
        hide();
        return;
    }
    if (isVisible()) return;
    const bool bare = mode == 2 || mode == 3;
    resize(mode == 3 ? kNarrowWidth : kWidth, kHeight);
    close_->setVisible(!bare);
    move_->setVisible(!bare);
    if (QWidget* active = QApplication::activeWindow(); active != this) previous_ = active;
    if (target_ != nullptr) {
        move(Place(WindowRect(), size(), EditedRect()));
        Watch(target_->window()->focusWidget());
    }
    show();
}

QPoint TFKeyBoard::Place(const QRect& window, const QSize& keyboard, const QRect& edited,
                         const std::optional<QPoint>& current) {
    auto covered = [&](const QPoint& at) {
        const QRect overlap = QRect(at, keyboard).intersected(edited);
        return overlap.isEmpty() ? 0LL : 1LL * overlap.width() * overlap.height();
    };
    if (current && covered(*current) == 0) return *current;
    const int x = window.x() + std::max(0, (window.width() - keyboard.width()) / 2);
    const QPoint bottom(x, std::max(window.y(), window.y() + window.height() - keyboard.height()));
    const QPoint top(x, window.y());
    return covered(top) < covered(bottom) ? top : bottom;
}

QRect TFKeyBoard::WindowRect() const {
    if (target_ == nullptr) return {};
    const QWidget* window = target_->window();
    return {window->mapToGlobal(QPoint(0, 0)), window->size()};
}

QRect TFKeyBoard::EditedRect() const {
    if (target_ == nullptr) return {};
    const QWidget* focused = target_->window()->focusWidget();
    if (focused == nullptr || !focused->isVisible()) return {};
    QRect r(focused->mapToGlobal(QPoint(0, 0)), focused->size());
    if (const auto* view = qobject_cast<const QAbstractItemView*>(focused)) {
        const QModelIndex at = view->currentIndex();
        const QWidget* port = view->viewport();
        const QRect cell = at.isValid() ? view->visualRect(at) : QRect();
        // The whole row across the visible part of the list.
        const QRect row =
            QRect(0, cell.y(), port->width(), cell.height()).intersected(port->rect());
        if (!row.isEmpty()) r = QRect(port->mapToGlobal(row.topLeft()), row.size());
    }
    return r;
}

void TFKeyBoard::KeepClear() {
    if (!isVisible() || target_ == nullptr) return;
    const QPoint at = Place(WindowRect(), size(), EditedRect(), pos());
    if (at != pos()) move(at);
}

void TFKeyBoard::Watch(QWidget* focused) {
    disconnect(rowWatch_);
    const auto* view = qobject_cast<const QAbstractItemView*>(focused);
    if (view == nullptr || view->selectionModel() == nullptr) return;
    rowWatch_ = connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                        [this] { KeepClear(); });
}

Qt::KeyboardModifiers TFKeyBoard::Modifiers() const {
    Qt::KeyboardModifiers m;
    if (shift_->Down) m |= Qt::ShiftModifier;
    if (ctrl_->Down) m |= Qt::ControlModifier;
    if (alt_->Down) m |= Qt::AltModifier;
    return m;
}

QWidget* TFKeyBoard::Receiver() {
    QWidget* focused = QApplication::focusWidget();
    if (target_ == nullptr) {
        return focused != nullptr && focused->window() != this ? focused : nullptr;
    }
    // As a real key would, the keys go to the target window's focused
    // control, whichever window was active.
    QWidget* window = target_->window();
    if (!window->isActiveWindow()) window->activateWindow();
    if (focused != nullptr && focused->window() == window) return focused;
    QWidget* remembered = window->focusWidget();
    return remembered != nullptr ? remembered : window;
}

void TFKeyBoard::SendOne(QWidget* to, bool press, int key, Qt::KeyboardModifiers modifiers,
                         const QString& text) {
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(to, &event);
}

void TFKeyBoard::Send(QWidget* to, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    // The press may close the panel that owns the control.
    QPointer<QWidget> alive(to);
    SendOne(to, true, key, modifiers, text);
    if (alive != nullptr) SendOne(to, false, key, modifiers, text);
}

void TFKeyBoard::ReleaseModifiers(QWidget* to) {
    QPointer<QWidget> alive(to);
    for (auto [button, key] :
         {std::pair{ctrl_, int(Qt::Key_Control)}, std::pair{alt_, int(Qt::Key_Alt)},
          std::pair{shift_, int(Qt::Key_Shift)}}) {
        if (!button->Down) continue;
        button->SetDown(false);
        if (alive != nullptr) SendOne(alive, false, key, Modifiers());
    }
}

void TFKeyBoard::ToggleModifier(QWidget* to, TMegaButton* button, int key) {
    if (to != nullptr) SendOne(to, button->Down, key, Modifiers());
}

void TFKeyBoard::KEYBORD_KEY(TMegaButton* sender) {
    if (sender == nullptr) return;
    const QString name = sender->objectName();
    QPointer<QWidget> to = Receiver();

    if (name.startsWith(QLatin1String("K_"))) {
        bool ok = false;
        const int vk = name.mid(2).toInt(&ok);
        const auto stroke = keys::CharacterStroke(vk, layout_, shift_->Down, caps_->Down);
        if (ok && stroke && to != nullptr) {
            // With Ctrl or Alt a letter or digit is a shortcut of its Latin
            // key in either layout (Ctrl+C copies under "РУС" too), and with
            // Ctrl it types nothing.
            const bool latin = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
            const int key = (ctrl_->Down || alt_->Down) && latin ? vk : stroke->key;
            Send(to, key, Modifiers(), ctrl_->Down ? QString() : stroke->text);
        }
        ReleaseModifiers(to);
        UpdateCaptions();
        return;
    }
    if (!name.startsWith(QLatin1String("C_")) || name.size() != 3) return;

    switch (const char letter = name.at(2).toLatin1()) {
        case 'A':
            ToggleModifier(to, alt_, Qt::Key_Alt);
            break;
        case 'C':
            ToggleModifier(to, ctrl_, Qt::Key_Control);
            break;
        case 'S':
            ToggleModifier(to, shift_, Qt::Key_Shift);
            UpdateCaptions();
            break;
        case 'L':
            if (to != nullptr) Send(to, Qt::Key_CapsLock, Modifiers(), {});
            UpdateCaptions();
            break;
        default: {
            const auto k = keys::FindControlKey(letter);
            if (!k || to == nullptr) break;
            // Qt reports Shift+Tab as its own key.
            const int key = k->key == Qt::Key_Tab && shift_->Down ? int(Qt::Key_Backtab) : k->key;
            Send(to, key, Modifiers(), QString::fromLatin1(k->text.data(), k->text.size()));
            break;
        }
    }
}

void TFKeyBoard::ENGRUSClick(TMegaButton* /*sender*/) {
    if (shift_->Down) {
        shift_->SetDown(false);
        if (QWidget* to = Receiver()) SendOne(to, false, Qt::Key_Shift, Modifiers());
    }
    layout_ = engRus_->Down ? keys::Layout::Russian : keys::Layout::English;
    UpdateCaptions();
}

void TFKeyBoard::UpdateCaptions() {
    for (auto [vk, b] : characterKeys_) {
        b->Caption = keys::CharacterCaption(vk, layout_, shift_->Down, caps_->Down).toStdString();
        b->Draw();
    }
    engRus_->Caption = layout_ == keys::Layout::Russian ? "РУС" : "ENG";
    engRus_->Draw();
}

// The window asks not to be activated; a platform or window manager that
// activates it anyway gets the activation handed back at once, so the
// edited control keeps its focus.
void TFKeyBoard::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || QApplication::activeWindow() != this) return;
    QWidget* back = target_ != nullptr ? target_->window() : previous_.data();
    if (back != nullptr && back != this && back->isVisible()) back->activateWindow();
}

bool TFKeyBoard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == move_) {
        const auto type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
            type == QEvent::MouseButtonRelease) {
            const auto* m = static_cast<QMouseEvent*>(event);
            const QPoint cursor = m->globalPosition().toPoint();
            if (type == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
                dragging_ = true;
                dragCursor_ = cursor;
                dragOrigin_ = pos();
            } else if (type == QEvent::MouseMove && dragging_) {
                move(dragOrigin_ + cursor - dragCursor_);
            } else if (type == QEvent::MouseButtonRelease && m->button() == Qt::LeftButton) {
                dragging_ = false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

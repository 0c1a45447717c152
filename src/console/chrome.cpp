// The window's own chrome: the right-edge resize and the drag handles of
// the floating panels (the full-screen toggle sits on the mode bar).

#include "console/chrome.h"

#include <QMouseEvent>

#include "console/geometry.h"
#include "console/tfbase.h"

namespace console {
namespace {

Point P(const QPoint& p) {
    return {p.x(), p.y()};
}

}  // namespace

DragHandle::DragHandle(QWidget* target, QWidget* parent) : QWidget(parent), target_(target) {
    setCursor(Qt::SizeAllCursor);
}

void DragHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    cursorAtPress_ = event->globalPosition().toPoint();
    originAtPress_ = target_->pos();
    dragging_ = true;
}

void DragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const Point at =
        DraggedOrigin(P(originAtPress_), P(cursorAtPress_), P(event->globalPosition().toPoint()));
    target_->move(at.x, at.y);
}

void DragHandle::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

EdgeGrip::EdgeGrip(QWidget* window, QWidget* parent) : QWidget(parent), window_(window) {
    setCursor(Qt::SizeHorCursor);
}

void EdgeGrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    cursorAtPress_ = event->globalPosition().toPoint();
    sizeAtPress_ = window_->size();
    held_ = true;
}

void EdgeGrip::mouseMoveEvent(QMouseEvent* event) {
    if (!held_) return;
    const QSize min = window_->minimumSize();
    const Size s = EdgeResized({sizeAtPress_.width(), sizeAtPress_.height()}, P(cursorAtPress_),
                               P(event->globalPosition().toPoint()), {min.width(), min.height()},
                               Fitted(), {window_->width(), window_->height()});
    window_->resize(s.w, s.h);
}

bool EdgeGrip::Fitted() const {
    const auto* main = qobject_cast<const TFBase*>(window_);
    return window_->isMaximized() || (main != nullptr && main->FitsScreen());
}

void EdgeGrip::mouseReleaseEvent(QMouseEvent*) {
    held_ = false;
}

}  // namespace console

void TFBase::BuildChrome() {
    Border_Rigth = new console::EdgeGrip(this, this);
    Border_Rigth->setObjectName("Border_Rigth");
    Border_Rigth->setFixedWidth(6);
    Border_Rigth->setAutoFillBackground(true);
    QPalette pal = Border_Rigth->palette();
    pal.setColor(QPalette::Window, QColor(90, 110, 140));
    Border_Rigth->setPalette(pal);
}

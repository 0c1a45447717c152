// The manual and station panels' shared pieces.

#include "console/manual_look.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "console/look.h"
#include "controls/megabutton.h"

namespace console {

namespace {

// A press and release closer than this is a click on a drag handle, not a drag.
constexpr int kClickSlop = 6;

const QColor kGood(40, 230, 40);
const QColor kBad(255, 50, 50);
const QColor kPlain(255, 255, 255);

}  // namespace

QLabel* Caption(QWidget* parent, const std::string& text, int pixelSize) {
    QLabel* l = MakeLabel(parent, "", text, pixelSize);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

DragHandle* TitleBar(QFrame* panel, const char* name, const char* title, TMegaButton*& close,
                     const char* closeName) {
    auto* bar = new DragHandle(panel, panel);
    bar->setObjectName(name);
    bar->setFixedHeight(48);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 0, 0, 0);
    row->addWidget(Caption(bar, title, 20), 1);
    close = MakeButton(bar, closeName, "X", ButtonKind::Push, 56, 44);
    close->setToolTip(QString::fromUtf8("Закрыть"));
    row->addWidget(close);
    return bar;
}

QLineEdit* NumberEdit(QWidget* parent, const char* name, const char* text) {
    auto* e = new QLineEdit(QString::fromUtf8(text), parent);
    e->setObjectName(name);
    QFont f = e->font();
    f.setPixelSize(22);
    e->setFont(f);
    e->setMinimumHeight(44);
    e->setMaximumWidth(160);
    return e;
}

QLabel* StationValue(QWidget* parent, const char* name) {
    QLabel* l = MakeLabel(parent, name, "—", 22);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    l->setPalette(pal);
    l->setMinimumSize(160, 64);
    return l;
}

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

void SetTextColour(QLabel* label, StationLook look) {
    SetTextColour(label, look == StationLook::Good  ? kGood
                         : look == StationLook::Bad ? kBad
                                                    : kPlain);
}

void ShowField(QLabel* label, const StationField& field) {
    label->setText(QString::fromStdString(field.text));
    SetTextColour(label, field.look);
    QFont f = label->font();
    f.setPointSize(field.pointSize);
    label->setFont(f);
}

void Sends(TMegaButton* b, std::function<void(int)> send, int code) {
    b->OnClick = [send = std::move(send), code](TMegaButton*) { send(code); };
}

void Toggles(TMegaButton* b, std::function<void(int)> send, int down, int up) {
    b->OnClick = [send = std::move(send), down, up](TMegaButton* s) { send(s->Down ? down : up); };
}

StationTitle::StationTitle(QWidget* panel, std::function<void()> clicked)
    : DragHandle(panel, panel), clicked_(std::move(clicked)) {}

void StationTitle::mousePressEvent(QMouseEvent* event) {
    pressAt_ = event->globalPosition().toPoint();
    DragHandle::mousePressEvent(event);
}

void StationTitle::mouseReleaseEvent(QMouseEvent* event) {
    DragHandle::mouseReleaseEvent(event);
    const QPoint travel = event->globalPosition().toPoint() - pressAt_;
    if (event->button() == Qt::LeftButton && travel.manhattanLength() < kClickSlop) clicked_();
}

}  // namespace console

// The message panel: one floating panel that asks or informs, with its
// three answer buttons.

#include "console/message_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "console/look.h"
#include "controls/megabutton.h"

namespace console {

MessagePanel::MessagePanel(QWidget* parent) : QFrame(parent) {
    StylePanel(this, "Messager");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(4);
    resize(620, 230);
    auto* column = new QVBoxLayout(this);
    MesText = MakeLabel(this, "MesText", "", 22);
    MesText->setWordWrap(true);
    MesText->setAlignment(Qt::AlignCenter);
    QPalette pal = MesText->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 230, 120));
    MesText->setPalette(pal);
    column->addWidget(MesText, 1);
    auto* row = new QHBoxLayout;
    Butt_YES = MakeButton(this, "Butt_YES", "ДА", ButtonKind::Push, 150, 56);
    Butt_OK = MakeButton(this, "Butt_OK", "ОК", ButtonKind::Push, 150, 56);
    Butt_NO = MakeButton(this, "Butt_NO", "НЕТ", ButtonKind::Push, 150, 56);
    row->addStretch(1);
    for (TMegaButton* b : {Butt_YES, Butt_OK, Butt_NO})
        row->addWidget(b);
    row->addStretch(1);
    column->addLayout(row);
    Butt_YES->OnClick = [this](TMegaButton*) { emit answered(1); };
    Butt_OK->OnClick = [this](TMegaButton*) { emit answered(2); };
    Butt_NO->OnClick = [this](TMegaButton*) { emit answered(3); };
    hide();
}

void MessagePanel::Show(const std::string& text, int kind) {
    MesText->setText(QString::fromStdString(text));
    Butt_YES->setVisible(kind == 0);
    Butt_NO->setVisible(kind == 0);
    Butt_OK->setVisible(kind == 1);
    show();
    raise();
}

void MessagePanel::Lighten() {
    for (QWidget* w : darkened_)
        w->setEnabled(true);
    darkened_.clear();
}

void MessagePanel::DarkenBehind(QWidget* screens, bool testRunning) {
    Lighten();
    if (!testRunning) {
        screens->setEnabled(false);
        darkened_.push_back(screens);
        return;
    }
    QWidget* keep = screens->findChild<QWidget*>("BUT_STOP");
    while (keep != screens && keep->parentWidget() != nullptr) {
        QWidget* parent = keep->parentWidget();
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w == nullptr || w == keep || !w->isEnabled() || w->isWindow()) continue;
            w->setEnabled(false);
            darkened_.push_back(w);
        }
        keep = parent;
    }
}

void MessagePanel::Close() {
    hide();
    Lighten();
}

std::string MessagePanel::Text() const {
    return MesText->text().toStdString();
}

}  // namespace console

// The message panel: one floating panel that asks or informs, with its
// three answer buttons; the answer runs the continuation code.

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "console/look.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"

using console::ButtonKind;

void TFBase::BuildMessager() {
    Messager = console::MakePanel(this, "Messager");
    Messager->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Messager->setLineWidth(4);
    Messager->resize(620, 230);
    auto* column = new QVBoxLayout(Messager);
    MesText = console::MakeLabel(Messager, "MesText", "", 22);
    MesText->setWordWrap(true);
    MesText->setAlignment(Qt::AlignCenter);
    QPalette pal = MesText->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 230, 120));
    MesText->setPalette(pal);
    column->addWidget(MesText, 1);
    auto* row = new QHBoxLayout;
    Butt_YES = console::MakeButton(Messager, "Butt_YES", "ДА", ButtonKind::Push, 150, 56);
    Butt_OK = console::MakeButton(Messager, "Butt_OK", "ОК", ButtonKind::Push, 150, 56);
    Butt_NO = console::MakeButton(Messager, "Butt_NO", "НЕТ", ButtonKind::Push, 150, 56);
    row->addStretch(1);
    for (TMegaButton* b : {Butt_YES, Butt_OK, Butt_NO})
        row->addWidget(b);
    row->addStretch(1);
    column->addLayout(row);
    Butt_YES->OnClick = [this](TMegaButton*) { AnswerMes(1); };
    Butt_OK->OnClick = [this](TMegaButton*) { AnswerMes(2); };
    Butt_NO->OnClick = [this](TMegaButton*) { AnswerMes(3); };
    Messager->hide();
}

void TFBase::ShowMes(const std::string& text, int kind, int code) {
    // A file error that another message would replace comes back after it.
    if (fileMessageShown_ && !Messager->isHidden())
        fileMessages_.push_front(MesText->text().toStdString());
    fileMessageShown_ = false;
    MesText->setText(QString::fromStdString(text));
    Butt_YES->setVisible(kind == 0);
    Butt_NO->setVisible(kind == 0);
    Butt_OK->setVisible(kind == 1);
    DisableScreensBehindMessage();
    CentrePanel(Messager);
    Messager->show();
    Messager->raise();
    continuation_ = code;
}

void TFBase::CloseMes() {
    Messager->hide();
    EnableScreensAfterMessage();
    fileMessageShown_ = false;
    // After what the answer runs, which may show a message of its own.
    if (!fileMessages_.empty()) {
        QTimer::singleShot(0, this, [this] {
            if (!Messager->isHidden() || fileMessages_.empty()) return;
            const std::string next = std::move(fileMessages_.front());
            fileMessages_.pop_front();
            ShowFileMessage(next);
        });
    }
}

void TFBase::ShowFileMessage(const std::string& text) {
    // A file error of the work under way takes the place of its busy message.
    const bool busy = !busyText_.empty() && MessageText() == busyText_;
    if (!Messager->isHidden() && !busy) {
        fileMessages_.push_back(text);
        return;
    }
    ShowMes(text, 1, 0);
    fileMessageShown_ = true;
}

std::string TFBase::MessageText() const {
    return !Messager->isHidden() ? MesText->text().toStdString() : std::string();
}

void TFBase::AnswerMes(int answer) {
    CloseMes();
    answer_ = answer;
    if (closeOnAnswer_) {
        EndProgram();
        return;
    }
    // 0 continues nothing.
    if (continuation_ != 0) Command(continuation_);
}

// The screens go dark behind a message, but while a test runs the stop
// button must stay in reach: then everything but the way to it is disabled.
void TFBase::DisableScreensBehindMessage() {
    EnableScreensAfterMessage();
    if (!work_ || work_->State() != C_Work::kRunning) {
        BaseTab->setEnabled(false);
        disabledByMessage_.push_back(BaseTab);
        return;
    }
    QWidget* keep = BaseTab->findChild<QWidget*>("BUT_STOP");
    while (keep != BaseTab && keep->parentWidget() != nullptr) {
        QWidget* parent = keep->parentWidget();
        for (QObject* o : parent->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w == nullptr || w == keep || !w->isEnabled() || w->isWindow()) continue;
            w->setEnabled(false);
            disabledByMessage_.push_back(w);
        }
        keep = parent;
    }
}

void TFBase::EnableScreensAfterMessage() {
    for (QWidget* w : disabledByMessage_)
        w->setEnabled(true);
    disabledByMessage_.clear();
}

void TFBase::ShowBusy(const std::string& text) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ShowMes(text, 2, 0);
    busyText_ = text;
    Messager->repaint();
}

void TFBase::EndBusy() {
    QGuiApplication::restoreOverrideCursor();
    if (MessageText() == busyText_) CloseMes();
    busyText_.clear();
}

console::BusyScope::BusyScope(TFBase& window, const std::string& text) : window_(window) {
    window_.ShowBusy(text);
}

console::BusyScope::~BusyScope() {
    window_.EndBusy();
}

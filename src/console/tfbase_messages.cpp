// The message state: the question's continuation and answer, the file
// errors waiting for the panel, the busy message, and the screens darkened
// behind a message.

#include <QGuiApplication>
#include <QStackedWidget>
#include <QTimer>

#include "console/message_panel.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"

void TFBase::BuildMessager() {
    messagePanel_ = new console::MessagePanel(this);
    connect(messagePanel_, &console::MessagePanel::answered, this, &TFBase::AnswerMes);
}

void TFBase::ShowMes(const std::string& text, int kind, int code) {
    // A file error that another message would replace comes back after it.
    if (fileMessageShown_ && !messagePanel_->isHidden())
        fileMessages_.push_front(messagePanel_->Text());
    fileMessageShown_ = false;
    DisableScreensBehindMessage();
    CentrePanel(messagePanel_);
    messagePanel_->Show(text, kind);
    continuation_ = code;
}

void TFBase::CloseMes() {
    messagePanel_->Close();
    EnableScreensAfterMessage();
    fileMessageShown_ = false;
    // After what the answer runs, which may show a message of its own.
    if (!fileMessages_.empty()) {
        QTimer::singleShot(0, this, [this] {
            if (!messagePanel_->isHidden() || fileMessages_.empty()) return;
            const std::string next = std::move(fileMessages_.front());
            fileMessages_.pop_front();
            ShowFileMessage(next);
        });
    }
}

void TFBase::ShowFileMessage(const std::string& text) {
    // A file error of the work under way takes the place of its busy message.
    const bool busy = !busyText_.empty() && MessageText() == busyText_;
    if (!messagePanel_->isHidden() && !busy) {
        fileMessages_.push_back(text);
        return;
    }
    ShowMes(text, 1, 0);
    fileMessageShown_ = true;
}

std::string TFBase::MessageText() const {
    return !messagePanel_->isHidden() ? messagePanel_->Text() : std::string();
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
    messagePanel_->repaint();
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

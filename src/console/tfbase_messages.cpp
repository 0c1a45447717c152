// The station's message on its panel, the screens darkened behind it, and
// the wait cursor while the station is busy.

#include <QGuiApplication>
#include <QStackedWidget>

#include "console/busy_scope.h"
#include "console/message_panel.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"

void TFBase::BuildMessager() {
    messagePanel_ = new console::MessagePanel(this);
    connect(messagePanel_, &console::MessagePanel::answered, station_.get(),
            &station::StationController::AnswerMessage);
}

// The station's message on the panel, centred, the screens dark behind it.
void TFBase::ShowMessage(const QString& text, int kind) {
    DisableScreensBehindMessage();
    CentrePanel(messagePanel_);
    messagePanel_->Show(text.toStdString(), kind);
}

void TFBase::HideMessage() {
    messagePanel_->Close();
    EnableScreensAfterMessage();
}

// The screens go dark behind a message, but while a test runs the stop
// button must stay in reach: then everything but the way to it is disabled.
void TFBase::DisableScreensBehindMessage() {
    EnableScreensAfterMessage();
    if (!Work() || Work()->State() != C_Work::kRunning) {
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

// The wait cursor while the station is busy; its message painted now, as
// the window answers nothing until the work ends.
void TFBase::ShowBusyCursor(bool busy) {
    if (!busy) {
        QGuiApplication::restoreOverrideCursor();
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    messagePanel_->repaint();
}

console::BusyScope::BusyScope(TFBase& window, const std::string& text) : window_(window) {
    window_.ShowBusy(text);
}

console::BusyScope::~BusyScope() {
    window_.EndBusy();
}

// The station's message on its panel, centred, the screens dark behind it,
// and the wait cursor while the station is busy.

#include <QGuiApplication>
#include <QStackedWidget>

#include "console/message_panel.h"
#include "console/tfbase.h"
#include "engine/cwork.h"

void TFBase::BuildMessager() {
    using S = station::StationController;
    messagePanel_ = new console::MessagePanel(this);
    connect(messagePanel_, &console::MessagePanel::answered, station_.get(), &S::AnswerMessage);
    connect(station_.get(), &S::messageRequested, this, [this](const QString& text, int kind) {
        messagePanel_->DarkenBehind(BaseTab, Work() && Work()->State() == C_Work::kRunning);
        panels_.Centre(messagePanel_);
        messagePanel_->Show(text.toStdString(), kind);
    });
    connect(station_.get(), &S::messageClosed, messagePanel_, &console::MessagePanel::Close);
    // The wait cursor; the busy message painted now, as the window answers
    // nothing until the work ends.
    connect(station_.get(), &S::busyChanged, this, [this](bool busy) {
        if (!busy) {
            QGuiApplication::restoreOverrideCursor();
            return;
        }
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        messagePanel_->repaint();
    });
}

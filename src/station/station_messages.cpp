// The message the operator is shown, what answering it runs, and the file
// errors that wait their turn behind it.

#include <QTimer>

#include "station/station_controller.h"

namespace station {

void StationController::ShowMes(const std::string& text, int kind, int code) {
    // A file error that another message would replace comes back after it.
    if (fileMessageShown_ && messageShown_) fileMessages_.push_front(messageText_);
    fileMessageShown_ = false;
    messageText_ = text;
    messageShown_ = true;
    emit messageRequested(QString::fromStdString(text), kind);
    continuation_ = code;
}

void StationController::CloseMes() {
    messageShown_ = false;
    emit messageClosed();
    fileMessageShown_ = false;
    // After what the answer runs, which may show a message of its own.
    if (!fileMessages_.empty()) {
        QTimer::singleShot(0, this, [this] {
            if (messageShown_ || fileMessages_.empty()) return;
            const std::string next = std::move(fileMessages_.front());
            fileMessages_.pop_front();
            ShowFileMessage(next);
        });
    }
}

void StationController::ShowFileMessage(const std::string& text) {
    // A file error of the work under way takes the place of its busy message.
    const bool busy = !busyText_.empty() && MessageText() == busyText_;
    if (messageShown_ && !busy) {
        fileMessages_.push_back(text);
        return;
    }
    ShowMes(text, 1, 0);
    fileMessageShown_ = true;
}

void StationController::AnswerMessage(int answer) {
    CloseMes();
    answer_ = answer;
    if (closeOnAnswer_) {
        EndProgram();
        return;
    }
    // 0 continues nothing.
    if (continuation_ != 0) Command(continuation_);
}

void StationController::ShowBusy(const std::string& text) {
    ShowMes(text, 2, 0);
    busyText_ = text;
    emit busyChanged(true);
}

void StationController::EndBusy() {
    emit busyChanged(false);
    if (MessageText() == busyText_) CloseMes();
    busyText_.clear();
}

}  // namespace station

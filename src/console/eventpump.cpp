#include "console/eventpump.h"

#include <QMetaObject>

#include "console/tfbase.h"

namespace console {

void QueuedEvents::post(int code) {
    TFBase* window = window_.data();
    if (window == nullptr) return;
    QMetaObject::invokeMethod(
        window, [window, code] { window->Command(code); }, Qt::QueuedConnection);
}

void MessagePanelSink::ShowMessage(const std::string& /*caption*/, const std::string& text) {
    TFBase* window = window_.data();
    if (window == nullptr) return;
    // Direct on the window's thread; from any other thread, queued to it.
    QMetaObject::invokeMethod(
        window, [window, text] { window->ShowFileMessage(text); }, Qt::AutoConnection);
}

}  // namespace console

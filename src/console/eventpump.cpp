#include "console/eventpump.h"

#include <QMessageBox>
#include <QMetaObject>

#include "console/tfbase.h"

namespace console {

void QueuedEvents::post(int code) {
    TFBase* window = window_.data();
    if (window == nullptr) return;
    QMetaObject::invokeMethod(
        window, [window, code] { window->Command(code); }, Qt::QueuedConnection);
}

void MessageBoxSink::ShowMessage(const std::string& caption, const std::string& text) {
    QMessageBox::warning(parent_.data(), QString::fromStdString(caption),
                         QString::fromStdString(text));
}

}  // namespace console

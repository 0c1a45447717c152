#include "console/service_console.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <string>
#include <utility>

#include "console/chrome.h"
#include "console/look.h"
#include "controls/megabutton.h"
#include "model/config.h"
#include "station/station_settings.h"

namespace console {

ServiceConsole::ServiceConsole(station::StationSettings& settings, QWidget* parent)
    : QFrame(parent), settings_(settings) {
    StyleFloatingPanel(this, "Cons", "Консоль", 560, 420);
    auto* column = static_cast<QVBoxLayout*>(layout());
    auto* handle = new DragHandle(this, this);
    handle->setObjectName("Move3");
    handle->setFixedHeight(20);
    column->insertWidget(0, handle);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    column->addWidget(Memo1, 1);
    auto* row = new QHBoxLayout;
    TMegaButton* list = MakeButton(this, "Button1", "Параметры", ButtonKind::Push, 140, 44);
    list->OnClick = [this](TMegaButton*) {
        // Nothing to list before the engine exists.
        if (const C_Config* config = settings_.Configuration()) ListParameters(*config);
    };
    // Kept as the panel has them: the button does nothing, the fields are not read.
    TMegaButton* idle = MakeButton(this, "Button2", "Button2", ButtonKind::Push, 140, 44);
    row->addWidget(list);
    row->addWidget(idle);
    for (const auto& [name, text] : {std::pair{"Edit2", "0"}, std::pair{"Edit3", "1.1"}}) {
        auto* edit = new QLineEdit(QString::fromUtf8(text), this);
        edit->setObjectName(name);
        row->addWidget(edit);
    }
    column->addLayout(row);
}

void ServiceConsole::ListParameters(const C_Config& config) {
    for (int i = 0; i < config.Count(); ++i)
        Memo1->appendPlainText(
            QString::fromStdString(std::to_string(i) + "  " + config.Record(i)->name));
}

}  // namespace console

// The window's service keys: the manual panel, the window frame, the
// console panel and manual entry in the verification table.

#include <QAction>
#include <QFrame>

#include "console/password_panel.h"
#include "console/service_console.h"
#include "console/setup_screen.h"
#include "console/tension_panel.h"
#include "console/tfbase.h"

void TFBase::BuildShortcuts() {
    auto make = [this](const char* name, QKeyCombination keys) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(QKeySequence(keys));
        addAction(action);
        return action;
    };
    QAction* action1 = make("Action1", Qt::CTRL | Qt::Key_D);
    QAction* action2 = make("Action2", Qt::CTRL | Qt::Key_F);
    // Ctrl+P is taken and does nothing, as on the original station.
    make("Action3", Qt::CTRL | Qt::Key_P);
    QAction* action4 = make("Action4", Qt::CTRL | Qt::Key_C);
    QAction* action5 = make("Action5", Qt::CTRL | Qt::Key_E);

    connect(action1, &QAction::triggered, this, [this] {
        panels_.Toggle(tensionPanel_);
        setupScreen_->EnableInputs();
        if (auto* autopilot = findChild<QWidget*>("AUTOPILOT")) autopilot->show();
    });
    connect(action2, &QAction::triggered, this, [this] {
        setWindowFlag(Qt::FramelessWindowHint, !windowFlags().testFlag(Qt::FramelessWindowHint));
        // A window whose flags change is hidden until shown again.
        show();
        if (fitsScreen_) FitToScreen();
    });
    connect(action4, &QAction::triggered, this, [this] {
        if (panels_.Toggle(serviceConsole_)) panels_.Centre(serviceConsole_);
    });
    connect(action5, &QAction::triggered, this, &TFBase::ManualEntryRequested);
}

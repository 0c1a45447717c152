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
    auto make = [this](QAction*& action, const char* name, QKeyCombination keys) {
        action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(QKeySequence(keys));
        addAction(action);
    };
    make(Action1, "Action1", Qt::CTRL | Qt::Key_D);
    make(Action2, "Action2", Qt::CTRL | Qt::Key_F);
    // Ctrl+P is taken and does nothing, as on the original station.
    make(Action3, "Action3", Qt::CTRL | Qt::Key_P);
    make(Action4, "Action4", Qt::CTRL | Qt::Key_C);
    make(Action5, "Action5", Qt::CTRL | Qt::Key_E);

    connect(Action1, &QAction::triggered, this, [this] {
        if (tensionPanel_->isHidden()) {
            OpenPanel(tensionPanel_);
        } else {
            tensionPanel_->hide();
        }
        setupScreen_->EnableInputs();
        if (auto* autopilot = findChild<QWidget*>("AUTOPILOT")) autopilot->show();
    });
    connect(Action2, &QAction::triggered, this, [this] {
        setWindowFlag(Qt::FramelessWindowHint, !windowFlags().testFlag(Qt::FramelessWindowHint));
        // A window whose flags change is hidden until shown again.
        show();
        if (fitsScreen_) FitToScreen();
    });
    connect(Action4, &QAction::triggered, this, [this] {
        if (serviceConsole_->isHidden()) {
            CentrePanel(serviceConsole_);
            OpenPanel(serviceConsole_);
        } else {
            serviceConsole_->hide();
        }
    });
    connect(Action5, &QAction::triggered, this, &TFBase::ManualEntryRequested);
}

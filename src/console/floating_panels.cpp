#include "console/floating_panels.h"

#include <QWidget>

#include "console/geometry.h"

namespace console {

void FloatingPanels::Add(QWidget* panel, std::function<void()> close) {
    panels_.push_back({panel, std::move(close)});
}

void FloatingPanels::Add(QWidget* panel) {
    Add(panel, [this, panel] {
        panel->hide();
        hidden_();
    });
}

void FloatingPanels::Open(QWidget* panel) {
    CloseAll(panel);
    panel->show();
    panel->raise();
}

bool FloatingPanels::Toggle(QWidget* panel) {
    if (!panel->isHidden()) {
        panel->hide();
        return false;
    }
    Open(panel);
    return true;
}

void FloatingPanels::CloseAll(const QWidget* keep) {
    for (const Panel& p : panels_) {
        if (p.panel != keep && !p.panel->isHidden()) p.close();
    }
}

void FloatingPanels::Centre(QWidget* panel) const {
    const Point at =
        CentredOrigin({window_.width(), window_.height()}, {panel->width(), panel->height()});
    panel->move(at.x, at.y);
    panel->raise();
}

}  // namespace console

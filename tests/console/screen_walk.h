#pragma once

// How the picture-taking tests walk the window: every page of its stacks and
// tabs, and every floating panel shown over the screen it belongs to.

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QStackedWidget>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "controls/megadatchik.h"

namespace testsupport {

inline bool QtInternal(const QWidget* w) {
    return w->objectName().startsWith("qt_");
}

inline bool LaidOut(const QLayout* layout, const QWidget* w) {
    if (layout == nullptr) return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w) return true;
        if (LaidOut(item->layout(), w)) return true;
    }
    return false;
}

// A widget placed by its parent's layout (a tab or stack page is placed by
// its container, which shows one at a time).
inline bool Placed(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (parent == nullptr) return false;
    if (qobject_cast<const QStackedWidget*>(parent) != nullptr) return true;
    return LaidOut(parent->layout(), w);
}

// Every page of the stacks and tabs under `root` other than the one shown,
// one at a time: `look` gets the view's name while the page shows.
inline void WalkStacks(QWidget* root, const std::string& view,
                       const std::function<void(const std::string&)>& look) {
    for (auto* stack : root->findChildren<QStackedWidget*>()) {
        if (QtInternal(stack) || !stack->isVisible() || stack->count() < 2) continue;
        const int was = stack->currentIndex();
        for (int i = 0; i < stack->count(); ++i) {
            if (i == was) continue;
            stack->setCurrentIndex(i);
            look(view + "_" + stack->objectName().toStdString() + std::to_string(i));
        }
        stack->setCurrentIndex(was);
    }
    for (auto* tabs : root->findChildren<QTabWidget*>()) {
        if (!tabs->isVisible()) continue;
        const int was = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            if (i == was) continue;
            tabs->setCurrentIndex(i);
            look(view + "_" + tabs->objectName().toStdString() + std::to_string(i));
        }
        tabs->setCurrentIndex(was);
    }
}

// The floating panels: frames their parent's layout does not place.
inline std::vector<QFrame*> FloatingPanels(const QWidget* window) {
    std::vector<QFrame*> panels;
    for (QFrame* f : window->findChildren<QFrame*>()) {
        // The rows of a readout are its own drawing.
        bool inReadout = false;
        for (QWidget* at = f; at != nullptr; at = at->parentWidget())
            inReadout = inReadout || qobject_cast<TMegaDatchik*>(at) != nullptr;
        if (!inReadout && !QtInternal(f) && f->parentWidget() != nullptr && !Placed(f) &&
            qobject_cast<QAbstractScrollArea*>(f) == nullptr && qobject_cast<QLabel*>(f) == nullptr)
            panels.push_back(f);
    }
    return panels;
}

// Shows a panel centred over the screen it belongs to.
inline void ShowPanel(QStackedWidget* pages, QFrame* panel) {
    for (int page = 0; page < pages->count(); ++page) {
        if (pages->widget(page)->isAncestorOf(panel)) pages->setCurrentIndex(page);
    }
    QWidget* parent = panel->parentWidget();
    panel->move((parent->width() - panel->width()) / 2, (parent->height() - panel->height()) / 2);
    panel->show();
    panel->raise();
}

}  // namespace testsupport

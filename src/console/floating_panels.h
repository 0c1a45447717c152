#pragma once

#include <functional>
#include <vector>

class QWidget;

namespace console {

// The window's floating panels: one at a time, and none outlives the screen
// it was opened on. The message panel is not one of them: it stays up, and
// its question waits for an answer.
class FloatingPanels {
public:
    // `hidden` runs after a panel without a close of its own is hidden.
    FloatingPanels(const QWidget& window, std::function<void()> hidden)
        : window_(window), hidden_(std::move(hidden)) {}

    // A panel and how it closes: as its own close button does, so the manual
    // panel stops the crosshead and the zoom panel gives its lists back.
    void Add(QWidget* panel, std::function<void()> close);
    // A panel that closes by hiding.
    void Add(QWidget* panel);
    // The others closed, this one shown on top.
    void Open(QWidget* panel);
    // Opened when hidden, hidden when shown; whether it shows now.
    bool Toggle(QWidget* panel);
    void CloseAll(const QWidget* keep = nullptr);
    // Centred on the window, on top.
    void Centre(QWidget* panel) const;

private:
    struct Panel {
        QWidget* panel;
        std::function<void()> close;
    };
    const QWidget& window_;
    std::function<void()> hidden_;
    std::vector<Panel> panels_;
};

}  // namespace console

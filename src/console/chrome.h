#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

namespace console {

// A handle that drags another widget (a floating panel) by the cursor's
// travel while the left button is held.
class DragHandle : public QWidget {
    Q_OBJECT

public:
    DragHandle(QWidget* target, QWidget* parent);
    bool Dragging() const { return dragging_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* target_;
    QPoint cursorAtPress_;
    QPoint originAtPress_;
    bool dragging_ = false;
};

// The right window edge: dragging it resizes the window unless it covers
// its screen.
class EdgeGrip : public QWidget {
    Q_OBJECT

public:
    EdgeGrip(QWidget* window, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A window that covers its screen keeps its size.
    bool Fitted() const;
    QWidget* window_;
    QPoint cursorAtPress_;
    QSize sizeAtPress_;
    bool held_ = false;
};

}  // namespace console

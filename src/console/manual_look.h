#pragma once

#include <QColor>
#include <QPoint>

#include <functional>
#include <string>

#include "console/chrome.h"
#include "console/manual_rules.h"

class QFrame;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QWidget;
class TMegaButton;

// How the manual control, hydraulic station and hold panels look: their
// title bars, number fields and the station's readout fields.
namespace console {

// A label the handle under it receives the presses for.
QLabel* Caption(QWidget* parent, const std::string& text, int pixelSize);
// The title bar of a manual panel: drags the panel; the close button sits at its right.
DragHandle* TitleBar(QFrame* panel, const char* name, const char* title, TMegaButton*& close,
                     const char* closeName);
QLineEdit* NumberEdit(QWidget* parent, const char* name, const char* text);
// A black readout field of the station panel.
QLabel* StationValue(QWidget* parent, const char* name);
void SetTextColour(QLabel* label, const QColor& colour);
// Green for good, red for bad, white when unknown.
void SetTextColour(QLabel* label, StationLook look);
void ShowField(QLabel* label, const StationField& field);

// A button that sends one code; a toggle that sends one code down, another up.
void Sends(TMegaButton* b, std::function<void(int)> send, int code);
void Toggles(TMegaButton* b, std::function<void(int)> send, int down, int up);

// The station panel's title: drags the panel; a click on it (no travel) hides it.
class StationTitle final : public DragHandle {
public:
    StationTitle(QWidget* panel, std::function<void()> clicked);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> clicked_;
    QPoint pressAt_;
};

}  // namespace console

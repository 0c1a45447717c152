#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

class QLM_COMeX;
class QLineEdit;
class QListWidget;
class QTabWidget;
class TMegaButton;

namespace console {

// A number typed into the window's fields: the whole text, blanks around it
// allowed, with a point, a comma or the letter on the point key of the
// Russian layout as the decimal separator, within single precision.
// Anything else is no number.
std::optional<float> ParseWindowNumber(std::string_view text);

}  // namespace console

// The extensometer window: connects the motorised extensometer's serial port
// and commands its grips and positioning, listing what each action returns.
// A top-level window of its own, always on top; the port belongs to the main
// window and outlives this window.
class TExtens : public QWidget {
    Q_OBJECT

public:
    explicit TExtens(QLM_COMeX& link, QWidget* parent = nullptr);

    // Lines of the log, oldest first.
    std::string LogLine(int row) const;
    int LogCount() const;

    // The port the window connects: "COM1" names the first serial device.
    std::string portName = "COM1";
    // Positions below this are refused; parking goes here.
    float lowerLimit = 0.0f;

    QTabWidget* PageControl1 = nullptr;
    QWidget* ExtensDrawing = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit6 = nullptr;
    TMegaButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr;
    TMegaButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr,
                *SpeedButton4 = nullptr;
    QListWidget* Cons = nullptr;

    // The buttons' actions.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();

private:
    void AddLine(const std::string& line);
    // The field's number, or a line in the log saying which field holds no
    // number.
    std::optional<float> FieldNumber(const QLineEdit* field, const char* caption);

    QLM_COMeX& link_;
};

#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPaintEvent;
class QResizeEvent;

namespace readout {
class RowPanel;
class RowLabel;
class ClickArea;
}  // namespace readout

// The readout panel: a black panel of large yellow readouts, one row per
// value, each row a sunken panel with a name, a small second text under it,
// the value right-aligned and a unit in the symbol font. A row can be bound
// to a double the console owns; UpdateData shows every bound row's value.
//
// Children, found by objectName with the row index appended ("value0"):
//   "row"    the row panel (a QFrame)
//   "name"   name label          "second" second label ("max")
//   "value"  value label         "unit"   unit label (symbol font)
//   "click"  the transparent area on top that takes presses
// The labels are QLabels whose text() is the raw caption; the unit label
// draws it through the symbol table, so "`в" stays "`в" in text() and shows
// σв. Label texts only change (and repaint) when they differ.
class TMegaDatchik : public QWidget {
    Q_OBJECT

public:
    // One handler per panel, as the console wires it; sender is this panel.
    using ClickNomEvent = std::function<void(TMegaDatchik* sender, int index)>;

    explicit TMegaDatchik(QWidget* parent = nullptr);
    ~TMegaDatchik() override;

    // Raised on a press with any mouse button anywhere on a row.
    ClickNomEvent OnClickNom;
    // Extra left offset of the value and unit labels; read when rows are added.
    int DigitLeft = 0;

    // Appends n rows; before each the panel's height becomes
    // 41 x (index of the new row) + 52.
    void AddTablo(int n);
    // Texts and colour (0x00BBGGRR) of an existing row; a non-null value
    // binds the row to it, a null one keeps the previous binding. A row
    // outside the list changes nothing.
    void SetParametr(int row, std::uint32_t colour, std::string_view name, std::string_view second,
                     std::string_view unit, double* value);
    void SetValue(int row, std::string_view text);
    // The number with the decimals its magnitude gives (FormatValue).
    void SetValue(int row, double v);
    // Every bound row shows its variable; a row never bound keeps its text.
    void UpdateData();
    // Destroys every row; the panel keeps its height.
    void DeleteAll();

    // Grows the rows, their texts and their spacing by `scale` from the sizes
    // at 1 (the panel's own size is its parent's to set).
    void SetScale(double scale);
    double Scale() const { return scale_; }

    int Count() const { return static_cast<int>(rows_.size()); }
    // The value label's text of a row ("" outside the list).
    std::string ValueText(int row) const;

    // Below 10 (negatives included) three decimals, below 100 two, else one,
    // with the program-wide decimal separator.
    static std::string FormatValue(double v);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Row {
        readout::RowPanel* panel = nullptr;
        readout::RowLabel* name = nullptr;
        readout::RowLabel* second = nullptr;
        readout::RowLabel* value = nullptr;
        readout::RowLabel* unit = nullptr;
        readout::ClickArea* click = nullptr;
        double* bound = nullptr;
    };

    bool Valid(int row) const { return row >= 0 && row < Count(); }
    void AddRow();
    void LayOutRow(int index);
    void ShowValue(int row, const QString& text);
    void RowPressed(int index);

    std::vector<Row> rows_;
    double scale_ = 1.0;
    bool dispatching_ = false;  // inside OnClickNom: rows are removed later
};

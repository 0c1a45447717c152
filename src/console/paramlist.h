#pragma once

#include <QTableWidget>

#include <functional>
#include <string>
#include <vector>

namespace console {

// One parameter list of the set-up screen as an editable table: a caption
// column and a value column, shown from the lines the engine fills
// ("caption=value"). An edited value is handed to OnEdit with its row.
class ParamList : public QTableWidget {
    Q_OBJECT

public:
    ParamList(std::vector<std::string>& lines, QWidget* parent = nullptr);

    // Shows the lines as they are now.
    void Reload();
    // Light green while the set-up screen takes input, else white.
    void SetEditingColour(bool editing);
    bool EditingColour() const { return editing_; }

    // The value shown in a row ("" outside the list).
    std::string ValueAt(int row) const;
    // Last edit: its text and row (-1 before any).
    const std::string& EditText() const { return editText_; }
    int EditRow() const { return editRow_; }

    // Raised when the operator finished editing a value.
    std::function<void(int row, const std::string& text)> OnEdit;

    // Adjusted to its contents, a list asks for the height of its rows; a
    // short one needs no more, even as its least height.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void ItemChanged(QTableWidgetItem* item);

    std::vector<std::string>& lines_;
    bool reloading_ = false;
    bool editing_ = false;
    std::string editText_;
    int editRow_ = -1;
};

}  // namespace console

#pragma once

#include <QFrame>

#include <set>
#include <string>

class C_Parametr;
class QTableWidget;
class TMegaButton;

namespace station {
class Verification;
}

namespace console {

// The verification table PanelPoverka / TABPOVER of the method "Поверка":
// one row per check point, one column per run and stroke. It shows what the
// method holds and hands the cell the operator took or typed to the
// station's verification, which stores the readings.
class VerificationPanel final : public QFrame {
    Q_OBJECT

public:
    explicit VerificationPanel(QWidget* parent);
    // The verification whose readings the table takes and shows.
    void Bind(station::Verification& verification);

    // Shown over the plot sheet and raised, or hidden.
    void Open();
    void ShowTitle(const std::string& channelName);
    // The columns of the stroke choice, then the cells.
    void Relayout(const C_Parametr* method, const std::set<std::string>& taken);
    // What the method holds, cell by cell: the nominal points, the readings
    // of the layout's columns, "-" beyond the points in use.
    void ShowCells(const C_Parametr* method, const std::set<std::string>& taken);
    // The same for the bound verification's method and readings.
    void ShowTable();
    void ShowReadings();
    // Both strokes (seven columns) or the forward stroke only.
    bool SevenColumns() const;
    int Columns() const;
    // Typing mode (Ctrl+E): a click only chooses the cell.
    void AllowTyping();
    // With a unit the invented readings are never offered.
    void DropInventedReadings();

signals:
    // The stroke choice changed the columns: the cells want the method again.
    void layoutChanged();
    // A click on a reading cell (point 1 on), outside typing mode.
    void readingClicked(int point, const std::string& key);
    // A reading cell typed into, in typing mode.
    void readingTyped(const std::string& key, const std::string& text);
    void clearRequested();
    void autoRequested();
    void command(int code);

private:
    void CellClicked(int row, int column);
    void CellTyped(int row, int column);
    void Collapse();

    station::Verification* verification_ = nullptr;
    QWidget* Move10 = nullptr;
    QTableWidget* TABPOVER = nullptr;
    TMegaButton *OXod = nullptr, *MegaButton42 = nullptr, *MegaButton43 = nullptr,
                *AUTOPILOT = nullptr;
    bool manualEntry_ = false;
    bool collapsed_ = false;
    bool filling_ = false;
};

}  // namespace console

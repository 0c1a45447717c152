#pragma once

#include <QFrame>

#include <vector>

#include "station/program_names.h"

class QTableWidget;
class TMegaButton;

namespace station {
class StationProgram;
}

namespace console {

// The floating table Panel32 of named crosshead positions, with a spare
// row at its end to type a new one into.
class PositionPanel final : public QFrame {
    Q_OBJECT

public:
    explicit PositionPanel(QWidget* parent);

    // The rows that hold a name or a position.
    std::vector<station::NamedPosition> Rows() const;
    void ShowRows(const std::vector<station::NamedPosition>& rows);
    // Shows the positions the station loads; "Сохранить" stores the table there.
    void Bind(station::StationProgram& program);

signals:
    void saveRequested();
    void closeRequested();

private:
    QTableWidget* ValueListEditor1 = nullptr;
    TMegaButton *Button8 = nullptr, *Button9 = nullptr;
};

}  // namespace console

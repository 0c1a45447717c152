// The position table: what the operator typed, row by row.

#include "console/position_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <string_view>
#include <utility>

#include "console/look.h"
#include "controls/megabutton.h"
#include "station/station_program.h"

namespace console {

PositionPanel::PositionPanel(QWidget* parent) : QFrame(parent) {
    StyleFloatingPanel(this, "Panel32", "ПОЗИЦИИ ТРАВЕРСЫ", 440, 400);
    ValueListEditor1 = new QTableWidget(0, 2, this);
    ValueListEditor1->setObjectName("ValueListEditor1");
    ValueListEditor1->setHorizontalHeaderLabels(
        {QString::fromUtf8("Название"), QString::fromUtf8("Позиция, мм")});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setStretchLastSection(true);
    ValueListEditor1->setColumnWidth(0, 240);
    ValueListEditor1->verticalHeader()->setDefaultSectionSize(34);
    TouchFont(ValueListEditor1);
    ShowRows({});
    layout()->addWidget(ValueListEditor1);
    auto* buttons = new QHBoxLayout;
    Button8 = MakeButton(this, "Button8", "Сохранить", ButtonKind::Push, 150, 44);
    Button9 = MakeButton(this, "Button9", "Закрыть", ButtonKind::Push, 150, 44);
    buttons->addWidget(Button8);
    buttons->addWidget(Button9);
    static_cast<QVBoxLayout*>(layout())->addLayout(buttons);

    connect(ValueListEditor1, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        // Typing into the spare row makes a new one below it.
        QTableWidget* table = ValueListEditor1;
        if (item->row() != table->rowCount() - 1 || item->text().isEmpty()) return;
        const QSignalBlocker quiet(table);
        const int spare = table->rowCount();
        table->insertRow(spare);
        table->setItem(spare, 0, new QTableWidgetItem);
        table->setItem(spare, 1, new QTableWidgetItem);
    });
    Button8->OnClick = [this](TMegaButton*) { emit saveRequested(); };
    Button9->OnClick = [this](TMegaButton*) { emit closeRequested(); };
}

std::vector<station::NamedPosition> PositionPanel::Rows() const {
    const QTableWidget* table = ValueListEditor1;
    std::vector<station::NamedPosition> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        const QTableWidgetItem* name = table->item(r, 0);
        const QTableWidgetItem* position = table->item(r, 1);
        station::NamedPosition row{
            name != nullptr ? name->text().toStdString() : std::string(),
            position != nullptr ? position->text().toStdString() : std::string()};
        if (!row.name.empty() || !row.position.empty()) rows.push_back(std::move(row));
    }
    return rows;
}

void PositionPanel::Bind(station::StationProgram& program) {
    using P = station::StationProgram;
    connect(&program, &P::positionsLoaded, this, &PositionPanel::ShowRows);
    connect(this, &PositionPanel::saveRequested, &program,
            [this, &program] { program.SavePositions(Rows()); });
}

void PositionPanel::ShowRows(const std::vector<station::NamedPosition>& rows) {
    QTableWidget* table = ValueListEditor1;
    const QSignalBlocker quiet(table);
    table->setRowCount(static_cast<int>(rows.size()) + 1);
    for (int r = 0; r < table->rowCount(); ++r) {
        const bool data = r < static_cast<int>(rows.size());
        table->setItem(r, 0, new QTableWidgetItem(data ? Qs(rows[size_t(r)].name) : QString()));
        table->setItem(r, 1, new QTableWidgetItem(data ? Qs(rows[size_t(r)].position) : QString()));
    }
}

}  // namespace console

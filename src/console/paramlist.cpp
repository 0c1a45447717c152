#include "console/paramlist.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

#include "console/geometry.h"
#include "controls/symbolfont.h"

namespace console {

ParamList::ParamList(std::vector<std::string>& lines, QWidget* parent)
    : QTableWidget(0, 2, parent), lines_(lines) {
    setHorizontalHeaderLabels({QString::fromUtf8("Параметр"), QString::fromUtf8("Значение")});
    horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    horizontalHeader()->setMinimumSectionSize(80);
    verticalHeader()->setVisible(false);
    // Long captions wrap in a narrow column; a row keeps a finger's height.
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    verticalHeader()->setMinimumSectionSize(30);
    verticalHeader()->setDefaultSectionSize(30);
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    QFont f = font();
    f.setPixelSize(16);
    setFont(f);
    connect(this, &QTableWidget::itemChanged, this, &ParamList::ItemChanged);
}

void ParamList::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    // A grown font widens the values and heightens the wrapped captions now.
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setMinimumSectionSize(std::max(30, fontMetrics().height() + 10));
        resizeColumnToContents(1);
        resizeRowsToContents();
    }
}

QSize ParamList::sizeHint() const {
    QSize size = QTableWidget::sizeHint();
    if (sizeAdjustPolicy() != AdjustToContents) return size;
    // The base counts a scroll bar that is not shown (its container is
    // hidden, not the bar).
    const QScrollBar* bar = horizontalScrollBar();
    const int hbar = bar->isVisible() ? bar->height() : 0;
    size.setHeight(2 * frameWidth() + horizontalHeader()->height() + verticalHeader()->length() +
                   hbar);
    return size;
}

QSize ParamList::minimumSizeHint() const {
    QSize least = QTableWidget::minimumSizeHint();
    if (sizeAdjustPolicy() == AdjustToContents)
        least.setHeight(std::min(least.height(), sizeHint().height()));
    return least;
}

void ParamList::Reload() {
    reloading_ = true;
    setRowCount(static_cast<int>(lines_.size()));
    for (int r = 0; r < rowCount(); ++r) {
        const ListLine line = SplitListLine(lines_[static_cast<size_t>(r)]);
        // Items are updated in place: a reload may run inside an edit's signal.
        if (item(r, 0) == nullptr) {
            auto* caption = new QTableWidgetItem;
            caption->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(r, 0, caption);
            setItem(r, 1, new QTableWidgetItem);
        }
        // Captions are kept byte for byte; the symbol-font letters show as Greek.
        item(r, 0)->setText(draw::SymbolText(line.caption));
        item(r, 1)->setText(QString::fromStdString(line.value));
    }
    SetEditingColour(editing_);
    reloading_ = false;
}

void ParamList::SetEditingColour(bool editing) {
    editing_ = editing;
    const QColor colour = editing ? QColor(224, 254, 214) : QColor(Qt::white);
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

std::string ParamList::ValueAt(int row) const {
    const QTableWidgetItem* it = item(row, 1);
    return it != nullptr ? it->text().toStdString() : std::string();
}

void ParamList::ItemChanged(QTableWidgetItem* item) {
    if (reloading_ || item->column() != 1) return;
    editText_ = item->text().toStdString();
    editRow_ = item->row();
    // The handler may reload the list, which deletes this item.
    if (OnEdit) OnEdit(editRow_, editText_);
}

}  // namespace console

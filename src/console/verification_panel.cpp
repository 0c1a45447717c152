// The verification table's display: the layout of runs and strokes, the
// cells as the method holds them, collapsing to the title, and which cell
// the operator took or typed.

#include "console/verification_panel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "console/chrome.h"
#include "console/look.h"
#include "controls/megabutton.h"
#include "model/parametr.h"
#include "platform/formatfloat.h"
#include "station/poverka_table.h"
#include "station/station_verification.h"

using console::ButtonKind;
using console::MakeButton;
using station::kPoverkaPoints;

namespace {

constexpr int kExpandedHeight = 495;
constexpr int kCollapsedHeight = 65;
constexpr int kColumnWidth = 126;

// 0x00BBGGRR, as the station's colours are written.
QColor WindowsColour(unsigned bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Reading columns in two alternating shades, the chosen cell yellow, black
// text centred on one line and cut with an ellipsis.
class PoverkaCells final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int column = index.column();
        QColor back = column == 0       ? QColor(240, 240, 240)
                      : column % 2 == 1 ? WindowsColour(0xE6F8FF)
                                        : WindowsColour(0xC1EFFF);
        if (column > 0 && (option.state & QStyle::State_Selected)) back = Qt::yellow;
        p->fillRect(option.rect, back);
        const QRect box = option.rect.adjusted(2, 0, -2, 0);
        const QString text =
            option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, box.width());
        p->setPen(Qt::black);
        p->setFont(option.font);
        p->drawText(box, Qt::AlignCenter, text);
    }
};

// A double click on a widget that has no handler of its own for it.
class DoubleClicks final : public QObject {
public:
    DoubleClicks(QObject* parent, std::function<void()> action)
        : QObject(parent), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            action_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action_;
};

}  // namespace

namespace console {

VerificationPanel::VerificationPanel(QWidget* parent) : QFrame(parent) {
    StyleFloatingPanel(this, "PanelPoverka", "ПОВЕРКА", 600, 400);
    auto* column = static_cast<QVBoxLayout*>(layout());
    // The placeholder's title gives way to the handle that carries it.
    while (QLayoutItem* item = column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);

    auto* handle = new console::DragHandle(this, this);
    handle->setObjectName("Move10");
    handle->setFixedHeight(40);
    handle->setCursor(Qt::SizeAllCursor);
    auto* titleRow = new QHBoxLayout(handle);
    titleRow->setContentsMargins(8, 0, 8, 0);
    QLabel* title = console::MakeLabel(handle, "Move10Title", "ТАБЛИЦА ПОВЕРКИ", 18);
    // The press goes to the handle under it.
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    titleRow->addWidget(title);
    handle->installEventFilter(new DoubleClicks(handle, [this] { Collapse(); }));
    Move10 = handle;
    column->addWidget(handle);

    TABPOVER = new QTableWidget(kPoverkaPoints, 7, this);
    TABPOVER->setObjectName("TABPOVER");
    QFont cells = TABPOVER->font();
    cells.setPixelSize(17);
    TABPOVER->setFont(cells);
    TABPOVER->verticalHeader()->hide();
    TABPOVER->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    // The columns and rows share the panel, which grows with the window.
    TABPOVER->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    TABPOVER->horizontalHeader()->setFixedHeight(34);
    QFont headers = TABPOVER->horizontalHeader()->font();
    headers.setPixelSize(14);
    TABPOVER->horizontalHeader()->setFont(headers);
    // Ten rows fill the panel between the title and the buttons.
    TABPOVER->verticalHeader()->setDefaultSectionSize(35);
    TABPOVER->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    TABPOVER->setSelectionMode(QAbstractItemView::SingleSelection);
    TABPOVER->setSelectionBehavior(QAbstractItemView::SelectItems);
    TABPOVER->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TABPOVER->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TABPOVER->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TABPOVER->setItemDelegate(new PoverkaCells(TABPOVER));
    for (int r = 0; r < kPoverkaPoints; ++r) {
        for (int c = 0; c < 7; ++c)
            TABPOVER->setItem(r, c, new QTableWidgetItem);
    }
    column->addWidget(TABPOVER, 1);

    auto* buttons = new QWidget(this);
    buttons->setObjectName("PoverkaButtons");
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    OXod = MakeButton(buttons, "OXod", "OX", ButtonKind::Toggle, 80, 44);
    // Both strokes at first: reverse readings can be taken from the start.
    OXod->Down = true;
    MegaButton43 =
        MakeButton(buttons, "MegaButton43", "Очистить таблицу", ButtonKind::Push, 200, 44);
    MegaButton42 = MakeButton(buttons, "MegaButton42", "Предварительный просмотр и печать",
                              ButtonKind::Push, 300, 44);
    AUTOPILOT =
        MakeButton(buttons, "AUTOPILOT", "Автоматическая поверка", ButtonKind::Push, 240, 44);
    for (TMegaButton* b : {OXod, MegaButton43, MegaButton42, AUTOPILOT}) {
        b->Font.SetSize(10);
        row->addWidget(b);
    }
    row->addStretch(1);
    MegaButton42->hide();
    AUTOPILOT->hide();
    column->addWidget(buttons);

    const int frame = 2 * frameWidth();
    resize(7 * kColumnWidth + 2 * TABPOVER->frameWidth() + 12 + frame, kExpandedHeight);
    // Over the plot sheet, clear of the control bar: the stop button stays in reach.
    move(4, 4);
    Relayout(nullptr, {});

    connect(TABPOVER, &QTableWidget::cellClicked, this, &VerificationPanel::CellClicked);
    connect(TABPOVER, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_) CellTyped(item->row(), item->column());
    });
    OXod->OnClick = [this](TMegaButton*) { emit layoutChanged(); };
    MegaButton43->OnClick = [this](TMegaButton*) { emit clearRequested(); };
    MegaButton42->OnClick = [this](TMegaButton*) {
        emit command(243);
        emit command(48);
        emit command(35);
    };
    AUTOPILOT->OnClick = [this](TMegaButton*) { emit autoRequested(); };
}

void VerificationPanel::Bind(station::Verification& verification) {
    using station::Verification;
    verification_ = &verification;
    connect(this, &VerificationPanel::readingClicked, &verification, &Verification::TakeReading);
    connect(this, &VerificationPanel::readingTyped, &verification, &Verification::TypeReading);
    connect(this, &VerificationPanel::layoutChanged, this, &VerificationPanel::ShowTable);
    connect(this, &VerificationPanel::clearRequested, &verification,
            [&verification] { verification.FillPoverkaTable(1); });
    connect(this, &VerificationPanel::autoRequested, &verification,
            [this, &verification] { verification.AutoPoverka(SevenColumns(), Columns()); });
}

void VerificationPanel::ShowTable() {
    if (verification_ != nullptr) Relayout(verification_->Method(), verification_->Taken());
}

void VerificationPanel::ShowReadings() {
    if (verification_ != nullptr) ShowCells(verification_->Method(), verification_->Taken());
}

void VerificationPanel::Open() {
    show();
    raise();
}

void VerificationPanel::ShowTitle(const std::string& channelName) {
    Move10->findChild<QLabel*>("Move10Title")->setText(Qs("ТАБЛИЦА ПОВЕРКИ ПО " + channelName));
}

bool VerificationPanel::SevenColumns() const {
    return OXod->Down;
}

int VerificationPanel::Columns() const {
    return TABPOVER->columnCount();
}

void VerificationPanel::DropInventedReadings() {
    delete AUTOPILOT;
    AUTOPILOT = nullptr;
}

void VerificationPanel::Relayout(const C_Parametr* method, const std::set<std::string>& taken) {
    const std::vector<std::string> headers = station::PoverkaHeaders(OXod->Down);
    TABPOVER->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string& h : headers)
        labels << Qs(h);
    TABPOVER->setHorizontalHeaderLabels(labels);
    ShowCells(method, taken);
}

void VerificationPanel::ShowCells(const C_Parametr* m, const std::set<std::string>& taken) {
    const int n = m != nullptr ? std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints) : 0;
    const bool seven = OXod->Down;
    filling_ = true;
    for (int r = 1; r <= kPoverkaPoints; ++r) {
        QTableWidgetItem* point = TABPOVER->item(r - 1, 0);
        if (point == nullptr) TABPOVER->setItem(r - 1, 0, point = new QTableWidgetItem);
        point->setFlags(Qt::ItemIsEnabled);
        point->setText(
            m != nullptr && r <= n
                ? Qs(platform::FormatFloat("0.000", m->GetFloat("fPS_" + std::to_string(r))))
                : QString());
        for (int c = 1; c < TABPOVER->columnCount(); ++c) {
            QTableWidgetItem* cell = TABPOVER->item(r - 1, c);
            if (cell == nullptr) TABPOVER->setItem(r - 1, c, cell = new QTableWidgetItem);
            const std::string key = station::PoverkaReadingKey(c, r, seven);
            const double reading = m != nullptr ? m->GetFloat(key) : 0.0;
            cell->setText(Qs(station::ReadingCellText(r, n, reading, taken.contains(key))));
            cell->setFlags(r <= n ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
    }
    filling_ = false;
}

void VerificationPanel::CellClicked(int row, int column) {
    // Typing mode: a click only chooses the cell, so the typed figure is the
    // one the method keeps.
    if (manualEntry_) return;
    emit readingClicked(row + 1, station::PoverkaReadingKey(column, row + 1, OXod->Down));
}

void VerificationPanel::CellTyped(int row, int column) {
    if (!manualEntry_) return;
    const std::string key = station::PoverkaReadingKey(column, row + 1, OXod->Down);
    if (key.empty()) return;
    emit readingTyped(key, TABPOVER->item(row, column)->text().toStdString());
}

void VerificationPanel::AllowTyping() {
    manualEntry_ = true;
    TABPOVER->setEditTriggers(QAbstractItemView::DoubleClicked |
                              QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

void VerificationPanel::Collapse() {
    collapsed_ = !collapsed_;
    TABPOVER->setVisible(!collapsed_);
    findChild<QWidget*>("PoverkaButtons")->setVisible(!collapsed_);
    resize(width(), collapsed_ ? kCollapsedHeight : kExpandedHeight);
}

}  // namespace console

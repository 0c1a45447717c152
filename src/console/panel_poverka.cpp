// The verification table PanelPoverka / TABPOVER of the method "Поверка":
// one row per check point, one column per run and stroke. A click takes the
// live value of the verified channel into the cell and the method's
// readings, from which the verification protocol is drawn; the readings can
// also be typed. What a cell shows is always what the method holds, so the
// protocol never prints a figure the table does not show.

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "console/chrome.h"
#include "console/look.h"
#include "console/paramlist.h"
#include "console/poverkatable.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "model/numtext.h"
#include "platform/formatfloat.h"
#include "platform/random.h"

using console::ButtonKind;
using console::kPoverkaPoints;
using console::MakeButton;

namespace {

constexpr int kExpandedHeight = 495;
constexpr int kCollapsedHeight = 65;
constexpr int kColumnWidth = 126;
constexpr const char* kMethod = "Поверка";
// Written into the reference instrument's lines of the certificate when the
// readings were invented, so the protocol made from them says so; each
// short enough to stand whole on the sheet.
constexpr std::pair<const char*, const char*> kInventedMarks[] = {
    {"sOBR", "НЕТ: ДЕМОНСТРАЦИЯ"},
    {"sOBR1", "ПОКАЗАНИЯ ВЫМЫШЛЕНЫ"},
    {"sOBR2", "НЕДЕЙСТВИТЕЛЬНО"},
};

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

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void TFBase::BuildPoverkaPanel() {
    auto* column = static_cast<QVBoxLayout*>(PanelPoverka->layout());
    // The placeholder's title gives way to the handle that carries it.
    while (QLayoutItem* item = column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);

    auto* handle = new console::DragHandle(PanelPoverka, PanelPoverka);
    handle->setObjectName("Move10");
    handle->setFixedHeight(40);
    handle->setCursor(Qt::SizeAllCursor);
    auto* titleRow = new QHBoxLayout(handle);
    titleRow->setContentsMargins(8, 0, 8, 0);
    QLabel* title = console::MakeLabel(handle, "Move10Title", "ТАБЛИЦА ПОВЕРКИ", 18);
    // The press goes to the handle under it.
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    titleRow->addWidget(title);
    handle->installEventFilter(new DoubleClicks(handle, [this] { CollapsePoverka(); }));
    Move10 = handle;
    column->addWidget(handle);

    TABPOVER = new QTableWidget(kPoverkaPoints, 7, PanelPoverka);
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

    auto* buttons = new QWidget(PanelPoverka);
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

    const int frame = 2 * PanelPoverka->frameWidth();
    PanelPoverka->resize(7 * kColumnWidth + 2 * TABPOVER->frameWidth() + 12 + frame,
                         kExpandedHeight);
    // Over the plot sheet, clear of the control bar: the stop button stays in reach.
    PanelPoverka->move(4, 4);
    PoverkaLayout();

    connect(TABPOVER, &QTableWidget::cellClicked, this, &TFBase::PoverkaCellClicked);
    connect(TABPOVER, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!poverkaFilling_) PoverkaCellTyped(item->row(), item->column());
    });
    connect(this, &TFBase::ManualEntryRequested, this, &TFBase::ManualPoverkaEntry);
    OXod->OnClick = [this](TMegaButton*) { PoverkaLayout(); };
    MegaButton43->OnClick = [this](TMegaButton*) { FillPoverkaTable(1); };
    MegaButton42->OnClick = [this](TMegaButton*) {
        Command(243);
        Command(48);
        Command(35);
    };
    AUTOPILOT->OnClick = [this](TMegaButton*) { AutoPoverka(); };
}

void TFBase::PoverkaStartUp() {
    // The unit is found once at start-up and never again: a station that
    // found it never offers invented readings, whoever asks for the button.
    if (work_ && work_->Connected()) {
        delete AUTOPILOT;
        AUTOPILOT = nullptr;
    }
    FillPoverkaTable(0);
}

C_Parametr* TFBase::PoverkaMethod() const {
    if (!work_ || setupScreen_->MethodName() != kMethod) return nullptr;
    C_Parametr* m = work_->Methods().Current();
    return m != nullptr && m->IndexOf("fPCOU") >= 0 ? m : nullptr;
}

// ----- filling

void TFBase::FillPoverkaTable(int clear) {
    auto* label = findChild<QLabel*>("LabelObrazec");
    C_Parametr* m = PoverkaMethod();
    if (m == nullptr) {
        PanelPoverka->hide();
        if (label != nullptr) label->setText(QString::fromUtf8("Образец"));
        return;
    }
    PanelPoverka->show();
    PanelPoverka->raise();
    const int n = std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints);
    const C_Kanal& channel = work_->Channel(poverkaChannel_);
    // New points for a new count, and for another instrument: the points of
    // a force range mean nothing to a displacement meter.
    if (n != poverkaCount_ || poverkaChannel_ != poverkaPointsChannel_) {
        poverkaCount_ = n;
        poverkaPointsChannel_ = poverkaChannel_;
        const auto points = console::NominalPoints(channel.fullScale, n);
        for (int i = 1; i <= kPoverkaPoints; ++i)
            m->SetFloat("fPS_" + std::to_string(i), points[size_t(i - 1)]);
        work_->Methods().RefreshList(1);
        setupScreen_->ReloadList(1);
    }
    Move10->findChild<QLabel*>("Move10Title")->setText(Qs("ТАБЛИЦА ПОВЕРКИ ПО " + channel.name));
    if (clear == 1) ClearPoverka();
    PoverkaLayout();
    if (label != nullptr) label->setText(QString::fromUtf8(kMethod));
}

void TFBase::ClearPoverka() {
    if (C_Parametr* m = PoverkaMethod()) {
        for (int r = 1; r <= kPoverkaPoints; ++r) {
            for (int c = 1; c <= 6; ++c)
                m->SetFloat(console::PoverkaReadingKey(c, r, true), 0.0f);
        }
    }
    poverkaTaken_.clear();
    ShowPoverkaCells();
}

void TFBase::PoverkaLayout() {
    const std::vector<std::string> headers = console::PoverkaHeaders(OXod->Down);
    TABPOVER->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string& h : headers)
        labels << Qs(h);
    TABPOVER->setHorizontalHeaderLabels(labels);
    ShowPoverkaCells();
}

// What the method holds, cell by cell: the nominal points, the readings of
// the layout's columns, "-" beyond the points in use.
void TFBase::ShowPoverkaCells() {
    const C_Parametr* m = PoverkaMethod();
    const int n = m != nullptr ? std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints) : 0;
    const bool seven = OXod->Down;
    poverkaFilling_ = true;
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
            const std::string key = console::PoverkaReadingKey(c, r, seven);
            const double reading = m != nullptr ? m->GetFloat(key) : 0.0;
            cell->setText(Qs(console::ReadingCellText(r, n, reading, poverkaTaken_.contains(key))));
            cell->setFlags(r <= n ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                  : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
    }
    poverkaFilling_ = false;
}

// ----- readings

void TFBase::PoverkaCellClicked(int row, int column) {
    // Typing mode: a click only chooses the cell, so the typed figure is the
    // one the method keeps.
    if (manualEntry_) return;
    C_Parametr* m = PoverkaMethod();
    if (m == nullptr) return;
    const int point = row + 1;
    const std::string key = console::PoverkaReadingKey(column, point, OXod->Down);
    if (key.empty() || point > std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints)) return;
    const auto live = static_cast<float>(work_->Channel(poverkaChannel_).value);
    m->SetFloat(key, live);
    poverkaTaken_.insert(key);
    ShowPoverkaCells();
}

void TFBase::PoverkaCellTyped(int row, int column) {
    if (!manualEntry_) return;
    C_Parametr* m = PoverkaMethod();
    if (m == nullptr) return;
    const std::string key = console::PoverkaReadingKey(column, row + 1, OXod->Down);
    if (key.empty()) return;
    const QTableWidgetItem* cell = TABPOVER->item(row, column);
    const std::string text = cell->text().toStdString();
    // Read whole or refused: a refused text leaves the reading as it was. An
    // emptied cell is a reading not taken.
    const bool emptied = text.find_first_not_of(' ') == std::string::npos;
    const std::optional<double> value = emptied ? 0.0 : ReadTypedFloat(text);
    if (value) {
        m->SetFloat(key, static_cast<float>(*value));
        if (emptied)
            poverkaTaken_.erase(key);
        else
            poverkaTaken_.insert(key);
    }
    // The cell shows the figure as the method keeps it.
    ShowPoverkaCells();
    if (!value) ShowMes("ВВЕДИТЕ ЧИСЛО", 1, 0);
}

void TFBase::ManualPoverkaEntry() {
    manualEntry_ = true;
    TABPOVER->setEditTriggers(QAbstractItemView::DoubleClicked |
                              QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

void TFBase::AutoPoverka() {
    C_Parametr* m = PoverkaMethod();
    // Only without a unit: on a machine these would make a false certificate.
    if (m == nullptr || !work_ || work_->Connected()) return;
    const int n = std::clamp(m->GetInt("fPCOU"), 0, kPoverkaPoints);
    const bool seven = OXod->Down;
    for (int r = 1; r <= n; ++r) {
        const double nominal = m->GetFloat("fPS_" + std::to_string(r));
        for (int c = 1; c < TABPOVER->columnCount(); ++c) {
            const double offset =
                (2.0 * deps_.random->Next() / platform::RandomSource::kMax - 1.0) * 0.01;
            m->SetFloat(console::PoverkaReadingKey(c, r, seven),
                        static_cast<float>(nominal * (1.0 + offset)));
            poverkaTaken_.insert(console::PoverkaReadingKey(c, r, seven));
        }
    }
    for (const auto& [name, mark] : kInventedMarks)
        m->SetFromText(m->IndexOf(name), mark);
    work_->Methods().RefreshList(0);
    setupScreen_->ReloadList(0);
    ShowPoverkaCells();
}

void TFBase::CollapsePoverka() {
    poverkaCollapsed_ = !poverkaCollapsed_;
    TABPOVER->setVisible(!poverkaCollapsed_);
    PanelPoverka->findChild<QWidget*>("PoverkaButtons")->setVisible(!poverkaCollapsed_);
    PanelPoverka->resize(PanelPoverka->width(),
                         poverkaCollapsed_ ? kCollapsedHeight : kExpandedHeight);
}

// ----- choosing the method, the instrument, the verification codes

void TFBase::PoverkaMethodChosen(bool sameMethod) {
    const bool poverka = setupScreen_->MethodName() == kMethod;
    if (work_) work_->verification = poverka;
    // The method the station already has keeps its readings (a new test,
    // leaving the settings); only a verification chosen afresh starts empty.
    if (poverka && !sameMethod) {
        poverkaChannel_ = std::max(1, setupScreen_->SampleType() + 1);
        ClearPoverka();
    }
    FillPoverkaTable(0);
}

bool TFBase::AskBeforeLeavingPoverka() {
    const C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    const int row = setupScreen_->MethodRow();
    if (m == nullptr || m->GetValueText("sGO") != kMethod || row == work_->Methods().CurrentIndex())
        return false;
    bool taken = false;
    for (int r = 1; r <= kPoverkaPoints && !taken; ++r) {
        for (int c = 1; c <= 6 && !taken; ++c)
            taken = m->GetFloat(console::PoverkaReadingKey(c, r, true)) != 0.0;
    }
    if (!taken) return false;
    // The list goes back to the verification until the operator answers.
    leavingPoverkaFor_ = row;
    setupScreen_->ShowMethodRow(work_->Methods().CurrentIndex());
    ShowMes("Показания поверки будут удалены. Выбрать другую методику?", 0, kLeavePoverkaCode);
    return true;
}

int TFBase::LeavePoverkaBlock(int code) {
    const int row = std::exchange(leavingPoverkaFor_, -1);
    if (answer_ != 1 || row < 0 || row >= setupScreen_->MethodCount()) return code;
    ClearPoverka();
    setupScreen_->ChooseMethodRow(row);
    return code;
}

void TFBase::PoverkaSampleChosen() {
    if (PoverkaMethod() == nullptr) return;
    poverkaChannel_ = std::max(1, setupScreen_->SampleType() + 1);
    FillPoverkaTable(0);
    if (poverkaChannel_ == 3) {
        setupScreen_->SetExtensometer(true);
        TENZ_ONClick();
    }
}

void TFBase::StartPoverka(int k) {
    if (!work_) return;
    const int method = setupScreen_->FindMethod(kMethod);
    if (method < 0 || k < 0) return;
    const int extensometer = setupScreen_->ExtensometerOn() ? 1 : 0;
    // The list shows the method; the choice itself follows here, in order.
    setupScreen_->ShowMethodRow(method);
    work_->SelectMethod(method, setupScreen_->SampleType(), extensometer);
    setupScreen_->ReloadMethodLists();
    if (k < setupScreen_->SampleTypeCount()) setupScreen_->SetSampleType(k);
    poverkaChannel_ = k + 1;
    work_->verification = true;
    ClearPoverka();
    FillPoverkaTable(0);
    work_->SelectMethod(method, k, extensometer);
    setupScreen_->ReloadMethodLists();
    if (poverkaChannel_ == 3) {
        setupScreen_->SetExtensometer(true);
        TENZ_ONClick();
    }
}

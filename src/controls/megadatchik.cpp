#include "controls/megadatchik.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>
#include <utility>

#include "controls/canvas.h"
#include "controls/symbolfont.h"
#include "platform/formatfloat.h"

namespace readout {

namespace {

constexpr std::uint32_t kYellow = 0x00FFFF;
constexpr std::uint32_t kBlack = 0x000000;
// The 3-D edges of panels, in the classic Windows button colours.
constexpr std::uint32_t kHighlight = 0xFFFFFF;
constexpr std::uint32_t kShadow = 0x808080;

constexpr int kPanelBevel = 5;
constexpr int kRowLeft = 6;
constexpr int kRowStep = 41;
constexpr int kRowHeight = 40;

enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The class library's 3-D frame: `width` rings from the outside in, top and
// left edges in `top`, bottom and right in `bottom`; the box shrinks by the
// rings drawn. The top-right and bottom-left corners take the bottom colour.
// Filled rectangles, not lines: on a widget the canvas's lines end as Qt's.
void Frame3D(draw::Canvas& cv, QRect& box, const QColor& top, const QColor& bottom, int width) {
    int l = box.left();
    int t = box.top();
    int r = box.right();
    int b = box.bottom();
    for (int i = 0; i < width && l <= r && t <= b; ++i) {
        cv.FillRect(l, t, l + 1, b + 1, top);
        cv.FillRect(l, t, r, t + 1, top);
        cv.FillRect(r, t, r + 1, b, bottom);
        cv.FillRect(l, b, r + 1, b + 1, bottom);
        ++l;
        ++t;
        --r;
        --b;
    }
    box = QRect(QPoint(l, t), QPoint(r, b));
}

}  // namespace

// A row: a black panel, raised outside and lowered inside, whose children
// keep their distances to the edges they are anchored to.
class RowPanel : public QFrame {
public:
    RowPanel(QWidget* parent, std::function<void()> pressed)
        : QFrame(parent), pressed_(std::move(pressed)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void Place(QWidget* child, const QRect& rect, unsigned anchors) {
        child->setGeometry(rect);
        anchored_.push_back({child, rect, size(), anchors});
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        draw::Canvas cv(*this);
        QRect box = rect();
        Frame3D(cv, box, draw::ColorRef(kHighlight), draw::ColorRef(kShadow), 1);
        Frame3D(cv, box, draw::ColorRef(kShadow), draw::ColorRef(kHighlight), 1);
        cv.FillRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1,
                    draw::ColorRef(kBlack));
    }

    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        for (const Anchored& a : anchored_) {
            const int dx = width() - a.parentSize.width();
            const int dy = height() - a.parentSize.height();
            QRect r = a.rect;
            if ((a.anchors & kRight) != 0) {
                if ((a.anchors & kLeft) != 0) {
                    r.setWidth(std::max(0, r.width() + dx));
                } else {
                    r.moveLeft(r.left() + dx);
                }
            }
            if ((a.anchors & kBottom) != 0) {
                if ((a.anchors & kTop) != 0) {
                    r.setHeight(std::max(0, r.height() + dy));
                } else {
                    r.moveTop(r.top() + dy);
                }
            }
            if (a.widget->geometry() != r) a.widget->setGeometry(r);
        }
    }

    // The few pixels left of the click area belong to the row as well.
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        pressed_();
    }

private:
    struct Anchored {
        QWidget* widget;
        QRect rect;        // as placed
        QSize parentSize;  // this panel's size then
        unsigned anchors;
    };

    std::function<void()> pressed_;
    std::vector<Anchored> anchored_;
};

// A transparent label that draws its text through the drawing layer, so the
// symbol font goes through the symbol table while text() stays raw.
class RowLabel : public QLabel {
public:
    RowLabel(QWidget* parent, const QString& name, const draw::Font& font, unsigned flags,
             const QString& text)
        : QLabel(parent), font_(font), flags_(flags) {
        setObjectName(name);
        setTextFormat(Qt::PlainText);
        setAlignment((flags & draw::dt::Right) != 0 ? Qt::AlignRight | Qt::AlignTop
                                                    : Qt::AlignLeft | Qt::AlignTop);
        setFont(draw::ToQFont(font));
        setText(text);
    }

    // Only a different text is set: the console refreshes every tick.
    void Show(const QString& text) {
        if (text != this->text()) setText(text);
    }

    void SetColor(const QColor& color) {
        if (font_.color == color) return;
        font_.color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        draw::Canvas cv(*this);
        cv.SetBkMode(draw::BkMode::Transparent);
        cv.SetFont(font_);
        cv.DrawText(0, 0, width(), height(), text(), flags_);
    }

private:
    draw::Font font_;
    unsigned flags_;
};

// The row's press area: on top of the labels, draws nothing.
class ClickArea : public QWidget {
public:
    ClickArea(QWidget* parent, std::function<void()> pressed)
        : QWidget(parent), pressed_(std::move(pressed)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        pressed_();
    }

private:
    std::function<void()> pressed_;
};

}  // namespace readout

using readout::ClickArea;
using readout::RowLabel;
using readout::RowPanel;

TMegaDatchik::TMegaDatchik(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TMegaDatchik"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 0, 300, 52);
}

TMegaDatchik::~TMegaDatchik() = default;

std::string TMegaDatchik::FormatValue(double v) {
    const char* pattern = "0.0";
    if (v < 10) {
        pattern = "0.000";
    } else if (v < 100) {
        pattern = "0.00";
    }
    return platform::FormatFloat(pattern, v);
}

void TMegaDatchik::AddTablo(int n) {
    for (int i = 0; i < n; ++i)
        AddRow();
}

void TMegaDatchik::AddRow() {
    using namespace readout;
    const int index = Count();
    resize(width(), kRowStep * index + 52);

    Row row;
    auto pressed = [this, index] { RowPressed(index); };
    const QString suffix = QString::number(index);
    row.panel = new RowPanel(this, pressed);
    row.panel->setObjectName(QStringLiteral("row") + suffix);
    row.panel->setGeometry(kRowLeft, kRowStep * index + kRowLeft, width() - 2 * kRowLeft,
                           kRowHeight);

    const QColor yellow = draw::ColorRef(kYellow);
    const draw::Font big{"MS Sans Serif", -32, yellow};
    const draw::Font small{"MS Sans Serif", -13, yellow};
    const draw::Font symbol{std::string(draw::kSymbolFontName), -18, yellow};
    using draw::dt::Left;
    using draw::dt::Right;

    row.name =
        new RowLabel(row.panel, QStringLiteral("name") + suffix, big, Left, QStringLiteral("F"));
    row.panel->Place(row.name, {5, 3, 128, 30}, kLeft | kTop);
    row.second = new RowLabel(row.panel, QStringLiteral("second") + suffix, small, Left,
                              QStringLiteral("max"));
    row.panel->Place(row.second, {26, 20, 130, 16}, kLeft | kTop);
    row.value =
        new RowLabel(row.panel, QStringLiteral("value") + suffix, big, Right, QStringLiteral("0"));
    row.panel->Place(row.value, {DigitLeft + 33, 4, 150, 34}, kLeft | kTop | kRight);
    row.unit = new RowLabel(row.panel, QStringLiteral("unit") + suffix, symbol, Left,
                            QStringLiteral("кН/с"));
    row.panel->Place(row.unit, {DigitLeft + 190, 13, 67, 23}, kTop | kRight);
    row.click = new ClickArea(row.panel, pressed);
    row.click->setObjectName(QStringLiteral("click") + suffix);
    row.panel->Place(row.click, {index, 0, row.panel->width(), row.panel->height()},
                     kLeft | kTop | kRight | kBottom);

    row.panel->show();
    rows_.push_back(row);
}

void TMegaDatchik::SetParametr(int row, std::uint32_t colour, std::string_view name,
                               std::string_view second, std::string_view unit, double* value) {
    if (!Valid(row)) return;
    Row& r = rows_[static_cast<std::size_t>(row)];
    r.name->Show(readout::FromUtf8(name));
    r.second->Show(readout::FromUtf8(second));
    r.unit->Show(readout::FromUtf8(unit));
    const QColor color = draw::ColorRef(colour);
    for (RowLabel* label : {r.name, r.second, r.value, r.unit})
        label->SetColor(color);
    if (value != nullptr) r.bound = value;
}

void TMegaDatchik::SetValue(int row, std::string_view text) {
    if (!Valid(row)) return;
    rows_[static_cast<std::size_t>(row)].value->Show(readout::FromUtf8(text));
}

void TMegaDatchik::SetValue(int row, double v) {
    if (!Valid(row)) return;
    rows_[static_cast<std::size_t>(row)].value->Show(QString::fromStdString(FormatValue(v)));
}

void TMegaDatchik::UpdateData() {
    for (Row& r : rows_) {
        if (r.bound != nullptr) r.value->Show(QString::fromStdString(FormatValue(*r.bound)));
    }
}

void TMegaDatchik::DeleteAll() {
    for (Row& r : rows_) {
        if (dispatching_) {
            // A handler may clear the panel from a row's own press: that row
            // goes once the press is done.
            r.panel->hide();
            r.panel->setParent(nullptr);
            r.panel->deleteLater();
        } else {
            delete r.panel;
        }
    }
    rows_.clear();
}

std::string TMegaDatchik::ValueText(int row) const {
    if (!Valid(row)) return {};
    return rows_[static_cast<std::size_t>(row)].value->text().toStdString();
}

void TMegaDatchik::RowPressed(int index) {
    if (!Valid(index) || !OnClickNom) return;
    const bool outer = !dispatching_;
    dispatching_ = true;
    OnClickNom(this, index);
    if (outer) dispatching_ = false;
}

void TMegaDatchik::paintEvent(QPaintEvent* /*event*/) {
    draw::Canvas cv(*this);
    QRect box = rect();
    readout::Frame3D(cv, box, draw::ColorRef(readout::kHighlight), draw::ColorRef(readout::kShadow),
                     readout::kPanelBevel);
    cv.FillRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1,
                draw::ColorRef(readout::kBlack));
}

void TMegaDatchik::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (Row& r : rows_)
        r.panel->resize(std::max(0, width() - 2 * readout::kRowLeft), r.panel->height());
}

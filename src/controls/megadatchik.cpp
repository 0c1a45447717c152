#include "controls/megadatchik.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
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
constexpr int kRowBevel = 2;
// The row's measures at scale 1, in pixels.
constexpr int kRowLeft = 6;
constexpr int kRowStep = 41;
constexpr int kRowHeight = 40;
constexpr int kBigFont = 32;
constexpr int kSmallFont = 13;
constexpr int kSymbolFont = 18;
// A name shrinks no further; below it the name is cut rather than unreadable.
constexpr int kSmallestNameFont = 12;

int Scaled(int base, double scale) {
    return static_cast<int>(std::lround(base * scale));
}

// The largest character height up to `wanted` whose line fits `room` pixels.
int FittingFont(const QFont& family, int wanted, int room) {
    QFont f = family;
    int pixels = wanted;
    for (; pixels > 1; --pixels) {
        f.setPixelSize(pixels);
        if (QFontMetrics(f).height() <= room) break;
    }
    return pixels;
}

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

// A row: a black panel, raised outside and lowered inside; the readout
// places its labels.
class RowPanel : public QFrame {
public:
    RowPanel(QWidget* parent, std::function<void()> pressed)
        : QFrame(parent), pressed_(std::move(pressed)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
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

    // The few pixels left of the click area belong to the row as well.
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        pressed_();
    }

private:
    std::function<void()> pressed_;
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
    bool Show(const QString& text) {
        if (text == this->text()) return false;
        setText(text);
        return true;
    }

    // The height in pixels of the font it draws with (negative: character height).
    void SetFontHeight(int height) {
        if (font_.height == height) return;
        font_.height = height;
        setFont(draw::ToQFont(font_));
        update();
    }
    int TextWidth() const {
        return text().isEmpty() ? 0 : QFontMetrics(font()).horizontalAdvance(text());
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

    const QColor yellow = draw::ColorRef(kYellow);
    const draw::Font big{"MS Sans Serif", -kBigFont, yellow};
    const draw::Font small{"MS Sans Serif", -kSmallFont, yellow};
    const draw::Font symbol{std::string(draw::kSymbolFontName), -kSymbolFont, yellow};
    using draw::dt::Left;
    using draw::dt::Right;

    row.name =
        new RowLabel(row.panel, QStringLiteral("name") + suffix, big, Left, QStringLiteral("F"));
    row.second = new RowLabel(row.panel, QStringLiteral("second") + suffix, small, Left,
                              QStringLiteral("max"));
    row.value =
        new RowLabel(row.panel, QStringLiteral("value") + suffix, big, Right, QStringLiteral("0"));
    row.unit = new RowLabel(row.panel, QStringLiteral("unit") + suffix, symbol, Left,
                            QStringLiteral("кН/с"));
    row.click = new ClickArea(row.panel, pressed);
    row.click->setObjectName(QStringLiteral("click") + suffix);

    row.panel->show();
    rows_.push_back(row);
    LayOutRow(index);
}

void TMegaDatchik::SetScale(double scale) {
    if (!(scale > 0.0) || scale == scale_) return;
    scale_ = scale;
    for (int i = 0; i < Count(); ++i)
        LayOutRow(i);
}

// The row as built at scale 1, grown by the scale. Texts get the line height
// they need within the row; the value keeps its room against the unit and a
// long name takes a smaller font rather than running into the value.
void TMegaDatchik::LayOutRow(int index) {
    using namespace readout;
    Row& r = rows_[static_cast<std::size_t>(index)];
    const double s = scale_;
    const int h = Scaled(kRowHeight, s);
    const int w = std::max(0, width() - 2 * Scaled(kRowLeft, s));
    r.panel->setGeometry(Scaled(kRowLeft, s), Scaled(kRowStep, s) * index + Scaled(kRowLeft, s), w,
                         h);
    const int inner = std::max(1, h - 2 * kRowBevel);
    const int big = FittingFont(r.value->font(), Scaled(kBigFont, s), inner);

    r.unit->SetFontHeight(-Scaled(kSymbolFont, s));
    const int nameLeft = Scaled(5, s);
    const int smallest = Scaled(kSmallestNameFont, s);
    // Tried in turn until the name ends before the value: the row as built,
    // the unit's box narrowed to its text, a smaller name, a smaller value.
    bool tight = false;
    int nameFont = big;
    int valueFont = big;
    int unitLeft = 0;
    int valueRight = 0;
    for (;;) {
        const int unitWidth =
            tight ? r.unit->TextWidth() + 2 : std::max(Scaled(67, s), r.unit->TextWidth() + 2);
        unitLeft = std::min(w - unitWidth, DigitLeft + w - Scaled(31, s) - unitWidth);
        r.unit->setGeometry(unitLeft, Scaled(13, s), unitWidth, Scaled(23, s));
        valueRight = unitLeft - Scaled(7, s);
        r.value->SetFontHeight(-valueFont);
        r.name->SetFontHeight(-nameFont);
        const int room = valueRight - r.value->TextWidth() - Scaled(6, s) - nameLeft;
        if (r.name->TextWidth() <= room) break;
        if (!tight) {
            tight = true;
        } else if (nameFont > smallest) {
            --nameFont;
        } else if (valueFont > smallest) {
            --valueFont;
        } else {
            break;
        }
    }
    const int valueWidth = r.value->TextWidth();
    const int valueLeft = std::min(DigitLeft + Scaled(33, s), valueRight - valueWidth);
    r.value->setGeometry(valueLeft, kRowBevel, valueRight - valueLeft, inner);
    r.name->setGeometry(nameLeft, kRowBevel, std::max(Scaled(128, s), r.name->TextWidth() + 1),
                        inner);

    r.second->SetFontHeight(-Scaled(kSmallFont, s));
    r.second->setGeometry(Scaled(26, s), Scaled(20, s),
                          std::max(Scaled(130, s), r.second->TextWidth() + 1), Scaled(16, s));
    // Starts a row index in and ends at the row's edge, not past it.
    r.click->setGeometry(index, 0, std::max(0, w - index), h);
}

void TMegaDatchik::SetParametr(int row, std::uint32_t colour, std::string_view name,
                               std::string_view second, std::string_view unit, double* value) {
    if (!Valid(row)) return;
    Row& r = rows_[static_cast<std::size_t>(row)];
    bool changed = r.name->Show(readout::FromUtf8(name));
    changed = r.second->Show(readout::FromUtf8(second)) || changed;
    changed = r.unit->Show(readout::FromUtf8(unit)) || changed;
    if (changed) LayOutRow(row);
    const QColor color = draw::ColorRef(colour);
    for (RowLabel* label : {r.name, r.second, r.value, r.unit})
        label->SetColor(color);
    if (value != nullptr) r.bound = value;
}

void TMegaDatchik::SetValue(int row, std::string_view text) {
    if (!Valid(row)) return;
    ShowValue(row, readout::FromUtf8(text));
}

void TMegaDatchik::SetValue(int row, double v) {
    if (!Valid(row)) return;
    ShowValue(row, QString::fromStdString(FormatValue(v)));
}

void TMegaDatchik::UpdateData() {
    for (int i = 0; i < Count(); ++i) {
        const Row& r = rows_[static_cast<std::size_t>(i)];
        if (r.bound != nullptr) ShowValue(i, QString::fromStdString(FormatValue(*r.bound)));
    }
}

void TMegaDatchik::ShowValue(int row, const QString& text) {
    readout::RowLabel* value = rows_[static_cast<std::size_t>(row)].value;
    const int was = value->TextWidth();
    // A wider or narrower number moves the room the name has.
    if (value->Show(text) && value->TextWidth() != was) LayOutRow(row);
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
    for (int i = 0; i < Count(); ++i)
        LayOutRow(i);
}

#include "controls/megadiodindic.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace diod {

namespace {

constexpr unsigned Bits(std::initializer_list<int> segments) {
    unsigned bits = 0;
    for (int s : segments)
        bits |= 1u << (s - 1);
    return bits;
}

// "7" lights the upper-left segment as well: the display's own figure.
constexpr std::array<unsigned, 10> kDigits = {
    Bits({1, 2, 3, 4, 5, 6}),    Bits({3, 4}),          Bits({2, 3, 5, 6, 7, 8}),
    Bits({2, 3, 4, 5, 7, 8}),    Bits({1, 3, 4, 7, 8}), Bits({1, 2, 4, 5, 7, 8}),
    Bits({1, 2, 4, 5, 6, 7, 8}), Bits({1, 2, 3, 4}),    Bits({1, 2, 3, 4, 5, 6, 7, 8}),
    Bits({1, 2, 3, 4, 5, 7, 8}),
};

Segment Vertical(int x, int top, int t, int h) {
    const int b = t / 2;
    return {{{{x + b, top},
              {x + t, top + b},
              {x + t, top + h - b},
              {x + b, top + h},
              {x, top + h - b},
              {x, top + b}}},
            6};
}

Segment Horizontal(int left, int y, int t, int h) {
    const int b = t / 2;
    return {{{{left, y + b},
              {left + b, y},
              {left + h - b, y},
              {left + h, y + b},
              {left + h - b, y + t},
              {left + b, y + t}}},
            6};
}

// Half of the middle bar, from its middle line `mid` out by `b` (negative
// upwards).
Segment Half(int left, int mid, int b, int h) {
    const int d = b < 0 ? -b : b;
    return {{{{left, mid}, {left + d, mid + b}, {left + h - d, mid + b}, {left + h, mid}}}, 4};
}

}  // namespace

unsigned GlyphSegments(char c) {
    if (c >= '0' && c <= '9') return kDigits[static_cast<std::size_t>(c - '0')];
    if (c == '-') return Bits({7, 8});
    return 0;
}

Segment SegmentPolygon(int s, int x, int y0, int t, int h, int g) {
    const int right = x + 2 * g + h - t;
    const int mid = y0 + 2 * g + h;
    switch (s) {
        case 1:
            return Vertical(x, y0 + g, t, h);
        case 2:
            return Horizontal(x + g, y0, t, h);
        case 3:
            return Vertical(right, y0 + g, t, h);
        case 4:
            return Vertical(right, y0 + 3 * g + h, t, h);
        case 5:
            return Horizontal(x + g, y0 + 4 * g + 2 * h - t, t, h);
        case 6:
            return Vertical(x, y0 + 3 * g + h, t, h);
        case 7:
            return Half(x + g, mid, -(t / 2), h);
        case 8:
            return Half(x + g, mid, t / 2, h);
        default:
            return {};
    }
}

}  // namespace diod

MegaDiodIndic::MegaDiodIndic(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MegaDiodIndic"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    Draw();
}

MegaDiodIndic::~MegaDiodIndic() = default;

template <typename T>
void MegaDiodIndic::Change(T& field, T value) {
    if (field == value) return;
    field = value;
    Draw();
}

void MegaDiodIndic::SetDigitColor(std::uint32_t colour) {
    Change(digitColor_, colour);
}
void MegaDiodIndic::SetGroundColor(std::uint32_t colour) {
    Change(groundColor_, colour);
}
void MegaDiodIndic::SetDigitThink(int t) {
    Change(digitThink_, t);
}
void MegaDiodIndic::SetDigitHeight(int h) {
    Change(digitHeight_, h);
}
void MegaDiodIndic::SetDigitSegInt(int g) {
    Change(digitSegInt_, g);
}
void MegaDiodIndic::SetDigitX(int x) {
    Change(digitX_, x);
}
void MegaDiodIndic::SetDigitY(int y) {
    Change(digitY_, y);
}
void MegaDiodIndic::SetAlignText(int align) {
    Change(alignText_, align);
}

void MegaDiodIndic::SetValue(std::string_view text) {
    if (text == caption_) return;
    caption_.assign(text);
    Draw();
}

std::string MegaDiodIndic::FormatValue(float v) {
    // printf's "%5.2f"/"%5.3f" without the process locale: the device's
    // format always has a point.
    const int precision = v > 100 || v < -100 ? 2 : 3;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v),
                                      std::chars_format::fixed, precision);
    std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
    if (text.size() < 5) text.insert(0, 5 - text.size(), ' ');
    return text;
}

void MegaDiodIndic::fSetValue(float v) {
    SetValue(FormatValue(v));
}

void MegaDiodIndic::CreateBuffer(int /*x*/, int /*y*/, int width, int height) {
    canvas_.reset();
    back_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    canvas_ = std::make_unique<draw::Canvas>(back_);
    canvas_->End();
}

void MegaDiodIndic::Draw() {
    if (!canvas_ || back_.size() != size()) CreateBuffer(0, 0, width(), height());
    draw::Canvas& cv = *canvas_;
    cv.Begin();
    // The whole buffer, however large the control.
    cv.FillRect(0, 0, back_.width(), back_.height(), draw::ColorRef(groundColor_));
    const QColor digit = draw::ColorRef(digitColor_);
    cv.SetPen({digit, 1, draw::PenStyle::Solid});
    cv.SetBrush({digit, draw::BrushStyle::Solid, {}});

    const int t = digitThink_;
    const bool right = alignText_ == 1;
    const int pointStep = 2 * t + 2 * digitSegInt_;
    const int digitStep = 4 * t + digitHeight_;
    int x = right ? width() - digitX_ : digitX_;
    auto put = [&](char c) {
        if (c == '.' || c == ',') {
            if (right) x -= pointStep;
            DrawPoint(cv, x);
            if (!right) x += pointStep;
        } else if (const unsigned segments = diod::GlyphSegments(c); segments != 0) {
            if (right) x -= digitStep;
            DrawGlyph(cv, segments, x);
            if (!right) x += digitStep;
        }
    };
    if (right) {
        std::for_each(caption_.rbegin(), caption_.rend(), put);
    } else {
        std::for_each(caption_.begin(), caption_.end(), put);
    }
    cv.End();
    update();
}

void MegaDiodIndic::DrawPoint(draw::Canvas& cv, int x) {
    const int t = digitThink_;
    const int y = digitY_ + 2 * digitHeight_;
    cv.Rectangle(x, y + t, x + t, y + 3 * t);
}

void MegaDiodIndic::DrawGlyph(draw::Canvas& cv, unsigned segments, int x) {
    for (int s = 1; s <= 8; ++s) {
        if ((segments & (1u << (s - 1))) == 0) continue;
        const diod::Segment seg =
            diod::SegmentPolygon(s, x, digitY_, digitThink_, digitHeight_, digitSegInt_);
        cv.Polygon(seg.Points());
    }
}

void MegaDiodIndic::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), back_, event->rect());
}

void MegaDiodIndic::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (back_.size() != event->size()) Draw();
}

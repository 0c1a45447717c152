#include "megabutton.h"

#include <QMouseEvent>

#include <algorithm>
#include <cmath>

QImage ButtonGradientStrip(int length, bool horizontal, const QColor& a, const QColor& b,
                           float pos) {
    length = std::max(1, length);
    // A turn before the strip (a negative position) leaves out the part of
    // the way back that lies before it; one far outside counts as one just
    // outside, so the way back stays as short as the strip.
    pos = std::clamp(pos, -1.0f, 2.0f);
    QImage strip(horizontal ? length : 1, horizontal ? 1 : length, QImage::Format_RGB32);
    strip.fill(a);
    auto* px = reinterpret_cast<QRgb*>(strip.bits());
    const double ar = a.red(), ag = a.green(), ab = a.blue();
    const double br = b.red(), bg = b.green(), bb = b.blue();
    auto channel = [](double from, double to, double t) {
        return std::clamp(static_cast<int>(from - (from - to) * t), 0, 255);
    };
    const double p = static_cast<double>(length) * pos;
    const double pd = p == 0 ? 0.001 : p;
    for (int i = 0; i < p && i < length; ++i) {
        const double t = i / pd;
        px[i] = qRgb(channel(ar, br, t), channel(ag, bg, t), channel(ab, bb, t));
    }
    // The way back is a little longer than what is left of the strip, so it
    // surely reaches the end; it stops there instead of writing past it.
    const double q = (1.002 - pos) * static_cast<double>(length);
    const double qd = q == 0 ? 0.001 : q;
    for (int j = 0; j < q; ++j) {
        const int at = static_cast<int>(j + p);
        if (at < 0) continue;
        if (at >= length) break;
        const double t = j / qd;
        px[at] = qRgb(channel(br, ar, t), channel(bg, ag, t), channel(bb, ab, t));
    }
    return strip;
}

TMegaButton::TMegaButton(QWidget* parent) : MegaDrawn(parent) {
    setObjectName(QStringLiteral("TMegaButton"));
}

void TMegaButton::SetEnable(bool enabled) {
    Enabled = enabled;
    Draw();
}

void TMegaButton::SetCapt(const std::string& text) {
    Captions = text;
    Draw();
}

void TMegaButton::AddGradPos(float d) {
    gradPhase_ += d;
    SetDradPos(static_cast<float>(std::sin(gradPhase_)));
    Draw();
}

bool TMegaButton::TakeLook() {
    Look now{static_cast<const MegaLook&>(*this), static_cast<const MegaButtonLook&>(*this)};
    if (hasDrawn_ && now == drawn_) return false;
    drawn_ = std::move(now);
    hasDrawn_ = true;
    return true;
}

namespace {

struct Box {
    int x1, y1, x2, y2;
};

// The rounded outline and the inner outline for each AlignButton: an edge
// pushed past the bitmap hides the rounding on that side.
struct Shape {
    Box outer;
    Box inner;
};

Shape ButtonShape(int align, int w, int h, int b, int rx, int ry, bool down) {
    switch (align) {
        case 1:
            return {{0, 0, w + rx, h},
                    down ? Box{b + 1, b + 1, w + b + rx, h - b - 1} : Box{b, b, w + rx - b, h - b}};
        case 2:
            return {{-rx, 0, w, h},
                    down ? Box{-2 * rx - b, b + 1, w - b - 1, h - b - 1}
                         : Box{-rx - b, b, w - b, h - b}};
        case 3:
            return {{0, 0, w, h + ry},
                    down ? Box{b + 1, b + 1, w - b - 1, h + ry} : Box{b, b, w - b, h + ry}};
        case 4:
            return {{0, -ry, w, h},
                    down ? Box{b + 1, -ry, w - b - 1, h - b - 1} : Box{b, -ry, w - b, h - b}};
        default:
            return {
                {0, 0, w - 1, h - 1},
                down ? Box{b + 1, b + 1, w - b - 2, h - b - 2} : Box{b, b, w - b - 1, h - b - 1}};
    }
}

}  // namespace

void TMegaButton::Render(draw::Canvas& canvas) {
    const int w = width();
    const int h = height();

    // 1. Outer gradient in two bands turning at GradPos.
    if (!NoBorders) GradBands(GradPos, GradStart, GragFinish);

    // 2. and 3. The shape in Color; the ring between the outlines keeps it.
    canvas.SetBrushColor(Color);
    if (NoBorders) {
        canvas.FillRect(0, 0, w + 1, h + 1, Color);
    } else {
        const Shape shape = ButtonShape(AlignButton, w, h, BorderWidth, RoundX, RoundY, Down);
        canvas.RoundRect(shape.outer.x1, shape.outer.y1, shape.outer.x2, shape.outer.y2, RoundX,
                         RoundY);
        if (Border) {
            canvas.RoundRect(shape.inner.x1, shape.inner.y1, shape.inner.x2, shape.inner.y2, RoundX,
                             RoundY);
        }
    }

    // 4. Inner gradient up to the innermost black outline.
    const bool across = GradHVB != 0;
    const QColor a = Down ? GradStartB : GragFinishB;
    const QColor b = Down ? GradColDown : GradStartB;
    QImage pattern = ButtonGradientStrip(across ? w : h, across, a, b, GradPosB);
    if (!Enabled) {
        // The hatch lies over the gradient, so both go in one pattern.
        QImage hatched(w + 1, h + 1, QImage::Format_RGB32);
        draw::Canvas layer(hatched);
        layer.SetPenStyle(draw::PenStyle::Null);
        layer.SetBrushPattern(pattern);
        layer.Rectangle(0, 0, w + 1, h + 1);
        layer.SetBrush({Color, draw::BrushStyle::DiagCross, {}});
        layer.Rectangle(0, 0, w + 1, h + 1);
        layer.End();
        pattern = hatched;
    }
    canvas.SetBrushPattern(pattern);
    canvas.FloodFill(w / 2, h / 2, mega::kBlack);
    canvas.SetBrushColor(Color);

    // 5. Caption.
    DrawCaption(canvas, CaptionTop(), Captions.empty() ? Caption : Captions);

    // 6. Picture, white transparent.
    if (!Image.Empty()) {
        const QImage* picture = Image.Get(ImageIndex);
        if (Down && ImageIndexDown != -1) picture = ImageDown.Get(ImageIndexDown);
        if (picture != nullptr) DrawPicture(canvas, *picture, w, h);
    }
}

int TMegaButton::CaptionTop() const {
    if (AlignTextV == 0) {
        const int size = Font.Size();
        return height() / 2 - size / 2 - size / 3;
    }
    return AlignTextV == 1 ? AlignTextY : 0;
}

QRect TMegaButton::CaptionRect() const {
    const std::string& text = AlignText == 3 && !Captions.empty() ? Captions : Caption;
    if (text.empty() || AlignText < 1 || AlignText > 3) return {};
    QImage probe(1, 1, QImage::Format_RGB32);
    draw::Canvas canvas(probe);
    canvas.SetFont(Font);
    const int tw = canvas.TextWidth(std::string_view(text));
    const int th = canvas.TextHeight();
    canvas.End();
    const int x = AlignText == 1 ? width() / 2 - tw / 2 : AlignText == 2 ? width() - tw - 8 : 8;
    return {x, CaptionTop(), tw, th};
}

QRect TMegaButton::PictureRect() const {
    const QImage* picture = Image.Empty() || Stretch ? nullptr : Image.Get(ImageIndex);
    if (picture == nullptr || picture->isNull()) return {};
    return {bLeft, bTop, picture->width(), picture->height()};
}

int TMegaButton::CaptionWidthNeeded() const {
    const QRect caption = CaptionRect();
    if (caption.isEmpty()) return 0;
    const QRect picture = PictureRect();
    // Centred text keeps clear of the border on both sides; right-aligned
    // text keeps its 8 pixels and clears the picture on the left.
    const int edge = BorderWidth + 4;
    if (AlignText == 1)
        return caption.width() + 2 * edge + (picture.isEmpty() ? 0 : 2 * (picture.right() + 1));
    if (AlignText == 2)
        return caption.width() + 8 + (picture.isEmpty() ? edge : picture.right() + 1 + 4);
    return caption.width() + 8 + edge;
}

void TMegaButton::Click() {
    if (OnClick) OnClick(this);
}

void TMegaButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Enabled) return;
    pressed_ = !Radio;
    if (Radio) {
        if (!Down) {
            Down = true;
            Draw();
            Click();
        }
        Draw();
    } else if (DownOk) {
        Down = !Down;
        Draw();
    } else {
        Down = true;
        Draw();
    }
}

void TMegaButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!OnDoubleClick) {
        mousePressEvent(event);
        return;
    }
    // The release that follows clicks nothing.
    pressed_ = false;
    if (event->button() == Qt::LeftButton && Enabled) OnDoubleClick(this);
}

// Only a press this button took is released, so a button disabled while
// held still comes up; it clicks only while enabled.
void TMegaButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (!DownOk) Down = false;
    Draw();
    if (Enabled) Click();
}

void ApplyStationLook(TMegaButton& b) {
    b.Color = QColor(20, 70, 140);
    b.GradStartB = QColor(250, 252, 255);
    b.GragFinishB = QColor(150, 170, 200);
    b.GradColDown = QColor(255, 200, 40);
    b.GradPosB = 0.35f;
    b.RoundX = 16;
    b.RoundY = 16;
    b.FontColUp = QColor(10, 20, 40);
    b.FontColDown = QColor(0, 0, 0);
}

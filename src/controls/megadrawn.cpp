#include "megadrawn.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::uint64_t NextVersion() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

}  // namespace

int MegaImageList::Add(const QImage& picture) {
    pictures_.push_back(picture);
    version_ = NextVersion();
    return Count() - 1;
}

void MegaImageList::Clear() {
    if (pictures_.empty()) return;
    pictures_.clear();
    version_ = NextVersion();
}

const QImage* MegaImageList::Get(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &pictures_[static_cast<std::size_t>(index)];
}

float FoldGradPos(float value) {
    if (value >= 0.0f && value <= 1.0f) return value;
    if (!std::isfinite(value)) return 0.0f;
    float whole = 0.0f;
    return std::fabs(std::modf(value, &whole));
}

QColor Darker(const QColor& color, int amount) {
    return QColor(std::max(0, color.red() - amount), std::max(0, color.green() - amount),
                  std::max(0, color.blue() - amount));
}

MegaDrawn::MegaDrawn(QWidget* parent) : QWidget(parent), canvas_(back_) {
    // The control paints every pixel itself; Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(400, 60);
}

MegaDrawn::~MegaDrawn() = default;

void MegaDrawn::Draw() {
    if (!created_) return;
    if (!isVisible()) {
        // A control on a hidden screen renders when it is shown again.
        stale_ = true;
        return;
    }
    const QSize want(width() + 1, height() + 1);
    const bool resized = back_.size() != want;
    const bool changed = TakeLook();
    if (!changed && !resized && !stale_) return;
    stale_ = false;
    if (resized) CreateBuffer(0, 0, want.width(), want.height());
    back_.fill(Qt::white);
    canvas_.Begin();
    canvas_.Save();
    surface_ = &canvas_;
    Render(canvas_);
    surface_ = nullptr;
    canvas_.Restore();
    canvas_.End();
    ++renders_;
    update();
}

void MegaDrawn::SetDown(bool down) {
    Down = down;
    Draw();
}

void MegaDrawn::SetDradPos(float value) {
    GradPos = FoldGradPos(value);
}

void MegaDrawn::CreateBuffer(int, int, int w, int h) {
    canvas_.End();
    back_ = QImage(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
}

void MegaDrawn::gRectGrad(int x1, int y1, int x2, int y2, const QColor& c1, const QColor& c2) {
    if (surface_ == nullptr) return;
    surface_->GradientRect(x1, y1, x2, y2, c1, c2,
                           GradHV == 0 ? draw::Gradient::Horizontal : draw::Gradient::Vertical);
}

void MegaDrawn::gRect(int x1, int y1, int x2, int y2, const QColor& color) {
    if (surface_ == nullptr) return;
    surface_->SetPenColor(color);
    surface_->SetBrushColor(color);
    surface_->Rectangle(x1, y1, x2, y2);
}

void MegaDrawn::gPen(const QColor& color) {
    if (surface_ != nullptr) surface_->SetPenColor(color);
}

void MegaDrawn::gBrush(const QColor& color) {
    if (surface_ != nullptr) surface_->SetBrushColor(color);
}

// The width argument is kept for callers; the lines are one pixel, as the
// controls' frames were designed with.
void MegaDrawn::gLine(int x1, int y1, int x2, int y2, int, const QColor& color) {
    if (surface_ == nullptr) return;
    surface_->SetPenColor(color);
    surface_->Line(x1, y1, x2, y2);
}

void MegaDrawn::gTextOut(int x, int y, std::string_view text) {
    if (surface_ == nullptr) return;
    surface_->SetFont(Font);
    surface_->TextOut(x, y, text);
}

void MegaDrawn::Fonts() {
    fontHandle_ = draw::ToQFont(Font);
}

void MegaDrawn::DrawPicture(draw::Canvas& canvas, const QImage& picture, int w, int h) {
    if (picture.isNull()) return;
    if (!Stretch) {
        if (Down) {
            canvas.TransparentDraw(bLeft + 1, bTop + 1, picture.width() - 1, picture.height() - 1,
                                   picture);
        } else {
            canvas.TransparentDraw(bLeft, bTop, picture);
        }
    } else if (Down) {
        canvas.TransparentDraw(bLeft + 1, bTop + 1, w - bRigth, h - bBottom, picture);
    } else {
        canvas.TransparentDraw(bLeft, bTop, w + 1 - bRigth, h + 1 - bBottom, picture);
    }
}

void MegaDrawn::GradBands(float pos, const QColor& c1, const QColor& c2) {
    const int w = width();
    const int h = height();
    if (GradHV != 0) {
        const int split = static_cast<int>(h * pos);
        gRectGrad(0, 0, w, split, c1, c2);
        gRectGrad(0, split, w, h, c2, c1);
    } else {
        const int split = static_cast<int>(w * pos);
        gRectGrad(0, 0, split, h, c1, c2);
        gRectGrad(split, 0, w, h, c2, c1);
    }
}

void MegaDrawn::DrawCaption(draw::Canvas& canvas, int y, const std::string& leftText) {
    draw::Font font = Font;
    font.color = Down ? FontColDown : FontColUp;
    canvas.SetFont(font);
    canvas.SetBrushStyle(draw::BrushStyle::Clear);
    switch (AlignText) {
        case 1:
            canvas.TextOut(width() / 2 - canvas.TextWidth(Caption) / 2, y, Caption);
            break;
        case 2:
            canvas.TextOut(width() - canvas.TextWidth(Caption) - 8, y, Caption);
            break;
        case 3:
            canvas.TextOut(8, y, leftText);
            break;
        default:
            break;
    }
    canvas.SetBrushColor(Color);
}

void MegaDrawn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    created_ = true;
    Draw();
}

void MegaDrawn::paintEvent(QPaintEvent* event) {
    if (back_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), back_, event->rect());
}

void MegaDrawn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Draw();
}

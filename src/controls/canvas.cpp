#include "controls/canvas.h"

#include <QPaintDevice>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace draw {

QColor ColorRef(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t ToColorRef(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}
// ----- canvas

struct Canvas::State {
    Pen pen;
    Brush brush;
    BkMode bkMode;
    QColor bkColor;
    Font font;
    QColor textColor;
    QPoint origin;
    std::optional<QRect> clip;
    QPoint penPos;
};

Canvas::Canvas(QImage& image) : device_(&image), image_(&image) {
    Start();
}

Canvas::Canvas(QPaintDevice& device) : device_(&device) {
    if (device.devType() == QInternal::Image) image_ = static_cast<QImage*>(&device);
    Start();
}

Canvas::~Canvas() {
    End();
}

void Canvas::End() {
    if (painter_.isActive()) painter_.end();
}

void Canvas::Begin() {
    if (!painter_.isActive()) Start();
}

bool Canvas::Active() const {
    return painter_.isActive();
}

void Canvas::Start() {
    if (device_ == nullptr || device_->paintingActive()) return;
    if (image_ != nullptr && image_->isNull()) return;
    if (!painter_.begin(device_)) return;
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setTransform(QTransform::fromTranslate(origin_.x(), origin_.y()));
    // Pattern brushes are anchored at the device's (0, 0), not the origin.
    painter_.setBrushOrigin(-origin_);
    ApplyClip();
}

void Canvas::ApplyClip() {
    if (!Drawing()) return;
    if (clip_) {
        painter_.setClipRect(clip_->translated(-origin_));
    } else {
        painter_.setClipping(false);
    }
}

// ----- state

void Canvas::SetPen(const Pen& pen) {
    pen_ = pen;
}
void Canvas::SetPenColor(const QColor& color) {
    pen_.color = color;
}
void Canvas::SetPenWidth(int width) {
    pen_.width = width;
}
void Canvas::SetPenStyle(PenStyle style) {
    pen_.style = style;
}

// The brush also sets the background as the class library's canvas does:
// a solid brush makes text cells and gaps opaque in the brush colour, any
// other style makes them transparent. SetBkMode/SetBkColor afterwards
// override that.
void Canvas::SetBrush(const Brush& brush) {
    brush_ = brush;
    tile_ = QImage();
    if (brush_.style == BrushStyle::Solid) {
        bkMode_ = BkMode::Opaque;
        bkColor_ = brush_.color;
    } else {
        bkMode_ = BkMode::Transparent;
    }
}

// A colour given to a clear brush makes it solid again, as in the class
// library ("brush colour := c" after drawing outlines fills again).
void Canvas::SetBrushColor(const QColor& color) {
    Brush brush = brush_;
    brush.color = color;
    if (brush.style == BrushStyle::Clear) brush.style = BrushStyle::Solid;
    SetBrush(brush);
}

void Canvas::SetBrushStyle(BrushStyle style) {
    Brush brush = brush_;
    brush.style = style;
    SetBrush(brush);
}

void Canvas::SetBrushPattern(const QImage& pattern) {
    Brush brush = brush_;
    brush.pattern = pattern;
    brush.style = BrushStyle::Pattern;
    SetBrush(brush);
}

void Canvas::SetBkMode(BkMode mode) {
    bkMode_ = mode;
    tile_ = QImage();
}

void Canvas::SetBkColor(const QColor& color) {
    bkColor_ = color;
    tile_ = QImage();
}

void Canvas::SetFont(const Font& font) {
    if (!(font == font_)) {
        font_ = font;
        fontsReady_ = false;
    }
    textColor_ = font.color;
}

void Canvas::SetTextColor(const QColor& color) {
    textColor_ = color;
}

void Canvas::SetOrigin(int x, int y) {
    origin_ = QPoint(x, y);
    if (!Drawing()) return;
    painter_.setTransform(QTransform::fromTranslate(x, y));
    painter_.setBrushOrigin(-origin_);
    ApplyClip();
}

void Canvas::SetClipRect(int x1, int y1, int x2, int y2) {
    QRect box = QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)).translated(origin_);
    if (x2 <= x1 || y2 <= y1) box = QRect(origin_.x() + x1, origin_.y() + y1, 0, 0);
    clip_ = box;
    ApplyClip();
}

void Canvas::ClearClip() {
    clip_.reset();
    ApplyClip();
}

void Canvas::Save() {
    saved_.push_back({pen_, brush_, bkMode_, bkColor_, font_, textColor_, origin_, clip_, penPos_});
}

void Canvas::Restore() {
    if (saved_.empty()) return;
    State s = std::move(saved_.back());
    saved_.pop_back();
    pen_ = s.pen;
    brush_ = s.brush;
    tile_ = QImage();
    bkMode_ = s.bkMode;
    bkColor_ = s.bkColor;
    SetFont(s.font);
    textColor_ = s.textColor;
    penPos_ = s.penPos;
    clip_ = s.clip;
    SetOrigin(s.origin.x(), s.origin.y());
}

// ----- brushes

namespace {

// A brush tile repeated to at least 64 pixels across: Qt copies wide tiles
// run by run but a one-pixel strip pixel by pixel. The repeat keeps the
// pattern anchored where it was.
QImage WideTile(const QImage& tile) {
    const QImage::Format format =
        tile.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    QImage source = tile.convertToFormat(format);
    const int times = std::max(1, (64 + source.width() - 1) / source.width());
    if (times == 1) return source;
    QImage wide(source.width() * times, source.height(), format);
    for (int y = 0; y < source.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(wide.scanLine(y));
        for (int x = 0; x < wide.width(); ++x)
            to[x] = from[x % source.width()];
    }
    return wide;
}

}  // namespace

QBrush Canvas::QtBrush() const {
    switch (brush_.style) {
        case BrushStyle::Solid:
            return QBrush(brush_.color);
        case BrushStyle::Clear:
            return QBrush(Qt::NoBrush);
        case BrushStyle::Pattern:
            if (brush_.pattern.isNull()) return QBrush(Qt::NoBrush);
            if (tile_.isNull()) tile_ = WideTile(brush_.pattern);
            return QBrush(tile_);
        case BrushStyle::BDiagonal:
        case BrushStyle::DiagCross:
            break;
    }
    if (tile_.isNull()) {
        // Our own 8 x 8 tile, so the hatch is the Windows one to the pixel and
        // its gaps follow the background mode.
        QImage tile(8, 8, QImage::Format_ARGB32);
        const QRgb ink = brush_.color.rgb();
        const QRgb gap = bkMode_ == BkMode::Opaque ? bkColor_.rgb() : qRgba(0, 0, 0, 0);
        for (int y = 0; y < 8; ++y) {
            auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
            for (int x = 0; x < 8; ++x) {
                bool on = (x + y) % 8 == 7;
                if (brush_.style == BrushStyle::DiagCross) on = on || x == y;
                line[x] = on ? ink : gap;
            }
        }
        tile_ = WideTile(tile);
    }
    return QBrush(tile_);
}

int Canvas::PenPixels() const {
    if (pen_.style == PenStyle::Null) return 0;
    return std::max(1, pen_.width);
}

// ----- lines

void Canvas::MoveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void Canvas::LineTo(int x, int y) {
    StrokeSegment(penPos_.x(), penPos_.y(), x, y);
    penPos_ = QPoint(x, y);
}

namespace {

// Pixels of a one-pixel line from (x1, y1) towards (x2, y2), the end left
// out as on Windows: one pixel per step of the major axis, the minor
// coordinate rounded half away from the start. Qt's own aliased lines
// leave out the end with the larger coordinate instead, whichever way the
// line runs, so back buffers get these. `visit(x, y, step)` is called in
// order from the start.
template <typename Visit>
void WalkLine(int x1, int y1, int x2, int y2, Visit visit) {
    const long long dx = static_cast<long long>(x2) - x1;
    const long long dy = static_cast<long long>(y2) - y1;
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;
    const long long steps = std::max(adx, ady);
    for (long long i = 0; i < steps; ++i) {
        // round(i * d / steps) with halves away from zero, in integers.
        auto along = [&](long long d) -> long long {
            if (d == 0) return 0;
            if (d == steps || d == -steps) return d < 0 ? -i : i;
            return (2 * i * d + (d < 0 ? -steps : steps)) / (2 * steps);
        };
        visit(static_cast<int>(x1 + along(dx)), static_cast<int>(y1 + along(dy)),
              static_cast<int>(i));
    }
}

bool DotOn(int step) {
    return (step / 3) % 2 == 0;
}

// Adds a pixel to a list of runs (first and last pixel of a row or column
// piece), extending the last run when the pixel continues it.
void AddPixel(std::vector<QLine>& runs, int x, int y) {
    if (!runs.empty()) {
        QLine& r = runs.back();
        const bool single = r.p1() == r.p2();
        if (x == r.x1() && (single || r.x1() == r.x2())) {
            if (y == r.y2() + 1) return r.setP2(QPoint(x, y));
            if (y == r.y1() - 1) return r.setP1(QPoint(x, y));
        }
        if (y == r.y1() && (single || r.y1() == r.y2())) {
            if (x == r.x2() + 1) return r.setP2(QPoint(x, y));
            if (x == r.x1() - 1) return r.setP1(QPoint(x, y));
        }
    }
    runs.emplace_back(x, y, x, y);
}

}  // namespace

void Canvas::StrokeSegment(int x1, int y1, int x2, int y2) {
    if (!Drawing() || pen_.style == PenStyle::Null || (x1 == x2 && y1 == y2)) return;
    const int width = PenPixels();
    if (width > 1) {
        painter_.setPen(QPen(pen_.color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter_.drawLine(QLine(x1, y1, x2, y2));
        return;
    }
    const bool dotted = pen_.style == PenStyle::Dot;
    if (image_ == nullptr) {
        // Vector devices: Qt's line; which end is left out does not show there.
        if (dotted && bkMode_ == BkMode::Opaque) {
            painter_.setPen(QPen(bkColor_, 0, Qt::SolidLine, Qt::FlatCap));
            painter_.drawLine(QLine(x1, y1, x2, y2));
        }
        QPen pen(pen_.color, 0, Qt::SolidLine, Qt::FlatCap);
        if (dotted) pen.setDashPattern({3, 3});
        painter_.setPen(pen);
        painter_.drawLine(QLine(x1, y1, x2, y2));
        return;
    }
    runs_.clear();
    if (!dotted) {
        AddRuns(x1, y1, x2, y2);
        StrokeRuns(runs_, pen_.color);
        return;
    }
    gapRuns_.clear();
    WalkLine(x1, y1, x2, y2,
             [&](int x, int y, int step) { AddPixel(DotOn(step) ? runs_ : gapRuns_, x, y); });
    StrokeRuns(runs_, pen_.color);
    if (bkMode_ == BkMode::Opaque) StrokeRuns(gapRuns_, bkColor_);
}

// The pixels of a solid one-pixel line as runs along the axes: a steep line
// is a few vertical runs, the plot's column spans one run each.
void Canvas::AddRuns(int x1, int y1, int x2, int y2) {
    if (x1 == x2 || y1 == y2) {
        // The run without its last pixel.
        const int ex = x2 > x1 ? x2 - 1 : (x2 < x1 ? x2 + 1 : x2);
        const int ey = y2 > y1 ? y2 - 1 : (y2 < y1 ? y2 + 1 : y2);
        runs_.emplace_back(std::min(x1, ex), std::min(y1, ey), std::max(x1, ex), std::max(y1, ey));
        return;
    }
    WalkLine(x1, y1, x2, y2, [&](int x, int y, int) { AddPixel(runs_, x, y); });
}

// Writes runs straight into a 32-bit back buffer: a plot's curve is
// thousands of short runs, and the raster engine draws into the same memory
// without holding anything back. Not when the image is shared (a copy made
// while painting): then false, and the painter draws.
bool Canvas::WriteRuns(const std::vector<QLine>& runs, const QColor& color) {
    if (image_ == nullptr || !image_->isDetached()) return false;
    const QImage::Format format = image_->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    QRect area = image_->rect();
    if (clip_) area &= *clip_;
    if (area.isEmpty()) return true;
    auto* bits = const_cast<uchar*>(image_->constBits());
    const qsizetype stride = image_->bytesPerLine();
    const QRgb value = qRgb(color.red(), color.green(), color.blue());
    const int ox = origin_.x();
    const int oy = origin_.y();
    for (const QLine& r : runs) {
        const int x1 = std::max(r.x1() + ox, area.left());
        const int x2 = std::min(r.x2() + ox, area.right());
        const int y1 = std::max(r.y1() + oy, area.top());
        const int y2 = std::min(r.y2() + oy, area.bottom());
        for (int y = y1; y <= y2; ++y) {
            auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
            for (int x = x1; x <= x2; ++x)
                line[x] = value;
        }
    }
    return true;
}

// Draws runs, in one call when the painter must. Qt's flat-capped one-pixel
// line covers its start up to before its end, so each run is given one
// pixel longer.
void Canvas::StrokeRuns(std::vector<QLine>& runs, const QColor& color) {
    if (runs.empty() || WriteRuns(runs, color)) return;
    for (QLine& r : runs) {
        r = r.x1() == r.x2() && r.y1() != r.y2() ? QLine(r.x1(), r.y1(), r.x1(), r.y2() + 1)
                                                 : QLine(r.x1(), r.y1(), r.x2() + 1, r.y1());
    }
    painter_.setPen(QPen(color, 0, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLines(runs.data(), static_cast<int>(runs.size()));
}

void Canvas::Polyline(std::span<const QPoint> points) {
    if (points.empty()) return;
    if (Drawing() && pen_.style != PenStyle::Null && points.size() >= 2) {
        if (PenPixels() == 1 && pen_.style == PenStyle::Solid && image_ != nullptr) {
            // Every segment's pixels, drawn in one call.
            runs_.clear();
            for (std::size_t i = 1; i < points.size(); ++i) {
                const QPoint a = points[i - 1];
                const QPoint b = points[i];
                if (a != b) AddRuns(a.x(), a.y(), b.x(), b.y());
            }
            StrokeRuns(runs_, pen_.color);
        } else {
            penPos_ = points.front();
            for (std::size_t i = 1; i < points.size(); ++i)
                LineTo(points[i].x(), points[i].y());
        }
    }
    penPos_ = points.back();
}

}  // namespace draw

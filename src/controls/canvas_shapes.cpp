// Shapes, fills and pictures of the canvas (canvas.h).
#include "controls/canvas.h"

#include <QPen>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace draw {

// ----- shapes

// The outline of a box inside it, in the pen.
void Canvas::OutlineBox(int x1, int y1, int x2, int y2) {
    const int p = PenPixels();
    if (p == 0) return;
    if (p > 1 || pen_.style == PenStyle::Solid) {
        if (x2 - x1 <= 2 * p || y2 - y1 <= 2 * p) {
            painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), pen_.color);
            return;
        }
        painter_.fillRect(QRect(x1, y1, x2 - x1, p), pen_.color);
        painter_.fillRect(QRect(x1, y2 - p, x2 - x1, p), pen_.color);
        painter_.fillRect(QRect(x1, y1 + p, p, y2 - y1 - 2 * p), pen_.color);
        painter_.fillRect(QRect(x2 - p, y1 + p, p, y2 - y1 - 2 * p), pen_.color);
        return;
    }
    // Dotted: around the edge pixels, gaps in the background when opaque.
    const QRect edge(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
    painter_.setBrush(Qt::NoBrush);
    if (bkMode_ == BkMode::Opaque) {
        painter_.setPen(QPen(bkColor_, 0, Qt::SolidLine, Qt::SquareCap));
        painter_.drawRect(edge);
    }
    QPen pen(pen_.color, 0, Qt::SolidLine, Qt::SquareCap);
    pen.setDashPattern({3, 3});
    painter_.setPen(pen);
    painter_.drawRect(edge);
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!Drawing()) return;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 == x1 || y2 == y1) return;
    const int p = PenPixels();
    if (brush_.style != BrushStyle::Clear) {
        const QRect inside(QPoint(x1 + p, y1 + p), QPoint(x2 - p - 1, y2 - p - 1));
        if (inside.isValid()) painter_.fillRect(inside, QtBrush());
    }
    OutlineBox(x1, y1, x2, y2);
}

namespace {

// Pixel rows of a box with corners cut by a cw x ch corner ellipse (the
// ellipse itself when the corner is the whole box): for each row from the
// top, the first and last pixel. A pixel is in when its centre lies within
// the shape somewhere in its row's band, so the shape touches all four
// edges of its box and is symmetric.
using Row = std::pair<int, int>;  // first and last pixel

void ShapeRows(int x1, int y1, int x2, int y2, int cw, int ch, std::vector<Row>& rows) {
    const int w = x2 - x1;
    const int h = y2 - y1;
    rows.clear();
    if (w <= 0 || h <= 0) return;
    cw = std::clamp(cw, 0, w);
    ch = std::clamp(ch, 0, h);
    rows.assign(static_cast<std::size_t>(h), Row{x1, x2 - 1});
    if (cw < 2 || ch < 2) return;
    const double a = cw / 2.0;
    const double b = ch / 2.0;
    const int band = ch / 2;  // corner rows at the top and at the bottom
    for (int r = 0; r < band; ++r) {
        const double d = std::max(0.0, std::abs(r + 0.5 - b) - 0.5);
        const double t = 1.0 - (d / b) * (d / b);
        const double half = a * std::sqrt(std::max(0.0, t));
        int left = static_cast<int>(std::ceil(a - half - 0.5));
        int right = static_cast<int>(std::floor(a + half - 0.5));
        if (left > right) {
            left = (cw - 1) / 2;
            right = cw / 2;
        }
        left = std::clamp(left, 0, cw - 1);
        right = std::clamp(right, 0, cw - 1);
        // Left corner from x1, right corner ending at x2 - 1.
        const Row row{x1 + left, x2 - cw + right};
        rows[static_cast<std::size_t>(r)] = row;
        rows[static_cast<std::size_t>(h - 1 - r)] = row;
    }
}

}  // namespace

void Canvas::RoundShape(int x1, int y1, int x2, int y2, int cw, int ch) {
    if (!Drawing()) return;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 - x1 < 1 || y2 - y1 < 1) return;
    const int p = PenPixels();
    if (image_ == nullptr) {
        // Vector devices (pages, printers) get Qt's smooth shapes.
        painter_.setBrush(QtBrush());
        const double rx = std::clamp(cw / 2.0, 0.0, (x2 - x1) / 2.0);
        const double ry = std::clamp(ch / 2.0, 0.0, (y2 - y1) / 2.0);
        QRectF box(x1, y1, x2 - x1, y2 - y1);
        if (p == 0) {
            painter_.setPen(Qt::NoPen);
        } else {
            QPen pen(pen_.color, p, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
            if (pen_.style == PenStyle::Dot && p == 1) pen.setDashPattern({3, 3});
            painter_.setPen(pen);
            box.adjust(p / 2.0, p / 2.0, -p / 2.0, -p / 2.0);
        }
        painter_.drawRoundedRect(box, rx, ry);
        return;
    }
    // On a back buffer: our own rows, so edges are exact and the outline is
    // closed for a flood fill from inside.
    ShapeRows(x1, y1, x2, y2, cw, ch, outer_);
    const int h = y2 - y1;
    if (p > 1) {
        ShapeRows(x1 + p, y1 + p, x2 - p, y2 - p, cw - 2 * p, ch - 2 * p, inner_);
    } else {
        inner_.clear();
    }
    const QBrush brush = QtBrush();
    const bool fill = brush_.style != BrushStyle::Clear;
    // Rows with the same outline and inside are drawn together (the straight
    // sides of a rounded rectangle are one band).
    struct Band {
        int left, in1, in2, right, top, rows;
    };
    std::optional<Band> band;
    auto flush = [&] {
        if (!band) return;
        const Band& b = *band;
        if (b.in1 > b.in2) {
            if (p > 0)
                painter_.fillRect(QRect(b.left, b.top, b.right - b.left + 1, b.rows), pen_.color);
            return;
        }
        if (fill) painter_.fillRect(QRect(b.in1, b.top, b.in2 - b.in1 + 1, b.rows), brush);
        if (p > 0) {
            if (b.in1 > b.left)
                painter_.fillRect(QRect(b.left, b.top, b.in1 - b.left, b.rows), pen_.color);
            if (b.in2 < b.right)
                painter_.fillRect(QRect(b.in2 + 1, b.top, b.right - b.in2, b.rows), pen_.color);
        }
    };
    for (int r = 0; r < h; ++r) {
        const Row row = outer_[static_cast<std::size_t>(r)];
        const int y = y1 + r;
        int in1 = row.first;  // inside: in1 ... in2
        int in2 = row.second;
        if (p == 1) {
            if (r == 0 || r == h - 1) {
                in1 = row.second + 1;  // a top or bottom row is all outline
            } else {
                const Row up = outer_[static_cast<std::size_t>(r - 1)];
                const Row down = outer_[static_cast<std::size_t>(r + 1)];
                in1 = std::max({row.first + 1, up.first, down.first});
                in2 = std::min({row.second - 1, up.second, down.second});
            }
        } else if (p > 1) {
            const int ir = r - p;
            if (ir >= 0 && ir < static_cast<int>(inner_.size())) {
                in1 = inner_[static_cast<std::size_t>(ir)].first;
                in2 = inner_[static_cast<std::size_t>(ir)].second;
            } else {
                in1 = row.second + 1;
            }
        }
        if (in1 > in2) in1 = row.second + 1, in2 = row.second;  // all outline
        if (band && band->left == row.first && band->right == row.second && band->in1 == in1 &&
            band->in2 == in2) {
            ++band->rows;
            continue;
        }
        flush();
        band = Band{row.first, in1, in2, row.second, y, 1};
    }
    flush();
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2) {
    RoundShape(x1, y1, x2, y2, std::abs(x2 - x1), std::abs(y2 - y1));
}

void Canvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
    RoundShape(x1, y1, x2, y2, std::abs(w), std::abs(h));
}

void Canvas::Polygon(std::span<const QPoint> points) {
    if (!Drawing() || points.size() < 2) return;
    const int p = PenPixels();
    const int n = static_cast<int>(points.size());
    painter_.setBrush(QtBrush());
    if (p == 1 && image_ != nullptr) {
        // Qt's outline can miss a corner where two edges each leave out
        // their end; our edges each start on their corner.
        painter_.setPen(Qt::NoPen);
        painter_.drawPolygon(points.data(), n);
        for (int i = 0; i < n; ++i) {
            const QPoint a = points[static_cast<std::size_t>(i)];
            const QPoint b = points[static_cast<std::size_t>((i + 1) % n)];
            StrokeSegment(a.x(), a.y(), b.x(), b.y());
        }
        return;
    }
    if (p == 0) {
        painter_.setPen(Qt::NoPen);
    } else {
        QPen pen(pen_.color, p, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        if (p == 1 && pen_.style == PenStyle::Dot) pen.setDashPattern({3, 3});
        painter_.setPen(pen);
    }
    painter_.drawPolygon(points.data(), n);
}

void Canvas::FillRect(int x1, int y1, int x2, int y2, const QColor& color) {
    if (!Drawing() || x2 <= x1 || y2 <= y1) return;
    painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), color);
}

void Canvas::FrameRect(int x1, int y1, int x2, int y2, const QColor& color) {
    if (!Drawing() || x2 <= x1 || y2 <= y1) return;
    const int w = x2 - x1;
    const int h = y2 - y1;
    painter_.fillRect(QRect(x1, y1, w, 1), color);
    painter_.fillRect(QRect(x1, y2 - 1, w, 1), color);
    if (h > 2) {
        painter_.fillRect(QRect(x1, y1 + 1, 1, h - 2), color);
        painter_.fillRect(QRect(x2 - 1, y1 + 1, 1, h - 2), color);
    }
}

void Canvas::GradientRect(int x1, int y1, int x2, int y2, const QColor& c1, const QColor& c2,
                          Gradient direction) {
    if (!Drawing()) return;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (x2 == x1 || y2 == y1) return;
    const bool across = direction == Gradient::Horizontal;
    const int n = across ? x2 - x1 : y2 - y1;
    // One strip of n pixels, stretched over the other direction.
    QImage strip(across ? n : 1, across ? 1 : n, QImage::Format_RGB32);
    auto* px = reinterpret_cast<QRgb*>(strip.bits());
    const int r1 = c1.red(), g1 = c1.green(), b1 = c1.blue();
    const int dr = c2.red() - r1, dg = c2.green() - g1, db = c2.blue() - b1;
    const int last = std::max(1, n - 1);
    for (int i = 0; i < n; ++i) {
        px[i] = qRgb(r1 + dr * i / last, g1 + dg * i / last, b1 + db * i / last);
    }
    painter_.drawImage(QRect(x1, y1, x2 - x1, y2 - y1), strip);
}

bool Canvas::FloodFill(int x, int y, const QColor& border) {
    if (!Drawing() || image_ == nullptr || brush_.style == BrushStyle::Clear) return false;
    const QImage& image = *image_;  // read only: the painter keeps drawing into it
    const int w = image.width();
    const int h = image.height();
    QRect area(0, 0, w, h);
    if (clip_) area &= *clip_;
    const int sx = x + origin_.x();
    const int sy = y + origin_.y();
    if (!area.contains(sx, sy)) return false;
    const QRgb stop = border.rgb() & 0xFFFFFF;

    // One pass over the area marks what may be filled (1); the fill then
    // only touches that mask (filled: 2) and paints its spans with the
    // brush afterwards, so it never reads its own output.
    const int left = area.left(), top = area.top();
    const int aw = area.width(), ah = area.height();
    std::vector<std::uint8_t>& open = fillMask_;
    open.assign(static_cast<std::size_t>(aw) * static_cast<std::size_t>(ah), 0);
    const bool direct = image.depth() == 32;
    for (int r = 0; r < ah; ++r) {
        std::uint8_t* m = open.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(aw);
        if (direct) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(top + r)) + left;
            for (int c = 0; c < aw; ++c)
                m[c] = (line[c] & 0xFFFFFF) != stop ? 1 : 0;
        } else {
            for (int c = 0; c < aw; ++c)
                m[c] = (image.pixel(left + c, top + r) & 0xFFFFFF) != stop;
        }
    }
    std::uint8_t* const mask = open.data();
    const std::size_t stride = static_cast<std::size_t>(aw);
    auto row = [mask, stride](int r) { return mask + static_cast<std::size_t>(r) * stride; };
    const int c0 = sx - left;
    const int r0 = sy - top;
    if (row(r0)[c0] != 1) return false;

    std::vector<QPoint>& stack = fillStack_;
    std::vector<QRect>& spans = fillSpans_;
    stack.assign(1, QPoint(c0, r0));
    spans.clear();
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        const int r = p.y();
        std::uint8_t* const m = row(r);
        if (m[p.x()] != 1) continue;
        int a = p.x();
        while (a > 0 && m[a - 1] == 1)
            --a;
        int b = p.x();
        while (b < aw - 1 && m[b + 1] == 1)
            ++b;
        std::fill(m + a, m + b + 1, std::uint8_t{2});
        spans.emplace_back(left + a, top + r, b - a + 1, 1);
        for (const int nr : {r - 1, r + 1}) {
            if (nr < 0 || nr >= ah) continue;
            // One seed per run still open; the row just filled has none.
            const std::uint8_t* const n = row(nr);
            int i = a;
            while (i <= b) {
                const void* hit = std::memchr(n + i, 1, static_cast<std::size_t>(b - i + 1));
                if (hit == nullptr) break;
                i = static_cast<int>(static_cast<const std::uint8_t*>(hit) - n);
                stack.emplace_back(i, nr);
                while (i <= b && n[i] == 1)
                    ++i;
            }
        }
    }
    // One call for all spans, so a pattern brush is set up once. (Not a clip
    // region: after an earlier clip was cleared Qt no longer honours it.)
    for (QRect& span : spans)
        span.translate(-origin_);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QtBrush());
    painter_.drawRects(spans.data(), static_cast<int>(spans.size()));
    return true;
}

void Canvas::SetPixel(int x, int y, const QColor& color) {
    if (!Drawing()) return;
    painter_.fillRect(QRect(x, y, 1, 1), color);
}

QColor Canvas::Pixel(int x, int y) const {
    if (image_ == nullptr) return QColor();
    const QImage& image = *image_;
    const int px = x + origin_.x();
    const int py = y + origin_.y();
    if (!image.rect().contains(px, py)) return QColor();
    return QColor(image.pixel(px, py));
}

// ----- pictures

void Canvas::TransparentDraw(int x, int y, const QImage& picture) {
    TransparentDraw(x, y, picture.width(), picture.height(), picture);
}

namespace {

// The pictures are JPEGs: their white background comes back as 0xFEFFFD and
// the like, so an exact key leaves a white box around every picture.
bool NearWhite(QRgb pixel) {
    constexpr int kKey = 0xF0;
    return qRed(pixel) >= kKey && qGreen(pixel) >= kKey && qBlue(pixel) >= kKey;
}

}  // namespace

void Canvas::TransparentDraw(int x, int y, int w, int h, const QImage& picture) {
    if (!Drawing() || picture.isNull() || w <= 0 || h <= 0) return;
    // Controls draw the same picture on every repaint: key it once.
    if (keyed_.isNull() || keyedKey_ != picture.cacheKey()) {
        keyed_ = picture.convertToFormat(QImage::Format_ARGB32);
        for (int row = 0; row < keyed_.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(keyed_.scanLine(row));
            for (int col = 0; col < keyed_.width(); ++col) {
                if (NearWhite(line[col])) line[col] = qRgba(0, 0, 0, 0);
            }
        }
        keyedKey_ = picture.cacheKey();
    }
    painter_.drawImage(QRect(x, y, w, h), keyed_);
}

void Canvas::DrawImage(int x, int y, const QImage& picture) {
    if (!Drawing() || picture.isNull()) return;
    painter_.drawImage(QPoint(x, y), picture);
}

}  // namespace draw

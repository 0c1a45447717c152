#include "controls/cgrafic.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/cbuffer.h"

namespace {

using draw::BrushStyle;
using draw::PenStyle;

// Pages are laid out at 96 pixels per inch.
constexpr double kPixelsPerCentimetre = 96 * 0.3937007874;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x008000;
constexpr std::uint32_t kLime = 0x00FF00;
constexpr std::uint32_t kGrey = 0x808080;
constexpr std::uint32_t kLabelGround = 0x575757;
constexpr std::uint32_t kBand = 0x323232;
constexpr std::uint32_t kPrintWindow = 0x969696;

int Px(double position) {
    return plot::ToPixel(position);
}

// The first character of a UTF-8 text, whole.
std::string FirstCharacter(const std::string& text) {
    if (text.empty()) return {};
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t n = 1;
    if (lead >= 0xF0) {
        n = 4;
    } else if (lead >= 0xE0) {
        n = 3;
    } else if (lead >= 0xC0) {
        n = 2;
    }
    return text.substr(0, std::min(n, text.size()));
}

}  // namespace

// Keeps the back buffer's painter active for one drawing operation; nested
// operations (a handler's lLine inside a redraw) share it.
class CGrafic::Painting {
public:
    explicit Painting(CGrafic& g) : g_(g), began_(!g.canvas_->Active()) {
        if (began_) g_.canvas_->Begin();
    }
    ~Painting() {
        if (began_) g_.canvas_->End();
    }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;
    bool Outermost() const { return began_; }

private:
    CGrafic& g_;
    bool began_;
};

CGrafic::CGrafic(QWidget* parent, const PerformanceCounter* counter)
    : QWidget(parent), clock(counter) {
    setObjectName(QStringLiteral("CGrafic"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // the crosshair follows the mouse without a button
    clock.SetResolution(20);
    if (width() < 10 || height() < 10) {
        resize(width() < 10 ? 100 : width(), height() < 10 ? 100 : height());
    }
    ReSizing();
}

CGrafic::~CGrafic() = default;

double CGrafic::MultiGetMin() const {
    return buffer != nullptr ? plot::MultiGetMin(*buffer, visible) : 0.0;
}

double CGrafic::MultiGetMax() const {
    return buffer != nullptr ? plot::MultiGetMax(*buffer, visible) : 0.0;
}

std::uint32_t CGrafic::ChannelColor(int channel) {
    if (channel < 1) channel = 1;
    return plot::kCurveColors[static_cast<size_t>(channel - 1) % plot::kCurveColors.size()];
}

// ----- sizes and painting

void CGrafic::SizeBackBuffer(int w, int h) {
    canvas_.reset();
    back_ = QImage(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    back_.fill(draw::ColorRef(ColorGround));
    canvas_ = std::make_unique<draw::Canvas>(back_);
    canvas_->End();
    drawn_ = false;
}

void CGrafic::ReSizing() {
    SizeBackBuffer(width(), height());
    DrawGrid();
}

void CGrafic::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), back_, event->rect());
}

void CGrafic::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (back_.size() != event->size()) ReSizing();
}

// A page being printed is drawn on directly, so the graph stays lines and
// text there; the screen draws into the back buffer.
draw::Canvas& CGrafic::Surface() {
    return target_ != nullptr ? *target_ : *canvas_;
}

void CGrafic::UseBrush(std::uint32_t colour, BrushStyle style) {
    Surface().SetBrush({draw::ColorRef(colour), style, {}});
}

void CGrafic::UsePen(std::uint32_t colour, PenStyle style) {
    Surface().SetPenColor(draw::ColorRef(colour));
    Surface().SetPenStyle(style);
}

plot::ClipRect CGrafic::Clip() const {
    // Beyond the picture by more than a wide pen reaches.
    const double margin = 64.0 + std::max(LineWidth, 0);
    return {-margin, -margin, back_.width() - 1 + margin, back_.height() - 1 + margin};
}

void CGrafic::PixelLine(double x1, double y1, double x2, double y2) {
    if (std::isnan(x1) || std::isnan(y1) || std::isnan(x2) || std::isnan(y2)) return;
    const double far = plot::kPixelLimit;
    x1 = std::clamp(x1, -far, far);
    y1 = std::clamp(y1, -far, far);
    x2 = std::clamp(x2, -far, far);
    y2 = std::clamp(y2, -far, far);
    if (!plot::ClipSegment(Clip(), x1, y1, x2, y2)) return;
    Surface().Line(Px(x1), Px(y1), Px(x2), Px(y2));
}

void CGrafic::DataLine(double x1, double y1, double x2, double y2) {
    PixelLine(LM_X(x1), LM_Y(y1), LM_X(x2), LM_Y(y2));
}

// ----- the full redraw

void CGrafic::DrawGrid() {
    if (width() <= 0 || height() <= 0) return;
    bool rescan = false;
    bool stale = false;
    // A hidden control gets its resize event only when shown.
    if (target_ == nullptr && back_.size() != size()) SizeBackBuffer(width(), height());
    {
        Painting painting(*this);
        draw::Canvas& cv = Surface();
        view.borderX = BorderX * DrawScale();
        view.borderY = BorderY * DrawScale();
        view.SetSize(back_.width(), back_.height());

        if (autoscaleRequest) {
            autoscale = true;
            autoscaleRequest = false;
        }
        // Autoscale takes the ranges rescanned. Where the curve's pass reads
        // every sample of both channels it rescans them on the way, so a long
        // test is read once, not three times: the view is set from the ranges
        // the buffer keeps, and should the pass find them stale, the buffer
        // takes the rescanned ones and the redraw is made again.
        plot::Range keptX;
        plot::Range keptY;
        if (buffer != nullptr && autoscale && buffer->GetCount(chanX) == buffer->GetCount(chanY)) {
            const int count = buffer->GetCount(chanX);
            const bool channels = chanX >= 0 && chanY >= 0 && chanX < buffer->GetCanCount() &&
                                  chanY < buffer->GetCanCount();
            if (channels && count > 0 && curves && !multi && !decimation) {
                keptX = {buffer->GetMin(chanX), buffer->cans[static_cast<size_t>(chanX)].max};
                keptY = {buffer->GetMin(chanY), buffer->cans[static_cast<size_t>(chanY)].max};
                rescan = std::isfinite(keptX.min) && std::isfinite(keptX.max) &&
                         std::isfinite(keptY.min) && std::isfinite(keptY.max);
            }
            const plot::Range x = rescan ? keptX : plot::FiniteRange(*buffer, chanX);
            const plot::Range y = rescan  ? keptY
                                  : multi ? plot::Range{MultiGetMin(), MultiGetMax()}
                                          : plot::FiniteRange(*buffer, chanY);
            plot::Autoscale(view, x, y, {ProcGrid, XMin, XMinPred, XStart, YMin, YMinPred, YStart});
        }
        plot::SettleView(view);
        view.UpdateSpans();
        drawnView_ = view;

        const int w = back_.width();
        const int h = back_.height();
        const int bx = Px(view.borderX);
        const int ph = Px(view.plotHeight);

        // Background and the frame of the plot area.
        cv.SetFont(ScaledFont(Font));
        cv.SetPenWidth(1);
        UsePen(ColorBorder, PenStyle::Solid);
        UseBrush(ColorGround, BrushStyle::Solid);
        cv.Rectangle(0, 0, w, h);
        UseBrush(ColorGround, BrushStyle::Clear);
        cv.Rectangle(bx - 1, 0, w, ph + 1);
        UseBrush(ColorGround, BrushStyle::Solid);

        if (OnOutBuffer) OnOutBuffer(this);

        cv.SetPenStyle(PenStyle::Dot);
        if (buffer != nullptr && mode != kPrint) DrawPrintRects();
        if (buttonHeld && (mode == kZoom || mode == kRegion)) {
            cv.SetPenColor(draw::ColorRef(kRed));
            UseBrush(kBand, BrushStyle::Solid);
            cv.Rectangle(pressPos.x(), pressPos.y(), mousePos.x(), mousePos.y());
        }
        DrawGridLines();

        // Zero axes.
        UsePen(ColorOsi, PenStyle::Solid);
        const int y0 = Px(drawnView_.LM_Y(0));
        const int x0 = Px(drawnView_.LM_X(0));
        cv.Line(0, y0, w, y0);
        cv.Line(x0, 0, x0, h);

        if (CursorVis) {
            const plot::View& v = drawnView_;
            cv.SetPenColor(draw::ColorRef(ColorGrid));
            const double my = v.LM_Y(v.ML_Y(mousePos.y()));
            const double mx = v.LM_X(v.ML_X(mousePos.x()));
            PixelLine(v.LM_X(v.lowerX - v.panX), my, v.LM_X(v.upperX - v.panX), my);
            PixelLine(mx, v.LM_Y(v.lowerY - v.panY), mx, v.LM_Y(v.upperY - v.panY));
        }

        cv.SetPenWidth(LineWidth);
        tails_.clear();
        drawnUpTo_ = -1;
        plot::Scanned scanned;
        if (buffer != nullptr && curves) DrawCurves(rescan ? &scanned : nullptr);
        if (rescan) {
            // A zero's sign moves no pixel; any other difference does (a NaN
            // differs from everything).
            stale = !scanned.any || scanned.minX != keptX.min || scanned.maxX != keptX.max ||
                    scanned.minY != keptY.min || scanned.maxY != keptY.max;
            // Kept as C_Buffer::GetMax keeps what it rescans.
            C_Buffer::SCan& cx = buffer->cans[static_cast<size_t>(chanX)];
            C_Buffer::SCan& cy = buffer->cans[static_cast<size_t>(chanY)];
            if (scanned.any) {
                cx.min = scanned.minX;
                cx.max = scanned.maxX;
                cy.min = scanned.minY;
                cy.max = scanned.maxY;
            }
        }
        if (CursorVis) DrawReadout();
        DrawOverCurves();
        drawn_ = true;
    }
    // Drawn to a view from stale ranges: again, now from the rescanned ones.
    if (stale) {
        DrawGrid();
        return;
    }
    if (target_ == nullptr) update();
}

void CGrafic::DrawPrintRects() {
    draw::Canvas& cv = Surface();
    const plot::View& v = drawnView_;
    const auto& rects = buffer->printRects;
    for (size_t k = 0; k < rects.size(); ++k) {
        const C_Buffer::SPrintRect& r = rects[k];
        if (r.xChannel != chanX || r.yChannel != chanY) continue;
        cv.SetPenColor(draw::ColorRef(kPrintWindow));
        UseBrush(kPrintWindow, BrushStyle::BDiagonal);
        const int x1 = Px(v.LM_X(r.lowerX));
        const int y1 = Px(v.LM_Y(r.upperY));
        cv.Rectangle(x1, y1, Px(v.LM_X(r.upperX)), Px(v.LM_Y(r.lowerY)));
        // The sheet it prints on: the protocol itself is sheet 1.
        draw::Font big = Font;
        big.SetSize(Sc(16));
        big.color = draw::ColorRef(ColorText);
        cv.SetFont(big);
        cv.TextOut(x1, y1, std::to_string(k + 2) + " лист");
        cv.SetFont(ScaledFont(Font));
        UseBrush(ColorGround, BrushStyle::Solid);
    }
}

void CGrafic::DrawGridLines() {
    draw::Canvas& cv = Surface();
    const plot::View& v = drawnView_;
    gridX_ = plot::GridLines(v.LM_X(0), v.plotWidth, CouGridX);
    gridY_ = plot::GridLines(v.LM_Y(0), v.plotHeight, CouGridY);
    UsePen(ColorGrid, PenStyle::Dot);
    const int ph = Px(v.plotHeight);
    for (double x : gridX_)
        cv.Line(Px(x), 0, Px(x), ph);
    for (double y : gridY_)
        cv.Line(Px(v.borderX), Px(y), back_.width(), Px(y));
}

void CGrafic::DrawCurves(plot::Scanned* scan) {
    const int count = buffer->GetCount(chanX);
    int step = 1;
    if (decimation) step = std::max(1, buffer->GetCount(0) / std::max(1, back_.width()));
    decimationStep = step;
    if (!multi) {
        Tail tail{chanY, ColorGrafik};
        UsePen(ColorGrafik, PenStyle::Solid);
        TraceChannel(drawnView_, chanY, 0, step, tail, scan);
        tails_.push_back(tail);
    } else {
        const int channels = std::min(buffer->GetCanCount(), static_cast<int>(visible.size()));
        for (int c = 1; c < channels; ++c) {
            if (!visible[static_cast<size_t>(c)]) continue;
            Tail tail{c, ChannelColor(c)};
            UsePen(tail.colour, PenStyle::Solid);
            TraceChannel(drawnView_, c, 0, step, tail);
            tails_.push_back(tail);
        }
    }
    if (count > 0) {
        drawnUpTo_ = (count - 1) / step * step;
        drawnX_ = buffer->GetValue(chanX, drawnUpTo_);
    }
}

QRect CGrafic::TraceChannel(const plot::View& m, int channel, int from, int step, Tail& tail,
                            plot::Scanned* scan) {
    path_.Clear();
    plot::CurveTracer tracer(Clip(), envelope, path_);
    if (tail.has) tracer.Add(tail.px, tail.py);
    // A channel the buffer lacks (a damaged file, a method's odd axis) draws
    // nothing.
    static const SampleStore kNone;
    const auto has = [this](int c) { return c >= 0 && c < buffer->GetCanCount(); };
    const bool both = has(chanX) && has(channel);
    const SampleStore& xs = both ? buffer->cans[static_cast<size_t>(chanX)].samples : kNone;
    const SampleStore& ys = both ? buffer->cans[static_cast<size_t>(channel)].samples : kNone;
    const plot::Mapping map{m.lowerX, m.panX, m.plotWidth / plot::NonZero(m.spanX),  m.borderX,
                            m.lowerY, m.panY, m.plotHeight / plot::NonZero(m.spanY), m.borderY,
                            m.height};
    const size_t count = xs.size();
    const size_t paired = std::min(count, ys.size());
    const auto s = static_cast<size_t>(std::max(step, 1));
    size_t i = static_cast<size_t>(std::max(from, 0));
    if (i < paired) i = tracer.AddSamples(xs.data(), ys.data(), i, paired, s, map, scan);
    // An X channel longer than the Y channel: the missing Y are 0.
    for (; i < count; i += s)
        tracer.Add(map.X(xs[i]), map.Y(0.0));
    tracer.Finish();
    tail.has = tracer.HasLast();
    tail.px = tracer.LastX();
    tail.py = tracer.LastY();
    return DrawPath();
}

QRect CGrafic::DrawPath() {
    QRect box;
    for (size_t k = 0; k < path_.Polylines(); ++k) {
        points_.clear();
        for (size_t i = path_.Begin(k); i < path_.End(k); ++i) {
            const plot::Pixel p = path_.points[i];
            points_.emplace_back(p.x, p.y);
        }
        if (points_.size() < 2) continue;
        Surface().Polyline(points_);
        for (const QPoint& p : points_)
            box |= QRect(p, QSize(1, 1));
    }
    return box;
}

void CGrafic::DrawReadout() {
    draw::Canvas& cv = Surface();
    const plot::View& v = drawnView_;
    cv.SetPenWidth(1);
    UseBrush(ColorGround, BrushStyle::Clear);
    cv.SetTextColor(draw::ColorRef(ColorText));
    const std::string text = nameX + "=" + FormatAxisNumber(v.ML_X(mousePos.x())) + ", " + nameY +
                             "=" + FormatAxisNumber(v.ML_Y(mousePos.y()));
    cv.TextOut(mousePos.x() + 4, mousePos.y() - 2 * ScaledFont(Font).Size(), text);
}

void CGrafic::DrawOverCurves() {
    draw::Canvas& cv = Surface();
    const plot::View& v = drawnView_;
    const int w = back_.width();
    const int h = back_.height();
    const int bx = Px(v.borderX);
    const int by = Px(v.borderY);
    const int ph = Px(v.plotHeight);
    overlay_.clear();
    overlayLines_.clear();
    auto text = [&](int x, int y, const std::string& s) {
        cv.TextOut(x, y, s);
        overlay_.emplace_back(x, y, cv.TextWidth(s), cv.TextHeight());
    };

    // Bottom strip with the X numbers.
    cv.SetPenWidth(1);
    UseBrush(ColorGround, BrushStyle::Solid);
    UsePen(ColorBorder, PenStyle::Solid);
    cv.Rectangle(bx - 1, ph, w, h);
    cv.SetPenWidth(2);
    numberBoxes_.clear();
    auto number = [&](int x, int y, const std::string& s) {
        text(x, y, s);
        numberBoxes_.push_back(overlay_.back());
    };
    // Numbers lie whole within the strips, right of the left one, inside
    // the frame and apart: an end number is shifted in or left out.
    // Apart from each other and clear of the frame, so no glyph touches it.
    const int gap = Sc(4);
    const int margin = Sc(2);
    double from = bx;
    for (double x : gridX_) {
        cv.SetPenColor(draw::ColorRef(kRed));
        cv.Line(Px(x), ph, Px(x), ph + 4);
        const std::string s = FormatAxisNumber(v.ML_X(x));
        const int tw = cv.TextWidth(s);
        const auto left = plot::PlaceAxisNumber(tw, Px(x), from, w - 1 - margin);
        if (!left) continue;
        number(Px(*left), ph + Sc(6), s);
        from = Px(*left) + tw + gap;
    }
    // Left strip with the Y numbers, outlined in the pen the ticks left.
    cv.Rectangle(0, 0, bx, h);
    from = 1;
    for (double y : gridY_) {
        cv.SetPenColor(draw::ColorRef(kRed));
        cv.Line(bx, Px(y), bx - 4, Px(y));
        const std::string s = FormatAxisNumber(v.ML_Y(y));
        const int th = cv.TextHeight();
        const auto top = plot::PlaceAxisNumber(th, Px(y) + 1, from, h - 1 - margin);
        if (!top) continue;
        number(std::max(1, bx - Sc(45)), Px(*top), s);
        from = Px(*top) + th;
    }
    // Outer frame and the two caption boxes.
    UseBrush(ColorGround, BrushStyle::Clear);
    UsePen(ColorBorder, PenStyle::Solid);
    cv.Rectangle(0, 0, w, h);
    UseBrush(ColorGround, BrushStyle::Solid);
    cv.Rectangle(bx - 1, 0, 2 * bx, by);
    cv.Rectangle(w - bx, ph - by, w, ph + 1);
    if (buffer != nullptr) {
        if (!multi) {
            cv.SetTextColor(draw::ColorRef(ColorXLabel));
            text(bx + 4, 4, buffer->GetName(chanY));
        }
        cv.SetTextColor(draw::ColorRef(ColorYLabel));
        text(w - bx + 4, ph - by + Sc(6), buffer->GetName(chanX));
    }
    // What a live segment must not cross without this being drawn again:
    // strips with their ticks, frame, caption boxes (a pen of 2 and round
    // caps reach a pixel further).
    overlay_.emplace_back(0, 0, bx + 3, h);
    overlay_.emplace_back(0, ph - 2, w, h - ph + 2);
    overlay_.emplace_back(0, 0, w, 3);
    overlay_.emplace_back(w - 3, 0, 3, h);
    overlay_.emplace_back(QPoint(bx - 2, 0), QPoint(2 * bx + 1, by + 1));
    overlay_.emplace_back(QPoint(w - bx - 1, ph - by - 1), QPoint(w, ph + 2));

    if (curves) DrawMarker();
}

void CGrafic::DrawMarker() {
    if (buffer == nullptr || !canvas_) return;
    Painting painting(*this);
    draw::Canvas& cv = Surface();
    const plot::View& v = drawnView_;
    if (chanX != 0) {
        for (const C_Buffer::SPicLine& line : buffer->picLines) {
            cv.SetPenWidth(1);
            UsePen(static_cast<std::uint32_t>(line.colour), PenStyle::Solid);
            const double x1 = v.LM_X(line.x1);
            const double y1 = v.LM_Y(line.y1);
            const double x2 = v.LM_X(line.x2);
            const double y2 = v.LM_Y(line.y2);
            PixelLine(x1, y1, x2, y2);
            overlayLines_.push_back({x1, y1, x2, y2});
        }
    }
    // Every dot is known before a label is placed, so no label covers one;
    // leaders go under the dots and the labels over both.
    draw::Font small = Font;
    small.SetSize(Sc(11));
    const int lh = Sc(20);  // label height
    small.color = draw::ColorRef(kLime);
    cv.SetFont(small);
    struct Mark {
        int x = 0;
        int y = 0;
        std::string text;
    };
    std::vector<Mark> marks;
    std::vector<plot::LabelSpot> spots;
    std::vector<size_t> labelled;
    std::vector<plot::Box> keepOut;
    for (size_t i = 0; i < buffer->picPoints.size(); ++i) {
        const C_Buffer::SPicPoint& pt = buffer->picPoints[i];
        const double px = v.LM_X(buffer->GetValue(chanX, pt.sampleIndex));
        const double py = v.LM_Y(buffer->GetValue(chanY, pt.sampleIndex));
        Mark m{Px(px), Px(py), pt.label};
        keepOut.push_back({m.x - 6.0, m.y - 6.0, 12.0, 12.0});
        if (!m.text.empty()) {
            if (chanX == 0 && chanY >= 1 && chanY <= 3)
                m.text = FirstCharacter(buffer->GetName(chanY)) + m.text;
            // Where the label goes when nothing is in its way: staggered up,
            // left and right by turns.
            double top = py - double(lh) * static_cast<double>(i);
            if (top < 0 && py > 0) top = 0;
            const double left = i % 2 == 1 ? px + Sc(60) : px - Sc(60);
            // Wide enough for its text: a clipped label cannot be read.
            const double width = std::max(Sc(40), cv.TextWidth(m.text) + Sc(10));
            // In whole pixels, as the boxes are drawn.
            spots.push_back(
                {double(m.x), double(m.y), {double(Px(left)), double(Px(top)), width, double(lh)}});
            labelled.push_back(i);
        }
        marks.push_back(std::move(m));
    }
    const int w = back_.width();
    const int bx = Px(v.borderX);
    const int by = Px(v.borderY);
    const int ph = Px(v.plotHeight);
    // The caption boxes stay readable.
    keepOut.push_back({bx - 1.0, 0.0, bx + 1.0, double(by)});
    keepOut.push_back({double(w - bx), double(ph - by), double(bx), by + 1.0});
    // Inside the frame of the plot area.
    const plot::Box area{double(bx), 1.0, double(w - 1 - bx), ph - 1.0};
    const std::vector<plot::Box> boxes = plot::PlaceLabels(spots, area, keepOut);
    labelBoxes_.clear();
    for (size_t k = 0; k < boxes.size(); ++k) {
        C_Buffer::SPicPoint& pt = buffer->picPoints[labelled[k]];
        pt.labelX = static_cast<float>(boxes[k].left);
        pt.labelY = static_cast<float>(boxes[k].top);
        labelBoxes_.emplace_back(Px(boxes[k].left), Px(boxes[k].top), Px(boxes[k].width),
                                 Px(boxes[k].height));
    }

    cv.SetPenWidth(1);
    UsePen(kGrey, PenStyle::Dot);
    for (size_t k = 0; k < labelBoxes_.size(); ++k) {
        const QRect& r = labelBoxes_[k];
        const Mark& m = marks[labelled[k]];
        const double cx = r.left() + r.width() / 2.0;
        const double cy = r.top() + r.height() / 2.0;
        PixelLine(cx, cy, m.x, m.y);
        overlayLines_.push_back({cx, cy, double(m.x), double(m.y)});
    }
    UsePen(kGreen, PenStyle::Solid);
    UseBrush(kGreen, BrushStyle::Solid);
    for (const Mark& m : marks) {
        cv.Ellipse(m.x - 5, m.y - 5, m.x + 5, m.y + 5);
        overlay_.emplace_back(m.x - 6, m.y - 6, 12, 12);
    }
    for (size_t k = 0; k < labelBoxes_.size(); ++k) {
        const QRect& r = labelBoxes_[k];
        const int l = r.left();
        const int t = r.top();
        const int rw = r.width();
        const bool selected = static_cast<int>(labelled[k]) == selectedMarker;
        UseBrush(selected ? kRed : kLabelGround, BrushStyle::Solid);
        cv.RoundRect(l, t, l + rw, t + lh, 5, 5);
        overlay_.emplace_back(l - 1, t - 1, rw + 2, lh + 2);
        // Inside the outline, so the box keeps its green edge.
        cv.TextRect(l + 1, t + 1, l + rw - 1, t + lh - 1, l + Sc(5), t + Sc(4),
                    marks[labelled[k]].text);
    }
    cv.SetFont(ScaledFont(Font));
    if (painting.Outermost()) update();
}

// ----- drawing operations for handlers and owners

void CGrafic::lLine(std::uint32_t colour, double x1, double y1, double x2, double y2) {
    Painting painting(*this);
    Surface().SetPenColor(draw::ColorRef(colour));
    DataLine(x1, y1, x2, y2);
    if (painting.Outermost()) update();
}

void CGrafic::lEllipse(std::uint32_t /*colour*/, double x, double y, double r) {
    Painting painting(*this);
    Surface().Ellipse(Px(LM_X(x - r)), Px(LM_Y(y - r)), Px(LM_X(x + r)), Px(LM_Y(y + r)));
    if (painting.Outermost()) update();
}

void CGrafic::lRect(std::uint32_t /*colour*/, double x1, double y1, double x2, double y2) {
    Painting painting(*this);
    UseBrush(ColorGround, BrushStyle::Solid);
    Surface().Rectangle(Px(LM_X(x1)), Px(LM_Y(y1)), Px(LM_X(x2)), Px(LM_Y(y2)));
    if (painting.Outermost()) update();
}

void CGrafic::Pointer(double px, double py, int r, const std::string& text) {
    draw::Canvas& cv = Surface();
    const double radius = std::clamp(static_cast<double>(r), -plot::kPixelLimit, plot::kPixelLimit);
    const int x = Px(px);
    const int y = Px(py);
    cv.Ellipse(Px(x - radius), Px(y - radius), Px(x + radius), Px(y + radius));
    const int top = Px(y - radius);
    PixelLine(x, top, x + 10.0, top - 10.0);
    PixelLine(x + 10.0, top - 10.0, x + 60.0, top - 10.0);
    cv.SetPenColor(draw::ColorRef(ColorText));
    cv.TextOut(Px(x + 20.0), Px(top - 12 - 1.5 * ScaledFont(Font).Size()), text);
    cv.SetBrushStyle(BrushStyle::Solid);
}

void CGrafic::gPointer(std::uint32_t colour, double x, double y, int r, const std::string& text) {
    Painting painting(*this);
    Surface().SetPenColor(draw::ColorRef(colour));
    Surface().SetBrushStyle(BrushStyle::Clear);
    Pointer(LM_X(x), LM_Y(y), r, text);
    if (painting.Outermost()) update();
}

void CGrafic::gPointInd(std::uint32_t colour, int index, int r, const std::string& text) {
    if (buffer == nullptr || buffer->GetCount(chanX) == 0) return;
    Painting painting(*this);
    Surface().SetPenColor(draw::ColorRef(colour));
    Surface().SetBrushStyle(BrushStyle::Clear);
    Surface().SetTextColor(draw::ColorRef(colour));
    Pointer(LM_X(buffer->GetValue(chanX, index)), LM_Y(buffer->GetValue(chanY, index)), r, text);
    if (painting.Outermost()) update();
}

// ----- binding and modes

void CGrafic::Init(C_Buffer* b, const std::string& xName, const std::string& yName, int xChannel,
                   int yChannel) {
    buffer = b;
    nameX = xName;
    nameY = yName;
    chanX = xChannel;
    chanY = yChannel;
    drawn_ = false;
}

void CGrafic::SetChanX(const std::string& name, int channel) {
    autoscale = true;
    chanX = channel;
    nameX = name;
    DrawGrid();
}

void CGrafic::SetChanY(const std::string& name, int channel) {
    autoscale = true;
    chanY = channel;
    nameY = name;
    DrawGrid();
}

void CGrafic::SetMode(int code) {
    if (code == 3) {
        autoscale = true;
    } else if (code < 3) {
        mode = code;
    } else if (code == 4) {
        mode = kRegion;
    } else if (code == 5 && buffer != nullptr) {
        buffer->ClearPrintRects();
    }
    DrawGrid();
}

void CGrafic::SetOrigin(bool autoscaleOn, double xLower, double xUpper, double yLower,
                        double yUpper) {
    autoscale = autoscaleOn;
    view.SetLimits(xLower, xUpper, yLower, yUpper);
}

// ----- live drawing

bool CGrafic::AddDrawInView(int n) const {
    if (n < 20) return false;
    if (chanX < 0 || chanX >= buffer->GetCanCount()) return false;
    // The running ranges: a rescan per sample would cost the whole buffer.
    const C_Buffer::SCan& x = buffer->cans[static_cast<size_t>(chanX)];
    if (!(x.max <= view.upperX && x.min >= view.lowerX)) return false;
    if (multi) return MultiGetMax() <= view.upperY && MultiGetMin() >= view.lowerY;
    if (chanY < 0 || chanY >= buffer->GetCanCount()) return false;
    const C_Buffer::SCan& y = buffer->cans[static_cast<size_t>(chanY)];
    return y.max <= view.upperY && y.min >= view.lowerY;
}

bool CGrafic::CoversOverlay(const QRect& box) const {
    const int reach = std::max(LineWidth, 1) + 1;
    const QRect wide = box.adjusted(-reach, -reach, reach, reach);
    for (const QRect& r : overlay_) {
        if (r.intersects(wide)) return true;
    }
    const plot::ClipRect clip{double(wide.left()), double(wide.top()), double(wide.right()),
                              double(wide.bottom())};
    for (OverlayLine l : overlayLines_) {
        if (plot::ClipSegment(clip, l.x1, l.y1, l.x2, l.y2)) return true;
    }
    return false;
}

void CGrafic::AddDraw() {
    if (buffer == nullptr || !curves) return;
    const int n = buffer->GetCount(chanX) - 1;
    if (n < 1) return;
    if (!multi && Period != 0) view.upperX = Period;
    // Goes on from the last sample drawn when the picture still shows it.
    bool continues = drawn_ && !tails_.empty() && drawnUpTo_ >= 0 && drawnUpTo_ <= n;
    if (continues) {
        const double x = buffer->GetValue(chanX, drawnUpTo_);
        continues = x == drawnX_ || (std::isnan(x) && std::isnan(drawnX_));
    }
    if (!continues || !AddDrawInView(n)) {
        DrawGrid();
        return;
    }
    if (drawnUpTo_ == n) return;
    QRect box;
    {
        Painting painting(*this);
        draw::Canvas& cv = Surface();
        cv.SetPenWidth(LineWidth);
        for (Tail& tail : tails_) {
            UsePen(tail.colour, PenStyle::Solid);
            UseBrush(ColorGrafik, BrushStyle::Solid);
            box |= TraceChannel(drawnView_, tail.channel, drawnUpTo_ + 1, 1, tail);
        }
        drawnUpTo_ = n;
        drawnX_ = buffer->GetValue(chanX, n);
        // A full redraw draws strips, frame, captions and markers over the
        // curve; a segment that reaches them gets them drawn again, so the
        // picture stays that of a full redraw.
        if (!box.isEmpty() && CoversOverlay(box)) {
            DrawOverCurves();
            box = back_.rect();
        }
    }
    if (!box.isEmpty()) {
        const int reach = std::max(LineWidth, 1) + 1;
        update(box.adjusted(-reach, -reach, reach, reach));
    }
}

// ----- scale

void CGrafic::SetScale(double scale) {
    if (!(scale > 0.0) || scale == scale_) return;
    scale_ = scale;
    DrawGrid();
}

draw::Font CGrafic::ScaledFont(draw::Font f) const {
    f.height = static_cast<int>(std::lround(f.height * DrawScale()));
    return f;
}

int CGrafic::Sc(double pixels) const {
    return static_cast<int>(std::lround(pixels * DrawScale()));
}

// ----- rendering into a page

void CGrafic::GET_BUFFER(int x, int y, int w, int h, draw::Canvas& canvas) {
    if (w <= 0 || h <= 0) return;
    resize(w, h);
    if (back_.size() != QSize(w, h)) SizeBackBuffer(w, h);
    view.borderX = BorderX;
    view.borderY = BorderY;
    view.SetSize(w, h);
    CouGridX = view.plotWidth / kPixelsPerCentimetre;
    CouGridY = view.plotHeight / kPixelsPerCentimetre;
    drawOffsetX = x;
    drawOffsetY = y;
    mode = kPrint;
    // The page is drawn on only now: the plot does not keep it. Its pen,
    // brush, font and origin are the page's again afterwards.
    canvas.Save();
    const QPoint origin = canvas.Origin();
    canvas.SetOrigin(origin.x() + x, origin.y() + y);
    canvas.SetClipRect(0, 0, w, h);
    target_ = &canvas;
    DrawGrid();
    target_ = nullptr;
    canvas.Restore();
}

void CGrafic::GET_BUFFER(int x, int y, int w, int h, QPaintDevice& device) {
    draw::Canvas canvas(device);
    GET_BUFFER(x, y, w, h, canvas);
}

// ----- mouse

void CGrafic::MouseDowns(Qt::MouseButton button, int x, int y) {
    if (button == Qt::LeftButton) {
        buttonHeld = true;
        pressPos = QPoint(x, y);
        pressPanX = view.panX;
        pressPanY = view.panY;
        if (mode == kPan) autoscale = false;
    }
    DrawGrid();
}

void CGrafic::MouseMoves(int x, int y) {
    if (buttonHeld && mode == kPan && selectedMarker < 0) {
        view.panX = (x - pressPos.x()) * view.spanX / plot::NonZero(view.plotWidth) + pressPanX;
        view.panY = pressPanY - (y - pressPos.y()) * view.spanY / plot::NonZero(view.plotHeight);
        DrawGrid();
    }
    mousePos = QPoint(x, y);
    // Nothing selects a marker, so there is no label to drag.
    if (clock.Changed()) DrawGrid();
    clock.Acknowledge();
}

void CGrafic::MouseUps(Qt::MouseButton button, int x, int y) {
    if (button != Qt::LeftButton) return;
    buttonHeld = false;
    if (mode != kZoom && mode != kRegion) {
        DrawGrid();
        return;
    }
    if (!(std::abs(pressPos.x() - x) > 5 && std::abs(pressPos.y() - y) > 5)) {
        DrawGrid();
        return;
    }
    const double x1 = ML_X(pressPos.x());
    const double x2 = ML_X(x);
    const double ya = ML_Y(pressPos.y());
    const double yb = ML_Y(y);
    const double upper = std::max(ya, yb);
    const double lower = std::min(ya, yb);
    autoscale = false;
    if (x > pressPos.x()) {
        if (mode == kZoom) {
            view.SetLimits(x1, x2, lower, upper);
        } else if (buffer != nullptr) {
            buffer->AddPrintRect(static_cast<float>(x1), static_cast<float>(x2),
                                 static_cast<float>(upper), static_cast<float>(lower), chanX,
                                 chanY);
        }
    } else if (mode == kZoom) {
        // Out, about 0 rather than the centre.
        view.upperX *= 1.5;
        view.lowerX *= 0.5;
        view.upperY *= 1.5;
        view.lowerY *= 0.5;
    }
    DrawGrid();
}

void CGrafic::MouseDBCLK() {
    autoscaleRequest = true;
}

void CGrafic::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MouseDowns(event->button(), p.x(), p.y());
}

void CGrafic::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MouseMoves(p.x(), p.y());
}

void CGrafic::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MouseUps(event->button(), p.x(), p.y());
}

// The press that comes with a double click is a press as well.
void CGrafic::mouseDoubleClickEvent(QMouseEvent* event) {
    MouseDBCLK();
    const QPoint p = event->position().toPoint();
    MouseDowns(event->button(), p.x(), p.y());
}

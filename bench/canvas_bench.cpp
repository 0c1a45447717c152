// The drawing layer's costs that the controls multiply: the plot's curve
// and grid per redraw, a drawn button's full repaint, axis texts.
#include "controls/canvas.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

std::vector<QPoint> NoisyCurve(int n, int width, int height) {
    std::vector<QPoint> points;
    points.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double y = height * (0.9 - 0.7 * std::sin(t * 3.0)) + 6.0 * std::sin(i * 12.9898);
        points.emplace_back(static_cast<int>(t * width), static_cast<int>(y));
    }
    return points;
}

void BM_PolylineOf1000Segments(benchmark::State& state) {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    draw::Canvas canvas(image);
    canvas.SetPenColor(QColor(255, 255, 0));
    const auto points = NoisyCurve(1001, 1000, 600);
    for (auto _ : state) {
        canvas.Polyline(points);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PolylineOf1000Segments);

void BM_LineToOf1000Segments(benchmark::State& state) {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    draw::Canvas canvas(image);
    const auto points = NoisyCurve(1001, 1000, 600);
    for (auto _ : state) {
        canvas.MoveTo(points[0].x(), points[0].y());
        for (std::size_t i = 1; i < points.size(); ++i)
            canvas.LineTo(points[i].x(), points[i].y());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LineToOf1000Segments);

void BM_DottedGridOnAPlot(benchmark::State& state) {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    draw::Canvas canvas(image);
    canvas.SetPenStyle(draw::PenStyle::Dot);
    canvas.SetPenColor(QColor(0, 255, 0));
    for (auto _ : state) {
        for (int i = 0; i <= 10; ++i)
            canvas.Line(50 + i * 95, 0, 50 + i * 95, 575);
        for (int j = 0; j <= 10; ++j)
            canvas.Line(50, j * 57, 1000, j * 57);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DottedGridOnAPlot);

// What a drawn button does on every state change, on its own canvas.
void BM_ButtonRepaint400x60(benchmark::State& state) {
    QImage image(401, 61, QImage::Format_RGB32);
    QImage strip(1, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y)
        strip.setPixel(0, y, qRgb(255 - 2 * y, 255 - 2 * y, 255 - 2 * y));
    const draw::Font font = draw::Font::FromPoints("MS Sans Serif", 12);
    for (auto _ : state) {
        draw::Canvas c(image);
        c.GradientRect(0, 0, 400, 30, QColor(255, 255, 255), QColor(128, 128, 128),
                       draw::Gradient::Vertical);
        c.GradientRect(0, 30, 400, 60, QColor(128, 128, 128), QColor(255, 255, 255),
                       draw::Gradient::Vertical);
        c.SetBrushColor(QColor(64, 128, 192));
        c.RoundRect(0, 0, 399, 59, 30, 20);
        c.RoundRect(3, 3, 396, 56, 30, 20);
        c.SetBrushPattern(strip);
        c.FloodFill(200, 30, QColor(0, 0, 0));
        c.SetFont(font);
        c.SetBrushStyle(draw::BrushStyle::Clear);
        c.TextOut(200 - c.TextWidth("Испытание") / 2, 20, "Испытание");
        c.End();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ButtonRepaint400x60);

void BM_TwentyAxisNumbers(benchmark::State& state) {
    QImage image(1000, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    draw::Canvas canvas(image);
    canvas.SetFont(draw::Font::FromPoints("Arial", 8));
    const char* numbers[] = {"0.000", "12.50", "125.0", "1250", "-3.750"};
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i)
            canvas.TextOut(50 + i * 45, 580, numbers[i % 5]);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TwentyAxisNumbers);

}  // namespace

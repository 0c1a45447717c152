// The drawn controls as the console repaints them on every display tick
// (dozens of them, 20 to 50 times a second): a full repaint of a button and
// of a tab strip, a button whose state did not change, the readout panel's
// UpdateData on three bound rows with the paint that follows (values
// changing and not), and a full redraw of the seven-segment display.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>

#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "controls/megadiodindic.h"
#include "controls/megatabs.h"

namespace {

// A 400 x 60 button with a caption and a picture, pressed and released in
// turn so every Draw is a full repaint.
void BM_ButtonRepaint(benchmark::State& state) {
    const bool disabled = state.range(0) != 0;
    TMegaButton button;
    button.Caption = "СТАРТ";
    button.Font = draw::Font::FromPoints("MS Sans Serif", 16);
    button.Color = QColor(0, 90, 160);
    button.GradPosB = 0.4f;
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < 30; ++x)
            picture.setPixel(x, y, qRgb(200, 0, 0));  // a red square on white
    }
    button.Image.Add(picture);
    button.ImageIndex = 0;
    button.Enabled = !disabled;
    button.show();
    QApplication::processEvents();
    bool down = false;
    for (auto _ : state) {
        down = !down;
        button.SetDown(down);
    }
    state.counters["renders/iter"] =
        benchmark::Counter(button.Renders() - 1, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ButtonRepaint)->Arg(0)->Arg(1)->ArgName("disabled");

// What a tick costs a button whose look did not change.
void BM_ButtonUnchangedDraw(benchmark::State& state) {
    TMegaButton button;
    button.Caption = "СТОП";
    button.show();
    QApplication::processEvents();
    for (auto _ : state) {
        button.SetDown(false);
        button.SetEnable(true);
    }
}
BENCHMARK(BM_ButtonUnchangedDraw);

// A 760 x 200 strip of ten tabs with close boxes, the gradient sweeping.
void BM_TabsRepaint(benchmark::State& state) {
    TMegaTabs strip;
    strip.resize(760, 200);
    for (int i = 0; i < 10; ++i)
        strip.Tabs.push_back("Лист " + std::to_string(i + 1));
    strip.show();
    QApplication::processEvents();
    for (auto _ : state) {
        strip.AddGradPos(0.05f);
    }
}
BENCHMARK(BM_TabsRepaint);

// Counts the paints of the value labels, to show what was drawn.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

void UpdateData(benchmark::State& state, bool changing) {
    TMegaDatchik panel;
    panel.AddTablo(3);
    // One value per decimals pattern: three, two and one decimal.
    double values[3] = {1.234, 56.78, 901.2};
    panel.SetParametr(0, 0x00FFFF, "F", "max", "кН", &values[0]);
    panel.SetParametr(1, 0x00FFFF, "L", "max", "мм", &values[1]);
    panel.SetParametr(2, 0x00FFFF, "`в", "max", "МПа", &values[2]);
    panel.UpdateData();
    panel.show();
    QApplication::processEvents();
    QApplication::processEvents();
    PaintCounter counter;
    for (int row = 0; row < 3; ++row)
        panel.findChild<QLabel*>(QStringLiteral("value%1").arg(row))->installEventFilter(&counter);

    int tick = 0;
    for (auto _ : state) {
        if (changing) {
            ++tick;
            values[0] = 1.0 + 0.001 * (tick % 8000);
            values[1] = 10.0 + 0.01 * (tick % 8000);
            values[2] = 100.0 + 0.1 * (tick % 8000);
        }
        panel.UpdateData();
        QApplication::processEvents();
    }
    state.counters["paints/iter"] =
        benchmark::Counter(counter.count, benchmark::Counter::kAvgIterations);
}

void BM_ReadoutUpdateDataChanging(benchmark::State& state) {
    UpdateData(state, true);
}
BENCHMARK(BM_ReadoutUpdateDataChanging);

void BM_ReadoutUpdateDataUnchanged(benchmark::State& state) {
    UpdateData(state, false);
}
BENCHMARK(BM_ReadoutUpdateDataUnchanged);

// A display of the size of a readout row with a value of seven glyphs.
void BM_DiodIndicDraw(benchmark::State& state) {
    MegaDiodIndic display;
    display.resize(300, 52);
    display.SetDigitThink(4);
    display.SetDigitHeight(16);
    display.SetDigitSegInt(1);
    display.SetAlignText(1);
    display.SetDigitX(6);
    display.fSetValue(-123.45f);
    for (auto _ : state) {
        display.Draw();
    }
}
BENCHMARK(BM_DiodIndicDraw);

}  // namespace

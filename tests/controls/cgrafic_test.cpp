#include "controls/cgrafic.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "support/curves.h"
#include "support/test_output.h"

namespace {

using namespace testsupport::curves;

class SteppedCounter final : public PerformanceCounter {
public:
    std::int64_t Ticks() const override { return ticks; }
    std::int64_t Frequency() const override { return 1000; }
    std::int64_t ticks = 0;
};

constexpr std::uint32_t kYellow = 0x0080C0;  // the curve, dark yellow
constexpr std::uint32_t kLime = 0x00FF00;    // grid, crosshair, label text
constexpr std::uint32_t kBlue = 0xFF0000;    // zero axes
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kGreen = 0x008000;
constexpr std::uint32_t kLabel = 0x575757;
constexpr std::uint32_t kHatch = 0x969696;

bool Is(const QImage& img, int x, int y, std::uint32_t bgr) {
    return img.pixel(x, y) == draw::ColorRef(bgr).rgb();
}

// Some pixel within `r` of (x, y) has the colour.
bool Near(const QImage& img, int x, int y, std::uint32_t bgr, int r = 1) {
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            if (img.rect().contains(x + dx, y + dy) && Is(img, x + dx, y + dy, bgr)) return true;
        }
    }
    return false;
}

int CountIn(const QImage& img, const QRect& box, std::uint32_t bgr) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            n += Is(img, x, y, bgr) ? 1 : 0;
    }
    return n;
}

// Text pixels: smoothed, so rarely pure black.
int CountDark(const QImage& img, const QRect& box) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() < 100 && c.green() < 100 && c.blue() < 100 ? 1 : 0;
        }
    }
    return n;
}

// A plot of 550 x 325 pixels (plot area 500 x 300) over displacement (X,
// channel 2) and force (Y, channel 1) of a seven-channel buffer. The view
// -2 ... 8 by -20 ... 100 puts 50 pixels on a millimetre and 2.5 on a
// kilonewton; the data value 0 falls on (150, 250).
class CGraficTest : public testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        buffer.SetCanCount(7);
        const char* names[] = {"T,c", "F,кН", "L,мм", "E,мм", "P,МПа", "}, %"};
        for (int c = 0; c < 6; ++c)
            buffer.SetName(c, names[c]);
        plot.resize(550, 325);
        plot.Init(&buffer, "L", "F", 2, 1);
        plot.OnOutBuffer = [this](CGrafic*) { ++redraws; };
    }

    void FixedView() {
        plot.SetOrigin(false, -2, 8, -20, 100);
        plot.DrawGrid();
    }

    void Add(double x, double y) {
        buffer.AddValue(0, static_cast<double>(buffer.GetCount(0)));
        buffer.AddValue(1, y);
        buffer.AddValue(2, x);
    }

    // Force = 10 x displacement, 0 to 7 mm.
    void Straight(int samples) {
        for (int i = 0; i < samples; ++i) {
            const double x = 7.0 * i / (samples - 1);
            Add(x, 10 * x);
        }
    }

    void Show() {
        plot.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
    }

    SteppedCounter counter;
    C_Buffer buffer;
    CGrafic plot{nullptr, &counter};
    int redraws = 0;
};

TEST_F(CGraficTest, DefaultsOfTheControl) {
    EXPECT_EQ(plot.objectName(), "CGrafic");
    EXPECT_EQ(plot.ColorGround, 0xFFFFFFu);
    EXPECT_EQ(plot.ColorGrid, 0x00FF00u);
    EXPECT_EQ(plot.ColorGrafik, 0x0080C0u);  // yellow, darkened to show on white
    EXPECT_EQ(plot.ColorOsi, 0xFF0000u);
    EXPECT_EQ(plot.CouGridX, 10);
    EXPECT_EQ(plot.BorderX, 50);
    EXPECT_EQ(plot.BorderY, 25);
    EXPECT_EQ(plot.XStart, -1);
    EXPECT_EQ(plot.YMinPred, -1);
    EXPECT_EQ(plot.mode, CGrafic::kPan);
    EXPECT_TRUE(plot.autoscale);
    EXPECT_EQ(plot.clock.divisor, 20);
    CGrafic fresh;
    EXPECT_EQ(fresh.view.lowerX, -10);
    EXPECT_EQ(fresh.view.upperY, 10);
    EXPECT_EQ(fresh.nameX, "X");
    EXPECT_EQ(fresh.buffer, nullptr);
    EXPECT_EQ(CGrafic::ChannelColor(1), 0x0080C0u);
    EXPECT_EQ(CGrafic::ChannelColor(13), 0x000000u);  // white on white would not show
    EXPECT_EQ(CGrafic::ChannelColor(14), 0x0080C0u);  // the table repeats
}

TEST_F(CGraficTest, ReferenceBufferDrawsEveryLayer) {
    Straight(141);
    buffer.AddPicPoint(0, 0, 0, 2, 1, 40, "Fm");  // (2, 20): label to the left
    buffer.AddPicPoint(0, 0, 0, 2, 1, 120, "");   // (6, 60): a dot alone
    buffer.AddPrintRect(3, 6, 90, 70, 2, 1);
    buffer.AddPrintRect(0, 2, 50, 30, 0, 1);  // other channels: not drawn
    FixedView();
    const QImage img = plot.Picture();
    img.save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "cgrafic_reference.png").string()));

    EXPECT_TRUE(Is(img, 425, 265, kWhite)) << "background";
    EXPECT_TRUE(Is(img, 0, 100, kBlack)) << "outer frame";
    EXPECT_TRUE(Is(img, 549, 200, kBlack)) << "outer frame";
    // Grid lines every 50 pixels through x = 150 and every 30 through y = 250.
    EXPECT_GT(CountIn(img, QRect(200, 5, 1, 240), kLime), 50);
    EXPECT_LE(CountIn(img, QRect(225, 5, 1, 240), kLime), 8) << "where the rows cross only";
    EXPECT_GT(CountIn(img, QRect(300, 280, 190, 1), kLime), 50);
    EXPECT_LE(CountIn(img, QRect(300, 265, 190, 1), kLime), 4) << "where the columns cross only";
    EXPECT_TRUE(Is(img, 400, 250, kBlue)) << "X axis";
    EXPECT_TRUE(Is(img, 150, 50, kBlue)) << "Y axis";
    EXPECT_TRUE(Near(img, 350, 150, kYellow)) << "the curve at (4, 40)";
    EXPECT_TRUE(Near(img, 475, 87, kYellow)) << "the curve at (6.5, 65)";

    // The labelled marker: a green dot at (250, 200), the box to its left.
    EXPECT_TRUE(Is(img, 252, 202, kGreen));
    EXPECT_TRUE(Is(img, 227, 202, kLabel)) << "label box";
    EXPECT_TRUE(Is(img, 190, 210, kGreen)) << "the box's edge";
    int text = 0;
    for (int y = 201; y < 219; ++y) {
        for (int x = 191; x < 229; ++x) {
            const QColor c = img.pixelColor(x, y);
            text += c.green() > 200 && c.red() < 100 && c.blue() < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(text, 10) << "lime text in the box";
    EXPECT_EQ(buffer.picPoints[0].labelX, 190.0f);
    EXPECT_EQ(buffer.picPoints[0].labelY, 200.0f);
    // The second point, with no label: its dot only.
    EXPECT_TRUE(Is(img, 452, 102, kGreen));
    EXPECT_EQ(CountIn(img, QRect(505, 75, 45, 30), kLabel), 0);

    // The print window over (300, 25) ... (450, 75), hatched, with its sheet.
    EXPECT_GT(CountIn(img, QRect(300, 50, 150, 24), kHatch), 100);
    EXPECT_LT(CountIn(img, QRect(300, 50, 150, 24), kHatch), 150 * 24 / 2);
    EXPECT_GT(CountDark(img, QRect(300, 26, 70, 21)), 20) << "2 лист";
    EXPECT_EQ(CountIn(img, QRect(150, 125, 100, 50), kHatch), 0);

    plot.SetMode(CGrafic::kPrint);
    EXPECT_EQ(CountIn(plot.Picture(), QRect(300, 25, 150, 50), kHatch), 0);
}

// Marked points close together, as a tension test leaves them (yield
// points and proof stress a few pixels apart, strength and break close in
// X): every label inside the plot area, off the dots, none over another,
// each whole on the picture, and its place kept in the buffer.
TEST_F(CGraficTest, MarkerLabelsKeepApartInsideThePlot) {
    struct Point {
        double x, y;
    };
    struct Case {
        const char* name;
        std::vector<Point> points;
    };
    const Case cases[] = {
        // Two turns apart and 40 px lower: wanted where the first one is.
        {"one below the other", {{2, 20}, {5, 50}, {2.1, 4}}},
        {"a cluster at the top right corner",
         {{7.9, 99}, {7.85, 98}, {7.95, 97.5}, {7.8, 99.5}, {7.9, 96}}},
        {"five on one spot", {{4, 40}, {4, 40}, {4, 40}, {4, 40}, {4, 40}}},
        {"at the left edge, under the caption", {{-2, 100}, {-1.95, 99}, {-2, -20}}},
    };
    const char* labels[] = {"`пц", "`{", "`[", "`т", "`в"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buffer.ClearAll();
        buffer.ClearPics();
        for (const Point& p : c.points)
            Add(p.x, p.y);
        for (size_t i = 0; i < c.points.size(); ++i)
            buffer.AddPicPoint(0, 0, 0, 2, 1, static_cast<int>(i), labels[i]);
        FixedView();
        const QImage img = plot.Picture();
        const std::vector<QRect>& boxes = plot.LabelBoxes();
        ASSERT_EQ(boxes.size(), c.points.size());
        const QRect area(50, 1, 500, 299);
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(i);
            const QRect& b = boxes[i];
            EXPECT_TRUE(area.contains(b)) << b.x() << "," << b.y();
            EXPECT_EQ(buffer.picPoints[i].labelX, b.x());
            EXPECT_EQ(buffer.picPoints[i].labelY, b.y());
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(b.intersects(boxes[j])) << "with " << j;
            for (const Point& p : c.points) {
                const QPoint dot(static_cast<int>(plot.LM_X(p.x)),
                                 static_cast<int>(plot.LM_Y(p.y)));
                EXPECT_FALSE(b.intersects(QRect(dot - QPoint(5, 5), QSize(11, 11))));
            }
            // The grey ground of the whole box shows, less the text.
            EXPECT_GT(CountIn(img, b.adjusted(2, 2, -2, -2), kLabel), 300);
        }
    }
}

// Channels a damaged file or an odd method may name: the plot, on screen, live
// and on a page, draws no curve from them and reads nothing outside the buffer.
TEST_F(CGraficTest, ChannelsOutsideTheBufferDrawNoCurve) {
    Straight(141);
    const struct {
        int x, y;
        bool curve;
    } cases[] = {{2, 1, true},  {7, 1, false},  {-1, 1, false},
                 {2, 7, false}, {2, -1, false}, {100, 100, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + " " + std::to_string(c.y));
        plot.Init(&buffer, "X", "Y", c.x, c.y);
        FixedView();
        EXPECT_EQ(CountIn(plot.Picture(), QRect(51, 1, 498, 298), kYellow) > 0, c.curve);
        plot.SetChanX("X", c.x);
        buffer.AddValue(2, 7.0);
        buffer.AddValue(1, 70.0);
        plot.AddDraw();
        plot.multi = true;
        plot.visible.fill(true);
        plot.DrawGrid();
        plot.multi = false;
        QImage page(600, 400, QImage::Format_RGB32);
        plot.GET_BUFFER(10, 10, 500, 300, page);
        plot.mode = CGrafic::kPan;
    }
}

TEST_F(CGraficTest, GridAndAxesMoveWithThePan) {
    FixedView();
    plot.view.panX = 0.5;  // 25 pixels
    plot.view.panY = 12;   // 30 pixels: a whole cell
    plot.DrawGrid();
    const QImage img = plot.Picture();
    EXPECT_LE(CountIn(img, QRect(200, 5, 1, 190), kLime), 7) << "where the rows cross only";
    EXPECT_GT(CountIn(img, QRect(225, 5, 1, 190), kLime), 40);
    EXPECT_TRUE(Is(img, 175, 50, kBlue));
    EXPECT_TRUE(Is(img, 400, 220, kBlue));
    EXPECT_GT(CountIn(img, QRect(300, 250, 190, 1), kLime), 50);
}

TEST_F(CGraficTest, AutoscaleOneSampleAtTheOriginAndUnevenChannels) {
    Add(0, 0);
    plot.DrawGrid();
    EXPECT_EQ(plot.view.upperX, 5);
    EXPECT_EQ(plot.view.lowerX, -1);
    EXPECT_EQ(plot.view.upperY, 5);
    EXPECT_EQ(plot.view.lowerY, -1);

    buffer.AddValue(2, 50);  // X now holds one sample more than Y
    plot.SetOrigin(true, -3, 30, -4, 40);
    plot.DrawGrid();
    EXPECT_EQ(plot.view.lowerX, -3);
    EXPECT_EQ(plot.view.upperX, 30);
    EXPECT_EQ(plot.view.upperY, 40);
}

TEST_F(CGraficTest, SetModeCodes) {
    buffer.AddPrintRect(0, 1, 1, 0, 2, 1);
    struct Case {
        int code;
        int mode;
        bool autoscale;
        size_t printRects;
    };
    const Case cases[] = {
        {1, CGrafic::kZoom, false, 1},   {3, CGrafic::kZoom, true, 1},  // 3 only autoscales
        {4, CGrafic::kRegion, false, 1}, {2, CGrafic::kPrint, false, 1},
        {5, CGrafic::kPrint, false, 0},  {0, CGrafic::kPan, false, 0},
    };
    for (const Case& c : cases) {
        plot.autoscale = false;
        const int before = redraws;
        plot.SetMode(c.code);
        EXPECT_EQ(plot.mode, c.mode) << c.code;
        EXPECT_EQ(plot.autoscale, c.autoscale) << c.code;
        EXPECT_EQ(buffer.printRects.size(), c.printRects) << c.code;
        EXPECT_EQ(redraws, before + 1) << c.code;
    }
}

TEST_F(CGraficTest, ChoosingAChannelAutoscalesAndRedraws) {
    Straight(30);
    plot.SetOrigin(false, -1, 1, -1, 1);
    plot.SetChanY("P", 0);
    EXPECT_TRUE(plot.autoscale);
    EXPECT_EQ(plot.chanY, 0);
    EXPECT_EQ(plot.nameY, "P");
    EXPECT_EQ(plot.view.upperY, 30);  // RoundAxisMax(29) over the time channel
    plot.SetChanX("T", 0);
    EXPECT_EQ(plot.chanX, 0);
    EXPECT_EQ(redraws, 2);
}

TEST_F(CGraficTest, HandlersDrawInDataCoordinatesUnderTheGrid) {
    int calls = 0;
    plot.OnOutBuffer = [&](CGrafic* g) {
        ++calls;
        g->lLine(0x0000FF, 0, 0, 4, 40);    // red, (150, 250) to (350, 150)
        g->lRect(0x123456, 5, 80, 7, 60);   // (400, 50) to (500, 100), in the ground colour
        g->gPointer(kBlue, 2, 20, 6, "A");  // a circle at (250, 200), the leader at row 184
        g->gPointInd(kGreen, 3, 5, "B");    // no samples: nothing
        g->lEllipse(0x123456, 6, 20, 1);    // 100 x 5 pixels about (450, 200)
    };
    FixedView();
    EXPECT_EQ(calls, 1);
    const QImage img = plot.Picture();
    EXPECT_TRUE(Near(img, 300, 175, 0x0000FF));
    EXPECT_TRUE(Is(img, 420, 50, 0x0000FF)) << "lRect's outline in the pen of lLine";
    EXPECT_TRUE(Is(img, 420, 80, kWhite)) << "filled in the ground colour";
    EXPECT_GT(CountIn(img, QRect(405, 70, 90, 1), kLime), 40) << "the grid over it";
    EXPECT_TRUE(Near(img, 256, 200, kBlue)) << "the pointer's circle";
    EXPECT_GT(CountIn(img, QRect(265, 184, 40, 1), kBlue), 30) << "its leader";
    EXPECT_GT(CountDark(img, QRect(270, 168, 20, 16)), 3) << "its text";
    EXPECT_TRUE(Near(img, 400, 200, kBlack, 2)) << "the ellipse's left end";
}

// Channels 1 and 3 against displacement, each in its channel colour.
TEST_F(CGraficTest, MultiChannelCurvesInTheirColours) {
    for (int i = 0; i < 50; ++i) {
        const double x = 7.0 * i / 49;
        Add(x, 10 * x);
        buffer.AddValue(3, 5 * x);
    }
    plot.multi = true;
    plot.visible[1] = plot.visible[3] = true;
    plot.DrawGrid();  // autoscale: X to 10, Y to RoundAxisMax(70) over both
    EXPECT_EQ(plot.view.upperY, 75);
    EXPECT_EQ(plot.view.lowerY, -1);
    const QImage img = plot.Picture();
    const int x = static_cast<int>(plot.LM_X(4));
    EXPECT_TRUE(Near(img, x, static_cast<int>(plot.LM_Y(40)), kYellow));
    EXPECT_TRUE(Near(img, x, static_cast<int>(plot.LM_Y(20)), kGreen));
    EXPECT_EQ(CountDark(img, QRect(54, 4, 40, 15)), 0) << "no Y caption with several curves";

    redraws = 0;
    Add(7.5, 72);
    buffer.AddValue(3, 37.5);
    plot.AddDraw();
    EXPECT_EQ(redraws, 0);
    const QImage after = plot.Picture();
    EXPECT_TRUE(
        Near(after, static_cast<int>(plot.LM_X(7.4)), static_cast<int>(plot.LM_Y(71.4)), kYellow));
    EXPECT_TRUE(
        Near(after, static_cast<int>(plot.LM_X(7.4)), static_cast<int>(plot.LM_Y(37)), kGreen));
}

// ----- live drawing

TEST_F(CGraficTest, AddDrawRedrawsTheFirstTwentyThenDrawsOneSegment) {
    FixedView();
    redraws = 0;
    for (int i = 0; i < 20; ++i) {
        Add(0.2 * i, 2.0 * i);
        plot.AddDraw();
    }
    EXPECT_EQ(redraws, 19) << "the first sample alone draws nothing";

    const QImage before = plot.Picture();
    Add(4.0, 40.0);  // the 21st: from (3.8, 38) at (340, 155) to (350, 150)
    plot.AddDraw();
    EXPECT_EQ(redraws, 19);
    const QImage after = plot.Picture();
    const QRect segment = QRect(QPoint(340, 150), QPoint(350, 155)).adjusted(-2, -2, 2, 2);
    int changed = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) == after.pixel(x, y)) continue;
            ++changed;
            EXPECT_TRUE(segment.contains(x, y)) << x << "," << y;
        }
    }
    EXPECT_GT(changed, 5);

    Add(9.0, 40.0);  // beyond the upper X limit
    plot.AddDraw();
    EXPECT_EQ(redraws, 20);
}

TEST_F(CGraficTest, AddDrawForcesThePeriodFirst) {
    Straight(30);
    FixedView();
    plot.Period = 50;
    redraws = 0;
    Add(30, 70);  // past the drawn limit of 8, within the period
    plot.AddDraw();
    EXPECT_EQ(plot.view.upperX, 50);
    EXPECT_EQ(redraws, 0);

    plot.autoscale = true;
    Add(30, 150);  // above the Y limit: a full redraw, which autoscales
    plot.AddDraw();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(plot.view.upperX, 35);  // RoundAxisMax(30), not the period
}

// A tension test as the display timer sees it: samples arrive one by one,
// the curve runs through a marker's label and, after the break, through
// the caption box at the bottom right.
TEST_F(CGraficTest, LiveDrawingEqualsAFullRedraw) {
    const Specimen specimen{100.0, 50.0};  // force up to 45 kN, 7 mm at the break
    const Bilinear model;
    Recording r = SampleOf(model, model.fractureStrain, 2000, specimen, 60);
    AddForceNoise(r, 0.3, 7);
    plot.SetOrigin(false, -2, 8, -1, 100);
    plot.DrawGrid();
    auto feed = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const auto k = static_cast<size_t>(i);
            Add(r.displacement[k], r.force[k]);
            plot.AddDraw();
        }
    };
    feed(0, 1000);
    buffer.AddPicPoint(0, 0, 0, 2, 1, 100, "");
    buffer.AddPicPoint(0, 0, 0, 2, 1, 900, "Fт");  // label right of and above the curve
    plot.DrawGrid();
    redraws = 0;
    feed(1000, r.Size());
    EXPECT_EQ(redraws, 0) << "all of it inside the view";

    const QImage live = plot.Picture();
    live.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "cgrafic_live.png").string()));
    plot.DrawGrid();
    const QImage full = plot.Picture();
    int differ = 0;
    for (int y = 0; y < full.height(); ++y) {
        for (int x = 0; x < full.width(); ++x)
            differ += live.pixel(x, y) != full.pixel(x, y) ? 1 : 0;
    }
    EXPECT_EQ(differ, 0);
}

// ----- many samples to a pixel column

struct ColumnSpan {
    int top = -1;
    int bottom = -1;
};

std::vector<ColumnSpan> CurveColumns(const QImage& img) {
    std::vector<ColumnSpan> columns(static_cast<size_t>(img.width()));
    for (int x = 0; x < img.width(); ++x) {
        for (int y = 0; y < img.height(); ++y) {
            if (!Is(img, x, y, kYellow)) continue;
            ColumnSpan& c = columns[static_cast<size_t>(x)];
            if (c.top < 0) c.top = y;
            c.bottom = y;
        }
    }
    return columns;
}

TEST_F(CGraficTest, EnvelopeDrawsTheSameCurveAsEverySegment) {
    for (int samples : {200, 100000}) {
        buffer.ClearAll();
        const Specimen specimen{100.0, 50.0};
        const Bilinear model;
        Recording r = SampleOf(model, model.fractureStrain, samples, specimen);
        AddForceNoise(r, 2.0, 3);
        for (int i = 0; i < r.Size(); ++i)
            Add(r.displacement[static_cast<size_t>(i)], r.force[static_cast<size_t>(i)]);
        plot.SetOrigin(false, -2, 8, -20, 100);
        plot.envelope = true;
        plot.DrawGrid();
        const QImage envelope = plot.Picture();
        plot.envelope = false;
        plot.DrawGrid();
        const QImage every = plot.Picture();
        if (samples < 500) {  // under one sample per column
            EXPECT_EQ(envelope, every);
            continue;
        }
        envelope.save(QString::fromStdString(
            (testsupport::TestOutputFolder() / "cgrafic_envelope.png").string()));
        const std::vector<ColumnSpan> a = CurveColumns(envelope);
        const std::vector<ColumnSpan> b = CurveColumns(every);
        int drawn = 0;
        for (size_t x = 0; x < a.size(); ++x) {
            ASSERT_EQ(a[x].top < 0, b[x].top < 0) << "column " << x;
            if (a[x].top < 0) continue;
            ++drawn;
            EXPECT_LE(std::abs(a[x].top - b[x].top), 1) << "column " << x;
            EXPECT_LE(std::abs(a[x].bottom - b[x].bottom), 1) << "column " << x;
        }
        EXPECT_GT(drawn, 300);
    }
}

// Autoscaled, so the pass that draws the curve also rescans the ranges; many
// samples to a pixel column, drawn by column and one segment per sample.
TEST_F(CGraficTest, LongCurvesDrawAsEverySegmentPixelForPixel) {
    const int samples = 200000;
    const Specimen specimen{100.0, 50.0};
    const Bilinear model;
    Recording r = SampleOf(model, model.fractureStrain, samples, specimen);
    AddForceNoise(r, 2.0, 3);
    struct Case {
        const char* name;
        bool cycles;
        int lineWidth;
    };
    const Case cases[] = {
        {"loading", false, 0},
        {"loading, wide pen", false, 3},
        // Loading and unloading: X runs back and forth across every column.
        {"cycles", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buffer.ClearAll();
        for (int i = 0; i < r.Size(); ++i) {
            const auto k = static_cast<size_t>(i);
            const double turn = std::sin(i * 12 * 3.14159265358979 / samples);
            const double x = c.cycles ? 3.0 + 3.0 * turn + 1e-6 * i : r.displacement[k];
            const double y = c.cycles
                                 ? 8.0 * x + 5.0 * std::cos(i * 12 * 3.14159265358979 / samples) +
                                       r.force[k] - std::round(r.force[k])
                                 : r.force[k];
            Add(x, y);
        }
        plot.LineWidth = c.lineWidth;
        plot.autoscale = true;
        plot.envelope = true;
        plot.DrawGrid();
        const QImage envelope = plot.Picture();
        plot.envelope = false;
        plot.DrawGrid();
        const QImage every = plot.Picture();
        int differ = 0;
        int curve = 0;
        for (int y = 0; y < every.height(); ++y) {
            for (int x = 0; x < every.width(); ++x) {
                differ += envelope.pixel(x, y) != every.pixel(x, y) ? 1 : 0;
                curve += Is(every, x, y, kYellow) ? 1 : 0;
            }
        }
        EXPECT_EQ(differ, 0);
        EXPECT_GT(curve, 500);
    }
    plot.envelope = true;
}

// A method writes some channels in place: the ranges the buffer keeps can be
// stale, and the autoscale still shows the samples as they are.
TEST_F(CGraficTest, AutoscaleRescansRangesTheBufferKeptStale) {
    for (bool decimation : {false, true}) {
        SCOPED_TRACE(decimation ? "decimation" : "every sample");
        buffer.ClearAll();
        Straight(3000);  // 0 ... 7 mm, 0 ... 70 kN
        plot.decimation = decimation;
        plot.autoscale = true;
        plot.DrawGrid();
        const plot::View fresh = plot.view;
        const QImage picture = plot.Picture();
        buffer.cans[2].max = 100.0;
        buffer.cans[1].min = -50.0;
        redraws = 0;
        plot.DrawGrid();
        EXPECT_EQ(plot.view.upperX, fresh.upperX);
        EXPECT_EQ(plot.view.lowerY, fresh.lowerY);
        EXPECT_EQ(plot.Picture(), picture);
        EXPECT_EQ(buffer.cans[2].max, 7.0);
        EXPECT_EQ(buffer.GetMin(1), 0.0);
        EXPECT_GE(redraws, 1);
    }
    plot.decimation = false;
}

// ----- what must not crash, hang or bend

TEST_F(CGraficTest, NonNumbersAndFarSamplesKeepTheRedrawSound) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    Add(0, 0);
    Add(1e12, 1e12);  // far away along y = x
    Add(nan, 3);
    Add(2, inf);
    Add(1e300, -1e300);
    Add(-inf, nan);
    for (int i = 0; i < 30; ++i)
        Add(nan, nan);
    FixedView();
    const QImage img = plot.Picture();
    // The segment toward (1e12, 1e12) keeps its direction across the plot.
    EXPECT_TRUE(Near(img, 350, 240, kYellow)) << "(4, 4)";
    EXPECT_TRUE(Near(img, 500, 232, kYellow)) << "(7, 7)";
    plot.AddDraw();
    plot.autoscale = true;
    plot.DrawGrid();
    for (double v : {plot.view.lowerX, plot.view.upperX, plot.view.lowerY, plot.view.upperY})
        EXPECT_TRUE(std::isfinite(v));
}

TEST_F(CGraficTest, NoPlotAreaOrAFarPanDrawsWithoutAGrid) {
    Straight(50);
    plot.resize(40, 20);  // narrower than the border: no plot area at all
    plot.DrawGrid();
    EXPECT_EQ(plot.Picture().size(), QSize(40, 20));
    plot.resize(550, 325);
    plot.SetOrigin(false, -2, 8, -20, 100);
    plot.view.panX = 1e306;
    plot.view.panY = -1e306;
    plot.DrawGrid();
    plot.SetOrigin(false, 0, 1e-300, 0, 1e-300);  // a view too small for its samples
    plot.DrawGrid();
    EXPECT_GT(plot.view.upperX - plot.view.lowerX, 0.05);
}

// ----- the mouse

TEST_F(CGraficTest, PanByDragging) {
    Show();
    FixedView();
    QTest::mousePress(&plot, Qt::LeftButton, {}, QPoint(200, 150));
    EXPECT_FALSE(plot.autoscale);
    QTest::mouseMove(&plot, QPoint(250, 120));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, QPoint(250, 120));
    EXPECT_DOUBLE_EQ(plot.view.panX, 1.0);   // 50 px of 50 a millimetre
    EXPECT_DOUBLE_EQ(plot.view.panY, 12.0);  // 30 px up, 2.5 a kilonewton
}

TEST_F(CGraficTest, ShortDragsChangeNothing) {
    Show();
    Straight(30);
    plot.SetMode(CGrafic::kZoom);
    plot.SetOrigin(true, 0, 0, 0, 0);
    plot.DrawGrid();
    const plot::View before = plot.view;
    for (QPoint end : {QPoint(104, 200), QPoint(300, 55), QPoint(95, 45)}) {
        QTest::mousePress(&plot, Qt::LeftButton, {}, QPoint(100, 50));
        QTest::mouseRelease(&plot, Qt::LeftButton, {}, end);
        EXPECT_TRUE(plot.autoscale);
        EXPECT_EQ(plot.view.lowerX, before.lowerX);
        EXPECT_EQ(plot.view.upperX, before.upperX);
        EXPECT_EQ(plot.view.upperY, before.upperY);
    }
}

TEST_F(CGraficTest, ZoomBoxToTheRightSetsTheLimitsToTheLeftScalesAboutZero) {
    Show();
    plot.SetMode(CGrafic::kZoom);
    FixedView();
    plot.view.panX = 0.5;
    plot.DrawGrid();
    QTest::mousePress(&plot, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_FALSE(plot.autoscale);
    EXPECT_DOUBLE_EQ(plot.view.lowerX, -1.5);  // ML_X(100) with the pan
    EXPECT_DOUBLE_EQ(plot.view.upperX, 2.5);
    EXPECT_DOUBLE_EQ(plot.view.upperY, 80);
    EXPECT_DOUBLE_EQ(plot.view.lowerY, 20);
    EXPECT_EQ(plot.view.panX, 0);

    plot.SetOrigin(false, -10, 10, -10, 10);
    plot.DrawGrid();
    QTest::mousePress(&plot, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_DOUBLE_EQ(plot.view.lowerX, -5);
    EXPECT_DOUBLE_EQ(plot.view.upperX, 15);
    EXPECT_DOUBLE_EQ(plot.view.lowerY, -5);
    EXPECT_DOUBLE_EQ(plot.view.upperY, 15);
}

TEST_F(CGraficTest, RegionSelectAddsAPrintWindowOfThePlotsChannels) {
    Show();
    plot.SetMode(4);
    FixedView();
    QTest::mousePress(&plot, Qt::LeftButton, {}, QPoint(100, 200));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, QPoint(300, 50));
    ASSERT_EQ(buffer.printRects.size(), 1u);
    const C_Buffer::SPrintRect& w = buffer.printRects[0];
    EXPECT_EQ(w.xChannel, 2);
    EXPECT_EQ(w.yChannel, 1);
    EXPECT_FLOAT_EQ(w.lowerX, -1);
    EXPECT_FLOAT_EQ(w.upperX, 3);
    EXPECT_FLOAT_EQ(w.upperY, 80);
    EXPECT_FLOAT_EQ(w.lowerY, 20);
    EXPECT_EQ(plot.view.upperX, 8) << "the view stays";
    EXPECT_GT(CountIn(plot.Picture(), QRect(100, 60, 200, 130), kHatch), 100);

    QTest::mousePress(&plot, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseRelease(&plot, Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_EQ(buffer.printRects.size(), 1u) << "dragged to the left: nothing";
}

TEST_F(CGraficTest, DoubleClickAutoscalesAtTheNextRedraw) {
    Show();
    Straight(30);
    FixedView();
    plot.view.panX = 3;
    plot.MouseDBCLK();
    EXPECT_FALSE(plot.autoscale);
    EXPECT_TRUE(plot.autoscaleRequest);
    plot.DrawGrid();
    EXPECT_TRUE(plot.autoscale);
    EXPECT_EQ(plot.view.upperX, 10);  // RoundAxisMax(7)
    EXPECT_EQ(plot.view.upperY, 75);  // RoundAxisMax(70)
    EXPECT_EQ(plot.view.panX, 0);

    FixedView();
    QTest::mouseDClick(&plot, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_TRUE(plot.autoscale);
    EXPECT_EQ(plot.view.upperX, 10);
}

TEST_F(CGraficTest, CrosshairFollowsTheMouseTwentyTimesASecond) {
    Show();
    FixedView();
    plot.CursorVis = true;
    redraws = 0;
    QTest::mouseMove(&plot, QPoint(300, 100));
    EXPECT_EQ(redraws, 0) << "within the first twentieth of a second";
    counter.ticks += 50;
    QTest::mouseMove(&plot, QPoint(320, 110));
    EXPECT_EQ(redraws, 1);
    QTest::mouseMove(&plot, QPoint(330, 120));
    EXPECT_EQ(redraws, 1);
    const QImage img = plot.Picture();
    EXPECT_GT(CountIn(img, QRect(60, 110, 480, 1), kLime), 400) << "crosshair row";
    // 320 mapped to data and back may land a hair left of it.
    EXPECT_GT(CountIn(img, QRect(319, 5, 2, 90), kLime), 80) << "crosshair column";
    EXPECT_GT(CountDark(img, QRect(324, 110 - 2 * plot.Font.Size(), 100, 14)), 10) << "the readout";
}

// ----- rendering into a page

TEST_F(CGraficTest, RendersIntoAPageAtAnOffsetOneCellPerCentimetre) {
    Straight(141);
    buffer.AddPrintRect(3, 6, 90, 70, 2, 1);
    FixedView();
    QImage page(900, 700, QImage::Format_RGB32);
    page.fill(Qt::white);
    plot.GET_BUFFER(100, 50, 430, 325, page);
    page.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "cgrafic_page.png").string()));

    EXPECT_EQ(plot.mode, CGrafic::kPrint);
    EXPECT_EQ(plot.drawOffsetX, 100);
    const double cm = 96 / 2.54;
    EXPECT_NEAR(plot.CouGridX, 380 / cm, 1e-6);
    EXPECT_NEAR(plot.CouGridY, 300 / cm, 1e-6);
    // Drawn on the page itself, inside its rectangle only.
    const QImage picture = page.copy(100, 50, 430, 325);
    EXPECT_TRUE(Is(page, 99, 60, kWhite));
    EXPECT_TRUE(Is(page, 300, 49, kWhite));
    EXPECT_TRUE(Is(page, 300, 375, kWhite));
    EXPECT_TRUE(Is(page, 530, 60, kWhite));
    EXPECT_EQ(CountIn(picture, QRect(50, 0, 380, 300), kHatch), 0) << "no print windows";

    // Vertical grid lines a centimetre apart: 37 or 38 pixels, twice that
    // across the Y axis, which is drawn over its line.
    std::vector<int> columns;
    for (int x = 51; x < 428; ++x) {
        if (CountIn(picture, QRect(x, 5, 1, 290), kLime) > 60) columns.push_back(x);
    }
    ASSERT_GE(columns.size(), 8u);
    for (size_t i = 1; i < columns.size(); ++i) {
        const int step = columns[i] - columns[i - 1];
        EXPECT_TRUE(step == 37 || step == 38 || step == 75 || step == 76) << step;
    }
}

// Every axis number lies whole inside the frame, right of the left strip
// when it is an X number, apart from the others, with ink at its first and
// its last glyph.
void ExpectNumbersWhole(const CGrafic& plot, size_t xNumbers) {
    const QImage img = plot.Picture();
    const std::vector<QRect>& boxes = plot.AxisNumberBoxes();
    // Clear of the frame by two pixels at least.
    const QRect inside = img.rect().adjusted(1, 1, -3, -3);
    const int bx = static_cast<int>(plot.view.borderX);
    ASSERT_GT(boxes.size(), xNumbers);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const QRect& b = boxes[i];
        SCOPED_TRACE(i);
        EXPECT_TRUE(inside.contains(b));
        if (i < xNumbers) {
            EXPECT_GE(b.left(), bx);
        }
        const int edge = std::max(2, b.height() / 4);
        EXPECT_GT(CountDark(img, QRect(b.left(), b.top(), edge, b.height())), 0) << "first glyph";
        EXPECT_GT(CountDark(img, QRect(b.right() - edge + 1, b.top(), edge, b.height())), 0)
            << "last glyph";
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(b.intersects(boxes[j])) << "over " << j;
    }
}

// Grid lines at x = 45, 125, ... 445 and y = 20, 50, ... 320 of a 450 x 325
// plot: the first X tick lies under the left strip, the last X number runs
// past the right edge and the last Y number past the bottom when written at
// their ticks.
TEST_F(CGraficTest, AxisNumbersAtTheEndsAreShiftedInOrLeftOut) {
    plot.resize(450, 325);
    plot.CouGridX = 5;
    plot.SetOrigin(false, -1.125, 4.875, -14, 46);
    plot.DrawGrid();
    const std::vector<QRect>& boxes = plot.AxisNumberBoxes();
    // 45 has no number; 125 (the zero) to 445 have theirs, the last shifted
    // to end at the frame.
    ASSERT_EQ(boxes.size(), 5u + 11u);
    EXPECT_EQ(boxes[0].left(), 125);
    EXPECT_EQ(boxes[4].right(), 446);
    EXPECT_EQ(boxes[5].top(), 21);
    EXPECT_EQ(boxes[15].bottom(), 321);
    ExpectNumbersWhole(plot, 5);
}

TEST_F(CGraficTest, TextsGrowWithTheScaleAndStillFitButNotOnAPage) {
    Straight(141);
    plot.resize(450, 325);
    plot.SetOrigin(false, -1.125, 4.875, -14, 46);
    plot.DrawGrid();
    const int small = plot.AxisNumberBoxes()[0].height();
    QImage page(500, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    plot.GET_BUFFER(20, 30, 450, 325, page);

    for (const double scale : {1.5, 2.0}) {
        SCOPED_TRACE(scale);
        plot.mode = CGrafic::kPan;
        plot.SetScale(scale);
        EXPECT_EQ(plot.view.borderX, 50 * scale);
        ASSERT_FALSE(plot.AxisNumberBoxes().empty());
        EXPECT_GE(plot.AxisNumberBoxes()[0].height(), small * scale * 0.8);
        size_t xNumbers = 0;
        const int ph = static_cast<int>(plot.view.plotHeight);
        for (const QRect& b : plot.AxisNumberBoxes())
            xNumbers += b.top() > ph ? 1 : 0;
        ExpectNumbersWhole(plot, xNumbers);
    }
    // The protocol's picture keeps its own size.
    QImage again(500, 400, QImage::Format_RGB32);
    again.fill(Qt::white);
    plot.GET_BUFFER(20, 30, 450, 325, again);
    EXPECT_EQ(again, page);
}

}  // namespace

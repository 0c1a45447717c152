#include "controls/canvas.h"

#include "support/test_output.h"

#include <QPicture>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using draw::BkMode;
using draw::BrushStyle;
using draw::Canvas;
using draw::PenStyle;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kGreen = qRgb(0, 128, 0);

QImage WhiteImage(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Opaque colour of a pixel, comparable with qRgb values.
QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}
bool Is(const QImage& image, int x, int y, QRgb colour) {
    return At(image, x, y) == colour;
}

int Count(const QImage& image, QRgb colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += Is(image, x, y, colour) ? 1 : 0;
    }
    return n;
}

// The smallest box around every pixel that is not `ground`.
QRect Ink(const QImage& image, QRgb ground = kWhite, QRect area = {}) {
    if (area.isNull()) area = image.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!Is(image, x, y, ground)) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

class CanvasTest : public testing::Test {
protected:
    QImage image = WhiteImage(64, 48);
};

// ----- shapes

struct ShapeCase {
    std::string name;
    std::function<void(Canvas&, int, int, int, int)> draw;
};

class ShapeBoxTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeBoxTest, CoversTheBoxWithoutItsRightAndBottomEdge) {
    for (const QRect& box :
         {QRect(QPoint(5, 7), QPoint(30, 20)), QRect(QPoint(2, 3), QPoint(9, 40)),
          QRect(QPoint(10, 30), QPoint(51, 34))}) {
        QImage image = WhiteImage(64, 48);
        {
            Canvas canvas(image);
            canvas.SetBrushColor(QColor(kRed));
            GetParam().draw(canvas, box.left(), box.top(), box.right(), box.bottom());
        }
        EXPECT_EQ(Ink(image), QRect(box.topLeft(), box.bottomRight() - QPoint(1, 1)))
            << GetParam().name << " from " << box.left() << "," << box.top() << " to "
            << box.right() << "," << box.bottom();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapeBoxTest,
    testing::Values(
        ShapeCase{"Rectangle",
                  [](Canvas& c, int x1, int y1, int x2, int y2) { c.Rectangle(x1, y1, x2, y2); }},
        ShapeCase{"Ellipse",
                  [](Canvas& c, int x1, int y1, int x2, int y2) { c.Ellipse(x1, y1, x2, y2); }},
        ShapeCase{"RoundRect", [](Canvas& c, int x1, int y1, int x2,
                                  int y2) { c.RoundRect(x1, y1, x2, y2, 10, 6); }},
        ShapeCase{"NullPenRectangle",
                  [](Canvas& c, int x1, int y1, int x2, int y2) {
                      c.SetPenStyle(PenStyle::Null);
                      c.Rectangle(x1, y1, x2, y2);
                  }},
        ShapeCase{"WidePenEllipse",
                  [](Canvas& c, int x1, int y1, int x2, int y2) {
                      c.SetPenWidth(3);
                      c.Ellipse(x1, y1, x2, y2);
                  }},
        ShapeCase{"DottedRectangle",
                  [](Canvas& c, int x1, int y1, int x2, int y2) {
                      c.SetPenStyle(PenStyle::Dot);
                      c.SetBkMode(BkMode::Transparent);
                      c.SetBrushStyle(BrushStyle::Clear);
                      c.Rectangle(x1, y1, x2, y2);
                  }},
        ShapeCase{"FillRect", [](Canvas& c, int x1, int y1, int x2,
                                 int y2) { c.FillRect(x1, y1, x2, y2, QColor(kBlue)); }},
        ShapeCase{"FrameRect", [](Canvas& c, int x1, int y1, int x2,
                                  int y2) { c.FrameRect(x1, y1, x2, y2, QColor(kBlue)); }}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

TEST_F(CanvasTest, RectangleOutlineSitsOnTheEdgePixelsAndTheBrushFillsInside) {
    {
        Canvas canvas(image);
        canvas.SetBrushColor(QColor(kRed));
        canvas.Rectangle(10, 10, 20, 15);
        canvas.SetPenWidth(2);
        canvas.SetPenColor(QColor(kBlue));
        canvas.Rectangle(30, 10, 40, 20);
    }
    for (int x = 10; x < 20; ++x) {
        EXPECT_TRUE(Is(image, x, 10, kBlack)) << x;
        EXPECT_TRUE(Is(image, x, 14, kBlack)) << x;
    }
    for (int y = 10; y < 15; ++y) {
        EXPECT_TRUE(Is(image, 10, y, kBlack)) << y;
        EXPECT_TRUE(Is(image, 19, y, kBlack)) << y;
    }
    EXPECT_EQ(Ink(image, kRed, QRect(10, 10, 10, 5)), QRect(10, 10, 10, 5));
    EXPECT_TRUE(Is(image, 11, 11, kRed));
    EXPECT_TRUE(Is(image, 18, 13, kRed));
    EXPECT_TRUE(Is(image, 20, 12, kWhite));
    EXPECT_TRUE(Is(image, 15, 15, kWhite));
    // A wider pen stays inside the box.
    EXPECT_TRUE(Is(image, 30, 15, kBlue));
    EXPECT_TRUE(Is(image, 31, 15, kBlue));
    EXPECT_TRUE(Is(image, 32, 15, kRed));
    EXPECT_TRUE(Is(image, 39, 15, kBlue));
    EXPECT_TRUE(Is(image, 38, 15, kBlue));
    EXPECT_TRUE(Is(image, 37, 15, kRed));
    EXPECT_TRUE(Is(image, 35, 19, kBlue));
    EXPECT_TRUE(Is(image, 35, 20, kWhite));
}

TEST_F(CanvasTest, ClearBrushLeavesTheInsideAlone) {
    image.fill(QColor(kGreen));
    {
        Canvas canvas(image);
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.Rectangle(5, 5, 15, 15);
        canvas.RoundRect(20, 5, 40, 25, 8, 8);
    }
    EXPECT_TRUE(Is(image, 5, 5, kBlack));
    EXPECT_TRUE(Is(image, 10, 10, kGreen));
    EXPECT_TRUE(Is(image, 30, 15, kGreen));
    EXPECT_TRUE(Is(image, 30, 5, kBlack));
}

// ----- lines

TEST_F(CanvasTest, LineLeavesOutItsLastPixelAndMovesThePen) {
    Canvas canvas(image);
    canvas.MoveTo(2, 5);
    canvas.LineTo(10, 5);
    EXPECT_EQ(canvas.PenPos(), QPoint(10, 5));
    canvas.End();
    EXPECT_EQ(Ink(image), QRect(QPoint(2, 5), QPoint(9, 5)));
}

TEST(CanvasLine, EveryDirectionStartsOnItsFirstPixelAndStopsBeforeItsLast) {
    const QPoint from(32, 24);
    for (const QPoint d : {QPoint(9, 0), QPoint(-9, 0), QPoint(0, 7), QPoint(0, -7), QPoint(6, 6),
                           QPoint(-6, -6), QPoint(6, -6), QPoint(-6, 6), QPoint(12, 5),
                           QPoint(-12, -5), QPoint(5, -12), QPoint(-5, 12), QPoint(1, 1)}) {
        QImage image = WhiteImage(64, 48);
        {
            Canvas canvas(image);
            canvas.Line(from.x(), from.y(), from.x() + d.x(), from.y() + d.y());
        }
        const QPoint to = from + d;
        const int count = Count(image, kBlack, image.rect());
        EXPECT_TRUE(Is(image, from.x(), from.y(), kBlack)) << d.x() << "," << d.y();
        EXPECT_TRUE(Is(image, to.x(), to.y(), kWhite)) << d.x() << "," << d.y();
        EXPECT_EQ(count, std::max(std::abs(d.x()), std::abs(d.y()))) << d.x() << "," << d.y();
        // The pixel before the end is on the line's last step.
        const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
        const QPoint before(to.x() - d.x() / steps, to.y() - d.y() / steps);
        if (std::abs(d.x()) == std::abs(d.y()) || d.x() == 0 || d.y() == 0) {
            EXPECT_TRUE(Is(image, before.x(), before.y(), kBlack)) << d.x() << "," << d.y();
        }
    }
}

TEST_F(CanvasTest, PolylineDrawsTheSamePixelsAsLineTo) {
    const std::array<QPoint, 5> points = {QPoint(3, 40), QPoint(12, 10), QPoint(20, 30),
                                          QPoint(21, 30), QPoint(60, 2)};
    QImage one = WhiteImage(64, 48);
    {
        Canvas canvas(one);
        canvas.MoveTo(points[0].x(), points[0].y());
        for (std::size_t i = 1; i < points.size(); ++i)
            canvas.LineTo(points[i].x(), points[i].y());
    }
    {
        Canvas canvas(image);
        canvas.Polyline(points);
        EXPECT_EQ(canvas.PenPos(), points.back());
    }
    EXPECT_EQ(image, one);
    EXPECT_TRUE(Is(image, 60, 2, kWhite));
}

TEST_F(CanvasTest, DottedPenIsThreeOnThreeOffWithGapsByBackgroundMode) {
    {
        Canvas canvas(image);
        canvas.SetPenStyle(PenStyle::Dot);
        canvas.SetPenColor(QColor(kBlue));
        canvas.SetBkMode(BkMode::Transparent);
        canvas.Line(0, 2, 24, 2);
        canvas.SetBkMode(BkMode::Opaque);
        canvas.SetBkColor(QColor(kRed));
        canvas.Line(0, 6, 24, 6);
        canvas.Line(24, 10, 0, 10);  // backwards: dots from its start
        canvas.Line(40, 24, 40, 0);
    }
    for (int x = 0; x < 24; ++x) {
        const bool on = (x / 3) % 2 == 0;
        EXPECT_EQ(At(image, x, 2), on ? kBlue : kWhite) << x;
        EXPECT_EQ(At(image, x, 6), on ? kBlue : kRed) << x;
        const bool back = ((24 - (x + 1)) / 3) % 2 == 0;
        EXPECT_EQ(At(image, x + 1, 10), back ? kBlue : kRed) << x;
        EXPECT_EQ(At(image, 40, x + 1), back ? kBlue : kRed) << x;
    }
    EXPECT_TRUE(Is(image, 24, 6, kWhite));
    EXPECT_TRUE(Is(image, 0, 10, kWhite));
    EXPECT_TRUE(Is(image, 40, 0, kWhite));
}

TEST_F(CanvasTest, NullPenDrawsNoLine) {
    {
        Canvas canvas(image);
        canvas.SetPenStyle(PenStyle::Null);
        canvas.Line(0, 0, 40, 40);
    }
    EXPECT_TRUE(Ink(image).isNull());
}

// ----- brushes

TEST_F(CanvasTest, HatchesAreTheWindowsPatternsAnchoredAtTheDevice) {
    image.fill(QColor(kGreen));
    {
        Canvas canvas(image);
        canvas.SetPenStyle(PenStyle::Null);
        canvas.SetBrushColor(QColor(kBlue));
        canvas.SetBrushStyle(BrushStyle::BDiagonal);  // transparent gaps
        canvas.Rectangle(0, 0, 24, 24);
        canvas.SetBrushStyle(BrushStyle::DiagCross);
        canvas.SetBkMode(BkMode::Opaque);
        canvas.SetBkColor(QColor(kWhite));
        canvas.SetOrigin(3, 5);  // the pattern does not move with the origin
        canvas.Rectangle(24 - 3, 0 - 5, 48 - 3, 24 - 5);
    }
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            EXPECT_EQ(At(image, x, y), (x + y) % 8 == 7 ? kBlue : kGreen) << x << "," << y;
            const int cx = x + 24;
            const bool cross = (cx + y) % 8 == 7 || cx % 8 == y % 8;
            EXPECT_EQ(At(image, cx, y), cross ? kBlue : kWhite) << cx << "," << y;
        }
    }
}

TEST_F(CanvasTest, PatternBrushTilesFromTheDeviceOrigin) {
    QImage tile(2, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 2; ++x)
            tile.setPixel(x, y, qRgb(10 * x, 20 * y, 7));
    }
    {
        Canvas canvas(image);
        canvas.SetPenStyle(PenStyle::Null);
        canvas.SetBrushPattern(tile);
        canvas.SetOrigin(5, 1);
        canvas.Rectangle(0, 0, 20, 20);
    }
    for (int y = 1; y < 21; ++y) {
        for (int x = 5; x < 25; ++x)
            EXPECT_EQ(At(image, x, y), qRgb(10 * (x % 2), 20 * (y % 3), 7));
    }
}

// ----- flood fill

TEST_F(CanvasTest, FloodFillStopsAtTheBorderColour) {
    Canvas canvas(image);
    // A black ring with a blue spot inside that is not a border.
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Ellipse(4, 4, 44, 40);
    canvas.FillRect(20, 20, 23, 23, QColor(kBlue));
    // A clipped text before must not let the fill out of the ring.
    canvas.TextRect(50, 0, 60, 10, 50, 0, "x");
    canvas.SetBrushColor(QColor(kRed));
    EXPECT_TRUE(canvas.FloodFill(24, 22, QColor(kBlack)));
    canvas.End();

    EXPECT_TRUE(Is(image, 24, 22, kRed));
    EXPECT_TRUE(Is(image, 21, 21, kRed));  // other colours are filled over
    EXPECT_TRUE(Is(image, 10, 22, kRed));
    EXPECT_TRUE(Is(image, 4, 22, kBlack));
    EXPECT_TRUE(Is(image, 3, 22, kWhite));
    EXPECT_TRUE(Is(image, 0, 0, kWhite));
    EXPECT_TRUE(Is(image, 50, 22, kWhite));
    EXPECT_TRUE(Is(image, 5, 5, kWhite));  // outside the ring, inside its box
}

// The drawn button fills inside its inner outline: the rounded outlines must
// be closed for a fill from the centre, whatever the corner.
TEST(CanvasFloodFill, StaysInsideRoundedOutlines) {
    const QRgb ring = qRgb(64, 128, 192);
    for (const QSize corner :
         {QSize(30, 20), QSize(8, 8), QSize(6, 40), QSize(3, 3), QSize(0, 0)}) {
        for (const int width : {1, 2}) {
            QImage image = WhiteImage(120, 60);
            Canvas canvas(image);
            canvas.SetPenWidth(width);
            canvas.SetBrushColor(QColor(ring));
            canvas.RoundRect(0, 0, 119, 59, corner.width(), corner.height());
            canvas.RoundRect(3, 3, 116, 56, corner.width(), corner.height());
            canvas.SetBrushColor(QColor(kRed));
            ASSERT_TRUE(canvas.FloodFill(60, 30, QColor(kBlack)));
            canvas.End();
            const QString where =
                QString("corner %1x%2 pen %3").arg(corner.width()).arg(corner.height()).arg(width);
            EXPECT_EQ(Ink(image, kWhite, QRect(0, 0, 120, 60)), QRect(0, 0, 119, 59))
                << where.toStdString();
            EXPECT_TRUE(Is(image, 60, 1 + width, ring) || Is(image, 60, 1 + width, kBlack))
                << where.toStdString();
            EXPECT_TRUE(Is(image, 1 + width, 30, ring) || Is(image, 1 + width, 30, kBlack))
                << where.toStdString();
            // Nothing red outside the inner outline's box.
            EXPECT_EQ(Count(image, kRed, QRect(0, 0, 120, 3)), 0) << where.toStdString();
            EXPECT_EQ(Count(image, kRed, QRect(0, 0, 3, 60)), 0) << where.toStdString();
            EXPECT_EQ(Count(image, kRed, QRect(116, 0, 4, 60)), 0) << where.toStdString();
            EXPECT_EQ(Count(image, kRed, QRect(0, 56, 120, 4)), 0) << where.toStdString();
        }
    }
}

TEST_F(CanvasTest, FloodFillHonoursClipOriginAndPatternAndRefusesABorderPixel) {
    QImage tile(1, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, kRed);
    tile.setPixel(0, 1, kBlue);
    Canvas canvas(image);
    canvas.FrameRect(0, 0, 64, 48, QColor(kBlack));
    canvas.SetOrigin(10, 10);
    canvas.SetClipRect(0, 0, 20, 20);  // device 10 ... 29
    canvas.SetBrushPattern(tile);
    EXPECT_FALSE(canvas.FloodFill(-10, -10, QColor(kBlack)));  // on the border
    EXPECT_FALSE(canvas.FloodFill(30, 30, QColor(kBlack)));    // outside the clip
    EXPECT_TRUE(canvas.FloodFill(5, 5, QColor(kBlack)));
    canvas.End();
    EXPECT_EQ(Ink(image, kWhite, QRect(1, 1, 62, 46)), QRect(10, 10, 20, 20));
    EXPECT_TRUE(Is(image, 10, 10, kRed));
    EXPECT_TRUE(Is(image, 10, 11, kBlue));
    EXPECT_TRUE(Is(image, 29, 29, kBlue));
}

// ----- gradient, pictures, pixels

TEST_F(CanvasTest, GradientHasItsColoursAtTheFirstAndLastRowOrColumn) {
    {
        Canvas canvas(image);
        canvas.GradientRect(0, 0, 11, 4, QColor(kRed), QColor(kBlue), draw::Gradient::Horizontal);
        canvas.GradientRect(20, 0, 30, 21, QColor(255, 255, 255), QColor(0x80, 0x80, 0x80),
                            draw::Gradient::Vertical);
    }
    EXPECT_EQ(Ink(image, kWhite, QRect(0, 0, 12, 10)), QRect(0, 0, 11, 4));
    EXPECT_TRUE(Is(image, 0, 3, kRed));
    EXPECT_TRUE(Is(image, 10, 0, kBlue));
    EXPECT_EQ(At(image, 5, 2), qRgb(128, 0, 127));  // 255 - 255 * 5 / 10, truncated
    EXPECT_EQ(At(image, 25, 0), kWhite);
    EXPECT_EQ(At(image, 29, 20), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(At(image, 20, 10), qRgb(0xC0, 0xC0, 0xC0));  // 255 - 127 * 10 / 20
    EXPECT_TRUE(Is(image, 25, 21, kWhite));
}

TEST_F(CanvasTest, TransparentDrawLeavesOutWhiteAsAJpegGivesIt) {
    image.fill(QColor(kGreen));
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(1, 0, kRed);
    picture.setPixel(2, 1, qRgb(0xE0, 0xE0, 0xE0));  // light grey is drawn
    picture.setPixel(3, 1, qRgb(0xFE, 0xFF, 0xF2));  // a JPEG's white is not
    {
        Canvas canvas(image);
        canvas.TransparentDraw(10, 10, picture);
        canvas.TransparentDraw(20, 20, 8, 4, picture);  // stretched twice
    }
    EXPECT_EQ(Ink(image, kGreen, QRect(8, 8, 8, 6)), QRect(11, 10, 2, 2));
    EXPECT_TRUE(Is(image, 11, 10, kRed));
    EXPECT_TRUE(Is(image, 12, 11, qRgb(0xE0, 0xE0, 0xE0)));
    EXPECT_EQ(Ink(image, kGreen, QRect(18, 18, 14, 10)), QRect(22, 20, 4, 4));
    EXPECT_TRUE(Is(image, 22, 20, kRed));
    EXPECT_TRUE(Is(image, 23, 21, kRed));
    EXPECT_TRUE(Is(image, 24, 22, qRgb(0xE0, 0xE0, 0xE0)));
}

TEST_F(CanvasTest, PixelsAreReadAndWrittenInLogicalCoordinates) {
    Canvas canvas(image);
    canvas.SetOrigin(4, 3);
    canvas.SetPixel(1, 1, QColor(kRed));
    EXPECT_EQ(canvas.Pixel(1, 1), QColor(kRed));
    EXPECT_EQ(canvas.Pixel(-4, -3), QColor(kWhite));
    EXPECT_FALSE(canvas.Pixel(-5, 0).isValid());
    canvas.End();
    EXPECT_TRUE(Is(image, 5, 4, kRed));
}

TEST_F(CanvasTest, ClipRectKeepsDrawingInside) {
    {
        Canvas canvas(image);
        canvas.SetClipRect(10, 10, 20, 20);
        canvas.SetBrushColor(QColor(kRed));
        canvas.Rectangle(0, 0, 64, 48);
        canvas.Save();
        canvas.ClearClip();
        canvas.Restore();
        canvas.Line(0, 15, 64, 15);
    }
    EXPECT_EQ(Ink(image), QRect(10, 10, 10, 10));
}

// ----- text

TEST(CanvasFont, SizesInPixelsAtNinetySixPerInch) {
    struct Case {
        int points;
        int height;
    };
    for (const Case c : {Case{8, -11}, Case{11, -15}, Case{13, -17}, Case{16, -21}}) {
        const draw::Font font = draw::Font::FromPoints("Times New Roman", c.points);
        EXPECT_EQ(font.height, c.height) << c.points;
        EXPECT_EQ(font.Size(), c.points);
        EXPECT_EQ(draw::ToQFont(font).pixelSize(), -c.height);
    }
    EXPECT_EQ(draw::ToQFont(draw::Font::FromPoints("Times New Roman", 13)).families().front(),
              "Liberation Serif");
    EXPECT_EQ(draw::MapFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(draw::MapFontFamily("Vortalinz"), "Liberation Sans");
    EXPECT_TRUE(draw::Font::FromPoints("Vortalinz", 10).Symbol());
}

TEST_F(CanvasTest, TextIsAnchoredAtTheTopLeftOfItsCell) {
    Canvas canvas(image);
    canvas.SetFont(draw::Font::FromPoints("Arial", 13));
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.TextOut(4, 10, "ЁЖ");
    const int height = canvas.TextHeight();
    const int width = canvas.TextWidth("ЁЖ");
    canvas.End();
    const QRect ink = Ink(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.top(), 10);
    EXPECT_LE(ink.top(), 10 + height / 4);
    EXPECT_LT(ink.bottom(), 10 + height);
    EXPECT_GE(ink.left(), 4);
    EXPECT_LE(ink.right(), 4 + width);
    EXPECT_GE(height, 17);
}

TEST_F(CanvasTest, OpaqueTextFillsItsCellInTheBackgroundColour) {
    Canvas canvas(image);
    canvas.SetFont(draw::Font::FromPoints("Arial", 10));
    canvas.SetBrushColor(QColor(kBlue));  // solid: opaque, background in blue
    canvas.TextOut(3, 5, "Ab");
    const QRect cell(3, 5, canvas.TextWidth("Ab"), canvas.TextHeight());
    canvas.End();
    EXPECT_EQ(Ink(image), cell);
    EXPECT_TRUE(Is(image, cell.left(), cell.top(), kBlue));
    EXPECT_TRUE(Is(image, cell.right(), cell.bottom(), kBlue));
}

TEST_F(CanvasTest, DrawTextAlignsInTheBoxAndStaysInside) {
    const QRect box(QPoint(10, 10), QPoint(49, 29));  // (10, 10) ... (50, 30)
    for (const unsigned flags : {draw::dt::Left, draw::dt::HCenter, draw::dt::Right}) {
        QImage sheet = WhiteImage(64, 48);
        Canvas canvas(sheet);
        canvas.SetFont(draw::Font::FromPoints("Arial", 10));
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.DrawText(10, 10, 50, 30, "Ш", flags | draw::dt::SingleLine | draw::dt::VCenter);
        const int width = canvas.TextWidth("Ш");
        canvas.End();
        const QRect ink = Ink(sheet);
        ASSERT_FALSE(ink.isNull());
        EXPECT_TRUE(box.contains(ink)) << flags;
        if (flags == draw::dt::Left) {
            EXPECT_LE(ink.left(), 12);
        } else if (flags == draw::dt::Right) {
            EXPECT_GE(ink.right(), 47);
        } else {
            EXPECT_NEAR((ink.left() + ink.right()) / 2.0, 29.5, 2.0);
            EXPECT_LT(width, 20);
        }
        EXPECT_NEAR((ink.top() + ink.bottom()) / 2.0, 19.5, 3.0);
    }

    // A long text is cut at the box, also when wrapped.
    for (const unsigned flags : {draw::dt::SingleLine, draw::dt::WordBreak}) {
        QImage sheet = WhiteImage(64, 48);
        Canvas canvas(sheet);
        canvas.SetFont(draw::Font::FromPoints("Arial", 12));
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.DrawText(10, 10, 50, 30, "Предел текучести условный, Н/мм~", flags);
        canvas.End();
        const QRect ink = Ink(sheet);
        ASSERT_FALSE(ink.isNull());
        EXPECT_TRUE(box.contains(ink)) << flags;
        EXPECT_GE(ink.right(), 45) << flags;
    }
}

TEST_F(CanvasTest, WordBreakPutsWordsOnLinesFromTheTop) {
    Canvas canvas(image);
    canvas.SetFont(draw::Font::FromPoints("Arial", 10));
    canvas.SetBrushStyle(BrushStyle::Clear);
    const int line = canvas.TextHeight();
    // VCenter does not act without SingleLine: the text starts at the top.
    canvas.DrawText(0, 0, 30, 48, "ab cd ef", draw::dt::WordBreak | draw::dt::VCenter);
    canvas.End();
    const QRect ink = Ink(image);
    EXPECT_LT(ink.top(), line);
    EXPECT_GE(ink.bottom(), line);  // more than one line
    EXPECT_LE(ink.right(), 29);
}

TEST_F(CanvasTest, SymbolFontDrawsSignsAndSmallerIndexLetters) {
    Canvas canvas(image);
    draw::Font plain = draw::Font::FromPoints("Arial", 14);
    draw::Font symbol = draw::Font::FromPoints("Vortalinz", 14);
    canvas.SetFont(plain);
    const int plainWidth = canvas.TextWidth("Fв");
    const int plainSigma = canvas.TextWidth("σв");
    canvas.SetFont(symbol);
    EXPECT_LT(canvas.TextWidth("F`в"), plainWidth);  // index letters are smaller
    EXPECT_EQ(canvas.TextWidth("`в"), plainSigma);   // σ and в in the line
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.TextOut(2, 2, "F`в");
    canvas.End();
    const QRect ink = Ink(image);
    ASSERT_FALSE(ink.isNull());
    // The index hangs lower than the F's baseline.
    QImage f = WhiteImage(64, 48);
    {
        Canvas c2(f);
        c2.SetFont(symbol);
        c2.SetBrushStyle(BrushStyle::Clear);
        c2.TextOut(2, 2, "F");
    }
    EXPECT_GT(ink.bottom(), Ink(f).bottom());
}

// ----- other devices

TEST_F(CanvasTest, APictureRecordsTheSameShapesButHasNoFloodFill) {
    QPicture picture;
    {
        Canvas canvas(picture);
        canvas.SetBrushColor(QColor(kRed));
        canvas.Rectangle(5, 5, 20, 15);
        canvas.Line(30, 5, 40, 5);
        EXPECT_FALSE(canvas.FloodFill(10, 10, QColor(kBlack)));
        EXPECT_FALSE(canvas.Pixel(10, 10).isValid());
    }
    {
        QPainter painter(&image);
        painter.drawPicture(0, 0, picture);
    }
    EXPECT_EQ(Ink(image, kWhite, QRect(0, 0, 25, 25)), QRect(5, 5, 15, 10));
    EXPECT_TRUE(Is(image, 19, 14, kBlack));
    EXPECT_TRUE(Is(image, 10, 10, kRed));
    EXPECT_EQ(Ink(image, kWhite, QRect(25, 0, 39, 10)), QRect(30, 5, 10, 1));
}

TEST(CanvasPicture, TextReplaysWhereItWasDrawn) {
    auto write = [](QPaintDevice& device) {
        Canvas canvas(device);
        canvas.SetFont(draw::Font::FromPoints("Times New Roman", 13));
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.TextOut(6, 9, "Лист 1 из 3");
    };
    QImage direct = WhiteImage(160, 40);
    write(direct);
    QPicture picture;
    write(picture);
    QImage replayed = WhiteImage(160, 40);
    {
        QPainter painter(&replayed);
        painter.drawPicture(0, 0, picture);
    }
    ASSERT_FALSE(Ink(direct).isNull());
    EXPECT_EQ(Ink(replayed), Ink(direct));
}

TEST_F(CanvasTest, PolygonOutlineRunsThroughItsCorners) {
    const std::array<QPoint, 4> box = {QPoint(5, 5), QPoint(15, 5), QPoint(15, 10), QPoint(5, 10)};
    const std::array<QPoint, 3> wedge = {QPoint(30, 5), QPoint(40, 20), QPoint(20, 20)};
    {
        Canvas canvas(image);
        canvas.SetBrushColor(QColor(kRed));
        canvas.Polygon(box);
        canvas.Polygon(wedge);
    }
    EXPECT_EQ(Ink(image, kWhite, QRect(0, 0, 18, 14)), QRect(QPoint(5, 5), QPoint(15, 10)));
    EXPECT_TRUE(Is(image, 10, 7, kRed));
    EXPECT_TRUE(Is(image, 30, 5, kBlack));
    EXPECT_TRUE(Is(image, 40, 20, kBlack));
    EXPECT_TRUE(Is(image, 30, 15, kRed));
}

// ----- a sheet for a person to look at

TEST(CanvasSheet, RendersEveryPrimitiveToPng) {
    QImage sheet = WhiteImage(480, 300);
    {
        Canvas c(sheet);
        c.SetFont(draw::Font::FromPoints("Arial", 9));
        c.SetBrushStyle(BrushStyle::Clear);
        auto label = [&](int x, int y, const char* text) { c.TextOut(x, y, text); };

        c.SetBrushColor(QColor(kRed));
        c.Rectangle(10, 10, 60, 40);
        c.SetBrushColor(draw::ColorRef(0x00FFFF));
        c.Ellipse(70, 10, 120, 40);
        c.SetBrushColor(draw::ColorRef(0x808080));
        c.RoundRect(130, 10, 190, 40, 30, 20);
        const std::array<QPoint, 6> hex = {QPoint(210, 25), QPoint(220, 10), QPoint(240, 10),
                                           QPoint(250, 25), QPoint(240, 40), QPoint(220, 40)};
        c.SetBrushColor(draw::ColorRef(0x00FF00));
        c.Polygon(hex);
        c.SetBrushStyle(BrushStyle::Clear);
        label(10, 44, "Rectangle, Ellipse, RoundRect, Polygon");

        c.SetPenColor(QColor(kBlue));
        c.SetPenStyle(PenStyle::Dot);
        c.Line(270, 12, 470, 12);
        c.SetPenStyle(PenStyle::Solid);
        c.SetPenWidth(3);
        c.Line(270, 22, 470, 32);
        c.SetPenWidth(1);
        c.SetPenColor(QColor(kBlack));
        label(270, 44, "dotted, wide");

        c.SetPenStyle(PenStyle::Null);
        c.SetBrushColor(draw::ColorRef(0x969696));
        c.SetBrushStyle(BrushStyle::BDiagonal);
        c.Rectangle(10, 70, 80, 110);
        c.SetBrushStyle(BrushStyle::DiagCross);
        c.Rectangle(90, 70, 160, 110);
        c.SetPenStyle(PenStyle::Solid);
        c.SetBrushStyle(BrushStyle::Clear);
        label(10, 114, "hatches");

        c.GradientRect(170, 70, 270, 90, QColor(kWhite), draw::ColorRef(0x808080),
                       draw::Gradient::Vertical);
        c.GradientRect(170, 90, 270, 110, draw::ColorRef(0x808080), QColor(kWhite),
                       draw::Gradient::Vertical);
        c.GradientRect(280, 70, 380, 110, QColor(kRed), QColor(kBlue), draw::Gradient::Horizontal);
        label(170, 114, "gradients");

        // A button-like shape: ring, inner outline, flood-filled pattern.
        c.SetBrushColor(draw::ColorRef(0xC08040));
        c.RoundRect(10, 140, 200, 190, 30, 20);
        c.RoundRect(13, 143, 197, 187, 30, 20);
        QImage strip(1, 50, QImage::Format_RGB32);
        for (int y = 0; y < 50; ++y) {
            const int v = 255 - std::abs(25 - y) * 5;
            strip.setPixel(0, y, qRgb(v, v, v));
        }
        c.SetBrushPattern(strip);
        c.FloodFill(100, 165, QColor(kBlack));
        c.SetBrushStyle(BrushStyle::Clear);
        label(10, 194, "flood fill with a pattern");

        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::white);
        for (int i = 0; i < 16; ++i) {
            picture.setPixel(i, i, kRed);
            picture.setPixel(15 - i, i, kBlue);
        }
        c.FillRect(220, 140, 300, 190, draw::ColorRef(0x00FF00));
        c.TransparentDraw(225, 145, picture);
        c.TransparentDraw(250, 145, 40, 40, picture);
        label(220, 194, "white transparent");

        c.SetFont(draw::Font::FromPoints("Times New Roman", 13));
        c.SetBrushColor(draw::ColorRef(0xE0E0E0));
        c.TextOut(10, 220, "Протокол испытания № 17");
        c.SetFont(draw::Font::FromPoints("Vortalinz", 13));
        c.SetBrushStyle(BrushStyle::Clear);
        c.TextOut(10, 245, "Предел прочности `в, Н/мм~  F`в, кН  @ $ } `[");
        c.FrameRect(320, 210, 470, 290, QColor(kRed));
        c.SetFont(draw::Font::FromPoints("Arial", 10));
        c.DrawText(320, 210, 470, 290, "Заключение: образец соответствует требованиям",
                   draw::dt::HCenter | draw::dt::WordBreak);
        c.DrawText(320, 210, 470, 290, "справа внизу",
                   draw::dt::Right | draw::dt::Bottom | draw::dt::SingleLine);
    }
    const auto path = testsupport::TestOutputFolder() / "canvas_sheet.png";
    ASSERT_TRUE(sheet.save(QString::fromStdString(path.string())));
}

}  // namespace

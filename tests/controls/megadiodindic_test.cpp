#include "controls/megadiodindic.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "support/test_output.h"

namespace {

constexpr std::uint32_t kGround = 0x202020;
constexpr std::uint32_t kDigit = 0x00FF00;

// Thickness 6, length 30, gap 2 at (4, 5): big enough for exact pixels.
constexpr int kT = 6;
constexpr int kH = 30;
constexpr int kG = 2;
constexpr int kY0 = 5;
constexpr int kX = 4;

class Counter : public QObject {
public:
    explicit Counter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The middle of segment s's box of a digit at x, from the segments' table.
QPoint BoxCentre(int s, int x) {
    const int mid = kY0 + 2 * kG + kH;
    switch (s) {
        case 1:
            return {x + kT / 2, kY0 + kG + kH / 2};
        case 2:
            return {x + kG + kH / 2, kY0 + kT / 2};
        case 3:
            return {x + 2 * kG + kH - kT / 2, kY0 + kG + kH / 2};
        case 4:
            return {x + 2 * kG + kH - kT / 2, kY0 + 3 * kG + kH + kH / 2};
        case 5:
            return {x + kG + kH / 2, kY0 + 4 * kG + 2 * kH - kT / 2};
        case 6:
            return {x + kT / 2, kY0 + 3 * kG + kH + kH / 2};
        case 7:
            return {x + kG + kH / 2, mid - kT / 4};
        default:
            return {x + kG + kH / 2, mid + kT / 4};
    }
}

// The box of the lit pixels; empty when none.
QRect LitBox(const QImage& img) {
    const QRgb lit = draw::ColorRef(kDigit).rgb();
    int x1 = img.width(), y1 = img.height(), x2 = -1, y2 = -1;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) != lit) continue;
            x1 = std::min(x1, x);
            x2 = std::max(x2, x);
            y1 = std::min(y1, y);
            y2 = std::max(y2, y);
        }
    }
    return x2 < 0 ? QRect() : QRect(QPoint(x1, y1), QPoint(x2, y2));
}

class MegaDiodIndicTest : public testing::Test {
protected:
    void SetUp() override {
        d.resize(300, 90);
        d.SetGroundColor(kGround);
        d.SetDigitThink(kT);
        d.SetDigitHeight(kH);
        d.SetDigitSegInt(kG);
        d.SetDigitX(kX);
        d.SetDigitY(kY0);
    }

    MegaDiodIndic d;
};

TEST(MegaDiodIndicDefaults, NewDisplay) {
    MegaDiodIndic d;
    EXPECT_EQ(d.objectName(), "MegaDiodIndic");
    EXPECT_EQ(d.Caption(), "");
    EXPECT_EQ(d.DigitColor(), 0x00FF00u);
    EXPECT_EQ(d.GroundColor(), 0x000000u);
    EXPECT_EQ(d.DigitThink(), 2);
    EXPECT_EQ(d.DigitHeight(), 10);
    EXPECT_EQ(d.DigitSegInt(), 1);
    EXPECT_EQ(d.DigitX(), 0);
    EXPECT_EQ(d.DigitY(), 3);
    EXPECT_EQ(d.AlignText(), 0);
}

// Each glyph lights exactly the segments of its row in the table ("7" with
// the upper-left segment, as the display has it).
TEST_F(MegaDiodIndicTest, GlyphsLightTheirSegments) {
    struct Case {
        const char* glyph;
        std::set<int> lit;
    };
    const Case cases[] = {
        {"0", {1, 2, 3, 4, 5, 6}},    {"1", {3, 4}},          {"2", {2, 3, 5, 6, 7, 8}},
        {"3", {2, 3, 4, 5, 7, 8}},    {"4", {1, 3, 4, 7, 8}}, {"5", {1, 2, 4, 5, 7, 8}},
        {"6", {1, 2, 4, 5, 6, 7, 8}}, {"7", {1, 2, 3, 4}},    {"8", {1, 2, 3, 4, 5, 6, 7, 8}},
        {"9", {1, 2, 3, 4, 5, 7, 8}}, {"-", {7, 8}},
    };
    const QColor digit = draw::ColorRef(kDigit);
    const QColor ground = draw::ColorRef(kGround);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.glyph);
        d.SetValue(c.glyph);
        const QImage img = d.Picture();
        for (int s = 1; s <= 8; ++s) {
            SCOPED_TRACE(s);
            const QPoint p = BoxCentre(s, kX);
            EXPECT_EQ(img.pixelColor(p), c.lit.contains(s) ? digit : ground);
        }
    }
    // "1" lights nothing outside the boxes of segments 3 and 4.
    d.SetValue("1");
    EXPECT_EQ(LitBox(d.Picture()), QRect(QPoint(kX + 2 * kG + kH - kT, kY0 + kG),
                                         QPoint(kX + 2 * kG + kH, kY0 + 3 * kG + 2 * kH)));
}

TEST_F(MegaDiodIndicTest, fSetValueFormatsWithAPoint) {
    struct Case {
        float v;
        const char* text;
    };
    const Case cases[] = {
        {100.0f, "100.000"},   {100.5f, "100.50"},   {-150.0f, "-150.00"},
        {-100.0f, "-100.000"}, {100.001f, "100.00"}, {1.0f, "1.000"},
        {0.0f, "0.000"},       {-0.5f, "-0.500"},    {12345.678f, "12345.68"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        d.fSetValue(c.v);
        EXPECT_EQ(d.Caption(), c.text);
    }
}

// Digits advance 4t + h, the point 2t + 2g; right-aligned text is laid out
// from the right edge less DigitX, so the last cell ends there and its lit
// pixels end 4t - 2g before it (a point's t + 2g).
TEST_F(MegaDiodIndicTest, LeftAndRightAlignment) {
    struct Case {
        int align;
        int digitX;
        const char* text;
        QRect lit;
    };
    const int bottom = kY0 + 4 * kG + 2 * kH;           // 73
    const int pointBottom = kY0 + 2 * kH + 3 * kT - 1;  // 82
    const Case cases[] = {
        {0, 4, "8", QRect(QPoint(4, 5), QPoint(38, bottom))},
        {0, 4, "8.", QRect(QPoint(4, 5), QPoint(63, pointBottom))},
        {0, 4, "-8", QRect(QPoint(6, 5), QPoint(92, bottom))},
        {1, 4, "8", QRect(QPoint(242, 5), QPoint(276, bottom))},
        {1, 4, "8.", QRect(QPoint(226, 5), QPoint(285, pointBottom))},
        {1, 4, "8,", QRect(QPoint(226, 5), QPoint(285, pointBottom))},
        {1, 4, "1", QRect(QPoint(270, 7), QPoint(276, 71))},
        {1, 0, "8", QRect(QPoint(246, 5), QPoint(280, bottom))},
        {1, 20, "88", QRect(QPoint(172, 5), QPoint(260, bottom))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.align == 1 ? " right" : " left"));
        d.SetAlignText(c.align);
        d.SetDigitX(c.digitX);
        d.SetValue(c.text);
        EXPECT_EQ(LitBox(d.Picture()), c.lit);
    }
}

// Blanks and any other character are skipped and take no room.
TEST_F(MegaDiodIndicTest, OtherCharactersTakeNoRoom) {
    for (int align : {0, 1}) {
        SCOPED_TRACE(align);
        d.SetAlignText(align);
        d.SetValue("-1.5");
        const QImage plain = d.Picture();
        for (const char* text : {"  -1.5", "-1.5  ", " -x1 .5 V", "\xd0\x9a-1.5"}) {
            SCOPED_TRACE(text);
            d.SetValue(text);
            EXPECT_EQ(d.Picture(), plain);
        }
    }
}

// Nothing is drawn again unless the text, size or a property changed.
TEST_F(MegaDiodIndicTest, DrawsOnlyOnChange) {
    d.SetValue("12.5");
    d.show();
    QApplication::processEvents();
    QApplication::processEvents();
    Counter counter(&d);
    for (int tick = 0; tick < 5; ++tick) {
        d.SetValue("12.5");
        d.SetDigitThink(kT);
        d.SetDigitHeight(kH);
        d.SetDigitSegInt(kG);
        d.SetDigitX(kX);
        d.SetDigitY(kY0);
        d.SetDigitColor(kDigit);
        d.SetGroundColor(kGround);
        d.SetAlignText(0);
        d.resize(300, 90);
        QApplication::processEvents();
    }
    EXPECT_EQ(counter.paints, 0);
    d.fSetValue(12.5f);  // "12.500"
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    d.fSetValue(12.5f);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    d.resize(200, 60);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 2);
    EXPECT_EQ(d.Picture().size(), QSize(200, 60));
}

// For a person to look at: the digits, signs and points in both alignments
// and at the default size.
TEST_F(MegaDiodIndicTest, Gallery) {
    std::vector<QImage> rows;
    d.resize(600, 90);
    d.SetValue("0123456.789");
    rows.push_back(d.Picture());
    d.SetAlignText(1);
    d.fSetValue(-150.0f);
    rows.push_back(d.Picture());
    MegaDiodIndic small;
    small.resize(600, 30);
    small.fSetValue(-12.345f);
    rows.push_back(small.Picture());
    small.SetAlignText(1);
    small.SetValue("1,7");
    rows.push_back(small.Picture());

    QImage sheet(600, 2 * 90 + 2 * 30 + 3 * 4, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int y = 0;
    for (const QImage& row : rows) {
        painter.drawImage(0, y, row);
        y += row.height() + 4;
    }
    painter.end();
    EXPECT_TRUE(sheet.save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "megadiodindic_gallery.png").string())));
}

}  // namespace

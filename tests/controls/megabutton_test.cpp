#include "controls/megabutton.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/test_output.h"

namespace {

const QColor kRing(0, 0, 200);          // Color
const QColor kInnerStart(250, 250, 0);  // GradStartB
const QColor kInnerFinish(0, 100, 0);   // GragFinishB
const QColor kDownTurn(200, 0, 0);      // GradColDown

QRgb Rgb(const QColor& c) {
    return c.rgb();
}

// A shown button of the default 400 x 60 with colours that tell the areas
// apart.
struct ShownButton {
    TMegaButton button;
    ShownButton() {
        button.Color = kRing;
        button.GradStartB = kInnerStart;
        button.GragFinishB = kInnerFinish;
        button.GradColDown = kDownTurn;
        button.GradPosB = 0.5f;
        button.show();
        QApplication::processEvents();
    }
    const QImage& Image() {
        button.Draw();
        return button.Buffer();
    }
};

// Expected strip colour i of a strip from a to b turning at p (the first half).
QRgb Towards(const QColor& a, const QColor& b, double t) {
    auto c = [t](int from, int to) { return static_cast<int>(from - (from - to) * t); };
    return qRgb(c(a.red(), b.red()), c(a.green(), b.green()), c(a.blue(), b.blue()));
}

TEST(MegaButtonLook, OuterBandsTurnAtGradPos) {
    struct Case {
        float pos;
        int row;
        QRgb colour;
    };
    const QRgb white = qRgb(255, 255, 255), grey = qRgb(128, 128, 128);
    // Column W - 1 lies right of the outer shape: only the outer gradient.
    const std::vector<Case> cases = {
        {0.0f, 0, grey}, {0.0f, 59, white}, {0.5f, 0, white}, {0.5f, 30, grey}, {0.5f, 59, white}};
    for (const Case& c : cases) {
        ShownButton b;
        b.button.SetDradPos(c.pos);
        EXPECT_EQ(b.Image().pixel(399, c.row), c.colour) << c.pos << " row " << c.row;
    }
}

TEST(MegaButtonLook, RingInColourBetweenTheOutlines) {
    ShownButton b;
    const QImage& img = b.Image();
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(img.pixel(0, 30), black);  // outer outline
    EXPECT_EQ(img.pixel(1, 30), Rgb(kRing));
    EXPECT_EQ(img.pixel(2, 30), Rgb(kRing));
    EXPECT_EQ(img.pixel(3, 30), black);  // inner outline at BorderWidth
    EXPECT_NE(img.pixel(4, 30), Rgb(kRing));
    EXPECT_EQ(img.pixel(200, 1), Rgb(kRing));
    // Down moves the inner outline one pixel in.
    b.button.SetDown(true);
    EXPECT_EQ(b.button.Buffer().pixel(3, 30), Rgb(kRing));
    EXPECT_EQ(b.button.Buffer().pixel(4, 30), black);
}

TEST(MegaButtonLook, InnerGradientRunsToTheTurnAndBack) {
    struct Case {
        bool down;
        QColor a, b;
    };
    for (const Case& c :
         {Case{false, kInnerFinish, kInnerStart}, Case{true, kInnerStart, kDownTurn}}) {
        ShownButton sb;
        sb.button.SetDown(c.down);
        const QImage& img = sb.button.Buffer();
        // A 1 x 60 strip tiled down the button, turning at row 30.
        EXPECT_EQ(img.pixel(200, 30), Rgb(c.b)) << c.down;
        EXPECT_EQ(img.pixel(200, 10), Towards(c.a, c.b, 10 / 30.0)) << c.down;
        EXPECT_EQ(img.pixel(200, 50), Towards(c.b, c.a, 20 / (0.502 * 60))) << c.down;
    }
}

TEST(MegaButtonLook, GradientStripEndsAndTurn) {
    struct Case {
        int length;
        float pos;
    };
    for (const Case& c : {Case{60, 0.5f}, Case{60, 0.0f}, Case{60, 1.0f}, Case{400, 0.0f},
                          Case{400, 0.25f}, Case{1, 0.0f}, Case{7, 0.999f},
                          // A turn before the strip: the way back starts outside it.
                          Case{60, -0.5f}, Case{60, -0.001f}, Case{5, -3.0f}, Case{5, -1e30f}}) {
        // Built under the address sanitizer: a write past the strip fails here.
        const QImage strip = ButtonGradientStrip(c.length, false, kInnerFinish, kInnerStart, c.pos);
        ASSERT_EQ(strip.height(), c.length);
        const int turn = c.pos >= 0 ? static_cast<int>(c.length * c.pos) : -1;
        if (turn >= 0 && turn < c.length) {
            EXPECT_EQ(strip.pixel(0, turn), Rgb(kInnerStart)) << c.length << " " << c.pos;
        }
        if (turn > 0) {
            EXPECT_EQ(strip.pixel(0, 0), Rgb(kInnerFinish));
        }
        // The last pixel is well on its way back to a.
        if (c.pos <= 0.5f && c.length > 2) {
            const int g = strip.pixelColor(0, c.length - 1).green();
            EXPECT_LT(std::abs(g - kInnerFinish.green()), std::abs(g - kInnerStart.green()));
        }
    }
}

TEST(MegaButtonLook, DisabledKeepsTheGradientUnderACrossHatch) {
    ShownButton b;
    b.button.SetEnable(false);
    const QImage& img = b.button.Buffer();
    int ring = 0, gradient = 0;
    for (int y = 16; y < 32; ++y) {
        for (int x = 100; x < 116; ++x) {
            ring += img.pixel(x, y) == Rgb(kRing) ? 1 : 0;
            gradient += img.pixel(x, y) != Rgb(kRing) ? 1 : 0;
        }
    }
    // Two diagonals per 8 x 8 cell: a quarter of the pixels.
    EXPECT_EQ(ring, 64);
    EXPECT_EQ(gradient, 192);
    // Presses are ignored, SetDown is not.
    bool clicked = false;
    b.button.OnClick = [&](TMegaButton*) { clicked = true; };
    QTest::mouseClick(&b.button, Qt::LeftButton, {}, QPoint(200, 30));
    EXPECT_FALSE(clicked);
    EXPECT_FALSE(b.button.Down);
    b.button.SetDown(true);
    EXPECT_TRUE(b.button.Down);
}

TEST(MegaButtonLook, AlignButtonRoundsItsCorners) {
    // Corner probes: top-left, top-right, bottom-left, bottom-right.
    struct Case {
        int align;
        bool rounded[4];
    };
    const std::vector<Case> cases = {{0, {true, true, true, true}},
                                     {1, {true, false, true, false}},
                                     {2, {false, true, false, true}},
                                     {3, {true, true, false, false}},
                                     {4, {false, false, true, true}}};
    for (const Case& c : cases) {
        ShownButton b;
        b.button.AlignButton = c.align;
        const QImage& img = b.Image();
        // Mode 0 keeps its outline one pixel inside the right and bottom edges.
        const int r = c.align == 0 ? 398 : 399, btm = c.align == 0 ? 58 : 59;
        const QPoint corners[4] = {{0, 0}, {r, 0}, {0, btm}, {r, btm}};
        for (int k = 0; k < 4; ++k) {
            const QRgb px = img.pixel(corners[k]);
            if (c.rounded[k]) {
                EXPECT_NE(px, qRgb(0, 0, 0)) << c.align << " corner " << k;
                EXPECT_NE(px, Rgb(kRing)) << c.align << " corner " << k;
            } else {
                EXPECT_EQ(px, qRgb(0, 0, 0)) << c.align << " corner " << k;
            }
        }
    }
}

TEST(MegaButtonLook, NoBordersIsInnerGradientAllOver) {
    ShownButton b;
    b.button.NoBorders = true;
    b.button.Caption = "Пуск";
    const QImage& img = b.Image();
    for (const QPoint p : {QPoint(0, 0), QPoint(399, 0), QPoint(0, 59), QPoint(399, 59)}) {
        EXPECT_EQ(img.pixel(p),
                  ButtonGradientStrip(60, false, kInnerFinish, kInnerStart, 0.5f).pixel(0, p.y()));
    }
    EXPECT_EQ(img.pixel(0, 30), Rgb(kInnerStart));
}

TEST(MegaButtonLook, PictureWithWhiteTransparent) {
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    picture.setPixel(5, 5, qRgb(255, 255, 255));
    ShownButton b;
    b.button.NoBorders = true;
    b.button.Image.Add(picture);
    b.button.ImageIndex = 0;
    const QImage& up = b.Image();
    EXPECT_EQ(up.pixel(2, 2), qRgb(255, 0, 0));      // at (bLeft, bTop)
    EXPECT_NE(up.pixel(7, 7), qRgb(255, 255, 255));  // white left out
    EXPECT_EQ(up.pixel(11, 11), qRgb(255, 0, 0));
    EXPECT_NE(up.pixel(12, 12), qRgb(255, 0, 0));
    b.button.SetDown(true);  // one pixel in, one smaller
    const QImage& down = b.button.Buffer();
    EXPECT_NE(down.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(down.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(down.pixel(11, 11), qRgb(255, 0, 0));
    EXPECT_NE(down.pixel(12, 12), qRgb(255, 0, 0));
    // An index outside the list draws no picture.
    b.button.ImageIndex = 7;
    b.button.SetDown(false);
    EXPECT_NE(b.button.Buffer().pixel(3, 3), qRgb(255, 0, 0));
}

// Columns holding caption ink.
std::pair<int, int> InkColumns(const QImage& img, const QColor& ink) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x) {
        for (int y = 0; y < img.height(); ++y) {
            if (img.pixel(x, y) == ink.rgb()) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

TEST(MegaButtonLook, CaptionPlacement) {
    const QColor ink(255, 0, 255);
    ShownButton b;
    b.button.NoBorders = true;
    b.button.FontColUp = ink;
    b.button.Font = draw::Font::FromPoints("MS Sans Serif", 14);
    b.button.Caption = "WWWWWWWW";
    b.button.Captions = "X";
    b.button.AlignText = 3;
    auto [first, last] = InkColumns(b.Image(), ink);
    EXPECT_GE(first, 8);
    EXPECT_LE(last, 8 + 16);  // one "X", not the caption

    b.button.AlignText = 1;
    std::tie(first, last) = InkColumns(b.Image(), ink);
    EXPECT_NEAR((first + last) / 2.0, 200, 3);
    b.button.AlignText = 2;
    std::tie(first, last) = InkColumns(b.Image(), ink);
    EXPECT_NEAR(last, 400 - 8, 3);
    b.button.AlignText = 0;
    EXPECT_EQ(InkColumns(b.Image(), ink).first, -1);
}

TEST(MegaButton, SetDradPosFoldsIntoZeroToOne) {
    struct Case {
        float in, out;
    };
    TMegaButton b;
    for (const Case c :
         {Case{1.3f, 0.3f}, Case{-0.3f, 0.3f}, Case{2.0f, 0.0f}, Case{0.5f, 0.5f}, Case{1.0f, 1.0f},
          Case{-2.75f, 0.75f}, Case{std::numeric_limits<float>::quiet_NaN(), 0.0f}}) {
        b.SetDradPos(c.in);
        EXPECT_NEAR(b.GradPos, c.out, 1e-6) << c.in;
    }
}

// What the button did, in order.
struct Recorder {
    std::vector<std::string> log;
    void Attach(TMegaButton& b) {
        b.OnClick = [this, &b](TMegaButton* sender) {
            EXPECT_EQ(sender, &b);
            log.push_back(std::string("click down=") + (b.Down ? "1" : "0") +
                          " renders=" + std::to_string(b.Renders()));
        };
    }
};

TEST(MegaButtonMouse, PlainToggleAndRadio) {
    struct Case {
        const char* name;
        bool downOk, radio;
        // Down after the press, after the release; clicks after the release.
        bool downPressed, downReleased;
        std::vector<std::string> log;
    };
    // Renders counted from the first show (1).
    const std::vector<Case> cases = {
        {"plain", false, false, true, false, {"click down=0 renders=3"}},
        {"toggle", true, false, true, true, {"click down=1 renders=2"}},
        {"radio", false, true, true, true, {"click down=1 renders=2"}},
    };
    for (const Case& c : cases) {
        ShownButton sb;
        TMegaButton& b = sb.button;
        b.DownOk = c.downOk;
        b.Radio = c.radio;
        Recorder rec;
        rec.Attach(b);
        ASSERT_EQ(b.Renders(), 1);
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(100, 30));
        EXPECT_EQ(b.Down, c.downPressed) << c.name;
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(100, 30));
        EXPECT_EQ(b.Down, c.downReleased) << c.name;
        EXPECT_EQ(rec.log, c.log) << c.name;
    }
}

TEST(MegaButtonMouse, SecondPressOfToggleAndRadio) {
    ShownButton toggle;
    toggle.button.DownOk = true;
    Recorder t;
    t.Attach(toggle.button);
    QTest::mouseClick(&toggle.button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&toggle.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(toggle.button.Down);
    EXPECT_EQ(t.log.size(), 2u);

    ShownButton radio;
    radio.button.Radio = true;
    Recorder r;
    r.Attach(radio.button);
    QTest::mouseClick(&radio.button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&radio.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(radio.button.Down);  // only the program releases it
    EXPECT_EQ(r.log.size(), 1u);
    radio.button.SetDown(false);
    QTest::mouseClick(&radio.button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(r.log.size(), 2u);
}

TEST(MegaButtonMouse, OnlyTheLeftButton) {
    ShownButton b;
    Recorder rec;
    rec.Attach(b.button);
    QTest::mouseClick(&b.button, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(&b.button, Qt::MiddleButton, {}, QPoint(10, 10));
    EXPECT_TRUE(rec.log.empty());
    EXPECT_FALSE(b.button.Down);
}

// Counts paint events reaching a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(MegaButtonRepaint, OnlyWhatChangedIsRendered) {
    ShownButton b;
    PaintCounter counter;
    b.button.installEventFilter(&counter);
    QApplication::processEvents();
    const int renders = b.button.Renders();
    counter.paints = 0;
    for (int tick = 0; tick < 50; ++tick) {
        b.button.Draw();
        b.button.SetDown(false);
        b.button.SetEnable(true);
        b.button.SetCapt("");
        QApplication::processEvents();
    }
    EXPECT_EQ(b.button.Renders(), renders);
    EXPECT_EQ(counter.paints, 0);

    b.button.Caption = "Стоп";
    b.button.Draw();
    EXPECT_EQ(b.button.Renders(), renders + 1);
    b.button.resize(300, 50);
    QApplication::processEvents();
    EXPECT_EQ(b.button.Renders(), renders + 2);
    EXPECT_EQ(b.button.Buffer().size(), QSize(301, 51));
    QApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
}

TEST(MegaButtonRepaint, NothingBeforeTheWindowIsShown) {
    TMegaButton b;
    b.Caption = "Пуск";
    b.Draw();
    b.SetDown(true);
    EXPECT_EQ(b.Renders(), 0);
    b.show();
    QApplication::processEvents();
    EXPECT_EQ(b.Renders(), 1);
    EXPECT_EQ(b.Buffer().size(), QSize(401, 61));
    // Hidden again: changes wait for the next show.
    b.hide();
    b.SetDown(false);
    EXPECT_EQ(b.Renders(), 1);
    b.show();
    QApplication::processEvents();
    EXPECT_EQ(b.Renders(), 2);
}

TEST(MegaButton, AddGradPosSweepsOnePhaseForAllButtons) {
    ShownButton a, b;
    const double start = TMegaButton::GradPhase();
    a.button.AddGradPos(0.4f);
    b.button.AddGradPos(0.4f);
    EXPECT_NEAR(TMegaButton::GradPhase(), start + 0.8, 1e-6);
    EXPECT_NEAR(b.button.GradPos, FoldGradPos(static_cast<float>(std::sin(start + 0.8))), 1e-6);
}

}  // namespace

#include "controls/cotchet.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "controls/megabutton.h"
#include "controls/printpanel.h"
#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "support/curves.h"
#include "support/poppler.h"
#include "support/temp_folder.h"
#include "support/test_output.h"

namespace {

using namespace testsupport::curves;

// Set in the child run on a 120-dpi screen (CotchetScreen below).
constexpr const char* kScreenDpiVariable = "UTM_COTCHET_SCREEN_DPI";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool IsBlack(const QImage& img, int x, int y) {
    return img.pixel(x, y) == qRgb(0, 0, 0);
}

bool IsWhite(const QImage& img, int x, int y) {
    return img.pixel(x, y) == qRgb(255, 255, 255);
}

// Smoothed text is rarely pure black.
bool IsDark(QRgb c) {
    return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128;
}

// The box of dark pixels inside `area`; invalid when there are none.
QRect InkBox(const QImage& img, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (IsDark(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

int NotWhite(const QImage& img, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += IsWhite(img, x, y) ? 0 : 1;
    }
    return n;
}

void Save(const QImage& img, const char* name) {
    img.save(Q((testsupport::TestOutputFolder() / name).string()));
}

// A canvas fresh for a protocol: viewer made, Times New Roman 13 points
// (17 pixels high), shown at 800 x 600.
class OtchetTest : public testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        // In the child run the screen must really be the 120-dpi one.
        if (const int dpi = qEnvironmentVariableIntValue(kScreenDpiVariable); dpi != 0) {
            ASSERT_EQ(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()), dpi);
        }
        otchet.resize(800, 600);
        otchet.CreateViewer();
        otchet.Font = draw::Font::FromPoints("Times New Roman", 13);
    }

    // Appends a page, selects and opens it.
    void OpenPage(int portrait = 1) {
        otchet.CreatePage(portrait);
        otchet.PageSelect(otchet.PageCount() - 1);
        otchet.BeginDoc();
    }

    // `count` closed portrait pages, each with its sheet number as text.
    void NumberedPages(int count) {
        for (int i = 1; i <= count; ++i) {
            OpenPage();
            otchet.AddLine(20, 20, "Лист " + std::to_string(i));
            otchet.EndDoc();
        }
    }

    QImage Rendered(int i = 0) {
        otchet.EndDoc();
        return otchet.RenderPage(i);
    }

    C_Otchet otchet;
};

// ----- pages

using CotchetPages = OtchetTest;

TEST_F(CotchetPages, UsableSizeAndPixelSizeFollowTheOrientation) {
    struct Case {
        int portrait;
        QSize pixels;
        float widthMm, heightMm;
    };
    const Case cases[] = {
        {1, {792, 1122}, 189.55f, 276.86f},
        {7, {792, 1122}, 189.55f, 276.86f},
        {0, {1122, 792}, 276.86f, 189.55f},
        {-1, {1122, 792}, 276.86f, 189.55f},
    };
    for (const Case& c : cases) {
        otchet.CreatePage(c.portrait);
        const int i = otchet.PageCount() - 1;
        EXPECT_EQ(otchet.PageSize(i), c.pixels) << c.portrait;
        EXPECT_EQ(otchet.PageLandscape(i), c.portrait <= 0) << c.portrait;
        EXPECT_NEAR(otchet.PageWidthMm, c.widthMm, 0.005) << c.portrait;
        EXPECT_NEAR(otchet.PageHeightMm, c.heightMm, 0.005) << c.portrait;
    }
    EXPECT_EQ(otchet.CurPage, 0) << "a new page is not selected";
}

TEST_F(CotchetPages, GeometryIsThatOf96DpiWhateverTheScreen) {
    // The child run repeats the drawing tests on a 120-dpi screen.
    EXPECT_FLOAT_EQ(C_Otchet::PxPerMm, 96.0f / 25.4f);
    for (float margin :
         {otchet.MarginLeft, otchet.MarginRight, otchet.MarginTop, otchet.MarginBottom}) {
        EXPECT_NEAR(margin, 37.795f, 0.001f);
    }
}

TEST_F(CotchetPages, DrawingNeedsTheCurrentPageOpen) {
    otchet.CreatePage(1);
    otchet.CreatePage(1);
    otchet.AddLine(10, 10, "before");  // nothing open
    otchet.PageSelect(1);
    otchet.BeginDoc();
    otchet.PageSelect(0);
    otchet.AddTable(2, 2, 0, 0, 50, 0);  // page 0 is not open
    otchet.AddLine(10, 10, "closed");
    otchet.PageSelect(1);
    otchet.AddLine(10, 10, "open");
    otchet.EndDoc();
    otchet.AddLine(10, 40, "after");

    const QRect page(0, 0, 792, 1122);
    EXPECT_EQ(NotWhite(otchet.RenderPage(0), page), 0);
    const QImage drawn = otchet.RenderPage(1);
    EXPECT_TRUE(InkBox(drawn, QRect(70, 70, 100, 30)).isValid()) << "the open page's text";
    EXPECT_FALSE(InkBox(drawn, QRect(70, 185, 100, 30)).isValid()) << "after EndDoc";
    EXPECT_EQ(otchet.TabCols, 0) << "no table was taken";

    // Begun again, a page is drawn anew.
    otchet.BeginDoc();
    EXPECT_EQ(NotWhite(otchet.RenderPage(1), page), 0) << "an open page shows blank";
    otchet.EndDoc();
    EXPECT_EQ(NotWhite(otchet.RenderPage(1), page), 0);
}

TEST_F(CotchetPages, IndexOutOfRangeChangesNothing) {
    OpenPage(1);
    otchet.EndDoc();
    OpenPage(0);
    otchet.EndDoc();
    otchet.PageSelect(0);
    for (int i : {-1, 2, 100}) {
        otchet.PageSelect(i);
        EXPECT_EQ(otchet.CurPage, 0) << i;
        EXPECT_EQ(otchet.Page(i), nullptr) << i;
        EXPECT_FALSE(otchet.PageLandscape(i)) << i;
        EXPECT_TRUE(otchet.PageSize(i).isEmpty()) << i;
        EXPECT_TRUE(otchet.RenderPage(i).isNull()) << i;
    }
    otchet.PageSelect(1);
    EXPECT_EQ(otchet.CurPage, 1);
    EXPECT_NE(otchet.Page(1), nullptr);
}

TEST_F(CotchetPages, ClearListKeepsTheViewer) {
    NumberedPages(2);
    otchet.Preview();
    otchet.NextPage();
    otchet.ClearList();
    EXPECT_EQ(otchet.PageCount(), 0);
    EXPECT_EQ(otchet.CurPage, 0);
    EXPECT_EQ(otchet.ViewPage, 0);
    EXPECT_EQ(otchet.ShownPage(), -1);
    EXPECT_NE(otchet.findChild<QScrollArea*>("Viewer"), nullptr);
    NumberedPages(1);
    otchet.Preview();
    EXPECT_EQ(otchet.ShownPage(), 0);
}

// ----- tables

using CotchetTable = OtchetTest;

TEST_F(CotchetTable, BoundariesFollowTheColumnOffsets) {
    otchet.ColOffset[1] = -55;
    otchet.ColOffset[2] = 10;
    OpenPage();
    otchet.AddTable(3, 2, 5, 20, 183, 0);
    const QImage img = Rendered();
    Save(img, "cotchet_ruling.png");

    // Pixel columns of 5, 11, 137 and 188 mm from the left margin, rows at
    // 20 mm from the top one, 21 pixels apart (a 17-pixel font).
    struct Line {
        float mm;
        int x;
    };
    const Line lines[] = {{5, 56}, {11, 79}, {137, 555}, {188, 748}};
    for (const Line& l : lines) {
        for (int y : {114, 133, 135, 154}) {
            EXPECT_TRUE(IsBlack(img, l.x, y)) << l.mm << " mm, y " << y;
            EXPECT_TRUE(IsWhite(img, l.x - 1, y)) << l.mm << " mm, y " << y;
            EXPECT_TRUE(IsWhite(img, l.x + 1, y)) << l.mm << " mm, y " << y;
        }
    }
    for (int y : {113, 134, 155}) {
        EXPECT_TRUE(IsBlack(img, 300, y)) << y;
        EXPECT_TRUE(IsWhite(img, 300, y + 1)) << y;
    }
    EXPECT_TRUE(IsWhite(img, 300, 112));
    EXPECT_TRUE(IsWhite(img, 300, 156));
    EXPECT_EQ(otchet.TabCols, 3);
    EXPECT_EQ(otchet.TabWidth, 183);
}

TEST_F(CotchetTable, RowsAreAsHighAsAskedOrTheFontPlusFour) {
    struct Case {
        int fontHeight;
        float rowH;
        int pitch;
    };
    const Case cases[] = {{-17, 0, 21}, {-12, 0, 16}, {-17, 26, 26}};
    for (const Case& c : cases) {
        otchet.ClearList();
        otchet.Font.height = c.fontHeight;
        OpenPage();
        otchet.AddTable(1, 3, 5, 20, 100, c.rowH);
        const QImage img = Rendered();
        for (int r = 0; r <= 3; ++r) {
            EXPECT_TRUE(IsBlack(img, 200, 113 + r * c.pitch)) << c.fontHeight << "/" << r;
            EXPECT_TRUE(IsWhite(img, 200, 114 + r * c.pitch)) << c.fontHeight << "/" << r;
        }
    }
}

TEST_F(CotchetTable, CellTextIsPlacedByItsAlignment) {
    // One 150 mm column (boundaries at pixels 56 and 623), a case per row.
    const int aligns[] = {0, 13, 6, 3, 4, 5, -2, 1, 2};
    const int rows = static_cast<int>(std::size(aligns));
    const char* text = "Шпилька";
    OpenPage();
    otchet.AddTable(1, rows, 5, 20, 150, 0);
    for (int r = 0; r < rows; ++r)
        otchet.Cells(0, r, text, aligns[r]);
    const QImage img = Rendered();
    Save(img, "cotchet_cells.png");

    // The text's left stroke may fall on the ruling: compare right edges.
    auto ink = [&](int r) { return InkBox(img, QRect(57, 113 + 21 * r + 1, 566, 20)); };
    const int atBoundary = ink(0).right();
    struct Case {
        int align;
        int indent;
    };
    const Case indents[] = {{13, 13}, {6, 6}, {3, 0}, {4, 0}, {5, 0}, {-2, 0}};
    for (int r = 1; r <= 6; ++r) {
        EXPECT_EQ(ink(r).right() - atBoundary, indents[r - 1].indent) << "align " << aligns[r];
    }
    const QRect centred = ink(7);
    EXPECT_NEAR((centred.left() + centred.right()) / 2.0, (56 + 623) / 2.0, 2.0);
    QImage scratch(8, 8, QImage::Format_RGB32);
    draw::Canvas measure(scratch);
    measure.SetFont(otchet.Font);
    EXPECT_EQ(ink(8).right() - atBoundary, 623 - 56 - measure.TextWidth(text))
        << "the text's end on the right boundary";
}

TEST_F(CotchetTable, CellTextIsClippedToItsCell) {
    OpenPage();
    otchet.AddTable(2, 1, 5, 20, 40, 0);  // 20 mm columns: 56 ... 132 ... 207
    otchet.Cells(0, 0, "Предел текучести условный", 0);
    const QImage img = Rendered();
    EXPECT_TRUE(InkBox(img, QRect(57, 114, 74, 19)).isValid());
    EXPECT_FALSE(InkBox(img, QRect(134, 114, 70, 19)).isValid());
}

TEST_F(CotchetTable, MergedCellsClearTheRulingInsideTheBlock) {
    OpenPage();
    otchet.AddTable(3, 3, 5, 20, 150, 30);  // boundaries at 56, 245, 434, 623
    otchet.ComCells(0, 0, 1, 1, "", 0);     // rows at 113, 143, 173, 203
    const QImage img = Rendered();
    Save(img, "cotchet_merged.png");
    // Gone: the inner boundary, the inner row line and the block's own edges.
    EXPECT_TRUE(IsWhite(img, 245, 120));
    EXPECT_TRUE(IsWhite(img, 245, 160));
    EXPECT_TRUE(IsWhite(img, 100, 143));
    EXPECT_TRUE(IsWhite(img, 56, 130));
    EXPECT_TRUE(IsWhite(img, 100, 113));
    EXPECT_TRUE(IsWhite(img, 434, 130)) << "the block's right edge";
    EXPECT_TRUE(IsWhite(img, 100, 173)) << "the block's bottom edge";
    // Kept: the ruling outside it.
    EXPECT_TRUE(IsBlack(img, 245, 190));
    EXPECT_TRUE(IsBlack(img, 434, 190));
    EXPECT_TRUE(IsBlack(img, 500, 143));
    EXPECT_TRUE(IsBlack(img, 623, 130));
    EXPECT_TRUE(IsBlack(img, 100, 203));
}

TEST_F(CotchetTable, MergedCellTextIsPlacedByItsAlignment) {
    enum class H { Left, Centre, Right };
    enum class V { Top, Middle };
    struct Case {
        int align;
        H h;
        V v;
    };
    const Case cases[] = {{1, H::Centre, V::Top},
                          {2, H::Centre, V::Middle},
                          {3, H::Right, V::Middle},
                          {0, H::Left, V::Top},
                          {7, H::Left, V::Top}};
    for (const Case& c : cases) {
        otchet.ClearList();
        OpenPage();
        otchet.AddTable(3, 3, 5, 20, 150, 40);  // block 56 ... 623 by 113 ... 233
        otchet.ComCells(0, 0, 2, 2, "ШШШ", c.align);
        const QRect ink = InkBox(Rendered(), QRect(57, 114, 566, 119));
        ASSERT_TRUE(ink.isValid()) << c.align;
        if (c.h == H::Left) {
            EXPECT_LE(ink.left() - 56, 3) << c.align;
        } else if (c.h == H::Right) {
            EXPECT_LE(623 - ink.right(), 3) << c.align;
        } else {
            EXPECT_NEAR((ink.left() + ink.right()) / 2.0, 339.5, 2.0) << c.align;
        }
        if (c.v == V::Top) {
            EXPECT_LE(ink.top() - 113, 8) << c.align;
        } else {
            EXPECT_NEAR((ink.top() + ink.bottom()) / 2.0, 173, 4.0) << c.align;
        }
    }

    // Align 1 wraps at words within the block.
    otchet.ClearList();
    OpenPage();
    otchet.AddTable(1, 3, 5, 20, 30, 40);  // 56 ... 169
    otchet.ComCells(0, 0, 0, 2, "Показания машины при прямом ходе", 1);
    const QImage img = Rendered();
    const QRect ink = InkBox(img, QRect(57, 114, 112, 119));
    EXPECT_GT(ink.height(), 3 * 17) << "four lines or so";
    EXPECT_FALSE(InkBox(img, QRect(171, 100, 300, 150)).isValid()) << "nothing past the block";
}

TEST_F(CotchetTable, MergedCellsTakeThePagesLastFont) {
    // Rows of fixed height, so only the font can make a difference.
    const auto big = draw::Font::FromPoints("Times New Roman", 20);
    const auto small = draw::Font::FromPoints("Times New Roman", 8);
    auto render = [&](const draw::Font& assigned, const draw::Font& current, bool otherPage) {
        otchet.ClearList();
        otchet.Font = assigned;
        OpenPage();
        otchet.AddTable(3, 2, 5, 20, 150, 40);
        if (otherPage) {
            // Another page open at the same time, with its own last font.
            otchet.Font = small;
            OpenPage();
            otchet.AddTable(3, 2, 5, 20, 150, 40);
            otchet.PageSelect(0);
        }
        otchet.Font = current;
        otchet.ComCells(0, 0, 2, 1, "Прямой ход", 2);
        otchet.EndDoc();
        return otchet.RenderPage(0);
    };
    const QImage reference = render(big, big, false);
    EXPECT_TRUE(render(big, small, false) == reference) << "the current Font is not the page's";
    EXPECT_TRUE(render(big, small, true) == reference) << "each page keeps its own";
    EXPECT_FALSE(render(small, small, false) == reference);
}

TEST_F(CotchetTable, GraphFillsItsRectangleOnly) {
    C_Buffer buffer;
    Record(ToFracture(Bilinear{}, 2000, {78.54, 50.0}), buffer);
    // 100 x 80 mm at (5, 100): pixels 56 ... 433 by 415 ... 717.
    OpenPage();
    otchet.GetGraf(&buffer, "L,мм", "F,кН", 2, 1, 5, 100, 100, 80);
    const QImage img = Rendered();
    Save(img, "cotchet_graph.png");
    EXPECT_GT(NotWhite(img, QRect(56, 415, 378, 302)), 2000);
    EXPECT_EQ(NotWhite(img, QRect(0, 0, 792, 415)), 0);
    EXPECT_EQ(NotWhite(img, QRect(0, 717, 792, 405)), 0);
    EXPECT_EQ(NotWhite(img, QRect(434, 0, 358, 1122)), 0);
    EXPECT_EQ(NotWhite(img, QRect(0, 0, 56, 1122)), 0);

    // A window set beforehand shows a part of the curve: another picture.
    otchet.ClearList();
    OpenPage();
    otchet.SetOrigin(0, 0, 1, 0, 20);
    otchet.GetGraf(&buffer, "L,мм", "F,кН", 2, 1, 5, 100, 100, 80);
    EXPECT_FALSE(Rendered() == img);
}

TEST_F(CotchetTable, GraphKeepsTheDrawingOrderAndThePagesState) {
    C_Buffer buffer;
    Record(Ramp(100), buffer);
    // The graph at pixels 56 ... 433 by 415 ... 717; the grey box of
    // AddText, from the page's corner to (300, 500), overlaps it. AddText
    // also leaves the page's brush grey, and the table its font: both must
    // go on past the graph into the merged cells.
    auto page = [&](bool graph, bool graphFirst) {
        otchet.ClearList();
        otchet.Font = draw::Font::FromPoints("Times New Roman", 20);
        OpenPage();
        otchet.AddTable(3, 2, 5, 20, 150, 40);
        if (graph && graphFirst) otchet.GetGraf(&buffer, "X", "Y", 2, 1, 5, 100, 100, 80);
        otchet.AddText(300, 500, "");
        if (graph && !graphFirst) otchet.GetGraf(&buffer, "X", "Y", 2, 1, 5, 100, 100, 80);
        otchet.Font = draw::Font::FromPoints("Times New Roman", 8);
        otchet.ComCells(1, 0, 2, 1, "Прямой ход", 2);
        return Rendered();
    };
    const QImage plain = page(false, false);
    const QRect block(245, 113, 379, 82);
    EXPECT_EQ(plain.pixel(300, 150), qRgb(128, 128, 128)) << "the block in the grey brush";
    for (bool graphFirst : {false, true}) {
        const QImage img = page(true, graphFirst);
        EXPECT_EQ(img.pixel(200, 450) == qRgb(128, 128, 128), graphFirst) << graphFirst;
        EXPECT_TRUE(img.copy(block) == plain.copy(block)) << graphFirst;

        // One picture of the whole page replays the same.
        QImage whole(792, 1122, QImage::Format_RGB32);
        whole.fill(Qt::white);
        {
            QPainter painter(&whole);
            painter.drawPicture(0, 0, *otchet.Page(0));
        }
        EXPECT_TRUE(whole == img) << graphFirst;
    }
}

TEST_F(CotchetTable, GraphWithoutRoomOrRendererDrawsNothing) {
    C_Buffer buffer;
    Record(Ramp(100), buffer);
    struct Case {
        float w, h;
    };
    const Case cases[] = {{100, 0}, {100, -20}, {0, 50}, {-5, 50}, {0.2f, 50}};
    for (const Case& c : cases) {
        otchet.ClearList();
        OpenPage();
        otchet.GetGraf(&buffer, "X", "Y", 2, 1, 5, 100, c.w, c.h);
        EXPECT_EQ(NotWhite(Rendered(), QRect(0, 0, 792, 1122)), 0) << c.w << " x " << c.h;
    }
    otchet.ClearList();
    OpenPage();
    otchet.GetGraf(nullptr, "X", "Y", 2, 1, 5, 100, 100, 80);
    EXPECT_EQ(NotWhite(Rendered(), QRect(0, 0, 792, 1122)), 0) << "no buffer";
    C_Otchet bare;  // CreateViewer makes the renderer
    bare.CreatePage(1);
    bare.BeginDoc();
    bare.GetGraf(&buffer, "X", "Y", 2, 1, 5, 100, 100, 80);
    bare.EndDoc();
    EXPECT_EQ(NotWhite(bare.RenderPage(0), QRect(0, 0, 792, 1122)), 0);
}

// ----- viewer

using CotchetViewer = OtchetTest;

TEST_F(CotchetViewer, FillsThePanelAndIsReplacedWhole) {
    otchet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&otchet));
    auto* viewer = otchet.findChild<QScrollArea*>("Viewer");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->geometry(), otchet.rect());
    otchet.CreateViewer();
    EXPECT_EQ(otchet.findChildren<QScrollArea*>("Viewer").size(), 1);
}

TEST_F(CotchetViewer, PagingHoldsAtTheEnds) {
    NumberedPages(3);
    enum Op { Preview, Next, Last };
    struct Step {
        Op op;
        int viewPage;
        int shown;
    };
    const Step steps[] = {
        {Preview, 0, 0}, {Last, 0, 0},    {Next, 1, 1}, {Next, 2, 2},
        {Next, 2, 2},    {Preview, 2, 0}, {Last, 1, 1},
    };
    for (const Step& s : steps) {
        if (s.op == Preview) otchet.Preview();
        if (s.op == Next) otchet.NextPage();
        if (s.op == Last) otchet.LastPage();
        EXPECT_EQ(otchet.GetCurrentPage(), s.viewPage) << &s - steps;
        EXPECT_EQ(otchet.ShownPage(), s.shown) << &s - steps;
    }
}

TEST_F(CotchetViewer, ZoomStepsAndTheViewersLimits) {
    NumberedPages(1);
    enum Op { Up, Down, Set };
    struct Case {
        int start;
        Op op;
        int arg;
        int zoom;
    };
    const Case cases[] = {
        {495, Up, 0, 500}, {500, Up, 0, 500},      {100, Up, 0, 110},  {5, Down, 0, 5},
        {12, Down, 0, 2},  {100, Down, 0, 90},     {100, Set, 1, 100}, {100, Set, 2001, 100},
        {100, Set, 2, 2},  {100, Set, 2000, 2000},
    };
    for (const Case& c : cases) {
        otchet.SetZoom(c.start);
        ASSERT_EQ(otchet.Zoom(), c.start);
        if (c.op == Up) otchet.ZoomUp();
        if (c.op == Down) otchet.ZoomDown();
        if (c.op == Set) otchet.SetZoom(c.arg);
        EXPECT_EQ(otchet.Zoom(), c.zoom) << c.start << " op " << c.op << " " << c.arg;
    }
}

TEST_F(CotchetViewer, PreviewFitsTheWholePageAndShowsIt) {
    OpenPage();
    otchet.AddText(300, 200, "");  // a grey box from the page's corner
    otchet.EndDoc();
    OpenPage(0);
    otchet.EndDoc();
    otchet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&otchet));
    otchet.Preview();
    auto* viewer = otchet.findChild<QScrollArea*>("Viewer");
    const QSize room = viewer->maximumViewportSize();
    const QSize page = viewer->widget()->size();
    Save(otchet.grab().toImage(), "cotchet_viewer.png");
    EXPECT_EQ(otchet.Zoom(), std::min(room.width() * 100 / 792, room.height() * 100 / 1122));
    EXPECT_LE(page.height(), room.height());
    EXPECT_GT(page.height(), room.height() - 12);

    // Reduced and enlarged: the box where the zoom puts it.
    for (int zoom : {50, 200}) {
        otchet.SetZoom(zoom);
        const QImage shown = viewer->widget()->grab().toImage();
        const double s = zoom / 100.0;
        EXPECT_EQ(shown.size(), QSize(792, 1122) * s);
        EXPECT_EQ(shown.pixel(static_cast<int>(150 * s), static_cast<int>(100 * s)),
                  qRgb(128, 128, 128))
            << zoom;
        EXPECT_EQ(shown.pixel(static_cast<int>(400 * s), static_cast<int>(100 * s)),
                  qRgb(255, 255, 255))
            << zoom;
    }

    otchet.NextPage();  // landscape: fitted anew
    EXPECT_EQ(otchet.Zoom(), std::min(room.width() * 100 / 1122, room.height() * 100 / 792));
}

TEST_F(CotchetViewer, NothingHappensWithoutViewerOrPages) {
    int dialogs = 0;
    auto count = [&](QPrinter&, int) {
        ++dialogs;
        return false;
    };
    otchet.RunPrintDialog = count;
    // A viewer, no pages.
    otchet.Preview();
    otchet.NextPage();
    otchet.ZoomUp();
    otchet.ZoomPage();
    otchet.Print();
    EXPECT_EQ(otchet.Zoom(), 100);
    EXPECT_EQ(otchet.ShownPage(), -1);

    // Pages, no viewer.
    C_Otchet bare;
    bare.RunPrintDialog = count;
    bare.CreatePage(1);
    bare.CreatePage(1);
    bare.Preview();
    bare.NextPage();
    bare.ZoomUp();
    bare.SetZoom(50);
    bare.SetupPrint();
    EXPECT_EQ(bare.ViewPage, 0);
    EXPECT_EQ(bare.Zoom(), 100);
    EXPECT_EQ(bare.ShownPage(), -1);
    EXPECT_EQ(dialogs, 0);
}

// ----- printing and PDF, read back with poppler's tools

QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

#define REQUIRE_POPPLER()                                                          \
    if (Tool("pdftotext").isEmpty() || Tool("pdfinfo").isEmpty()) {                \
        GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are not installed"; \
    }

std::string RunTool(const char* name, const QStringList& args) {
    return testsupport::Poppler(QString::fromLatin1(name), args).value_or("");
}

// The text of each page, in order.
std::vector<std::string> PdfPages(const std::string& file) {
    const std::string text = RunTool("pdftotext", {"-layout", Q(file), "-"});
    std::vector<std::string> pages;
    size_t from = 0;
    for (size_t at; (at = text.find('\f', from)) != std::string::npos; from = at + 1)
        pages.push_back(text.substr(from, at - from));
    return pages;
}

std::string PdfInfo(const std::string& file, int first = 0, int last = 0) {
    QStringList args;
    if (first > 0) args << "-f" << QString::number(first) << "-l" << QString::number(last);
    args << Q(file);
    return RunTool("pdfinfo", args);
}

// Where a word's text starts on a page, in points from the left; -1 when
// it is not there.
double PdfWordX(const std::string& file, int page, const std::string& word) {
    const QString n = QString::number(page);
    const std::string xml = RunTool("pdftotext", {"-bbox", "-f", n, "-l", n, Q(file), "-"});
    const size_t at = xml.find(">" + word + "</word>");
    if (at == std::string::npos) return -1;
    const size_t x = xml.rfind("xMin=\"", at);
    return x == std::string::npos ? -1 : std::stod(xml.substr(x + 6));
}

int PdfPageCount(const std::string& file) {
    const std::string info = PdfInfo(file);
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The sheet numbers on the pages of a file, in order.
std::vector<int> Sheets(const std::string& file) {
    std::vector<int> sheets;
    for (const std::string& page : PdfPages(file)) {
        const size_t at = page.find("Лист ");
        sheets.push_back(at == std::string::npos ? 0 : std::stoi(page.substr(at + 9)));
    }
    return sheets;
}

class CotchetPrint : public OtchetTest {
protected:
    // A dialog that "prints to file" with the range and copies given.
    void FakeDialog(int from, int to, int copies = 1, bool collate = true) {
        otchet.RunPrintDialog = [=, this](QPrinter& printer, int pageCount) {
            seenCount = pageCount;
            seenFrom = printer.fromPage();
            seenTo = printer.toPage();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(Q(file));
            if (from > 0) {
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(from, to);
            }
            printer.setCopyCount(copies);
            printer.setCollateCopies(collate);
            return true;
        };
    }

    testsupport::TempFolder folder;
    std::string file = folder.File("printed.pdf");
    int seenCount = 0, seenFrom = 0, seenTo = 0;
};

TEST_F(CotchetPrint, ChosenRangePrintsThosePagesInOrder) {
    REQUIRE_POPPLER();
    NumberedPages(4);
    otchet.Preview();
    FakeDialog(2, 3);
    otchet.Print();
    EXPECT_EQ(seenCount, 4);
    EXPECT_EQ(seenFrom, 1) << "the dialog opens from 1 to N";
    EXPECT_EQ(seenTo, 4);
    EXPECT_EQ(PdfPageCount(file), 2);
    EXPECT_EQ(Sheets(file), (std::vector<int>{2, 3}));

    FakeDialog(0, 0);  // all pages
    otchet.SetupPrint();
    EXPECT_EQ(Sheets(file), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(CotchetPrint, CancelledDialogPrintsNothing) {
    NumberedPages(2);
    otchet.Preview();
    int dialogs = 0;
    otchet.RunPrintDialog = [&](QPrinter& printer, int) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Q(file));
        return false;
    };
    otchet.Print();
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(CotchetPrint, CopiesAreHonouredOnce) {
    REQUIRE_POPPLER();
    NumberedPages(2);
    otchet.Preview();
    struct Case {
        int copies;
        bool collate;
        std::vector<int> sheets;
    };
    const Case cases[] = {
        {1, true, {1, 2}},
        {2, true, {1, 2, 1, 2}},
        {3, false, {1, 1, 1, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        FakeDialog(0, 0, c.copies, c.collate);
        otchet.Print();
        EXPECT_EQ(Sheets(file), c.sheets) << c.copies << (c.collate ? " collated" : "");
    }
}

TEST_F(CotchetPrint, PrinterFailureIsAPlainFalse) {
    NumberedPages(1);
    EXPECT_FALSE(otchet.WritePdf(Q(folder.File("no-such-folder/out.pdf"))));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Q(file));
    EXPECT_FALSE(otchet.PrintPages(printer, 3, 5, 1)) << "no such pages";
    EXPECT_FALSE(std::filesystem::exists(file));
    C_Otchet empty;
    EXPECT_FALSE(empty.WritePdf(Q(file)));
    EXPECT_FALSE(std::filesystem::exists(file));
}

// ----- the touch print panel

TMegaButton* PanelButton(QWidget* window, const char* name) {
    auto* b = window->findChild<TMegaButton*>(QString::fromLatin1(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
}

void Tap(QWidget* window, const char* name, int times = 1) {
    TMegaButton* b = PanelButton(window, name);
    for (int i = 0; b != nullptr && i < times; ++i)
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

std::string Shown(QWidget* window, const char* name) {
    auto* l = window->findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(l, nullptr) << name;
    return l != nullptr ? l->text().toStdString() : "";
}

// Runs the panel with `during` done on it once it is shown.
std::optional<PrintChoice> RunWith(TPrintPanel& panel, const std::function<void()>& during) {
    QTimer::singleShot(0, during);
    return panel.Run();
}

TEST(PrintPanel, ChoicesOfPrinterCopiesAndPagesReachThePrinter) {
    QWidget window;
    window.resize(1032, 755);
    window.show();
    TPrintPanel panel(&window, {"Лаборатория", "Бухгалтерия"}, "Бухгалтерия", 4, "/tmp/p.pdf");
    const auto choice = RunWith(panel, [&] {
        EXPECT_TRUE(PanelButton(&window, "PrintPrinter1")->Down) << "the preferred printer";
        EXPECT_FALSE(PanelButton(&window, "PrintPrinter0")->Down);
        EXPECT_FALSE(panel.FileField()->isEnabled());
        EXPECT_EQ(window.findChild<QLabel*>("PrintNoPrinter"), nullptr);
        EXPECT_EQ(Shown(&window, "PrintCopies"), "1");
        EXPECT_EQ(Shown(&window, "PrintFrom"), "1");
        EXPECT_EQ(Shown(&window, "PrintTo"), "4");
        Tap(&window, "PrintPrinter0");
        EXPECT_FALSE(PanelButton(&window, "PrintPrinter1")->Down);
        Tap(&window, "PrintCopiesMinus");  // not below 1
        Tap(&window, "PrintCopiesPlus", 3);
        Tap(&window, "PrintToPlus");  // not past the last page
        Tap(&window, "PrintToMinus");
        Tap(&window, "PrintFromPlus", 5);  // not past "по"
        Tap(&window, "PrintFromMinus");
        EXPECT_EQ(Shown(&window, "PrintCopies"), "4");
        EXPECT_EQ(Shown(&window, "PrintFrom"), "2");
        EXPECT_EQ(Shown(&window, "PrintTo"), "3");
        Tap(&window, "PrintOk");
    });
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->printer, QStringLiteral("Лаборатория"));
    EXPECT_EQ(choice->copies, 4);
    EXPECT_EQ(choice->from, 2);
    EXPECT_EQ(choice->to, 3);
    EXPECT_TRUE(panel.isHidden());

    QPrinter printer;
    ApplyPrintChoice(*choice, 4, printer);
    EXPECT_EQ(printer.printRange(), QPrinter::PageRange);
    EXPECT_EQ(printer.fromPage(), 2);
    EXPECT_EQ(printer.toPage(), 3);
    EXPECT_TRUE(printer.collateCopies());

    // The PDF file: its name, all pages, the copies as chosen.
    ApplyPrintChoice({"", "/tmp/x.pdf", 2, 1, 4}, 4, printer);
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), QStringLiteral("/tmp/x.pdf"));
    EXPECT_EQ(printer.printRange(), QPrinter::AllPages);
    EXPECT_EQ(printer.copyCount(), 2);
}

TEST(PrintPanel, WithoutAPrinterItSaysSoAndOffersThePdfFile) {
    QWidget window;
    window.resize(1032, 755);
    window.show();
    TPrintPanel panel(&window, {}, "", 1, "/tmp/p.pdf");
    const auto choice = RunWith(panel, [&] {
        auto* none = window.findChild<QLabel*>("PrintNoPrinter");
        ASSERT_NE(none, nullptr);
        EXPECT_TRUE(none->isVisible());
        EXPECT_NE(none->text().indexOf(QStringLiteral("PDF")), -1);
        EXPECT_TRUE(PanelButton(&window, "PrintToPdf")->Down);
        EXPECT_TRUE(panel.FileField()->isEnabled());
        // One page: nothing to choose.
        EXPECT_EQ(window.findChild<QLabel*>("PrintFrom"), nullptr);
        // Without a name the panel stays open.
        panel.FileField()->clear();
        Tap(&window, "PrintOk");
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.FileField()->palette().color(QPalette::Base), QColor(255, 192, 203));
        panel.FileField()->setText("/tmp/other.pdf");
        Tap(&window, "PrintOk");
    });
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->printer.isEmpty());
    EXPECT_EQ(choice->pdfFile, QStringLiteral("/tmp/other.pdf"));
}

TEST(PrintPanel, FitsTheWindowTouchSizedAndIsRendered) {
    for (const QSize size : {QSize(1032, 755), QSize(1920, 1080)}) {
        QWidget window;
        window.resize(size);
        window.show();
        TPrintPanel panel(&window, {"Лаборатория", "HP LaserJet 1320 (этаж 2)", "Бухгалтерия"}, "",
                          4, "/home/operator/SaveTest/Протокол.pdf");
        RunWith(panel, [&] {
            QWidget* frame = window.findChild<QWidget*>("PrintPanel");
            ASSERT_NE(frame, nullptr);
            EXPECT_TRUE(window.rect().contains(frame->geometry())) << size.width();
            for (TMegaButton* b : frame->findChildren<TMegaButton*>()) {
                if (!b->isVisible()) continue;
                EXPECT_GE(b->height(), 56) << b->objectName().toStdString();
                EXPECT_LE(b->CaptionWidthNeeded(), b->width()) << b->Caption;
            }
            const QString name =
                QStringLiteral("print_panel_%1x%2.png").arg(size.width()).arg(size.height());
            window.grab().save(Q((testsupport::TestOutputFolder() / name.toStdString()).string()));
            Tap(&window, "PrintCancel");
        });
    }
}

TEST_F(CotchetPrint, ThePanelPrintsTheChosenPagesAndCopiesIntoAPdf) {
    REQUIRE_POPPLER();
    NumberedPages(4);
    otchet.PdfFolder = Q(folder.File("protocols"));
    otchet.show();
    const bool printers = !QPrinterInfo::availablePrinterNames().isEmpty();
    bool offered = false;
    QTimer::singleShot(0, [&] {
        QWidget* w = otchet.window();
        auto* field = w->findChild<QLineEdit*>("PrintFile");
        ASSERT_NE(field, nullptr);
        offered = field->text() == Q(folder.File("protocols/Протокол.pdf"));
        // A station without a printer says so (as the test machine has none).
        EXPECT_EQ(w->findChild<QLabel*>("PrintNoPrinter") != nullptr, !printers);
        Tap(w, "PrintToPdf");
        Tap(w, "PrintFromPlus");
        Tap(w, "PrintCopiesPlus");
        Tap(w, "PrintOk");
    });
    otchet.Print();
    EXPECT_TRUE(offered);
    const std::string pdf = folder.File("protocols/Протокол.pdf");
    EXPECT_EQ(Sheets(pdf), (std::vector<int>{2, 3, 4, 2, 3, 4}));
    // The next one does not overwrite it.
    EXPECT_EQ(FreePdfName(Q(folder.File("protocols"))),
              Q(folder.File("protocols/Протокол (2).pdf")));
}

TEST_F(CotchetPrint, CancelOnThePanelPrintsNothing) {
    NumberedPages(2);
    otchet.PdfFolder = Q(folder.path());
    otchet.show();
    QTimer::singleShot(0, [&] {
        Tap(otchet.window(), "PrintToPdf");
        Tap(otchet.window(), "PrintCancel");
    });
    otchet.Print();
    EXPECT_FALSE(std::filesystem::exists(folder.File("Протокол.pdf")));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// A protocol-like portrait sheet and a landscape graph sheet.
void SampleDocument(C_Otchet& otchet, const C_Buffer& buffer) {
    otchet.ClearList();
    otchet.CreateViewer();
    otchet.Font = draw::Font::FromPoints("Vortalinz", 13);
    otchet.CreatePage(1);
    otchet.PageSelect(0);
    otchet.BeginDoc();
    otchet.AddLine(70, 0, "Протокол испытания № 17");
    otchet.AddLine(80, 5.7f, "На машине ИР-5");
    otchet.ColOffset[1] = -55;
    otchet.ColOffset[2] = 10;
    otchet.AddTable(3, 4, 5, 11.4f, 183, 0);
    const char* rows[][3] = {{"№", "Параметр", "Данные"},
                             {"1", "Метод испытания", "ГОСТ 1497"},
                             {"2", "Предел прочности `в, Н/мм~", "452.3"},
                             {"3", "Относительное удлинение @, %", "21.5"}};
    for (int r = 0; r < 4; ++r) {
        otchet.Cells(0, r, rows[r][0], 1);
        otchet.Cells(1, r, rows[r][1], r == 0 ? 1 : 13);
        otchet.Cells(2, r, rows[r][2], r == 0 ? 1 : 15);
    }
    otchet.AddLine(4, 40, "Заключение: соответствует");
    otchet.AddLine(80, 45.6f, "График:");
    otchet.GetGraf(&buffer, "L,мм", "F,кН", 2, 1, 5, 51.3f, otchet.PageWidthMm - 5, 200);
    otchet.AddLine(15, 266,
                   "Испытание провел:                                   _________  Иванов");
    otchet.AddLine(otchet.PageWidthMm - 30, otchet.PageHeightMm, "Лист 1 из 2");
    otchet.EndDoc();

    otchet.CreatePage(0);
    otchet.PageSelect(1);
    otchet.BeginDoc();
    otchet.SetOrigin(0, 0, 10, 0, 40);
    otchet.GetGraf(&buffer, "", "", 2, 1, 0, 0, otchet.PageWidthMm, otchet.PageHeightMm - 1);
    otchet.AddLine(otchet.PageWidthMm - 30, otchet.PageHeightMm, "Лист 2 из 2");
    otchet.EndDoc();
}

TEST_F(CotchetPrint, MixedOrientationsToPdfKeepSizesAndText) {
    REQUIRE_POPPLER();
    C_Buffer buffer;
    Record(ToFracture(Bilinear{}, 5000, {78.54, 50.0}), buffer);
    SampleDocument(otchet, buffer);
    Save(otchet.RenderPage(0), "cotchet_sample_page1.png");
    Save(otchet.RenderPage(1), "cotchet_sample_page2.png");
    const std::string pdf = (testsupport::TestOutputFolder() / "cotchet_sample.pdf").string();
    ASSERT_TRUE(otchet.WritePdf(Q(pdf)));

    const std::string info = PdfInfo(pdf, 1, 2);
    EXPECT_TRUE(Has(info, "Page    1 size:  595 x 842 pts (A4)")) << info;
    EXPECT_TRUE(Has(info, "Page    2 size:  842 x 595 pts (A4)")) << info;
    const std::vector<std::string> pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2u);
    for (const char* text :
         {"Протокол испытания № 17", "На машине ИР-5", "Параметр", "Предел прочности σв, Н/мм²",
          "Относительное удлинение δ, %", "Заключение: соответствует",
          "Испытание провел:", "_________", "Иванов", "Лист 1 из 2"}) {
        EXPECT_TRUE(Has(pages[0], text)) << text << "\n" << pages[0];
    }
    EXPECT_TRUE(Has(pages[1], "Лист 2 из 2")) << pages[1];
    // A page pixel is 1/96 inch, 0.75 point, from the paper's corner: the
    // title at pixel 302, the landscape sheet number at 970.
    EXPECT_NEAR(PdfWordX(pdf, 1, "Протокол"), 302 * 0.75, 0.3);
    EXPECT_NEAR(PdfWordX(pdf, 2, "Лист"), 970 * 0.75, 0.3);

    if (const QString ppm = Tool("pdftoppm"); !ppm.isEmpty()) {
        const std::string stem = (testsupport::TestOutputFolder() / "cotchet_sample_pdf").string();
        QProcess::execute(ppm, {"-r", "96", "-f", "1", "-l", "2", "-png", Q(pdf), Q(stem)});
    }
}

TEST_F(CotchetPrint, MillionSampleGraphMakesASmallPdf) {
    C_Buffer buffer;
    Recording r = ToFracture(Bilinear{}, 1000000, {78.54, 50.0});
    AddForceNoise(r, 0.002 * MaxOf(r.force), 7);
    Record(r, buffer);
    OpenPage();
    otchet.GetGraf(&buffer, "L,мм", "F,кН", 2, 1, 5, 40, 184, 200);
    otchet.EndDoc();
    ASSERT_TRUE(otchet.WritePdf(Q(file)));
    EXPECT_LT(std::filesystem::file_size(file), 1000000u);
}

// ----- the same pages on a screen of another resolution

TEST(CotchetScreen, PagesKeepTheirGeometryOnA120DpiScreen) {
    if (qEnvironmentVariableIsSet(kScreenDpiVariable)) GTEST_SKIP() << "already the child";
    testsupport::TempFolder folder;
    const std::string config = folder.File("screen.json");
    {
        QFile json(Q(config));
        ASSERT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920,
                       "height": 1080, "logicalDpi": 120}]})");
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Without this Qt turns the screen's resolution into a pixel ratio and
    // still reports 96 dpi.
    env.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
    env.insert(kScreenDpiVariable, "120");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"-platform", Q("offscreen:configfile=" + config),
                 "--gtest_filter=CotchetPages.*:CotchetTable.*:CotchetPrint.Mixed*"});
    ASSERT_TRUE(child.waitForFinished(300000));
    const std::string output = child.readAll().toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_TRUE(Has(output, "[  PASSED  ]")) << output;
    EXPECT_FALSE(Has(output, "[  FAILED  ]")) << output;
}

}  // namespace

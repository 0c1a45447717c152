#include "controls/megatabs.h"

#include "controls/megabutton.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using tabs::Hit;
using tabs::HitKind;

TEST(MegaTabsGeometry, SlotWidth) {
    struct Case {
        int width, count, tabWidth, previous, slot;
    };
    const std::vector<Case> cases = {
        {760, 10, 150, 0, 70}, {760, 10, 50, 0, 50},  {760, 3, 150, 0, 150}, {65, 10, 150, 0, 1},
        {40, 2, 150, 0, 1},    {760, 0, 150, 70, 70}, {760, 0, 150, 0, 1},   {760, 4, 0, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tabs::SlotWidth(c.width, c.count, c.tabWidth, c.previous), c.slot)
            << c.width << " " << c.count << " " << c.tabWidth;
    }
}

TEST(MegaTabsGeometry, HitTest) {
    // Ten tabs of 70 on 760, a 30-pixel row; tab 1's close box is strictly
    // inside x 122 ... 137, y 9 ... 24.
    struct Case {
        int x, y;
        bool closed;
        Hit hit;
    };
    const std::vector<Case> cases = {
        {0, 10, true, {HitKind::Tab, 0}},
        {71, 5, true, {HitKind::Tab, 0}},
        {72, 5, true, {HitKind::Tab, 1}},
        {130, 16, true, {HitKind::Close, 1}},
        {130, 16, false, {HitKind::Tab, 1}},
        {122, 16, true, {HitKind::Tab, 1}},
        {123, 10, true, {HitKind::Close, 1}},
        {136, 23, true, {HitKind::Close, 1}},
        {137, 16, true, {HitKind::Tab, 1}},
        {130, 24, true, {HitKind::Tab, 1}},
        {702, 10, true, {HitKind::Add, 10}},
        {759, 29, true, {HitKind::Add, 10}},
        {690, 16, true, {HitKind::Close, 9}},
        {300, 30, true, {}},
        {760, 10, true, {}},
        {-1, 10, true, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tabs::HitTest(c.x, c.y, 760, 70, 30, 10, c.closed), c.hit) << c.x << "," << c.y;
    }
    EXPECT_EQ(tabs::HitTest(10, 10, 760, 0, 30, 10, true), Hit{});   // no slot yet
    EXPECT_EQ(tabs::HitTest(10, 10, 760, 150, 0, 10, true), Hit{});  // no tab row
}

// A shown strip of ten tabs on 760 pixels, events recorded.
struct Strip {
    TMegaTabs tabs;
    std::vector<std::string> log;
    explicit Strip(int count = 10) {
        tabs.resize(760, 200);
        tabs.Color = QColor(0, 128, 128);
        for (int i = 0; i < count; ++i)
            tabs.Tabs.push_back("Лист " + std::to_string(i + 1));
        tabs.OnChangeTab = [this](TMegaTabs*) {
            log.push_back("change " + std::to_string(tabs.ItemIndex));
        };
        tabs.OnAddClick = [this](TMegaTabs*) { log.push_back("add"); };
        tabs.OnClearTab = [this](TMegaTabs*, int i) {
            log.push_back("clear " + std::to_string(i));
        };
        tabs.OnClick = [this](TMegaTabs*) { log.push_back("click"); };
        tabs.show();
        QApplication::processEvents();
    }
    void Click(int x, int y) { QTest::mouseClick(&tabs, Qt::LeftButton, {}, QPoint(x, y)); }
};

TEST(MegaTabsMouse, PressSelectsATab) {
    Strip s;
    EXPECT_EQ(s.tabs.Slot(), 70);
    s.Click(3 * 70 + 20, 15);
    EXPECT_EQ(s.tabs.ItemIndex, 3);
    EXPECT_EQ(s.log, std::vector<std::string>{"change 3"});
    s.log.clear();
    s.Click(300, 100);  // the body
    EXPECT_EQ(s.tabs.ItemIndex, 3);
    EXPECT_TRUE(s.log.empty());
}

TEST(MegaTabsMouse, AddAreaRaisesOnlyOnAddClick) {
    Strip s;
    s.tabs.SetInd(9);
    s.log.clear();
    s.Click(720, 15);
    EXPECT_EQ(s.log, std::vector<std::string>{"add"});
    EXPECT_EQ(s.tabs.ItemIndex, 9);
    EXPECT_EQ(s.tabs.Tabs.size(), 10u);
    // A selection left outside the list by the program comes back to the
    // last tab, never one past it.
    s.tabs.ItemIndex = 12;
    s.Click(720, 15);
    EXPECT_EQ(s.tabs.ItemIndex, 9);
}

TEST(MegaTabsMouse, ClosingTabs) {
    struct Case {
        int count, selected, closing, selectedAfter;
    };
    // Slots of 150 for three tabs; the close box of tab i is near 150 (i + 1) - 10.
    for (const Case& c : {Case{3, 2, 2, 1}, Case{3, 0, 2, 0}, Case{3, 2, 0, 1}, Case{1, 0, 0, 0}}) {
        Strip s(c.count);
        s.tabs.ItemIndex = c.selected;
        s.Click(150 * (c.closing + 1) - 10, 16);
        EXPECT_EQ(s.tabs.Tabs.size(), static_cast<std::size_t>(c.count - 1));
        EXPECT_EQ(s.tabs.ItemIndex, c.selectedAfter) << c.count << c.selected << c.closing;
        EXPECT_EQ(s.log, (std::vector<std::string>{"clear " + std::to_string(c.closing),
                                                   "change " + std::to_string(c.selectedAfter)}));
    }
}

TEST(MegaTabsMouse, CloseHandlerMayEmptyTheList) {
    Strip s(3);
    s.tabs.OnClearTab = [&s](TMegaTabs*, int) { s.tabs.Tabs.clear(); };
    s.Click(150 * 3 - 10, 16);
    EXPECT_TRUE(s.tabs.Tabs.empty());
}

// Fill colour inside tab i's close box, left of its cross.
QRgb CloseFill(const QImage& img, int slot, int i) {
    return img.pixel(slot * (i + 1) - 19 + 1, 30 / 2 - 6 + 8);
}

TEST(MegaTabsLook, HoverDarkensOnlyThatCloseBox) {
    Strip s;
    const QImage before = s.tabs.Buffer().copy();
    QTest::mouseMove(&s.tabs, QPoint(130, 16));
    QApplication::processEvents();
    EXPECT_EQ(s.tabs.HoveredClose(), 1);
    const QImage& after = s.tabs.Buffer();
    EXPECT_EQ(QColor(CloseFill(after, 70, 1)), Darker(QColor(CloseFill(before, 70, 1)), 0x20));
    for (int i : {0, 2, 9})
        EXPECT_EQ(CloseFill(after, 70, i), CloseFill(before, 70, i)) << i;
    QTest::mouseMove(&s.tabs, QPoint(300, 100));
    QApplication::processEvents();
    EXPECT_EQ(s.tabs.HoveredClose(), -1);
    EXPECT_EQ(CloseFill(s.tabs.Buffer(), 70, 1), CloseFill(before, 70, 1));
}

TEST(MegaTabsLook, TabModeShapes) {
    Strip s;
    s.tabs.SetInd(2);
    const QImage& img = s.tabs.Buffer();
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_EQ(img.pixel(0, 0), s.tabs.Color.rgb());  // outside everything
    EXPECT_EQ(img.pixel(4, 20), black);              // tab 0's left edge
    EXPECT_EQ(img.pixel(2 * 70 + 4, 20), black);     // selected tab, left edge
    EXPECT_EQ(img.pixel(2 * 70 + 30, 1), black);     // selected tab stands higher
    EXPECT_EQ(img.pixel(3 * 70 + 30, 1), s.tabs.Color.rgb());
    EXPECT_EQ(img.pixel(300, 29), black);          // body top under other tabs
    EXPECT_NE(img.pixel(2 * 70 + 30, 29), black);  // open under the selected one
    EXPECT_EQ(img.pixel(1, 100), black);           // body's left edge
}

TEST(MegaTabsLook, DisabledGreyEverySecondRow) {
    for (int tabHeight : {30, -1}) {
        Strip s;
        s.tabs.TabHeight = tabHeight;
        s.tabs.Enabled = false;
        s.tabs.Draw();
        const QImage& img = s.tabs.Buffer();
        const QRgb grey = qRgb(0xC0, 0xC0, 0xC0);
        for (int y = 0; y < 200; y += 2) {
            ASSERT_EQ(img.pixel(1, y), grey) << y;
            ASSERT_EQ(img.pixel(757, y), grey) << y;
        }
        EXPECT_NE(img.pixel(0, 100), grey);
        EXPECT_NE(img.pixel(300, 99), grey);
    }
}

TEST(MegaTabsPanel, FrameFollowsDown) {
    Strip s(0);
    s.tabs.TabHeight = -1;
    s.tabs.resize(200, 50);
    const QRgb light = qRgb(0xFA, 0xFA, 0xFA), black = qRgb(0, 0, 0);
    s.tabs.Draw();
    EXPECT_EQ(s.tabs.Buffer().pixel(100, 0), light);
    EXPECT_EQ(s.tabs.Buffer().pixel(0, 25), light);
    EXPECT_EQ(s.tabs.Buffer().pixel(199, 25), black);
    EXPECT_EQ(s.tabs.Buffer().pixel(100, 49), black);
    s.tabs.SetDown(true);
    EXPECT_EQ(s.tabs.Buffer().pixel(100, 0), black);
    EXPECT_EQ(s.tabs.Buffer().pixel(100, 49), light);
    s.tabs.Cti3D = false;
    s.tabs.Draw();
    EXPECT_EQ(s.tabs.Buffer().pixel(100, 49), black);
}

TEST(MegaTabsPanel, PressesAsAPanel) {
    struct Case {
        int tabHeight;
        bool panelTabs, downOk;
        std::vector<std::string> log;
        bool down;
    };
    const std::vector<Case> cases = {
        {0, false, false, {"click"}, false},
        {-1, false, true, {"click"}, true},
        {-1, true, false, {}, false},
    };
    for (const Case& c : cases) {
        Strip s;
        s.tabs.TabHeight = c.tabHeight;
        s.tabs.PanelTabs = c.panelTabs;
        s.tabs.DownOk = c.downOk;
        s.Click(100, 5);
        EXPECT_EQ(s.log, c.log) << c.tabHeight;
        EXPECT_EQ(s.tabs.Down, c.down) << c.tabHeight;
        EXPECT_EQ(s.tabs.ItemIndex, 0);
    }
}

TEST(MegaTabs, SlotBeforeTheFirstDraw) {
    TMegaTabs strip;  // never shown, never drawn
    strip.resize(760, 100);
    EXPECT_EQ(strip.Slot(), 150);
    strip.Tabs.assign(10, "x");
    EXPECT_EQ(strip.Slot(), 70);
    strip.resize(40, 100);
    EXPECT_EQ(strip.Slot(), 1);
}

TEST(MegaTabs, IndexesOutsideTheListChangeNothing) {
    Strip s(3);
    s.tabs.SetInd(1);
    s.log.clear();
    const int renders = s.tabs.Renders();
    for (int bad : {-1, 3, 100})
        s.tabs.SetInd(bad);
    EXPECT_EQ(s.tabs.ItemIndex, 1);
    EXPECT_TRUE(s.log.empty());
    EXPECT_EQ(s.tabs.Renders(), renders);
    // Pictures the list does not have are left out.
    s.tabs.ImageIndex = 4;
    s.tabs.Image.Add(QImage(8, 8, QImage::Format_RGB32));
    s.tabs.Draw();
    s.tabs.TabHeight = -1;
    s.tabs.Draw();
    EXPECT_EQ(s.tabs.Renders(), renders + 2);
}

TEST(MegaTabs, ListOperationsRaiseTheirEvents) {
    Strip s(0);
    s.tabs.SetTAbs({"Один", "Два"});
    s.tabs.AddTabs("Три");
    s.tabs.SetInd(2);
    EXPECT_EQ(s.tabs.GetTabs().size(), 3u);
    EXPECT_EQ(s.log, (std::vector<std::string>{"change 0", "change 2"}));
}

TEST(MegaTabs, AddGradPosHasItsOwnPhase) {
    Strip a, b;
    const double tabs = TMegaTabs::GradPhase();
    const double buttons = TMegaButton::GradPhase();
    a.tabs.AddGradPos(0.25f);
    b.tabs.AddGradPos(0.25f);
    EXPECT_NEAR(TMegaTabs::GradPhase(), tabs + 0.5, 1e-6);
    EXPECT_NEAR(b.tabs.GradPos, FoldGradPos(static_cast<float>(std::sin(tabs + 0.5))), 1e-6);
    EXPECT_EQ(TMegaButton::GradPhase(), buttons);
}

}  // namespace

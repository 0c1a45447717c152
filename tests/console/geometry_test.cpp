#include <gtest/gtest.h>

#include "console/geometry.h"

namespace {

using console::Point;
using console::Size;

TEST(ConsoleGeometry, PanelsCentreOnIntegerHalves) {
    struct Case {
        Size window, panel;
        Point expected;
    };
    const Case cases[] = {
        {{1390, 755}, {620, 230}, {385, 262}},
        {{1033, 756}, {100, 101}, {466, 327}},
        {{300, 200}, {400, 300}, {-50, -50}},  // larger than the window: off its corner
    };
    for (const Case& c : cases)
        EXPECT_EQ(console::CentredOrigin(c.window, c.panel), c.expected);
}

TEST(ConsoleGeometry, EdgeResizeFollowsTheCursorUnlessMaximised) {
    const Size min{1032, 755};
    EXPECT_EQ(console::EdgeResized({1200, 800}, {10, 10}, {60, 30}, min, false, {1200, 800}),
              (Size{1250, 820}));
    // Never below the minimum.
    EXPECT_EQ(console::EdgeResized({1100, 800}, {500, 500}, {0, 0}, min, false, {1100, 800}),
              (Size{1032, 755}));
    // A maximised window keeps its size.
    EXPECT_EQ(console::EdgeResized({1200, 800}, {10, 10}, {60, 30}, min, true, {1920, 1080}),
              (Size{1920, 1080}));
    EXPECT_EQ(console::DraggedOrigin({400, 300}, {10, 10}, {-5, 40}), (Point{385, 330}));
}

TEST(ConsoleGeometry, TheWindowCoversTheFreeAreaOfItsScreen) {
    const Size min{1032, 755};
    struct Case {
        console::Rect free;
        console::Rect expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {{0, 0, 1280, 800}, {0, 0, 1280, 800}},
        {{1920, 0, 1366, 740}, {1920, 0, 1366, 755}},  // second screen, a panel below
        {{0, 0, 800, 600}, {0, 0, 1032, 755}},         // smaller than the window can be
    };
    for (const Case& c : cases)
        EXPECT_EQ(console::ScreenFit(c.free, min), c.expected);
}

TEST(ConsoleGeometry, ControlsGrowOnlyBeyondTheNormalWindow) {
    struct Case {
        Size window;
        double scale;
    };
    const Case cases[] = {
        {{1032, 755}, 1.0},   {{1390, 755}, 1.0},  {{1366, 768}, 1.0},
        {{1920, 1080}, 1.35}, {{2560, 1440}, 1.8}, {{7680, 4320}, 2.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(console::UiScale(c.window), c.scale) << c.window.w;
}

TEST(ConsoleGeometry, TestTimeShowsWholeSeconds) {
    struct Case {
        double seconds;
        const char* text;
    };
    const Case cases[] = {{3725.0, "01:02:05"}, {3725.99, "01:02:05"}, {0.0, "00:00:00"},
                          {-3.0, "00:00:00"},   {59.5, "00:00:59"},    {360000.0, "100:00:00"}};
    for (const Case& c : cases)
        EXPECT_EQ(console::TestTimeText(c.seconds), c.text) << c.seconds;
}

TEST(ConsoleGeometry, SampleDropWidensForLongFirstItems) {
    EXPECT_EQ(console::SampleDropWidth(100), 280);
    EXPECT_EQ(console::SampleDropWidth(279), 280);
    EXPECT_EQ(console::SampleDropWidth(280), 560);
}

TEST(ConsoleGeometry, ListLinesSplitAtTheFirstEquals) {
    const console::ListLine a = console::SplitListLine("Начальный диаметр, мм=10,00");
    EXPECT_EQ(a.caption, "Начальный диаметр, мм");
    EXPECT_EQ(a.value, "10,00");
    const console::ListLine b = console::SplitListLine("a=b=c");
    EXPECT_EQ(b.caption, "a");
    EXPECT_EQ(b.value, "b=c");
    EXPECT_EQ(console::SplitListLine("no value").value, "");
}

}  // namespace

#include "console/look.h"

namespace {

TEST(ConsolePictures, TheWindowsOwnPicturesDecode) {
    for (const char* name : {"logo.jpg", "start.jpg", "stop.jpg"})
        EXPECT_FALSE(console::Picture(name).isNull()) << name;
}

}  // namespace

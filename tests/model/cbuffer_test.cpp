#include "model/cbuffer.h"

#include <gtest/gtest.h>

namespace {

TEST(CBuffer, FreshChannelsAreEmptyAndNamedZero) {
    C_Buffer b;
    b.SetCanCount(7);
    ASSERT_EQ(b.GetCanCount(), 7);
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(b.GetCount(c), 0);
        EXPECT_EQ(b.GetName(c), "0");
    }
}

TEST(CBuffer, RunningRangeAndClear) {
    C_Buffer b;
    b.SetCanCount(2);
    for (double v : {5.0, 3.0, 8.0})
        b.AddValue(1, v);
    EXPECT_EQ(b.GetCount(1), 3);
    EXPECT_EQ(b.GetMin(1), 3.0);
    EXPECT_EQ(b.GetMax(1), 8.0);
    EXPECT_EQ(b.GetValue(1, 2), 8.0);
    EXPECT_EQ(b.GetValue(1, 3), 0.0);  // index equal to the count
    b.ClearCan(1);
    EXPECT_EQ(b.GetCount(1), 0);
    EXPECT_EQ(b.GetMin(1), 0.0);
    EXPECT_EQ(b.GetMax(1), 0.0);
}

TEST(CBuffer, GetMaxScansEverySampleTheFirstIncluded) {
    struct Case {
        std::vector<double> samples;
        double min;
        double max;
    };
    const Case cases[] = {
        {{9.0, 2.0, 3.0}, 2.0, 9.0},  // the maximum is the first sample
        {{-3.0, -1.0}, -3.0, -1.0},   // the range need not contain 0
        {{4.0}, 4.0, 4.0},
        {{}, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        C_Buffer b;
        b.SetCanCount(1);
        for (double v : c.samples)
            b.AddValue(0, v);
        b.cans[0].min = b.cans[0].max = 100.0;  // stale range, as after a plot edit
        EXPECT_EQ(b.GetMax(0), c.max);
        EXPECT_EQ(b.GetMin(0), c.min);
    }
}

TEST(CBuffer, ChannelsPastTheEndAreHarmless) {
    C_Buffer b;
    b.SetCanCount(7);
    b.AddValue(9, 1.0);
    b.AddValue(-1, 1.0);
    b.SetName(9, "x");
    b.ClearCan(9);
    for (int c : {7, 9, -1}) {
        EXPECT_EQ(b.GetName(c), "");
        EXPECT_EQ(b.GetCount(c), 0);
        EXPECT_EQ(b.GetValue(c, 0), 0.0);
        EXPECT_EQ(b.GetMin(c), 0.0);
        EXPECT_EQ(b.GetMax(c), 0.0);
    }
}

TEST(CBuffer, ClearingAnnotations) {
    C_Buffer b;
    b.SetCanCount(7);
    b.AddValue(1, 2.0);
    b.AddPicLine(0, 0, 1, 1, 0xFF);
    b.AddPicPoint(1.5f, 2.5f, 0xFF00, 2, 1, 0, "Fm");
    b.AddPrintRect(0, 10, 5, 0, 2, 1);
    ASSERT_EQ(b.picPoints.size(), 1u);
    EXPECT_EQ(b.picPoints[0].firstChannel, 2);
    EXPECT_EQ(b.picPoints[0].secondChannel, 1);
    EXPECT_EQ(b.picPoints[0].labelX, 1.5f);
    EXPECT_EQ(b.picPoints[0].colour, 0xFF00);
    EXPECT_EQ(b.printRects[0].upperX, 10.0f);
    EXPECT_EQ(b.printRects[0].xChannel, 2);

    b.ClearPics();  // takes the print windows too
    EXPECT_TRUE(b.picPoints.empty());
    EXPECT_TRUE(b.picLines.empty());
    EXPECT_TRUE(b.printRects.empty());
    EXPECT_EQ(b.GetCount(1), 1);

    b.AddPrintRect(0, 10, 5, 0, 2, 1);
    b.ClearAll();
    EXPECT_TRUE(b.printRects.empty());
    EXPECT_EQ(b.GetCount(1), 0);
}

}  // namespace

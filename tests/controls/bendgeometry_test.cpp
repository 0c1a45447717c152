#include "controls/bendgeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;

double Distance(const bend::line& l, double x, double y) {
    return std::fabs(l.a * x + l.b * y + l.c) / std::hypot(l.a, l.b);
}

TEST(AddTangent, OneLineWhenTheCirclesHaveThatTangent) {
    struct Case {
        const char* what;
        double dx, dy, r1, r2;
        bool added;
        bend::line expected;
    };
    const Case cases[] = {
        {"outer, side by side", 10, 0, 1, 1, true, {0, -1, 1}},
        {"inner, side by side", 10, 0, -1, 1, true, {0.2, -std::sqrt(96.0) / 10, -1}},
        // |d| = 100 - 0.25 is taken whole: sqrt(99), as the picture always was.
        {"whole part of d", 10, 0, 0, 0.5, true, {0.05, -std::sqrt(99.0) / 10, 0}},
        // Stacked circles of equal radius: the tangent is vertical, b would be 0.
        {"vertical", 0, 10, 1, 1, true, {1, 0.000001, 1}},
        {"one inside the other", 1, 0, 1, 5, false, {}},
        {"coincident centres, equal radii", 0, 0, 3, 3, false, {}},
        {"coincident centres", 0, 0, 1, 3, false, {}},
        {"not a number", kNaN, 0, 1, 1, false, {}},
        {"infinite radius", 10, 0, kInf, 1, false, {}},
        {"both radii infinite", 10, 0, kInf, kInf, false, {}},
        {"square overflows", 1e200, 1e200, 1, 1, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<bend::line> list{{7, 8, 9}};
        bend::AddTangent(c.dx, c.dy, c.r1, c.r2, list);
        ASSERT_EQ(list.size(), c.added ? 2u : 1u) << c.what;
        EXPECT_EQ(list[0].a, 7) << c.what;  // appended, never replacing
        if (!c.added) continue;
        EXPECT_NEAR(list[1].a, c.expected.a, 1e-12) << c.what;
        EXPECT_NEAR(list[1].b, c.expected.b, 1e-12) << c.what;
        EXPECT_NEAR(list[1].c, c.expected.c, 1e-12) << c.what;
    }
}

TEST(Tangents, CommonTangentsInSignOrderTouchBothCircles) {
    struct Case {
        const char* what;
        bend::Circle A, B;
        size_t lines;
    };
    const Case cases[] = {
        {"apart", {50, 50, 20}, {150, 115, 45}, 4},
        {"apart, other order", {150, 115, 45}, {50, 50, 20}, 4},
        {"touching outside", {0, 0, 3}, {8, 6, 7}, 4},
        {"overlapping: outer only", {0, 0, 5}, {6, 0, 5}, 2},
        {"touching inside", {0, 0, 10}, {6, 8, 20}, 2},
        {"one inside the other", {0, 0, 10}, {1, 1, 2}, 0},
        {"concentric", {4, 4, 2}, {4, 4, 2}, 0},
    };
    for (const Case& c : cases) {
        const std::vector<bend::line> lines = bend::Tangents(c.A, c.B);
        ASSERT_EQ(lines.size(), c.lines) << c.what;
        for (const bend::line& l : lines) {
            EXPECT_NEAR(Distance(l, c.A.x, c.A.y), c.A.radius, 0.05) << c.what;
            EXPECT_NEAR(Distance(l, c.B.x, c.B.y), c.B.radius, 0.05) << c.what;
        }
    }
    // Apart, the third line is an inner tangent: the centres on either side.
    const std::vector<bend::line> lines = bend::Tangents({50, 50, 20}, {150, 115, 45});
    const bend::line& inner = lines[2];
    EXPECT_LT((inner.a * 50 + inner.b * 50 + inner.c) * (inner.a * 150 + inner.b * 115 + inner.c),
              0);
}

TEST(VectorAngle, AngleBetweenIntegerVectors) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    struct Case {
        int ux, uy, vx, vy;
        double radians;
    };
    const Case cases[] = {
        {1, 0, 0, 1, kPi / 2},   {3, 4, 6, 8, 0},  // parallel: the cosine is clamped, never NaN
        {3, 4, -3, -4, kPi},     {1, 0, 1, 1, kPi / 4},
        {0, 0, 5, 5, kPi / 2},  // a zero vector counts as length √0.1
        {0, 0, 0, 0, kPi / 2},   {kMax, kMax, kMax, kMax, 0},  // squares far beyond an int
        {kMin, 0, kMax, 0, kPi},
    };
    for (const Case& c : cases) {
        const double angle = bend::VectorAngle(c.ux, c.uy, c.vx, c.vy);
        EXPECT_NEAR(angle, c.radians, 1e-7) << c.ux << "," << c.uy << " " << c.vx << "," << c.vy;
    }
}

TEST(TruncToInt, OnlyWhatAnIntHolds) {
    struct Case {
        double v;
        std::optional<int> expected;
    };
    const Case cases[] = {{2.9, 2},
                          {-2.9, -2},
                          {2147483647.5, 2147483647},
                          {-2147483648.9, -2147483647 - 1},
                          {2147483648.0, std::nullopt},
                          {-2147483649.0, std::nullopt},
                          {1e300, std::nullopt},
                          {kNaN, std::nullopt},
                          {-kInf, std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(bend::TruncToInt(c.v), c.expected) << c.v;
}

TEST(LayoutBend, FlatSpecimenLiesOnTheSupportsAtNoAngle) {
    const bend::Layout flat = bend::LayoutBend({});
    EXPECT_EQ(flat.width, 300);
    EXPECT_EQ(flat.mandrel.x, 150);
    EXPECT_EQ(flat.mandrel.y, 115);
    ASSERT_TRUE(flat.arms.has_value());
    // Lower face on the supports' tops, upper face under the mandrel.
    const double lower = 50 + 20;
    const double upper = 115 - 25;
    const double faces[] = {lower, lower, upper, upper};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR((*flat.arms)[i].y1, faces[i], 1e-9) << i;
        EXPECT_NEAR((*flat.arms)[i].y2, faces[i], 1e-9) << i;
    }
    EXPECT_EQ((*flat.arms)[0].x1, 1);
    EXPECT_EQ((*flat.arms)[1].x2, 300);
    ASSERT_TRUE(flat.angle.has_value());
    EXPECT_EQ(*flat.angle, 0);
}

TEST(LayoutBend, AngleGrowsWithTheTravel) {
    double previous = 0;
    for (const double travel : {5.0, 20.0, 40.0, 60.0, 80.0}) {
        bend::Inputs in;
        in.travel = travel;
        const bend::Layout layout = bend::LayoutBend(in);
        ASSERT_TRUE(layout.angle.has_value()) << travel;
        EXPECT_GT(*layout.angle, previous) << travel;
        EXPECT_LT(*layout.angle, 180) << travel;
        previous = *layout.angle;
        // Both arms fall toward the mandrel: the left one down to the right.
        EXPECT_LT((*layout.arms)[0].y2, (*layout.arms)[0].y1) << travel;
        EXPECT_LT((*layout.arms)[1].y1, (*layout.arms)[1].y2) << travel;
    }
}

TEST(LayoutBend, NoArmsOrNoAngleIsAClearNoResult) {
    struct Case {
        const char* what;
        bend::Inputs in;
        bool arms;
    };
    const Case cases[] = {
        // The mandrel sinks between supports too close to pass it.
        {"overlapping circles", {40, 40, 50, 20, 65}, false},
        {"not a number", {200, 40, 50, kNaN, 0}, false},
        {"infinite travel", {200, 40, 50, 20, kInf}, false},
        {"too wide to square", {1e300, 40, 50, 20, 0}, false},
        // Drawable, but the vector components would not fit an int.
        {"wider than an int", {1e12, 40, 50, 20, 0}, true},
        {"deeper than an int", {200, 40, 50, 20, 1e12}, true},
    };
    for (const Case& c : cases) {
        const bend::Layout layout = bend::LayoutBend(c.in);
        EXPECT_EQ(layout.arms.has_value(), c.arms) << c.what;
        EXPECT_FALSE(layout.angle.has_value()) << c.what;
    }
}

}  // namespace

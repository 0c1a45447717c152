#include "platform/formatfloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class FormatFloatTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::DecimalSeparator();
        platform::SetDecimalSeparator(',');
    }
    void TearDown() override { platform::SetDecimalSeparator(saved_); }

private:
    char saved_ = '.';
};

TEST_F(FormatFloatTest, RoundsHalfAwayFromZeroOnTheDecimalValue) {
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0", 0.4, "0"},
        {"0.00", 0.125, "0,13"},
        {"0.00", 2.675, "2,68"},  // binary 2.67499999..., decimal 2.675
        {"0.000", 9.9996, "10,000"},
        {"0.00", 999.999, "1000,00"},
        {"0", 12.6, "13"},
        {"0.0", static_cast<double>(12.6f), "12,6"},
        {"0.0000", 2.92, "2,9200"},
        {"0.00", 1234567.891, "1234567,89"},
        {"0.00", 0.0, "0,00"},
        {"0.0", 0.05, "0,1"},
        {"0.0", 0.0004, "0,0"},
        {"00", 5.0, "05"},
        {"0.0#", 1.5, "1,5"},
        {"0.0#", 1.255, "1,26"},
        {"#.##", 0.5, ",5"},
        {"0.0 мм", 1.0, "1,0 мм"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::FormatFloat(c.pattern, c.value), c.expected)
            << c.pattern << " " << c.value;
    }
}

TEST_F(FormatFloatTest, NeverNegativeZero) {
    EXPECT_EQ(platform::FormatFloat("0.00", -0.001), "0,00");
    EXPECT_EQ(platform::FormatFloat("0.00", -0.0), "0,00");
    EXPECT_EQ(platform::FormatFloat("0", -0.4), "0");
    EXPECT_EQ(platform::FormatFloat("0.00", -0.005), "-0,01");
}

TEST_F(FormatFloatTest, SeparatorIsProgramWide) {
    platform::SetDecimalSeparator('.');
    EXPECT_EQ(platform::FormatFloat("0.00", 12.5), "12.50");
}

TEST_F(FormatFloatTest, ValuesOutsideTheFixedRange) {
    EXPECT_EQ(platform::FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(platform::FormatFloat("0", -std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(platform::FormatFloat("0.00", 1e20), "1E20");
}

TEST_F(FormatFloatTest, FloatToStrGivesFifteenDigits) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {static_cast<double>(12.6f), "12,6000003814697"},
        {0.5, "0,5"},
        {100.0, "100"},
        {-0.0, "0"},
        {-3.25, "-3,25"},
        {1e20, "1E20"},
        {1.5e-7, "1,5E-7"},
        {0.001, "0,001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::FloatToStr(c.value), c.expected) << c.value;
        // An empty pattern is the same general format, so a float parameter
        // without a format still writes its value to the INI file.
        EXPECT_EQ(platform::FormatFloat("", c.value), c.expected) << c.value;
    }
}

}  // namespace

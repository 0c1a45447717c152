#include "model/numtext.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/formatfloat.h"

namespace {

TEST(NumText, StrToFloatExTakesTheNumericPrefixInSinglePrecision) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"1,5", 1.5},
        {"1.5", 1.5},
        {"1,5,7", 1.5},  // only the first comma is a point
        {"abc", 0.0},
        {" -2e3x", -2000.0},
        {"", 0.0},
        {"+3", 3.0},
        {".5", 0.5},
        {"-,25", -0.25},
        {"0.001", static_cast<double>(0.001f)},
        {"2.92", static_cast<double>(2.92f)},
        {"inf", 0.0},
        {"nan", 0.0},
        {"1e39", 0.0},  // beyond single precision
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToFloatEx(c.text), c.expected) << c.text;
    EXPECT_EQ(StrToFloatEx("0.001"), 0.0010000000474974513);
}

TEST(NumText, FloatToStrAutoChoosesDecimalsBeforeRounding) {
    platform::SetDecimalSeparator(',');
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {9.9996, "10,000"},  {999.999, "1000,00"}, {1500.4, "1500"},
        {-12.345, "-12,35"}, {0.0, "0,000"},       {100.0, "100,00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStrAuto(c.value), c.expected) << c.value;
    platform::SetDecimalSeparator('.');
}

TEST(NumText, IntToStr2AndSecToStr) {
    EXPECT_EQ(IntToStr2(7), "07");
    EXPECT_EQ(IntToStr2(0), "00");
    EXPECT_EQ(IntToStr2(-5), "-5");
    EXPECT_EQ(IntToStr2(123), "123");
    EXPECT_EQ(SecToStr(3725, ":"), "01:02:05");
    EXPECT_EQ(SecToStr(-5, ":"), "00:00:00");
    EXPECT_EQ(SecToStr(360000, ":"), "100:00:00");
    EXPECT_EQ(SecToStr(59, " "), "00 00 59");
}

TEST(NumText, StrictIntegerConversion) {
    struct Case {
        const char* text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"-7", -7},
        {"007", 7},
        {"1.5", {}},
        {"1,5", {}},
        {"-", {}},
        {"", {}},
        {"12-3", {}},
        {"2147483647", INT_MAX},
        {"2147483648", {}},
        {"-2147483648", INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrToIntStrict(c.text), c.expected) << c.text;
}

TEST(NumText, ATypedNumberIsReadWholeOrRefused) {
    struct Case {
        const char* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"12ю5", 12.5},
        {"12Ю5", 12.5},
        {"12,5", 12.5},
        {" 12.5 ", 12.5},
        {"-ю5", -0.5},
        {"1e5", 100000.0},
        {"2.92", static_cast<double>(2.92f)},
        {"0", 0.0},
        // Never a prefix, never the digits picked out of a text.
        {"12ю5ю", {}},
        {"1,5,7", {}},
        {"12abc5", {}},
        {"-1 2,3 кН", {}},
        {"42 мс", {}},
        {"ю", {}},
        {"", {}},
        {"1e39", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadTypedFloat(c.text), c.expected) << c.text;

    const std::pair<const char*, std::optional<int>> integers[] = {
        {"42", 42}, {" -7 ", -7}, {"42 мс", {}}, {"1ю5", {}}, {"", {}}};
    for (const auto& [text, expected] : integers)
        EXPECT_EQ(ReadTypedInt(text), expected) << text;
}

}  // namespace

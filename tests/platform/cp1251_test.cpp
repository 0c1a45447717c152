#include "platform/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

// glibc's converter is an independent reading of the code page.
std::string IconvToUtf8(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* ip = in;
    char* op = out;
    size_t il = 1;
    size_t ol = sizeof out;
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return {};
    return std::string(out, static_cast<size_t>(op - out));
}

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(platform::Utf8ToCp1251(platform::Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, AgreesWithTheSystemConverter) {
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;  // unassigned; we keep it as U+0098 so it survives
        const std::string expected = IconvToUtf8(static_cast<unsigned char>(b));
        if (expected.empty()) continue;
        EXPECT_EQ(platform::Cp1251ToUtf8(std::string(1, static_cast<char>(b))), expected)
            << "byte " << b;
    }
    EXPECT_EQ(platform::Cp1251ToUtf8("\x98"), "\xC2\x98");
}

TEST(Cp1251, KnownTexts) {
    struct Case {
        const char* utf8;
        const char* cp1251;
    };
    const Case cases[] = {
        {"Наработка", "\xCD\xE0\xF0\xE0\xE1\xEE\xF2\xEA\xE0"},
        {"кН/c", "\xEA\xCD/c"},  // the "c" is Latin
        {"Ёё№", "\xA8\xB8\xB9"},
        {"σ€", "?\x88"},  // no Greek letters in the code page
        {"日本", "??"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
    }
}

TEST(Cp1251, MalformedUtf8BecomesQuestionMarks) {
    EXPECT_EQ(platform::Utf8ToCp1251("a\xD0"), "a?");          // cut sequence
    EXPECT_EQ(platform::Utf8ToCp1251("\xC0\xAF"), "??");       // overlong
    EXPECT_EQ(platform::Utf8ToCp1251("\xED\xA0\x80"), "???");  // surrogate
    EXPECT_EQ(platform::Utf8ToCp1251("\xFF"
                                     "b"),
              "?b");
}

}  // namespace

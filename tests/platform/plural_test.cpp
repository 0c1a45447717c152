#include "platform/plural.h"

#include <gtest/gtest.h>

namespace {

TEST(RussianPlural, BytesTakeTheFormTheirCountAsks) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0 байт"},
        {1, "1 байт"},
        {2, "2 байта"},
        {4, "4 байта"},
        {5, "5 байт"},
        {11, "11 байт"},
        {12, "12 байт"},
        {14, "14 байт"},
        {21, "21 байт"},
        {22, "22 байта"},
        {25, "25 байт"},
        {101, "101 байт"},
        {111, "111 байт"},
        {112, "112 байт"},
        {1004, "1004 байта"},
        {65535, "65535 байт"},
        {8589934592, "8589934592 байта"},
    };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(platform::CountOf(n, "байт", "байта", "байт"), text) << n;
}

TEST(RussianPlural, OneFewAndManyAreChosenForNounsThatDifferInEach) {
    const std::pair<uint64_t, const char*> cases[] = {
        {1, "файл"}, {3, "файла"}, {7, "файлов"}, {13, "файлов"}, {31, "файл"}, {44, "файла"},
    };
    for (const auto& [n, form] : cases)
        EXPECT_EQ(platform::RussianPlural(n, "файл", "файла", "файлов"), form) << n;
}

}  // namespace

#include "controls/symbolfont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using draw::SymbolRun;

struct SymbolCase {
    std::string caption;  // as held in memory, UTF-8
    std::string drawn;    // the flattened text
};

class SymbolTextTest : public testing::TestWithParam<SymbolCase> {};

TEST_P(SymbolTextTest, DrawsTheSigns) {
    const SymbolCase& c = GetParam();
    EXPECT_EQ(draw::SymbolText(c.caption).toStdString(), c.drawn);
    EXPECT_EQ(draw::SymbolText(QString::fromStdString(c.caption)).toStdString(), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, SymbolTextTest,
    testing::Values(
        // Each sign alone.
        SymbolCase{"`", "σ"}, SymbolCase{"~", "²"}, SymbolCase{"@", "δ"}, SymbolCase{"$", "ψ"},
        SymbolCase{"}", "ε"}, SymbolCase{"[", "0,2"}, SymbolCase{"{", "0,05"},
        SymbolCase{"]", "0,02"},
        // Parameter and channel captions of the test methods.
        SymbolCase{"Предел прочности `в, Н/мм~", "Предел прочности σв, Н/мм²"},
        SymbolCase{"Предел текучести (усл.) `[, Н/мм~", "Предел текучести (усл.) σ0,2, Н/мм²"},
        SymbolCase{"Предел упругости (усл.) `{, Н/мм~", "Предел упругости (усл.) σ0,05, Н/мм²"},
        SymbolCase{"Относительное удлинение @, %", "Относительное удлинение δ, %"},
        SymbolCase{"Относительное сужение $, %", "Относительное сужение ψ, %"},
        SymbolCase{"}, %", "ε, %"}, SymbolCase{"Площадь сечения, мм~", "Площадь сечения, мм²"},
        // After a Latin letter the accent marks an index and is not drawn.
        SymbolCase{"Максимальная нагрузка F`в, кН", "Максимальная нагрузка Fв, кН"},
        SymbolCase{"F`пц, кН", "Fпц, кН"}, SymbolCase{"F`[, кН", "F0,2, кН"},
        // Marker labels; a Cyrillic letter before the accent keeps σ.
        SymbolCase{"`пц", "σпц"}, SymbolCase{"`]", "σ0,02"}, SymbolCase{"ж`", "жσ"},
        // Plain text passes; empty stays empty.
        SymbolCase{"T,c", "T,c"}, SymbolCase{"", ""}, SymbolCase{"F`", "F"}));

TEST(SymbolRuns, IndexLettersAreARunOfTheirOwn) {
    const std::vector<SymbolRun> runs = draw::SymbolRuns("F`в, кН");
    const std::vector<SymbolRun> expected = {{"F", false}, {"в", true}, {", кН", false}};
    EXPECT_EQ(runs, expected);

    const std::vector<SymbolRun> twoIndexes = draw::SymbolRuns("F`[ и P`т");
    const std::vector<SymbolRun> expectedTwo = {
        {"F", false}, {"0,2", true}, {" и P", false}, {"т", true}};
    EXPECT_EQ(twoIndexes, expectedTwo);
}

TEST(SymbolRuns, SigmaAndSignsStayInTheLine) {
    const std::vector<SymbolRun> runs = draw::SymbolRuns("`в, Н/мм~");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text.toStdString(), "σв, Н/мм²");
    EXPECT_FALSE(runs[0].index);
    EXPECT_TRUE(draw::SymbolRuns("").empty());
}

TEST(SymbolFontName, OnlyTheSymbolFont) {
    EXPECT_TRUE(draw::IsSymbolFontName("Vortalinz"));
    EXPECT_FALSE(draw::IsSymbolFontName("Times New Roman"));
    EXPECT_FALSE(draw::IsSymbolFontName("vortalinz"));
}

}  // namespace

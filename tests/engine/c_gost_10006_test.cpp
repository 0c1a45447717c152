#include "engine/c_gost_10006.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/c_gostwork.h"
#include "model/cbuffer.h"
#include "platform/posixfile.h"
#include "support/curves.h"
#include "support/method_fixture.h"

namespace {

using namespace testsupport;
using namespace testsupport::curves;

// The results the method computes, all in group 3 when declared.
const char* const kResults[] = {"fF0", "fFIO", "fFIS", "fSB", "fSPC",
                                "fST", "fS02", "fPM",  "fPT", "fP02"};

// The pipe of the default list: outer diameter 10 mm, wall 2 mm, measured
// over the gauge length of 100 mm.
constexpr double kPipeArea = std::numbers::pi * 2.0 * 8.0;
const Specimen kPipe{kPipeArea, 100.0};

constexpr int kSamples = 20000;

Recording BilinearCurve(const Specimen& s = kPipe) {
    return ToFracture(Bilinear{}, kSamples, s);
}

using Gost10006 = MethodTest<C_Gost_10006>;

// ---------------------------------------------------------------- declarations

TEST_F(Gost10006, DeclaresItsThirtyEightParametersInOrder) {
    const std::vector<std::string> names = {
        "sFULLNAME", "sGO", "iTO",  "sDA", "sTI",  "sTE",  "sNI",     "sZL",  "sP001", "sP002",
        "sP003",     "fLs", "fL0",  "fD0", "fD0S", "fA0",  "fB0",     "fLK",  "fDK",   "fAK",
        "fBK",       "fSK", "fF0",  "fFK", "fFIO", "fFIS", "fSB",     "fSPC", "fST",   "fS02",
        "fPM",       "fPT", "fP02", "fOX", "fOY",  "fPos", "iVECTOR", "fS0"};
    ASSERT_EQ(method.Count(), 38);
    EXPECT_EQ(RecordNames(method), names);
    ExpectEveryRecordKept(method, true);
    EXPECT_EQ(CountInGroup(method, 3), 10);
    EXPECT_EQ(method.boundPercent, 0);
}

TEST_F(Gost10006, DeclarationsThatMatter) {
    // Look-alikes spelled by their bytes: a Latin C before the degree sign, a
    // Latin D and o in "Do", a Cyrillic а and a Latin o in "аo", a Latin lk.
    const Declared records[] = {
        {"sFULLNAME", "НАЗВАНИЕ", C_Parametr::kText, 4,
         "ТРУБЫ МЕТАЛЛИЧЕСКИЕ МЕТОД ИСПЫТАНИЯ НА РАСТЯЖЕНИЕ", "", ""},
        {"sGO", "Нормативный документ", C_Parametr::kText, 4, "ГОСТ 10006", "", ""},
        {"iTO", "Тип образца", C_Parametr::kInt, 4, "2", "$Цилиндрический?Плоский?Трубчатый?", "3"},
        {"sTI", "Время", C_Parametr::kText, 0, "00:00:00", "", ""},
        {"sTE", "Температура,C\xC2\xB0", C_Parametr::kText, 0, "20", "", ""},
        {"fL0", "Начальная расчетная длина, мм", C_Parametr::kFloat, 1, "100.000", "0.000",
         "3000.0"},
        {"fD0", "Начальный диаметр \x44\x6F, мм", C_Parametr::kFloat, 1, "10.000", "0.000",
         "1000.0"},
        {"fD0S", "Толщина стенки \xD0\xB0\x6F, мм", C_Parametr::kFloat, 1, "2.000", "0.000",
         "1000.0"},
        {"fA0", "Начальная ширина, мм", C_Parametr::kFloat, 4, "10.000", "0.000", "1000.0"},
        {"fLK", "Конечная длина \x6C\x6B, мм", C_Parametr::kFloat, 2, "0.000", "0.000", "1000.0"},
        {"fDK", "Конечный диаметр , мм", C_Parametr::kFloat, 2, "9.000", "0.000", "1000.0"},
        {"fSK", "Конечная площадь образца, мм~", C_Parametr::kFloat, 4, "0.000", "0.000", "1000.0"},
        {"fF0", "Площадь сечения, мм~", C_Parametr::kFloat, 3, "0.000", "0.000", "10000.0"},
        {"fSB", "Предел прочности `в, МПа", C_Parametr::kFloat, 3, "0.000", "0.000", "10000000.0"},
        {"fS02", "Предел текучести (усл.) `[, МПа", C_Parametr::kFloat, 3, "0.000", "0.000",
         "10000000.0"},
        {"fPM", "Максимальная нагрузка F`в, кН", C_Parametr::kFloat, 3, "0.000", "0.000",
         "10000000.0"},
        {"fP02", "Нагрузка при условном пределе текучести F`[, кН", C_Parametr::kFloat, 3, "0.000",
         "0.000", "10000000.0"},
        {"fOX", "L,мм", C_Parametr::kInt, 4, "2", "0.000", "6"},
        {"fOY", "F,кН", C_Parametr::kInt, 4, "1", "0.000", "6"},
        {"fPos", "Поз Образца", C_Parametr::kInt, 4, "0", "0.000", "2"},
        {"iVECTOR", "ТИП ИСПЫТАНИЯ", C_Parametr::kInt, 4, "0", "0", "3"},
        {"fS0", "Площадь сечения, мм~", C_Parametr::kFloat, 4, "0.000", "0.000", "100000.0"},
    };
    for (const Declared& d : records)
        ExpectDeclared(method, d);
    const std::tuple<const char*, double, double> floatLimits[] = {
        {"fL0", -1000.0, 3000.0},     {"fD0", -1000.0, 1000.0},   {"fD0S", -1000.0, 1000.0},
        {"fA0", -1000.0, 1000.0},     {"fLK", -1000.0, 1000.0},   {"fDK", -1000.0, 1000.0},
        {"fSK", -1000.0, 1000.0},     {"fF0", -10000.0, 10000.0}, {"fSB", -1e7, 1e7},
        {"fS02", -1e7, 1e7},          {"fPM", -1e7, 1e7},         {"fP02", -1e7, 1e7},
        {"fS0", -100000.0, 100000.0},
    };
    for (const auto& [name, min, max] : floatLimits)
        ExpectLimits(method, name, min, max);
    EXPECT_EQ(method.GetItem("iTO", 0), "Цилиндрический");
    EXPECT_EQ(method.GetItem("iTO", 1), "Плоский");
    EXPECT_EQ(method.GetItem("iTO", 2), "Трубчатый");
    EXPECT_EQ(method.GetText("sDA"), "05.03.2024");
    // The default is kept as typed, trailing blank included.
    EXPECT_EQ(method.GetValueText("fDK"), "9.00 ");
    EXPECT_EQ(method.GetFloat("fDK"), 9.0);
}

// ---------------------------------------------------------------- sample types and areas

TEST_F(Gost10006, SampleTypeMovesTheDimensionsAndClearsTheFinalLength) {
    // Cylinder, flat, pipe; 3 is no such type: the groups stay those of the pipe.
    const int types[] = {0, 1, 2, 3};
    const std::pair<const char*, std::array<int, 4>> groups[] = {
        {"fD0", {1, 4, 1, 1}}, {"fDK", {2, 4, 4, 4}},  {"fFIS", {3, 3, 4, 4}},
        {"fA0", {4, 1, 4, 4}}, {"fB0", {4, 1, 4, 4}},  {"fAK", {4, 2, 4, 4}},
        {"fBK", {4, 2, 4, 4}}, {"fD0S", {4, 4, 1, 1}},
    };
    ExpectSampleTypesMoveTheDimensionsAndClearTheFinalLength(types, groups);
}

TEST_F(Gost10006, UpdateAreaFollowsTheSampleType) {
    struct Case {
        const char* name;
        int type;
        const char* d0;
        const char* wall;
        const char* a0;
        const char* b0;
        double area;
    };
    const Case cases[] = {
        {"pipe 10 x 2", 2, "10", "2", "3", "4", 50.2655},  // pi * 2 * 8
        {"pipe 57 x 3.5", 2, "57", "3.5", "3", "4", 588.2632},
        {"pipe closed to a rod", 2, "10", "5", "3", "4", 78.5398},
        {"wall thicker than the radius", 2, "10", "6", "3", "4", 0.0},
        {"pipe without a wall", 2, "10", "0", "3", "4", 0.0},
        {"pipe with a negative diameter", 2, "-10", "2", "3", "4", 0.0},
        {"cylinder", 0, "10", "2", "3", "4", 78.5398},
        {"cylinder without a diameter", 0, "0", "2", "3", "4", 0.0},
        {"flat", 1, "10", "2", "3", "4", 12.0},
        {"flat with a negative thickness", 1, "10", "2", "3", "-4", 0.0},
        {"no formula", 3, "10", "2", "3", "4", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        method.SetSampleType(c.type);
        Set("fD0", c.d0);
        Set("fD0S", c.wall);
        Set("fA0", c.a0);
        Set("fB0", c.b0);
        method.UpdateArea();
        EXPECT_NEAR(method.GetFloat("fS0"), c.area, 1e-4);
    }
}

// ---------------------------------------------------------------- curves with known answers

class Gost10006Curves : public Gost10006, public ::testing::WithParamInterface<bool> {};

TEST_P(Gost10006Curves, MeetTheirClosedForms) {
    const bool noisy = GetParam();
    for (const KnownCurve& c : KnownCurves(kPipe, kSamples, noisy)) {
        SCOPED_TRACE(c.name);
        Set("fLK", "0");
        ExpectStrengthAndProofOf(c, kPipeArea, noisy);
        ExpectCutAt(kSamples, 3);
        EXPECT_NEAR(method.GetFloat("fF0"), kPipeArea, 1e-4);
        EXPECT_NEAR(method.GetFloat("fPT"), method.GetFloat("fST") * kPipeArea / 1000.0, 1e-4);
        EXPECT_GT(method.GetFloat("fSPC"), 0.0);
        EXPECT_LE(method.GetFloat("fSPC"), method.GetFloat("fSB"));
        EXPECT_EQ(Labels(buffer), (std::vector<std::string>{"`пц", "`т", "`[", "`в", "к"}));
        EXPECT_EQ(MarkerAt(buffer, "к"), kSamples - 1);
        EXPECT_EQ(MarkerAt(buffer, "`["), method.iOffset);
        EXPECT_EQ(MarkerAt(buffer, "`в"), method.iMax);
    }
}

INSTANTIATE_TEST_SUITE_P(Gost10006, Gost10006Curves, ::testing::Bool(), CleanOrNoisy);

TEST_F(Gost10006, ASlackToeIsNoOffsetPoint) {
    ExpectSlackToeIgnored(kPipe, kSamples, {});
}

TEST_F(Gost10006, UpperYieldPointWithinOneSample) {
    ExpectUpperYieldPoints(kSamples,
                           [](const UpperYield& c) { return ToFracture(c, kSamples, kPipe); });
}

TEST_F(Gost10006, BilinearPipeFinalLengthFromTheProportionalLimit) {
    const Bilinear c;
    const double step = c.fractureStrain / (kSamples - 1);
    Calculate(BilinearCurve());

    // The displacement from the proportional limit to the last sample before
    // the fall, on top of l0: 14 mm less the displacement at the limit.
    ASSERT_GT(method.xProp, 0.0f);
    EXPECT_LE(method.xProp, kPipe.Length(c.YieldStrain()) + kPipe.Length(step));
    const double lk = 100.0 + kPipe.Length(c.fractureStrain) - method.xProp;
    EXPECT_NEAR(method.GetFloat("fLK"), lk, 1e-3);
    EXPECT_NEAR(method.GetFloat("fFIO"), lk - 100.0, 1e-3);
    EXPECT_EQ(method.GetText("fF0"), "50.265");
    // A pipe has no final section: no reduction of area, and it is hidden.
    EXPECT_EQ(method.GetFloat("fFIS"), 0.0);

    // Marks at the points the analysis found, on displacement and force,
    // with neither values nor colour.
    EXPECT_EQ(MarkerAt(buffer, "`пц"), method.iProp);
    EXPECT_EQ(MarkerAt(buffer, "`в"), static_cast<int>(std::round(c.UniformStrain() / step)));
    for (const C_Buffer::SPicPoint& p : buffer.picPoints) {
        EXPECT_EQ(p.firstChannel, 2) << p.label;
        EXPECT_EQ(p.secondChannel, 1) << p.label;
        EXPECT_EQ(p.labelX, 0.0f) << p.label;
        EXPECT_EQ(p.labelY, 0.0f) << p.label;
        EXPECT_EQ(p.colour, 0) << p.label;
    }
    // Proportional limit, elastic line, two unloading lines, one offset line.
    ASSERT_EQ(buffer.picLines.size(), 5u);
    EXPECT_EQ(buffer.picLines[0].colour, C_Gost_Base::kGrey);
    EXPECT_EQ(buffer.picLines[1].colour, C_Gost_Base::kGreen);
    for (size_t i = 2; i < 5; ++i)
        EXPECT_EQ(buffer.picLines[i].colour, C_Gost_Base::kDarkGrey);
}

TEST_F(Gost10006, ReductionOfAreaByTheSampleType) {
    struct Case {
        const char* name;
        int type;
        const char* finalDiameter;
        double reduction;
    };
    const Case cases[] = {
        {"cylinder 10 to 9", 0, "9", 19.0},
        {"flat 10 x 10 to 9 x 9", 1, "9", 19.0},
        {"cylinder without a final diameter", 0, "0", 0.0},
        {"pipe", 2, "9", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        method.SetSampleType(c.type);
        Set("fDK", c.finalDiameter);
        const double area = c.type == 2 ? kPipeArea : c.type == 0 ? 78.5398 : 100.0;
        Calculate(BilinearCurve({area, 100.0}));
        EXPECT_NEAR(method.GetFloat("fFIS"), c.reduction, 1e-4);
        EXPECT_NEAR(method.GetFloat("fSB"), 450.0, 0.01);
    }
}

// ---------------------------------------------------------------- final length

TEST_F(Gost10006, AnEmptyFinalLengthIsFilledInAndATypedOneIsKept) {
    Calculate(BilinearCurve());
    const double computed = method.GetFloat("fLK");
    ASSERT_GT(computed, 110.0);

    // The same curve again: the filled-in length is still the curve's.
    method.Calculate();
    EXPECT_EQ(method.GetFloat("fLK"), computed);

    Set("fLK", "120");
    method.Calculate();
    EXPECT_EQ(method.GetFloat("fLK"), 120.0);
    EXPECT_NEAR(method.GetFloat("fFIO"), 20.0, 1e-4);

    // Choosing a sample type clears it for the next test.
    method.SetSampleType(2);
    method.Calculate();
    EXPECT_EQ(method.GetFloat("fLK"), computed);
}

TEST_F(Gost10006, AFinalLengthBeyondItsLimitStillGivesTheElongation) {
    // 1200 mm may be typed as l0, but the final length holds at most 1000.
    Set("fL0", "1200");
    const Bilinear c;
    Calculate(BilinearCurve({kPipeArea, 1200.0}));
    EXPECT_EQ(method.GetFloat("fLK"), 1000.0);
    const double elongation = (1200.0 * c.fractureStrain - method.xProp) * 100.0 / 1200.0;
    EXPECT_NEAR(method.GetFloat("fFIO"), elongation, 1e-3);
    method.Calculate();
    EXPECT_NEAR(method.GetFloat("fFIO"), elongation, 1e-3);
}

TEST_F(Gost10006, UnusableFinalLengthGivesNoElongation) {
    Set("fLK", "-20");
    Calculate(BilinearCurve());
    EXPECT_EQ(method.GetFloat("fFIO"), 0.0);
    EXPECT_EQ(method.GetFloat("fLK"), -20.0);
    EXPECT_NEAR(method.GetFloat("fSB"), 450.0, 0.01);
}

// ---------------------------------------------------------------- the calculation's rules

TEST_F(Gost10006, PlotChannelsOfTheListAreNotRead) {
    Calculate(BilinearCurve());
    const std::vector<std::string> before = Texts(method, kResults);
    Set("fOX", "5");
    Set("fOY", "4");
    Calculate(BilinearCurve());
    EXPECT_EQ(method.xChannel, 2);
    EXPECT_EQ(method.yChannel, 1);
    EXPECT_EQ(Texts(method, kResults), before);
    EXPECT_EQ(buffer.picPoints.size(), 5u);
}

TEST_F(Gost10006, NineSamplesLeaveNoResultOrPictureOfTheTestBefore) {
    Calculate(BilinearCurve());
    ExpectNineSamplesLeaveNothingOfTheTestBefore(kResults);
}

TEST_F(Gost10006, UnusableDimensionsGiveNoResult) {
    const UnusableDimension cases[] = {
        {"pipe without a wall", 2, "fD0S", "0"},
        {"wall thicker than the radius", 2, "fD0S", "5.5"},
        {"negative outer diameter", 2, "fD0", "-10"},
        {"cylinder without a diameter", 0, "fD0", "0"},
        {"flat without a width", 1, "fA0", "0"},
        {"sample type without a formula", 3, "fD0", "10"},
        {"no gauge length", 2, "fL0", "0"},
        {"negative gauge length", 2, "fL0", "-50"},
    };
    const auto usable = [&] {
        method.SetSampleType(2);
        Set({{"fD0", "10"}, {"fD0S", "2"}, {"fL0", "100"}});
    };
    ExpectEachUnusableDimensionGivesNoResult(
        cases, BilinearCurve(), kResults, usable, [&](const UnusableDimension& c) {
            // Without a gauge length the cross-section itself is still usable.
            EXPECT_EQ(method.GetFloat("fF0") > 0.0, std::string(c.field) == "fL0");
            EXPECT_EQ(method.GetFloat("fLK"), 0.0);
        });
}

TEST_F(Gost10006, EveryTestStartsFromACleanAnalysis) {
    Calculate(BilinearCurve());
    ASSERT_GT(method.GetFloat("fS02"), 0.0);
    ASSERT_GE(MarkerAt(buffer, "`["), 1);

    Set("fLK", "0");
    Calculate(Brittle(kPipe));
    ExpectABrittleBreakWithoutOffsetPoints({"fS02", "fP02"}, {"`["});
}

TEST_F(Gost10006, ChannelsOfDifferentLengthsAreReadWhereBothHoldSamples) {
    // An opened file whose displacement channel is shorter than the force.
    const Recording full = BilinearCurve();
    Record(full, buffer);
    Shorten(buffer, 2, 15000);
    method.Calculate();
    EXPECT_NEAR(method.GetFloat("fLK"), 100.0 + full.displacement[14999] - method.xProp, 1e-3);
    EXPECT_EQ(MarkerAt(buffer, "к"), 14999);
}

// ---------------------------------------------------------------- template and registry

TEST_F(Gost10006, TheTemplateKeepsTheValuesButNotTheDate) {
    Set({{"fD0", "57"}, {"fD0S", "3.5"}, {"sP001", "20"}});
    method.SetSampleType(0);
    ExpectTemplateSavedAs("SHAB_ГОСТ 10006.ips");

    const C_Gost_10006 reloaded = Reopened();
    ExpectTexts(reloaded,
                {{"fD0", "57.000"}, {"fD0S", "3.500"}, {"sP001", "20"}, {"sDA", "02.01.2025"}});
    EXPECT_EQ(reloaded.Count(), 38);
    EXPECT_EQ(reloaded.GetInt("iTO"), 0);
    EXPECT_EQ(GroupOf(reloaded, "fD0S"), 4);
}

using Gost10006Registry = MethodEnvTest;

TEST_F(Gost10006Registry, SelectingThePipeListsItsDimensionsWithoutReductionOfArea) {
    C_Buffer buffer;
    ConsoleRegistry shown(env, buffer);
    C_GostWorks& registry = shown.registry;
    const auto& lists = shown.lists;

    ASSERT_TRUE(registry.Select(6, 2, 0));
    EXPECT_EQ(registry.Current(), &registry.gost10006);
    EXPECT_EQ(shown.types, (C_GostWorks::TextList{"Цилиндрический", "Плоский", "Трубчатый"}));
    EXPECT_EQ(lists[1], (C_GostWorks::TextList{
                            "Длина образца, мм=250.000", "Начальная расчетная длина, мм=100.000",
                            "Начальный диаметр Do, мм=10.000", "Толщина стенки аo, мм=2.000"}));
    EXPECT_EQ(lists[2], C_GostWorks::TextList{"Конечная длина lk, мм=0.000"});
    for (const std::string& line : lists[3])
        EXPECT_EQ(line.find("сужение"), std::string::npos) << line;
    EXPECT_EQ(lists[3].size(), 9u);
    EXPECT_NEAR(registry.gost10006.GetFloat("fS0"), kPipeArea, 1e-4);
    EXPECT_TRUE(platform::FileExists(folder.File("SHAB_ГОСТ 10006.ips")));
}

}  // namespace

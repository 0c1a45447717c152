#include "engine/c_gost_12004.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "engine/c_gost_1497.h"
#include "engine/c_gostwork.h"
#include "model/cbuffer.h"
#include "support/curves.h"
#include "support/method_fixture.h"

namespace {

using namespace testsupport;
using namespace testsupport::curves;

// The results the method computes, all in group 3.
const char* const kResults[] = {"fF0",  "fDr", "fMPg", "fFIO", "fLU",   "fPFIO",
                                "fFIS", "fSB", "fST",  "fS02", "fS05",  "fE",
                                "fSPC", "fPM", "fPT",  "fP02", "fP002", "fPPC"};

// The default list: a bar of 250 g and 300 mm, gauge length 200 mm.
float DefaultArea() {
    return static_cast<float>(250.0 / (300.0 * 0.00785f));
}

Specimen DefaultSpecimen() {
    return {DefaultArea(), 200.0};
}

class Gost12004 : public MethodTest<C_Gost_12004> {
protected:
    // A new test, as the console starts one: the final length is not typed yet.
    void SetUp() override { method.ResetManualPoints(); }
};

// A curve of the default specimen with 20000 samples up to the break.
constexpr int kSamples = 20000;

Recording BilinearCurve(const Bilinear& c = {}, const Specimen& s = DefaultSpecimen()) {
    return ToFracture(c, kSamples, s);
}

// ---------------------------------------------------------------- declarations

TEST_F(Gost12004, DeclaresItsListInOrderWithTodaysDate) {
    const std::vector<std::string> names = {
        "sGO",   "iTO",     "sTM",     "sSN",   "sDA",     "sTI",  "sTE",     "sP003",
        "sP004", "sP001",   "sP002",   "sNI",   "sZL",     "iTZ",  "fMasg0",  "fD0",
        "fLmm0", "fL0",     "fSr",     "fDr",   "fMPg",    "fDN1", "fDN2",    "fDS1",
        "fDS2",  "fDK1",    "fDK2",    "fDEd0", "fACount", "fF0",  "fLK",     "fDK",
        "fLNR",  "fLNK",    "fFIO",    "fLU",   "fPFIO",   "fFIS", "fSB",     "fST",
        "fS02",  "fS05",    "fE",      "fSPC",  "fPM",     "fPT",  "fP02",    "fP002",
        "fPPC",  "fPOSppc", "fPOStec", "fOX",   "fOY",     "fPos", "iVECTOR", "fS0"};
    ASSERT_EQ(method.Count(), 56);
    for (int i = 0; i < method.Count(); ++i) {
        EXPECT_EQ(method.Record(i)->name, names[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(method.Record(i)->persist, 1) << i;
    }
    EXPECT_EQ(method.GetValueText("sGO"), "ГОСТ 12004");
    EXPECT_EQ(method.GetMaxText("sGO"), "");
    // Two items read "Арматура"; only the index tells them apart.
    const char* const items[] = {"Арматура", "Круглый образец", "Арматурный канат", "Арматура"};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(method.GetItem("iTO", k), items[k]) << k;
    EXPECT_EQ(method.GetItem("iTO", 4), "");
    EXPECT_EQ(method.GetMaxText("iTO"), "4");
    EXPECT_EQ(method.GetText("sDA"), "05.03.2024");
    EXPECT_EQ(method.boundPercent, 0);
    EXPECT_EQ(CountInGroup(method, 3), 18);
}

TEST_F(Gost12004, DeclarationsCarryTheirCaptionsAndLimitsByteForByte) {
    struct Case {
        const char* name;
        const char* caption;
        int type;
        int group;
        const char* valueText;  // as declared, not reformatted
        const char* format;
        const char* maxText;
        const char* minText;
        int visible;
    };
    const Case cases[] = {
        {"sTM", "Тип испытательной машины", 2, 4, "ТИП", "", "", "", 1},
        {"sTI", "Время", 2, 0, "00:00:00", "", "", "", 1},
        {"sTE", "Температура,C°", 2, 0, "20", "", "", "", 1},
        {"sNI", "Ворталинец", 2, 0, "________", "", "", "", 1},
        {"iTZ", "Использовать тензометр", 0, 4, "0", "", "1", "0", 1},
        {"fMasg0", "Масса образца, г", 1, 1, "250.00", "0.00", "30000.0", "-100000.0", 1},
        {"fLmm0", "Длина образца,  мм", 1, 1, "300.00", "0.00", "10000.0", "-100000.0", 1},
        {"fL0", "Начальная расчетная длина lo, мм", 1, 1, "200.00", "0.000", "3000.0", "-1000.0",
         1},
        {"fSr", "Площадь сечения, мм~(если 0-авторасчет)", 1, 1, "0.00", "0.000", "3000.0",
         "-1000.0", 0},
        {"fDEd0", "Диаметр проволоки составляющей канат,  мм", 1, 1, "2.00", "0.00", "100000.0",
         "-100000.0", 1},
        {"fACount", "Количество проволок составляющих канат,  шт", 1, 1, "10.00", "0.00", "10000.0",
         "1.0", 1},
        // A Latin l and a Cyrillic к.
        {"fLK", "Конечная длина l\xd0\xba, мм", 1, 2, "205.00", "0.00", "5000.0", "-5000.0", 1},
        {"fDK", "Конечный диаметр, мм", 1, 2, "10.00 ", "0.00", "1000.0", "-1000.0", 1},
        {"fLNK", "Кон. длина без разрыва, мм", 1, 4, "200.00", "0.00", "1000.0", "-1.0", 1},
        {"fLU", "Относительное равномерное удлинение @p, %", 1, 3, "0.00", "0.00", "10000000.0",
         "-10000000.0", 1},
        {"fPFIO", "Полное относительное удлинение при макс. нагрузке @max, %", 1, 3, "0.00", "0.00",
         "10000000.0", "-10000000.0", 1},
        {"fFIS", "Относительное сужение $, %", 1, 3, "0.00", "0.00", "10000000.0", "-10000000.0",
         1},
        {"fSB", "Временное сопротивление `в, Н/мм~", 1, 3, "0.00", "0.00", "10000000.0",
         "-10000000.0", 1},
        {"fS05", "Предел упругости (усл.) `], Н/мм~", 1, 3, "0.00", "0.00", "10000000.0",
         "-10000000.0", 1},
        // A Latin E and a Cyrillic н.
        {"fE", "Модуль упругости E\xd0\xbd, Н/мм~", 1, 3, "0.00", "0.00", "10000000.0",
         "-10000000.0", 1},
        {"fP002", "Нагрузка при условном пределе упругости F`], кН", 1, 3, "0.00", "0.00",
         "10000000.0", "-10000000.0", 1},
        {"fOX", "L,мм", 0, 4, "2", "0.00", "6", "0", 1},
        {"fPos", "Поз Образца", 0, 4, "0", "0.00", "3", "0", 1},
        {"iVECTOR", "ТИП ИСПЫТАНИЯ", 0, 4, "0", "0", "3", "0", 1},
        {"fS0", "Площадь сечения, мм~", 1, 4, "0.00", "0.000", "100000.0", "-100000.0", 1},
    };
    for (const Case& c : cases) {
        ExpectDeclared(
            method, {c.name, c.caption, c.type, c.group, nullptr, c.format, c.maxText, c.minText});
        const S_Val* r = method.Record(method.IndexOf(c.name));
        ASSERT_NE(r, nullptr) << c.name;
        EXPECT_EQ(*r->valueText, c.valueText) << c.name;
        EXPECT_EQ(r->visible, c.visible) << c.name;
    }
    // The limits that keep typed values in range.
    EXPECT_EQ(method.Record(method.IndexOf("fACount"))->floatMin, 1.0);
    EXPECT_EQ(method.Record(method.IndexOf("iTO"))->intMax, 4);
    Set("fACount", "0");
    EXPECT_EQ(method.GetFloat("fACount"), 1.0);
    EXPECT_EQ(method.GetText("fDK"), "10.00");
}

// ---------------------------------------------------------------- sample types and areas

TEST_F(Gost12004, SampleTypeShowsItsOwnDimensions) {
    const char* const dimensions[] = {"fMasg0", "fDN1", "fDN2",  "fDS1",    "fDS2",
                                      "fDK1",   "fDK2", "fDEd0", "fACount", "fD0"};
    struct Case {
        int type;
        std::vector<std::string> shown;
    };
    // From 3 to 1 first: the nominal diameter goes, the six measured ones come.
    const Case cases[] = {
        {3, {"fD0"}},
        {1, {"fDN1", "fDN2", "fDS1", "fDS2", "fDK1", "fDK2"}},
        {0, {"fMasg0"}},
        {2, {"fDEd0", "fACount"}},
        // No such type: the groups stay those of the last one.
        {4, {"fDEd0", "fACount"}},
        {-1, {"fDEd0", "fACount"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Set("fLK", "55");
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), std::clamp(c.type, 0, 4));
        std::vector<std::string> shown;
        for (const char* name : dimensions) {
            const int group = GroupOf(method, name);
            EXPECT_TRUE(group == 1 || group == 4) << name;
            if (group == 1) shown.push_back(name);
        }
        EXPECT_EQ(shown, c.shown);
        for (const char* name : {"fLmm0", "fL0", "fSr"})
            EXPECT_EQ(GroupOf(method, name), 1) << name;
        // Unlike the tension test of metals, the final length stays.
        EXPECT_EQ(method.GetFloat("fLK"), 55.0);
    }
}

TEST_F(Gost12004, UpdateAreaFollowsTheSampleType) {
    struct Case {
        const char* name;
        int type;
        std::vector<std::pair<const char*, const char*>> values;
        double area;
    };
    const auto circle = [](double d) { return d * d * std::numbers::pi / 4.0; };
    const Case cases[] = {
        {"bar by mass", 0, {}, 250.0 / (300.0 * 0.00785f)},
        {"bar by mass, typed area", 0, {{"fSr", "100"}}, 100.0},
        {"bar of a typed area without mass", 0, {{"fSr", "100"}, {"fMasg0", "0"}}, 100.0},
        {"bar without length", 0, {{"fLmm0", "0"}}, 0.0},
        {"bar of negative mass", 0, {{"fMasg0", "-250"}}, 0.0},
        {"bar of negative typed area", 0, {{"fSr", "-5"}}, 0.0},
        {"six equal diameters", 1, {}, 19.634954},
        {"six diameters",
         1,
         {{"fDN1", "4"}, {"fDN2", "5"}, {"fDS1", "6"}, {"fDS2", "4"}, {"fDK1", "5"}, {"fDK2", "6"}},
         (circle(4) + circle(5) + circle(6)) / 3.0},
        {"a diameter not measured", 1, {{"fDS2", "0"}}, 0.0},
        {"a negative diameter", 1, {{"fDK1", "-5"}}, 0.0},
        {"strand", 2, {}, 31.415927},
        {"strand of 7 wires of 5 mm", 2, {{"fDEd0", "5"}, {"fACount", "7"}}, 7 * circle(5)},
        {"strand without wire diameter", 2, {{"fDEd0", "0"}}, 0.0},
        {"bar by nominal diameter", 3, {}, 20.0 * 3.14159265 * 20.0 * 0.25},
        {"bar of no diameter", 3, {{"fD0", "0"}}, 0.0},
        {"no such type", 4, {}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C_Gost_12004 m(env);
        m.SetSampleType(c.type);
        for (const auto& [name, text] : c.values)
            m.SetFromText(m.IndexOf(name), text);
        m.UpdateArea();
        EXPECT_NEAR(m.GetFloat("fS0"), c.area, 1e-4 * std::max(1.0, c.area));
        EXPECT_EQ(m.area, static_cast<float>(m.GetFloat("fS0")));
        EXPECT_NEAR(m.CrossSection(), c.area, 1e-4 * std::max(1.0, c.area));
    }
    // The edge values the operator sees.
    method.UpdateArea();
    EXPECT_EQ(method.GetText("fS0"), "106.157");
    method.SetSampleType(3);
    method.UpdateArea();
    EXPECT_EQ(method.area, static_cast<float>(314.159265));
    EXPECT_EQ(method.GetText("fS0"), "314.159");
}

TEST_F(Gost12004, CalculateTakesTheAreaOfTheDimensionsAsTheyStand) {
    method.SetSampleType(3);
    method.UpdateArea();
    const float before = method.area;
    Set("fD0", "16");
    Calculate(BilinearCurve({}, {16.0 * 3.14159265 * 16.0 * 0.25, 200.0}));
    EXPECT_NEAR(method.GetFloat("fF0"), 201.06193, 1e-4);
    EXPECT_NEAR(method.GetFloat("fSB"), 450.0, 1e-4 * 450.0);
    EXPECT_NEAR(method.GetFloat("fDr"), 16.0, 1e-5);
    // The set-up screen's area is UpdateArea's alone.
    EXPECT_EQ(method.area, before);
    EXPECT_EQ(method.GetFloat("fS0"), static_cast<double>(before));
}

// ---------------------------------------------------------------- curves with known answers

class Gost12004Curves : public Gost12004, public ::testing::WithParamInterface<bool> {};

TEST_P(Gost12004Curves, MeetTheirClosedForms) {
    const bool noisy = GetParam();
    const Specimen s = DefaultSpecimen();
    for (const KnownCurve& c : KnownCurves(s, kSamples, noisy)) {
        SCOPED_TRACE(c.name);
        method.ResetManualPoints();
        ExpectStrengthAndProofOf(c, s.area, noisy);
        ExpectCutAt(kSamples, 5);
        EXPECT_NEAR(method.GetFloat("fE"), c.modulus, c.modulusTolerance * c.modulus);
        EXPECT_NEAR(method.GetFloat("fS05"), c.elastic, c.elasticTolerance);
        EXPECT_NEAR(method.GetFloat("fP002"), method.GetFloat("fS05") * s.area / 1000.0, 1e-4);
        EXPECT_EQ(Labels(buffer), (std::vector<std::string>{"`пц", "`]", "`[", "`т", "`в", "`к"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Gost12004, Gost12004Curves, ::testing::Bool(), CleanOrNoisy);

TEST_F(Gost12004, BilinearElongationsAndTheBarsOwnResults) {
    const Bilinear c;
    const Specimen s = DefaultSpecimen();
    const double step = c.fractureStrain / (kSamples - 1);
    Calculate(BilinearCurve(c));

    EXPECT_NEAR(method.GetFloat("fF0"), 106.157, 1e-3);
    // The typed gauge length, whatever the area.
    EXPECT_EQ(method.GetFloat("fL0"), 200.0);
    EXPECT_NEAR(method.GetFloat("fDr"), 2.0 * std::sqrt(s.area / std::numbers::pi), 1e-5);
    EXPECT_EQ(method.GetText("fDr"), "11.63");
    EXPECT_NEAR(method.GetFloat("fMPg"), 250.0 / 300.0, 1e-6);

    // Unloading from the last sample before the fall and from the maximum,
    // parallel to the elastic line.
    const double elongation = (c.fractureStrain - c.fracture / c.modulus) * 100.0;
    const double uniform = (c.UniformStrain() - c.strength / c.modulus) * 100.0;
    EXPECT_NEAR(method.GetFloat("fFIO"), elongation, 1e-3);
    EXPECT_NEAR(method.GetFloat("fLU"), uniform, 1e-3);
    EXPECT_NEAR(method.GetFloat("fLK"), s.gauge * (1.0 + elongation / 100.0), 1e-3);
    EXPECT_EQ(method.GetFloat("fLNR"), 200.0);
    EXPECT_NEAR(method.GetFloat("fLNK"), s.gauge * (1.0 + uniform / 100.0), 1e-3);
    // The total elongation at the maximum is the strain there.
    EXPECT_NEAR(method.GetFloat("fPFIO"), c.UniformStrain() * 100.0, 1e-3);
    // From the bar's area to a final diameter of 10 mm.
    EXPECT_NEAR(method.GetFloat("fFIS"), (s.area - CircleArea(10.0)) * 100.0 / s.area, 1e-4);

    // The offset points within one sample of the analytic intersections.
    for (const auto& [offset, index] :
         {std::pair{0.002, method.iOffsetYield}, std::pair{0.0002, method.iOffsetElastic}}) {
        SCOPED_TRACE(offset);
        const double strain = c.OffsetStress(offset) / c.modulus + offset;
        EXPECT_NEAR(index, strain / step, 1.0);
    }
    EXPECT_EQ(MarkerAt(buffer, "`["), static_cast<int>(method.iOffsetYield));
    EXPECT_EQ(MarkerAt(buffer, "`]"), static_cast<int>(method.iOffsetElastic));
    EXPECT_EQ(MarkerAt(buffer, "`в"), static_cast<int>(std::round(c.UniformStrain() / step)));
    EXPECT_EQ(MarkerAt(buffer, "`к"), kSamples - 1);
    for (const C_Buffer::SPicPoint& p : buffer.picPoints) {
        EXPECT_EQ(p.firstChannel, 2);
        EXPECT_EQ(p.secondChannel, 1);
        EXPECT_EQ(p.labelX, 0.0f);
        EXPECT_EQ(p.labelY, 0.0f);
        EXPECT_EQ(p.colour, 0);
    }

    // The construction lines: proportional limit, elastic line, two
    // unloading lines, the two offset lines.
    ASSERT_EQ(buffer.picLines.size(), 6u);
    EXPECT_EQ(buffer.picLines[0].colour, C_Gost_Base::kGrey);
    EXPECT_EQ(buffer.picLines[1].colour, C_Gost_Base::kGreen);
    // The 0.2 % line, then the 0.02 % line nearer the elastic one.
    EXPECT_GT(buffer.picLines[4].x1, buffer.picLines[5].x1);
    EXPECT_NEAR(buffer.picLines[4].x1 - buffer.picLines[5].x1, 0.0018 * s.gauge, 1e-4);
}

TEST_F(Gost12004, ASlackToeIsNoOffsetPoint) {
    const char* const elastic[] = {"fS05"};
    ExpectSlackToeIgnored(DefaultSpecimen(), kSamples, elastic);
}

TEST_F(Gost12004, UpperYieldPointWithinOneSample) {
    ExpectUpperYieldPoints(
        kSamples, [](const UpperYield& c) { return ToFracture(c, kSamples, DefaultSpecimen()); },
        [&](const UpperYield&) { EXPECT_EQ(method.GetFloat("fPOStec"), method.iYield); });
}

// ---------------------------------------------------------------- the calculation's rules

TEST_F(Gost12004, ATypedFinalLengthWinsAndAnEmptyOneIsFilledIn) {
    Set("fLK", "240");
    Calculate(BilinearCurve());
    EXPECT_NEAR(method.GetFloat("fFIO"), 20.0, 1e-4);
    EXPECT_EQ(method.GetFloat("fLK"), 240.0);

    Set("fLK", "0");
    method.Calculate();
    const double lk = method.GetFloat("fLK");
    EXPECT_GT(lk, 220.0);
    EXPECT_NEAR(method.GetFloat("fFIO"), (lk - 200.0) / 2.0, 1e-3);
}

TEST_F(Gost12004, AGaugeLengthBeyondTheWorkingLengthsLimitStillGivesTheUniformElongation) {
    // The working lengths stop at 1000 mm; a strand may be tested over more.
    const Bilinear c;
    Set("fL0", "1500");
    Calculate(BilinearCurve(c, {DefaultArea(), 1500.0}));
    EXPECT_EQ(method.GetFloat("fLNR"), 1000.0);
    EXPECT_NEAR(method.GetFloat("fLU"), (c.UniformStrain() - c.strength / c.modulus) * 100.0, 1e-3);
    EXPECT_NEAR(method.GetFloat("fPFIO"), c.UniformStrain() * 100.0, 1e-3);
}

TEST_F(Gost12004, StressOnYGivesTheForceFromTheArea) {
    Calculate(BilinearCurve());
    const std::vector<std::string> onForce = Texts(method, kResults);
    Set("fOY", "4");
    Set("fLK", "0");
    method.Calculate();
    const float peak = static_cast<float>(buffer.GetMax(4));
    EXPECT_EQ(method.GetFloat("fSB"), peak);
    EXPECT_NEAR(method.GetFloat("fPM"), 0.001 * peak * DefaultArea(), 1e-4);
    // Every result reads the same on the stress axis, to the last digit shown
    // but for the offset points, one sample apart at most.
    const std::vector<std::string> onStress = Texts(method, kResults);
    for (size_t k = 0; k < std::size(kResults); ++k) {
        const std::string name = kResults[k];
        if (name == "fS02" || name == "fS05" || name == "fP02" || name == "fP002") continue;
        EXPECT_EQ(onStress[k], onForce[k]) << name;
    }
    EXPECT_NEAR(method.GetFloat("fS02"), std::stod(onForce[9]), 0.02);
}

TEST_F(Gost12004, StrainInPercentOnXTakesTheOffsetAsAPercent) {
    Calculate(BilinearCurve());
    const char* const names[] = {"fE", "fS02", "fS05", "fFIO", "fLU", "fPFIO"};
    std::vector<double> onDisplacement;
    for (const char* name : names)
        onDisplacement.push_back(method.GetFloat(name));
    Set("fOX", "5");
    Set("fLK", "0");
    method.Calculate();
    const double tolerances[] = {1e-4 * onDisplacement[0], 0.02, 0.02, 1e-3, 1e-3, 1e-3};
    for (size_t k = 0; k < std::size(names); ++k)
        EXPECT_NEAR(method.GetFloat(names[k]), onDisplacement[k], tolerances[k]) << names[k];
}

TEST_F(Gost12004, TheExtensometerFeedsTheStrainButLeavesTheAxisToTheList) {
    // A compliant machine: the crosshead travels twice what the extensometer sees.
    Recording r = BilinearCurve();
    for (double& l : r.displacement)
        l *= 2.0;
    method.SetExtensometer(1);
    Calculate(r);
    EXPECT_EQ(method.xChannel, 2);
    EXPECT_NEAR(method.GetFloat("fE"), 100000.0, 10.0);
    for (int i : {0, 100, 5000, kSamples - 1})
        EXPECT_DOUBLE_EQ(buffer.GetValue(5, i), buffer.GetValue(3, i) * 100.0 / 200.0) << i;

    // Strain in percent on X: from the extensometer, the true modulus.
    Set("fOX", "5");
    Set("fLK", "0");
    method.Calculate();
    EXPECT_EQ(method.xChannel, 5);
    EXPECT_NEAR(method.GetFloat("fE"), 200000.0, 20.0);
    EXPECT_EQ(GroupOf(method, "fE"), 3);

    // Without it, the strain is the crosshead's.
    method.SetExtensometer(0);
    method.Calculate();
    EXPECT_NEAR(method.GetFloat("fE"), 100000.0, 10.0);
}

TEST_F(Gost12004, AxesThatAreNoStrengthCurveComputeNothing) {
    Calculate(BilinearCurve());
    ExpectAxesOfNoStrengthCurveComputeNothing(kResults);
}

TEST_F(Gost12004, FewerThanTenSamplesLeaveNoResultOrPictureOfTheTestBefore) {
    Calculate(BilinearCurve());
    ExpectNineSamplesLeaveNothingOfTheTestBefore(kResults);
}

TEST_F(Gost12004, ThePointOfAMarkerAndItsResultCarryTheSameSymbol) {
    Calculate(BilinearCurve());
    ExpectMarkersCarryTheSymbolsOf(
        {{"`]", "fS05"}, {"`[", "fS02"}, {"`т", "fST"}, {"`в", "fSB"}, {"`пц", "fSPC"}});
}

TEST_F(Gost12004, TotalElongationAtMaximumNeedsAModulus) {
    struct Case {
        double uniform;
        double strength;
        double modulus;
        double total;
    };
    const Case cases[] = {
        {10.0, 450.0, 200000.0, 10.225},
        {10.0, 450.0, 0.0, 0.0},
        {10.0, 450.0, -200000.0, 0.0},
        {10.0, 450.0, std::nan(""), 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modulus);
        EXPECT_NEAR(C_Gost_12004::TotalElongationAtMax(c.uniform, c.strength, c.modulus), c.total,
                    1e-9);
    }
}

// ---------------------------------------------------------------- hand-set points

TEST_F(Gost12004, TheSliderMovesTheYieldPointAndTheNextCalculationKeepsIt) {
    Calculate(BilinearCurve());
    ExpectTheYieldSliderAQuarterOfTheWayKept(DefaultArea(), 6);

    // A new test forgets the points and the final length.
    const double lk = method.GetFloat("fLK");
    Set("fLK", "250");
    method.ResetManualPoints();
    EXPECT_EQ(method.GetFloat("fPOSppc"), 0.0);
    EXPECT_EQ(method.GetFloat("fPOStec"), 0.0);
    EXPECT_EQ(method.GetFloat("fLK"), 0.0);
    method.Calculate();
    EXPECT_NE(method.GetFloat("fPOStec"), 5000.0);
    EXPECT_EQ(method.GetFloat("fLK"), lk);
}

TEST_F(Gost12004, AHandSetProportionalLimitMovesNoOffsetPoint) {
    Calculate(BilinearCurve());
    const std::string s02 = method.GetText("fS02");
    const std::string s05 = method.GetText("fS05");
    const float elastic = method.iOffsetElastic;
    // Far up the hardening line: half the samples from it would lie above
    // the 0.02 % point.
    method.SetManualPoint(VisibleRow(method, "fSPC"), 3, 5000.0f);
    EXPECT_EQ(method.GetFloat("fPOSppc"), 10000.0);
    method.Calculate();
    EXPECT_EQ(method.GetFloat("fPOSppc"), 10000.0);
    EXPECT_NEAR(method.GetFloat("fSPC"), StressAt(10000, DefaultArea()), 1e-3);
    EXPECT_EQ(MarkerAt(buffer, "`пц"), 10000);
    EXPECT_EQ(method.GetText("fS02"), s02);
    EXPECT_EQ(method.GetText("fS05"), s05);
    EXPECT_EQ(method.iOffsetElastic, elastic);
}

TEST_F(Gost12004, TheSlidersEndIsTheLastSample) {
    Calculate(BilinearCurve());
    ExpectTheSlidersEndIsTheLastSample(DefaultArea());
    // A position that is no number is the start.
    method.SetManualPoint(VisibleRow(method, "fST"), 3, std::nanf(""));
    EXPECT_EQ(method.GetFloat("fPOStec"), 0.0);
}

TEST_F(Gost12004, TheSliderOnAnOpenedTestUsesTheDimensionsAsTheyStand) {
    method.SetSampleType(3);
    method.UpdateArea();
    // A test opened from a file, and a diameter typed since the last UpdateArea.
    Record(BilinearCurve(), buffer);
    Set("fD0", "25");
    ExpectTheYieldSliderHalfWay(25.0 * 3.14159265 * 25.0 * 0.25);
}

// ---------------------------------------------------------------- unusable input

TEST_F(Gost12004, UnusableDimensionsGiveNoResult) {
    const UnusableDimension cases[] = {
        {"bar without length", 0, "fLmm0", "0"},
        {"bar of negative mass", 0, "fMasg0", "-250"},
        {"round sample with a diameter not measured", 1, "fDN2", "0"},
        {"strand without wire diameter", 2, "fDEd0", "0"},
        {"bar of no nominal diameter", 3, "fD0", "0"},
        {"no gauge length", 0, "fL0", "0"},
        {"negative gauge length", 3, "fL0", "-5"},
        {"no such sample type", 4, "fD0", "20"},
    };
    const auto usable = [&] {
        method.SetSampleType(0);
        Set({{"fLmm0", "300"}, {"fMasg0", "250"}, {"fL0", "200"}});
        method.ResetManualPoints();
    };
    ExpectEachUnusableDimensionGivesNoResult(
        cases, BilinearCurve(), kResults, usable, [&](const UnusableDimension& c) {
            method.SetManualPoint(VisibleRow(method, "fST"), 3, 5000.0f);
            // The slider needs only the cross-section.
            if (std::string(c.field) != "fL0") {
                EXPECT_EQ(method.GetFloat("fST"), 0.0);
                EXPECT_TRUE(buffer.picPoints.empty());
            }
        });
}

TEST_F(Gost12004, UnusableFinalOrSideDimensionsLeaveTheOtherResults) {
    method.SetSampleType(3);
    Set("fDK", "0");
    Set("fLK", "-20");
    Set("fLmm0", "0");
    Calculate(BilinearCurve({}, {20.0 * 3.14159265 * 20.0 * 0.25, 200.0}));
    EXPECT_EQ(method.GetFloat("fFIS"), 0.0);
    EXPECT_EQ(method.GetFloat("fFIO"), 0.0);
    EXPECT_EQ(method.GetFloat("fMPg"), 0.0);
    EXPECT_NEAR(method.GetFloat("fSB"), 450.0, 0.01);
    EXPECT_NEAR(method.GetFloat("fDr"), 20.0, 1e-5);
    EXPECT_GT(method.GetFloat("fPFIO"), method.GetFloat("fLU"));
}

// ---------------------------------------------------------------- state between tests

TEST_F(Gost12004, EveryTestStartsFromACleanAnalysis) {
    Calculate(BilinearCurve());
    ASSERT_GT(method.GetFloat("fS02"), 0.0);
    ASSERT_GE(MarkerAt(buffer, "`["), 1);

    method.ResetManualPoints();
    Calculate(Brittle(DefaultSpecimen()));
    ExpectABrittleBreakWithoutOffsetPoints({"fS02", "fP02", "fS05", "fP002"}, {"`[", "`]"});
}

TEST_F(Gost12004, RecalculatingChangesNeitherTheCurveNorTheResults) {
    Recording r = BilinearCurve();
    for (double& l : r.displacement)
        l += 0.3;  // slack in the grips
    r.extensometer = r.displacement;
    Calculate(r);
    ExpectARecalculationChangesNothing();
    // The slack before the elastic line is not elongation.
    const Bilinear c;
    EXPECT_NEAR(method.GetFloat("fFIO"), (c.fractureStrain - c.fracture / c.modulus) * 100.0, 1e-3);
    EXPECT_NEAR(method.GetFloat("fPFIO"), c.UniformStrain() * 100.0, 1e-3);
}

// ---------------------------------------------------------------- template and registry

TEST_F(Gost12004, TheTemplateKeepsTheValuesButNotTheDate) {
    method.SetSampleType(2);
    Set({{"fDEd0", "3.5"}, {"sP004", "П-12"}});
    ExpectTemplateSavedAs("SHAB_ГОСТ 12004.ips");

    C_Gost_12004 reloaded = Reopened();
    ExpectTexts(reloaded, {{"fDEd0", "3.50"}, {"sP004", "П-12"}, {"sDA", "02.01.2025"}});
    EXPECT_EQ(reloaded.Count(), 56);
    EXPECT_EQ(reloaded.GetInt("iTO"), 2);
    EXPECT_EQ(GroupOf(reloaded, "fDEd0"), 1);
    EXPECT_EQ(GroupOf(reloaded, "fD0"), 4);
    EXPECT_EQ(reloaded.GetItem("iTO", 3), "Арматура");
    reloaded.UpdateArea();
    EXPECT_NEAR(reloaded.GetFloat("fS0"), 10.0 * CircleArea(3.5), 1e-4);
}

TEST_F(Gost12004, TheRegistrySelectsItFourthWithItsSampleTypes) {
    ConsoleRegistry shown(env, buffer);
    C_GostWorks& registry = shown.registry;
    ASSERT_TRUE(registry.Select(3, 2, 1));
    const C_Parametr& m = *registry.Current();
    EXPECT_EQ(&m, &registry.gost12004);
    EXPECT_EQ(shown.types, (std::vector<std::string>{"Арматура", "Круглый образец",
                                                     "Арматурный канат", "Арматура"}));
    EXPECT_EQ(m.GetInt("iTZ"), 1);
    EXPECT_EQ(shown.lists[1], (std::vector<std::string>{
                                  "Длина образца,  мм=300.00",
                                  "Начальная расчетная длина lo, мм=200.000",
                                  "Площадь сечения, мм~(если 0-авторасчет)=0.000",
                                  "Диаметр проволоки составляющей канат,  мм=2.00",
                                  "Количество проволок составляющих канат,  шт=10.00",
                              }));
    EXPECT_EQ(shown.lists[2], (std::vector<std::string>{"Конечная длина lк, мм=205.00",
                                                        "Конечный диаметр, мм=10.00"}));
    EXPECT_EQ(m.GetText("fS0"), "31.416");
    EXPECT_TRUE(std::filesystem::exists(folder.File("SHAB_ГОСТ 12004.ips")));
}

}  // namespace

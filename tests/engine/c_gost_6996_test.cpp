#include "engine/c_gost_6996.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "engine/c_gostwork.h"
#include "model/cbuffer.h"
#include "support/curves.h"
#include "support/method_fixture.h"

namespace {

using namespace testsupport;
using namespace testsupport::curves;

// The results the method computes.
const char* const kResults[] = {"fF0", "fFIO", "fFIS", "fLU",  "fE",  "fSB", "fSPC",
                                "fST", "fS02", "fPM",  "fPPC", "fPT", "fP02"};

const double kPi = std::numbers::pi;

// The default list: a 10 mm cylinder, 100 mm marked length, a 50 mm
// extensometer base. The crosshead's displacement runs over 120 mm between
// the grips, so a result taken from the wrong channel or over the wrong
// length is off by a fifth or more.
constexpr double kMarked = 100.0;
constexpr double kBase = 50.0;
constexpr double kGrips = 120.0;
constexpr int kSamples = 20000;

double DefaultArea() {
    return kPi * 25.0;
}

// A tension curve of the default specimen, the break after strainEnd, with
// displacement over the grips and the extensometer over its base.
Recording Welded(const std::function<double(double)>& stress, double strainEnd,
                 int samples = kSamples) {
    Recording r = Sample(stress, strainEnd, samples, Specimen{DefaultArea(), 1.0});
    for (size_t i = 0; i < r.force.size(); ++i) {
        const double strain = r.displacement[i];
        r.displacement[i] = strain * kGrips;
        r.extensometer[i] = strain * kBase;
    }
    return r;
}

Recording BilinearCurve(const Bilinear& c = {}) {
    return Welded([&](double e) { return c.Stress(e); }, c.fractureStrain);
}

std::vector<std::string> NamesInGroup(const C_Parametr& m, int group) {
    std::vector<std::string> names;
    for (int k = 0;; ++k) {
        const std::string name = m.NameInGroup(group, k);
        if (name == "-1") return names;
        names.push_back(name);
    }
}

using Gost6996 = MethodTest<C_Gost_6996>;

// ---------------------------------------------------------------- declarations

TEST_F(Gost6996, DeclaresItsListInOrder) {
    const std::vector<std::string> order = {
        "sFULLNAME", "sGO",  "iTO",  "sTM",  "sSN",  "sDA",  "sTI",     "sTE",  "sNI",   "sZL",
        "iTZ",       "sTT",  "fBT",  "fHT",  "fPP",  "fLs",  "fL0",     "fD0",  "fA0",   "fB0",
        "fD0t",      "fA0t", "fLK",  "fDK",  "fAK",  "fBK",  "fLNR",    "fLNK", "fF0",   "fFIO",
        "fFIS",      "fLU",  "fE",   "fSB",  "fSPC", "fST",  "fS02",    "fSTH", "fSTB",  "fPM",
        "fPPC",      "fPT",  "fP02", "fPTB", "fPTH", "fOX",  "fOY",     "sM1",  "sM2",   "sM3",
        "sM4",       "sM5",  "fPKO", "sM6",  "sM7",  "fPos", "iVECTOR", "fS0",  "fSpdL", "fSpd"};
    EXPECT_EQ(RecordNames(method), order);
    ExpectEveryRecordKept(method, true);
}

TEST_F(Gost6996, DeclarationsThatMatter) {
    const Declared records[] = {
        {"sFULLNAME", "НАЗВАНИЕ", 2, 4,
         "СВАРНЫЕ СОЕДЕНЕНИЯ. МЕТОДОДЫ ОПРЕДЕЛЕНИЯ МЕХАНИЧЕСКИХ СВОЙСТВ", "", "", ""},
        {"sGO", "Нормативный документ", 2, 4, "ГОСТ 6996 растяжение", "", "", ""},
        {"iTO", "Тип образца", 0, 4, "0", "$Цилиндрический?Плоский?Труба?", "3", "0"},
        {"sDA", "Дата", 2, 0, "05.03.2024", "", "", ""},
        {"sTI", "Время", 2, 0, "00:00:00", "", "", ""},
        {"sTE", "Температура,\x43°", 2, 0, "20", "", "", ""},  // a Latin C
        {"sTT", "Тип  тензометра", 2, 4, "", "", "", ""},
        {"fBT", "База тензометра, мм", 1, 4, "50.000", "0.000", "200", "0.0"},
        {"fHT", "Ход  тензометра, мм", 1, 4, "50.000", "0.000", "200", "0.0"},
        {"fL0", "Начальная расчетная длина, мм", 1, 1, "100.000", "0.000", "3000.0", "-1000.0"},
        {"fD0t", "Наружный диаметр, мм", 1, 4, "50.00", "0.00", "1000.0", "-1000.0"},
        {"fA0t", "Внутренний диаметр, мм", 1, 4, "46.00", "0.00", "1000.0", "-1000.0"},
        {"fLK", "Конечная длина, мм", 1, 2, "103.000", "0.000", "1000.0", "-1000.0"},
        {"fDK", "Конечный диаметр, мм", 1, 2, "9.000", "0.000", "1000.0", "-1000.0"},
        {"fF0", "Площадь сечения, мм~", 1, 3, "0.000", "0.000", "100000.0", "-100000.0"},
        {"fLU", "Относительное равномерное удлинение, %", 1, 4, "0.000", "0.000", "10000000.0",
         "-10000000.0"},
        {"fE", "Модуль упругости \x45, МПа", 1, 3, "0.000", "0.000", "10000000.0", "-10000000.0"},
        {"fSB", "Временное сопротивление `в, МПа", 1, 3, "0.000", "0.000", "10000000.0",
         "-10000000.0"},
        {"fS02", "Условный предел текучести `[, МПа", 1, 3, "0.000", "0.000", "10000000.0",
         "-10000000.0"},
        {"fPM", "Максимальная нагрузка F`в, кН", 1, 3, "0.000", "0.000", "10000000.0",
         "-10000000.0"},
        {"fPTB", "Нагрузка при пределе текучести верхнем Fв, кН", 1, 4, "0.000", "0.000",
         "10000000.0", "-10000000.0"},
        {"fOX", "L,мм", 0, 4, "2", "0.000", "6", "0"},
        {"fOY", "F,кН", 0, 4, "1", "0.000", "6", "0"},
        {"sM2", "Способ сварки", 2, 1, "", "", "", ""},
        {"fPKO", "Поправочный коэффициент, мм", 1, 2, "1.000", "0.000", "300000.0", "-100000.0"},
        {"sM7", "Дефекты на изломе", 2, 2, "", "", "", ""},
        {"fPos", "Поз Образца", 0, 4, "0", "0.000", "2", "0"},
        {"fS0", "Площадь сечения, мм~", 1, 4, "0.000", "0.000", "100000.0", "-100000.0"},
        {"fSpd", "Скорость ГОСТ к\x48/с", 1, 4, "2.0000", "0.0000", "10000.0", "-10000.0"},
    };
    for (const Declared& d : records)
        ExpectDeclared(method, d);
    EXPECT_EQ(method.GetItem("iTO", 0), "Цилиндрический");
    EXPECT_EQ(method.GetItem("iTO", 1), "Плоский");
    EXPECT_EQ(method.GetItem("iTO", 2), "Труба");
    // The extensometer's base is limited to what the instrument can have.
    Set("fBT", "500");
    EXPECT_EQ(method.GetFloat("fBT"), 200.0);
    Set("fBT", "-3");
    EXPECT_EQ(method.GetFloat("fBT"), 0.0);
    EXPECT_EQ(method.boundPercent, 0);
}

// ---------------------------------------------------------------- slots

TEST_F(Gost6996, SampleTypeShowsItsOwnDimensions) {
    struct Case {
        int type;
        std::vector<std::string> initial;
        std::vector<std::string> final;
    };
    const std::vector<std::string> weld = {"sM1", "sM2", "sM3", "sM4", "sM5"};
    const auto with = [&](std::vector<std::string> v) {
        v.insert(v.end(), weld.begin(), weld.end());
        return v;
    };
    const Case cases[] = {
        {1, with({"fLs", "fL0", "fA0", "fB0"}), {"fLK", "fAK", "fBK", "fPKO", "sM6", "sM7"}},
        {2, with({"fLs", "fL0", "fD0t", "fA0t"}), {"fLK", "fPKO", "sM6", "sM7"}},
        {0, with({"fLs", "fL0", "fD0"}), {"fLK", "fDK", "fPKO", "sM6", "sM7"}},
        // No such type: the groups stay those of the last type.
        {3, with({"fLs", "fL0", "fD0"}), {"fLK", "fDK", "fPKO", "sM6", "sM7"}},
        {-1, with({"fLs", "fL0", "fD0"}), {"fLK", "fDK", "fPKO", "sM6", "sM7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), std::clamp(c.type, 0, 3));
        EXPECT_EQ(NamesInGroup(method, 1), c.initial);
        EXPECT_EQ(NamesInGroup(method, 2), c.final);
        // The final length is measured by hand and kept.
        EXPECT_EQ(method.GetFloat("fLK"), 103.0);
    }
}

TEST_F(Gost6996, TheExtensometerShowsItsBaseAndTheModulus) {
    struct Case {
        int on;
        int stored;
        int instrumentGroup;
        int modulusGroup;
    };
    for (const Case& c : {Case{1, 1, 0, 3}, Case{0, 0, 4, 4}, Case{2, 1, 0, 3}}) {
        SCOPED_TRACE(c.on);
        method.SetExtensometer(c.on);
        EXPECT_EQ(method.GetInt("iTZ"), c.stored);
        EXPECT_EQ(GroupOf(method, "fBT"), c.instrumentGroup);
        EXPECT_EQ(GroupOf(method, "fHT"), c.instrumentGroup);
        EXPECT_EQ(GroupOf(method, "fE"), c.modulusGroup);
    }
    method.SetElasticBoundPercent(30);
    EXPECT_EQ(method.boundPercent, 30);
}

TEST_F(Gost6996, UpdateAreaFollowsTheSampleType) {
    struct Case {
        const char* name;
        int type;
        const char* field;
        const char* value;
        double area;
    };
    const Case cases[] = {
        {"cylinder", 0, "fD0", "10", kPi * 25.0},
        {"flat", 1, "fB0", "4", 10.0 * 4.0},
        {"tube 50/46", 2, "fA0t", "46", kPi / 4.0 * (2500.0 - 2116.0)},
        {"solid bar as a tube", 2, "fA0t", "0", kPi / 4.0 * 2500.0},
        {"tube without a wall", 2, "fA0t", "50", 0.0},
        {"bore wider than the tube", 2, "fA0t", "60", 0.0},
        {"negative bore", 2, "fA0t", "-46", 0.0},
        {"no such type", 3, "fD0", "10", 0.0},
        {"negative diameter", 0, "fD0", "-10", 0.0},
        {"flat without thickness", 1, "fB0", "0", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* reset : {"fD0", "fA0", "fB0", "fA0t"})
            Set(reset, "10");
        Set("fD0t", "50");
        method.SetSampleType(c.type);
        Set(c.field, c.value);
        method.UpdateArea();
        EXPECT_NEAR(method.GetFloat("fS0"), c.area, 1e-4);
        EXPECT_NEAR(method.CrossSection(), c.area, 1e-9);
    }
    // A tube's final cross-section is its initial one: no reduction of area.
    method.SetSampleType(2);
    Set("fA0t", "46");
    EXPECT_NEAR(method.CrossSection(), 301.593, 1e-3);
    EXPECT_EQ(method.FinalCrossSection(), method.CrossSection());
}

// ---------------------------------------------------------------- curves with known answers

TEST_F(Gost6996, ModulusAndProofOverTheChannelInUse) {
    const Bilinear bilinear;
    const RambergOsgood smooth = SmoothModel();
    const auto smoothCurve = [&] {
        return Welded([&](double e) { return smooth.Stress(e); },
                      smooth.Strain(1.3 * smooth.proof));
    };
    const double bilinearStep = bilinear.hardening * bilinear.fractureStrain / (kSamples - 1);
    struct Case {
        const char* name;
        std::function<Recording()> make;
        int extensometer;
        double strength;
        double modulus;
        double proof;
        double proofTolerance;
        double modulusTolerance;  // relative
    };
    const Case cases[] = {
        // Over the displacement and the marked length: the grips' 120 mm stiffen
        // nothing and stretch the offset.
        {"bilinear, displacement", [&] { return BilinearCurve(bilinear); }, 0, 450.0,
         bilinear.modulus * kMarked / kGrips, bilinear.OffsetStress(0.002 * kMarked / kGrips),
         bilinearStep, 1e-4},
        {"bilinear, extensometer", [&] { return BilinearCurve(bilinear); }, 1, 450.0,
         bilinear.modulus, bilinear.OffsetStress(0.002), bilinearStep, 1e-4},
        {"Ramberg-Osgood, extensometer", smoothCurve, 1, 1.3 * smooth.proof, smooth.modulus,
         smooth.proof, 0.01 * smooth.proof, 0.02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        method.SetExtensometer(c.extensometer);
        const Recording r = c.make();
        Calculate(r);

        EXPECT_EQ(method.xChannel, c.extensometer != 0 ? 3 : 2);
        EXPECT_EQ(method.yChannel, 1);
        EXPECT_FLOAT_EQ(method.gaugeLength, c.extensometer != 0 ? kBase : kMarked);
        ExpectCutAt(kSamples, 3);

        const float area = static_cast<float>(DefaultArea());
        EXPECT_EQ(method.GetText("fF0"), "78.540");
        ExpectStrength(MaxOf(r.force), area, c.strength, false);
        EXPECT_NEAR(method.GetFloat("fE"), c.modulus, c.modulusTolerance * c.modulus);
        EXPECT_NEAR(method.GetFloat("fS02"), c.proof, c.proofTolerance);
        EXPECT_NEAR(method.GetFloat("fP02"), method.GetFloat("fS02") * area / 1000.0, 1e-4);
        EXPECT_NEAR(method.GetFloat("fSPC"), method.GetFloat("fPPC") / area * 1000.0, 1e-3);
        EXPECT_LE(method.GetFloat("fSPC"), method.GetFloat("fS02"));
        EXPECT_GT(method.GetFloat("fSPC"), 0.0);
        // The modulus is a result only where it was measured.
        EXPECT_EQ(GroupOf(method, "fE"), c.extensometer != 0 ? 3 : 4);
        EXPECT_EQ(Labels(buffer), (std::vector<std::string>{"`пц", "`т", "`[", "`в", "`к"}));
    }
}

TEST_F(Gost6996, CalculateTakesTheChannelFromTheFlagAsStored) {
    // A template or a typed value may leave the flag and the groups apart.
    method.SetExtensometer(0);
    Set("iTZ", "1");
    Calculate(BilinearCurve());
    EXPECT_EQ(GroupOf(method, "fE"), 3);
    EXPECT_NEAR(method.GetFloat("fE"), 200000.0, 20.0);

    method.SetExtensometer(1);
    Set("iTZ", "0");
    method.Calculate();
    EXPECT_EQ(GroupOf(method, "fE"), 4);
    EXPECT_NEAR(method.GetFloat("fE"), 200000.0 * kMarked / kGrips, 20.0);
}

TEST_F(Gost6996, ASlackToeIsNoOffsetPoint) {
    ExpectSlackToeIgnored({DefaultArea(), kGrips}, kSamples, {});
}

TEST_F(Gost6996, UpperYieldPointWithinOneSample) {
    method.SetExtensometer(1);
    ExpectUpperYieldPoints(
        kSamples,
        [](const UpperYield& c) {
            return Welded([&](double e) { return c.Stress(e); }, c.fractureStrain);
        },
        [&](const UpperYield& c) {
            EXPECT_NEAR(method.GetFloat("fPT"), c.upper * DefaultArea() / 1000.0, 1e-2);
        });
}

TEST_F(Gost6996, MarkersSitAtTheirOwnSamples) {
    random.script = {10, 300, 600, 32767, 254, 255};
    method.SetExtensometer(1);
    Calculate(BilinearCurve());
    struct Case {
        const char* label;
        int sample;
        int colour;
    };
    const Case cases[] = {
        {"`пц", method.iProp, Rgb(10, 45, 90)},
        {"`т", method.iYield, 0},
        {"`[", method.iOffset, Rgb(127, 254, 0)},
        {"`в", method.iMax, 0},
        // The last sample recorded before the fall.
        {"`к", kSamples - 1, 0},
    };
    ASSERT_EQ(buffer.picPoints.size(), std::size(cases));
    for (size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.label);
        const C_Buffer::SPicPoint& p = buffer.picPoints[k];
        EXPECT_EQ(p.label, c.label);
        EXPECT_GE(c.sample, 1);
        EXPECT_EQ(p.sampleIndex, c.sample);
        EXPECT_EQ(p.firstChannel, 2);
        EXPECT_EQ(p.secondChannel, 1);
        // The label at the point's own extensometer reading and force.
        EXPECT_EQ(p.labelX, static_cast<float>(buffer.GetValue(3, c.sample)));
        EXPECT_EQ(p.labelY, static_cast<float>(buffer.GetValue(1, c.sample)));
        EXPECT_EQ(p.colour, c.colour);
    }
    // The maximum's marker is the maximum, the offset marker the offset result.
    EXPECT_EQ(static_cast<float>(buffer.GetValue(1, method.iMax)), method.GetFloat("fPM"));
    EXPECT_EQ(static_cast<float>(buffer.GetValue(1, method.iOffset)), method.GetFloat("fP02"));
    // Proportional limit, elastic line, two unloading lines, the offset line.
    EXPECT_EQ(buffer.picLines.size(), 5u);
}

TEST_F(Gost6996, MeasuredAfterTheTest) {
    struct Case {
        const char* name;
        int type;
        int extensometer;
        std::vector<std::pair<const char*, const char*>> typed;
        double elongation;
        double reduction;
        double uniform;
    };
    const Case cases[] = {
        {"as declared", 0, 0, {}, 3.0, 19.0, 0.0},
        {"longer", 0, 0, {{"fLK", "150"}, {"fLNK", "112"}}, 50.0, 19.0, 12.0},
        {"flat", 1, 0, {{"fAK", "8"}}, 3.0, 28.0, 0.0},
        {"tube", 2, 0, {}, 3.0, 0.0, 0.0},
        {"final diameter not measured", 0, 0, {{"fDK", "0"}}, 3.0, 0.0, 0.0},
        {"final length not measured", 0, 0, {{"fLK", "0"}}, 0.0, 19.0, 0.0},
        {"negative final length", 0, 0, {{"fLK", "-5"}}, 0.0, 19.0, 0.0},
        {"no uniform-elongation length", 0, 0, {{"fLNR", "0"}, {"fLNK", "12"}}, 3.0, 19.0, 0.0},
        // With the extensometer the marked length only serves the elongation.
        {"no marked length, extensometer", 0, 1, {{"fL0", "0"}}, 0.0, 19.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C_Gost_6996 fresh(env);
        fresh.SetBuffer(&buffer);
        fresh.SetSampleType(c.type);
        fresh.SetExtensometer(c.extensometer);
        for (const auto& [name, text] : c.typed)
            fresh.SetFromText(fresh.IndexOf(name), text);
        const double lnr = fresh.GetFloat("fLNR");
        const double lnk = fresh.GetFloat("fLNK");
        Record(BilinearCurve(), buffer);
        fresh.Calculate();
        EXPECT_NEAR(fresh.GetFloat("fFIO"), c.elongation, 1e-4);
        EXPECT_NEAR(fresh.GetFloat("fFIS"), c.reduction, 1e-4);
        EXPECT_NEAR(fresh.GetFloat("fLU"), c.uniform, 1e-4);
        // 450 N/mm² on the cylinder of the curve.
        EXPECT_NEAR(fresh.GetFloat("fPM"), 35.34, 0.01);
        // The lengths measured by hand are never filled in.
        EXPECT_EQ(fresh.GetFloat("fLNR"), lnr);
        EXPECT_EQ(fresh.GetFloat("fLNK"), lnk);
    }
}

TEST_F(Gost6996, NineSamplesClearThePicturesAndTheResults) {
    Calculate(BilinearCurve());
    ASSERT_NE(method.GetText("fSB"), "0.000");
    Record(Ramp(9), buffer);
    buffer.AddPicLine(0, 0, 1, 1, 0);
    buffer.AddPicPoint(0, 0, 0, 2, 1, 3, "`в");
    buffer.AddPrintRect(0, 1, 1, 0, 2, 1);
    method.Calculate();
    EXPECT_TRUE(buffer.picLines.empty());
    EXPECT_TRUE(buffer.picPoints.empty());
    EXPECT_TRUE(buffer.printRects.empty());
    for (const char* name : kResults)
        EXPECT_EQ(method.GetFloat(name), 0.0) << name;
    EXPECT_EQ(buffer.GetCount(1), 9);
}

// ---------------------------------------------------------------- unusable input

TEST_F(Gost6996, UnusableDimensionsGiveNoResult) {
    struct Case {
        const char* name;
        int type;
        int extensometer;
        const char* field;
        const char* value;
    };
    const Case cases[] = {
        {"no diameter", 0, 0, "fD0", "0"},          {"negative diameter", 0, 0, "fD0", "-10"},
        {"flat without width", 1, 0, "fA0", "0"},   {"tube without a wall", 2, 0, "fA0t", "50"},
        {"no marked length", 0, 0, "fL0", "0"},     {"negative marked length", 0, 0, "fL0", "-100"},
        {"no extensometer base", 0, 1, "fBT", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        C_Gost_6996 fresh(env);
        fresh.SetBuffer(&buffer);
        fresh.SetSampleType(c.type);
        fresh.SetExtensometer(c.extensometer);
        Record(BilinearCurve(), buffer);
        fresh.Calculate();
        ASSERT_GT(fresh.GetFloat("fSB"), 100.0);
        ASSERT_GT(fresh.GetFloat("fFIO"), 0.0);

        Record(BilinearCurve(), buffer);
        fresh.SetFromText(fresh.IndexOf(c.field), c.value);
        fresh.Calculate();
        ExpectNoAnalysis(fresh, buffer, kResults, kSamples + 5);
        EXPECT_EQ(fresh.GetFloat("fF0"), static_cast<float>(fresh.CrossSection()));
        EXPECT_EQ(fresh.iProp, 0);
    }
}

TEST_F(Gost6996, AnExtensometerChannelWithoutSamplesComputesNothingFromIt) {
    method.SetExtensometer(1);
    Record(BilinearCurve(), buffer);
    buffer.ClearCan(3);
    method.Calculate();
    EXPECT_EQ(method.GetFloat("fSB"), 0.0);
    EXPECT_EQ(method.GetFloat("fE"), 0.0);
    EXPECT_TRUE(buffer.picPoints.empty());
    for (const char* name : kResults)
        EXPECT_TRUE(std::isfinite(method.GetFloat(name))) << name;
}

// ---------------------------------------------------------------- state between tests

TEST_F(Gost6996, EveryTestStartsFromACleanAnalysis) {
    method.SetExtensometer(1);
    Calculate(BilinearCurve());
    ASSERT_GT(method.GetFloat("fS02"), 0.0);
    ASSERT_NE(MarkerAt(buffer, "`["), -1);

    Calculate(Brittle(Specimen{DefaultArea(), kBase}));
    ExpectABrittleBreakWithoutOffsetPoints({"fS02", "fP02"}, {"`["});
}

TEST_F(Gost6996, RecalculatingChangesNeitherTheCurveNorTheResults) {
    Recording r = BilinearCurve();
    for (double& l : r.displacement)
        l += 0.3;  // slack in the grips
    Calculate(r);
    ExpectARecalculationChangesNothing();
}

// ---------------------------------------------------------------- template and registry

TEST_F(Gost6996, TheTemplateKeepsTheValuesButNotTheDate) {
    method.SetSampleType(2);
    Set({{"fD0t", "60"}, {"sM2", "РД"}});
    ExpectTemplateSavedAs("SHAB_ГОСТ 6996 растяжение.ips");

    const C_Gost_6996 reloaded = Reopened();
    ExpectTexts(reloaded, {{"fD0t", "60.00"}, {"sM2", "РД"}, {"sDA", "02.01.2025"}});
    EXPECT_EQ(reloaded.GetInt("iTO"), 2);
    EXPECT_EQ(GroupOf(reloaded, "fD0t"), 1);
    EXPECT_EQ(reloaded.GetItem("iTO", 2), "Труба");
}

using Gost6996Registry = MethodEnvTest;

TEST_F(Gost6996Registry, SelectionFillsTheListsOfTheSampleTypeAndTheExtensometer) {
    C_Buffer buffer;
    ConsoleRegistry shown(env, buffer);
    C_GostWorks& registry = shown.registry;
    const auto& lists = shown.lists;

    const auto has = [](const std::vector<std::string>& list, const std::string& line) {
        return std::find(list.begin(), list.end(), line) != list.end();
    };
    ASSERT_TRUE(registry.Select(4, 2, 1));
    ASSERT_EQ(registry.Current(), &registry.gost6996);
    EXPECT_EQ(shown.types, (std::vector<std::string>{"Цилиндрический", "Плоский", "Труба"}));
    EXPECT_TRUE(has(lists[0], "База тензометра, мм=50.000"));
    EXPECT_TRUE(has(lists[1], "Наружный диаметр, мм=50.00"));
    EXPECT_TRUE(has(lists[1], "Внутренний диаметр, мм=46.00"));
    EXPECT_FALSE(has(lists[1], "Начальный диаметр, мм=10.000"));
    EXPECT_TRUE(has(lists[3], "Модуль упругости E, МПа=0.000"));
    EXPECT_EQ(registry.gost6996.GetText("fS0"), "301.593");
    EXPECT_TRUE(std::filesystem::exists(folder.File("SHAB_ГОСТ 6996 растяжение.ips")));

    ASSERT_TRUE(registry.Select(4, 0, 0));
    EXPECT_FALSE(has(lists[0], "База тензометра, мм=50.000"));
    EXPECT_TRUE(has(lists[1], "Начальный диаметр, мм=10.000"));
    EXPECT_FALSE(has(lists[3], "Модуль упругости E, МПа=0.000"));
    EXPECT_EQ(registry.gost6996.GetText("fS0"), "78.540");
}

}  // namespace

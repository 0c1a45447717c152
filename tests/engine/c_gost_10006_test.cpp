#include "engine/c_gost_10006.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "engine/c_gostwork.h"
#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "support/console_stand_in.h"
#include "support/curves.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport::curves;
using testsupport::FakeClock;
using testsupport::ScriptedRandom;

// The results the method computes, all in group 3 when declared.
const char* const kResults[] = {"fF0", "fFIO", "fFIS", "fSB", "fSPC",
                                "fST", "fS02", "fPM",  "fPT", "fP02"};

// The pipe of the default list: outer diameter 10 mm, wall 2 mm, measured
// over the gauge length of 100 mm.
constexpr double kPipeArea = std::numbers::pi * 2.0 * 8.0;
const Specimen kPipe{kPipeArea, 100.0};

constexpr int kSamples = 20000;

std::vector<std::string> Labels(const C_Buffer& b) {
    std::vector<std::string> labels;
    for (const C_Buffer::SPicPoint& p : b.picPoints)
        labels.push_back(p.label);
    return labels;
}

int Marker(const C_Buffer& b, const std::string& label) {
    for (const C_Buffer::SPicPoint& p : b.picPoints) {
        if (p.label == label) return p.sampleIndex;
    }
    return -1;
}

Recording Curve(const std::function<double(double)>& stress, double strainEnd,
                const Specimen& s = kPipe) {
    return Sample(stress, strainEnd, kSamples, s);
}

Recording BilinearCurve(const Specimen& s = kPipe) {
    const Bilinear c;
    return Curve([c](double e) { return c.Stress(e); }, c.fractureStrain, s);
}

class Gost10006 : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        buffer.SetCanCount(7);
        method.SetBuffer(&buffer);
    }

    void Calculate(const Recording& r) {
        Record(r, buffer);
        method.Calculate();
    }
    void Set(const char* name, const std::string& text) {
        ASSERT_GE(method.IndexOf(name), 0) << name;
        method.SetFromText(method.IndexOf(name), text);
    }
    int Group(const char* name) const { return method.Record(method.IndexOf(name))->group; }

    testsupport::TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    MethodEnv env{clock, random, nullptr, folder.path()};
    C_Gost_10006 method{env};
    C_Buffer buffer;
};

// ---------------------------------------------------------------- declarations

TEST_F(Gost10006, DeclaresItsThirtyEightParametersInOrder) {
    const std::vector<std::string> names = {
        "sFULLNAME", "sGO", "iTO",  "sDA", "sTI",  "sTE",  "sNI",     "sZL",  "sP001", "sP002",
        "sP003",     "fLs", "fL0",  "fD0", "fD0S", "fA0",  "fB0",     "fLK",  "fDK",   "fAK",
        "fBK",       "fSK", "fF0",  "fFK", "fFIO", "fFIS", "fSB",     "fSPC", "fST",   "fS02",
        "fPM",       "fPT", "fP02", "fOX", "fOY",  "fPos", "iVECTOR", "fS0"};
    ASSERT_EQ(method.Count(), 38);
    int results = 0;
    for (int i = 0; i < method.Count(); ++i) {
        const S_Val& r = *method.Record(i);
        EXPECT_EQ(r.name, names[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(r.visible, 1) << r.name;
        EXPECT_EQ(r.persist, 1) << r.name;
        results += r.group == 3 ? 1 : 0;
    }
    EXPECT_EQ(results, 10);
    EXPECT_EQ(method.boundPercent, 0);
}

TEST_F(Gost10006, DeclarationsThatMatter) {
    struct Case {
        const char* name;
        const char* caption;
        int group;
        int type;
        const char* format;
        const char* text;  // the value as shown
        const char* maxText;
        double max;  // float limits
        double min;
    };
    // Look-alikes spelled by their bytes: a Latin C before the degree sign, a
    // Latin D and o in "Do", a Cyrillic а and a Latin o in "аo", a Latin lk.
    const Case cases[] = {
        {"sFULLNAME", "НАЗВАНИЕ", 4, C_Parametr::kText, "",
         "ТРУБЫ МЕТАЛЛИЧЕСКИЕ МЕТОД ИСПЫТАНИЯ НА РАСТЯЖЕНИЕ", "", 0.0, 0.0},
        {"sGO", "Нормативный документ", 4, C_Parametr::kText, "", "ГОСТ 10006", "", 0.0, 0.0},
        {"iTO", "Тип образца", 4, C_Parametr::kInt, "$Цилиндрический?Плоский?Трубчатый?", "2", "3",
         0.0, 0.0},
        {"sTI", "Время", 0, C_Parametr::kText, "", "00:00:00", "", 0.0, 0.0},
        {"sTE", "Температура,C\xC2\xB0", 0, C_Parametr::kText, "", "20", "", 0.0, 0.0},
        {"fL0", "Начальная расчетная длина, мм", 1, C_Parametr::kFloat, "0.000", "100.000",
         "3000.0", 3000.0, -1000.0},
        {"fD0", "Начальный диаметр \x44\x6F, мм", 1, C_Parametr::kFloat, "0.000", "10.000",
         "1000.0", 1000.0, -1000.0},
        {"fD0S", "Толщина стенки \xD0\xB0\x6F, мм", 1, C_Parametr::kFloat, "0.000", "2.000",
         "1000.0", 1000.0, -1000.0},
        {"fA0", "Начальная ширина, мм", 4, C_Parametr::kFloat, "0.000", "10.000", "1000.0", 1000.0,
         -1000.0},
        {"fLK", "Конечная длина \x6C\x6B, мм", 2, C_Parametr::kFloat, "0.000", "0.000", "1000.0",
         1000.0, -1000.0},
        {"fDK", "Конечный диаметр , мм", 2, C_Parametr::kFloat, "0.000", "9.000", "1000.0", 1000.0,
         -1000.0},
        {"fSK", "Конечная площадь образца, мм~", 4, C_Parametr::kFloat, "0.000", "0.000", "1000.0",
         1000.0, -1000.0},
        {"fF0", "Площадь сечения, мм~", 3, C_Parametr::kFloat, "0.000", "0.000", "10000.0", 10000.0,
         -10000.0},
        {"fSB", "Предел прочности `в, МПа", 3, C_Parametr::kFloat, "0.000", "0.000", "10000000.0",
         1e7, -1e7},
        {"fS02", "Предел текучести (усл.) `[, МПа", 3, C_Parametr::kFloat, "0.000", "0.000",
         "10000000.0", 1e7, -1e7},
        {"fPM", "Максимальная нагрузка F`в, кН", 3, C_Parametr::kFloat, "0.000", "0.000",
         "10000000.0", 1e7, -1e7},
        {"fP02", "Нагрузка при условном пределе текучести F`[, кН", 3, C_Parametr::kFloat, "0.000",
         "0.000", "10000000.0", 1e7, -1e7},
        {"fOX", "L,мм", 4, C_Parametr::kInt, "0.000", "2", "10", 0.0, 0.0},
        {"fOY", "F,кН", 4, C_Parametr::kInt, "0.000", "1", "10", 0.0, 0.0},
        {"fPos", "Поз Образца", 4, C_Parametr::kInt, "0.000", "0", "2", 0.0, 0.0},
        {"iVECTOR", "ТИП ИСПЫТАНИЯ", 4, C_Parametr::kInt, "0", "0", "3", 0.0, 0.0},
        {"fS0", "Площадь сечения, мм~", 4, C_Parametr::kFloat, "0.000", "0.000", "100000.0",
         100000.0, -100000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const S_Val& r = *method.Record(method.IndexOf(c.name));
        EXPECT_EQ(r.caption, c.caption);
        EXPECT_EQ(r.group, c.group);
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.format, c.format);
        EXPECT_EQ(method.GetText(c.name), c.text);
        EXPECT_EQ(r.maxText, c.maxText);
        if (c.type == C_Parametr::kFloat) {
            EXPECT_EQ(r.floatMax, c.max);
            EXPECT_EQ(r.floatMin, c.min);
        }
    }
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
    struct Case {
        int type;
        std::vector<std::pair<const char*, int>> groups;
    };
    const Case cases[] = {
        {0,
         {{"fD0", 1},
          {"fDK", 2},
          {"fFIS", 3},
          {"fA0", 4},
          {"fB0", 4},
          {"fAK", 4},
          {"fBK", 4},
          {"fD0S", 4}}},
        {1,
         {{"fA0", 1},
          {"fB0", 1},
          {"fAK", 2},
          {"fBK", 2},
          {"fFIS", 3},
          {"fD0S", 4},
          {"fD0", 4},
          {"fDK", 4}}},
        {2,
         {{"fD0S", 1},
          {"fD0", 1},
          {"fA0", 4},
          {"fB0", 4},
          {"fAK", 4},
          {"fBK", 4},
          {"fDK", 4},
          {"fFIS", 4}}},
        // No such type: the groups stay those of the pipe.
        {3,
         {{"fD0S", 1},
          {"fD0", 1},
          {"fA0", 4},
          {"fB0", 4},
          {"fAK", 4},
          {"fBK", 4},
          {"fDK", 4},
          {"fFIS", 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Set("fLK", "55");
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), c.type);
        EXPECT_EQ(method.GetFloat("fLK"), 0.0);
        for (const auto& [name, group] : c.groups)
            EXPECT_EQ(Group(name), group) << name;
    }
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
    const Bilinear bilinear;
    const UpperYield upper;
    RambergOsgood smooth;
    smooth.n = 10.0;
    const double smoothEnd = smooth.Strain(1.3 * smooth.proof);
    struct Case {
        const char* name;
        Recording curve;
        double strength;
        double proof;  // 0.2 % offset yield strength
        double proofTolerance;
    };
    const Case cases[] = {
        {"bilinear", BilinearCurve(), 450.0, bilinear.OffsetStress(0.002),
         noisy ? 0.01 * 303 : bilinear.hardening * 0.14 / kSamples},
        {"upper yield point",
         Curve([&](double e) { return upper.Stress(e); }, upper.fractureStrain), 450.0, upper.lower,
         noisy ? 0.01 * 290 : 1e-3},
        {"Ramberg-Osgood", Curve([&](double e) { return smooth.Stress(e); }, smoothEnd),
         1.3 * smooth.proof, smooth.proof, 0.01 * smooth.proof},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recording r = c.curve;
        const double fMax = MaxOf(r.force);
        if (noisy) AddForceNoise(r, 0.0005 * fMax, 20240305);
        Set("fLK", "0");
        Calculate(r);

        // Cut just before the fall.
        for (int ch = 0; ch <= 3; ++ch)
            EXPECT_EQ(buffer.GetCount(ch), kSamples) << "channel " << ch;

        EXPECT_NEAR(method.GetFloat("fF0"), kPipeArea, 1e-4);
        const double sb = method.GetFloat("fSB");
        if (noisy) {
            EXPECT_NEAR(sb, c.strength, 0.001 * c.strength);
        } else {
            const float peak = static_cast<float>(fMax);
            EXPECT_EQ(method.GetFloat("fPM"), peak);
            EXPECT_EQ(sb, peak / static_cast<float>(kPipeArea) * 1000.0f);
            EXPECT_NEAR(sb, c.strength, 1e-4 * c.strength);
        }
        EXPECT_NEAR(method.GetFloat("fS02"), c.proof, c.proofTolerance);
        EXPECT_NEAR(method.GetFloat("fP02"), method.GetFloat("fS02") * kPipeArea / 1000.0, 1e-4);
        EXPECT_NEAR(method.GetFloat("fPT"), method.GetFloat("fST") * kPipeArea / 1000.0, 1e-4);
        EXPECT_GT(method.GetFloat("fSPC"), 0.0);
        EXPECT_LE(method.GetFloat("fSPC"), method.GetFloat("fSB"));
        EXPECT_EQ(Labels(buffer), (std::vector<std::string>{"`пц", "`т", "`[", "`в", "к"}));
        EXPECT_EQ(Marker(buffer, "к"), kSamples - 1);
        EXPECT_EQ(Marker(buffer, "`["), method.iOffset);
        EXPECT_EQ(Marker(buffer, "`в"), method.iMax);
    }
}

INSTANTIATE_TEST_SUITE_P(Gost10006, Gost10006Curves, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? std::string("Noisy") : std::string("Clean");
                         });

TEST_F(Gost10006, UpperYieldPointWithinOneSample) {
    const UpperYield c;
    const double step = c.fractureStrain / (kSamples - 1);
    Calculate(Curve([&](double e) { return c.Stress(e); }, c.fractureStrain));
    const int peak = static_cast<int>(std::round(c.PeakStrain() / step));
    EXPECT_NEAR(method.iYield, peak, 1.0);
    EXPECT_NEAR(method.GetFloat("fST"), c.upper, c.modulus * step);
    EXPECT_EQ(Marker(buffer, "`т"), method.iYield);
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
    EXPECT_EQ(Marker(buffer, "`пц"), method.iProp);
    EXPECT_EQ(Marker(buffer, "`в"), static_cast<int>(std::round(c.UniformStrain() / step)));
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
    std::vector<std::string> before;
    for (const char* name : kResults)
        before.push_back(method.GetText(name));
    Set("fOX", "5");
    Set("fOY", "4");
    Calculate(BilinearCurve());
    EXPECT_EQ(method.xChannel, 2);
    EXPECT_EQ(method.yChannel, 1);
    for (size_t k = 0; k < std::size(kResults); ++k)
        EXPECT_EQ(method.GetText(kResults[k]), before[k]) << kResults[k];
    EXPECT_EQ(buffer.picPoints.size(), 5u);
}

TEST_F(Gost10006, NineSamplesLeaveThePicturesAndResults) {
    Calculate(BilinearCurve());
    std::vector<std::string> before;
    for (const char* name : kResults)
        before.push_back(method.GetText(name));
    const size_t points = buffer.picPoints.size();
    const size_t lines = buffer.picLines.size();
    ASSERT_GT(points, 0u);

    // The buffer emptied for a new test and nine samples recorded; the
    // annotations of the last calculation are still there.
    for (int c = 0; c < 7; ++c)
        buffer.ClearCan(c);
    for (int i = 0; i < 9; ++i) {
        buffer.AddValue(0, i);
        buffer.AddValue(1, i);
        buffer.AddValue(2, i);
    }
    method.Calculate();
    EXPECT_EQ(buffer.picPoints.size(), points);
    EXPECT_EQ(buffer.picLines.size(), lines);
    for (size_t k = 0; k < std::size(kResults); ++k)
        EXPECT_EQ(method.GetText(kResults[k]), before[k]) << kResults[k];
}

TEST_F(Gost10006, UnusableDimensionsGiveNoResult) {
    struct Case {
        const char* name;
        int type;
        const char* field;
        const char* value;
        bool area;  // the cross-section itself is usable
    };
    const Case cases[] = {
        {"pipe without a wall", 2, "fD0S", "0", false},
        {"wall thicker than the radius", 2, "fD0S", "5.5", false},
        {"negative outer diameter", 2, "fD0", "-10", false},
        {"cylinder without a diameter", 0, "fD0", "0", false},
        {"flat without a width", 1, "fA0", "0", false},
        {"sample type without a formula", 3, "fD0", "10", false},
        {"no gauge length", 2, "fL0", "0", true},
        {"negative gauge length", 2, "fL0", "-50", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        method.SetSampleType(2);
        Set("fD0", "10");
        Set("fD0S", "2");
        Set("fL0", "100");
        Calculate(BilinearCurve());
        ASSERT_GT(method.GetFloat("fSB"), 0.0);

        Record(BilinearCurve(), buffer);
        method.SetSampleType(c.type);
        Set(c.field, c.value);
        method.Calculate();
        for (const char* name : kResults) {
            if (std::string(name) == "fF0") continue;
            EXPECT_EQ(method.GetFloat(name), 0.0) << name;
        }
        EXPECT_EQ(method.GetFloat("fF0") > 0.0, c.area);
        EXPECT_EQ(method.GetFloat("fLK"), 0.0);
        EXPECT_TRUE(buffer.picPoints.empty());
        EXPECT_TRUE(buffer.picLines.empty());
        for (int i = 0; i < method.Count(); ++i) {
            const S_Val& r = *method.Record(i);
            if (r.type != C_Parametr::kFloat) continue;
            EXPECT_TRUE(std::isfinite(method.GetFloat(r.name))) << r.name;
        }
        // Without an analysis the recording is not cut, and no point stays.
        EXPECT_EQ(buffer.GetCount(1), kSamples + 5);
        EXPECT_EQ(method.iMax, 0);
        EXPECT_EQ(method.iOffset, 0);
    }
}

TEST_F(Gost10006, EveryTestStartsFromACleanAnalysis) {
    Calculate(BilinearCurve());
    ASSERT_GT(method.GetFloat("fS02"), 0.0);
    ASSERT_GE(Marker(buffer, "`["), 1);

    // A brittle pipe, straight to the break: no offset point to find.
    Recording brittle;
    for (int i = 0; i < 200; ++i)
        brittle.Add(0.01 * i, kPipe.Force(2.0 * i), kPipe.Length(1e-5 * i));
    brittle.Add(2.0, 0.1, kPipe.Length(0.002));
    Set("fLK", "0");
    Calculate(brittle);
    EXPECT_NEAR(method.GetFloat("fSB"), 398.0, 1e-3);
    EXPECT_EQ(method.GetFloat("fS02"), 0.0);
    EXPECT_EQ(method.GetFloat("fP02"), 0.0);
    EXPECT_EQ(Marker(buffer, "`["), -1);
}

TEST_F(Gost10006, ChannelsOfDifferentLengthsAreReadWhereBothHoldSamples) {
    // An opened file whose displacement channel is shorter than the force.
    const Recording full = BilinearCurve();
    Record(full, buffer);
    buffer.cans[2].samples.resize(15000);
    buffer.cans[2].count = 15000;
    method.Calculate();
    EXPECT_NEAR(method.GetFloat("fLK"), 100.0 + full.displacement[14999] - method.xProp, 1e-3);
    EXPECT_EQ(Marker(buffer, "к"), 14999);
}

// ---------------------------------------------------------------- template and registry

TEST_F(Gost10006, TheTemplateKeepsTheValuesButNotTheDate) {
    Set("fD0", "57");
    Set("fD0S", "3.5");
    Set("sP001", "20");
    method.SetSampleType(0);
    method.SaveTemplate();
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder.path()))
        files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"SHAB_ГОСТ 10006.ips"});

    clock.now = {2025, 1, 2, 3, 4, 5};
    C_Gost_10006 reloaded(env);
    EXPECT_EQ(reloaded.Count(), 38);
    EXPECT_EQ(reloaded.GetText("fD0"), "57.000");
    EXPECT_EQ(reloaded.GetText("fD0S"), "3.500");
    EXPECT_EQ(reloaded.GetText("sP001"), "20");
    EXPECT_EQ(reloaded.GetInt("iTO"), 0);
    EXPECT_EQ(reloaded.Record(reloaded.IndexOf("fD0S"))->group, 4);
    EXPECT_EQ(reloaded.GetText("sDA"), "02.01.2025");
}

TEST(Gost10006Registry, SelectingThePipeListsItsDimensionsWithoutReductionOfArea) {
    platform::SetDecimalSeparator('.');
    testsupport::TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    C_GostWorks registry{MethodEnv{clock, random, nullptr, folder.path()}};
    C_Buffer buffer;
    C_GostWorks::TextList methods, types, lists[4];
    registry.Init(&methods, &types, &lists[0], &lists[1], &lists[2], &lists[3]);
    registry.FillMethodList(0, &buffer);

    ASSERT_TRUE(registry.Select(6, 2, 0));
    EXPECT_EQ(registry.Current(), &registry.gost10006);
    EXPECT_EQ(types, (C_GostWorks::TextList{"Цилиндрический", "Плоский", "Трубчатый"}));
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

#include "engine/c_gost_1497.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "engine/testfile.h"
#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "support/console_stand_in.h"
#include "support/curves.h"
#include "support/temp_folder.h"

namespace {

using namespace testsupport::curves;
using testsupport::FakeClock;
using testsupport::ScriptedRandom;

// The results the method computes, all in group 3.
const char* const kResults[] = {"fF0", "fL0",  "fFIO",  "fFIS", "fLU",  "fE",  "fSB",  "fSPC",
                                "fST", "fS02", "fS002", "fPM",  "fPPC", "fPT", "fP02", "fP002"};

// The specimen of the default list: cylindrical, 10 mm, gauge length by the
// rule 5.65 sqrt(S0), as the method computes them.
Specimen DefaultSpecimen() {
    const float area = static_cast<float>(CircleArea(10.0));
    return {area, 5.65f * std::sqrt(area)};
}

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

// The row of a parameter among the visible ones of its group, as the result
// list shows them.
int VisibleRow(const C_Parametr& m, const std::string& name) {
    int row = 0;
    for (int i = 0; i < m.Count(); ++i) {
        const S_Val& r = *m.Record(i);
        if (r.name == name) return row;
        if (r.group == 3 && r.visible != 0) ++row;
    }
    return -1;
}

class Gost1497 : public ::testing::Test {
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
    void ExpectNoResults() {
        for (const char* name : kResults) {
            if (std::string(name) == "fL0" || std::string(name) == "fF0") continue;
            EXPECT_EQ(method.GetFloat(name), 0.0) << name;
        }
        EXPECT_TRUE(buffer.picPoints.empty());
        EXPECT_TRUE(buffer.picLines.empty());
    }

    testsupport::TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    MethodEnv env{clock, random, nullptr, folder.path()};
    C_Gost_1497 method{env};
    C_Buffer buffer;
};

// A curve of the default specimen with 20000 samples up to the break.
constexpr int kSamples = 20000;

Recording BilinearCurve(const Bilinear& c = {}) {
    return Sample([&](double e) { return c.Stress(e); }, c.fractureStrain, kSamples,
                  DefaultSpecimen());
}

// ---------------------------------------------------------------- declarations

TEST_F(Gost1497, DeclaresItsListWithTodaysDate) {
    ASSERT_EQ(method.Count(), 56);
    EXPECT_EQ(method.Record(0)->name, "sFULLNAME");
    EXPECT_EQ(method.Record(55)->name, "fS0");
    EXPECT_EQ(method.GetValueText("sGO"), "ГОСТ 1497");
    EXPECT_EQ(method.GetMaxText("sGO"), "100");
    EXPECT_EQ(method.GetItem("iTO", 0), "Цилиндрический");
    EXPECT_EQ(method.GetItem("iTO", 1), "Плоский");
    EXPECT_EQ(method.GetMaxText("iTO"), "2");
    EXPECT_EQ(method.GetText("sDA"), "05.03.2024");
    EXPECT_EQ(method.GetText("sTI"), "14:07:09");
    EXPECT_EQ(method.GetCaption("fS002"), "Предел упругости (усл.) `{, Н/мм~");
    EXPECT_EQ(method.GetCaption("fSpd"), "Скорость ГОСТ к\x48/с");  // a Latin H, byte for byte
    EXPECT_FALSE(method.GetVisible(method.IndexOf("fLo")));
    EXPECT_EQ(method.GetText("fDK"), "9.00");
    EXPECT_EQ(method.boundPercent, 0);
    EXPECT_TRUE(method.defined);
    int results = 0;
    for (int i = 0; i < method.Count(); ++i)
        results += method.InGroup(i, 3) ? 1 : 0;
    EXPECT_EQ(results, 16);
}

TEST_F(Gost1497, SampleTypeMovesTheDimensionsAndClearsTheFinalLength) {
    struct Case {
        int type;
        std::vector<std::pair<const char*, int>> groups;
    };
    const Case cases[] = {
        {1, {{"fA0", 1}, {"fB0", 1}, {"fAK", 2}, {"fBK", 2}, {"fD0", 4}, {"fDK", 4}}},
        {0, {{"fA0", 4}, {"fB0", 4}, {"fAK", 4}, {"fBK", 4}, {"fD0", 1}, {"fDK", 2}}},
        // No formula: only the type is stored.
        {2, {{"fA0", 4}, {"fB0", 4}, {"fAK", 4}, {"fBK", 4}, {"fD0", 1}, {"fDK", 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Set("fLK", "55");
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), c.type);
        EXPECT_EQ(method.GetFloat("fLK"), 0.0);
        for (const auto& [name, group] : c.groups)
            EXPECT_EQ(method.Record(method.IndexOf(name))->group, group) << name;
    }
}

TEST_F(Gost1497, UpdateAreaFollowsTheDimensions) {
    struct Case {
        const char* name;
        int type;
        const char* d0;
        const char* a0;
        const char* b0;
        double area;
    };
    const Case cases[] = {
        {"cylinder", 0, "10", "3", "4", 78.5398},
        {"flat", 1, "10", "3", "4", 12.0},
        {"no formula", 2, "10", "3", "4", 0.0},
        {"negative diameter", 0, "-10", "3", "4", 0.0},
        {"flat without thickness", 1, "10", "3", "0", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        method.SetSampleType(c.type);
        Set("fD0", c.d0);
        Set("fA0", c.a0);
        Set("fB0", c.b0);
        method.UpdateArea();
        EXPECT_NEAR(method.GetFloat("fS0"), c.area, 1e-4);
    }
    EXPECT_DOUBLE_EQ(CircleArea(2.0), 3.14159265358979323846);
}

// ---------------------------------------------------------------- curves with known answers

struct CurveCase {
    const char* name;
    std::function<Recording()> make;
    double strength;  // N/mm²
    double modulus;
    double proof;  // 0.2 % offset yield strength
    double proofTolerance;
    double modulusTolerance;  // relative
};

class Gost1497Curves : public Gost1497, public ::testing::WithParamInterface<bool> {};

TEST_P(Gost1497Curves, MeetTheirClosedForms) {
    const bool noisy = GetParam();
    const Specimen s = DefaultSpecimen();
    const Bilinear bilinear;
    const UpperYield upper;
    RambergOsgood smooth;
    smooth.n = 10.0;
    const double smoothEnd = smooth.Strain(1.3 * smooth.proof);
    const auto smoothCurve = [&] {
        return Sample([&](double e) { return smooth.Stress(e); }, smoothEnd, kSamples, s);
    };
    const CurveCase cases[] = {
        // One sample step along the hardening line near the offset point.
        {"bilinear", [&] { return BilinearCurve(bilinear); }, 450.0, 200000.0,
         bilinear.OffsetStress(0.002), noisy ? 0.01 * 303 : bilinear.hardening * 0.14 / kSamples,
         noisy ? 0.02 : 1e-4},
        {"upper yield point",
         [&] {
             return Sample([&](double e) { return upper.Stress(e); }, upper.fractureStrain,
                           kSamples, s);
         },
         450.0, 200000.0, upper.lower, noisy ? 0.01 * 290 : 1e-3, noisy ? 0.02 : 1e-4},
        {"Ramberg-Osgood", smoothCurve, 1.3 * smooth.proof, smooth.modulus, smooth.proof,
         0.01 * smooth.proof, 0.02},
        // Displacement not zeroed: the curve starts below 0. The offset
        // stretch over twice the proportional-limit X then ends far below
        // the point; the search goes on along the offset line.
        {"Ramberg-Osgood from -0.05 mm",
         [&] {
             Recording r = smoothCurve();
             for (double& l : r.displacement)
                 l -= 0.05;
             r.extensometer = r.displacement;
             return r;
         },
         1.3 * smooth.proof, smooth.modulus, smooth.proof, 0.01 * smooth.proof, 0.02},
    };
    for (const CurveCase& c : cases) {
        SCOPED_TRACE(c.name);
        Recording r = c.make();
        const double fMax = MaxOf(r.force);
        if (noisy) AddForceNoise(r, 0.0005 * fMax, 20240305);
        Calculate(r);

        // The cut removes the fall and what follows, nothing before it.
        for (int ch = 0; ch <= 5; ++ch)
            EXPECT_EQ(buffer.GetCount(ch), kSamples) << "channel " << ch;

        const double sb = method.GetFloat("fSB");
        if (noisy) {
            EXPECT_NEAR(sb, c.strength, 0.001 * c.strength);
        } else {
            const float peak = static_cast<float>(fMax);
            EXPECT_EQ(method.GetFloat("fPM"), peak);
            EXPECT_EQ(sb, peak / static_cast<float>(s.area) * 1000.0f);
            EXPECT_NEAR(sb, c.strength, 1e-4 * c.strength);
        }
        EXPECT_NEAR(method.GetFloat("fE"), c.modulus, c.modulusTolerance * c.modulus);
        EXPECT_NEAR(method.GetFloat("fS02"), c.proof, c.proofTolerance);
        EXPECT_NEAR(method.GetFloat("fP02"), method.GetFloat("fS02") * s.area / 1000.0, 1e-4);
        EXPECT_EQ(Labels(buffer), (std::vector<std::string>{"`пц", "`{", "`[", "`т", "`в", "`к"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Gost1497, Gost1497Curves, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? std::string("Noisy") : std::string("Clean");
                         });

TEST_F(Gost1497, BilinearElongationsFromTheUnloadingLines) {
    const Bilinear c;
    const Specimen s = DefaultSpecimen();
    const double step = c.fractureStrain / (kSamples - 1);
    Calculate(BilinearCurve(c));

    EXPECT_NEAR(method.GetFloat("fF0"), 78.5398, 1e-4);
    EXPECT_NEAR(method.GetFloat("fL0"), 50.0718, 1e-4);
    // Unloading from the last sample before the fall and from the maximum,
    // parallel to the elastic line.
    const double elongation = (c.fractureStrain - c.fracture / c.modulus) * 100.0;
    const double uniform = (c.UniformStrain() - c.strength / c.modulus) * 100.0;
    EXPECT_NEAR(method.GetFloat("fFIO"), elongation, 1e-3);
    EXPECT_NEAR(method.GetFloat("fLU"), uniform, 1e-3);
    EXPECT_NEAR(method.GetFloat("fLK"), s.gauge * (1.0 + elongation / 100.0), 1e-3);
    EXPECT_NEAR(method.GetFloat("fFIS"), 19.0, 1e-4);  // 10 mm to 9 mm

    // The 0.2 % point within one sample of the analytic intersection.
    const double offsetStrain = c.OffsetStress(0.002) / c.modulus + 0.002;
    EXPECT_NEAR(method.iOffsetYield, offsetStrain / step, 1.0);
    EXPECT_EQ(Marker(buffer, "`["), static_cast<int>(method.iOffsetYield));
    EXPECT_EQ(Marker(buffer, "`в"), static_cast<int>(std::round(c.UniformStrain() / step)));
    EXPECT_EQ(Marker(buffer, "`к"), kSamples - 1);

    // The construction lines: proportional limit, elastic line, two
    // unloading lines, the two offset lines.
    ASSERT_EQ(buffer.picLines.size(), 6u);
    EXPECT_EQ(buffer.picLines[0].colour, C_Gost_Base::kGrey);
    EXPECT_EQ(buffer.picLines[1].colour, C_Gost_Base::kGreen);
    for (size_t i = 2; i < 6; ++i)
        EXPECT_EQ(buffer.picLines[i].colour, C_Gost_Base::kDarkGrey);
    const C_Buffer::SPicLine& lastUnloading = buffer.picLines[2];
    EXPECT_NEAR(lastUnloading.x1, s.Length(elongation / 100.0), 1e-4);
    EXPECT_EQ(lastUnloading.y1, 0.0f);
}

TEST_F(Gost1497, UpperYieldPointWithinOneSample) {
    const UpperYield c;
    const double step = c.fractureStrain / (kSamples - 1);
    Calculate(Sample([&](double e) { return c.Stress(e); }, c.fractureStrain, kSamples,
                     DefaultSpecimen()));
    const int peak = static_cast<int>(std::round(c.PeakStrain() / step));
    EXPECT_NEAR(method.GetFloat("fPOStec"), peak, 1.0);
    EXPECT_NEAR(method.GetFloat("fST"), c.upper, c.modulus * step);
    EXPECT_EQ(Marker(buffer, "`т"), static_cast<int>(method.GetFloat("fPOStec")));
}

// ---------------------------------------------------------------- the calculation's rules

TEST_F(Gost1497, GaugeLengthTypedOrByTheRule) {
    struct Case {
        const char* lo;
        double l0;
    };
    for (const Case& c : {Case{"0", 50.0718}, Case{"80", 80.0}}) {
        SCOPED_TRACE(c.lo);
        Set("fLo", c.lo);
        Calculate(BilinearCurve());
        EXPECT_NEAR(method.GetFloat("fL0"), c.l0, 1e-4);
        EXPECT_EQ(method.GetText("fF0"), "78.54");
    }
}

TEST_F(Gost1497, ATypedFinalLengthWinsAndAnEmptyOneIsFilledIn) {
    Set("fLo", "50");
    Set("fLK", "60");
    Calculate(BilinearCurve());
    EXPECT_NEAR(method.GetFloat("fFIO"), 20.0, 1e-4);
    EXPECT_EQ(method.GetFloat("fLK"), 60.0);

    Set("fLK", "0");
    method.Calculate();
    const double lk = method.GetFloat("fLK");
    EXPECT_GT(lk, 50.0);
    EXPECT_NEAR(method.GetFloat("fFIO"), (lk - 50.0) * 2.0, 1e-3);
}

TEST_F(Gost1497, StressOnYGivesTheForceFromTheArea) {
    Calculate(BilinearCurve());
    const double forceModulus = method.GetFloat("fE");
    const double forceProof = method.GetFloat("fS02");
    const double elongation = method.GetFloat("fFIO");
    const double uniform = method.GetFloat("fLU");
    ASSERT_GT(elongation, 0.0);
    Set("fOY", "4");
    Set("fLK", "0");
    method.Calculate();
    // The unloading lines run from the Y value over the Y slope, so the
    // elongations do not depend on the axis either.
    EXPECT_NEAR(method.GetFloat("fFIO"), elongation, 1e-3);
    EXPECT_NEAR(method.GetFloat("fLU"), uniform, 1e-3);
    const float peak = static_cast<float>(buffer.GetMax(4));
    EXPECT_EQ(method.GetFloat("fSB"), peak);
    EXPECT_NEAR(method.GetFloat("fPM"), 0.001 * peak * CircleArea(10.0), 1e-4);
    EXPECT_NEAR(method.GetFloat("fE"), forceModulus, 1e-4 * forceModulus);
    // The nearest sample to the offset line may be the neighbour on other scales.
    EXPECT_NEAR(method.GetFloat("fS02"), forceProof, 0.02);
}

TEST_F(Gost1497, StrainInPercentOnXTakesTheOffsetAsAPercent) {
    Calculate(BilinearCurve());
    const double onDisplacement[] = {method.GetFloat("fE"), method.GetFloat("fS02"),
                                     method.GetFloat("fS002"), method.GetFloat("fFIO"),
                                     method.GetFloat("fLU")};
    Set("fOX", "5");
    Set("fLK", "0");
    method.Calculate();
    const double onStrain[] = {method.GetFloat("fE"), method.GetFloat("fS02"),
                               method.GetFloat("fS002"), method.GetFloat("fFIO"),
                               method.GetFloat("fLU")};
    EXPECT_NEAR(onStrain[0], onDisplacement[0], 1e-4 * onDisplacement[0]);
    // Within a sample step of the hardening line.
    EXPECT_NEAR(onStrain[1], onDisplacement[1], 0.02);
    EXPECT_NEAR(onStrain[2], onDisplacement[2], 0.02);
    EXPECT_NEAR(onStrain[3], onDisplacement[3], 1e-3);
    EXPECT_NEAR(onStrain[4], onDisplacement[4], 1e-3);
}

TEST_F(Gost1497, AxesThatAreNoStrengthCurveComputeNothing) {
    struct Case {
        int x;
        int y;
    };
    // Time, force or stress on X; time, a deformation or the scratch channel on Y.
    const Case cases[] = {{0, 1}, {1, 1}, {4, 1}, {6, 1}, {2, 0}, {2, 2}, {2, 3}, {2, 5}, {2, 6}};
    Calculate(BilinearCurve());
    std::vector<std::string> before;
    for (int i = 0; i < method.Count(); ++i)
        before.push_back(method.ValueToText(i));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "/" + std::to_string(c.y));
        Set("fOX", std::to_string(c.x));
        Set("fOY", std::to_string(c.y));
        method.Calculate();
        EXPECT_TRUE(buffer.picPoints.empty());
        EXPECT_TRUE(buffer.picLines.empty());
        for (const char* name : kResults)
            EXPECT_EQ(method.GetText(name), before[static_cast<size_t>(method.IndexOf(name))])
                << name;
    }
}

TEST_F(Gost1497, FewerThanTenSamplesLeaveTheResults) {
    Calculate(BilinearCurve());
    const std::string sb = method.GetText("fSB");
    Recording r;
    for (int i = 0; i < 9; ++i)
        r.Add(i, i, i);
    Calculate(r);
    EXPECT_EQ(method.GetText("fSB"), sb);
    EXPECT_TRUE(buffer.picPoints.empty());
}

TEST_F(Gost1497, ThePointOfAMarkerAndItsResultCarryTheSameSymbol) {
    Calculate(BilinearCurve());
    // Each offset marker's symbol is the one in its result's caption.
    for (const auto& [label, name] :
         {std::pair{"`{", "fS002"}, std::pair{"`[", "fS02"}, std::pair{"`т", "fST"},
          std::pair{"`в", "fSB"}, std::pair{"`пц", "fSPC"}}) {
        SCOPED_TRACE(label);
        EXPECT_NE(method.GetCaption(name).find(std::string(label) + ","), std::string::npos);
        EXPECT_GE(Marker(buffer, label), 1);
    }
    EXPECT_EQ(Marker(buffer, "`]"), -1);
}

// ---------------------------------------------------------------- hand-set points

TEST_F(Gost1497, TheSliderMovesTheYieldPointAndTheNextCalculationKeepsIt) {
    Calculate(BilinearCurve());
    const int row = VisibleRow(method, "fST");
    ASSERT_GE(row, 0);
    method.SetManualPoint(row, 3, 2500.0f);  // a quarter of the way
    EXPECT_EQ(method.GetFloat("fPOStec"), 5000.0);
    EXPECT_EQ(method.iYield, 5000);
    const double stress = buffer.GetValue(1, 5000) / CircleArea(10.0) * 1000.0;
    EXPECT_NEAR(method.GetFloat("fST"), stress, 1e-3);
    EXPECT_EQ(Marker(buffer, "`т"), 5000);
    EXPECT_TRUE(buffer.picLines.empty());  // construction lines are not redrawn

    method.Calculate();
    EXPECT_EQ(method.GetFloat("fPOStec"), 5000.0);
    EXPECT_NEAR(method.GetFloat("fST"), stress, 1e-3);

    method.ResetManualPoints();
    method.Calculate();
    EXPECT_NE(method.GetFloat("fPOStec"), 5000.0);
}

TEST_F(Gost1497, TheSlidersEndIsTheLastSample) {
    Calculate(BilinearCurve());
    const int last = buffer.GetCount(1) - 1;
    const double lastStress = buffer.GetValue(1, last) / CircleArea(10.0) * 1000.0;
    for (const char* name : {"fST", "fPPC"}) {
        SCOPED_TRACE(name);
        method.SetManualPoint(VisibleRow(method, name), 3, 10000.0f);
        const bool yield = std::string(name) == "fST";
        EXPECT_EQ(method.GetFloat(yield ? "fPOStec" : "fPOSppc"), last);
        EXPECT_NEAR(method.GetFloat(yield ? "fST" : "fSPC"), lastStress, 1e-3);
        EXPECT_GT(lastStress, 300.0);
    }
}

TEST_F(Gost1497, TheSliderOnAnOpenedTestUsesTheDimensionsAsTheyStand) {
    // A test opened from a file: the curve and the list, never calculated.
    Record(BilinearCurve(), buffer);
    Set("fD0", "12");
    method.SetManualPoint(VisibleRow(method, "fST"), 3, 5000.0f);
    const int i = buffer.GetCount(1) / 2;
    const double stress = buffer.GetValue(1, i) / CircleArea(12.0) * 1000.0;
    EXPECT_EQ(method.GetFloat("fPOStec"), i);
    EXPECT_NEAR(method.GetFloat("fST"), stress, 1e-3);
    EXPECT_NEAR(method.GetFloat("fPT"), buffer.GetValue(1, i), 1e-5);
}

// ---------------------------------------------------------------- unusable input

TEST_F(Gost1497, UnusableDimensionsGiveNoResult) {
    struct Case {
        const char* name;
        int type;
        const char* field;
        const char* value;
    };
    const Case cases[] = {
        {"no diameter", 0, "fD0", "0"},
        {"negative diameter", 0, "fD0", "-10"},
        {"flat without width", 1, "fA0", "0"},
        {"negative typed gauge length", 0, "fLo", "-5"},
        {"sample type without a formula", 2, "fD0", "10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        method.SetSampleType(0);
        Set("fD0", "10");
        Set("fA0", "10");
        Set("fLo", "0");
        Calculate(BilinearCurve());
        ASSERT_GT(method.GetFloat("fSB"), 0.0);

        Record(BilinearCurve(), buffer);
        method.SetSampleType(c.type);
        Set(c.field, c.value);
        method.Calculate();
        ExpectNoResults();
        for (int i = 0; i < method.Count(); ++i) {
            const S_Val& r = *method.Record(i);
            if (r.type != C_Parametr::kFloat) continue;
            EXPECT_TRUE(std::isfinite(method.GetFloat(r.name))) << r.name;
        }
        // Without an analysis the recording is not cut.
        EXPECT_EQ(buffer.GetCount(1), kSamples + 5);
        method.SetManualPoint(VisibleRow(method, "fST"), 3, 5000.0f);
        EXPECT_EQ(method.GetFloat("fST"), 0.0);
        EXPECT_TRUE(buffer.picPoints.empty());
    }
}

TEST_F(Gost1497, UnusableFinalDimensionsGiveNoReductionOrElongation) {
    Set("fDK", "0");
    Set("fLK", "-20");
    Calculate(BilinearCurve());
    EXPECT_EQ(method.GetFloat("fFIS"), 0.0);
    EXPECT_EQ(method.GetFloat("fFIO"), 0.0);
    EXPECT_NEAR(method.GetFloat("fSB"), 450.0, 0.01);
}

// ---------------------------------------------------------------- state between tests

TEST_F(Gost1497, EveryTestStartsFromACleanAnalysis) {
    Calculate(BilinearCurve());
    ASSERT_GT(method.GetFloat("fS02"), 0.0);
    ASSERT_GE(Marker(buffer, "`["), 1);

    // A brittle specimen, straight to the break: no offset point to find.
    const Specimen s = DefaultSpecimen();
    Recording brittle;
    for (int i = 0; i < 200; ++i)
        brittle.Add(0.01 * i, s.Force(2.0 * i), s.Length(1e-5 * i));
    brittle.Add(2.0, 0.1, s.Length(0.002));
    method.ResetManualPoints();
    Set("fLK", "0");
    Calculate(brittle);
    EXPECT_NEAR(method.GetFloat("fSB"), 398.0, 1e-3);
    EXPECT_EQ(method.GetFloat("fS02"), 0.0);
    EXPECT_EQ(method.GetFloat("fP02"), 0.0);
    EXPECT_EQ(method.GetFloat("fS002"), 0.0);
    EXPECT_EQ(Marker(buffer, "`["), -1);
    EXPECT_EQ(Marker(buffer, "`{"), -1);
}

TEST_F(Gost1497, RecalculatingChangesNeitherTheCurveNorTheResults) {
    Recording r = BilinearCurve();
    for (double& l : r.displacement)
        l += 0.3;  // slack in the grips
    r.extensometer = r.displacement;
    Calculate(r);
    std::vector<std::vector<double>> channels;
    for (int c = 0; c < 4; ++c)
        channels.push_back(buffer.cans[static_cast<size_t>(c)].samples);
    std::vector<std::string> results;
    for (const char* name : kResults)
        results.push_back(method.GetText(name));

    method.Calculate();
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(buffer.cans[static_cast<size_t>(c)].samples, channels[static_cast<size_t>(c)]);
    for (size_t k = 0; k < std::size(kResults); ++k)
        EXPECT_EQ(method.GetText(kResults[k]), results[k]) << kResults[k];
    // The slack before the elastic line is not elongation.
    const Bilinear c;
    EXPECT_NEAR(method.GetFloat("fFIO"), (c.fractureStrain - c.fracture / c.modulus) * 100.0, 1e-3);
}

TEST_F(Gost1497, ChannelsOfDifferentLengthsAreReadWhereBothHoldSamples) {
    // An opened file whose displacement channel is shorter than the force.
    const Recording full = BilinearCurve();
    Record(full, buffer);
    buffer.cans[2].samples.resize(15000);
    buffer.cans[2].count = 15000;
    method.Calculate();
    const double lk = method.GetFloat("fLK");
    EXPECT_GT(method.GetFloat("fFIO"), 5.0);
    EXPECT_NEAR(lk - method.GetFloat("fL0"),
                full.displacement[14999] - full.force[14999] / method.slope, 1e-3);
    EXPECT_EQ(Marker(buffer, "`к"), 14999);
}

// ---------------------------------------------------------------- template

TEST_F(Gost1497, TheTemplateKeepsTheValuesButNotTheDate) {
    Set("fD0", "12.5");
    Set("sP001", "Ст3");
    // A template may replace the method's text; the file keeps the method's own name.
    Set("sGO", "../elsewhere");
    method.SaveTemplate();
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder.path()))
        files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"SHAB_ГОСТ 1497.ips"});

    clock.now = {2025, 1, 2, 3, 4, 5};
    C_Gost_1497 reloaded(env);
    EXPECT_EQ(reloaded.GetText("fD0"), "12.50");
    EXPECT_EQ(reloaded.GetText("sP001"), "Ст3");
    EXPECT_EQ(reloaded.GetText("sDA"), "02.01.2025");
}

// ---------------------------------------------------------------- a whole test

// The console's way of typing a value into one of its lists.
void Type(C_GostWorks& methods, const C_Parametr& m, int group, const char* name,
          const char* text) {
    for (int row = 0;; ++row) {
        const std::string at = m.NameInGroup(group, row);
        ASSERT_NE(at, "-1") << name;
        if (at == name) {
            methods.SetInGroup(row, group, text);
            return;
        }
    }
}

TEST(Gost1497Station, AWholeTestFromSelectionToTheTemplate) {
    platform::SetDecimalSeparator('.');
    testsupport::TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    testsupport::EventQueue events;
    const MethodEnv env{clock, random, nullptr, folder.path()};
    C_Work work(events, env);
    testsupport::ConsoleStandIn console(work, events, clock);
    auto owned = std::make_unique<testsupport::FakeUnit>();
    testsupport::FakeUnit* unit = owned.get();
    unit->sink = &work;
    console.StartUp(std::move(owned));
    for (int c = 1; c <= 3; ++c)
        work.Channel(c).rawMode = true;

    ASSERT_TRUE(console.SelectMethod(2, 0, 0));
    C_Parametr& m = *work.Methods().Current();
    ASSERT_EQ(m.GetValueText("sGO"), "ГОСТ 1497");
    EXPECT_TRUE(std::filesystem::exists(folder.File("SHAB_ГОСТ 1497.ips")));
    Type(work.Methods(), m, 1, "fD0", "12");
    Type(work.Methods(), m, 0, "sP001", "09Г2С");
    m.UpdateArea();
    console.Tick();

    const float area = static_cast<float>(CircleArea(12.0));
    const Specimen s{area, 5.65f * std::sqrt(area)};
    const Bilinear c;
    const int samples = 5000;
    const Recording r =
        Sample([&](double e) { return c.Stress(e); }, c.fractureStrain, samples, s, 20);

    console.Command(1);
    double t = 0.0;
    // The grips settle: the recording starts with the third sample.
    unit->Emit(t, 0.0, 0.0, 0.0);
    unit->Emit(t, 0.0, 0.0, 0.0);
    int fed = 0;
    for (; fed < r.Size() && events.Empty(); ++fed)
        unit->Emit(r.time[static_cast<size_t>(fed)], r.force[static_cast<size_t>(fed)],
                   r.displacement[static_cast<size_t>(fed)],
                   r.extensometer[static_cast<size_t>(fed)]);
    // The fall is detected at the sample that falls.
    EXPECT_EQ(fed, samples + 1);
    console.DrainEvents();
    EXPECT_EQ(work.State(), C_Work::kFinished);
    EXPECT_EQ(console.messages, std::vector<std::string>{"ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"});

    // Calculated: the curve cut at the fall, results in group 3 and in the list.
    C_Buffer& b = work.Buffer();
    for (int ch = 0; ch <= 5; ++ch)
        EXPECT_EQ(b.GetCount(ch), samples) << ch;
    EXPECT_NEAR(m.GetFloat("fSB"), c.strength, 1e-4 * c.strength);
    EXPECT_NEAR(m.GetFloat("fE"), c.modulus, 1e-4 * c.modulus);
    EXPECT_NEAR(m.GetFloat("fS02"), c.OffsetStress(0.002),
                c.hardening * c.fractureStrain / (samples - 1));
    EXPECT_NEAR(m.GetFloat("fFIO"), (c.fractureStrain - c.fracture / c.modulus) * 100.0, 1e-2);
    EXPECT_NEAR(m.GetFloat("fF0"), 113.097, 1e-3);
    std::vector<std::string> expected;
    for (int i = 0; i < m.Count(); ++i) {
        if (m.InGroup(i, 3) && m.GetVisible(i))
            expected.push_back(m.GetCaption(i) + "=" + m.ValueToText(i));
    }
    EXPECT_EQ(console.paramLists[3], expected);
    EXPECT_EQ(console.paramLists[3][6], "Предел прочности `в, Н/мм~=" + m.GetText("fSB"));
    EXPECT_EQ(Labels(b), (std::vector<std::string>{"`пц", "`{", "`[", "`т", "`в", "`к"}));
    EXPECT_EQ(b.picLines.size(), 6u);

    // The next selection stores the method's values; a new start reads them.
    ASSERT_TRUE(console.SelectMethod(2, 0, 0));
    C_Gost_1497 next(env);
    EXPECT_EQ(next.GetText("fD0"), "12.00");
    EXPECT_EQ(next.GetText("sP001"), "09Г2С");
    EXPECT_EQ(next.GetText("fSB"), m.GetText("fSB"));
}

}  // namespace

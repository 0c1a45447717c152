#include "engine/c_gost_1497.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "engine/testfile.h"
#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "support/curves.h"
#include "support/method_fixture.h"
#include "support/station.h"

namespace {

using namespace testsupport;
using namespace testsupport::curves;

// The results the method computes, all in group 3.
const char* const kResults[] = {"fF0", "fL0",  "fFIO",  "fFIS", "fLU",  "fE",  "fSB",  "fSPC",
                                "fST", "fS02", "fS002", "fPM",  "fPPC", "fPT", "fP02", "fP002"};

// The specimen of the default list: cylindrical, 10 mm, gauge length by the
// rule 5.65 sqrt(S0), as the method computes them.
Specimen DefaultSpecimen() {
    const float area = static_cast<float>(CircleArea(10.0));
    return {area, 5.65f * std::sqrt(area)};
}

using Gost1497 = MethodTest<C_Gost_1497>;

// A curve of the default specimen with 20000 samples up to the break.
constexpr int kSamples = 20000;

Recording BilinearCurve(const Bilinear& c = {}) {
    return ToFracture(c, kSamples, DefaultSpecimen());
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
    EXPECT_EQ(CountInGroup(method, 3), 16);
}

TEST_F(Gost1497, SampleTypeMovesTheDimensionsAndClearsTheFinalLength) {
    // 2 has no formula: only the type is stored, the groups stay those of 0.
    const int types[] = {1, 0, 2};
    const std::pair<const char*, std::array<int, 3>> groups[] = {
        {"fA0", {1, 4, 4}}, {"fB0", {1, 4, 4}}, {"fAK", {2, 4, 4}},
        {"fBK", {2, 4, 4}}, {"fD0", {4, 1, 1}}, {"fDK", {4, 2, 2}},
    };
    ExpectSampleTypesMoveTheDimensionsAndClearTheFinalLength(types, groups);
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

class Gost1497Curves : public Gost1497, public ::testing::WithParamInterface<bool> {};

TEST_P(Gost1497Curves, MeetTheirClosedForms) {
    const bool noisy = GetParam();
    const Specimen s = DefaultSpecimen();
    std::vector<KnownCurve> known = KnownCurves(s, kSamples, noisy);
    // Displacement not zeroed: the curve starts below 0. The offset stretch
    // over twice the proportional-limit X then ends far below the point; the
    // search goes on along the offset line.
    KnownCurve below = known[2];
    below.name = "Ramberg-Osgood from -0.05 mm";
    for (double& l : below.recording.displacement)
        l -= 0.05;
    below.recording.extensometer = below.recording.displacement;
    known.push_back(below);
    for (const KnownCurve& c : known) {
        SCOPED_TRACE(c.name);
        ExpectStrengthAndProofOf(c, s.area, noisy);
        ExpectCutAt(kSamples, 5);
        EXPECT_NEAR(method.GetFloat("fE"), c.modulus, c.modulusTolerance * c.modulus);
        EXPECT_EQ(Labels(buffer), (std::vector<std::string>{"`пц", "`{", "`[", "`т", "`в", "`к"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Gost1497, Gost1497Curves, ::testing::Bool(), CleanOrNoisy);

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
    EXPECT_EQ(MarkerAt(buffer, "`["), static_cast<int>(method.iOffsetYield));
    EXPECT_EQ(MarkerAt(buffer, "`в"), static_cast<int>(std::round(c.UniformStrain() / step)));
    EXPECT_EQ(MarkerAt(buffer, "`к"), kSamples - 1);

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

TEST_F(Gost1497, ASlackToeIsNoOffsetPoint) {
    const char* const elastic[] = {"fS002"};
    ExpectSlackToeIgnored(DefaultSpecimen(), kSamples, elastic);
}

TEST_F(Gost1497, UpperYieldPointWithinOneSample) {
    ExpectUpperYieldPoints(
        kSamples, [](const UpperYield& c) { return ToFracture(c, kSamples, DefaultSpecimen()); },
        [&](const UpperYield&) { EXPECT_EQ(method.GetFloat("fPOStec"), method.iYield); });
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
    Calculate(BilinearCurve());
    ExpectAxesOfNoStrengthCurveComputeNothing(kResults);
}

TEST_F(Gost1497, FewerThanTenSamplesLeaveNoResultOfTheTestBefore) {
    Calculate(BilinearCurve());
    ASSERT_NE(method.GetText("fSB"), "0.00");
    Calculate(Ramp(9));
    for (const char* name : kResults)
        EXPECT_EQ(method.GetFloat(name), 0.0) << name;
    EXPECT_TRUE(buffer.picPoints.empty());
}

TEST_F(Gost1497, ThePointOfAMarkerAndItsResultCarryTheSameSymbol) {
    Calculate(BilinearCurve());
    ExpectMarkersCarryTheSymbolsOf(
        {{"`{", "fS002"}, {"`[", "fS02"}, {"`т", "fST"}, {"`в", "fSB"}, {"`пц", "fSPC"}});
    EXPECT_EQ(MarkerAt(buffer, "`]"), -1);
}

// ---------------------------------------------------------------- hand-set points

TEST_F(Gost1497, TheSliderMovesTheYieldPointAndTheNextCalculationKeepsIt) {
    Calculate(BilinearCurve());
    ExpectTheYieldSliderAQuarterOfTheWayKept(CircleArea(10.0), 6);

    method.ResetManualPoints();
    method.Calculate();
    EXPECT_NE(method.GetFloat("fPOStec"), 5000.0);
}

TEST_F(Gost1497, TheSlidersEndIsTheLastSample) {
    Calculate(BilinearCurve());
    // Past the yield stress: the slider's end is no sample of the elastic line.
    EXPECT_GT(StressAt(buffer.GetCount(1) - 1, CircleArea(10.0)), 300.0);
    ExpectTheSlidersEndIsTheLastSample(CircleArea(10.0));
}

TEST_F(Gost1497, TheSliderOnAnOpenedTestUsesTheDimensionsAsTheyStand) {
    // A test opened from a file: the curve and the list, never calculated.
    Record(BilinearCurve(), buffer);
    Set("fD0", "12");
    ExpectTheYieldSliderHalfWay(CircleArea(12.0));
}

// ---------------------------------------------------------------- unusable input

TEST_F(Gost1497, UnusableDimensionsGiveNoResult) {
    const UnusableDimension cases[] = {
        {"no diameter", 0, "fD0", "0"},
        {"negative diameter", 0, "fD0", "-10"},
        {"flat without width", 1, "fA0", "0"},
        {"negative typed gauge length", 0, "fLo", "-5"},
        {"sample type without a formula", 2, "fD0", "10"},
    };
    const auto usable = [&] {
        method.SetSampleType(0);
        Set({{"fD0", "10"}, {"fA0", "10"}, {"fLo", "0"}});
    };
    ExpectEachUnusableDimensionGivesNoResult(
        cases, BilinearCurve(), kResults, usable, [&](const UnusableDimension&) {
            method.SetManualPoint(VisibleRow(method, "fST"), 3, 5000.0f);
            EXPECT_EQ(method.GetFloat("fST"), 0.0);
            EXPECT_TRUE(buffer.picPoints.empty());
        });
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
    ASSERT_GE(MarkerAt(buffer, "`["), 1);

    method.ResetManualPoints();
    Set("fLK", "0");
    Calculate(Brittle(DefaultSpecimen()));
    ExpectABrittleBreakWithoutOffsetPoints({"fS02", "fP02", "fS002"}, {"`[", "`{"});
}

TEST_F(Gost1497, RecalculatingChangesNeitherTheCurveNorTheResults) {
    Recording r = BilinearCurve();
    for (double& l : r.displacement)
        l += 0.3;  // slack in the grips
    r.extensometer = r.displacement;
    Calculate(r);
    ExpectARecalculationChangesNothing();
    // The slack before the elastic line is not elongation.
    const Bilinear c;
    EXPECT_NEAR(method.GetFloat("fFIO"), (c.fractureStrain - c.fracture / c.modulus) * 100.0, 1e-3);
}

TEST_F(Gost1497, ChannelsOfDifferentLengthsAreReadWhereBothHoldSamples) {
    // An opened file whose displacement channel is shorter than the force.
    const Recording full = BilinearCurve();
    Record(full, buffer);
    Shorten(buffer, 2, 15000);
    method.Calculate();
    const double lk = method.GetFloat("fLK");
    EXPECT_GT(method.GetFloat("fFIO"), 5.0);
    EXPECT_NEAR(lk - method.GetFloat("fL0"),
                full.displacement[14999] - full.force[14999] / method.slope, 1e-3);
    EXPECT_EQ(MarkerAt(buffer, "`к"), 14999);
}

// ---------------------------------------------------------------- template

TEST_F(Gost1497, TheTemplateKeepsTheValuesButNotTheDate) {
    Set({{"fD0", "12.5"}, {"sP001", "Ст3"}});
    ExpectTemplateSavedAs("SHAB_ГОСТ 1497.ips");
    ExpectTexts(Reopened(), {{"fD0", "12.50"}, {"sP001", "Ст3"}, {"sDA", "02.01.2025"}});
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
    Station station;
    station.StartUp();
    station.RawReadings();
    C_Work& work = station.work;
    StationHarness& console = station.console;

    ASSERT_TRUE(console.SelectMethod(2, 0, 0));
    C_Parametr& m = *work.Methods().Current();
    ASSERT_EQ(m.GetValueText("sGO"), "ГОСТ 1497");
    EXPECT_TRUE(std::filesystem::exists(station.folder.File("SHAB_ГОСТ 1497.ips")));
    Type(work.Methods(), m, 1, "fD0", "12");
    Type(work.Methods(), m, 0, "sP001", "09Г2С");
    m.UpdateArea();
    console.Tick();

    const float area = static_cast<float>(CircleArea(12.0));
    const Specimen s{area, 5.65f * std::sqrt(area)};
    const Bilinear c;
    const int samples = 5000;
    const Recording r = ToFracture(c, samples, s, 20);

    console.Command(1);
    // The grips settle: the recording starts with the third sample.
    station.unit->Emit(0.0, 0.0, 0.0, 0.0);
    station.unit->Emit(0.0, 0.0, 0.0, 0.0);
    // The fall is detected at the sample that falls.
    EXPECT_EQ(EmitUntilEvent(*station.unit, station.events, r), samples + 1);
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
    C_Gost_1497 next(MethodEnv{station.clock, station.random, nullptr, station.folder.path()});
    EXPECT_EQ(next.GetText("fD0"), "12.00");
    EXPECT_EQ(next.GetText("sP001"), "09Г2С");
    EXPECT_EQ(next.GetText("fSB"), m.GetText("fSB"));
}

}  // namespace

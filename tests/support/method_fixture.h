#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/c_gost_base.h"
#include "engine/c_gostwork.h"
#include "engine/methodenv.h"
#include "model/cbuffer.h"
#include "model/parametr.h"
#include "platform/formatfloat.h"
#include "support/curves.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

// What the tests of the test methods share: the surroundings a method is
// built in, ways to read a method and its plot, and the rules the strength
// methods follow alike.
namespace testsupport {

using Names = std::span<const char* const>;

// ---------------------------------------------------------------- the list

inline std::vector<std::string> RecordNames(const C_Parametr& m) {
    std::vector<std::string> names;
    for (int i = 0; i < m.Count(); ++i)
        names.push_back(m.Record(i)->name);
    return names;
}

// A record as declared; a null text is not checked.
struct Declared {
    const char* name;
    const char* caption;
    int type;
    int group;
    const char* text = nullptr;  // the value as the lists show it
    const char* format = nullptr;
    const char* maxText = nullptr;
    const char* minText = nullptr;
};

inline void ExpectDeclared(const C_Parametr& m, const Declared& d) {
    SCOPED_TRACE(d.name);
    const S_Val* r = m.Record(m.IndexOf(d.name));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->caption, d.caption);
    EXPECT_EQ(r->type, d.type);
    EXPECT_EQ(r->group, d.group);
    const auto expect = [](const char* what, const std::string& actual, const char* declared) {
        if (declared != nullptr) {
            EXPECT_EQ(actual, declared) << what;
        }
    };
    expect("text", m.GetText(d.name), d.text);
    expect("format", r->format, d.format);
    expect("max text", r->maxText, d.maxText);
    expect("min text", r->minText, d.minText);
}

// The limits a typed value is kept in, for a float or an integer record.
inline void ExpectLimits(const C_Parametr& m, const char* name, double min, double max) {
    SCOPED_TRACE(name);
    const S_Val* r = m.Record(m.IndexOf(name));
    ASSERT_NE(r, nullptr);
    if (r->type == C_Parametr::kFloat) {
        EXPECT_EQ(r->floatMin, min);
        EXPECT_EQ(r->floatMax, max);
    } else if (r->type == C_Parametr::kInt) {
        EXPECT_EQ(r->intMin, static_cast<int>(min));
        EXPECT_EQ(r->intMax, static_cast<int>(max));
    }
}

// A declaration with the limits a float or an integer record keeps typed
// values in.
struct DeclaredWithin {
    Declared record;
    double min = 0.0;
    double max = 0.0;
};

inline void ExpectDeclaredWithin(const C_Parametr& m, const DeclaredWithin& d) {
    ExpectDeclared(m, d.record);
    ExpectLimits(m, d.record.name, d.min, d.max);
}

// Every record is stored with a test and, when `shown`, shown in its list.
inline void ExpectEveryRecordKept(const C_Parametr& m, bool shown) {
    for (int i = 0; i < m.Count(); ++i) {
        const S_Val& r = *m.Record(i);
        EXPECT_EQ(r.persist, 1) << r.name;
        if (shown) {
            EXPECT_EQ(r.visible, 1) << r.name;
        }
    }
}

// -1 for a name the list does not hold.
inline int GroupOf(const C_Parametr& m, const char* name) {
    const int i = m.IndexOf(name);
    return i < 0 ? -1 : m.Record(i)->group;
}

inline int CountInGroup(const C_Parametr& m, int group) {
    int count = 0;
    for (int i = 0; i < m.Count(); ++i)
        count += m.InGroup(i, group) ? 1 : 0;
    return count;
}

// The row of a parameter among the visible ones of group 3, as the result
// list shows them.
inline int VisibleRow(const C_Parametr& m, const std::string& name) {
    int row = 0;
    for (int i = 0; i < m.Count(); ++i) {
        const S_Val& r = *m.Record(i);
        if (r.name == name) return row;
        if (r.group == 3 && r.visible != 0) ++row;
    }
    return -1;
}

using NamedTexts = std::initializer_list<std::pair<const char*, const char*>>;

inline void ExpectTexts(const C_Parametr& m, NamedTexts texts) {
    for (const auto& [name, text] : texts)
        EXPECT_EQ(m.GetText(name), text) << name;
}

inline std::vector<std::string> Texts(const C_Parametr& m, Names names) {
    std::vector<std::string> texts;
    for (const char* name : names)
        texts.push_back(m.GetText(name));
    return texts;
}

// Every record's value as the lists show it.
inline std::vector<std::string> Values(const C_Parametr& m) {
    std::vector<std::string> values;
    for (int i = 0; i < m.Count(); ++i)
        values.push_back(m.ValueToText(i));
    return values;
}

inline void ExpectFiniteFloats(const C_Parametr& m) {
    for (int i = 0; i < m.Count(); ++i) {
        const S_Val& r = *m.Record(i);
        if (r.type == C_Parametr::kFloat) {
            EXPECT_TRUE(std::isfinite(m.GetFloat(r.name))) << r.name;
        }
    }
}

template <class Pairs>
void ExpectGroups(const C_Parametr& m, const Pairs& groups) {
    for (const auto& [name, group] : groups)
        EXPECT_EQ(GroupOf(m, name), group) << name;
}

// ---------------------------------------------------------------- the plot

inline std::vector<std::string> Labels(const C_Buffer& b) {
    std::vector<std::string> labels;
    for (const C_Buffer::SPicPoint& p : b.picPoints)
        labels.push_back(p.label);
    return labels;
}

// The sample of the marker with that label; -1 when there is none.
inline int MarkerAt(const C_Buffer& b, const std::string& label) {
    for (const C_Buffer::SPicPoint& p : b.picPoints) {
        if (p.label == label) return p.sampleIndex;
    }
    return -1;
}

// The samples of the first `count` channels.
inline std::vector<std::vector<double>> Channels(const C_Buffer& b, int count) {
    std::vector<std::vector<double>> channels;
    for (int c = 0; c < count; ++c)
        channels.push_back(b.cans[static_cast<size_t>(c)].samples.ToVector());
    return channels;
}

// A channel of an opened file that holds fewer samples than the others.
inline void Shorten(C_Buffer& b, int channel, int samples) {
    C_Buffer::SCan& can = b.cans[static_cast<size_t>(channel)];
    can.samples.resize(static_cast<size_t>(samples));
    can.count = samples;
}

// ---------------------------------------------------------------- around the method

inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        files.push_back(e.path().filename().string());
    return files;
}

// Test names for the curves with and without force noise.
inline std::string CleanOrNoisy(const ::testing::TestParamInfo<bool>& p) {
    return p.param ? "Noisy" : "Clean";
}

// Emits the recording sample by sample until the engine posts an event;
// returns how many samples went out.
inline int EmitUntilEvent(FakeUnit& unit, const EventQueue& events, const curves::Recording& r) {
    int i = 0;
    for (; i < r.Size() && events.Empty(); ++i) {
        const size_t k = static_cast<size_t>(i);
        unit.Emit(r.time[k], r.force[k], r.displacement[k], r.extensometer[k]);
    }
    return i;
}

// The registry with the console's lists, the method list filled.
struct ConsoleRegistry {
    ConsoleRegistry(const MethodEnv& env, C_Buffer& buffer) : registry(env) {
        registry.Init(&methods, &types, &lists[0], &lists[1], &lists[2], &lists[3]);
        registry.FillMethodList(0, &buffer);
    }

    C_GostWorks registry;
    C_GostWorks::TextList methods;
    C_GostWorks::TextList types;
    C_GostWorks::TextList lists[4];
};

// What an unusable list leaves: no result from the curve (the cross-section
// and the gauge length come from the dimensions), no pictures, no point of
// an analysis, nothing that is no number, and the recording of `recorded`
// samples not cut.
inline void ExpectNoAnalysis(const C_Gost_Base& m, const C_Buffer& b, Names results, int recorded) {
    for (const char* name : results) {
        if (std::string(name) == "fF0" || std::string(name) == "fL0") continue;
        EXPECT_EQ(m.GetFloat(name), 0.0) << name;
    }
    EXPECT_TRUE(b.picPoints.empty());
    EXPECT_TRUE(b.picLines.empty());
    EXPECT_EQ(m.iMax, 0);
    EXPECT_EQ(m.iOffset, 0);
    ExpectFiniteFloats(m);
    EXPECT_EQ(b.GetCount(1), recorded);
}

// A model curve recorded on a specimen, with what a strength method is to
// find on it; the tolerances are wider where the force is noisy.
struct KnownCurve {
    const char* name;
    curves::Recording recording;
    double strength;  // N/mm²
    double modulus;
    double modulusTolerance;  // relative
    double proof;             // 0.2 % offset yield strength
    double proofTolerance;
    double elastic;  // 0.02 % offset elastic limit
    double elasticTolerance;
};

// The smooth one of the known curves: it bends over slowly.
inline curves::RambergOsgood SmoothModel() {
    curves::RambergOsgood m;
    m.n = 10.0;
    return m;
}

// Bilinear, with an upper yield point, and smooth (recorded to 1.3 times
// its proof stress), in this order, each of `samples` on the specimen.
inline std::vector<KnownCurve> KnownCurves(const curves::Specimen& s, int samples, bool noisy) {
    const curves::Bilinear bilinear;
    const curves::UpperYield upper;
    const curves::RambergOsgood smooth = SmoothModel();
    const double modulusTolerance = noisy ? 0.02 : 1e-4;
    // One sample step along the hardening line near the offset points.
    const double step = bilinear.hardening * bilinear.fractureStrain / samples;
    // (stress / proof)^n = 0.1 at the 0.02 % offset.
    const double smoothElastic = smooth.proof * std::pow(0.1, 1.0 / smooth.n);
    std::vector<KnownCurve> known;
    known.push_back({"bilinear", curves::ToFracture(bilinear, samples, s), bilinear.strength,
                     bilinear.modulus, modulusTolerance, bilinear.OffsetStress(0.002),
                     noisy ? 0.01 * 303 : step, bilinear.OffsetStress(0.0002),
                     noisy ? 0.01 * 300 : step});
    known.push_back({"upper yield point", curves::ToFracture(upper, samples, s), upper.strength,
                     upper.modulus, modulusTolerance, upper.lower, noisy ? 0.01 * 290 : 1e-3,
                     upper.lower, noisy ? 0.01 * 290 : 1e-3});
    // The secant of the elastic fit is about 1 % below the initial modulus,
    // which the 0.02 % point feels most.
    known.push_back({"Ramberg-Osgood",
                     curves::SampleOf(smooth, smooth.Strain(1.3 * smooth.proof), samples, s),
                     1.3 * smooth.proof, smooth.modulus, 0.02, smooth.proof, 0.01 * smooth.proof,
                     smoothElastic, 0.02 * smoothElastic});
    return known;
}

// One dimension of a list that gave results, made unusable.
struct UnusableDimension {
    const char* name;
    int type;  // the sample type chosen with it
    const char* field;
    const char* value;
};

// A method's surroundings: a program folder of its own, a clock that shows
// 05.03.2024 14:07:09 and a scripted random source; numbers shown with a point.
class MethodEnvTest : public ::testing::Test {
protected:
    MethodEnvTest() { platform::SetDecimalSeparator('.'); }

    TempFolder folder;
    FakeClock clock;
    ScriptedRandom random;
    MethodEnv env{clock, random, nullptr, folder.path()};
};

// A method built in those surroundings, bound to a buffer of seven channels.
template <class Method>
class MethodTest : public MethodEnvTest {
protected:
    MethodTest() {
        buffer.SetCanCount(7);
        method.SetBuffer(&buffer);
    }

    void Calculate(const curves::Recording& r) {
        curves::Record(r, buffer);
        method.Calculate();
    }
    // As the operator types it into the list.
    void Set(const char* name, const std::string& text) {
        ASSERT_GE(method.IndexOf(name), 0) << name;
        method.SetFromText(method.IndexOf(name), text);
    }
    void Set(NamedTexts texts) {
        for (const auto& [name, text] : texts)
            Set(name, text);
    }
    // N/mm² of the recorded force at a sample.
    double StressAt(int sample, double area) const {
        return buffer.GetValue(1, sample) / area * 1000.0;
    }

    // ------------------------------------------------------------ the template

    // Saved with the method's text replaced, as a template may replace it:
    // the file keeps the method's own name and is the only one in the folder.
    void ExpectTemplateSavedAs(const std::string& file) {
        Set("sGO", "../elsewhere");
        method.SaveTemplate();
        EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{file});
    }
    // The method the next start builds, on 02.01.2025.
    Method Reopened() {
        clock.now = {2025, 1, 2, 3, 4, 5};
        return Method(env);
    }

    // ------------------------------------------------------------ the strength methods' rules

    // Sample types chosen in the order of `types`, a final length typed
    // before each: the type is stored, the final length cleared, and every
    // dimension is in the group of its column for that turn.
    template <size_t N, size_t M>
    void ExpectSampleTypesMoveTheDimensionsAndClearTheFinalLength(
        const int (&types)[N], const std::pair<const char*, std::array<int, N>> (&groups)[M]) {
        for (size_t k = 0; k < N; ++k) {
            SCOPED_TRACE(types[k]);
            Set("fLK", "55");
            method.SetSampleType(types[k]);
            EXPECT_EQ(method.GetInt("iTO"), types[k]);
            EXPECT_EQ(method.GetFloat("fLK"), 0.0);
            for (const auto& [name, group] : groups)
                EXPECT_EQ(GroupOf(method, name), group[k]) << name;
        }
    }

    // For each case: the list made usable by `usable` and the recording
    // calculated with results; then the recording again with the case's
    // sample type and dimension gives no analysis (ExpectNoAnalysis), and
    // `more` checks what else the case leaves.
    template <class Usable, class More>
    void ExpectEachUnusableDimensionGivesNoResult(std::span<const UnusableDimension> cases,
                                                  const curves::Recording& r, Names results,
                                                  Usable usable, More more) {
        for (const UnusableDimension& c : cases) {
            SCOPED_TRACE(c.name);
            usable();
            Calculate(r);
            ASSERT_GT(method.GetFloat("fSB"), 0.0);
            curves::Record(r, buffer);
            method.SetSampleType(c.type);
            Set(c.field, c.value);
            method.Calculate();
            ExpectNoAnalysis(method, buffer, results, r.Size());
            more(c);
        }
    }

    // The cut removes the fall and what follows, nothing before it.
    void ExpectCutAt(int samples, int lastChannel) {
        for (int ch = 0; ch <= lastChannel; ++ch)
            EXPECT_EQ(buffer.GetCount(ch), samples) << "channel " << ch;
    }

    // The tensile strength is the peak force on the area: exactly on a clean
    // curve, within 0.1 % of the model's on a noisy one.
    void ExpectStrength(double peakForce, double area, double strength, bool noisy) {
        const double sb = method.GetFloat("fSB");
        if (noisy) {
            EXPECT_NEAR(sb, strength, 0.001 * strength);
            return;
        }
        const float peak = static_cast<float>(peakForce);
        EXPECT_EQ(method.GetFloat("fPM"), peak);
        EXPECT_EQ(sb, peak / static_cast<float>(area) * 1000.0f);
        EXPECT_NEAR(sb, strength, 1e-4 * strength);
    }

    // Calculates the known curve, with force noise when `noisy`, and expects
    // its tensile strength (ExpectStrength) and its 0.2 % proof stress with
    // the force there.
    void ExpectStrengthAndProofOf(const KnownCurve& c, double area, bool noisy) {
        curves::Recording r = c.recording;
        const double fMax = curves::MaxOf(r.force);
        if (noisy) curves::AddForceNoise(r, 0.0005 * fMax, 20240305);
        Calculate(r);
        ExpectStrength(fMax, area, c.strength, noisy);
        EXPECT_NEAR(method.GetFloat("fS02"), c.proof, c.proofTolerance);
        EXPECT_NEAR(method.GetFloat("fP02"), method.GetFloat("fS02") * area / 1000.0, 1e-4);
    }

    // Upper yield points straight up to the peak and after a rounded knee,
    // each a new test recorded by `record` with `samples` up to its fracture
    // strain: the yield point within one sample of the model's, its marker
    // there, and what `more` checks besides.
    void ExpectUpperYieldPoints(
        int samples, const std::function<curves::Recording(const curves::UpperYield&)>& record,
        const std::function<void(const curves::UpperYield&)>& more = {}) {
        for (const curves::UpperYield& c : {curves::UpperYield{}, curves::RoundedKnee()}) {
            SCOPED_TRACE(c.knee);
            method.ResetManualPoints();  // a new test: no point set by hand
            Calculate(record(c));
            const double step = c.fractureStrain / (samples - 1);
            EXPECT_NEAR(method.iYield, std::round(c.PeakStrain() / step), 1.0);
            EXPECT_NEAR(method.GetFloat("fST"), c.upper, c.modulus * step);
            EXPECT_EQ(MarkerAt(buffer, "`т"), method.iYield);
            if (more) more(c);
        }
    }

    // A bilinear curve recorded with slack in the grips on the specimen `s`
    // (displacement over s.gauge): the offset points lie past the toe, above
    // the proportional limit, the 0.2 % point within a sample of where the
    // closed form puts it on the method's own elastic line.
    void ExpectSlackToeIgnored(const curves::Specimen& s, int samples, Names elastic) {
        const curves::Bilinear c;
        const curves::Slack slack{1.0, 60.0};
        method.ResetManualPoints();
        Calculate(curves::WithSlack(curves::ToFracture(c, samples, s), slack, s));
        const double proportional = method.GetFloat("fSPC");
        EXPECT_GT(proportional, 0.0);
        EXPECT_GT(method.GetFloat("fS02"), proportional);
        for (const char* name : elastic)
            EXPECT_GT(method.GetFloat(name), proportional) << name;
        const double foot = method.xIntercept + 0.01 * method.gaugeLength * 0.2;
        const double step = c.hardening * c.fractureStrain / samples;
        EXPECT_NEAR(method.GetFloat("fS02"),
                    curves::OffsetStressWithSlack(c, slack, s, method.slope, foot), step + 0.01);
    }

    // Each marker's symbol is the one in its result's caption.
    void ExpectMarkersCarryTheSymbolsOf(
        std::initializer_list<std::pair<const char*, const char*>> markers) {
        for (const auto& [label, name] : markers) {
            SCOPED_TRACE(label);
            EXPECT_NE(method.GetCaption(name).find(std::string(label) + ","), std::string::npos);
            EXPECT_GE(MarkerAt(buffer, label), 1);
        }
    }

    // Time, force or stress on X; time, a deformation or the scratch channel
    // on Y: no analysis, no pictures, the results of the last one kept.
    void ExpectAxesOfNoStrengthCurveComputeNothing(Names results) {
        const int axes[][2] = {{0, 1}, {1, 1}, {4, 1}, {6, 1}, {2, 0},
                               {2, 2}, {2, 3}, {2, 5}, {2, 6}};
        const std::vector<std::string> before = Texts(method, results);
        for (const auto& [x, y] : axes) {
            SCOPED_TRACE(std::to_string(x) + "/" + std::to_string(y));
            Set("fOX", std::to_string(x));
            Set("fOY", std::to_string(y));
            method.Calculate();
            EXPECT_TRUE(buffer.picPoints.empty());
            EXPECT_TRUE(buffer.picLines.empty());
            EXPECT_EQ(Texts(method, results), before);
        }
    }

    // The buffer emptied for a new test and nine samples recorded, the
    // pictures of the last calculation still there: nothing of that
    // calculation stays (results 0, no picture) and no channel is derived.
    void ExpectNineSamplesLeaveNothingOfTheTestBefore(Names results) {
        ASSERT_GT(buffer.picPoints.size(), 0u);
        curves::RecordKeepingPictures(curves::Ramp(9), buffer);
        method.Calculate();
        for (const char* name : results)
            EXPECT_EQ(method.GetFloat(name), 0.0) << name;
        EXPECT_TRUE(buffer.picPoints.empty());
        EXPECT_TRUE(buffer.picLines.empty());
        EXPECT_EQ(buffer.GetCount(4), 0);
    }

    // The yield point's slider a quarter of the way on a calculated curve of
    // 20000 samples: sample 5000 with its stress on `area` and its force, all
    // `markers` drawn again and no construction line; the next calculation
    // keeps the point.
    void ExpectTheYieldSliderAQuarterOfTheWayKept(double area, size_t markers) {
        const int row = VisibleRow(method, "fST");
        ASSERT_GE(row, 0);
        method.SetManualPoint(row, 3, 2500.0f);
        const double stress = StressAt(5000, area);
        EXPECT_EQ(method.GetFloat("fPOStec"), 5000.0);
        EXPECT_EQ(method.iYield, 5000);
        EXPECT_NEAR(method.GetFloat("fST"), stress, 1e-3);
        EXPECT_NEAR(method.GetFloat("fPT"), buffer.GetValue(1, 5000), 1e-5);
        EXPECT_EQ(MarkerAt(buffer, "`т"), 5000);
        EXPECT_EQ(buffer.picPoints.size(), markers);
        EXPECT_TRUE(buffer.picLines.empty());

        method.Calculate();
        EXPECT_EQ(method.GetFloat("fPOStec"), 5000.0);
        EXPECT_NEAR(method.GetFloat("fST"), stress, 1e-3);
    }

    // The yield point's slider half way takes the middle sample, with its
    // stress on `area` and its force.
    void ExpectTheYieldSliderHalfWay(double area) {
        method.SetManualPoint(VisibleRow(method, "fST"), 3, 5000.0f);
        const int i = buffer.GetCount(1) / 2;
        EXPECT_EQ(method.GetFloat("fPOStec"), i);
        EXPECT_NEAR(method.GetFloat("fST"), StressAt(i, area), 1e-3);
        EXPECT_NEAR(method.GetFloat("fPT"), buffer.GetValue(1, i), 1e-5);
    }

    // The slider at its end takes the last sample, for the yield point and
    // the proportional limit alike.
    void ExpectTheSlidersEndIsTheLastSample(double area) {
        struct Slider {
            const char* name;  // the result the slider moves
            const char* position;
            const char* stress;
        };
        const int last = buffer.GetCount(1) - 1;
        for (const Slider& s :
             {Slider{"fST", "fPOStec", "fST"}, Slider{"fPPC", "fPOSppc", "fSPC"}}) {
            SCOPED_TRACE(s.name);
            method.SetManualPoint(VisibleRow(method, s.name), 3, 10000.0f);
            EXPECT_EQ(method.GetFloat(s.position), last);
            EXPECT_NEAR(method.GetFloat(s.stress), StressAt(last, area), 1e-3);
        }
    }

    // A second calculation of the same curve changes neither the recorded
    // channels nor any value of the list.
    void ExpectARecalculationChangesNothing() {
        const std::vector<std::vector<double>> channels = Channels(buffer, 4);
        const std::vector<std::string> values = Values(method);
        method.Calculate();
        EXPECT_EQ(Channels(buffer, 4), channels);
        EXPECT_EQ(Values(method), values);
    }

    // After a curve that yields, a brittle one (curves::Brittle) straight to
    // the break: its strength, and nothing left of the last offset points.
    void ExpectABrittleBreakWithoutOffsetPoints(std::initializer_list<const char*> offsetResults,
                                                std::initializer_list<const char*> labels) {
        EXPECT_NEAR(method.GetFloat("fSB"), 398.0, 1e-3);
        for (const char* name : offsetResults)
            EXPECT_EQ(method.GetFloat(name), 0.0) << name;
        for (const char* label : labels)
            EXPECT_EQ(MarkerAt(buffer, label), -1) << label;
    }

    Method method{env};
    C_Buffer buffer;
};

}  // namespace testsupport

#include "engine/c_gostwork.h"
#include "engine/testfile.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "support/curves.h"
#include "support/fixtures.h"
#include "support/temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

// A method that records its slot calls; UpdateArea changes a value, so the
// lists show whether they were filled after the slots ran.
class RecordingMethod : public C_Parametr {
public:
    RecordingMethod() {
        AddParam("Режим испытания", "sGO", "Запись", kText, 4, "", "", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Первый?Второй?Третий?", "3", "0", 1, 1);
        AddParam("Дата", "sDA", "01.01.2024", kText, 0, "", "", "", 1, 1);
        AddParam("Площадь", "fS0", "0", kFloat, 1, "0.00", "1000", "0", 1, 1);
        AddParam("Длина после", "fLK", "0", kFloat, 2, "0.0", "1000", "0", 0, 1);
        AddParam("Предел", "fPT", "1.5", kFloat, 3, "0.00", "1000", "0", 1, 1);
        AddParam("Скрытый", "fHID", "2", kFloat, 3, "0.00", "1000", "0", 0, 1);
        AddParam("Внутренний", "fINT", "0", kFloat, 4, "0.00", "1000", "0", 1, 1);
        AddParam("Подпись", "sNI", "__", kText, 0, "", "", "", 1, 1);
        AddParam("Заведующий", "sZL", "__", kText, 0, "", "", "", 1, 1);
        AddParam("Чужая группа", "iX", "0", kInt, 7, "", "10", "0", 0, 1);
    }

    void SetSampleType(int t) override { calls.push_back("SetSampleType " + std::to_string(t)); }
    void SetExtensometer(int e) override {
        calls.push_back("SetExtensometer " + std::to_string(e));
    }
    void SetElasticBoundPercent(int p) override {
        calls.push_back("SetElasticBoundPercent " + std::to_string(p));
    }
    void UpdateArea() override {
        calls.push_back("UpdateArea");
        SetFloat("fS0", 78.5f);
    }
    void SaveTemplate() override { calls.push_back("SaveTemplate"); }
    void Calculate() override { calls.push_back("Calculate"); }

    std::vector<std::string> calls;
};

class GostWorksTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        registry.Init(&methods, &types, &lists[0], &lists[1], &lists[2], &lists[3]);
        registry.FillMethodList(0, &buffer);
        registry.Register(&recorder);  // index 7
    }

    testsupport::TempFolder folder;  // selecting a standard method writes its template
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    C_GostWorks registry{MethodEnv{clock, random, nullptr, folder.path()}};
    C_Buffer buffer;
    RecordingMethod recorder;
    Lines methods, types, lists[4];
};

TEST_F(GostWorksTest, RegistersTheSevenMethodsInTheirFixedOrder) {
    const C_Parametr* order[] = {&registry.none,      &registry.poverka,  &registry.gost1497,
                                 &registry.gost12004, &registry.gost6996, &registry.gost14019,
                                 &registry.gost10006, &recorder};
    ASSERT_EQ(registry.MethodCount(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(registry.Method(i), order[i]) << i;
    EXPECT_EQ(registry.Method(8), nullptr);
    EXPECT_EQ(registry.Method(-1), nullptr);
    EXPECT_EQ(methods, (Lines{"Без Расчетов", "Поверка", "ГОСТ 1497", "ГОСТ 12004",
                              "ГОСТ 6996 растяжение", "ГОСТ 14019", "ГОСТ 10006"}));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(registry.Method(i)->buffer, &buffer) << i;
    EXPECT_EQ(registry.Current(), &registry.none);
}

TEST_F(GostWorksTest, PlotChannelsOfEveryMethodStayInsideTheBuffer) {
    for (int i = 0; i < 7; ++i) {
        const C_Parametr& m = *registry.Method(i);
        for (const char* name : {"fOX", "fOY"}) {
            SCOPED_TRACE(m.GetValueText("sGO") + " " + name);
            const S_Val* r = m.Record(m.IndexOf(name));
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(r->type, C_Parametr::kInt);
            EXPECT_EQ(r->intMin, 0);
            EXPECT_EQ(r->intMax, kBufferChannels - 1);
            EXPECT_EQ(r->maxText, std::to_string(kBufferChannels - 1));
        }
    }
}

TEST_F(GostWorksTest, SelectCallsTheSlotsInOrderThenFillsTheLists) {
    ASSERT_TRUE(registry.Select(7, 1, 0));
    EXPECT_EQ(recorder.calls, (Lines{"SetSampleType 1", "SetExtensometer 0",
                                     "SetElasticBoundPercent 0", "UpdateArea", "SaveTemplate"}));
    EXPECT_EQ(registry.Current(), &recorder);
    EXPECT_EQ(registry.CurrentIndex(), 7);
    EXPECT_EQ(registry.SampleType(), 1);
    EXPECT_EQ(types, (Lines{"Первый", "Второй", "Третий"}));
    EXPECT_EQ(lists[0], (Lines{"Дата=01.01.2024", "Подпись=__", "Заведующий=__"}));
    EXPECT_EQ(lists[1], Lines{"Площадь=78.50"});
    EXPECT_EQ(lists[2], Lines{"Длина после=0.0"});  // hidden, still listed outside group 3
    EXPECT_EQ(lists[3], Lines{"Предел=1.50"});

    registry.Select(7, 2, 5);
    EXPECT_EQ(recorder.calls[5], "SetSampleType 2");
    EXPECT_EQ(recorder.calls[6], "SetExtensometer 5");
    EXPECT_EQ(registry.Extensometer(), 5);
}

TEST_F(GostWorksTest, SelectTakesNegativeIndexesAsZero) {
    registry.Select(2, 1, 1);
    ASSERT_TRUE(registry.Select(-3, -1, 0));
    EXPECT_EQ(registry.Current(), &registry.none);
    EXPECT_EQ(registry.CurrentIndex(), 0);
    EXPECT_EQ(registry.SampleType(), 0);
    EXPECT_EQ(types, Lines{"Произвольный"});
}

TEST_F(GostWorksTest, SelectOfAStandardMethod) {
    ASSERT_TRUE(registry.Select(2, 1, 0));
    EXPECT_EQ(registry.Current(), &registry.gost1497);
    EXPECT_EQ(registry.SampleType(), 1);
    EXPECT_EQ(types, (Lines{"Цилиндрический", "Плоский"}));
    EXPECT_TRUE(platform::FileExists(folder.File("SHAB_ГОСТ 1497.ips")));
}

TEST_F(GostWorksTest, SelectPastTheLastMethodIsRefusedWhole) {
    ASSERT_TRUE(registry.Select(7, 2, 1));
    const Lines before[] = {types, lists[0], lists[1], lists[2], lists[3]};
    recorder.calls.clear();
    for (int index : {8, 100}) {
        EXPECT_FALSE(registry.Select(index, 0, 0));
        EXPECT_EQ(registry.Current(), &recorder);
        EXPECT_EQ(registry.CurrentIndex(), 7);
        EXPECT_EQ(registry.SampleType(), 2);
        EXPECT_EQ(registry.Extensometer(), 1);
        const Lines after[] = {types, lists[0], lists[1], lists[2], lists[3]};
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(after[k], before[k]) << k;
        EXPECT_TRUE(recorder.calls.empty());
    }
}

TEST_F(GostWorksTest, FillMethodListWithAnUnknownIndexKeepsTheMethod) {
    registry.Select(1, 0, 0);
    C_Buffer other;
    registry.FillMethodList(42, &other);
    EXPECT_EQ(registry.Current(), &registry.poverka);
    EXPECT_EQ(registry.CurrentIndex(), 1);
    EXPECT_EQ(methods.size(), 8u);
    EXPECT_EQ(registry.none.buffer, &other);
}

TEST(GostWorksSampleTypes, NeverPastTheChoicesThatExist) {
    struct Case {
        const char* name;
        const char* format;
        const char* maxText;  // null: as parsed
        Lines expected;
    };
    const Case cases[] = {
        {"as parsed", "$A?B?C?", nullptr, {"A", "B", "C"}},
        {"max text below the items", "$A?B?C?", "2", {"A", "B"}},
        {"max text past the items", "$A?B?", "12", {"A", "B"}},
        {"more than ten items",
         "$1?2?3?4?5?6?7?8?9?10?11?12?",
         "12",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"no choice list", "", "5", {}},
        {"max text not a number", "$A?", "abc", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempFolder folder;
        testsupport::FakeClock clock;
        testsupport::ScriptedRandom random;
        C_GostWorks registry{MethodEnv{clock, random, nullptr, folder.path()}};
        Lines types;
        registry.Init(nullptr, &types, nullptr, nullptr, nullptr, nullptr);
        C_Parametr method;
        method.AddParam("Тип образца", "iTO", "0", C_Parametr::kInt, 4, c.format, "20", "0", 1, 1);
        if (c.maxText != nullptr) method.SetMaxText("iTO", c.maxText);
        registry.Register(&method);
        ASSERT_TRUE(registry.Select(7, 0, 0));
        EXPECT_EQ(types, c.expected);
    }
}

TEST_F(GostWorksTest, RefreshListRebuildsOneList) {
    registry.Select(7, 0, 0);
    recorder.SetFloat("fPT", 2.25f);
    recorder.SetFloat("fHID", 9.0f);
    recorder.SetFloat("fS0", 1.0f);
    lists[0] = {"kept"};
    registry.RefreshList(3);
    EXPECT_EQ(lists[3], Lines{"Предел=2.25"});
    EXPECT_EQ(lists[1], Lines{"Площадь=78.50"});  // not rebuilt
    EXPECT_EQ(lists[0], Lines{"kept"});
    registry.RefreshList(1);
    EXPECT_EQ(lists[1], Lines{"Площадь=1.00"});

    const Lines before[] = {types, lists[0], lists[1], lists[2], lists[3]};
    for (int k : {-1, 4, 5}) {
        registry.RefreshList(k);
        const Lines after[] = {types, lists[0], lists[1], lists[2], lists[3]};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(after[i], before[i]) << k;
    }
}

TEST_F(GostWorksTest, CountShownLeavesOutSignaturesAndHiddenOnes) {
    registry.Select(7, 0, 0);
    // sDA, fS0, fPT; fLK and fHID are not visible, fINT is in group 4.
    EXPECT_EQ(registry.CountShown(), 3);
    recorder.SetVisible(recorder.IndexOf("fLK"), 1);
    recorder.SetVisible(recorder.IndexOf("fINT"), 1);
    EXPECT_EQ(registry.CountShown(), 4);
    registry.Select(0, 0, 0);
    // sDA, sTI, sTE, fPM, fS0: the method without calculation.
    EXPECT_EQ(registry.CountShown(), 5);
}

TEST_F(GostWorksTest, SetInGroupWritesTheRowOfTheGroup) {
    registry.Select(7, 0, 0);
    EXPECT_TRUE(registry.SetInGroup(0, 1, "12,5"));
    EXPECT_EQ(recorder.GetFloat("fS0"), 12.5);
    EXPECT_TRUE(registry.SetInGroup(1, 0, "Иванов"));
    EXPECT_EQ(recorder.GetValueText("sNI"), "Иванов");
    EXPECT_TRUE(registry.SetInGroup(9, 0, "nobody"));  // past the group: nothing
    const TextResult bad = registry.SetInGroup(0, 7, "1.5");
    EXPECT_FALSE(bad.ok);
}

TEST_F(GostWorksTest, SetCurrentIgnoresIndexesPastTheEnd) {
    registry.SetCurrent(1);
    EXPECT_EQ(registry.Current(), &registry.poverka);
    registry.SetCurrent(8);
    registry.SetCurrent(-1);
    EXPECT_EQ(registry.Current(), &registry.poverka);
}

TEST_F(GostWorksTest, CalculateRunsTheCurrentMethod) {
    registry.Select(7, 0, 0);
    recorder.calls.clear();
    registry.Calculate();
    EXPECT_EQ(recorder.calls, Lines{"Calculate"});
}

// The group-3 values of a method, as the result list shows them.
Lines Results(const C_Parametr& m) {
    Lines v;
    for (int i = 0; i < m.Count(); ++i) {
        if (m.InGroup(i, 3)) v.push_back(m.Record(i)->name + "=" + m.ValueToText(i));
    }
    return v;
}

// The values of `shown` (name=value) as the method holds them now.
Lines Now(const C_Parametr& m, const Lines& shown) {
    Lines v;
    for (const std::string& line : shown) {
        const std::string name = line.substr(0, line.find('='));
        v.push_back(name + "=" + m.GetText(name));
    }
    return v;
}

TEST_F(GostWorksTest, TooFewSamplesShowWhatNoTestBeforeWouldHaveLeft) {
    using namespace testsupport::curves;
    const Recording curve = ToFracture(Bilinear{}, 2000, Specimen{78.54, 50.0});
    const auto Choose = [this](const C_Parametr* m) {
        for (int i = 0; i < registry.MethodCount(); ++i) {
            if (registry.Method(i) == m) registry.SetCurrent(i);
        }
        ASSERT_EQ(registry.Current(), m);
    };
    for (C_Parametr* m :
         std::initializer_list<C_Parametr*>{&registry.none, &registry.gost1497, &registry.gost12004,
                                            &registry.gost6996, &registry.gost10006}) {
        SCOPED_TRACE(m->GetText("sGO"));
        Choose(m);
        Record(Ramp(9), buffer);
        registry.Calculate();
        const Lines nothing = Results(*m);
        EXPECT_FALSE(registry.HasTest());

        Record(curve, buffer);
        registry.Calculate();
        EXPECT_TRUE(registry.HasTest());
        ASSERT_NE(Now(*m, nothing), nothing);

        // A new start: nine samples, and the pictures of the last calculation.
        Record(Ramp(9), buffer);
        buffer.AddPicLine(0, 0, 1, 1, 0);
        buffer.AddPicPoint(0, 0, 0, 2, 1, 3, "`в");
        registry.Calculate();
        EXPECT_FALSE(registry.HasTest());
        EXPECT_EQ(Now(*m, nothing), nothing);
        EXPECT_TRUE(buffer.picLines.empty());
        EXPECT_TRUE(buffer.picPoints.empty());
    }
    // The verification is printed from its readings: no curve is needed.
    Choose(&registry.poverka);
    buffer.ClearAll();
    EXPECT_TRUE(registry.HasTest());
}

TEST_F(GostWorksTest, VerificationListsItsCertificateAndCheckPoints) {
    registry.Select(1, 3, 0);
    EXPECT_EQ(types.size(), 5u);
    EXPECT_EQ(types[3], "Измерителя силы изгибного устройства");
    EXPECT_EQ(registry.poverka.GetInt("iTO"), 3);
    ASSERT_EQ(lists[1].size(), 11u);  // the point count and ten points, hidden or not
    EXPECT_EQ(lists[1][0], "Кол-во поверочных точек=10");
    EXPECT_EQ(lists[1][10], "Точка 10=10.00");
    EXPECT_EQ(lists[0].front(), "Дата поверки=05.03.2024");
    EXPECT_EQ(lists[0].back(), "Поверку провел=___________");
    EXPECT_TRUE(lists[2].empty());
    EXPECT_TRUE(lists[3].empty());
}

}  // namespace

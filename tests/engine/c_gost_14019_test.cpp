#include "engine/c_gost_14019.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/c_gostwork.h"
#include "engine/cwork.h"
#include "model/cbuffer.h"
#include "platform/formatfloat.h"
#include "support/curves.h"
#include "support/method_fixture.h"
#include "support/station.h"

namespace {

using namespace testsupport;
using namespace testsupport::curves;
using Lines = std::vector<std::string>;

// Everything a list shows or stores of its records: the values as text and
// the groups.
struct ListState {
    Lines values;
    std::vector<int> groups;
    bool operator==(const ListState&) const = default;
};

ListState StateOf(const C_Parametr& m) {
    ListState s;
    for (int i = 0; i < m.Count(); ++i) {
        s.values.push_back(m.ValueToText(i));
        s.groups.push_back(m.Record(i)->group);
    }
    return s;
}

// A bend test as the unit records it: the mandrel goes down at an even
// rate, the force rises and falls when the specimen gives way.
Recording BendRecording(int samples) {
    Recording r;
    for (int i = 0; i < samples; ++i) {
        const double f = i < samples / 2 ? 0.02 * i : 0.02 * (samples - i);
        r.Add(0.1 * i, f, 0.05 * i);
    }
    return r;
}

using Gost14019 = MethodTest<C_Gost_14019>;

// ---------------------------------------------------------------- declarations

TEST_F(Gost14019, DeclaresTheBendListInOrderWithTodaysDate) {
    const Lines order = {"sFULLNAME", "sGO",     "iTO",    "sTM",  "sSN",   "sDA",    "sTI",
                         "sTE",       "sNI",     "sZL",    "fDOP", "fDOP2", "fKOPOR", "fL0",
                         "fD0",       "fA0",     "fB0",    "fALF", "fTLK",  "sM7",    "sM1",
                         "sM2",       "sM3",     "sM4",    "fOX",  "fOY",   "fSpdL",  "fSpd",
                         "fPos",      "iVECTOR", "iVISUAL"};
    EXPECT_EQ(RecordNames(method), order);
    ExpectEveryRecordKept(method, true);

    EXPECT_EQ(method.GetText("sDA"), "05.03.2024");
    // Not the time of day: the console stamps it at the calculation.
    EXPECT_EQ(method.GetText("sTI"), "00:00:00");
    EXPECT_EQ(method.GetItem("iTO", 0), "Квадратный");
    EXPECT_EQ(method.GetItem("iTO", 1), "Прямоугольный");
    EXPECT_EQ(method.GetItem("iTO", 2), "Цилиндрический");
    EXPECT_EQ(method.GetItem("iTO", 3), "Многограник");
    EXPECT_EQ(method.GetItem("iTO", 4), "");
    EXPECT_EQ(method.GetMaxText("iTO"), "4");
    // Nothing to compute: no result group.
    EXPECT_EQ(method.NameInGroup(3, 0), "-1");
}

TEST_F(Gost14019, DeclarationsThatOthersReadOrTypeInto) {
    const DeclaredWithin records[] = {
        {{"sFULLNAME", "НАЗВАНИЕ", 2, 4, "МЕТАЛЛЫ МЕТОД ИСПЫТАНИЯ НА ИЗГИБ", ""}, 0, 0},
        {{"sGO", "Нормативный документ", 2, 4, "ГОСТ 14019", ""}, 0, 0},
        {{"sTM", "Тип испытательной машины", 2, 4, "ТИП", ""}, 0, 0},
        {{"sTE", "Температура,C°", 2, 0, "20", ""}, 0, 0},  // a Latin C
        {{"fDOP", "Диаметр верхней оправки D, мм", 1, 1, "50.000", "0.000"}, -1000, 1000},
        {{"fDOP2", "Диаметр нижней оправки D, мм", 1, 1, "50.000", "0.000"}, -1000, 1000},
        {{"fKOPOR", "Расстояние между опорами, мм", 1, 1, "200.000", "0.000"}, -1000, 1000},
        {{"fL0", "Длина образца, мм", 1, 1, "250.000", "0.000"}, -1000, 3000},
        {{"fD0", "Диаметр образца, мм", 1, 1, "20.000", "0.000"}, -1000, 1000},
        {{"fB0", "Толщина образца, мм", 1, 1, "20.000", "0.000"}, -1000, 1000},
        {{"fALF", "Угол изгиба,°", 1, 1, "0.000", "0.000"}, -1000, 1000},
        {{"fTLK", "Расстояние между плоскостями, мм", 1, 2, "0.000", "0.000"}, -1000, 1000},
        {{"sM7", "Результат, дефекты на изломе", 2, 2, "", ""}, 0, 0},
        {{"sM4", "Метод испытания", 2, 1, "Угол/Параллельность/Соприкосновение", ""}, 0, 0},
        {{"fOX", "L,мм", 0, 4, "2", "0.000"}, 0, 6},
        {{"fOY", "\xD0\xA2,\xD1\x81", 0, 4, "0", "0.000"}, 0, 6},  // Cyrillic Т and с: time
        {{"fSpd", "Скорость ГОСТ к\x48/с", 1, 4, "2.0000", "0.0000"}, -10000, 10000},  // Latin H
        {{"fPos", "Поз Образца", 0, 4, "0", "0.000"}, 0, 3},
        {{"iVECTOR", "ТИП ИСПЫТАНИЯ", 0, 4, "1", "0"}, 0, 3},
        {{"iVISUAL", "ВИЗУАЛИЗАЦИЯ", 0, 4, "1", "0"}, 0, 1000},
    };
    for (const DeclaredWithin& d : records)
        ExpectDeclaredWithin(method, d);
    // The protocol number goes into this record's max text later.
    EXPECT_EQ(method.GetMaxText("sGO"), "");
}

// ---------------------------------------------------------------- sample types

TEST_F(Gost14019, SampleTypeShowsTheDimensionsOfItsSection) {
    struct Case {
        int type;
        int width;  // group of fA0 and fB0
        int diameter;
    };
    const Case cases[] = {{0, 1, 4}, {2, 4, 1}, {1, 1, 4}, {3, 4, 1}, {0, 1, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), c.type);
        EXPECT_EQ(GroupOf(method, "fA0"), c.width);
        EXPECT_EQ(GroupOf(method, "fB0"), c.width);
        EXPECT_EQ(GroupOf(method, "fD0"), c.diameter);
        // The set-up is shown for every type; the distance between the faces never.
        for (const char* name : {"fDOP", "fDOP2", "fKOPOR", "fALF", "fL0"})
            EXPECT_EQ(GroupOf(method, name), 1) << name;
        EXPECT_EQ(GroupOf(method, "fTLK"), 4);
    }
}

TEST_F(Gost14019, ATypeWithoutAnItemMovesNoDimension) {
    method.SetSampleType(2);
    const ListState cylinder = StateOf(method);
    struct Case {
        int type;
        int stored;  // clamped to the limits of iTO
    };
    for (const Case& c : {Case{4, 4}, Case{7, 4}, Case{-1, 0}}) {
        SCOPED_TRACE(c.type);
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), c.stored);
        EXPECT_EQ(StateOf(method).groups, cylinder.groups);
        method.SetSampleType(2);
    }
}

TEST_F(Gost14019, SlotsOfTheTensionMethodsChangeNothing) {
    Record(BendRecording(200), buffer);
    const ListState before = StateOf(method);
    const std::vector<double> force = buffer.cans[1].samples.ToVector();
    method.SetExtensometer(1);
    method.SetElasticBoundPercent(30);
    method.UpdateArea();
    method.SetManualPoint(0, 1, 5000.0f);
    method.ResetManualPoints();
    EXPECT_EQ(StateOf(method), before);
    EXPECT_EQ(buffer.cans[1].samples, force);
    EXPECT_TRUE(buffer.picPoints.empty());
}

// ---------------------------------------------------------------- calculation

TEST_F(Gost14019, CalculateLeavesTheListAndTheCurveAsTheyAre) {
    struct Case {
        const char* name;
        Recording recording;
        bool bend;  // enough samples to be a test
    };
    // The one with a fall would be cut by a strength analysis.
    Recording fall = BendRecording(300);
    fall.force[250] = 0.0;
    const Case cases[] = {
        {"empty", Recording{}, false},
        {"nine samples", BendRecording(9), false},
        {"ten samples", BendRecording(10), true},
        {"a bend test", BendRecording(5000), true},
        {"a fall in the force", fall, true},
    };
    Set("fALF", "90");
    Set("sM7", "Трещин нет");
    method.SetSampleType(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Record(c.recording, buffer);
        for (int ch = 4; ch <= 6; ++ch)
            buffer.AddValue(ch, 1.5 * ch);
        // What another method or the operator left on the plot.
        buffer.AddPicLine(0, 0, 1, 1, C_Gost_Base::kGreen);
        buffer.AddPicPoint(0, 0, 0, 2, 1, 3, "`в");
        buffer.AddPrintRect(0, 10, 5, 0, 2, 1);
        std::vector<std::vector<double>> channels;
        for (const C_Buffer::SCan& can : buffer.cans)
            channels.push_back(can.samples.ToVector());
        const ListState before = StateOf(method);
        method.xChannel = 5;

        method.Calculate();

        EXPECT_EQ(StateOf(method), before);
        EXPECT_TRUE(buffer.picPoints.empty());
        EXPECT_TRUE(buffer.picLines.empty());
        EXPECT_TRUE(buffer.printRects.empty());
        for (size_t ch = 0; ch < channels.size(); ++ch)
            EXPECT_EQ(buffer.cans[ch].samples, channels[ch]) << "channel " << ch;
        EXPECT_EQ(method.xChannel, c.bend ? 2 : 5);
        EXPECT_EQ(method.yChannel, 1);
    }
}

TEST_F(Gost14019, CalculateWithoutABufferDoesNothing) {
    C_Gost_14019 unbound(env);
    const ListState before = StateOf(unbound);
    unbound.Calculate();
    EXPECT_EQ(StateOf(unbound), before);
}

// ---------------------------------------------------------------- template

TEST_F(Gost14019, TheTemplateBringsBackTheSetUpButNotTheDate) {
    method.SetSampleType(2);
    Set({{"fDOP", "40"}, {"fKOPOR", "160"}, {"fALF", "180"}, {"sM1", "Сталь 20"}, {"sM4", "Угол"}});
    ExpectTemplateSavedAs("SHAB_ГОСТ 14019.ips");

    const C_Gost_14019 reloaded = Reopened();
    ASSERT_EQ(reloaded.Count(), 31);
    ExpectTexts(reloaded, {{"fDOP", "40.000"},
                           {"fKOPOR", "160.000"},
                           {"fALF", "180.000"},
                           {"sM1", "Сталь 20"},
                           {"sM4", "Угол"},
                           {"sDA", "02.01.2025"}});
    EXPECT_EQ(reloaded.GetInt("iTO"), 2);
    EXPECT_EQ(GroupOf(reloaded, "fA0"), 4);
    EXPECT_EQ(GroupOf(reloaded, "fD0"), 1);
    EXPECT_EQ(reloaded.GetInt("iVISUAL"), 1);
    // The first five choice texts are what a template keeps; the list has four.
    EXPECT_EQ(reloaded.GetItem("iTO", 3), "Многограник");
}

TEST_F(Gost14019, AnUnreadableTemplateLeavesTheDeclaredDefaults) {
    {
        std::ofstream garbage(folder.File("SHAB_ГОСТ 14019.ips"), std::ios::binary);
        garbage << "not a template";
    }
    C_Gost_14019 fresh(env);
    const ListState declared = StateOf(method);
    EXPECT_EQ(StateOf(fresh), declared);
    EXPECT_EQ(fresh.GetInt("iVISUAL"), 1);
    EXPECT_EQ(fresh.GetInt("iVECTOR"), 1);
}

// ---------------------------------------------------------------- in the registry

TEST_F(Gost14019, TheConsoleListsFollowTheSampleType) {
    ConsoleRegistry shown(env, buffer);
    C_GostWorks& registry = shown.registry;
    const auto& lists = shown.lists;
    const auto shows = [&](const Lines& list, const std::string& caption) {
        for (const std::string& line : list) {
            if (line.rfind(caption + "=", 0) == 0) return true;
        }
        return false;
    };

    ASSERT_TRUE(registry.Select(5, 0, 1));
    ASSERT_EQ(registry.Current(), &registry.gost14019);
    EXPECT_EQ(shown.types, (Lines{"Квадратный", "Прямоугольный", "Цилиндрический", "Многограник"}));
    EXPECT_TRUE(std::filesystem::exists(folder.File("SHAB_ГОСТ 14019.ips")));
    EXPECT_TRUE(shows(lists[1], "Ширина образца, мм"));
    EXPECT_TRUE(shows(lists[1], "Толщина образца, мм"));
    EXPECT_FALSE(shows(lists[1], "Диаметр образца, мм"));
    EXPECT_EQ(lists[2], Lines{"Результат, дефекты на изломе="});
    EXPECT_TRUE(lists[3].empty());

    ASSERT_TRUE(registry.Select(5, 2, 0));
    EXPECT_FALSE(shows(lists[1], "Ширина образца, мм"));
    EXPECT_FALSE(shows(lists[1], "Толщина образца, мм"));
    EXPECT_TRUE(shows(lists[1], "Диаметр образца, мм"));
    for (const char* caption :
         {"Диаметр верхней оправки D, мм", "Диаметр нижней оправки D, мм",
          "Расстояние между опорами, мм", "Угол изгиба,°", "Длина образца, мм"})
        EXPECT_TRUE(shows(lists[1], caption)) << caption;
    EXPECT_EQ(lists[1].front(), "Диаметр верхней оправки D, мм=50.000");

    registry.Calculate();
    registry.RefreshList(3);
    EXPECT_TRUE(lists[3].empty());
}

TEST(Gost14019Station, ABendTestRunsToItsStopAndComputesNothing) {
    platform::SetDecimalSeparator('.');
    testsupport::Station s;
    s.StartUp();
    s.RawReadings();
    ASSERT_TRUE(s.console.SelectMethod(5, 2, 0));
    C_Parametr& m = *s.work.Methods().Current();
    ASSERT_EQ(m.GetValueText("sGO"), "ГОСТ 14019");
    EXPECT_EQ(s.work.GetVector(), 1);
    const ListState before = StateOf(m);

    s.console.Command(1);
    EmitUntilEvent(*s.unit, s.events, BendRecording(400));
    s.console.DrainEvents();
    if (s.work.State() != C_Work::kFinished) s.console.Command(2);
    EXPECT_EQ(s.work.State(), C_Work::kFinished);

    const C_Buffer& b = s.work.Buffer();
    EXPECT_GE(b.GetCount(1), 10);
    EXPECT_TRUE(b.picPoints.empty());
    EXPECT_TRUE(b.picLines.empty());
    EXPECT_TRUE(s.console.paramLists[3].empty());
    // Only the time of the test is stamped.
    ListState after = StateOf(m);
    const size_t time = static_cast<size_t>(m.IndexOf("sTI"));
    EXPECT_EQ(after.values[time], "14:07:09");
    after.values[time] = before.values[time];
    EXPECT_EQ(after, before);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/c_gost_1497.h"
#include "engine/c_gost_none.h"
#include "engine/c_gost_poverka.h"
#include "model/cbuffer.h"
#include "platform/clock.h"
#include "platform/formatfloat.h"
#include "platform/random.h"
#include "support/fixtures.h"

namespace {

using testsupport::FakeClock;
using testsupport::ScriptedRandom;

struct Declared {
    const char* name;
    const char* caption;
    int type;
    int group;
    const char* value;  // as ValueToText shows it
    bool visible;
};

// Checks the records from index first on against the table.
void ExpectDeclarations(const C_Parametr& m, const std::vector<Declared>& table, int first = 0) {
    ASSERT_GE(m.Count(), first + static_cast<int>(table.size()));
    for (size_t k = 0; k < table.size(); ++k) {
        const int i = first + static_cast<int>(k);
        const Declared& d = table[k];
        SCOPED_TRACE(d.name);
        const S_Val& r = *m.Record(i);
        EXPECT_EQ(r.name, d.name);
        EXPECT_EQ(r.caption, d.caption);
        EXPECT_EQ(r.type, d.type);
        EXPECT_EQ(r.group, d.group);
        EXPECT_EQ(m.ValueToText(i), d.value);
        EXPECT_EQ(r.visible != 0, d.visible);
        EXPECT_EQ(r.persist, 1);
    }
}

// ---------------------------------------------------------------- without calculation

class MethodsNone : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        method.SetBuffer(&buffer);
        buffer.SetCanCount(7);
    }
    void AddRow(double force, double displacement) {
        buffer.AddValue(1, force);
        buffer.AddValue(2, displacement);
    }

    FakeClock clock;
    ScriptedRandom random;
    C_Gost_None method{MethodEnv{clock, random}};
    C_Buffer buffer;
};

TEST_F(MethodsNone, DeclaresItsParameters) {
    ASSERT_EQ(method.Count(), 17);
    ExpectDeclarations(method, {
                                   {"sFULLNAME", "НАЗВАНИЕ", 2, 4, "", true},
                                   {"sGO", "Режим испытания", 2, 4, "Без Расчетов", true},
                                   {"iTO", "Тип образца", 0, 4, "0", true},
                                   {"sTM", "Тип испытательной машины", 2, 4, "ТИП", true},
                                   {"sSN", "Серийный номер", 2, 4, "00000", true},
                                   {"sDA", "Дата", 2, 0, "05.03.2024", true},
                                   {"sTI", "Время", 2, 0, "00:00:00", true},
                                   {"sTE", "Температура,C°", 2, 0, "20", true},
                                   {"sNI", "Ворталинец", 2, 0, "___________", true},
                                   {"sZL", "Зав. Лабораторией", 2, 0, "___________", true},
                                   {"fOX", "L,мм", 0, 4, "0", true},
                                   {"fOY", "F,кН", 0, 4, "1", true},
                                   {"fPM", "Максимальная нагрузка Fmax, кН", 1, 3, "0.00", true},
                                   {"fPos", "Поз Образца1", 0, 4, "0", true},
                                   {"iVECTOR", "ТИП ИСПЫТАНИЯ", 0, 4, "2", true},
                                   {"fSpd", "Скорость ГОСТ Н/с", 1, 4, "1.0000", true},
                                   {"fS0", "Площадь сечения, мм~", 1, 1, "0.000", true},
                               });
    EXPECT_EQ(method.GetItem("iTO", 0), "Произвольный");
    EXPECT_EQ(method.GetMaxText("iTO"), "1");
}

TEST_F(MethodsNone, MarksTheFirstMaximum) {
    struct Case {
        const char* name;
        std::vector<double> forces;
        float fpm;
        int index;
        const char* label;
    };
    const Case cases[] = {
        {"maximum 12.347", {1, 2, 5, 12.347, 9, 3, 2, 1, 1, 0.5}, 12.347f, 3, "max 12.35"},
        {"two equal maxima", {1, 7, 2, 3, 7, 4, 1, 1, 1, 1, 1}, 7.0f, 1, "max 7.00"},
        {"never above 0", {0, -1, -2, -3, -4, -5, -6, -7, -8, -9}, 0.0f, 0, "max 0.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        buffer.ClearAll();
        for (size_t i = 0; i < c.forces.size(); ++i)
            AddRow(c.forces[i], 0.25 * static_cast<double>(i));
        method.Calculate();
        EXPECT_EQ(method.GetFloat("fPM"), static_cast<double>(c.fpm));
        ASSERT_EQ(buffer.picPoints.size(), 1u);
        const C_Buffer::SPicPoint& p = buffer.picPoints[0];
        EXPECT_EQ(p.label, c.label);
        EXPECT_EQ(p.sampleIndex, c.index);
        EXPECT_EQ(p.firstChannel, 2);
        EXPECT_EQ(p.secondChannel, 1);
        EXPECT_EQ(p.labelX, static_cast<float>(0.25 * c.index));
        EXPECT_EQ(p.labelY, static_cast<float>(c.forces[static_cast<size_t>(c.index)]));
        EXPECT_EQ(method.scanChannel, 1);
        EXPECT_EQ(method.xChannel, 2);
    }
    EXPECT_EQ(method.GetText("fPM"), "0.00");
}

TEST_F(MethodsNone, NineSamplesLeaveNoMaximumOfTheTestBefore) {
    for (int i = 0; i < 9; ++i)
        AddRow(i, i);
    buffer.AddPicLine(0, 0, 1, 1, 5);
    method.SetFloat("fPM", 3.0f);
    clock.seconds = 4242;
    method.Calculate();
    EXPECT_EQ(method.GetFloat("fPM"), 0.0);
    EXPECT_TRUE(buffer.picPoints.empty());
    EXPECT_TRUE(buffer.picLines.empty());
    EXPECT_EQ(random.seeds, std::vector<std::uint32_t>{4242u});
}

TEST_F(MethodsNone, EachCalculationLeavesOneMarker) {
    for (int i = 0; i < 12; ++i)
        AddRow(i, i);
    buffer.AddPicLine(0, 0, 1, 1, 5);
    method.Calculate();
    method.Calculate();
    EXPECT_EQ(buffer.picPoints.size(), 1u);
    EXPECT_TRUE(buffer.picLines.empty());
}

TEST_F(MethodsNone, ColourComponentsStayBelowFullIntensity) {
    for (int i = 0; i < 12; ++i)
        AddRow(i, i);
    random.script = {254, 255, 32767};
    method.Calculate();
    EXPECT_EQ(buffer.picPoints[0].colour, 254 + 0 * 256 + 127 * 65536);

    // The program's own generator, seeded by many clocks.
    platform::StandardRandom real;
    C_Gost_None seeded{MethodEnv{clock, real}};
    seeded.SetBuffer(&buffer);
    for (std::int64_t s = 0; s < 2000; s += 7) {
        clock.seconds = 1700000000 + s;
        seeded.Calculate();
        const int colour = buffer.picPoints.at(0).colour;
        EXPECT_LT(colour & 0xff, 255);
        EXPECT_LT((colour >> 8) & 0xff, 255);
        EXPECT_LT((colour >> 16) & 0xff, 255);
        EXPECT_EQ(colour >> 24, 0);
    }
}

// ---------------------------------------------------------------- verification

std::vector<std::string> VerificationNames() {
    std::vector<std::string> names = {"sFULLNAME", "sGO",   "iTO",   "sTM", "sSN",  "sDA",
                                      "sORG",      "sTN",   "sDIAP", "sTE", "sOBR", "sOBR1",
                                      "sOBR2",     "sOBR3", "sNI",   "sZL", "fPCOU"};
    for (int n = 1; n <= 10; ++n)
        names.push_back("fPS_" + std::to_string(n));
    for (int i = 0; i < 10; ++i) {
        for (const char* run : {"fKP1_", "fKO1_", "fKP2_", "fKO2_", "fKP3_", "fKO3_"})
            names.push_back(run + std::to_string(i));
    }
    for (const char* n : {"fPos", "sTI", "iVECTOR", "fOX", "fOY"})
        names.push_back(n);
    return names;
}

class MethodsPoverka : public ::testing::Test {
protected:
    void SetUp() override { platform::SetDecimalSeparator('.'); }
    FakeClock clock;
    ScriptedRandom random;
    C_Gost_POVERKA method{MethodEnv{clock, random}};
};

TEST_F(MethodsPoverka, DeclaresItsNinetyTwoParameters) {
    const std::vector<std::string> names = VerificationNames();
    ASSERT_EQ(names.size(), 92u);
    ASSERT_EQ(method.Count(), 92);
    for (int i = 0; i < 92; ++i)
        EXPECT_EQ(method.Record(i)->name, names[static_cast<size_t>(i)]) << i;

    ExpectDeclarations(
        method,
        {
            {"sFULLNAME", "НАЗВАНИЕ", 2, 4, "", true},
            {"sGO", "Режим испытания", 2, 4, "Поверка", true},
            {"iTO", "Тип образца", 0, 4, "0", true},
            {"sTM", "Тип испытательной машины", 2, 4, "ТИП", true},
            {"sSN", "Серийный номер", 2, 4, "00000", true},
            {"sDA", "Дата поверки", 2, 0, "05.03.2024", true},
            {"sORG", "Организация", 2, 0, "ООО Велмарокс", true},
            {"sTN", "Тип и заводской номер поверяемого измерителя", 2, 0, "___________", true},
            {"sDIAP", "Поверяемый диапазон", 2, 0, "___________", true},
            {"sTE", "Температура в помещении,C°", 2, 0, "20", true},
            {"sOBR", "Образцовое средство", 2, 0, "___________", true},
            {"sOBR1", "Наибольшее предельное значение образцового средства", 2, 0, "___________",
             true},
            {"sOBR2", "Свидетельство о поверке образцового средства", 2, 0, "___________", true},
            {"sOBR3", "Дата поверки образцового средства", 2, 0, "___________", true},
            {"sNI", "Поверку провел", 2, 0, "___________", false},
            {"sZL", "Зав. Лабораторией", 2, 4, "Лапкин Д.С.", true},
            {"fPCOU", "Кол-во поверочных точек", 0, 1, "10", false},
        });
    for (int n = 1; n <= 10; ++n) {
        const std::string value = std::to_string(n) + ".00";
        const std::string caption = "Точка " + std::to_string(n);
        const std::string name = "fPS_" + std::to_string(n);
        ExpectDeclarations(method, {{name.c_str(), caption.c_str(), 1, 1, value.c_str(), false}},
                           16 + n);
        EXPECT_EQ(method.GetFloat(name), n);
    }
    const char* runCaptions[] = {"Прямой   ход1", "Обратный ход1", "Прямой   ход2",
                                 "Обратный ход2", "Прямой   ход3", "Обратный ход3"};
    for (int point = 0; point < 10; ++point) {
        for (int k = 0; k < 6; ++k) {
            const int index = 27 + point * 6 + k;
            const std::string& name = names[static_cast<size_t>(index)];
            ExpectDeclarations(method, {{name.c_str(), runCaptions[k], 1, 4, "0.00", true}}, index);
        }
    }
    ExpectDeclarations(method,
                       {
                           {"fPos", "Поз Образца1", 0, 4, "0", true},
                           {"sTI", "Время", 2, 4, "00:00:00", true},
                           {"iVECTOR", "ТИП ИСПЫТАНИЯ", 0, 4, "2", true},
                           {"fOX", "L,мм", 0, 4, "2", true},
                           {"fOY", "F,кН", 0, 4, "1", true},
                       },
                       87);
    EXPECT_EQ(C_Gost_POVERKA::ReadingKey(2, false, 7), "fKO2_7");
    EXPECT_EQ(C_Gost_POVERKA::ReadingKey(3, true, 0), "fKP3_0");
}

TEST_F(MethodsPoverka, SampleTypeNamesTheInstrument) {
    struct Case {
        int type;
        int stored;
        const char* item;
    };
    const Case cases[] = {
        {0, 0, "Измерителя силы"},
        {4, 4, "Измерителя перемещения изгибного устройства"},
        {9, 6, ""},  // clamped to the declared maximum, past the choices
        {-2, 0, "Измерителя силы"},
    };
    EXPECT_EQ(method.GetMaxText("iTO"), "5");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        method.SetSampleType(c.type);
        EXPECT_EQ(method.GetInt("iTO"), c.stored);
        EXPECT_EQ(method.GetItem("iTO", method.GetInt("iTO")), c.item);
    }
}

TEST_F(MethodsPoverka, CalculateLeavesEveryValue) {
    method.SetFloat("fKP2_3", 12.5f);
    std::vector<std::string> before;
    for (int i = 0; i < method.Count(); ++i)
        before.push_back(method.ValueToText(i));
    method.Calculate();
    method.SetExtensometer(1);
    for (int i = 0; i < method.Count(); ++i)
        EXPECT_EQ(method.ValueToText(i), before[static_cast<size_t>(i)]) << i;
}

// ---------------------------------------------------------------- clock and random source

TEST(MethodsPlatform, DateAndTimeTextArePadded) {
    const platform::CalendarTime t{2024, 3, 5, 4, 7, 9};
    EXPECT_EQ(platform::DateText(t), "05.03.2024");
    EXPECT_EQ(platform::TimeText(t), "04:07:09");
}

TEST(MethodsPlatform, StandardRandomRepeatsForTheSameSeed) {
    platform::StandardRandom a;
    platform::StandardRandom b;
    EXPECT_EQ(a.Next(), 16838);  // the first number of the C standard's generator, seed 1
    a.Seed(99);
    b.Seed(99);
    for (int i = 0; i < 100; ++i) {
        const int v = a.Next();
        EXPECT_EQ(v, b.Next());
        EXPECT_GE(v, 0);
        EXPECT_LE(v, platform::RandomSource::kMax);
    }
}

}  // namespace

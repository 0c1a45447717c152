// The station's rules without a window or a unit: what a typed value may
// do, the hydraulic station's arithmetic, the hold program's check and the
// default name of a saved test.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/formatfloat.h"
#include "station/entry_rules.h"
#include "station/manual_rules.h"
#include "station/station_files.h"

namespace {

using station::entry::Field;
using station::entry::Readout;

// ----- entry

TEST(EntryRules, EachReadoutRowOpensItsTargetAndItsField) {
    struct Case {
        Readout readout;
        int row;
        std::optional<int> target;
        Field field;
        int channel;
        int sendCode;
    };
    const Case cases[] = {
        {Readout::Ustav1, 0, 1, Field::SetPoint, 1, 15},
        {Readout::Ustav1, 1, 2, Field::Protection, 1, 16},
        {Readout::Ustav1, 2, 9, Field::BreakPercent, 1, 0},
        {Readout::Ustav2, 0, 3, Field::SetPoint, 2, 15},
        {Readout::Ustav2, 1, 4, Field::Protection, 2, 16},
        {Readout::Ustav3, 0, 5, Field::SetPoint, 3, 15},
        {Readout::Ustav3, 1, 6, Field::Protection, 3, 16},
        {Readout::Mega1, 0, 7, Field::SetPoint, 4, 15},
        {Readout::Mega1, 1, 8, Field::AuxProtection, 4, 16},
        {Readout::Mega1, 2, 9, Field::BreakPercent, 1, 0},
        {Readout::Mega2, 0, 10, Field::SetPoint, 5, 15},
        {Readout::Mega2, 1, 11, Field::AuxProtection, 5, 16},
        {Readout::Ustav2, 2, std::nullopt, {}, 0, 0},
        {Readout::Ustav1, 3, std::nullopt, {}, 0, 0},
        {Readout::Mega2, -1, std::nullopt, {}, 0, 0},
    };
    for (const Case& c : cases) {
        const auto target = station::entry::TargetOfRow(c.readout, c.row);
        ASSERT_EQ(target, c.target) << static_cast<int>(c.readout) << " row " << c.row;
        if (!target) continue;
        EXPECT_EQ(station::entry::DescribeTarget(*target),
                  (station::entry::Target{c.field, c.channel, c.sendCode}))
            << *target;
    }
    EXPECT_EQ(station::entry::DescribeTarget(0), (station::entry::Target{Field::Speed, 0, 0}));
    EXPECT_FALSE(station::entry::DescribeTarget(12));
    EXPECT_FALSE(station::entry::DescribeTarget(-1));
}

TEST(EntryRules, TypedNumbersAreReadWholeOrNotAtAll) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"150", 150.0},
        {"  12,5 ", 12.5},
        {"12.5", 12.5},
        {"12ю5", 12.5},
        {"12Ю5", 12.5},
        {"-3", -3.0},
        {"+2", 2.0},
        {",5", 0.5},
        {"1e3", 1000.0},
        {"0.1", static_cast<double>(0.1f)},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"12abc", std::nullopt},
        {"150 кН", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1.2.3", std::nullopt},
        {"--1", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"1e50", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(station::entry::ParseNumber(text), expected) << text;
}

TEST(EntryRules, ValuesOutsideTheChannelsLimitsAreRefused) {
    platform::SetDecimalSeparator(',');
    struct Case {
        Field field;
        double fullScale;
        double speedLimit;
        const char* text;
        std::optional<double> value;
        const char* refusal;
    };
    const Case cases[] = {
        {Field::Protection, 500, 300, "150", 150.0, ""},
        {Field::Protection, 500, 300, "500", 500.0, ""},
        {Field::Protection, 500, 300, "500,01", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 500"},
        {Field::SetPoint, 500, 300, "-1", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 500"},
        {Field::SetPoint, 500, 300, "0", 0.0, ""},
        {Field::AuxProtection, 2.92, 300, "2,92", static_cast<double>(2.92f), ""},
        {Field::AuxProtection, 2.92, 300, "2,93", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 2,92"},
        // A range that is not configured is no maximum.
        {Field::SetPoint, 0, 300, "99999", 99999.0, ""},
        {Field::SetPoint, 0, 300, "-1", std::nullopt, "ДОПУСТИМО ОТ 0"},
        {Field::BreakPercent, 500, 300, "100", 100.0, ""},
        {Field::BreakPercent, 500, 300, "100,5", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 100"},
        {Field::BreakPercent, 500, 300, "-1", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 100"},
        // A speed of 0 stops, as the "0" button does; the channel's limit caps it.
        {Field::Speed, 500, 300, "0", 0.0, ""},
        {Field::Speed, 500, 300, "300", 300.0, ""},
        {Field::Speed, 500, 300, "300,5", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 300"},
        {Field::Speed, 500, 300, "-0,5", std::nullopt, "ДОПУСТИМО ОТ 0 ДО 300"},
        {Field::Protection, 500, 300, "abc", std::nullopt, "ВВЕДИТЕ ЧИСЛО"},
        {Field::Speed, 500, 300, "", std::nullopt, "ВВЕДИТЕ ЧИСЛО"},
    };
    for (const Case& c : cases) {
        const auto checked = station::entry::CheckEntry(
            c.text, station::entry::LimitsOf(c.field, c.fullScale, c.speedLimit));
        EXPECT_EQ(checked.value, c.value) << c.text;
        EXPECT_EQ(checked.refusal, c.refusal) << c.text;
    }
}

TEST(EntryRules, TheSpeedEntryOpensWithTheNumberOfTheReadoutsCaption) {
    const std::pair<const char*, const char*> captions[] = {
        {"2,000 мм/мин", "2,000"}, {"0,500 кН/c", "0,500"}, {"12", "12"}, {"", ""}};
    for (const auto& [caption, number] : captions)
        EXPECT_EQ(station::entry::SpeedCaptionNumber(caption), number) << caption;
}

// ----- hydraulic station and hold program

TEST(ManualRules, ServiceTickArithmetic) {
    using station::InputBit;
    EXPECT_EQ(station::RunningTimeAfterTick(0, true), 10);
    EXPECT_EQ(station::RunningTimeAfterTick(50, false), 50);
    EXPECT_EQ(station::RunningTimeAfterTick(station::kRunningTimeLimit - 3, true),
              station::kRunningTimeLimit);
    EXPECT_EQ(station::RunningHoursText(3599), "0 ч");
    EXPECT_EQ(station::RunningHoursText(3600 * 25 + 1), "25 ч");
    const std::pair<int, std::optional<bool>> bits[] = {{1, true},          {2, false},
                                                        {16, true},         {0, std::nullopt},
                                                        {17, std::nullopt}, {-3, std::nullopt}};
    for (const auto& [input, bit] : bits)
        EXPECT_EQ(InputBit(0x8001, input), bit) << input;
}

TEST(ManualRules, HoldProgramTruncatesRepetitionsAndChecksTheLimits) {
    platform::SetDecimalSeparator(',');
    const station::HoldFields ok{"20", "100", "1", "15", "3,9"};
    const station::HoldCheck good = station::CheckHoldProgram(ok, 0.0);
    ASSERT_TRUE(good.program);
    EXPECT_EQ(*good.program, (station::HoldProgram{20.0f, 100.0f, 1.0f, 15.0f, 3}));
    // Zero repetitions and zero hold pass; an equal minimum and maximum too.
    EXPECT_TRUE(station::CheckHoldProgram({"1", "5", "5", "0", "0"}, 0.0).program);
    const station::HoldCheck high = station::CheckHoldProgram(ok, 50.0);
    EXPECT_FALSE(high.program);
    EXPECT_EQ(high.refusal, "Макс. порог, кН: больше предела канала 50,00 кН");
    EXPECT_FALSE(station::CheckHoldProgram({"1", "5", "1", "1", "3000000000"}, 0.0).program);
}

// ----- saved tests

TEST(SaveNames, DefaultNameCarriesTheDateWithDots) {
    EXPECT_EQ(station::DefaultSaveName(7, {2026, 3, 5, 23, 59, 0}), "Протокол № 7 от 05.03.2026");
    EXPECT_EQ(station::DefaultSaveName(1234, {1999, 12, 31}), "Протокол № 1234 от 31.12.1999");
}

}  // namespace

// The verification without a window: the codes that start it, the readings
// it keeps and leaving it for another method.

#include <gtest/gtest.h>

#include <string>

#include "engine/cwork.h"
#include "station/station_controller.h"
#include "station/station_verification.h"
#include "support/station.h"

namespace {

using testsupport::Station;

TEST(StationVerification, ACodeVerifiesAnInstrumentAndItsReadingsGoOnlyWhenTheOperatorAgrees) {
    Station s;
    s.StartUp();
    station::StationController& c = s.console.controller;
    station::Verification& v = c.Verification();
    s.work.Channel(2).fullScale = 50.0;
    c.Command(65);
    C_Parametr* poverka = s.work.Methods().Current();
    ASSERT_EQ(poverka->GetValueText("sGO"), "Поверка");
    EXPECT_EQ(v.PoverkaChannel(), 2);
    EXPECT_TRUE(s.work.verification);
    const int n = poverka->GetInt("fPCOU");
    ASSERT_GT(n, 0);
    EXPECT_FLOAT_EQ(static_cast<float>(poverka->GetFloat("fPS_1")), 50.0f / n);

    // The displacement meter's live value is the reading taken.
    s.work.Channel(2).value = 4.75;
    v.TakeReading(1, "fKP1_0");
    EXPECT_FLOAT_EQ(static_cast<float>(poverka->GetFloat("fKP1_0")), 4.75f);

    const std::string question = "Показания поверки будут удалены. Выбрать другую методику?";
    for (int answer : {3, 1}) {
        s.console.messages.clear();
        c.ChooseMethodRow(0, 0, false);
        ASSERT_EQ(s.console.messages, (std::vector<std::string>{question})) << answer;
        EXPECT_EQ(s.work.Methods().Current(), poverka) << answer;
        c.AnswerMessage(answer);
    }
    EXPECT_EQ(s.work.Methods().CurrentIndex(), 0);
    EXPECT_EQ(poverka->GetFloat("fKP1_0"), 0.0);
    EXPECT_TRUE(v.Taken().empty());
}

}  // namespace

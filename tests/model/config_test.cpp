#include "model/config.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "model/configini.h"
#include "platform/cp1251.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "support/temp_folder.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator(',');
        ini.FileName = "Config";
    }
    void TearDown() override { platform::SetDecimalSeparator('.'); }

    // Writes the file as a Windows program would have: Windows-1251, CRLF.
    void WriteIni(const std::string& utf8) {
        ASSERT_TRUE(platform::WriteFileAtomic(ini.Path(), platform::Utf8ToCp1251(utf8)));
    }
    std::string FileText() {
        return platform::Cp1251ToUtf8(platform::ReadWholeFile(ini.Path()).value_or(""));
    }

    testsupport::TempFolder dir;
    TConfigINI ini{dir.path()};
};

TEST_F(ConfigTest, NoFileGivesTheLoadedDefaultsAndCreatesNothing) {
    C_Config c;
    c.Define(&ini);
    EXPECT_EQ(c.GetValueText("sMNAME"), "ТХ4700-2Ж5");  // until the first Load
    EXPECT_TRUE(c.Load().empty());
    EXPECT_EQ(c.iCHANCOUNT, 10);
    EXPECT_EQ(c.iKE1, 0);
    EXPECT_EQ(c.iVK, 0);
    EXPECT_EQ(c.iPASSV, "");
    EXPECT_EQ(c.GetText("sMNAME"), "");
    EXPECT_FALSE(platform::FileExists(ini.Path()));

    WriteIni("");  // an empty file reads the same
    C_Config d;
    d.Define(&ini);
    d.Load();
    EXPECT_EQ(d.iCHANCOUNT, 10);
    EXPECT_EQ(d.iPASSV, "");
}

// A zone output missing from the file is no output at all (-1), and stays
// so through a save; a configured one loads as written.
TEST_F(ConfigTest, ZoneOutputsMissingFromTheFileAreAbsent) {
    C_Config c;
    c.Define(&ini);
    c.Load();
    EXPECT_EQ(c.iZONAR, -1);
    EXPECT_EQ(c.iZONAS, -1);
    ASSERT_TRUE(c.Save(0));
    EXPECT_NE(FileText().find("Выход Зона Растяжения=-1\r\n"), std::string::npos);
    C_Config d;
    d.Define(&ini);
    d.Load();
    EXPECT_EQ(d.iZONAR, -1);

    WriteIni("[4]\r\nВыход Зона Растяжения=3\r\nВыход Зона Сжатия=4\r\n");
    c.Load();
    EXPECT_EQ(c.iZONAR, 3);
    EXPECT_EQ(c.iZONAS, 4);
    // Other settings still read empty as 0.
    EXPECT_EQ(c.iVZZ, 0);
}

TEST_F(ConfigTest, LoadedValuesAreClampedAndFormatted) {
    WriteIni(
        "[7]\r\nПериод обновления, ms=1000\r\n"
        "[4]\r\nБаза экстензометра=12,6\r\nКанал екстензометр=-5\r\n");
    C_Config c;
    c.Define(&ini);
    c.Load();
    EXPECT_EQ(c.iCHANCOUNT, 500);
    EXPECT_EQ(c.feXb, static_cast<double>(12.6f));
    EXPECT_EQ(c.iKE1, -1);
    ASSERT_TRUE(c.Save(0));
    EXPECT_NE(FileText().find("База экстензометра=13\r\n"), std::string::npos);

    WriteIni("[7]\r\nПериод обновления, ms=5\r\n");
    c.Load();
    EXPECT_EQ(c.iCHANCOUNT, 10);
}

TEST_F(ConfigTest, SaveThenLoadGivesBackEveryValue) {
    C_Config a;
    a.Define(&ini);
    const char* texts[] = {"Машина №2", "250",  "secret", "3600", "5",  "6",  "7",   "8",
                           "9",         "10",   "11",     "12",   "1",  "2",  "3",   "4",
                           "-1",        "1234", "1",      "1",    "50", "12", "700", "COM2"};
    ASSERT_EQ(a.Count(), 24);
    for (int i = 0; i < 24; ++i)
        ASSERT_TRUE(a.SetFromText(i, texts[i]));
    ASSERT_TRUE(a.Save(0));

    C_Config b;
    b.Define(&ini);
    EXPECT_TRUE(b.Load().empty());
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(b.ValueToText(i), a.ValueToText(i)) << a.GetCaption(i);
    EXPECT_EQ(b.iPASSV, "secret");
    EXPECT_EQ(b.sEXPort, "COM2");
    EXPECT_EQ(b.feXpark, 700.0);

    // The captions are stored as Windows-1251 bytes.
    const std::string raw = platform::ReadWholeFile(ini.Path()).value();
    EXPECT_NE(raw.find("[4]\r\n\xCD\xE0\xF0\xE0\xE1\xEE\xF2\xEA\xE0=3600\r\n"), std::string::npos);
    EXPECT_EQ(raw.find("Наработка"), std::string::npos);
}

TEST_F(ConfigTest, SaveOneTouchesOnlyTheRunningHours) {
    const std::string before =
        "; written by hand\r\n[7]\r\n  Пароль = 1 \r\n\r\n[4]\r\nНАРАБОТКА=17\r\nВход "
        "фильтра=3\r\n";
    WriteIni(before);
    C_Config c;
    c.Define(&ini);
    c.Load();
    EXPECT_EQ(c.iWORK, 17);  // keys match without regard to case
    c.iWORK = 4711;
    c.iFiltr = 9;  // changed in memory, but not the running hours: must not be written
    ASSERT_TRUE(c.Save(1));
    std::string expected = before;
    expected.replace(expected.find("НАРАБОТКА=17"), std::string("НАРАБОТКА=17").size(),
                     "НАРАБОТКА=4711");
    EXPECT_EQ(FileText(), expected);
}

TEST_F(ConfigTest, TitleRecordsNeverReachTheFile) {
    WriteIni("[10]\r\nРаздел=abc\r\n");
    C_Config c;
    c.Define(&ini);
    c.AddParam("Раздел", "TITLE", "heading", C_Parametr::kText, 10, "", "", "", 1, 1);
    c.Load();
    EXPECT_EQ(c.GetText("TITLE"), "heading");
    ASSERT_TRUE(c.Save(0));
    EXPECT_EQ(FileText().find("heading"), std::string::npos);
}

TEST_F(ConfigTest, ABadIntegerIsReportedAndLoadingGoesOn) {
    WriteIni("[4]\r\nВход фильтра=1.5\r\nВход уровня=12-3\r\nВыход ВЗЗ=42\r\n");
    C_Config c;
    c.Define(&ini);
    c.iFiltr = 8;
    const std::vector<std::string> errors = c.Load();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "'1.5' is not a valid integer value");
    EXPECT_EQ(errors[1], "'12-3' is not a valid integer value");
    EXPECT_EQ(c.iFiltr, 8);
    EXPECT_EQ(c.iVZZ, 42);  // the keys after the bad ones were still read
}

// Version v of every stored setting: the same digit in each, within its
// limits, and a text that names the version.
void SetVersion(C_Config& c, int v) {
    for (int i = 0; i < c.Count(); ++i) {
        const bool text = c.Record(i)->type == C_Parametr::kText;
        c.SetFromText(i, text ? "версия " + std::to_string(v) : std::to_string(v));
    }
}

std::vector<std::string> AllTexts(const C_Config& c) {
    std::vector<std::string> texts;
    for (int i = 0; i < c.Count(); ++i)
        texts.push_back(c.ValueToText(i));
    return texts;
}

// A process saving the settings is killed at random moments: the file then
// always holds one whole version, old or new, with the lines of others kept.
TEST_F(ConfigTest, ASaveKilledAtAnyMomentLeavesOneWholeVersion) {
    const std::string foreign = "; set up by the service engineer\r\n[Сервис]\r\nКлюч=значение\r\n";
    WriteIni(foreign);
    std::vector<std::string> versions[2];
    for (int v = 0; v < 2; ++v) {
        C_Config c;
        c.Define(&ini);
        SetVersion(c, v + 1);
        versions[v] = AllTexts(c);
        if (v == 0) {
            ASSERT_TRUE(c.Save(0));
        }
    }
    ASSERT_NE(versions[0], versions[1]);

    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int kills = 0;
    int mixed = 0;
    while (kills < 300 && std::chrono::steady_clock::now() < end) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TConfigINI own(dir.path());
            own.FileName = "Config";
            C_Config c;
            c.Define(&own);
            for (int n = 1;; ++n) {
                SetVersion(c, n % 2 + 1);
                c.Save(0);
            }
        }
        ::usleep(static_cast<useconds_t>(delayUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ++kills;

        TConfigINI fresh(dir.path());
        fresh.FileName = "Config";
        C_Config loaded;
        loaded.Define(&fresh);
        EXPECT_TRUE(loaded.Load().empty());
        const std::vector<std::string> texts = AllTexts(loaded);
        if (texts != versions[0] && texts != versions[1]) ++mixed;
        ASSERT_EQ(FileText().rfind(foreign, 0), 0u) << "after kill " << kills;
    }
    EXPECT_GE(kills, 100);
    EXPECT_EQ(mixed, 0) << "of " << kills << " kills";
}

TEST_F(ConfigTest, LoadingAgainFollowsAChangeMadeOutside) {
    WriteIni("[4]\r\nВход фильтра=3\r\n");
    C_Config c;
    c.Define(&ini);
    c.Load();
    EXPECT_EQ(c.iFiltr, 3);
    WriteIni("[4]\r\nВход фильтра=4\r\n");
    c.Load();
    EXPECT_EQ(c.iFiltr, 4);
}

TEST_F(ConfigTest, AFailedWriteIsReported) {
    TConfigINI nowhere(dir.File("missing-folder"));
    nowhere.FileName = "Config";
    C_Config c;
    c.Define(&nowhere);
    EXPECT_FALSE(c.Save(0));
    EXPECT_FALSE(c.Save(1));
}

TEST_F(ConfigTest, ComponentReadsTypedValues) {
    WriteIni("[4]\r\nНомер протокола=0x1F\r\nA= 12 \r\nB=x\r\nF=2,5\r\n");
    EXPECT_EQ(ini.ReadI("4", "Номер протокола", 0), 31);
    EXPECT_EQ(ini.ReadI("4", "A", 0), 12);
    EXPECT_EQ(ini.ReadI("4", "B", -3), -3);
    EXPECT_EQ(ini.ReadI("4", "missing", 5), 5);
    EXPECT_EQ(ini.ReadF("4", "F", 0.0f), 2.5);
    EXPECT_EQ(ini.ReadF("4", "missing", 1.25f), 1.25);
    ASSERT_TRUE(ini.WriteF("4", "G", 12.6f));
    EXPECT_EQ(ini.ReadS("4", "G", ""), "12,6000003814697");
    ASSERT_TRUE(ini.WriteI("4", "H", -9));
    std::vector<std::string> keys;
    ini.ReadSector("4", keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"Номер протокола", "A", "B", "F", "G", "H"}));
}

}  // namespace

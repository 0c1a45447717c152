#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/cp1251.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/file_oracle.h"
#include "support/recording_sink.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace {

using testsupport::FileBytes;
using testsupport::WithTrailer;

// The expected text written in UTF-8 here, as the file holds it.
std::string Expected(const std::string& text) {
    return WithTrailer(platform::Utf8ToCp1251(text));
}

// The text of an export, trailer left off, back in UTF-8.
std::string TextOf(const std::string& path) {
    const std::string bytes = FileBytes(path);
    return platform::Cp1251ToUtf8(bytes.substr(0, bytes.size() >= 4 ? bytes.size() - 4 : 0));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

S_Val Record(const std::string& caption, const std::string& name, int group, int type) {
    S_Val r;
    r.caption = caption;
    r.name = name;
    r.group = group;
    r.type = type;
    OwnStorage(r);
    return r;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator(',');
        console.StartUp(std::make_unique<testsupport::FakeUnit>());
        sink.messages.clear();
    }
    void TearDown() override { platform::SetDecimalSeparator('.'); }

    std::string Path(const std::string& name) const { return folder.File(name); }

    // Method 0 with a list that exercises every rule of the exports.
    void MakeTest() {
        ASSERT_TRUE(console.SelectMethod(0, 0, 0));
        C_Parametr& m = *work.Methods().Current();
        m.Clear();
        S_Val r = Record("Режим испытания", "sGO", 4, C_Parametr::kText);
        *r.valueText = "Без Расчетов";
        m.AddRecord(std::move(r));
        r = Record("Тип образца", "iTO", 4, C_Parametr::kInt);
        r.items[0] = "Круглый";
        r.items[1] = "Плоский";
        *r.intValue = 1;
        m.AddRecord(std::move(r));
        r = Record("L,мм", "fOX", 4, C_Parametr::kInt);  // hidden
        *r.intValue = 3;
        m.AddRecord(std::move(r));
        r = Record("Испытатель", "sNI", 0, C_Parametr::kText);
        *r.valueText = "Иванов";
        m.AddRecord(std::move(r));
        r = Record("Длина", "fL0", 1, C_Parametr::kFloat);
        r.format = "0.0";  // exported with three decimals all the same
        *r.floatValue = 12.3456;
        m.AddRecord(std::move(r));
        r = Record("Число", "iN", 2, C_Parametr::kInt);
        *r.intValue = -7;
        m.AddRecord(std::move(r));
        r = Record("Выбор", "iBAD", 0, C_Parametr::kInt);
        r.items[0] = "А";
        *r.intValue = 5;  // past its one choice text
        m.AddRecord(std::move(r));
        r = Record("Зав. Лабораторией", "sZL", 0, C_Parametr::kText);
        *r.valueText = "Петров";
        m.AddRecord(std::move(r));
        m.AddRecord(Record("Иной тип", "zODD", 3, 3));

        C_Buffer& b = work.Buffer();
        b.ClearAll();
        for (double v : {0.0, 0.1})
            b.AddValue(0, v);
        for (double v : {1.5, 2.25})
            b.AddValue(1, v);
        for (double v : {0.0005, -0.0004})
            b.AddValue(2, v);
        b.AddValue(3, 9.9996);  // one sample short
    }

    testsupport::TempFolder folder;
    testsupport::RecordingSink sink;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::EventQueue events;
    testsupport::StationHarness console{folder.path(), clock, random, events, &sink};
    C_Work& work = console.Work();
};

using ExportCsv = ExportTest;
using ExportTxt = ExportTest;

TEST_F(ExportCsv, WrittenByteForByte) {
    MakeTest();
    ASSERT_TRUE(work.ExportCsv(Path("t.csv")));
    EXPECT_EQ(FileBytes(Path("t.csv")), Expected(";;;Протокол испытания №___\n\r"
                                                 "1. ;Режим испытания;;;;;;;Без Расчетов\n"
                                                 "2. ;Тип образца;;;;;;;Плоский\n"
                                                 "3. ;Длина;;;;;;;12,346\n"
                                                 "4. ;Число;;;;;;;-7\n"
                                                 "5. ;Выбор;;;;;;;5\n"
                                                 "6. ;Иной тип;;;;;;;\n"
                                                 "\rКоличество точек ;2\n\r"
                                                 "T;F;L;E\n"
                                                 "0,000;1,500;0,001;10,000;\n"
                                                 "0,100;2,250;0,000;0,000;\n"));
    // The title in Windows-1251, as other programs read it.
    EXPECT_EQ(FileBytes(Path("t.csv")).substr(0, 28),
              "\x3B\x3B\x3B\xCF\xF0\xEE\xF2\xEE\xEA\xEE\xEB\x20\xE8\xF1\xEF\xFB\xF2\xE0\xED\xE8"
              "\xFF\x20\xB9\x5F\x5F\x5F\x0A\x0D");
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ExportTxt, WrittenByteForByte) {
    MakeTest();
    ASSERT_TRUE(work.ExportTxt(Path("t.txt")));
    EXPECT_EQ(FileBytes(Path("t.txt")), Expected("Протокол испытания\n\r"
                                                 "1. Режим испытания\tБез Расчетов\n"
                                                 "2. Тип образца\tПлоский\n"
                                                 "3. Испытатель\tИванов\n"
                                                 "4. Длина\t12,346\n"
                                                 "5. Число\t-7\n"
                                                 "6. Выбор\t5\n"
                                                 "7. Зав. Лабораторией\tПетров\n"
                                                 "8. Иной тип\t\n"
                                                 "\rКоличество точек \t2\n\r"
                                                 "T\tF\tL\tE\n"
                                                 "0,000\t1,500\t0,001\t10,000\t\n"
                                                 "0,100\t2,250\t0,000\t0,000\t\n"));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ExportTest, EmptyBufferEndsWithTheCountAndTheColumns) {
    MakeTest();
    work.ClearBuffer();
    ASSERT_TRUE(work.ExportCsv(Path("e.csv")));
    ASSERT_TRUE(work.ExportTxt(Path("e.txt")));
    const std::string csv = FileBytes(Path("e.csv"));
    const std::string txt = FileBytes(Path("e.txt"));
    const std::string csvEnd = platform::Utf8ToCp1251("\rКоличество точек ;0\n\rT;F;L;E\n");
    const std::string txtEnd = platform::Utf8ToCp1251("\rКоличество точек \t0\n\rT\tF\tL\tE\n");
    ASSERT_GT(csv.size(), csvEnd.size() + 4);
    ASSERT_GT(txt.size(), txtEnd.size() + 4);
    EXPECT_EQ(csv.substr(csv.size() - 4 - csvEnd.size(), csvEnd.size()), csvEnd);
    EXPECT_EQ(txt.substr(txt.size() - 4 - txtEnd.size(), txtEnd.size()), txtEnd);
    EXPECT_EQ(csv, WithTrailer(csv.substr(0, csv.size() - 4)));
}

// By position the seventh and eighth records would be left out: in most
// methods they are neither signature.
TEST_F(ExportCsv, SignaturesAreLeftOutByNameInEveryMethod) {
    for (int i = 0; i < work.Methods().MethodCount(); ++i) {
        ASSERT_TRUE(console.SelectMethod(i, 0, 0));
        const C_Parametr& m = *work.Methods().Current();
        SCOPED_TRACE(m.GetValueText("sGO"));
        std::vector<std::string> csv;
        std::vector<std::string> txt;
        for (const S_Val& r : m.vals) {
            if (r.group == 4 && r.name != "sGO" && r.name != "iTO") continue;
            // The first line still carries the CR of the title's line end.
            if (r.name != "sNI" && r.name != "sZL") {
                csv.push_back((csv.empty() ? "\r" : "") + std::to_string(csv.size() + 1) + ". ;" +
                              r.caption + ";;;;;;;");
            }
            txt.push_back((txt.empty() ? "\r" : "") + std::to_string(txt.size() + 1) + ". " +
                          r.caption + "\t");
        }
        ASSERT_TRUE(work.ExportCsv(Path("m.csv")));
        ASSERT_TRUE(work.ExportTxt(Path("m.txt")));
        const auto csvLines = Lines(TextOf(Path("m.csv")));
        const auto txtLines = Lines(TextOf(Path("m.txt")));
        ASSERT_GE(csvLines.size(), csv.size() + 1);
        ASSERT_GE(txtLines.size(), txt.size() + 1);
        for (size_t k = 0; k < csv.size(); ++k)
            EXPECT_EQ(csvLines[k + 1].substr(0, csv[k].size()), csv[k]);
        for (size_t k = 0; k < txt.size(); ++k)
            EXPECT_EQ(txtLines[k + 1].substr(0, txt[k].size()), txt[k]);
        // The line after the parameters is the count line.
        EXPECT_EQ(csvLines[csv.size() + 1].rfind("\rКоличество точек ;", 0), 0u);
    }
    // The method without calculations has its time and temperature at
    // positions 6 and 7: they are exported.
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    ASSERT_TRUE(work.ExportCsv(Path("none.csv")));
    const std::string text = TextOf(Path("none.csv"));
    EXPECT_NE(text.find(";Время;"), std::string::npos);
    EXPECT_NE(text.find(";Температура,C°;"), std::string::npos);
    EXPECT_EQ(text.find("Ворталинец"), std::string::npos);
    EXPECT_EQ(text.find("Зав. Лабораторией"), std::string::npos);
}

TEST_F(ExportTest, FolderThatDoesNotExistIsReportedOnce) {
    MakeTest();
    for (const std::string name : {"missing/t.csv", "missing/t.txt"}) {
        sink.messages.clear();
        const std::string path = Path(name);
        EXPECT_FALSE(name.ends_with("csv") ? work.ExportCsv(path) : work.ExportTxt(path));
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text,
                  "Файл '" + path + "' не может быть создан\nТакой папки нет. Файл не сохранён.");
    }
}

}  // namespace

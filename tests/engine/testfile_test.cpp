#include "engine/testfile.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/c_gost_1497.h"
#include "engine/cwork.h"
#include "platform/formatfloat.h"
#include "platform/posixfile.h"
#include "support/event_queue.h"
#include "support/fake_unit.h"
#include "support/file_oracle.h"
#include "support/recording_sink.h"
#include "support/station.h"
#include "support/temp_folder.h"

namespace {

// What the operator reads after the first line of a file message.
const std::string kCutShort =
    "\nФайл повреждён или записан не до конца. Из файла ничего не загружено.";
const std::string kDamaged =
    "\nОн испорчен или записан другой программой. Из файла ничего не загружено.";
const std::string kMissing = "\nТакого файла нет. Из файла ничего не загружено.";
const std::string kNoFolder = "\nТакой папки нет. Файл не сохранён.";

using testsupport::FileBytes;
using testsupport::WithTrailer;

const char kCaption[] = "Ошибка";

// "09 00 41" -> the three bytes.
std::string Hex(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

void PutFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(platform::WriteFileAtomic(path, bytes));
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

// A record with storage of its own, every field given.
S_Val Record(const std::string& caption, const std::string& value, const std::string& name,
             int group, int type) {
    S_Val r;
    r.caption = caption;
    r.name = name;
    r.group = group;
    r.type = type;
    OwnStorage(r, value);
    return r;
}

// Every field of every record, so two lists compare whole.
// Every field of every record. `asStored` shows a number's text as the file
// stores it (the value formatted now), not the holder SetInt/SetFloat leave behind.
std::vector<std::string> Dump(const C_Parametr& list, bool asStored = false) {
    std::vector<std::string> out;
    for (const S_Val& r : list.vals) {
        const bool number = r.type == C_Parametr::kInt || r.type == C_Parametr::kFloat;
        const std::string text = asStored && number ? ValueText(r)
                                 : r.valueText      ? *r.valueText
                                                    : "<null>";
        std::string s = r.caption + "|" + text + "|" + r.name + "|" + r.format + "|" + r.maxText +
                        "|" + r.minText;
        for (const std::string& item : r.items)
            s += "|" + item;
        char numbers[256];
        std::snprintf(numbers, sizeof numbers, "|%d|%d|%d|%d|%d|%a|%a|%a|%d|%d", r.group, r.type,
                      r.intValue ? *r.intValue : -999, r.intMin, r.intMax,
                      r.floatValue ? *r.floatValue : -999.0, r.floatMin, r.floatMax, r.visible,
                      r.persist);
        out.push_back(s + numbers);
    }
    return out;
}

std::vector<std::string> Dump(const C_Buffer& b) {
    std::vector<std::string> out;
    char line[256];
    for (const C_Buffer::SCan& c : b.cans) {
        std::snprintf(line, sizeof line, "can %d %a %a", c.count, c.min, c.max);
        out.push_back(line + c.name);
        for (double v : c.samples) {
            std::snprintf(line, sizeof line, "%a", v);
            out.push_back(line);
        }
    }
    for (const C_Buffer::SPrintRect& w : b.printRects) {
        std::snprintf(line, sizeof line, "rect %d %d %a %a %a %a", w.xChannel, w.yChannel,
                      static_cast<double>(w.lowerX), static_cast<double>(w.upperX),
                      static_cast<double>(w.upperY), static_cast<double>(w.lowerY));
        out.push_back(line);
    }
    out.push_back("pics " + std::to_string(b.picPoints.size()) + " " +
                  std::to_string(b.picLines.size()));
    return out;
}

// A method that behaves as the standard ones do on selection: a new sample
// type starts a new specimen, so its measured final length is reset; and
// it names its template from its own list, as a method naively would.
class ProbeMethod final : public C_Parametr {
public:
    explicit ProbeMethod(const MethodEnv& env) : env_(env) {
        AddParam("Нормативный документ", "sGO", "ГОСТ Проба", kText, 4, "", "", "", 1, 1);
        AddParam("Тип образца", "iTO", "0", kInt, 4, "$Круглый?Плоский?", "2", "0", 1, 1);
        AddParam("Конечная длина, мм", "fLK", "0", kFloat, 2, "0.00", "1000", "0", 1, 1);
    }
    void SetSampleType(int sampleType) override {
        SetInt("iTO", sampleType);
        SetFloat("fLK", 0.0f);
    }
    void SaveTemplate() override {
        ++templatesSaved;
        SaveParams(*this, env_, TemplateFileName(GetValueText("sGO")));
    }
    int templatesSaved = 0;

private:
    MethodEnv env_;
};

// A station whose file errors are recorded and whose program folder is a
// fresh temporary one.
class FileStation : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        auto unit = std::make_unique<testsupport::FakeUnit>();
        unit_ = unit.get();
        unit_->sink = &work;
        console.StartUp(std::move(unit));
        work.Methods().Register(&probe);
        sink.messages.clear();
    }

    std::string Path(const std::string& name) const { return folder.File(name); }
    C_Parametr& Method(int i) { return *work.Methods().Method(i); }

    std::vector<std::vector<std::string>> AllLists() {
        std::vector<std::vector<std::string>> all;
        for (int i = 0; i < work.Methods().MethodCount(); ++i)
            all.push_back(Dump(Method(i)));
        return all;
    }

    void ExpectOneMessage(const std::string& text) {
        ASSERT_EQ(sink.messages.size(), 1u) << text;
        EXPECT_EQ(sink.messages[0].caption, kCaption);
        EXPECT_EQ(sink.messages[0].text, text);
    }

    static constexpr int kProbe = 7;

    testsupport::TempFolder folder;
    testsupport::RecordingSink sink;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::EventQueue events;
    testsupport::StationHarness console{folder.path(), clock, random, events, &sink};
    C_Work& work = console.Work();
    ProbeMethod probe{MethodEnv{clock, random, &sink, folder.path()}};
    testsupport::FakeUnit* unit_ = nullptr;
};

// --- The tiny test, worked out by hand ---------------------------------------

// The content of the tiny test (no trailer), field by field. The variants
// let the refusal cases below change one field.
struct Tiny {
    std::string header = "09 00 41 53 43 5F 56 31 2E 30 00";  // "ASC_V1.0", length 9 with the zero
    std::string records = "01 00 00 00";                      // P = 1
    std::string channel0 = "02 00 00 00";                     // n = 2
    std::string windows = "01 00 00 00";                      // W = 1
    std::string method = "00 00 00 00";                       // method index 0

    std::string Content() const {
        return Hex(header + records +
                   // the record: caption "Длина" in Windows-1251, 5 bytes and the zero
                   "06 00 C4 EB E8 ED E0 00"
                   "04 00 31 2E 35 00"                             // value text "1.5"
                   "03 00 66 4C 00"                                // name "fL"
                   "04 00 30 2E 30 00"                             // format "0.0"
                   "03 00 31 30 00"                                // max text "10"
                   "02 00 30 00"                                   // min text "0"
                   "02 00 C0 00"                                   // choice 1 "А"
                   "01 00 00 01 00 00 01 00 00 01 00 00 01 00 00"  // choices 2-6 empty
                   "01 00 00 01 00 00 01 00 00 01 00 00"           // choices 7-10 empty
                   "02 00 00 00"                                   // group 2
                   "01 00 00 00"                                   // type 1 (float)
                   "07 00 00 00"                                   // integer value 7
                   "FF FF FF FF"                                   // integer minimum -1
                   "03 00 00 00"                                   // integer maximum 3
                   "00 00 00 00 00 00 F8 3F"                       // float value 1.5
                   "00 00 00 00 00 00 00 00"                       // float minimum 0
                   "00 00 00 00 00 00 24 40"                       // float maximum 10
                   "01"                                            // visible
                   "00"                                            // persist
                   "04 00 00 00"                                   // channels: always 4
                   + channel0 +                                    // channel 0 (time)
                   "00 00 00 00 00 00 00 00"                       //   0.0
                   "00 00 00 00 00 00 E0 3F"                       //   0.5
                   "02 00 00 00"                                   // channel 1 (force): n = 2
                   "00 00 00 00 00 00 F4 3F"                       //   1.25
                   "00 00 00 00 00 00 00 C0"                       //   -2.0
                   "00 00 00 00"                                   // channel 2: n = 0
                   "00 00 00 00"                                   // channel 3: n = 0
                   + windows +                                     //
                   "02 00 00 00"                                   // X channel 2
                   "01 00 00 00"                                   // Y channel 1
                   "00 00 00 3F"                                   // lower X 0.5f
                   "00 00 20 41"                                   // upper X 10.0f
                   "00 00 C8 42"                                   // upper Y 100.0f
                   "00 00 80 BF"                                   // lower Y -1.0f
                   + method +                                      //
                   "00 00 00 00"                                   // sample type 0
                   "01 00 00 00");                                 // extensometer 1
    }
};

class TestFileGolden : public FileStation {
protected:
    // Method 0 with the tiny test's one record, its samples and its window.
    void MakeTinyTest() {
        ASSERT_TRUE(console.SelectMethod(0, 0, 1));
        C_Parametr& m = Method(0);
        m.Clear();
        S_Val r = Record("Длина", "1.5", "fL", 2, C_Parametr::kFloat);
        r.format = "0.0";
        r.maxText = "10";
        r.minText = "0";
        r.items[0] = "А";
        *r.intValue = 7;
        r.intMin = -1;
        r.intMax = 3;
        *r.floatValue = 1.5;
        r.floatMin = 0.0;
        r.floatMax = 10.0;
        r.visible = 1;
        r.persist = 0;
        m.AddRecord(std::move(r));

        C_Buffer& b = work.Buffer();
        b.ClearAll();
        b.AddValue(0, 0.0);
        b.AddValue(0, 0.5);
        b.AddValue(1, 1.25);
        b.AddValue(1, -2.0);
        b.AddValue(4, 99.0);  // not a saved channel
        b.AddPrintRect(0.5f, 10.0f, 100.0f, -1.0f, 2, 1);
    }
};

TEST_F(TestFileGolden, TinyTestIsWrittenByteForByte) {
    MakeTinyTest();
    // A holder left behind by SetFloat: the file stores the value, "1.5".
    *Method(0).vals[0].valueText = "9.9";
    ASSERT_TRUE(work.SaveTest(Path("tiny.ipc")));
    EXPECT_EQ(FileBytes(Path("tiny.ipc")), WithTrailer(Tiny{}.Content()));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(FilesIn(folder.path()), std::set<std::string>{"tiny.ipc"}) << "no temporary left";
}

TEST_F(TestFileGolden, TinyFileReadsBackIntoEveryField) {
    PutFile(Path("tiny.ipc"), WithTrailer(Tiny{}.Content()));
    MakeTinyTest();
    const auto expected = Dump(Method(0));
    // Something else on screen: another method and another curve.
    ASSERT_TRUE(console.SelectMethod(1, 0, 0));
    Method(0).Clear();
    work.Buffer().ClearAll();
    work.Buffer().AddValue(5, 1.0);

    ASSERT_TRUE(work.LoadTest(Path("tiny.ipc")));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(work.Methods().CurrentIndex(), 0);
    EXPECT_EQ(work.Methods().Extensometer(), 1);
    EXPECT_EQ(Dump(Method(0)), expected);
    const C_Buffer& b = work.Buffer();
    EXPECT_EQ(b.cans[0].samples, (std::vector<double>{0.0, 0.5}));
    EXPECT_EQ(b.cans[1].samples, (std::vector<double>{1.25, -2.0}));
    EXPECT_EQ(b.GetMin(1), -2.0);
    EXPECT_EQ(b.cans[1].max, 1.25);
    for (int c : {2, 3, 4, 5, 6})
        EXPECT_EQ(b.GetCount(c), 0) << c;
    ASSERT_EQ(b.printRects.size(), 1u);
    EXPECT_EQ(b.printRects[0].xChannel, 2);
    EXPECT_EQ(b.printRects[0].yChannel, 1);
    EXPECT_EQ(b.printRects[0].lowerX, 0.5f);
    EXPECT_EQ(b.printRects[0].upperX, 10.0f);
    EXPECT_EQ(b.printRects[0].upperY, 100.0f);
    EXPECT_EQ(b.printRects[0].lowerY, -1.0f);
    EXPECT_EQ(console.paramLists[2], std::vector<std::string>{"Длина=1.5"});
}

TEST_F(TestFileGolden, ChannelsOnlyVersionKeepsTheParameters) {
    const std::string content =
        Hex("09 00 41 53 43 5F 56 31 2E 31 00"       // "ASC_V1.1"
            "02 00 00 00"                            // C = 2
            "01 00 00 00 00 00 00 00 00 00 F0 3F"    // channel 0: one sample, 1.0
            "01 00 00 00 00 00 00 00 00 00 00 40"    // channel 1: one sample, 2.0
            "00 00 00 00"                            // W = 0
            "01 00 00 00 02 00 00 00 00 00 00 00");  // method 1, sample type 2, no extensometer
    PutFile(Path("old.ipc"), WithTrailer(content));
    const auto before = AllLists();

    ASSERT_TRUE(work.LoadTestFile(Path("old.ipc")));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(work.Methods().CurrentIndex(), 1);
    EXPECT_EQ(work.Methods().SampleType(), 2);
    // The selection set the verification's instrument, nothing else changed.
    auto after = AllLists();
    EXPECT_EQ(Method(1).GetInt("iTO"), 2);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(work.Buffer().cans[0].samples, std::vector<double>{1.0});
    EXPECT_EQ(work.Buffer().cans[1].samples, std::vector<double>{2.0});
    EXPECT_EQ(work.Buffer().GetCount(2), 0);
    EXPECT_TRUE(work.Buffer().printRects.empty());
}

// --- Round trips -------------------------------------------------------------

using TestFileRoundTrip = FileStation;

TEST_F(TestFileRoundTrip, RestoresParametersChannelsWindowsAndSelection) {
    ASSERT_TRUE(console.SelectMethod(1, 2, 1));
    C_Parametr& m = Method(1);
    ASSERT_TRUE(m.SetFromText(m.IndexOf("sTN"), "ДМ-5 № 1234"));
    ASSERT_TRUE(m.SetFromText(m.IndexOf("fPS_3"), "12,75"));
    m.SetFloat("fKP1_2", 4.5f);  // the holder text stays behind; the file stores 4.5
    C_Buffer& b = work.Buffer();
    b.ClearAll();
    for (int c = 0; c < b.GetCanCount(); ++c) {
        for (int i = 0; i < 1000; ++i)
            b.AddValue(c, c * 1000.0 + (i % 97) * 0.125 - i * 0.5);
    }
    b.AddPrintRect(0.0f, 5.0f, 20.0f, 0.0f, 2, 1);
    b.AddPrintRect(-1.0f, 1.0f, 2.5f, -2.5f, 3, 4);
    b.AddPicPoint(1.0f, 2.0f, 255, 2, 1, 10, "max");
    for (int k = 0; k < 4; ++k)
        work.Methods().RefreshList(k);
    const auto savedList = Dump(m, true);
    const auto savedLists = console.paramLists;
    const C_Buffer saved = b;

    ASSERT_TRUE(work.SaveTest(Path("t.ipc")));
    // Something else on screen before the load.
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    ASSERT_TRUE(m.SetFromText(m.IndexOf("sTN"), "другой"));
    work.ClearBuffer();
    work.Buffer().AddValue(1, 7.0);

    ASSERT_TRUE(work.LoadTestFile(Path("t.ipc")));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(work.Methods().CurrentIndex(), 1);
    EXPECT_EQ(work.Methods().SampleType(), 2);
    EXPECT_EQ(work.Methods().Extensometer(), 1);
    EXPECT_EQ(Dump(m), savedList);
    EXPECT_EQ(m.GetValueText("fKP1_2"), "4.50");
    EXPECT_EQ(console.paramLists, savedLists);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(b.cans[c].samples, saved.cans[c].samples) << c;
        EXPECT_EQ(b.cans[c].count, 1000) << c;
        EXPECT_EQ(b.cans[c].min, saved.cans[c].min) << c;
        EXPECT_EQ(b.cans[c].max, saved.cans[c].max) << c;
    }
    for (int c = 4; c < 7; ++c)
        EXPECT_EQ(b.GetCount(c), 0) << "channel " << c << " is not saved";
    ASSERT_EQ(b.printRects.size(), 2u);
    EXPECT_EQ(b.printRects[1].xChannel, 3);
    EXPECT_EQ(b.printRects[1].yChannel, 4);
    EXPECT_EQ(b.printRects[1].lowerY, -2.5f);
    EXPECT_TRUE(b.picPoints.empty()) << "the load clears the marks";
}

TEST_F(TestFileRoundTrip, LongChannelsComeBackWithTheRangesSampleBySampleWouldGive) {
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    C_Buffer& b = work.Buffer();
    b.ClearAll();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int i = 0; i < 40000; ++i) {
        b.AddValue(0, std::sin(i * 0.001) * i);   // extremes deep inside later pieces
        b.AddValue(1, i == 0 ? nan : -i);         // a NaN first holds the range
        b.AddValue(2, i == 20000 ? nan : i % 7);  // a NaN later changes nothing
        b.AddValue(3, i == 39999 ? -1e300 : 0.0);
    }
    const C_Buffer saved = b;
    ASSERT_TRUE(work.SaveTest(Path("long.ipc")));
    work.ClearBuffer();
    ASSERT_TRUE(work.LoadTestFile(Path("long.ipc")));
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        const C_Buffer::SCan& got = b.cans[static_cast<size_t>(c)];
        const C_Buffer::SCan& want = saved.cans[static_cast<size_t>(c)];
        ASSERT_EQ(got.count, 40000);
        EXPECT_EQ(bits(got.min), bits(want.min));
        EXPECT_EQ(bits(got.max), bits(want.max));
        EXPECT_EQ(std::memcmp(got.samples.data(), want.samples.data(), 40000 * sizeof(double)), 0);
    }
}

// Each load reads into the storage the load before it gave up: nothing of
// an earlier test may show through, nor may a refused file touch the test on
// screen.
TEST_F(TestFileRoundTrip, LoadsInTurnShowOnlyTheirOwnSamples) {
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    C_Buffer& b = work.Buffer();
    // Every channel's count, range and samples (a Dump is too slow here).
    using Shown = std::vector<std::tuple<int, double, double, std::vector<double>>>;
    const auto shown = [&] {
        Shown out;
        for (const C_Buffer::SCan& c : b.cans)
            out.emplace_back(c.count, c.min, c.max, c.samples.ToVector());
        return out;
    };
    const auto record = [&](int samples, double base) {
        b.ClearAll();
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < samples; ++i)
                b.AddValue(c, base + c * 100.0 + i * 0.25);
        }
        return shown();
    };
    const auto longTest = record(40000, 1.0);
    ASSERT_TRUE(work.SaveTest(Path("long.ipc")));
    const auto shortTest = record(3, -50.0);
    ASSERT_TRUE(work.SaveTest(Path("short.ipc")));
    const auto channelsOnly = [&] {
        b.ClearAll();
        b.AddValue(0, 1.0);
        b.AddValue(1, 2.0);
        return shown();
    }();
    PutFile(Path("old.ipc"),
            WithTrailer(Hex("09 00 41 53 43 5F 56 31 2E 31 00"         // "ASC_V1.1"
                            "02 00 00 00"                              // C = 2
                            "01 00 00 00 00 00 00 00 00 00 F0 3F"      // channel 0: 1.0
                            "01 00 00 00 00 00 00 00 00 00 00 40"      // channel 1: 2.0
                            "00 00 00 00"                              // W = 0
                            "00 00 00 00 00 00 00 00 00 00 00 00")));  // method 0
    std::string bad = FileBytes(Path("long.ipc"));
    bad[5000] = static_cast<char>(bad[5000] ^ 0x10);  // a sample, caught by the checksum
    PutFile(Path("bad.ipc"), bad);

    const struct {
        const char* file;
        const Shown* shows;
    } loads[] = {
        {"long.ipc", &longTest}, {"short.ipc", &shortTest},  {"long.ipc", &longTest},
        {"bad.ipc", &longTest},  {"old.ipc", &channelsOnly}, {"bad.ipc", &channelsOnly},
        {"long.ipc", &longTest}, {"old.ipc", &channelsOnly}, {"short.ipc", &shortTest},
    };
    for (const auto& load : loads) {
        SCOPED_TRACE(load.file);
        const bool sound = std::string(load.file) != "bad.ipc";
        sink.messages.clear();
        EXPECT_EQ(work.LoadTest(Path(load.file)), sound);
        EXPECT_EQ(sink.messages.size(), sound ? 0u : 1u);
        EXPECT_TRUE(shown() == *load.shows);
    }
}

TEST_F(TestFileRoundTrip, NoPrintWindowsAndNoSamples) {
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    work.ClearBuffer();
    ASSERT_TRUE(work.SaveTest(Path("empty.ipc")));
    const std::string file = FileBytes(Path("empty.ipc"));
    // The end of the content: four empty channels, W = 0, the selection.
    EXPECT_EQ(file.substr(file.size() - 4 - 36, 36),
              Hex("04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                  "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"));
    work.Buffer().AddPrintRect(1, 2, 3, 4, 1, 2);
    ASSERT_TRUE(work.LoadTest(Path("empty.ipc")));
    EXPECT_TRUE(work.Buffer().printRects.empty());
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(work.Buffer().GetCount(c), 0);
}

TEST_F(TestFileRoundTrip, LongTextsAreCutInMemoryAndTheChecksumStillHolds) {
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    C_Parametr& m = Method(0);
    std::string longText;
    for (int i = 0; i < 1500; ++i)
        longText += "Ж";  // one Windows-1251 byte each, two in memory
    ASSERT_TRUE(m.SetFromText(m.IndexOf("sTE"), longText));
    ASSERT_TRUE(work.SaveTest(Path("long.ipc")));
    ASSERT_TRUE(work.LoadTest(Path("long.ipc")));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(m.GetValueText("sTE"), longText.substr(0, 2000));
}

TEST_F(TestFileRoundTrip, UnknownRecordTypeIsKeptAsRead) {
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    C_Parametr& m = Method(0);
    S_Val odd = Record("Иное", "x", "zODD", 3, 7);
    *odd.intValue = 11;
    *odd.floatValue = 2.5;
    m.AddRecord(std::move(odd));
    const auto saved = Dump(m, true);
    ASSERT_TRUE(work.SaveTest(Path("odd.ipc")));
    ASSERT_TRUE(work.LoadTest(Path("odd.ipc")));
    EXPECT_EQ(Dump(m), saved);
    EXPECT_EQ(m.ValueToText(m.IndexOf("zODD")), "-");
}

// --- Which method receives the file --------------------------------------------

using TestFileMethods = FileStation;

TEST_F(TestFileMethods, AnotherMethodsFileSelectsItAndLeavesTheCurrentListAlone) {
    ASSERT_TRUE(console.SelectMethod(1, 1, 0));
    C_Parametr& verification = Method(1);
    ASSERT_TRUE(verification.SetFromText(verification.IndexOf("sORG"), "Лаборатория 7"));
    const auto savedVerification = Dump(verification, true);
    ASSERT_TRUE(work.SaveTest(Path("verification.ipc")));
    ASSERT_TRUE(verification.SetFromText(verification.IndexOf("sORG"), "другая"));

    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    C_Parametr& none = Method(0);
    ASSERT_TRUE(none.SetFromText(none.IndexOf("sTE"), "25"));
    const auto noneBefore = Dump(none);

    ASSERT_TRUE(work.LoadTest(Path("verification.ipc")));
    EXPECT_EQ(work.Methods().CurrentIndex(), 1);
    EXPECT_EQ(work.Methods().Current(), &verification);
    EXPECT_EQ(Dump(verification), savedVerification);
    EXPECT_EQ(Dump(none), noneBefore);
    EXPECT_EQ(console.sampleTypeList.size(), 5u);
}

TEST_F(TestFileMethods, LoadedMeasurementSurvivesTheSelectionAndReachesTheTemplate) {
    ASSERT_TRUE(console.SelectMethod(kProbe, 1, 0));
    probe.SetFloat("fLK", 55.5f);
    ASSERT_TRUE(work.SaveTest(Path("probe.ipc")));
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    const int saves = probe.templatesSaved;

    ASSERT_TRUE(work.LoadTestFile(Path("probe.ipc")));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(work.Methods().Current(), &probe);
    EXPECT_EQ(probe.GetFloat("fLK"), 55.5) << "the selection's reset must not win";
    EXPECT_EQ(probe.GetInt("iTO"), 1);
    EXPECT_EQ(console.paramLists[2], std::vector<std::string>{"Конечная длина, мм=55.50"});

    // The last template written is the loaded test's.
    EXPECT_EQ(probe.templatesSaved, saves + 2) << "by the selection, then with the loaded values";
    C_Parametr fromTemplate;
    ASSERT_TRUE(LoadParams(fromTemplate, work.Env(), TemplateFileName("ГОСТ Проба")));
    EXPECT_EQ(fromTemplate.GetFloat("fLK"), 55.5);
}

TEST_F(TestFileMethods, FileContentNeverNamesTheTemplate) {
    ASSERT_TRUE(console.SelectMethod(kProbe, 0, 0));
    ASSERT_TRUE(probe.SetFromText(probe.IndexOf("sGO"), "../../outside"));
    ASSERT_TRUE(work.SaveTest(Path("crafted.ipc")));
    ASSERT_TRUE(probe.SetFromText(probe.IndexOf("sGO"), "ГОСТ Проба"));
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    std::filesystem::remove(Path(TemplateFileName("ГОСТ Проба")));
    std::filesystem::remove(Path(TemplateFileName("../../outside")));

    ASSERT_TRUE(work.LoadTest(Path("crafted.ipc")));
    EXPECT_EQ(probe.GetValueText("sGO"), "ГОСТ Проба");
    EXPECT_EQ(FilesIn(folder.path()),
              (std::set<std::string>{"crafted.ipc", TemplateFileName("ГОСТ Проба")}));
}

TEST(TemplateFileName, IsPrefixTextAndExtensionAndStaysInItsFolder) {
    EXPECT_EQ(TemplateFileName("ГОСТ 1497"), "SHAB_ГОСТ 1497.ips");
    EXPECT_EQ(TemplateFileName("../x"), "SHAB_.._x.ips");
}

// --- Files that are refused ----------------------------------------------------

class TestFileRefused : public FileStation {
protected:
    // A state that any change would show: the verification with sample type
    // 3, a curve in every channel, a window and a mark.
    void SetUp() override {
        FileStation::SetUp();
        ASSERT_TRUE(console.SelectMethod(1, 3, 1));
        ASSERT_TRUE(Method(0).SetFromText(Method(0).IndexOf("sTE"), "31"));
        C_Buffer& b = work.Buffer();
        for (int c = 0; c < b.GetCanCount(); ++c) {
            for (int i = 0; i < 5; ++i)
                b.AddValue(c, c + i * 0.25);
        }
        b.AddPrintRect(0, 1, 2, 3, 2, 1);
        b.AddPicPoint(1, 1, 0, 2, 1, 3, "m");
        for (int k = 0; k < 4; ++k)
            work.Methods().RefreshList(k);
    }
};

struct RefusedCase {
    const char* what;
    std::string bytes;    // the whole file; "<none>": no file at all
    std::string message;  // "%s" stands for the file name
};

std::string Flipped(std::string bytes, size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    return bytes;
}

std::vector<RefusedCase> RefusedCases() {
    const std::string good = WithTrailer(Tiny{}.Content());
    const std::string damaged = "Файл '%s' повреждён" + kDamaged;
    auto tiny = [](auto change) {
        Tiny t;
        change(t);
        return WithTrailer(t.Content());
    };
    return {
        {"missing file", "<none>", "Файл '%s' не может быть открыт" + kMissing},
        {"empty file", "", "Невозможно прочесть 2 байта из файла '%s'" + kCutShort},
        {"cut in the header", good.substr(0, 5),
         "Невозможно прочесть 2 байта из файла '%s'" + kCutShort},
        // 40 bytes: 36 before the would-be trailer, 21 of them after P.
        {"cut in the records", good.substr(0, 40),
         "Невозможно прочесть 78 байт из файла '%s'" + kCutShort},
        // 150 bytes: channel 0's count is there, 12 of its 16 sample bytes.
        {"cut in the samples", good.substr(0, 150),
         "Невозможно прочесть 16 байт из файла '%s'" + kCutShort},
        {"no trailer", good.substr(0, good.size() - 4),
         "Невозможно прочесть 12 байт из файла '%s'" + kCutShort},
        // The caption's length field (bytes 15 and 16) says 65535.
        {"string longer than the file", good.substr(0, 15) + Hex("FF FF") + good.substr(17),
         "Невозможно прочесть 65535 байт из файла '%s'" + kCutShort},
        {"record count past the file", tiny([](Tiny& t) { t.records = "FF FF FF 7F"; }),
         "Невозможно прочесть 167503724466 байт из файла '%s'" + kCutShort},
        {"sample count past the file", tiny([](Tiny& t) { t.channel0 = "00 00 00 40"; }),
         "Невозможно прочесть 8589934592 байта из файла '%s'" + kCutShort},
        {"window count past the file", tiny([](Tiny& t) { t.windows = "E8 03 00 00"; }),
         "Невозможно прочесть 24000 байт из файла '%s'" + kCutShort},
        {"negative sample count", tiny([](Tiny& t) { t.channel0 = "FF FF FF FF"; }), damaged},
        {"negative record count", tiny([](Tiny& t) { t.records = "FE FF FF FF"; }), damaged},
        {"unknown header", tiny([](Tiny& t) { t.header = "09 00 41 53 43 5F 56 32 2E 30 00"; }),
         damaged},
        {"method the program does not have", tiny([](Tiny& t) { t.method = "63 00 00 00"; }),
         damaged},
        {"negative method index", tiny([](Tiny& t) { t.method = "FF FF FF FF"; }), damaged},
        {"bad checksum", Flipped(good, 140), damaged},
        {"bytes after the last field", WithTrailer(Tiny{}.Content() + "x"), damaged},
    };
}

TEST_F(TestFileRefused, EachFailureIsReportedOnceAndChangesNothing) {
    const auto lists = AllLists();
    const auto buffer = Dump(work.Buffer());
    const auto shown = console.paramLists;
    const auto sampleTypes = console.sampleTypeList;
    const int speeds = unit_->Count("SetSpeed");

    for (const RefusedCase& c : RefusedCases()) {
        SCOPED_TRACE(c.what);
        const std::string path = Path("bad.ipc");
        std::filesystem::remove(path);
        if (c.bytes != "<none>") PutFile(path, c.bytes);
        sink.messages.clear();

        EXPECT_FALSE(work.LoadTestFile(path));
        std::string message = c.message;
        if (const size_t at = message.find("%s"); at != std::string::npos)
            message.replace(at, 2, path);
        ExpectOneMessage(message);
        EXPECT_EQ(work.Methods().CurrentIndex(), 1);
        EXPECT_EQ(work.Methods().SampleType(), 3);
        EXPECT_EQ(work.Methods().Extensometer(), 1);
        EXPECT_EQ(AllLists(), lists);
        EXPECT_EQ(Dump(work.Buffer()), buffer);
        EXPECT_EQ(console.paramLists, shown);
        EXPECT_EQ(console.sampleTypeList, sampleTypes);
        EXPECT_EQ(unit_->Count("SetSpeed"), speeds) << "no reset for a load that fails";
    }
}

TEST_F(TestFileRefused, TheSameFileWithItsFaultMendedLoads) {
    // The base of the table is sound: every refusal above is its one change.
    PutFile(Path("good.ipc"), WithTrailer(Tiny{}.Content()));
    EXPECT_TRUE(work.LoadTestFile(Path("good.ipc")));
    EXPECT_TRUE(sink.messages.empty());
}

// --- Values the program cannot use ---------------------------------------------

// Checksum-sound files from the program's own writer, each with one value that
// no plot, protocol or list of this program can use. Loading one once must not
// carry it into the method's template either.
class TestFileOddValues : public FileStation {
protected:
    static constexpr int kTension = 2;  // ГОСТ 1497

    void SetUp() override {
        FileStation::SetUp();
        ASSERT_TRUE(console.SelectMethod(kTension, 0, 0));
        C_Buffer& b = work.Buffer();
        for (int i = 0; i < 20; ++i) {
            b.AddValue(0, i * 0.1);
            b.AddValue(1, i * 2.0);
            b.AddValue(2, i * 0.05);
        }
        b.AddPrintRect(0, 1, 40, 0, 2, 1);
        sink.messages.clear();
    }

    std::string Template() const { return Path(TemplateFileName("ГОСТ 1497")); }

    // The tension test's list as a file would bring it, changed by `change`.
    std::string Written(const std::function<void(C_Parametr&, C_Buffer&)>& change) {
        C_Gost_1497 list{work.Env()};
        C_Buffer buffer = work.Buffer();
        change(list, buffer);
        const std::string path = Path("odd.ipc");
        EXPECT_TRUE(WriteSavedTest(path, sink, &list, buffer, kTension, 0, 0));
        return path;
    }

    static S_Val& Rec(C_Parametr& list, const char* name) {
        return list.vals[static_cast<size_t>(list.IndexOf(name))];
    }
};

TEST_F(TestFileOddValues, RefusedWholeAndTheTemplateStaysAsItWas) {
    const struct {
        const char* what;
        std::function<void(C_Parametr&, C_Buffer&)> change;
    } cases[] = {
        {"print window on a channel past the buffer",
         [](C_Parametr&, C_Buffer& b) { b.AddPrintRect(0, 1, 2, 0, kBufferChannels, 1); }},
        {"print window on a negative channel",
         [](C_Parametr&, C_Buffer& b) { b.AddPrintRect(0, 1, 2, 0, 2, -1); }},
        {"plot X past the channels, under the old limit of 10",
         [](C_Parametr& m, C_Buffer&) {
             S_Val& r = Rec(m, "fOX");
             r.intMax = 10;
             r.maxText = "10";
             *r.intValue = 9;
         }},
        {"plot Y below channel 0",
         [](C_Parametr& m, C_Buffer&) {
             S_Val& r = Rec(m, "fOY");
             r.intMin = -5;
             *r.intValue = -1;
         }},
        {"plot X stored as a text",
         [](C_Parametr& m, C_Buffer&) {
             S_Val& r = Rec(m, "fOX");
             r.type = C_Parametr::kText;
             *r.valueText = "50";
             *r.intValue = 50;
         }},
        {"a diameter past its declared limit",
         [](C_Parametr& m, C_Buffer&) {
             S_Val& r = Rec(m, "fD0");
             r.floatMax = 1e9;
             *r.floatValue = 5000.0;
         }},
    };
    const auto lists = AllLists();
    const auto buffer = Dump(work.Buffer());
    const std::string savedTemplate = FileBytes(Template());
    ASSERT_FALSE(savedTemplate.empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Written(c.change);
        sink.messages.clear();
        EXPECT_FALSE(work.LoadTestFile(path));
        ExpectOneMessage("Файл '" + path + "' повреждён" + kDamaged);
        EXPECT_EQ(work.Methods().CurrentIndex(), kTension);
        EXPECT_EQ(AllLists(), lists);
        EXPECT_EQ(Dump(work.Buffer()), buffer);
        EXPECT_EQ(FileBytes(Template()), savedTemplate);
    }
}

TEST_F(TestFileOddValues, AnOldLimitGivesWayToTheDeclaredOne) {
    const std::string path = Written([](C_Parametr& m, C_Buffer&) {
        S_Val& r = Rec(m, "fOX");
        r.intMax = 10;
        r.maxText = "10";
        *r.intValue = 3;
    });
    ASSERT_TRUE(work.LoadTestFile(path));
    EXPECT_TRUE(sink.messages.empty());
    const S_Val& r = Rec(Method(kTension), "fOX");
    EXPECT_EQ(*r.intValue, 3);
    EXPECT_EQ(r.intMax, kBufferChannels - 1);
    EXPECT_EQ(r.maxText, std::to_string(kBufferChannels - 1));
}

// --- Saving that fails -----------------------------------------------------------

using TestFileSaveFails = FileStation;

TEST_F(TestFileSaveFails, OldFileSurvivesAndTheFailureIsReported) {
    ASSERT_TRUE(console.SelectMethod(0, 0, 0));
    work.Buffer().AddValue(0, 1.0);
    ASSERT_TRUE(work.SaveTest(Path("t.ipc")));
    const std::string old = FileBytes(Path("t.ipc"));

    // A text too long for its record stops the save half way.
    C_Parametr& m = Method(0);
    ASSERT_TRUE(m.SetFromText(m.IndexOf("sTE"), std::string(70000, 'x')));
    EXPECT_FALSE(work.SaveTest(Path("t.ipc")));
    ExpectOneMessage("Невозможно записать 70003 байта в файл '" + Path("t.ipc") +
                     "'\nТекст слишком длинный для файла. Прежний файл остался без изменений.");
    EXPECT_EQ(FileBytes(Path("t.ipc")), old);
    EXPECT_EQ(FilesIn(folder.path()), std::set<std::string>{"t.ipc"});
}

TEST_F(TestFileSaveFails, FolderThatDoesNotExist) {
    const std::string path = Path("missing/t.ipc");
    EXPECT_FALSE(work.SaveTest(path));
    ExpectOneMessage("Файл '" + path + "' не может быть создан" + kNoFolder);
}

// --- Templates ---------------------------------------------------------------

class TemplateFile : public ::testing::Test {
protected:
    std::string Name() const { return TemplateFileName("ГОСТ Т"); }
    std::string Path() const { return folder.File(Name()); }

    // One choice record with seven choice texts; a template keeps five.
    static void Fill(C_Parametr& list) {
        S_Val r = Record("Тип", "1", "iTO", 4, C_Parametr::kInt);
        r.format = "$А?Б?";
        r.maxText = "2";
        r.minText = "0";
        r.items = {"А", "Б", "", "", "", "Е", "Ж"};
        *r.intValue = 1;
        r.intMax = 5;
        r.visible = 1;
        r.persist = 1;
        list.AddRecord(std::move(r));
    }

    testsupport::TempFolder folder;
    testsupport::RecordingSink sink;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    MethodEnv env{clock, random, &sink, folder.path()};
};

TEST_F(TemplateFile, WrittenByteForByteWithFiveChoiceTexts) {
    C_Parametr list;
    Fill(list);
    ASSERT_TRUE(SaveParams(list, env, Name()));
    EXPECT_EQ(Name(), "SHAB_ГОСТ Т.ips");
    const std::string expected =
        WithTrailer(Hex("09 00 41 53 43 5F 56 31 2E 30 00"  // "ASC_V1.0"
                        "01 00 00 00"                       // one record
                        "04 00 D2 E8 EF 00"                 // caption "Тип"
                        "02 00 31 00"                       // value text "1"
                        "04 00 69 54 4F 00"                 // name "iTO"
                        "06 00 24 C0 3F C1 3F 00"           // format "$А?Б?"
                        "02 00 32 00"                       // max text "2"
                        "02 00 30 00"                       // min text "0"
                        "02 00 C0 00 02 00 C1 00"           // choices "А", "Б"
                        "01 00 00 01 00 00 01 00 00"  // choices 3-5 empty; 6 and 7 are not stored
                        "04 00 00 00 00 00 00 00"     // group 4, type 0
                        "01 00 00 00 00 00 00 00 05 00 00 00"  // value 1, limits 0 and 5
                        "00 00 00 00 00 00 00 00"              // float value 0
                        "00 00 00 00 00 00 00 00"              // float minimum 0
                        "00 00 00 00 00 00 00 00"              // float maximum 0
                        "01 01"));                             // visible, persist
    EXPECT_EQ(FileBytes(Path()), expected);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(TemplateFile, ReadsBackWithTheFirstFiveChoiceTextsOnly) {
    C_Parametr list;
    Fill(list);
    ASSERT_TRUE(SaveParams(list, env, Name()));
    C_Parametr read;
    read.AddParam("Старое", "sOLD", "x", C_Parametr::kText, 0, "", "", "", 1, 1);
    ASSERT_TRUE(LoadParams(read, env, Name()));
    ASSERT_EQ(read.Count(), 1);
    const S_Val& r = *read.Record(0);
    EXPECT_EQ(r.items, (std::array<std::string, 10>{"А", "Б"}));
    list.vals[0].items[5].clear();
    list.vals[0].items[6].clear();
    EXPECT_EQ(Dump(read), Dump(list));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(TemplateFile, RefusedTemplateLeavesTheListAndReportsOnce) {
    C_Parametr good;
    Fill(good);
    ASSERT_TRUE(SaveParams(good, env, Name()));
    const std::string file = FileBytes(Path());
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"missing", "<none>", "Файл '" + Path() + "' не может быть открыт" + kMissing},
        {"cut short", file.substr(0, 30),
         "Невозможно прочесть 68 байт из файла '" + Path() + "'" + kCutShort},
        {"bad checksum", Flipped(file, 20), "Файл '" + Path() + "' повреждён" + kDamaged},
        {"other header", WithTrailer(Hex("09 00 41 53 43 5F 56 31 2E 31 00 00 00 00 00")),
         "Файл '" + Path() + "' повреждён" + kDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(Path());
        if (c.bytes != "<none>") PutFile(Path(), c.bytes);
        sink.messages.clear();
        C_Parametr list;
        list.AddParam("Старое", "sOLD", "x", C_Parametr::kText, 0, "", "", "", 1, 1);
        const auto before = Dump(list);
        EXPECT_FALSE(LoadParams(list, env, Name()));
        EXPECT_EQ(Dump(list), before);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, c.message);
    }
}

// The method's declarations decide what a template may bring: a value inside
// them loads (with the declared limits), one outside refuses the template.
TEST_F(TemplateFile, ValuesOutsideTheDeclarationsNeverEnterTheList) {
    const auto declare = [](C_Parametr& list) {
        list.AddParam("L,мм", "fOX", "2", C_Parametr::kInt, 4, "", "6", "0", 1, 1);
        list.AddParam("Диаметр", "fD0", "10", C_Parametr::kFloat, 1, "0.00", "1000", "0", 1, 1);
    };
    const struct {
        const char* what;
        int ox;
        double d0;
        bool loads;
    } cases[] = {
        {"inside", 5, 12.5, true},
        {"X channel past the buffer", 9, 12.5, false},
        {"diameter past its limit", 5, 1500.0, false},
        {"diameter not a number", 5, std::nan(""), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Written under the old, wider limits, as by an earlier program.
        C_Parametr old;
        declare(old);
        old.vals[0].intMax = 10;
        old.vals[0].maxText = "10";
        *old.vals[0].intValue = c.ox;
        old.vals[1].floatMax = 1e9;
        *old.vals[1].floatValue = std::isnan(c.d0) ? 12.5 : c.d0;
        ASSERT_TRUE(SaveParams(old, env, Name()));
        if (std::isnan(c.d0)) {
            // The writer never stores a NaN: the one byte pattern is put in by hand.
            std::string bytes = FileBytes(Path());
            const std::string value = Hex("00 00 00 00 00 00 29 40");  // 12.5
            const size_t at = bytes.rfind(value);
            ASSERT_NE(at, std::string::npos);
            bytes.replace(at, 8, Hex("00 00 00 00 00 00 F8 7F"));
            PutFile(Path(), WithTrailer(bytes.substr(0, bytes.size() - 4)));
        }
        sink.messages.clear();

        C_Parametr list;
        declare(list);
        const auto before = Dump(list);
        EXPECT_EQ(LoadParams(list, env, Name()), c.loads);
        if (c.loads) {
            EXPECT_TRUE(sink.messages.empty());
            EXPECT_EQ(list.GetInt("fOX"), c.ox);
            EXPECT_EQ(list.Record(0)->intMax, 6);
            EXPECT_EQ(list.GetMaxText("fOX"), "6");
            EXPECT_EQ(list.GetFloat("fD0"), c.d0);
            EXPECT_EQ(list.Record(1)->floatMax, 1000.0);
        } else {
            EXPECT_EQ(Dump(list), before);
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].text, "Файл '" + Path() + "' повреждён" + kDamaged);
        }
    }
}

// Whatever the list holds, the file gets a value inside the record's limits.
TEST_F(TemplateFile, NoValueIsWrittenOutsideItsLimits) {
    C_Parametr list;
    list.AddParam("L,мм", "fOX", "2", C_Parametr::kInt, 4, "", "6", "0", 1, 1);
    list.AddParam("Диаметр", "fD0", "10", C_Parametr::kFloat, 1, "0.00", "1000", "-5", 1, 1);
    list.AddParam("Длина", "fL0", "10", C_Parametr::kFloat, 1, "0.00", "1000", "5", 1, 1);
    *list.vals[0].intValue = 99;
    *list.vals[1].floatValue = -7.0;
    *list.vals[2].floatValue = std::nan("");
    ASSERT_TRUE(SaveParams(list, env, Name()));
    C_Parametr read;
    ASSERT_TRUE(LoadParams(read, env, Name()));
    EXPECT_EQ(read.GetInt("fOX"), 6);
    EXPECT_EQ(read.GetValueText("fOX"), "6");
    EXPECT_EQ(read.GetFloat("fD0"), -5.0);
    EXPECT_EQ(read.GetValueText("fD0"), "-5.00");
    EXPECT_EQ(read.GetFloat("fL0"), 5.0) << "a NaN is stored as 0, clamped";
}

TEST_F(TemplateFile, FailedSaveKeepsTheOldTemplate) {
    C_Parametr list;
    Fill(list);
    ASSERT_TRUE(SaveParams(list, env, Name()));
    const std::string old = FileBytes(Path());
    list.vals[0].caption = std::string(65535, 'x');
    EXPECT_FALSE(SaveParams(list, env, Name()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(FileBytes(Path()), old);
    EXPECT_EQ(FilesIn(folder.path()), std::set<std::string>{Name()});

    sink.messages.clear();
    MethodEnv nowhere{clock, random, &sink, folder.File("missing")};
    EXPECT_FALSE(SaveParams(list, nowhere, Name()));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Файл '" + folder.File("missing") + "/" + Name() +
                                         "' не может быть создан" + kNoFolder);
}

}  // namespace

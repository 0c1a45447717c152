#include "model/archive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "platform/posixfile.h"
#include "support/file_oracle.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"

namespace {

using testsupport::FileBytes;

const char kCaption[] = "Ошибка";
const std::string kCutShort =
    "'\nФайл повреждён или записан не до конца. Из файла ничего не загружено.";

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

void PutFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(platform::WriteFileAtomic(path, bytes));
}

uint32_t TrailerOf(const std::string& file) {
    EXPECT_GE(file.size(), 4u);
    if (file.size() < 4) return 0;
    uint32_t word = 0;
    for (int i = 3; i >= 0; --i)
        word = word << 8 | static_cast<unsigned char>(file[file.size() - 4 + i]);
    return word;
}

class ArchiveTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name = "a.bin") const { return folder.File(name); }

    testsupport::TempFolder folder;
    testsupport::RecordingSink sink;
};

// --- Layout on disk ---------------------------------------------------------

using ArchiveLayout = ArchiveTest;

TEST_F(ArchiveLayout, WriteStringAbc_HoldsLengthTextZeroAndTrailer) {
    Archive a(sink);
    ASSERT_TRUE(a.Open(Path(), false));
    EXPECT_EQ(a.WriteString("abc"), 4u);
    EXPECT_TRUE(a.Close());
    EXPECT_TRUE(a.CrcOk());
    EXPECT_EQ(FileBytes(Path()),
              Bytes({0x04, 0x00, 0x61, 0x62, 0x63, 0x00, 0x06, 0xAB, 0xB5, 0x53}));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ArchiveLayout, EmptyContent_TrailerIsAllOnes) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        EXPECT_TRUE(a.Close());
    }
    EXPECT_EQ(FileBytes(Path()), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));

    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    EXPECT_TRUE(r.Close());
    EXPECT_TRUE(r.CrcOk());
}

// The trailer is the complement of the standard CRC-32 (check value of
// "123456789" is 0xCBF43926).
TEST_F(ArchiveLayout, TrailerIsComplementOfStandardCrc32) {
    struct Case {
        std::string content;
        uint32_t trailer;
    };
    const Case cases[] = {
        {"", 0xFFFFFFFFu},
        {"abc", 0xCADBBE3Du},
        {"123456789", ~0xCBF43926u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        EXPECT_EQ(a.WriteText(c.content), c.content.size());
        EXPECT_EQ(a.Crc(), c.trailer);
        a.Close();
        const std::string file = FileBytes(Path());
        EXPECT_EQ(file.substr(0, file.size() - 4), c.content);
        EXPECT_EQ(TrailerOf(file), c.trailer);
        EXPECT_EQ(a.Crc(), c.trailer) << "the trailer is not folded into the register";
    }
}

TEST_F(ArchiveLayout, TextsAreStoredAsWindows1251WithTheirByteLength) {
    struct Case {
        std::string text;
        std::string record;
    };
    // П р и в е т = CF F0 E8 E2 E5 F2; Ё = A8, ж = E6.
    const Case cases[] = {
        {"", Bytes({0x01, 0x00, 0x00})},
        {"Привет", Bytes({0x07, 0x00, 0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0x00})},
        {"Ёж 5", Bytes({0x05, 0x00, 0xA8, 0xE6, 0x20, 0x35, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        {
            Archive a(sink);
            ASSERT_TRUE(a.Open(Path(), false));
            EXPECT_EQ(a.WriteString(c.text), c.record.size() - 2);
        }
        const std::string file = FileBytes(Path());
        EXPECT_EQ(file.substr(0, file.size() - 4), c.record);

        Archive r(sink);
        ASSERT_TRUE(r.Open(Path(), true));
        std::string back = "junk";
        EXPECT_EQ(r.ReadString(back, 1000), c.record.size() - 3);
        EXPECT_EQ(back, c.text);
        r.Close();
        EXPECT_TRUE(r.CrcOk());
    }
}

TEST_F(ArchiveLayout, WriteText_HasNoLengthAndNoZero) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        EXPECT_EQ(a.WriteText("Ёж;1\r\n"), 6u);
    }
    const std::string file = FileBytes(Path());
    EXPECT_EQ(file.substr(0, file.size() - 4), Bytes({0xA8, 0xE6, ';', '1', '\r', '\n'}));
}

TEST_F(ArchiveLayout, NumbersAreLittleEndian) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        a << true << static_cast<int8_t>(-2) << static_cast<int32_t>(0x01020304) << 1.0f << -2.0;
    }
    const std::string file = FileBytes(Path());
    EXPECT_EQ(file.substr(0, file.size() - 4),
              Bytes({0x01, 0xFE, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x00, 0x00, 0xC0}));
}

// --- Round trips --------------------------------------------------------------

using ArchiveRoundTrip = ArchiveTest;

// The Windows files hold 4-byte counts: a Linux `long` or `size_t` must not
// slip 8 bytes into them.
static_assert(!ArchiveValue<long> && !ArchiveValue<size_t> && !ArchiveValue<wchar_t>);
static_assert(ArchiveValue<int32_t> && ArchiveValue<double> && ArchiveValue<bool>);

TEST_F(ArchiveRoundTrip, TypedValuesOfEverySize) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const float denormal = std::numeric_limits<float>::denorm_min();
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        a << uint8_t{0xFF} << int8_t{-128} << false << true;
        a << std::numeric_limits<int32_t>::min() << uint32_t{0xDEADBEEF};
        a << -0.0f << denormal << std::numeric_limits<float>::infinity();
        a << nan << -1.5e300 << 2.5;
        EXPECT_TRUE(a.Close());
        EXPECT_FALSE(a.Failed());
    }
    EXPECT_EQ(FileBytes(Path()).size(), 4 * 1 + 2 * 4 + 3 * 4 + 3 * 8 + 4u);

    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    uint8_t u8 = 0;
    int8_t i8 = 0;
    bool no = true, yes = false;
    int32_t i32 = 0;
    uint32_t u32 = 0;
    float negZero = 1, tiny = 0, inf = 0;
    double d1 = 0, d2 = 0;
    double d3 = 0;
    r >> u8 >> i8 >> no >> yes >> i32 >> u32 >> negZero >> tiny >> inf >> d1 >> d2 >> d3;
    EXPECT_EQ(u8, 0xFF);
    EXPECT_EQ(i8, -128);
    EXPECT_FALSE(no);
    EXPECT_TRUE(yes);
    EXPECT_EQ(i32, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(u32, 0xDEADBEEFu);
    EXPECT_EQ(std::bit_cast<uint32_t>(negZero), 0x80000000u);
    EXPECT_EQ(tiny, denormal);
    EXPECT_TRUE(std::isinf(inf));
    EXPECT_EQ(std::bit_cast<uint64_t>(d1), std::bit_cast<uint64_t>(nan));
    EXPECT_EQ(d2, -1.5e300);
    EXPECT_EQ(d3, 2.5);
    EXPECT_TRUE(r.Close());
    EXPECT_TRUE(r.CrcOk());
    EXPECT_FALSE(r.Failed());
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ArchiveRoundTrip, AnyNonZeroByteReadsAsTrue) {
    PutFile(Path(), Bytes({0x00, 0x01, 0x02, 0xFF}));
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    bool flags[4] = {true, false, false, false};
    for (bool& f : flags)
        r >> f;
    EXPECT_FALSE(flags[0]);
    EXPECT_TRUE(flags[1]);
    EXPECT_TRUE(flags[2]);
    EXPECT_TRUE(flags[3]);
}

TEST_F(ArchiveRoundTrip, LongestStringFits_LengthCountsWindows1251Bytes) {
    // 65534 text bytes and the zero fill the 16-bit length exactly; the
    // Cyrillic text is twice as long in UTF-8.
    struct Case {
        const char* name;
        std::string text;
    };
    std::string cyrillic;
    for (size_t i = 0; i < Archive::kMaxStringBytes; ++i)
        cyrillic += "я";
    const Case cases[] = {
        {"latin", std::string(Archive::kMaxStringBytes, 'x')},
        {"cyrillic", cyrillic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            Archive a(sink);
            ASSERT_TRUE(a.Open(Path(), false));
            EXPECT_EQ(a.WriteString(c.text), 65535u);
            EXPECT_FALSE(a.Failed());
        }
        const std::string file = FileBytes(Path());
        ASSERT_EQ(file.size(), 2 + 65535 + 4u);
        EXPECT_EQ(file.substr(0, 2), Bytes({0xFF, 0xFF}));

        Archive r(sink);
        ASSERT_TRUE(r.Open(Path(), true));
        std::string back;
        EXPECT_EQ(r.ReadString(back, 100000), Archive::kMaxStringBytes);
        EXPECT_EQ(back, c.text);
        r.Close();
        EXPECT_TRUE(r.CrcOk());
    }
    EXPECT_TRUE(sink.messages.empty());
}

// --- Checksum comparison ----------------------------------------------------

using ArchiveChecksum = ArchiveTest;

void WriteSample(Archive& a) {
    a.WriteString("ASC_V1.0");
    a << int32_t{3} << 2.5f << 1e-3;
    a.WriteString("Сила, кН");
    a << true;
}

// Reads back what WriteSample wrote; returns whether the comparison passed.
bool ReadSample(Archive& r) {
    std::string s;
    int32_t n = 0;
    float f = 0;
    double d = 0;
    bool flag = false;
    r.ReadString(s, 1000);
    r >> n >> f >> d;
    r.ReadString(s, 1000);
    r >> flag;
    r.Close();
    return r.CrcOk();
}

TEST_F(ArchiveChecksum, FlippedByteAnywhere_FailsComparison) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path("good.bin"), false));
        WriteSample(a);
    }
    const std::string good = FileBytes(Path("good.bin"));
    {
        Archive r(sink);
        ASSERT_TRUE(r.Open(Path("good.bin"), true));
        ASSERT_TRUE(ReadSample(r)) << "the unchanged file must pass";
    }
    for (size_t i = 0; i < good.size(); ++i) {
        for (int mask : {0x01, 0x80}) {
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ mask);
            PutFile(Path(), bad);
            Archive r(sink);
            ASSERT_TRUE(r.Open(Path(), true));
            EXPECT_FALSE(ReadSample(r)) << "byte " << i << " mask " << mask;
        }
    }
}

TEST_F(ArchiveChecksum, SmallLimit_TruncatesInMemoryAndCrcStillPasses) {
    struct Case {
        std::string text;
        int limit;
        std::string kept;
        size_t keptBytes;  // Windows-1251
    };
    const Case cases[] = {
        {"abc", -5, "", 0},      {"abc", 0, "", 0},          {"abc", 1, "a", 1},
        {"abc", 2, "ab", 2},     {"abc", 3, "abc", 3},       {"abc", 4, "abc", 3},
        {"Привет", 3, "При", 3}, {"Привет", 6, "Привет", 6}, {"", 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " limit " + std::to_string(c.limit));
        {
            Archive a(sink);
            ASSERT_TRUE(a.Open(Path(), false));
            a.WriteString(c.text);
            a << int32_t{77};
        }
        Archive r(sink);
        ASSERT_TRUE(r.Open(Path(), true));
        std::string back = "junk";
        EXPECT_EQ(r.ReadString(back, c.limit), c.keptBytes);
        EXPECT_EQ(back, c.kept);
        int32_t next = 0;
        r >> next;
        EXPECT_EQ(next, 77) << "the next field follows the whole record";
        r.Close();
        EXPECT_TRUE(r.CrcOk());
    }
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ArchiveChecksum, RecordWithInnerZero_KeepsTextUpToItAndPasses) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        const std::string record = Bytes({0x06, 0x00, 'a', 0x00, 'b', 'c', 0x00, 0x00});
        a.Write(record.data(), record.size());
        a << uint8_t{9};
    }
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    std::string back;
    EXPECT_EQ(r.ReadString(back, 1000), 1u);
    EXPECT_EQ(back, "a");
    uint8_t next = 0;
    r >> next;
    EXPECT_EQ(next, 9);
    r.Close();
    EXPECT_TRUE(r.CrcOk());
}

TEST_F(ArchiveChecksum, ComparisonNeedsEveryContentByteReadExactlyOnce) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        a << int32_t{1} << int32_t{2};
    }
    struct Case {
        const char* name;
        size_t bytesRead;
        bool ok;
    };
    const Case cases[] = {
        {"all content", 8, true},
        {"nothing", 0, false},
        {"part", 4, false},
        {"content and trailer", 12, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Archive r(sink);
        ASSERT_TRUE(r.Open(Path(), true));
        std::vector<char> buffer(c.bytesRead);
        EXPECT_EQ(r.Read(buffer.data(), buffer.size()), c.bytesRead);
        EXPECT_TRUE(r.Close());
        EXPECT_EQ(r.CrcOk(), c.ok);
    }
}

// Small fields come from a block read ahead, large ones straight from the
// file: in any mix every byte arrives once and in order.
TEST_F(ArchiveChecksum, ReadsOfAnySizeGiveTheBytesInOrder) {
    std::vector<unsigned char> content(70'000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 7 + i / 251);
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        a.Write(content.data(), content.size());
    }
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    std::vector<unsigned char> got;
    for (size_t n : {1u, 3u, 20'000u, 2u, 16'384u, 16'383u, 5u, 4'000u}) {
        std::vector<unsigned char> piece(n);
        ASSERT_EQ(r.Read(piece.data(), n), n);
        got.insert(got.end(), piece.begin(), piece.end());
    }
    std::vector<unsigned char> rest(content.size() - got.size());
    ASSERT_EQ(r.Read(rest.data(), rest.size()), rest.size());
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_TRUE(got == content);
    EXPECT_TRUE(r.Close());
    EXPECT_TRUE(r.CrcOk());
}

// An untouched register equals an all-ones trailer; only the position check
// tells that the content was skipped.
TEST_F(ArchiveChecksum, SkippedContentBeforeAllOnesTrailer_Fails) {
    PutFile(Path(), std::string(8, '\xFF'));
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    EXPECT_TRUE(r.Close());
    EXPECT_FALSE(r.CrcOk());
}

TEST_F(ArchiveChecksum, FileShorterThanTrailer_FailsWithoutCrash) {
    for (size_t size = 0; size < 4; ++size) {
        SCOPED_TRACE(size);
        PutFile(Path(), std::string(size, '\xFF'));
        Archive r(sink);
        ASSERT_TRUE(r.Open(Path(), true));
        EXPECT_TRUE(r.Close());
        EXPECT_FALSE(r.CrcOk());
    }
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ArchiveChecksum, ReopenStartsAFreshRegister) {
    Archive a(sink);
    ASSERT_TRUE(a.Open(Path("one.bin"), false));
    a.WriteText("abc");
    ASSERT_TRUE(a.Open(Path("two.bin"), false)) << "closes the first file, with its trailer";
    EXPECT_EQ(a.Crc(), Archive::kCrcStart);
    a.WriteText("abc");
    a.Close();
    EXPECT_EQ(FileBytes(Path("one.bin")), FileBytes(Path("two.bin")));
    EXPECT_EQ(TrailerOf(FileBytes(Path("one.bin"))), 0xCADBBE3Du);
}

// --- Failures -------------------------------------------------------------------

using ArchiveFailures = ArchiveTest;

TEST_F(ArchiveFailures, MissingFile_OneMessageAndStaysClosed) {
    Archive r(sink);
    const std::string path = Path("нет.bin");
    EXPECT_FALSE(r.Open(path, true));
    EXPECT_FALSE(r.IsOpen());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, kCaption);
    EXPECT_EQ(sink.messages[0].text, "Файл '" + path +
                                         "' не может быть открыт\nТакого файла нет. Из файла "
                                         "ничего не загружено.");

    int32_t value = 5;
    std::string text = "x";
    r >> value;
    EXPECT_EQ(value, 5) << "operators on a closed object do nothing";
    EXPECT_EQ(r.ReadString(text, 10), 0u);
    EXPECT_EQ(r.WriteString("abc"), 0u);
    EXPECT_FALSE(r.Close());
    EXPECT_EQ(sink.messages.size(), 1u);
}

TEST_F(ArchiveFailures, CreateInMissingFolder_OneMessage) {
    Archive a(sink);
    const std::string path = Path("missing/a.bin");
    EXPECT_FALSE(a.Open(path, false));
    EXPECT_FALSE(a.IsOpen());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, kCaption);
    EXPECT_EQ(sink.messages[0].text,
              "Файл '" + path + "' не может быть создан\nТакой папки нет. Файл не сохранён.");
}

TEST_F(ArchiveFailures, CloseOnClosedObject_ReturnsFalseAndWritesNothing) {
    Archive never(sink);
    EXPECT_FALSE(never.Close());

    Archive a(sink);
    ASSERT_TRUE(a.Open(Path(), false));
    a.WriteText("abc");
    EXPECT_TRUE(a.Close());
    const std::string once = FileBytes(Path());
    EXPECT_FALSE(a.Close());
    a << int32_t{1};
    EXPECT_EQ(FileBytes(Path()), once);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ArchiveFailures, TruncatedFile_OneMessageHoweverManyFieldsAreRead) {
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path("full.bin"), false));
        a.WriteString("abc");  // 6 bytes
        for (int i = 0; i < 5; ++i)
            a << int32_t{100 + i} << 2.0;
    }
    // The string, one int and half of the following double.
    PutFile(Path(), FileBytes(Path("full.bin")).substr(0, 6 + 4 + 4));

    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    std::string s;
    r.ReadString(s, 100);
    int32_t first = 0;
    double d = -1;
    r >> first >> d;
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(first, 100);
    EXPECT_EQ(d, 0.0) << "the unread half is zero, not stale";
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, kCaption);
    EXPECT_EQ(sink.messages[0].text, "Невозможно прочесть 8 байт из файла '" + Path() + kCutShort);
    EXPECT_TRUE(r.Failed());

    for (int i = 0; i < 20; ++i) {
        int32_t n = -1;
        double v = -1;
        std::string t = "junk";
        r >> n >> v;
        EXPECT_EQ(r.ReadString(t, 100), 0u);
        EXPECT_EQ(n, 0);
        EXPECT_EQ(v, 0.0);
        EXPECT_EQ(t, "");
    }
    EXPECT_EQ(sink.messages.size(), 1u);
    EXPECT_TRUE(r.Close());
    EXPECT_FALSE(r.CrcOk());
}

TEST_F(ArchiveFailures, ShortRead_ZeroesTheUnreadPart) {
    PutFile(Path(), "xyz");
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    char buffer[8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(r.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("xyz\0\0\0\0\0", 8));

    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(r.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(8, '\0'));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Невозможно прочесть 8 байт из файла '" + Path() + kCutShort);
}

TEST_F(ArchiveFailures, StringLongerThanFile_ReportsItsLengthOnce) {
    PutFile(Path(), Bytes({0xFF, 0xFF, 'a', 'b'}));
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path(), true));
    std::string s;
    EXPECT_EQ(r.ReadString(s, 1000), 2u);
    EXPECT_EQ(s, "ab");
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              "Невозможно прочесть 65535 байт из файла '" + Path() + kCutShort);
    r.Close();
    EXPECT_FALSE(r.CrcOk());
}

TEST_F(ArchiveFailures, OverLongString_IsRefusedAndStopsTheFile) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    std::string cyrillic;
    for (size_t i = 0; i <= Archive::kMaxStringBytes; ++i)
        cyrillic += "я";
    const Case cases[] = {
        // The message names the whole record: length, text and zero.
        {"latin", std::string(Archive::kMaxStringBytes + 1, 'x'), "65538 байт"},
        {"cyrillic", cyrillic, "65538 байт"},
        {"far too long", std::string(200000, 'x'), "200003 байта"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.messages.clear();
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path(), false));
        a.WriteString("ok");
        EXPECT_EQ(a.WriteString(c.text), 0u);
        EXPECT_TRUE(a.Failed());
        EXPECT_EQ(a.WriteString("later"), 0u);
        a << int32_t{1};
        EXPECT_TRUE(a.Close());
        EXPECT_FALSE(a.CrcOk());
        // Only the record before the refusal, and no trailer: a reader cannot
        // take the file for complete.
        EXPECT_EQ(FileBytes(Path()), Bytes({0x03, 0x00, 'o', 'k', 0x00}));
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].caption, kCaption);
        EXPECT_EQ(sink.messages[0].text,
                  "Невозможно записать " + std::string(c.message) + " в файл '" + Path() +
                      "'\nТекст слишком длинный для файла. Файл записан не полностью.");
    }
}

TEST_F(ArchiveFailures, ShortWrite_OneMessageAndNoTrailer) {
    // Every write to /dev/full fails with ENOSPC.
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    Archive a(sink);
    ASSERT_TRUE(a.Open("/dev/full", false));
    a << int32_t{1};
    a.WriteString("abc");
    a.WriteText("text");
    a << 2.0;
    EXPECT_TRUE(a.Failed());
    EXPECT_TRUE(a.Close());
    EXPECT_FALSE(a.CrcOk());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].caption, kCaption);
    EXPECT_EQ(sink.messages[0].text,
              "Невозможно записать 4 байта в файл '/dev/full'\nНа диске нет места. Файл записан "
              "не полностью.");
}

TEST_F(ArchiveFailures, OpenAfterFailure_StartsClean) {
    PutFile(Path("short.bin"), "x");
    {
        Archive a(sink);
        ASSERT_TRUE(a.Open(Path("good.bin"), false));
        a << int32_t{42};
    }
    Archive r(sink);
    ASSERT_TRUE(r.Open(Path("short.bin"), true));
    int32_t n = 0;
    r >> n;
    EXPECT_TRUE(r.Failed());
    ASSERT_TRUE(r.Open(Path("good.bin"), true));
    EXPECT_FALSE(r.Failed());
    r >> n;
    EXPECT_EQ(n, 42);
    r.Close();
    EXPECT_TRUE(r.CrcOk());
    EXPECT_EQ(sink.messages.size(), 1u);
}

}  // namespace

#include "platform/inidocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/cp1251.h"
#include "platform/posixfile.h"
#include "support/temp_folder.h"

namespace {

using platform::IniDocument;
using platform::IniFile;
using Result = IniDocument::SetResult;

// Test texts are written in UTF-8 here and become file bytes.
std::string Bytes(std::string_view utf8) {
    return platform::Utf8ToCp1251(utf8);
}

IniDocument Doc(std::string_view utf8) {
    return IniDocument::Parse(Bytes(utf8));
}

struct GetCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

void PrintTo(const GetCase& c, std::ostream* os) {
    *os << c.name;
}

class IniDocumentGetCases : public ::testing::TestWithParam<GetCase> {};

TEST_P(IniDocumentGetCases, ReadsAsTheProfileFunctionsDo) {
    const GetCase& c = GetParam();
    EXPECT_EQ(Doc(c.text).Get(c.section, c.key), c.expected);
}

const GetCase kGetCases[] = {
    {"Plain", "[4]\r\nk=v\r\n", "4", "k", "v"},
    {"AsciiCase", "[General]\nSpeed=1\n", "gENERAL", "SPEED", "1"},
    {"CyrillicCase", "[Раздел]\nНаработка=5\n", "РАЗДЕЛ", "нАРАБОТКА", "5"},
    {"YoPairs", "[ё]\nЁж=1\n", "Ё", "ёЖ", "1"},
    {"UkrainianPairs", "[ґ]\nЇЎІЄ=1\n", "Ґ", "їўіє", "1"},
    {"SerbianPairs", "[s]\nЂЉЊЋЏЅЈЌЃ=1\n", "s", "ђљњћџѕјќѓ", "1"},
    {"YoIsNotYe", "[4]\nЁ=1\n", "4", "Е", std::nullopt},
    {"LatinLookAlikeIsNotCyrillic", "[4]\nc=1\n", "4", "с", std::nullopt},
    {"BlanksAroundEverything", " \t[ 4 ] \t\n \tKey \t= \tvalue \t\n", "\t4 ", "  key\t", "value"},
    {"HeaderWithoutBracket", "[4 \nk=v\n", "4", "k", "v"},
    {"TextAfterHeader", "[4] old group\nk=v\n", "4", "k", "v"},
    {"ValueHoldsEquals", "[4]\nk=a=b\n", "4", "k", "a=b"},
    {"EmptyValue", "[4]\nk=\n", "4", "k", ""},
    {"DoubleQuotes", "[4]\nk= \"a b\" \n", "4", "k", "a b"},
    {"SingleQuotes", "[4]\nk='a'\n", "4", "k", "a"},
    {"OnlyOnePairRemoved", "[4]\nk=\"\"a\"\"\n", "4", "k", "\"a\""},
    {"MixedQuotesKept", "[4]\nk=\"a'\n", "4", "k", "\"a'"},
    {"LoneQuoteKept", "[4]\nk=\"\n", "4", "k", "\""},
    {"EmptyQuotes", "[4]\nk=\"\"\n", "4", "k", ""},
    {"CommentIsNotKey", "[4]\n;k=v\n", "4", "k", std::nullopt},
    {"IndentedComment", "[4]\n \t;k=v\n", "4", "k", std::nullopt},
    {"LineWithoutEquals", "[4]\nk\n", "4", "k", std::nullopt},
    {"EmptyKeyIsNotKey", "[4]\n = v\n", "4", "", std::nullopt},
    {"KeyBeforeAnySection", "k=v\n[4]\n", "4", "k", std::nullopt},
    {"SectionEndsAtNextHeader", "[4]\n[7]\nk=v\n", "4", "k", std::nullopt},
    {"MissingSection", "[4]\nk=v\n", "7", "k", std::nullopt},
    {"FirstSectionWins", "[4]\na=1\n[4]\na=2\nb=3\n", "4", "b", std::nullopt},
    {"FirstKeyWins", "[4]\nk=1\nK=2\n", "4", "k", "1"},
    {"LoneCrIsContent", "[4]\r\nk=a\rb\r\r\n", "4", "k", "a\rb\r"},
    {"LoneCrAtEndOfFile", "[4]\nk=v\r", "4", "k", "v\r"},
    {"CyrillicValue", "[7]\nНазвание машины=ТХ4700-2Ж5\n", "7", "Название машины", "ТХ4700-2Ж5"},
    // "Ω" has no Windows-1251 byte; it must not find the "?" it would become.
    {"NameOutsideCodePage", "[4]\n?=1\n", "4", "Ω", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(, IniDocumentGetCases, ::testing::ValuesIn(kGetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocumentParse, EveryByteAndTerminatorRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string texts[] = {
        "",
        "\n",
        "\r\n",
        "\r",
        "a",
        "\r\r\n\n\r",
        "[4]\r\nk=v\nx\r\n\n\n",
        "no end\r\n[4]\r\nlast",
        all,
        all + "\r\n" + all,
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(IniDocument::Parse(text).Serialize(), text);
    }
}

struct SetCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    Result result;
    const char* after;
};

void PrintTo(const SetCase& c, std::ostream* os) {
    *os << c.name;
}

class IniDocumentSetCases : public ::testing::TestWithParam<SetCase> {};

TEST_P(IniDocumentSetCases, EditsOnlyWhatItMust) {
    const SetCase& c = GetParam();
    IniDocument doc = Doc(c.before);
    EXPECT_EQ(doc.Assign(c.section, c.key, c.value), c.result);
    EXPECT_EQ(doc.Serialize(), Bytes(c.after));
}

const SetCase kSetCases[] = {
    {"ReplaceKeepsStoredKeyAndCrLf", "[4]\r\n  Key \t= 1 \r\n", "4", "KEY", "2", Result::kChanged,
     "[4]\r\nKey=2\r\n"},
    {"ReplaceKeepsLf", "[4]\nk=1\n", "4", "k", "2", Result::kChanged, "[4]\nk=2\n"},
    {"ReplaceLastLineWithoutEnd", "[4]\nk=1", "4", "k", "2", Result::kChanged, "[4]\nk=2"},
    {"ReplaceLineWithLoneCr", "[4]\r\nk=1\r\r\n", "4", "k", "2", Result::kChanged,
     "[4]\r\nk=2\r\n"},
    {"ReplaceFirstOfTwo", "[4]\nk=1\nK=2\n", "4", "k", "9", Result::kChanged, "[4]\nk=9\nK=2\n"},
    {"SameValueKeepsSpacing", "[4]\nk = 1 \n", "4", "k", "1", Result::kUnchanged, "[4]\nk = 1 \n"},
    {"SameQuotedText", "[4]\nk=\"1\"\n", "4", "k", "\"1\"", Result::kUnchanged, "[4]\nk=\"1\"\n"},
    {"QuotesDroppedWhenValueGivenBare", "[4]\nk=\"1\"\n", "4", "k", "1", Result::kChanged,
     "[4]\nk=1\n"},
    {"InsertAfterLastKey", "[4]\na=1\n; note\nb=2\n; tail\n\n[7]\nc=3\n", "4", "new", "x",
     Result::kChanged, "[4]\na=1\n; note\nb=2\nnew=x\r\n; tail\n\n[7]\nc=3\n"},
    {"InsertAfterHeaderWithoutKeys", "[4]\n; c\nforeign\n[7]\n", "4", "k", "v", Result::kChanged,
     "[4]\nk=v\r\n; c\nforeign\n[7]\n"},
    {"InsertAfterUnterminatedHeader", "[4]", "4", "k", "v", Result::kChanged, "[4]\r\nk=v\r\n"},
    {"InsertAfterUnterminatedKey", "[4]\na=1", "4", "k", "v", Result::kChanged,
     "[4]\na=1\r\nk=v\r\n"},
    {"InsertIntoFirstOfTwoSections", "[4]\na=1\n[4]\nb=2\n", "4", "b", "3", Result::kChanged,
     "[4]\na=1\nb=3\r\n[4]\nb=2\n"},
    {"AppendSection", "[4]\na=1\n", "7", "k", "v", Result::kChanged, "[4]\na=1\n[7]\r\nk=v\r\n"},
    {"AppendAfterUnterminatedLine", "[4]\na=1", "7", "k", "v", Result::kChanged,
     "[4]\na=1\r\n[7]\r\nk=v\r\n"},
    {"AppendToEmpty", "", "7", "k", "v", Result::kChanged, "[7]\r\nk=v\r\n"},
    {"KeysBeforeSectionsAreNoSection", "k=1\n", "4", "k", "2", Result::kChanged,
     "k=1\n[4]\r\nk=2\r\n"},
    {"NewNamesTrimmed", "", " \t7 ", " Key\t", " v ", Result::kChanged, "[7]\r\nKey= v \r\n"},
    {"CrLfInValueBecomeSpaces", "[4]\nk=1\n", "4", "k", "a\r\nb\nc\r", Result::kChanged,
     "[4]\nk=a  b c \n"},
    {"CyrillicNames", "", "4", "Наработка", "12", Result::kChanged, "[4]\r\nНаработка=12\r\n"},
    {"ValueOutsideCodePage", "", "4", "k", "Ω", Result::kChanged, "[4]\r\nk=?\r\n"},
    {"KeyWithBracketInside", "", "4", "a[1]", "v", Result::kChanged, "[4]\r\na[1]=v\r\n"},
};

INSTANTIATE_TEST_SUITE_P(, IniDocumentSetCases, ::testing::ValuesIn(kSetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocumentSet, RefusesUnusableNamesAndChangesNothing) {
    const std::string before = "[4]\r\nk=1\r\n";
    const std::pair<const char*, const char*> refused[] = {
        {"", "k"},     {" \t", "k"}, {"a]b", "k"}, {"a\rb", "k"}, {"a\nb", "k"},
        {"Ω", "k"},    {"4", ""},    {"4", " \t"}, {"4", "a=b"},  {"4", "a\rb"},
        {"4", "a\nb"}, {"4", "[a"},  {"4", " ;a"}, {"4", "Ω"},    {"4", "\xFF"},
    };
    for (const auto& [section, key] : refused) {
        IniDocument doc = IniDocument::Parse(before);
        EXPECT_EQ(doc.Assign(section, key, "2"), Result::kRefused) << section << "|" << key;
        EXPECT_FALSE(doc.Set(section, key, "2"));
        EXPECT_EQ(doc.Serialize(), before);
        EXPECT_EQ(doc.Get(section, key), std::nullopt);
    }
}

TEST(IniDocumentSet, ValueReadsBackAfterSetAndReparse) {
    const std::pair<const char*, const char*> values[] = {
        {"plain", "plain"},
        {"  padded\t", "padded"},
        {"\"quoted\"", "quoted"},
        {"a\r\nb", "a  b"},
        {"\r\n", ""},
        {"Зона Растяжения", "Зона Растяжения"},
        {"x=y;z[w]", "x=y;z[w]"},
    };
    for (const auto& [value, read] : values) {
        IniDocument doc = Doc("[4]\nold=1\n");
        for (const char* key : {"old", "new"}) {
            doc.Set("4", key, value);
            EXPECT_EQ(doc.Get("4", key), read) << key << ": " << value;
            EXPECT_EQ(IniDocument::Parse(doc.Serialize()).Get("4", key), read);
        }
    }
}

TEST(IniDocumentSet, ChangingOneKeyLeavesEveryOtherByte) {
    for (const std::string eol : {"\r\n", "\n"}) {
        const std::string original =
            Bytes("; машина ТХ4700" + eol + "stray=before any section" + eol + eol + "[7]" + eol +
                  "Название машины=ТХ4700-2Ж5" + eol + "Период обновления, ms = 100" + eol + eol +
                  "[4]" + eol + "  ; пробег насоса" + eol + "Наработка = 3600 " + eol +
                  "not a key line" + eol + "Вход фильтра=2" + eol + "[11]" + eol + "Наработка=7");
        IniDocument doc = IniDocument::Parse(original);
        ASSERT_TRUE(doc.Set("4", "наработка", "3601"));

        std::string expected = original;
        const std::string oldLine = Bytes("Наработка = 3600 " + eol);
        const size_t at = expected.find(oldLine);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, oldLine.size(), Bytes("Наработка=3601" + eol));
        EXPECT_EQ(doc.Serialize(), expected);
        EXPECT_EQ(doc.Get("11", "Наработка"), "7");
    }
}

TEST(IniDocumentKeys, ListsKeyLinesOfTheFirstMatchingSection) {
    const IniDocument doc =
        Doc("a=0\n[4]\n Наработка = 12 \n; c=1\nforeign\nk='q'\nK=2\n=3\n[7]\nx=1\n[4]\nlate=1\n");
    EXPECT_EQ(doc.Keys("4"), (std::vector<std::string>{"Наработка", "k", "K"}));
    EXPECT_EQ(doc.KeyValueLines("4"), (std::vector<std::string>{"Наработка=12", "k=q", "K=2"}));
    EXPECT_EQ(doc.Keys("7"), (std::vector<std::string>{"x"}));
    EXPECT_TRUE(doc.Keys("5").empty());
    EXPECT_TRUE(doc.KeyValueLines("").empty());
}

// IniFile

std::string FileBytes(const std::string& path) {
    return platform::ReadWholeFile(path).value_or("<missing>");
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

bool FolderIsEmpty(const std::string& path) {
    return std::filesystem::is_empty(path);
}

TEST(IniFile, MissingFileReadsEmptyAndCreatesNothing) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    IniFile ini(path);
    EXPECT_EQ(ini.Path(), path);
    EXPECT_EQ(ini.Read("7", "Пароль"), std::nullopt);
    EXPECT_TRUE(ini.Keys("7").empty());
    ini.Reload();
    EXPECT_TRUE(FolderIsEmpty(folder.path()));
}

TEST(IniFile, StoresCyrillicAsWindows1251) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    IniFile ini(path);
    ASSERT_TRUE(ini.Write("4", "Наработка", "Да"));
    // "Наработка" and "Да" in Windows-1251, worked out from the code page.
    EXPECT_EQ(FileBytes(path), "[4]\r\n\xCD\xE0\xF0\xE0\xE1\xEE\xF2\xEA\xE0=\xC4\xE0\r\n");
    EXPECT_EQ(IniFile(path).Read("4", "НАРАБОТКА"), "Да");
}

TEST(IniFile, ReadsExistingFileAndReloads) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    ASSERT_TRUE(platform::WriteFileAtomic(path, Bytes("[7]\r\nПароль=470391\r\n")));
    IniFile ini(path);
    EXPECT_EQ(ini.Read("7", "Пароль"), "470391");
    EXPECT_EQ(ini.KeyValueLines("7"), (std::vector<std::string>{"Пароль=470391"}));

    // Changed by someone else: the next read sees it, as the profile calls do.
    ASSERT_TRUE(platform::WriteFileAtomic(path, Bytes("[7]\r\nПароль=1\r\n")));
    EXPECT_EQ(ini.Read("7", "Пароль"), "1");
}

TEST(IniFile, AWriteKeepsWhatWasChangedOutside) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    ASSERT_TRUE(platform::WriteFileAtomic(path, "[4]\r\na=1\r\n"));
    IniFile ini(path);
    EXPECT_EQ(ini.Read("4", "a"), "1");
    ASSERT_TRUE(platform::WriteFileAtomic(path, "[4]\r\na=1\r\nb=2\r\n"));
    ASSERT_TRUE(ini.Write("4", "c", "3"));
    EXPECT_EQ(FileBytes(path), "[4]\r\na=1\r\nb=2\r\nc=3\r\n");
    // Removed outside: read as missing, and a write starts a new file.
    ASSERT_TRUE(std::filesystem::remove(path));
    EXPECT_EQ(ini.Read("4", "a"), std::nullopt);
    ASSERT_TRUE(ini.Write("4", "d", "4"));
    EXPECT_EQ(FileBytes(path), "[4]\r\nd=4\r\n");
}

TEST(IniFile, WriteAllReplacesTheFileOnceAndSkipsUnusableNames) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    ASSERT_TRUE(platform::WriteFileAtomic(path, "; kept\r\n[4]\r\na=1\r\n"));
    IniFile ini(path);
    // Unchanged values only: the file is not touched.
    const ino_t first = StatOf(path).st_ino;
    EXPECT_TRUE(ini.WriteAll({{"4", "a", "1"}}));
    EXPECT_EQ(StatOf(path).st_ino, first);
    // A refused key does not stop the others, but is reported.
    EXPECT_FALSE(ini.WriteAll({{"4", "a", "2"}, {"4", "bad=key", "x"}, {"7", "b", "3"}}));
    EXPECT_EQ(FileBytes(path), "; kept\r\n[4]\r\na=2\r\n[7]\r\nb=3\r\n");
}

TEST(IniFile, RemoveDropsOnlyThatKeyLine) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    ASSERT_TRUE(platform::WriteFileAtomic(
        path, Bytes("[7]\r\nНомер протокола=9\r\n[4]\r\n; счёт\r\nНомер протокола = 12\r\n"
                    "Наработка=5\r\nномер ПРОТОКОЛА=13\r\n")));
    IniFile ini(path);
    ASSERT_TRUE(ini.Remove("4", "Номер протокола"));
    EXPECT_EQ(FileBytes(path),
              Bytes("[7]\r\nНомер протокола=9\r\n[4]\r\n; счёт\r\nНаработка=5\r\n"));
    // Nothing left to drop: true, and the file is not touched.
    const struct stat before = StatOf(path);
    EXPECT_TRUE(ini.Remove("4", "Номер протокола"));
    EXPECT_TRUE(ini.Remove("5", "x"));
    EXPECT_EQ(StatOf(path).st_ino, before.st_ino);
}

TEST(IniFile, UnchangedValueDoesNotRewriteTheFile) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    const std::string original = "[4]\nk = 5\n";
    ASSERT_TRUE(platform::WriteFileAtomic(path, original));
    const struct stat before = StatOf(path);

    IniFile ini(path);
    EXPECT_TRUE(ini.Write("4", "K", "5"));
    const struct stat after = StatOf(path);
    // A rewrite renames a new file into place, so the inode would change.
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(FileBytes(path), original);

    EXPECT_TRUE(ini.Write("4", "k", "6"));
    EXPECT_NE(StatOf(path).st_ino, before.st_ino);
    EXPECT_EQ(FileBytes(path), "[4]\nk=6\n");
}

TEST(IniFile, RefusedNameWritesNothing) {
    testsupport::TempFolder folder;
    IniFile ini(folder.File("Config.INI"));
    EXPECT_FALSE(ini.Write("4", "a=b", "1"));
    EXPECT_FALSE(ini.Write("", "k", "1"));
    EXPECT_TRUE(FolderIsEmpty(folder.path()));
}

TEST(IniFile, FailedWriteInMissingFolderLeavesDocument) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("absent/Config.INI");
    IniFile ini(path);
    EXPECT_FALSE(ini.Write("4", "k", "1"));
    EXPECT_EQ(ini.Read("4", "k"), std::nullopt);
    EXPECT_TRUE(ini.Keys("4").empty());
    EXPECT_TRUE(FolderIsEmpty(folder.path()));
}

// The temporary file cannot be made (a folder stands in its place), which
// fails for any user, root included.
TEST(IniFile, FailedWriteKeepsOldFileAndDocument) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    const std::string original = "[4]\r\nk=1\r\n";
    ASSERT_TRUE(platform::WriteFileAtomic(path, original));
    IniFile ini(path);
    const std::string blocker = platform::TemporaryPathFor(path);
    ASSERT_TRUE(std::filesystem::create_directory(blocker));

    EXPECT_FALSE(ini.Write("4", "k", "2"));
    EXPECT_FALSE(ini.Write("4", "new", "3"));
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(ini.Read("4", "k"), "1");
    EXPECT_EQ(ini.Keys("4"), (std::vector<std::string>{"k"}));

    // Once writing works again, the failed edits do not come back with it.
    std::filesystem::remove(blocker);
    EXPECT_TRUE(ini.Write("7", "x", "9"));
    EXPECT_EQ(FileBytes(path), original + "[7]\r\nx=9\r\n");
}

TEST(IniFile, FailedWriteInReadOnlyFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    const std::string original = "[4]\nk=1\n";
    ASSERT_TRUE(platform::WriteFileAtomic(path, original));
    IniFile ini(path);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const bool written = ini.Write("4", "k", "2");
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_FALSE(written);
    EXPECT_EQ(FileBytes(path), original);
    EXPECT_EQ(ini.Read("4", "k"), "1");
}

// A file that is there but cannot be read must not be replaced by a file
// holding only the keys written since.
TEST(IniFile, UnreadableFileIsNotOverwritten) {
    testsupport::TempFolder folder;
    const std::string path = folder.File("Config.INI");
    ASSERT_TRUE(std::filesystem::create_directory(path));
    IniFile asFolder(path);
    EXPECT_FALSE(asFolder.Write("4", "k", "1"));
    std::filesystem::remove(path);

    if (::geteuid() == 0) GTEST_SKIP() << "root reads files without read permission";
    const std::string original = "[4]\nk=1\n";
    ASSERT_TRUE(platform::WriteFileAtomic(path, original));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    IniFile ini(path);
    EXPECT_FALSE(ini.Write("4", "x", "2"));
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(FileBytes(path), original);
}

}  // namespace

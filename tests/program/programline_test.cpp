#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/cp1251.h"
#include "platform/posixfile.h"
#include "program/programfile.h"
#include "program/programline.h"
#include "support/temp_folder.h"

namespace {

using testprogram::Cmd;
using testprogram::Condition;
using testprogram::CondKind;
using testprogram::ProgLine;

ProgLine Line(Cmd cmd, int channel = 0, double number = 0.0, Condition cond = {}) {
    ProgLine p;
    p.cmd = cmd;
    p.channel = channel;
    p.number = number;
    p.condition = cond;
    return p;
}

ProgLine Malformed() {
    ProgLine p;
    p.malformed = true;
    return p;
}

struct ParseCase {
    std::string text;
    ProgLine expected;
};

void ExpectParses(const std::vector<ParseCase>& cases) {
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(testprogram::ParseProgramLine(c.text), c.expected);
    }
}

TEST(ProgramLine, EachCommandWithItsArgument) {
    ExpectParses({
        {"Обнулить F", Line(Cmd::kZero, 1)},
        {"Обнулить L", Line(Cmd::kZero, 2)},
        {"Обнулить E", Line(Cmd::kZero, 3)},
        {"Обнулить X", Line(Cmd::kZero, 0)},  // accepted, does nothing
        {"Сброс обнуления L", Line(Cmd::kZeroOff, 2)},
        {"Скорость 5", Line(Cmd::kSpeed, 0, 5.0)},
        {"Скорость 2,5", Line(Cmd::kSpeed, 0, 2.5)},
        {"Скорость 0.1", Line(Cmd::kSpeed, 0, static_cast<double>(0.1f))},
        {"Включить насос", Line(Cmd::kPumpOn)},
        {"Отключить насос", Line(Cmd::kPumpOff)},
        {"Закрыть верхний захват", Line(Cmd::kUpperGripClose)},
        {"Открыть верхний захват", Line(Cmd::kUpperGripOpen)},
        {"Закрыть нижний захват", Line(Cmd::kLowerGripClose)},
        {"Открыть нижний захват", Line(Cmd::kLowerGripOpen)},
        {"Вывод траверсы на позицию 12,5", Line(Cmd::kToPosition, 0, 12.5)},
        {"Вывод траверсы на позицию -3", Line(Cmd::kToPosition, 0, -3.0)},
        {"Вывод траверсы на позицию 12ю5", Line(Cmd::kToPosition, 0, 12.5)},
        {"Вывод траверсы на позицию -1Ю5", Line(Cmd::kToPosition, 0, -1.5)},
        {"Активный канал управления E", Line(Cmd::kControlChannel, 3)},
        {"Начать испытание", Line(Cmd::kStartTest)},
        {"Завершить испытание", Line(Cmd::kEndTest)},
        {"Экстензометр закрыть", Line(Cmd::kExtensometerClose)},
        {"Экстензометр открыть", Line(Cmd::kExtensometerOpen)},
        {"Экстензометр база 50", Line(Cmd::kExtensometerBase, 0, 50.0)},
        {"Экстензометр стартовая позиция 10.5", Line(Cmd::kExtensometerStart, 0, 10.5)},
        {"Очистить график", Line(Cmd::kClearPlot)},
        {"Ждать(сек) 5", Line(Cmd::kWaitSeconds, 0, 5.0)},
        {"Ждать завершения испытания", Line(Cmd::kWaitTestEnd)},
        // Blanks around tokens are free, as the station's scanning had them.
        {"Скорость  7 ", Line(Cmd::kSpeed, 0, 7.0)},
        {"Скорость7", Line(Cmd::kSpeed, 0, 7.0)},
        {"  Включить насос\t", Line(Cmd::kPumpOn)},
    });
}

TEST(ProgramLine, EachOperatorAndTheFallFromThePeak) {
    using K = CondKind;
    ExpectParses({
        {"Если( F<10 ) тогда Скорость 1", Line(Cmd::kSpeed, 0, 1.0, {K::kBelow, 1, 10.0})},
        {"Если( L<2,5 ) тогда Включить насос", Line(Cmd::kPumpOn, 0, 0.0, {K::kBelow, 2, 2.5})},
        {"Если( E<0.5 ) тогда Обнулить E", Line(Cmd::kZero, 3, 0.0, {K::kBelow, 3, 0.5})},
        {"Если( F>10 ) тогда Завершить испытание", Line(Cmd::kEndTest, 0, 0.0, {K::kAbove, 1, 10})},
        {"Если( L>-1 ) тогда Очистить график", Line(Cmd::kClearPlot, 0, 0.0, {K::kAbove, 2, -1})},
        {"Если( E>3 ) тогда Ждать(сек) 2", Line(Cmd::kWaitSeconds, 0, 2.0, {K::kAbove, 3, 3})},
        {"Если( F<Fmax на %10 ) тогда Завершить испытание",
         Line(Cmd::kEndTest, 0, 0.0, {K::kFmaxFall, 1, 10})},
        {"Если(F<Fmax на % 12,5) тогда  Открыть нижний захват",
         Line(Cmd::kLowerGripOpen, 0, 0.0, {K::kFmaxFall, 1, 12.5})},
        // A well-formed condition before something that is no command.
        {"Если( F>1 ) тогда Прыгнуть", Line(Cmd::kNone, 0, 0.0, {K::kAbove, 1, 1})},
    });
}

ProgLine Blank() {
    ProgLine p;
    p.blank = true;
    return p;
}

TEST(ProgramLine, AnythingElseIsUnknownOrMalformed) {
    const ProgLine unknown;
    ExpectParses({
        // Nothing to run, and nothing that stops a run.
        {"", Blank()},
        {" \t", Blank()},
        {"...", Blank()},
        {"....", unknown},
        {"Включить насосы", unknown},
        {"Включить  насос", unknown},
        {"включить насос", unknown},
        {"Скорость", unknown},
        {"Скорость abc", unknown},
        {"Скорость 5abc", unknown},  // the station would have taken the 5
        {"Скорость 1.5.3", unknown},
        {"Скорость 1e5", unknown},
        {"Скорость -", unknown},
        {"Скорость 1" + std::string(40, '0'), unknown},  // beyond single precision
        {"Обнулить", unknown},
        {"Обнулить FL", unknown},
        {"Ждать(сек) 5.5", unknown},
        {"Ждать(сек) 2,5", unknown},
        {"Ждать(сек) -3", unknown},
        {"Ждать(сек) 99999999999", unknown},
        {"Скорость " + std::string(600, '1'), unknown},
        {"Включить насос" + std::string(600, ' '), unknown},
        {std::string("Включить насос\0", 15), unknown},
        {"Если( F>abc ) тогда Завершить испытание", Malformed()},
        {"Если( F>10 ) Завершить испытание", Malformed()},
        {"Если( F>10 ) тогдаЗавершить испытание", Malformed()},
        {"Если( F>10 тогда Завершить испытание", Malformed()},
        {"Если( F>%10 ) тогда Завершить испытание", Malformed()},
        {"Если( F<Fmax на 10 ) тогда Завершить испытание", Malformed()},
        {"Если( F<Fmax на %10% ) тогда Завершить испытание", Malformed()},
        {"Если( F<Fmax %10 ) тогда Завершить испытание", Malformed()},
        {"Если( X>10 ) тогда Завершить испытание", Malformed()},
        {"Если( F=10 ) тогда Завершить испытание", Malformed()},
        {"Если( F>=10 ) тогда Завершить испытание", Malformed()},
        {"Если( F >10 ) тогда Завершить испытание", Malformed()},
        {"Если( F>10 ) тогда Если( L>2 ) тогда Скорость 3", Malformed()},
        {"Скорость 5 Если( F>1 ) тогда Скорость 3", Malformed()},
        {"Если(", Malformed()},
    });
}

TEST(ProgramLine, EveryComposedLineReadsBack) {
    for (int command = 0; command < testprogram::kCommandCount; ++command) {
        for (int op = -1; op < testprogram::kOperatorCount; ++op) {
            testprogram::LineParts parts;
            parts.command = command;
            parts.conditional = op >= 0;
            parts.op = op >= 0 ? std::string(testprogram::kOperators[static_cast<size_t>(op)]) : "";
            parts.threshold = "7,5";
            parts.channel = "L";
            parts.number = "3";
            const std::string text = testprogram::ComposeLine(parts);
            SCOPED_TRACE(text);
            const ProgLine p = testprogram::ParseProgramLine(text);
            EXPECT_TRUE(p.Runs());
            EXPECT_EQ(static_cast<int>(p.cmd), command + 1);
            EXPECT_EQ(p.Conditional(), op >= 0);
            EXPECT_EQ(p.condition.threshold, op >= 0 ? 7.5 : 0.0);
            const int mask = testprogram::kCommands[static_cast<size_t>(command)].mask;
            EXPECT_EQ(p.channel, mask & testprogram::kTakesChannel ? 2 : 0);
            EXPECT_EQ(p.number, mask & testprogram::kTakesNumber ? 3.0 : 0.0);
        }
    }
    testprogram::LineParts none;
    EXPECT_EQ(testprogram::ComposeLine(none), "");
    testprogram::LineParts fall;
    fall.command = 12;
    fall.conditional = true;
    fall.op = "F<Fmax на %";
    fall.threshold = "10";
    EXPECT_EQ(testprogram::ComposeLine(fall), "Если( F<Fmax на %10 ) тогда Завершить испытание");

    // The decimal key's "ю" is kept in the file as the comma it stands for.
    fall.threshold = "2ю5";
    EXPECT_EQ(testprogram::ComposeLine(fall), "Если( F<Fmax на %2,5 ) тогда Завершить испытание");
}

// Whatever the editor's fields hold, the line it takes runs, and the line it
// refuses comes with the operator's reason.
TEST(ProgramLine, TheEditorTakesOnlyLinesThatRun) {
    const std::vector<std::string> numbers = {
        "0", "7", "2,5", "2.5", "-3", "", "abc", "5x", "1e5", "12ю5", "1" + std::string(600, '0')};
    for (int command = 0; command < testprogram::kCommandCount; ++command) {
        for (int op = -1; op < testprogram::kOperatorCount; ++op) {
            for (const std::string& number : numbers) {
                for (const std::string& threshold : {std::string("7,5"), number}) {
                    testprogram::LineParts parts;
                    parts.command = command;
                    parts.conditional = op >= 0;
                    parts.op = op >= 0 ? std::string(testprogram::kOperators[size_t(op)]) : "";
                    parts.threshold = threshold;
                    parts.channel = "E";
                    parts.number = number;
                    const std::string text = testprogram::ComposeLine(parts);
                    SCOPED_TRACE(text.substr(0, 120));
                    EXPECT_EQ(testprogram::ComposeProblem(parts).empty(),
                              testprogram::ParseProgramLine(text).Runs());
                }
            }
        }
    }

    const struct {
        int command;
        bool conditional;
        std::string threshold, number, problem;
    } cases[] = {
        {18, false, "", "2.5", "ВРЕМЯ ОЖИДАНИЯ - ЦЕЛОЕ ЧИСЛО СЕКУНД: 2.5"},
        {18, false, "", "-3", "ВРЕМЯ ОЖИДАНИЯ - ЦЕЛОЕ ЧИСЛО СЕКУНД: -3"},
        {18, true, "10", "2", ""},
        {2, false, "", "5abc", "НЕВЕРНОЕ ЗНАЧЕНИЕ: 5abc"},
        {9, false, "", "", "НЕВЕРНОЕ ЗНАЧЕНИЕ: "},
        {2, true, "abc", "5", "НЕВЕРНОЕ ЗНАЧЕНИЕ УСЛОВИЯ: abc"},
        {12, true, "", "0", "НЕВЕРНОЕ ЗНАЧЕНИЕ УСЛОВИЯ: "},
        {12, true, "12ю5", "0", ""},
        {12, true, "12ю5ю", "0", "НЕВЕРНОЕ ЗНАЧЕНИЕ УСЛОВИЯ: 12ю5ю"},
        {-1, false, "", "2.5", ""},  // no command chosen: nothing to add
    };
    for (const auto& c : cases) {
        testprogram::LineParts parts;
        parts.command = c.command;
        parts.conditional = c.conditional;
        parts.op = "F>";
        parts.threshold = c.threshold;
        parts.channel = "F";
        parts.number = c.number;
        SCOPED_TRACE(testprogram::ComposeLine(parts));
        EXPECT_EQ(testprogram::ComposeProblem(parts), c.problem);
    }
}

TEST(ProgramLine, RefusalNamesTheLineAndWhy) {
    using testprogram::ParseProgramLine;
    using testprogram::RefusalMessage;
    EXPECT_EQ(RefusalMessage(1, "Ждать(сек) 2.5", ParseProgramLine("Ждать(сек) 2.5")),
              "СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Ждать(сек) 2.5");
    const std::string bad = "Если( F>abc ) тогда Завершить испытание";
    EXPECT_EQ(RefusalMessage(0, bad, ParseProgramLine(bad)),
              "СТРОКА 1: УСЛОВИЕ НЕ РАСПОЗНАНО - " + bad);
}

// ---------------------------------------------------------------- files

std::string Join(const std::vector<std::string>& lines, const std::string& eol) {
    std::string out;
    for (const std::string& l : lines)
        out += l + eol;
    return out;
}

TEST(ProgramFile, ReadsEitherEncodingWithEitherLineEnd) {
    const std::vector<std::string> lines = {
        "Включить насос",
        "",
        "Если( F<Fmax на %10 ) тогда Завершить испытание",
        "Скорость 2,5",
    };
    std::vector<std::string> cp1251;
    for (const std::string& l : lines)
        cp1251.push_back(platform::Utf8ToCp1251(l));
    struct FileCase {
        const char* name;
        std::string bytes;
    };
    const FileCase cases[] = {
        {"1251 CRLF", Join(cp1251, "\r\n")},
        {"1251 LF", Join(cp1251, "\n")},
        {"1251 CR", Join(cp1251, "\r")},
        {"UTF-8 CRLF", Join(lines, "\r\n")},
        {"UTF-8 LF", Join(lines, "\n")},
        {"UTF-8 with mark, no last end",
         "\xEF\xBB\xBF" + Join(lines, "\n").substr(0, Join(lines, "\n").size() - 1)},
        {"lines of both", cp1251[0] + "\r\n\n" + lines[2] + "\n" + cp1251[3] + "\r\n"},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> read = testprogram::ProgramLines(c.bytes);
        EXPECT_EQ(read, lines);
        ASSERT_EQ(read.size(), 4u);
        EXPECT_EQ(testprogram::ParseProgramLine(read[2]).condition.kind, CondKind::kFmaxFall);
        EXPECT_EQ(testprogram::ParseProgramLine(read[3]).number, 2.5);
    }
    EXPECT_TRUE(testprogram::ProgramLines("").empty());
    // Saved as the Windows station saves.
    EXPECT_EQ(testprogram::ProgramFileBytes(lines), Join(cp1251, "\r\n"));
}

TEST(ProgramFile, NamesStayInsideTheFolder) {
    const struct {
        std::string name;
        bool ok;
    } cases[] = {
        {"Default", true},
        {"Программа 1", true},
        {"a.b", true},
        {"", false},
        {".", false},
        {"..", false},
        {"../x", false},
        {"a/b", false},
        {"a\\b", false},
        {"\\", false},
        {std::string("a\0b", 3), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(testprogram::IsProgramName(c.name), c.ok);
    }

    testsupport::TempFolder root;
    const std::string prog = root.File("PROG");
    std::filesystem::create_directory(prog);
    const std::vector<std::string> lines = {"Включить насос", "Ждать(сек) 3"};

    EXPECT_FALSE(testprogram::SaveProgram(prog, "../evil", lines));
    EXPECT_FALSE(testprogram::SaveProgram(prog, "", lines));
    EXPECT_FALSE(platform::FileExists(root.File("evil.ini")));
    platform::WriteFileAtomic(root.File("keep.ini"), "x");
    EXPECT_FALSE(testprogram::DeleteProgram(prog, "../keep.ini"));
    EXPECT_FALSE(testprogram::DeleteProgram(prog, ".."));
    EXPECT_TRUE(platform::FileExists(root.File("keep.ini")));
    EXPECT_FALSE(testprogram::LoadProgram(prog, "../keep.ini"));

    ASSERT_TRUE(testprogram::SaveProgram(prog, "Растяжение", lines));
    EXPECT_EQ(platform::ReadWholeFile(prog + "/Растяжение.ini"),
              testprogram::ProgramFileBytes(lines));
    EXPECT_EQ(testprogram::LoadProgram(prog, "Растяжение.ini"), lines);
    EXPECT_TRUE(testprogram::DeleteProgram(prog, "Растяжение.ini"));
    EXPECT_FALSE(testprogram::LoadProgram(prog, "Растяжение.ini"));
}

}  // namespace

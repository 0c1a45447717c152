// The sheet "ПРОГРАММА" and the named positions of the real window,
// offscreen, against a fake unit: files, composing, runs driven tick by
// tick, the crosshead sent to a named position.

#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console_rig.h"
#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/stationlinks.h"
#include "platform/cp1251.h"
#include "platform/sleeper.h"
#include "station/station_program.h"
#include "support/sim_station.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;
using Lines = std::vector<std::string>;
using Codes = std::vector<int>;
using testprogram::Wait;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Cp1251Crlf(const Lines& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += platform::Utf8ToCp1251(l) + "\r\n";
    return out;
}

Lines Shown(const QListWidget* list) {
    Lines lines;
    for (int i = 0; i < list->count(); ++i)
        lines.push_back(list->item(i)->text().toStdString());
    return lines;
}

std::vector<bool> Checked(const QListWidget* list) {
    std::vector<bool> checks;
    for (int i = 0; i < list->count(); ++i)
        checks.push_back(list->item(i)->checkState() == Qt::Checked);
    return checks;
}

// The window on a fake unit, its polling off and the program's timers so
// slow that only the test's own tick calls move a run.
class ProgramSheet : public ::testing::Test {
protected:
    void StartWith(const Lines& defaultProgram, bool utf8Lf = false) {
        if (!defaultProgram.empty()) {
            std::string bytes;
            for (const std::string& l : defaultProgram)
                bytes += utf8Lf ? l + "\n" : platform::Utf8ToCp1251(l) + "\r\n";
            WriteFile(Prog() + "/Default.ini", bytes);
        }
        // No save panel at the end of a test: the traces stay the program's.
        rig.Setting("7", "Автосохранение протокола", 0);
        rig.Start();
        rig.StopPolling();
        for (QTimer* t : {w().Station().findChild<QTimer*>("TimeRunProg"),
                          w().Station().findChild<QTimer*>("TimerTick"),
                          w().Station().findChild<QTimer*>("TimerELSE")})
            t->setInterval(24 * 3600 * 1000);
        rig.Click("Butt_OK");  // a message left by start-up, if any
        rig.unit->ClearLog();
        rig.ClearTraces();
    }
    TFBase& w() { return *rig.window; }
    std::string Prog() const { return rig.folder.path() + "/PROG"; }
    QListWidget* List() { return rig.Find<QListWidget>("ListProg"); }
    void ChooseCommand(const char* text) {
        const auto found =
            rig.Find<QListWidget>("ListCmd")->findItems(QString::fromUtf8(text), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text;
        rig.Find<QListWidget>("ListCmd")->setCurrentItem(found.front());
    }
    // Runs the runner's tick until the program has no more to do now.
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            w().Station().Program().TimeRunProgTimer();
            w().Station().Program().TimerELSETimer();
        }
    }
    std::vector<std::string> UnitCalls(const std::vector<std::string>& wanted) const {
        std::vector<std::string> out;
        for (const auto& c : rig.unit->calls) {
            if (std::find(wanted.begin(), wanted.end(), c.name) != wanted.end())
                out.push_back(c.name);
        }
        return out;
    }

    ConsoleRig rig;
};

TEST_F(ProgramSheet, DefaultProgramLoadsAtStartAndUnreadableLinesShowAsSuch) {
    // A Windows station's file: Windows-1251, CRLF, the extension in capitals.
    WriteFile(Prog() + "/DEFAULT.INI",
              Cp1251Crlf({"Включить насос", "Если( F>abc ) тогда Начать испытание",
                          "Прыгнуть выше головы", "Ждать(сек) 3"}));
    WriteFile(Prog() + "/Растяжение.ini", Cp1251Crlf({"Начать испытание"}));
    WriteFile(Prog() + "/заметки.txt", "x");
    StartWith({});
    EXPECT_EQ(Shown(List()), (Lines{"Включить насос", "Если( F>abc ) тогда Начать испытание",
                                    "Прыгнуть выше головы", "Ждать(сек) 3"}));
    EXPECT_EQ(rig.Find<QLineEdit>("Edit6")->text().toStdString(), "DEFAULT");
    EXPECT_EQ(List()->item(0)->foreground().color(), QColor(0, 0, 0));
    EXPECT_EQ(List()->item(1)->foreground().color(), QColor(200, 0, 0));
    EXPECT_EQ(List()->item(1)->toolTip().toStdString(), "Условие не распознано");
    EXPECT_EQ(List()->item(2)->toolTip().toStdString(), "Неизвестная команда");

    // The file list shows the program files of "PROG" only.
    auto* model = qobject_cast<QFileSystemModel*>(rig.Find<QListView>("FileProgram")->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex root = rig.Find<QListView>("FileProgram")->rootIndex();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(root) == 2; }, 5000));
    QStringList names;
    for (int r = 0; r < model->rowCount(root); ++r)
        names << model->fileName(model->index(r, 0, root));
    names.sort();
    EXPECT_EQ(names, (QStringList{"DEFAULT.INI", QString::fromUtf8("Растяжение.ini")}));

    // A click in the list loads that program.
    const QModelIndex other = model->index(QString::fromStdString(Prog() + "/Растяжение.ini"));
    QTest::mouseClick(rig.Find<QListView>("FileProgram")->viewport(), Qt::LeftButton, {},
                      rig.Find<QListView>("FileProgram")->visualRect(other).center());
    EXPECT_EQ(Shown(List()), (Lines{"Начать испытание"}));
    EXPECT_EQ(rig.Find<QLineEdit>("Edit6")->text().toStdString(), "Растяжение");
}

TEST_F(ProgramSheet, CommandMasksShowTheArgumentFields) {
    StartWith({});
    struct Case {
        const char* command;
        bool channel;
        bool number;
    };
    const Case cases[] = {{"Обнулить", true, false},
                          {"Скорость", false, true},
                          {"Включить насос", false, false},
                          {"Активный канал управления", true, false},
                          {"Ждать(сек)", false, true}};
    for (const Case& c : cases) {
        ChooseCommand(c.command);
        EXPECT_EQ(rig.Find<QLabel>("P1")->text().toStdString(), c.command);
        EXPECT_EQ(!rig.Find<QComboBox>("P2")->isHidden(), c.channel) << c.command;
        EXPECT_EQ(!rig.Find<QLineEdit>("P3")->isHidden(), c.number) << c.command;
        EXPECT_EQ(!rig.Find<QLabel>("LP2")->isHidden(), c.channel || c.number) << c.command;
    }
    // The condition controls follow the kind of line.
    EXPECT_FALSE(rig.Find<QComboBox>("ComboBox2")->isEnabled());
    rig.Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    EXPECT_TRUE(rig.Find<QComboBox>("ComboBox2")->isEnabled());
    EXPECT_TRUE(rig.Find<QLineEdit>("Edit7")->isEnabled());
}

TEST_F(ProgramSheet, ComposeInsertDeleteSaveAndDeleteTheFile) {
    StartWith({});
    // Nothing chosen: nothing added.
    rig.Find<QListWidget>("ListCmd")->setCurrentRow(-1);
    rig.Click("Button3");
    EXPECT_EQ(List()->count(), 0);

    ChooseCommand("Обнулить");
    rig.Find<QComboBox>("P2")->setCurrentText("L");
    rig.Click("Button3");
    ChooseCommand("Скорость");
    rig.Find<QLineEdit>("P3")->setText("2,5");
    rig.Click("Button3");
    // A condition line after the first line.
    List()->setCurrentRow(0);
    rig.Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    rig.Find<QComboBox>("ComboBox2")->setCurrentText("F>");
    rig.Find<QLineEdit>("Edit7")->setText("10");
    ChooseCommand("Завершить испытание");
    rig.Click("Button7");
    EXPECT_EQ(Shown(List()),
              (Lines{"Обнулить L", "Если( F>10 ) тогда Завершить испытание", "Скорость 2,5"}));
    EXPECT_EQ(List()->currentRow(), 1);
    List()->setCurrentRow(2);
    rig.Click("Button6");
    EXPECT_EQ(Shown(List()), (Lines{"Обнулить L", "Если( F>10 ) тогда Завершить испытание"}));

    // Saved as the Windows station writes: Windows-1251, CRLF.
    rig.Find<QLineEdit>("Edit6")->setText(QString::fromUtf8("Проба"));
    rig.Click("Button5");
    const std::string saved = Prog() + "/Проба.ini";
    EXPECT_EQ(ReadFile(saved),
              Cp1251Crlf({"Обнулить L", "Если( F>10 ) тогда Завершить испытание"}));

    rig.Click("Button4");
    EXPECT_EQ(List()->count(), 0);

    // The popup's "Удалить" removes the chosen file.
    auto* model = qobject_cast<QFileSystemModel*>(rig.Find<QListView>("FileProgram")->model());
    const QModelIndex file = model->index(QString::fromStdString(saved));
    ASSERT_TRUE(file.isValid());
    rig.Find<QListView>("FileProgram")->setCurrentIndex(file);
    rig.Find<QAction>("N1")->trigger();
    EXPECT_FALSE(std::filesystem::exists(saved));
}

TEST_F(ProgramSheet, NamesThatLeaveTheProgramFolderAreRefused) {
    StartWith({"Включить насос"});
    const std::string before = ReadFile(Prog() + "/Default.ini");
    for (const char* name : {"../Config", "a/b", "a\\b", "..", "."}) {
        rig.Find<QLineEdit>("Edit6")->setText(QString::fromUtf8(name));
        rig.Click("Button5");
        EXPECT_EQ(w().MessageText(), std::string("НЕДОПУСТИМОЕ ИМЯ ПРОГРАММЫ: ") + name);
        rig.Click("Butt_OK");
    }
    EXPECT_FALSE(std::filesystem::exists(rig.folder.path() + "/Config.ini"));
    EXPECT_FALSE(std::filesystem::exists(Prog() + "/a"));
    EXPECT_EQ(ReadFile(Prog() + "/Default.ini"), before);
    // An empty name saves nothing and says nothing.
    rig.Find<QLineEdit>("Edit6")->clear();
    rig.Click("Button5");
    EXPECT_EQ(w().MessageText(), "");
}

// The fixture program, as an operator would write it, run against the fake
// unit: pump, grips, zeroing, channel and speed, a timed wait, the start,
// an empty line passed over, and a condition ending the test.
TEST_F(ProgramSheet, FixtureProgramDrivesTheUnitInOrder) {
    const Lines program = {"Включить насос",
                           "Закрыть верхний захват",
                           "Закрыть нижний захват",
                           "Обнулить F",
                           "Активный канал управления L",
                           "Скорость 5",
                           "Ждать(сек) 2",
                           "Начать испытание",
                           "",
                           "Если( F>10 ) тогда Завершить испытание",
                           "Ждать завершения испытания"};
    // Typed here: UTF-8 with LF.
    StartWith(program, true);
    ASSERT_EQ(Shown(List()), program);
    C_Work& work = *w().Work();

    rig.Click("BUT_START");
    // The end marker is there while the run holds the editor.
    EXPECT_EQ(Shown(List()).back(), "...");
    EXPECT_FALSE(rig.Find<QFrame>("PanelProg")->isEnabled());
    EXPECT_FALSE(rig.Find<TMegaButton>("MESS_PROG")->isHidden());
    EXPECT_EQ(rig.Find<QLabel>("PanelTXT")->text().toStdString(),
              "Внимание!!! Идет выполнение программы.");
    // The sign over the screens says it too, whole.
    EXPECT_EQ(rig.Find<TMegaButton>("MESS_PROG")->Caption,
              "Внимание!!! Идет выполнение программы.");
    EXPECT_LE(QFontMetrics(draw::ToQFont(rig.Find<TMegaButton>("MESS_PROG")->Font))
                  .horizontalAdvance(QString::fromUtf8("Внимание!!! Идет выполнение программы.")),
              rig.Find<TMegaButton>("MESS_PROG")->width());
    EXPECT_GE(rig.Find<TMegaButton>("MESS_PROG")->Font.Size(), 8);
    EXPECT_TRUE(w().Station().findChild<QTimer*>("TimeRunProg")->isActive());

    Ticks(7);  // up to the timed wait
    EXPECT_EQ(w().Station().Program().Runner().WaitState(), Wait::kSeconds);
    EXPECT_EQ(UnitCalls({"PumpOn", "UpperGripClamp", "LowerGripClamp", "ZeroChannel",
                         "SetControlChannel", "SetSpeed"}),
              (Lines{"PumpOn", "UpperGripClamp", "LowerGripClamp", "ZeroChannel",
                     "SetControlChannel", "SetSpeed"}));
    EXPECT_EQ(work.ActiveChannel(), 2);
    EXPECT_EQ(work.State(), C_Work::kSetUp);
    Ticks(3);
    w().Station().Program().TimerTickTimer();
    Ticks(3);
    EXPECT_EQ(work.State(), C_Work::kSetUp) << "one second of two";
    w().Station().Program().TimerTickTimer();
    Ticks(1);
    EXPECT_EQ(work.State(), C_Work::kRunning);
    EXPECT_EQ(rig.unit->Count("StartControl"), 1);

    Ticks(3);  // the empty line, the condition (false yet), the wait
    EXPECT_EQ(w().Station().Program().Runner().WaitState(), Wait::kTestEnd);
    rig.Find<QTabWidget>("WorkArea")->setCurrentIndex(1);
    EXPECT_TRUE(w().grab().toImage().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "program_running.png").string())));
    // At F = 10 exactly the condition does not hold; just above it does.
    work.Channel(1).value = 10.0;
    Ticks(2);
    EXPECT_EQ(work.State(), C_Work::kRunning);
    work.Channel(1).value = 10.1;
    rig.ClearTraces();
    w().Station().Program().TimerELSETimer();
    EXPECT_EQ(rig.dispatched, (Codes{2, 243, 48}));
    EXPECT_EQ(work.State(), C_Work::kFinished);
    EXPECT_EQ(rig.unit->Count("HaltControl"), 1);
    // Nothing was recorded: the stop says so and holds the screens until answered.
    EXPECT_EQ(w().MessageText(), "НЕТ ДАННЫХ ДЛЯ РАСЧЕТА");
    rig.Click("Butt_OK");

    // The wait is over; the run ends after its last line.
    Ticks(2);
    EXPECT_EQ(Shown(List()), program);
    EXPECT_EQ(Checked(List()), (std::vector<bool>{true, true, true, true, true, true, true, true,
                                                  false, true, true}));
    EXPECT_TRUE(rig.Find<QFrame>("PanelProg")->isEnabled());
    EXPECT_TRUE(rig.Find<TMegaButton>("MESS_PROG")->isHidden());
    EXPECT_FALSE(w().Station().findChild<QTimer*>("TimeRunProg")->isActive());
    EXPECT_EQ(rig.Find<QLabel>("PanelTXT")->text().toStdString(),
              "Программа доступна для редактирования");
}

// What the runner would not run, the composer does not take: the operator
// hears why where the line is written.
TEST_F(ProgramSheet, ComposerRefusesALineThatCouldNotRun) {
    StartWith({});
    const struct {
        const char* command;
        bool condition;
        const char* threshold;
        const char* number;
        std::string message;
    } cases[] = {
        {"Ждать(сек)", false, "", "2.5", "ВРЕМЯ ОЖИДАНИЯ - ЦЕЛОЕ ЧИСЛО СЕКУНД: 2.5"},
        {"Скорость", false, "", "5abc", "НЕВЕРНОЕ ЗНАЧЕНИЕ: 5abc"},
        {"Завершить испытание", true, "abc", "0", "НЕВЕРНОЕ ЗНАЧЕНИЕ УСЛОВИЯ: abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ChooseCommand(c.command);
        rig.Find<QComboBox>("ComboBox1")->setCurrentIndex(c.condition ? 1 : 0);
        rig.Find<QLineEdit>("Edit7")->setText(QString::fromUtf8(c.threshold));
        rig.Find<QLineEdit>("P3")->setText(QString::fromUtf8(c.number));
        for (const char* button : {"Button3", "Button7"}) {
            rig.Click(button);
            EXPECT_EQ(w().MessageText(), c.message);
            rig.Click("Butt_OK");
            EXPECT_EQ(List()->count(), 0);
        }
    }
    ChooseCommand("Ждать(сек)");
    rig.Find<QComboBox>("ComboBox1")->setCurrentIndex(0);
    rig.Find<QLineEdit>("P3")->setText("2");
    rig.Click("Button3");
    EXPECT_EQ(w().MessageText(), "");
    EXPECT_EQ(Shown(List()), (Lines{"Ждать(сек) 2"}));
}

// A file typed by hand may hold a line that cannot run: nothing of it runs,
// ПУСК comes back up, and the line is named; it is not saved as a program.
TEST_F(ProgramSheet, ProgramWithALineThatCannotRunDoesNotStart) {
    const Lines program = {"Включить насос", "Ждать(сек) 2.5", "Начать испытание"};
    StartWith(program);
    rig.Click("BUT_START");
    EXPECT_EQ(w().MessageText(),
              "ПРОГРАММА НЕ ЗАПУЩЕНА. СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Ждать(сек) 2.5");
    EXPECT_TRUE(rig.dispatched.empty());
    EXPECT_TRUE(rig.unit->calls.empty());
    EXPECT_EQ(w().Work()->State(), C_Work::kSetUp);
    EXPECT_FALSE(rig.Find<TMegaButton>("BUT_START")->Down);
    EXPECT_FALSE(w().Station().findChild<QTimer*>("TimeRunProg")->isActive());
    EXPECT_TRUE(rig.Find<TMegaButton>("MESS_PROG")->isHidden());
    EXPECT_EQ(Shown(List()), program);
    rig.Click("Butt_OK");
    EXPECT_TRUE(rig.Find<QFrame>("PanelProg")->isEnabled());

    // Run by hand with a double click, it says why too.
    const QPoint at = List()->visualItemRect(List()->item(1)).center();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(w().MessageText(), "СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Ждать(сек) 2.5");
    rig.Click("Butt_OK");

    const std::string before = ReadFile(Prog() + "/Default.ini");
    rig.Find<QLineEdit>("Edit6")->setText("Default");
    rig.Click("Button5");
    EXPECT_EQ(w().MessageText(),
              "ПРОГРАММА НЕ СОХРАНЕНА. СТРОКА 2: НЕИЗВЕСТНАЯ КОМАНДА - Ждать(сек) 2.5");
    rig.Click("Butt_OK");
    EXPECT_EQ(ReadFile(Prog() + "/Default.ini"), before);
    EXPECT_TRUE(rig.unit->calls.empty());
}

TEST_F(ProgramSheet, ProgramThatStartsNoTestSaysWhyAndReleasesStart) {
    StartWith({"Включить насос", "Если( F>10 ) тогда Завершить испытание"});
    rig.Click("BUT_START");
    EXPECT_TRUE(rig.Find<TMegaButton>("BUT_START")->Down);
    Ticks(4);
    EXPECT_EQ(rig.unit->Count("PumpOn"), 1);
    EXPECT_EQ(w().Work()->State(), C_Work::kSetUp);
    EXPECT_EQ(w().MessageText(),
              "ПРОГРАММА ВЫПОЛНЕНА, ИСПЫТАНИЕ НЕ НАЧАТО: В ПРОГРАММЕ НЕТ "
              "КОМАНДЫ \"Начать испытание\"");
    EXPECT_FALSE(rig.Find<TMegaButton>("BUT_START")->Down);
    EXPECT_FALSE(rig.Find<TMegaButton>("BUT_PAUSE")->Enabled);
    rig.Click("Butt_OK");
    EXPECT_TRUE(rig.Find<QFrame>("PanelProg")->isEnabled());
}

TEST_F(ProgramSheet, ConditionLineFiresOncePerRunAndAgainAfterANewStart) {
    StartWith({"Если( F>10 ) тогда Открыть верхний захват", "Ждать(сек) 100"});
    C_Work& work = *w().Work();
    for (int run = 1; run <= 2; ++run) {
        rig.Click("BUT_START");
        work.Channel(1).value = 20.0;
        Ticks(3);
        work.Channel(1).value = 5.0;
        Ticks(2);
        work.Channel(1).value = 20.0;
        Ticks(2);
        EXPECT_EQ(rig.unit->Count("UpperGripRelease"), run);
        rig.Click("BUT_STOP");
        rig.Click("Butt_OK");  // nothing was recorded: the stop said so
        w().Command(241);      // back to the work screen for the next start
    }
}

TEST_F(ProgramSheet, EmptyProgramStartsTheTestWithCodeOneAndItsEndFreesTheEditor) {
    StartWith({});
    rig.Click("BUT_START");
    EXPECT_EQ(rig.dispatched, (Codes{1, 242}));
    EXPECT_EQ(w().Work()->State(), C_Work::kRunning);
    EXPECT_FALSE(rig.Find<QFrame>("PanelProg")->isEnabled());
    // A break ends the test; the editor comes back without the stop button.
    rig.window->Station().Post(2);
    rig.window->Station().Post(55);
    ConsoleRig::Drain();
    EXPECT_EQ(w().Work()->State(), C_Work::kFinished);
    rig.Click("Butt_OK");  // the message holds the screens until answered
    EXPECT_TRUE(rig.Find<QFrame>("PanelProg")->isEnabled());
}

TEST_F(ProgramSheet, BreakDuringTheWaitForTheEndOfTheTestEndsTheWait) {
    StartWith({"Начать испытание", "Ждать завершения испытания", "Открыть верхний захват"});
    rig.Click("BUT_START");
    Ticks(3);
    ASSERT_EQ(w().Station().Program().Runner().WaitState(), Wait::kTestEnd);
    Ticks(5);
    EXPECT_EQ(rig.unit->Count("UpperGripRelease"), 0);
    rig.window->Station().Post(2);
    rig.window->Station().Post(55);
    ConsoleRig::Drain();
    EXPECT_EQ(w().MessageText(), "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!");
    Ticks(3);
    EXPECT_EQ(rig.unit->Count("UpperGripRelease"), 1);
    EXPECT_EQ(Shown(List()).back(), "Открыть верхний захват");
    rig.Click("Butt_OK");
    EXPECT_TRUE(rig.Find<QFrame>("PanelProg")->isEnabled());
    EXPECT_TRUE(rig.Find<TMegaButton>("MESS_PROG")->isHidden());
}

TEST_F(ProgramSheet, StopButtonEndsTheRunAndRemovesTheEndMarker) {
    StartWith({"Начать испытание", "Ждать(сек) 100"});
    rig.Click("BUT_START");
    Ticks(2);
    EXPECT_EQ(Shown(List()), (Lines{"Начать испытание", "Ждать(сек) 100", "..."}));
    rig.ClearTraces();
    rig.Click("BUT_STOP");
    EXPECT_EQ(rig.dispatched.front(), 2);
    EXPECT_EQ(Shown(List()), (Lines{"Начать испытание", "Ждать(сек) 100"}));
    rig.Click("Butt_OK");  // nothing was recorded: the stop said so
    EXPECT_TRUE(rig.Find<QFrame>("PanelProg")->isEnabled());
    EXPECT_FALSE(w().Station().findChild<QTimer*>("TimeRunProg")->isActive());
}

TEST_F(ProgramSheet, SingleClickOnlySelectsADoubleClickRunsTheLineOnce) {
    StartWith({"Если( F>10 ) тогда Открыть верхний захват", "Открыть нижний захват"});
    w().Work()->Channel(1).value = 20.0;
    auto at = [&](int row) { return List()->visualItemRect(List()->item(row)).center(); };
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at(0));
    EXPECT_EQ(List()->currentRow(), 0);
    EXPECT_EQ(w().Station().Program().Runner().view().selected, 0);
    EXPECT_TRUE(rig.unit->calls.empty());

    // A double click comes after the first click of it.
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at(1));
    EXPECT_TRUE(rig.unit->calls.empty());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at(1));
    EXPECT_EQ(UnitCalls({"LowerGripRelease", "UpperGripRelease"}), (Lines{"LowerGripRelease"}));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at(0));
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, at(0));
    EXPECT_EQ(UnitCalls({"LowerGripRelease", "UpperGripRelease"}),
              (Lines{"LowerGripRelease", "UpperGripRelease"}));
}

TEST_F(ProgramSheet, SheetRendersItsListsAndComposer) {
    StartWith({"Включить насос", "Закрыть верхний захват", "Если( F>abc ) тогда Начать испытание",
               "Если( F<Fmax на %10 ) тогда Завершить испытание", "Ждать завершения испытания"});
    rig.Find<QTabWidget>("WorkArea")->setCurrentIndex(1);
    ChooseCommand("Скорость");
    QApplication::processEvents();
    const QImage sheet = rig.Find<QTabWidget>("WorkArea")->currentWidget()->grab().toImage();
    EXPECT_TRUE(sheet.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "program_sheet.png").string())));
    const QImage window = w().grab().toImage();
    EXPECT_TRUE(window.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "program_window.png").string())));
    // The program list lies left of the editor panel, both inside the sheet.
    const QRect list = rig.Find<QListWidget>("ListProg")->geometry();
    const QRect editor = rig.Find<QFrame>("PanelProg")->geometry();
    EXPECT_LT(list.right(), editor.left());
    EXPECT_GT(list.width(), 250);
}

// ----- named positions

TEST_F(ProgramSheet, PositionsAreReadAtStartChosenAndSaved) {
    WriteFile(rig.folder.path() + "/PositionList.ini", Cp1251Crlf({"Нижняя=12,5", "Верхняя=300"}));
    StartWith({});
    QComboBox* chooser = w().findChild<QComboBox*>("ComboBox3");
    ASSERT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->itemText(0).toStdString(), "Нижняя - 12,5");
    EXPECT_EQ(chooser->itemText(1).toStdString(), "Верхняя - 300");
    EXPECT_EQ(chooser->currentIndex(), 0);

    // A new row typed into the table's spare row, then "Сохранить".
    rig.Click("BitBtn1");
    EXPECT_FALSE(rig.Find<QFrame>("Panel32")->isHidden());
    QTableWidget* table = rig.Find<QTableWidget>("ValueListEditor1");
    ASSERT_EQ(table->rowCount(), 3);
    table->item(2, 0)->setText(QString::fromUtf8("Средняя"));
    table->item(2, 1)->setText("150");
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_TRUE(w().grab().toImage().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "positions_panel.png").string())));
    rig.Click("Button8");
    EXPECT_EQ(chooser->count(), 3);
    EXPECT_EQ(ReadFile(rig.folder.path() + "/PositionList.ini"),
              Cp1251Crlf({"Нижняя=12,5", "Верхняя=300", "Средняя=150"}));
    rig.Click("Button9");
    EXPECT_TRUE(rig.Find<QFrame>("Panel32")->isHidden());
}

TEST_F(ProgramSheet, ToPositionZeroesOffLThenTheUnitMovesAndStopsAfterIt) {
    WriteFile(rig.folder.path() + "/PositionList.ini", Cp1251Crlf({"Нижняя=12,5", "Мимо=abc"}));
    StartWith({});
    rig.Click("MegaButton69");
    EXPECT_EQ(rig.dispatched, (Codes{26}));
    using Call = testsupport::FakeUnit::Call;
    EXPECT_EQ(rig.unit->calls, (std::vector<Call>{{"ZeroChannel", {2, 0}}, {"SetValue", {0, 26}}}));
    EXPECT_DOUBLE_EQ(w().Work()->Channel(2).targetPosition, 12.5);
    EXPECT_EQ(w().Station().Program().Runner().WaitState(), Wait::kPositioning);
    EXPECT_TRUE(w().Station().findChild<QTimer*>("TimerTick")->isActive());
    // This unit keeps no positioning flag: the next wait tick stops the crosshead.
    rig.ClearTraces();
    w().Station().Program().TimerTickTimer();
    EXPECT_EQ(rig.dispatched, (Codes{21}));
    EXPECT_EQ(rig.unit->calls.back().name, "MoveStop");
    EXPECT_FALSE(w().Station().findChild<QTimer*>("TimerTick")->isActive());

    // A position that is no number moves nothing.
    w().findChild<QComboBox*>("ComboBox3")->setCurrentIndex(1);
    rig.unit->ClearLog();
    rig.Click("MegaButton69");
    EXPECT_EQ(w().MessageText(), "НЕВЕРНАЯ ПОЗИЦИЯ: abc");
    EXPECT_TRUE(rig.unit->calls.empty());
}

// The real unit over a pty: the crosshead stop waits until the unit's status
// says the positioning is over.
TEST(ProgramPositioning, CrossheadStopsOnlyWhenThePositioningFlagClears) {
    testsupport::TempFolder folder;
    testsupport::SimStation sim({});
    ASSERT_TRUE(sim.WriteStationSettings(folder.path() + "/Config.INI"));
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::RecordingSink fileErrors;
    testsupport::RecordingSink linkMessages;
    platform::RealSleeper sleeper;
    std::unique_ptr<StationLinks> links;
    console::ConsoleDeps deps;
    deps.programFolder = folder.path();
    deps.clock = &clock;
    deps.random = &random;
    deps.messages = &fileErrors;
    deps.makeUnit = [&](const console::UnitWiring& u) -> std::unique_ptr<C_Connect> {
        links = std::make_unique<StationLinks>(std::vector<std::string>{sim.DevicePath()}, &u.ui);
        return std::make_unique<DEVICE_QUELM>(
            UnitDeps{sleeper, u.samples, linkMessages, *links, u.status, u.testZone});
    };
    TFBase window(std::move(deps));
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Started(); }, 10000));
    ASSERT_TRUE(window.Work()->Connected());
    for (QTimer* t :
         {window.findChild<QTimer*>("Timer1"), window.Station().findChild<QTimer*>("TimerTick"),
          window.Station().findChild<QTimer*>("TimeRunProg")})
        t->setInterval(24 * 3600 * 1000);
    for (const char* polling : {"Timer4", "Timer5", "TimerGetCykl"})
        window.Station().findChild<QTimer*>(polling)->setInterval(24 * 3600 * 1000);
    std::vector<int> dispatched;
    QObject::connect(&window, &TFBase::commandDispatched, [&](int c) { dispatched.push_back(c); });

    auto status = [&](std::uint8_t positioning) {
        std::vector<std::uint8_t> block(RegisterImage::Length(RegisterImage::kStatus), 0);
        block[RegisterImage::kStatusPositioning] = positioning;
        sim.Serial().SetBlock(device_code::kStatus, block);
        window.Timer4Timer();  // the status read
    };
    status(1);
    sim.Serial().ClearRequests();
    EXPECT_EQ(window.Station().Program().ProgCommand("Вывод траверсы на позицию 12,5"), 0);
    // The unit is sent the target in its cycle program block.
    RegisterImage image;
    auto sent = [&](size_t field) {
        const auto block = sim.Serial().Block(device_code::kCycleProgram);
        auto into = image.Bytes(RegisterImage::kCycleProgram);
        std::copy_n(block.begin(), std::min(block.size(), into.size()), into.begin());
        return image.GetFloat(RegisterImage::kCycleProgram, field);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return sent(RegisterImage::kCycleUpper) == 12.5f; }, 3000));
    EXPECT_FLOAT_EQ(sent(RegisterImage::kCycleSpeed), 200.0f);

    dispatched.clear();
    for (int i = 0; i < 3; ++i) {
        status(1);
        window.Station().Program().TimerTickTimer();
    }
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(window.Station().Program().Runner().WaitState(), Wait::kPositioning);
    status(0);
    window.Station().Program().TimerTickTimer();
    EXPECT_EQ(dispatched, (Codes{21}));
    EXPECT_EQ(window.Station().Program().Runner().WaitState(), Wait::kNone);
}

}  // namespace

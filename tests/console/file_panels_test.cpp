// The file panels of the real window, offscreen, against a fake unit: save
// and export, open, the journal button, the report preview's buttons and the
// report row choice; renderings of each for a person to look at.

#include <QApplication>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "console/file_places.h"
#include "console/paramlist.h"
#include "console/qt_russian.h"
#include "console_rig.h"
#include "controls/cgrafic.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/symbolfont.h"
#include "controls/tfkeyboard.h"
#include "platform/launcher.h"
#include "protocols/creport.h"
#include "support/poppler.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;
namespace fs = std::filesystem;

// ----- names

TEST(SaveNames, NamesThatLeaveTheFolderOrHideAreRefused) {
    const std::pair<const char*, bool> cases[] = {
        {"Испытание", true}, {"Протокол № 3 от 05.03.2026", true},
        {"a.b", true},       {"trailing.", true},
        {"a/b", false},      {"/etc/passwd", false},
        {"../../x", false},  {"..", false},
        {".", false},        {".hidden", false},
        {"", true},  // the panel puts the default name in first
    };
    for (const auto& [name, ok] : cases)
        EXPECT_EQ(console::RefusedFileName(name).empty(), ok) << name;
}

// ----- the window

class FakeLauncher final : public platform::Launcher {
public:
    bool Installed(const std::string& program) const override {
        asked.push_back(program);
        return installed;
    }
    bool Start(const std::string& program, std::string& error) override {
        started.push_back(program);
        error = refuse;
        return refuse.empty();
    }
    bool installed = false;
    std::string refuse;
    mutable std::vector<std::string> asked;
    std::vector<std::string> started;
};

int RowOf(const QListWidget& list, const char* text) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() == QString::fromUtf8(text)) return i;
    }
    return -1;
}

// Every file under a folder, to see that nothing else was written.
std::set<std::string> FilesUnder(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        files.insert(e.path().string());
    return files;
}

void SavePicture(QWidget* w, const char* file) {
    QApplication::processEvents();
    w->grab().save(QString::fromStdString((testsupport::TestOutputFolder() / file).string()));
}

class FilePanels : public ::testing::Test {
protected:
    void SetUp() override {
        // The configuration's "Использовать Вирт. клавиатуру".
        rig.Setting("7", "Использовать Вирт. клавиатуру", keyboardMode);
        rig.Start();
        rig.Click("Butt_OK");
        rig.StopPolling();
        rig.window->SetLauncher(&launcher);
    }

    void ChooseMethod(const char* method, int sampleType, bool extensometer) {
        auto* methods = rig.Find<QListWidget>("Mirandex");
        methods->setCurrentRow(RowOf(*methods, method));
        auto* samples = rig.Find<QComboBox>("ObrazecList");
        samples->setCurrentIndex(sampleType);
        emit samples->activated(sampleType);
        if (rig.Find<TMegaButton>("TENZ_ON")->Down != extensometer) rig.Click("TENZ_ON");
    }

    // A finished test of the method chosen: a curve, stop, results.
    void RunTest() {
        RecordCurve();
        StopTest();
    }
    void RecordCurve() {
        C_Work& work = *rig.window->Work();
        rig.window->Command(1);
        for (int c = 1; c <= 3; ++c)
            work.Channel(c).rawMode = true;
        for (int i = 0; i <= 200; ++i) {
            const double l = 0.05 * i;
            const double f = l < 2.0 ? 20.0 * l : 40.0 + 5.0 * (l - 2.0);
            rig.unit->Emit(0.1 * i, f, l, 0.01 * l);
        }
    }
    void StopTest() {
        rig.window->Command(2);
        ConsoleRig::Drain();
        if (!rig.window->MessageText().empty()) rig.Click("Butt_OK");
    }

    std::string MethodFolder(const char* method) const {
        return rig.folder.File("SaveTest/" + std::string(method));
    }

    // A tap on a row of a list or tree, once the file system model has it.
    static void Tap(QAbstractItemView* view, const QModelIndex& at) {
        ASSERT_TRUE(at.isValid());
        view->scrollTo(at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at).center());
    }
    static QModelIndex WaitForRow(QAbstractItemView* view, const std::string& path) {
        auto* model = static_cast<QFileSystemModel*>(view->model());
        const QString p = QString::fromStdString(path);
        const bool listed = QTest::qWaitFor(
            [&] {
                const QModelIndex at = model->index(p);
                return at.isValid() && at.parent() == view->rootIndex() &&
                       model->rowCount(view->rootIndex()) > at.row() &&
                       !view->visualRect(at).isEmpty();
            },
            5000);
        EXPECT_TRUE(listed) << path;
        return model->index(p);
    }

    int keyboardMode = 0;
    ConsoleRig rig;
    FakeLauncher launcher;
};

class FilePanelsByTouch : public FilePanels {
protected:
    FilePanelsByTouch() { keyboardMode = 1; }
};

TEST_F(FilePanelsByTouch, ThePrintPanelsFileNameIsTypedOnTheKeyboardAndThePdfGoesBesideTheTests) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    rig.window->Command(35);
    TFKeyBoard* keyboard = rig.window->findChild<TFKeyBoard*>("TFKeyBoard");
    keyboard->ShowKeyboard(0);
    bool clear = false;
    QTimer::singleShot(0, [&] {
        auto* name = rig.Find<QLineEdit>("PrintFile");
        ASSERT_NE(name, nullptr);
        if (auto* pdf = rig.Find<TMegaButton>("PrintToPdf"))
            QTest::mouseClick(pdf, Qt::LeftButton, {}, pdf->rect().center());
        QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
        ASSERT_TRUE(keyboard->isVisible());
        clear =
            !keyboard->geometry().intersects(QRect(name->mapToGlobal(QPoint(0, 0)), name->size()));
        name->selectAll();
        for (const char* key : {"K_080", "K_49"}) {
            auto* b = keyboard->findChild<TMegaButton*>(key);
            ASSERT_NE(b, nullptr) << key;
            QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        }
        EXPECT_EQ(name->text().toStdString(), "p1");
        rig.Click("PrintOk");
    });
    rig.Click("PRINT");
    EXPECT_TRUE(clear) << "the keyboard covers the file name";
    EXPECT_FALSE(keyboard->isVisible());
    const std::string pdf = MethodFolder("ГОСТ 1497") + "/p1.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(rig.window->MessageText(), "ПРОТОКОЛ ЗАПИСАН В ФАЙЛ " + pdf);
    rig.Click("Butt_OK");

    // A file that cannot be written is said so, with its name.
    const std::string blocked = rig.folder.File("blocked");
    std::ofstream(blocked) << "a file, not a folder";
    QTimer::singleShot(0, [&] {
        if (auto* pdf = rig.Find<TMegaButton>("PrintToPdf"))
            QTest::mouseClick(pdf, Qt::LeftButton, {}, pdf->rect().center());
        rig.Find<QLineEdit>("PrintFile")->setText(QString::fromStdString(blocked + "/p.pdf"));
        rig.Click("PrintOk");
    });
    rig.Click("PRINT");
    EXPECT_EQ(rig.window->MessageText(), "ПРОТОКОЛ НЕ ЗАПИСАН В ФАЙЛ " + blocked +
                                             "/p.pdf: НЕТ ДОСТУПА К ПАПКЕ ИЛИ НЕТ МЕСТА НА ДИСКЕ");
    if (const auto text = testsupport::PdfText(QString::fromStdString(pdf), {"-layout"})) {
        EXPECT_NE(text->find("Лист 1"), std::string::npos);
    }
}

TEST_F(FilePanels, SaveWithAnEmptyNameWritesTheDatedProtocolThatReloadsEqual) {
    ChooseMethod("ГОСТ 1497", 1, true);
    RunTest();
    rig.window->Command(33);
    auto* panel = rig.Find<QWidget>("DIALOG_SAVE");
    ASSERT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->pos(), QPoint((1390 - panel->width()) / 2, (755 - panel->height()) / 2));
    // The method's folder is made, and the tree and the path point into it.
    const std::string folder = MethodFolder("ГОСТ 1497");
    EXPECT_TRUE(fs::is_directory(folder));
    auto* tree = rig.Find<QTreeView>("CDirectoryOutline1");
    auto* model = static_cast<QFileSystemModel*>(tree->model());
    EXPECT_EQ(model->filePath(tree->currentIndex()).toStdString(), folder);
    EXPECT_EQ(model->filePath(tree->rootIndex()).toStdString(), rig.folder.File("SaveTest"));
    auto* name = rig.Find<QLineEdit>("Edit4");
    auto* path = rig.Find<QLineEdit>("Edit5");
    EXPECT_EQ(name->text().toStdString(), "Протокол № 1 от 05.03.2024");
    EXPECT_EQ(path->text().toStdString(), folder + "/Протокол № 1 от 05.03.2024");
    EXPECT_TRUE(path->isReadOnly());
    SavePicture(panel, "file_panels_save.png");

    name->clear();
    rig.clock.now = {2024, 11, 30, 9, 0, 0};
    rig.Click("SAVE_DIALOG");
    EXPECT_TRUE(panel->isHidden());
    const std::string file = folder + "/Протокол № 1 от 30.11.2024.ipc";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(name->text().toStdString(), "Протокол № 1 от 30.11.2024");
    EXPECT_TRUE(rig.fileErrors.messages.empty());

    // A fresh station reads back what the window held.
    C_Work& work = *rig.window->Work();
    testsupport::Station other;
    other.StartUp();
    ASSERT_TRUE(other.work.LoadTestFile(file));
    EXPECT_EQ(other.work.Methods().CurrentIndex(), work.Methods().CurrentIndex());
    EXPECT_EQ(other.work.Methods().SampleType(), 1);
    EXPECT_EQ(other.work.Methods().Extensometer(), 1);
    // Time, force, displacement and extensometer are stored.
    for (int ch = 0; ch <= 3; ++ch) {
        ASSERT_EQ(other.work.Buffer().GetCount(ch), work.Buffer().GetCount(ch)) << ch;
        for (int i = 0; i < work.Buffer().GetCount(ch); ++i)
            ASSERT_EQ(other.work.Buffer().GetValue(ch, i), work.Buffer().GetValue(ch, i));
    }
    const C_Parametr& saved = *work.Methods().Current();
    const C_Parametr& loaded = *other.work.Methods().Current();
    ASSERT_EQ(loaded.Count(), saved.Count());
    for (int i = 0; i < saved.Count(); ++i)
        EXPECT_EQ(loaded.ValueToText(i), saved.ValueToText(i)) << saved.Record(i)->name;
}

TEST_F(FilePanelsByTouch, ANameTypedOnTheKeyboardIsSavedAndEveryWayOutHidesIt) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    TFKeyBoard* keyboard = rig.window->findChild<TFKeyBoard*>("TFKeyBoard");
    ASSERT_NE(keyboard, nullptr);
    auto* name = rig.Find<QLineEdit>("Edit4");
    for (const char* button : {"SAVE_DIALOG", "SAVE_DIALOG_EXP", "CANCEL_DIALOG"}) {
        rig.window->Command(33);
        EXPECT_FALSE(keyboard->isVisible()) << button;
        name->clear();
        QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
        ASSERT_TRUE(keyboard->isVisible()) << button;
        for (const char* key : {"K_065", "K_066", "K_49"}) {
            auto* b = keyboard->findChild<TMegaButton*>(key);
            ASSERT_NE(b, nullptr) << key;
            QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
        }
        EXPECT_EQ(name->text().toStdString(), "ab1");
        EXPECT_TRUE(name->hasFocus());
        rig.Click(button);
        EXPECT_FALSE(keyboard->isVisible()) << button;
        // What was written is confirmed; the operator acknowledges it.
        if (!rig.window->MessageText().empty()) rig.Click("Butt_OK");
    }
    const std::string base = MethodFolder("ГОСТ 1497") + "/ab1";
    EXPECT_TRUE(fs::exists(base + ".ipc"));
    EXPECT_TRUE(fs::exists(base + ".csv"));
}

TEST_F(FilePanels, ExportWritesTheTextAndTheTableBesideEachOther) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    rig.window->Command(33);
    rig.Find<QLineEdit>("Edit4")->setText(QString::fromUtf8("Кривая образца 5"));
    rig.Click("SAVE_DIALOG_EXP");
    EXPECT_TRUE(rig.Find<QWidget>("DIALOG_SAVE")->isHidden());
    const std::string base = MethodFolder("ГОСТ 1497") + "/Кривая образца 5";
    EXPECT_GT(fs::file_size(base + ".txt"), 1000u);
    EXPECT_GT(fs::file_size(base + ".csv"), 1000u);
    EXPECT_FALSE(fs::exists(base + ".ipc"));
}

TEST_F(FilePanels, AFileAlreadyThereIsReplacedOnlyOnYesAndASaveIsConfirmed) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    struct Case {
        const char* button;
        const char* existing;  // the one file already there
        const char* saved;     // the confirmation
    };
    const Case cases[] = {
        {"SAVE_DIALOG", ".ipc", "Файл сохранен: Образец 7.ipc"},
        {"SAVE_DIALOG_EXP", ".csv", "Файлы сохранены: Образец 7.txt, Образец 7.csv"},
    };
    const std::string base = MethodFolder("ГОСТ 1497") + "/Образец 7";
    auto* panel = rig.Find<QWidget>("DIALOG_SAVE");
    auto* name = rig.Find<QLineEdit>("Edit4");
    const auto content = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    fs::create_directories(MethodFolder("ГОСТ 1497"));
    for (const Case& c : cases) {
        for (const char* ext : {".ipc", ".txt", ".csv"})
            fs::remove(base + ext);
        std::ofstream(base + c.existing) << "old";
        for (const char* answer : {"Butt_NO", "Butt_YES"}) {
            rig.window->Command(33);
            name->setText(QString::fromUtf8("Образец 7"));
            rig.Click(c.button);
            EXPECT_EQ(rig.window->MessageText(), "Файл существует. Заменить?") << c.button;
            EXPECT_FALSE(rig.Find<QWidget>("Butt_YES")->isHidden());
            EXPECT_FALSE(rig.Find<QWidget>("Butt_NO")->isHidden());
            EXPECT_EQ(content(base + c.existing), "old") << c.button;
            rig.Click(answer);
            if (std::string(answer) == "Butt_NO") {
                // Nothing written; the panel is back for another name.
                EXPECT_EQ(content(base + c.existing), "old") << c.button;
                EXPECT_FALSE(panel->isHidden()) << c.button;
                EXPECT_EQ(name->text().toStdString(), "Образец 7");
                EXPECT_EQ(rig.window->MessageText(), "") << c.button;
                rig.Click("CANCEL_DIALOG");
            }
        }
        EXPECT_TRUE(panel->isHidden()) << c.button;
        EXPECT_GT(content(base + c.existing).size(), 1000u) << c.button;
        EXPECT_EQ(rig.window->MessageText(), c.saved) << c.button;
        rig.Click("Butt_OK");
    }
    // A new name is written without a question, and confirmed.
    rig.window->Command(33);
    name->setText(QString::fromUtf8("Образец 8"));
    rig.Click("SAVE_DIALOG");
    EXPECT_EQ(rig.window->MessageText(), "Файл сохранен: Образец 8.ipc");
    EXPECT_TRUE(fs::exists(MethodFolder("ГОСТ 1497") + "/Образец 8.ipc"));
    EXPECT_TRUE(rig.fileErrors.messages.empty());
}

TEST_F(FilePanels, ARefusedNameWritesNothingAndKeepsThePanel) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    const char* names[] = {"../Протокол", "a/b", "..", ".", ".скрытый"};
    const char* buttons[] = {"SAVE_DIALOG", "SAVE_DIALOG_EXP"};
    for (const char* button : buttons) {
        for (const char* typed : names) {
            rig.window->Command(33);
            const std::set<std::string> before = FilesUnder(rig.folder.path());
            rig.Find<QLineEdit>("Edit4")->setText(QString::fromUtf8(typed));
            rig.Click(button);
            EXPECT_FALSE(rig.Find<QWidget>("DIALOG_SAVE")->isHidden()) << typed;
            EXPECT_FALSE(rig.Find<QLabel>("SaveWarning")->text().isEmpty()) << typed;
            EXPECT_EQ(FilesUnder(rig.folder.path()), before) << button << " " << typed;
            EXPECT_TRUE(rig.fileErrors.messages.empty());
            rig.Click("CANCEL_DIALOG");
            EXPECT_TRUE(rig.Find<QWidget>("DIALOG_SAVE")->isHidden());
        }
    }
    // The next opening starts without the warning.
    rig.window->Command(33);
    EXPECT_TRUE(rig.Find<QLabel>("SaveWarning")->text().isEmpty());
}

TEST_F(FilePanels, AMethodFolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    // A file where the method's folder belongs.
    std::ofstream(MethodFolder("ГОСТ 1497")) << "x";
    const std::set<std::string> before = FilesUnder(rig.folder.path());
    rig.window->Command(33);
    ASSERT_EQ(rig.fileErrors.messages.size(), 1u);
    EXPECT_EQ(rig.fileErrors.messages[0].caption, "Ошибка");
    EXPECT_NE(rig.fileErrors.messages[0].text.find("ГОСТ 1497"), std::string::npos);
    EXPECT_FALSE(rig.Find<QWidget>("DIALOG_SAVE")->isHidden());
    rig.Click("SAVE_DIALOG");
    EXPECT_FALSE(rig.Find<QWidget>("DIALOG_SAVE")->isHidden());
    EXPECT_EQ(rig.Find<QLabel>("SaveWarning")->text().toStdString(), "ПАПКА НЕ ВЫБРАНА");
    EXPECT_EQ(FilesUnder(rig.folder.path()), before);
}

TEST_F(FilePanels, ATapOnAnotherFolderSavesThere) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    const std::string archive = rig.folder.File("SaveTest/Архив");
    fs::create_directory(archive);
    rig.window->Command(33);
    // The places begin with the station's own tests; each is a folder.
    auto* places = rig.Find<QComboBox>("DriveComboBox1");
    ASSERT_GE(places->count(), 1);
    EXPECT_EQ(places->itemData(0).toString().toStdString(), rig.folder.File("SaveTest"));
    auto* tree = rig.Find<QTreeView>("CDirectoryOutline1");
    auto* model = static_cast<QFileSystemModel*>(tree->model());
    auto* path = rig.Find<QLineEdit>("Edit5");
    // Choosing a place roots the tree there and saves into it.
    for (int i = places->count() - 1; i >= 0; --i) {
        const std::string place = places->itemData(i).toString().toStdString();
        EXPECT_TRUE(fs::is_directory(place)) << place;
        places->setCurrentIndex(i);
        emit places->activated(i);
        EXPECT_EQ(model->filePath(tree->rootIndex()).toStdString(), place);
        EXPECT_EQ(path->text().toStdString(),
                  place + "/" + rig.Find<QLineEdit>("Edit4")->text().toStdString());
    }
    Tap(tree, WaitForRow(tree, archive));
    rig.Find<QLineEdit>("Edit4")->setText(QString::fromUtf8("Образец 2"));
    EXPECT_EQ(path->text().toStdString(), archive + "/Образец 2");
    rig.Click("SAVE_DIALOG");
    EXPECT_TRUE(fs::exists(archive + "/Образец 2.ipc"));
}

TEST_F(FilePanels, OpeningASavedTestRestoresItsChoicesAndShowsItsCurve) {
    ChooseMethod("ГОСТ 1497", 1, true);
    RunTest();
    C_Work& work = *rig.window->Work();
    const int samples = work.Buffer().GetCount(1);
    ASSERT_GT(samples, 150);
    const size_t markers = work.Buffer().picPoints.size();
    ASSERT_GT(markers, 0u);
    auto* results = rig.Find<console::ParamList>("ListResult");
    auto resultsShown = [results] {
        std::vector<std::string> shown;
        for (int row = 0; row < results->rowCount(); ++row)
            shown.push_back(results->ValueAt(row));
        return shown;
    };
    const std::vector<std::string> resultsBefore = resultsShown();
    rig.window->Command(33);
    rig.Click("SAVE_DIALOG");
    const std::string file = MethodFolder("ГОСТ 1497") + "/Протокол № 1 от 05.03.2024.ipc";
    ASSERT_TRUE(fs::exists(file));
    std::ofstream(MethodFolder("ГОСТ 1497") + "/заметки.txt") << "x";

    // Another method, sample and extensometer switch, and an empty buffer.
    rig.window->Command(32);
    ChooseMethod("ГОСТ 12004", 0, false);
    ASSERT_EQ(work.Buffer().GetCount(1), 0);
    rig.ClearTraces();

    rig.window->Command(34);
    auto* panel = rig.Find<QWidget>("OPENFILE_PANEL");
    ASSERT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->pos(), QPoint((1390 - panel->width()) / 2, (755 - panel->height()) / 2));
    // No tests of this method yet: the tree shows the station's tests.
    auto* tree = rig.Find<QTreeView>("CDirectoryOutline2");
    Tap(tree, WaitForRow(tree, MethodFolder("ГОСТ 1497")));
    auto* files = rig.Find<QListView>("FileListBox1");
    const QModelIndex saved = WaitForRow(files, file);
    // Only tests are listed.
    EXPECT_EQ(files->model()->rowCount(files->rootIndex()), 1);
    Tap(files, saved);
    SavePicture(panel, "file_panels_open.png");
    rig.Click("OPENFILE_BUT");

    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(rig.Find<QListWidget>("Mirandex")->currentItem()->text().toStdString(), "ГОСТ 1497");
    EXPECT_EQ(rig.Find<QComboBox>("ObrazecList")->currentIndex(), 1);
    EXPECT_TRUE(rig.Find<TMegaButton>("TENZ_ON")->Down);
    EXPECT_EQ(rig.dispatched.back(), 243);
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 1);
    EXPECT_EQ(work.Buffer().GetCount(1), samples);
    // Its markers and results at once, without ОБНОВИТЬ РАСЧЕТ.
    EXPECT_EQ(work.Buffer().picPoints.size(), markers);
    EXPECT_EQ(resultsShown(), resultsBefore);
    auto* plot = rig.Find<CGrafic>("CGraficRes");
    int curve = 0;
    const QImage picture = plot->Picture();
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            curve += picture.pixel(x, y) == draw::ColorRef(plot->ColorGrafik).rgb() ? 1 : 0;
    }
    EXPECT_GT(curve, 100);
}

// "Время" on the set-up list is what the protocol prints: the time the test
// stopped, kept by later calculations, and an opened test's own.
TEST_F(FilePanels, TimeOnTheListIsTheTestsOwnAfterARunAndAnOpen) {
    ChooseMethod("ГОСТ 1497", 0, false);
    auto* list = rig.Find<console::ParamList>("ListPodgotov");
    auto shown = [&] {
        for (int r = 0; r < list->rowCount(); ++r)
            if (list->item(r, 0)->text() == QString::fromUtf8("Время")) return list->ValueAt(r);
        return std::string("no row");
    };
    auto printed = [&] {
        const C_Parametr* m = rig.window->Work()->Methods().Current();
        return m->ValueToText(m->IndexOf("sTI"));
    };
    rig.clock.now = {2024, 3, 5, 14, 7, 9};
    RunTest();
    EXPECT_EQ(shown(), "14:07:09");
    EXPECT_EQ(printed(), "14:07:09");
    rig.window->Command(33);
    rig.Click("SAVE_DIALOG");
    const std::string file = MethodFolder("ГОСТ 1497") + "/Протокол № 1 от 05.03.2024.ipc";
    ASSERT_TRUE(fs::exists(file));

    // РАСЧЕТ later computes again; the test's time stays.
    rig.clock.now = {2024, 3, 5, 15, 30, 0};
    rig.Click("MODE_RESULT");
    EXPECT_EQ(shown(), "14:07:09");
    EXPECT_EQ(printed(), "14:07:09");

    rig.clock.now = {2024, 3, 5, 16, 0, 0};
    RunTest();
    EXPECT_EQ(shown(), "16:00:00");
    EXPECT_EQ(printed(), "16:00:00");

    rig.window->Command(34);
    auto* files = rig.Find<QListView>("FileListBox1");
    Tap(files, WaitForRow(files, file));
    rig.Click("OPENFILE_BUT");
    ASSERT_TRUE(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden());
    EXPECT_EQ(shown(), "14:07:09");
    rig.clock.now = {2024, 3, 5, 17, 0, 0};
    rig.Click("MODE_RESULT");
    EXPECT_EQ(shown(), "14:07:09");
    EXPECT_EQ(printed(), "14:07:09");
}

// A stop and an open draw each plot once, with the results: a long curve
// is not drawn over and over while the window waits.
TEST_F(FilePanels, AStopAndAnOpenDrawEachPlotOnceWithTheResults) {
    ChooseMethod("ГОСТ 1497", 0, false);
    auto* result = rig.Find<CGrafic>("CGraficRes");
    auto* live = rig.Find<CGrafic>("WorkPlotter");
    int resultDraws = 0;
    int liveDraws = 0;
    result->OnOutBuffer = [&](CGrafic*) { ++resultDraws; };
    const CGrafic::Event bend = live->OnOutBuffer;
    live->OnOutBuffer = [&](CGrafic* plot) {
        ++liveDraws;
        if (bend) bend(plot);
    };
    // What a plot shows is what a redraw from scratch gives now.
    auto upToDate = [](CGrafic* plot) {
        const QImage shown = plot->Picture();
        plot->DrawGrid();
        return shown == plot->Picture();
    };

    // The first stop also lays out the result screen, which redraws its plot.
    RunTest();
    RecordCurve();
    resultDraws = 0;
    liveDraws = 0;
    StopTest();
    EXPECT_EQ(resultDraws, 1);
    EXPECT_EQ(liveDraws, 1);
    ASSERT_FALSE(rig.window->Work()->Buffer().picPoints.empty());
    EXPECT_TRUE(upToDate(result));

    rig.window->Command(33);
    rig.Click("SAVE_DIALOG");
    const std::string file = MethodFolder("ГОСТ 1497") + "/Протокол № 2 от 05.03.2024.ipc";
    ASSERT_TRUE(fs::exists(file));
    rig.Click("Butt_OK");
    rig.window->Command(32);
    rig.window->Command(34);
    auto* files = rig.Find<QListView>("FileListBox1");
    Tap(files, WaitForRow(files, file));
    resultDraws = 0;
    liveDraws = 0;
    rig.Click("OPENFILE_BUT");
    ASSERT_TRUE(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden());
    EXPECT_EQ(resultDraws, 1);
    EXPECT_EQ(liveDraws, 1);
    EXPECT_FALSE(rig.window->Work()->Buffer().picPoints.empty());
    EXPECT_TRUE(upToDate(result));
    EXPECT_TRUE(upToDate(live));
}

TEST_F(FilePanels, OpenWithNothingChosenOrAnUnreadableFileKeepsThePanel) {
    const std::string folder = MethodFolder("ГОСТ 1497");
    fs::create_directories(folder);
    std::ofstream(folder + "/битый.ipc") << "not a test";
    ChooseMethod("ГОСТ 1497", 0, false);
    rig.window->Command(34);
    rig.ClearTraces();
    rig.Click("OPENFILE_BUT");
    EXPECT_FALSE(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden());
    EXPECT_TRUE(rig.fileErrors.messages.empty());

    auto* files = rig.Find<QListView>("FileListBox1");
    Tap(files, WaitForRow(files, folder + "/битый.ipc"));
    rig.Click("OPENFILE_BUT");
    EXPECT_EQ(rig.fileErrors.messages.size(), 1u);
    EXPECT_FALSE(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden());
    EXPECT_TRUE(rig.dispatched.empty());
    rig.Click("OTMENA_BUT");
    EXPECT_TRUE(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden());
}

// The window's own sink: file errors reach the message panel, not a box.
class FilePanelsOwnMessages : public FilePanels {
protected:
    void SetUp() override {
        rig.windowMessages = true;
        FilePanels::SetUp();
    }
};

TEST_F(FilePanelsOwnMessages, ADamagedFileIsNamedOnTheMessagePanel) {
    const std::string folder = MethodFolder("ГОСТ 1497");
    fs::create_directories(folder);
    const std::string path = folder + "/битый.ipc";
    std::ofstream(path) << "not a test";
    ChooseMethod("ГОСТ 1497", 0, false);
    rig.window->Command(34);
    auto* files = rig.Find<QListView>("FileListBox1");
    Tap(files, WaitForRow(files, path));
    rig.Click("OPENFILE_BUT");

    // "no" read as a little-endian length asks for 28526 bytes of a 10-byte file.
    EXPECT_EQ(rig.window->MessageText(),
              "Невозможно прочесть 28526 байт из файла '" + path +
                  "'\nФайл повреждён или записан не до конца. Из файла ничего не загружено.");
    EXPECT_FALSE(rig.Find<QWidget>("Butt_OK")->isHidden());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_TRUE(w == rig.window.get() || w->isHidden()) << w->metaObject()->className();
    SavePicture(rig.window.get(), "file_error_on_message_panel.png");
    rig.Click("Butt_OK");
    EXPECT_TRUE(rig.window->MessageText().empty());
    EXPECT_FALSE(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden());
}

TEST(QtRussian, ThePrintDialogSpeaksRussian) {
    QTranslator* russian = console::InstallQtRussian(*QCoreApplication::instance());
    ASSERT_NE(russian, nullptr) << "Qt's translations (qt6-translations-l10n) are not installed";
    {
        QPrinter printer;
        QPrintDialog dialog(&printer);
        dialog.resize(1024, 700);
        dialog.show();
        QApplication::processEvents();
        std::vector<std::string> buttons;
        for (auto* b : dialog.findChildren<QPushButton*>())
            if (b->isVisible()) buttons.push_back(b->text().toStdString());
        dialog.grab().save(QString::fromStdString(
            (testsupport::TestOutputFolder() / "print_dialog.png").string()));
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Печать");
        EXPECT_NE(std::find(buttons.begin(), buttons.end(), "Отмена"), buttons.end());
        dialog.reject();
    }
    QCoreApplication::removeTranslator(russian);
    delete russian;
}

TEST_F(FilePanels, TheJournalStartsOnlyWhenInstalledBesideTheStation) {
    struct Case {
        bool installed;
        std::string refuse;
        bool started;
        std::string message;
    };
    const Case cases[] = {
        {false, "", false, "ПРОГРАММА ЖУРНАЛА НЕ УСТАНОВЛЕНА"},
        {true, "", true, ""},
        {true, "Permission denied", true, "ЖУРНАЛ НЕ ЗАПУЩЕН: Permission denied"},
    };
    for (const Case& c : cases) {
        launcher = FakeLauncher();
        launcher.installed = c.installed;
        launcher.refuse = c.refuse;
        rig.window->Command(34);
        rig.Click("JURNAL");
        const std::string program = rig.folder.File("Mirandex");
        EXPECT_EQ(launcher.asked, std::vector<std::string>{program});
        EXPECT_EQ(launcher.started,
                  c.started ? std::vector<std::string>{program} : std::vector<std::string>{});
        EXPECT_EQ(rig.window->MessageText(), c.message);
        // Only a started journal closes the panel.
        EXPECT_EQ(rig.Find<QWidget>("OPENFILE_PANEL")->isHidden(), c.message.empty());
        if (!c.message.empty()) rig.Click("Butt_OK");
        rig.Click("OTMENA_BUT");
    }
}

// ----- report preview and row choice

class ReportPanels : public FilePanels {
protected:
    void SetUp() override {
        FilePanels::SetUp();
        ChooseMethod("ГОСТ 1497", 0, false);
        RunTest();
        method = rig.window->Work()->Methods().Current();
    }

    // Page 1 of the protocol as the preview holds it, as text.
    std::string FirstSheet(const char* file) {
        const QString pdf =
            QString::fromStdString((testsupport::TestOutputFolder() / file).string());
        EXPECT_TRUE(rig.Find<C_Otchet>("C_Otchet1")->WritePdf(pdf));
        return testsupport::PdfText(pdf, {"-layout", "-f", "1", "-l", "1"}).value_or("");
    }

    // The highest number in the first column of the parameter table.
    static int LastRow(const std::string& text) {
        int last = 0;
        const QRegularExpression row(QStringLiteral("^\\s*(\\d{1,2})\\s+\\S"));
        for (const QString& line : QString::fromStdString(text).split(u'\n')) {
            const QRegularExpressionMatch m = row.match(line);
            if (m.hasMatch()) last = std::max(last, m.captured(1).toInt());
        }
        return last;
    }

    C_Report& Report() { return *dynamic_cast<C_Report*>(rig.window->Work()->Report()); }

    C_Parametr* method = nullptr;
};

TEST_F(ReportPanels, PagingAndZoomFollowTheSheets) {
    C_Buffer& buffer = rig.window->Work()->Buffer();
    buffer.printRects.push_back({2, 1, 0.0f, 5.0f, 60.0f, 0.0f});
    buffer.printRects.push_back({2, 1, 5.0f, 10.0f, 90.0f, 30.0f});
    rig.window->Command(35);
    auto* number = rig.Find<QLabel>("PageNomber");
    auto* otchet = rig.Find<C_Otchet>("C_Otchet1");
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 3);
    EXPECT_EQ(number->text().toStdString(), "3/3");
    // The whole sheet fills the viewer's height, not a stub of it.
    QApplication::processEvents();
    const QImage shown = otchet->grab().toImage();
    int white = 0;
    for (int y = 0; y < shown.height(); ++y)
        white += shown.pixel(shown.width() / 2, y) == qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_GT(white, shown.height() * 3 / 4);
    const std::pair<const char*, const char*> steps[] = {
        {"LastPAGE", "2/3"}, {"LastPAGE", "1/3"}, {"LastPAGE", "1/3"}, {"NextPage", "2/3"},
        {"NextPage", "3/3"}, {"NextPage", "3/3"}, {"LastPAGE", "2/3"}};
    for (const auto& [button, shown] : steps) {
        rig.Click(button);
        EXPECT_EQ(number->text().toStdString(), shown) << button;
        EXPECT_EQ(otchet->ShownPage(), otchet->GetCurrentPage());
    }
    const int whole = otchet->Zoom();
    rig.Click("ZOOMUP");
    rig.Click("ZOOMUP");
    EXPECT_EQ(otchet->Zoom(), whole + 20);
    rig.Click("ZOOMDOWN");
    EXPECT_EQ(otchet->Zoom(), whole + 10);
    rig.Click("ZOOMALL");
    EXPECT_EQ(otchet->Zoom(), whole);
    EXPECT_EQ(number->text().toStdString(), "2/3");
    SavePicture(rig.window.get(), "file_panels_preview.png");

    // Printing asks the dialog for the three sheets; cancelled, nothing printed.
    int askedFor = 0;
    otchet->RunPrintDialog = [&askedFor](QPrinter&, int pages) {
        askedFor = pages;
        return false;
    };
    rig.Click("PRINT");
    EXPECT_EQ(askedFor, 3);
    rig.Click("BACK_BUT");
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 1);
}

TEST_F(ReportPanels, UntickingTwoRowsRebuildsTheProtocolTwoRowsShorter) {
    rig.window->Command(35);
    const std::string before = FirstSheet("file_panels_rows_before.pdf");
    if (before.empty()) GTEST_SKIP() << "poppler's tools are not installed";

    rig.Click("MegaButton3");
    auto* panel = rig.Find<QWidget>("LIST_CHECK");
    ASSERT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->pos(), QPoint((1390 - panel->width()) / 2, (755 - panel->height()) / 2));
    auto* list = rig.Find<QListWidget>("CheckList");
    // Every parameter outside the hidden group but the two signatures, ticked
    // as it is shown.
    std::vector<int> expected;
    for (int i = 0; i < method->Count(); ++i) {
        const S_Val& v = *method->Record(i);
        if (v.group != 4 && v.name != "sNI" && v.name != "sZL") expected.push_back(i);
    }
    ASSERT_EQ(list->count(), static_cast<int>(expected.size()));
    int ticked = 0;
    for (int r = 0; r < list->count(); ++r) {
        const int index = expected[static_cast<size_t>(r)];
        EXPECT_EQ(list->item(r)->checkState() == Qt::Checked, method->GetVisible(index)) << r;
        ticked += method->GetVisible(index) ? 1 : 0;
    }
    EXPECT_EQ(Report().RowCount, ticked);

    // Two ticked rows of the results: one tapped on its box, one on its text.
    std::vector<int> rows;
    for (int r = 0; r < list->count() && rows.size() < 2; ++r) {
        const int index = expected[static_cast<size_t>(r)];
        if (method->GetVisible(index) && method->Record(index)->group == 3) rows.push_back(r);
    }
    ASSERT_EQ(rows.size(), 2u);
    const QRect box = list->visualItemRect(list->item(rows[0]));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(box.left() + 16, box.center().y()));
    const QRect text = list->visualItemRect(list->item(rows[1]));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(text.left() + 200, text.center().y()));
    for (int r : rows) {
        EXPECT_EQ(list->item(r)->checkState(), Qt::Unchecked) << r;
        EXPECT_FALSE(method->GetVisible(expected[static_cast<size_t>(r)])) << r;
    }
    EXPECT_EQ(Report().RowCount, ticked - 2);
    SavePicture(panel, "file_panels_rows.png");

    rig.ClearTraces();
    rig.Click("MegaButton20");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(rig.window->MessageText(), "");
    EXPECT_EQ(rig.window->Station().Answer(), 2);
    EXPECT_TRUE(rig.Find<QWidget>("BaseTab")->isEnabled());
    const std::string after = FirstSheet("file_panels_rows_after.pdf");
    EXPECT_GT(LastRow(before), 5);
    EXPECT_EQ(LastRow(after), LastRow(before) - 2);
    for (int r : rows) {
        const std::string caption = testsupport::Squeezed(
            draw::SymbolText(method->GetCaption(expected[static_cast<size_t>(r)])).toStdString());
        EXPECT_NE(testsupport::Squeezed(before).find(caption), std::string::npos) << caption;
        EXPECT_EQ(testsupport::Squeezed(after).find(caption), std::string::npos) << caption;
    }
}

TEST_F(ReportPanels, ChooseAllAndNoneSetEveryFlagAndTheRowCount) {
    rig.window->Command(35);
    rig.Click("MegaButton3");
    auto* list = rig.Find<QListWidget>("CheckList");
    const std::pair<const char*, bool> cases[] = {{"MegaButton19", false}, {"MegaButton18", true}};
    for (const auto& [button, on] : cases) {
        rig.Click(button);
        for (int r = 0; r < list->count(); ++r) {
            EXPECT_EQ(list->item(r)->checkState() == Qt::Checked, on) << button << r;
            EXPECT_EQ(method->GetVisible(list->item(r)->data(Qt::UserRole).toInt()), on);
        }
        EXPECT_EQ(Report().RowCount, on ? list->count() : 0) << button;
    }
}

}  // namespace

// What the message text showed each time it was painted, and whether the
// wait cursor was on then.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QLabel* label) : label_(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == label_ && event->type() == QEvent::Paint) {
            const QCursor* c = QGuiApplication::overrideCursor();
            painted.push_back(
                {label_->text().toStdString(), c != nullptr && c->shape() == Qt::WaitCursor});
        }
        return false;
    }
    struct Painted {
        std::string text;
        bool waitCursor;
        bool operator==(const Painted&) const = default;
    };
    std::vector<Painted> painted;

private:
    QLabel* label_;
};

// Saving and opening a long test may take seconds on slow storage: the
// station says so before the work starts and stops saying so after it,
// whether the file was written or read or not.
TEST_F(FilePanelsOwnMessages, SavingOpeningAndPreviewShowTheStationBusyUntilTheyEnd) {
    ChooseMethod("ГОСТ 1497", 0, false);
    RunTest();
    const std::string folder = MethodFolder("ГОСТ 1497");
    const std::string saved = folder + "/Протокол № 1 от 05.03.2024.ipc";
    const std::string damaged = folder + "/битый.ipc";
    auto save = [&](bool folderThere) {
        rig.window->Command(33);
        if (!folderThere) fs::remove_all(folder);
        rig.Click("SAVE_DIALOG");
    };
    auto open = [&](const std::string& file) {
        rig.window->Command(34);
        auto* files = rig.Find<QListView>("FileListBox1");
        Tap(files, WaitForRow(files, file));
        rig.Click("OPENFILE_BUT");
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* busy;
        const char* then;  // how the message shown after it begins
    };
    const Case cases[] = {
        {"save into a folder gone", [&] { save(false); }, "ИДЕТ СОХРАНЕНИЕ...", "Файл '"},
        {"save", [&] { save(true); }, "ИДЕТ СОХРАНЕНИЕ...", "Файл сохранен"},
        {"open", [&] { open(saved); }, "ИДЕТ ЗАГРУЗКА...", ""},
        {"open a damaged file",
         [&] {
             std::ofstream(damaged) << "not a test";
             open(damaged);
         },
         "ИДЕТ ЗАГРУЗКА...", "Невозможно прочесть"},
        {"protocol preview", [&] { rig.window->Command(35); },
         "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...", ""},
    };
    PaintWatch watch(rig.Find<QLabel>("MesText"));
    for (const Case& c : cases) {
        watch.painted.clear();
        c.act();
        ASSERT_FALSE(watch.painted.empty()) << c.what;
        EXPECT_EQ(watch.painted.front(), (PaintWatch::Painted{c.busy, true})) << c.what;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.what;
        ConsoleRig::Drain();
        const std::string after = rig.window->MessageText();
        EXPECT_TRUE(after.starts_with(c.then) && (*c.then != 0 || after.empty()))
            << c.what << ": " << after;
        if (!after.empty()) rig.Click("Butt_OK");
        EXPECT_TRUE(rig.window->MessageText().empty()) << c.what;
    }
}

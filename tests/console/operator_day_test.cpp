// An operator's day on the whole program: the real window, offscreen, with
// the real unit object and links, against the simulated station on a pty.
// Settings, a calibration sent to the unit, a tension test to the break with
// its files and protocol, the hydraulic panel, and the close.

#include <QApplication>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "console/paramlist.h"
#include "console/tfbase.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "controls/symbolfont.h"
#include "engine/cwork.h"
#include "link/dev_quelm.h"
#include "link/devicecommands.h"
#include "link/registerimage.h"
#include "link/stationlinks.h"
#include "model/configini.h"
#include "model/numtext.h"
#include "model/parametr.h"
#include "platform/sleeper.h"
#include "sim_window_rig.h"
#include "support/fixtures.h"
#include "support/poppler.h"
#include "support/recording_sink.h"
#include "support/sim_station.h"
#include "support/temp_folder.h"
#include "support/test_output.h"

namespace {

using testsupport::SimStation;
namespace fs = std::filesystem;

constexpr const char* kPeriod = "Период обновления, ms";

class OperatorDay : public testsupport::SimWindowRig {
protected:
    void Start(double speed) {
        SimStation::Options options;
        options.speed = speed;
        StartWindow(options);
    }

    template <class T>
    T* Find(const char* name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void Click(const char* name) {
        auto* b = Find<TMegaButton>(name);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }

    int Tab() { return Find<QStackedWidget>("BaseTab")->currentIndex(); }

    // The password panel with the station's password (none is set).
    void EnterSettings() {
        Click("MENU_CUSTOM");
        ASSERT_FALSE(Find<QWidget>("PAROLMES")->isHidden());
        auto* edit = Find<QLineEdit>("ParolEdit");
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_EQ(Tab(), 2);
    }

    void ChooseNode(const char* text) {
        auto* tree = Find<QTreeWidget>("TreeView1");
        const auto items =
            tree->findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1) << text;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(items[0]).center());
    }

    // A tap on the value, the text typed, Enter.
    void TypeSetting(const char* caption, const QString& text) {
        auto* list = Find<console::ParamList>("CUSTOM_LIST");
        int row = -1;
        for (int r = 0; r < list->rowCount(); ++r) {
            if (list->item(r, 0)->text() == draw::SymbolText(caption)) row = r;
        }
        ASSERT_GE(row, 0) << caption;
        list->setCurrentCell(row, 1);
        list->editItem(list->item(row, 1));
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : list->viewport()->findChildren<QLineEdit*>()) {
            if (!e->isHidden()) editor = e;
        }
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }

    void TypeField(const std::string& name, const QString& text) {
        auto* field = Find<QLineEdit>(name.c_str());
        ASSERT_NE(field, nullptr);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    static void Choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // A tap on a row of a file view, once the file system model lists it.
    static void Tap(QAbstractItemView* view, const std::string& path) {
        auto* model = static_cast<QFileSystemModel*>(view->model());
        const QString p = QString::fromStdString(path);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QModelIndex at = model->index(p);
                return at.isValid() && at.parent() == view->rootIndex() &&
                       !view->visualRect(at).isEmpty();
            },
            5000))
            << path;
        const QModelIndex at = model->index(p);
        view->scrollTo(at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(at).center());
    }

    int Position(int code, size_t from = 0) const {
        const auto requests = sim->Serial().Requests();
        for (size_t i = from; i < requests.size(); ++i) {
            if (requests[i].code == code) return static_cast<int>(i);
        }
        return -1;
    }

    int IniInt(const char* section, const char* key) const {
        TConfigINI ini(folder.path());
        ini.FileName = "Config";
        return ini.ReadI(section, key, -1);
    }
};

float FloatAt(const std::vector<std::uint8_t>& block, size_t offset) {
    float f = 0.0f;
    if (offset + sizeof f <= block.size()) std::memcpy(&f, block.data() + offset, sizeof f);
    return f;
}

TEST_F(OperatorDay, FromStartUpToClose) {
    Start(4.0);
    C_Work& work = *window->Work();
    ASSERT_TRUE(work.Connected()) << "the simulated unit was not found";
    EXPECT_EQ(window->MessageText().find("НЕ НАЙДЕНЫ"), std::string::npos);
    if (!Find<QWidget>("Messager")->isHidden()) Click("Butt_OK");

    {
        SCOPED_TRACE("settings: the display period");
        EnterSettings();
        ChooseNode("Общие настройки");
        TypeSetting(kPeriod, "500");
        EXPECT_EQ(work.Config().iCHANCOUNT, 500);
        Click("CONFIG_EXIT");
        // The way out waits for the unit's pause before it applies and saves.
        ASSERT_TRUE(QTest::qWaitFor([&] { return Tab() == 0; }, 3000));
        EXPECT_EQ(window->findChild<QTimer*>("Timer1")->interval(), 500);
        EXPECT_EQ(IniInt("7", kPeriod), 500);
    }

    {
        SCOPED_TRACE("calibration of L with five points");
        EnterSettings();
        ChooseNode("Калибровка");
        ASSERT_EQ(Find<QStackedWidget>("PageConfig")->currentIndex(), 1);
        Choose(Find<QComboBox>("LinChan"), 1);
        Choose(Find<QComboBox>("LinPoint"), 5);
        for (int row = 1; row <= 5; ++row) {
            TypeField("PI" + std::to_string(row), QString::number(20 * row));
            TypeField("PR" + std::to_string(row), QString::number(2 * row) + ",5");
        }
        sim->Serial().ClearRequests();
        Click("SAVE_CALIB_POINT");
        // Channel 2's block, its table block, then the apply.
        const int block = device_code::kWriteChannelFirst + 1;
        const int table = device_code::kWriteChannelTableFirst + 1;
        ASSERT_TRUE(UnitGets(block));
        ASSERT_TRUE(UnitGets(table));
        ASSERT_TRUE(UnitGets(device_code::kApplyChannels));
        EXPECT_LT(Position(block), Position(table));
        EXPECT_LT(Position(table), Position(device_code::kApplyChannels));
        // Not channel 1's (F).
        EXPECT_EQ(Position(device_code::kWriteChannelFirst), -1);
        EXPECT_EQ(Position(device_code::kWriteChannelTableFirst), -1);
        const std::vector<std::uint8_t> bytes = sim->Serial().Block(block);
        ASSERT_GT(bytes.size(), RegisterImage::kChannelPointCount);
        EXPECT_EQ(bytes[RegisterImage::kChannelPointCount], 5);
        for (size_t i = 0; i < 5; ++i) {
            const auto n = static_cast<float>(i + 1);
            EXPECT_EQ(FloatAt(bytes, RegisterImage::kChannelReference + 4 * i), 20.0f * n) << i;
            EXPECT_EQ(FloatAt(bytes, RegisterImage::kChannelMeasured + 4 * i), 2.0f * n + 0.5f)
                << i;
        }
        Click("CONFIG_EXIT");
        ASSERT_TRUE(QTest::qWaitFor([&] { return Tab() == 0; }, 3000));
    }

    const std::string methodFolder = folder.path() + "/SaveTest/ГОСТ 1497";
    std::string saved;
    {
        SCOPED_TRACE("a tension test to the break");
        window->Command(243);
        auto* methods = Find<QListWidget>("Mirandex");
        const auto found = methods->findItems(QString::fromUtf8("ГОСТ 1497"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        methods->setCurrentItem(found.front());
        ASSERT_EQ(work.Methods().Current()->GetValueText("sGO"), "ГОСТ 1497");
        window->Command(241);
        Click("BUT_START");
        ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kRunning; }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kFinished; }, 20000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->MessageText() == "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!"; }, 5000));
        EXPECT_EQ(Tab(), 1);
        Click("Butt_OK");
        EXPECT_NEAR(work.Methods().Current()->GetFloat("fSB"), sim->Specimen().strength,
                    sim->Specimen().strength * 0.005);
    }
    const int samples = work.Buffer().GetCount(1);
    {
        SCOPED_TRACE("saved under the default name");
        window->Command(33);
        auto* panel = Find<QWidget>("DIALOG_SAVE");
        ASSERT_FALSE(panel->isHidden());
        const std::string name = Find<QLineEdit>("Edit4")->text().toStdString();
        EXPECT_EQ(name.rfind("Протокол № ", 0), 0u) << name;
        Click("SAVE_DIALOG");
        EXPECT_TRUE(panel->isHidden());
        saved = methodFolder + "/" + name + ".ipc";
        ASSERT_TRUE(fs::exists(saved)) << saved;
    }
    {
        SCOPED_TRACE("opened again");
        window->Command(32);
        ASSERT_EQ(work.Buffer().GetCount(1), 0);
        window->Command(34);
        auto* panel = Find<QWidget>("OPENFILE_PANEL");
        ASSERT_FALSE(panel->isHidden());
        Tap(Find<QTreeView>("CDirectoryOutline2"), methodFolder);
        Tap(Find<QListView>("FileListBox1"), saved);
        Click("OPENFILE_BUT");
        EXPECT_TRUE(panel->isHidden());
        EXPECT_EQ(Find<QListWidget>("Mirandex")->currentItem()->text().toStdString(), "ГОСТ 1497");
        EXPECT_EQ(Tab(), 1);
        EXPECT_EQ(work.Buffer().GetCount(1), samples);
    }
    {
        SCOPED_TRACE("exported");
        window->Command(33);
        Find<QLineEdit>("Edit4")->setText(QString::fromUtf8("Экспорт"));
        Click("SAVE_DIALOG_EXP");
        EXPECT_TRUE(Find<QWidget>("DIALOG_SAVE")->isHidden());
        EXPECT_GT(fs::file_size(methodFolder + "/Экспорт.txt"), 1000u);
        EXPECT_GT(fs::file_size(methodFolder + "/Экспорт.csv"), 1000u);
    }
    {
        SCOPED_TRACE("printed to PDF");
        window->Command(35);
        ASSERT_EQ(window->findChild<C_Otchet*>("C_Otchet1")->PageCount(), 1);
        const QString pdf =
            QString::fromStdString((testsupport::TestOutputFolder() / "operator_day.pdf").string());
        ASSERT_TRUE(window->findChild<C_Otchet*>("C_Otchet1")->WritePdf(pdf));
        const auto text = testsupport::PdfText(pdf);
        if (text) {
            EXPECT_NE(testsupport::Squeezed(*text).find("Лист1из1"), std::string::npos);
        }
    }

    {
        SCOPED_TRACE("a test program ends the test when F falls to half its maximum");
        // The station's own break check off, so that the program's line is
        // what ends the test; a range under which the broken specimen's
        // remaining force still counts as a reading.
        EnterSettings();
        ChooseNode("Сила");
        TypeSetting("Конец испытания, % от максимума", "0");
        TypeSetting("Максимальный параметр измерения", "50");
        Click("CONFIG_EXIT");
        ASSERT_TRUE(QTest::qWaitFor([&] { return Tab() == 0; }, 3000));
        EXPECT_EQ(work.Channel(1).breakPercent, 0.0);
        EXPECT_EQ(work.Channel(1).fullScale, 50.0);

        window->findChild<QTabWidget*>("WorkArea")->setCurrentIndex(1);
        const auto compose = [&](bool condition, const char* command) {
            Find<QComboBox>("ComboBox1")->setCurrentIndex(condition ? 1 : 0);
            if (condition) {
                Find<QComboBox>("ComboBox2")->setCurrentText(QString::fromUtf8("F<Fmax на %"));
                Find<QLineEdit>("Edit7")->setText("50");
            }
            const auto found = Find<QListWidget>("ListCmd")->findItems(QString::fromUtf8(command),
                                                                       Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << command;
            Find<QListWidget>("ListCmd")->setCurrentItem(found.front());
            Click("Button3");
        };
        compose(true, "Завершить испытание");
        compose(false, "Начать испытание");
        compose(false, "Ждать завершения испытания");
        std::vector<std::string> lines;
        for (int i = 0; i < Find<QListWidget>("ListProg")->count(); ++i)
            lines.push_back(Find<QListWidget>("ListProg")->item(i)->text().toStdString());
        ASSERT_EQ(lines,
                  (std::vector<std::string>{"Если( F<Fmax на %50 ) тогда Завершить испытание",
                                            "Начать испытание", "Ждать завершения испытания"}));

        const int started = sim->TestsStarted();
        Click("BUT_START");
        ASSERT_TRUE(QTest::qWaitFor([&] { return sim->TestsStarted() == started + 1; }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kFinished; }, 20000));
        // Ended past the maximum, by the program: the unit was stopped after
        // the fracture and no break message came.
        EXPECT_GE(sim->TestTime(), sim->Specimen().duration);
        // The stop's last keys follow from the window's timers.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return sim->CurrentPhase() == SimStation::Phase::kHeld; }, 3000));
        EXPECT_NE(window->MessageText(), "ОПРЕДЕЛЕН РАЗРЫВ ОБРАЗЦА ПО F!!!");
        EXPECT_NEAR(work.Channel(1).peak, sim->Specimen().MaxForce(),
                    sim->Specimen().MaxForce() * 0.01);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QFrame>("PanelProg")->isEnabled(); }, 5000));
        if (!Find<QWidget>("Messager")->isHidden()) Click("Butt_OK");
    }

    {
        SCOPED_TRACE("the hydraulic panel");
        auto* panel = Find<QWidget>("PanelIZNOS");
        Click("MegaButton45");
        ASSERT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->pos(), QPoint((window->width() - panel->width()) / 2,
                                       (window->height() - panel->height()) / 2));
        // The simulated station reports its temperatures as 0 °C.
        EXPECT_EQ(Find<QLabel>("TTEMP")->text().toStdString(), "0.0 °C");
        EXPECT_EQ(Find<QLabel>("TTEMP1")->text().toStdString(), "0.0 °C");
        EXPECT_EQ(Find<QLabel>("NORMA")->text().toStdString(), "0 ч");
        Click("MegaButton45");
        EXPECT_FALSE(panel->isVisible());
    }

    {
        SCOPED_TRACE("close");
        sim->Serial().ClearRequests();
        window->FormCloseClick();
        EXPECT_EQ(window->MessageText(), "Закрыть программу?");
        Click("Butt_YES");
        EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 5000));
        bool pumpOff = false;
        for (const auto& r : sim->Serial().Requests()) {
            pumpOff = pumpOff || (r.code == device_code::kKey && !r.data.empty() &&
                                  r.data[0] == key_code::kPumpOff);
        }
        EXPECT_TRUE(pumpOff);
    }
}

TEST_F(OperatorDay, BendToTargetAngleAndVerification) {
    Start(2.0);
    C_Work& work = *window->Work();
    ASSERT_TRUE(work.Connected()) << "the simulated unit was not found";
    if (!Find<QWidget>("Messager")->isHidden()) Click("Butt_OK");

    // Well before the replayed specimen breaks.
    constexpr double kTarget = 8.0;
    {
        SCOPED_TRACE("a bend test stopped at the target angle");
        window->Command(243);
        auto* methods = Find<QListWidget>("Mirandex");
        const auto found = methods->findItems(QString::fromUtf8("ГОСТ 14019"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        methods->setCurrentItem(found.front());
        C_Parametr& method = *work.Methods().Current();
        ASSERT_EQ(method.GetValueText("sGO"), "ГОСТ 14019");
        method.SetFloat("fALF", static_cast<float>(kTarget));
        window->Command(241);
        Click("BUT_START");
        ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() == C_Work::kRunning; }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() != C_Work::kRunning; }, 30000));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return sim->CurrentPhase() == SimStation::Phase::kHeld; }, 5000));
        EXPECT_LT(sim->TestTime(), sim->Specimen().duration);
        EXPECT_EQ(sim->TestsStarted(), 1);
        auto* readout = Find<TMegaDatchik>("Datchik3");
        EXPECT_FALSE(readout->isHidden());
        // A refresh or two past the target at most.
        const double shown = StrToFloatEx(readout->ValueText(0));
        EXPECT_GE(shown, kTarget);
        EXPECT_LT(shown, kTarget + 1.0) << readout->ValueText(0);
        if (!Find<QWidget>("Messager")->isHidden()) Click("Butt_OK");
    }

    {
        SCOPED_TRACE("a verification with three readings of the live force");
        auto* methods = Find<QListWidget>("Mirandex");
        const auto found = methods->findItems(QString::fromUtf8("Поверка"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        methods->setCurrentItem(found.front());
        ASSERT_FALSE(Find<QFrame>("PanelPoverka")->isHidden());
        C_Parametr& method = *work.Methods().Current();
        QTableWidget* table = Find<QTableWidget>("TABPOVER");
        // The station loads the specimen again; a reading is taken as the
        // force passes each level.
        const double held = std::abs(work.Channel(1).value);
        const int started = sim->TestsStarted();
        Click("BUT_START");
        ASSERT_TRUE(QTest::qWaitFor([&] { return sim->TestsStarted() == started + 1; }, 5000));
        const struct {
            double above;  // kN over the force the bend test left
            int row, column;
            const char* reading;
        } cells[] = {{2, 0, 1, "fKP1_0"}, {5, 1, 1, "fKP1_1"}, {8, 2, 3, "fKP2_2"}};
        std::vector<std::string> shown;
        double previous = 0.0;
        for (const auto& c : cells) {
            QTableWidgetItem* item = table->item(c.row, c.column);
            ASSERT_NE(item, nullptr) << c.row << "," << c.column;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return std::abs(work.Channel(1).value) > held + c.above; }, 10000))
                << c.above;
            const double live = work.Channel(1).value;
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                              table->visualItemRect(item).center());
            const double reading = method.GetFloat(c.reading);
            EXPECT_NEAR(reading, live, 1e-3) << c.reading;
            EXPECT_GT(std::abs(reading), previous) << c.reading;
            previous = std::abs(reading);
            EXPECT_NEAR(StrToFloatEx(item->text().toStdString()), reading, 0.0006)
                << item->text().toStdString();
            shown.push_back(item->text().toStdString());
        }
        Click("BUT_STOP");
        ASSERT_TRUE(QTest::qWaitFor([&] { return work.State() != C_Work::kRunning; }, 5000));

        Click("MegaButton42");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->findChild<C_Otchet*>("C_Otchet1")->PageCount() == 1; }, 5000));
        const QString pdf = QString::fromStdString(
            (testsupport::TestOutputFolder() / "operator_day_poverka.pdf").string());
        ASSERT_TRUE(window->findChild<C_Otchet*>("C_Otchet1")->WritePdf(pdf));
        const auto text = testsupport::PdfText(pdf);
        if (!text) GTEST_SKIP() << "pdftotext is not installed";
        const std::string words = testsupport::Squeezed(*text);
        for (const std::string& figure : shown)
            EXPECT_NE(words.find(figure), std::string::npos) << figure;
    }
}

}  // namespace

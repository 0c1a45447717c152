// The settings screen of the real window against a fake unit: the tree, the
// configuration list, leaving the settings, the service keys and the
// console panel, and renderings for a person to look at.

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

#include "console/geometry.h"
#include "console/paramlist.h"
#include "console_rig.h"
#include "controls/symbolfont.h"
#include "controls/tfkeyboard.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;

// The settings screen as the right password leaves it.
void OpenSettings(ConsoleRig& rig) {
    rig.Find<QStackedWidget>("BaseTab")->setCurrentIndex(2);
    QApplication::processEvents();
}

void ChooseNode(ConsoleRig& rig, const char* text) {
    auto* tree = rig.Find<QTreeWidget>("TreeView1");
    const auto items =
        tree->findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1) << text;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      tree->visualItemRect(items[0]).center());
}

int RowOf(const console::ParamList& list, const std::string& caption) {
    for (int r = 0; r < list.rowCount(); ++r) {
        if (list.item(r, 0)->text() == draw::SymbolText(caption)) return r;
    }
    return -1;
}

// A tap on the value, the text typed, and Enter unless the edit stays open.
void TypeInto(console::ParamList& list, int row, const QString& text, bool enter = true) {
    list.setCurrentCell(row, 1);
    list.editItem(list.item(row, 1));
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : list.viewport()->findChildren<QLineEdit*>()) {
        if (!e->isHidden()) editor = e;
    }
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, text);
    if (!enter) return;
    QTest::keyClick(editor, Qt::Key_Return);
    // The view stores and closes the edit on its next turn.
    QApplication::processEvents();
}

int IniInt(const ConsoleRig& rig, const char* section, const char* key) {
    TConfigINI ini(rig.folder.path());
    ini.FileName = "Config";
    return ini.ReadI(section, key, -1);
}

void Save(QWidget* widget, const char* name) {
    QApplication::processEvents();
    widget->grab().toImage().save(
        QString::fromStdString((testsupport::TestOutputFolder() / name).string()));
}

constexpr const char* kPeriod = "Период обновления, ms";

class SettingsScreen : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Start();
        rig.StopPolling();
        config = &rig.window->Work()->Config();
        // The unit declares its channels' settings into groups 11 to 13.
        for (int group : {11, 12, 13}) {
            const std::string g = std::to_string(group);
            config->AddParam("Название канала " + g, "fCHNAME" + g, "K" + g, C_Parametr::kText,
                             group, "", "", "", 1, 1);
            config->AddParam("Значение P " + g, "fKP" + g, "1", C_Parametr::kFloat, group, "0.0000",
                             "100000.0", "0", 1, 0);
        }
        OpenSettings(rig);
        list = rig.Find<console::ParamList>("CUSTOM_LIST");
    }

    std::string Shown(const char* caption) const { return list->ValueAt(RowOf(*list, caption)); }

    ConsoleRig rig;
    C_Config* config = nullptr;
    console::ParamList* list = nullptr;
};

TEST_F(SettingsScreen, TreeNodesOpenTheirGroupsAndPages) {
    struct Case {
        const char* node;
        int page;
        int group;  // what the list shows; 0: the list is not in front
    };
    // "Каналы" and "Сила" open the same group.
    const Case cases[] = {{"Каналы", 0, 11},        {"Перемещение", 0, 12}, {"Сила", 0, 11},
                          {"Деформация", 0, 13},    {"Калибровка", 1, 0},   {"О программе", 2, 0},
                          {"Общие настройки", 0, 7}};
    auto* pages = rig.Find<QStackedWidget>("PageConfig");
    for (const Case& c : cases) {
        ChooseNode(rig, c.node);
        EXPECT_EQ(pages->currentIndex(), c.page) << c.node;
        if (c.group == 0) continue;
        std::vector<std::string> captions;
        for (int i = 0; i < config->Count(); ++i) {
            if (config->InGroup(i, c.group)) captions.push_back(config->GetCaption(i));
        }
        ASSERT_EQ(list->rowCount(), static_cast<int>(captions.size())) << c.node;
        for (size_t r = 0; r < captions.size(); ++r)
            EXPECT_EQ(list->item(static_cast<int>(r), 0)->text(), draw::SymbolText(captions[r]));
    }
    EXPECT_EQ(Shown(kPeriod), std::to_string(config->iCHANCOUNT));
}

TEST_F(SettingsScreen, AnEditIsStoredAtOnceClampedOrRefusedWithAMessage) {
    struct Case {
        const char* typed;
        int stored;
        const char* message;
    };
    // In order: each case starts where the one before left the setting. An
    // empty cell leaves it; a text that is not an integer, whole, leaves it
    // and says why.
    const Case cases[] = {{"250", 250, ""},
                          {"900", 500, ""},
                          {"5", 10, ""},
                          {"120", 120, ""},
                          {"", 120, ""},
                          {"1,5", 120, "'1,5' is not a valid integer value"},
                          {"abc", 120, "'abc' is not a valid integer value"},
                          {"15 ms", 120, "'15 ms' is not a valid integer value"}};
    const int row = RowOf(*list, kPeriod);
    ASSERT_GE(row, 0);
    for (const Case& c : cases) {
        TypeInto(*list, row, QString::fromUtf8(c.typed));
        EXPECT_EQ(config->iCHANCOUNT, c.stored) << c.typed;
        EXPECT_EQ(Shown(kPeriod), std::to_string(c.stored)) << c.typed;
        EXPECT_EQ(rig.window->MessageText(), c.message) << c.typed;
        if (*c.message != 0) rig.Click("Butt_OK");
    }
    TypeInto(*list, RowOf(*list, "Пароль"), "2718");
    EXPECT_EQ(config->iPASSV, "2718");
    // Stored in the configuration only: the file waits for the way out.
    EXPECT_EQ(IniInt(rig, "7", kPeriod), -1);
}

TEST_F(SettingsScreen, ChannelGroupEditsGoToThatGroup) {
    ChooseNode(rig, "Перемещение");
    TypeInto(*list, RowOf(*list, "Значение P 12"), "2,5");
    EXPECT_DOUBLE_EQ(config->GetFloat("fKP12"), 2.5);
    EXPECT_DOUBLE_EQ(config->GetFloat("fKP11"), 1.0);
    EXPECT_EQ(Shown("Значение P 12"), "2,5000");
}

TEST_F(SettingsScreen, SelectingACellAndTimer2RewriteTheListFromTheConfiguration) {
    const int row = RowOf(*list, kPeriod);
    config->iCHANCOUNT = 321;
    EXPECT_NE(Shown(kPeriod), "321");
    list->setCurrentCell(row == 0 ? 1 : 0, 0);
    EXPECT_EQ(Shown(kPeriod), "321");
    config->iCHANCOUNT = 123;
    rig.Find<QTimer>("Timer2")->start(0);
    QApplication::processEvents();
    EXPECT_EQ(Shown(kPeriod), "123");
    EXPECT_FALSE(rig.Find<QTimer>("Timer2")->isActive());
}

TEST_F(SettingsScreen, SectionTitlesTakeNoEdit) {
    config->AddParam("         ПАРАМЕТРЫ PID", "TITLE11", "", C_Parametr::kText, 11, "", "", "", 1,
                     0);
    ChooseNode(rig, "Каналы");
    const int title = RowOf(*list, "         ПАРАМЕТРЫ PID");
    ASSERT_GE(title, 0);
    EXPECT_FALSE(list->item(title, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(list->item(RowOf(*list, "Значение P 11"), 1)->flags() & Qt::ItemIsEditable);
}

TEST_F(SettingsScreen, AboutPlateStaysCentredOnItsPage) {
    ChooseNode(rig, "О программе");
    auto* plate = rig.Find<QWidget>("SHILDIK");
    for (QSize window : {QSize(1390, 755), QSize(1600, 900)}) {
        rig.window->resize(window);
        QApplication::processEvents();
        const QWidget* page = plate->parentWidget();
        const console::Point at = console::CentredOrigin({page->width(), page->height()},
                                                         {plate->width(), plate->height()});
        EXPECT_EQ(plate->pos(), QPoint(at.x, at.y)) << window.width();
    }
    Save(rig.window.get(), "console_settings_about.png");
}

TEST_F(SettingsScreen, ServiceKeys) {
    QSignalSpy manualEntry(rig.window.get(), &TFBase::ManualEntryRequested);
    auto* pudik = rig.Find<QWidget>("PUDIK");
    auto* panel11 = rig.Find<QWidget>("Panel11");
    auto* cons = rig.Find<QWidget>("Cons");
    panel11->setEnabled(false);
    auto key = [&](Qt::Key k) {
        QTest::keyClick(rig.window.get(), k, Qt::ControlModifier);
        QApplication::processEvents();
    };
    key(Qt::Key_D);
    EXPECT_FALSE(pudik->isHidden());
    EXPECT_TRUE(panel11->isEnabled());
    key(Qt::Key_D);
    EXPECT_TRUE(pudik->isHidden());

    EXPECT_TRUE(rig.window->windowFlags().testFlag(Qt::FramelessWindowHint));
    key(Qt::Key_F);
    EXPECT_FALSE(rig.window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(rig.window->isVisible());
    rig.window->activateWindow();
    key(Qt::Key_F);
    EXPECT_TRUE(rig.window->windowFlags().testFlag(Qt::FramelessWindowHint));
    rig.window->activateWindow();

    key(Qt::Key_C);
    EXPECT_FALSE(cons->isHidden());
    key(Qt::Key_E);
    EXPECT_EQ(manualEntry.count(), 1);
    key(Qt::Key_C);
    EXPECT_TRUE(cons->isHidden());
}

TEST_F(SettingsScreen, ConsolePanelListsEveryParameterByIndex) {
    QTest::keyClick(rig.window.get(), Qt::Key_C, Qt::ControlModifier);
    rig.Click("Button1");
    rig.Click("Button2");
    const QStringList lines =
        rig.Find<QPlainTextEdit>("Memo1")->toPlainText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), config->Count());
    EXPECT_EQ(lines[0], "0  sMNAME");
    EXPECT_EQ(lines[1], "1  iCHANCOUNT");
    EXPECT_EQ(lines[2], "2  iPASSV");
    Save(rig.window.get(), "console_settings_cons.png");
}

TEST_F(SettingsScreen, Renders) {
    Save(rig.window.get(), "console_settings.png");
    EXPECT_EQ(rig.Find<QStackedWidget>("PageConfig")->currentIndex(), 0);
}

// ----- leaving the settings

class LeavingSettings : public SettingsScreen {
protected:
    void Leave() {
        rig.ClearTraces();
        rig.unit->ClearLog();
        rig.Click("CONFIG_EXIT");
    }
    bool Left() {
        return QTest::qWaitFor([this] { return !rig.dispatched.empty(); }, 2000);
    }
};

TEST_F(LeavingSettings, SendsTheGainsThenAfterThePauseAppliesStartsAfreshAndSaves) {
    // The password panel leaves the mode buttons disabled.
    for (const char* name : {"MODE_INSTAL", "MODE_WORK", "MODE_RESULT"})
        rig.Find<TMegaButton>(name)->SetEnable(false);
    rig.window->Work()->Channel(1).name = "Fx";
    TypeInto(*list, RowOf(*list, kPeriod), "250");
    list->setFocus();
    // The settings are not left by the way to the help screen.
    EXPECT_FALSE(rig.Find<TMegaButton>("MENU_HELP")->Enabled);
    Leave();
    // 1-2: the gains, and nothing else until the unit had its pause.
    EXPECT_EQ(rig.unit->calls, (std::vector<testsupport::FakeUnit::Call>{{"SetValue", {0, 4}}}));
    EXPECT_TRUE(rig.dispatched.empty());
    EXPECT_EQ(IniInt(rig, "7", kPeriod), -1);
    ASSERT_TRUE(Left());
    // 3-7
    EXPECT_EQ(rig.window->findChild<QTimer*>("Timer1")->interval(), 250);
    QWidget* focused = QApplication::focusWidget();
    EXPECT_FALSE(focused != nullptr && rig.Find<QWidget>("TabSheet2")->isAncestorOf(focused));
    EXPECT_EQ(rig.Find<TMegaButton>("ZeroingF")->Caption, "Fx");
    ASSERT_GE(rig.dispatched.size(), 5u);
    EXPECT_EQ(std::vector<int>(rig.dispatched.begin(), rig.dispatched.begin() + 5),
              (std::vector<int>{32, 21, 5, 7, 241}));
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 0);
    EXPECT_TRUE(rig.Find<TMegaButton>("MODE_INSTAL")->Enabled);
    EXPECT_TRUE(rig.Find<TMegaButton>("MENU_HELP")->Enabled);
    EXPECT_EQ(IniInt(rig, "7", kPeriod), 250);
    TConfigINI ini(rig.folder.path());
    ini.FileName = "Config";
    EXPECT_EQ(ini.ReadS("11", "Название канала 11", "?"), "K11");
    EXPECT_EQ(rig.fileErrors.messages.size(), 0u);
}

TEST_F(LeavingSettings, AnEditStillOpenIsStoredBeforeTheUnitAndTheFileGetIt) {
    TypeInto(*list, RowOf(*list, kPeriod), "400", false);
    EXPECT_EQ(config->iCHANCOUNT, 10);
    Leave();
    EXPECT_EQ(config->iCHANCOUNT, 400);
    ASSERT_TRUE(Left());
    EXPECT_EQ(IniInt(rig, "7", kPeriod), 400);
}

// A channel switched on in the settings shows as they are left, and one
// switched off goes, without a restart.
TEST_F(LeavingSettings, AChannelSwitchedOnOrOffShowsOrGoesAtOnce) {
    constexpr const char* kUse = "Использовать канал(0-откл)";
    config->AddParamRef(kUse, "iFILTER2", &rig.window->Work()->Channel(2).inUse, 12, "", "1", "0",
                        1, 1);
    const auto shown = [&] {
        return !rig.Find<QWidget>("Datch1")->isHidden() &&
               !rig.Find<QWidget>("DatchikUstav2")->isHidden() &&
               !rig.Find<QWidget>("ZeroingL")->isHidden();
    };
    const auto enabled = [&] {
        for (const char* name : {"ZeroingL", "DIRECT_L", "BUTXL", "BUTYL", "BUTXL2", "BUTYL2"}) {
            if (!rig.Find<TMegaButton>(name)->Enabled) return false;
        }
        return true;
    };
    for (const bool on : {false, true, false}) {
        OpenSettings(rig);
        ChooseNode(rig, "Перемещение");
        TypeInto(*list, RowOf(*list, kUse), on ? "1" : "0");
        ASSERT_EQ(rig.window->Work()->Channel(2).inUse, on ? 1 : 0);
        Leave();
        ASSERT_TRUE(Left());
        EXPECT_EQ(shown(), on);
        EXPECT_EQ(enabled(), on);
    }
}

TEST(SettingsFile, ASettingsFileThatCannotBeWrittenIsReported) {
    ConsoleRig rig;
    // A folder where the file belongs: nothing can be written there.
    std::filesystem::create_directory(rig.folder.path() + "/Config.INI");
    rig.Start();
    rig.StopPolling();
    OpenSettings(rig);
    rig.fileErrors.messages.clear();
    rig.Click("CONFIG_EXIT");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.fileErrors.messages.empty(); }, 2000));
    EXPECT_EQ(rig.fileErrors.messages.back().text,
              "Настройки не сохранены: файл 'Config.INI' не может быть записан");
}

TEST(SettingsKeyboard, EnteringTheListOrACalibrationFieldBringsUpTheKeyboard) {
    ConsoleRig rig;
    rig.Setting("7", "Использовать Вирт. клавиатуру", 1);
    rig.Start();
    rig.StopPolling();
    OpenSettings(rig);
    rig.window->Work()->Channel(1).tablePoints = 1;
    for (const char* target : {"CUSTOM_LIST", "PI1"}) {
        if (std::string(target) == "PI1") ChooseNode(rig, "Калибровка");
        rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->ShowKeyboard(0);
        ASSERT_FALSE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
        rig.Find<QWidget>(target)->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible()) << target;
    }
    rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->ShowKeyboard(0);
    rig.Click("CONFIG_KEYBOARD");
    EXPECT_TRUE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
}

TEST(SettingsRestart, DisplayPeriodChangedTo500SurvivesARestart) {
    ConsoleRig rig;
    rig.Start();
    rig.StopPolling();
    OpenSettings(rig);
    auto* list = rig.Find<console::ParamList>("CUSTOM_LIST");
    TypeInto(*list, RowOf(*list, kPeriod), "500");
    rig.Click("CONFIG_EXIT");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return rig.window->findChild<QTimer*>("Timer1")->interval() == 500; }, 2000));

    rig.Start();
    EXPECT_EQ(rig.window->Work()->Config().iCHANCOUNT, 500);
    EXPECT_EQ(rig.window->findChild<QTimer*>("Timer1")->interval(), 500);
    list = rig.Find<console::ParamList>("CUSTOM_LIST");
    EXPECT_EQ(list->ValueAt(RowOf(*list, kPeriod)), "500");
}

}  // namespace

// The entry panels of the real window against a fake unit: the numeric
// entry, the password, the data zoom and the on-screen keyboard as the
// window offers it; and where the window places them.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "console/numeric_entry_panel.h"
#include "console/panel_entry.h"
#include "console/paramlist.h"
#include "console/zoom_panel.h"
#include "console_rig.h"
#include "controls/megadatchik.h"
#include "controls/symbolfont.h"
#include "controls/tfkeyboard.h"
#include "support/test_output.h"

namespace {

using console::Point;
using console::Size;
using testsupport::ConsoleRig;
using Args = std::vector<double>;

// ----- places

TEST(EntryRules, PlacesOfTheNumericEntryAndOfTheKeyboardUnderTheZoomPanel) {
    struct SpeedCase {
        Point bar;
        Size barSize, panel, window;
        Point expected;
    };
    const SpeedCase speed[] = {
        {{4, 560}, {900, 130}, {500, 140}, {1390, 755}, {204, 530}},
        // Kept inside the window.
        {{-100, 10}, {300, 130}, {500, 140}, {1390, 755}, {0, 0}},
        {{1200, 700}, {900, 130}, {500, 140}, {1390, 755}, {890, 615}},
    };
    for (const SpeedCase& c : speed) {
        EXPECT_EQ(console::entry::SpeedEntryOrigin(c.bar, c.barSize, c.panel, c.window), c.expected)
            << c.bar.x << "," << c.bar.y;
    }

    struct KeyboardCase {
        Point window;
        int windowWidth, panelTop;
        Point screen;
        Size screenSize;
        Point expected;
    };
    const Size keyboard{910, 242};
    const KeyboardCase zoom[] = {
        // As the panel says: centred on the window, 335 below the panel's top.
        {{100, 50}, 1391, 200, {0, 0}, {1920, 1080}, {100 + 695 - 455, 585}},
        {{0, 0}, 1390, 212, {0, 0}, {0, 0}, {240, 547}},
        // Lifted onto a screen that is too short, no more than needed.
        {{0, 0}, 1024, 219, {0, 0}, {1024, 768}, {57, 526}},
        // Pushed back onto a screen it would leave sideways.
        {{-300, 0}, 1024, 100, {0, 0}, {1280, 1024}, {0, 435}},
    };
    for (const KeyboardCase& c : zoom) {
        EXPECT_EQ(console::entry::ZoomKeyboardOrigin(c.window, c.windowWidth, c.panelTop, keyboard,
                                                     c.screen, c.screenSize),
                  c.expected)
            << c.window.x << "," << c.panelTop;
    }
}

// ----- the window

QColor Base(const QWidget* w) {
    return w->palette().color(QPalette::Base);
}

void Save(QWidget* w, const char* name) {
    w->grab().save(QString::fromStdString((testsupport::TestOutputFolder() / name).string()));
}

// keyboardMode: the configuration's "Использовать Вирт. клавиатуру";
// password: its "Пароль", none when not given.
void StartRig(ConsoleRig& rig, int keyboardMode, std::optional<int> password = std::nullopt) {
    rig.Setting("7", "Использовать Вирт. клавиатуру", keyboardMode);
    if (password) rig.Setting("7", "Пароль", *password);
    rig.Start();
    if (!rig.Find<QWidget>("Messager")->isHidden()) rig.Click("Butt_OK");
    rig.StopPolling();
}

// Shows the set-up screen with the method choice (set-up mode shows the work screen).
void ShowSetupScreen(ConsoleRig& rig) {
    rig.window->Command(241);
    rig.Find<QStackedWidget>("BaseTab")->setCurrentIndex(1);
}

class EntryPanels : public ::testing::Test {
protected:
    void Start(int keyboardMode = 1) {
        StartRig(rig, keyboardMode);
        keyboard = rig.window->findChild<TFKeyBoard*>("TFKeyBoard");
        ASSERT_NE(keyboard, nullptr);
    }

    // A press on one row of a readout, as a finger gives it.
    void PressRow(const char* readout, int row) {
        auto* area = rig.Find<TMegaDatchik>(readout)->findChild<QWidget*>(
            QStringLiteral("click%1").arg(row));
        ASSERT_NE(area, nullptr) << readout << row;
        QTest::mouseClick(area, Qt::LeftButton, {}, area->rect().center());
    }

    // A key of the on-screen keyboard.
    void Key(const char* name) {
        auto* b = keyboard->findChild<TMegaButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }

    std::vector<Args> SetValues() const {
        std::vector<Args> out;
        for (const auto& c : rig.unit->calls) {
            if (c.name == "SetValue") out.push_back(c.args);
        }
        return out;
    }

    C_Kanal& Channel(int i) { return rig.window->Work()->Channel(i); }

    ConsoleRig rig;
    TFKeyBoard* keyboard = nullptr;
};

TEST_F(EntryPanels, ProtectionTypedOnTheKeyboardReachesTheUnit) {
    Start();
    Channel(1).fullScale = 500.0;
    Channel(1).protection = 100.0;
    rig.Click("INDICMODE2");
    rig.unit->ClearLog();

    PressRow("DatchikUstav1", 1);
    auto* panel = rig.Find<QWidget>("SPEED_ENTER");
    auto* edit = rig.Find<QLineEdit>("SPEED_EDIT");
    ASSERT_FALSE(panel->isHidden());
    EXPECT_EQ(rig.Find<console::NumericEntryPanel>("SPEED_ENTER")->EntryTarget(), 2);
    EXPECT_EQ(edit->text().toStdString(), "100,00");
    auto* bar = rig.Find<QWidget>("CONTROLPANEL");
    EXPECT_EQ(panel->y(), bar->mapTo(rig.window.get(), QPoint(0, 0)).y() - 30);
    EXPECT_TRUE(keyboard->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit);
    Save(rig.window.get(), "entry_numeric_window.png");
    Save(keyboard, "entry_keyboard.png");

    for (const char* k : {"K_49", "K_53", "K_48"})
        Key(k);
    EXPECT_EQ(edit->text().toStdString(), "150");
    EXPECT_EQ(QApplication::focusWidget(), edit);
    rig.Click("SPEED_OK");
    EXPECT_EQ(Channel(1).protection, 150.0);
    EXPECT_EQ(SetValues(), (std::vector<Args>{{0, 16}}));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(keyboard->isVisible());
}

TEST_F(EntryPanels, RefusedValuesStayOnThePanelAndSendNothing) {
    Start();
    Channel(1).fullScale = 500.0;
    Channel(1).protection = 100.0;
    rig.Click("INDICMODE2");
    const std::pair<const char*, const char*> cases[] = {
        {"abc", "ВВЕДИТЕ ЧИСЛО"},
        {"500,5", "ДОПУСТИМО ОТ 0 ДО 500"},
        {"-5", "ДОПУСТИМО ОТ 0 ДО 500"},
        {"150 кН", "ВВЕДИТЕ ЧИСЛО"},
    };
    auto* panel = rig.Find<QWidget>("SPEED_ENTER");
    auto* edit = rig.Find<QLineEdit>("SPEED_EDIT");
    for (const auto& [typed, refusal] : cases) {
        rig.unit->ClearLog();
        PressRow("DatchikUstav1", 1);
        EXPECT_EQ(Base(edit), QColor(Qt::white));
        edit->setText(QString::fromUtf8(typed));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_FALSE(panel->isHidden()) << typed;
        EXPECT_EQ(rig.Find<QLabel>("SPEED_HINT")->text().toStdString(), refusal);
        EXPECT_NE(Base(edit), QColor(Qt::white)) << typed;
        EXPECT_EQ(Channel(1).protection, 100.0) << typed;
        EXPECT_TRUE(SetValues().empty()) << typed;
        EXPECT_TRUE(keyboard->isVisible());
    }
    Save(panel, "entry_numeric_refused.png");
    rig.Click("SPEED_CANCEL");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(keyboard->isVisible());
    EXPECT_TRUE(SetValues().empty());
}

// A value the unit cannot take now stays off the channel, and the panel
// says why instead of closing: no unit, a unit that stopped answering.
TEST(EntryUnit, WithoutAUnitOrAnAnswerThePanelSaysSoAndKeepsTheValue) {
    for (const testsupport::UnitUnavailable& c : testsupport::kUnitUnavailable) {
        ConsoleRig rig(c.connects);
        StartRig(rig, 1);
        rig.unit->answering = c.answers;
        C_Kanal& k = rig.window->Work()->Channel(1);
        k.fullScale = 500.0;
        k.setPoint = 20.0;
        k.protection = 100.0;
        rig.Click("INDICMODE2");
        for (int row : {0, 1}) {
            rig.unit->ClearLog();
            auto* area = rig.Find<TMegaDatchik>("DatchikUstav1")
                             ->findChild<QWidget*>(QStringLiteral("click%1").arg(row));
            QTest::mouseClick(area, Qt::LeftButton, {}, area->rect().center());
            rig.Find<QLineEdit>("SPEED_EDIT")->setText("42");
            rig.Click("SPEED_OK");
            EXPECT_FALSE(rig.Find<QWidget>("SPEED_ENTER")->isHidden()) << c.says << row;
            EXPECT_EQ(rig.Find<QLabel>("SPEED_HINT")->text().toStdString(), c.says);
            EXPECT_EQ(rig.unit->Count("SetValue"), 0) << c.says << row;
            rig.Click("SPEED_CANCEL");
        }
        EXPECT_EQ(k.setPoint, 20.0) << c.says;
        EXPECT_EQ(k.protection, 100.0) << c.says;
    }
}

// The entry writes the channel of the readout it was opened from only while
// that readout shows: a zone change that hides it leaves its channel alone.
TEST(EntryUnit, AReadoutHiddenSinceTheEntryOpenedWritesNothing) {
    ConsoleRig rig;
    StartRig(rig, 1);
    C_Work& w = *rig.window->Work();
    w.Channel(5).fullScale = 300.0;
    rig.Click("INDICMODE2");
    rig.window->Command(67);
    auto* area = rig.Find<TMegaDatchik>("MegaDatchik2")->findChild<QWidget*>("click0");
    QTest::mouseClick(area, Qt::LeftButton, {}, area->rect().center());
    ASSERT_EQ(rig.Find<console::NumericEntryPanel>("SPEED_ENTER")->EntryTarget(), 10);
    rig.window->Command(68);
    ASSERT_FALSE(rig.Find<QWidget>("MegaDatchik2")->isVisible());
    rig.unit->ClearLog();
    rig.Find<QLineEdit>("SPEED_EDIT")->setText("25");
    rig.Click("SPEED_OK");
    EXPECT_EQ(w.Channel(5).setPoint, 0.0);
    EXPECT_EQ(rig.unit->Count("SetValue"), 0);
    EXPECT_FALSE(rig.Find<QLabel>("SPEED_HINT")->text().isEmpty());
}

TEST_F(EntryPanels, EachTargetWritesItsFieldAndSendsItsCode) {
    Start();
    for (int c : {1, 2, 3, 4, 5})
        Channel(c).fullScale = 1000.0;
    rig.Click("INDICMODE2");
    struct Case {
        int zone;  // 68 tension, 67 compression
        const char* readout;
        int row;
        double* field;
        std::vector<Args> sent;
    };
    const Case cases[] = {
        {68, "DatchikUstav1", 0, &Channel(1).setPoint, {{0, 15}}},
        {68, "DatchikUstav2", 1, &Channel(2).protection, {{1, 16}}},
        {68, "DatchikUstav3", 0, &Channel(3).setPoint, {{2, 15}}},
        {67, "MegaDatchik1", 1, &Channel(4).auxProtection, {{3, 16}}},
        {67, "MegaDatchik2", 0, &Channel(5).setPoint, {{4, 15}}},
    };
    // The extensometer's readout shows with the extensometer switched on.
    rig.Find<TMegaButton>("TENZ_ON")->Down = true;
    rig.window->Timer1Timer();
    for (const Case& c : cases) {
        rig.window->Command(c.zone);
        rig.unit->ClearLog();
        PressRow(c.readout, c.row);
        rig.Find<QLineEdit>("SPEED_EDIT")->setText("42,5");
        rig.Click("SPEED_OK");
        EXPECT_EQ(*c.field, 42.5) << c.readout << c.row;
        EXPECT_EQ(SetValues(), c.sent) << c.readout << c.row;
    }

    // The break percentage is one for both force channels; nothing is sent.
    rig.window->Command(68);
    rig.unit->ClearLog();
    PressRow("DatchikUstav1", 2);
    rig.Find<QLineEdit>("SPEED_EDIT")->setText("35");
    rig.Click("SPEED_OK");
    EXPECT_EQ(Channel(1).breakPercent, 35.0);
    EXPECT_EQ(Channel(4).breakPercent, 35.0);
    EXPECT_TRUE(SetValues().empty());

    // The speed opens with the readout's number and goes to the active channel.
    rig.window->Command(5);
    rig.window->Timer1Timer();
    QWidget* speed = rig.Find<QLabel>("Ind_SPEED");
    QTest::mouseClick(speed, Qt::LeftButton, {}, speed->rect().center());
    EXPECT_EQ(rig.Find<console::NumericEntryPanel>("SPEED_ENTER")->EntryTarget(), 0);
    const std::string shown = rig.Find<QLineEdit>("SPEED_EDIT")->text().toStdString();
    EXPECT_EQ(shown + " мм/мин", rig.Find<QLabel>("Ind_SPEED")->text().toStdString());
    rig.unit->ClearLog();
    rig.Find<QLineEdit>("SPEED_EDIT")->setText("12");
    rig.Click("SPEED_OK");
    EXPECT_EQ(Channel(2).speed, 12.0);
    EXPECT_EQ(rig.unit->Count("SetSpeed"), 1);
}

TEST(EntryPassword, WrongStaysPinkRightOneOpensTheSettings) {
    struct Case {
        std::optional<int> configured;  // nothing: no password in the file
        std::vector<std::string> wrong;
        std::string right;
    };
    const Case cases[] = {{470391, {"1234", ""}, "470391"}, {std::nullopt, {"1"}, ""}};
    for (const Case& c : cases) {
        ConsoleRig local;
        StartRig(local, 1, c.configured);
        TFBase& w = *local.window;

        local.Click("MENU_CUSTOM");
        auto* panel = local.Find<QWidget>("PAROLMES");
        auto* edit = local.Find<QLineEdit>("ParolEdit");
        ASSERT_FALSE(panel->isHidden());
        EXPECT_EQ(panel->x(), (w.width() - panel->width()) / 2);
        EXPECT_EQ(panel->y(), (w.height() - panel->height()) / 2);
        EXPECT_EQ(QApplication::focusWidget(), edit);
        EXPECT_TRUE(w.findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
        for (const std::string& typed : c.wrong) {
            local.ClearTraces();
            edit->setText(QString::fromStdString(typed));
            local.Click("PASSWORD_OK");
            EXPECT_FALSE(panel->isHidden()) << typed;
            EXPECT_EQ(Base(edit), QColor(255, 192, 203)) << typed;
            EXPECT_TRUE(local.dispatched.empty()) << typed;
            EXPECT_EQ(local.Find<QStackedWidget>("BaseTab")->currentIndex(), 0);
        }
        edit->clear();
        QTest::keyClicks(edit, QString::fromStdString(c.right));
        EXPECT_EQ(edit->displayText(), QString(static_cast<int>(c.right.size()), '*'));
        local.ClearTraces();
        local.unit->ClearLog();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(local.dispatched, (std::vector<int>{18}));
        EXPECT_EQ(local.unit->Count("PumpOff"), 1);
        EXPECT_EQ(Base(edit), QColor(120, 230, 120));
        for (const char* mode : {"MODE_INSTAL", "MODE_WORK", "MODE_RESULT"})
            EXPECT_FALSE(local.Find<TMegaButton>(mode)->Enabled) << mode;
        EXPECT_EQ(local.Find<QStackedWidget>("BaseTab")->currentIndex(), 2);
        EXPECT_TRUE(panel->isHidden());
        EXPECT_FALSE(w.findChild<TFKeyBoard*>("TFKeyBoard")->isVisible());
        EXPECT_NE(QApplication::focusWidget(), edit);
    }
}

TEST_F(EntryPanels, PasswordCancelClosesPanelAndKeyboard) {
    Start();
    rig.Click("MENU_CUSTOM");
    rig.Find<QLineEdit>("ParolEdit")->setText("12");
    rig.Click("PASSWORD_OK");
    Save(rig.Find<QWidget>("PAROLMES"), "entry_password_refused.png");
    // The refused field is pink where no text is drawn.
    const QImage field = rig.Find<QLineEdit>("ParolEdit")->grab().toImage();
    EXPECT_EQ(QColor(field.pixel(field.width() - 8, field.height() / 2)), QColor(255, 192, 203));
    rig.Click("PASSWORD_CANCEL");
    EXPECT_TRUE(rig.Find<QWidget>("PAROLMES")->isHidden());
    EXPECT_FALSE(keyboard->isVisible());
    EXPECT_TRUE(rig.Find<QLineEdit>("ParolEdit")->text().isEmpty());
    rig.Click("MENU_CUSTOM");
    EXPECT_EQ(Base(rig.Find<QLineEdit>("ParolEdit")), QColor(Qt::white));
}

class ZoomPanel : public EntryPanels {
protected:
    void SetUp() override {
        Start();
        rig.window->Command(243);
        auto* methods = rig.Find<QListWidget>("Mirandex");
        const auto found = methods->findItems(QString::fromUtf8("ГОСТ 1497"), Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty());
        methods->setCurrentItem(found.first());
        method = rig.window->Work()->Methods().Current();
    }

    int RowOf(const console::ParamList& list, const char* name) const {
        const std::string caption = method->GetCaption(name);
        for (int r = 0; r < list.rowCount(); ++r) {
            if (list.item(r, 0)->text() == draw::SymbolText(caption)) return r;
        }
        return -1;
    }

    C_Parametr* method = nullptr;
};

TEST_F(ZoomPanel, CopiesTheListEditsGoStraightToTheMethodAndXClosesIt) {
    rig.Click("PANEL_STARTDATA");
    auto* panel = rig.Find<QWidget>("ZOOMPANEL");
    auto* copy = rig.Find<console::ParamList>("SELECT_DATA");
    auto* list = rig.Find<console::ParamList>("ListStart");
    ASSERT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->x(), (rig.window->width() - panel->width()) / 2);
    EXPECT_TRUE(rig.Find<console::ZoomPanel>("ZOOMPANEL")->ZoomFlag());
    ASSERT_EQ(copy->rowCount(), list->rowCount());
    for (int r = 0; r < list->rowCount(); ++r) {
        EXPECT_EQ(copy->item(r, 0)->text(), list->item(r, 0)->text());
        EXPECT_EQ(copy->ValueAt(r), list->ValueAt(r));
    }
    EXPECT_TRUE(copy->hasFocus());
    // Mode 3: narrow, without its close and drag buttons, under the panel.
    ASSERT_TRUE(keyboard->isVisible());
    EXPECT_EQ(keyboard->width(), TFKeyBoard::kNarrowWidth);
    EXPECT_TRUE(keyboard->findChild<TMegaButton*>("MegaButton6")->isHidden());
    const QPoint origin = rig.window->mapToGlobal(QPoint(0, 0));
    const QRect screen = rig.window->screen()->availableGeometry();
    const Point at = console::entry::ZoomKeyboardOrigin(
        {origin.x(), origin.y()}, rig.window->width(), panel->y(),
        {keyboard->width(), keyboard->height()}, {screen.x(), screen.y()},
        {screen.width(), screen.height()});
    EXPECT_EQ(keyboard->pos(), QPoint(at.x, at.y));
    Save(panel, "entry_zoom.png");

    const int row = RowOf(*copy, "fD0");
    ASSERT_GE(row, 0);
    copy->item(row, 1)->setText("12,5");
    EXPECT_DOUBLE_EQ(method->GetFloat("fD0"), 12.5);
    // What the method keeps is what the copy shows.
    copy->item(row, 1)->setText("-7");
    EXPECT_EQ(copy->ValueAt(row), method->GetValueText("fD0"));

    rig.Click("ZoomClose");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(keyboard->isVisible());
    EXPECT_FALSE(rig.Find<console::ZoomPanel>("ZOOMPANEL")->ZoomFlag());
    EXPECT_EQ(list->ValueAt(RowOf(*list, "fD0")), method->GetValueText("fD0"));
}

TEST_F(ZoomPanel, ResultModeClosesIt) {
    rig.Click("PANEL_DATA");
    ASSERT_FALSE(rig.Find<QWidget>("ZOOMPANEL")->isHidden());
    rig.window->Command(243);
    EXPECT_TRUE(rig.Find<QWidget>("ZOOMPANEL")->isHidden());
    EXPECT_FALSE(rig.Find<console::ZoomPanel>("ZOOMPANEL")->ZoomFlag());
    EXPECT_FALSE(keyboard->isVisible());
}

TEST_F(ZoomPanel, KeyboardTypesIntoTheFocusedCellAndNeverTakesTheFocus) {
    rig.Click("PANEL_DATA");
    auto* copy = rig.Find<console::ParamList>("SELECT_DATA");
    ASSERT_GT(copy->rowCount(), 0);
    copy->setCurrentCell(0, 1);
    Key("ENGRUS");
    Key("K_081");
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(copy->isAncestorOf(editor));
    EXPECT_EQ(editor->text(), QStringLiteral("й"));
    Key("ENGRUS");
    Key("C_S");
    Key("K_065");
    Key("K_065");
    EXPECT_EQ(editor->text(), QStringLiteral("йAa"));
    EXPECT_EQ(QApplication::focusWidget(), editor);
    EXPECT_NE(QApplication::activeWindow(), keyboard);

    // Asked for again in the configured mode it stays as the zoom panel showed it.
    rig.Click("MegaButton28");
    EXPECT_EQ(keyboard->width(), TFKeyBoard::kNarrowWidth);
    EXPECT_TRUE(keyboard->findChild<TMegaButton*>("MegaButton6")->isHidden());
}

// The row a list edits, in global coordinates.
QRect RowOnScreen(const QTableWidget& list, int row) {
    const QRect cell = list.visualRect(list.model()->index(row, 0));
    return {list.viewport()->mapToGlobal(QPoint(0, cell.y())),
            QSize(list.viewport()->width(), cell.height())};
}

// The last row shown whole.
int LastShownRow(const QTableWidget& list) {
    int last = 0;
    while (last + 1 < list.rowCount() &&
           list.visualRect(list.model()->index(last + 1, 0)).bottom() < list.viewport()->height())
        ++last;
    return last;
}

// The window with the keyboard window drawn where it lies, to look at.
void SaveWithKeyboard(QWidget* window, TFKeyBoard* keyboard, const char* name) {
    QImage shot = window->grab().toImage();
    QPainter p(&shot);
    p.drawPixmap(keyboard->pos() - window->mapToGlobal(QPoint(0, 0)), keyboard->grab());
    p.end();
    shot.save(QString::fromStdString((testsupport::TestOutputFolder() / name).string()));
}

TEST_F(ZoomPanel, TheKeyboardNeverCoversTheEditedRowAtTheSmallestWindow) {
    rig.window->resize(1032, 755);
    QApplication::processEvents();
    auto expectClear = [this](const QRect& edited, const char* what) {
        ASSERT_TRUE(keyboard->isVisible()) << what;
        EXPECT_FALSE(keyboard->geometry().intersects(edited))
            << what << ": keyboard " << keyboard->y() << ".." << keyboard->geometry().bottom()
            << ", row " << edited.y() << ".." << edited.bottom();
    };

    // The zoom panel's list, from its last row shown up to its first.
    rig.Click("PANEL_STARTDATA");
    auto* copy = rig.Find<console::ParamList>("SELECT_DATA");
    ASSERT_GT(copy->rowCount(), 1);
    for (int row = LastShownRow(*copy); row >= 0; --row) {
        copy->setCurrentCell(row, 1);
        expectClear(RowOnScreen(*copy, row), "zoom panel");
    }
    SaveWithKeyboard(rig.window.get(), keyboard, "keyboard_zoom_first_row.png");
    rig.Click("ZoomClose");

    // The numeric entry opens just above the control bar, at the bottom.
    QWidget* speed = rig.Find<QLabel>("Ind_SPEED");
    QTest::mouseClick(speed, Qt::LeftButton, {}, speed->rect().center());
    auto* edit = rig.Find<QLineEdit>("SPEED_EDIT");
    ASSERT_TRUE(edit->isVisible());
    expectClear(QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()), "numeric entry");
    SaveWithKeyboard(rig.window.get(), keyboard, "keyboard_numeric_entry.png");
    rig.Click("SPEED_CANCEL");

    // The screen's own lists, each row tapped from the bottom up.
    for (const char* name : {"ListPodgotov", "ListStart", "ListFinish"}) {
        auto* list = rig.Find<console::ParamList>(name);
        if (!list->isVisible()) continue;
        // Reached by a tap, not holding the focus from before.
        list->clearFocus();
        for (int row = LastShownRow(*list); row >= 0; --row) {
            const QRect at = list->visualRect(list->model()->index(row, 1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
            ASSERT_EQ(list->currentRow(), row) << name;
            expectClear(RowOnScreen(*list, row), name);
        }
    }
}

TEST(EntryKeyboard, ButtonsAndListsShowItInTheConfiguredMode) {
    struct Case {
        int setting;
        bool shown;
        int width;
        bool closeButton;
    };
    const Case cases[] = {
        {0, false, 0, false},
        {1, true, TFKeyBoard::kWidth, true},
        {2, true, TFKeyBoard::kWidth, false},
        // Only the low byte is the mode.
        {0x103, true, TFKeyBoard::kNarrowWidth, false},
        {0x100, false, 0, false},
    };
    for (const Case& c : cases) {
        ConsoleRig rig;
        StartRig(rig, c.setting);
        TFKeyBoard* keyboard = rig.window->findChild<TFKeyBoard*>("TFKeyBoard");
        for (const std::string button : {"MENU5", "MegaButton28", "MegaButton7"}) {
            keyboard->hide();
            rig.window->Command(241);
            if (button != "MENU5") ShowSetupScreen(rig);
            rig.Click(button.c_str());
            EXPECT_EQ(keyboard->isVisible(), c.shown) << c.setting << button;
            if (!c.shown) continue;
            EXPECT_EQ(keyboard->width(), c.width) << c.setting << button;
            EXPECT_EQ(!keyboard->findChild<TMegaButton*>("MegaButton6")->isHidden(), c.closeButton);
        }
        // A touch on an input list brings it up too.
        keyboard->hide();
        ShowSetupScreen(rig);
        auto* list = rig.Find<console::ParamList>("ListPodgotov");
        rig.Find<QWidget>("Mirandex")->setFocus();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(keyboard->isVisible(), c.shown) << c.setting << " list";
        // The close question puts it away.
        rig.window->FormCloseClick();
        EXPECT_FALSE(keyboard->isVisible());
        rig.Click("Butt_NO");
    }
}

// Switched off, by the setting or by a file without it, a КЛАВИАТУРА button
// says so and where the settings switch it on; a field taking the focus
// stays quiet.
TEST(EntryKeyboard, ButtonsSayWhereToSwitchItOnWhenItIsOff) {
    const std::string message =
        "ЭКРАННАЯ КЛАВИАТУРА ВЫКЛЮЧЕНА В НАСТРОЙКАХ. ВКЛЮЧИТЬ: НАСТРОЙКИ, «Общие настройки», "
        "«Использовать Вирт. клавиатуру» = 1";
    for (const bool keyInFile : {true, false}) {
        ConsoleRig rig;
        if (keyInFile) {
            StartRig(rig, 0);
        } else {
            rig.Start();
            if (!rig.Find<QWidget>("Messager")->isHidden()) rig.Click("Butt_OK");
            rig.StopPolling();
        }
        ASSERT_EQ(rig.window->Work()->Config().iVK, 0);
        for (const std::string button :
             {"MENU5", "MegaButton28", "MegaButton7", "CONFIG_KEYBOARD"}) {
            rig.window->Command(241);
            if (button == "MegaButton28" || button == "MegaButton7") ShowSetupScreen(rig);
            if (button == "CONFIG_KEYBOARD")
                rig.Find<QStackedWidget>("BaseTab")->setCurrentIndex(2);
            QApplication::processEvents();
            rig.Click(button.c_str());
            EXPECT_FALSE(rig.window->findChild<TFKeyBoard*>("TFKeyBoard")->isVisible()) << button;
            EXPECT_EQ(rig.window->MessageText(), message) << keyInFile << button;
            rig.Click("Butt_OK");
            EXPECT_EQ(rig.window->MessageText(), "") << button;
        }
        ShowSetupScreen(rig);
        rig.Find<QWidget>("Mirandex")->setFocus();
        rig.Find<QWidget>("ListPodgotov")->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(rig.window->MessageText(), "");
    }
}

}  // namespace

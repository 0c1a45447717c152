#include "controls/tfkeyboard.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controls/keylayout.h"
#include "controls/megabutton.h"
#include "support/test_output.h"

namespace {

using keys::Layout;

QString Row(const std::vector<int>& codes, Layout layout, bool shift) {
    QString text;
    for (int vk : codes)
        text += keys::CharacterStroke(vk, layout, shift, false)->text;
    return text;
}

TEST(KeyLayout, RowsOfBothLayouts) {
    struct Case {
        std::vector<int> codes;
        const char* en;
        const char* enShift;
        const char* ru;
        const char* ruShift;
    };
    const std::vector<Case> cases = {
        {{192, 49, 50, 51, 52, 53, 54, 55, 56, 57, 48, 189, 187},
         "`1234567890-=",
         "~!@#$%^&*()_+",
         "ё1234567890-=",
         "Ё!\"№;%:?*()_+"},
        {{81, 87, 69, 82, 84, 89, 85, 73, 79, 80, 219, 221, 220},
         "qwertyuiop[]\\",
         "QWERTYUIOP{}|",
         "йцукенгшщзхъ\\",
         "ЙЦУКЕНГШЩЗХЪ/"},
        {{65, 83, 68, 70, 71, 72, 74, 75, 76, 186, 222},
         "asdfghjkl;'",
         "ASDFGHJKL:\"",
         "фывапролджэ",
         "ФЫВАПРОЛДЖЭ"},
        {{90, 88, 67, 86, 66, 78, 77, 188, 190, 191},
         "zxcvbnm,./",
         "ZXCVBNM<>?",
         "ячсмитьбю.",
         "ЯЧСМИТЬБЮ,"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Row(c.codes, Layout::English, false), QString::fromUtf8(c.en));
        EXPECT_EQ(Row(c.codes, Layout::English, true), QString::fromUtf8(c.enShift));
        EXPECT_EQ(Row(c.codes, Layout::Russian, false), QString::fromUtf8(c.ru));
        EXPECT_EQ(Row(c.codes, Layout::Russian, true), QString::fromUtf8(c.ruShift));
    }
    // Those rows and the space bar are every character key.
    EXPECT_EQ(keys::CharacterKeys().size(), 13u + 13 + 11 + 10 + 1);
}

TEST(KeyLayout, CapsShiftAndQtKeys) {
    struct Case {
        int vk;
        Layout layout;
        bool shift, caps;
        const char* text;
        int key;
    };
    const std::vector<Case> cases = {
        {81, Layout::English, false, false, "q", Qt::Key_Q},
        {81, Layout::English, false, true, "Q", Qt::Key_Q},
        {81, Layout::English, true, true, "q", Qt::Key_Q},
        {81, Layout::Russian, false, false, "й", 0x0419},
        {81, Layout::Russian, false, true, "Й", 0x0419},
        {81, Layout::Russian, true, true, "й", 0x0419},
        // Caps reaches the Cyrillic letters on punctuation keys, not the
        // punctuation of the Latin layout, nor digits.
        {186, Layout::Russian, false, true, "Ж", 0x0416},
        {186, Layout::English, false, true, ";", Qt::Key_Semicolon},
        {190, Layout::Russian, false, false, "ю", 0x042E},
        {49, Layout::English, false, true, "1", Qt::Key_1},
        {49, Layout::English, true, false, "!", Qt::Key_Exclam},
        {51, Layout::Russian, true, false, "№", 0x2116},
        {55, Layout::English, true, false, "&", Qt::Key_Ampersand},
        {32, Layout::Russian, true, true, " ", Qt::Key_Space},
    };
    for (const Case& c : cases) {
        const auto stroke = keys::CharacterStroke(c.vk, c.layout, c.shift, c.caps);
        ASSERT_TRUE(stroke.has_value()) << c.vk;
        EXPECT_EQ(stroke->text, QString::fromUtf8(c.text)) << c.vk << " " << c.shift << c.caps;
        EXPECT_EQ(stroke->key, c.key) << c.vk;
    }
    for (int vk : {0, 8, 13, 47, 58, 64, 91, 185, 193, 223})
        EXPECT_FALSE(keys::CharacterStroke(vk, Layout::English, false, false).has_value()) << vk;
    EXPECT_EQ(keys::CharacterCaption(32, Layout::English, false, false), QString());
    EXPECT_EQ(keys::CharacterCaption(55, Layout::English, true, false), QStringLiteral("&"));
}

// A window with a line edit and a one-cell table, active, and the keyboard
// shown over it.
struct Station {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    QTableWidget* table = new QTableWidget(1, 1, &window);
    TFKeyBoard keyboard;

    Station() {
        window.setObjectName("main");
        edit->setObjectName("edit");
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(table);
        table->setItem(0, 0, new QTableWidgetItem);
        window.resize(1200, 700);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        keyboard.SetTarget(&window);
        keyboard.ShowKeyboard(1);
        // A platform that activates the keyboard anyway (offscreen does) gets
        // the activation handed back.
        QApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &window; }));
    }

    TMegaButton* Key(const QString& name) {
        auto* b = keyboard.findChild<TMegaButton*>(name);
        EXPECT_NE(b, nullptr) << name.toStdString();
        return b;
    }
    void Press(const char* name) {
        if (TMegaButton* b = Key(QString::fromLatin1(name))) QTest::mouseClick(b, Qt::LeftButton);
    }
    std::string Caption(const char* name) { return Key(QString::fromLatin1(name))->Caption; }
};

TEST(TFKeyBoardTyping, KeysReachTheFocusedEdit) {
    struct Case {
        const char* before;
        std::vector<const char*> keys;
        const char* after;
    };
    const std::vector<Case> cases = {
        {"", {"K_072", "K_073", "K_32", "K_49"}, "hi 1"},
        // Shift acts on one character key only.
        {"", {"C_S", "K_065", "K_065"}, "Aa"},
        {"", {"C_S", "K_49", "K_49"}, "!1"},
        // Caps is a toggle; Shift inverts it for one letter.
        {"", {"C_L", "K_065", "K_066", "C_S", "K_067", "C_L", "K_068"}, "ABcd"},
        {"", {"ENGRUS", "K_081", "C_S", "K_087", "K_069", "K_190"}, "йЦую"},
        {"", {"ENGRUS", "ENGRUS", "K_081"}, "q"},
        // Control keys of the edit: backspace, cursor, Home, End, Del.
        {"abc", {"C_B"}, "ab"},
        {"abc", {"C_F", "C_F", "C_D"}, "ac"},
        {"abc", {"C_H", "K_088", "C_N", "K_089"}, "xabcy"},
        {"abc", {"C_H", "C_R", "C_D"}, "ac"},
        // Shift stays held over control keys: two selecting steps, then a
        // capital that replaces the selection and lets Shift go.
        {"xyz", {"C_S", "C_F", "C_F", "K_065", "K_066"}, "xAb"},
        // Ctrl+A selects all; the next key types normally again.
        {"xyz", {"C_C", "K_065", "K_066"}, "b"},
        {"xyz", {"ENGRUS", "C_C", "K_065", "K_066"}, "и"},
    };
    for (const Case& c : cases) {
        Station s;
        s.edit->setText(QString::fromUtf8(c.before));
        for (const char* k : c.keys)
            s.Press(k);
        EXPECT_EQ(s.edit->text(), QString::fromUtf8(c.after)) << c.before << " -> " << c.after;
        EXPECT_EQ(QApplication::focusWidget(), s.edit) << c.after;
    }
}

TEST(TFKeyBoardTyping, RussianLetterIntoTheFocusedCellAndEnterCommits) {
    Station s;
    QTableWidgetItem* item = s.table->item(0, 0);
    s.table->setFocus();
    s.table->setCurrentItem(item);
    s.table->editItem(item);
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr; }));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(s.table->isAncestorOf(editor));

    s.Press("ENGRUS");
    EXPECT_EQ(s.Caption("ENGRUS"), "РУС");
    s.Press("K_081");
    ASSERT_EQ(QApplication::focusWidget(), editor);
    EXPECT_EQ(qobject_cast<QLineEdit*>(editor)->text(), QStringLiteral("й"));
    // The view commits the edit once its Enter is handled.
    s.Press("C_E");
    EXPECT_TRUE(QTest::qWaitFor([item] { return item->text() == QStringLiteral("й"); }));
}

TEST(TFKeyBoardFocus, NeverTakesTheFocus) {
    Station s;
    EXPECT_TRUE(s.keyboard.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(s.keyboard.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(s.keyboard.windowFlags().testFlag(Qt::FramelessWindowHint));
    for (auto* b : s.keyboard.findChildren<TMegaButton*>())
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->objectName().toStdString();

    for (const char* k : {"K_065", "C_S", "C_L", "ENGRUS", "C_C", "C_A", "C_U", "Move2"})
        s.Press(k);
    EXPECT_EQ(QApplication::focusWidget(), s.edit);
    EXPECT_EQ(QApplication::activeWindow(), &s.window);
    EXPECT_TRUE(s.keyboard.isVisible());
}

TEST(TFKeyBoardFocus, KeysGoToTheTargetWindowWhenAnotherIsActive) {
    Station s;
    QLineEdit other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    s.Press("K_065");
    EXPECT_EQ(s.edit->text(), QStringLiteral("a"));
    EXPECT_EQ(other.text(), QString());
}

TEST(TFKeyBoardCaptions, FollowShiftCapsAndLayout) {
    Station s;
    struct Expect {
        const char* key;
        const char* caption;
    };
    auto check = [&s](const char* state, std::initializer_list<Expect> expected) {
        for (const Expect& e : expected)
            EXPECT_EQ(s.Caption(e.key), e.caption) << state << " " << e.key;
    };
    check("start", {{"K_065", "a"}, {"K_49", "1"}, {"K_190", "."}, {"ENGRUS", "ENG"}});
    s.Press("C_S");
    check("shift", {{"K_065", "A"}, {"K_49", "!"}, {"K_190", ">"}, {"K_55", "&"}});
    s.Press("K_49");
    EXPECT_FALSE(s.Key("C_S")->Down);
    check("after a key", {{"K_065", "a"}, {"K_49", "1"}});
    s.Press("C_L");
    check("caps", {{"K_065", "A"}, {"K_49", "1"}});
    s.Press("C_L");
    // The layout switch lets Shift go.
    s.Press("C_S");
    s.Press("ENGRUS");
    EXPECT_FALSE(s.Key("C_S")->Down);
    check("russian", {{"K_081", "й"}, {"K_190", "ю"}, {"K_51", "3"}, {"ENGRUS", "РУС"}});
    s.Press("C_S");
    check("russian shift", {{"K_081", "Й"}, {"K_51", "№"}, {"K_191", ","}});
}

TEST(TFKeyBoardShow, ModesSizesAndButtons) {
    struct Case {
        int mode;
        int width;
        bool handles;  // the close and drag buttons
    };
    for (const Case& c :
         {Case{1, 992, true}, Case{2, 992, false}, Case{3, 910, false}, Case{255, 992, true}}) {
        TFKeyBoard keyboard;
        keyboard.ShowKeyboard(c.mode);
        EXPECT_TRUE(keyboard.isVisible()) << c.mode;
        EXPECT_EQ(keyboard.size(), QSize(c.width, 242)) << c.mode;
        EXPECT_EQ(keyboard.findChild<TMegaButton*>("MegaButton6")->isVisible(), c.handles);
        EXPECT_EQ(keyboard.findChild<TMegaButton*>("Move2")->isVisible(), c.handles);

        // Shown again in another mode: nothing changes.
        const int other = c.mode == 3 ? 1 : 3;
        keyboard.ShowKeyboard(other);
        EXPECT_EQ(keyboard.size(), QSize(c.width, 242)) << c.mode << " then " << other;
        EXPECT_EQ(keyboard.findChild<TMegaButton*>("Move2")->isVisible(), c.handles);

        // From hidden, the new mode takes effect.
        keyboard.ShowKeyboard(0);
        EXPECT_FALSE(keyboard.isVisible());
        keyboard.ShowKeyboard(other);
        EXPECT_EQ(keyboard.width(), other == 3 ? 910 : 992) << c.mode << " hidden, then " << other;
    }
}

TEST(TFKeyBoardShow, CloseHidesAndStateSurvives) {
    Station s;
    s.Press("ENGRUS");
    s.Press("C_S");
    s.Press("MegaButton6");
    EXPECT_FALSE(s.keyboard.isVisible());
    s.keyboard.ShowKeyboard(1);
    EXPECT_EQ(s.keyboard.Layout(), keys::Layout::Russian);
    EXPECT_TRUE(s.Key("C_S")->Down);
    s.Press("K_081");
    EXPECT_EQ(s.edit->text(), QStringLiteral("Й"));
}

TEST(TFKeyBoardPlace, ClearOfTheEditedRow) {
    struct Case {
        const char* what;
        QRect edited;
        std::optional<QPoint> current;
        QPoint expected;
    };
    const QRect window(100, 50, 1032, 755);
    const QSize keyboard(992, 242);
    const int x = 100 + 20;
    const int bottom = 50 + 755 - 242;
    const Case cases[] = {
        {"nothing edited", {}, std::nullopt, {x, bottom}},
        {"row at the top", {100, 60, 1032, 40}, std::nullopt, {x, bottom}},
        {"row at the bottom", {100, 700, 1032, 40}, std::nullopt, {x, 50}},
        {"row touching the keyboard's top edge",
         {100, bottom - 1, 500, 1},
         std::nullopt,
         {x, bottom}},
        {"row one pixel under it", {100, bottom, 500, 1}, std::nullopt, {x, 50}},
        // A tall control that both places overlap: the one covering less.
        {"tall, more of it below", {100, 250, 1032, 500}, std::nullopt, {x, 50}},
        {"tall, more of it above", {100, 60, 1032, 600}, std::nullopt, {x, bottom}},
        // Where the operator dragged it stays while it covers nothing.
        {"kept", {100, 60, 1032, 40}, QPoint(300, 400), {300, 400}},
        {"dragged over the row", {100, 420, 1032, 40}, QPoint(300, 400), {x, bottom}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFKeyBoard::Place(window, keyboard, c.edited, c.current), c.expected) << c.what;
    // Wider than the window: at its left edge; taller: at its top.
    EXPECT_EQ(TFKeyBoard::Place({0, 0, 900, 200}, keyboard, {}), QPoint(0, 0));
}

TEST(TFKeyBoardShow, ClearOfTheEditAndMovedWhenTheRowMovesUnderIt) {
    Station s;
    const QRect edit(s.edit->mapToGlobal(QPoint(0, 0)), s.edit->size());
    EXPECT_FALSE(s.keyboard.geometry().intersects(edit));
    const QRect window(s.window.mapToGlobal(QPoint(0, 0)), s.window.size());
    EXPECT_EQ(s.keyboard.geometry().bottom(), window.bottom());

    // The table's last row is the one edited: the keyboard goes to the top.
    s.table->setRowCount(40);
    s.table->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&s] { return QApplication::focusWidget() == s.table; }));
    int last = 0;
    while (last + 1 < s.table->rowCount() &&
           s.table->visualRect(s.table->model()->index(last + 1, 0)).bottom() <
               s.table->viewport()->height())
        ++last;
    s.table->setCurrentCell(last, 0);
    EXPECT_FALSE(s.keyboard.geometry().intersects(s.keyboard.EditedRect()));
    EXPECT_EQ(s.keyboard.y(), window.y());
    EXPECT_FALSE(s.keyboard.EditedRect().isEmpty());
}

TEST(TFKeyBoardShow, DraggedByTheHandle) {
    Station s;
    TMegaButton* handle = s.Key("Move2");
    const QPoint start = s.keyboard.pos();
    const QPoint local(20, 20);
    const QPoint global = handle->mapToGlobal(local);
    auto send = [handle](QEvent::Type type, QPoint at, QPoint global, Qt::MouseButtons held) {
        QMouseEvent e(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, local, global, Qt::LeftButton);
    send(QEvent::MouseMove, local, global + QPoint(-130, 45), Qt::LeftButton);
    send(QEvent::MouseMove, local, global + QPoint(-300, 80), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, local, global + QPoint(-300, 80), Qt::NoButton);
    EXPECT_EQ(s.keyboard.pos(), start + QPoint(-300, 80));
    send(QEvent::MouseMove, local, global, Qt::NoButton);
    EXPECT_EQ(s.keyboard.pos(), start + QPoint(-300, 80));
}

// Both layouts rendered for a person to look at; the letter keys must show
// different captions, and mode 3 cuts off the handle column.
TEST(TFKeyBoardLook, BothLayoutsRendered) {
    TFKeyBoard keyboard;
    keyboard.ShowKeyboard(1);
    QApplication::processEvents();
    const QImage english = keyboard.grab().toImage();
    QTest::mouseClick(keyboard.findChild<TMegaButton*>("ENGRUS"), Qt::LeftButton);
    QApplication::processEvents();
    const QImage russian = keyboard.grab().toImage();
    const auto folder = testsupport::TestOutputFolder();
    EXPECT_TRUE(english.save(QString::fromStdString((folder / "keyboard_english.png").string())));
    EXPECT_TRUE(russian.save(QString::fromStdString((folder / "keyboard_russian.png").string())));

    const QRect q = keyboard.findChild<TMegaButton*>("K_081")->geometry();
    const QRect digit = keyboard.findChild<TMegaButton*>("K_49")->geometry();
    EXPECT_NE(english.copy(q), russian.copy(q));
    EXPECT_EQ(english.copy(digit), russian.copy(digit));
    // The close button lies in the handle column, over the background.
    const QColor background = keyboard.palette().color(QPalette::Window);
    EXPECT_NE(english.pixelColor(950, 60), background);
    EXPECT_EQ(english.pixelColor(908, 60), background);

    keyboard.ShowKeyboard(0);
    keyboard.ShowKeyboard(3);
    QApplication::processEvents();
    EXPECT_EQ(keyboard.grab().toImage().width(), 910);
}

}  // namespace

#include "controls/megadatchik.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/formatfloat.h"
#include "support/test_output.h"

namespace {

constexpr std::uint32_t kRed = 0x0000FF;

QString Name(const char* kind, int row) {
    return QString::fromLatin1(kind) + QString::number(row);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

bool Yellowish(QColor c) {
    return c.red() > 180 && c.green() > 180 && c.blue() < 100;
}
bool Reddish(QColor c) {
    return c.red() > 180 && c.green() < 100 && c.blue() < 100;
}

// Columns within `box` holding a pixel for which `test` holds.
template <typename Test>
std::vector<int> Columns(const QImage& img, const QRect& box, Test test) {
    std::vector<int> cols;
    for (int x = box.left(); x <= box.right(); ++x) {
        for (int y = box.top(); y <= box.bottom(); ++y) {
            if (test(img.pixelColor(x, y))) {
                cols.push_back(x);
                break;
            }
        }
    }
    return cols;
}

class MegaDatchikTest : public testing::Test {
protected:
    void SetUp() override {
        separator_ = platform::DecimalSeparator();
        platform::SetDecimalSeparator(',');
    }
    void TearDown() override { platform::SetDecimalSeparator(separator_); }

    QLabel* Label(const char* kind, int row) const {
        return panel.findChild<QLabel*>(Name(kind, row));
    }
    QWidget* Child(const char* kind, int row) const {
        return panel.findChild<QWidget*>(Name(kind, row));
    }
    // Every label text of every row, to see that nothing changed.
    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (int row = 0; row < panel.Count(); ++row) {
            for (const char* kind : {"name", "second", "value", "unit"})
                texts.push_back(Label(kind, row)->text());
        }
        return texts;
    }
    void ShowAndSettle() {
        panel.show();
        QApplication::processEvents();
        QApplication::processEvents();
    }

    TMegaDatchik panel;

private:
    char separator_ = '.';
};

TEST_F(MegaDatchikTest, AddTabloStacksRowsWithTheirLabels) {
    EXPECT_EQ(panel.objectName(), "TMegaDatchik");
    EXPECT_EQ(panel.geometry(), QRect(0, 0, 300, 52));
    panel.AddTablo(3);
    EXPECT_EQ(panel.height(), 134);
    EXPECT_EQ(panel.width(), 300);
    ASSERT_EQ(panel.Count(), 3);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        ASSERT_NE(panel.findChild<QFrame*>(Name("row", row)), nullptr);
        EXPECT_EQ(Child("row", row)->geometry(), QRect(6, 6 + 41 * row, 288, 40));
        // Name and value take the row's inside height: their lines are not cut.
        EXPECT_EQ(Label("name", row)->geometry(), QRect(5, 2, 128, 36));
        EXPECT_EQ(Label("second", row)->geometry(), QRect(26, 20, 130, 16));
        EXPECT_EQ(Label("value", row)->geometry(), QRect(33, 2, 150, 36));
        EXPECT_EQ(Label("unit", row)->geometry(), QRect(190, 13, 67, 23));
        EXPECT_EQ(Child("click", row)->geometry(), QRect(row, 0, 288 - row, 40));
        EXPECT_EQ(Label("name", row)->text(), "F");
        EXPECT_EQ(Label("second", row)->text(), "max");
        EXPECT_EQ(Label("value", row)->text(), "0");
        EXPECT_EQ(Label("unit", row)->text(), QString::fromUtf8("кН/с"));
    }
}

// Rows follow the panel's width: the value label stretches, the unit label
// keeps its distance to the right edge; DigitLeft moves both.
TEST_F(MegaDatchikTest, RowsFollowThePanelsWidth) {
    panel.DigitLeft = 20;
    panel.AddTablo(2);
    EXPECT_EQ(Label("value", 1)->geometry(), QRect(53, 2, 150, 36));
    EXPECT_EQ(Label("unit", 1)->geometry(), QRect(210, 13, 67, 23));
    ShowAndSettle();
    panel.resize(400, panel.height());
    QApplication::processEvents();
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Child("row", row)->geometry(), QRect(6, 6 + 41 * row, 388, 40));
        EXPECT_EQ(Label("name", row)->geometry(), QRect(5, 2, 128, 36));
        EXPECT_EQ(Label("value", row)->geometry(), QRect(53, 2, 250, 36));
        EXPECT_EQ(Label("unit", row)->geometry(), QRect(310, 13, 67, 23));
        EXPECT_EQ(Child("click", row)->geometry(), QRect(row, 0, 388 - row, 40));
    }
}

// At any scale the rows grow with it and every text keeps its whole line in
// its row; a long name gets a smaller font rather than running into the value.
TEST_F(MegaDatchikTest, TextsFitTheirRowsAtEveryScale) {
    struct Case {
        double scale;
        const char* name;
        const char* value;
        const char* unit;
    };
    const Case cases[] = {
        {1.0, "F", "0,000", "кН/с"},          {1.0, "Время", "00:00:00", ""},
        {1.0, "% от Fмакс", "50,00", "%"},    {1.0, "Уставка", "1000,0", "кН"},
        {1.35, "% от Fмакс", "50,00", "%"},   {1.35, "Время", "00:00:00", ""},
        {2.0, "% от Fмакс", "-250,500", "%"}, {2.0, "Защита", "100,0", "мм/мин"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.scale));
        TMegaDatchik readout;
        readout.AddTablo(2);
        readout.SetScale(c.scale);
        readout.resize(static_cast<int>(300 * c.scale), readout.height());
        readout.SetParametr(1, 0x00FFFF, c.name, "", c.unit, nullptr);
        readout.SetValue(1, c.value);
        const auto* row = readout.findChild<QWidget*>("row1");
        const auto* name = readout.findChild<QLabel*>("name1");
        const auto* value = readout.findChild<QLabel*>("value1");
        const auto* unit = readout.findChild<QLabel*>("unit1");
        EXPECT_EQ(
            row->geometry(),
            QRect(std::lround(6 * c.scale), std::lround(41 * c.scale) + std::lround(6 * c.scale),
                  readout.width() - 2 * std::lround(6 * c.scale), std::lround(40 * c.scale)));
        for (const QLabel* l : {name, value, unit}) {
            const QFontMetrics fm(l->font());
            EXPECT_TRUE(QRect(QPoint(), row->size()).contains(l->geometry()))
                << l->objectName().toStdString();
            EXPECT_LE(fm.height(), l->height()) << l->objectName().toStdString();
            EXPECT_LE(fm.horizontalAdvance(l->text()), l->width()) << l->objectName().toStdString();
        }
        const int nameEnd = name->x() + QFontMetrics(name->font()).horizontalAdvance(name->text());
        const int valueStart = value->geometry().right() -
                               QFontMetrics(value->font()).horizontalAdvance(value->text());
        EXPECT_LT(nameEnd, valueStart);
        // The value keeps the large digits the row has room for.
        EXPECT_GE(value->font().pixelSize(), std::lround(28 * c.scale));
    }
}

TEST_F(MegaDatchikTest, NumbersTakeTheirDecimalsFromTheirMagnitude) {
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {9.9996, "10,000"}, {99.996, "100,00"}, {100.0, "100,0"}, {-250.5, "-250,500"},
        {0.0, "0,000"},     {9.99, "9,990"},    {10.0, "10,00"},  {12345.67, "12345,7"},
        {-0.0001, "0,000"}, {-5.0, "-5,000"},   {99.95, "99,95"}, {0.0005, "0,001"},
    };
    panel.AddTablo(2);
    double bound = 0.0;
    panel.SetParametr(1, 0x00FFFF, "L", "max", "мм", &bound);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(TMegaDatchik::FormatValue(c.v), c.text);
        panel.SetValue(0, c.v);
        EXPECT_EQ(panel.ValueText(0), c.text);
        bound = c.v;
        panel.UpdateData();
        EXPECT_EQ(panel.ValueText(1), c.text);
    }
}

TEST_F(MegaDatchikTest, BoundRowsShowTheirVariableAndOthersKeepTheirText) {
    panel.AddTablo(3);
    double force = 1.5;
    double travel = 42.0;
    panel.SetParametr(0, 0x00FFFF, "F", "max", "кН", &force);
    panel.SetParametr(2, 0x00FFFF, "L", "min", "мм", &travel);
    panel.SetValue(1, "---");
    panel.UpdateData();
    EXPECT_EQ(panel.ValueText(0), "1,500");
    EXPECT_EQ(panel.ValueText(1), "---");
    EXPECT_EQ(panel.ValueText(2), "42,00");

    force = 250.25;
    panel.UpdateData();
    EXPECT_EQ(panel.ValueText(0), "250,3");

    // A null pointer keeps the binding; texts and colour still change.
    panel.SetParametr(0, kRed, "P", "", "МПа", nullptr);
    force = 3.0;
    panel.UpdateData();
    EXPECT_EQ(panel.ValueText(0), "3,000");
    EXPECT_EQ(Label("name", 0)->text(), "P");
    EXPECT_EQ(Label("second", 0)->text(), "");
    EXPECT_EQ(Label("unit", 0)->text(), QString::fromUtf8("МПа"));

    // A plain text over a bound row lasts until the next refresh.
    panel.SetValue(2, "text");
    EXPECT_EQ(panel.ValueText(2), "text");
    panel.UpdateData();
    EXPECT_EQ(panel.ValueText(2), "42,00");
}

TEST_F(MegaDatchikTest, RowIndexesOutsideTheListChangeNothing) {
    panel.AddTablo(3);
    double v = 7.0;
    panel.SetParametr(1, 0x00FFFF, "E", "max", "мм", &v);
    panel.UpdateData();
    const std::vector<QString> before = Texts();
    int raised = 0;
    panel.OnClickNom = [&](TMegaDatchik*, int) { ++raised; };
    double other = 99.0;
    for (int row : {-1, 3, 100, -1000}) {
        SCOPED_TRACE(row);
        panel.SetValue(row, "x");
        panel.SetValue(row, 1.0);
        panel.SetParametr(row, kRed, "N", "S", "U", &other);
        EXPECT_EQ(panel.ValueText(row), "");
    }
    panel.UpdateData();
    EXPECT_EQ(Texts(), before);
    EXPECT_EQ(panel.height(), 134);
    EXPECT_EQ(raised, 0);
}

// A press with any button anywhere on a row, over its labels or its edge,
// raises OnClickNom with the row's index and the panel as sender.
TEST_F(MegaDatchikTest, PressAnywhereOnARowGivesItsIndex) {
    panel.AddTablo(3);
    ShowAndSettle();
    std::vector<std::pair<TMegaDatchik*, int>> raised;
    panel.OnClickNom = [&](TMegaDatchik* sender, int index) { raised.emplace_back(sender, index); };
    struct Case {
        QPoint at;  // on the panel
        int row;
        Qt::MouseButton button;
    };
    const Case cases[] = {
        {{6, 88}, 2, Qt::LeftButton},       // the row's left edge, left of its click area
        {{20, 100}, 2, Qt::LeftButton},     // over the name
        {{150, 105}, 2, Qt::RightButton},   // over the value
        {{250, 110}, 2, Qt::MiddleButton},  // over the unit
        {{293, 127}, 2, Qt::LeftButton},    // the row's bottom-right corner
        {{150, 20}, 0, Qt::LeftButton},    {{150, 60}, 1, Qt::LeftButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at.x() * 1000 + c.at.y());
        QWidget* target = panel.childAt(c.at);
        ASSERT_NE(target, nullptr);
        raised.clear();
        QTest::mousePress(target, c.button, {}, target->mapFrom(&panel, c.at));
        QTest::mouseRelease(target, c.button, {}, target->mapFrom(&panel, c.at));
        ASSERT_EQ(raised.size(), 1u);
        EXPECT_EQ(raised[0].first, &panel);
        EXPECT_EQ(raised[0].second, c.row);
    }
    // Between rows and on the bevel nothing is raised.
    raised.clear();
    for (const QPoint at : {QPoint(150, 46), QPoint(2, 60), QPoint(297, 60)}) {
        QWidget* target = panel.childAt(at);
        QTest::mousePress(target != nullptr ? target : &panel, Qt::LeftButton, {}, at);
    }
    EXPECT_TRUE(raised.empty());
}

TEST_F(MegaDatchikTest, DeleteAllRemovesTheRowsAndKeepsTheHeight) {
    panel.AddTablo(3);
    panel.DeleteAll();
    EXPECT_EQ(panel.Count(), 0);
    EXPECT_EQ(panel.height(), 134);
    EXPECT_EQ(panel.findChild<QWidget*>(), nullptr);
    panel.SetValue(0, "x");
    panel.UpdateData();
    panel.AddTablo(1);
    EXPECT_EQ(panel.height(), 52);
    EXPECT_EQ(Child("row", 0)->geometry(), QRect(6, 6, 288, 40));
}

// The console may rebuild a panel from a row's own press.
TEST_F(MegaDatchikTest, DeleteAllFromAPressHandlerIsSafe) {
    panel.AddTablo(2);
    ShowAndSettle();
    panel.OnClickNom = [](TMegaDatchik* sender, int) {
        sender->DeleteAll();
        sender->AddTablo(1);
    };
    QTest::mousePress(Child("click", 1), Qt::LeftButton, {}, QPoint(50, 10));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(panel.Count(), 1);
    EXPECT_EQ(panel.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_EQ(Child("row", 0)->geometry(), QRect(6, 6, 288, 40));
}

// The console refreshes every tick: a label whose text or colour did not
// change must not repaint.
TEST_F(MegaDatchikTest, UnchangedRowsDoNotRepaint) {
    panel.AddTablo(3);
    double a = 1.0;
    double b = 20.0;
    panel.SetParametr(0, 0x00FFFF, "F", "max", "кН", &a);
    panel.SetParametr(1, 0x00FFFF, "L", "max", "мм", &b);
    panel.UpdateData();
    ShowAndSettle();
    PaintCounter value0(Label("value", 0));
    PaintCounter value1(Label("value", 1));
    PaintCounter unit0(Label("unit", 0));
    PaintCounter whole(&panel);

    for (int tick = 0; tick < 5; ++tick) {
        panel.UpdateData();
        panel.SetParametr(0, 0x00FFFF, "F", "max", "кН", nullptr);
        panel.SetValue(2, "0");
        QApplication::processEvents();
    }
    EXPECT_EQ(value0.count, 0);
    EXPECT_EQ(value1.count, 0);
    EXPECT_EQ(unit0.count, 0);
    EXPECT_EQ(whole.count, 0);

    a = 1.25;
    panel.UpdateData();
    QApplication::processEvents();
    EXPECT_EQ(value0.count, 1);
    EXPECT_EQ(value1.count, 0);
    EXPECT_EQ(whole.count, 0);  // the opaque row panel stops the repaint

    panel.SetParametr(0, kRed, "F", "max", "кН", nullptr);
    QApplication::processEvents();
    EXPECT_EQ(value0.count, 2);
    EXPECT_EQ(unit0.count, 1);
}

// Black panel with a raised 5-pixel bevel, rows raised outside and lowered
// inside (the top-right and bottom-left corners in the bottom colour), yellow texts with the value
// against the label's right edge, the unit through the symbol table.
TEST_F(MegaDatchikTest, DrawsBevelsAndTexts) {
    panel.AddTablo(2);
    double v = 12.5;
    panel.SetParametr(0, 0x00FFFF, "F", "max", "`в", &v);
    panel.SetParametr(1, kRed, "L", "min", "мм", nullptr);
    panel.SetValue(1, 7.0);
    panel.UpdateData();
    ShowAndSettle();
    const QImage img = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    img.save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "megadatchik_two_rows.png").string()));

    const QRgb white = qRgb(255, 255, 255);
    const QRgb grey = qRgb(128, 128, 128);
    const QRgb black = qRgb(0, 0, 0);
    struct Pixel {
        int x, y;
        QRgb colour;
    };
    const Pixel pixels[] = {
        {0, 0, white},    {4, 4, white},  {4, 60, white},  {299, 92, grey},
        {295, 88, grey},  {299, 0, grey}, {0, 92, grey},   {5, 5, black},
        {150, 46, black}, {6, 6, white},  {293, 45, grey}, {7, 7, grey},
        {292, 44, white}, {8, 8, black},  {8, 43, black},  {291, 8, black},
    };
    for (const Pixel& p : pixels) {
        SCOPED_TRACE(p.x * 1000 + p.y);
        EXPECT_EQ(img.pixel(p.x, p.y), p.colour);
    }

    EXPECT_EQ(Label("unit", 0)->text(), "`в");
    // The value "12,50" ends at the value label's right edge (x 38 ... 188).
    const auto yellow = Columns(img, QRect(150, 10, 45, 34), Yellowish);
    ASSERT_FALSE(yellow.empty());
    EXPECT_GE(yellow.back(), 183);
    EXPECT_LE(yellow.back(), 188);
    // Row 1 is all red.
    EXPECT_TRUE(Columns(img, QRect(8, 49, 284, 36), Yellowish).empty());
    for (const QRect box : {QRect(11, 50, 30, 30), QRect(100, 51, 88, 34), QRect(196, 60, 67, 23)})
        EXPECT_FALSE(Columns(img, box, Reddish).empty());

    // The grave accent is drawn as sigma.
    QLabel* unit = Label("unit", 0);
    const QImage sigma = unit->grab().toImage();
    unit->setText(QString::fromUtf8("σв"));
    EXPECT_EQ(unit->grab().toImage(), sigma);
    unit->setText(QString::fromUtf8("`в"));
    unit->setText(QString::fromUtf8("'в"));
    EXPECT_NE(unit->grab().toImage(), sigma);
}

}  // namespace

// The calibration page of the real window against a fake unit: what a
// channel's table shows, typed values going straight into the channel, and
// the table sent to the unit under the channel's own number.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_rig.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;
using Calls = std::vector<testsupport::FakeUnit::Call>;

// A choice in a drop-down list, as the operator's tap makes it.
void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

class Calibration : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Start();
        rig.StopPolling();
        work = rig.window->Work();
        rig.Find<QStackedWidget>("BaseTab")->setCurrentIndex(2);
        channel = rig.Find<QComboBox>("LinChan");
        points = rig.Find<QComboBox>("LinPoint");
    }

    void OpenPage() {
        auto* tree = rig.Find<QTreeWidget>("TreeView1");
        const auto items = tree->findItems(QString::fromUtf8("Калибровка"), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(items[0]).center());
        ASSERT_EQ(rig.Find<QStackedWidget>("PageConfig")->currentIndex(), 1);
    }

    QLineEdit* Field(const char* column, int row) {
        return rig.Find<QLineEdit>((column + std::to_string(row)).c_str());
    }

    void Type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        for (QChar c : text) {
            // QTest spells out ASCII keys only; a Cyrillic key carries its letter.
            if (c.unicode() < 0x80)
                QTest::keyClick(field, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, field,
                                    static_cast<Qt::Key>(c.toUpper().unicode()), QString(c),
                                    Qt::NoModifier);
        }
    }

    // Rows up to `used` show values and take input; the others are empty and closed.
    void ExpectRowsInUse(int used) {
        for (int row = 1; row <= 20; ++row) {
            for (const char* column : {"PI", "PR"}) {
                QLineEdit* f = Field(column, row);
                EXPECT_EQ(f->isEnabled(), row <= used) << column << row;
                if (row > used) {
                    EXPECT_TRUE(f->text().isEmpty()) << column << row;
                }
            }
        }
    }

    ConsoleRig rig;
    C_Work* work = nullptr;
    QComboBox* channel = nullptr;
    QComboBox* points = nullptr;
};

TEST_F(Calibration, OpeningShowsTheFirstChannelAndAChannelShowsItsPointsWithThreeDecimals) {
    work->Channel(1).tablePoints = 2;
    C_Kanal& l = work->Channel(2);
    l.tablePoints = 5;
    for (size_t i = 0; i < 5; ++i) {
        l.tableY[i] = 10.0 * static_cast<double>(i + 1);
        l.tableX[i] = 0.123456 * static_cast<double>(i + 1);
    }
    OpenPage();
    EXPECT_EQ(channel->currentText(), "F");
    EXPECT_EQ(points->currentIndex(), 2);
    ExpectRowsInUse(2);

    Choose(channel, 1);
    EXPECT_EQ(points->currentIndex(), 5);
    EXPECT_TRUE(points->isEnabled());
    ExpectRowsInUse(5);
    EXPECT_EQ(Field("PI", 1)->text(), "10,000");
    EXPECT_EQ(Field("PR", 1)->text(), "0,123");
    EXPECT_EQ(Field("PI", 5)->text(), "50,000");
    EXPECT_EQ(Field("PR", 5)->text(), "0,617");
    EXPECT_EQ(l.tablePoints, 5);
    rig.window->grab().toImage().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "console_calibration.png").string()));
}

TEST_F(Calibration, ThePointCountChosenIsTheChannelsAtOnce) {
    C_Kanal& f = work->Channel(1);
    f.tablePoints = 3;
    f.tableY[0] = 7.0;
    f.tableX[0] = 2.0;
    f.tableY[1] = 9.0;
    f.tableX[1] = 4.0;
    OpenPage();
    Choose(points, 0);
    EXPECT_EQ(f.tablePoints, 0);
    ExpectRowsInUse(0);
    Choose(points, 2);
    EXPECT_EQ(f.tablePoints, 2);
    ExpectRowsInUse(2);
    EXPECT_EQ(Field("PI", 2)->text(), "9,000");
    // The segments follow the points in use: the second one runs from (2, 7) to (4, 9).
    EXPECT_DOUBLE_EQ(f.segSlope[1], 1.0);
}

TEST_F(Calibration, EveryTypedCharacterReachesTheChannel) {
    struct Case {
        const char* field;
        int row;
        const char* typed;
        double stored;
    };
    const Case cases[] = {{"PR", 3, "12,5", 12.5},
                          {"PI", 3, "12.5", 12.5},
                          // The decimal key of the Russian layout.
                          {"PR", 1, "7ю25", 7.25},
                          {"PI", 2, "-0,5", -0.5},
                          {"PI", 4, "", 0.0}};
    C_Kanal& l = work->Channel(2);
    l.tablePoints = 4;
    l.tableY[3] = 3.0;
    const auto otherX = work->Channel(1).tableX;
    const auto otherY = work->Channel(1).tableY;
    OpenPage();
    Choose(channel, 1);
    for (const Case& c : cases) {
        QLineEdit* field = Field(c.field, c.row);
        const bool real = std::string(c.field) == "PR";
        const size_t i = static_cast<size_t>(c.row - 1);
        Type(field, QString::fromUtf8(c.typed));
        EXPECT_DOUBLE_EQ(real ? l.tableX[i] : l.tableY[i], c.stored) << c.field << c.row;
    }
    // Stored with the first key, before the text is complete.
    Type(Field("PR", 2), "4");
    EXPECT_DOUBLE_EQ(l.tableX[1], 4.0);
    QTest::keyClick(Field("PR", 2), Qt::Key_2);
    EXPECT_DOUBLE_EQ(l.tableX[1], 42.0);
    // A text that is not a number, whole, stores nothing and says so until
    // the field reads as one again.
    auto* message = rig.Find<QLabel>("CalibMessage");
    EXPECT_TRUE(message->text().isEmpty());
    Type(Field("PR", 2), "4ю5ю");
    EXPECT_DOUBLE_EQ(l.tableX[1], 4.5);
    EXPECT_EQ(message->text().toStdString(), "ВВЕДИТЕ ЧИСЛО");
    QTest::keyClick(Field("PR", 2), Qt::Key_Backspace);
    EXPECT_DOUBLE_EQ(l.tableX[1], 4.5);
    EXPECT_TRUE(message->text().isEmpty());
    Type(Field("PI", 1), "12abc");
    EXPECT_DOUBLE_EQ(l.tableY[0], 12.0);
    EXPECT_EQ(message->text().toStdString(), "ВВЕДИТЕ ЧИСЛО");
    // The channel F, not shown, is untouched.
    EXPECT_EQ(work->Channel(1).tableX, otherX);
    EXPECT_EQ(work->Channel(1).tableY, otherY);
}

TEST_F(Calibration, ACountThePageCannotShowLeavesTheChannelAsItIs) {
    for (int count : {25, -1, 100}) {
        work->Channel(3).tablePoints = count;
        OpenPage();
        Choose(channel, 2);
        EXPECT_EQ(points->currentIndex(), -1) << count;
        EXPECT_FALSE(points->isEnabled()) << count;
        ExpectRowsInUse(0);
        EXPECT_EQ(work->Channel(3).tablePoints, count);
        rig.unit->ClearLog();
        rig.Click("SAVE_CALIB_POINT");
        EXPECT_TRUE(rig.unit->calls.empty()) << count;
        // Another channel's valid count opens the list again.
        Choose(channel, 0);
        EXPECT_TRUE(points->isEnabled());
    }
}

TEST_F(Calibration, SaveSendsTheTableUnderTheChannelsOwnNumber) {
    for (int c = 1; c <= 5; ++c)
        work->Channel(c).tablePoints = 1;
    OpenPage();
    for (int index = 0; index < 5; ++index) {
        Choose(channel, index);
        rig.unit->ClearLog();
        rig.Click("SAVE_CALIB_POINT");
        EXPECT_EQ(rig.unit->calls, (Calls{{"SetValue", {index + 1.0, 0.0}}}))
            << channel->currentText().toStdString();
    }
}

TEST_F(Calibration, LWithFivePointsIsSentAsChannelTwosTable) {
    const int fPoints = work->Channel(1).tablePoints;
    OpenPage();
    Choose(channel, 1);
    Choose(points, 5);
    for (int row = 1; row <= 5; ++row) {
        Type(Field("PI", row), QString::number(20 * row));
        Type(Field("PR", row), QString::number(2 * row) + ",5");
    }
    rig.unit->ClearLog();
    rig.Click("SAVE_CALIB_POINT");
    EXPECT_EQ(rig.unit->calls, (Calls{{"SetValue", {2.0, 0.0}}}));
    // What the unit writes into channel 2's blocks.
    const C_Kanal& l = rig.unit->channels[2];
    EXPECT_EQ(l.tablePoints, 5);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(l.tableY[i], 20.0 * static_cast<double>(i + 1));
        EXPECT_DOUBLE_EQ(l.tableX[i], 2.0 * static_cast<double>(i + 1) + 0.5);
    }
    EXPECT_EQ(rig.unit->channels[1].tablePoints, fPoints);
}

}  // namespace

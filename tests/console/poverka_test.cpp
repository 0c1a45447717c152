// The verification table of the real window, offscreen: nominal points,
// readings taken by a click or typed, the two layouts, the verification
// codes, the protocol read back from its PDF, and invented readings only
// without a unit.

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "console/paramlist.h"
#include "console_rig.h"
#include "controls/cotchet.h"
#include "station/station_verification.h"
#include "support/poppler.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;

constexpr const char* kReadings[] = {"fKP1_", "fKO1_", "fKP2_", "fKO2_", "fKP3_", "fKO3_"};

class Poverka : public ::testing::Test {
protected:
    void StartStation(bool withUnit = true) {
        rig.Setting("7", "Автосохранение протокола", 0);
        rig.Start("", withUnit);
        rig.StopPolling();
        rig.Click("Butt_OK");  // the demonstration message, when shown
        // Numbers as a station whose locale writes a point shows them.
        platform::SetDecimalSeparator('.');
    }
    TFBase& w() { return *rig.window; }
    QListWidget* Mirandex() { return rig.Find<QListWidget>("Mirandex"); }
    QTableWidget* Table() { return rig.Find<QTableWidget>("TABPOVER"); }
    C_Parametr& Method() { return *w().Work()->Methods().Current(); }

    // "Поверка" for the force meter on a range of `range`, with n points.
    void ChooseVerification(double range, int n) {
        w().Work()->Channel(1).fullScale = range;
        const auto found = Mirandex()->findItems(QString::fromUtf8("Поверка"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        Mirandex()->setCurrentItem(found.front());
        // The count is the first start value, typed as the operator types it.
        rig.Find<console::ParamList>("ListStart")->OnEdit(0, std::to_string(n));
        ASSERT_EQ(Method().GetInt("fPCOU"), n);
    }
    // Row 1 to 10 as the points are numbered; column 0 the nominal point.
    std::string Cell(int row, int column) {
        const QTableWidgetItem* item = Table()->item(row - 1, column);
        return item != nullptr ? item->text().toStdString() : "<none>";
    }
    QRect CellRect(int row, int column) {
        return Table()->visualItemRect(Table()->item(row - 1, column));
    }
    void ClickCell(int row, int column) {
        QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, CellRect(row, column).center());
    }
    double Reading(const char* run, int point) {
        return Method().GetFloat(run + std::to_string(point - 1));
    }
    double ReadingSum() {
        double sum = 0;
        for (const char* run : kReadings) {
            for (int p = 1; p <= 10; ++p)
                sum += Reading(run, p);
        }
        return sum;
    }
    std::vector<std::string> Headers() {
        std::vector<std::string> h;
        for (int c = 0; c < Table()->columnCount(); ++c)
            h.push_back(Table()->horizontalHeaderItem(c)->text().toStdString());
        return h;
    }
    // The sheet's words; with `layout` a caption and its value stay on one line.
    std::string ProtocolText(const char* pdfName, bool layout = false) {
        const QString pdf =
            QString::fromStdString((testsupport::TestOutputFolder() / pdfName).string());
        EXPECT_TRUE(w().findChild<C_Otchet*>("C_Otchet1")->WritePdf(pdf));
        const QStringList extra = layout ? QStringList{"-layout"} : QStringList{};
        return testsupport::Squeezed(testsupport::PdfText(pdf, extra).value_or(""));
    }

    ConsoleRig rig;
};

TEST_F(Poverka, FourPointsOnAForceRangeOf100) {
    StartStation();
    ChooseVerification(100, 4);
    EXPECT_FALSE(rig.Find<QFrame>("PanelPoverka")->isHidden());
    EXPECT_EQ(w().findChild<QLabel*>("LabelObrazec")->text().toStdString(), "Поверка");
    EXPECT_EQ(Headers(),
              (std::vector<std::string>{"Точка", "I Проход П", "I Проход O", "II Проход П",
                                        "II Проход О", "III Проход П", "III Проход О"}));
    EXPECT_EQ(rig.Find<QWidget>("Move10")->findChild<QLabel*>("Move10Title")->text().toStdString(),
              "ТАБЛИЦА ПОВЕРКИ ПО " + w().Work()->Channel(1).name);
    const char* points[] = {"25.000", "50.000", "75.000", "100.000"};
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(Cell(r, 0), r <= 4 ? points[r - 1] : "") << r;
        EXPECT_FLOAT_EQ(static_cast<float>(Method().GetFloat("fPS_" + std::to_string(r))),
                        r <= 4 ? 25.0f * r : 0.0f);
        for (int c = 1; c <= 6; ++c)
            EXPECT_EQ(Cell(r, c), r <= 4 ? "" : "-") << r << "," << c;
    }
    // Another method hides the table.
    Mirandex()->setCurrentRow(0);
    EXPECT_TRUE(rig.Find<QFrame>("PanelPoverka")->isHidden());
    EXPECT_EQ(w().findChild<QLabel*>("LabelObrazec")->text().toStdString(), "Образец");
}

TEST_F(Poverka, AClickTakesTheLiveValueIntoTheCellAndTheReading) {
    StartStation();
    ChooseVerification(100, 4);
    C_Kanal& force = w().Work()->Channel(1);
    struct Case {
        int row, column;
        double live;
        const char* run;  // the reading stored, none for nullptr
        const char* shown;
    };
    const Case cases[] = {
        {1, 1, 24.9, "fKP1_", "24.900"}, {2, 2, 50.2, "fKO1_", "50.200"},
        {1, 6, 25.3, "fKO3_", "25.300"}, {1, 0, 99.0, nullptr, "25.000"},  // the point column
        {3, 1, 0.0, "fKP1_", "0.000"},  // a reading of 0 taken is shown
        {6, 1, 99.0, nullptr, "-"},     // beyond the points in use
    };
    for (const Case& c : cases) {
        const double before = ReadingSum();
        force.value = c.live;
        ClickCell(c.row, c.column);
        EXPECT_EQ(Cell(c.row, c.column), c.shown) << c.row << "," << c.column;
        if (c.run != nullptr)
            EXPECT_FLOAT_EQ(static_cast<float>(Reading(c.run, c.row)), static_cast<float>(c.live));
        else
            EXPECT_DOUBLE_EQ(ReadingSum(), before);
    }

    // Four columns: the forward runs only; the reverse readings stay stored.
    rig.Click("OXod");
    EXPECT_EQ(Headers(),
              (std::vector<std::string>{"Точка", "I Проход", "II Проход", "III Проход"}));
    EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKO1_", 2)), 50.2f);
    EXPECT_EQ(Cell(1, 1), "24.900");
    EXPECT_EQ(Cell(2, 2), "");  // run II forward of point 2, not taken
    force.value = 24.8;
    ClickCell(1, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKP2_", 1)), 24.8f);
    rig.Click("OXod");
    EXPECT_EQ(Cell(2, 2), "50.200");
    EXPECT_EQ(Cell(1, 3), "24.800");
}

TEST_F(Poverka, ManualEntryTypesReadingsAndAClickOnlySelects) {
    StartStation();
    ChooseVerification(100, 4);
    w().findChild<QAction*>("Action5")->trigger();  // Ctrl+E
    w().Work()->Channel(1).value = 30.0;
    ClickCell(1, 1);
    EXPECT_EQ(Table()->currentRow(), 0);
    EXPECT_EQ(Table()->currentColumn(), 1);
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Reading("fKP1_", 1), 0.0);

    struct Typed {
        const char* text;
        float stored;  // each case starts where the one before left it
        const char* shown;
        const char* message;
    };
    const Typed cases[] = {{"26,5", 26.5f, "26.500", ""},
                           {"1.25", 1.25f, "1.250", ""},
                           {"12ю5", 12.5f, "12.500", ""},
                           {"abc", 12.5f, "12.500", "ВВЕДИТЕ ЧИСЛО"},
                           {"13ю5ю", 12.5f, "12.500", "ВВЕДИТЕ ЧИСЛО"},
                           {"0", 0.0f, "0.000", ""},
                           {"", 0.0f, "", ""}};
    for (const Typed& t : cases) {
        Table()->editItem(Table()->item(0, 1));
        // The editor open now; a closed one may wait for its deletion.
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : Table()->viewport()->findChildren<QLineEdit*>()) {
            if (e->isVisible()) editor = e;
        }
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        for (QChar c : QString::fromUtf8(t.text)) {
            // QTest spells out ASCII keys only; a Cyrillic key carries its letter.
            if (c.unicode() < 0x80)
                QTest::keyClick(editor, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, editor,
                                    static_cast<Qt::Key>(c.toUpper().unicode()), QString(c),
                                    Qt::NoModifier);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the view commits a Return queued
        EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKP1_", 1)), t.stored) << t.text;
        EXPECT_EQ(Cell(1, 1), t.shown) << t.text;
        EXPECT_EQ(w().MessageText(), t.message) << t.text;
        if (*t.message != 0) rig.Click("Butt_OK");
    }
}

TEST_F(Poverka, RefillShowsWhatIsStoredAndTheClearButtonClearsIt) {
    StartStation();
    ChooseVerification(100, 4);
    w().Work()->Channel(1).value = 24.9;
    ClickCell(1, 1);
    // A changed point refills the table; the count stands, so do the points.
    rig.Find<console::ParamList>("ListStart")->OnEdit(2, "55");
    EXPECT_EQ(Cell(2, 0), "55.000");
    EXPECT_EQ(Cell(1, 1), "24.900");
    EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKP1_", 1)), 24.9f);
    rig.Click("MegaButton43");
    EXPECT_EQ(Reading("fKP1_", 1), 0.0);
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Cell(2, 0), "55.000");
}

TEST_F(Poverka, ReadingsSurviveANewTestAndLeavingTheSettings) {
    StartStation();
    ChooseVerification(100, 4);
    C_Kanal& force = w().Work()->Channel(1);
    force.value = 24.9;
    ClickCell(1, 1);
    force.value = 50.2;
    ClickCell(2, 2);
    const auto kept = [&](const char* way) {
        EXPECT_EQ(Mirandex()->currentItem()->text().toStdString(), "Поверка") << way;
        EXPECT_FALSE(rig.Find<QFrame>("PanelPoverka")->isHidden()) << way;
        EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKP1_", 1)), 24.9f) << way;
        EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKO1_", 2)), 50.2f) << way;
        EXPECT_EQ(Cell(1, 1), "24.900") << way;
        EXPECT_EQ(Cell(2, 2), "50.200") << way;
    };
    w().Command(32);
    kept("new test");
    w().findChild<QStackedWidget*>("BaseTab")->setCurrentIndex(2);
    rig.ClearTraces();
    rig.Click("CONFIG_EXIT");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.dispatched.empty(); }, 2000));
    EXPECT_EQ(rig.dispatched.front(), 32);
    kept("settings left");
}

TEST_F(Poverka, AnotherMethodClearsTheReadingsOnlyWhenTheOperatorAgrees) {
    StartStation();
    ChooseVerification(100, 4);
    w().Work()->Channel(1).value = 24.9;
    ClickCell(1, 1);
    C_Parametr* poverka = &Method();
    const char* question = "Показания поверки будут удалены. Выбрать другую методику?";
    for (const char* answer : {"Butt_NO", "Butt_YES"}) {
        Mirandex()->setCurrentRow(0);
        // The choice waits for the answer, the table as it was.
        EXPECT_EQ(w().MessageText(), question) << answer;
        EXPECT_EQ(Mirandex()->currentItem()->text().toStdString(), "Поверка") << answer;
        EXPECT_EQ(&Method(), poverka) << answer;
        EXPECT_FLOAT_EQ(static_cast<float>(poverka->GetFloat("fKP1_0")), 24.9f) << answer;
        rig.Click(answer);
        EXPECT_EQ(w().MessageText(), "") << answer;
    }
    EXPECT_EQ(Mirandex()->currentRow(), 0);
    EXPECT_NE(&Method(), poverka);
    EXPECT_EQ(poverka->GetFloat("fKP1_0"), 0.0);
    EXPECT_TRUE(rig.Find<QFrame>("PanelPoverka")->isHidden());
}

TEST_F(Poverka, CellColoursAndTheCollapsedPanel) {
    StartStation();
    ChooseVerification(100, 4);
    w().Work()->Channel(1).value = 24.9;
    ClickCell(1, 1);
    w().Work()->Channel(1).value = 25.1;
    ClickCell(1, 2);
    w().Work()->Channel(1).value = 74.9;
    ClickCell(3, 3);  // chosen last: yellow
    QApplication::processEvents();
    const QImage panel = rig.Find<QFrame>("PanelPoverka")->grab().toImage();
    EXPECT_TRUE(panel.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "poverka_table.png").string())));
    EXPECT_TRUE(w().grab().toImage().save(
        QString::fromStdString((testsupport::TestOutputFolder() / "poverka_window.png").string())));
    const QImage table = Table()->grab().toImage();
    const QPoint origin = Table()->viewport()->mapTo(Table(), QPoint(0, 0));
    auto background = [&](int row, int column) {
        return table.pixelColor(origin + CellRect(row, column).topLeft() + QPoint(3, 3));
    };
    EXPECT_EQ(background(2, 1), QColor(255, 248, 230));
    EXPECT_EQ(background(2, 3), QColor(255, 248, 230));
    EXPECT_EQ(background(2, 2), QColor(255, 239, 193));
    EXPECT_EQ(background(2, 6), QColor(255, 239, 193));
    EXPECT_EQ(background(3, 3), QColor(Qt::yellow));

    // A double click on the title folds the panel to its title and back.
    QTest::mouseDClick(rig.Find<QWidget>("Move10"), Qt::LeftButton, {},
                       rig.Find<QWidget>("Move10")->rect().center());
    EXPECT_EQ(rig.Find<QFrame>("PanelPoverka")->height(), 65);
    EXPECT_TRUE(Table()->isHidden());
    QTest::mouseDClick(rig.Find<QWidget>("Move10"), Qt::LeftButton, {},
                       rig.Find<QWidget>("Move10")->rect().center());
    EXPECT_EQ(rig.Find<QFrame>("PanelPoverka")->height(), 495);
    EXPECT_FALSE(Table()->isHidden());
}

TEST_F(Poverka, VerificationCodesChooseTheMethodAndTheInstrument) {
    StartStation();
    for (int code : {64, 65, 66}) {
        const int k = code - 64;
        if (Method().IndexOf("fKP1_0") >= 0) Method().SetFloat("fKP1_0", 5.0f);
        w().Command(code);
        EXPECT_EQ(Mirandex()->currentItem()->text().toStdString(), "Поверка");
        EXPECT_EQ(rig.Find<QComboBox>("ObrazecList")->currentIndex(), k);
        EXPECT_EQ(w().Station().Verification().PoverkaChannel(), k + 1);
        EXPECT_EQ(Method().GetInt("iTO"), k);
        EXPECT_EQ(ReadingSum(), 0.0) << code;
        EXPECT_TRUE(w().Work()->verification);
        EXPECT_FALSE(rig.Find<QFrame>("PanelPoverka")->isHidden());
        EXPECT_EQ(
            rig.Find<QWidget>("Move10")->findChild<QLabel*>("Move10Title")->text().toStdString(),
            "ТАБЛИЦА ПОВЕРКИ ПО " + w().Work()->Channel(k + 1).name);
        EXPECT_EQ(rig.Find<TMegaButton>("TENZ_ON")->Down, code == 66);
    }
}

TEST_F(Poverka, PrintButtonGivesTheVerificationProtocol) {
    StartStation();
    ChooseVerification(100, 4);
    C_Kanal& force = w().Work()->Channel(1);
    force.value = 24.9;
    ClickCell(1, 1);
    force.value = 25.1;
    ClickCell(1, 3);
    force.value = 49.8;
    ClickCell(2, 2);  // a reverse reading: the sheet gets its second table
    rig.ClearTraces();
    rig.Find<TMegaButton>("MegaButton42")->OnClick(rig.Find<TMegaButton>("MegaButton42"));
    ASSERT_GE(rig.dispatched.size(), 3u);
    EXPECT_EQ(std::vector<int>(rig.dispatched.begin(), rig.dispatched.begin() + 3),
              (std::vector<int>{243, 48, 35}));
    EXPECT_EQ(w().findChild<C_Otchet*>("C_Otchet1")->PageCount(), 1);
    const std::string text = ProtocolText("poverka_protocol.pdf");
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    for (const char* part : {"поверкиизмерителясилы", "24.900", "25.100", "49.800",
                             "Показаниямашиныприпрямомходе", "Показаниямашиныприобратномходе"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_EQ(text.find("ДЕМОНСТРАЦИЯ"), std::string::npos);
}

TEST_F(Poverka, AStationWithAUnitNeverOffersInventedReadings) {
    StartStation();
    EXPECT_EQ(w().findChild<TMegaButton*>("AUTOPILOT"), nullptr);
    EXPECT_EQ(w().findChild<QWidget*>("AUTOPILOT"), nullptr);
    w().findChild<QAction*>("Action1")->trigger();  // Ctrl+D
    EXPECT_EQ(w().findChild<QWidget*>("AUTOPILOT"), nullptr);
}

TEST_F(Poverka, InventedReadingsInDemonstrationModeMarkTheProtocol) {
    StartStation(false);
    ASSERT_FALSE(w().Work()->Connected());
    ChooseVerification(100, 4);
    ASSERT_NE(w().findChild<TMegaButton*>("AUTOPILOT"), nullptr);
    EXPECT_TRUE(rig.Find<TMegaButton>("AUTOPILOT")->isHidden());
    w().findChild<QAction*>("Action1")->trigger();  // Ctrl+D shows it
    EXPECT_FALSE(rig.Find<TMegaButton>("AUTOPILOT")->isHidden());
    // Offsets of -1 %, +1 % and 0 in turn.
    rig.random.script = {0, platform::RandomSource::kMax, platform::RandomSource::kMax / 2};
    rig.Click("AUTOPILOT");
    EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKP1_", 1)), 24.75f);
    EXPECT_FLOAT_EQ(static_cast<float>(Reading("fKO1_", 1)), 25.25f);
    for (const char* run : kReadings) {
        for (int p = 1; p <= 4; ++p) {
            const double nominal = 25.0 * p;
            EXPECT_NEAR(Reading(run, p), nominal, nominal * 0.01 + 1e-4) << run << p;
        }
        EXPECT_EQ(Reading(run, 5), 0.0);
    }
    EXPECT_EQ(Cell(1, 1), "24.750");
    EXPECT_EQ(Method().GetText("sOBR"), "НЕТ: ДЕМОНСТРАЦИЯ");
    EXPECT_EQ(Method().GetText("sOBR1"), "ПОКАЗАНИЯ ВЫМЫШЛЕНЫ");
    EXPECT_EQ(Method().GetText("sOBR2"), "НЕДЕЙСТВИТЕЛЬНО");

    rig.Find<TMegaButton>("MegaButton42")->OnClick(rig.Find<TMegaButton>("MegaButton42"));
    const std::string text = ProtocolText("poverka_invented.pdf", true);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    for (const char* line :
         {"ОбразцовоесредствоНЕТ:ДЕМОНСТРАЦИЯ", "образцовогосредстваПОКАЗАНИЯВЫМЫШЛЕНЫ",
          "образцовогосредстваНЕДЕЙСТВИТЕЛЬНО"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

}  // namespace

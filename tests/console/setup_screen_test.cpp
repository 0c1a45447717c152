// The set-up and result screen of the real window, and the renderings of
// both screens for a person to look at.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include "console/paramlist.h"
#include "console_rig.h"
#include "controls/cgrafic.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/megadatchik.h"
#include "controls/plot_labels.h"
#include "controls/symbolfont.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;

int RowOf(const QListWidget& list, const char* text) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() == QString::fromUtf8(text)) return i;
    }
    return -1;
}

int RowOf(const console::ParamList& list, const std::string& caption) {
    for (int r = 0; r < list.rowCount(); ++r) {
        if (list.item(r, 0)->text() == draw::SymbolText(caption)) return r;
    }
    return -1;
}

class SetupScreen : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Start();
        rig.Click("Butt_OK");
        rig.StopPolling();
        rig.window->Command(243);
        auto* methods = rig.Find<QListWidget>("Mirandex");
        methods->setCurrentRow(RowOf(*methods, "ГОСТ 1497"));
        method = rig.window->Work()->Methods().Current();
    }

    ConsoleRig rig;
    C_Parametr* method = nullptr;
};

// In set-up mode the operator reaches the method lists by tapping
// "УСТАНОВКА" and goes back to the work screen (and its start button) by
// tapping it again.
TEST(SetupMode, TheSetUpButtonGoesToTheListsAndBack) {
    ConsoleRig rig;
    rig.Start();
    rig.Click("Butt_OK");
    rig.StopPolling();
    auto* pages = rig.Find<QStackedWidget>("BaseTab");
    ASSERT_EQ(pages->currentIndex(), 0);
    rig.ClearTraces();
    rig.Click("MODE_INSTAL");
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_TRUE(rig.Find<QListWidget>("Mirandex")->isVisible());
    EXPECT_TRUE(rig.Find<TMegaButton>("MODE_INSTAL")->Down);
    EXPECT_TRUE(rig.dispatched.empty());
    rig.Click("MODE_INSTAL");
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(rig.dispatched, std::vector<int>{241});
    EXPECT_TRUE(rig.Find<TMegaButton>("BUT_START")->isVisible());
}

TEST_F(SetupScreen, ChoosingAMethodFillsTheListsAndSetsItsSpeed) {
    ASSERT_EQ(method->GetValueText("sGO"), "ГОСТ 1497");
    for (const char* name : {"ListPodgotov", "ListStart", "ListFinish"})
        EXPECT_GT(rig.Find<console::ParamList>(name)->rowCount(), 0) << name;
    auto* samples = rig.Find<QComboBox>("ObrazecList");
    EXPECT_EQ(samples->count(), 2);
    EXPECT_EQ(samples->itemText(0).toStdString(), "Цилиндрический");
    EXPECT_EQ(rig.window->Work()->ActiveChannel(), 2);
    EXPECT_TRUE(rig.Find<TMegaButton>("DIRECT_L")->Down);
    rig.window->Command(241);
    rig.window->Timer1Timer();
    EXPECT_EQ(rig.Find<QLabel>("Ind_SPEED")->text().toStdString(), "5,000 мм/мин");
}

TEST_F(SetupScreen, TypedValueIsStoredAndTheNextTickHandsTheAreaToTheEngine) {
    auto* list = rig.Find<console::ParamList>("ListStart");
    const int row = RowOf(*list, method->GetCaption("fD0"));
    ASSERT_GE(row, 0);
    list->setCurrentCell(row, 1);
    list->editItem(list->item(row, 1));
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "12,5");
    EXPECT_EQ(editor->text().toStdString(), "12,5");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the list commits a finished edit queued
    EXPECT_DOUBLE_EQ(method->GetFloat("fD0"), 12.5);
    EXPECT_EQ(list->ValueAt(row), "12,50");
    rig.window->Timer1Timer();
    EXPECT_GT(method->GetFloat("fS0"), 0.0);
    EXPECT_DOUBLE_EQ(rig.window->Work()->Area(), method->GetFloat("fS0"));
}

TEST_F(SetupScreen, TypedNumbersInTheListsAreReadWholeOrRefusedWithAMessage) {
    auto* list = rig.Find<console::ParamList>("ListStart");
    const int row = RowOf(*list, method->GetCaption("fD0"));
    ASSERT_GE(row, 0);
    struct Case {
        const char* typed;
        double stored;  // each case starts where the one before left it
        const char* message;
    };
    const Case cases[] = {{"12ю5", 12.5, ""},
                          {"14abc", 12.5, "'14abc' is not a valid floating point value"},
                          {"11Ю25", 11.25, ""},
                          {"9,5,1", 11.25, "'9,5,1' is not a valid floating point value"}};
    // The list itself and its copy on the data zoom panel.
    for (const char* zoom : {"", "PANEL_STARTDATA"}) {
        console::ParamList* target = list;
        if (*zoom != 0) {
            rig.Click(zoom);
            target = rig.Find<console::ParamList>("SELECT_DATA");
        }
        for (const Case& c : cases) {
            target->OnEdit(row, c.typed);
            EXPECT_DOUBLE_EQ(method->GetFloat("fD0"), c.stored) << zoom << c.typed;
            EXPECT_EQ(rig.window->MessageText(), c.message) << zoom << c.typed;
            if (*c.message != 0) rig.Click("Butt_OK");
        }
    }
}

TEST_F(SetupScreen, AStopWithNothingRecordedShowsAndPrintsNothingOfTheTestBefore) {
    rig.RecordTest(301);
    EXPECT_EQ(rig.window->MessageText(), "");
    ASSERT_NE(method->GetFloat("fPM"), 0.0);
    auto* results = rig.Find<console::ParamList>("ListResult");
    const int row = RowOf(*results, method->GetCaption("fPM"));
    ASSERT_GE(row, 0);
    ASSERT_NE(results->ValueAt(row), "0,00");

    rig.RecordTest(3);
    EXPECT_EQ(rig.window->MessageText(), "НЕТ ДАННЫХ ДЛЯ РАСЧЕТА");
    rig.Click("Butt_OK");
    for (const char* name : {"fPM", "fSB", "fPT", "fST", "fE", "fFIO"})
        EXPECT_EQ(method->GetFloat(name), 0.0) << name;
    EXPECT_EQ(results->ValueAt(row), "0,00");
    EXPECT_TRUE(rig.window->Work()->Buffer().picPoints.empty());

    // No protocol: the lists hold nothing of this test.
    rig.window->Command(35);
    EXPECT_EQ(rig.window->MessageText(), "НЕТ ИСПЫТАНИЯ ДЛЯ ПЕЧАТИ");
    EXPECT_NE(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 3);
    rig.Click("Butt_OK");

    // A test recorded again computes and prints as before.
    rig.RecordTest(301);
    EXPECT_NE(method->GetFloat("fPM"), 0.0);
    rig.window->Command(35);
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 3);
}

TEST_F(SetupScreen, TestTimeShowsAsHoursMinutesSeconds) {
    rig.window->Command(241);
    C_Work& work = *rig.window->Work();
    work.SetSampleTime(work.TimeOrigin() + 3725.0);
    rig.window->Timer1Timer();
    EXPECT_EQ(rig.Find<TMegaDatchik>("DatTime")->ValueText(0), "01:02:05");
}

// A tap on the live plot pans it and so ends its autoscale: "A" shows that,
// and it or a double tap brings the autoscale back.
TEST(WorkPlot, AutoscaleButtonShowsWhetherThePlotScalesItselfAndRestoresIt) {
    ConsoleRig rig;
    rig.Start();
    if (!rig.window->MessageText().empty()) rig.Click("Butt_OK");
    rig.StopPolling();
    rig.window->Command(242);
    ASSERT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 0);
    auto* plot = rig.Find<CGrafic>("WorkPlotter");
    auto* autoscale = rig.Find<TMegaButton>("PLOT_3");
    EXPECT_TRUE(autoscale->Down);
    const QPoint middle = plot->rect().center();

    QTest::mouseClick(plot, Qt::LeftButton, {}, middle);
    rig.window->Timer1Timer();
    EXPECT_FALSE(plot->autoscale);
    EXPECT_FALSE(autoscale->Down);
    rig.Click("PLOT_3");
    EXPECT_TRUE(plot->autoscale);
    EXPECT_TRUE(autoscale->Down);

    QTest::mouseClick(plot, Qt::LeftButton, {}, middle);
    rig.window->Timer1Timer();
    ASSERT_FALSE(autoscale->Down);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, middle);
    rig.window->Timer1Timer();
    EXPECT_TRUE(autoscale->Down);
    plot->DrawGrid();
    EXPECT_TRUE(plot->autoscale);
}

TEST_F(SetupScreen, ExtensometerIsNeverOnBothResultAxes) {
    rig.Click("TENZ_ON");
    ASSERT_TRUE(rig.Find<TMegaButton>("TENZ_ON")->Down);
    rig.Click("BUTYE2");
    ASSERT_TRUE(rig.Find<TMegaButton>("BUTYE2")->Down);
    rig.Click("BUTXE2");
    EXPECT_TRUE(rig.Find<TMegaButton>("BUTXT2")->Down);
    EXPECT_FALSE(rig.Find<TMegaButton>("BUTXE2")->Down);
    EXPECT_EQ(rig.Find<CGrafic>("CGraficRes")->chanX, 0);
    EXPECT_EQ(method->GetInt("fOX"), 0);
}

// The axes chosen on the result plot are the ones the analysis and the
// protocol read.
TEST_F(SetupScreen, ResultAxesReachTheMethod) {
    rig.Click("BUTYP2");
    rig.Click("BUTXL2");
    EXPECT_EQ(method->GetInt("fOY"), 4);
    EXPECT_EQ(method->GetInt("fOX"), 2);
    rig.Click("BUTYF2");
    EXPECT_EQ(method->GetInt("fOY"), 1);
}

TEST_F(SetupScreen, ManualCorrectionToTheEndMovesThePointWithoutCrashing) {
    C_Work& work = *rig.window->Work();
    rig.RecordTest();
    rig.Click("Butt_OK");
    auto* results = rig.Find<console::ParamList>("ListResult");
    const int row = RowOf(*results, method->GetCaption("fPT"));
    ASSERT_GE(row, 0);
    results->setCurrentCell(row, 1);
    emit results->cellDoubleClicked(row, 1);
    rig.Find<QSlider>("TrackBar5")->setValue(10000);
    EXPECT_EQ(method->GetFloat("fPOStec"), work.Buffer().GetCount(1) - 1);
}

TEST_F(SetupScreen, BothScreensRenderAsATouchConsole) {
    C_Work& work = *rig.window->Work();
    rig.window->Command(1);
    for (int c = 1; c <= 3; ++c)
        work.Channel(c).rawMode = true;
    for (int i = 0; i <= 400; ++i) {
        const double l = 0.02 * i;
        const double f = l < 1.0 ? 30.0 * l : 30.0 + 6.0 * (l - 1.0) - 0.5 * (l - 1.0) * (l - 1.0);
        rig.unit->Emit(0.1 * i, f, l);
    }
    rig.window->Timer1Timer();
    QApplication::processEvents();
    const QImage workScreen = rig.window->grab().toImage();
    workScreen.save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "console_work_screen.png").string()));
    rig.window->Command(2);
    rig.Click("Butt_OK");
    QApplication::processEvents();
    const QImage setupScreen = rig.window->grab().toImage();
    setupScreen.save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "console_setup_screen.png").string()));
    EXPECT_EQ(workScreen.size(), QSize(1390, 755));
    // Set-up mode with the set-up page in front: method and sample choice.
    rig.window->Command(241);
    rig.Find<QStackedWidget>("BaseTab")->setCurrentIndex(1);
    QApplication::processEvents();
    rig.window->grab().toImage().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "console_setup_mode.png").string()));
    EXPECT_EQ(rig.Find<QStackedWidget>("BaseTab")->currentIndex(), 1);
}

// A calculated tension test on the result screen at the smallest and a large
// window: its markers' labels apart inside the result plot, its curve in a
// colour that shows on the white plot; screen and protocol are saved for a
// person to look at.
TEST_F(SetupScreen, ResultPlotLabelsKeepApartAndTheCurveShowsOnWhite) {
    // Broken at 4.8 mm, near the right edge of an axis to 5 mm: the break's
    // label, wanted right of it, has to stay inside.
    rig.RecordTest(241);
    rig.Click("Butt_OK");
    auto* plot = rig.Find<CGrafic>("CGraficRes");
    ASSERT_NE(plot, nullptr);
    EXPECT_GE(plot::ContrastRatio(plot->ColorGrafik, plot->ColorGround), plot::kCurveContrast);
    EXPECT_GE(plot::ContrastRatio(rig.Find<CGrafic>("WorkPlotter")->ColorGrafik,
                                  rig.Find<CGrafic>("WorkPlotter")->ColorGround),
              plot::kCurveContrast);
    for (const QSize size : {QSize(1032, 755), QSize(1920, 1080)}) {
        SCOPED_TRACE(size.width());
        rig.window->resize(size);
        QApplication::processEvents();
        plot->DrawGrid();
        const std::string name = "result_plot_" + std::to_string(size.width());
        rig.window->grab().save(QString::fromStdString(
            (testsupport::TestOutputFolder() / (name + "_screen.png")).string()));
        const QImage img = plot->Picture();
        const std::vector<QRect>& boxes = plot->LabelBoxes();
        ASSERT_GE(boxes.size(), 5u);
        const int bx = static_cast<int>(plot->view.borderX);
        const QRect area(bx, 1, img.width() - 1 - bx, static_cast<int>(plot->view.plotHeight) - 1);
        for (size_t i = 0; i < boxes.size(); ++i) {
            EXPECT_TRUE(area.contains(boxes[i])) << i;
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " over " << j;
        }
        int curve = 0;
        const QRgb ink = draw::ColorRef(plot->ColorGrafik).rgb();
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x)
                curve += img.pixel(x, y) == ink ? 1 : 0;
        }
        EXPECT_GT(curve, 100) << "the curve is drawn";
    }
    rig.window->Command(35);
    ASSERT_GE(rig.Find<C_Otchet>("C_Otchet1")->PageCount(), 1);
    EXPECT_TRUE(rig.Find<C_Otchet>("C_Otchet1")
                    ->WritePdf(QString::fromStdString(
                        (testsupport::TestOutputFolder() / "result_plot_protocol.pdf").string())));
}

// Every row of a list lies inside its view: nothing to scroll to.
void ExpectAllRowsShown(const console::ParamList& list) {
    SCOPED_TRACE(list.objectName().toStdString());
    ASSERT_GT(list.rowCount(), 0);
    EXPECT_FALSE(list.verticalScrollBar()->isVisible());
    const int last = list.rowCount() - 1;
    EXPECT_LE(list.rowViewportPosition(last) + list.rowHeight(last), list.viewport()->height());
}

// The result screen of a tension test: at 1920 x 1080 the method's title
// takes its lines, the lists their rows, and the result plot's texts grow
// with the window, whole inside it at both sizes.
TEST_F(SetupScreen, ResultScreenSharesItsHeightAndThePlotTextGrows) {
    rig.RecordTest(241);
    rig.Click("Butt_OK");
    auto* plot = rig.Find<CGrafic>("CGraficRes");
    auto* slot = rig.Find<QStackedWidget>("Panel11Slot");
    auto* title = rig.Find<QLabel>("Panel31Text");
    ASSERT_NE(plot, nullptr);
    int numberHeight[2] = {0, 0};
    int k = 0;
    for (const QSize size : {QSize(1032, 755), QSize(1920, 1080)}) {
        SCOPED_TRACE(size.width());
        rig.window->resize(size);
        QApplication::processEvents();
        plot->DrawGrid();
        ASSERT_FALSE(plot->AxisNumberBoxes().empty());
        numberHeight[k++] = plot->AxisNumberBoxes()[0].height();
        const QRect inside = plot->rect().adjusted(1, 1, -3, -3);
        for (const QRect& b : plot->AxisNumberBoxes())
            EXPECT_TRUE(inside.contains(b)) << b.x() << "," << b.y();
        // The title's box holds its text and its margins, no more.
        const QMargins m = slot->currentWidget()->layout()->contentsMargins();
        EXPECT_LE(slot->height(), title->heightForWidth(title->width()) + m.top() + m.bottom() + 2);
    }
    EXPECT_GT(plot->Scale(), 1.0);
    EXPECT_GT(numberHeight[1], numberHeight[0]);
    for (const char* name : {"ListPodgotov", "ListStart", "ListFinish"})
        ExpectAllRowsShown(*rig.Find<console::ParamList>(name));
}

}  // namespace

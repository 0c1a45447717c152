// The floating panels of the real window against a fake unit: one shows at
// a time, a screen change closes them, the message panel stays with its
// question; and what an opened test and НОВОЕ show at once.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console/paramlist.h"
#include "console_rig.h"
#include "controls/cgrafic.h"
#include "controls/symbolfont.h"
#include "engine/c_gostwork.h"

namespace {

using testsupport::ConsoleRig;

const char* const kPanels[] = {"SPEED_ENTER",    "PAROLMES",   "ZOOMPANEL", "DIALOG_SAVE",
                               "OPENFILE_PANEL", "LIST_CHECK", "PUDIK",     "PUDIK_PRESS",
                               "PanelIZNOS",     "Panel19",    "Panel32",   "Cons"};

struct Opener {
    const char* panel;
    std::function<void(ConsoleRig&)> open;
};

// Each panel opened as the operator opens it.
std::vector<Opener> Openers() {
    auto click = [](const char* button) {
        return [button](ConsoleRig& rig) { rig.Click(button); };
    };
    return {
        {"SPEED_ENTER",
         [](ConsoleRig& rig) {
             QWidget* speed = rig.Find<QLabel>("Ind_SPEED");
             QTest::mouseClick(speed, Qt::LeftButton, {}, speed->rect().center());
         }},
        {"PAROLMES", click("MENU_CUSTOM")},
        {"ZOOMPANEL", click("PANEL_DATA")},
        {"DIALOG_SAVE", [](ConsoleRig& rig) { rig.window->Command(33); }},
        {"OPENFILE_PANEL", [](ConsoleRig& rig) { rig.window->Command(34); }},
        {"LIST_CHECK", click("MegaButton3")},
        {"PUDIK",
         [](ConsoleRig& rig) {
             rig.window->Command(68);
             rig.Click("MENU_PUDIK");
         }},
        {"PUDIK_PRESS",
         [](ConsoleRig& rig) {
             rig.window->Command(67);
             rig.Click("MENU_PUDIK");
         }},
        {"PanelIZNOS", click("MegaButton45")},
        {"Panel19", click("MegaButton61")},
        {"Panel32", click("BitBtn1")},
        {"Cons", [](ConsoleRig& rig) { rig.window->findChild<QAction*>("Action4")->trigger(); }},
    };
}

std::vector<std::string> Shown(const ConsoleRig& rig) {
    std::vector<std::string> shown;
    for (const char* name : kPanels) {
        if (!rig.Find<QWidget>(name)->isHidden()) shown.emplace_back(name);
    }
    return shown;
}

class FloatingPanels : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Start();
        rig.Click("Butt_OK");
        rig.StopPolling();
        rig.window->Station().findChild<QTimer*>("Timer3")->stop();
    }
    // To the other of the work screen and the set-up and result screen, as the mode bar goes.
    void LeaveScreen() {
        const bool onResults = rig.Find<QStackedWidget>("BaseTab")->currentIndex() == 1;
        rig.window->Command(onResults ? 241 : 243);
    }
    ConsoleRig rig;
};

TEST_F(FloatingPanels, EachClosesWhenItsScreenIsLeft) {
    for (const Opener& o : Openers()) {
        o.open(rig);
        ASSERT_EQ(Shown(rig), std::vector<std::string>{o.panel});
        LeaveScreen();
        EXPECT_TRUE(Shown(rig).empty()) << o.panel;
        rig.window->Command(241);
    }
}

TEST_F(FloatingPanels, OnlyTheLastOpenedShows) {
    for (const Opener& o : Openers()) {
        o.open(rig);
        EXPECT_EQ(Shown(rig), std::vector<std::string>{o.panel});
    }
}

// Closed as its own button closes it: the manual panel stops the crosshead.
// With nothing open a screen change sends nothing.
TEST_F(FloatingPanels, AManualPanelLeftBehindStopsTheCrosshead) {
    rig.window->Command(68);
    rig.ClearTraces();
    LeaveScreen();
    LeaveScreen();
    const std::vector<int> quiet = rig.dispatched;
    rig.Click("MENU_PUDIK");
    rig.ClearTraces();
    LeaveScreen();
    std::vector<int> extra;
    for (int code : rig.dispatched) {
        if (std::find(quiet.begin(), quiet.end(), code) == quiet.end()) extra.push_back(code);
    }
    EXPECT_EQ(extra, std::vector<int>{21});
}

// A question is never closed unanswered: it stays over the new screen and
// over a panel opened after it, and its answer still runs.
TEST_F(FloatingPanels, AQuestionOutlivesScreenChangesAndPanels) {
    rig.window->ShowMes("Вопрос?", 0, 0);
    LeaveScreen();
    rig.window->Command(34);
    EXPECT_EQ(rig.window->MessageText(), "Вопрос?");
    EXPECT_FALSE(rig.Find<QWidget>("Butt_YES")->isHidden());
    rig.Click("Butt_YES");
    EXPECT_EQ(rig.window->MessageText(), "");
}

// ----- what a test shown shows

class ShownTest : public FloatingPanels {
protected:
    // A recorded test, stopped as СТОП stops it.
    void RecordTest() {
        rig.RecordTest();
        ConsoleRig::Drain();
        if (!rig.window->MessageText().empty()) rig.Click("Butt_OK");
    }
    std::string MaxForceShown() {
        auto* results = rig.Find<console::ParamList>("ListResult");
        const std::string caption = method()->GetCaption("fPM");
        for (int row = 0; row < results->rowCount(); ++row) {
            if (results->item(row, 0) != nullptr &&
                results->item(row, 0)->text() == draw::SymbolText(caption))
                return results->ValueAt(row);
        }
        return "";
    }
    void RememberBlankPlots() {
        for (const char* p : {"WorkPlotter", "CGraficRes"}) {
            auto* plot = rig.Find<CGrafic>(p);
            plot->DrawGrid();
            blank_[p] = plot->Picture();
        }
    }
    C_Parametr* method() { return rig.window->Work()->Methods().Current(); }
    std::map<std::string, QImage> blank_;
};

TEST_F(ShownTest, NewClearsTheCurveMarkersAndResults) {
    RecordTest();
    C_Work& work = *rig.window->Work();
    ASSERT_FALSE(work.Buffer().picPoints.empty());
    ASSERT_NE(MaxForceShown(), "0,00");
    rig.window->Command(32);
    EXPECT_EQ(work.Buffer().GetCount(1), 0);
    EXPECT_TRUE(work.Buffer().picPoints.empty());
    EXPECT_EQ(method()->GetFloat("fPM"), 0.0);
    EXPECT_EQ(MaxForceShown(), "0,00");
    const QImage work0 = rig.Find<CGrafic>("WorkPlotter")->Picture();
    const QImage res0 = rig.Find<CGrafic>("CGraficRes")->Picture();
    RememberBlankPlots();
    EXPECT_EQ(work0, blank_["WorkPlotter"]);
    EXPECT_EQ(res0, blank_["CGraficRes"]);
}

// The method chosen shows its own results of the curve held, the same as
// ОБНОВИТЬ РАСЧЕТ then gives (the test's time aside, which that sets).
TEST_F(ShownTest, AnotherMethodShowsItsResultsOfTheCurveAtOnce) {
    RecordTest();
    auto* methods = rig.Find<QListWidget>("Mirandex");
    const QList<QListWidgetItem*> other = methods->findItems("ГОСТ 12004", Qt::MatchExactly);
    ASSERT_EQ(other.size(), 1);
    methods->setCurrentItem(other.front());
    ASSERT_NE(method(), nullptr);
    auto* results = rig.Find<console::ParamList>("ListResult");
    const int time = method()->IndexOf("sTI");
    auto shown = [&] {
        std::vector<std::string> values;
        for (int row = 0; row < results->rowCount(); ++row) {
            const bool isTime =
                time >= 0 && results->item(row, 0) != nullptr &&
                results->item(row, 0)->text() == draw::SymbolText(method()->GetCaption("sTI"));
            values.push_back(isTime ? "" : results->ValueAt(row));
        }
        return values;
    };
    const std::vector<std::string> atOnce = shown();
    const size_t markers = rig.window->Work()->Buffer().picPoints.size();
    rig.Click("RASCHET");
    EXPECT_EQ(atOnce, shown());
    EXPECT_EQ(rig.window->Work()->Buffer().picPoints.size(), markers);
}

}  // namespace

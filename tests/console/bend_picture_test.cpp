// The bend picture: what it reads and decides, and the real work plot
// drawing it during a bend test against a fake unit.

#include "console/bend_picture.h"

#include <QListWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "console_rig.h"
#include "controls/cgrafic.h"
#include "controls/megadatchik.h"
#include "model/parametr.h"
#include "support/test_output.h"

namespace {

using testsupport::ConsoleRig;
using Codes = std::vector<int>;

constexpr double kInf = std::numeric_limits<double>::infinity();

// A method with the bend set-up and the given sample type.
void AddBendSetUp(C_Parametr& m, int sampleType) {
    m.AddParam("Тип образца", "iTO", std::to_string(sampleType), C_Parametr::kInt, 4, "0", "4", "0",
               1, 1);
    for (const auto& [name, value] : {std::pair{"fDOP", "30"},
                                      {"fDOP2", "40"},
                                      {"fKOPOR", "160"},
                                      {"fB0", "8"},
                                      {"fD0", "12"},
                                      {"fALF", "90"}})
        m.AddParam(name, name, value, C_Parametr::kFloat, 1, "0.000", "1000.0", "-1000.0", 1, 1);
}

TEST(BendInputs, SetUpFromTheMethodAndThicknessBySampleType) {
    const bend::Inputs previous{1, 2, 3, 4, 0};
    const std::pair<int, double> thickness[] = {{0, 8}, {1, 8}, {2, 12}, {3, 12}, {4, 4}};
    for (const auto& [type, t] : thickness) {
        C_Parametr m;
        AddBendSetUp(m, type);
        const bend::Inputs in = console::BendInputs(m, 7.5, previous);
        EXPECT_EQ(in.span, 200.0) << type;  // the gap plus a roll's diameter
        EXPECT_EQ(in.supportDiameter, 40.0) << type;
        EXPECT_EQ(in.mandrelDiameter, 30.0) << type;
        EXPECT_EQ(in.thickness, t) << type;
        EXPECT_EQ(in.travel, 7.5) << type;
        EXPECT_EQ(console::BendTarget(m), 90.0) << type;
    }
    // A method without the set-up keeps what was drawn last.
    C_Parametr bare;
    const bend::Inputs kept = console::BendInputs(bare, 1.0, previous);
    EXPECT_EQ(kept.span, 1.0);
    EXPECT_EQ(kept.supportDiameter, 2.0);
    EXPECT_EQ(kept.mandrelDiameter, 3.0);
    EXPECT_EQ(kept.thickness, 4.0);
    EXPECT_EQ(console::BendTarget(bare), 0.0);
}

TEST(PictureFrame, EqualUnitsOnBothAxes) {
    struct Case {
        double width, plotWidth, plotHeight;
        double upperX;
    };
    const Case cases[] = {
        {350, 920, 400, 350},
        {300, 400, 900, 300},
        {350, 500, 500, 350},
        // Nothing to show at equal units: a square view of one unit.
        {-50, 920, 400, 0},
        {kInf, 920, 400, 0},
        {350, 0, 400, 350},
    };
    for (const Case& c : cases) {
        const console::BendFrame f = console::PictureFrame(c.width, c.plotWidth, c.plotHeight);
        EXPECT_EQ(f.lowerX, -1.0) << c.width;
        EXPECT_EQ(f.lowerY, -1.0) << c.width;
        EXPECT_EQ(f.upperX, c.upperX) << c.width;
        const double ratio = c.plotWidth > 0 ? c.plotHeight / c.plotWidth : 1.0;
        EXPECT_DOUBLE_EQ((f.upperY - f.lowerY), (f.upperX - f.lowerX) * ratio) << c.width;
    }
}

TEST(Dashes, CoverTheSegmentInStepsAndStayFew) {
    const bend::Segment s{0, 0, 30, 40};  // 50 long
    const std::vector<bend::Segment> d = console::Dashes(s, 6, 4);
    ASSERT_EQ(d.size(), 5u);
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_NEAR(d[i].x1, 6.0 * i, 1e-9);
        EXPECT_NEAR(d[i].y1, 8.0 * i, 1e-9);
        EXPECT_NEAR(std::hypot(d[i].x2 - d[i].x1, d[i].y2 - d[i].y1), 6.0, 1e-9);
    }
    // The last dash ends with the segment.
    const std::vector<bend::Segment> cut = console::Dashes({0, 0, 13, 0}, 6, 4);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].x2, 13.0);
    // An arm near the vertical runs far off the picture: a few hundred dashes at most.
    EXPECT_LE(console::Dashes({0, 0, 0, 1e12}, 0.5, 0.5).size(), 400u);
    EXPECT_TRUE(console::Dashes({0, 0, kInf, 0}, 6, 4).empty());
    EXPECT_TRUE(console::Dashes({1, 1, 1, 1}, 6, 4).empty());
}

TEST(BendStop, AskedOnceWhenTheRunningTestReachesTheTarget) {
    struct Case {
        double angle, target;
        bool running, asked, due;
    };
    const Case cases[] = {
        {30, 30, true, false, true},  {31, 30, true, false, true},   {29.9, 30, true, false, false},
        {31, 30, true, true, false},  {31, 30, false, false, false}, {0, 0, true, false, false},
        {5, -10, true, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(console::BendStopDue(c.angle, c.target, c.running, c.asked), c.due)
            << c.angle << " " << c.target << " " << c.running << " " << c.asked;
    }
}

// The real window with "ГОСТ 14019" chosen and the refresh driven by hand.
class BendPicture : public ::testing::Test {
protected:
    void SetUp() override {
        rig.Start();
        rig.StopPolling();
        Pick("ГОСТ 14019");
        method = rig.window->Work()->Methods().Current();
        ASSERT_EQ(method->GetInt("iVISUAL"), 1);
    }

    void Pick(const char* text) {
        rig.window->Command(243);
        auto* methods = rig.Find<QListWidget>("Mirandex");
        const auto found = methods->findItems(QString::fromUtf8(text), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text;
        methods->setCurrentItem(found.front());
        rig.window->Command(241);
    }

    // Refresh ticks with the crosshead at `travel`, then the posted codes run.
    void Ticks(double travel, int n = 3) {
        for (int i = 0; i < n; ++i) {
            rig.window->Work()->Channel(2).value = travel;
            rig.window->Timer1Timer();
            ConsoleRig::Drain();
        }
    }

    int Stops() const {
        int n = 0;
        for (int code : rig.dispatched)
            n += code == 2 ? 1 : 0;
        return n;
    }

    ConsoleRig rig;
    C_Parametr* method = nullptr;
};

TEST_F(BendPicture, ReachingTheTargetAngleStopsTheTestOnce) {
    method->SetFloat("fALF", 30.0f);
    rig.window->Command(1);
    ASSERT_EQ(rig.window->Work()->State(), C_Work::kRunning);
    rig.ClearTraces();

    Ticks(30.0);  // 28.9°
    EXPECT_EQ(Stops(), 0);
    auto* angle = rig.Find<TMegaDatchik>("Datchik3");
    EXPECT_FALSE(angle->isHidden());
    EXPECT_EQ(angle->ValueText(0), "28,88");

    Ticks(40.0, 5);  // 38.6°: every redraw sees it, one stop
    EXPECT_EQ(Stops(), 1);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kFinished);
    EXPECT_EQ(angle->ValueText(0), "38,63");
    // Channel 6 took the angle through its value path.
    EXPECT_NEAR(rig.window->Work()->Channel(6).peak, 38.63, 0.01);

    // The next test asks again, once.
    rig.window->Command(241);
    rig.window->Command(1);
    rig.ClearTraces();
    Ticks(40.0, 5);
    EXPECT_EQ(Stops(), 1);
}

TEST_F(BendPicture, ATestUnderTheSameProtocolNumberStopsAtTheTargetToo) {
    method->SetFloat("fALF", 30.0f);
    rig.window->Command(1);
    const int number = rig.window->ProtocolNumber();
    Ticks(40.0, 2);
    rig.window->Command(241);
    // The number set back (as the settings may): the next start repeats it.
    rig.window->Work()->Config().iNOMPROT = number - 1;
    rig.window->Command(1);
    ASSERT_EQ(rig.window->ProtocolNumber(), number);
    rig.ClearTraces();
    Ticks(40.0, 3);
    EXPECT_EQ(Stops(), 1);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kFinished);
}

TEST_F(BendPicture, NoStopWithoutATargetOrOutsideATest) {
    method->SetFloat("fALF", 0.0f);
    rig.window->Command(1);
    rig.ClearTraces();
    Ticks(100.0);
    EXPECT_EQ(Stops(), 0);
    rig.window->Command(2);
    method->SetFloat("fALF", 30.0f);
    rig.window->Command(241);
    rig.ClearTraces();
    Ticks(100.0);
    EXPECT_EQ(Stops(), 0);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kSetUp);
}

TEST_F(BendPicture, DrawsToScaleWithoutTouchingTheRecordedRanges) {
    method->SetFloat("fALF", 0.0f);
    rig.window->Command(1);
    for (int i = 1; i <= 30; ++i)
        rig.unit->Emit(0.1 * i, 0.5 * i, 0.2 * i);
    C_Buffer& b = rig.window->Work()->Buffer();
    ASSERT_GT(b.GetCount(0), 0);
    const std::vector<double> ranges = {b.cans[0].min, b.cans[0].max, b.cans[1].min, b.cans[1].max};
    Ticks(20.0);
    EXPECT_EQ((std::vector<double>{b.cans[0].min, b.cans[0].max, b.cans[1].min, b.cans[1].max}),
              ranges);

    CGrafic* plot = rig.Find<CGrafic>("WorkPlotter");
    const plot::View& v = plot->view;
    EXPECT_FALSE(plot->autoscale);
    EXPECT_EQ(v.lowerX, -1.0);
    EXPECT_EQ(v.upperX, 350.0);  // 2·50 + 200 + 50
    EXPECT_NEAR(v.spanX / v.plotWidth, v.spanY / v.plotHeight, 1e-12);

    // Where the rolls and the mandrel are, the picture is silver.
    const QImage picture = plot->Picture();
    picture.save(
        QString::fromStdString((testsupport::TestOutputFolder() / "bend_picture.png").string()));
    const double ym = 50 + 25 + 25 + 20 - 20.0;
    for (const auto& [x, y] : {std::pair{50.0, 50.0}, {300.0, 50.0}, {175.0, ym}}) {
        const QPoint at(static_cast<int>(plot->LM_X(x)), static_cast<int>(plot->LM_Y(y)));
        EXPECT_EQ(picture.pixel(at) & 0xFFFFFF, 0xC0C0C0u) << x << "," << y;
    }

    rig.window->grab().save(QString::fromStdString(
        (testsupport::TestOutputFolder() / "bend_picture_screen.png").string()));

    // Another method: the plot scales to its data again and the readout goes.
    rig.window->Command(2);
    Pick("ГОСТ 1497");
    Ticks(0.0, 1);
    EXPECT_TRUE(plot->autoscale);
    EXPECT_TRUE(rig.Find<TMegaDatchik>("Datchik3")->isHidden());
}

TEST_F(BendPicture, AbsurdTravelKeepsTheLastAngle) {
    method->SetFloat("fALF", 30.0f);
    rig.window->Command(1);
    rig.ClearTraces();
    Ticks(10.0, 1);
    auto* angle = rig.Find<TMegaDatchik>("Datchik3");
    const std::string shown = angle->ValueText(0);
    for (double travel : {std::nan(""), kInf, -kInf, 1e300, -1e300}) {
        Ticks(travel, 1);
        EXPECT_EQ(angle->ValueText(0), shown) << travel;
    }
    EXPECT_EQ(Stops(), 0);
    EXPECT_EQ(rig.window->Work()->State(), C_Work::kRunning);
}

TEST_F(BendPicture, VisualisationOffLeavesTheReadoutAsItWas) {
    Ticks(10.0, 1);
    auto* angle = rig.Find<TMegaDatchik>("Datchik3");
    ASSERT_FALSE(angle->isHidden());
    const std::string shown = angle->ValueText(0);
    method->SetInt("iVISUAL", 0);
    rig.Find<CGrafic>("WorkPlotter")->DrawGrid();
    Ticks(50.0, 1);
    EXPECT_FALSE(angle->isHidden());
    EXPECT_EQ(angle->ValueText(0), shown);
}

}  // namespace

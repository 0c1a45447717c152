#include "protocols/creport.h"
#include "model/configini.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/cotchet.h"
#include "controls/symbolfont.h"
#include "model/configini.h"
#include "model/parametr.h"
#include "protocols/verification.h"
#include "support/curves.h"
#include "support/poppler.h"
#include "support/station.h"
#include "support/test_output.h"

namespace {

using testsupport::Squeezed;
using testsupport::Station;
namespace curves = testsupport::curves;

TEST(VerificationFigures, RowsOfTheTable) {
    struct Case {
        float p;
        std::array<float, 3> readings;
        std::array<const char*, 9> row;
    };
    const std::vector<Case> cases = {
        // A run left at 0 is not a reading: neither in the mean nor the extremes.
        {10,
         {10.1f, 0, 10.3f},
         {"10.000", "10.100", "-", "10.300", "10.200", "2.000", "0.200", "2.000", "0.200"}},
        {10,
         {0, 10.2f, 10.4f},
         {"10.000", "-", "10.200", "10.400", "10.300", "3.000", "0.300", "2.000", "0.200"}},
        // Below the check point: positive relative, negative absolute error.
        {10,
         {9.8f, 9.8f, 9.8f},
         {"10.000", "9.800", "9.800", "9.800", "9.800", "2.000", "-0.200", "0.000", "0.000"}},
        // A check point of 0 has no relative figures.
        {0, {1, 1.5f, 0}, {"0.000", "1.000", "1.500", "-", "1.250", "-", "1.250", "-", "0.500"}},
        {5, {0, 0, 0}, {"5.000", "-", "-", "-", "-", "-", "-", "-", "-"}},
    };
    for (const Case& c : cases) {
        const auto row = verification::RowTexts(c.p, c.readings);
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(row[static_cast<std::size_t>(k)], c.row[static_cast<std::size_t>(k)])
                << c.p << " " << c.readings[0] << "," << c.readings[1] << "," << c.readings[2]
                << " column " << k;
    }
}

// The station of the engine tests with a page canvas and the protocol maker
// handed in, as the console does it.
struct ProtocolStand {
    C_Otchet otchet;
    C_Report report{&otchet};
    Station s;
    ProtocolStand() {
        // The machine the heading names, as the station's settings keep it.
        TConfigINI ini(s.folder.path());
        ini.FileName = "Config";
        ini.WriteS("7", "Название машины", "ТХ4700-2Ж5");
        s.work.SetReport(&report);
        s.StartUp();
    }
    C_Parametr& Method() { return *s.work.Methods().Current(); }
    void Set(const char* name, const std::string& text) {
        C_Parametr& m = Method();
        ASSERT_TRUE(m.SetFromText(m.IndexOf(name), text)) << name;
    }
    // The protocol as the console's print command makes it, as a PDF.
    std::string Pdf(const std::string& name, int rowCount = -1) {
        report.SetRowCount(rowCount);
        report.ClearOtchet();
        report.MakeOtchet();
        const QString file =
            QString::fromStdString((testsupport::TestOutputFolder() / name).string());
        EXPECT_TRUE(otchet.WritePdf(file));
        return file.toStdString();
    }
};

// The text as laid out on the sheet: a caption and its value stay on one line.
std::string Text(const std::string& pdf, int first = 0, int last = 0) {
    QStringList args{"-layout"};
    if (first > 0) args << "-f" << QString::number(first) << "-l" << QString::number(last);
    return testsupport::PdfText(QString::fromStdString(pdf), args).value_or("");
}

// Width and height of a page in points, as pdfinfo says ("595 x 842").
std::pair<double, double> PageSize(const std::string& pdf, int page) {
    const std::string info =
        testsupport::Poppler("pdfinfo", {"-f", QString::number(page), "-l", QString::number(page),
                                         QString::fromStdString(pdf)})
            .value_or("");
    const auto at = info.find("size:");
    if (at == std::string::npos) return {0, 0};
    const QStringList parts =
        QString::fromStdString(info.substr(at + 5, info.find(" pts", at) - at - 5)).split(u'x');
    if (parts.size() != 2) return {0, 0};
    return {parts[0].trimmed().toDouble(), parts[1].trimmed().toDouble()};
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(TestProtocol, ThreeSheetsWithEveryLineAsText) {
    ProtocolStand st;
    ASSERT_TRUE(st.s.console.SelectMethod(2, 0, 0));
    C_Parametr& m = st.Method();
    m.SetMaxText("sGO", "17");
    C_Config& config = st.s.work.Config();
    ASSERT_TRUE(config.SetFromText(config.IndexOf("sMNAME"), "УММ-100"));
    st.Set("sZK0", "соответствует ГОСТ");
    st.Set("sZK1", "образец без дефектов");
    st.Set("sNI", "Иванов И.И.");
    st.Set("sZL", "Петров П.П.");
    st.Set("sP001", "Ст3сп");
    const curves::Specimen specimen{78.5, 50.0};
    curves::Record(curves::SampleOf(curves::Bilinear{}, 0.14, 4000, specimen), st.s.work.Buffer());
    st.s.work.Buffer().AddPrintRect(0.0f, 1.0f, 40.0f, 0.0f, 2, 1);
    st.s.work.Buffer().AddPrintRect(2.0f, 7.0f, 40.0f, 20.0f, 2, 1);

    const std::string pdf = st.Pdf("test_protocol.pdf");
    ASSERT_EQ(st.otchet.PageCount(), 3);
    const std::string all = Text(pdf);
    if (all.empty()) GTEST_SKIP() << "poppler's tools are not installed";
    const std::string page1 = Squeezed(Text(pdf, 1, 1));
    const auto has = [&page1](const std::string& what) {
        return page1.find(Squeezed(what)) != std::string::npos;
    };
    EXPECT_TRUE(has("Протокол испытания № 17"));
    EXPECT_TRUE(has("На машине УММ-100"));
    EXPECT_TRUE(has("№ Параметр Данные"));
    EXPECT_TRUE(has("1 Нормативный документ ГОСТ 1497"));
    EXPECT_TRUE(has("2 Тип образца Цилиндрический"));
    // Every visible parameter of groups 0 to 3 but the two signatures, with
    // its symbols as the sheet shows them.
    int row = 3;
    for (int g = 0; g <= 3; ++g) {
        for (int i = 0; i < m.Count(); ++i) {
            if (!m.VisibleInGroup(i, g)) continue;
            const std::string& name = m.Record(i)->name;
            if (name == "sNI" || name == "sZL") continue;
            const std::string caption = draw::SymbolText(m.GetCaption(i)).toStdString();
            EXPECT_TRUE(has(std::to_string(row) + caption + m.ValueToText(i)))
                << row << " " << caption;
            ++row;
        }
    }
    EXPECT_TRUE(has("Предел прочности σв, Н/мм²"));
    EXPECT_TRUE(has("Заключение: соответствует ГОСТ образец без дефектов График:"));
    EXPECT_TRUE(has("Ворталинец: _________ Иванов И.И."));
    EXPECT_TRUE(has("Зав. Лабораторией: _________ Петров П.П."));
    EXPECT_TRUE(has("Лист 1 из 3"));
    EXPECT_NE(Squeezed(Text(pdf, 2, 2)).find("Лист2из3"), std::string::npos);
    EXPECT_NE(Squeezed(Text(pdf, 3, 3)).find("Лист3из3"), std::string::npos);
    // A4, portrait then landscape.
    for (int page : {1, 2, 3}) {
        const auto [w, h] = PageSize(pdf, page);
        EXPECT_NEAR(w, page == 1 ? 595.3 : 841.9, 1.0) << page;
        EXPECT_NEAR(h, page == 1 ? 841.9 : 595.3, 1.0) << page;
    }

    // Page 1 for a person to look at.
    testsupport::Poppler("pdftoppm",
                         {"-png", "-r", "80", "-f", "1", "-l", "1", QString::fromStdString(pdf),
                          QString::fromStdString(
                              (testsupport::TestOutputFolder() / "test_protocol_page").string())});
}

TEST(TestProtocol, RowCountMovesTheTableDown) {
    ProtocolStand st;
    ASSERT_TRUE(st.s.console.SelectMethod(2, 0, 0));
    // Automatic: the table starts on the third line (11.4 mm); a chosen row
    // count starts it a line lower (17.1 mm).
    struct Case {
        int rowCount;
        float topMm;
    };
    for (const Case c : {Case{-1, 11.4f}, Case{2, 17.1f}}) {
        st.report.SetRowCount(c.rowCount);
        st.report.MakeOtchet();
        EXPECT_FLOAT_EQ(st.otchet.TabY, c.topMm) << c.rowCount;
        const int expected = c.rowCount == -1 ? st.Method().CountShown() + 1 : c.rowCount + 3;
        EXPECT_EQ(static_cast<int>(st.otchet.TabRows), expected);
    }
}

TEST(TestProtocol, NoPrintWindowsOneSheetAndNoRoomNoGraph) {
    ProtocolStand st;
    ASSERT_TRUE(st.s.console.SelectMethod(0, 0, 0));
    st.report.SetRowCount(60);  // more rows than the sheet has room for
    const std::string pdf = st.Pdf("crowded_protocol.pdf", 60);
    EXPECT_EQ(st.otchet.PageCount(), 1);
    const std::string text = Squeezed(Text(pdf));
    if (text.empty()) GTEST_SKIP() << "poppler's tools are not installed";
    EXPECT_NE(text.find("Лист1из1"), std::string::npos);
}

// The graph and the window sheets take their channels from the method and the
// buffer as they stand: channels the buffer lacks give sheets without a curve.
TEST(TestProtocol, ChannelsOutsideTheBufferPrintWithoutACurve) {
    ProtocolStand st;
    ASSERT_TRUE(st.s.console.SelectMethod(2, 0, 0));
    const curves::Specimen specimen{78.5, 50.0};
    curves::Record(curves::SampleOf(curves::Bilinear{}, 0.14, 400, specimen), st.s.work.Buffer());
    C_Parametr& m = st.Method();
    *m.vals[static_cast<size_t>(m.IndexOf("fOX"))].intValue = 9;
    *m.vals[static_cast<size_t>(m.IndexOf("fOY"))].intValue = -2;
    st.s.work.Buffer().AddPrintRect(0.0f, 1.0f, 40.0f, 0.0f, 7, 1);
    st.s.work.Buffer().AddPrintRect(0.0f, 1.0f, 40.0f, 0.0f, 2, -1);
    st.Pdf("odd_channels_protocol.pdf");
    EXPECT_EQ(st.otchet.PageCount(), 3);
}

TEST(VerificationProtocol, TablesHeadingAndFigures) {
    ProtocolStand st;
    ASSERT_TRUE(st.s.console.SelectMethod(1, 0, 0));
    C_Parametr& m = st.Method();
    m.SetInt("iTO", 3);
    st.s.work.Channel(4).unit = "кН";
    m.SetInt("fPCOU", 2);
    m.SetFloat("fPS_1", 10);
    m.SetFloat("fKP1_0", 10.1f);
    m.SetFloat("fKP3_0", 10.3f);
    m.SetFloat("fPS_2", 0);
    m.SetFloat("fKP1_1", 0.5f);
    st.Set("sOBR3", "01.02.2026");

    std::string pdf = st.Pdf("verification_protocol.pdf");
    std::string text = Text(pdf);
    if (text.empty()) GTEST_SKIP() << "poppler's tools are not installed";
    const std::string flat = Squeezed(text);
    EXPECT_NE(flat.find("Протокол№____"), std::string::npos);
    EXPECT_NE(flat.find("поверкиизмерителясилыизгибногоустройства"), std::string::npos);
    EXPECT_NE(flat.find("испытательноймашиныТХ4700-2Ж5"), std::string::npos);
    // Headings wrap in their cells; their pieces carry the unit of channel 4.
    for (const char* piece : {"Прове-", "точка,кН", "прямомходе,кН", "абс.,кН", "отн.,%"})
        EXPECT_NE(flat.find(piece), std::string::npos) << piece;
    // The reference's date is printed with the other lines.
    EXPECT_NE(flat.find("Датаповеркиобразцовогосредства01.02.2026"), std::string::npos);
    for (const char* figure : {"10.200", "2.000", "0.200"})
        EXPECT_NE(text.find(figure), std::string::npos) << figure;
    EXPECT_EQ(Occurrences(flat, "Показаниямашины"), 1);
    EXPECT_EQ(Occurrences(flat, "обратномходе"), 0);
    EXPECT_NE(flat.find("Поверкупровел:_________"), std::string::npos);

    // One reverse reading brings the second table.
    m.SetFloat("fKO2_1", 0.4f);
    pdf = st.Pdf("verification_protocol_both.pdf");
    const std::string both = Squeezed(Text(pdf));
    EXPECT_EQ(Occurrences(both, "Показаниямашины"), 2);
    EXPECT_EQ(Occurrences(both, "обратномходе"), 1);
    EXPECT_EQ(st.otchet.PageCount(), 1);
}

TEST(TestProtocol, TheCanvasBelongsToTheWindow) {
    auto otchet = std::make_unique<C_Otchet>();
    {
        C_Report report(otchet.get());
        report.ClearOtchet();
    }
    // The report is gone; the canvas is whole and still works.
    otchet->CreatePage(1);
    EXPECT_EQ(otchet->PageCount(), 2);
}

}  // namespace

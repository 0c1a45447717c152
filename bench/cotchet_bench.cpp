// The page canvas with a recorded tension test of a million samples: the
// graph drawn onto a protocol page, and a three-sheet protocol (the
// portrait sheet and two landscape print windows) written to PDF.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>

#include <string>

#include "controls/cotchet.h"
#include "model/cbuffer.h"
#include "support/curves.h"

namespace {

using namespace testsupport::curves;

void TensionTest(C_Buffer& buffer) {
    const Specimen specimen{78.54, 50.0};
    const Bilinear model;
    Recording r = SampleOf(model, model.fractureStrain, 1000000, specimen, 100);
    AddForceNoise(r, 0.002 * MaxOf(r.force), 11);
    Record(r, buffer);
    buffer.SetName(1, "F,кН");
    buffer.SetName(2, "L,мм");
}

// A portrait sheet with a title, a table and the graph, as the test
// protocol lays it out.
void PortraitSheet(C_Otchet& otchet, const C_Buffer& buffer) {
    otchet.CreatePage(1);
    otchet.PageSelect(otchet.PageCount() - 1);
    otchet.BeginDoc();
    otchet.AddLine(70, 0, "Протокол испытания № 17");
    otchet.AddTable(3, 12, 5, 11.4f, 183, 0);
    for (int r = 0; r < 12; ++r) {
        otchet.Cells(0, r, std::to_string(r + 1), 1);
        otchet.Cells(1, r, "Предел прочности `в, Н/мм~", 13);
        otchet.Cells(2, r, "452.3", 15);
    }
    otchet.GetGraf(&buffer, "L,мм", "F,кН", 2, 1, 5, 90, otchet.PageWidthMm - 5, 170);
    otchet.EndDoc();
}

void LandscapeSheet(C_Otchet& otchet, const C_Buffer& buffer, float xMax) {
    otchet.CreatePage(0);
    otchet.PageSelect(otchet.PageCount() - 1);
    otchet.BeginDoc();
    otchet.SetOrigin(0, 0, xMax, 0, 40);
    otchet.GetGraf(&buffer, "", "", 2, 1, 0, 0, otchet.PageWidthMm, otchet.PageHeightMm - 1);
    otchet.EndDoc();
}

void BM_GetGraf(benchmark::State& state) {
    C_Buffer buffer;
    TensionTest(buffer);
    C_Otchet otchet;
    otchet.CreateViewer();
    for (auto _ : state) {
        otchet.ClearList();
        otchet.CreatePage(1);
        otchet.PageSelect(0);
        otchet.BeginDoc();
        otchet.GetGraf(&buffer, "L,мм", "F,кН", 2, 1, 5, 51.3f, otchet.PageWidthMm - 5, 200);
        otchet.EndDoc();
    }
}

void BM_WritePdf(benchmark::State& state) {
    C_Buffer buffer;
    TensionTest(buffer);
    C_Otchet otchet;
    otchet.CreateViewer();
    otchet.Font = draw::Font::FromPoints("Vortalinz", 13);
    PortraitSheet(otchet, buffer);
    LandscapeSheet(otchet, buffer, 2);
    LandscapeSheet(otchet, buffer, 8);
    const QString file = QDir::temp().filePath(QStringLiteral("cotchet_bench.pdf"));
    for (auto _ : state) {
        if (!otchet.WritePdf(file)) state.SkipWithError("the PDF could not be written");
    }
    state.counters["PDF bytes"] = static_cast<double>(QFileInfo(file).size());
    QFile::remove(file);
}

BENCHMARK(BM_GetGraf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePdf)->Unit(benchmark::kMillisecond);

}  // namespace

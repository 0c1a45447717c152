// The test protocol of a long test as the console's print command makes it:
// the layout of three sheets (the parameter table, the graph of a curve of a
// million samples, two print windows) and the PDF written from them.

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QString>

#include <filesystem>

#include "controls/cotchet.h"
#include "protocols/creport.h"
#include "support/curves.h"
#include "support/station.h"

namespace {

namespace curves = testsupport::curves;

struct LongTest {
    C_Otchet otchet;
    C_Report report{&otchet};
    testsupport::Station station;
    LongTest() {
        station.work.SetReport(&report);
        station.StartUp();
        station.console.SelectMethod(2, 0, 0);
        curves::Recording r =
            curves::SampleOf(curves::Bilinear{}, 0.14, 1'000'000, curves::Specimen{78.5, 50.0});
        curves::AddForceNoise(r, 0.05, 7);
        curves::Record(r, station.work.Buffer());
        station.work.Buffer().AddPrintRect(0.0f, 1.0f, 40.0f, 0.0f, 2, 1);
        station.work.Buffer().AddPrintRect(2.0f, 7.0f, 40.0f, 20.0f, 2, 1);
        report.SetRowCount(-1);
    }
};

void BM_MakeOtchetMillionSamples(benchmark::State& state) {
    LongTest t;
    for (auto _ : state) {
        t.report.MakeOtchet();
    }
    state.counters["sheets"] = t.otchet.PageCount();
}
BENCHMARK(BM_MakeOtchetMillionSamples)->Unit(benchmark::kMillisecond);

void BM_WritePdfMillionSamples(benchmark::State& state) {
    LongTest t;
    t.report.MakeOtchet();
    const QString file = QString::fromStdString(
        (std::filesystem::temp_directory_path() / "utm-bench-protocol.pdf").string());
    for (auto _ : state) {
        t.otchet.WritePdf(file);
    }
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(file).size()) / 1024.0;
    std::filesystem::remove(file.toStdString());
}
BENCHMARK(BM_WritePdfMillionSamples)->Unit(benchmark::kMillisecond);

}  // namespace

// What the operator's own actions cost the window's thread at the end of a
// test of a million samples: СТОП, ОБНОВИТЬ РАСЧЕТ, saving, opening, the
// protocol's preview and its PDF. Each runs through the real main window
// (offscreen, a fake unit) from the click to the last event it left queued,
// repaints included; the window answers nothing else meanwhile.

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPrinter>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>

#include "console/tfbase.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "engine/cwork.h"
#include "platform/formatfloat.h"
#include "support/curves.h"
#include "support/fake_unit.h"
#include "support/fixtures.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"

namespace {

namespace curves = testsupport::curves;

constexpr int kSamples = 1'000'000;

// Everything queued runs, paint events included.
void Drain() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
    }
}

// The main window as the operator has it after a long tension test.
class Console {
public:
    Console() {
        platform::SetDecimalSeparator(',');
        console::ConsoleDeps deps;
        deps.programFolder = folder.path();
        deps.clock = &clock;
        deps.random = &random;
        deps.messages = &fileErrors;
        deps.makeUnit = [this](const console::UnitWiring& w) {
            auto u = std::make_unique<testsupport::FakeUnit>(true, true);
            u->sink = &w.samples;
            u->status = w.status;
            unit = u.get();
            return std::unique_ptr<C_Connect>(std::move(u));
        };
        window = std::make_unique<TFBase>(std::move(deps));
        window->resize(1390, 755);
        window->show();
        QElapsedTimer waited;
        waited.start();
        while (!window->Started() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        Drain();
        Dismiss();
        // The live readouts and the polling would run between the actions.
        window->findChild<QTimer*>("Timer1")->stop();
        window->Station().StopPolling();
        auto* methods = Find<QListWidget>("Mirandex");
        for (int r = 0; r < methods->count(); ++r)
            if (methods->item(r)->text() == QString::fromUtf8("ГОСТ 1497"))
                methods->setCurrentRow(r);
        // Hardening to the end: no break stops the test before СТОП does.
        recording =
            curves::SampleOf(curves::Bilinear{}, 0.1, kSamples, curves::Specimen{78.5, 50.0}, 0);
        curves::AddForceNoise(recording, 0.05, 7);
    }

    template <class T = QWidget>
    T* Find(const char* name) const {
        return window->findChild<T*>(name);
    }

    void Click(const char* name) {
        auto* b = Find<TMegaButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }

    // Whatever the station said is answered.
    void Dismiss() {
        for (int i = 0; i < 3 && !window->MessageText().empty(); ++i) {
            Click("Butt_OK");
            Drain();
        }
    }

    // ПУСК and a million samples from the unit, drawn on the live plot as
    // its refresh draws them; the test still runs.
    bool RecordRunning() {
        window->Command(1);
        C_Work& work = *window->Work();
        for (int c = 1; c <= 3; ++c)
            work.Channel(c).rawMode = true;
        // The force's noise near zero is no break: the test runs until СТОП.
        work.Channel(1).breakPercent = 0.0;
        for (int i = 0; i < recording.Size(); ++i) {
            const auto at = static_cast<size_t>(i);
            unit->Emit(recording.time[at], recording.force[at], recording.displacement[at],
                       recording.extensometer[at]);
        }
        window->Timer1Timer();
        Drain();
        return work.State() == C_Work::kRunning && work.Buffer().GetCount(1) >= kSamples - 10;
    }

    // A finished test on the result screen.
    bool Recorded() {
        if (!RecordRunning()) return false;
        Click("BUT_STOP");
        Drain();
        Dismiss();
        return window->Work()->Buffer().GetCount(1) >= kSamples - 10;
    }

    // Two print windows chosen on the result plot: two more sheets.
    void ChoosePrintWindows() {
        C_Buffer& b = window->Work()->Buffer();
        b.AddPrintRect(0.0f, 1.0f, 40.0f, 0.0f, 2, 1);
        b.AddPrintRect(2.0f, 7.0f, 40.0f, 20.0f, 2, 1);
    }

    std::string SaveFolder() const { return folder.File("SaveTest/ГОСТ 1497"); }

    testsupport::TempFolder folder;
    testsupport::FakeClock clock;
    testsupport::ScriptedRandom random;
    testsupport::RecordingSink fileErrors;
    testsupport::FakeUnit* unit = nullptr;
    std::unique_ptr<TFBase> window;
    curves::Recording recording;
};

// The time from the click to the window's idle again, as the iteration's time.
template <class Action>
void Time(benchmark::State& state, Action&& action) {
    QElapsedTimer t;
    t.start();
    action();
    Drain();
    state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) * 1e-9);
}

// The first stop of the day also lays out the result screen: first_ms.
void BM_StopClick(benchmark::State& state) {
    Console c;
    if (!c.RecordRunning()) state.SkipWithError("no running test of a million samples");
    QElapsedTimer first;
    first.start();
    c.Click("BUT_STOP");
    Drain();
    state.counters["first_ms"] = static_cast<double>(first.nsecsElapsed()) * 1e-6;
    c.Dismiss();
    for (auto _ : state) {
        if (!c.RecordRunning()) state.SkipWithError("no running test of a million samples");
        Time(state, [&] { c.Click("BUT_STOP"); });
        if (c.window->Work()->State() == C_Work::kRunning) state.SkipWithError("not stopped");
        c.Dismiss();
    }
}
BENCHMARK(BM_StopClick)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_UpdateCalculation(benchmark::State& state) {
    Console c;
    if (!c.Recorded()) state.SkipWithError("no test of a million samples");
    for (auto _ : state) {
        Time(state, [&] { c.Click("RASCHET"); });
        c.Dismiss();
    }
}
BENCHMARK(BM_UpdateCalculation)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_SaveClick(benchmark::State& state) {
    Console c;
    if (!c.Recorded()) state.SkipWithError("no test of a million samples");
    int n = 0;
    for (auto _ : state) {
        c.Click("MegaButton26");
        Drain();
        c.Find<QLineEdit>("Edit4")->setText(QString("Длинный %1").arg(++n));
        Time(state, [&] { c.Click("SAVE_DIALOG"); });
        if (!c.window->MessageText().starts_with("Файл сохранен")) state.SkipWithError("not saved");
        c.Dismiss();
    }
    std::filesystem::remove_all(c.SaveFolder());
}
BENCHMARK(BM_SaveClick)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_OpenClick(benchmark::State& state) {
    Console c;
    if (!c.Recorded()) state.SkipWithError("no test of a million samples");
    std::filesystem::create_directories(c.SaveFolder());
    const std::string file = c.SaveFolder() + "/long.ipc";
    if (!c.window->Work()->SaveTest(file)) state.SkipWithError("not saved");
    for (auto _ : state) {
        c.Click("MegaButton25");
        Drain();
        auto* files = c.Find<QListView>("FileListBox1");
        auto* model = static_cast<QFileSystemModel*>(files->model());
        const QString path = QString::fromStdString(file);
        QElapsedTimer waited;
        waited.start();
        while (
            (!model->index(path).isValid() || model->index(path).parent() != files->rootIndex()) &&
            waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        files->setCurrentIndex(model->index(path));
        Time(state, [&] { c.Click("OPENFILE_BUT"); });
        if (!c.Find<QWidget>("OPENFILE_PANEL")->isHidden()) state.SkipWithError("not opened");
        c.Dismiss();
    }
    std::filesystem::remove_all(c.SaveFolder());
}
BENCHMARK(BM_OpenClick)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_PreviewClick(benchmark::State& state) {
    Console c;
    if (!c.Recorded()) state.SkipWithError("no test of a million samples");
    c.ChoosePrintWindows();
    for (auto _ : state) {
        Time(state, [&] { c.Click("MegaButton27"); });
        if (c.Find<QStackedWidget>("BaseTab")->currentIndex() != 3)
            state.SkipWithError("no preview");
        c.Click("BACK_BUT");
        Drain();
    }
    state.counters["sheets"] = c.window->findChild<C_Otchet*>("C_Otchet1")->PageCount();
}
BENCHMARK(BM_PreviewClick)->Unit(benchmark::kMillisecond)->UseManualTime();

// ПЕЧАТЬ on the preview with "print to file" chosen in the dialog.
void BM_PdfClick(benchmark::State& state) {
    Console c;
    if (!c.Recorded()) state.SkipWithError("no test of a million samples");
    c.ChoosePrintWindows();
    c.Click("MegaButton27");
    Drain();
    const QString pdf = QString::fromStdString(c.folder.File("protocol.pdf"));
    c.window->findChild<C_Otchet*>("C_Otchet1")->RunPrintDialog = [&](QPrinter& printer, int) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    for (auto _ : state) {
        Time(state, [&] { c.Click("PRINT"); });
        if (!QFileInfo::exists(pdf)) state.SkipWithError("no PDF");
        std::filesystem::remove(pdf.toStdString());
        // The station says where the protocol went; the next tap needs it gone.
        c.window->CloseMes();
    }
    state.counters["sheets"] = c.window->findChild<C_Otchet*>("C_Otchet1")->PageCount();
    c.Click("BACK_BUT");
    Drain();
}
BENCHMARK(BM_PdfClick)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

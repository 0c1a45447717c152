// The window's side of the file panels and the protocol preview: the save
// and open panels over the station's files, the journal started, the
// protocol made and printed, the method's rows chosen.

#include <QListWidget>
#include <QString>

#include <string>

#include "console/file_places.h"
#include "console/keyboard_offer.h"
#include "console/open_panel.h"
#include "console/preview_screen.h"
#include "console/row_choice_panel.h"
#include "console/save_panel.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "engine/cwork.h"
#include "protocols/creport.h"
#include "station/busy_scope.h"
#include "station/station_files.h"

namespace {

constexpr const char* kMakingReport = "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...";

}  // namespace

void TFBase::SetLauncher(platform::Launcher* launcher) {
    openPanel_->SetLauncher(launcher);
}

void TFBase::BuildFilePanels() {
    using S = station::StationController;
    using F = station::TestFiles;
    F& files = station_->Files();
    console::KeyboardOffer* keyboard = keyboard_;

    // ----- save panel; the station makes the method's folder once it is up
    savePanel_ = new console::SavePanel(files, this);
    panels_.Add(savePanel_);
    connect(savePanel_, &console::SavePanel::keyboardRequested, keyboard,
            &console::KeyboardOffer::Show);
    connect(savePanel_, &console::SavePanel::cancelled, keyboard, &console::KeyboardOffer::Hide);
    connect(station_.get(), &S::saveRequested, this, [this, &files] {
        files.SetMethodName(setupScreen_->MethodName().value_or(std::string()));
        savePanel_->SetName(files.DefaultName());
        panels_.Centre(savePanel_);
        panels_.Open(savePanel_);
    });
    connect(&files, &F::methodFolderMade, this, [this, &files](const QString& folder) {
        savePanel_->ShowPlaces(ProgramDir(), files.SaveTestFolder(), folder.toStdString());
    });
    // The panel waits hidden for the answer to the question and comes back on "no".
    connect(&files, &F::saveWaiting, savePanel_, &QWidget::hide);
    connect(&files, &F::saveOfferedAgain, this, [this] { panels_.Open(savePanel_); });
    connect(&files, &F::writingStarted, keyboard, &console::KeyboardOffer::Hide);

    // ----- open panel and the journal
    openPanel_ = new console::OpenPanel(files, this);
    panels_.Add(openPanel_);
    connect(station_.get(), &S::openRequested, this, [this, &files] {
        panels_.Centre(openPanel_);
        panels_.Open(openPanel_);
        openPanel_->ShowPlaces(ProgramDir(), files.SaveTestFolder(),
                               files.MethodFolder(setupScreen_->MethodName().value_or("")));
    });
    connect(openPanel_, &console::OpenPanel::journalRequested, this, [this] {
        const std::string refused = openPanel_->StartJournal(console::JournalProgram(ProgramDir()));
        if (!refused.empty()) {
            ShowMes(refused, 1, 0);
            return;
        }
        openPanel_->hide();
    });
    // The loaded test's method, sample type and extensometer on the set-up
    // screen; the result screen follows.
    connect(&files, &F::testLoaded, this, [this] {
        const C_GostWorks& methods = Work()->Methods();
        setupScreen_->SetExtensometer(methods.Extensometer() != 0);
        setupScreen_->ReloadMethodLists();
        setupScreen_->SetSampleType(
            methods.SampleType() < setupScreen_->SampleTypeCount() ? methods.SampleType() : 0);
        openPanel_->hide();
    });

    // ----- the protocol made
    connect(station_.get(), &S::printRequested, this, [this] {
        station::BusyScope busy(*station_, kMakingReport);
        ShowScreen(3);
        station_->Report()->SetRowCount(Work()->Methods().CountShown());
        station_->Report()->ClearOtchet();
        station_->Report()->MakeOtchet();
        previewScreen_->ReadyViewer();
        previewScreen_->ToLastSheet();
        CloseMes();
    });

    // ----- its rows chosen
    auto* rowChoice = new console::RowChoicePanel(this);
    panels_.Add(rowChoice);
    auto applyRowCount = [this, rowChoice] {
        if (station_->Report()) station_->Report()->SetRowCount(rowChoice->CheckedCount());
    };
    auto checkLine = [this, rowChoice, applyRowCount](int line, bool on) {
        C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
        if (m == nullptr) return;
        m->SetVisible(rowChoice->SetChecked(line, on), on ? 1 : 0);
        applyRowCount();
    };
    connect(previewScreen_, &console::PreviewScreen::rowChoiceRequested, this,
            [this, rowChoice, applyRowCount] {
                panels_.Centre(rowChoice);
                panels_.Open(rowChoice);
                C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
                rowChoice->ShowLines(m);
                if (m == nullptr) return;
                applyRowCount();
            });
    connect(rowChoice, &console::RowChoicePanel::checkRequested, this, checkLine);
    connect(rowChoice, &console::RowChoicePanel::checkAllRequested, this,
            [rowChoice, checkLine](bool on) {
                for (int i = 0; i < rowChoice->LineCount(); ++i)
                    checkLine(i, on);
            });
    connect(rowChoice, &console::RowChoicePanel::closeRequested, this, [this, rowChoice] {
        station::BusyScope busy(*station_, kMakingReport);
        rowChoice->hide();
        if (station_->Report()) station_->Report()->MakeOtchet();
        previewScreen_->ReadyViewer();
        previewScreen_->PreviousSheet();
        station_->AnswerMessage(2);
    });
}

// ----- report preview page

QWidget* TFBase::BuildPreviewPage() {
    previewScreen_ = new console::PreviewScreen;
    // A protocol in a file goes beside the method's saved tests; its name
    // is typed on the on-screen keyboard, put away once the panel closes.
    connect(previewScreen_, &console::PreviewScreen::keyboardRequested, keyboard_,
            &console::KeyboardOffer::Show);
    connect(previewScreen_, &console::PreviewScreen::printed, this,
            [this](bool ok, const QString& printer, const QString& pdfFile) {
                const std::string where = (pdfFile.isEmpty() ? printer : pdfFile).toStdString();
                if (!pdfFile.isEmpty()) {
                    ShowMes(ok ? "ПРОТОКОЛ ЗАПИСАН В ФАЙЛ " + where
                               : "ПРОТОКОЛ НЕ ЗАПИСАН В ФАЙЛ " + where +
                                     ": НЕТ ДОСТУПА К ПАПКЕ ИЛИ НЕТ МЕСТА НА ДИСКЕ",
                            1, 0);
                } else if (!ok) {
                    ShowMes("ПРОТОКОЛ НЕ НАПЕЧАТАН: ПРИНТЕР " + where + " НЕ ОТВЕЧАЕТ", 1, 0);
                }
            });
    connect(previewScreen_, &console::PreviewScreen::printRequested, this, [this] {
        // The method's folder as the save panel makes it.
        const station::TestFiles& files = station_->Files();
        previewScreen_->Print(
            files.MethodFolder(setupScreen_->MethodName().value_or(files.MethodName())));
        keyboard_->Hide();
    });
    connect(previewScreen_, &console::PreviewScreen::backRequested, this,
            [this] { ShowScreen(1); });
    return previewScreen_;
}

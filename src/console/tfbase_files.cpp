// The window's side of the file panels and the protocol preview: the save
// and open panels over the station's files, the journal started, the
// protocol made and printed, the method's rows chosen.

#include <QListWidget>
#include <QString>

#include <string>

#include "console/busy_scope.h"
#include "console/file_places.h"
#include "console/open_panel.h"
#include "console/preview_screen.h"
#include "console/row_choice_panel.h"
#include "console/save_panel.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "engine/cwork.h"
#include "protocols/creport.h"
#include "station/station_files.h"

void TFBase::SetLauncher(platform::Launcher* launcher) {
    openPanel_->SetLauncher(launcher);
}

void TFBase::BuildFilePanels() {
    BuildSavePanel();
    BuildOpenPanel();
    BuildListCheck();
}

// ----- save panel

void TFBase::BuildSavePanel() {
    station::TestFiles* files = &station_->Files();
    savePanel_ = new console::SavePanel(*files, this);
    connect(savePanel_, &console::SavePanel::keyboardRequested, this,
            [this] { ShowVirtualKeyboard(); });
    connect(savePanel_, &console::SavePanel::cancelled, this, [this] { HideVirtualKeyboard(); });
    connect(files, &station::TestFiles::methodFolderMade, this, [this](const QString& folder) {
        savePanel_->ShowPlaces(ProgramDir(), station_->Files().SaveTestFolder(),
                               folder.toStdString());
    });
    // The panel waits hidden for the answer to the question and comes back on "no".
    connect(files, &station::TestFiles::saveWaiting, savePanel_, &QWidget::hide);
    connect(files, &station::TestFiles::saveOfferedAgain, this, [this] { OpenPanel(savePanel_); });
    connect(files, &station::TestFiles::writingStarted, this, [this] { HideVirtualKeyboard(); });
}

// ----- open panel

void TFBase::BuildOpenPanel() {
    openPanel_ = new console::OpenPanel(station_->Files(), this);
    connect(openPanel_, &console::OpenPanel::journalRequested, this, [this] { JURNALClick(); });
    connect(&station_->Files(), &station::TestFiles::testLoaded, this, &TFBase::ShowLoadedTest);
}

void TFBase::JURNALClick() {
    const std::string refused = openPanel_->StartJournal(console::JournalProgram(ProgramDir()));
    if (!refused.empty()) {
        ShowMes(refused, 1, 0);
        return;
    }
    openPanel_->hide();
}

// ----- report preview page

QWidget* TFBase::BuildPreviewPage() {
    previewScreen_ = new console::PreviewScreen;
    // A protocol in a file goes beside the method's saved tests; its name
    // is typed on the on-screen keyboard, put away once the panel closes.
    connect(previewScreen_, &console::PreviewScreen::keyboardRequested, this,
            [this] { ShowVirtualKeyboard(); });
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
        HideVirtualKeyboard();
    });
    connect(previewScreen_, &console::PreviewScreen::rowChoiceRequested, this,
            [this] { OpenListCheck(); });
    connect(previewScreen_, &console::PreviewScreen::backRequested, this,
            [this] { ShowScreen(1); });
    return previewScreen_;
}

// ----- report row choice

void TFBase::BuildListCheck() {
    rowChoice_ = new console::RowChoicePanel(this);
    connect(rowChoice_, &console::RowChoicePanel::checkRequested, this,
            [this](int line, bool on) { CheckLine(line, on); });
    connect(rowChoice_, &console::RowChoicePanel::checkAllRequested, this,
            [this](bool on) { CheckAllLines(on); });
    connect(rowChoice_, &console::RowChoicePanel::closeRequested, this,
            [this] { CloseListCheck(); });
}

void TFBase::OpenListCheck() {
    CentrePanel(rowChoice_);
    OpenPanel(rowChoice_);
    C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
    rowChoice_->ShowLines(m);
    if (m == nullptr) return;
    ApplyRowCount();
}

void TFBase::CheckLine(int line, bool on) {
    C_Parametr* m = Work() ? Work()->Methods().Current() : nullptr;
    if (m == nullptr) return;
    m->SetVisible(rowChoice_->SetChecked(line, on), on ? 1 : 0);
    ApplyRowCount();
}

void TFBase::CheckAllLines(bool on) {
    for (int i = 0; i < rowChoice_->LineCount(); ++i)
        CheckLine(i, on);
}

void TFBase::ApplyRowCount() {
    if (Report()) Report()->SetRowCount(rowChoice_->CheckedCount());
}

void TFBase::CloseListCheck() {
    console::BusyScope busy(*this, "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...");
    rowChoice_->hide();
    if (Report()) Report()->MakeOtchet();
    previewScreen_->ReadyViewer();
    previewScreen_->PreviousSheet();
    station_->AnswerMessage(2);
}

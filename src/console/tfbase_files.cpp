// The window's side of the file panels and the protocol preview: a test
// written (asking before one is replaced) or opened and shown, the journal
// started, the protocol made and printed, the method's rows chosen.

#include <QFileInfo>
#include <QListWidget>
#include <QString>

#include <string>
#include <utility>

#include "console/file_places.h"
#include "console/open_panel.h"
#include "console/preview_screen.h"
#include "console/row_choice_panel.h"
#include "console/save_panel.h"
#include "console/setup_screen.h"
#include "console/tfbase.h"
#include "engine/cwork.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "protocols/creport.h"

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
    savePanel_ = new console::SavePanel(
        [this] { return console::DefaultSaveName(ProtocolNumber(), station_->Clock().Now()); },
        this);
    connect(savePanel_, &console::SavePanel::keyboardRequested, this,
            [this] { ShowVirtualKeyboard(); });
    connect(savePanel_, &console::SavePanel::saveAsked, this,
            [this](const std::string& path, const std::string& name, bool exportFile) {
                if (exportFile) {
                    AskBeforeWriting(SaveKind::kExport, path, name, {".txt", ".csv"});
                } else {
                    AskBeforeWriting(SaveKind::kTest, path, name, {".ipc"});
                }
            });
    connect(savePanel_, &console::SavePanel::cancelled, this, [this] { HideVirtualKeyboard(); });
}

// A file already there is replaced only when the operator says so; the
// panel waits hidden for the answer and comes back on "no".
void TFBase::AskBeforeWriting(SaveKind kind, const std::string& path, const std::string& name,
                              std::initializer_list<const char*> extensions) {
    pendingSave_ = kind;
    pendingPath_ = path;
    pendingName_ = name;
    savePanel_->hide();
    for (const char* extension : extensions) {
        if (QFileInfo::exists(QString::fromStdString(path + extension))) {
            ShowMes("Файл существует. Заменить?", 0, station::StationController::kOverwriteCode);
            return;
        }
    }
    WritePendingSave();
}

void TFBase::OverwriteAnswered() {
    if (pendingSave_ == SaveKind::kNone) return;
    if (Answer() == 1) {
        WritePendingSave();
    } else {
        pendingSave_ = SaveKind::kNone;
        OpenPanel(savePanel_);
    }
}

void TFBase::WritePendingSave() {
    const SaveKind kind = std::exchange(pendingSave_, SaveKind::kNone);
    HideVirtualKeyboard();
    if (!Work()) return;
    const std::string path = pendingPath_;
    const std::string name = pendingName_;
    // A file that could not be written was reported by its writer. A long
    // test on slow storage takes seconds.
    console::BusyScope busy(*this, "ИДЕТ СОХРАНЕНИЕ...");
    if (kind == SaveKind::kTest) {
        if (Work()->SaveTest(path + ".ipc")) ShowMes("Файл сохранен: " + name + ".ipc", 1, 0);
    } else if (kind == SaveKind::kExport) {
        if (Work()->ExportTxt(path + ".txt") && Work()->ExportCsv(path + ".csv"))
            ShowMes("Файлы сохранены: " + name + ".txt, " + name + ".csv", 1, 0);
    }
}

// ----- open panel

void TFBase::BuildOpenPanel() {
    openPanel_ = new console::OpenPanel(this);
    connect(openPanel_, &console::OpenPanel::openAsked, this,
            [this](const std::string& file) { OpenTestFile(file); });
    connect(openPanel_, &console::OpenPanel::journalRequested, this, [this] { JURNALClick(); });
}

void TFBase::OpenTestFile(const std::string& file) {
    if (!Work()) return;
    // Reading a long test from slow storage and computing it takes seconds.
    console::BusyScope busy(*this, "ИДЕТ ЗАГРУЗКА...");
    // A file that did not read (its reader said why): the panel stays for
    // another choice and the test shown stays as it was.
    if (!Work()->LoadTestFile(file)) return;
    ShowLoadedTest();
}

void TFBase::JURNALClick() {
    const std::string refused = openPanel_->StartJournal(console::JournalProgram(ProgramDir()));
    if (!refused.empty()) {
        ShowMes(refused, 1, 0);
        return;
    }
    openPanel_->hide();
}

std::string TFBase::SaveTestFolder() const {
    return platform::JoinPath(ProgramDir(), "SaveTest");
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
        const std::string method = setupScreen_->MethodName().value_or(methodText_);
        previewScreen_->Print(platform::JoinPath(SaveTestFolder(), method));
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
    AnswerMes(2);
}

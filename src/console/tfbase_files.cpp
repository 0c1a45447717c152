// The window's side of the protocol preview and its row choice: the
// protocol made and printed, the method's rows chosen.

#include <QListWidget>
#include <QString>

#include <string>

#include "console/look.h"
#include "console/preview_screen.h"
#include "console/row_choice_panel.h"
#include "console/tfbase.h"
#include "controls/cotchet.h"
#include "engine/cwork.h"
#include "platform/programfolder.h"
#include "protocols/creport.h"

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
        const std::string method = Mirandex->currentItem() != nullptr
                                       ? Mirandex->currentItem()->text().toStdString()
                                       : methodText_;
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
    C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    rowChoice_->ShowLines(m);
    if (m == nullptr) return;
    ApplyRowCount();
}

void TFBase::CheckLine(int line, bool on) {
    C_Parametr* m = work_ ? work_->Methods().Current() : nullptr;
    if (m == nullptr) return;
    m->SetVisible(rowChoice_->SetChecked(line, on), on ? 1 : 0);
    ApplyRowCount();
}

void TFBase::CheckAllLines(bool on) {
    for (int i = 0; i < rowChoice_->LineCount(); ++i)
        CheckLine(i, on);
}

void TFBase::ApplyRowCount() {
    if (report_) report_->SetRowCount(rowChoice_->CheckedCount());
}

void TFBase::CloseListCheck() {
    console::BusyScope busy(*this, "ИДЕТ ФОРМИРОВАНИЕ ОТЧЕТА, ПОДОЖДИТЕ...");
    rowChoice_->hide();
    if (report_) report_->MakeOtchet();
    previewScreen_->ReadyViewer();
    previewScreen_->PreviousSheet();
    AnswerMes(2);
}

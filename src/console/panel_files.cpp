// The file panels: save (DIALOG_SAVE) and open (OPENFILE_PANEL) with the
// journal button.
// The drive boxes and directory trees of a Windows station become places
// (the station's "SaveTest", the home folder, mounted media) and folder
// trees of the file system, sized for a finger.

#include "console/file_places.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

#include "console/look.h"
#include "console/tfbase.h"
#include "controls/cotchet.h"
#include "controls/megabutton.h"
#include "controls/printpanel.h"
#include "controls/symbolfont.h"
#include "engine/cwork.h"
#include "platform/launcher.h"
#include "platform/programfolder.h"
#include "protocols/creport.h"

using console::ButtonKind;
using console::MakeButton;

using console::filepanel::Field;
using console::filepanel::FieldLabel;
using console::filepanel::FillPlaces;
using console::filepanel::FolderModel;
using console::filepanel::FolderTree;
using console::filepanel::kTextPixels;
using console::filepanel::PlaceBox;
using console::filepanel::ShowFolder;
using console::filepanel::TouchSized;

void TFBase::SetLauncher(platform::Launcher* launcher) {
    launcher_ = launcher;
}

void TFBase::BuildFilePanels() {
    BuildSavePanel();
    BuildOpenPanel();
    BuildListCheck();
}

// ----- save panel

void TFBase::BuildSavePanel() {
    DIALOG_SAVE =
        console::MakeFloatingPanel(this, "DIALOG_SAVE", "Сохранить результат испытания", 780, 640);
    auto* column = static_cast<QVBoxLayout*>(DIALOG_SAVE->layout());
    DriveComboBox1 = PlaceBox(DIALOG_SAVE, "DriveComboBox1");
    column->addWidget(DriveComboBox1);
    saveFolders_ = FolderModel(DIALOG_SAVE);
    CDirectoryOutline1 = FolderTree(DIALOG_SAVE, "CDirectoryOutline1", saveFolders_);
    column->addWidget(CDirectoryOutline1, 1);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(FieldLabel(DIALOG_SAVE, "Файл:"));
    Edit4 = Field(DIALOG_SAVE, "Edit4");
    Edit4->setText(QString::fromUtf8("Испытание"));
    nameRow->addWidget(Edit4, 1);
    column->addLayout(nameRow);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(FieldLabel(DIALOG_SAVE, "Путь:"));
    Edit5 = Field(DIALOG_SAVE, "Edit5");
    Edit5->setReadOnly(true);
    pathRow->addWidget(Edit5, 1);
    column->addLayout(pathRow);
    SaveWarning = console::MakeLabel(DIALOG_SAVE, "SaveWarning", "", kTextPixels);
    QPalette warn = SaveWarning->palette();
    warn.setColor(QPalette::WindowText, QColor(255, 120, 120));
    SaveWarning->setPalette(warn);
    column->addWidget(SaveWarning);

    auto* buttons = new QHBoxLayout;
    SAVE_DIALOG = MakeButton(DIALOG_SAVE, "SAVE_DIALOG", "СОХРАНИТЬ", ButtonKind::Push, 200, 60);
    SAVE_DIALOG_EXP = MakeButton(DIALOG_SAVE, "SAVE_DIALOG_EXP", "ЭКСПОРТИРОВАТЬ ГРАФИК",
                                 ButtonKind::Push, 300, 60);
    CANCEL_DIALOG = MakeButton(DIALOG_SAVE, "CANCEL_DIALOG", "ОТМЕНА", ButtonKind::Push, 160, 60);
    for (TMegaButton* b : {SAVE_DIALOG, SAVE_DIALOG_EXP, CANCEL_DIALOG})
        buttons->addWidget(b);
    column->addLayout(buttons);

    connect(DriveComboBox1, &QComboBox::activated, this, [this](int i) {
        const QString place = DriveComboBox1->itemData(i).toString();
        ShowFolder(CDirectoryOutline1, place, place);
        SetSaveFolder(place.toStdString());
    });
    connect(CDirectoryOutline1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& at) {
                if (at.isValid()) SetSaveFolder(saveFolders_->filePath(at).toStdString());
            });
    connect(Edit4, &QLineEdit::textChanged, this, [this] { RefreshSavePath(); });
    new console::TapIntoField(Edit4, [this] { ShowVirtualKeyboard(); });
    SAVE_DIALOG->OnClick = [this](TMegaButton*) { SAVE_DIALOGClick(); };
    SAVE_DIALOG_EXP->OnClick = [this](TMegaButton*) { SAVE_DIALOG_EXPClick(); };
    CANCEL_DIALOG->OnClick = [this](TMegaButton*) {
        DIALOG_SAVE->hide();
        HideVirtualKeyboard();
    };
}

void TFBase::ShowSavePanel(const std::string& folder) {
    SaveWarning->clear();
    // The first place is the station's own "SaveTest".
    FillPlaces(DriveComboBox1, ProgramDir());
    ShowFolder(CDirectoryOutline1, QString::fromStdString(SaveTestFolder()),
               QString::fromStdString(folder));
    SetSaveFolder(folder);
}

void TFBase::SetSaveFolder(const std::string& folder) {
    saveFolder_ = folder;
    RefreshSavePath();
}

void TFBase::RefreshSavePath() {
    Edit5->setText(
        QString::fromStdString(platform::JoinPath(saveFolder_, Edit4->text().toStdString())));
}

bool TFBase::TakeSaveName() {
    if (saveFolder_.empty()) {
        SaveWarning->setText(QString::fromUtf8("ПАПКА НЕ ВЫБРАНА"));
        return false;
    }
    if (Edit4->text().isEmpty()) {
        const platform::CalendarTime today = deps_.clock->Now();
        Edit4->setText(QString::fromStdString(console::DefaultSaveName(ProtocolNumber(), today)));
    }
    const std::string refused = console::RefusedFileName(Edit4->text().toStdString());
    SaveWarning->setText(QString::fromStdString(refused));
    if (!refused.empty()) return false;
    RefreshSavePath();
    return true;
}

void TFBase::SAVE_DIALOGClick() {
    if (!TakeSaveName()) return;
    AskBeforeWriting(SaveKind::kTest, {".ipc"});
}

void TFBase::SAVE_DIALOG_EXPClick() {
    if (!TakeSaveName()) return;
    AskBeforeWriting(SaveKind::kExport, {".txt", ".csv"});
}

// A file already there is replaced only when the operator says so; the
// panel waits hidden for the answer and comes back on "no".
void TFBase::AskBeforeWriting(SaveKind kind, std::initializer_list<const char*> extensions) {
    pendingSave_ = kind;
    DIALOG_SAVE->hide();
    const std::string path = Edit5->text().toStdString();
    for (const char* extension : extensions) {
        if (QFileInfo::exists(QString::fromStdString(path + extension))) {
            ShowMes("Файл существует. Заменить?", 0, kOverwriteCode);
            return;
        }
    }
    WritePendingSave();
}

int TFBase::OverwriteBlock(int code) {
    if (pendingSave_ == SaveKind::kNone) return code;
    if (answer_ == 1) {
        WritePendingSave();
    } else {
        pendingSave_ = SaveKind::kNone;
        OpenPanel(DIALOG_SAVE);
    }
    return code;
}

void TFBase::WritePendingSave() {
    const SaveKind kind = std::exchange(pendingSave_, SaveKind::kNone);
    HideVirtualKeyboard();
    if (!work_) return;
    const std::string path = Edit5->text().toStdString();
    const std::string name = Edit4->text().toStdString();
    // A file that could not be written was reported by its writer. A long
    // test on slow storage takes seconds.
    console::BusyScope busy(*this, "ИДЕТ СОХРАНЕНИЕ...");
    if (kind == SaveKind::kTest) {
        if (work_->SaveTest(path + ".ipc")) ShowMes("Файл сохранен: " + name + ".ipc", 1, 0);
    } else if (kind == SaveKind::kExport) {
        if (work_->ExportTxt(path + ".txt") && work_->ExportCsv(path + ".csv"))
            ShowMes("Файлы сохранены: " + name + ".txt, " + name + ".csv", 1, 0);
    }
}

// ----- open panel

void TFBase::BuildOpenPanel() {
    OPENFILE_PANEL =
        console::MakeFloatingPanel(this, "OPENFILE_PANEL", "Открыть файл испытания", 940, 640);
    auto* column = static_cast<QVBoxLayout*>(OPENFILE_PANEL->layout());
    DriveComboBox2 = PlaceBox(OPENFILE_PANEL, "DriveComboBox2");
    column->addWidget(DriveComboBox2);
    auto* browse = new QHBoxLayout;
    openFolders_ = FolderModel(OPENFILE_PANEL);
    CDirectoryOutline2 = FolderTree(OPENFILE_PANEL, "CDirectoryOutline2", openFolders_);
    browse->addWidget(CDirectoryOutline2, 1);
    openFiles_ = new QFileSystemModel(OPENFILE_PANEL);
    openFiles_->setFilter(QDir::Files);
    openFiles_->setNameFilters({QStringLiteral("*.ipc")});
    openFiles_->setNameFilterDisables(false);
    openFiles_->setReadOnly(true);
    FileListBox1 = new QListView(OPENFILE_PANEL);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setModel(openFiles_);
    TouchSized(FileListBox1);
    browse->addWidget(FileListBox1, 1);
    column->addLayout(browse, 1);

    auto* buttons = new QHBoxLayout;
    OPENFILE_BUT = MakeButton(OPENFILE_PANEL, "OPENFILE_BUT", "Открыть", ButtonKind::Push, 200, 60);
    JURNAL = MakeButton(OPENFILE_PANEL, "JURNAL", "ЖУРНАЛ", ButtonKind::Push, 200, 60);
    OTMENA_BUT = MakeButton(OPENFILE_PANEL, "OTMENA_BUT", "Отмена", ButtonKind::Push, 160, 60);
    buttons->addWidget(OPENFILE_BUT);
    buttons->addWidget(JURNAL);
    buttons->addStretch(1);
    buttons->addWidget(OTMENA_BUT);
    column->addLayout(buttons);

    connect(DriveComboBox2, &QComboBox::activated, this, [this](int i) {
        const QString place = DriveComboBox2->itemData(i).toString();
        ShowFolder(CDirectoryOutline2, place, place);
        ShowFiles(place);
    });
    connect(CDirectoryOutline2->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& at) {
                if (at.isValid()) ShowFiles(openFolders_->filePath(at));
            });
    connect(FileListBox1, &QListView::doubleClicked, this, [this] { OPENFILE_BUTClick(); });
    OPENFILE_BUT->OnClick = [this](TMegaButton*) { OPENFILE_BUTClick(); };
    OTMENA_BUT->OnClick = [this](TMegaButton*) { OPENFILE_PANEL->hide(); };
    JURNAL->OnClick = [this](TMegaButton*) { JURNALClick(); };
}

void TFBase::ShowOpenPanel(const std::string& folder) {
    FillPlaces(DriveComboBox2, ProgramDir());
    const QString place = QString::fromStdString(SaveTestFolder());
    const QString at = QString::fromStdString(folder);
    ShowFolder(CDirectoryOutline2, place, at);
    ShowFiles(QFileInfo(at).isDir() ? at : place);
}

void TFBase::ShowFiles(const QString& folder) {
    openFiles_->setRootPath(folder);
    FileListBox1->setRootIndex(openFiles_->index(folder));
    // A file chosen in the folder shown before is no longer on show.
    FileListBox1->setCurrentIndex(QModelIndex());
}

std::string TFBase::ChosenFile() const {
    const QModelIndex at = FileListBox1->currentIndex();
    if (!at.isValid() || at.parent() != FileListBox1->rootIndex() || openFiles_->isDir(at))
        return {};
    return openFiles_->filePath(at).toStdString();
}

void TFBase::OPENFILE_BUTClick() {
    const std::string file = ChosenFile();
    if (file.empty() || !work_) return;
    // Reading a long test from slow storage and computing it takes seconds.
    console::BusyScope busy(*this, "ИДЕТ ЗАГРУЗКА...");
    // A file that did not read (its reader said why): the panel stays for
    // another choice and the test shown stays as it was.
    if (!work_->LoadTestFile(file)) return;
    ShowLoadedTest();
}

void TFBase::JURNALClick() {
    static platform::SystemLauncher system;
    platform::Launcher& launcher = launcher_ != nullptr ? *launcher_ : system;
    const std::string program = console::JournalProgram(ProgramDir());
    if (!launcher.Installed(program)) {
        ShowMes("ПРОГРАММА ЖУРНАЛА НЕ УСТАНОВЛЕНА", 1, 0);
        return;
    }
    std::string error;
    if (!launcher.Start(program, error)) {
        ShowMes("ЖУРНАЛ НЕ ЗАПУЩЕН: " + error, 1, 0);
        return;
    }
    OPENFILE_PANEL->hide();
}

std::string TFBase::SaveTestFolder() const {
    return platform::JoinPath(ProgramDir(), "SaveTest");
}

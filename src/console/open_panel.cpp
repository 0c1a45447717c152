// The open panel: a saved test chosen from a folder, or the journal.

#include "console/open_panel.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QListView>
#include <QTreeView>
#include <QVBoxLayout>

#include "console/file_places.h"
#include "console/look.h"
#include "controls/megabutton.h"
#include "platform/launcher.h"
#include "station/station_files.h"

namespace console {

using namespace filepanel;

OpenPanel::OpenPanel(station::TestFiles& files, QWidget* parent)
    : QFrame(parent), testFiles_(files) {
    StyleFloatingPanel(this, "OPENFILE_PANEL", "Открыть файл испытания", 940, 640);
    auto* column = static_cast<QVBoxLayout*>(layout());
    DriveComboBox2 = PlaceBox(this, "DriveComboBox2");
    column->addWidget(DriveComboBox2);
    auto* browse = new QHBoxLayout;
    folders_ = FolderModel(this);
    CDirectoryOutline2 = FolderTree(this, "CDirectoryOutline2", folders_);
    browse->addWidget(CDirectoryOutline2, 1);
    files_ = new QFileSystemModel(this);
    files_->setFilter(QDir::Files);
    files_->setNameFilters({QStringLiteral("*.ipc")});
    files_->setNameFilterDisables(false);
    files_->setReadOnly(true);
    FileListBox1 = new QListView(this);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setModel(files_);
    TouchSized(FileListBox1);
    browse->addWidget(FileListBox1, 1);
    column->addLayout(browse, 1);

    auto* buttons = new QHBoxLayout;
    OPENFILE_BUT = MakeButton(this, "OPENFILE_BUT", "Открыть", ButtonKind::Push, 200, 60);
    JURNAL = MakeButton(this, "JURNAL", "ЖУРНАЛ", ButtonKind::Push, 200, 60);
    OTMENA_BUT = MakeButton(this, "OTMENA_BUT", "Отмена", ButtonKind::Push, 160, 60);
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
                if (at.isValid()) ShowFiles(folders_->filePath(at));
            });
    connect(FileListBox1, &QListView::doubleClicked, this, [this] { OpenChosen(); });
    OPENFILE_BUT->OnClick = [this](TMegaButton*) { OpenChosen(); };
    OTMENA_BUT->OnClick = [this](TMegaButton*) { hide(); };
    JURNAL->OnClick = [this](TMegaButton*) { emit journalRequested(); };
}

void OpenPanel::ShowPlaces(const std::string& programFolder, const std::string& root,
                           const std::string& folder) {
    FillPlaces(DriveComboBox2, programFolder);
    const QString place = QString::fromStdString(root);
    const QString at = QString::fromStdString(folder);
    ShowFolder(CDirectoryOutline2, place, at);
    ShowFiles(QFileInfo(at).isDir() ? at : place);
}

void OpenPanel::ShowFiles(const QString& folder) {
    files_->setRootPath(folder);
    FileListBox1->setRootIndex(files_->index(folder));
    // A file chosen in the folder shown before is no longer on show.
    FileListBox1->setCurrentIndex(QModelIndex());
}

std::string OpenPanel::ChosenFile() const {
    const QModelIndex at = FileListBox1->currentIndex();
    if (!at.isValid() || at.parent() != FileListBox1->rootIndex() || files_->isDir(at)) return {};
    return files_->filePath(at).toStdString();
}

void OpenPanel::OpenChosen() {
    const std::string file = ChosenFile();
    if (!file.empty()) testFiles_.OpenTestFile(file);
}

std::string OpenPanel::StartJournal(const std::string& program) {
    static platform::SystemLauncher system;
    platform::Launcher& launcher = launcher_ != nullptr ? *launcher_ : system;
    if (!launcher.Installed(program)) return "ПРОГРАММА ЖУРНАЛА НЕ УСТАНОВЛЕНА";
    std::string error;
    if (!launcher.Start(program, error)) return "ЖУРНАЛ НЕ ЗАПУЩЕН: " + error;
    return {};
}

}  // namespace console

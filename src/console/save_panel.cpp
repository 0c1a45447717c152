// The save panel: where a test or its export goes, and under what name.

#include "console/save_panel.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "console/file_places.h"
#include "console/look.h"
#include "controls/megabutton.h"
#include "platform/programfolder.h"
#include "station/station_files.h"

namespace console {

using namespace filepanel;

SavePanel::SavePanel(station::TestFiles& files, QWidget* parent)
    : QFrame(parent), testFiles_(files) {
    StyleFloatingPanel(this, "DIALOG_SAVE", "Сохранить результат испытания", 780, 640);
    auto* column = static_cast<QVBoxLayout*>(layout());
    DriveComboBox1 = PlaceBox(this, "DriveComboBox1");
    column->addWidget(DriveComboBox1);
    folders_ = FolderModel(this);
    CDirectoryOutline1 = FolderTree(this, "CDirectoryOutline1", folders_);
    column->addWidget(CDirectoryOutline1, 1);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(FieldLabel(this, "Файл:"));
    Edit4 = Field(this, "Edit4");
    Edit4->setText(QString::fromUtf8("Испытание"));
    nameRow->addWidget(Edit4, 1);
    column->addLayout(nameRow);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(FieldLabel(this, "Путь:"));
    Edit5 = Field(this, "Edit5");
    Edit5->setReadOnly(true);
    pathRow->addWidget(Edit5, 1);
    column->addLayout(pathRow);
    SaveWarning = MakeLabel(this, "SaveWarning", "", kTextPixels);
    QPalette warn = SaveWarning->palette();
    warn.setColor(QPalette::WindowText, QColor(255, 120, 120));
    SaveWarning->setPalette(warn);
    column->addWidget(SaveWarning);

    auto* buttons = new QHBoxLayout;
    SAVE_DIALOG = MakeButton(this, "SAVE_DIALOG", "СОХРАНИТЬ", ButtonKind::Push, 200, 60);
    SAVE_DIALOG_EXP =
        MakeButton(this, "SAVE_DIALOG_EXP", "ЭКСПОРТИРОВАТЬ ГРАФИК", ButtonKind::Push, 300, 60);
    CANCEL_DIALOG = MakeButton(this, "CANCEL_DIALOG", "ОТМЕНА", ButtonKind::Push, 160, 60);
    for (TMegaButton* b : {SAVE_DIALOG, SAVE_DIALOG_EXP, CANCEL_DIALOG})
        buttons->addWidget(b);
    column->addLayout(buttons);

    connect(DriveComboBox1, &QComboBox::activated, this, [this](int i) {
        const QString place = DriveComboBox1->itemData(i).toString();
        ShowFolder(CDirectoryOutline1, place, place);
        SetFolder(place.toStdString());
    });
    connect(CDirectoryOutline1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& at) {
                if (at.isValid()) SetFolder(folders_->filePath(at).toStdString());
            });
    connect(Edit4, &QLineEdit::textChanged, this, [this] { RefreshPath(); });
    new TapIntoField(Edit4, [this] { emit keyboardRequested(); });
    SAVE_DIALOG->OnClick = [this](TMegaButton*) {
        if (!TakeName()) return;
        testFiles_.Save(Edit5->text().toStdString(), Edit4->text().toStdString(), false);
    };
    SAVE_DIALOG_EXP->OnClick = [this](TMegaButton*) {
        if (!TakeName()) return;
        testFiles_.Save(Edit5->text().toStdString(), Edit4->text().toStdString(), true);
    };
    CANCEL_DIALOG->OnClick = [this](TMegaButton*) {
        hide();
        emit cancelled();
    };
}

void SavePanel::SetName(const std::string& name) {
    Edit4->setText(QString::fromStdString(name));
}

void SavePanel::ShowPlaces(const std::string& programFolder, const std::string& root,
                           const std::string& folder) {
    SaveWarning->clear();
    FillPlaces(DriveComboBox1, programFolder);
    ShowFolder(CDirectoryOutline1, QString::fromStdString(root), QString::fromStdString(folder));
    SetFolder(folder);
}

void SavePanel::SetFolder(const std::string& folder) {
    folder_ = folder;
    RefreshPath();
}

void SavePanel::RefreshPath() {
    Edit5->setText(
        QString::fromStdString(platform::JoinPath(folder_, Edit4->text().toStdString())));
}

bool SavePanel::TakeName() {
    if (folder_.empty()) {
        SaveWarning->setText(QString::fromUtf8("ПАПКА НЕ ВЫБРАНА"));
        return false;
    }
    if (Edit4->text().isEmpty()) SetName(testFiles_.DefaultName());
    const std::string refused = RefusedFileName(Edit4->text().toStdString());
    SaveWarning->setText(QString::fromStdString(refused));
    if (!refused.empty()) return false;
    RefreshPath();
    return true;
}

}  // namespace console

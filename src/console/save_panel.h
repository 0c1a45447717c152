#pragma once

#include <QFrame>

#include <string>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;
class TMegaButton;

namespace station {
class TestFiles;
}  // namespace station

namespace console {

// The save panel (DIALOG_SAVE): a place, a folder in it and a file name.
// It checks the name and hands the station's files what the operator asked
// for.
class SavePanel final : public QFrame {
    Q_OBJECT

public:
    // files: what saves, and the name taken when the operator leaves the
    // field empty.
    explicit SavePanel(station::TestFiles& files, QWidget* parent = nullptr);

    void SetName(const std::string& name);
    // The places afresh (the first is the station's own "SaveTest" under
    // programFolder), the tree rooted at root and at folder in it.
    void ShowPlaces(const std::string& programFolder, const std::string& root,
                    const std::string& folder);

signals:
    void keyboardRequested();
    // The panel was closed without saving.
    void cancelled();

private:
    void SetFolder(const std::string& folder);
    void RefreshPath();
    // False (the panel says why) when there is no folder or the name is refused.
    bool TakeName();

    station::TestFiles& testFiles_;
    std::string folder_;
    QFileSystemModel* folders_ = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* CDirectoryOutline1 = nullptr;
    QLineEdit *Edit4 = nullptr, *Edit5 = nullptr;
    QLabel* SaveWarning = nullptr;  // why a typed file name is refused
    TMegaButton *SAVE_DIALOG = nullptr, *SAVE_DIALOG_EXP = nullptr, *CANCEL_DIALOG = nullptr;
};

}  // namespace console

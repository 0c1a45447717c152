#pragma once

#include <QFrame>

#include <functional>
#include <string>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;
class TMegaButton;

namespace console {

// The save panel (DIALOG_SAVE): a place, a folder in it and a file name.
// It checks the name and says what the operator asked for; writing is the
// window's.
class SavePanel final : public QFrame {
    Q_OBJECT

public:
    // defaultName: the name taken when the operator leaves the field empty.
    explicit SavePanel(std::function<std::string()> defaultName, QWidget* parent = nullptr);

    void SetName(const std::string& name);
    // The places afresh (the first is the station's own "SaveTest" under
    // programFolder), the tree rooted at root and at folder in it.
    void ShowPlaces(const std::string& programFolder, const std::string& root,
                    const std::string& folder);

signals:
    // The operator saves the test (exportFile false) or exports it to path
    // without an extension; name is the file name typed.
    void saveAsked(const std::string& path, const std::string& name, bool exportFile);
    void keyboardRequested();
    // The panel was closed without saving.
    void cancelled();

private:
    void SetFolder(const std::string& folder);
    void RefreshPath();
    // False (the panel says why) when there is no folder or the name is refused.
    bool TakeName();

    std::function<std::string()> defaultName_;
    std::string folder_;
    QFileSystemModel* folders_ = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* CDirectoryOutline1 = nullptr;
    QLineEdit *Edit4 = nullptr, *Edit5 = nullptr;
    QLabel* SaveWarning = nullptr;  // why a typed file name is refused
    TMegaButton *SAVE_DIALOG = nullptr, *SAVE_DIALOG_EXP = nullptr, *CANCEL_DIALOG = nullptr;
};

}  // namespace console

#pragma once

#include <QFrame>

#include <string>

class QComboBox;
class QFileSystemModel;
class QListView;
class QString;
class QTreeView;
class TMegaButton;

namespace platform {
class Launcher;
}  // namespace platform

namespace station {
class TestFiles;
}  // namespace station

namespace console {

// The open panel (OPENFILE_PANEL): a place, a folder in it and its saved
// tests, and the journal program's button. The station's files open the
// test chosen.
class OpenPanel final : public QFrame {
    Q_OBJECT

public:
    explicit OpenPanel(station::TestFiles& files, QWidget* parent = nullptr);

    // The places afresh (the first is the station's own "SaveTest" under
    // programFolder), the tree rooted at root and at folder in it.
    void ShowPlaces(const std::string& programFolder, const std::string& root,
                    const std::string& folder);
    // What starts the journal program; null: the system's.
    void SetLauncher(platform::Launcher* launcher) { launcher_ = launcher; }
    // Starts the program; why it did not start, or "".
    std::string StartJournal(const std::string& program);

signals:
    void journalRequested();

private:
    void ShowFiles(const QString& folder);
    // The test chosen in the folder shown, "" when none.
    std::string ChosenFile() const;
    void OpenChosen();

    station::TestFiles& testFiles_;
    platform::Launcher* launcher_ = nullptr;
    QFileSystemModel *folders_ = nullptr, *files_ = nullptr;
    QComboBox* DriveComboBox2 = nullptr;
    QTreeView* CDirectoryOutline2 = nullptr;
    QListView* FileListBox1 = nullptr;
    TMegaButton *OPENFILE_BUT = nullptr, *OTMENA_BUT = nullptr, *JURNAL = nullptr;
};

}  // namespace console

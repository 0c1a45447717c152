#pragma once

#include <QObject>
#include <QString>

#include <initializer_list>
#include <string>
#include <utility>

#include "platform/clock.h"

namespace station {

class StationController;

// "Протокол № 12 от 05.03.2026": the name a test is saved under when the
// operator typed none. The date is always day.month.year with dots, whatever
// the system's short date holds (a "/" there would make a folder).
std::string DefaultSaveName(int protocolNumber, const platform::CalendarTime& today);

// The station's tests on disk: saved into the method's folder under
// "SaveTest" (a file already there replaced only when the operator says
// so), exported, or opened for viewing. What the file panels and screens
// show of it leaves as signals.
class TestFiles final : public QObject {
    Q_OBJECT

public:
    explicit TestFiles(StationController& station);

    // "SaveTest" beside the program, and a method's folder in it.
    std::string SaveTestFolder() const;
    std::string MethodFolder(const std::string& method) const;
    // The name a test is saved under when the operator typed none.
    std::string DefaultName() const;
    // The method the last save was offered for (the first method until
    // then): the protocol goes to its folder when none is chosen.
    void SetMethodName(std::string name) { methodName_ = std::move(name); }
    const std::string& MethodName() const { return methodName_; }

    // The save offered: the method's folder made (then shown), or reported.
    void MakeMethodFolder();
    // The operator saves the test, or exports it, to path (no extension);
    // name is the file name typed.
    void Save(const std::string& path, const std::string& name, bool exportFile);
    // The answer to "replace the file?" (the overwrite code).
    void OverwriteAnswered();

    // A saved test opened for viewing; one that does not read was reported
    // by its reader and the test shown stays as it was.
    void OpenTestFile(const std::string& file);
    // The test named on the command line, as the open panel opens one; one
    // that does not read leaves the station in set-up mode, nothing viewed.
    void OpenCommandLineFile(const std::string& file);

signals:
    // The method's folder is there for the save panel.
    void methodFolderMade(const QString& folder);
    // The save panel waits hidden for the answer to the question, and comes
    // back on "no".
    void saveWaiting();
    void saveOfferedAgain();
    // Writing starts: typing is over.
    void writingStarted();
    // A test was read: its method, sample type and extensometer are shown
    // and the open panel goes, before the result screen shows it.
    void testLoaded();

private:
    enum class SaveKind { kNone, kTest, kExport };
    void AskBeforeWriting(SaveKind kind, const std::string& path, const std::string& name,
                          std::initializer_list<const char*> extensions);
    void WritePendingSave();
    void ShowLoadedTest();

    StationController& station_;
    SaveKind pendingSave_ = SaveKind::kNone;
    // The file the pending save writes (no extension) and its name.
    std::string pendingPath_, pendingName_;
    std::string methodName_;
};

}  // namespace station

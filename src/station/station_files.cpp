// The station's tests on disk: where a test is saved, the question before
// a file is replaced, the writing, and a saved test opened for viewing.

#include "station/station_files.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>
#include <utility>

#include "engine/cwork.h"
#include "platform/messagesink.h"
#include "platform/programfolder.h"
#include "station/busy_scope.h"
#include "station/station_controller.h"
#include "station/station_verification.h"

namespace station {

std::string DefaultSaveName(int protocolNumber, const platform::CalendarTime& today) {
    return "Протокол № " + std::to_string(protocolNumber) + " от " + platform::DateText(today);
}

TestFiles::TestFiles(StationController& station) : QObject(&station), station_(station) {
    setObjectName("TestFiles");
}

std::string TestFiles::SaveTestFolder() const {
    return platform::JoinPath(station_.ProgramDir(), "SaveTest");
}

std::string TestFiles::MethodFolder(const std::string& method) const {
    return platform::JoinPath(SaveTestFolder(), method);
}

std::string TestFiles::DefaultName() const {
    return DefaultSaveName(station_.ProtocolNumber(), station_.Clock().Now());
}

void TestFiles::MakeMethodFolder() {
    const std::string folder = MethodFolder(methodName_);
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    // The panel stays, its tree where it was: the operator may pick another folder.
    if (ec) {
        station_.Messages().ShowMessage("Ошибка", "Папка '" + folder + "' не может быть создана");
        return;
    }
    emit methodFolderMade(QString::fromStdString(folder));
}

void TestFiles::Save(const std::string& path, const std::string& name, bool exportFile) {
    if (exportFile) {
        AskBeforeWriting(SaveKind::kExport, path, name, {".txt", ".csv"});
    } else {
        AskBeforeWriting(SaveKind::kTest, path, name, {".ipc"});
    }
}

// A file already there is replaced only when the operator says so.
void TestFiles::AskBeforeWriting(SaveKind kind, const std::string& path, const std::string& name,
                                 std::initializer_list<const char*> extensions) {
    pendingSave_ = kind;
    pendingPath_ = path;
    pendingName_ = name;
    emit saveWaiting();
    for (const char* extension : extensions) {
        if (QFileInfo::exists(QString::fromStdString(path + extension))) {
            station_.ShowMes("Файл существует. Заменить?", 0, StationController::kOverwriteCode);
            return;
        }
    }
    WritePendingSave();
}

void TestFiles::OverwriteAnswered() {
    if (pendingSave_ == SaveKind::kNone) return;
    if (station_.Answer() == 1) {
        WritePendingSave();
    } else {
        pendingSave_ = SaveKind::kNone;
        emit saveOfferedAgain();
    }
}

void TestFiles::WritePendingSave() {
    const SaveKind kind = std::exchange(pendingSave_, SaveKind::kNone);
    emit writingStarted();
    C_Work* work = station_.Work();
    if (work == nullptr) return;
    const std::string path = pendingPath_;
    const std::string name = pendingName_;
    // A file that could not be written was reported by its writer. A long
    // test on slow storage takes seconds.
    BusyScope busy(station_, "ИДЕТ СОХРАНЕНИЕ...");
    if (kind == SaveKind::kTest) {
        if (work->SaveTest(path + ".ipc"))
            station_.ShowMes("Файл сохранен: " + name + ".ipc", 1, 0);
    } else if (kind == SaveKind::kExport) {
        if (work->ExportTxt(path + ".txt") && work->ExportCsv(path + ".csv"))
            station_.ShowMes("Файлы сохранены: " + name + ".txt, " + name + ".csv", 1, 0);
    }
}

void TestFiles::OpenTestFile(const std::string& file) {
    C_Work* work = station_.Work();
    if (work == nullptr) return;
    // Reading a long test from slow storage and computing it takes seconds.
    BusyScope busy(station_, "ИДЕТ ЗАГРУЗКА...");
    // The open panel stays for another choice.
    if (!work->LoadTestFile(file)) return;
    ShowLoadedTest();
}

void TestFiles::OpenCommandLineFile(const std::string& file) {
    C_Work* work = station_.Work();
    if (work == nullptr) return;
    station_.SetViewing(true);
    if (!work->LoadTestFile(file)) {
        station_.SetViewing(false);
        return;
    }
    ShowLoadedTest();
}

void TestFiles::ShowLoadedTest() {
    // The file's readings replace what was taken here.
    station_.Verification().ForgetTaken();
    // An opened test keeps the time it was saved with.
    station_.KeepTestTime();
    emit testLoaded();
    // ShowResults draws both plots with the file's results.
    station_.ShowResultMode(StationController::kRedrawBothPlots);
    station_.ShowResults();
}

}  // namespace station

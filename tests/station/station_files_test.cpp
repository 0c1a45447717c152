// The station's saved tests without a window: a file already there is
// replaced only on the operator's yes to the question the save asked.

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "station/station_controller.h"
#include "station/station_files.h"
#include "support/file_oracle.h"
#include "support/station.h"

namespace {

using station::StationController;
using station::TestFiles;

TEST(StationFiles, AFileThereIsReplacedOnlyOnYesToItsOwnQuestion) {
    testsupport::Station s;
    s.StartUp();
    StationController& c = s.console.controller;
    TestFiles& files = c.Files();
    QSignalSpy offeredAgain(&files, &TestFiles::saveOfferedAgain);
    QSignalSpy writing(&files, &TestFiles::writingStarted);
    std::filesystem::create_directories(s.folder.File("SaveTest"));
    const std::string base = s.folder.File("SaveTest/Образец");
    const std::string file = base + ".ipc";
    std::ofstream(file) << "old";

    files.Save(base, "Образец", false);
    EXPECT_EQ(c.MessageText(), "Файл существует. Заменить?");
    c.AnswerMessage(3);
    EXPECT_EQ(offeredAgain.count(), 1);
    EXPECT_EQ(testsupport::FileBytes(file), "old");
    // The same answer code with no save waiting writes nothing.
    c.ShowMes("Файл существует. Заменить?", 0, StationController::kOverwriteCode);
    c.AnswerMessage(1);
    EXPECT_EQ(writing.count(), 0);
    EXPECT_EQ(testsupport::FileBytes(file), "old");

    files.Save(base, "Образец", false);
    c.AnswerMessage(1);
    EXPECT_EQ(writing.count(), 1);
    EXPECT_EQ(c.MessageText(), "Файл сохранен: Образец.ipc");
    EXPECT_NE(testsupport::FileBytes(file), "old");
}

}  // namespace

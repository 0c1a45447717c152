#include "platform/launcher.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A stand-in journal: it waits (5 s at most) for the file "go", which the
// test makes only after Start came back, and then leaves the file "mark".
std::string Script(const testsupport::TempFolder& folder, const std::string& name, int mode) {
    const std::string path = folder.File(name);
    const std::string go = folder.File("go");
    std::ofstream(path) << "#!/bin/sh\ni=0\nwhile [ ! -e '" << go << "' ] && [ $i -lt 500 ]; do\n"
                        << "  sleep 0.01; i=$((i+1))\ndone\n[ -e '" << go
                        << "' ] && echo started > '" << folder.File("mark") << "'\n";
    chmod(path.c_str(), static_cast<mode_t>(mode));
    return path;
}

TEST(SystemLauncher, InstalledMeansAnExecutableFileAtAnAbsolutePath) {
    testsupport::TempFolder folder;
    const std::string runnable = Script(folder, "journal", 0755);
    const std::string plain = Script(folder, "plain", 0644);
    const std::pair<std::string, bool> cases[] = {
        {runnable, true},   {plain, false}, {folder.path(), false}, {folder.File("missing"), false},
        {"journal", false}, {"", false},
    };
    platform::SystemLauncher launcher;
    for (const auto& [program, installed] : cases)
        EXPECT_EQ(launcher.Installed(program), installed) << program;
}

TEST(SystemLauncher, StartsWithoutWaitingAndReportsWhatCouldNotStart) {
    testsupport::TempFolder folder;
    platform::SystemLauncher launcher;
    std::string error;
    ASSERT_TRUE(launcher.Start(Script(folder, "journal", 0755), error)) << error;
    // Had Start waited for the journal, the journal would have given up.
    std::ofstream(folder.File("go")) << "";
    for (int i = 0; i < 1000 && !fs::exists(folder.File("mark")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::exists(folder.File("mark")));

    const std::pair<std::string, std::string> refused[] = {
        {Script(folder, "plain", 0644), "Permission denied"},
        {folder.File("missing"), "No such file"},
        {"journal", "полным путём"},
    };
    for (const auto& [program, reason] : refused) {
        error.clear();
        EXPECT_FALSE(launcher.Start(program, error)) << program;
        EXPECT_NE(error.find(reason), std::string::npos) << program << ": " << error;
    }
}

}  // namespace

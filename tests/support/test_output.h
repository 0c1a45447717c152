#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

// Where tests leave files for a person to look at (renderings, PDFs):
// $UTM_TEST_OUTPUT when set, else "test-output" in the working folder (the
// build's test folder under ctest). Created on first use; never cleaned.
inline std::filesystem::path TestOutputFolder() {
    const char* env = std::getenv("UTM_TEST_OUTPUT");
    std::filesystem::path folder = env != nullptr && *env != '\0'
                                       ? std::filesystem::path(env)
                                       : std::filesystem::current_path() / "test-output";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace testsupport

#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "utm-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    // A folder of a fixed name, emptied first, for tests whose output must
    // repeat from run to run (paths shown on screen).
    explicit TempFolder(const std::string& name)
        : path_((std::filesystem::temp_directory_path() / name).string()) {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
        if (!std::filesystem::create_directories(path_, ec)) std::abort();
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace testsupport

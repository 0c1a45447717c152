#pragma once

#include <string>

namespace platform {

// The folder of the running executable, without a trailing slash. The
// program keeps its configuration, templates and test folders there.
std::string ExecutableFolder();

// Joins a folder and a name with one "/".
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace platform

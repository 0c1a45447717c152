#pragma once

#include <string>

namespace platform {

// Starts another program beside the station (the test journal) and leaves it
// running. The console holds one; tests hand in a fake, so no test starts
// anything.
class Launcher {
public:
    virtual ~Launcher() = default;
    // True when an executable file is at the absolute path `program`.
    virtual bool Installed(const std::string& program) const = 0;
    // Starts `program` without arguments and does not wait for it; false,
    // with the reason in `error`, when it could not be started.
    virtual bool Start(const std::string& program, std::string& error) = 0;
};

// Runs the program at an absolute path: no shell, no search path, in the
// current directory, detached so that it never lingers as a zombie.
class SystemLauncher final : public Launcher {
public:
    bool Installed(const std::string& program) const override;
    bool Start(const std::string& program, std::string& error) override;
};

}  // namespace platform

#pragma once

#include <string>
#include <vector>

namespace platform {

// Asks the system to power the machine off. The console holds one; tests
// hand in a fake, so no test ever powers anything off.
class PowerControl {
public:
    virtual ~PowerControl() = default;
    // False, with the reason in `error`, when the system could not be asked
    // or refused.
    virtual bool PowerOff(std::string& error) = 0;
};

// Runs a program at an absolute path with its arguments, no shell and no
// search path, and waits for it: by default systemd's own "systemctl
// poweroff", which asks the login manager and returns at once.
class SystemPowerControl final : public PowerControl {
public:
    SystemPowerControl();
    SystemPowerControl(std::string program, std::vector<std::string> arguments);
    bool PowerOff(std::string& error) override;

private:
    std::string program_;
    std::vector<std::string> arguments_;
};

}  // namespace platform

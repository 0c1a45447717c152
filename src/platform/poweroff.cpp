#include "platform/poweroff.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

// systemctl lives in /usr/bin on merged-/usr systems and in /bin on older ones.
std::string Systemctl() {
    for (const char* path : {"/usr/bin/systemctl", "/bin/systemctl"}) {
        if (access(path, X_OK) == 0) return path;
    }
    return "/usr/bin/systemctl";
}

}  // namespace

SystemPowerControl::SystemPowerControl() : SystemPowerControl(Systemctl(), {"poweroff"}) {}

SystemPowerControl::SystemPowerControl(std::string program, std::vector<std::string> arguments)
    : program_(std::move(program)), arguments_(std::move(arguments)) {}

bool SystemPowerControl::PowerOff(std::string& error) {
    if (program_.empty() || program_.front() != '/') {
        error = "Программа выключения должна быть задана полным путём";
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(program_.data());
    for (std::string& a : arguments_)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program_.c_str(), nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        error = "Не удалось запустить " + program_ + ": " + std::strerror(spawned);
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("Не удалось дождаться выключения: ") + std::strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = "Система отказала в выключении (" + program_ + ", код " +
            std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    return false;
}

}  // namespace platform

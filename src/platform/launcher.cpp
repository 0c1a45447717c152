#include "platform/launcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace platform {

namespace {

bool Absolute(const std::string& program) {
    return !program.empty() && program.front() == '/';
}

// Only async-signal-safe calls after fork: the station has other threads.
[[noreturn]] void ReportAndExit(int pipeOut, int error) {
    [[maybe_unused]] const ssize_t n = write(pipeOut, &error, sizeof error);
    _exit(127);
}

}  // namespace

bool SystemLauncher::Installed(const std::string& program) const {
    struct stat st {};
    return Absolute(program) && stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           access(program.c_str(), X_OK) == 0;
}

bool SystemLauncher::Start(const std::string& program, std::string& error) {
    if (!Absolute(program)) {
        error = "Программа должна быть задана полным путём";
        return false;
    }
    // The write end closes on a successful exec; otherwise the failing
    // process sends its errno through it.
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("Не удалось запустить ") + program + ": " + std::strerror(errno);
        return false;
    }
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    const pid_t child = fork();
    if (child < 0) {
        const int e = errno;
        close(fds[0]);
        close(fds[1]);
        error = "Не удалось запустить " + program + ": " + std::strerror(e);
        return false;
    }
    if (child == 0) {
        // The program runs in a grandchild of a new session: its parent ends
        // at once, so the system adopts and reaps it and we never wait for it.
        close(fds[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild < 0) ReportAndExit(fds[1], errno);
        if (grandchild == 0) {
            execve(argv[0], argv, environ);
            ReportAndExit(fds[1], errno);
        }
        _exit(0);
    }
    close(fds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int childError = 0;
    ssize_t n = 0;
    do {
        n = read(fds[0], &childError, sizeof childError);
    } while (n < 0 && errno == EINTR);
    close(fds[0]);
    if (n == static_cast<ssize_t>(sizeof childError)) {
        error = "Не удалось запустить " + program + ": " + std::strerror(childError);
        return false;
    }
    return true;
}

}  // namespace platform

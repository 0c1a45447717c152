#pragma once

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace platform {

using SteadyClock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, never negative.
inline int MsUntil(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now())
            .count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until `fd` shows one of `events` or `deadline` passes: 1 when it
// did (what it showed in `revents`), 0 when the time is up, -1 when the wait
// failed. A signal does not end the wait early.
inline int PollUntil(int fd, short events, SteadyClock::time_point deadline, short* revents) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, MsUntil(deadline));
        if (r < 0 && errno == EINTR) continue;
        if (r > 0 && revents != nullptr) *revents = p.revents;
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
}

}  // namespace platform

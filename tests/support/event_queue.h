#pragma once

#include <deque>
#include <vector>

#include "engine/eventsink.h"

namespace testsupport {

// The engine's events as the console's queue holds them: posted codes wait
// until the test takes them, first in first out.
class EventQueue final : public EventSink {
public:
    void post(int code) override {
        pending.push_back(code);
        posted.push_back(code);
    }

    bool Empty() const { return pending.empty(); }
    // The oldest waiting code; call only when not Empty.
    int Take() {
        const int code = pending.front();
        pending.pop_front();
        return code;
    }
    std::vector<int> Waiting() const { return {pending.begin(), pending.end()}; }

    std::deque<int> pending;
    // Every code ever posted, in order.
    std::vector<int> posted;
};

}  // namespace testsupport

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/cwork.h"
#include "platform/clock.h"
#include "platform/random.h"

namespace testsupport {

// A clock that shows what the test set.
class FakeClock final : public platform::Clock {
public:
    std::int64_t seconds = 1709647629;
    platform::CalendarTime now{2024, 3, 5, 14, 7, 9};

    std::int64_t Seconds() const override { return seconds; }
    platform::CalendarTime Now() const override { return now; }
};

// A random source that replays a script (0 when the script is empty) and
// remembers how it was seeded.
class ScriptedRandom final : public platform::RandomSource {
public:
    std::vector<int> script;
    std::vector<std::uint32_t> seeds;

    void Seed(std::uint32_t seed) override { seeds.push_back(seed); }
    int Next() override {
        if (script.empty()) return 0;
        return script[next_++ % script.size()];
    }

private:
    size_t next_ = 0;
};

using TextLines = std::vector<std::string>;

// The console's list controls as the engine fills them.
inline C_Work::ConsoleLists ListsOf(TextLines& methods, TextLines& sampleTypes,
                                    TextLines (&params)[4]) {
    C_Work::ConsoleLists lists;
    lists.methods = &methods;
    lists.sampleTypes = &sampleTypes;
    for (size_t k = 0; k < 4; ++k)
        lists.params[k] = &params[k];
    return lists;
}

}  // namespace testsupport

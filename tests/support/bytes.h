#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Bytes that differ from one place to the next and from seed to seed.
inline Bytes Pattern(size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return b;
}

inline Bytes Text(const std::string& s) {
    return {s.begin(), s.end()};
}

}  // namespace testsupport

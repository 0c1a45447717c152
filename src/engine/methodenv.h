#pragma once

namespace platform {
class Clock;
class RandomSource;
}  // namespace platform

// What a test method takes from outside: the date it stamps on a test and
// the random source of its marker colours.
struct MethodEnv {
    platform::Clock& clock;
    platform::RandomSource& random;
};

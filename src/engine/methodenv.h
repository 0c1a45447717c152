#pragma once

#include <string>

namespace platform {
class Clock;
class MessageSink;
class RandomSource;
}  // namespace platform

// Samples of the force channel a method needs before it computes anything:
// with fewer there is no test to compute or to print.
inline constexpr int kMinTestSamples = 10;

// What a test method takes from outside: the date it stamps on a test, the
// random source of its marker colours, where its template lives and where
// the file errors of its template go.
struct MethodEnv {
    platform::Clock& clock;
    platform::RandomSource& random;
    // Null: file errors are not shown.
    platform::MessageSink* messages = nullptr;
    // The program folder; the templates are written there.
    std::string programFolder = ".";
};

#pragma once

#include <string>

#include "station/station_controller.h"

namespace platform {
class Clock;
class Launcher;
class MessageSink;
class PowerControl;
class RandomSource;
}  // namespace platform

namespace console {

// The unit is made as the station makes it.
using station::UnitWiring;
using UnitFactory = station::UnitFactory;

// Everything the main window takes from outside, so a test runs the real
// window against a fake unit in a folder of its own.
struct ConsoleDeps {
    std::string programFolder;
    // A saved test named on the command line, opened for viewing; may be empty.
    std::string commandLineFile;
    // Null: no unit at all (demonstration mode).
    UnitFactory makeUnit;
    // Null: powering off is not offered.
    platform::PowerControl* power = nullptr;
    // Null: the system clock and the standard random source.
    platform::Clock* clock = nullptr;
    platform::RandomSource* random = nullptr;
    // Where file errors go; null: the station's message panel.
    platform::MessageSink* messages = nullptr;
};

}  // namespace console

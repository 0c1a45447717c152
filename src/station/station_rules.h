#pragma once

// The station's safety rules without widgets, one place for the dispatcher
// and the console's panels alike.
namespace station {

// Both grips closed hold the specimen: the crosshead must not be jogged.
constexpr bool JogLocked(bool upperClosed, bool lowerClosed) {
    return upperClosed && lowerClosed;
}

// The console codes that jog the crosshead (up, down).
constexpr bool IsJogCode(int code) {
    return code == 19 || code == 20;
}

// A zone output the unit has: outputs are numbered from 1; a missing key
// (-1) or 0 is no output.
constexpr bool ZoneOutputConfigured(int output) {
    return output >= 1;
}

}  // namespace station

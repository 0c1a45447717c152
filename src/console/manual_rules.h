#pragma once

#include "station/manual_rules.h"
#include "station/station_rules.h"

// What the manual control, hydraulic station and hold panels take from the
// station's rules (manual_rules.h, station_rules.h), and the zeroing
// buttons' codes.
namespace console {

// ----- hydraulic station and hold program

// The fields the station panel shows and the hold panel's fields.
using station::HoldFields;
using station::StationField;
using station::StationLook;

// ----- crosshead

// The jog lock and the jog codes are the station's (station_rules.h).
using station::IsJogCode;
using station::JogLocked;

// ----- zeroing

// The zero-off code of a zeroing button's zero code (22, 23, 24): what a
// double click sends, so it always leaves the zero released.
constexpr int ZeroOffCode(int zeroCode) {
    return zeroCode + 3;
}

// ----- zone outputs

// Which zone outputs the unit has is the station's rule (station_rules.h).
using station::ZoneOutputConfigured;

}  // namespace console

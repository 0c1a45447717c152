#pragma once

#include "station/manual_rules.h"

// What the hydraulic station and hold panels take from the station's rules
// (station/manual_rules.h), and the zeroing buttons' codes.
namespace console {

// ----- hydraulic station and hold program

// The fields the station panel shows and the hold panel's fields.
using station::HoldFields;
using station::StationField;
using station::StationLook;

// ----- zeroing

// The zero-off code of a zeroing button's zero code (22, 23, 24): what a
// double click sends, so it always leaves the zero released.
constexpr int ZeroOffCode(int zeroCode) {
    return zeroCode + 3;
}

}  // namespace console

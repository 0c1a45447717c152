#pragma once

#include "console/geometry.h"
#include "station/entry_rules.h"

// Where the entry panels and the keyboard under the zoom panel are placed.
// What a typed value may do is the station's (station/entry_rules.h); the
// window's panels name its rules here.
namespace console::entry {

using station::entry::Checked;
using station::entry::CheckEntry;
using station::entry::Field;
using station::entry::LimitsOf;
using station::entry::Readout;
using station::entry::TargetOfRow;

// The numeric entry: its top 30 pixels above the control bar's, centred on
// the bar, kept inside the window.
Point SpeedEntryOrigin(Point bar, Size barSize, Size panel, Size window);

// The keyboard under the zoom panel: centred on the window, its top 335
// pixels below the panel's; moved up or aside only as far as it takes to
// keep it on the screen (`screen` origin and size, global coordinates).
Point ZoomKeyboardOrigin(Point window, int windowWidth, int panelTop, Size keyboard, Point screen,
                         Size screenSize);

// The on-screen keyboard's mode in the configuration: its low byte.
constexpr int KeyboardMode(int iVK) {
    return iVK & 0xFF;
}

}  // namespace console::entry

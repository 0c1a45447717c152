// Where the entry panels and the keyboard under the zoom panel are placed.

#include "console/panel_entry.h"

#include <algorithm>

namespace console::entry {

namespace {

int Clamp(int v, int low, int high) {
    return std::max(low, std::min(v, high));
}

}  // namespace

Point SpeedEntryOrigin(Point bar, Size barSize, Size panel, Size window) {
    const int x = bar.x + (barSize.w - panel.w) / 2;
    const int y = bar.y - 30;
    return {Clamp(x, 0, std::max(0, window.w - panel.w)),
            Clamp(y, 0, std::max(0, window.h - panel.h))};
}

Point ZoomKeyboardOrigin(Point window, int windowWidth, int panelTop, Size keyboard, Point screen,
                         Size screenSize) {
    Point at{window.x + windowWidth / 2 - keyboard.w / 2, window.y + panelTop + 335};
    if (screenSize.w <= 0 || screenSize.h <= 0) return at;
    at.x = Clamp(at.x, screen.x, std::max(screen.x, screen.x + screenSize.w - keyboard.w));
    at.y = Clamp(at.y, screen.y, std::max(screen.y, screen.y + screenSize.h - keyboard.h));
    return at;
}

}  // namespace console::entry

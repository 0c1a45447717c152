#pragma once

#include <string>

// Placement and text rules of the main window, without widgets.
namespace console {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};
struct Size {
    int w = 0;
    int h = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The window's size before it is fitted to a screen, and the size its
// layout is drawn for: controls and fonts keep their size up to it.
inline constexpr Size kNormalWindow{1390, 755};

// The window over the free area of its screen, never below its minimum
// (a smaller screen shows its top left corner).
Rect ScreenFit(Rect available, Size minimum);

// How much controls and fonts grow in a window larger than kNormalWindow:
// the smaller of the two ratios in steps of 0.05, from 1 to 2.
double UiScale(Size window);

// A panel centred on the window: integer halves of the room left over.
Point CentredOrigin(Size window, Size panel);

// A dragged panel: its origin at the press moved by the cursor's travel.
Point DraggedOrigin(Point originAtPress, Point cursorAtPress, Point cursorNow);

// The right-edge resize: the size at the press grown by the cursor's travel,
// never below the window's minimum; a maximised window keeps its size.
Size EdgeResized(Size atPress, Point cursorAtPress, Point cursorNow, Size minimum, bool maximised,
                 Size current);

// The test time as the time readout shows it: whole seconds as
// hours:minutes:seconds ("01:02:05"); negative times show as zero.
std::string TestTimeText(double seconds);

// The drop-down width of the sample-type list: twice the first item's text
// width when that is at least 280, else 280.
int SampleDropWidth(int firstItemTextWidth);

// Splits a parameter list line "caption=value" at its first "=".
struct ListLine {
    std::string caption;
    std::string value;
};
ListLine SplitListLine(const std::string& line);

}  // namespace console

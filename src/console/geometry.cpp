#include "console/geometry.h"

#include <algorithm>
#include <cmath>

#include "model/numtext.h"

namespace console {

Rect ScreenFit(Rect available, Size minimum) {
    return {available.x, available.y, std::max(available.w, minimum.w),
            std::max(available.h, minimum.h)};
}

double UiScale(Size window) {
    const double ratio = std::min(static_cast<double>(window.w) / kNormalWindow.w,
                                  static_cast<double>(window.h) / kNormalWindow.h);
    // Steps keep a small resize from refitting every control.
    return std::clamp(std::floor(ratio * 20.0) / 20.0, 1.0, 2.0);
}

Point CentredOrigin(Size window, Size panel) {
    return {(window.w - panel.w) / 2, (window.h - panel.h) / 2};
}

Point DraggedOrigin(Point originAtPress, Point cursorAtPress, Point cursorNow) {
    return {originAtPress.x + cursorNow.x - cursorAtPress.x,
            originAtPress.y + cursorNow.y - cursorAtPress.y};
}

Size EdgeResized(Size atPress, Point cursorAtPress, Point cursorNow, Size minimum, bool maximised,
                 Size current) {
    if (maximised) return current;
    return {std::max(minimum.w, atPress.w + cursorNow.x - cursorAtPress.x),
            std::max(minimum.h, atPress.h + cursorNow.y - cursorAtPress.y)};
}

std::string TestTimeText(double seconds) {
    // NaN and huge values must not reach the integer conversion.
    if (!(seconds > 0.0)) return SecToStr(0, ":");
    constexpr double kMax = 1e12;
    return SecToStr(static_cast<int64_t>(std::trunc(std::min(seconds, kMax))), ":");
}

int SampleDropWidth(int firstItemTextWidth) {
    return firstItemTextWidth >= 280 ? 2 * firstItemTextWidth : 280;
}

ListLine SplitListLine(const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return {line, ""};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

}  // namespace console

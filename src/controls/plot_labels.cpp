#include "controls/plot_labels.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plot {
namespace {

// The box moved the least to lie inside the area; a box larger than the
// area starts at its top left.
Box Within(Box b, const Box& area) {
    b.left = std::max(area.left, std::min(b.left, area.Right() - b.width));
    b.top = std::max(area.top, std::min(b.top, area.Bottom() - b.height));
    if (!std::isfinite(b.left)) b.left = area.left;
    if (!std::isfinite(b.top)) b.top = area.top;
    return b;
}

double Clamp(double v, double lo, double hi) {
    if (std::isnan(v)) return lo;
    return std::max(lo, std::min(v, std::max(lo, hi)));
}

double Overlap(const Box& a, const Box& b) {
    const double w = std::min(a.Right(), b.Right()) - std::max(a.left, b.left);
    const double h = std::min(a.Bottom(), b.Bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0.0;
}

bool Free(const Box& b, const std::vector<Box>& placed, const std::vector<Box>& keepOut) {
    for (const Box& p : placed) {
        if (b.Overlaps(p)) return false;
    }
    for (const Box& k : keepOut) {
        if (b.Overlaps(k)) return false;
    }
    return true;
}

Box Place(const LabelSpot& spot, const Box& area, const std::vector<Box>& placed,
          const std::vector<Box>& keepOut) {
    Box wanted = spot.wanted;
    if (!std::isfinite(wanted.width) || wanted.width < 0) wanted.width = 0;
    if (!std::isfinite(wanted.height) || wanted.height < 0) wanted.height = 0;
    const Box first = Within(wanted, area);
    if (Free(first, placed, keepOut)) return first;

    // Label centres on a grid around the point, ring by ring outward; the
    // first ring with a free place gives the one nearest the point.
    const double ax = Clamp(spot.x, area.left, area.Right());
    const double ay = Clamp(spot.y, area.top, area.Bottom());
    const double step = std::max(4.0, std::min(wanted.width, wanted.height) / 2);
    const int rings = static_cast<int>(std::ceil(std::max(area.width, area.height) / step)) + 1;
    auto at = [&](int i, int j) {
        Box b = wanted;
        b.left = ax + i * step - b.width / 2;
        b.top = ay + j * step - b.height / 2;
        return Within(b, area);
    };
    auto distance = [&](const Box& b) {
        return std::hypot(b.left + b.width / 2 - ax, b.top + b.height / 2 - ay);
    };
    auto cover = [&](const Box& b) {
        double sum = 0.0;
        for (const Box& p : placed)
            sum += Overlap(b, p);
        return sum;
    };
    Box fallback = first;
    double leastCover = cover(first);
    double fallbackDistance = distance(first);
    for (int k = 1; k <= rings; ++k) {
        bool found = false;
        Box best;
        double bestDistance = 0.0;
        for (int j = -k; j <= k; ++j) {
            // The whole top and bottom rows, the two ends of the others.
            const int di = j == -k || j == k ? 1 : 2 * k;
            for (int i = -k; i <= k; i += di) {
                const Box b = at(i, j);
                const double d = distance(b);
                if (Free(b, placed, keepOut)) {
                    if (!found || d < bestDistance) {
                        best = b;
                        bestDistance = d;
                        found = true;
                    }
                    continue;
                }
                if (found) continue;
                const double c = cover(b);
                if (c < leastCover || (c == leastCover && d < fallbackDistance)) {
                    fallback = b;
                    leastCover = c;
                    fallbackDistance = d;
                }
            }
        }
        if (found) return best;
    }
    return fallback;
}

// The sRGB component as light.
double Linear(std::uint32_t component) {
    const double c = component / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(std::uint32_t bgr) {
    return 0.2126 * Linear(bgr & 0xFF) + 0.7152 * Linear((bgr >> 8) & 0xFF) +
           0.0722 * Linear((bgr >> 16) & 0xFF);
}

}  // namespace

std::vector<Box> PlaceLabels(const std::vector<LabelSpot>& labels, const Box& area,
                             const std::vector<Box>& keepOut) {
    std::vector<Box> placed;
    placed.reserve(labels.size());
    for (const LabelSpot& spot : labels)
        placed.push_back(Place(spot, area, placed, keepOut));
    return placed;
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace plot

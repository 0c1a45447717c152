#include "controls/bendgeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace bend {

double Sqr(double v) {
    return v * v;
}

double LineY(const line& l, double x) {
    return -(l.a * x + l.c) / l.b;
}

void AddTangent(double dx, double dy, double r1, double r2, std::vector<line>& list) {
    const double r = r2 - r1;
    const double z = Sqr(dx) + Sqr(dy);
    double d = z - Sqr(r);
    // Coincident centres have no common tangent (and would divide by zero);
    // past this test every value is finite.
    if (!std::isfinite(d) || !std::isfinite(r1) || !(z > 0.0)) return;
    if (d < -1e-9) return;
    // The whole part of |d| before the root, as the picture has always been
    // drawn; taken in double, so a large d never passes through an int.
    d = std::sqrt(std::trunc(std::fabs(d)));
    line l;
    l.a = (dx * r + dy * d) / z;
    l.b = (dy * r - dx * d) / z;
    l.c = r1;
    if (!std::isfinite(l.a) || !std::isfinite(l.b)) return;
    if (l.b == 0.0) l.b = 0.000001;
    list.push_back(l);
}

std::vector<line> Tangents(const Circle& A, const Circle& B) {
    const double dx = B.x - A.x;
    const double dy = B.y - A.y;
    std::vector<line> lines;
    for (int s1 = -1; s1 <= 1; s1 += 2) {
        for (int s2 = -1; s2 <= 1; s2 += 2)
            AddTangent(dx, dy, s1 * A.radius, s2 * B.radius, lines);
    }
    for (line& l : lines)
        l.c -= l.a * A.x + l.b * A.y;
    return lines;
}

double VectorAngle(int ux, int uy, int vx, int vy) {
    // In double: squares of large ints overflow an int.
    double uu = Sqr(ux) + Sqr(uy);
    double vv = Sqr(vx) + Sqr(vy);
    if (uu <= 0.0) uu = 0.1;
    if (vv <= 0.0) vv = 0.1;
    const double dot = static_cast<double>(ux) * vx + static_cast<double>(uy) * vy;
    const double cosine = std::clamp(dot / (std::sqrt(uu) * std::sqrt(vv)), -1.0, 1.0);
    return std::acos(cosine);
}

std::optional<int> TruncToInt(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    const double t = std::trunc(v);
    if (t < static_cast<double>(std::numeric_limits<int>::min()) ||
        t > static_cast<double>(std::numeric_limits<int>::max())) {
        return std::nullopt;
    }
    return static_cast<int>(t);
}

Layout LayoutBend(const Inputs& in) {
    const double S = in.span;
    const double D2 = in.supportDiameter;
    const double Dm = in.mandrelDiameter;
    const double T = in.thickness;
    const double xm = kX0 + S / 2;
    const double ym = kY0 + D2 / 2 + Dm / 2 + T - in.travel;

    Layout out;
    out.leftSupport = {kX0, kY0, D2 / 2};
    out.rightSupport = {kX0 + S, kY0, D2 / 2};
    out.mandrel = {xm, ym, Dm / 2};
    out.width = 2 * kX0 + S;

    const Circle c1{xm, ym, Dm / 2 + T};
    const Circle c4{xm, ym, Dm / 2};
    const Circle c5{kX0, kY0, D2 / 2 + T};
    const Circle c6{kX0 + S, kY0, D2 / 2 + T};
    // Lower face: the supports against the mandrel widened by the thickness;
    // upper face: the mandrel against the supports widened by it.
    const std::vector<line> t1 = Tangents(c1, out.leftSupport);
    const std::vector<line> t2 = Tangents(c1, out.rightSupport);
    const std::vector<line> t3 = Tangents(c4, c5);
    const std::vector<line> t4 = Tangents(c4, c6);
    if (t1.size() < 3 || t2.size() < 2 || t3.size() < 3 || t4.size() < 2) return out;

    const line& left = t1[2];
    const line& right = t2[1];
    out.arms = std::array<Segment, 4>{
        Segment{1, LineY(left, 1), xm, LineY(left, xm)},
        Segment{xm, LineY(right, xm), 2 * xm, LineY(right, 2 * xm)},
        Segment{1, LineY(t3[2], 1), xm, LineY(t3[2], xm)},
        Segment{xm, LineY(t4[1], xm), 2 * xm, LineY(t4[1], 2 * xm)},
    };

    const auto ux = TruncToInt(xm);
    const auto uy = TruncToInt(LineY(right, 2 * xm) - LineY(right, xm));
    const auto vx = TruncToInt(2 * xm - 1);
    const auto vy = TruncToInt(LineY(left, 2 * xm) - LineY(left, 1));
    if (ux && uy && vx && vy) {
        out.angle = VectorAngle(*vx, *vy, *ux, *uy) * 180.0 / std::numbers::pi;
    }
    return out;
}

}  // namespace bend

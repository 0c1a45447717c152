#pragma once

#include <array>
#include <optional>
#include <vector>

// The bend picture's geometry without a widget: the specimen's two arms are
// common tangents of the supports and the mandrel, and the bend angle is the
// angle between them. Millimetres throughout.
namespace bend {

// a·x + b·y + c = 0.
struct line {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
};

struct Circle {
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
};

double Sqr(double v);

// y of the line at x; b is never 0 for lines made here.
double LineY(const line& l, double x);

// Appends at most one common tangent of a circle of signed radius r1 at the
// origin and one of signed radius r2 at (dx, dy). Nothing is appended when
// there is no such tangent: one circle within the other, coincident centres,
// or values too large or not finite to give a finite line.
void AddTangent(double dx, double dy, double r1, double r2, std::vector<line>& list);

// The common tangents of A and B, in the order of the sign pairs (−1, −1),
// (−1, +1), (+1, −1), (+1, +1) of the radii; missing ones are skipped.
std::vector<line> Tangents(const Circle& A, const Circle& B);

// The angle in radians between two integer vectors; a zero vector counts as
// one of squared length 0.1.
double VectorAngle(int ux, int uy, int vx, int vy);

// A value truncated toward zero to an int, or nothing when it is not finite
// or outside what an int holds.
std::optional<int> TruncToInt(double v);

// What the picture is drawn from.
struct Inputs {
    double span = 200.0;          // S: between the support centres
    double supportDiameter = 40;  // D2
    double mandrelDiameter = 50;  // Dm
    double thickness = 20.0;      // T
    double travel = 0.0;          // L: crosshead displacement
};

struct Segment {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
};

inline constexpr double kX0 = 50.0;  // the left support's centre
inline constexpr double kY0 = 50.0;

struct Layout {
    Circle leftSupport;   // radius D2/2
    Circle rightSupport;  // radius D2/2
    Circle mandrel;       // radius Dm/2, lowered by the travel
    // The lower and upper faces of the left arm (x from 1 to xm) and of the
    // right arm (xm to 2·xm); empty when the circles overlap so that the
    // arms have no inner tangent.
    std::optional<std::array<Segment, 4>> arms;
    // Degrees; none without arms or when a vector component is beyond an int.
    std::optional<double> angle;
    double width = 0.0;  // 2·x0 + S: the picture's extent in x
};

Layout LayoutBend(const Inputs& in);

}  // namespace bend

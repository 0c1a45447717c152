#pragma once

#include <array>
#include <string>

// The figures of one check point of a verification: three runs of readings
// of the machine's instrument against the check point P. A reading of 0 was
// not taken.
namespace verification {

struct Figures {
    float mean = 0;     // over the readings taken; 0 when none was
    float minimum = 0;  // extremes over the readings taken
    float maximum = 0;
    float spread = 0;     // maximum - minimum
    float absError = 0;   // mean - P
    float relError = 0;   // |(mean - P) / P| x 100; meaningless when P is 0
    float relSpread = 0;  // spread / P x 100; meaningless when P is 0
};

Figures Compute(float p, const std::array<float, 3>& readings);

// The nine cells of the point's row in the protocol's table: P, the three
// readings, the mean, the relative and absolute error, the relative and
// absolute spread, each with three decimals; "-" for a reading not taken,
// for the derived cells of a point without readings, and for the relative
// cells of a check point of 0.
std::array<std::string, 9> RowTexts(float p, const std::array<float, 3>& readings);

}  // namespace verification

#pragma once

#include <string>
#include <string_view>

namespace platform {

// One decimal separator for every number the program shows. It is taken once
// at start from the user's locale (a comma on a Russian system); readers
// accept both "." and ",".
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// The separator of the environment's LC_NUMERIC, without touching the
// process locale; "." when the environment names none.
char DecimalSeparatorFromEnvironment();

// Formats like the class library's FormatFloat for the patterns the program
// uses: "0", "0.0" ... "0.0000", with "#" for optional digits and literal text
// around the digits. The value is first taken to 15 significant decimal
// digits, then rounded half away from zero, so 0.125 gives "0.13" with
// "0.00" although its binary value lies below. A result that rounds to zero
// never carries a minus sign.
std::string FormatFloat(std::string_view pattern, double value);

// The class library's FloatToStr: up to 15 significant digits, no trailing
// zeros, exponent form outside 1e-5..1e15.
std::string FloatToStr(double value);

}  // namespace platform

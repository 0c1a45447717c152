#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Number text as the operator types and reads it.

// Takes the longest numeric prefix after leading white space, with "," or "."
// as the decimal point, parsed in single precision and widened. Text that does
// not start a number, or a number beyond single precision, gives 0.
double StrToFloatEx(std::string_view text);

// 3 decimals below 10, 2 below 1000, none above, with the program's separator.
std::string FloatToStrAuto(double value);

std::string IntToStr2(int value);

// "HH<sep>MM<sep>SS"; hours are not limited to two digits, negative counts are 0.
std::string SecToStr(int64_t seconds, std::string_view separator);

// The strict integer conversion of typed text: an optional minus and decimal
// digits, nothing else, within int32.
std::optional<int> StrToIntStrict(std::string_view text);

// The class library's message for a text that is not an integer.
std::string NotAnIntegerMessage(std::string_view text);

// Keeps digits, ".", "," and "-"; the letter on the decimal key of the Russian
// layout ("ю", "Ю") becomes "."; everything else is dropped; nothing left is "0".
std::string CleanNumber(std::string_view text);

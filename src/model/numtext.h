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

// The one reader of a number the operator typed: the whole text or nothing.
// Blanks around it are dropped; ",", "." and the letter on the point key of
// the Russian layout ("ю", "Ю") are the decimal point; an exponent may follow.
// Single precision, as every typed value; a number beyond it is refused.
std::optional<double> ReadTypedFloat(std::string_view text);

// The whole typed text as an integer (blanks around it dropped), or nothing.
std::optional<int> ReadTypedInt(std::string_view text);

// The class library's message for a text that is not a number.
std::string NotAFloatMessage(std::string_view text);

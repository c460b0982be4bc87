#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel::model {

// Shown where a result has no value (a division by zero, a non-finite value).
inline constexpr const char* kNoValue = "n/a";

// A computed double as a text box shows it: at most 15 significant digits,
// plain for magnitudes from 0.0001 up to 1e15, exponent form ("5E-05",
// "1.23456789012346E+16") outside that.
std::string formatNumber(double v);

// A 16-bit whole number as plain text ("0", "-80").
std::string formatInt(long v);

// A number with a leading blank when it is not negative (" 3", "-5").
std::string formatSigned(long v);

// A single-precision value in plain decimal with at most 7 significant
// digits ("36.12", "-0.3", "0"), never in exponent form.
std::string formatSingle(float v);

// The numeric value of a text: blanks, tabs and line breaks are ignored, the
// longest leading decimal number is taken, and 0 when there is none.
double numericValue(std::string_view text);

}  // namespace varnel::model

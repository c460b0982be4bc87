#pragma once
// The one reader of decimal numbers, shared by the scan reader, the numeric
// value of a box's text and the command line of varnel-batch. A decimal is
// an optional sign, digits with an optional point and fraction (one digit
// at least), and an optional exponent (e or E, optional sign, digits).
// Nothing else counts: no blanks, no "inf" or "nan", no hexadecimal.
#include <cstddef>
#include <optional>
#include <string_view>

namespace varnel::model {

// Length of the longest decimal at the start of `text`; 0 when it starts
// with none.
std::size_t decimalPrefix(std::string_view text);

// The whole of `text` as a decimal: nothing when it is not one, or when its
// value lies above the double range; a value below that range reads as 0.
std::optional<double> readDecimal(std::string_view text);

}  // namespace varnel::model

#pragma once
// How the system reads a number out of a line of text or a text field:
// blanks and tabs are skipped wherever they occur, the longest leading
// decimal number (optional sign, digits, "." as the decimal point whatever
// the locale, optional exponent) is taken and the rest is ignored; text
// without a number reads as 0. Whole numbers are rounded to the nearest
// integer with halves going to the even neighbour.

#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace text {

double ReadNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -0.5 -> 0). Relies on the default floating-point rounding mode,
// which nothing in this program changes.
inline double RoundHalfEven(double value) {
  return std::nearbyint(value);
}

// RoundHalfEven(value) as an Int, or nothing when it does not fit.
template <class Int>
std::optional<Int> RoundToInteger(double value) {
  static_assert(sizeof(Int) <= 4, "the limits must be exact doubles");
  const double r = RoundHalfEven(value);
  if (!(r >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        r <= static_cast<double>(std::numeric_limits<Int>::max())))
    return std::nullopt;
  return static_cast<Int>(r);
}

// RoundHalfEven(value) held to lo..hi (not-a-number gives lo).
template <class Int>
Int RoundAndClamp(double value, Int lo, Int hi) {
  if (!(value >= lo)) return lo;
  if (value > hi) return hi;
  return static_cast<Int>(RoundHalfEven(value));
}

}  // namespace text

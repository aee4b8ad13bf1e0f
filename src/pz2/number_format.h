#pragma once

#include <array>
#include <string_view>

// Fixed-point text of a double, the same on every machine and in every locale. The PZ2 file writes
// key values with six decimals and the report page writes figures with one; both go through
// formatFixed so that a value prints the same in either place.
//
// Rule: the exact binary value is first rounded half up to 17 significant digits, and that digit
// string is then rounded half up at the requested decimal. A result that is zero (a negative zero,
// or a negative value too small to show) carries no minus sign. Not-a-number and the infinities
// are written "nan", "inf" and "-inf".

namespace zev {

inline constexpr int MAX_FIXED_DECIMALS = 40;

struct FixedText {
  // Room for the 309 integer digits of the largest double, a sign, a point and the decimals.
  std::array<char, 400> chars;
  int length;

  std::string_view view() const { return {chars.data(), static_cast<std::size_t>(length)}; }
};

// decimals is clamped to 0 .. MAX_FIXED_DECIMALS; with 0 no decimal point is written.
FixedText formatFixed(double value, int decimals);

}  // namespace zev

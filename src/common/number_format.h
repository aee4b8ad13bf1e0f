#pragma once

#include "common/fixed_text.h"

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

// Room for the 309 integer digits of the largest double, a sign, a point and the decimals.
using NumberText = FixedText<400>;

// decimals is clamped to 0 .. MAX_FIXED_DECIMALS; with 0 no decimal point is written.
NumberText formatFixed(double value, int decimals);

// The longest text formatFixed gives, for the largest double with MAX_FIXED_DECIMALS decimals.
inline constexpr std::size_t MAX_FIXED_CHARS = 1 + 309 + 1 + MAX_FIXED_DECIMALS;

// formatFixed(value, 6) written at out, which has room for MAX_FIXED_CHARS characters; returns
// the end of the text. The pose file's keys, tens of thousands of them, go this way: a value of
// the size signals take gets its digits from one integer conversion, others take formatFixed.
char* writeSixDecimals(double value, char* out);

// The shortest text that reads back as exactly value, as C++'s std::to_chars writes it: the
// fewest significant digits (of two such, the nearer to value, ties to an even last digit),
// written as printf's %f or %e would, whichever is shorter, %f when equally long; "-0", "nan",
// "-nan", "inf" and "-inf" as they come. The same text on every platform and standard library.
NumberText formatShortest(double value);

}  // namespace zev

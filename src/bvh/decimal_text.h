#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The reader's grammar of a decimal number, for the values of motion lines and the frame time.

namespace zev {

// A decimal number as the reader's grammar takes it: blanks and tabs, optional sign, digits,
// optional fraction, optional exponent; it ends at the first character that cannot continue it.
// Only this grammar is accepted (no "inf", "nan" or hexadecimal), independent of the locale.
struct DecimalText {
  bool negative = false;
  std::size_t mantissaStart = 0;
  std::size_t end = 0;  // where the number ends: 0 when nothing readable is there
  int digits = 0;
  int fractionDigits = 0;
  bool exponent = false;
  // The digits as one whole number; exact in a double while there are at most 15.
  std::uint64_t mantissa = 0;
};

DecimalText scanDecimal(std::string_view text);

// The value of a scanned number, exactly rounded on every platform; nothing readable gives 0, an
// exponent too large an infinite value, one too small zero. A value of few digits and no exponent,
// as every value of a motion line, is one division of two exact doubles, which rounds exactly as
// the full conversion does.
double valueOf(std::string_view text, const DecimalText& number);

// A number as the reader's grammar takes it (see DecimalText). Motion values come by the thousand,
// nearly all an optional minus, a few digits and a fraction: that shape goes the short way.
double parseDecimal(std::string_view text);

}  // namespace zev

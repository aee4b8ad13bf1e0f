#include "pz2/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zev {

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t TEN_POW_16 = 10'000'000'000'000'000ULL;
constexpr std::uint64_t TEN_POW_17 = 100'000'000'000'000'000ULL;

// The fast path multiplies the 53-bit significand by 5^s; 5^27 keeps the product within 116 bits.
constexpr int MAX_FAST_SCALE = 27;

constexpr std::array<std::uint64_t, MAX_FAST_SCALE + 1> POW5 = [] {
  std::array<std::uint64_t, MAX_FAST_SCALE + 1> powers{};
  std::uint64_t p = 1;
  for (auto& entry : powers) {
    entry = p;
    p *= 5;
  }
  return powers;
}();

constexpr std::array<std::uint64_t, 18> POW10 = [] {
  std::array<std::uint64_t, 18> powers{};
  std::uint64_t p = 1;
  for (auto& entry : powers) {
    entry = p;
    p *= 10;
  }
  return powers;
}();

// A positive value as 17 significant digits: value ~ digits * 10^(exponent - 16), with
// 10^16 <= digits < 10^17.
struct SignificantDigits {
  std::uint64_t digits;
  int exponent;
};

void carryInto(SignificantDigits& d, bool roundUp) {
  if (roundUp && ++d.digits == TEN_POW_17) {
    d.digits = TEN_POW_16;
    ++d.exponent;
  }
}

// Exact for every finite positive double, through the full decimal expansion (at most 767
// significant digits). Slow; used only outside the fast path's range.
SignificantDigits exactDigitsFromExpansion(double value) {
  std::array<char, 800> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                    std::chars_format::scientific, 780);
  // Layout: d.ddd...de[+-]xx
  SignificantDigits d{static_cast<std::uint64_t>(text[0] - '0'), 0};
  for (int i = 2; i < 18; ++i) d.digits = d.digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
  const char* exponentStart = std::find(text.data(), result.ptr, 'e') + 1;
  if (*exponentStart == '+') ++exponentStart;
  std::from_chars(exponentStart, result.ptr, d.exponent);
  carryInto(d, text[18] >= '5');
  return d;
}

// Exact integer arithmetic on the binary significand: value * 10^s = m * 5^s * 2^(e2 - 52 + s).
// Returns false when the scale falls outside the range the 128-bit product covers.
bool exactDigitsFast(double value, SignificantDigits& d) {
  const int e2 = std::ilogb(value);
  const auto m = static_cast<std::uint64_t>(std::ldexp(value, 52 - e2));
  int exponent = static_cast<int>(std::floor(e2 * 0.30102999566398120));
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int scale = 16 - exponent;
    if (scale < 0 || scale > MAX_FAST_SCALE) return false;
    const Wide product = static_cast<Wide>(m) * POW5[scale];
    const int shift = e2 - 52 + scale;
    Wide whole;
    bool roundUp = false;
    if (shift >= 0) {
      whole = product << shift;
    } else {
      const int dropped = -shift;
      whole = product >> dropped;
      const Wide remainder = product - (whole << dropped);
      roundUp = remainder >= (static_cast<Wide>(1) << (dropped - 1));
    }
    if (whole < TEN_POW_16) {
      --exponent;
    } else if (whole >= TEN_POW_17) {
      ++exponent;
    } else {
      d = {static_cast<std::uint64_t>(whole), exponent};
      carryInto(d, roundUp);
      return true;
    }
  }
  return false;
}

class TextBuilder {
 public:
  explicit TextBuilder(FixedText& text) : text_(text) { text_.length = 0; }
  void put(char c) { text_.chars[static_cast<std::size_t>(text_.length++)] = c; }
  void put(std::string_view s) {
    std::memcpy(text_.chars.data() + text_.length, s.data(), s.size());
    text_.length += static_cast<int>(s.size());
  }
  void zeros(int count) {
    for (int i = 0; i < count; ++i) put('0');
  }

 private:
  FixedText& text_;
};

// Writes rounded * 10^-fraction with the given number of decimals (fraction <= decimals; a
// negative fraction stands for trailing zeros before the point).
void writeFixed(FixedText& text, bool negative, std::uint64_t rounded, int fraction, int decimals) {
  TextBuilder out(text);
  if (negative && rounded != 0) out.put('-');
  char digitBuffer[24];
  const auto end = std::to_chars(digitBuffer, digitBuffer + sizeof digitBuffer, rounded).ptr;
  const std::string_view digits(digitBuffer, static_cast<std::size_t>(end - digitBuffer));
  const int length = static_cast<int>(digits.size());
  if (fraction <= 0) {
    out.put(digits);
    out.zeros(-fraction);
    fraction = 0;
    if (decimals > 0) out.put('.');
  } else if (length <= fraction) {
    out.put("0.");
    out.zeros(fraction - length);
    out.put(digits);
  } else {
    out.put(digits.substr(0, static_cast<std::size_t>(length - fraction)));
    out.put('.');
    out.put(digits.substr(static_cast<std::size_t>(length - fraction)));
  }
  out.zeros(decimals - fraction);
}

}  // namespace

FixedText formatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, MAX_FIXED_DECIMALS);
  FixedText text;
  if (std::isnan(value)) {
    TextBuilder(text).put("nan");
    return text;
  }
  if (std::isinf(value)) {
    TextBuilder(text).put(value < 0 ? "-inf" : "inf");
    return text;
  }
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    writeFixed(text, false, 0, decimals, decimals);
    return text;
  }

  SignificantDigits d;
  if (!exactDigitsFast(magnitude, d)) d = exactDigitsFromExpansion(magnitude);

  // The 17 digits carry 16 - exponent decimals; round half up where the requested ones end.
  const int fraction = 16 - d.exponent;
  if (fraction <= decimals) {
    writeFixed(text, negative, d.digits, fraction, decimals);
    return text;
  }
  const int cut = fraction - decimals;
  std::uint64_t rounded = 0;
  if (cut <= 17) {
    const std::uint64_t divisor = POW10[static_cast<std::size_t>(cut)];
    rounded = d.digits / divisor;
    if ((d.digits % divisor) * 2 >= divisor) ++rounded;
  }
  writeFixed(text, negative, rounded, decimals, decimals);
  return text;
}

}  // namespace zev

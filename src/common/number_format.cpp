#include "common/number_format.h"

#include <fast_float/fast_float.h>

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

// A non-negative integer in base 10^9, least significant limb first, of fixed capacity: the
// largest product needed is m * 5^1074 (< 2^2548, 768 decimal digits) or m * 2^971 (309 digits).
// Nothing is allocated.
class DecimalInteger {
 public:
  static constexpr std::uint32_t BASE = 1'000'000'000;
  static constexpr int CAPACITY = 90;  // 810 digits

  explicit DecimalInteger(std::uint64_t value) {
    while (value != 0) {
      limbs_[static_cast<std::size_t>(size_++)] = static_cast<std::uint32_t>(value % BASE);
      value /= BASE;
    }
  }

  // factor < 2^32: each limb * factor + carry stays below 10^9 * 2^32 + 2^32 < 2^63.
  void multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < size_; ++i) {
      const std::uint64_t product =
          static_cast<std::uint64_t>(limbs_[static_cast<std::size_t>(i)]) * factor + carry;
      limbs_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(product % BASE);
      carry = product / BASE;
    }
    while (carry != 0) {
      limbs_[static_cast<std::size_t>(size_++)] = static_cast<std::uint32_t>(carry % BASE);
      carry /= BASE;
    }
  }

  // Repeated multiplication by base^count, in the largest steps that fit in 32 bits.
  void multiplyByPower(std::uint32_t base, std::uint32_t step, int stepExponent, int count) {
    for (; count >= stepExponent; count -= stepExponent) multiply(step);
    std::uint32_t rest = 1;
    for (; count > 0; --count) rest *= base;
    if (rest != 1) multiply(rest);
  }

  // Every decimal digit, most significant first; returns how many there are.
  int writeDigits(std::array<char, CAPACITY * 9>& out) const {
    std::uint32_t top = limbs_[static_cast<std::size_t>(size_ - 1)];
    char topText[10];
    int topDigits = 0;
    do {
      topText[topDigits++] = static_cast<char>('0' + top % 10);
      top /= 10;
    } while (top != 0);
    int written = 0;
    for (int k = topDigits - 1; k >= 0; --k) out[static_cast<std::size_t>(written++)] = topText[k];
    for (int limb = size_ - 2; limb >= 0; --limb) {
      std::uint32_t value = limbs_[static_cast<std::size_t>(limb)];
      for (int k = 8; k >= 0; --k) {
        out[static_cast<std::size_t>(written + k)] = static_cast<char>('0' + value % 10);
        value /= 10;
      }
      written += 9;
    }
    return written;
  }

 private:
  std::array<std::uint32_t, CAPACITY> limbs_{};
  int size_ = 0;
};

// The exact decimal expansion of a finite positive double: value = 0.d1 d2 ... dn * 10^pointAt,
// with d1 not zero and no trailing zeros. At most 767 significant digits.
struct ExactDecimal {
  std::array<char, DecimalInteger::CAPACITY * 9> digits;
  int count;
  int pointAt;
};

// value = m * 2^k with an integer m < 2^53; for k < 0 it is m * 5^-k / 10^-k, so either way its
// decimal digits are those of an integer.
ExactDecimal exactDecimal(double value) {
  int binaryExponent = 0;
  const double fraction = std::frexp(value, &binaryExponent);  // value = fraction * 2^e, [0.5, 1)
  auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int k = binaryExponent - 53;
  if (k < -1074) {  // subnormal: the last bits of m are zero, drop them so m * 2^k stays exact
    m >>= (-1074 - k);
    k = -1074;
  }
  DecimalInteger number(m);
  int decimalShift = 0;
  if (k >= 0) {
    number.multiplyByPower(2, 1u << 31, 31, k);
  } else {
    number.multiplyByPower(5, 1'220'703'125u, 13, -k);  // 5^13
    decimalShift = k;
  }
  ExactDecimal exact;
  exact.count = number.writeDigits(exact.digits);
  exact.pointAt = exact.count + decimalShift;
  while (exact.digits[static_cast<std::size_t>(exact.count - 1)] == '0') --exact.count;
  return exact;
}

char digitAt(const ExactDecimal& exact, int index) {
  return index < exact.count ? exact.digits[static_cast<std::size_t>(index)] : '0';
}

// Exact for every finite positive double; slow, so used only outside the fast path's range.
SignificantDigits exactDigitsFromIntegers(double value) {
  const ExactDecimal exact = exactDecimal(value);
  SignificantDigits d{0, exact.pointAt - 1};
  for (int i = 0; i < 17; ++i)
    d.digits = d.digits * 10 + static_cast<std::uint64_t>(digitAt(exact, i) - '0');
  // Half up on the exact value: the rest is at least half a unit exactly when digit 18 is 5 or
  // more.
  carryInto(d, digitAt(exact, 17) >= '5');
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

void appendZeros(NumberText& text, int count) {
  for (int i = 0; i < count; ++i) text.append('0');
}

// Writes rounded * 10^-fraction with the given number of decimals (fraction <= decimals; a
// negative fraction stands for trailing zeros before the point).
void writeFixed(NumberText& out, bool negative, std::uint64_t rounded, int fraction, int decimals) {
  if (negative && rounded != 0) out.append('-');
  char digitBuffer[24];
  const auto end = std::to_chars(digitBuffer, digitBuffer + sizeof digitBuffer, rounded).ptr;
  const std::string_view digits(digitBuffer, static_cast<std::size_t>(end - digitBuffer));
  const int length = static_cast<int>(digits.size());
  if (fraction <= 0) {
    out.append(digits);
    appendZeros(out, -fraction);
    fraction = 0;
    if (decimals > 0) out.append('.');
  } else if (length <= fraction) {
    out.append("0.");
    appendZeros(out, fraction - length);
    out.append(digits);
  } else {
    out.append(digits.substr(0, static_cast<std::size_t>(length - fraction)));
    out.append('.');
    out.append(digits.substr(static_cast<std::size_t>(length - fraction)));
  }
  appendZeros(out, decimals - fraction);
}

// p significant digits of a positive value, value = 0.digits * 10^pointAt.
struct Candidate {
  std::array<char, 18> digits;
  int count;
  int pointAt;
};

// The first p digits of exact, cut off or, with roundUp, raised by one in the last place.
Candidate candidateOf(const ExactDecimal& exact, int p, bool roundUp) {
  Candidate c{{}, p, exact.pointAt};
  for (int i = 0; i < p; ++i) c.digits[static_cast<std::size_t>(i)] = digitAt(exact, i);
  if (roundUp) {
    int i = p - 1;
    while (i >= 0 && c.digits[static_cast<std::size_t>(i)] == '9')
      c.digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++c.digits[static_cast<std::size_t>(i)];
    } else {  // 99..9 became 100..0: one digit more before the point
      c.digits[0] = '1';
      ++c.pointAt;
    }
  }
  while (c.count > 1 && c.digits[static_cast<std::size_t>(c.count - 1)] == '0') --c.count;
  return c;
}

// Whether the candidate's text reads back as exactly value.
bool readsBackAs(const Candidate& c, double value) {
  NumberText text;
  text.append(std::string_view(c.digits.data(), static_cast<std::size_t>(c.count)));
  text.append('e').append(c.pointAt - c.count);
  double parsed = 0.0;
  fast_float::from_chars(text.view().data(), text.view().data() + text.view().size(), parsed);
  return parsed == value;
}

// How the digits of exact after the first p compare with half a unit in the p-th place.
int restAgainstHalf(const ExactDecimal& exact, int p) {
  const char first = digitAt(exact, p);
  if (first != '5') return first < '5' ? -1 : 1;
  return exact.count > p + 1 ? 1 : 0;
}

// The fewest significant digits that read back as value; of two such, the nearer, and of two
// equally near, the one with an even last digit.
Candidate shortestDigits(double value) {
  const ExactDecimal exact = exactDecimal(value);
  for (int p = 1;; ++p) {
    if (exact.count <= p) return candidateOf(exact, exact.count, false);
    const Candidate below = candidateOf(exact, p, false);
    const Candidate above = candidateOf(exact, p, true);
    const bool belowReads = readsBackAs(below, value);
    const bool aboveReads = readsBackAs(above, value);
    if (belowReads && aboveReads) {
      const int rest = restAgainstHalf(exact, p);
      const bool evenBelow = (digitAt(exact, p - 1) - '0') % 2 == 0;
      return rest < 0 || (rest == 0 && evenBelow) ? below : above;
    }
    if (belowReads) return below;
    if (aboveReads) return above;
  }
}

// The fast path of writeSixDecimals. The exact text rounds the 17-digit form d of |value| half up
// at the sixth decimal, so its digits are those of floor(d * 10^6 + 0.5). Below 2^20, the product
// |value| * 10^6, rounded once to a double s, differs from d * 10^6 by less than
// (2^-53 + 0.5 * 10^-16) * 2^20 * 10^6 < 1.7e-4. Where the fraction of s lies farther than
// TIE_MARGIN from 1/2, both sides of that difference round to the same whole number, so
// floor(s + 0.5) is the exact result; nearer to 1/2 the exact path decides.
constexpr double FAST_LIMIT = 1048576.0;  // 2^20
constexpr double TIE_MARGIN = 1.0 / 1024;
constexpr std::uint64_t MILLION = 1'000'000;

constexpr std::array<char, 200> DIGIT_PAIRS = [] {
  std::array<char, 200> pairs{};
  for (int i = 0; i < 100; ++i) {
    pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
    pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

char* writeDigitPair(char* out, std::uint32_t pair) {
  std::memcpy(out, DIGIT_PAIRS.data() + 2 * pair, 2);
  return out + 2;
}

// False where the exact path must decide.
bool writeSixDecimalsFast(double value, char*& out) {
  const double magnitude = std::fabs(value);
  if (!(magnitude < FAST_LIMIT)) return false;
  const double scaled = magnitude * static_cast<double>(MILLION);
  const auto whole = static_cast<std::int64_t>(scaled);         // below 2^40
  const double fraction = scaled - static_cast<double>(whole);  // exact
  if (std::fabs(fraction - 0.5) < TIE_MARGIN) return false;
  const auto rounded = static_cast<std::uint64_t>(whole + (fraction > 0.5 ? 1 : 0));
  if (std::signbit(value) && rounded != 0) *out++ = '-';
  // The whole units are those of the magnitude, or one more where the rounding carries into them:
  // no 64-bit division, which WebAssembly has no quick way to do.
  auto units = static_cast<std::uint32_t>(magnitude);
  if (rounded - units * MILLION >= MILLION) ++units;
  if (units < 10) {
    *out++ = static_cast<char>('0' + units);
  } else {
    out = std::to_chars(out, out + 8, units).ptr;
  }
  *out++ = '.';
  const auto millionths = static_cast<std::uint32_t>(rounded - units * MILLION);
  const std::uint32_t high = millionths / 10000;
  const std::uint32_t low = millionths - high * 10000;
  out = writeDigitPair(out, high);
  out = writeDigitPair(out, low / 100);
  out = writeDigitPair(out, low % 100);
  return true;
}

}  // namespace

char* writeSixDecimals(double value, char* out) {
  if (writeSixDecimalsFast(value, out)) return out;
  const NumberText exact = formatFixed(value, 6);
  std::memcpy(out, exact.view().data(), exact.view().size());
  return out + exact.view().size();
}

NumberText formatShortest(double value) {
  // Every path returns this one object, so that it is built in place.
  NumberText text;
  if (std::isnan(value)) {
    text.append(std::signbit(value) ? "-nan" : "nan");
    return text;
  }
  if (std::isinf(value)) {
    text.append(value < 0 ? "-inf" : "inf");
    return text;
  }
  if (std::signbit(value)) text.append('-');
  if (value == 0.0) {
    text.append('0');
    return text;
  }

  const double magnitude = std::fabs(value);
  const Candidate c = shortestDigits(magnitude);
  const std::string_view digits(c.digits.data(), static_cast<std::size_t>(c.count));
  const int exponent = c.pointAt - 1;  // value = d.ddd * 10^exponent

  // As printf's %e would write it: at least two exponent digits.
  NumberText scientific;
  scientific.append(digits.substr(0, 1));
  if (c.count > 1) scientific.append('.').append(digits.substr(1));
  scientific.append(exponent < 0 ? "e-" : "e+");
  if (std::abs(exponent) < 10) scientific.append('0');
  scientific.append(std::abs(exponent));

  // As printf's %f would write it, with just the digits needed; a whole number beyond the
  // shortest digits is written with all its own digits, as %f does.
  NumberText fixed;
  if (exponent >= c.count - 1 && magnitude == std::floor(magnitude)) {
    const ExactDecimal exact = exactDecimal(magnitude);
    fixed.append(std::string_view(exact.digits.data(), static_cast<std::size_t>(exact.count)));
    appendZeros(fixed, exact.pointAt - exact.count);
  } else if (exponent >= c.count - 1) {
    fixed.append(digits);
    appendZeros(fixed, exponent - (c.count - 1));
  } else if (exponent >= 0) {
    fixed.append(digits.substr(0, static_cast<std::size_t>(exponent + 1))).append('.');
    fixed.append(digits.substr(static_cast<std::size_t>(exponent + 1)));
  } else {
    fixed.append("0.");
    appendZeros(fixed, -exponent - 1);
    fixed.append(digits);
  }
  // The shorter of the two; fixed when they are equally long.
  text.append(fixed.view().size() <= scientific.view().size() ? fixed.view() : scientific.view());
  return text;
}

NumberText formatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, MAX_FIXED_DECIMALS);
  // Every path returns this one object, so that it is built in place.
  NumberText text;
  if (std::isnan(value)) {
    text.append("nan");
    return text;
  }
  if (std::isinf(value)) {
    text.append(value < 0 ? "-inf" : "inf");
    return text;
  }
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) {
    writeFixed(text, false, 0, decimals, decimals);
    return text;
  }

  SignificantDigits d;
  if (!exactDigitsFast(magnitude, d)) d = exactDigitsFromIntegers(magnitude);

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

#include "bvh/decimal_text.h"

#include <fast_float/fast_float.h>

#include <array>
#include <bit>

#include "bvh/text_scan.h"

namespace zev {

namespace {

constexpr int EXACT_DIGITS = 15;  // 10^15 < 2^53
constexpr std::array<double, 23> EXACT_POWERS_OF_TEN{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Takes the digits from text[i] on into mantissa; returns how many there were. The whole number
// wraps once it has too many digits to be used; only their count then matters.
int takeDigits(std::string_view text, std::size_t& i, std::uint64_t& mantissa) {
  const std::size_t first = i;
  std::uint64_t value = mantissa;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  mantissa = value;
  return static_cast<int>(i - first);
}

// The high bit of every byte that is not a digit. Exact for the lowest such byte; above it a borrow
// or carry may mark wrongly, so only the first mark is used.
std::uint64_t nonDigits(std::uint64_t word) {
  return ((word + 0x46 * EVERY_BYTE) | (word - 0x30 * EVERY_BYTE)) & (0x80 * EVERY_BYTE);
}

std::uint64_t lowBytes(int count) { return (std::uint64_t{1} << (8 * count)) - 1; }

// The magnitude of the usual motion value, at most seven digits with or without a point, read
// eight characters at a time: where the digits end, the point taken out, and the digits as one
// number in three multiplications. False where the text at p is not of that shape or holds fewer
// than eight characters; the whole grammar then reads it.
bool readShortDecimal(const char* p, const char* end, double& magnitude) {
  if (end - p < 8) return false;
  const std::uint64_t chars = loadEight(p);
  std::uint64_t digits = chars;
  int count = std::countr_zero(nonDigits(chars)) / 8;
  if (count == 8) return false;
  int fraction = 0;
  int after = count;  // the character after the number
  if (static_cast<char>(chars >> (8 * count)) == '.') {
    const int point = count;
    const std::uint64_t before = lowBytes(point);
    digits = (chars & before) | ((chars >> 8) & ~before);
    count = std::countr_zero(nonDigits(digits)) / 8;  // the point's old byte is zero now
    fraction = count - point;
    after = count + 1;
  }
  if (count == 0) return false;
  const char next =
      after < 8 ? static_cast<char>(chars >> (8 * after)) : (p + 8 < end ? p[8] : ' ');
  if (isDigit(next) || next == 'e' || next == 'E') return false;
  // The digits' values, the last in the top byte; what stood after them is shifted out.
  digits = (digits - 0x30 * EVERY_BYTE) << (8 * (8 - count));
  digits = digits * 10 + (digits >> 8);
  digits = (((digits & 0x000000FF000000FF) * 0x000F424000000064) +
            (((digits >> 16) & 0x000000FF000000FF) * 0x0000271000000001)) >>
           32;
  magnitude = static_cast<double>(static_cast<std::uint32_t>(digits)) /
              EXACT_POWERS_OF_TEN[static_cast<std::size_t>(fraction)];
  return true;
}

}  // namespace

DecimalText scanDecimal(std::string_view text) {
  DecimalText number;
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.negative = text[i++] == '-';
  number.mantissaStart = i;
  number.digits = takeDigits(text, i, number.mantissa);
  if (i < text.size() && text[i] == '.') {
    ++i;
    number.fractionDigits = takeDigits(text, i, number.mantissa);
    number.digits += number.fractionDigits;
  }
  if (number.digits == 0) return DecimalText{};
  number.end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < text.size() && isDigit(text[e])) {
      while (e < text.size() && isDigit(text[e])) ++e;
      number.end = e;
      number.exponent = true;
    }
  }
  return number;
}

double valueOf(std::string_view text, const DecimalText& number) {
  if (number.end == 0) return 0.0;
  double value = 0.0;
  if (!number.exponent && number.digits <= EXACT_DIGITS &&
      number.fractionDigits < static_cast<int>(EXACT_POWERS_OF_TEN.size())) {
    value = static_cast<double>(number.mantissa) /
            EXACT_POWERS_OF_TEN[static_cast<std::size_t>(number.fractionDigits)];
  } else {
    fast_float::from_chars(text.data() + number.mantissaStart, text.data() + number.end, value);
  }
  return number.negative ? -value : value;
}

double parseDecimal(std::string_view text) {
  const char* const end = text.data() + text.size();
  const bool negative = !text.empty() && text[0] == '-';
  double magnitude = 0.0;
  if (readShortDecimal(text.data() + (negative ? 1 : 0), end, magnitude)) {
    return negative ? -magnitude : magnitude;
  }
  return valueOf(text, scanDecimal(text));
}

}  // namespace zev

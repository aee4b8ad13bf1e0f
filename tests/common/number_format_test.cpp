#include "common/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace zev {
namespace {

std::string six(double value) { return std::string(formatFixed(value, 6).view()); }
std::string one(double value) { return std::string(formatFixed(value, 1).view()); }

TEST(NumberFormat, WritesSixDecimalsLikePrintfOnOrdinaryValues) {
  EXPECT_EQ(six(0.0), "0.000000");
  EXPECT_EQ(six(0.25), "0.250000");
  EXPECT_EQ(six(1.0), "1.000000");
  EXPECT_EQ(six(12.5), "12.500000");
  EXPECT_EQ(six(0.123456), "0.123456");
  EXPECT_EQ(six(-3.75), "-3.750000");
  EXPECT_EQ(six(1e-7), "0.000000");
  EXPECT_EQ(six(1.5e-6), "0.000002");
}

TEST(NumberFormat, RoundsTheSeventeenDigitFormHalfUp) {
  // 0.0001025 is stored just below the half; its 17-digit form is exactly the half.
  EXPECT_EQ(six(0.0001025), "0.000103");
  // More than 17 significant digits before the sixth decimal: the 17-digit form ends the digits.
  EXPECT_EQ(six(123456789012.345678), "123456789012.345670");
  // Ties on the decimal form go up, not to even.
  EXPECT_EQ(one(1.25), "1.3");
  EXPECT_EQ(one(0.25), "0.3");
  EXPECT_EQ(one(1.45), "1.5");  // stored as 1.44999999999999995559...
  // Below the half in the 17-digit form as well: down, however close.
  EXPECT_EQ(one(0.35), "0.3");  // 0.34999999999999997779...
}

TEST(NumberFormat, CarriesIntoANewLeadingDigit) {
  EXPECT_EQ(one(0.98), "1.0");
  EXPECT_EQ(one(9.96), "10.0");
  EXPECT_EQ(one(99.95), "100.0");
  EXPECT_EQ(six(0.9999995), "1.000000");
  EXPECT_EQ(six(999999.9999996), "1000000.000000");
  EXPECT_EQ(one(19.6), "19.6");
  EXPECT_EQ(one(9.8), "9.8");
}

TEST(NumberFormat, NeverWritesAMinusSignBeforeZero) {
  EXPECT_EQ(six(-0.0), "0.000000");
  EXPECT_EQ(six(-0.0000001), "0.000000");
  EXPECT_EQ(six(-4.9e-7), "0.000000");
  EXPECT_EQ(six(-1.5e-6), "-0.000002");
  EXPECT_EQ(one(-0.04), "0.0");
  EXPECT_EQ(one(-0.05), "-0.1");
  EXPECT_EQ(six(-std::numeric_limits<double>::denorm_min()), "0.000000");
}

TEST(NumberFormat, HandlesLargeAndTinyMagnitudesAndOtherPrecisions) {
  EXPECT_EQ(six(1e20), "100000000000000000000.000000");
  EXPECT_EQ(six(123456789012345678901234.0), "123456789012345690000000.000000");
  EXPECT_EQ(std::string(formatFixed(1.5, 0).view()), "2");
  EXPECT_EQ(std::string(formatFixed(0.4, 0).view()), "0");
  EXPECT_EQ(std::string(formatFixed(0.1, 20).view()), "0.10000000000000001000");
  const std::string largest = six(std::numeric_limits<double>::max());
  EXPECT_EQ(largest.substr(0, 17), "17976931348623157");
  EXPECT_EQ(largest.size(), 309u + 7u);
  EXPECT_EQ(six(std::nan("")), "nan");
  EXPECT_EQ(six(-INFINITY), "-inf");
}

// Below 10^11 the 17 digits reach past the sixth decimal, and away from the two rounding points
// the rule agrees with printf; tiny magnitudes take the slow path.
TEST(NumberFormat, AgreesWithPrintfAwayFromTies) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-20, 10);
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    char expected[400];
    std::snprintf(expected, sizeof expected, "%.6f", value);
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.30e", value);
    const std::string digits(exact);
    // Skip values where the 18th digit or the first dropped one (counted from 1) is near a tie.
    const int decimalExponent = std::stoi(digits.substr(digits.find('e') + 1));
    const int afterSixth = decimalExponent + 8;
    const auto digitAt = [&](int k) {
      return k == 1 ? digits[0] : digits[static_cast<std::size_t>(k)];
    };
    if (digitAt(18) == '4' || digitAt(18) == '5') continue;
    if (afterSixth >= 1 && afterSixth <= 17 &&
        (digitAt(afterSixth) == '4' || digitAt(afterSixth) == '5'))
      continue;
    ASSERT_EQ(six(value), expected) << digits;
  }
}

// The pose file's fast six-decimal text against the exact formatter. Under the sanitizers, where
// the exact formatter is many times slower, every tenth case is taken.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int STRIDE = 10;
#else
constexpr int STRIDE = 1;
#endif

void expectSame(double value) {
  char fast[MAX_FIXED_CHARS];
  const std::string_view fastText(fast,
                                  static_cast<std::size_t>(writeSixDecimals(value, fast) - fast));
  const NumberText exact = formatFixed(value, 6);
  ASSERT_EQ(fastText, exact.view()) << std::hexfloat << value;
}

// A value and its two neighbours on either side.
void expectSameAround(double value) {
  for (int step = 0; step < 2; ++step) value = std::nextafter(value, 0.0);
  for (int step = 0; step < 5; ++step, value = std::nextafter(value, INFINITY)) expectSame(value);
}

TEST(SixDecimals, MatchTheExactTextOnTenMillionSignalValues) {
  std::mt19937_64 random(23);
  // The limited signals, the rotations and unlimited springs, and every magnitude from far below
  // the sixth decimal to beyond the fast range.
  std::uniform_real_distribution<double> limited(-1.5, 1.5);
  std::uniform_real_distribution<double> unlimited(-30000.0, 30000.0);
  std::uniform_real_distribution<double> exponent(-30.0, 22.0);
  for (int i = 0; i < 10'000'000 / STRIDE; ++i) {
    double value = 0.0;
    switch (i % 3) {
      case 0:
        value = limited(random);
        break;
      case 1:
        value = unlimited(random);
        break;
      default:
        value = std::exp2(exponent(random)) * (i % 2 ? 1.0 : -1.0);
        break;
    }
    expectSame(value);
  }
}

// Where the sixth decimal rounds: every such point below 1, and the ten thousand nearest on either
// side of each power of two up to the fast range's end, where a double's spacing changes.
TEST(SixDecimals, MatchTheExactTextAtTheRoundingPoints) {
  for (int k = 0; k < 1'000'000; k += STRIDE) {
    const double point = (k + 0.5) / 1e6;
    expectSameAround(k % 2 ? point : -point);
  }
  for (int e = 0; e <= 21; ++e) {
    const double power = std::ldexp(1.0, e);
    for (int k = -10'000; k < 10'000; k += STRIDE) expectSameAround(power + (k + 0.5) / 1e6);
  }
  expectSameAround(0.0);
  expectSameAround(std::nan(""));
  expectSameAround(INFINITY);
}

}  // namespace
}  // namespace zev

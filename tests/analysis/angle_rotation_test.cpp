#include "analysis/angle_rotation.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace zev {
namespace {

constexpr double ROUNDING = 1e-15;
constexpr double CLOSED_FORM_TOLERANCE = 1e-14;

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Whole turns taken off one at a time, for angles small enough that this ends quickly.
double steppedRadians(double angle) {
  while (angle > 360.0) angle -= 360.0;
  while (angle < -360.0) angle += 360.0;
  if (angle > 180.0) angle -= 360.0;
  if (angle < -180.0) angle += 360.0;
  return angle * ANGLE_PI * 0.005555555555555556;
}

double radians(double degrees) { return degrees * ANGLE_PI / 180.0; }

TEST(AngleRotation, DegreesToRadiansKeepsBothEdgesOfTheHalfTurn) {
  EXPECT_DOUBLE_EQ(degreesToRadians(180.0), 3.141592613);
  EXPECT_EQ(degreesToRadians(-180.0), -degreesToRadians(180.0));
  EXPECT_EQ(bits(degreesToRadians(360.0)), bits(0.0));
  EXPECT_EQ(bits(degreesToRadians(-360.0)), bits(0.0));
  EXPECT_EQ(degreesToRadians(540.0), degreesToRadians(180.0));
  EXPECT_EQ(degreesToRadians(-540.0), degreesToRadians(-180.0));
  EXPECT_EQ(degreesToRadians(190.0), degreesToRadians(-170.0));
}

TEST(AngleRotation, DegreesToRadiansEqualsWholeTurnSteppingBitForBit) {
  std::vector<double> angles;
  for (int turns = -30; turns <= 30; ++turns) {
    for (double offset : {-180.0, -0.5, 0.0, 0.5, 180.0}) angles.push_back(turns * 360.0 + offset);
    const double edge = turns * 360.0 + 180.0;
    angles.push_back(std::nextafter(edge, 0.0));
    angles.push_back(std::nextafter(edge, 1e9));
  }
  for (double a = -4000.0; a <= 4000.0; a += 0.25) angles.push_back(a);
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> wide(-1e6, 1e6);
  std::uniform_real_distribution<double> narrow(-1000.0, 1000.0);
  for (int k = 0; k < 20000; ++k) {
    angles.push_back(wide(random));
    angles.push_back(narrow(random));
  }
  for (double angle : angles) {
    ASSERT_EQ(bits(degreesToRadians(angle)), bits(steppedRadians(angle))) << "angle " << angle;
    ASSERT_EQ(degreesToRadians(-angle), -degreesToRadians(angle)) << "angle " << angle;
  }
}

TEST(AngleRotation, DegreesToRadiansEndsFastOnHugeAngles) {
  const auto start = std::chrono::steady_clock::now();
  // 1e12 is 2777777777 whole turns and 280 degrees.
  EXPECT_EQ(degreesToRadians(1e12), degreesToRadians(-80.0));
  EXPECT_EQ(degreesToRadians(-1e12), degreesToRadians(80.0));
  for (double huge : {1e17, 9e99, 1e300, std::numeric_limits<double>::max()}) {
    for (double angle : {huge, -huge}) {
      const double r = degreesToRadians(angle);
      EXPECT_LE(std::fabs(r), 3.141592613) << angle;
      EXPECT_TRUE(std::isfinite(upComponent(angle, angle, angle))) << angle;
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(AngleRotation, AngleThatIsNotFiniteGivesNaN) {
  const double inf = std::numeric_limits<double>::infinity();
  for (double angle : {inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_TRUE(std::isnan(degreesToRadians(angle)));
    EXPECT_TRUE(std::isnan(upComponent(angle, 0.0, 0.0)));
    EXPECT_TRUE(std::isnan(sideComponent(0.0, angle, 0.0)));
    EXPECT_TRUE(std::isnan(frontComponent(0.0, 0.0, angle)));
  }
}

TEST(AngleRotation, RotateAboutAxisTurnsAgainstTheRightHandRule) {
  const Vector3 r = rotateAboutAxis({0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}, std::acos(-1.0) / 2.0);
  EXPECT_NEAR(r.x, 1.0, ROUNDING);
  EXPECT_NEAR(r.y, 0.0, ROUNDING);
  EXPECT_NEAR(r.z, 0.0, ROUNDING);
}

TEST(AngleRotation, ComponentsOfSingleTurns) {
  EXPECT_EQ(upComponent(0, 0, 0), 1.0);
  EXPECT_EQ(frontComponent(0, 0, 0), 0.0);
  EXPECT_EQ(sideComponent(0, 0, 0), 0.0);
  // The figure's smaller pi shows in the ninth decimal.
  EXPECT_NEAR(upComponent(60, 0, 0), 0.50000001172, 5e-12);
  EXPECT_NEAR(frontComponent(90, 0, 0), -1.0, ROUNDING);
  EXPECT_NEAR(sideComponent(0, 0, 90), 1.0, ROUNDING);
  EXPECT_NEAR(sideComponent(30, 90, 0), 0.4999999941, 5e-11);
  EXPECT_NEAR(frontComponent(0, 90, 90), 1.0, ROUNDING);
}

TEST(AngleRotation, ThreeTurnsInTheirFixedOrder) {
  EXPECT_NEAR(frontComponent(30, 40, 50), 0.043412, 5e-7);
  EXPECT_NEAR(sideComponent(30, 40, 50), 0.829598, 5e-7);
  EXPECT_NEAR(upComponent(30, 40, 50), 0.556670, 5e-7);
  for (double b : {-170.0, -45.0, 0.0, 33.0, 90.0, 179.0}) {
    EXPECT_NEAR(upComponent(30, b, 50), upComponent(30, 40, 50), ROUNDING) << b;
  }
}

TEST(AngleRotation, StepsAgreeWithTheClosedForm) {
  for (double a = -170.0; a <= 180.0; a += 35.0) {
    for (double b = -175.0; b <= 180.0; b += 25.0) {
      for (double c = -165.0; c <= 180.0; c += 45.0) {
        const double ca = std::cos(radians(a)), sa = std::sin(radians(a));
        const double cb = std::cos(radians(b)), sb = std::sin(radians(b));
        const double cc = std::cos(radians(c)), sc = std::sin(radians(c));
        EXPECT_NEAR(frontComponent(a, b, c), ca * sc * sb - sa * cb, CLOSED_FORM_TOLERANCE);
        EXPECT_NEAR(sideComponent(a, b, c), ca * sc * cb + sa * sb, CLOSED_FORM_TOLERANCE);
        EXPECT_NEAR(upComponent(a, b, c), ca * cc, CLOSED_FORM_TOLERANCE);
      }
    }
  }
}

}  // namespace
}  // namespace zev

#include "analysis/angle_rotation.h"

#include <cmath>
#include <limits>

namespace zev {

namespace {
constexpr double ONE_180TH = 0.005555555555555556;
constexpr double FULL_TURN = 360.0;
constexpr double HALF_TURN = 180.0;
}  // namespace

double degreesToRadians(double angle) {
  if (!std::isfinite(angle)) return std::numeric_limits<double>::quiet_NaN();
  // Take off whole turns in one exact remainder rather than turn by turn: huge angles from a file
  // (1e300 fits in a motion value) would otherwise take for ever. Whole-turn stepping stops in
  // (0, 360] above and in [-360, 0) below, so a remainder of zero stands for the full turn.
  if (angle > FULL_TURN) {
    angle = std::fmod(angle, FULL_TURN);
    if (angle == 0.0) angle = FULL_TURN;
  } else if (angle < -FULL_TURN) {
    angle = std::fmod(angle, FULL_TURN);
    if (angle == 0.0) angle = -FULL_TURN;
  }
  if (angle > HALF_TURN) angle -= FULL_TURN;
  if (angle < -HALF_TURN) angle += FULL_TURN;
  return angle * ANGLE_PI * ONE_180TH;
}

Vector3 rotateAboutAxis(const Vector3& v, const Vector3& axis, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double k = 1.0 - c;
  const double ux = axis.x;
  const double uy = axis.y;
  const double uz = axis.z;
  return {
      (c + k * ux * ux) * v.x + (k * ux * uy + s * uz) * v.y + (k * ux * uz - s * uy) * v.z,
      (k * ux * uy - s * uz) * v.x + (c + k * uy * uy) * v.y + (k * uy * uz + s * ux) * v.z,
      (k * ux * uz + s * uy) * v.x + (k * uy * uz - s * ux) * v.y + (c + k * uz * uz) * v.z,
  };
}

double rotateByThreeAngles(double a, double b, double c, const Vector3& v) {
  const double alpha = degreesToRadians(a);
  const double bNegated = degreesToRadians(-b);
  const double cNegated = degreesToRadians(-c);
  const double sa = std::sin(alpha);
  const double ca = std::cos(alpha);
  const Vector3 w{v.x, ca * v.y - sa * v.z, sa * v.y + ca * v.z};
  // The front and up axes after the first turn; the up axis is carried along by the second.
  const Vector3 front{0.0, -sa, ca};
  const Vector3 up{0.0, ca, sa};
  const Vector3 p = rotateAboutAxis(w, front, cNegated);
  const Vector3 carriedUp = rotateAboutAxis(up, front, cNegated);
  return rotateAboutAxis(p, carriedUp, bNegated).y;
}

double frontComponent(double a, double b, double c) {
  return rotateByThreeAngles(a, b, c, {0.0, 0.0, 1.0});
}

double sideComponent(double a, double b, double c) {
  return rotateByThreeAngles(a, b, c, {1.0, 0.0, 0.0});
}

double upComponent(double a, double b, double c) {
  return rotateByThreeAngles(a, b, c, {0.0, 1.0, 0.0});
}

}  // namespace zev

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

AxisTurn::AxisTurn(const Vector3& axis, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double k = 1.0 - c;
  const double ux = axis.x;
  const double uy = axis.y;
  const double uz = axis.z;
  m_[0][0] = c + k * ux * ux;
  m_[0][1] = k * ux * uy + s * uz;
  m_[0][2] = k * ux * uz - s * uy;
  m_[1][0] = k * ux * uy - s * uz;
  m_[1][1] = c + k * uy * uy;
  m_[1][2] = k * uy * uz + s * ux;
  m_[2][0] = k * ux * uz + s * uy;
  m_[2][1] = k * uy * uz - s * ux;
  m_[2][2] = c + k * uz * uz;
}

Vector3 AxisTurn::apply(const Vector3& v) const {
  return {
      m_[0][0] * v.x + m_[0][1] * v.y + m_[0][2] * v.z,
      applyVertical(v),
      m_[2][0] * v.x + m_[2][1] * v.y + m_[2][2] * v.z,
  };
}

double AxisTurn::applyVertical(const Vector3& v) const {
  return m_[1][0] * v.x + m_[1][1] * v.y + m_[1][2] * v.z;
}

Vector3 rotateAboutAxis(const Vector3& v, const Vector3& axis, double angle) {
  return AxisTurn(axis, angle).apply(v);
}

ChainTurn::ChainTurn(double a, double b, double c)
    : ChainTurn(degreesToRadians(a), degreesToRadians(-b), degreesToRadians(-c), InRadians{}) {}

// The front and up axes after the first turn; the up axis is carried along by the second.
ChainTurn::ChainTurn(double alpha, double bNegated, double cNegated, InRadians)
    : sa_(std::sin(alpha)),
      ca_(std::cos(alpha)),
      aboutFront_({0.0, -sa_, ca_}, cNegated),
      aboutCarriedUp_(aboutFront_.apply({0.0, ca_, sa_}), bNegated) {}

double ChainTurn::vertical(const Vector3& v) const {
  const Vector3 w{v.x, ca_ * v.y - sa_ * v.z, sa_ * v.y + ca_ * v.z};
  return aboutCarriedUp_.applyVertical(aboutFront_.apply(w));
}

double ChainTurn::front() const { return vertical({0.0, 0.0, 1.0}); }
double ChainTurn::side() const { return vertical({1.0, 0.0, 0.0}); }
double ChainTurn::up() const { return vertical({0.0, 1.0, 0.0}); }

double rotateByThreeAngles(double a, double b, double c, const Vector3& v) {
  return ChainTurn(a, b, c).vertical(v);
}

double frontComponent(double a, double b, double c) { return ChainTurn(a, b, c).front(); }

double sideComponent(double a, double b, double c) { return ChainTurn(a, b, c).side(); }

double upComponent(double a, double b, double c) { return ChainTurn(a, b, c).up(); }

}  // namespace zev

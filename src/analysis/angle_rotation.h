#pragma once

// How far one of the body's unit axes points along the vertical once a joint chain is turned by
// three summed angles. The only place where degrees become radians, always with ANGLE_PI. Pure
// functions: no state, nothing allocated.

namespace zev {

// The figure's own value of pi, about 4.06e-8 below the library's; every conversion uses it.
inline constexpr double ANGLE_PI = 3.141592613;

struct Vector3 {
  double x, y, z;
};

// The angle wrapped into [-180, 180] degrees (both edges kept), in radians. An angle that is not
// finite gives NaN.
double degreesToRadians(double angle);

// v turned about a unit axis (not normalised here) by angle radians, against the right-hand rule:
// c·v + s·(v × axis) + (1 - c)·(axis · v)·axis.
Vector3 rotateAboutAxis(const Vector3& v, const Vector3& axis, double angle);

// The turn of rotateAboutAxis as its nine coefficients, for turning several vectors alike.
class AxisTurn {
 public:
  AxisTurn(const Vector3& axis, double angle);
  Vector3 apply(const Vector3& v) const;
  double applyVertical(const Vector3& v) const;  // apply(v).y

 private:
  double m_[3][3];
};

// The second (vertical) component of v turned by a about the first axis, then by -c and -b about
// the carried front and up axes. a, b, c in degrees.
double rotateByThreeAngles(double a, double b, double c, const Vector3& v);

// The three turns of one joint chain, for all three unit axes at once: each angle's sine and
// cosine is taken once, and each axis goes through the same products as rotateByThreeAngles.
class ChainTurn {
 public:
  ChainTurn(double a, double b, double c);
  double vertical(const Vector3& v) const;  // rotateByThreeAngles(a, b, c, v)
  double front() const;
  double side() const;
  double up() const;

 private:
  struct InRadians {};
  ChainTurn(double alpha, double bNegated, double cNegated, InRadians);

  double sa_, ca_;
  AxisTurn aboutFront_;
  AxisTurn aboutCarriedUp_;
};

// rotateByThreeAngles for the unit axes (0, 0, 1), (1, 0, 0) and (0, 1, 0). The pose signals pass
// the chain's channel-1, channel-3 and channel-2 sums in this order.
double frontComponent(double a, double b, double c);
double sideComponent(double a, double b, double c);
double upComponent(double a, double b, double c);

}  // namespace zev

// Deterministic elementary functions.
//
// The generated files must be byte-identical on every platform, but the C runtimes round
// sin, exp, log and friends differently in the last bit. These versions use only +, -, *, /,
// floor, ldexp, frexp and sqrt, which IEEE 754 defines exactly, so every compiler and
// runtime produces the same results (as long as no multiply-add contraction happens, which
// the build switches off).
#ifndef ASSETGEN_DET_MATH_H
#define ASSETGEN_DET_MATH_H

namespace assetgen {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 6.28318530717958647692;

double det_sin(double x);
double det_cos(double x);
double det_exp(double x);
double det_log(double x);                      // Returns a large negative number for x <= 0.
double det_pow(double base, double exponent);  // base <= 0 gives 0.
double det_atan2(double y, double x);
double det_sqrt(double x);  // Negative input gives 0.

inline double clampd(double v, double lo, double hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}
inline double mixd(double a, double b, double t) {
  return a + (b - a) * t;
}
inline double smoothstep(double e0, double e1, double x) {
  double t = clampd((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}
// Fractional part in [0, 1); 0 for NaN and infinities.
double fract(double x);

}  // namespace assetgen

#endif

#include "det_math.h"

#include <cmath>

namespace assetgen {

double fract(double x) {
  double f = x - std::floor(x);
  return f >= 0.0 && f < 1.0 ? f : 0.0;  // also catches NaN and infinities
}

double det_sqrt(double x) {
  return x > 0.0 ? std::sqrt(x) : 0.0;
}

// Taylor series on [-pi/2, pi/2]; the error stays below 1e-7, far under anything that
// reaches an 8-bit pixel or a 16-bit sample.
static double sin_kernel(double r) {
  double r2 = r * r;
  double term = r;
  double sum = r;
  for (int n = 1; n <= 7; ++n) {
    term = -term * r2 / ((2.0 * n) * (2.0 * n + 1.0));
    sum += term;
  }
  return sum;
}

double det_sin(double x) {
  if (!(x == x) || x > 1e9 || x < -1e9) return 0.0;  // NaN or absurd phase: silence.
  double k = std::floor(x / kTwoPi + 0.5);
  double r = x - k * kTwoPi;  // now in [-pi, pi]
  if (r > kPi / 2) r = kPi - r;
  if (r < -kPi / 2) r = -kPi - r;
  return sin_kernel(r);
}

double det_cos(double x) {
  return det_sin(x + kPi / 2);
}

double det_exp(double x) {
  if (!(x == x)) return 0.0;
  if (x < -700.0) return 0.0;
  if (x > 700.0) x = 700.0;
  const double ln2 = 0.693147180559945309417;
  double k = std::floor(x / ln2 + 0.5);
  double r = x - k * ln2;  // |r| <= ln2 / 2
  double term = 1.0;
  double sum = 1.0;
  for (int n = 1; n <= 13; ++n) {
    term = term * r / n;
    sum += term;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

double det_log(double x) {
  if (!(x > 0.0)) return -1e300;
  if (x > 1e300) x = 1e300;
  int e = 0;
  double m = std::frexp(x, &e);  // x = m * 2^e, m in [0.5, 1)
  if (m < 0.70710678118654752440) {
    m *= 2.0;
    e -= 1;
  }
  // log(m) = 2 atanh(s) with s = (m - 1) / (m + 1), |s| < 0.172.
  double s = (m - 1.0) / (m + 1.0);
  double s2 = s * s;
  double term = s;
  double sum = 0.0;
  for (int n = 1; n <= 21; n += 2) {
    sum += term / n;
    term *= s2;
  }
  return 2.0 * sum + e * 0.693147180559945309417;
}

double det_pow(double base, double exponent) {
  if (!(base > 0.0)) return 0.0;
  return det_exp(exponent * det_log(base));
}

// atan for |t| <= 1: two argument halvings bring t below tan(pi/16), where a short
// series converges quickly.
static double atan_unit(double t) {
  for (int i = 0; i < 2; ++i) t = t / (1.0 + std::sqrt(1.0 + t * t));
  double t2 = t * t;
  double term = t;
  double sum = 0.0;
  for (int n = 1; n <= 17; n += 2) {
    sum += term / n;
    term *= -t2;
  }
  return 4.0 * sum;
}

double det_atan2(double y, double x) {
  if (!(x == x) || !(y == y)) return 0.0;
  if (x == 0.0 && y == 0.0) return 0.0;
  double ax = std::fabs(x), ay = std::fabs(y);
  double a = ay <= ax ? atan_unit(ay / ax) : kPi / 2 - atan_unit(ax / ay);
  if (x < 0.0) a = kPi - a;
  return y < 0.0 ? -a : a;
}

}  // namespace assetgen

#include "noise.h"

#include <cmath>

namespace assetgen {

Rng::Rng(uint64_t seed) : state_(0) {
  next_u32();
  state_ += seed + 0x853c49e6748fea9bULL;
  next_u32();
}

uint32_t Rng::next_u32() {
  uint64_t old = state_;
  state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
  uint32_t xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
  uint32_t rot = static_cast<uint32_t>(old >> 59);
  return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

double Rng::uniform() {
  return next_u32() * (1.0 / 4294967296.0);
}

double Rng::range(double lo, double hi) {
  return lo + (hi - lo) * uniform();
}

int Rng::below(int n) {
  if (n <= 0) return 0;
  return static_cast<int>(uniform() * n);
}

uint32_t hash2(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B9u;
  h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

double hash2_unit(int32_t x, int32_t y, uint32_t seed) {
  return hash2(x, y, seed) * (1.0 / 4294967296.0);
}

// Lattice coordinates of huge inputs would overflow int; noise far out simply repeats.
static int32_t lattice(double v) {
  double f = std::floor(v);
  if (f > 1e9 || f < -1e9) return 0;
  return static_cast<int32_t>(f);
}

// Sixteen unit gradient directions (cos, sin of k * 22.5 degrees), written out so no
// trigonometry is involved.
static const double kGrad[16][2] = {
    {1.0, 0.0},  {0.92387953, 0.38268343},   {0.70710678, 0.70710678},   {0.38268343, 0.92387953},
    {0.0, 1.0},  {-0.38268343, 0.92387953},  {-0.70710678, 0.70710678},  {-0.92387953, 0.38268343},
    {-1.0, 0.0}, {-0.92387953, -0.38268343}, {-0.70710678, -0.70710678}, {-0.38268343, -0.92387953},
    {0.0, -1.0}, {0.38268343, -0.92387953},  {0.70710678, -0.70710678},  {0.92387953, -0.38268343}};

static double corner(int32_t ix, int32_t iy, double dx, double dy, uint32_t seed) {
  const double* g = kGrad[hash2(ix, iy, seed) & 15u];
  return g[0] * dx + g[1] * dy;
}

static double fade(double t) {
  return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

double gradient_noise(double x, double y, uint32_t seed) {
  if (!(x == x) || !(y == y)) return 0.0;
  int32_t ix = lattice(x), iy = lattice(y);
  double fx = x - std::floor(x), fy = y - std::floor(y);
  double n00 = corner(ix, iy, fx, fy, seed);
  double n10 = corner(ix + 1, iy, fx - 1.0, fy, seed);
  double n01 = corner(ix, iy + 1, fx, fy - 1.0, seed);
  double n11 = corner(ix + 1, iy + 1, fx - 1.0, fy - 1.0, seed);
  double u = fade(fx), v = fade(fy);
  double a = n00 + (n10 - n00) * u;
  double b = n01 + (n11 - n01) * u;
  return 1.41421356 * (a + (b - a) * v);
}

// Rotation by about 37 degrees between octaves hides the lattice's axis alignment.
static const double kRotC = 0.79863551, kRotS = 0.60181502;

double fbm(double x, double y, int octaves, uint32_t seed) {
  double sum = 0.0, amp = 0.5, norm = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * gradient_noise(x, y, seed + 101u * static_cast<uint32_t>(i));
    norm += amp;
    double nx = (kRotC * x - kRotS * y) * 2.03 + 17.1;
    double ny = (kRotS * x + kRotC * y) * 2.03 - 3.7;
    x = nx;
    y = ny;
    amp *= 0.5;
  }
  return norm > 0.0 ? sum / norm : 0.0;
}

double ridged_fbm(double x, double y, int octaves, uint32_t seed) {
  double sum = 0.0, amp = 0.5, norm = 0.0;
  for (int i = 0; i < octaves; ++i) {
    double n = 1.0 - std::fabs(gradient_noise(x, y, seed + 131u * static_cast<uint32_t>(i)));
    sum += amp * n * n;
    norm += amp;
    double nx = (kRotC * x - kRotS * y) * 2.1 + 5.3;
    double ny = (kRotS * x + kRotC * y) * 2.1 + 11.9;
    x = nx;
    y = ny;
    amp *= 0.5;
  }
  return norm > 0.0 ? sum / norm : 0.0;
}

Cells cellular(double x, double y, uint32_t seed) {
  Cells c{8.0, 8.0, 0};
  if (!(std::fabs(x) < 1e9) || !(std::fabs(y) < 1e9)) return c;  // also rejects NaN
  int32_t ix = lattice(x), iy = lattice(y);
  double fx = x - ix, fy = y - iy;
  for (int j = -1; j <= 1; ++j) {
    for (int i = -1; i <= 1; ++i) {
      uint32_t h = hash2(ix + i, iy + j, seed);
      double px = i + (h & 0xFFFFu) * (1.0 / 65536.0);
      double py = j + (h >> 16) * (1.0 / 65536.0);
      double dx = px - fx, dy = py - fy;
      double d = std::sqrt(dx * dx + dy * dy);
      if (d < c.f1) {
        c.f2 = c.f1;
        c.f1 = d;
        c.id = h;
      } else if (d < c.f2) {
        c.f2 = d;
      }
    }
  }
  return c;
}

}  // namespace assetgen

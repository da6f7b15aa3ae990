// Seeded randomness for the generators: a small PRNG and smooth 2-D noise.
// Everything is integer hashing plus exact arithmetic, so it is the same everywhere.
#ifndef ASSETGEN_NOISE_H
#define ASSETGEN_NOISE_H

#include <cstdint>

namespace assetgen {

// PCG32: small, fast and statistically sound enough for textures and noise bursts.
class Rng {
 public:
  explicit Rng(uint64_t seed);
  uint32_t next_u32();
  double uniform();                    // [0, 1)
  double range(double lo, double hi);  // [lo, hi)
  int below(int n);                    // [0, n); 0 when n <= 0

 private:
  uint64_t state_;
};

// Hash of a lattice point and a seed to 32 bits.
uint32_t hash2(int32_t x, int32_t y, uint32_t seed);
// Same hash mapped to [0, 1).
double hash2_unit(int32_t x, int32_t y, uint32_t seed);

// Gradient noise in roughly [-1, 1], period-free, zero at lattice points.
double gradient_noise(double x, double y, uint32_t seed);
// Sum of octaves of gradient noise, each rotated and doubled in frequency; result in
// roughly [-1, 1].
double fbm(double x, double y, int octaves, uint32_t seed);
// Like fbm but with folded octaves: sharp ridges, result in [0, 1].
double ridged_fbm(double x, double y, int octaves, uint32_t seed);

// Cellular noise: distances to the nearest and second-nearest jittered feature point of a
// unit grid.
struct Cells {
  double f1;
  double f2;
  uint32_t id;  // hash of the nearest cell, for per-cell colours
};
Cells cellular(double x, double y, uint32_t seed);

}  // namespace assetgen

#endif

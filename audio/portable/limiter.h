// The soft limiter at the end of the mix. Below the threshold a sample passes unchanged;
// above it the excess is bent by tanh towards full scale, which it never passes:
//   |y| = t + (1 - t) * tanh((|x| - t) / (1 - t))   for |x| > t,  t = kLimiterThreshold.
// The curve meets the identity at t with the same slope, so there is no kink to hear.
#pragma once

#include <algorithm>
#include <cmath>

#include "slate/audio/mixer.h"

namespace Slate::Audio {

inline float limitSample(float x) {
  constexpr float t = kLimiterThreshold, room = 1.0f - kLimiterThreshold;
  if (x >= -t && x <= t) return x;
  if (std::isnan(x)) return 0;
  const float bent = std::min(t + room * std::tanh((std::fabs(x) - t) / room), 1.0f);
  return x < 0 ? -bent : bent;
}

}  // namespace Slate::Audio

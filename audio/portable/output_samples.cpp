// The end of the chain: the limiter's curve and 16-bit samples for waveOut.
#include <cmath>

#include "limiter.h"
#include "slate/audio/mixer.h"

namespace Slate::Audio {

float softLimit(float x) {
  return limitSample(x);
}

void floatToPcm16(const float* in, int16_t* out, int count) {
  if (!in || !out) return;
  for (int i = 0; i < count; ++i) {
    const float x = in[i];
    // NaN fails both tests and becomes silence.
    const float c = x > 1.0f ? 1.0f : x < -1.0f ? -1.0f : x == x ? x : 0.0f;
    out[i] = static_cast<int16_t>(std::lround(c * 32767.0f));
  }
}

}  // namespace Slate::Audio

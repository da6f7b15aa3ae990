#include "music.h"

#include <cmath>
#include <cstddef>

#include "adpcm_encoder.h"
#include "det_math.h"
#include "synth.h"

namespace assetgen {

std::vector<int16_t> render_score(const Score& score) {
  std::vector<int16_t> pcm;
  if (!(score.tempo > 0.0) || !(score.length_beats > 0.0)) return pcm;
  double seconds = score.length_beats * 60.0 / score.tempo;
  if (!(seconds <= 600.0)) return pcm;  // keeps the buffers sensible
  const double per_block = kAdpcmSamplesPerBlock;
  size_t blocks = static_cast<size_t>(std::ceil(seconds * kSynthRate / per_block));
  if (blocks == 0) blocks = 1;
  const size_t length = blocks * kAdpcmSamplesPerBlock;
  const double samples_per_beat = static_cast<double>(length) / score.length_beats;

  // Notes go straight into a circular buffer, so tails crossing the end land at the start.
  std::vector<double> dry(length, 0.0);
  for (size_t i = 0; i < score.notes.size(); ++i) {
    const Note& note = score.notes[i];
    if (!(note.beat >= 0.0) || !(note.beat < score.length_beats)) continue;
    int64_t start = static_cast<int64_t>(std::floor(note.beat * samples_per_beat + 0.5));
    uint32_t seed = static_cast<uint32_t>(i) * 2654435761u + 12345u;
    render_note(note, samples_per_beat, start, seed, &dry);
  }

  // The reverb and the DC-blocking high-pass run over the loop twice and keep the second
  // turn: by then they are in the state the loop's own end leaves them in.
  std::vector<double> mixed(length, 0.0);
  Reverb reverb;
  for (int turn = 0; turn < 2; ++turn)
    for (size_t n = 0; n < length; ++n) {
      double wet = reverb.process(dry[n]);
      if (turn == 1) mixed[n] = dry[n] + score.reverb * wet;
    }
  const double r = 1.0 - kTwoPi * 20.0 / kSynthRate;  // about 20 Hz
  double x1 = 0.0, y1 = 0.0;
  for (int turn = 0; turn < 2; ++turn)
    for (size_t n = 0; n < length; ++n) {
      double y = mixed[n] - x1 + r * y1;
      x1 = mixed[n];
      y1 = y;
      if (turn == 1) dry[n] = y;
    }

  double mean = 0.0;
  for (double v : dry) mean += v;
  mean /= static_cast<double>(length);
  double peak = 0.0;
  for (double& v : dry) {
    v -= mean;
    if (std::fabs(v) > peak) peak = std::fabs(v);
  }
  double gain = peak > 0.0 ? kPeakLevel * 32767.0 / peak : 0.0;
  pcm.resize(length);
  for (size_t n = 0; n < length; ++n) {
    double s = std::floor(dry[n] * gain + 0.5);
    if (s > 32767.0) s = 32767.0;
    if (s < -32768.0) s = -32768.0;
    pcm[n] = static_cast<int16_t>(s);
  }
  return pcm;
}

std::vector<int16_t> render_music(int n) {
  if (n < 1 || n > kPieceCount) return {};
  return render_score(make_piece(n));
}

}  // namespace assetgen

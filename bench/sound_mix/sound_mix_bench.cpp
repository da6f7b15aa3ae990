// Mixing cost: nanoseconds per output frame at 48 kHz for 1, 16 and 64 voices (mono and
// stereo sounds at 44.1 and 48 kHz, each at its own pitch, so every voice resamples), with
// and without music. The goal is 64 voices within 2 % of one core: 417 ns a frame.
#include <benchmark/benchmark.h>

#include "slate/audio/mixer.h"
#include "support/audio_signal.h"

using namespace Slate::Audio;

namespace {

constexpr int kRate = 48000, kPeriod = 480;  // 10 ms periods, as the device asks

void mix(benchmark::State& state, bool withMusic) {
  const int voices = int(state.range(0));
  Mixer m(kRate);
  const SharedSound sounds[] = {TestAudio::sine(44100, 1, 44100, 440, 0.1),
                                TestAudio::sine(48000, 2, 48000, 660, 0.1)};
  for (int i = 0; i < voices; ++i)
    m.play(sounds[i % 2], 0.5f, float(i % 9) / 4 - 1, 0.9f + 0.01f * float(i), true);
  if (withMusic)
    m.playMusic(std::make_unique<TestAudio::MemoryStream>(
                    44100, 2, TestAudio::sine(44100, 2, 441000, 220, 0.3)->samples),
                true);
  std::vector<float> out(2 * kPeriod);
  for (auto _ : state) {
    m.fillAhead();
    m.render(out.data(), kPeriod);
    benchmark::DoNotOptimize(out.data());
  }
  // Seconds of processor time per output frame (shown as ns).
  state.counters["per_frame"] = benchmark::Counter(
      kPeriod, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Voices(benchmark::State& state) {
  mix(state, false);
}
void VoicesAndMusic(benchmark::State& state) {
  mix(state, true);
}

}  // namespace

BENCHMARK(Voices)->Arg(1)->Arg(16)->Arg(64);
BENCHMARK(VoicesAndMusic)->Arg(1)->Arg(16)->Arg(64);
BENCHMARK_MAIN();

// The mixer, measured on what it renders: levels, pan, pitch and their clamps; voices
// started, stopped, looped and outliving their sound; the limiter; music that loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "slate/audio/mixer.h"
#include "support/audio_signal.h"

using namespace Slate::Audio;
using TestAudio::rms;
using TestAudio::sine;

namespace {

constexpr int kRate = 48000;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Renders `frames` frames in periods of `period`, decoding ahead between them.
std::vector<float> render(Mixer& m, int frames, int period = 480) {
  std::vector<float> out(size_t(frames) * 2);
  for (int at = 0; at < frames; at += period) {
    m.fillAhead();
    m.render(out.data() + size_t(at) * 2, std::min(period, frames - at));
  }
  return out;
}

TEST(Mixer, LevelsPanPitchAndTheirClamps) {
  const double r = 0.2 / std::sqrt(2.0);  // RMS of the 0.2-peak, 1 kHz test tone
  const struct {
    const char* name;
    int voices;  // alike, started together
    float volume, pan, pitch;
    int sourceRate;
    double left, right, hz;  // RMS of each channel, frequency heard
  } cases[] = {
      {"one voice", 1, 1, 0, 1, kRate, r, r, 1000},
      {"two voices add", 2, 1, 0, 1, kRate, 2 * r, 2 * r, 1000},
      {"half volume", 1, 0.5f, 0, 1, kRate, r / 2, r / 2, 1000},
      {"pan left", 1, 1, -1, 1, kRate, r, 0, 1000},
      {"pan half right", 1, 1, 0.5f, 1, kRate, r / 2, r, 1000},
      {"octave up", 1, 1, 0, 2, kRate, r, r, 2000},
      {"fifth down", 1, 1, 0, 2.0f / 3, kRate, r, r, 666.7},
      {"22.05 kHz source", 1, 1, 0, 1, 22050, r, r, 1000},
      {"96 kHz source, pitch 0.5", 1, 1, 0, 0.5f, 96000, r, r, 500},
      {"volume NaN is silence", 1, kNaN, 0, 1, kRate, 0, 0, 0},
      {"negative volume is silence", 1, -2, 0, 1, kRate, 0, 0, 0},
      {"infinite volume is 4", 1, kInf, 0, 1, kRate, 4 * r, 4 * r, 1000},
      {"pan NaN is centre", 1, 1, kNaN, 1, kRate, r, r, 1000},
      {"pan past the side", 1, 1, 7, 1, kRate, 0, r, 1000},
      {"pitch NaN is 1", 1, 1, 0, kNaN, kRate, r, r, 1000},
      {"negative pitch is 1", 1, 1, 0, -3, kRate, r, r, 1000},
      {"huge pitch is 16", 1, 1, 0, 1e9f, kRate, r, r, 16000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Mixer m(kRate);
    const SharedSound s = sine(c.sourceRate, 1, c.sourceRate, 1000, 0.2);
    for (int i = 0; i < c.voices; ++i) EXPECT_GT(m.play(s, c.volume, c.pan, c.pitch, true), 0);
    const std::vector<float> out = render(m, 9600);
    EXPECT_NEAR(rms(out, 0, 480, 9600), c.left, 0.01 * r);
    EXPECT_NEAR(rms(out, 1, 480, 9600), c.right, 0.01 * r);
    EXPECT_NEAR(TestAudio::frequency(out, c.left > 0 ? 0 : 1, 0, 9600, kRate), c.hz,
                c.hz * 0.01 + 1);
  }
}

TEST(Mixer, VoicesStopLoopEndAndOutliveTheirSound) {
  Mixer m(kRate);
  SharedSound blip = sine(kRate, 2, 1000, 500, 0.3);
  EXPECT_EQ(m.play(nullptr, 1, 0, 1, false), 0);
  EXPECT_EQ(m.play(std::make_shared<SoundData>(), 1, 0, 1, false), 0);

  // A looped voice (10 whole periods from a peak, resampled) wraps with no step beyond the
  // tone's own.
  auto peak = std::make_shared<SoundData>(*sine(kRate, 1, 480, 1000, 0.5));
  std::rotate(peak->samples.begin(), peak->samples.begin() + 12, peak->samples.end());
  const int wraps = m.play(peak, 1, 0, 1.37f, true);
  std::vector<float> out = render(m, 4800);
  for (size_t i = 1; i < 4800; ++i) ASSERT_LT(std::fabs(out[2 * i] - out[2 * i - 2]), 0.1) << i;
  m.stop(wraps);

  // An unlooped voice ends by itself; a looped one plays on until it is let go.
  const int once = m.play(blip, 1, 0, 1, false), looped = m.play(blip, 1, 0, 1, true);
  EXPECT_GT(once, 0);
  render(m, 1440);
  EXPECT_FALSE(m.isPlaying(once));
  EXPECT_TRUE(m.isPlaying(looped));
  m.setLooping(looped, false);
  render(m, 1440);
  EXPECT_FALSE(m.isPlaying(looped));

  // stop: at once for isPlaying, silent from the next render; the other voice goes on,
  // and numbers never given or already ended change nothing.
  const int left = m.play(blip, 1, -1, 1, true), right = m.play(blip, 1, 1, 1, true);
  m.stop(left);
  EXPECT_FALSE(m.isPlaying(left));
  for (int never : {0, -1, 12345, left, once}) m.stop(never), m.setLooping(never, false);
  out = render(m, 960);
  EXPECT_EQ(rms(out, 0, 0, 960), 0);
  EXPECT_GT(rms(out, 1, 0, 960), 0.1);

  // A voice whose sound its owner lets go keeps what it plays (ASan watches).
  const int orphan = m.play(std::move(blip), 1, 0, 1, true);
  EXPECT_GT(rms(render(m, 2400), 0, 1200, 2400), 0.1);

  // stopAll ends every voice, but not one started after it.
  m.stopAll();
  const SharedSound tone = sine(kRate, 1, kRate, 1000, 0.2);
  const int after = m.play(tone, 1, 0, 1, true);
  render(m, 480);
  EXPECT_FALSE(m.isPlaying(right) || m.isPlaying(orphan));
  EXPECT_TRUE(m.isPlaying(after));

  // With every slot taken the rest are refused; ended voices free their slots, and no
  // number comes back.
  std::set<int> numbers;
  for (int round = 0; round < 3; ++round) {
    m.stopAll();
    render(m, 480);
    int given = 0;
    for (int i = 0; i < kMaxVoices + 50; ++i)
      if (const int v = m.play(tone, 0.01f, 0, 1, false)) given++, numbers.insert(v);
    EXPECT_EQ(given, kMaxVoices);
  }
  EXPECT_EQ(numbers.size(), 3u * kMaxVoices);
}

TEST(Mixer, LimiterPassesQuietSamplesAndBoundsLoudOnes) {
  for (float x = -kLimiterThreshold; x <= kLimiterThreshold; x += 0.001f)
    ASSERT_EQ(softLimit(x), x);
  for (float x = kLimiterThreshold, last = x; x < 50; last = softLimit(x), x *= 1.01f) {
    ASSERT_TRUE(softLimit(x) >= last && softLimit(x) <= 1) << x;  // rising, never past 1
    ASSERT_EQ(softLimit(-x), -softLimit(x));
  }
  EXPECT_EQ(softLimit(kNaN), 0);
  EXPECT_EQ(softLimit(kInf), 1);

  // 64 loud voices and the loudest master volume: every sample within [-1, 1].
  Mixer m(kRate);
  m.setMasterVolume(kInf);
  for (int i = 0; i < 64; ++i)
    m.play(sine(44100, 1 + i % 2, 4410, 100 + 37 * i, 1.0), 4, float(i % 3 - 1), 1 + i / 64.0f,
           true);
  const std::vector<float> out = render(m, 4800);
  for (float v : out) ASSERT_TRUE(v >= -1 && v <= 1) << v;
  EXPECT_GT(rms(out, 0, 0, 4800), 0.5);
}

TEST(Mixer, MusicLoopsWithoutGapPausesAndStops) {
  // 44 whole periods at 44.1 kHz loop seamlessly, so a gap or click at the wrap would show
  // as a jump larger than the tone's own steps at 48 kHz.
  const SharedSound clip = sine(44100, 2, 4400, 441, 0.5);
  const double maxStep = 2 * TestAudio::kPi * 441 / kRate * 0.5 * 1.05;
  Mixer m(kRate);
  m.playMusic(std::make_unique<TestAudio::MemoryStream>(44100, 2, clip->samples), true);
  m.stopAll();  // voices only
  EXPECT_TRUE(m.isMusicPlaying());
  const std::vector<float> out = render(m, kRate, 333);  // ten wraps, periods out of step
  for (size_t i = 1; i < out.size() / 2; ++i)
    ASSERT_LT(std::fabs(out[2 * i] - out[2 * i - 2]), maxStep) << "at frame " << i;
  EXPECT_NEAR(rms(out, 1, 0, kRate), 0.5 / std::sqrt(2.0), 0.01);

  // Paused it is silent and still playing; volume scales it; stop ends it.
  m.pauseMusic(true);
  EXPECT_EQ(rms(render(m, 480), 0, 0, 480), 0);
  EXPECT_TRUE(m.isMusicPlaying());
  m.pauseMusic(false);
  m.setMusicVolume(0.5f);
  EXPECT_NEAR(rms(render(m, 4800), 0, 0, 4800), 0.25 / std::sqrt(2.0), 0.01);
  m.stopMusic();
  EXPECT_FALSE(m.isMusicPlaying());
  EXPECT_EQ(rms(render(m, 480), 0, 0, 480), 0);

  // Unlooped mono music at the output's own rate plays its frames as they are, once.
  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = float(i) / 2000;
  m.setMusicVolume(kNaN);  // as 1
  m.playMusic(std::make_unique<TestAudio::MemoryStream>(kRate, 1, ramp), false);
  const std::vector<float> once = render(m, 1500, 100);
  for (size_t i = 0; i < ramp.size(); ++i) ASSERT_EQ(once[2 * i + 1], ramp[i]) << i;
  EXPECT_EQ(rms(once, 0, 1001, 1500), 0);
  EXPECT_FALSE(m.isMusicPlaying());
}

TEST(Mixer, FloatToPcm16RoundsAndClamps) {
  const float in[] = {0, 0.5f, -0.5f, 1, -1, 3, -3, kNaN, kInf, 1.0f / 32767};
  const int16_t want[] = {0, 16384, -16384, 32767, -32767, 32767, -32767, 0, 32767, 1};
  int16_t out[10];
  floatToPcm16(in, out, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], want[i]) << i;
}

}  // namespace

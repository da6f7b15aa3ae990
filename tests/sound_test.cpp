// Sound under Wine, heard in what the device was given. With an audio device that writes to
// a file (tests/support/audio_capture.sh), each case plays tones by the clock and its
// expectations are measured in the capture: the level of each tone in each channel, how long
// it sounded, whether tones overlapped, and whether music ran on without a gap or a click.
// Without a device, playing fails at once with its reason.
#include <gtest/gtest.h>

#include <slate/graphics.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "engine.h"
#include "support/audio_capture.h"
#include "support/wav_file.h"

using namespace Slate;
using SlateTest::sine;

namespace {

constexpr float kPresent = 0.02f;  // a tone this loud in a block is there

struct Tones {
  SOUND a400, b600, c900, low24k, pitched400, shortLoop, music;
  std::wstring musicPath;
  Tones() {
    auto load = [](SOUND* s, const wchar_t* name, const std::vector<float>& samples, int rate) {
      EXPECT_TRUE(loadSoundFile(
          s, SlateTest::temporaryFile(name, SlateTest::wavBytes(samples, rate, 1)).c_str()))
          << name;
    };
    load(&a400, L"slate-a400.wav", sine(400, 1.2, 0.3f), 48000);
    load(&b600, L"slate-b600.wav", sine(600, 1.2, 0.2f), 48000);
    load(&c900, L"slate-c900.wav", sine(900, 0.6, 0.25f, 24000), 24000);  // resampled
    load(&pitched400, L"slate-p400.wav", sine(400, 1.0, 0.3f), 48000);
    load(&shortLoop, L"slate-loop.wav", sine(400, 0.1, 0.3f), 48000);  // 40 whole periods
    // 100 whole periods of 250 Hz: the loop point falls where the wave starts again.
    musicPath = SlateTest::temporaryFile(L"slate-music.wav",
                                         SlateTest::wavBytes(sine(250, 0.4, 0.3f), 48000, 1));
  }
};

Tones& tones() {
  static Tones made;
  return made;
}

void wait(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// One tone the capture must hold: its level in each channel (0: absent there) while it
// sounds, and for how long it sounded, in the capture's own time.
struct Expect {
  double hz;
  float left, right;
  double minSeconds = 0, maxSeconds = 1e9;
};

struct Case {
  const char* name;
  void (*play)();
  std::vector<Expect> expect;
  bool overlap = false;  // some block holds every expected tone at once
  bool smooth = false;   // no step larger than the tones' own between samples (gap, click)
};

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      {"two tones together, then a third over them",
       [] {
         Tones& t = tones();
         EXPECT_GT(playSound(&t.a400), 0);
         EXPECT_GT(playSound(&t.b600), 0);
         wait(250);
         EXPECT_GT(playSound(&t.c900), 0);
         wait(900);
       },
       {{400, 0.3f, 0.3f, 0.9}, {600, 0.2f, 0.2f, 0.9}, {900, 0.25f, 0.25f, 0.4, 0.7}},
       true},
      {"volume and master volume",
       [] {
         setMasterVolume(0.5f);
         EXPECT_GT(playSound(&tones().a400, 2.0f), 0);  // 0.3 * 2 * 0.5
         EXPECT_GT(playSound(&tones().b600, 0.5f), 0);  // 0.2 * 0.5 * 0.5
         wait(900);
         setMasterVolume(1.0f);
       },
       {{400, 0.3f, 0.3f}, {600, 0.05f, 0.05f}}},
      {"pan to either side",
       [] {
         EXPECT_GT(playSound(&tones().a400, 1.0f, -1.0f), 0);
         EXPECT_GT(playSound(&tones().b600, 1.0f, 0.5f), 0);
         wait(900);
       },
       {{400, 0.3f, 0.0f}, {600, 0.1f, 0.2f}}},
      {"pitch: an octave up and twice as fast",
       [] {
         EXPECT_GT(playSound(&tones().pitched400, 1.0f, 0.0f, 2.0f), 0);
         wait(900);
       },
       {{800, 0.3f, 0.3f, 0.4, 0.56}, {400, 0, 0}}},
      {"stopVoice and isVoicePlaying",
       [] {
         const int kept = playSound(&tones().b600);
         const int stopped = playSound(&tones().a400);
         wait(100);
         EXPECT_TRUE(isVoicePlaying(stopped));
         stopVoice(stopped);
         wait(100);
         EXPECT_FALSE(isVoicePlaying(stopped));
         EXPECT_TRUE(isVoicePlaying(kept));
         wait(1200);
         EXPECT_FALSE(isVoicePlaying(kept));  // ended by itself
       },
       {{400, 0.3f, 0.3f, 0, 0.9}, {600, 0.2f, 0.2f, 1.1}}},
      {"stopAllSounds leaves the music",
       [] {
         ASSERT_TRUE(playMusicFile(tones().musicPath.c_str()));
         playSound(&tones().a400);
         playSound(&tones().b600);
         wait(100);
         stopAllSounds();
         wait(600);
       },
       {{400, 0.3f, 0.3f, 0, 0.9}, {600, 0.2f, 0.2f, 0, 0.9}, {250, 0.3f, 0.3f, 0.6}}},
      {"a looping voice goes round until it is told",
       [] {
         const int voice = playSound(&tones().shortLoop);
         setVoiceLooping(voice, true);
         wait(500);
         EXPECT_TRUE(isVoicePlaying(voice));
         setVoiceLooping(voice, false);
         wait(300);
         EXPECT_FALSE(isVoicePlaying(voice));
       },
       {{400, 0.3f, 0.3f, 0.4}},
       false,
       true},
      {"music under an effect, looping without a gap",
       [] {
         setMusicVolume(0.5f);
         ASSERT_TRUE(playMusicFile(tones().musicPath.c_str(), true));
         wait(50);
         playSound(&tones().c900);  // 540 whole periods: ends where it began
         wait(1200);
       },
       {{250, 0.15f, 0.15f, 1.1}, {900, 0.25f, 0.25f, 0.5, 0.7}},
       true,
       true},
      {"64 voices at once: limited, never wrapped",
       [] {
         for (int i = 0; i < 64; ++i) EXPECT_GT(playSound(&tones().a400), 0);
         wait(900);
       },
       // 64 x 0.3 bent into full scale: a near-square wave, whose fundamental is above 1.
       {{400, 1.15f, 1.15f, 0.9}}},
  };
  return table;
}

// The tone's level in each hop-spaced block of the capture.
std::vector<double> levels(const std::vector<float>& samples, double hz, int rate) {
  const size_t block = size_t(rate / 50), hop = block / 2;
  std::vector<double> out;
  for (size_t at = 0; at + block <= samples.size(); at += hop) {
    out.push_back(SlateTest::toneLevel(samples, at, block, hz, rate));
  }
  return out;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

void checkCase(const Case& c, const SlateTest::AudioCapture& capture, int rate) {
  SCOPED_TRACE(c.name);
  const int64_t start = capture.frames();
  c.play();
  stopAllSounds();
  stopMusic();
  wait(300);  // what was in the device's hands reaches the file
  std::vector<float> left, right;
  capture.read(start, capture.frames(), &left, &right);
  ASSERT_GT(left.size(), size_t(rate / 2));
  const double hop = 1.0 / 100;  // seconds between blocks
  std::vector<std::vector<bool>> present;
  double steps = 0;
  for (const Expect& e : c.expect) {
    const std::vector<double> l = levels(left, e.hz, rate), r = levels(right, e.hz, rate);
    std::vector<double> heardL, heardR;
    std::vector<bool> on(l.size());
    for (size_t i = 0; i < l.size(); ++i) {
      on[i] = l[i] > kPresent || r[i] > kPresent;
      if (on[i]) heardL.push_back(l[i]), heardR.push_back(r[i]);
    }
    present.push_back(on);
    const double seconds = double(heardL.size()) * hop;
    if (e.left == 0 && e.right == 0) {
      EXPECT_EQ(seconds, 0) << e.hz << " Hz should be silent";
      continue;
    }
    EXPECT_NEAR(median(heardL), e.left, 0.1 * e.left + 0.01) << e.hz << " Hz, left";
    EXPECT_NEAR(median(heardR), e.right, 0.1 * e.right + 0.01) << e.hz << " Hz, right";
    EXPECT_GE(seconds, e.minSeconds) << e.hz << " Hz";
    EXPECT_LE(seconds, e.maxSeconds) << e.hz << " Hz";
    steps += 2 * 3.14159265 * e.hz * std::max(e.left, e.right) / rate;
  }
  if (c.overlap) {
    bool together = false;
    for (size_t i = 0; i < present[0].size() && !together; ++i) {
      together = std::all_of(present.begin(), present.end(), [i](const auto& p) { return p[i]; });
    }
    EXPECT_TRUE(together) << "the tones never sounded together";
  }
  float peak = 0, jump = 0;
  for (size_t i = 0; i < left.size(); ++i) {
    peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    if (i > 0) jump = std::max(jump, std::fabs(left[i] - left[i - 1]));
  }
  EXPECT_LE(peak, 1.0f) << "beyond full scale";
  if (c.smooth) {
    EXPECT_LE(jump, 1.5 * steps) << "a gap or a click";
  }
}

// Calls made while static objects are destroyed at exit, once the engine may have stopped:
// refused or played, never a crash or a hang (the process's exit status shows it).
struct PlaysAtExit {
  const SOUND* sound = nullptr;
  ~PlaysAtExit() {
    if (sound == nullptr) return;
    stopVoice(playSound(sound));
    setMasterVolume(0.5f);
    stopAllSounds();
  }
} playsAtExit;

TEST(SoundCapture, EachCaseHeardInTheCapture) {
  SlateTest::AudioCapture capture;
  if (!capture.available()) GTEST_SKIP() << "no capture device (tests/support/audio_capture.sh)";
  Tones& t = tones();
  ASSERT_FALSE(t.a400.empty());
  playsAtExit.sound = new SOUND(t.a400);  // outlives the static objects' destruction
  // The first voice starts the engine; a silent one shows the device's rate.
  ASSERT_GT(playSound(&t.a400, 0.0f), 0) << lastError();
  stopAllSounds();
  int rate = 0;
  {
    Audio::Engine::Use use;
    Audio::Engine* engine = Audio::Engine::ifStarted();
    ASSERT_NE(engine, nullptr);
    wchar_t choice[16] = {};
    GetEnvironmentVariableW(L"SLATE_AUDIO_OUTPUT", choice, 16);
    const bool waveOut = lstrcmpiW(choice, L"waveout") == 0;
    EXPECT_STREQ(engine->outputKind(), waveOut ? L"waveOut" : L"WASAPI");
    capture.setPcm16(waveOut);
    rate = engine->mixer().outputRate();
  }
  wait(300);
  for (const Case& c : cases()) checkCase(c, capture, rate);
}

// No device (Wine without a sink, a server): loading works, playing says why at once.
TEST(SoundWithoutDevice, PlayingFailsAtOnceAndNothingElseDoes) {
  if (SlateTest::AudioCapture().available()) GTEST_SKIP() << "a capture device is present";
  SOUND sound;
  ASSERT_TRUE(loadSoundFile(
      &sound, SlateTest::temporaryFile(L"slate-nodev.wav",
                                       SlateTest::wavBytes(sine(400, 0.2, 0.3f), 48000, 1))
                  .c_str()))
      << lastError();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const auto begin = std::chrono::steady_clock::now();
    if (const int voice = playSound(&sound)) {
      stopVoice(voice);
      GTEST_SKIP() << "this machine has an audio device";
    }
    EXPECT_STREQ(lastError(), L"playSound: no audio device");
    EXPECT_FALSE(playMusicFile(tones().musicPath.c_str()));
    EXPECT_STREQ(lastError(), L"playMusicFile: no audio device");
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(took.count(), 1.0);  // the first call waits once for the device search
  }
  stopVoice(1);
  stopAllSounds();
  EXPECT_FALSE(isVoicePlaying(1));
}

}  // namespace

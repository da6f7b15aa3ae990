// Sound under Wine, heard in what the device was given: with an audio device that writes to
// a file (tests/support/audio_capture.sh), each case plays tones by the clock, and the
// capture shows each tone's level in each channel, how long it sounded, whether tones
// overlapped, and whether music ran on without a gap or a click. The sink takes data in
// bursts, so positions in the file are the mixer's time, not the clock's.
#include <gtest/gtest.h>

#include <slate/graphics.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine.h"
#include "support/wav_file.h"

using namespace Slate;

namespace {

// The capture file: stereo frames, 32-bit float (WASAPI's stream) or 16-bit (waveOut's).
struct Capture {
  std::wstring path;
  int frameBytes = 8;
  int64_t frames() const {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return ((int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / frameBytes;
  }
  // Frames from `from` on, as left and right.
  void read(int64_t from, std::vector<float> channels[2]) const {
    std::vector<uint8_t> bytes(size_t(std::max<int64_t>(0, frames() - from) * frameBytes));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = from * frameBytes;
    DWORD got = 0;
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
      ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    }
    CloseHandle(file);
    for (size_t i = 0; i + size_t(frameBytes) / 2 <= got; i += size_t(frameBytes) / 2) {
      float v = 0;
      if (frameBytes == 8) std::memcpy(&v, &bytes[i], 4);
      if (frameBytes == 4) v = float(int16_t(bytes[i] | bytes[i + 1] << 8)) / 32768.0f;
      channels[(i / (size_t(frameBytes) / 2)) % 2].push_back(v);
    }
  }
};

// The amplitude of the sine at hz in 20 ms Hann-windowed blocks, 10 ms apart: exact for a
// sine on a 50 Hz bin, deaf to one two bins away.
std::vector<double> levels(const std::vector<float>& s, double hz, int rate) {
  const size_t block = size_t(rate / 50);
  std::vector<double> out;
  for (size_t at = 0; at + block <= s.size(); at += block / 2) {
    double re = 0, im = 0, weights = 0;
    for (size_t i = 0; i < block; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2 * 3.14159265358979 * double(i) / double(block));
      re += w * s[at + i] * std::cos(2 * 3.14159265358979 * hz * double(i) / rate);
      im += w * s[at + i] * std::sin(2 * 3.14159265358979 * hz * double(i) / rate);
      weights += w;
    }
    out.push_back(2 * std::sqrt(re * re + im * im) / weights);
  }
  return out;
}

// The tones: 400 and 600 Hz (1.2 s), 900 Hz made at 24 kHz (resampled; 0.6 s, 540 whole
// periods), 400 Hz for 0.1 s (40 whole periods, to loop), and the music: 100 whole periods of
// 250 Hz, so its loop point falls where the wave starts again.
enum Tone { A400, B600, C900, Short400, kTones };
SOUND tones[kTones];
std::wstring musicPath;

void makeTones() {
  const struct {
    double hz, seconds, peak;
    int rate;
  } made[kTones] = {{400, 1.2, 0.3, 48000},
                    {600, 1.2, 0.2, 48000},
                    {900, 0.6, 0.25, 24000},
                    {400, 0.1, 0.3, 48000}};
  for (int i = 0; i < kTones; ++i) {
    const std::wstring name = L"slate-tone" + std::to_wstring(i) + L".wav";
    const auto bytes = SlateTest::toneWav(made[i].hz, made[i].seconds, made[i].peak, made[i].rate);
    ASSERT_TRUE(loadSoundFile(&tones[i], SlateTest::temporaryFile(name.c_str(), bytes).c_str()));
  }
  musicPath = SlateTest::temporaryFile(L"slate-music.wav", SlateTest::toneWav(250, 0.4, 0.3));
}

// What a case does, step by step. Voices are numbered in the order they were played.
// clang-format off
enum Op { Play, Play64, Loop, Unloop, Stop, StopAll, Music, Master, MusicVolume, Wait, Playing, Ended };
// clang-format on
struct Step {
  Op op;
  int arg = 0;  // the tone, the voice, or the milliseconds
  float volume = 1, pan = 0, pitch = 1;
};

// A tone the capture must hold: its level in each channel (0 for absent) while it sounds, and
// for how long it sounded, in the capture's time.
struct Expect {
  double hz;
  float left, right;
  double minSeconds = 0, maxSeconds = 1e9;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
  std::vector<Expect> expect;
  bool overlap = false;  // some block holds every expected tone at once
  bool smooth = false;   // no step between samples beyond the tones' own: no gap, no click
};

// clang-format off
const Case kCases[] = {
    {"two tones together, then a third over them",
     {{Play, A400}, {Play, B600}, {Wait, 250}, {Play, C900}, {Wait, 900}},
     {{400, 0.3f, 0.3f, 0.9}, {600, 0.2f, 0.2f, 0.9}, {900, 0.25f, 0.25f, 0.4, 0.7}}, true},
    {"volume and master volume",
     {{Master, 0, 0.5f}, {Play, A400, 2.0f}, {Play, B600, 0.5f}, {Wait, 900}, {Master, 0, 1}},
     {{400, 0.3f, 0.3f}, {600, 0.05f, 0.05f}}},
    {"pan to either side", {{Play, A400, 1, -1}, {Play, B600, 1, 0.5f}, {Wait, 900}},
     {{400, 0.3f, 0.0f}, {600, 0.1f, 0.2f}}},
    {"pitch: an octave up and twice as fast", {{Play, A400, 1, 0, 2}, {Wait, 900}},
     {{800, 0.3f, 0.3f, 0.5, 0.66}, {400, 0, 0}}},
    {"stopVoice and isVoicePlaying",
     {{Play, B600}, {Play, A400}, {Wait, 100}, {Playing, 1}, {Stop, 1}, {Wait, 100}, {Ended, 1},
      {Playing, 0}, {Wait, 1200}, {Ended, 0}},
     {{400, 0.3f, 0.3f, 0, 0.9}, {600, 0.2f, 0.2f, 1.1}}},
    {"stopAllSounds leaves the music",
     {{Music}, {Play, A400}, {Play, B600}, {Wait, 100}, {StopAll}, {Wait, 600}},
     {{400, 0.3f, 0.3f, 0, 0.9}, {600, 0.2f, 0.2f, 0, 0.9}, {250, 0.3f, 0.3f, 0.6}}},
    {"a looping voice goes round until it is told",
     {{Play, Short400}, {Loop, 0}, {Wait, 500}, {Playing, 0}, {Unloop, 0}, {Wait, 300}, {Ended, 0}},
     {{400, 0.3f, 0.3f, 0.4}}, false, true},
    {"music under an effect, looping without a gap",
     {{MusicVolume, 0, 0.5f}, {Music}, {Wait, 50}, {Play, C900}, {Wait, 1200}, {MusicVolume, 0, 1}},
     {{250, 0.15f, 0.15f, 1.1}, {900, 0.25f, 0.25f, 0.5, 0.7}}, true, true},
    // 64 x 0.3 bent into full scale: a near-square wave, whose fundamental is above 1.
    {"64 voices at once: limited, never wrapped", {{Play64, A400}, {Wait, 900}},
     {{400, 1.15f, 1.15f, 0.9}}},
};
// clang-format on

void run(const Step& step, std::vector<int>& voices) {
  const int voice = step.arg < int(voices.size()) ? voices[size_t(step.arg)] : 0;
  switch (step.op) {
    case Play:
    case Play64:
      for (int i = 0; i < (step.op == Play ? 1 : 64); ++i) {
        voices.push_back(playSound(&tones[step.arg], step.volume, step.pan, step.pitch));
        EXPECT_GT(voices.back(), 0) << lastError();
      }
      break;
    // clang-format off
    case Loop: setVoiceLooping(voice, true); break;
    case Unloop: setVoiceLooping(voice, false); break;
    case Stop: stopVoice(voice); break;
    case StopAll: stopAllSounds(); break;
    case Music: EXPECT_TRUE(playMusicFile(musicPath.c_str())) << lastError(); break;
    case Master: setMasterVolume(step.volume); break;
    case MusicVolume: setMusicVolume(step.volume); break;
    case Wait: Sleep(DWORD(step.arg)); break;
    case Playing: EXPECT_TRUE(isVoicePlaying(voice)) << "voice " << step.arg; break;
    case Ended: EXPECT_FALSE(isVoicePlaying(voice)) << "voice " << step.arg; break;
      // clang-format on
  }
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
  return v[v.size() / 2];
}

void checkCase(const Case& c, const Capture& capture, int rate) {
  SCOPED_TRACE(c.name);
  const int64_t start = capture.frames();
  std::vector<int> voices;
  for (const Step& step : c.steps) run(step, voices);
  stopAllSounds();
  stopMusic();
  Sleep(300);  // what was in the device's hands reaches the file
  std::vector<float> channel[2];
  capture.read(start, channel);
  ASSERT_GT(channel[0].size(), size_t(rate / 2));
  std::vector<std::vector<bool>> sounding;
  double steepest = 0;  // the largest step between samples the tones make themselves
  for (const Expect& e : c.expect) {
    const std::vector<double> l = levels(channel[0], e.hz, rate),
                              r = levels(channel[1], e.hz, rate);
    std::vector<double> heard[2];
    std::vector<bool> on(l.size());
    for (size_t i = 0; i < l.size(); ++i) {
      on[i] = l[i] > 0.02 || r[i] > 0.02;
      if (on[i]) heard[0].push_back(l[i]), heard[1].push_back(r[i]);
    }
    sounding.push_back(on);
    const double seconds = double(heard[0].size()) / 100;
    if (e.left == 0 && e.right == 0) {
      EXPECT_EQ(seconds, 0) << e.hz << " Hz should be silent";
      continue;
    }
    EXPECT_NEAR(median(heard[0]), e.left, 0.1 * e.left + 0.01) << e.hz << " Hz, left";
    EXPECT_NEAR(median(heard[1]), e.right, 0.1 * e.right + 0.01) << e.hz << " Hz, right";
    EXPECT_GE(seconds, e.minSeconds) << e.hz << " Hz";
    EXPECT_LE(seconds, e.maxSeconds) << e.hz << " Hz";
    steepest += 2 * 3.14159265 * e.hz * std::max(e.left, e.right) / rate;
  }
  bool together = false;
  for (size_t i = 0; i < sounding[0].size(); ++i) {
    together |= std::all_of(sounding.begin(), sounding.end(), [i](const auto& s) { return s[i]; });
  }
  if (c.overlap) {
    EXPECT_TRUE(together) << "the tones never sounded together";
  }
  float peak = 0, jump = 0;
  for (size_t i = 1; i < channel[0].size(); ++i) {
    peak = std::max({peak, std::fabs(channel[0][i]), std::fabs(channel[1][i])});
    jump = std::max(jump, std::fabs(channel[0][i] - channel[0][i - 1]));
  }
  EXPECT_LE(peak, 1.0f) << "beyond full scale";
  if (c.smooth) {
    EXPECT_LE(jump, 1.5 * steepest) << "a gap or a click";
  }
}

// Calls made while static objects are destroyed at exit, once the engine may have stopped:
// refused or played, never a crash or a hang (the process's exit status shows it).
struct PlaysAtExit {
  ~PlaysAtExit() {
    stopVoice(playSound(&tones[A400]));
    setMasterVolume(0.5f);
    stopAllSounds();
  }
} playsAtExit;

TEST(SoundCapture, EachCaseHeardInTheCapture) {
  wchar_t path[MAX_PATH] = {}, output[16] = {};
  if (!GetEnvironmentVariableW(L"SLATE_AUDIO_CAPTURE", path, MAX_PATH)) {
    GTEST_SKIP() << "no capture device (run through tests/support/audio_capture.sh)";
  }
  GetEnvironmentVariableW(L"SLATE_AUDIO_OUTPUT", output, 16);
  const bool waveOut = lstrcmpiW(output, L"waveout") == 0;
  const Capture capture{path, waveOut ? 4 : 8};
  makeTones();
  // The first voice starts the engine; a silent one, so the device's rate can be read.
  ASSERT_GT(playSound(&tones[A400], 0.0f), 0) << lastError();
  int rate = 0;
  {
    Audio::Engine::Use use;
    Audio::Engine* engine = Audio::Engine::ifStarted();
    ASSERT_NE(engine, nullptr);
    EXPECT_STREQ(engine->outputKind(), waveOut ? L"waveOut" : L"WASAPI");
    rate = engine->mixer().outputRate();
  }
  Sleep(300);
  for (const Case& c : kCases) checkCase(c, capture, rate);
}

}  // namespace

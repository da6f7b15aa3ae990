// The mixer's commands from two threads while a third renders, as an audio thread would:
// run under ThreadSanitizer by scripts/test. Nothing may race, no sample may leave
// [-1, 1], and every voice must come back once all are stopped.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "slate/audio/mixer.h"
#include "support/audio_signal.h"

using namespace Slate::Audio;

TEST(MixerQueue, CommandsFromOtherThreadsWhileRendering) {
  Mixer m(48000);
  const SharedSound blip = TestAudio::sine(44100, 1, 300, 880, 0.9);
  const std::vector<float> music = TestAudio::sine(22050, 2, 2000, 220, 0.5)->samples;
  std::atomic<bool> done{false}, outOfRange{false};
  std::atomic<long> periods{0};
  std::thread audio([&] {
    std::vector<float> buf(2 * 256);
    for (; !done; periods++) {
      m.fillAhead();
      m.render(buf.data(), 256);
      for (float v : buf) outOfRange = outOfRange || !(v >= -1 && v <= 1);
    }
  });
  auto commands = [&](int seed) {
    for (int i = 0; i < 20000; ++i) {
      const int v = m.play(blip, 2, float(i % 5) / 2 - 1, 0.5f + float(i % 7) / 3, i % 3 == 0);
      if (i % 2) m.stop(v);
      if (i % 3 == 0 && m.isPlaying(v)) m.setLooping(v, false);
      if (i % 997 == seed) m.stopAll();
      if (i % 1000 == seed)
        m.playMusic(std::make_unique<TestAudio::MemoryStream>(22050, 2, music), i % 2000 == seed);
      if (i % 1500 == seed) m.stopMusic();
      if (i % 700 == seed) m.pauseMusic(i % 1400 == seed);
      m.setMasterVolume(float(i % 4));
      m.isMusicPlaying();
    }
  };
  std::thread a(commands, 1), b(commands, 2);
  a.join();
  b.join();
  m.stopAll();
  for (long seen = periods; periods < seen + 2;) std::this_thread::yield();  // applied
  done = true;
  audio.join();
  EXPECT_FALSE(outOfRange);
  int given = 0;
  for (int i = 0; i < kMaxVoices; ++i) given += m.play(blip, 1, 0, 1, false) > 0;
  EXPECT_EQ(given, kMaxVoices);
}

// The mixer: voices and one music stream summed into 32-bit float stereo at the device's
// rate, each resampled to it, through a soft limiter. Portable, no <windows.h>.
//
// Threads: render() and fillAhead() run on the audio thread only. Every other member may be
// called from any thread at any time; commands reach the audio thread through a queue and
// take effect at the next render(). The audio thread never waits for another thread. It
// does free what it stops playing: a voice may hold a sound's last reference, and a
// replaced music stream is destroyed there.
#pragma once

#include <cstdint>
#include <memory>

#include "slate/audio/decoding.h"
#include "slate/audio/sound_data.h"

namespace Slate::Audio {

constexpr int kMaxVoices = 256;  // voices at once; more are refused ("too many voices")
// Mixed samples up to this level pass the limiter unchanged; louder ones are bent smoothly
// towards full scale (softLimit).
constexpr float kLimiterThreshold = 0.8f;

class Mixer {
 public:
  explicit Mixer(int outputRate);
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Starts a voice; returns its number (> 0, never reused soon), or 0 when all voices are
  // busy or the sound is empty. volume >= 0 (clamped to 0..4, NaN as 0), pan -1..1 (NaN as
  // 0), pitch 1/16..16 (NaN or <= 0 as 1). Pan is a balance: at 0 both channels get the
  // whole volume, and towards a side the other channel fades linearly to silence. The
  // voice is resampled by linear interpolation, at pitch * sound rate / output rate.
  int play(SharedSound sound, float volume, float pan, float pitch, bool loop);
  void stop(int voice);  // a voice never given or already ended: nothing happens
  void stopAll();        // every voice; the music plays on
  bool isPlaying(int voice) const;
  void setLooping(int voice, bool loop);
  void setMasterVolume(float volume);  // clamped 0..4, NaN as 1

  // Music: one stream at a time, decoded ahead by fillAhead() on the audio thread.
  void playMusic(std::unique_ptr<StreamDecoder> stream, bool loop);
  void stopMusic();
  void pauseMusic(bool paused);       // the next playMusic starts unpaused
  void setMusicVolume(float volume);  // clamped 0..4, NaN as 1
  // From playMusic until stopMusic or the end of a stream that does not loop; a paused
  // stream still counts.
  bool isMusicPlaying() const;

  int outputRate() const;

  // Audio thread: applies queued commands, then writes `frames` interleaved stereo frames
  // to out, each sample within [-1, 1] (soft limit, never wrap-around).
  void render(float* out, int frames);
  // Audio thread, between periods: decodes music ahead so render() never waits on it.
  void fillAhead();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The limiter's curve on one sample: the identity within +-kLimiterThreshold, then
// t + (1 - t) * tanh((|x| - t) / (1 - t)) with the sign of x, never beyond +-1; NaN as 0.
float softLimit(float x);

// Converts float samples to 16-bit PCM with rounding and clamping (for waveOut).
void floatToPcm16(const float* in, int16_t* out, int count);

}  // namespace Slate::Audio

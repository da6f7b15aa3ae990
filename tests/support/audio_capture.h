// What a program played, read back from the file the ALSA `file` sink writes under Wine
// (tests/support/audio_capture.sh sets it up): stereo frames at the device's rate in the
// format the program opened it with, 32-bit float (WASAPI's) or 16-bit PCM (waveOut's). The sink
// takes data in bursts and faster than real time, so positions in the file are the mixer's time,
// not the clock's; the clock's time of a sample is when the file grew past it (stamps()).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace SlateTest {

class AudioCapture {
 public:
  AudioCapture();  // from SLATE_AUDIO_CAPTURE; available() is false without it
  bool available() const { return !path.empty(); }
  void setPcm16(bool pcm16) { bytesPerFrame = pcm16 ? 4 : 8; }
  int64_t frames() const;  // written so far
  // Frames [from, to) of the file as left and right.
  void read(int64_t from, int64_t to, std::vector<float>* left, std::vector<float>* right) const;

 private:
  std::wstring path;
  int bytesPerFrame = 8;
};

// The amplitude of the sine at hz in samples[start, start + count), Hann-windowed (exact for
// a sine on a bin, and deaf to one two or more bins away).
double toneLevel(const std::vector<float>& samples, size_t start, size_t count, double hz,
                 int rate);

}  // namespace SlateTest

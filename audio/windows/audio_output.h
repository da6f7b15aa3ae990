// The outputs the engine plays through: WASAPI in shared mode, and waveOut where WASAPI
// cannot open. Each one is a device opened on the mixer thread and used there only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "slate/audio/mixer.h"

namespace Slate::Audio {

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  virtual const wchar_t* kind() const = 0;
  virtual int rate() const = 0;
  // Waits until the device wants samples (or wake or deviceChanged is signalled, or a
  // period passes), hands it what the mixer renders and decodes music ahead. Returns false
  // once the device is gone: the engine then opens the default device again.
  virtual bool serve(Mixer& mixer, HANDLE wake, HANDLE deviceChanged) = 0;
};

// Hand-overs: when each block of samples began to be rendered and when the device took it,
// in performance-counter ticks, kept in a ring of the last kHandOvers for measurements
// (bench/sound_latency). The mixer thread writes; any thread may read.
struct HandOver {
  int64_t renderStart = 0, handed = 0;
};
constexpr int kHandOvers = 256;
void noteHandOver(int64_t renderStart, int64_t handed);
int64_t handOverCount();           // how many were ever noted
HandOver handOver(int64_t index);  // one of the last kHandOvers
int64_t ticksNow();

// Opens the default render device. rate 0 takes the device's own rate, any other asks for
// that one. Null, with the reason in *reason, when it cannot open; *noDevice tells "there is
// no device at all" apart from a device that refused.
std::unique_ptr<AudioOutput> openWasapiOutput(int rate, std::wstring* reason, bool* noDevice);
std::unique_ptr<AudioOutput> openWaveOutOutput(int rate, std::wstring* reason, bool* noDevice);

}  // namespace Slate::Audio

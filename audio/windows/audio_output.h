// The outputs the engine plays through: WASAPI in shared mode, and waveOut where WASAPI
// cannot open. Each one is a device opened on the mixer thread and used there only.
#pragma once

#include <windows.h>

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

// Opens the default render device. rate 0 takes the device's own rate, any other asks for
// that one. Null, with the reason in *reason, when it cannot open; *noDevice tells "there is
// no device at all" apart from a device that refused.
std::unique_ptr<AudioOutput> openWasapiOutput(int rate, std::wstring* reason, bool* noDevice);
std::unique_ptr<AudioOutput> openWaveOutOutput(int rate, std::wstring* reason, bool* noDevice);

}  // namespace Slate::Audio

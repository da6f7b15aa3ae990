// The sound engine: one mixer thread that owns the output device, started by the first call
// that plays and stopped at exit. Everything else talks to it through its Mixer.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "slate/audio/mixer.h"

namespace Slate::Audio {

class Engine {
 public:
  // The running engine, started if need be, or null with the reason reported for `call`
  // ("no audio device", or exit has begun). Waits for the first device only when it starts.
  // Call with a Use in scope.
  static Engine* forPlaying(const wchar_t* call);
  // The engine if it has started and has a mixer, else null; never starts it. Call with a
  // Use in scope.
  static Engine* ifStarted();
  // Volumes set before the engine starts are kept for it.
  static void setMasterVolume(float volume);
  static void setMusicVolume(float volume);

  Mixer& mixer() { return *mixer_; }
  bool hasDevice() const { return deviceOpen.load(); }
  // "WASAPI", "waveOut", or null while no device is open.
  const wchar_t* outputKind() const { return kind.load(); }

  // Holds the engine for the length of one front function: exit waits for it to end before
  // stopping the thread.
  class Use {
   public:
    Use();
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
  };

  Engine();
  ~Engine();  // after stop() returned true
  // Ends the thread, waiting for it a bounded time; false if it did not end in time.
  bool stop();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

 private:
  static DWORD WINAPI threadMain(void* self);
  void run();
  bool start();

  HANDLE wake = nullptr;   // signalled to make the thread look at `stopping`
  HANDLE ready = nullptr;  // set once the first device was tried and the mixer exists
  HANDLE thread = nullptr;
  std::atomic<bool> stopping{false};
  std::atomic<bool> deviceOpen{false};
  std::atomic<const wchar_t*> kind{nullptr};
  std::unique_ptr<Mixer> mixer_;
};

}  // namespace Slate::Audio

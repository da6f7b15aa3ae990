// The mixer thread: it opens the default device, renders into it period by period, decodes
// music ahead between periods, and opens the device again when it goes away.
#include "engine.h"

#include <avrt.h>

#include <string>

#include "audio_output.h"
#include "device_watch.h"
#include "errors.h"

namespace Slate::Audio {

namespace {

constexpr DWORD kFirstDeviceWaitMs = 3000;  // the longest a first playSound waits for a device
constexpr ULONGLONG kRetryMs = 3000;        // between tries while there is no device
constexpr int kRateWithoutDevice = 48000;

// Constant-initialised and never destroyed, so that calls made while static objects are
// destroyed at exit still find them.
SRWLOCK engineLock = SRWLOCK_INIT;
Engine* engine = nullptr;  // under engineLock
bool exiting = false;      // under engineLock
std::atomic<float> masterVolume{1.0f};
std::atomic<float> musicVolume{1.0f};

// Stops the thread at exit, from the destruction of static objects: exit() runs it on the
// thread that called exit, outside the loader lock for a program. In a DLL it would run at
// DLL_PROCESS_DETACH, where the system has already ended the other threads, so the wait is
// bounded and never joins a thread that cannot end.
struct StopAtExit {
  ~StopAtExit() {
    AcquireSRWLockExclusive(&engineLock);
    exiting = true;
    Engine* stopped = engine;
    engine = nullptr;
    ReleaseSRWLockExclusive(&engineLock);
    // An engine whose thread is stuck in a driver is left as it is, rather than freed
    // under the thread's feet.
    if (stopped && stopped->stop()) delete stopped;
  }
} stopAtExit;

std::unique_ptr<AudioOutput> openOutput(int rate, const wchar_t** kind) {
  std::wstring reason;
  bool noDevice = false;
  wchar_t choice[16] = {};
  GetEnvironmentVariableW(L"SLATE_AUDIO_OUTPUT", choice, 16);
  std::unique_ptr<AudioOutput> output;
  if (lstrcmpiW(choice, L"waveout") != 0) output = openWasapiOutput(rate, &reason, &noDevice);
  if (!output && !noDevice) output = openWaveOutOutput(rate, &reason, &noDevice);
  *kind = output ? output->kind() : nullptr;
  return output;
}

HandOver handOvers[kHandOvers];
std::atomic<int64_t> handOversNoted{0};

}  // namespace

int64_t ticksNow() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

void noteHandOver(int64_t renderStart, int64_t handed) {
  const int64_t n = handOversNoted.load(std::memory_order_relaxed);
  handOvers[n % kHandOvers] = {renderStart, handed};
  handOversNoted.store(n + 1, std::memory_order_release);
}

int64_t handOverCount() {
  return handOversNoted.load(std::memory_order_acquire);
}

HandOver handOver(int64_t index) {
  return handOvers[index % kHandOvers];
}

Engine::Use::Use() {
  AcquireSRWLockShared(&engineLock);
}
Engine::Use::~Use() {
  ReleaseSRWLockShared(&engineLock);
}

Engine::Engine()
    : wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool Engine::stop() {
  if (thread == nullptr) return true;
  stopping = true;
  SetEvent(wake);
  if (WaitForSingleObject(thread, 2000) != WAIT_OBJECT_0) return false;
  CloseHandle(thread);
  thread = nullptr;
  return true;
}

Engine::~Engine() {
  if (wake) CloseHandle(wake);
  if (ready) CloseHandle(ready);
}

bool Engine::start() {
  if (!wake || !ready) return false;
  thread = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
  return thread != nullptr;
}

Engine* Engine::forPlaying(const wchar_t* call) {
  Engine* current = ifStarted();
  if (current == nullptr) {
    // Starting needs the lock alone: give up the caller's share for that moment.
    ReleaseSRWLockShared(&engineLock);
    AcquireSRWLockExclusive(&engineLock);
    if (!exiting && engine == nullptr) {
      auto* made = new Engine;
      if (made->start()) {
        engine = made;
      } else {
        delete made;  // no thread was made
      }
    }
    current = engine;
    const bool ended = exiting;
    ReleaseSRWLockExclusive(&engineLock);
    AcquireSRWLockShared(&engineLock);
    if (ended) return reportError(call, L"the program is exiting"), nullptr;
    current = engine;
    if (current == nullptr) return reportError(call, L"the sound thread cannot start"), nullptr;
    WaitForSingleObject(current->ready, kFirstDeviceWaitMs);
    current = ifStarted();
  }
  if (current == nullptr || !current->hasDevice()) {
    return reportError(call, L"no audio device"), nullptr;
  }
  return current;
}

Engine* Engine::ifStarted() {
  if (exiting || engine == nullptr) return nullptr;
  return WaitForSingleObject(engine->ready, 0) == WAIT_OBJECT_0 ? engine : nullptr;
}

void Engine::setMasterVolume(float volume) {
  masterVolume = volume;
  Use use;
  if (Engine* current = ifStarted()) current->mixer().setMasterVolume(volume);
}

void Engine::setMusicVolume(float volume) {
  musicVolume = volume;
  Use use;
  if (Engine* current = ifStarted()) current->mixer().setMusicVolume(volume);
}

DWORD WINAPI Engine::threadMain(void* self) {
  static_cast<Engine*>(self)->run();
  return 0;
}

void Engine::run() {
  // COM is entered here and left here, on this thread, whatever the program's threads do.
  // WASAPI's own threads call back from the multithreaded apartment, which we join.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  // The multimedia class scheduler runs the thread ahead of ordinary work, so a busy program
  // does not make it miss a period; set and reverted here, in a pair, as with COM.
  DWORD task = 0;
  HANDLE scheduled = AvSetMmThreadCharacteristicsW(L"Pro Audio", &task);
  {
    DeviceWatch watch;
    const wchar_t* openedKind = nullptr;
    std::unique_ptr<AudioOutput> output = openOutput(0, &openedKind);
    const int rate = output ? output->rate() : kRateWithoutDevice;
    mixer_ = std::make_unique<Mixer>(rate);
    mixer_->setMasterVolume(masterVolume);
    mixer_->setMusicVolume(musicVolume);
    kind = openedKind;
    deviceOpen = output != nullptr;
    SetEvent(ready);
    // A volume set while the mixer was being made is in the atomics by now.
    mixer_->setMasterVolume(masterVolume);
    mixer_->setMusicVolume(musicVolume);

    ULONGLONG lastTry = GetTickCount64();
    while (!stopping) {
      if (output) {
        if (output->serve(*mixer_, wake, watch.changed())) continue;
        // The device went away or the default changed: release it and reopen at once.
        output.reset();
        deviceOpen = false;
        kind = nullptr;
      } else {
        // Tried again now and then, or at once when a default device appears.
        const ULONGLONG waited = GetTickCount64() - lastTry;
        if (waited < kRetryMs) {
          HANDLE events[2] = {wake, watch.changed()};
          const DWORD woke =
              WaitForMultipleObjects(events[1] ? 2 : 1, events, FALSE, DWORD(kRetryMs - waited));
          if (woke != WAIT_OBJECT_0 + 1) continue;
        }
      }
      lastTry = GetTickCount64();
      output = openOutput(rate, &openedKind);
      kind = openedKind;
      deviceOpen = output != nullptr;
    }
  }
  if (scheduled) AvRevertMmThreadCharacteristics(scheduled);
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace Slate::Audio

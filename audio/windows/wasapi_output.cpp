// WASAPI in shared mode, event-driven: the system mixes our float stereo stream with the
// other programs' and wakes us each period to fill what it has played.
#include <windows.h>

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "audio_output.h"
#include "com_pointer.h"

namespace Slate::Audio {

namespace {

// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT, spelt out: MinGW's import libraries do not all carry it.
constexpr GUID kFloatSubtype = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr REFERENCE_TIME kTenMs = 100000;  // in 100 ns units

WAVEFORMATEXTENSIBLE floatStereo(int rate) {
  WAVEFORMATEXTENSIBLE f = {};
  f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  f.Format.nChannels = 2;
  f.Format.nSamplesPerSec = static_cast<DWORD>(rate);
  f.Format.wBitsPerSample = 32;
  f.Format.nBlockAlign = 8;
  f.Format.nAvgBytesPerSec = static_cast<DWORD>(rate) * 8;
  f.Format.cbSize = sizeof f - sizeof f.Format;
  f.Samples.wValidBitsPerSample = 32;
  f.dwChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
  f.SubFormat = kFloatSubtype;
  return f;
}

bool isFloatStereo(const WAVEFORMATEX* f) {
  if (f->nChannels != 2 || f->wBitsPerSample != 32) return false;
  if (f->wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return true;
  return f->wFormatTag == WAVE_FORMAT_EXTENSIBLE && f->cbSize >= 22 &&
         reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(f)->SubFormat == kFloatSubtype;
}

struct MixFormat {
  WAVEFORMATEX* format = nullptr;
  ~MixFormat() { CoTaskMemFree(format); }
};

class WasapiOutput final : public AudioOutput {
 public:
  ~WasapiOutput() override {
    if (client) client->Stop();
    if (bufferEvent) CloseHandle(bufferEvent);
  }
  const wchar_t* kind() const override { return L"WASAPI"; }
  int rate() const override { return frameRate; }

  bool open(int wantedRate, std::wstring* reason, bool* noDevice);
  bool serve(Mixer& mixer, HANDLE wake, HANDLE deviceChanged) override;

 private:
  bool fail(const wchar_t* what, HRESULT hr, std::wstring* reason) {
    wchar_t text[96];
    std::swprintf(text, 96, L"%ls failed (0x%08lx)", what, static_cast<unsigned long>(hr));
    *reason = text;
    return false;
  }
  bool initialize(const WAVEFORMATEX* format, DWORD flags, std::wstring* reason);
  bool fill(Mixer& mixer);

  ComPointer<IAudioClient> client;
  ComPointer<IAudioRenderClient> render;
  HANDLE bufferEvent = nullptr;
  int frameRate = 0;
  UINT32 bufferFrames = 0;
  UINT32 periodFrames = 0;
};

// Shorter periods through IAudioClient3 where the system offers them (Windows 10 and later):
// the shortest multiple of the engine's fundamental period that lasts at least 5 ms, within
// what it allows, so the two periods kept ahead are 10 ms. Elsewhere (and under Wine, which
// does not implement the engine periods) the classic call with a 10 ms buffer, which the
// system rounds up to what it can do. InitializeSharedAudioStream takes the mix format only,
// so a stream that needs converting goes the classic way.
bool WasapiOutput::initialize(const WAVEFORMATEX* format, DWORD flags, std::wstring* reason) {
  ComPointer<IAudioClient3> client3;
  if (flags == AUDCLNT_STREAMFLAGS_EVENTCALLBACK &&
      SUCCEEDED(client->QueryInterface(__uuidof(IAudioClient3), client3.outAny()))) {
    UINT32 standard = 0, fundamental = 0, shortest = 0, longest = 0;
    if (SUCCEEDED(client3->GetSharedModeEnginePeriod(format, &standard, &fundamental, &shortest,
                                                     &longest)) &&
        fundamental > 0) {
      const UINT32 fiveMs = format->nSamplesPerSec / 200;
      UINT32 period = (fiveMs + fundamental - 1) / fundamental * fundamental;
      period =
          std::min(std::max(period, shortest), std::max(shortest, std::min(longest, standard)));
      if (SUCCEEDED(client3->InitializeSharedAudioStream(flags, period, format, nullptr))) {
        periodFrames = period;
        return true;
      }
    }
  }
  const HRESULT hr =
      client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kTenMs, 0, format, nullptr);
  if (FAILED(hr)) return fail(L"IAudioClient::Initialize", hr, reason);
  REFERENCE_TIME standard = kTenMs, shortest = 0;
  client->GetDevicePeriod(&standard, &shortest);
  periodFrames = static_cast<UINT32>(standard * format->nSamplesPerSec / 10000000);
  return true;
}

bool WasapiOutput::open(int wantedRate, std::wstring* reason, bool* noDevice) {
  ComPointer<IMMDeviceEnumerator> enumerator;
  HRESULT hr = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                __uuidof(IMMDeviceEnumerator), enumerator.outAny());
  if (FAILED(hr)) return fail(L"the device enumerator", hr, reason);
  ComPointer<IMMDevice> device;
  hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.out());
  if (hr == E_NOTFOUND) {
    *noDevice = true;
    *reason = L"no audio device";
    return false;
  }
  if (FAILED(hr)) return fail(L"GetDefaultAudioEndpoint", hr, reason);
  hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.outAny());
  if (FAILED(hr)) return fail(L"IMMDevice::Activate", hr, reason);
  MixFormat mix;
  hr = client->GetMixFormat(&mix.format);
  if (FAILED(hr) || mix.format == nullptr) return fail(L"GetMixFormat", hr, reason);

  // Our stream is always float stereo. When the device's mix format is something else (more
  // channels, another rate), the shared-mode engine converts, which it does only when asked
  // with AUTOCONVERTPCM (Windows 7 and later); IAudioClient3's short periods take the mix
  // format only.
  frameRate = wantedRate > 0 ? wantedRate : static_cast<int>(mix.format->nSamplesPerSec);
  const WAVEFORMATEXTENSIBLE ours = floatStereo(frameRate);
  DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK;
  if (!isFloatStereo(mix.format) || mix.format->nSamplesPerSec != DWORD(frameRate)) {
    flags |= AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
  }
  if (!initialize(&ours.Format, flags, reason)) return false;
  bufferEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (bufferEvent == nullptr)
    return fail(L"CreateEvent", HRESULT_FROM_WIN32(GetLastError()), reason);
  hr = client->SetEventHandle(bufferEvent);
  if (FAILED(hr)) return fail(L"SetEventHandle", hr, reason);
  hr = client->GetBufferSize(&bufferFrames);
  if (FAILED(hr) || bufferFrames == 0) return fail(L"GetBufferSize", hr, reason);
  periodFrames = std::clamp<UINT32>(periodFrames, 1, bufferFrames);
  hr = client->GetService(__uuidof(IAudioRenderClient), render.outAny());
  if (FAILED(hr)) return fail(L"GetService(IAudioRenderClient)", hr, reason);
  // One period of silence first, so the device starts with something in hand.
  BYTE* data = nullptr;
  if (SUCCEEDED(render->GetBuffer(periodFrames, &data))) {
    render->ReleaseBuffer(periodFrames, AUDCLNT_BUFFERFLAGS_SILENT);
  }
  hr = client->Start();
  if (FAILED(hr)) return fail(L"IAudioClient::Start", hr, reason);
  return true;
}

// Keeps the device at most two periods ahead, however large a buffer the system gave: a new
// voice reaches the speaker within those two periods and the one being filled.
bool WasapiOutput::fill(Mixer& mixer) {
  UINT32 padding = 0;
  if (FAILED(client->GetCurrentPadding(&padding))) return false;
  const UINT32 ahead = std::min(bufferFrames, 2 * periodFrames);
  if (padding >= ahead) return true;
  const UINT32 frames = ahead - padding;
  BYTE* data = nullptr;
  const int64_t start = ticksNow();
  if (FAILED(render->GetBuffer(frames, &data))) return false;
  mixer.render(reinterpret_cast<float*>(data), static_cast<int>(frames));
  if (FAILED(render->ReleaseBuffer(frames, 0))) return false;
  noteHandOver(start, ticksNow());
  return true;
}

// A failing call here is almost always AUDCLNT_E_DEVICE_INVALIDATED: the endpoint was
// unplugged, disabled or reconfigured. The documented recovery is to release the client and
// every service obtained from it and to open the stream again on the (new) default device,
// which returning false makes the engine do. A change of the default device is followed the
// same way, since the system does not move a stream that is already open.
bool WasapiOutput::serve(Mixer& mixer, HANDLE wake, HANDLE deviceChanged) {
  HANDLE events[3] = {bufferEvent, wake, deviceChanged};
  const DWORD count = deviceChanged ? 3 : 2;
  // Wait a little over a period: a device that stops signalling is still polled.
  const DWORD timeout = 2 + DWORD(periodFrames * 1000u / UINT32(frameRate));
  const DWORD woke = WaitForMultipleObjects(count, events, FALSE, timeout);
  if (woke == WAIT_OBJECT_0 + 2) return false;
  if (!fill(mixer)) return false;
  mixer.fillAhead();
  return true;
}

}  // namespace

std::unique_ptr<AudioOutput> openWasapiOutput(int rate, std::wstring* reason, bool* noDevice) {
  auto output = std::make_unique<WasapiOutput>();
  if (!output->open(rate, reason, noDevice)) return nullptr;
  return output;
}

}  // namespace Slate::Audio

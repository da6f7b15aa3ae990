// waveOut, the older output: 16-bit stereo blocks queued to the wave mapper, which converts
// to whatever the device takes. Used where WASAPI cannot open.
#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <cwchar>
#include <vector>

#include "audio_output.h"

namespace Slate::Audio {

namespace {

// Queued at once. Measured under Wine: with three 10 ms blocks the device ran dry between
// every two (10 ms gaps); six keep it fed.
constexpr int kBlocks = 6;
constexpr int kBlockMs = 10;

class WaveOutOutput final : public AudioOutput {
 public:
  ~WaveOutOutput() override {
    if (device) {
      // Reset hands every queued block back before they are unprepared and freed.
      waveOutReset(device);
      for (WAVEHDR& header : headers) {
        if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof header);
      }
      waveOutClose(device);
    }
    if (doneEvent) CloseHandle(doneEvent);
  }
  const wchar_t* kind() const override { return L"waveOut"; }
  int rate() const override { return frameRate; }

  bool open(int wantedRate, std::wstring* reason, bool* noDevice) {
    if (waveOutGetNumDevs() == 0) {
      *noDevice = true;
      *reason = L"no audio device";
      return false;
    }
    frameRate = wantedRate > 0 ? wantedRate : 48000;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = DWORD(frameRate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * 4;
    doneEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(doneEvent), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
      device = nullptr;
      wchar_t text[64];
      std::swprintf(text, 64, L"waveOutOpen failed (%u)", unsigned(result));
      *reason = text;
      return false;
    }
    blockFrames = frameRate * kBlockMs / 1000;
    for (int i = 0; i < kBlocks; ++i) {
      pcm[i].assign(size_t(blockFrames) * 2, 0);
      headers[i] = {};
      headers[i].lpData = reinterpret_cast<LPSTR>(pcm[i].data());
      headers[i].dwBufferLength = DWORD(blockFrames) * 4;
      if (waveOutPrepareHeader(device, &headers[i], sizeof headers[i]) != MMSYSERR_NOERROR) {
        *reason = L"waveOutPrepareHeader failed";
        return false;
      }
      headers[i].dwFlags |= WHDR_DONE;  // free to fill
    }
    mixed.resize(size_t(blockFrames) * 2);
    return true;
  }

  bool serve(Mixer& mixer, HANDLE wake, HANDLE deviceChanged) override {
    for (WAVEHDR& header : headers) {
      if (!(header.dwFlags & WHDR_DONE)) continue;
      const int64_t start = ticksNow();
      mixer.render(mixed.data(), blockFrames);
      floatToPcm16(mixed.data(), reinterpret_cast<int16_t*>(header.lpData), blockFrames * 2);
      header.dwFlags &= ~DWORD(WHDR_DONE);
      // A device that went away answers MMSYSERR_NODRIVER: open again on the new default.
      if (waveOutWrite(device, &header, sizeof header) != MMSYSERR_NOERROR) return false;
      noteHandOver(start, ticksNow());
    }
    mixer.fillAhead();
    HANDLE events[3] = {doneEvent, wake, deviceChanged};
    const DWORD woke =
        WaitForMultipleObjects(deviceChanged ? 3 : 2, events, FALSE, 2 * kBlockMs + 2);
    return woke != WAIT_OBJECT_0 + 2;
  }

 private:
  HWAVEOUT device = nullptr;
  HANDLE doneEvent = nullptr;
  int frameRate = 0;
  int blockFrames = 0;
  std::array<WAVEHDR, kBlocks> headers = {};
  std::array<std::vector<int16_t>, kBlocks> pcm;
  std::vector<float> mixed;
};

}  // namespace

std::unique_ptr<AudioOutput> openWaveOutOutput(int rate, std::wstring* reason, bool* noDevice) {
  auto output = std::make_unique<WaveOutOutput>();
  if (!output->open(rate, reason, noDevice)) return nullptr;
  return output;
}

}  // namespace Slate::Audio

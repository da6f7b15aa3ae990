// From playSound to the first sample of that sound in the device's hands, end to end under
// Wine: clicks are played at random moments, a watcher thread stamps every growth of the
// capture file (SLATE_AUDIO_CAPTURE) by the clock, and each click's onset in the file is
// matched with the stamp of the growth that brought it.
//   sound_latency_bench.exe [CLICKS]     default 60
#include <slate/graphics.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio_output.h"
#include "engine.h"

using namespace Slate;

namespace {

double now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(frequency.QuadPart);
}

int64_t fileBytes(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
  return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Growth {
  double at;
  int64_t bytes;
};

std::wstring clickFile() {
  // 5 ms of a full-scale 1 kHz sine at 48 kHz, 16-bit mono.
  const int frames = 240;
  std::vector<uint8_t> f;
  auto put = [&f](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f.push_back(uint8_t(v >> (8 * i)));
  };
  for (char c : std::string("RIFF")) f.push_back(uint8_t(c));
  put(36 + frames * 2, 4);
  for (char c : std::string("WAVEfmt ")) f.push_back(uint8_t(c));
  put(16, 4), put(1, 2), put(1, 2), put(48000, 4), put(96000, 4), put(2, 2), put(16, 2);
  for (char c : std::string("data")) f.push_back(uint8_t(c));
  put(frames * 2, 4);
  // Starts at its peak, so the onset is the first sample.
  for (int i = 0; i < frames; ++i) {
    put(uint16_t(int16_t(std::lround(30000 * std::cos(2 * 3.14159265 * 1000 * i / 48000.0)))), 2);
  }
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"slate-click.wav";
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out) {
    std::fwrite(f.data(), 1, f.size(), out);
    std::fclose(out);
  }
  return path;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
  const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  wchar_t capture[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"SLATE_AUDIO_CAPTURE", capture, MAX_PATH) == 0) {
    std::fprintf(stderr, "SLATE_AUDIO_CAPTURE is not set (run bench/sound_latency/run)\n");
    return 2;
  }
  SOUND click;
  if (!loadSoundFile(&click, clickFile().c_str())) return 2;
  // The engine starts, and the device with it, before anything is timed.
  if (playSound(&click, 0.0f) == 0) {
    std::fprintf(stderr, "%ls\n", lastError());
    return 2;
  }
  const wchar_t* kind = L"?";
  {
    Audio::Engine::Use use;
    if (Audio::Engine* engine = Audio::Engine::ifStarted()) kind = engine->outputKind();
  }
  Sleep(500);

  std::vector<Growth> growth;
  growth.reserve(1 << 20);
  std::vector<Audio::HandOver> handOvers;
  std::atomic<bool> watching{true};
  std::thread watcher([&] {
    int64_t last = -1, seen = Audio::handOverCount();
    while (watching) {
      const int64_t bytes = fileBytes(capture);
      if (bytes != last) growth.push_back({now(), last = bytes});
      for (const int64_t noted = Audio::handOverCount(); seen < noted; ++seen) {
        handOvers.push_back(Audio::handOver(seen));
      }
      for (int spin = 0; spin < 200; ++spin) std::this_thread::yield();
    }
  });
  const int64_t startBytes = fileBytes(capture);
  std::vector<double> played;
  std::vector<int64_t> playedTicks;
  srand(7);
  for (int i = 0; i < clicks; ++i) {
    Sleep(60 + rand() % 90);  // apart by more than the output's buffer, at no fixed phase
    played.push_back(now());
    playedTicks.push_back(Audio::ticksNow());
    playSound(&click);
  }
  Sleep(400);
  watching = false;
  watcher.join();

  // The onsets: a sample above half scale after at least 40 ms of near silence.
  const int64_t endBytes = fileBytes(capture);
  std::vector<float> samples(size_t((endBytes - startBytes) / 4));
  HANDLE file = CreateFileW(capture, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = startBytes;
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  DWORD got = 0;
  ReadFile(file, samples.data(), DWORD(samples.size() * 4), &got, nullptr);
  CloseHandle(file);
  std::vector<int64_t> onsets;  // byte offsets in the file
  size_t quiet = 0;
  for (size_t i = 0; i < got / 4; i += 2) {
    if (std::fabs(samples[i]) > 0.5f && quiet >= 48000 * 2 / 25) {
      onsets.push_back(startBytes + int64_t(i) * 4);
    }
    quiet = std::fabs(samples[i]) < 0.01f ? quiet + 2 : 0;
  }
  if (onsets.size() != played.size()) {
    std::printf("found %zu onsets for %zu clicks: no figures\n", onsets.size(), played.size());
    return 1;
  }
  std::vector<double> latency;
  for (size_t i = 0; i < onsets.size(); ++i) {
    const auto reached = std::find_if(growth.begin(), growth.end(),
                                      [&](const Growth& g) { return g.bytes > onsets[i]; });
    if (reached != growth.end()) latency.push_back((reached->at - played[i]) * 1000);
  }
  std::printf(
      "%ls, %zu clicks: playSound to the file, ms: min %.1f median %.1f p90 %.1f max %.1f\n", kind,
      latency.size(), percentile(latency, 0), percentile(latency, 0.5), percentile(latency, 0.9),
      percentile(latency, 1));
  // To the device: the first block whose render began after playSound holds the click's first
  // sample, since commands take effect when a render begins.
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> handed;
  for (const int64_t at : playedTicks) {
    const auto first = std::find_if(handOvers.begin(), handOvers.end(),
                                    [at](const Audio::HandOver& h) { return h.renderStart >= at; });
    if (first != handOvers.end()) {
      handed.push_back(double(first->handed - at) * 1000 / double(frequency.QuadPart));
    }
  }
  std::printf(
      "%ls, %zu clicks: playSound to the device, ms: min %.1f median %.1f p90 %.1f max %.1f\n",
      kind, handed.size(), percentile(handed, 0), percentile(handed, 0.5), percentile(handed, 0.9),
      percentile(handed, 1));
  return 0;
}

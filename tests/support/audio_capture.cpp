#include "support/audio_capture.h"

#include <cmath>
#include <cstring>
#include <string>

namespace SlateTest {

AudioCapture::AudioCapture() {
  wchar_t value[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"SLATE_AUDIO_CAPTURE", value, MAX_PATH) > 0) path = value;
}

int64_t AudioCapture::frames() const {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return ((int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / bytesPerFrame;
}

void AudioCapture::read(int64_t from, int64_t to, std::vector<float>* left,
                        std::vector<float>* right) const {
  left->clear();
  right->clear();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE || to <= from) return;
  LARGE_INTEGER at;
  at.QuadPart = from * bytesPerFrame;
  SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
  std::vector<uint8_t> bytes(size_t(to - from) * bytesPerFrame);
  DWORD got = 0;
  ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
  CloseHandle(file);
  std::vector<float> frames(got / (bytesPerFrame / 2));
  for (size_t i = 0; i < frames.size(); ++i) {
    if (bytesPerFrame == 8) {
      std::memcpy(&frames[i], &bytes[4 * i], 4);
    } else {
      frames[i] = float(int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8)) / 32768.0f;
    }
  }
  for (size_t i = 0; i + 1 < frames.size(); i += 2) {
    left->push_back(frames[i]);
    right->push_back(frames[i + 1]);
  }
}

double toneLevel(const std::vector<float>& samples, size_t start, size_t count, double hz,
                 int rate) {
  const double pi = 3.14159265358979;
  double re = 0, im = 0, weights = 0;
  for (size_t i = 0; i < count && start + i < samples.size(); ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * pi * double(i) / double(count));
    const double phase = 2 * pi * hz * double(i) / rate;
    re += w * samples[start + i] * std::cos(phase);
    im += w * samples[start + i] * std::sin(phase);
    weights += w;
  }
  return weights > 0 ? 2 * std::sqrt(re * re + im * im) / weights : 0;
}

}  // namespace SlateTest

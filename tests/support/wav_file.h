// Sounds for the tests, made on the spot: tones as 16-bit PCM WAV files.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace SlateTest {

// A RIFF WAVE file of 16-bit PCM: header and samples (interleaved, already in [-1, 1]).
inline std::vector<uint8_t> wavBytes(const std::vector<float>& samples, int rate, int channels) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
  };
  const uint32_t data = uint32_t(samples.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put(36 + data, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put(16, 4);
  put(1, 2);
  put(uint32_t(channels), 2);
  put(uint32_t(rate), 4);
  put(uint32_t(rate * channels * 2), 4);
  put(uint32_t(channels * 2), 2);
  put(16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put(data, 4);
  for (float s : samples) put(uint32_t(int16_t(std::lround(s * 32767.0f))) & 0xFFFF, 2);
  return out;
}

// A mono sine of `hz` at `amplitude`, `seconds` long.
inline std::vector<float> sine(double hz, double seconds, float amplitude, int rate = 48000) {
  std::vector<float> samples(size_t(seconds * rate));
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = amplitude * float(std::sin(2 * 3.14159265358979 * hz * double(i) / rate));
  }
  return samples;
}

// Writes the bytes to a file in the temporary folder and returns its path.
inline std::wstring temporaryFile(const wchar_t* name, const std::vector<uint8_t>& bytes) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (file != INVALID_HANDLE_VALUE) {
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  return path;
}

}  // namespace SlateTest

// Tone files for the Windows sound tests, written into the temporary folder.
#pragma once

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/wav_encodings.h"

namespace SlateTest {

// A 16-bit mono WAV file of a sine at hz with the given peak, seconds long; a claimedData
// of 0 or more is the size its data chunk claims instead of its own.
inline std::vector<uint8_t> toneWav(double hz, double seconds, double peak, int rate = 48000,
                                    int64_t claimedData = -1) {
  std::vector<uint8_t> data;
  for (int i = 0; i < int(seconds * rate); ++i) {
    const double s = peak * std::sin(2 * 3.14159265358979 * hz * i / rate);
    TestWav::put(data, uint16_t(int16_t(std::lround(32767 * s))), 2);
  }
  std::vector<uint8_t> file = TestWav::file({1, 1, uint32_t(rate), 16}, data);
  for (int i = 0; i < 4 && claimedData >= 0; ++i) file[40 + i] = uint8_t(claimedData >> (8 * i));
  return file;
}

// Writes the bytes to a file of that name in the temporary folder; returns its path.
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

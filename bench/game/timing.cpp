// Time stamps of the game's benchmark build: each stamp appends its name, the
// QueryPerformanceCounter time in microseconds and the milliseconds since the process was
// created to SlidePuzzle-timing.txt in the current folder, where bench/game/run reads them.
#include <windows.h>

#include <cstdio>

#include "timing.h"

namespace {

double sinceCreationMs() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  GetSystemTimePreciseAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<double>(ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart);
  };
  return (ticks(now) - ticks(created)) / 10000.0;  // FILETIME counts 100 ns
}

}  // namespace

void timingStamp(const char* what) {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  const double us =
      static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
  if (FILE* log = std::fopen("SlidePuzzle-timing.txt", "a")) {
    std::fprintf(log, "%s\t%.1f\t%.2f\n", what, us, sinceCreationMs());
    std::fclose(log);
  }
}

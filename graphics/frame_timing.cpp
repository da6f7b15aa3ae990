// getTime and waitForNextFrame: the program's clock and its frame pacing.
#include <slate/graphics.h>

#include <timeapi.h>

#include "errors.h"

namespace Slate {

namespace {

constexpr int kMostFps = 1000;
// Sleep ends on a timer tick, so it is asked to end this long before the deadline and the
// rest is waited out yielding the processor. Wine's Sleep overshoots by up to 1.1 ms.
constexpr double kSpinSeconds = 0.002;

double ticksPerSecond() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);  // never fails from Windows XP on
  return static_cast<double>(frequency.QuadPart);
}

long long ticksNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

const double kTicksPerSecond = ticksPerSecond();
const long long kStart = ticksNow();  // when the program's statics were built

double secondsSinceStart(long long ticks) {
  return static_cast<double>(ticks - kStart) / kTicksPerSecond;
}

// Sleeps until the clock reads `deadline` (seconds since the start).
void sleepUntil(double deadline) {
  const double ahead = deadline - getTime() - kSpinSeconds;
  if (ahead > 0) {
    // A 1 ms timer period only around the wait, as the timer functions' documentation asks:
    // the default period (15.6 ms on Windows) could not pace 60 frames a second.
    timeBeginPeriod(1);
    Sleep(static_cast<DWORD>(ahead * 1000));
    timeEndPeriod(1);
  }
  while (getTime() < deadline) SwitchToThread();
}

struct FrameSchedule {
  bool started = false;  // deadline and fps hold a schedule
  bool called = false;   // lastCall holds the previous call's end
  int fps = 0;
  double deadline = 0;  // when the last frame was due
  double lastCall = 0;
};

FrameSchedule schedule;

// The seconds since the previous call ended (0 for the first), now that this one ends.
double endCall(FrameSchedule& s) {
  const double now = getTime();
  const double took = s.called ? now - s.lastCall : 0.0;
  s.called = true;
  s.lastCall = now;
  return took;
}

}  // namespace

double getTime() {
  return secondsSinceStart(ticksNow());
}

double waitForNextFrame(int fps) {
  FrameSchedule& s = schedule;
  if (fps <= 0) {
    s.started = false;
    reportErrorf(L"waitForNextFrame", L"%d frames a second is not above 0", fps);
    return endCall(s);
  }
  if (fps > kMostFps) fps = kMostFps;
  const double interval = 1.0 / fps;
  const double now = getTime();
  // The next deadline follows the last one, so waits do not add up into drift; a program
  // that has fallen more than a frame behind, or changed its rate, starts afresh from now.
  double next = s.deadline + interval;
  if (!s.started || fps != s.fps || now > next + interval) next = now + interval;
  sleepUntil(next);
  s.started = true;
  s.fps = fps;
  s.deadline = next;
  return endCall(s);
}

}  // namespace Slate

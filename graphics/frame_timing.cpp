// getTime and waitForNextFrame: the program's clock and its frame pacing.
#include <slate/graphics.h>

#include <timeapi.h>

#include "errors.h"
#include "frame_schedule.h"

namespace Slate {

namespace {

// Sleep ends on a timer tick, a period (1 ms here) or more late, so it is asked to end this
// long before the deadline and the rest is waited out yielding the processor.
constexpr double kSpinSeconds = 0.002;
// A high-resolution waitable timer ends within a fraction of a millisecond: far less is left.
constexpr double kTimerSpinSeconds = 0.0002;

// Windows 10 1803 on; older systems refuse the flag and CreateWaitableTimerExW fails.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

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

struct Clock {
  double ticksPerSecond;
  long long start;
};

// Made by the first call, which may come from another file's static initialiser.
const Clock& programClock() {
  static const Clock clock = {ticksPerSecond(), ticksNow()};
  return clock;
}

// Otherwise the clock starts with the program's statics.
const Clock& startedClock = programClock();

double secondsSinceStart(long long ticks) {
  const Clock& clock = programClock();
  return static_cast<double>(ticks - clock.start) / clock.ticksPerSecond;
}

// The timer waitForNextFrame sleeps on, made once; null where the system has none. It sleeps
// precisely without raising the system's timer rate, which timeBeginPeriod does, and which
// Windows 10 2004 on keeps per process and Windows 11 may ignore for a covered window.
HANDLE frameTimer() {
  static const HANDLE timer = CreateWaitableTimerExW(
      nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
  return timer;
}

// Sleeps on the timer until `seconds` from now; false if the timer could not be set.
bool sleepOnTimer(HANDLE timer, double seconds) {
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(seconds * 1e7);  // negative: relative, in 100 ns
  if (!SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) return false;
  return WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0;
}

// Sleeps until the clock reads `deadline` (seconds since the start).
void sleepUntil(double deadline) {
  HANDLE timer = frameTimer();
  const double timerAhead = deadline - getTime() - kTimerSpinSeconds;
  if (timer && (timerAhead <= 0 || sleepOnTimer(timer, timerAhead))) {
    while (getTime() < deadline) SwitchToThread();
    return;
  }
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

// The frames' schedule, and the end of the previous call for the seconds between calls.
struct FramePacing {
  FrameSchedule schedule;
  bool called = false;
  double lastCall = 0;
};

FramePacing pacing;

// The seconds since the previous call ended (0 for the first), now that this one ends.
double endCall(FramePacing& s) {
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
  if (fps <= 0) {
    pacing.schedule.forget();
    reportErrorf(L"waitForNextFrame", L"%d frames a second is not above 0", fps);
  } else {
    sleepUntil(pacing.schedule.next(fps, getTime()));
  }
  return endCall(pacing);
}

}  // namespace Slate

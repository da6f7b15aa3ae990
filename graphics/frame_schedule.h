// FrameSchedule: when the next frame of waitForNextFrame is due, apart from any clock.
// Portable and header-only.
#pragma once

namespace Slate {

class FrameSchedule {
 public:
  static constexpr int kMostFps = 1000;

  // The time (in seconds, on the caller's clock) the frame asked for at `now` is due; the
  // schedule moves on to it. The next deadline follows the last one, so waits do not add up
  // into drift; a program that has fallen more than a frame behind, or changed its rate,
  // starts afresh from now. fps must be above 0; above kMostFps it counts as kMostFps.
  double next(int fps, double now) {
    if (fps > kMostFps) fps = kMostFps;
    const double interval = 1.0 / fps;
    double due = deadline + interval;
    if (!started || fps != rate || now > due + interval) due = now + interval;
    started = true;
    rate = fps;
    deadline = due;
    return due;
  }

  // The next call starts afresh.
  void forget() { started = false; }

 private:
  bool started = false;
  int rate = 0;
  double deadline = 0;  // when the last frame was due
};

}  // namespace Slate

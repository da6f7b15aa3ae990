// Frame pacing under the platform: the intervals between successive frames of a 60 fps loop
// paced by waitForNextFrame, beside the plain Sleep(16) loop a program would otherwise
// write. Each loop does a little uneven work, as a frame would. Prints the median, mean,
// standard deviation, 5th to 95th percentile and range of the intervals of each, in
// milliseconds, and the processor time each frame cost: for the waits alone, an idle loop
// that does no work beside them (user and kernel time of the thread, GetThreadTimes).
//   frame_pacing.exe [FRAMES]      default 600 (10 s a loop)
//   frame_pacing.exe keys SECONDS  a keyboard-only waiter on a window (move the mouse over it
//                                  meanwhile): the processor share its waits cost
#include <slate/graphics.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Slate;

namespace {

// Up to 3 ms of work, different in every frame.
void work(int frame) {
  const double until = getTime() + (frame * 7 % 4) * 0.001;
  while (getTime() < until) {
  }
}

template <class Wait>
std::vector<double> intervals(int frames, Wait wait) {
  std::vector<double> ms;
  double last = getTime();
  for (int frame = 0; frame <= frames; ++frame) {
    work(frame);
    wait();
    const double now = getTime();
    if (frame > 0) ms.push_back((now - last) * 1000);  // the first frame has no start
    last = now;
  }
  return ms;
}

// The thread's user and kernel time so far, in seconds (100 ns units from the platform).
double threadSeconds() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  const auto seconds = [](const FILETIME& t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
  };
  return seconds(kernel) + seconds(user);
}

// An idle loop paced at 60 fps: the processor time per frame, and as a share of one core.
void reportIdle(int frames) {
  const double start = getTime(), cpuStart = threadSeconds();
  for (int frame = 0; frame < frames; ++frame) waitForNextFrame(60);
  const double cpu = threadSeconds() - cpuStart, wall = getTime() - start;
  std::printf("%-21s processor %6.3f ms a frame, %5.2f %% of a core\n", "idle 60 fps",
              cpu * 1000 / frames, 100 * cpu / wall);
}

void report(const char* name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0, squares = 0;
  for (double v : ms) sum += v;
  const double mean = sum / ms.size();
  for (double v : ms) squares += (v - mean) * (v - mean);
  const auto at = [&](double share) { return ms[static_cast<size_t>(share * (ms.size() - 1))]; };
  std::printf(
      "%-21s median %6.3f  mean %6.3f  sd %6.3f  5%%-95%% %6.3f-%6.3f  range %6.3f-%6.3f ms\n",
      name, at(0.5), mean, std::sqrt(squares / ms.size()), at(0.05), at(0.95), ms.front(),
      ms.back());
}

}  // namespace

// Waits for keys only, reading nothing else, for `seconds`.
void reportKeyWaiter(double seconds) {
  if (!openGraphWindow(400, 300, 0)) return;
  const double start = getTime(), cpuStart = threadSeconds();
  while (getTime() - start < seconds) {
    waitForInput(100, WAIT_FOR_KEYS);
    KEYMSG key;
    while (peekKeyMessage(&key)) {
    }
  }
  const double cpu = threadSeconds() - cpuStart, wall = getTime() - start;
  MOUSEMSG unread;
  const bool moved = peekMouseMessage(&unread, false);
  std::printf("keyboard-only waiter  %5.2f %% of a core over %.1f s (mouse messages unread: %s)\n",
              100 * cpu / wall, wall, moved ? "yes" : "none");
  closeGraphWindow();
}

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[1]) == "keys") {
    reportKeyWaiter(std::atof(argv[2]));
    return 0;
  }
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 600;
  std::printf("%d frames at 60 fps (target %.3f ms)\n", frames, 1000.0 / 60);
  report("Sleep(16)", intervals(frames, [] { Sleep(16); }));
  report("waitForNextFrame(60)", intervals(frames, [] { waitForNextFrame(60); }));
  reportIdle(frames);
  return 0;
}

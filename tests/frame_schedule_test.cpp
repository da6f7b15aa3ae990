// FrameSchedule: when each frame is due, for calls early, late, far behind, and at a new rate.
#include <gtest/gtest.h>

#include <vector>

#include "frame_schedule.h"

using Slate::FrameSchedule;

namespace {

struct Call {
  int fps;
  double now;
  double due;
};

struct Row {
  const char* name;
  std::vector<Call> calls;  // in turn, on one schedule
};

const std::vector<Row> kRows = {
    {"the first frame is a frame from now", {{50, 1.0, 1.02}}},
    {"frames follow their deadlines, not the calls",
     {{50, 1.0, 1.02}, {50, 1.021, 1.04}, {50, 1.0405, 1.06}, {50, 1.07, 1.08}}},
    {"an early call waits for its deadline", {{50, 1.0, 1.02}, {50, 1.001, 1.04}}},
    {"less than a frame behind catches up", {{50, 1.0, 1.02}, {50, 1.059, 1.04}}},
    {"more than a frame behind starts afresh", {{50, 1.0, 1.02}, {50, 1.061, 1.081}}},
    {"a new rate starts afresh", {{50, 1.0, 1.02}, {25, 1.02, 1.06}, {25, 1.061, 1.1}}},
    {"rates above 1000 count as 1000", {{1 << 30, 2.0, 2.001}, {1000, 2.001, 2.002}}},
};

TEST(FrameSchedule, FramesAreDueOnTheirSchedule) {
  for (const Row& row : kRows) {
    FrameSchedule schedule;
    int call = 0;
    for (const Call& c : row.calls) {
      EXPECT_NEAR(schedule.next(c.fps, c.now), c.due, 1e-9) << row.name << ", call " << call++;
    }
  }
}

TEST(FrameSchedule, ForgettingStartsAfresh) {
  FrameSchedule schedule;
  schedule.next(50, 1.0);
  schedule.forget();
  EXPECT_NEAR(schedule.next(50, 1.001), 1.021, 1e-9);
}

}  // namespace

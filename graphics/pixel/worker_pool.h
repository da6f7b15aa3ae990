// A few worker threads that live for the whole process, so splitting a frame between
// cores costs a wake-up rather than a thread start.
#pragma once

#include <functional>

namespace Slate::Pixel::Detail {

// Threads a job can use: the pool's workers plus the calling thread.
int poolThreads();

// Calls body() on the calling thread and on up to threads-1 workers at the same time, and
// returns once every call has returned. body must share out the work itself: the calls
// start at different moments, and when another caller holds the pool, body runs on the
// calling thread alone.
void runOnPool(int threads, const std::function<void()>& body);

}  // namespace Slate::Pixel::Detail

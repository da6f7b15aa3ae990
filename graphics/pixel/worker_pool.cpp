#include "worker_pool.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace Slate::Pixel::Detail {

namespace {

class WorkerPool {
 public:
  WorkerPool() {
    // At least one worker, so the threaded code is the same on a single-core machine.
    const unsigned cores = std::thread::hardware_concurrency();
    const int count = std::clamp(int(cores) - 1, 1, 15);
    for (int k = 0; k < count; ++k) {
      try {
        workers_.emplace_back([this] { loop(); });
      } catch (const std::system_error&) {
        break;  // fewer threads than hoped; the pool still works with what it has
      }
    }
  }

  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }

  int threads() const { return int(workers_.size()) + 1; }

  void run(int threads, const std::function<void()>& body) {
    std::unique_lock<std::mutex> caller(callers_, std::try_to_lock);
    if (!caller.owns_lock() || threads <= 1 || workers_.empty()) {
      body();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = &body;
      ++generation_;
      wanted_ = std::min(threads - 1, int(workers_.size()));
    }
    wake_.notify_all();
    body();
    // Workers that have not started yet would find nothing left; let them sleep on.
    std::unique_lock<std::mutex> lock(mutex_);
    wanted_ = 0;
    done_.wait(lock, [this] { return running_ == 0; });
    job_ = nullptr;
  }

 private:
  void loop() {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || (generation_ != seen && wanted_ > 0); });
      if (stop_) return;
      seen = generation_;
      --wanted_;
      ++running_;
      const std::function<void()>* job = job_;
      lock.unlock();
      (*job)();
      lock.lock();
      if (--running_ == 0) done_.notify_all();
    }
  }

  std::mutex callers_;  // one job at a time
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> workers_;
  const std::function<void()>* job_ = nullptr;
  uint64_t generation_ = 0;
  int wanted_ = 0;   // workers still to join the current job
  int running_ = 0;  // workers inside it
  bool stop_ = false;
};

WorkerPool& pool() {
  static WorkerPool instance;
  return instance;
}

}  // namespace

int poolThreads() {
  return pool().threads();
}

void runOnPool(int threads, const std::function<void()>& body) {
  pool().run(threads, body);
}

}  // namespace Slate::Pixel::Detail

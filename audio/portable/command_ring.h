// A bounded ring from one producer at a time to one consumer, the audio thread, which takes
// from it without locking or waiting. Producers that may race take a lock of their own
// around push(); the consumer never touches that lock.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <utility>

namespace Slate::Audio {

template <typename T, size_t N>
class CommandRing {
 public:
  // False when the ring is full; the item is then left with the caller.
  bool push(T&& item) {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == N) return false;
    items_[tail % N] = std::move(item);
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // The consumer only.
  bool pop(T* out) {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    *out = std::move(items_[head % N]);
    items_[head % N] = T();
    head_.store(head + 1, std::memory_order_release);
    return true;
  }

 private:
  std::array<T, N> items_{};
  std::atomic<size_t> head_{0};  // next to take; written by the consumer
  std::atomic<size_t> tail_{0};  // next to fill; written by the producer
};

}  // namespace Slate::Audio

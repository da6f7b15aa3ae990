// FixedQueue: the bounded ring of mouse records between the GUI thread (the one producer)
// and the game thread (the one consumer). Portable and header-only; no allocation, no lock.
#pragma once

#include <atomic>
#include <cstdint>

namespace Slate {
namespace Collections {

// 64 slots, of which 63 can hold records: one always stays free so full and empty differ.
// head (bits 0-5) and tail (bits 6-11) share one 32-bit word. Each side changes only its
// own field, with an atomic read-modify-write, so a push and a pop at the same moment
// cannot undo each other.
template <class T>
class FixedQueue {
 public:
  static constexpr unsigned kSlots = 64;
  static constexpr unsigned kCapacity = kSlots - 1;

  FixedQueue() : index(0) {}
  virtual ~FixedQueue() = default;

  // Drops the record when the queue is full.
  virtual void push(const T& record) {
    if (isFull()) return;
    const std::uint32_t word = index.load(std::memory_order_acquire);
    items[tailOf(word)] = record;  // the record is in place before tail moves
    advance(kTailShift);
  }

  // The caller makes sure a record is there.
  virtual T pop() {
    const T record = items[headOf(index.load(std::memory_order_acquire))];
    advance(kHeadShift);
    return record;
  }

  virtual T front() { return items[headOf(index.load(std::memory_order_acquire))]; }

  virtual bool isEmpty() {
    const std::uint32_t word = index.load(std::memory_order_acquire);
    return headOf(word) == tailOf(word);
  }

  virtual bool isFull() { return itemCount() >= static_cast<int>(kCapacity); }

  virtual void clear() { index.fetch_and(~kBothMask, std::memory_order_acq_rel); }

  virtual int itemCount() {
    const std::uint32_t word = index.load(std::memory_order_acquire);
    return static_cast<int>((tailOf(word) - headOf(word)) & kFieldMask);
  }

 private:
  static constexpr std::uint32_t kFieldMask = 0x3F;
  static constexpr unsigned kHeadShift = 0;
  static constexpr unsigned kTailShift = 6;
  static constexpr std::uint32_t kBothMask = 0xFFF;

  static unsigned headOf(std::uint32_t word) { return (word >> kHeadShift) & kFieldMask; }
  static unsigned tailOf(std::uint32_t word) { return (word >> kTailShift) & kFieldMask; }

  // Adds one to the field at `shift`, modulo 64, leaving every other bit as it is.
  void advance(unsigned shift) {
    std::uint32_t word = index.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
      const std::uint32_t field = (((word >> shift) & kFieldMask) + 1) & kFieldMask;
      next = (word & ~(kFieldMask << shift)) | (field << shift);
    } while (!index.compare_exchange_weak(word, next, std::memory_order_acq_rel,
                                          std::memory_order_relaxed));
  }

  T items[kSlots];
  std::atomic<std::uint32_t> index;
};

}  // namespace Collections
}  // namespace Slate

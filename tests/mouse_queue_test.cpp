// FixedQueue, the lock-free ring between the GUI thread and the game thread: capacity,
// order, wrap-around, and one producer and one consumer running at full speed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "mouse_queue.h"

using Slate::Collections::FixedQueue;

namespace {

// The check word catches a record read while it is still being written.
struct Record {
  std::uint32_t seq;
  std::uint32_t check;
};

Record record(std::uint32_t seq) {
  return {seq, ~seq};
}

TEST(FixedQueue, Holds63AndDropsThe64th) {
  FixedQueue<Record> queue;
  EXPECT_TRUE(queue.isEmpty());
  for (std::uint32_t i = 0; i < 64; ++i) queue.push(record(i));
  EXPECT_EQ(queue.itemCount(), 63);
  EXPECT_TRUE(queue.isFull());
  EXPECT_EQ(queue.front().seq, 0u);
  EXPECT_EQ(queue.pop().seq, 0u);
  EXPECT_FALSE(queue.isFull());
  queue.push(record(100));  // room again after one read
  for (std::uint32_t i = 1; i < 63; ++i) ASSERT_EQ(queue.pop().seq, i);
  EXPECT_EQ(queue.pop().seq, 100u);
  EXPECT_TRUE(queue.isEmpty());
}

TEST(FixedQueue, KeepsOrderAcrossManyWrapArounds) {
  FixedQueue<Record> queue;
  std::uint32_t pushed = 0, popped = 0;
  for (int round = 0; round < 1000; ++round) {
    const int burst = 1 + round % 63;
    for (int i = 0; i < burst; ++i) queue.push(record(pushed++));
    ASSERT_EQ(queue.itemCount(), burst);
    for (int i = 0; i < burst; ++i) ASSERT_EQ(queue.pop().seq, popped++);
  }
  EXPECT_TRUE(queue.isEmpty());
}

TEST(FixedQueue, ClearEmptiesIt) {
  FixedQueue<Record> queue;
  for (std::uint32_t i = 0; i < 70; ++i) queue.push(record(i));
  queue.clear();
  EXPECT_TRUE(queue.isEmpty());
  EXPECT_EQ(queue.itemCount(), 0);
  queue.push(record(7));
  EXPECT_EQ(queue.pop().seq, 7u);
}

constexpr std::uint32_t kStressRecords = 1000000;

// The consumer pops until the producer is done and the queue is empty.
std::vector<std::uint32_t> consumeAll(FixedQueue<Record>& queue, const std::atomic<bool>& done,
                                      bool* torn) {
  std::vector<std::uint32_t> received;
  received.reserve(kStressRecords);
  for (;;) {
    const bool finished = done.load();
    while (!queue.isEmpty()) {
      const Record r = queue.pop();
      if (r.check != ~r.seq) *torn = true;
      received.push_back(r.seq);
    }
    if (finished) return received;
  }
}

// A full queue drops the record; the producer notes which ones went in. Only the consumer
// can turn "full" into "not full", so a push after a not-full test always succeeds.
TEST(FixedQueueStress, DroppingProducerLosesNothingItQueued) {
  FixedQueue<Record> queue;
  std::atomic<bool> done{false};
  std::vector<std::uint32_t> accepted;
  accepted.reserve(kStressRecords);
  std::thread producer([&] {
    for (std::uint32_t i = 0; i < kStressRecords; ++i) {
      if (queue.isFull()) continue;
      queue.push(record(i));
      accepted.push_back(i);
    }
    done = true;
  });
  bool torn = false;
  const std::vector<std::uint32_t> received = consumeAll(queue, done, &torn);
  producer.join();
  EXPECT_FALSE(torn);
  EXPECT_EQ(received, accepted);  // none lost, none doubled, order kept
  std::printf("dropped when full: %zu of %u\n", kStressRecords - accepted.size(), kStressRecords);
}

TEST(FixedQueueStress, RetryingProducerDeliversEveryRecordInOrder) {
  FixedQueue<Record> queue;
  std::atomic<bool> done{false};
  std::thread producer([&] {
    for (std::uint32_t i = 0; i < kStressRecords; ++i) {
      while (queue.isFull()) std::this_thread::yield();
      queue.push(record(i));
    }
    done = true;
  });
  bool torn = false;
  const std::vector<std::uint32_t> received = consumeAll(queue, done, &torn);
  producer.join();
  EXPECT_FALSE(torn);
  ASSERT_EQ(received.size(), kStressRecords);
  for (std::uint32_t i = 0; i < kStressRecords; ++i) ASSERT_EQ(received[i], i);
}

}  // namespace

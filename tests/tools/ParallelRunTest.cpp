#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <thread>
#include <vector>

#include "ParallelRun.h"

// Every piece runs once, on several threads when the machine has them, round after round on the
// same waiting threads; also when two callers come at once, or a piece asks for work of its own.
TEST(ParallelRun, RunsEveryPieceOnceWhoeverAsks) {
  for (int round = 0; round < 200; ++round) {
    std::vector<std::atomic<int>> runs(1 + round % 37);
    std::atomic<int> nested{0};
    ASSERT_TRUE(RunParallel(runs.size(), [&](size_t i) {
      ++runs[i];
      if (i == 0) {
        EXPECT_TRUE(RunParallel(3, [&](size_t) { ++nested; }));
      }
    }));
    for (size_t i = 0; i < runs.size(); ++i) ASSERT_EQ(runs[i], 1) << "round " << round << " piece " << i;
    ASSERT_EQ(nested, 3);
  }
  std::atomic<int> total{0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 4; ++c)
    callers.emplace_back([&] {
      for (int round = 0; round < 50; ++round) EXPECT_TRUE(RunParallel(16, [&](size_t) { ++total; }));
    });
  for (std::thread& t : callers) t.join();
  EXPECT_EQ(total, 4 * 50 * 16);
  if (ParallelThreads() > 1) {
    std::atomic<int> inside{0}, most{0};
    RunParallel(ParallelThreads(), [&](size_t) {
      most = std::max(most.load(), ++inside);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      --inside;
    });
    EXPECT_GT(most, 1);
  }
}

// A piece that runs out of memory fails the run; the pieces not started do not run, and the
// next run works as before.
TEST(ParallelRun, APieceOutOfMemoryFailsTheRunAndOnlyIt) {
  std::atomic<int> ran{0};
  EXPECT_FALSE(RunParallel(1000, [&](size_t i) {
    if (i == 2) throw std::bad_alloc();
    ++ran;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }));
  EXPECT_LT(ran, 999);
  EXPECT_TRUE(RunParallel(8, [&](size_t) { ++ran; }));
}

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ParallelRun.h"

namespace {

// Waits until `flag` is set, without a timed pause.
void WaitFor(const std::atomic<bool>& flag) {
  while (!flag.load()) flag.wait(false);
}

}  // namespace

// Every piece runs once, round after round on the same waiting threads; also when a piece asks
// for work of its own, or when several callers come at once (one gets the threads, the others run
// their pieces alone).
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
}

// With as many pieces as threads, each piece waiting for all the others to start, every thread
// holds one piece: the caller's and each waiting thread's. A piece on any of them that asks for
// work again gets it, whole, on its own thread, and so does a piece of that work.
TEST(ParallelRun, APieceAsksForWorkAgainOnTheCallerAndOnAHelper) {
  const size_t threads = ParallelThreads();
  if (threads < 2) GTEST_SKIP() << "one core: no helper threads";
  const std::thread::id caller = std::this_thread::get_id();
  std::latch started(static_cast<std::ptrdiff_t>(threads));
  std::mutex mutex;
  std::set<std::thread::id> holders;
  std::atomic<int> nestedRuns{0}, elsewhere{0};
  ASSERT_TRUE(RunParallel(threads, [&](size_t) {
    started.arrive_and_wait();
    const std::thread::id self = std::this_thread::get_id();
    {
      std::lock_guard<std::mutex> lock(mutex);
      holders.insert(self);
    }
    EXPECT_TRUE(RunParallel(5, [&](size_t) {
      ++nestedRuns;
      if (std::this_thread::get_id() != self) ++elsewhere;
      EXPECT_TRUE(RunParallel(2, [&](size_t) {
        ++nestedRuns;
        if (std::this_thread::get_id() != self) ++elsewhere;
      }));
    }));
  }));
  EXPECT_EQ(holders.size(), threads);
  EXPECT_EQ(holders.count(caller), 1u);
  EXPECT_EQ(nestedRuns, static_cast<int>(threads) * (5 + 5 * 2));
  EXPECT_EQ(elsewhere, 0);
  std::atomic<int> after{0};
  EXPECT_TRUE(RunParallel(16, [&](size_t) { ++after; }));
  EXPECT_EQ(after, 16);
}

// A piece that throws, on the caller's thread or on a helper: the call returns only once the
// pieces still running on the other threads have ended, then throws the piece's exception again
// (or gives false for running out of memory); the next call works as before.
TEST(ParallelRun, AThrowingPieceIsHandedBackOnceEveryThreadHasLeft) {
  const size_t threads = ParallelThreads();
  if (threads < 2) GTEST_SKIP() << "one core: no helper threads";
  struct TCase {
    bool onCaller;
    bool outOfMemory;
  };
  for (const TCase c : {TCase{true, false}, TCase{false, false}, TCase{true, true}, TCase{false, true}}) {
    SCOPED_TRACE(std::string(c.onCaller ? "caller" : "helper") +
                 (c.outOfMemory ? ", bad_alloc" : ", runtime_error"));
    const std::thread::id caller = std::this_thread::get_id();
    std::latch started(static_cast<std::ptrdiff_t>(threads)), left(static_cast<std::ptrdiff_t>(threads - 1));
    std::atomic<bool> chosen{false}, thrown{false};
    const auto work = [&](size_t) {
      started.arrive_and_wait();
      const bool here = std::this_thread::get_id() == caller;
      if (c.onCaller ? here : (!here && !chosen.exchange(true))) {
        thrown = true;
        thrown.notify_all();
        if (c.outOfMemory) throw std::bad_alloc();
        throw std::runtime_error("piece failed");
      }
      // Still running when the other piece throws, and for a good while after.
      WaitFor(thrown);
      for (int i = 0; i < 20000; ++i) std::this_thread::yield();
      left.count_down();
    };
    bool result = true;
    std::string message;
    try {
      result = RunParallel(threads, work);
    } catch (const std::runtime_error& e) {
      message = e.what();
    }
    EXPECT_TRUE(left.try_wait()) << "returned while a piece still ran";
    left.wait();
    EXPECT_EQ(result, !c.outOfMemory);
    EXPECT_EQ(message, c.outOfMemory ? "" : "piece failed");
    std::atomic<int> after{0};
    EXPECT_TRUE(RunParallel(16, [&](size_t) { ++after; }));
    EXPECT_EQ(after, 16);
  }
}

// Once a piece has thrown, the pieces not started do not run, on the threads or on the caller
// alone.
TEST(ParallelRun, PiecesNotStartedWhenOneThrowsDoNotRun) {
  for (const size_t threads : {size_t{1}, ParallelThreads()}) {
    SCOPED_TRACE(threads);
    constexpr size_t kCount = 1000000;
    std::atomic<size_t> ran{0};
    EXPECT_THROW(RunParallel(
                     kCount,
                     [&](size_t i) {
                       if (i == 3) throw std::logic_error("bad piece");
                       ++ran;
                     },
                     threads),
                 std::logic_error);
    if (threads == 1)
      EXPECT_EQ(ran, 3u);
    else
      EXPECT_LT(ran, kCount / 2);
  }
}

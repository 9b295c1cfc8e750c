#include "ParallelRun.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <thread>
#include <vector>

size_t ParallelThreads() { return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMostThreads); }

bool RunParallel(size_t count, const std::function<void(size_t)>& work, size_t threads) {
  std::atomic<size_t> next{0};
  std::atomic<bool> outOfMemory{false};
  const auto worker = [&] {
    try {
      for (size_t i; (i = next++) < count;) work(i);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
      next = count;
    }
  };
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < std::min(count, threads); ++t) helpers.emplace_back(worker);
  worker();
  for (std::thread& h : helpers) h.join();
  return !outOfMemory;
}

#pragma once
// Work cut into pieces that run on a few threads at once: the trace reader's blocks and
// pyramids, the trace plot's strips. The threads are made once and wait for work.
#include <cstddef>
#include <functional>

constexpr size_t kMostThreads = 8;

// The most threads a piece of work is spread over (this one included): the machine's cores,
// at most `most` (and kMostThreads).
size_t ParallelThreads(size_t most = kMostThreads);

// Runs work(0), work(1) ... work(count - 1) on up to `threads` threads, this one included, and
// returns when all have run. A call made from inside a piece, or while another thread's work
// runs, runs its pieces on its own thread alone. When a piece throws, the pieces not started
// then do not run, and the call returns only after every thread has left the work: false when
// the first exception was std::bad_alloc, else that exception is thrown again here.
bool RunParallel(size_t count, const std::function<void(size_t)>& work, size_t threads = ParallelThreads());

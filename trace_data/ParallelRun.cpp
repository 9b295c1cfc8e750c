#include "ParallelRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

// What a call gives for the first exception of its pieces: true for none, false for running out
// of memory; any other is thrown again.
bool Finish(const std::exception_ptr& error) {
  if (!error) return true;
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Threads made once and kept waiting, so that a piece of work starts at once: starting a thread
// costs about as much as drawing a strip of the chart. One piece of work at a time; one that
// comes while another runs (from one of its pieces, or from another thread) runs on its caller
// alone.
class TWorkers {
 public:
  static TWorkers& Shared() {
    static TWorkers workers;
    return workers;
  }

  bool Run(size_t count, const std::function<void(size_t)>& work, size_t threads) {
    if (threads < 2 || count < 2 || threads_.empty()) return RunHere(count, work);
    TJob job{&work, count};
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // The pool is held from before its first piece starts until after its last one ends, so
      // this also takes in a call from inside one of its pieces, on any thread.
      if (job_) {
        lock.unlock();
        return RunHere(count, work);
      }
      job_ = &job;
      helpers_ = std::min({threads, count, threads_.size() + 1}) - 1;
      ++round_;
    }
    wake_.notify_all();
    Take(job);
    std::unique_lock<std::mutex> lock(mutex_);
    // This thread's pieces ran out: every piece has been taken, so the job is done when no
    // thread is still inside it. A helper that has not woken by then is not waited for.
    done_.wait(lock, [&] { return serving_ == 0; });
    job_ = nullptr;
    helpers_ = 0;
    lock.unlock();
    return Finish(job.error);
  }

 private:
  struct TJob {
    TJob(const std::function<void(size_t)>* w, size_t c) : work(w), count(c) {}
    const std::function<void(size_t)>* work;
    size_t count;
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;  // written by the first piece to fail, read once all have left
  };

  TWorkers() {
    for (size_t t = 1; t < ParallelThreads(); ++t) threads_.emplace_back([this] { Serve(); });
  }
  ~TWorkers() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  static bool RunHere(size_t count, const std::function<void(size_t)>& work) {
    try {
      for (size_t i = 0; i < count; ++i) work(i);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  // Runs pieces of the job until none is left. The first piece to throw keeps its exception for
  // the caller and stops the pieces not started yet.
  static void Take(TJob& job) {
    for (size_t i; (i = job.next++) < job.count;) {
      try {
        (*job.work)(i);
      } catch (...) {
        if (!job.failed.exchange(true)) job.error = std::current_exception();
        job.next = job.count;
      }
    }
  }

  void Serve() {
    unsigned long long seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || (round_ != seen && helpers_ > 0 && job_); });
      if (stop_) return;
      seen = round_;
      --helpers_;
      ++serving_;
      TJob& job = *job_;
      lock.unlock();
      Take(job);
      lock.lock();
      --serving_;
      done_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> threads_;
  TJob* job_ = nullptr;  // the work that holds the pool, null while it is free
  size_t helpers_ = 0;   // threads still to join the present job
  size_t serving_ = 0;   // threads taking its pieces
  unsigned long long round_ = 0;
  bool stop_ = false;
};

}  // namespace

size_t ParallelThreads(size_t most) {
  // Asked of the system once: it may read a file for it.
  static const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::clamp<size_t>(cores, 1, std::min(most, kMostThreads));
}

bool RunParallel(size_t count, const std::function<void(size_t)>& work, size_t threads) {
  return TWorkers::Shared().Run(count, work, threads);
}

#pragma once
// Tick count and blocking wait (GetTickCount and Sleep). Every wait of the program goes
// through here, so tests install a fake clock and nothing sleeps for real.
#include <cstdint>

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter.
  virtual uint32_t GetTickCount() = 0;
  // Blocks the calling thread for ms milliseconds.
  virtual void Sleep(uint32_t ms) = 0;
};

// The process-wide clock: the system's steady clock until another is installed.
IClock& Clock();
// Installs a clock (nullptr restores the system one). The caller keeps ownership.
void SetClock(IClock* clock);

// A clock for tests: time only moves when Sleep or Advance is called.
class FakeClock final : public IClock {
 public:
  uint32_t GetTickCount() override { return now_; }
  void Sleep(uint32_t ms) override {
    now_ += ms;
    ++sleeps_;
    slept_ += ms;
  }
  void Advance(uint32_t ms) { now_ += ms; }
  int Sleeps() const { return sleeps_; }
  uint64_t Slept() const { return slept_; }

 private:
  uint32_t now_ = 1000;
  int sleeps_ = 0;
  uint64_t slept_ = 0;
};

// Installs a clock for the lifetime of the guard and restores the previous one.
class ScopedClock {
 public:
  explicit ScopedClock(IClock* clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  IClock* previous_;
};

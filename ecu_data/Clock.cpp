#include "Clock.h"

#include <chrono>
#include <thread>

namespace {

class SystemClock final : public IClock {
 public:
  uint32_t GetTickCount() override {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

SystemClock g_system;
IClock* g_clock = &g_system;

}  // namespace

IClock& Clock() { return *g_clock; }

void SetClock(IClock* clock) { g_clock = clock ? clock : &g_system; }

ScopedClock::ScopedClock(IClock* clock) : previous_(&Clock()) { SetClock(clock); }

ScopedClock::~ScopedClock() { SetClock(previous_); }

// The read-all pass against the simulated ECU with the waits at zero: the data set's own cost
// of reading a whole configuration, which must stay far below the serial line's.
#include <benchmark/benchmark.h>

#include "Clock.h"
#include "EcuData.h"
#include "SimLink.h"

namespace {

// A clock whose waits take no time.
class NoWaitClock final : public IClock {
 public:
  uint32_t GetTickCount() override { return now_; }
  void Sleep(uint32_t ms) override { now_ += ms; }

 private:
  uint32_t now_ = 0;
};

struct Bench {
  Bench() : useClock(&clock) {
    previous = SerialLink;
    SerialLink = &link;
    link.OpenLink();
    link.Connect();
    clock.Sleep(2000);  // the ECU becomes ready
  }
  ~Bench() { SerialLink = previous; }
  NoWaitClock clock;
  ScopedClock useClock;
  SimLink link;
  TSerialLink* previous = nullptr;
  TEcuData data{"bench"};
};

void BM_ReadAll(benchmark::State& state) {
  Bench b;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.data.ReadAll());
    b.link.Ecu().ClearCalls();  // the log keeps what one pass leaves
  }
}
BENCHMARK(BM_ReadAll)->Unit(benchmark::kMicrosecond);

void BM_WriteAll(benchmark::State& state) {
  Bench b;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.data.WriteAll(false));
    b.link.Ecu().ClearCalls();
  }
}
BENCHMARK(BM_WriteAll)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// One simulated read and write through the link interface, call log on, as the program makes
// them: the simulator must stay far below the serial line's own cost.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "SimLink.h"

namespace {

struct Open {
  Open() {
    link.OpenLink();
    link.Connect();
  }
  SimLink link;
  TSerialLink& serial = link;
};

void BM_ReadVariable(benchmark::State& state) {
  Open o;
  int32_t v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(o.serial.ReadVariable(0x216, &v));
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ReadVariable);

void BM_WriteVariable(benchmark::State& state) {
  Open o;
  int32_t v = 0;
  for (auto _ : state) benchmark::DoNotOptimize(o.serial.WriteVariable(0x216, ++v & 0x1FFF));
}
BENCHMARK(BM_WriteVariable);

void BM_ReadMapRow(benchmark::State& state) {
  Open o;
  int32_t row[12] = {};
  int r = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(o.serial.ReadRow(0xC30E, row, r));
    r = (r + 1) % 12;
  }
}
BENCHMARK(BM_ReadMapRow);

void BM_WriteCell(benchmark::State& state) {
  Open o;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(o.serial.WriteCell(0x20E, i % 12, (i / 12) % 12, 1000 + i % 100));
    ++i;
  }
}
BENCHMARK(BM_WriteCell);

void BM_ReadLiveRecord(benchmark::State& state) {
  Open o;
  uint8_t buffer[30] = {};
  for (auto _ : state) {
    int size = 30;
    benchmark::DoNotOptimize(o.serial.ReadPacket(0, buffer, &size));
  }
}
BENCHMARK(BM_ReadLiveRecord);

}  // namespace

BENCHMARK_MAIN();

// One tick of the configuration editor's live panel: decoding a delivered record, the panel
// values and texts with the petrol correction, and the trace record of the tick.
#include <benchmark/benchmark.h>

#include "LivePanel.h"
#include "TraceRecorder.h"

namespace {

TPetrolMap Map() {
  TPetrolMap m;
  for (int i = 0; i < 12; ++i) {
    m.rpm[i] = 800 + 550 * i;
    m.load[i] = 0.35 * (i + 1);
  }
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) m.cell[r][c] = 1.5 + 0.8 * r + 0.05 * c;
  return m;
}

void BM_LiveTick(benchmark::State& state) {
  const TPetrolMap map = Map();
  TLivePanel panel;
  TLiveTickInputs in;
  in.twoProbes = true;
  in.lambdaReference = 2.5;
  in.temperatureC = 45.2f;
  in.petrolMap = &map;
  LiveDataRecord r;
  r.lambda = 120;
  r.tps = 60;
  r.petrolInjection = 900;
  r.gasInjection = 1100;
  r.flag1 = 0x33;
  r.temperature = 140;
  r.pressure = 110;
  uint8_t buf[LiveDataRecord::kSize];
  uint16_t rpm = 900;
  for (auto _ : state) {
    r.rpm = rpm;
    r.map = static_cast<uint8_t>(rpm / 40);
    rpm = rpm > 6000 ? 900 : rpm + 37;
    r.Encode(buf);
    const TLivePanelView& v =
        panel.Tick(buf, LiveDataRecord::kSize, in, [](const LiveDataRecord& x) { return x.pressure * 1; });
    benchmark::DoNotOptimize(v.petrolCorrection.size());
    const QByteArray line = TTraceRecorder::RecordLine(170, panel.TraceRecord(), 2);
    benchmark::DoNotOptimize(line.size());
  }
}
BENCHMARK(BM_LiveTick);

}  // namespace

BENCHMARK_MAIN();

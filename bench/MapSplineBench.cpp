// A map fit at full size: one point per map cell plus three corner anchors (147 points), with the
// 144 cell writes through the data set's setters.
#include <benchmark/benchmark.h>

#include <vector>

#include "EcuData.h"
#include "MapSpline.h"

namespace {

std::vector<MapSample> FullMapPoints(const TEcuData& data) {
  std::vector<MapSample> s;
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) {
      const int rpm = data.GetRifGiri(c) + (r * 37 + c * 11) % 90;
      const int mv = static_cast<int>(data.GetRifMAP(r) * 1000) + (r * 13 + c * 29) % 40;
      s.push_back({rpm, mv, 2000 + 400 * r + 150 * c + (r * c) % 7 * 30, 0, r, c});
    }
  s.push_back({data.GetRifGiri(0) - 200, 150, 1800, 0, 0, 0});
  s.push_back({data.GetRifGiri(11) + 300, 150, 3000, 0, 0, 0});
  s.push_back({data.GetRifGiri(11) + 300, 2000, 9000, 0, 0, 0});
  return s;
}

void BM_FitMapSpline147(benchmark::State& state) {
  TEcuData data("default");
  data.WriteThrough = false;
  EcuData = &data;
  const std::vector<MapSample> points = FullMapPoints(data);
  const bool petrol = state.range(0) == 0;
  for (auto _ : state) {
    const bool ok = FitMapSpline(points, petrol, state.range(0) == 2);
    if (!ok) state.SkipWithError("the fit was refused");
    benchmark::DoNotOptimize(data.Mappa);
  }
  EcuData = nullptr;
}
// 0 petrol map, 1 gas map, 2 gas map blended.
BENCHMARK(BM_FitMapSpline147)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

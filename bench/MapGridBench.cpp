// The working-point marker in one live tick: the cell and pixel arithmetic alone, and the map
// grid's marker hook, without and with painting the old and the new marker squares.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "EcuData.h"
#include "MapGridHost.h"
#include "MapGridMap.h"
#include "MapGridModel.h"

namespace {

class NoHost final : public IGridHost {
 public:
  TFormModMappa* CellDialog() override { return nullptr; }
  void StopLiveTimer() override {}
  void StartLiveTimer() override {}
  QString Text(int, const QString& fallback) const override { return fallback; }
  QWidget* DialogOwner() override { return nullptr; }
};

// An engine sweeping rpm and load, so every tick moves the marker.
struct Sweep {
  int rpm = 800;
  double load = 0.2;
  void Next() {
    rpm = rpm > 6500 ? 800 : rpm + 37;
    load = load > 1.9 ? 0.2 : load + 0.013;
  }
};

void BM_MarkerModel(benchmark::State& state) {
  std::array<int, 12> rpm{};
  std::array<double, 12> map{};
  for (int i = 0; i < 12; ++i) {
    rpm[i] = 500 * (i + 1);
    map[i] = 0.18 + 0.15 * i;
  }
  const auto rb = MapGrid::RpmBounds(rpm);
  std::array<double, 13> rbd{};
  std::array<double, 12> rpd{};
  for (int i = 0; i < 13; ++i) rbd[i] = rb[i];
  for (int i = 0; i < 12; ++i) rpd[i] = rpm[i];
  const auto lb = MapGrid::LoadBounds(map);
  const MapGrid::Axis cols{rbd, rpd}, rows{lb, map};
  MapGrid::TWorkingPointMarker marker;
  Sweep s;
  for (auto _ : state) {
    s.Next();
    marker.Update(s.rpm, s.load, cols, rows, [](int r, int c) {
      return MapGrid::CellRect{c * 50, r * 30, c * 50 + 49, r * 30 + 29};
    });
    benchmark::DoNotOptimize(marker.X());
  }
}
BENCHMARK(BM_MarkerModel);

void BM_MapGridMarkerHook(benchmark::State& state) {
  TEcuData data("default");
  EcuData = &data;
  NoHost host;
  TMapGrid grid(&host);
  grid.FitCells(13 * 60, 13 * 32);
  const bool paint = state.range(0) != 0;
  if (paint) {
    grid.show();
    QApplication::processEvents();
  }
  Sweep s;
  for (auto _ : state) {
    s.Next();
    grid.UpdateMarker(s.rpm, s.load);
    // Arg 1: the event loop then paints the two marker squares that changed.
    if (paint) QApplication::processEvents();
  }
  EcuData = nullptr;
}
BENCHMARK(BM_MapGridMarkerHook)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

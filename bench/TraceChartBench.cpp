// The trace chart with long recordings: a 6-minute (2,000 records), 1-hour (21,176),
// 5.5-hour (100,000) and 10-hour (212,000) trace of both banks, recorded as the editor writes
// them. Measured in the chart window at 800x600 on the offscreen platform:
//   BM_TraceOpen    reading the file, building the window and its first paint;
//   BM_TraceZoom    one rubber-band zoom and the repaint it causes;
//   BM_TraceUnzoom  undoing the zoom and the repaint.
// Counters: peak_MB is the process's peak resident memory from just before the window is made
// until it has painted (the kernel's high-water mark, reset first); held_MB the heap the open
// window keeps; paints the viewport paints seen (a run without a paint is an error).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "ChartView.h"
#include "Graficodrt.h"
#include "TraceRecorder.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

// A road test: rpm and load following a slow drive cycle with noise, the lambda probes
// switching, and now and then a one-record spike (a misfire or a cut-off) on some traces.
QString TraceFile(int records) {
  static std::map<int, QString> made;
  if (auto it = made.find(records); it != made.end()) return it->second;
  const QString path = Folder().filePath(QStringLiteral("strada_%1.txt").arg(records));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(TTraceRecorder::HeaderLines(2, QStringLiteral("1 gennaio 2024 08:30:00")));
  uint32_t seed = 12345;
  const auto noise = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) & 0xFFFF) / 65535.0 - 0.5;
  };
  QByteArray chunk;
  for (int k = 0; k < records; ++k) {
    const double t = k * 0.17;
    const double cycle = 0.5 + 0.5 * std::sin(t / 40.0) * std::sin(t / 7.0);
    TTraceRecord r;
    r.rpm = static_cast<int>(850 + 4200 * cycle + 60 * noise());
    r.map = std::round((0.4 + 1.6 * cycle + 0.05 * noise()) * 100) / 100;
    r.cumulo = static_cast<int>(std::max(0.0, 60 * (cycle - 0.6)));
    r.tps = std::round((0.5 + 3.5 * cycle) * 100) / 100;
    r.lambda = (k / 5) % 2 ? 0.15 : 0.82;
    r.gasInjection = std::round((2.2 + 9 * cycle + 0.1 * noise()) * 1000) / 1000;
    r.correction = static_cast<int>(20 * noise());
    r.petrolInjection = std::round((2 + 8 * cycle) * 1000) / 1000;
    r.petrolCorrection = static_cast<int>(100 * noise());
    r.flag1 = 0x31;
    r.enrichment = cycle > 0.8 ? 0.5 : 0;
    r.pressure = std::round((1.1 + 0.1 * noise()) * 100) / 100;
    r.temperatureRaw = 40 + (k / 2000) % 60;
    r.level = 200 - k / 5000;
    r.lambda2 = (k / 6) % 2 ? 0.12 : 0.8;
    r.correction2 = static_cast<int>(20 * noise());
    r.injection2 = r.gasInjection + 0.05;
    if (k % 997 == 500) {  // a spike one record wide
      r.rpm = 7000;
      r.gasInjection = 25;
      r.lambda = 1;
    }
    chunk += TTraceRecorder::RecordLine(static_cast<uint32_t>(170 * k), r, 2);
    if (chunk.size() > (1 << 20)) {
      f.write(chunk);
      chunk.clear();
    }
  }
  f.write(chunk);
  f.close();
  made[records] = path;
  return path;
}

class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Runs the event loop until the viewport has painted again (or a limit is reached).
bool PumpUntilPainted(PaintCounter& counter) {
  const int before = counter.paints;
  for (int k = 0; k < 50 && counter.paints == before; ++k) QApplication::processEvents();
  QApplication::processEvents();
  return counter.paints > before;
}

long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  return 0;
}

void ResetPeakMemory() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

double HeapMb() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

struct OpenChart {
  std::unique_ptr<TFormGraficoDrt> form;
  PaintCounter counter;
  bool painted = false;

  explicit OpenChart(const QString& path) {
    form = std::make_unique<TFormGraficoDrt>(nullptr, path);
    form->resize(kWidth, kHeight);
    form->ChartView->viewport()->installEventFilter(&counter);
    form->show();
    painted = PumpUntilPainted(counter);
  }
  ~OpenChart() {
    form->hide();
    form.reset();
    QApplication::processEvents();
  }
};

void BM_TraceOpen(benchmark::State& state) {
  const QString path = TraceFile(static_cast<int>(state.range(0)));
  double peakMb = 0, heldMb = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    const double heapBefore = HeapMb();
    QElapsedTimer timer;
    timer.start();
    auto chart = std::make_unique<OpenChart>(path);
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    if (!chart->painted || !chart->form->Loaded()) {
      state.SkipWithError("the chart did not load or paint");
      break;
    }
    peakMb = std::max(peakMb, StatusKb("VmHWM") / 1024.0);
    heldMb = HeapMb() - heapBefore;
    chart.reset();
  }
  state.counters["peak_MB"] = peakMb;
  state.counters["held_MB"] = heldMb;
}

// Zooms on a tenth of the trace's time, at a different place each time, over the middle
// third of the values; or undoes that zoom. Only the step named by `undo` is timed.
void ZoomBenchmark(benchmark::State& state, bool undo) {
  const QString path = TraceFile(static_cast<int>(state.range(0)));
  OpenChart chart(path);
  if (!chart.painted) {
    state.SkipWithError("the chart did not paint");
    return;
  }
  const double span = state.range(0) * 0.17;
  int step = 0;
  for (auto _ : state) {
    const double from = span * 0.09 * (step++ % 10);
    QElapsedTimer timer;
    timer.start();
    emit chart.form->ChartView->ZoomRequested(QPointF(from, 6), QPointF(from + span * 0.1, 1));
    bool painted = PumpUntilPainted(chart.counter);
    const double zoomTime = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    timer.restart();
    chart.form->MenuAnnullaZoomClick();
    painted = PumpUntilPainted(chart.counter) && painted;
    const double undoTime = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    if (!painted) {
      state.SkipWithError("a zoom did not repaint");
      break;
    }
    state.SetIterationTime(undo ? undoTime : zoomTime);
  }
  state.counters["paints"] = chart.counter.paints;
}

void BM_TraceZoom(benchmark::State& state) { ZoomBenchmark(state, false); }
void BM_TraceUnzoom(benchmark::State& state) { ZoomBenchmark(state, true); }

void Sizes(benchmark::internal::Benchmark* b) {
  for (const int records : {2000, 21176, 100000, 212000}) b->Arg(records);
  b->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_TraceOpen)->Apply(Sizes);
BENCHMARK(BM_TraceZoom)->Apply(Sizes);
BENCHMARK(BM_TraceUnzoom)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The trace chart with long recordings: traces of both banks of 10 records, 1 hour (21,176
// records), 10 hours (211,765) and 24 hours (508,235, 39 MB), recorded as the editor writes
// them. Measured in the chart window at 800x600 on the offscreen platform:
//   BM_TraceOpen      reading the file, building the window and its first paint;
//   BM_TraceRead      reading and parsing the file alone (TTraceFile::Read);
//   BM_FileRead       the floor of reading: one read(2) of the whole file into memory that is
//                     already mapped;
//   BM_FileReadParse  the floor of opening: that read(2), then a plain std::from_chars loop
//                     that parses every field into arrays already mapped;
//   BM_TraceZoom      one rubber-band zoom onto a tenth of the trace and the repaint;
//   BM_TraceZoomNext  from there, a zoom onto the next tenth and the repaint;
//   BM_TraceUnzoom    undoing the zoom and the repaint.
// Counters: peak_MB is the process's peak resident memory from just before the window is made
// until it has painted (the kernel's high-water mark, reset first); base_MB the resident memory
// just before; held_MB the heap the open window keeps; paints the viewport paints seen (a run
// without a paint is an error).
//
// A trace of about 1 GB (12.6 million records, 24.8 days: the most whose times still fit the
// integer of the TEMPO column) is opened only when ECU_BENCH_TRACE_1GB is set; making its file
// takes a minute or so. So is a file of 1 GiB without a line end (BM_TraceReadNoLineEnd1GiB,
// TTraceFile::Read refusing it; peak_MB as above):
//   ECU_BENCH_TRACE_1GB=1 bench_trace_chart --benchmark_filter='1GB|1GiB'
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "ChartView.h"
#include "Graficodrt.h"
#include "TraceFile.h"
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
  double peakMb = 0, baseMb = 0, heldMb = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    baseMb = StatusKb("VmRSS") / 1024.0;
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
  state.counters["base_MB"] = baseMb;
  state.counters["held_MB"] = heldMb;
}

// 1 GiB of record fields without a line end: a first line that never ends (and so is no
// header line either, whatever reads it whole).
QString NoLineEndFile() {
  static QString made;
  if (!made.isEmpty()) return made;
  const QString path = Folder().filePath(QStringLiteral("senza_fine.txt"));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  QByteArray chunk;
  while (chunk.size() < (1 << 20)) chunk += "0\t850\t1.18\t0\t0.55\t";
  chunk.truncate(1 << 20);
  for (int k = 0; k < 1024; ++k) f.write(chunk);
  f.close();
  made = path;
  return path;
}

void BM_TraceReadNoLineEnd1GiB(benchmark::State& state) {
  const QString path = NoLineEndFile();
  double peakMb = 0, baseMb = 0;
  for (auto _ : state) {
    ResetPeakMemory();
    baseMb = StatusKb("VmRSS") / 1024.0;
    QElapsedTimer timer;
    timer.start();
    const TTraceFile trace = TTraceFile::Read(path);
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    peakMb = std::max(peakMb, StatusKb("VmHWM") / 1024.0);
    if (trace.status != TTraceFile::Status::Invalid) {
      state.SkipWithError("the file was not refused as invalid");
      break;
    }
  }
  state.counters["peak_MB"] = peakMb;
  state.counters["base_MB"] = baseMb;
}

void BM_TraceRead(benchmark::State& state) {
  const QString path = TraceFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    const TTraceFile trace = TTraceFile::Read(path);
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    if (trace.status != TTraceFile::Status::Ok || trace.records != state.range(0)) {
      state.SkipWithError("the trace did not read");
      break;
    }
  }
}

// The floor: the file's text and its values in memory mapped and touched once per process.
struct TFloor {
  std::vector<char> text;
  std::vector<double> time;
  std::array<std::vector<float>, 15> values;
};

TFloor& FloorFor(const QString& path, size_t records) {
  static std::map<QString, TFloor> made;
  TFloor& f = made[path];
  if (f.text.empty()) {
    f.text.assign(static_cast<size_t>(QFileInfo(path).size()), 1);
    f.time.assign(records, 1);
    for (auto& v : f.values) v.assign(records, 1);
  }
  return f;
}

// One read(2) of the whole file; false when it did not give every byte.
bool ReadWhole(const QString& path, std::vector<char>& text) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
  if (fd < 0) return false;
  const ssize_t got = ::read(fd, text.data(), text.size());
  ::close(fd);
  return got == static_cast<ssize_t>(text.size());
}

// Every field of every record with std::from_chars, each value stored as the chart holds it.
size_t ParseFloor(TFloor& f) {
  const char* p = f.text.data();
  const char* end = p + f.text.size();
  for (int line = 0; line < 2; ++line) p = std::find(p, end, '\n') + 1;
  constexpr std::string_view kKinds = "iififffifiifffifif";
  constexpr int kColumn[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 16, 17};
  constexpr double kFactor[15] = {0.001, 1, 0.01, 1, 1, 1, 0.1, 1, 0.1, 1, 1, 0.1, 1, 0.1, 1};
  size_t k = 0;
  double v[18];
  while (p < end && k < f.time.size()) {
    for (size_t j = 0; j < kKinds.size(); ++j) {
      while (p < end && (*p == '\t' || *p == ' ')) ++p;
      if (kKinds[j] == 'i') {
        int n = 0;
        p = std::from_chars(p, end, n).ptr;
        v[j] = n;
      } else {
        p = std::from_chars(p, end, v[j]).ptr;
      }
    }
    while (p < end && (*p == '\r' || *p == '\n')) ++p;
    f.time[k] = v[0] * 0.001;
    for (int s = 0; s < 15; ++s) f.values[s][k] = static_cast<float>(v[kColumn[s]] * kFactor[s]);
    ++k;
  }
  return k;
}

void FloorBenchmark(benchmark::State& state, bool parse) {
  const QString path = TraceFile(static_cast<int>(state.range(0)));
  TFloor& floor = FloorFor(path, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    const bool read = ReadWhole(path, floor.text);
    const size_t records = parse ? ParseFloor(floor) : floor.time.size();
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);
    if (!read || records != floor.time.size()) {
      state.SkipWithError("the floor did not read the file");
      break;
    }
  }
}

void BM_FileRead(benchmark::State& state) { FloorBenchmark(state, false); }
void BM_FileReadParse(benchmark::State& state) { FloorBenchmark(state, true); }

// Zooms onto a tenth of the trace's time, at a different place each time, over the middle
// third of the values; then onto the next tenth; then undoes the zoom. Only `timed` is timed.
enum class ZoomStep { Zoom, Next, Unzoom };

void ZoomBenchmark(benchmark::State& state, ZoomStep timed) {
  const QString path = TraceFile(static_cast<int>(state.range(0)));
  OpenChart chart(path);
  if (!chart.painted) {
    state.SkipWithError("the chart did not paint");
    return;
  }
  const double span = state.range(0) * 0.17;
  int step = 0;
  for (auto _ : state) {
    const double from = span * 0.08 * (step++ % 10);
    double times[3];
    bool painted = true;
    QElapsedTimer timer;
    timer.start();
    emit chart.form->ChartView->ZoomRequested(QPointF(from, 6), QPointF(from + span * 0.1, 1));
    painted = PumpUntilPainted(chart.counter) && painted;
    times[0] = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    timer.restart();
    emit chart.form->ChartView->ZoomRequested(QPointF(from + span * 0.1, 6), QPointF(from + span * 0.2, 1));
    painted = PumpUntilPainted(chart.counter) && painted;
    times[1] = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    timer.restart();
    chart.form->MenuAnnullaZoomClick();
    painted = PumpUntilPainted(chart.counter) && painted;
    times[2] = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    if (!painted) {
      state.SkipWithError("a zoom did not repaint");
      break;
    }
    state.SetIterationTime(times[static_cast<int>(timed)]);
  }
  state.counters["paints"] = chart.counter.paints;
}

void BM_TraceZoom(benchmark::State& state) { ZoomBenchmark(state, ZoomStep::Zoom); }
void BM_TraceZoomNext(benchmark::State& state) { ZoomBenchmark(state, ZoomStep::Next); }
void BM_TraceUnzoom(benchmark::State& state) { ZoomBenchmark(state, ZoomStep::Unzoom); }

void Sizes(benchmark::internal::Benchmark* b) {
  for (const int records : {10, 21176, 211765, 508235}) b->Arg(records);
  b->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_TraceOpen)->Apply(Sizes);
BENCHMARK(BM_TraceRead)->Apply(Sizes);
BENCHMARK(BM_FileRead)->Apply(Sizes);
BENCHMARK(BM_FileReadParse)->Apply(Sizes);
BENCHMARK(BM_TraceZoom)->Apply(Sizes);
BENCHMARK(BM_TraceZoomNext)->Apply(Sizes);
BENCHMARK(BM_TraceUnzoom)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (std::getenv("ECU_BENCH_TRACE_1GB")) {
    benchmark::RegisterBenchmark("BM_TraceOpen1GB", [](benchmark::State& state) { BM_TraceOpen(state); })
        ->Arg(12600000)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_TraceReadNoLineEnd1GiB", BM_TraceReadNoLineEnd1GiB)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

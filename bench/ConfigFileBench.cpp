// Saving a whole configuration and loading it back, as the configuration dialog does.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "BrandProfile.h"
#include "EcuData.h"

static void BM_SaveAndLoadConfiguration(benchmark::State& state) {
  SelectBrand(kThisBuildBrandBit);
  QTemporaryDir dir;
  const QByteArray path = QFile::encodeName(dir.filePath("Golf 1.6.trm"));
  TEcuData data("default");
  data.SetFileKey(GetBrandFileKey());
  for (auto _ : state) {
    if (data.SaveConfiguration(path.constData()) != 1 || data.LoadConfiguration(path.constData()) != 1) {
      state.SkipWithError("save or load failed");
      break;
    }
  }
}
BENCHMARK(BM_SaveAndLoadConfiguration)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

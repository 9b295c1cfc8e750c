// The main window against the simulated ECU, the ECU's waits at zero (a fake clock, ready at
// once): a connect with the whole read, and the start-up from the window's construction to its
// first show done (silent connect, fuel question, the splash minimum on the fake clock). The fuel
// question is the real dialog, answered Cancel as soon as it is up.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "AppSettings.h"
#include "BrandProfile.h"
#include "Cilindrata.h"
#include "Clock.h"
#include "ConfigActions.h"
#include "EcuData.h"
#include "FormScarica.h"
#include "Main.h"
#include "MessageSink.h"
#include "PrivateMessage.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "SimLink.h"

namespace {

// The fuel question of the first show with nobody to answer it: the dialog is built and shown
// as for a user and cancelled from its own loop.
int FuelQuestionCancelled(QWidget* owner, int* fuelIndex) {
  QTimer answer;
  answer.setInterval(0);
  QObject::connect(&answer, &QTimer::timeout, [&answer] {
    if (auto* dialog = qobject_cast<TFormCilindrata*>(QApplication::activeModalWidget())) {
      answer.stop();
      dialog->reject();
    }
  });
  answer.start();
  return RunFuelOnlyDialog(owner, fuelIndex);
}

struct Program {
  Program() {
    SelectBrand(kThisBuildBrandBit);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
    ecu.SetReadyDelay(0);
    ecu.SetScreen(&sink);
    SetMessageSink(&sink);
    SerialLink = &link;
    EcuData = &data;
    settings = std::make_unique<TAppSettings>(nullptr);
    AppSettings = settings.get();
    FormScarica = scarica.get();
    SetFuelDialog(&FuelQuestionCancelled);
  }
  ~Program() {
    SetFuelDialog(&RunFuelOnlyDialog);
    SetMessageSink(nullptr);
    SerialLink = nullptr;
    EcuData = nullptr;
    AppSettings = nullptr;
    FormScarica = nullptr;
  }

  QTemporaryDir dir;
  FakeClock clock;
  ScopedClock useClock{&clock};
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts{&prompts};
  QtMessageSink sink;
  SimulatedEcu ecu;
  SimLink link{ecu};
  TEcuData data{"default"};
  std::unique_ptr<TAppSettings> settings;
  std::unique_ptr<TFormScarica> scarica = std::make_unique<TFormScarica>(nullptr);
};

void BM_ConnectAndReadAll(benchmark::State& state) {
  Program p;
  p.ecu.SetCallLog(false);
  TFormMain main(nullptr, p.dir.path());
  delete main.Splash();  // gone after the first show; it would paint every progress step
  main.Interactive = false;
  for (auto _ : state) {
    p.data.Changed = false;
    main.ActionConnettiExecute();
    if (!p.link.IsLinkOpen()) state.SkipWithError("not connected");
    state.PauseTiming();
    main.ActionDisconnettiExecute();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ConnectAndReadAll)->Unit(benchmark::kMillisecond);

void BM_StartupToMainWindowShown(benchmark::State& state) {
  Program p;
  p.ecu.SetCallLog(false);
  for (auto _ : state) {
    p.data.Changed = false;
    auto main = std::make_unique<TFormMain>(nullptr, p.dir.path());
    main->show();
    QCoreApplication::processEvents();
    if (!p.link.IsLinkOpen()) state.SkipWithError("not connected");
    state.PauseTiming();
    p.data.Changed = false;
    main->close();
    main.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupToMainWindowShown)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

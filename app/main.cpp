// The program's entry point: the application object, then the start-up sequence with the
// configuration editor as one of the resident forms.
#include "Application.h"
#include "Cilindrata.h"
#include "Config.h"
#include "ConfigActions.h"
#include "Grafico.h"
#include "Graficodrt.h"
#include "RoadMapping.h"
#include "Startup.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  // The fuel question's dialog lives in the tools library above the shell.
  SetFuelDialog(&RunFuelOnlyDialog);
  TFormConfig::SetTraceViewer(&TFormGraficoDrt::Show);
  TRoadMapping::SetMapChartViewer(&TFormGrafico::ShowMapChart);
  StartupOptions options;
  options.createFormConfig = []() -> QWidget* { return FormConfig = new TFormConfig(nullptr); };
  return RunProgram(options);
}

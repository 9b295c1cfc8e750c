// The program's entry point: the application object, then the start-up sequence with the
// configuration editor as one of the resident forms.
#include "Application.h"
#include "Config.h"
#include "Startup.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  StartupOptions options;
  options.createFormConfig = []() -> QWidget* { return FormConfig = new TFormConfig(nullptr); };
  return RunProgram(options);
}

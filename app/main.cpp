// The program's entry point: the application object, then the start-up sequence.
#include "Application.h"
#include "Startup.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  return RunProgram();
}

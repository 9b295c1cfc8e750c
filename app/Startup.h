#pragma once
// The program's start and end: brand, single instance, platform check, settings, the language
// and serial libraries, the global objects and the resident forms, the message loop, and the
// teardown that writes the settings back, which runs whatever happened before it.
#include <QString>
#include <functional>

class QLibrary;
class QWidget;

extern QLibrary* SerialModule;  // the serial library; null when missing

struct StartupOptions {
  // The outside libraries; an empty path means the program's own folder ("SerKivDL",
  // "Languages" with the platform's library naming).
  QString serialLibrary;
  QString languageLibrary;
  // The name that keeps the program to one instance.
  QString instanceName = QStringLiteral("Mutex2001");
  // The platform's kernel type as QSysInfo names it; empty means the running one.
  QString platformKernel;
  // The configuration editor the program shows; null: a plain window in its place.
  std::function<QWidget*()> createFormConfig;
  // Runs right before the message loop (tests observe and drive the running program here).
  std::function<void()> beforeLoop;
};

// The texts of the start-up messages.
QString SetupErrorText();
constexpr const char* kSetupErrorCaption = "Setup errors";
constexpr const char* kOsErrorText = "This program required Windows 95/98/NT/2000";
constexpr const char* kOsErrorCaption = "OS error";

// Whether the program runs on this platform kernel (the NT family or a supported Unix kernel).
bool PlatformSupported(const QString& kernelType);

// Runs the program on the existing application object and returns its exit code, always 0.
int RunProgram(const StartupOptions& options = {});

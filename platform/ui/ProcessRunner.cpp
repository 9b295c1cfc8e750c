#include "ProcessRunner.h"

#include <QProcess>

namespace {

class QtProcessRunner final : public IProcessRunner {
 public:
  bool RunAndWait(const QString& program, const QStringList& arguments) override {
    QProcess process;
    // The program shares the caller's standard streams, as an inherited console would.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments);
    if (!process.waitForStarted(-1)) return false;
    process.waitForFinished(-1);
    return true;
  }
};

QtProcessRunner g_qtRunner;
IProcessRunner* g_runner = &g_qtRunner;

}  // namespace

IProcessRunner& ProcessRunner() { return *g_runner; }

void SetProcessRunner(IProcessRunner* runner) { g_runner = runner ? runner : &g_qtRunner; }

bool ScriptedProcessRunner::RunAndWait(const QString& program, const QStringList& arguments) {
  runs_.push_back({program, arguments});
  bool started = true;
  if (!answers_.empty()) {
    started = answers_.front();
    answers_.pop_front();
  }
  if (started && onRun) onRun();
  return started;
}

ScopedProcessRunner::ScopedProcessRunner(IProcessRunner* runner) : previous_(&ProcessRunner()) {
  SetProcessRunner(runner);
}

ScopedProcessRunner::~ScopedProcessRunner() { SetProcessRunner(previous_); }

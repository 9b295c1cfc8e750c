#include "ProcessRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>

namespace {

// Keeps every window open while installed: a close the window system asks for is refused.
class HoldCloses final : public QObject {
 public:
  HoldCloses() { qApp->installEventFilter(this); }
  ~HoldCloses() override { qApp->removeEventFilter(this); }
  HoldCloses(const HoldCloses&) = delete;
  HoldCloses& operator=(const HoldCloses&) = delete;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::Close || !e->spontaneous() || !o->isWidgetType()) return false;
    e->ignore();
    return true;
  }
};

class QtProcessRunner final : public IProcessRunner {
 public:
  bool RunAndWait(const QString& program, const QStringList& arguments) override {
    QProcess process;
    // The program shares the caller's standard streams, as an inherited console would.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments);
    if (!process.waitForStarted(-1)) return false;
    // The windows keep painting while the program runs; the user's input, and a window's close
    // asked through its title bar, wait until it has ended.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    HoldCloses holdCloses;
    if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
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

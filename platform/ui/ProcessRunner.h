#pragma once
// Starting an outside program and waiting for its end (CreateProcess + WaitForSingleObject).
// The program starts its outside programs through one service, so tests can stand in for them
// and check what was started.
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class IProcessRunner {
 public:
  virtual ~IProcessRunner() = default;
  // Starts program with arguments and blocks until it ends. False when it could not start.
  // Meanwhile the windows keep painting, and nothing else happens: the user's input and the
  // window system's close requests wait or are refused, and the caller stops its own timers.
  virtual bool RunAndWait(const QString& program, const QStringList& arguments) = 0;
};

IProcessRunner& ProcessRunner();
// Installs a runner (nullptr restores the one that starts real processes). The caller keeps
// ownership.
void SetProcessRunner(IProcessRunner* runner);

// Records every start and answers from a queue (true when the queue is empty). onRun, when
// set, runs in place of the program (while the caller waits).
class ScriptedProcessRunner final : public IProcessRunner {
 public:
  struct Run {
    QString program;
    QStringList arguments;
  };
  bool RunAndWait(const QString& program, const QStringList& arguments) override;
  void Answer(bool started) { answers_.push_back(started); }
  const std::vector<Run>& Runs() const { return runs_; }
  std::function<void()> onRun;

 private:
  std::deque<bool> answers_;
  std::vector<Run> runs_;
};

class ScopedProcessRunner {
 public:
  explicit ScopedProcessRunner(IProcessRunner* runner);
  ~ScopedProcessRunner();
  ScopedProcessRunner(const ScopedProcessRunner&) = delete;
  ScopedProcessRunner& operator=(const ScopedProcessRunner&) = delete;

 private:
  IProcessRunner* previous_;
};

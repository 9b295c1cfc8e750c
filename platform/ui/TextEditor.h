#pragma once
// Opening a file in the desktop's text editor. The program opens files through one service, so
// tests can record what would have been opened instead of starting a program.
#include <QString>
#include <QStringList>
#include <vector>

class ITextEditorService {
 public:
  virtual ~ITextEditorService() = default;
  // Starts the editor on the file without waiting for it; false when no editor could be started.
  virtual bool Open(const QString& path) = 0;
};

ITextEditorService& TextEditors();
// Installs a service (nullptr restores the desktop one). The caller keeps ownership.
void SetTextEditorService(ITextEditorService* service);

// Opens a file through the installed service. The desktop service tries the commands of
// TextEditorCommands in turn (with $VISUAL, $EDITOR and FindTerminal) until one starts.
bool OpenInTextEditor(const QString& path);

// One way to start an editor on a file: a program with its arguments, or, with no program, the
// desktop's opener for the file.
struct TextEditorCommand {
  QString program;
  QStringList arguments;
  bool operator==(const TextEditorCommand&) const = default;
};

// The ways to try, in order: `visual` (a command line, it may carry arguments); `editor` (also a
// command line) inside `terminal`, only when there is a terminal, since it needs one; the system
// editor on Windows; the desktop's opener. Empty command lines are skipped.
std::vector<TextEditorCommand> TextEditorCommands(const QString& path, const QString& visual,
                                                  const QString& editor, const QString& terminal);

// The terminal program of the desktop: $TERMINAL when it names a program that is installed, else
// "x-terminal-emulator" when installed; empty when there is none.
QString FindTerminal();

// Records every file it is asked to open and answers `result`.
class ScriptedTextEditor final : public ITextEditorService {
 public:
  bool Open(const QString& path) override {
    opened_.push_back(path);
    return result_;
  }
  void SetResult(bool result) { result_ = result; }
  const std::vector<QString>& Opened() const { return opened_; }

 private:
  std::vector<QString> opened_;
  bool result_ = true;
};

// Installs a service for its lifetime and restores the previous one.
class ScopedTextEditor {
 public:
  explicit ScopedTextEditor(ITextEditorService* service);
  ~ScopedTextEditor();
  ScopedTextEditor(const ScopedTextEditor&) = delete;
  ScopedTextEditor& operator=(const ScopedTextEditor&) = delete;

 private:
  ITextEditorService* previous_;
};

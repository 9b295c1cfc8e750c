#pragma once
// Opening a file in the desktop's text editor. The program opens files through one service, so
// tests can record what would have been opened instead of starting a program.
#include <QString>
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

// Opens a file through the installed service. The desktop service starts $VISUAL when it is
// set, the system editor on Windows, and otherwise the desktop's program for the file.
bool OpenInTextEditor(const QString& path);

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

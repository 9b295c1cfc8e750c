#pragma once
// File open and save dialogs. The program shows them through one service, so tests can answer
// them from a script and check what was asked. TFileDialog keeps its settings between runs the
// way a form's dialog component does (the chosen file and filter stay for the next run).
#include <QString>
#include <deque>
#include <vector>

class QWidget;

struct FileDialogRequest {
  QWidget* owner = nullptr;
  bool save = false;
  QString title;
  QString initialDir;
  // Filter in "Description|*.ext|Description|*.ext" form.
  QString filter;
  int filterIndex = 1;  // 1-based
  QString fileName;     // preselected file, may be empty
  QString defaultExt;   // without the dot; appended to a typed name that has none
  bool overwritePrompt = false;
};

struct FileDialogAnswer {
  bool accepted = false;
  QString fileName;
  int filterIndex = 1;
};

class IFileDialogService {
 public:
  virtual ~IFileDialogService() = default;
  virtual FileDialogAnswer Show(const FileDialogRequest& request) = 0;
};

IFileDialogService& FileDialogs();
// Installs a service (nullptr restores the one over the toolkit's dialogs). The caller keeps
// ownership.
void SetFileDialogService(IFileDialogService* service);

// Answers dialogs from a queue and records each request. With the queue empty it cancels.
class ScriptedFileDialogs final : public IFileDialogService {
 public:
  FileDialogAnswer Show(const FileDialogRequest& request) override;
  void Choose(const QString& fileName, int filterIndex = 1) {
    answers_.push_back({true, fileName, filterIndex});
  }
  void Cancel() { answers_.push_back({}); }
  const std::vector<FileDialogRequest>& Shown() const { return shown_; }

 private:
  std::deque<FileDialogAnswer> answers_;
  std::vector<FileDialogRequest> shown_;
};

class ScopedFileDialogs {
 public:
  explicit ScopedFileDialogs(IFileDialogService* service);
  ~ScopedFileDialogs();
  ScopedFileDialogs(const ScopedFileDialogs&) = delete;
  ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

 private:
  IFileDialogService* previous_;
};

// The "Description|*.ext|..." filter as the toolkit's "Description (*.ext);;..." list.
QStringList FileDialogFilters(const QString& filter);

// An open or save dialog component.
class TFileDialog {
 public:
  explicit TFileDialog(bool save = false) : save_(save) {}

  QString Title;
  QString InitialDir;
  QString Filter;
  QString DefaultExt;
  QString FileName;     // full path of the last chosen file; empty until one is chosen
  int FilterIndex = 1;  // 1-based index of the last chosen filter
  bool OverwritePrompt = false;

  // Runs the dialog; on a choice FileName and FilterIndex take it and the result is true.
  bool Execute(QWidget* owner);

 private:
  bool save_;
};

#include "FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

class ToolkitFileDialogs final : public IFileDialogService {
 public:
  FileDialogAnswer Show(const FileDialogRequest& r) override {
    QFileDialog dialog(r.owner, r.title);
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!r.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = FileDialogFilters(r.filter);
    dialog.setNameFilters(filters);
    if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
      dialog.selectNameFilter(filters[r.filterIndex - 1]);
    if (!r.defaultExt.isEmpty()) dialog.setDefaultSuffix(r.defaultExt);
    if (!r.fileName.isEmpty()) {
      const QFileInfo info(r.fileName);
      dialog.setDirectory(info.absolutePath());
      dialog.selectFile(info.fileName());
    } else if (!r.initialDir.isEmpty()) {
      dialog.setDirectory(r.initialDir);
    }
    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
    answer.accepted = true;
    answer.fileName = dialog.selectedFiles().first();
    answer.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (answer.filterIndex < 1) answer.filterIndex = 1;
    return answer;
  }
};

ToolkitFileDialogs g_toolkit;
IFileDialogService* g_service = &g_toolkit;

}  // namespace

IFileDialogService& FileDialogs() { return *g_service; }

void SetFileDialogService(IFileDialogService* service) { g_service = service ? service : &g_toolkit; }

FileDialogAnswer ScriptedFileDialogs::Show(const FileDialogRequest& request) {
  shown_.push_back(request);
  if (answers_.empty()) return {};
  FileDialogAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

ScopedFileDialogs::ScopedFileDialogs(IFileDialogService* service) : previous_(&FileDialogs()) {
  SetFileDialogService(service);
}

ScopedFileDialogs::~ScopedFileDialogs() { SetFileDialogService(previous_); }

QStringList FileDialogFilters(const QString& filter) {
  QStringList out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return out;
}

bool TFileDialog::Execute(QWidget* owner) {
  FileDialogRequest r;
  r.owner = owner;
  r.save = save_;
  r.title = Title;
  r.initialDir = InitialDir;
  r.filter = Filter;
  r.filterIndex = FilterIndex;
  r.fileName = FileName;
  r.defaultExt = DefaultExt;
  r.overwritePrompt = OverwritePrompt;
  const FileDialogAnswer a = FileDialogs().Show(r);
  if (!a.accepted) return false;
  FileName = a.fileName;
  FilterIndex = a.filterIndex;
  return true;
}

#include "TextEditor.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace {

class DesktopTextEditor final : public ITextEditorService {
 public:
  bool Open(const QString& path) override {
    const auto commands = TextEditorCommands(path, qEnvironmentVariable("VISUAL"),
                                             qEnvironmentVariable("EDITOR"), FindTerminal());
    for (const TextEditorCommand& c : commands) {
      const bool started = c.program.isEmpty() ? QDesktopServices::openUrl(QUrl::fromLocalFile(path))
                                               : QProcess::startDetached(c.program, c.arguments);
      if (started) return true;
    }
    return false;
  }
};

DesktopTextEditor g_desktopEditor;
ITextEditorService* g_editor = &g_desktopEditor;

}  // namespace

ITextEditorService& TextEditors() { return *g_editor; }

void SetTextEditorService(ITextEditorService* service) { g_editor = service ? service : &g_desktopEditor; }

bool OpenInTextEditor(const QString& path) { return TextEditors().Open(path); }

std::vector<TextEditorCommand> TextEditorCommands(const QString& path, const QString& visual,
                                                  const QString& editor, const QString& terminal) {
  std::vector<TextEditorCommand> commands;
  // A command line with the file as its last argument; nothing when the line is empty.
  const auto withFile = [&path](const QString& line) {
    QStringList words = QProcess::splitCommand(line.trimmed());
    if (!words.isEmpty()) words << path;
    return words;
  };
  if (QStringList words = withFile(visual); !words.isEmpty()) {
    const QString program = words.takeFirst();
    commands.push_back({program, words});
  }
  if (const QStringList words = withFile(editor); !words.isEmpty() && !terminal.isEmpty())
    commands.push_back({terminal, QStringList{QStringLiteral("-e")} + words});
#ifdef Q_OS_WIN
  commands.push_back({QStringLiteral("notepad.exe"), {path}});
#endif
  commands.push_back({});
  return commands;
}

QString FindTerminal() {
  const QStringList chosen = QProcess::splitCommand(qEnvironmentVariable("TERMINAL").trimmed());
  if (!chosen.isEmpty()) {
    const QString found = QStandardPaths::findExecutable(chosen.first());
    if (!found.isEmpty()) return found;
  }
  return QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
}

ScopedTextEditor::ScopedTextEditor(ITextEditorService* service) : previous_(&TextEditors()) {
  SetTextEditorService(service);
}

ScopedTextEditor::~ScopedTextEditor() { SetTextEditorService(previous_); }

#include "TextEditor.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace {

class DesktopTextEditor final : public ITextEditorService {
 public:
  bool Open(const QString& path) override {
    const QString visual = qEnvironmentVariable("VISUAL").trimmed();
    if (!visual.isEmpty()) {
      QStringList arguments = QProcess::splitCommand(visual);
      if (!arguments.isEmpty()) {
        const QString program = arguments.takeFirst();
        arguments << path;
        return QProcess::startDetached(program, arguments);
      }
    }
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {path});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
  }
};

DesktopTextEditor g_desktopEditor;
ITextEditorService* g_editor = &g_desktopEditor;

}  // namespace

ITextEditorService& TextEditors() { return *g_editor; }

void SetTextEditorService(ITextEditorService* service) {
  g_editor = service ? service : &g_desktopEditor;
}

bool OpenInTextEditor(const QString& path) { return TextEditors().Open(path); }

ScopedTextEditor::ScopedTextEditor(ITextEditorService* service) : previous_(&TextEditors()) {
  SetTextEditorService(service);
}

ScopedTextEditor::~ScopedTextEditor() { SetTextEditorService(previous_); }

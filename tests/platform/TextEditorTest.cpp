// Which editors the desktop's text-editor service tries on a file, and that it goes on to the
// next when one cannot be started.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "TextEditor.h"

// Beside the type, where the test framework looks for it.
static void PrintTo(const TextEditorCommand& c, std::ostream* os) {
  *os << '[' << c.program.toStdString() << ' ' << c.arguments.join(' ').toStdString() << ']';
}

namespace {

// Sets an environment variable for its lifetime (unset when value is null).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    if (value)
      qputenv(name, value);
    else
      qunsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

}  // namespace

TEST(TextEditor, CommandsInTheOrderTried) {
  const QString f = QStringLiteral("/dati/Dec1.Punto Blu.trm");
  const QString term = QStringLiteral("/usr/bin/x-terminal-emulator");
  const TextEditorCommand opener{};
  const struct {
    const char* visual;
    const char* editor;
    QString terminal;
    std::vector<TextEditorCommand> expected;
  } cases[] = {
      {"", "", term, {opener}},
      {"gvim -f", "", QString(), {{"gvim", {"-f", f}}, opener}},
      {"  ", "nano", term, {{term, {"-e", "nano", f}}, opener}},
      {"", "vim -n", QString(), {opener}},  // a terminal editor needs a terminal
      {"\"/opt/my editor/ed\"",
       "nano",
       term,
       {{"/opt/my editor/ed", {f}}, {term, {"-e", "nano", f}}, opener}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TextEditorCommands(f, QString::fromUtf8(c.visual), QString::fromUtf8(c.editor), c.terminal),
              c.expected)
        << c.visual << " | " << c.editor;
}

TEST(TextEditor, DesktopServiceGoesOnWhenAnEditorDoesNotStart) {
  QTemporaryDir dir;
  const QString file = dir.filePath("Dec1.Punto.trm");
  // $VISUAL names no program; the terminal (a program that only ends) starts with $EDITOR.
  ScopedEnv visual("VISUAL", "/nonexistent/editor");
  ScopedEnv editor("EDITOR", "nano");
  ScopedEnv terminal("TERMINAL", "true");
  ASSERT_FALSE(FindTerminal().isEmpty());
  EXPECT_TRUE(OpenInTextEditor(file));
}

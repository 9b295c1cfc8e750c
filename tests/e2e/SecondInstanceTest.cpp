// A second start of the built program while the first runs: it brings the first forward and
// ends with code 0, and the first goes on until its main window closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "Clock.h"
#include "Config.h"
#include "ConfigActions.h"
#include "Prompt.h"
#include "Startup.h"

namespace {

QMainWindow* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* m = qobject_cast<QMainWindow*>(w); m && m->objectName() == QLatin1String("FormMain")) return m;
  return nullptr;
}

// Watches the main window come back from minimised.
class RestoreWatcher : public QObject {
 public:
  bool restored = false;
  std::function<void()> onRestored;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    auto* w = qobject_cast<QWidget*>(o);
    if (e->type() == QEvent::WindowStateChange && w && !restored &&
        !(w->windowState() & Qt::WindowMinimized)) {
      restored = true;
      if (onRestored) onRestored();
    }
    return false;
  }
};

}  // namespace

TEST(SecondInstance, BringsTheFirstForwardAndEndsWithZero) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray previousTmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", dir.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts(&prompts);
  FakeClock clock;
  ScopedClock useClock(&clock);

  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", dir.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_CONFIG_HOME", dir.filePath("second-settings"));
  second.setProcessEnvironment(env);
  RestoreWatcher watcher;
  bool finished = false;
  int exitCode = -1;
  QProcess::ExitStatus exitStatus = QProcess::CrashExit;
  // The first show read the ECU, so closing asks to save: no.
  auto closeMain = [&prompts](QMainWindow* main) {
    prompts.Answer(PromptNo);
    main->close();
  };
  auto closeWhenDone = [&] {
    if (finished && watcher.restored) closeMain(MainWindow());
  };
  watcher.onRestored = closeWhenDone;
  QObject::connect(&second, &QProcess::finished, [&](int code, QProcess::ExitStatus status) {
    finished = true;
    exitCode = code;
    exitStatus = status;
    closeWhenDone();
  });

  // The first instance asks no fuel question: nothing here would answer it.
  SetFuelDialog(nullptr);
  StartupOptions o;
  o.createFormConfig = []() -> QWidget* { return FormConfig = new TFormConfig(nullptr); };
  o.beforeLoop = [&] {
    EXPECT_NE(FormConfig, nullptr);
    QMainWindow* main = MainWindow();
    ASSERT_NE(main, nullptr);
    main->setWindowState(Qt::WindowMinimized);
    main->installEventFilter(&watcher);
    second.start(QStringLiteral(ECUSETUP_PATH), {});
    // Whatever happens, the first instance ends.
    QTimer::singleShot(60000, main, [main, closeMain] { closeMain(main); });
  };
  EXPECT_EQ(RunProgram(o), 0);
  qputenv("TMPDIR", previousTmp);
  EXPECT_EQ(FormConfig, nullptr);

  EXPECT_TRUE(finished);
  EXPECT_EQ(exitStatus, QProcess::NormalExit);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(watcher.restored);
  // The second start showed nothing of its own and wrote no settings.
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("second-settings/Tarn/2001.conf")));
}

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "ProcessRunner.h"

TEST(ProcessRunner, RunsToTheEndOrReportsAFailedStart) {
  QTemporaryDir dir;
  const QString marker = dir.filePath("done");
  // The call returns only after the program ended: its file is there.
  EXPECT_TRUE(ProcessRunner().RunAndWait("/bin/sh", {"-c", "echo x > \"$0\"", marker}));
  EXPECT_TRUE(QFile::exists(marker));
  EXPECT_FALSE(ProcessRunner().RunAndWait(dir.filePath("no-such-program"), {}));
}

TEST(ProcessRunner, ScriptedRunnerRecordsAndAnswers) {
  ScriptedProcessRunner script;
  ScopedProcessRunner use(&script);
  int ran = 0;
  script.onRun = [&] { ++ran; };
  script.Answer(false);
  EXPECT_FALSE(ProcessRunner().RunAndWait("a", {"1"}));
  EXPECT_TRUE(ProcessRunner().RunAndWait("b", {"2", "3"}));
  EXPECT_EQ(ran, 1);
  ASSERT_EQ(script.Runs().size(), 2u);
  EXPECT_EQ(script.Runs()[1].program, "b");
  EXPECT_EQ(script.Runs()[1].arguments, QStringList({"2", "3"}));
}

// While the program runs the windows keep painting: here the paint of a window that waits for
// one is what ends the program (which gives up after about three seconds otherwise).
TEST(ProcessRunner, WindowsPaintWhileTheProgramRuns) {
  QTemporaryDir dir;
  const QString painted = dir.filePath("painted");
  class Probe final : public QWidget {
   public:
    QString marker;
    bool running = false;
    bool paintedDuringRun = false;

   protected:
    void paintEvent(QPaintEvent*) override {
      if (!running) return;
      paintedDuringRun = true;
      QFile(marker).open(QIODevice::WriteOnly);
    }
  } window;
  window.marker = painted;
  window.resize(200, 100);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.running = true;
  window.update();
  const QString waitForMarker =
      "i=0; while [ ! -e \"$0\" ] && [ $i -lt 300 ]; do sleep 0.01; i=$((i+1)); done";
  EXPECT_TRUE(ProcessRunner().RunAndWait("/bin/sh", {"-c", waitForMarker, painted}));
  window.running = false;
  EXPECT_TRUE(window.paintedDuringRun);
}

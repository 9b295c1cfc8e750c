#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

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

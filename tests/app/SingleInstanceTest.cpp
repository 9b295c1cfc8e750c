#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "BrandProfile.h"
#include "SingleInstance.h"

TEST(SingleInstance, LaterStartAsksTheFirstToComeForward) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString name = dir.filePath(QStringLiteral("Mutex2001"));
  SelectBrand(kThisBuildBrandBit);
  QWidget main;
  main.setWindowTitle(QString::fromLatin1(GetBrandTitle()));
  main.show();
  main.setWindowState(Qt::WindowMinimized);
  // On a real display the window manager iconifies the window some time later: let it, so it
  // does not undo the restore below.
  QTest::qWait(300);

  TSingleInstance first(name);
  ASSERT_TRUE(first.Claim());
  QSignalSpy asked(&first, &TSingleInstance::ActivationRequested);
  TSingleInstance second(name);
  EXPECT_FALSE(second.Claim());
  ASSERT_TRUE(asked.wait(5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !(main.windowState() & Qt::WindowMinimized); }, 2000));
}

TEST(SingleInstance, NameLeftBehindByAnUncleanEndIsTakenOver) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString name = dir.filePath(QStringLiteral("Mutex2001"));
  QFile stale(name);
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  TSingleInstance first(name);
  EXPECT_TRUE(first.Claim());
  TSingleInstance second(name);
  EXPECT_FALSE(second.Claim());
}

// Pictures of the splash, wait and about windows for a person to look at, written under the
// build's test-results/screenshots folder; every control of them keeps the layout rule.
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>

#include "BrandProfile.h"
#include "LayoutCheck.h"
#include "SampleWindows.h"

namespace {

QString ShotPath(const char* name) {
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  return dir + QLatin1Char('/') + QLatin1String(name);
}

void Shoot(QWidget& w, const char* name) {
  w.show();
  const QPixmap shot = w.grab();
  ASSERT_FALSE(shot.isNull());
  EXPECT_GT(shot.width(), 100);
  EXPECT_TRUE(shot.save(ShotPath(name), "PNG")) << name;
  EXPECT_TRUE(ControlsKeepLayout(&w)) << name;
}

}  // namespace

TEST(Screenshots, SplashWaitAndAboutWindows) {
  SelectBrand(kThisBuildBrandBit);
  TFormSplash splash;
  FillSampleSplash(splash);
  Shoot(splash, "splash.png");

  TFormAttesa wait;
  FillSampleWait(wait);
  Shoot(wait, "wait.png");

  TAboutBox about(nullptr);
  FillSampleAbout(about);
  Shoot(about, "about.png");
}

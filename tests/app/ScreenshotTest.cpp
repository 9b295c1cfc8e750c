// Pictures of the splash, wait and about windows for a person to look at, written under the
// build's test-results/screenshots folder; every control of them keeps the layout rule.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPixmap>

#include "AboutBox.h"
#include "BrandProfile.h"
#include "FormAttesa.h"
#include "FormSplash.h"
#include "Language.h"
#include "LayoutCheck.h"
#include "PrivateMessage.h"

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
  splash.LabelConnessione->setText(Tr(96));
  SendPrivateMessage(&splash, WM_PROGRESS, 35, ProgressSet);
  Shoot(splash, "splash.png");

  TFormAttesa wait;
  wait.setWindowTitle(Tr(65));
  wait.Label1->setText(Tr(88));
  wait.SetSuffix(QStringLiteral(" ") + Tr(73) + QStringLiteral(" "));
  SendPrivateMessage(&wait, WM_PROGRESS, 40, ProgressSet);
  Shoot(wait, "wait.png");

  TAboutBox about(nullptr);
  about.setWindowTitle(QString::fromLatin1(GetBrandTitle()));
  about.ProductName->setText(QString::fromLatin1(GetBrandTitle()));
  about.Version->setText(Tr(64) + QStringLiteral(" 0.1.0.0"));
  Shoot(about, "about.png");
}

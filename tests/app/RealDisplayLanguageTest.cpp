// The main window with a message box in Italian and in English, and the editor's first page in
// English, on a real X server (Xvfb with a window manager), where windows are exposed and
// activated as on a desktop. The pictures go to the build's test-results/screenshots folder.
//
// Run offscreen (as ctest does), the test starts its own X server and window manager and runs
// itself again on them; on an X server it takes the pictures and checks what they show.
#include <QAbstractButton>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include "AcquisitionStore.h"
#include "Config.h"
#include "FunctionKeyTabStrip.h"
#include "Language.h"
#include "LanguageFixture.h"
#include "MainFixture.h"
#include "PageCambio.h"
#include "TestPaths.h"

namespace {

constexpr const char* kTestName = "RealDisplayLanguageTest.*";

QString ShotFile(const char* name) {
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  return dir + QLatin1Char('/') + QLatin1String(name);
}

// The whole screen as the X server shows it.
QImage Screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

// Share of the pixels of a widget's own picture that the screen shows at its place: near 1
// when the widget is on top and painted, low when it is covered or not drawn.
double OnScreen(const QImage& screen, QWidget* w) {
  const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QPoint origin = w->mapToGlobal(QPoint(0, 0));
  const QImage there = screen.copy(QRect(origin, own.size())).convertToFormat(QImage::Format_RGB32);
  if (there.size() != own.size() || own.isNull()) return 0;
  qint64 same = 0;
  for (int y = 0; y < own.height(); ++y)
    for (int x = 0; x < own.width(); ++x) same += own.pixel(x, y) == there.pixel(x, y);
  return static_cast<double>(same) / (static_cast<double>(own.width()) * own.height());
}

// Runs the test's own program on a fresh X server with a window manager; false when the
// machine has no X server to start.
class OwnXServer {
 public:
  bool Start() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
      return false;
    // Xvfb picks a free display and writes its number on the descriptor given (stdout here).
    xvfb_.start(
        QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
         QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!xvfb_.waitForStarted()) return false;
    QByteArray number;
    while (!number.contains('\n') && xvfb_.waitForReadyRead(20000)) number += xvfb_.readAllStandardOutput();
    if (!number.contains('\n')) return false;
    display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    wm_.setProcessEnvironment(env);
    wm_.start(QStringLiteral("openbox"), {});
    return wm_.waitForStarted();
  }
  // Runs this test program on the server; its exit code.
  int Run(QString* output) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + QLatin1String(kTestName)});
    if (!child.waitForFinished(300000)) child.kill();
    *output = QString::fromLocal8Bit(child.readAll());
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
  }
  ~OwnXServer() {
    for (QProcess* p : {&wm_, &xvfb_}) {
      p->terminate();
      if (!p->waitForFinished(5000)) p->kill();
      p->waitForFinished(5000);
    }
  }

 private:
  QProcess xvfb_;
  QProcess wm_;
  QString display_;
};

}  // namespace

class RealDisplayLanguageTest : public LanguageFixture {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) return;
    ASSERT_NO_FATAL_FAILURE(LoadLanguages());
  }

  // Shows the save question through the program's own message-box service over the main
  // window, takes the screen while it is up, and answers Cancel. The box's button texts.
  QStringList ShootSaveQuestion(const char* file) {
    QStringList buttons;
    OnNextModal([&](QDialog* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      if (!box) {
        dialog->reject();
        return;
      }
      EXPECT_TRUE(QTest::qWaitForWindowActive(box));
      // The box comes on top of the main window and is painted there.
      QImage screen;
      EXPECT_TRUE(QTest::qWaitFor([&] { return OnScreen(screen = Screen(), box) > 0.95; })) << file;
      EXPECT_TRUE(screen.save(ShotFile(file), "PNG"));
      EXPECT_TRUE(QRect(QPoint(0, 0), screen.size()).contains(box->frameGeometry())) << file;
      for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        buttons << (box->button(b) ? box->button(b)->text() : QString());
      box->button(QMessageBox::Cancel)->click();
    });
    ScopedPrompts realBoxes(nullptr);
    EXPECT_EQ(ShowPrompt(&Main(), QString(), Text(72), PromptIcon::Warning, PromptYesNoCancel), PromptCancel);
    return buttons;
  }
};

TEST_F(RealDisplayLanguageTest, MessageBoxAndEditorPageFollowTheLanguage) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    OwnXServer server;
    if (!server.Start()) GTEST_SKIP() << "no X server (Xvfb and openbox) on this machine";
    QString output;
    EXPECT_EQ(server.Run(&output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    return;
  }

  settings->SetSetting(SettingLanguage, 0);
  config_ = std::make_unique<TFormConfig>(nullptr);
  FormConfig = config_.get();
  TFormMain& w = Shown();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  ASSERT_EQ(CurrentLanguage, 0);
  EXPECT_EQ(ShootSaveQuestion("language-main-question-it.png"),
            (QStringList{QStringLiteral("&S\u00EC"), QStringLiteral("&No"), QStringLiteral("Annulla")}));

  w.MenuLanguageItems()[1]->trigger();
  ASSERT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(ShootSaveQuestion("language-main-question-en.png"),
            (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("Cancel")}));

  // The editor's first page, in English, over the main window.
  config_->showMaximized();
  config_->StopLiveTimer();
  config_->SetActivePage(TabCambio);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(config_.get()));
  auto* page = static_cast<TPageCambio*>(config_->Page(TabCambio));
  QImage screen;
  EXPECT_TRUE(QTest::qWaitFor([&] { return OnScreen(screen = Screen(), page->LabelSegnaleGiri) > 0.95; }));
  EXPECT_TRUE(screen.save(ShotFile("language-editor-first-page-en.png"), "PNG"));
  EXPECT_EQ(config_->PageControl()->Caption(TabCambio), Tr(111));
  EXPECT_EQ(page->LabelSegnaleGiri->text(), QStringLiteral("Rpm signal"));
  EXPECT_EQ(page->LabelGiriCambio->text(), QStringLiteral("Changeover rpm"));
  for (QWidget* shown :
       {static_cast<QWidget*>(page->LabelSegnaleGiri), static_cast<QWidget*>(page->LabelTempCambio),
        static_cast<QWidget*>(config_->PageControl())})
    EXPECT_GT(OnScreen(screen, shown), 0.95) << shown->objectName().toStdString();
  config_->hide();
}

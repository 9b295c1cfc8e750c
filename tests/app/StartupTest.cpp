#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

#include "AppSettings.h"
#include "BrandProfile.h"
#include "Clock.h"
#include "Config.h"
#include "DatiMappati.h"
#include "EcuData.h"
#include "FormScarica.h"
#include "FormSplash.h"
#include "Language.h"
#include "MessageSink.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "SimulatedEcu.h"
#include "Startup.h"
#include "TestPaths.h"

namespace {

template <typename T>
T* FindTopLevel() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<T*>(w)) return t;
  return nullptr;
}

QMainWindow* MainWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* m = qobject_cast<QMainWindow*>(w); m && m->objectName() == QLatin1String("FormMain"))
      return m;
  return nullptr;
}

// Runs start-up with its settings store, instance name and temporary folder in a private
// folder, the prompts scripted and the clock fake.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
    SelectBrand(kThisBuildBrandBit);
  }
  void TearDown() override {
    qputenv("TMPDIR", previousTmp);
    EXPECT_EQ(AppSettings, nullptr);
    EXPECT_EQ(EcuData, nullptr);
    EXPECT_EQ(DatiMappati, nullptr);
    EXPECT_EQ(SerialLink, nullptr);
    EXPECT_EQ(SerialModule, nullptr);
    EXPECT_EQ(LanguageModule, nullptr);
    EXPECT_EQ(FormScarica, nullptr);
    EXPECT_EQ(MainWindow(), nullptr);
  }

  // The values the settings store holds now.
  QSettings Stored() const {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tarn", "2001");
  }
  bool SettingsWritten() const {
    const QSettings s = Stored();
    return s.contains("MainPath") && s.contains("ComPort") && s.contains("Language") &&
           s.contains("LastWarning");
  }
  // The prompts shown with this caption.
  int Shown(const char* caption) const {
    int n = 0;
    for (const auto& r : prompts.Shown()) n += r.caption == QLatin1String(caption);
    return n;
  }
  // Options that close the main window at the first idle moment of the message loop, after
  // running check.
  StartupOptions CloseAtFirstIdle(std::function<void()> check) {
    StartupOptions o;
    o.beforeLoop = [this, check] {
      if (check) check();
      idle = QObject::connect(QAbstractEventDispatcher::instance(),
                              &QAbstractEventDispatcher::aboutToBlock, [this] {
                                QObject::disconnect(idle);
                                splashGoneAtIdle = FindTopLevel<TFormSplash>() == nullptr;
                                // The silent connect read the ECU, so closing asks to
                                // save: no.
                                QTimer::singleShot(0, [this] {
                                  prompts.Answer(PromptNo);
                                  MainWindow()->close();
                                });
                              });
    };
    return o;
  }

  QTemporaryDir dir;
  QByteArray previousTmp;
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts{&prompts};
  FakeClock clock;
  ScopedClock useClock{&clock};
  QMetaObject::Connection idle;
  bool splashGoneAtIdle = false;
};

}  // namespace

TEST_F(StartupTest, RunsWithBothLibrariesAndWritesTheSettingsBack) {
  bool splashUp = false;
  int languages = 0;
  std::vector<SimCall> configuration;
  QString title;
  QString traceFolder;
  StartupOptions o = CloseAtFirstIdle([&] {
    if (FormConfig) traceFolder = FormConfig->Recorder().Folder();
    const TFormSplash* splash = FindTopLevel<TFormSplash>();
    splashUp = splash && splash->isVisible();
    languages = LanguageCount;
    title = MainWindow()->windowTitle();
    EXPECT_NE(EcuData, nullptr);
    EXPECT_NE(DatiMappati, nullptr);
    EXPECT_NE(FormScarica, nullptr);
    auto simulated = reinterpret_cast<SimulatedEcu* (*)(TSerialLink*)>(
        SerialModule->resolve("_SimulatedEcu"));
    ASSERT_NE(simulated, nullptr);
    for (const SimCall& c : simulated(SerialLink)->Calls()) configuration.push_back(c);
  });
  o.createFormConfig = []() -> QWidget* { return FormConfig = new TFormConfig(nullptr); };
  EXPECT_EQ(RunProgram(o), 0);

  EXPECT_TRUE(splashUp);
  EXPECT_GE(clock.Slept(), kSplashMinimumMs);  // the splash's minimum, waited on the clock
  EXPECT_TRUE(splashGoneAtIdle);
  EXPECT_EQ(languages, 2);
  EXPECT_EQ(title, QString::fromLatin1(GetBrandTitle()));
  EXPECT_TRUE(traceFolder.endsWith(QStringLiteral("/Acquisizioni"))) << traceFolder.toStdString();
  // The link is configured once, in this order, before anything else uses it.
  ASSERT_GE(configuration.size(), 5u);
  const SimOp order[] = {SimOp::SetLinkParamA, SimOp::SetLinkParamB, SimOp::SetScreen,
                         SimOp::SetLinkParamC, SimOp::SetLinkParamD};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(configuration[i].op, order[i]) << i;
  EXPECT_EQ(configuration[0].a, 0);
  EXPECT_EQ(configuration[1].a, 5);
  EXPECT_EQ(configuration[3].a, 600);
  EXPECT_EQ(configuration[4].a, 30);
  EXPECT_EQ(configuration[4].b, 600);
  // First run: the settings were missing, so the reset notice came once, then the question to
  // save what the connect read; all four settings are back.
  ASSERT_EQ(prompts.Shown().size(), 2u);
  EXPECT_EQ(prompts.Shown()[1].buttons, PromptYesNoCancel);
  EXPECT_TRUE(SettingsWritten());
}

TEST_F(StartupTest, MissingSerialLibraryShowsSetupErrorsAndStillWritesTheSettings) {
  for (const QString& library : {dir.filePath("SerKivDL"), BuiltLibrary("Languages")}) {
    prompts.Clear();
    QFile::remove(dir.filePath("settings/Tarn/2001.conf"));
    StartupOptions o;
    o.serialLibrary = library;  // absent, or present without _CreateClassInstance
    bool looped = false;
    o.beforeLoop = [&] { looped = true; };
    EXPECT_EQ(RunProgram(o), 0);
    EXPECT_FALSE(looped);
    ASSERT_EQ(Shown(kSetupErrorCaption), 1) << library.toStdString();
    const PromptRequest& box = prompts.Shown().back();
    EXPECT_EQ(box.text,
              QStringLiteral("   It's not possible to procede.\nReinstall the program and try again."));
    EXPECT_EQ(box.icon, PromptIcon::Stop);
    EXPECT_EQ(box.buttons, PromptOk);
    EXPECT_TRUE(SettingsWritten());
  }
}

TEST_F(StartupTest, MissingLanguageLibraryUsesTheOwnTable) {
  StartupOptions o = CloseAtFirstIdle([&] {
    EXPECT_EQ(LanguageModule, nullptr);
    EXPECT_EQ(LanguageCount, 1);
    EXPECT_EQ(TextsPerLanguage, 1);
    EXPECT_EQ(Tr(96), QStringLiteral("Connessione in corso..."));
  });
  o.languageLibrary = dir.filePath("Languages");
  EXPECT_EQ(RunProgram(o), 0);
  EXPECT_TRUE(splashGoneAtIdle);
  EXPECT_TRUE(SettingsWritten());
}

TEST_F(StartupTest, FailedStartUpIsShownAndStillTearsDown) {
  StartupOptions o;
  o.createFormConfig = []() -> QWidget* { throw std::runtime_error("Out of system resources"); };
  bool looped = false;
  o.beforeLoop = [&] { looped = true; };
  EXPECT_EQ(RunProgram(o), 0);
  EXPECT_FALSE(looped);
  ASSERT_FALSE(prompts.Shown().empty());
  EXPECT_EQ(prompts.Shown().back().text, QStringLiteral("Out of system resources"));
  EXPECT_EQ(prompts.Shown().back().icon, PromptIcon::Stop);
  EXPECT_TRUE(SettingsWritten());
}

TEST_F(StartupTest, SettingsOfThePreviousRunAreKept) {
  {
    QSettings s = Stored();
    s.setValue("MainPath", dir.path());
    s.setValue("ComPort", 3);
    s.setValue("Language", 1);
    s.setValue("LastWarning", 45000);
  }
  int language = -1;
  QString text;
  StartupOptions o = CloseAtFirstIdle([&] {
    language = CurrentLanguage;
    text = Tr(96);
  });
  EXPECT_EQ(RunProgram(o), 0);
  ASSERT_EQ(prompts.Shown().size(), 1u);  // only the question to save on closing
  EXPECT_EQ(prompts.Shown()[0].buttons, PromptYesNoCancel);
  EXPECT_EQ(language, 1);
  EXPECT_EQ(text, QStringLiteral("Connecting..."));
  EXPECT_EQ(Stored().value("Language").toInt(), 1);
  EXPECT_EQ(Stored().value("ComPort").toInt(), 3);
  EXPECT_EQ(Stored().value("LastWarning").toInt(), 45000);
}

TEST_F(StartupTest, UnsupportedPlatformStopsBeforeAnything) {
  StartupOptions o;
  o.platformKernel = QStringLiteral("os2");
  EXPECT_EQ(RunProgram(o), 0);
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].caption, QLatin1String(kOsErrorCaption));
  EXPECT_EQ(prompts.Shown()[0].text, QLatin1String(kOsErrorText));
  EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
  EXPECT_FALSE(QFile::exists(dir.filePath("settings/Tarn/2001.conf")));
  EXPECT_TRUE(PlatformSupported(QStringLiteral("winnt")));
  EXPECT_TRUE(PlatformSupported(QStringLiteral("linux")));
}

TEST_F(StartupTest, StoredLanguageOutOfRangeRunsInLanguageZero) {
  for (int stored : {-3, 2, 5}) {
    Stored().setValue("Language", stored);
    int language = -1;
    EXPECT_EQ(RunProgram(CloseAtFirstIdle([&] { language = CurrentLanguage; })), 0);
    EXPECT_EQ(language, 0) << stored;
  }
}

TEST_F(StartupTest, ClosingTheMainWindowDisconnectsAnOpenLink) {
  int openBefore = -1, openAfter = -1;
  StartupOptions o;
  o.beforeLoop = [&] {
    QTimer::singleShot(0, [&] {
      SerialLink->OpenLink();
      openBefore = SerialLink->IsLinkOpen();
      prompts.Answer(PromptNo);
      MainWindow()->close();
      openAfter = SerialLink->IsLinkOpen();
    });
  };
  EXPECT_EQ(RunProgram(o), 0);
  EXPECT_NE(openBefore, 0);
  EXPECT_EQ(openAfter, 0);
}

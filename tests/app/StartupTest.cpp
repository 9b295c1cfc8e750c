#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "AcquisitionStore.h"
#include "AppSettings.h"
#include "BrandProfile.h"
#include "Calibra.h"
#include "Cilindrata.h"
#include "Clock.h"
#include "Config.h"
#include "DataFolders.h"
#include "DemoData.h"
#include "EcuData.h"
#include "FileDialog.h"
#include "FormScarica.h"
#include "FormSplash.h"
#include "Language.h"
#include "Main.h"
#include "MainFixture.h"
#include "MessageSink.h"
#include "NumericEdit.h"
#include "OnScreen.h"
#include "Prompt.h"
#include "RoadMapping.h"
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
    if (auto* m = qobject_cast<QMainWindow*>(w); m && m->objectName() == QLatin1String("FormMain")) return m;
  return nullptr;
}

// Runs start-up with its settings store, instance name and temporary folder in a private
// folder, the prompts scripted and the clock fake.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    // The data folder is the working directory at start-up: an empty one of the test's own.
    ASSERT_TRUE(QDir().mkpath(DataFolder()));
    previousCurrent = QDir::currentPath();
    QDir::setCurrent(DataFolder());
    previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
    SelectBrand(kThisBuildBrandBit);
    // The first show asks for the fuel type; nobody answers it here, whatever ran before.
    SetFuelDialog(nullptr);
  }
  void TearDown() override {
    qputenv("TMPDIR", previousTmp);
    QDir::setCurrent(previousCurrent);
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
      idle = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                              [this] {
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

  QString DataFolder() const { return dir.filePath("data"); }
  QString InData(const QString& relative) const { return DataFolder() + QLatin1Char('/') + relative; }

  QTemporaryDir dir;
  QByteArray previousTmp;
  QString previousCurrent;
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts{&prompts};
  ScriptedFileDialogs fileDialogs;
  ScopedFileDialogs useFileDialogs{&fileDialogs};
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
    auto simulated =
        reinterpret_cast<SimulatedEcu* (*)(TSerialLink*)>(SerialModule->resolve("_SimulatedEcu"));
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
  EXPECT_TRUE(traceFolder.endsWith(QStringLiteral("/Acquisizioni/Temporanee"))) << traceFolder.toStdString();
  // The link is configured once, in this order, before anything else uses it.
  ASSERT_GE(configuration.size(), 5u);
  const SimOp order[] = {SimOp::SetLinkParamA, SimOp::SetLinkParamB, SimOp::SetScreen, SimOp::SetLinkParamC,
                         SimOp::SetLinkParamD};
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

// A workshop's first start in an empty data folder: the program makes the data folder's
// subfolders and writes nothing else there, shows the ECU's numbers without a status-text list,
// points the editor's dialogs at its folders, and a trace recorded in the editor is saved.
TEST_F(StartupTest, FirstStartInAnEmptyDataFolder) {
  QString version;
  std::vector<QString> initialDirs;
  QString calibrationFolder;
  std::vector<PromptRequest> shownAtStart;
  QByteArray trace;
  StartupOptions o = CloseAtFirstIdle([&] {
    shownAtStart = prompts.Shown();
    version = static_cast<TFormMain*>(MainWindow())->StatusBarMain->Text(TFormMain::PanelVersion);
    TFormConfig& config = *FormConfig;
    calibrationFolder = config.CalibrationFolder;
    // Comincia, three live ticks, Termina with its save dialog.
    config.MenuCominciaDrtClick();
    ASSERT_TRUE(config.IsRecording());
    for (int i = 0; i < 3; ++i) {
      clock.Advance(TFormConfig::kLiveTickMs);
      config.Timer1Timer();
    }
    fileDialogs.Choose(InData("Acquisizioni/prova.txt"));
    config.MenuTerminaDrtClick();
    QFile saved(InData("Acquisizioni/prova.txt"));
    if (saved.open(QIODevice::ReadOnly)) trace = saved.readAll();
    // The trace chart's open dialog and the acquired points' dialogs (cancelled).
    TFormConfig::SetTraceViewer([](QWidget*, const QString&) {});
    config.MenuGraficoClick();
    TFormConfig::SetTraceViewer(nullptr);
    config.Mapping()->MenuApriMappaturaClick();
    config.Mapping()->MenuSalvaMappaturaClick();
    for (const FileDialogRequest& r : fileDialogs.Shown()) initialDirs.push_back(r.initialDir);
  });
  o.createFormConfig = []() -> QWidget* { return FormConfig = new TFormConfig(nullptr); };
  EXPECT_EQ(RunProgram(o), 0);

  // Only the settings' first-run notice came before the loop: no folder trouble.
  EXPECT_EQ(shownAtStart.size(), 1u);
  QDir data(DataFolder());
  EXPECT_EQ(data.entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name),
            (QStringList{"Acquisizioni", "Configurazioni", "Programmazione", "Taratura"}));
  EXPECT_TRUE(QDir(InData("Programmazione")).isEmpty());  // no sample status-text list
  EXPECT_EQ(version, QStringLiteral("Versione software: 1.1"));
  EXPECT_EQ(initialDirs, std::vector<QString>(4, InData("Acquisizioni")));
  EXPECT_EQ(calibrationFolder, InData("Taratura"));
  const QList<QByteArray> lines = trace.split('\n');
  ASSERT_EQ(lines.size(), 5) << trace.toStdString();  // two header lines, three records
  EXPECT_TRUE(lines[0].startsWith("Ver. 1 ")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("TEMPO\tGIRI\t"));
  EXPECT_TRUE(lines[4].startsWith(QByteArray::number(3 * TFormConfig::kLiveTickMs) + '\t'));
  EXPECT_EQ(QDir(InData("Acquisizioni")).entryList(QDir::Files), QStringList{"prova.txt"});
}

TEST_F(StartupTest, ADataFolderThatCannotBeMadeIsReported) {
  QFile blocker(InData("Acquisizioni"));  // a file stands where the folder would go
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  bool running = false;
  EXPECT_EQ(RunProgram(CloseAtFirstIdle([&] { running = MainWindow()->isVisible(); })), 0);
  EXPECT_TRUE(running);
  std::vector<PromptRequest> reported;
  for (const PromptRequest& r : prompts.Shown())
    if (r.text.contains(QStringLiteral("cartella"))) reported.push_back(r);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].text, DataSubfolderErrorText({InData("Acquisizioni")}));
  EXPECT_TRUE(reported[0].text.contains(QDir::toNativeSeparators(InData("Acquisizioni"))));
  EXPECT_EQ(reported[0].icon, PromptIcon::Stop);
  EXPECT_EQ(reported[0].caption, QString::fromLatin1(GetBrandTitle()));
  EXPECT_TRUE(QFileInfo(InData("Taratura")).isDir());  // the others were made
}

// Recordings a killed run left without a name stay where they are, and every start says where,
// in the language of the settings; a saved trace is no concern of the notice.
TEST_F(StartupTest, RecordingsLeftWithoutANameArePointedOutAtTheNextStart) {
  const QString temporary = InData("Acquisizioni/Temporanee");
  ASSERT_TRUE(QDir().mkpath(temporary));
  const QStringList left = {temporary + "/__acqtmp0.txt", temporary + "/__acqtmp2.txt"};
  for (const QString& path : left + QStringList{InData("Acquisizioni/prova.txt")}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const std::pair<int, const char*> languages[] = {{0, "Acquisizioni in tempo reale rimaste senza nome"},
                                                   {1, "Real-time recordings left without a name"}};
  for (const auto& [language, start] : languages) {
    SCOPED_TRACE(language);
    Stored().setValue("Language", language);
    prompts.Clear();
    EXPECT_EQ(RunProgram(CloseAtFirstIdle(nullptr)), 0);
    std::vector<PromptRequest> notices;
    for (const PromptRequest& r : prompts.Shown())
      if (r.text.contains(QStringLiteral("__acqtmp"))) notices.push_back(r);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].text.startsWith(QString::fromUtf8(start))) << notices[0].text.toStdString();
    for (const QString& path : left) EXPECT_TRUE(notices[0].text.contains(QFileInfo(path).fileName() + "\n"));
    EXPECT_TRUE(notices[0].text.contains(QDir::toNativeSeparators(temporary)));
    EXPECT_FALSE(notices[0].text.contains(QStringLiteral("prova.txt")));
    EXPECT_EQ(notices[0].icon, PromptIcon::Warning);
    EXPECT_EQ(notices[0].caption, QString::fromLatin1(GetBrandTitle()));
    for (const QString& path : left) EXPECT_TRUE(QFile::exists(path));
  }
}

// Saves an earlier run had cut short left their siblings in the data folders: the start removes
// them, whatever file they belonged to, and nothing that only looks like one.
TEST_F(StartupTest, SiblingsOfSavesCutShortAreRemovedAtTheStart) {
  const QStringList siblings = {InData("Configurazioni/Polo.trm.AbCdEf.ecusave"),
                                InData("Configurazioni/Metano/Punto.trm.Gh1jKl.ecusave"),
                                InData("Acquisizioni/prova.txt.MnOpQr.ecusave"),
                                InData("Taratura/base.trm.StUvWx.ecusave")};
  const QStringList kept = {InData("Configurazioni/Polo.trm.backup"),
                            InData("Configurazioni/Polo.trm.AbCdEf")};
  for (const QString& path : siblings + kept) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(RunProgram(CloseAtFirstIdle(nullptr)), 0);
  for (const QString& path : siblings) EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
  for (const QString& path : kept) EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
}

// Every killed recording leaves one: the notice names the first few, says how many more lie in
// the folder and which folder that is, and fits a screen of 800 x 600 however many there are.
TEST_F(StartupTest, TheNoticeOfManyRecordingsNamesAFewAndFitsTheScreen) {
  const QString temporary = InData("Acquisizioni/Temporanee");
  ASSERT_TRUE(QDir().mkpath(temporary));
  const struct {
    int files;
    int named;
  } cases[] = {{6, 6}, {7, 5}, {100, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.files);
    for (int n = 0; n < c.files; ++n) {
      QFile file(temporary + QStringLiteral("/__acqtmp%1.txt").arg(n));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    prompts.Clear();
    EXPECT_EQ(RunProgram(CloseAtFirstIdle(nullptr)), 0);
    QString notice;
    for (const PromptRequest& r : prompts.Shown())
      if (r.text.contains(QStringLiteral("__acqtmp"))) notice = r.text;
    ASSERT_FALSE(notice.isEmpty());
    EXPECT_EQ(notice.count(QStringLiteral("__acqtmp")), c.named) << notice.toStdString();
    EXPECT_EQ(notice.contains(QStringLiteral("\n... e altre %1\n").arg(c.files - c.named)), c.named < c.files)
        << notice.toStdString();
    EXPECT_TRUE(notice.contains("\nnella cartella " + QDir::toNativeSeparators(temporary) + "\n"))
        << notice.toStdString();
    if (c.files < 100) continue;

    // The message box itself, as the program shows it; its picture goes beside the others.
    QDir::setCurrent(previousCurrent);
    QRect frame;
    OnNextModal([&](QDialog* box) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
      frame = box->frameGeometry();
      EXPECT_TRUE(box->grab().save(ScreenshotPath(QStringLiteral("unsaved-recordings")), "PNG"));
      if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        EXPECT_TRUE(box->screen()->availableGeometry().contains(frame)) << frame.height();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ShownAsDrawn(OnScreen(box), box, box) > 0.95; }));
        EXPECT_TRUE(box->screen()->grabWindow(0).save(
            ScreenshotPath(QStringLiteral("unsaved-recordings-screen")), "PNG"));
      }
      box->accept();
    });
    ScopedPrompts realBoxes(nullptr);
    ShowPrompt(nullptr, QStringLiteral("Tarn"), notice, PromptIcon::Warning);
    EXPECT_LE(frame.width(), 800);
    EXPECT_LE(frame.height(), 600);
  }
}

// The demo data folder as scripts/run.sh prepares it: TARATURA on the simulated vehicle opens
// the wizard at once, and with another displacement after the base map between the two nearest
// demo calibrations.
TEST_F(StartupTest, CalibrationWithTheDemoDataReachesTheWizard) {
  ASSERT_EQ(WriteDemoDataSet(DataFolder()), QStringList());
  std::vector<int> offered;
  int wizards = 0;
  int32_t map[12][12] = {};
  const auto run = [&](int cc) {
    OnNextModal([&, cc](QDialog* d) {
      auto* start = qobject_cast<TFormCilindrata*>(d);
      ASSERT_NE(start, nullptr);
      offered.push_back(start->EditCilindrata->GetInt());
      start->EditCilindrata->SetInt(cc);
      OnNextModal([&](QDialog* w) {
        auto* wizard = qobject_cast<TFormCalibra*>(w);
        ASSERT_NE(wizard, nullptr);
        ++wizards;
        wizard->ButtonEsci->click();
      });
      start->ButtonOk->click();
    });
    static_cast<TFormMain*>(MainWindow())->ActionTaraExecute();
  };
  StartupOptions o = CloseAtFirstIdle([&] {
    prompts.Clear();  // the settings' first-run notice
    run(1600);        // the simulated vehicle's own displacement: the present map
    run(1800);        // between the demo's 1600 and 2000 cc LPG calibrations
    std::memcpy(map, EcuData->Mappa, sizeof map);
  });
  EXPECT_EQ(RunProgram(o), 0);
  EXPECT_EQ(offered, (std::vector<int>{1600, 1600}));
  EXPECT_EQ(wizards, 2);
  QStringList errors;
  for (const PromptRequest& r : prompts.Shown())
    if (r.icon == PromptIcon::Stop) errors << r.text;
  EXPECT_EQ(errors, QStringList());

  TEcuData files("files");
  files.SetFileKey(GetBrandFileKey());
  int32_t a[12][12], b[12][12], rpm[12], mapAxis[12];
  const auto path = [&](int cc) {
    return QFile::encodeName(InData("Taratura/") + DemoCalibrationFileName({false, false, cc}));
  };
  ASSERT_TRUE(files.LoadMapOnly(path(1600).constData(), a, rpm, mapAxis));
  ASSERT_TRUE(files.LoadMapOnly(path(2000).constData(), b, rpm, mapAxis));
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) ASSERT_NEAR(map[r][c], (a[r][c] + b[r][c]) / 2.0, 1) << r << "," << c;
  EXPECT_LT(a[11][11], b[11][11]);  // the larger engine's map is longer
}

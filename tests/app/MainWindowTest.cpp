// The main window against the simulated ECU: first show, connect with its checks, the status
// panels, disconnect, reset, customer programming, the language menus, the entries, the close
// query and screenshots.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "ConfigFileFormat.h"
#include "FormCliente.h"
#include "FormSplash.h"
#include "Language.h"
#include "LayoutCheck.h"
#include "LinkPassText.h"
#include "MainFixture.h"
#include "OnScreen.h"
#include "TestPaths.h"
#include "WinColor.h"

namespace {

// Records, for every message box, whether the splash was on the screen when it opened.
class SplashWatchingPrompts final : public IPromptService {
 public:
  int Show(const PromptRequest& r) override {
    bool splashUp = false;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<TFormSplash*>(w) && w->isVisible()) splashUp = true;
    underSplash.push_back(splashUp);
    return inner.Show(r);
  }
  ScriptedPrompts inner;
  std::vector<bool> underSplash;
};

QString ShotPath(const char* name) {
  // Beside the other test results of the build (the tests run in the build folder).
  const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../test-results/screenshots");
  QDir().mkpath(dir);
  return QDir(dir).filePath(QLatin1String(name));
}

void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(content);
}

class MainWindowTest : public MainFixture {};

}  // namespace

TEST_F(MainWindowTest, FirstShowConnectsSilentlyAndFillsTheStatusBar) {
  Main().SkipReadAll = true;  // cleared by the first show
  TFormMain& w = Shown();
  EXPECT_TRUE(prompts.Shown().empty());
  EXPECT_TRUE(LinkOpen());
  EXPECT_EQ(w.windowTitle(), QString::fromLatin1(GetBrandTitle()));
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized) << w.windowState();
  EXPECT_TRUE(w.Interactive);
  // The whole configuration was read.
  EXPECT_EQ(ecu.CountCalls(SimOp::ReadRow, 0xC30E), 12);
  EXPECT_EQ(Panel(0), QStringLiteral("Centralina connessa"));
  EXPECT_EQ(Panel(1), QStringLiteral("Configurazione: ") + QString::fromLatin1(data.GetDescription()));
  // No status-text list in the programming folder (the program puts none there): the numbers.
  EXPECT_TRUE(QDir(dir.filePath("Programmazione")).isEmpty());
  EXPECT_EQ(Panel(2), QStringLiteral("Versione software: 1.1"));
  EXPECT_EQ(Panel(3), QStringLiteral("GPL"));
  EXPECT_FALSE(w.ActionConnetti->isEnabled());
  EXPECT_FALSE(w.MenuConnetti->isEnabled());
  EXPECT_TRUE(w.ActionDisconnetti->isEnabled());
  EXPECT_TRUE(w.ActionResetCpu->isEnabled());
  EXPECT_TRUE(w.MenuRileggi->isEnabled());
  // Entry 0 highlighted, the splash kept its minimum time (on the clock) and went at idle.
  EXPECT_EQ(w.FrecciaTag, 0);
  EXPECT_TRUE(w.LabelConfig->font().underline());
  EXPECT_GE(clock.GetTickCount() - w.SplashTick(), kSplashMinimumMs);
  EXPECT_EQ(w.OpenDialog1.InitialDir, dir.path() + QStringLiteral("/Configurazioni"));
  EXPECT_EQ(FormScarica->OpenDialogFile.InitialDir, dir.path() + QStringLiteral("/Programmazione"));
  EXPECT_EQ(w.OpenDialog1.Filter, QStringLiteral("Configurazione|*.trm"));
  EXPECT_TRUE(w.SaveDialog1.OverwritePrompt);
  EXPECT_STREQ(data.FileKey, GetBrandFileKey());
}

TEST_F(MainWindowTest, SilentConnectRefusalsStillSpeakAndNeverUnderTheSplash) {
  SplashWatchingPrompts watching;
  ScopedPrompts useWatching(&watching);
  ecu.SetIdentity(10, 3, 1, 1);  // an ECU of another type
  Main();
  ASSERT_NE(Main().Splash(), nullptr);
  Shown();
  std::vector<QString> texts;
  for (const PromptRequest& r : watching.inner.Shown()) texts.push_back(r.text);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], Joined(69, 55));
  EXPECT_EQ(texts[1], Main().ConnectionWarningText());
  EXPECT_EQ(texts[1],
            QString::fromUtf8("ATTENZIONE: non è stata rilevata la connessione con la centralina\n\n"
                              "- le modifiche apportate non avranno effetto in centralina\n"
                              "- prima di modificare i parametri stabilire la connessione (CTRL+C)"));
  for (const PromptRequest& r : watching.inner.Shown()) EXPECT_EQ(r.icon, PromptIcon::Stop);
  EXPECT_EQ(watching.underSplash, (std::vector<bool>{false, false}));
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(Panel(0), QStringLiteral("Centralina non connessa"));
  EXPECT_EQ(Panel(2), QString());
}

TEST_F(MainWindowTest, SilentConnectKeepsQuietAboutAMissingLink) {
  ecu.FailOpenLinks(1);
  Shown();
  // Only the connection warning of the first show.
  EXPECT_EQ(Asked(), (std::vector<QString>{Main().ConnectionWarningText()}));
  EXPECT_TRUE(Main().ActionConnetti->isEnabled());
  EXPECT_FALSE(Main().ActionResetCpu->isEnabled());
}

TEST_F(MainWindowTest, ConnectChecksIdentityCustomerAndFirmware) {
  struct Case {
    const char* name;
    int customer, type, word1, word2;
    bool refuseCustomerWrite;
    bool accepted;
    int message1, message2;  // the refusal's texts (0: none)
    int customerAfter;
  } cases[] = {
      {"right", 10, 10, 774, 0, false, true, 0, 0, 10},
      {"unset", 255, 10, 774, 774, false, true, 0, 0, 10},
      {"unset, write refused", 255, 10, 774, 774, true, false, 69, 55, 255},
      {"other customer", 0, 10, 774, 774, false, false, 69, 55, 0},
      {"other type", 10, 3, 774, 774, false, false, 69, 55, 10},
      {"newer firmware", 10, 10, 775, 774, false, false, 55, 70, 10},
      {"newer second word", 10, 10, 774, 775, false, false, 55, 70, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.Clear();
    ecu.SetIdentity(c.customer, c.type, 1, 1);
    ecu.SetVersionWords(c.word1, c.word2);
    ecu.SetWriteRefused(0x40, c.refuseCustomerWrite);
    ecu.ClearCalls();
    Connect();
    EXPECT_EQ(LinkOpen(), c.accepted);
    EXPECT_EQ(ecu.CustomerCode(), c.customerAfter);
    if (c.accepted) {
      EXPECT_TRUE(prompts.Shown().empty());
      EXPECT_EQ(Panel(0), Text(53));
      EXPECT_GT(ecu.CountCalls(SimOp::ReadRow), 0);
    } else {
      ASSERT_EQ(prompts.Shown().size(), 1u);
      EXPECT_EQ(prompts.Shown()[0].text, Joined(c.message1, c.message2));
      EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
      EXPECT_EQ(prompts.Shown()[0].caption, Main().windowTitle());
      EXPECT_EQ(Panel(0), Text(54));
      EXPECT_EQ(ecu.CountCalls(SimOp::ReadRow), 0);  // nothing of the configuration read
    }
    Main().ActionDisconnettiExecute();
    Pump();
  }
  // The unset code is written before the firmware is looked at.
  ecu.SetIdentity(255, 10, 1, 1);
  ecu.SetVersionWords(774, 774);
  ecu.ClearCalls();
  Connect();
  int write = -1, version = -1, i = 0;
  for (const SimCall& call : ecu.Calls()) {
    if (call.op == SimOp::WriteVariable && call.code == 0x40 && write < 0) write = i;
    if (call.op == SimOp::ReadVariable && call.code == 0x24C && version < 0) version = i;
    ++i;
  }
  EXPECT_GE(write, 0);
  EXPECT_LT(write, version);
}

TEST_F(MainWindowTest, NewerFirmwareWithItsBitWarnsOnceADay) {
  ecu.SetVersionWords(0x8307, 774);
  const QDate day(2024, 3, 5);
  {
    ScopedToday today(day);
    Connect();
    EXPECT_TRUE(LinkOpen());
    ASSERT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(prompts.Shown()[0].text, Joined(71, 70));
    EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Warning);
    EXPECT_EQ(settings->GetSetting(SettingLastWarning), DayNumber(day));
    Main().ActionDisconnettiExecute();
    Connect();
    EXPECT_EQ(prompts.Shown().size(), 1u);  // the same day: accepted without a word
    EXPECT_TRUE(LinkOpen());
  }
  ScopedToday tomorrow(day.addDays(1));
  Main().ActionDisconnettiExecute();
  Connect();
  EXPECT_EQ(prompts.Shown().size(), 2u);
  EXPECT_EQ(settings->GetSetting(SettingLastWarning), DayNumber(day) + 1);
}

TEST_F(MainWindowTest, ConnectWaitsForTheEcuButReadsALateOneAllTheSame) {
  for (const uint32_t delay : {5000u, 60000u}) {
    SCOPED_TRACE(delay);
    ecu.SetReadyDelay(delay);
    ecu.ClearCalls();
    const uint64_t before = clock.Slept();
    Connect();
    EXPECT_TRUE(LinkOpen());
    EXPECT_TRUE(prompts.Shown().empty());
    EXPECT_EQ(ecu.CountCalls(SimOp::ReadRow, 0xC30E), 12);
    const uint64_t waited = clock.Slept() - before;
    if (delay > 20000) {
      EXPECT_GE(waited, 20000u);  // the 20 s limit, then on
      EXPECT_LT(waited, 25000u);
    } else {
      EXPECT_GE(waited, delay);
    }
    Main().ActionDisconnettiExecute();
    Pump();
  }
}

TEST_F(MainWindowTest, ConnectFailuresOfTheLinkAndTheIdentity) {
  ecu.FailOpenLinks(1);
  Connect();
  EXPECT_EQ(Asked(), (std::vector<QString>{Joined(55, 57)}));
  EXPECT_FALSE(LinkOpen());

  prompts.Clear();
  ecu.SetNoAnswer(true);
  Connect();
  EXPECT_EQ(Asked(), (std::vector<QString>{Text(56)}));
  EXPECT_FALSE(LinkOpen());

  // Without messages (the silent connect) both stay quiet.
  prompts.Clear();
  Main().Interactive = false;
  Connect();
  ecu.SetNoAnswer(false);
  ecu.FailOpenLinks(1);
  Connect();
  EXPECT_TRUE(prompts.Shown().empty());
  EXPECT_FALSE(LinkOpen());
}

TEST_F(MainWindowTest, ConnectAndResetTakeTheirCursorAwayBeforeTheLastWord) {
  // The connect's cursor is up while the ECU is asked (a firmware warning comes under it), gone
  // before a refusal is said; no way out, the reset's included, leaves a cursor set.
  constexpr Qt::CursorShape none = Qt::ArrowCursor, busy = Qt::BusyCursor;
  const struct {
    const char* name;
    std::function<void()> arrange;
    std::vector<Qt::CursorShape> shapes;
    bool reset;
    QString said = {};  // the last message, when it matters which path was taken
  } cases[] = {
      {"connected", [] {}, {}, false},
      {"line not opened", [&] { ecu.FailOpenLinks(1); }, {none}, false},
      {"not identified", [&] { ecu.SetNoAnswer(true); }, {none}, false},
      {"other customer", [&] { ecu.SetIdentity(0, 10, 1, 1); }, {none}, false},
      {"unknown firmware", [&] { ecu.SetVersionWords(775, 774); }, {none}, false},
      {"firmware warned about", [&] { ecu.SetVersionWords(0x8307, 774); }, {busy}, false},
      {"read cut short",
       [&] { ecu.DropLinkAfter(60); },
       {none},
       false,
       PassFailureText(LinkTransfer::PassOutcome::LinkLost, PassAction::Read)},
      {"reset, then the save question cancelled", [&] { data.Changed = true; }, {none, none, none}, true},
  };
  Main();
  FirstIdle();  // the splash's start-up cursor goes
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReopenLink();
    ecu.SetNoAnswer(false);
    ecu.SetIdentity(10, 10, 1, 1);
    ecu.SetVersionWords(774, 774);
    settings->SetSetting(SettingLastWarning, 0);
    data.Changed = false;
    CursorWatchingPrompts watch;
    ScopedPrompts use(&watch);
    c.arrange();
    if (c.reset) {
      watch.inner.Answer(PromptYes);     // the reset
      watch.inner.Answer(PromptCancel);  // the connect's question about the unsaved changes
      Main().ActionResetCpuExecute();
    } else {
      Main().ActionDisconnettiExecute();
      Main().ActionConnettiExecute();
    }
    Pump();
    EXPECT_EQ(watch.shapes, c.shapes);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    if (!c.said.isEmpty()) {
      EXPECT_EQ(watch.inner.Shown().back().text, c.said);
    }
  }
}

TEST_F(MainWindowTest, SoftwareVersionPanelNamesTheModel) {
  ecu.SetIdentity(10, 10, 10, 3);
  Connect();
  EXPECT_EQ(Panel(2), QStringLiteral("Versione software: 3.10"));  // no list file
  Main().ActionDisconnettiExecute();
  Pump();
  EXPECT_EQ(Panel(2), QString());
  WriteFile(dir.filePath("Programmazione/Kiv2001.txt"), "3=Altro\r\n10=Sequenziale 4 cilindri\r\n");
  Connect();
  EXPECT_EQ(Panel(2), QStringLiteral("Versione software: 3 - Sequenziale 4 cilindri"));
}

TEST_F(MainWindowTest, FailedSaveLeavesTheStatusBarAsItWas) {
  Connect();
  data.SetDescription("Polo 1400");
  Pump();
  const QByteArray path(data.FilePath);
  ASSERT_EQ(Panel(1), QStringLiteral("Configurazione: Polo 1400"));
  QDir().mkpath(dir.filePath("Configurazioni/Golf.trm"));  // a folder stands where the file would go
  fileDialogs.Choose(dir.filePath("Configurazioni/Golf.trm"));
  Main().ActionSalvaExecute();
  Pump();
  EXPECT_EQ(Asked(), std::vector<QString>{QString::fromLatin1(kConfigFileErrorText)});
  EXPECT_EQ(Panel(1), QStringLiteral("Configurazione: Polo 1400"));
  EXPECT_STREQ(data.GetDescription(), "Polo 1400");
  EXPECT_EQ(QByteArray(data.FilePath), path);
}

TEST_F(MainWindowTest, DisconnectAndTheLinkMessages) {
  Connect();
  TFormMain& w = Main();
  w.ActionDisconnettiExecute();
  Pump();
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(Panel(0), Text(54));
  EXPECT_EQ(Panel(2), QString());
  EXPECT_TRUE(w.ActionConnetti->isEnabled());
  EXPECT_TRUE(w.MenuConnetti->isEnabled());
  EXPECT_FALSE(w.ActionDisconnetti->isEnabled());
  EXPECT_FALSE(w.ActionResetCpu->isEnabled());
  EXPECT_FALSE(w.MenuRileggi->isEnabled());

  // A value the window does not know only re-evaluates the reload item.
  w.ActionDisconnetti->setEnabled(true);
  ASSERT_TRUE(w.ActionDisconnetti->isEnabled());
  SendPrivateMessage(&w, WM_ECUCHANGED, 0, 7);
  EXPECT_TRUE(w.MenuRileggi->isEnabled());
  EXPECT_EQ(Panel(0), Text(54));

  // Description and fuel changes reach their panels.
  data.SetDescription("Polo 1400");
  SendPrivateMessage(&w, WM_ECUCHANGED, 0, EcuDescriptionChanged);
  EXPECT_EQ(Panel(1), QStringLiteral("Configurazione: Polo 1400"));
  data.Flag1 |= 0x02;
  SendPrivateMessage(&w, WM_ECUCHANGED, 0, EcuFuelChanged);
  EXPECT_EQ(Panel(3), QStringLiteral("Metano"));
}

TEST_F(MainWindowTest, ReconnectAskedByTheLinkKeepsTheDataSet) {
  Connect();
  data.Mappa[0][0] = 4321;
  ecu.SetIdentity(10, 10, 1, 7);
  ecu.ClearCalls();
  data.Changed = false;
  ecu.RequestReconnect();
  Pump();
  EXPECT_EQ(ecu.CountCalls(SimOp::ReadRow), 0);
  EXPECT_EQ(data.Mappa[0][0], 4321);
  EXPECT_TRUE(Panel(2).startsWith(QStringLiteral("Versione software: 7")));
  EXPECT_FALSE(Main().SkipReadAll);
}

TEST_F(MainWindowTest, ResetAcceptedRefusedOrNotWanted) {
  Connect();
  data.Changed = false;
  const uint64_t before = clock.Slept();
  prompts.Answer(PromptYes);
  Main().ActionResetCpuExecute();
  Pump();
  EXPECT_EQ(Asked(), (std::vector<QString>{Text(92), Text(94)}));
  EXPECT_EQ(prompts.Shown()[0].buttons, PromptYesNo);
  EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Question);
  EXPECT_EQ(prompts.Shown()[1].icon, PromptIcon::None);
  EXPECT_GE(clock.Slept() - before, 2000u);
  EXPECT_TRUE(LinkOpen());  // connected again

  prompts.Clear();
  ecu.ClearCalls();
  prompts.Answer(PromptNo);
  Main().ActionResetCpuExecute();
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteVariable, 2), 0);

  prompts.Clear();
  ecu.SetWriteRefused(2);
  prompts.Answer(PromptYes);
  Main().ActionResetCpuExecute();
  EXPECT_EQ(Asked(), (std::vector<QString>{Text(92), Joined(93, 57)}));
  EXPECT_EQ(prompts.Shown()[1].icon, PromptIcon::Stop);
}

TEST_F(MainWindowTest, CustomerProgrammingOverAnOpenOrAClosedLink) {
  auto choose = [](int index, bool ok) {
    OnNextModal([index, ok](QDialog* d) {
      auto* form = qobject_cast<TFormCliente*>(d);
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->ComboClienti->currentIndex(), 3);  // this build's customer
      form->ComboClienti->setCurrentIndex(index);
      (ok ? form->ButtonOk : form->ButtonAnnulla)->click();
    });
  };
  // Link open: the neutral customer leaves the ECU without a code.
  Connect();
  choose(12, true);
  Main().ActionProgrammaClienteExecute();
  EXPECT_EQ(ecu.CustomerCode(), 255);
  EXPECT_TRUE(prompts.Shown().empty());
  EXPECT_TRUE(LinkOpen());

  // Link closed: opened for the write and closed again.
  Main().ActionDisconnettiExecute();
  data.Identita[0] = 10;
  choose(3, true);
  Main().ActionProgrammaClienteExecute();
  EXPECT_EQ(ecu.CustomerCode(), 10);
  EXPECT_FALSE(LinkOpen());
  EXPECT_TRUE(prompts.Shown().empty());

  // Cancelled: nothing.
  ecu.ClearCalls();
  choose(12, false);
  Main().ActionProgrammaClienteExecute();
  EXPECT_EQ(ecu.CountCalls(SimOp::OpenLink), 0);

  // The link opens but the ECU does not connect: told, and the link is closed again.
  ecu.FailConnects(1);
  choose(12, true);
  Main().ActionProgrammaClienteExecute();
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(ecu.CustomerCode(), 10);
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].caption, QStringLiteral("Cambio cliente centralina"));
  EXPECT_EQ(prompts.Shown()[0].text,
            QStringLiteral("Impossibile settare il cliente: verificare il collegamento."));

  // A write the ECU refuses is told too.
  prompts.Clear();
  Connect();
  ecu.SetWriteRefused(0x40);
  choose(12, true);
  Main().ActionProgrammaClienteExecute();
  EXPECT_EQ(ecu.CustomerCode(), 10);
  EXPECT_EQ(prompts.Shown().size(), 1u);
}

TEST_F(MainWindowTest, EntriesByMouseAndKeyboard) {
  TFormMain& w = Shown();
  EXPECT_EQ(w.FrecciaTag, 0);
  QTest::keyClick(&w, Qt::Key_Up);  // entry 0: nothing
  EXPECT_EQ(w.FrecciaTag, 0);
  QTest::keyClick(&w, Qt::Key_Down);
  EXPECT_EQ(w.FrecciaTag, 1);
  EXPECT_FALSE(w.LabelConfig->font().underline());
  EXPECT_TRUE(w.LabelVisualizza->font().underline());
  EXPECT_EQ(w.LabelVisualizza->palette().color(QPalette::WindowText), WinColor(0x00FF00));
  EXPECT_EQ(w.LabelConfig->palette().color(QPalette::WindowText), WinColor(0xFFFFFF));
  EXPECT_EQ(w.LabelFreccia->y(), w.LabelVisualizza->y());
  w.LabelDiagnosi->hide();
  w.LabelRiprogrammaMouseMove(w.LabelTaratura);
  QTest::keyClick(&w, Qt::Key_Down);
  EXPECT_EQ(w.FrecciaTag, 4);  // the hidden entry is stepped over
  w.LabelRiprogrammaMouseMove(w.LabelTermina);
  QTest::keyClick(&w, Qt::Key_Down);  // the last entry: nothing
  EXPECT_EQ(w.FrecciaTag, 7);

  EXPECT_EQ(w.MenuActions[0], w.ActionConf);
  EXPECT_EQ(w.MenuActions[6], w.ActionProgramma);
  EXPECT_EQ(w.MenuActions[7], w.ActionEsci);

  // Layout: a client height of 550 gives rows of 50.
  w.setWindowState(Qt::WindowNoState);
  w.resize(800, 550 + w.menuWidget()->height());
  w.LabelDiagnosi->show();
  w.LayoutMenuLabels();
  EXPECT_EQ(w.RowHeight, 50);
  EXPECT_EQ(w.LabelMenu->y(), 16);
  EXPECT_EQ(w.LabelConfig->y(), 91);
  EXPECT_EQ(w.LabelRiprogramma->y(), 391);
  EXPECT_EQ(w.LabelTermina->y(), 466);

  // Return runs the selected entry's action: "ESCI" closes the window.
  data.Changed = false;
  QTest::keyClick(&w, Qt::Key_Return);
  EXPECT_FALSE(w.isVisible());
  w.show();
  w.LabelRiprogrammaClick(w.LabelTermina);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, ScreenScalingOfTheFirstShow) {
  Main().SetScreenWidth(1024);
  const int titleFont = Main().LabelMenu->font().pixelSize();
  Shown();
  EXPECT_EQ(Main().StatusBarMain->PanelWidth(0), 307);
  EXPECT_EQ(Main().StatusBarMain->PanelWidth(1), 364);
  EXPECT_EQ(Main().StatusBarMain->PanelWidth(2), 268);
  EXPECT_EQ(Main().StatusBarMain->PanelWidth(3), 64);
  EXPECT_EQ(Main().LabelMenu->font().pixelSize(), titleFont * 1024 / 800);
}

TEST_F(MainWindowTest, LinkPanelIsYellowOnlyWhileTheLinkIsClosed) {
  ecu.FailOpenLinks(1);
  TFormMain& w = Shown();
  auto colourInPanel0 = [&w] {
    const QRect r = w.StatusBarMain->PanelRect(0);
    return w.StatusBarMain->grab().toImage().pixelColor(r.right() - 4, r.center().y());
  };
  EXPECT_EQ(colourInPanel0(), WinColor(0x00FFFF));
  Connect();
  EXPECT_NE(colourInPanel0(), WinColor(0x00FFFF));
}

TEST_F(MainWindowTest, LanguageMenusSwitchTheTextsAtOnce) {
  ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("Languages")));
  ASSERT_EQ(LanguageCount, 2);
  settings->SetSetting(SettingLanguage, 1);
  TFormMain& w = Shown();
  ASSERT_EQ(w.PopupLanguageItems().size(), 2u);
  ASSERT_EQ(w.MenuLanguageItems().size(), 2u);
  EXPECT_EQ(w.PopupLanguageItems()[1]->objectName(), QStringLiteral("MenuPopup1"));
  EXPECT_EQ(w.MenuLanguageItems()[0]->objectName(), QStringLiteral("MenuLingua0"));
  EXPECT_EQ(w.MenuLanguageItems()[1]->text(), QStringLiteral("&English"));
  EXPECT_EQ(CurrentLanguage, 1);
  EXPECT_TRUE(w.PopupLanguageItems()[1]->isChecked());
  EXPECT_TRUE(w.MenuLanguageItems()[1]->isChecked());
  EXPECT_EQ(w.LabelMenu->text(), QStringLiteral("MAIN MENU"));
  EXPECT_EQ(Panel(0), QStringLiteral("ECU connected"));
  EXPECT_FALSE(Panel(2).startsWith(QStringLiteral("Versione")));
  // Qt's own texts (message-box buttons, Qt's dialogs) follow the language too.
  const auto qtYes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
  EXPECT_EQ(qtYes(), QStringLiteral("&Yes"));

  w.MenuLanguageItems()[0]->trigger();
  EXPECT_EQ(qtYes(), QStringLiteral("&S\u00EC"));
  EXPECT_EQ(CurrentLanguage, 0);
  EXPECT_EQ(settings->GetSetting(SettingLanguage), 0);
  EXPECT_TRUE(w.PopupLanguageItems()[0]->isChecked());
  EXPECT_FALSE(w.MenuLanguageItems()[1]->isChecked());
  EXPECT_EQ(w.LabelMenu->text(), QStringLiteral("MENU' PRINCIPALE"));
  EXPECT_EQ(Panel(0), QStringLiteral("Centralina connessa"));
  EXPECT_TRUE(Panel(2).startsWith(QStringLiteral("Versione software: 1")));
  // The title stays centred on its new width.
  EXPECT_EQ(w.LabelMenu->x(), (w.width() - w.LabelMenu->width()) / 2);
  InstallQtTranslations(QStringLiteral("/nonexistent"));
  FreeLanguageLibrary();
}

TEST_F(MainWindowTest, ClosingAsksToSaveAndDisconnects) {
  TFormMain& w = Shown();
  ASSERT_TRUE(data.Changed);  // what the connect read counts as unsaved
  prompts.Answer(PromptCancel);
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(LinkOpen());
  ASSERT_EQ(prompts.Shown().size(), 1u);
  EXPECT_EQ(prompts.Shown()[0].text, Text(72));
  prompts.Answer(PromptNo);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(LinkOpen());
}

TEST_F(MainWindowTest, AltQClosesTheWindow) {
  TFormMain& w = Shown();
  data.Changed = false;
  QTest::keyClick(&w, Qt::Key_Q, Qt::AltModifier);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, Screenshots) {
  ecu.FailOpenLinks(1);
  TFormMain& w = Shown();
  // At the design size where the screen is the design width; elsewhere as it was scaled and
  // maximised for its screen (a window laid out for a wider screen is not squeezed to 800).
  if (w.ScreenWidth() == 800) {
    w.setWindowState(Qt::WindowNoState);
    w.resize(800, 564);
  }
  w.LayoutMenuLabels();
  w.CentreMenuLabels();
  QImage shot = w.grab().toImage();
  EXPECT_TRUE(shot.save(ShotPath("main-not-connected.png"), "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(&w));
  Connect();
  w.LabelRiprogrammaMouseMove(w.LabelRiprogramma);
  shot = w.grab().toImage();
  EXPECT_TRUE(shot.save(ShotPath("main-connected.png"), "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(&w));
}

TEST_F(MainWindowTest, SilentConnectProgressShowsOnTheSplash) {
  Main();
  ProgressOnScreen watch(QStringLiteral("splash-connect"));
  Shown();
  ASSERT_TRUE(LinkOpen());
  ExpectFollowed(watch, "TFormSplash");
}

TEST_F(MainWindowTest, ConnectProgressReachesItsWaitWindow) {
  Shown();
  FirstIdle();
  Main().ActionDisconnettiExecute();
  Pump();
  ProgressOnScreen watch(QStringLiteral("wait-connect"));
  Connect();
  ASSERT_TRUE(LinkOpen());
  ExpectFollowed(watch, "TFormAttesa");
}

TEST_F(MainWindowTest, LoadProgressReachesItsWaitWindow) {
  Shown();
  FirstIdle();
  const QString file = dir.filePath("Configurazioni/Uno.") + QString::fromLatin1(GetBrandConfigExt());
  QDir().mkpath(dir.filePath("Configurazioni"));
  ASSERT_EQ(data.SaveConfiguration(QFile::encodeName(file).constData(), false), 1);
  data.Changed = false;
  fileDialogs.Choose(file);
  ProgressOnScreen watch(QStringLiteral("wait-load"));
  Main().ActionApriExecute();
  EXPECT_TRUE(prompts.Shown().empty());
  ExpectFollowed(watch, "TFormAttesa");
}

namespace {

// What the screen showed of the main window's title and status bar when the fuel question came.
std::vector<double> g_shownAtQuestion;

int RecordMainWindowOnScreen(QWidget* owner, int*) {
  TFormMain* main = qobject_cast<TFormMain*>(owner);
  if (!main) return 2;
  const QImage screen = OnScreen(main);
  g_shownAtQuestion = {ShownAsDrawn(screen, main, main->LabelMenu),
                       ShownAsDrawn(screen, main, main->StatusBarMain)};
  // For a person to look at: the whole screen as the question was about to open.
  if (QScreen* s = main->screen())
    s->grabWindow(0).save(ScreenshotPath(QStringLiteral("before-fuel-question-screen")), "PNG");
  return 2;  // cancelled: the fuel stays
}

}  // namespace

// The first show's fuel question opens over the main window as it draws itself, not over what
// the window system left of it while the silent connect blocked.
TEST_F(MainWindowTest, FuelQuestionOpensOverThePaintedMainWindow) {
  g_shownAtQuestion.clear();
  SetFuelDialog(&RecordMainWindowOnScreen);
  Shown();
  SetFuelDialog(nullptr);
  ASSERT_EQ(g_shownAtQuestion.size(), 2u);
  EXPECT_GE(g_shownAtQuestion[0], 0.98) << "title";
  EXPECT_GE(g_shownAtQuestion[1], 0.98) << "status bar";
}

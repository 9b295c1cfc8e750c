// The configuration editor's frame against the simulated ECU: page keys, the acquired-data
// guard, the shared Enter handlers, the limit hint, closing, the live tick, trace recording and
// the test functions.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "AcquisitionStore.h"
#include "Config.h"
#include "DurableFile.h"
#include "EcuValueCodes.h"
#include "FileDialog.h"
#include "FunctionKeyTabStrip.h"
#include "KeyComboBox.h"
#include "LayoutCheck.h"
#include "Modmappa.h"
#include "NumericEdit.h"
#include "PageFixture.h"
#include "ProcessRunner.h"
#include "SmallDisk.h"
#include "TraceReaderRule.h"

namespace {

// A page with a few fields of the binding table, as a page unit would build them.
class FieldsPage : public TConfigPage {
 public:
  FieldsPage(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
    auto* layout = new QVBoxLayout(this);
    auto edit = [&](const char* name) {
      auto* e = new TNumericEdit(this);
      e->setObjectName(name);
      layout->addWidget(e);
      return e;
    };
    fuoriGiri = edit("EditFuoriGiri");
    ritMin = edit("EditRitMin");
    readOnly = edit("EditFasciaMin");
    readOnly->setReadOnly(true);
    noHint = edit("EditSenzaLimite");
    noHint->setProperty("limitHint", false);
    accensione = new TKeyComboBox(this);
    accensione->setObjectName("ComboAccensione");
    accensione->addItems(
        {"3 Cilindri", "4 Cilindri", "5 Cilindri", "6 Cilindri", "8 Cilindri", "Bibobina", "Monobobina"});
    layout->addWidget(accensione);
  }
  void PageShow() override {
    ++shows;
    fuoriGiri->SetDouble(EcuData->GetValue(0x213));
    ritMin->SetDouble(EcuData->GetValue(0x11));
    accensione->setCurrentIndex(static_cast<int>(EcuData->GetValue(0x14)));
    fuoriGiri->setFocus();
  }
  void AfterSharedEnter(QWidget* sender) override { afterEnter.append(sender->objectName()); }
  void Translate() override { ++translations; }
  void LiveTick(const TLivePanel&, bool active) override {
    ++ticks;
    if (active) ++activeTicks;
  }

  TNumericEdit* fuoriGiri = nullptr;
  TNumericEdit* ritMin = nullptr;
  TNumericEdit* readOnly = nullptr;
  TNumericEdit* noHint = nullptr;
  TKeyComboBox* accensione = nullptr;
  QStringList afterEnter;
  int shows = 0;
  int translations = 0;
  int ticks = 0;
  int activeTicks = 0;
};

TConfigPage* TestPages(TFormConfig* form, ConfigPageId id) {
  if (id == TabCambio) return new FieldsPage(form, id);
  return CreateConfigPage(form, id);
}

class ConfigFormTest : public PageFixture {
 protected:
  ConfigFormTest() : PageFixture(TestPages) {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(PageFixture::SetUp());
    form_->SetAcquisitionFolder(traceDir_.path());
    page_ = static_cast<FieldsPage*>(form_->Page(TabCambio));
  }

  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : form_.get(), static_cast<Qt::Key>(key), mods);
  }
  QLabel* Label(const char* name) { return form_->findChild<QLabel*>(name); }
  QString TempFolder() const { return TTraceRecorder::TempFolderFor(traceDir_.path()); }
  QStringList TempFiles() const { return QDir(TempFolder()).entryList({"__acqtmp*.txt"}, QDir::Files); }

  QTemporaryDir traceDir_;
  ScriptedFileDialogs dialogs_;
  ScopedFileDialogs useDialogs_{&dialogs_};
  FieldsPage* page_ = nullptr;
};

}  // namespace

TEST_F(ConfigFormTest, FunctionKeysAndPageKeysWalkTheVisiblePages) {
  ASSERT_TRUE(data_.HasDatiAggiuntivi);
  EXPECT_EQ(form_->ActivePage(), TabCambio);
  EXPECT_FALSE(form_->IsPageVisible(TabAdattativita));
  EXPECT_TRUE(form_->IsPageVisible(TabCorrezioni));
  EXPECT_EQ(form_->PageControl()->TabText(6), "F7  Correggi Mappa");
  const struct {
    int key;
    Qt::KeyboardModifiers mods;
    ConfigPageId from, to;
  } cases[] = {
      {Qt::Key_F5, Qt::NoModifier, TabCambio, TabCutoff},
      {Qt::Key_F1, Qt::NoModifier, TabCutoff, TabCambio},
      {Qt::Key_F12, Qt::NoModifier, TabCambio, TabVettori},
      // The hidden per-cell adaptivity page is skipped both ways.
      {Qt::Key_PageDown, Qt::NoModifier, TabVettori, TabAdatta},
      {Qt::Key_PageUp, Qt::NoModifier, TabAdatta, TabVettori},
      {Qt::Key_PageDown, Qt::ControlModifier, TabLambda, TabCorrezioni},
      {Qt::Key_PageDown, Qt::NoModifier, TabCorrezioni, TabCambio},  // wraps
      {Qt::Key_PageUp, Qt::NoModifier, TabCambio, TabCorrezioni},
      {Qt::Key_PageUp, Qt::ControlModifier, TabPressione, TabCambio},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    form_->SetActivePage(c.from);
    Key(c.key, c.mods);
    EXPECT_EQ(form_->ActivePage(), c.to);
  }
  // Alt+F4 is not a page key.
  form_->SetActivePage(TabLambda);
  Key(Qt::Key_F4, Qt::AltModifier);
  EXPECT_EQ(form_->ActivePage(), TabLambda);

  // Without the additional data the corrections page has no tab: F-keys count past it and
  // Ctrl+PageDown ends on the pressure page.
  data_.HasDatiAggiuntivi = false;
  form_->hide();
  form_->show();
  EXPECT_FALSE(form_->IsPageVisible(TabCorrezioni));
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(form_->ActivePage(), TabPressione);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(form_->ActivePage(), TabCambio);
}

TEST_F(ConfigFormTest, ShowingAPageReloadsItsFields) {
  form_->SetActivePage(TabLambda);
  const int shows = page_->shows;
  data_.FuoriGiri = 6200;  // changed behind the page's back
  Key(Qt::Key_F1);
  EXPECT_EQ(page_->shows, shows + 1);
  EXPECT_EQ(page_->fuoriGiri->text(), "6200");
}

TEST_F(ConfigFormTest, AcquiredDataGuardOnPageChangeAndClose) {
  form_->SetActivePage(TabMappa);
  dati_.Add(2000, 2.0, 3000, 0);
  ASSERT_TRUE(dati_.IsChanged());

  // No: the map page stays and so do the samples.
  prompts_.Answer(PromptNo);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(form_->ActivePage(), TabMappa);
  EXPECT_EQ(dati_.Count(), 1);
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Procedendo i dati acquisiti verranno persi. Continuare ? ");
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Question);
  EXPECT_EQ(prompts_.Shown()[0].buttons, PromptYesNo);
  EXPECT_EQ(prompts_.Shown()[0].caption, form_->windowTitle());
  // A click on another tab asks the same.
  prompts_.Answer(PromptNo);
  const QPoint tab = form_->PageControl()->TabRect(0).center();
  QTest::mouseClick(form_->PageControl(), Qt::LeftButton, {}, tab);
  EXPECT_EQ(form_->ActivePage(), TabMappa);
  // Closing (Esc) with No keeps the form open.
  prompts_.Answer(PromptNo);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(prompts_.Shown().size(), 3u);

  // Yes: the samples and their grid are cleared and the change goes on.
  prompts_.Answer(PromptYes);
  Key(Qt::Key_F1);
  EXPECT_EQ(form_->ActivePage(), TabCambio);
  EXPECT_EQ(dati_.Count(), 0);
  EXPECT_FALSE(dati_.IsChanged());
  EXPECT_FALSE(dati_.IsCellaOccupata(7, 3));

  // Off the map page the guard asks nothing.
  dati_.Add(2000, 2.0, 3000, 0);
  Key(Qt::Key_F2);
  EXPECT_EQ(form_->ActivePage(), TabLambda);
  EXPECT_EQ(prompts_.Shown().size(), 4u);
}

TEST_F(ConfigFormTest, EscClosesThroughTheGuardAndStopsTheTick) {
  form_->StartLiveTimer();
  ASSERT_TRUE(form_->IsLiveTimerActive());
  form_->SetActivePage(TabMappa);
  dati_.Add(2000, 2.0, 3000, 0);
  prompts_.Answer(PromptYes);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(form_->isVisible());
  EXPECT_FALSE(form_->IsLiveTimerActive());
  EXPECT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(dati_.Count(), 0);
}

TEST_F(ConfigFormTest, EnterWritesTheValueCodeAndShowsTheValueReadBack) {
  // The binding table gave the field its code and limits.
  EXPECT_EQ(page_->fuoriGiri->DataCode(), 0x213);
  EXPECT_EQ(page_->fuoriGiri->MaxValue(), 7500);
  EXPECT_EQ(page_->fuoriGiri->MinValue(), 4500);
  EXPECT_EQ(page_->fuoriGiri->GetPrecision(), 50);
  EXPECT_EQ(page_->noHint->DataCode(), -1);

  // 8000 is limited to 7500 by the field, written, and shown as read back.
  Enter(page_->fuoriGiri, "8000");
  EXPECT_EQ(ecu_.Stored(0x213), 7500);
  EXPECT_EQ(data_.FuoriGiri, 7500);
  EXPECT_EQ(page_->fuoriGiri->text(), "7500");
  EXPECT_EQ(CountCalls(SimOp::WriteVariable, 0x213), 1);
  EXPECT_TRUE(data_.Changed);
  EXPECT_EQ(page_->afterEnter, QStringList({"EditFuoriGiri"}));
  Enter(page_->ritMin, "12");
  EXPECT_EQ(ecu_.Stored(0x11), 12);

  // A field without a code writes nothing.
  ecu_.ClearCalls();
  Enter(page_->noHint, "5");
  EXPECT_EQ(ecu_.CountCalls(SimOp::WriteVariable), 0);
}

TEST_F(ConfigFormTest, ARefusedWriteShowsTheStoredValueAgain) {
  const int held = data_.FuoriGiri;
  ASSERT_NE(held, 5000);
  ecu_.SetWriteRefused(0x213);
  Enter(page_->fuoriGiri, "5000");
  EXPECT_EQ(CountCalls(SimOp::WriteVariable, 0x213), 1);
  EXPECT_EQ(data_.FuoriGiri, held);
  EXPECT_EQ(page_->fuoriGiri->text(), QString::number(held));

  // The same for an option list.
  const int ignition = static_cast<int>(data_.GetValue(0x14));
  ecu_.SetWriteRefused(0x14);
  page_->accensione->setCurrentIndex(ignition == 2 ? 3 : 2);
  form_->ComboTipoLambdaKeyPress(page_->accensione);
  EXPECT_EQ(page_->accensione->currentIndex(), ignition);
}

TEST_F(ConfigFormTest, IgnitionListWritesTheCylinderCodes) {
  const struct {
    int index;
    int cylinderWrites;
    int cylinders;  // value of code 0x3000034 afterwards
  } cases[] = {{1, 1, 4}, {4, 1, 8}, {5, 1, 2}, {6, 0, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    ecu_.ClearCalls();
    page_->accensione->setCurrentIndex(c.index);
    form_->ComboTipoLambdaKeyPress(page_->accensione);
    EXPECT_EQ(data_.GetValue(0x14), c.index);
    EXPECT_EQ(CountCalls(SimOp::WriteVariable, 0x3000034), c.cylinderWrites);
    EXPECT_EQ(data_.GetValue(0x3000034), c.cylinders);
    EXPECT_EQ(data_.GetValue(0x3300034), 1);
  }
  // An empty list writes nothing.
  ecu_.ClearCalls();
  page_->accensione->clear();
  form_->ComboTipoLambdaKeyPress(page_->accensione);
  EXPECT_EQ(ecu_.CountCalls(SimOp::WriteVariable), 0);
}

TEST_F(ConfigFormTest, ConfirmedListChoiceGoesThroughTheSharedHandler) {
  page_->accensione->setCurrentIndex(1);
  page_->accensione->setFocus();
  QTest::keyClick(page_->accensione, Qt::Key_Return);  // unchanged: opens the list
  ASSERT_TRUE(page_->accensione->DroppedDown());
  EXPECT_EQ(data_.GetValue(0x14), 1);  // an Enter that opens the list writes nothing
  QTest::keyClick(page_->accensione, Qt::Key_Down);
  QTest::keyClick(page_->accensione, Qt::Key_Down);
  QTest::keyClick(page_->accensione, Qt::Key_Return);
  EXPECT_FALSE(page_->accensione->DroppedDown());
  EXPECT_EQ(data_.GetValue(0x14), 3);
  EXPECT_EQ(data_.GetValue(0x3000034), 6);
  EXPECT_TRUE(page_->afterEnter.contains("ComboAccensione"));
}

TEST_F(ConfigFormTest, LimitHintFollowsTheFocus) {
  QLabel* hint = form_->LimitHint();
  page_->fuoriGiri->setFocus();
  EXPECT_TRUE(hint->isVisible());
  EXPECT_EQ(hint->text(), "(4500;7500)");
  EXPECT_EQ(hint->parentWidget(), page_);
  // A read-only field shows none; leaving the field hides it.
  page_->readOnly->setFocus();
  EXPECT_FALSE(hint->isVisible());
  page_->ritMin->setFocus();
  EXPECT_EQ(hint->text(), "(0;250)");
  page_->noHint->setFocus();
  EXPECT_FALSE(hint->isVisible());
}

TEST_F(ConfigFormTest, LiftingTheLimits) {
  page_->fuoriGiri->SetMaxLength(4);
  form_->MenuSbloccaLimitiClick();
  EXPECT_TRUE(form_->MenuSbloccaLimiti->isChecked());
  EXPECT_TRUE(page_->fuoriGiri->DisableLimit());
  Enter(page_->fuoriGiri, "12000");
  EXPECT_EQ(page_->fuoriGiri->text(), "12000");
  EXPECT_EQ(ecu_.Stored(0x213), 12000);
  // Unchecked: the range applies again, the longer length stays.
  form_->MenuSbloccaLimitiClick();
  EXPECT_FALSE(page_->fuoriGiri->DisableLimit());
  EXPECT_GT(page_->fuoriGiri->MaxLength(), 5);
  Enter(page_->fuoriGiri, "12000");
  EXPECT_EQ(page_->fuoriGiri->text(), "7500");
}

TEST_F(ConfigFormTest, LiveTickShowsTheEnginesValues) {
  ecu_.StartEngine();
  for (int i = 0; i < 10; ++i) Tick();
  const LiveDataRecord& rec = form_->Live().Record();
  EXPECT_GT(rec.rpm, 0);
  EXPECT_EQ(Label("LabGiri")->text(), QString::number(rec.rpm) + "rpm");
  EXPECT_FALSE(Label("LabTemp")->text().isEmpty());  // the 10th tick refreshed it
  EXPECT_EQ(Label("LabLambda2")->isVisibleTo(form_.get()), data_.IsDoppiaSonda());
  EXPECT_EQ(page_->ticks, 10);
  EXPECT_EQ(page_->activeTicks, 10);
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadPacket), 10);
  // With the link closed nothing is read and the panel keeps its values.
  const QString rpm = Label("LabGiri")->text();
  link_.Disconnect();
  ecu_.ClearCalls();
  Tick();
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadPacket), 0);
  EXPECT_EQ(Label("LabGiri")->text(), rpm);
}

TEST_F(ConfigFormTest, RecordsATraceThatTheReaderAccepts) {
  ecu_.StartEngine();
  for (bool twoProbes : {false, true}) {
    SCOPED_TRACE(twoProbes);
    data_.Identita[2] = twoProbes ? 1 : 0;
    data_.Flag1 &= ~0x04;
    form_->MenuCominciaDrtClick();
    EXPECT_TRUE(form_->IsRecording());
    EXPECT_FALSE(form_->MenuCominciaDrt->isEnabled());
    EXPECT_TRUE(form_->MenuTerminaDrt->isEnabled());
    for (int i = 0; i < 4; ++i) Tick();
    const QString target = traceDir_.filePath(twoProbes ? "due.txt" : "una.txt");
    dialogs_.Choose(target);
    form_->MenuTerminaDrtClick();
    EXPECT_FALSE(form_->IsRecording());
    EXPECT_TRUE(form_->MenuCominciaDrt->isEnabled());
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const auto check = trace_rule::Check(bytes);
    EXPECT_TRUE(check.accepted) << bytes.constData();
    EXPECT_EQ(check.format, twoProbes ? 2 : 1);
    EXPECT_EQ(check.records, 4);
    EXPECT_TRUE(bytes.contains("\r\n170\t"));
    EXPECT_TRUE(TempFiles().isEmpty());
  }
  ASSERT_EQ(dialogs_.Shown().size(), 2u);
  EXPECT_TRUE(dialogs_.Shown()[0].save);
  EXPECT_TRUE(dialogs_.Shown()[0].overwritePrompt);
  EXPECT_EQ(dialogs_.Shown()[0].title, "Salva acquisizione con nome...");
  EXPECT_EQ(dialogs_.Shown()[0].defaultExt, "txt");
}

TEST_F(ConfigFormTest, TraceCancelAndATargetThatCannotBeReplaced) {
  // Cancel deletes the temporary file.
  form_->MenuCominciaDrtClick();
  ASSERT_EQ(TempFiles(), QStringList({"__acqtmp0.txt"}));
  Tick();
  dialogs_.Cancel();
  form_->MenuTerminaDrtClick();
  EXPECT_TRUE(TempFiles().isEmpty());

  // A target that cannot be replaced: the message, the dialog again, the trace kept.
  ASSERT_TRUE(QDir(traceDir_.path()).mkpath("occupato.txt"));
  form_->MenuCominciaDrtClick();
  Tick();
  dialogs_.Choose(traceDir_.filePath("occupato.txt"));
  dialogs_.Choose(traceDir_.filePath("libero.txt"));
  form_->MenuTerminaDrtClick();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_TRUE(prompts_.Shown()[0].text.startsWith("Il file esistente non può essere sovrascritto."));
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
  EXPECT_EQ(dialogs_.Shown().size(), 3u);
  EXPECT_TRUE(QFile::exists(traceDir_.filePath("libero.txt")));
  EXPECT_TRUE(QFileInfo(traceDir_.filePath("occupato.txt")).isDir());
  EXPECT_TRUE(TempFiles().isEmpty());

  // After a failed save a cancel keeps the trace where the message said.
  form_->MenuCominciaDrtClick();
  dialogs_.Choose(traceDir_.filePath("occupato.txt"));
  dialogs_.Cancel();
  form_->MenuTerminaDrtClick();
  ASSERT_EQ(TempFiles().size(), 1);
  EXPECT_TRUE(prompts_.Shown().back().text.contains(QDir::toNativeSeparators(TempFolder() + "/__acqtmp")));
  // The save dialog, which opens on the last name chosen or else on the acquisitions, never
  // lists the temporary file while the user names the trace.
  for (const FileDialogRequest& shown : dialogs_.Shown()) {
    const QString listed = shown.fileName.isEmpty() ? shown.initialDir
                                                    : QFileInfo(shown.fileName).absolutePath();
    EXPECT_EQ(QDir(listed).entryList({"*.txt"}, QDir::Files).filter("__acqtmp"), QStringList())
        << listed.toStdString();
  }
}

// A trace saved on a full disk or into a read-only folder: the message names the file the
// recording stays in, a cancel keeps it there, and an older trace at the chosen name stays as it
// was. A recording whose own file runs out of room says so when it stops.
TEST_F(ConfigFormTest, ATraceThatFindsNoRoomIsKeptAndTheOldFileStays) {
  SmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const QString target = disk.FilePath("prova.txt");
  form_->MenuCominciaDrtClick();
  Tick();
  dialogs_.Choose(target);
  form_->MenuTerminaDrtClick();
  QByteArray before;
  ASSERT_TRUE(ReadWholeFile(target, &before));
  for (SmallDisk::State state : kNoRoomStates) {
    SCOPED_TRACE(SmallDisk::Name(state));
    prompts_.Clear();
    form_->MenuCominciaDrtClick();
    for (int i = 0; i < 3; ++i) Tick();
    disk.Enter(state);
    dialogs_.Choose(target);
    dialogs_.Choose(disk.FilePath("nuova.txt"));
    dialogs_.Cancel();
    form_->MenuTerminaDrtClick();
    disk.Leave(state);
    ASSERT_EQ(prompts_.Shown().size(), 2u);
    EXPECT_TRUE(prompts_.Shown()[0].text.startsWith("Il file esistente non può essere sovrascritto."));
    EXPECT_TRUE(prompts_.Shown()[1].text.startsWith("Impossibile scrivere il file "));
    ASSERT_EQ(TempFiles().size(), 1);
    const QString kept = QDir(TempFolder()).filePath(TempFiles()[0]);
    for (const PromptRequest& p : prompts_.Shown())
      EXPECT_TRUE(p.text.endsWith(QDir::toNativeSeparators(kept)));
    QByteArray trace;
    ASSERT_TRUE(ReadWholeFile(kept, &trace));
    EXPECT_EQ(trace_rule::Check(trace).records, 3);
    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(target, &after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files), QStringList{"prova.txt"});
    QFile::remove(kept);
  }

  form_->SetAcquisitionFolder(disk.Path());
  prompts_.Clear();
  form_->MenuCominciaDrtClick();
  disk.Fill();
  // Records reach the disk as they come: enough of them to need more room than the block the
  // file already holds.
  for (int i = 0; i < 300; ++i) Tick();
  dialogs_.Cancel();
  form_->MenuTerminaDrtClick();
  disk.Free();
  ASSERT_FALSE(prompts_.Shown().empty());
  EXPECT_TRUE(prompts_.Shown()[0].text.startsWith("Errore di scrittura dell'acquisizione"));
}

TEST_F(ConfigFormTest, ClosingStopsARecordingWithItsSaveDialog) {
  form_->MenuCominciaDrtClick();
  Tick();
  dialogs_.Choose(traceDir_.filePath("chiusura.txt"));
  form_->reject();
  EXPECT_FALSE(form_->isVisible());
  EXPECT_FALSE(form_->IsRecording());
  EXPECT_TRUE(QFile::exists(traceDir_.filePath("chiusura.txt")));
}

TEST_F(ConfigFormTest, ATemporaryFileThatCannotBeMadeIsReported) {
  // A folder that cannot be made: its parent is a file.
  QFile file(traceDir_.filePath("file"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  form_->SetAcquisitionFolder(file.fileName());
  form_->MenuCominciaDrtClick();
  EXPECT_FALSE(form_->IsRecording());
  EXPECT_TRUE(form_->MenuCominciaDrt->isEnabled());
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
}

TEST_F(ConfigFormTest, ComposerGetsThePortWhileTheLinkIsClosed) {
  QTemporaryDir dir;
  const QString program = dir.filePath("VoviDiroRI");
  QFile(program).open(QIODevice::WriteOnly);
  form_->SetComposerProgram(program);
  ScriptedProcessRunner runner;
  ScopedProcessRunner useRunner(&runner);
  std::vector<bool> openDuringRun;
  std::vector<bool> tickingDuringRun;
  runner.onRun = [&] {
    openDuringRun.push_back(link_.IsLinkOpen() != 0);
    tickingDuringRun.push_back(form_->IsLiveTimerActive());
  };

  // Open link: closed for the run, opened again afterwards; the live tick rests meanwhile.
  ASSERT_TRUE(link_.IsLinkOpen());
  form_->StartLiveTimer();
  form_->MenuComunicazioneSerialeCostruitaClick();
  EXPECT_EQ(tickingDuringRun, std::vector<bool>{false});
  EXPECT_TRUE(form_->IsLiveTimerActive());
  form_->StopLiveTimer();
  ASSERT_EQ(runner.Runs().size(), 1u);
  EXPECT_EQ(runner.Runs()[0].program, program);
  EXPECT_EQ(runner.Runs()[0].arguments, QStringList({link_.GetPortName(), "9600,n,8,1"}));
  EXPECT_EQ(openDuringRun, std::vector<bool>{false});
  EXPECT_TRUE(link_.IsLinkOpen());
  // Closed link: it stays closed.
  link_.Disconnect();
  form_->MenuComunicazioneSerialeCostruitaClick();
  EXPECT_EQ(runner.Runs().size(), 2u);
  EXPECT_FALSE(link_.IsLinkOpen());
  EXPECT_TRUE(prompts_.Shown().empty());
  // A start failure is reported and the link reopened.
  link_.Connect();
  runner.Answer(false);
  form_->MenuComunicazioneSerialeCostruitaClick();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Impossibile eseguire il modulo di composizione messaggi seriali");
  EXPECT_TRUE(link_.IsLinkOpen());
  // A missing program: the message, nothing started, the link as it was.
  form_->SetComposerProgram(dir.filePath("manca"));
  form_->MenuComunicazioneSerialeCostruitaClick();
  EXPECT_EQ(runner.Runs().size(), 3u);
  EXPECT_EQ(prompts_.Shown().back().text,
            "Impossibile individuare il modulo di composizione messaggi seriali");
  EXPECT_TRUE(link_.IsLinkOpen());
}

TEST_F(ConfigFormTest, DifferentialPressureSwitch) {
  EXPECT_TRUE(form_->MenuPressDiff->isChecked());
  form_->MenuPressDiffClick();
  EXPECT_FALSE(form_->MenuPressDiff->isChecked());
  ecu_.StartEngine();
  Tick();
  const LiveDataRecord& r = form_->Live().Record();
  EXPECT_EQ(form_->Live().Values().pressure,
            CalcPressioneGas(r.pressure, r.map, false, data_.HasDatiAggiuntivi));
}

TEST_F(ConfigFormTest, ScreenshotConnectedToTheSimulator) {
  ecu_.StartEngine();
  form_->resize(1000, 640);
  form_->SetActivePage(TabMappa);
  for (int i = 0; i < 20; ++i) Tick();
  QDir().mkpath("test-results/screenshots");
  const QImage shot = form_->grab().toImage();
  EXPECT_TRUE(shot.save("test-results/screenshots/editor_simulator.png"));
  EXPECT_TRUE(ControlsKeepLayout(form_.get()));
}

TEST_F(ConfigFormTest, TranslationLoadsTextsAndKeepsDesignTextsTheLanguageLacks) {
  form_->TranslateConfigForm();
  EXPECT_EQ(form_->windowTitle(), "Configurazione veicolo");
  EXPECT_EQ(form_->PageControl()->Caption(TabMappa), "Correggi Mappa");
  EXPECT_EQ(form_->PageControl()->Caption(TabPressione), "Pressione");
  EXPECT_EQ(form_->PageControl()->Caption(TabCorrezioni), "Correzioni");
  EXPECT_EQ(form_->MenuEsci->text(), "&Esci");
  EXPECT_EQ(form_->MenuTest->title(), "&Funzioni di test");
  // Not in the language's table: the design caption stays.
  EXPECT_EQ(form_->MenuCominciaDrt->text(), "&Comincia");
  EXPECT_EQ(form_->FormModMappa()->windowTitle(), "Variazione cella");
  EXPECT_EQ(form_->Text(305), "Le aree di copia ed incolla hanno dimensioni diverse.");
  EXPECT_EQ(form_->Text(9999, "riserva"), "riserva");
  EXPECT_EQ(page_->translations, 1);
}

TEST_F(ConfigFormTest, SpaceOnTheMapPageTakesARoadMappingSample) {
  // The road-mapping menu items, as their unit adds them.
  auto* acquire = new QAction("Acquisisci", form_.get());
  acquire->setObjectName("MenuAcqMappatura");
  acquire->setEnabled(false);
  auto* petrol = new QAction("Usa benzina", form_.get());
  petrol->setObjectName("MenuUsaBenzina");
  int samples = 0;
  QObject::connect(acquire, &QAction::triggered, [&] { ++samples; });

  Key(Qt::Key_Space);  // neither mapping mode nor the map page: no sample
  EXPECT_EQ(samples, 0);
  EXPECT_TRUE(form_->SpacePressed);
  EXPECT_TRUE(petrol->isEnabled());
  form_->SetActivePage(TabMappa);
  Key(Qt::Key_Space);
  EXPECT_EQ(samples, 1);
  EXPECT_FALSE(petrol->isEnabled());
  // In mapping mode Space samples on any page.
  form_->SetActivePage(TabLambda);
  acquire->setEnabled(true);
  Key(Qt::Key_Space);
  EXPECT_EQ(samples, 2);
}

TEST_F(ConfigFormTest, TraceViewerGetsTheNameSavedLast) {
  QStringList shown;
  TFormConfig::SetTraceViewer([&](QWidget*, const QString& file) { shown.append(file); });
  form_->MenuCominciaDrtClick();
  const QString saved = traceDir_.filePath("vista.txt");
  dialogs_.Choose(saved);
  form_->MenuTerminaDrtClick();
  dialogs_.Choose(saved);
  form_->MenuGraficoClick();
  TFormConfig::SetTraceViewer(nullptr);
  EXPECT_EQ(shown, QStringList({saved}));
  ASSERT_EQ(dialogs_.Shown().size(), 2u);
  EXPECT_FALSE(dialogs_.Shown()[1].save);
  EXPECT_EQ(dialogs_.Shown()[1].fileName, saved);  // proposed
  EXPECT_EQ(dialogs_.Shown()[1].title, "Apri file dati in tempo reale");
}

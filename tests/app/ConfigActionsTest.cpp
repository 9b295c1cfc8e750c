// The main window's configuration actions against the simulated ECU in a temporary data folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "Cilindrata.h"
#include "ConfigFileFormat.h"
#include "ConfigFixture.h"
#include "File.h"
#include "KeyComboBox.h"
#include "NumericEdit.h"
#include "SimEcuFixture.h"
#include "SmallDisk.h"
#include "WhenModal.h"

namespace {

class ConfigActions : public ConfigFixture {
 protected:
  // The main window's file dialogs pick files in folders that exist.
  ConfigActions() { QDir().mkpath(Path("Configurazioni")); }
  bool Save(const QString& relative) {
    dialogs_.Choose(Path(relative));
    return ExecuteSalva(&main_, main_.saveDialog);
  }
};

// A fuel dialog that answers from a script.
int g_fuelResult = 2;
int g_fuelChoice = 0;
int g_fuelShown = -1;
int ScriptedFuelDialog(QWidget*, int* fuelIndex) {
  g_fuelShown = *fuelIndex;
  *fuelIndex = g_fuelChoice;
  return g_fuelResult;
}

}  // namespace

TEST_F(ConfigActions, AskSaveChangesPaths) {
  EXPECT_EQ(AskSaveChanges(&main_, main_.saveDialog), PromptNo);  // nothing changed: no question
  EXPECT_TRUE(prompts_.Shown().empty());

  const struct {
    int answer;
    bool chooseFile;  // the save dialog picks a file (else it is cancelled)
    int result;
    bool saved;
  } cases[] = {
      {PromptYes, true, PromptYes, true},
      {PromptYes, false, PromptCancel, false},  // nothing saved: the caller must not go on
      {PromptNo, false, PromptNo, false},
      {PromptCancel, false, PromptCancel, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    prompts_.Clear();
    data_.SetMappa(0, 0, 1.0 + n);
    const QString file = QStringLiteral("Configurazioni/Ask%1.trm").arg(n++);
    prompts_.Answer(c.answer);
    if (c.answer == PromptYes) {
      if (c.chooseFile)
        dialogs_.Choose(Path(file));
      else
        dialogs_.Cancel();
    }
    EXPECT_EQ(AskSaveChanges(&main_, main_.saveDialog), c.result) << n;
    ASSERT_EQ(prompts_.Shown().size(), 1u);
    EXPECT_EQ(prompts_.Shown()[0].text, "Salvare i dati in memoria in un file?");
    EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Warning);
    EXPECT_EQ(prompts_.Shown()[0].caption, "Finestra principale");
    EXPECT_EQ(Exists(file), c.saved) << n;
    EXPECT_EQ(data_.Changed, !c.saved) << n;
  }
  EXPECT_TRUE(dialogs_.Shown().back().overwritePrompt);
}

TEST_F(ConfigActions, SaveTakesTheDescriptionFromTheFileName) {
  ASSERT_TRUE(Save("Configurazioni/Polo 1400.trm"));
  EXPECT_STREQ(data_.GetDescription(), "Polo 1400");
  EXPECT_FALSE(data_.Changed);
  EXPECT_STREQ(data_.FileKey, GetBrandFileKey());
  // A failed save says so and keeps the unsaved state, the description and the file.
  data_.SetMappa(0, 0, 2.0);
  QDir().mkpath(Path("Configurazioni/Folder.trm"));
  EXPECT_FALSE(Save("Configurazioni/Folder.trm"));
  EXPECT_EQ(PromptTexts(), QStringList{kConfigFileErrorText});
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
  EXPECT_TRUE(data_.Changed);
  EXPECT_STREQ(data_.GetDescription(), "Polo 1400");
  EXPECT_EQ(QString::fromLatin1(data_.FilePath), Path("Configurazioni/Polo 1400.trm"));
  EXPECT_EQ(ecu_.Stored(0x35, 2), 'P');  // the ECU's copy of the description too
}

// File Apri: the loaded file goes to the ECU; a file that cannot be loaded writes nothing.
TEST_F(ConfigActions, OpenLoadsAndWritesOrReportsTheFailure) {
  data_.SetMappa(5, 6, 2.5);
  ASSERT_TRUE(Save("Configurazioni/Uno.trm"));
  data_.SetMappa(5, 6, 1.0);
  data_.Changed = false;
  ecu_.ClearCalls();
  dialogs_.Choose(Path("Configurazioni/Uno.trm"));
  ExecuteApri(&main_, main_.openDialog, main_.saveDialog, base_);
  EXPECT_TRUE(prompts_.Shown().empty());
  EXPECT_DOUBLE_EQ(data_.GetMappa(5, 6), 2.5);
  EXPECT_EQ(PetrolMapRows(), 12);

  WriteFile("Configurazioni/Rotto.trm", "ENCRYPTED_DOZA_FILE\r\n\x01\x02\x03");
  ecu_.ClearCalls();
  dialogs_.Choose(Path("Configurazioni/Rotto.trm"));
  ExecuteApri(&main_, main_.openDialog, main_.saveDialog, base_);
  EXPECT_EQ(PromptTexts(), QStringList{QString::fromLatin1(kConfigFileErrorText) +
                                       "\nIl file non contiene dati di configurazione."});
  EXPECT_EQ(prompts_.Shown()[0].caption, "Finestra principale");
  EXPECT_EQ(EcuWrites(), 0) << ecu_.CallText();
  EXPECT_DOUBLE_EQ(data_.GetMappa(5, 6), 2.5);

  // A value the ECU cannot hold: the message says which and nothing reaches the ECU.
  WriteFile("Configurazioni/Largo.trm", "DECRYPTED_DOZA_FILE\r\n[MappaCarburazione]\r\nMappa5_6=1000000\r\n");
  prompts_.Clear();
  ecu_.ClearCalls();
  dialogs_.Choose(Path("Configurazioni/Largo.trm"));
  ExecuteApri(&main_, main_.openDialog, main_.saveDialog, base_);
  EXPECT_EQ(PromptTexts(),
            QStringList{QString::fromLatin1(kConfigFileErrorText) +
                        "\nValore non valido nel file: [MappaCarburazione] Mappa5_6=1000000 (la "
                        "centralina accetta da 0 a 65535). Correggere il valore e riaprire il file."});
  EXPECT_EQ(EcuWrites(), 0) << ecu_.CallText();
  EXPECT_DOUBLE_EQ(data_.GetMappa(5, 6), 2.5);

  // Far larger than any configuration: refused before it is read, naming the file (whatever its
  // name holds) and its size.
  const QByteArray line = "[Generale]\r\nCilindrata=1600\r\n";
  WriteFile("Configurazioni/Enorme %1.trm",
            "DECRYPTED_DOZA_FILE\r\n" + line.repeated(kMaxConfigFileSize / line.size() + 1));
  const qint64 size = QFileInfo(Path("Configurazioni/Enorme %1.trm")).size();
  prompts_.Clear();
  ecu_.ClearCalls();
  dialogs_.Choose(Path("Configurazioni/Enorme %1.trm"));
  ExecuteApri(&main_, main_.openDialog, main_.saveDialog, base_);
  EXPECT_EQ(PromptTexts(),
            QStringList{QString::fromLatin1(kConfigFileErrorText) + "\nIl file " +
                        QDir::toNativeSeparators(Path("Configurazioni/Enorme %1.trm")) +
                        " è troppo grande per essere una configurazione (" + QString::number(size) +
                        " byte, al massimo 1048576): non è stato letto."});
  EXPECT_EQ(EcuWrites(), 0) << ecu_.CallText();
  EXPECT_DOUBLE_EQ(data_.GetMappa(5, 6), 2.5);

  // A plain copy whose stored form would pass the limit: refused untouched, the message names the
  // size it would have.
  const QByteArray lf = "[Generale]\nCilindrata=1600\n";
  const QByteArray plain = "DECRYPTED_DOZA_FILE\n" + lf.repeated((kMaxConfigFileSize - 40) / lf.size());
  WriteFile("Configurazioni/Quasi.trm", plain);
  const qint64 stored = plain.size() + plain.count('\n');
  ASSERT_LE(plain.size(), kMaxConfigFileSize);
  ASSERT_GT(stored, kMaxConfigFileSize);
  prompts_.Clear();
  ecu_.ClearCalls();
  dialogs_.Choose(Path("Configurazioni/Quasi.trm"));
  ExecuteApri(&main_, main_.openDialog, main_.saveDialog, base_);
  EXPECT_EQ(PromptTexts(), QStringList{QString::fromLatin1(kConfigFileErrorText) + "\nDal file " +
                                       QDir::toNativeSeparators(Path("Configurazioni/Quasi.trm")) +
                                       " il programma scriverebbe un file di " + QString::number(stored) +
                                       " byte, più dei 1048576 che una configurazione può avere: non è stato "
                                       "scritto nulla e il file è rimasto com'era."});
  QByteArray after;
  ASSERT_TRUE(ReadWholeFile(Path("Configurazioni/Quasi.trm"), &after));
  EXPECT_EQ(after, plain);
  EXPECT_EQ(EcuWrites(), 0) << ecu_.CallText();

  // Unsaved changes and Cancel: no open dialog at all.
  prompts_.Clear();
  data_.SetMappa(5, 6, 3.0);
  const size_t dialogsShown = dialogs_.Shown().size();
  prompts_.Answer(PromptCancel);
  ExecuteApri(&main_, main_.openDialog, main_.saveDialog, base_);
  EXPECT_EQ(dialogs_.Shown().size(), dialogsShown);
  EXPECT_DOUBLE_EQ(data_.GetMappa(5, 6), 3.0);
}

// The plain copy goes to the first free Dec<n> name and is opened in the text editor.
TEST_F(ConfigActions, PlainCopyForTheTextEditor) {
  ASSERT_TRUE(Save("Configurazioni/Punto.trm"));
  WriteFile("Configurazioni/Decrypted/Dec1.Punto.trm", "old");
  WriteFile("Configurazioni/Decrypted/DEC2.punto.TRM", "old");
  EXPECT_EQ(PlainCopyPath(base_, "Punto.trm"), Path("Configurazioni/Decrypted/Dec3.Punto.trm"));
  EXPECT_EQ(PlainCopyPath(base_, "Altro.trm"), Path("Configurazioni/Decrypted/Dec1.Altro.trm"));

  dialogs_.Choose(Path("Configurazioni/Punto.trm"));
  ExecuteBloccoNote(&main_, main_.openDialog, base_);
  EXPECT_TRUE(prompts_.Shown().empty());
  ASSERT_EQ(editor_.Opened().size(), 1u);
  EXPECT_EQ(editor_.Opened()[0], Path("Configurazioni/Decrypted/Dec3.Punto.trm"));
  QByteArray plain;
  ASSERT_TRUE(ReadWholeFile(editor_.Opened()[0], &plain));
  EXPECT_TRUE(plain.startsWith("DECRYPTED_DOZA_FILE\r\n"));
  EXPECT_TRUE(plain.contains("[Versione]"));
  EXPECT_TRUE(plain.contains("NomeConfigurazione=Punto"));

  // Without the copies' folder the copy still goes there; a file that cannot be read is no copy.
  QDir(Path("Configurazioni/Decrypted")).removeRecursively();
  dialogs_.Choose(Path("Configurazioni/Punto.trm"));
  ExecuteBloccoNote(&main_, main_.openDialog, base_);
  ASSERT_EQ(editor_.Opened().size(), 2u);
  EXPECT_EQ(editor_.Opened()[1], Path("Configurazioni/Decrypted/Dec1.Punto.trm"));
  dialogs_.Choose(Path("Configurazioni/Missing.trm"));
  ExecuteBloccoNote(&main_, main_.openDialog, base_);
  EXPECT_EQ(editor_.Opened().size(), 2u);
  EXPECT_EQ(PromptTexts(), QStringList{"Impossibile decriptare il file"});
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);

  // A file far larger than a configuration is not read, and no copy of it made: the message
  // says why.
  const QByteArray line = "[Generale]\r\nCilindrata=1600\r\n";
  WriteFile("Configurazioni/Enorme %1.trm",
            "DECRYPTED_DOZA_FILE\r\n" + line.repeated(3 * kMaxConfigFileSize / line.size()));
  const qint64 size = QFileInfo(Path("Configurazioni/Enorme %1.trm")).size();
  prompts_.Clear();
  dialogs_.Choose(Path("Configurazioni/Enorme %1.trm"));
  ExecuteBloccoNote(&main_, main_.openDialog, base_);
  EXPECT_EQ(editor_.Opened().size(), 2u);
  EXPECT_EQ(PromptTexts(),
            QStringList{"Impossibile decriptare il file\nIl file " +
                        QDir::toNativeSeparators(Path("Configurazioni/Enorme %1.trm")) +
                        " è troppo grande per essere una configurazione (" + QString::number(size) +
                        " byte, al massimo 1048576): non è stato letto."});
  EXPECT_FALSE(QFile::exists(Path("Configurazioni/Decrypted/Dec1.Enorme.trm")));
  prompts_.Clear();

  // No editor starts: the user learns where the copy is.
  prompts_.Clear();
  editor_.SetResult(false);
  dialogs_.Choose(Path("Configurazioni/Punto.trm"));
  ExecuteBloccoNote(&main_, main_.openDialog, base_);
  const QString copy = Path("Configurazioni/Decrypted/Dec2.Punto.trm");
  EXPECT_TRUE(QFile::exists(copy));
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, NoTextEditorText(copy));
  EXPECT_TRUE(prompts_.Shown()[0].text.contains(QDir::toNativeSeparators(copy)));
  EXPECT_TRUE(prompts_.Shown()[0].text.contains("editor"));
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Warning);
}

// A configuration saved on a full disk or into a read-only folder: the message, the old file as
// it was, the data still unsaved, no stray file beside it; the plain copy for the editor is not
// made and no editor starts.
TEST_F(ConfigActions, SavesThatFindNoRoomKeepTheOldFileAndSaySo) {
  SmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const QString file = disk.FilePath("Polo.trm");
  const QString copies = disk.FilePath("Configurazioni/Decrypted");
  ASSERT_TRUE(QDir().mkpath(copies));
  dialogs_.Choose(file);
  ASSERT_TRUE(ExecuteSalva(&main_, main_.saveDialog));
  QByteArray before;
  ASSERT_TRUE(ReadWholeFile(file, &before));
  for (SmallDisk::State state : kNoRoomStates) {
    SCOPED_TRACE(SmallDisk::Name(state));
    prompts_.Clear();
    data_.SetMappa(0, 0, 3.0);
    disk.Enter(state);
    dialogs_.Choose(file);
    EXPECT_FALSE(ExecuteSalva(&main_, main_.saveDialog));
    EXPECT_EQ(PromptTexts(), QStringList{kConfigFileErrorText});
    EXPECT_TRUE(data_.Changed);

    dialogs_.Choose(file);
    ExecuteBloccoNote(&main_, main_.openDialog, disk.Path());
    EXPECT_EQ(PromptTexts(), QStringList({kConfigFileErrorText, "Impossibile decriptare il file"}));
    EXPECT_TRUE(editor_.Opened().empty());
    disk.Leave(state);

    QByteArray after;
    ASSERT_TRUE(ReadWholeFile(file, &after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files), QStringList{"Polo.trm"});
    EXPECT_TRUE(QDir(copies).isEmpty());
  }
}

// Entry 5 with an empty folder: the message instead of the dialog; with a file the dialog opens
// without the displacement.
TEST_F(ConfigActions, LoadEntryNeedsAFile) {
  ExecuteApriConf(&main_, base_);
  EXPECT_EQ(PromptTexts(), QStringList{"Nessun file presente in memoria!"});
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Warning);

  ASSERT_TRUE(Save("Configurazioni/Tre.trm"));
  prompts_.Clear();
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* form = qobject_cast<TFormFile*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    shown = true;
    EXPECT_EQ(form->GetMode(), TFormFile::ModeLoad);
    EXPECT_TRUE(form->EditCilindrata->isHidden());
    EXPECT_TRUE(form->LabelCilindrata->isHidden());
    form->reject();
  });
  ExecuteApriConf(&main_, base_);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(prompts_.Shown().empty());
  EXPECT_EQ(FormFile, nullptr);
}

TEST_F(ConfigActions, FuelQuestionChangesOnlyOnANewFuel) {
  SetFuelDialog(&ScriptedFuelDialog);
  data_.SetFlag1(4, false);
  ecu_.ClearCalls();
  const struct {
    int result, choice;
    bool cng;
  } steps[] = {{1, 0, false}, {2, 1, false}, {1, 1, true}, {1, 1, true}, {1, 0, false}};
  for (const auto& s : steps) {
    const bool before = data_.GetFlag1(4);
    ecu_.ClearCalls();
    g_fuelResult = s.result;
    g_fuelChoice = s.choice;
    AskFuelType(&main_);
    EXPECT_EQ(g_fuelShown, before ? 1 : 0);
    EXPECT_EQ(data_.GetFlag1(4), s.cng);
    if (s.cng == before) {
      EXPECT_EQ(EcuWrites(), 0);
      continue;
    }
    for (int i = 0; i < TEcuData::kCurve; ++i)
      EXPECT_DOUBLE_EQ(data_.GetRifPressDiff(i),
                       s.cng ? TEcuData::GetRifPressDiffMetano(i) : TEcuData::GetRifPressDiffGpl(i));
  }
  SetFuelDialog(nullptr);
  g_fuelShown = -1;
  AskFuelType(&main_);  // no dialog installed: nothing asked
  EXPECT_EQ(g_fuelShown, -1);
}

class FuelQuestion : public SimEcuFixture {
 protected:
  FuelQuestion() { SetFuelDialog(&RunFuelOnlyDialog); }
  ~FuelQuestion() override { SetFuelDialog(nullptr); }
};

// The question at start-up through the real dialog: a new fuel sets the flag and the nine
// pressure compensation points of that fuel; the same fuel again, or Cancel, touches nothing.
TEST_F(FuelQuestion, NewFuelTakesItsPressureDefaults) {
  data_.SetFlag1(4, false);
  ecu_.ClearCalls();
  WhenModal<TFormCilindrata>([](TFormCilindrata& d) {
    EXPECT_TRUE(d.FuelOnly());
    EXPECT_EQ(d.ComboCarburante->currentIndex(), 0);
    d.ButtonOk->click();
  });
  AskFuelType(nullptr);
  EXPECT_FALSE(data_.GetFlag1(4));
  EXPECT_TRUE(ecu_.Calls().empty()) << ecu_.CallText();

  WhenModal<TFormCilindrata>([](TFormCilindrata& d) {
    d.ComboCarburante->setCurrentIndex(1);
    d.ButtonAnnulla->click();
  });
  AskFuelType(nullptr);
  EXPECT_FALSE(data_.GetFlag1(4));
  EXPECT_TRUE(ecu_.Calls().empty()) << ecu_.CallText();

  WhenModal<TFormCilindrata>([](TFormCilindrata& d) {
    d.ComboCarburante->setCurrentIndex(1);
    d.ButtonOk->click();
  });
  AskFuelType(nullptr);
  EXPECT_TRUE(data_.GetFlag1(4));
  for (int i = 0; i < TEcuData::kCurve; ++i) {
    EXPECT_DOUBLE_EQ(data_.GetCoeffPressDiff(i), TEcuData::GetCoeffPressDiffMetano(i)) << i;
    EXPECT_DOUBLE_EQ(data_.GetRifPressDiff(i), TEcuData::GetRifPressDiffMetano(i)) << i;
  }
  EXPECT_GT(ecu_.Calls().size(), 0u);

  WhenModal<TFormCilindrata>([](TFormCilindrata& d) {
    EXPECT_EQ(d.ComboCarburante->currentIndex(), 1);
    d.ComboCarburante->setCurrentIndex(0);
    d.ButtonOk->click();
  });
  AskFuelType(nullptr);
  EXPECT_FALSE(data_.GetFlag1(4));
  for (int i = 0; i < TEcuData::kCurve; ++i) {
    EXPECT_DOUBLE_EQ(data_.GetCoeffPressDiff(i), TEcuData::GetCoeffPressDiffGpl(i)) << i;
    EXPECT_DOUBLE_EQ(data_.GetRifPressDiff(i), TEcuData::GetRifPressDiffGpl(i)) << i;
  }
}

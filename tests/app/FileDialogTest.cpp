// The configuration-file dialog against the simulated ECU in a temporary data folder.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "ConfigFixture.h"
#include "File.h"
#include "LayoutCheck.h"
#include "NumericEdit.h"
#include "WhenModal.h"

namespace {

class FileDialog : public ConfigFixture {
 protected:
  // A dialog as the main window's actions make it, shown and active (which fills the list).
  std::unique_ptr<TFormFile> Open(int mode, bool* existsFlag = nullptr) {
    auto form = std::make_unique<TFormFile>(&main_, existsFlag, mode, base_);
    form->show();
    QApplication::setActiveWindow(form.get());
    return form;
  }

  // Saves under name through the dialog; returns the modal result (0 while it stays open).
  int SaveAs(const QString& name) {
    auto form = Open(TFormFile::ModeSave);
    form->EditName->setText(name);
    form->ButtonOkClick();
    return form->result();
  }

  QStringList ListNames(const TFormFile& form) const {
    QStringList names;
    for (int i = 0; i < form.ListFile->topLevelItemCount(); ++i)
      names << form.ListFile->topLevelItem(i)->text(0);
    return names;
  }
};

}  // namespace

// Save, change the data set, load again: the file's data come back, the unsaved-changes
// question comes first and the loaded configuration is written to the ECU.
TEST_F(FileDialog, SaveThenLoadWritesTheConfigurationToTheEcu) {
  data_.SetMappa(3, 4, 2.0);
  data_.SetDescription("A/B.C;D");
  data_.Identita[3] = 3;
  {
    auto form = Open(TFormFile::ModeSave);
    EXPECT_EQ(form->windowTitle(), "Salva la configurazione con nome...");
    EXPECT_EQ(form->EditName->text(), "ABCD");  // the description, without . / \ " , ;
    EXPECT_FALSE(form->CheckSalvaPerTaratura->isHidden());
    EXPECT_TRUE(form->CheckTurbo->isHidden());
    EXPECT_TRUE(form->GroupDetails->isHidden());
    EXPECT_EQ(form->EditCilindrata->NextControl(), form->CheckSalvaPerTaratura);
    form->EditName->setText("Golf");
    form->ButtonOkClick();
    EXPECT_EQ(form->result(), TModalDialog::mrOk);
  }
  ASSERT_TRUE(Exists("Configurazioni/Golf.trm"));
  EXPECT_FALSE(data_.Changed);
  // The typed name became the description (the ECU's version byte is at least 1).
  EXPECT_STREQ(data_.GetDescription(), "Golf");
  EXPECT_STREQ(data_.DescrizAuto, "Golf");

  data_.SetMappa(3, 4, 5.0);
  ASSERT_TRUE(data_.Changed);
  ecu_.ClearCalls();
  prompts_.Answer(PromptNo);  // do not save the changes
  bool found = false;
  auto form = Open(TFormFile::ModeLoad, &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(form->windowTitle(), "Scegli la configurazione da caricare in centralina");
  EXPECT_FALSE(form->EditName->isEnabled());
  EXPECT_EQ(form->ListFile->headerItem()->text(0), "File disponibili - LPG");
  EXPECT_EQ(form->ListFile->headerItem()->text(1), "Data");
  ASSERT_EQ(ListNames(*form), QStringList{"Golf"});
  EXPECT_FALSE(form->ListFile->topLevelItem(0)->text(1).isEmpty());  // the creation date
  EXPECT_TRUE(form->ListFile->topLevelItem(0)->isSelected());
  EXPECT_EQ(form->EditName->text(), "Golf");
  form->ButtonOkClick();
  EXPECT_EQ(form->result(), TModalDialog::mrOk);
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Salvare i dati in memoria in un file?");
  EXPECT_EQ(prompts_.Shown()[0].buttons, PromptYesNoCancel);
  EXPECT_EQ(prompts_.Shown()[0].caption, form->windowTitle());
  EXPECT_EQ(main_.saveRequests, 0);
  EXPECT_DOUBLE_EQ(data_.GetMappa(3, 4), 2.0);
  EXPECT_EQ(PetrolMapRows(), 12);  // WriteAll, everything
  EXPECT_EQ(ecu_.Stored(0xC30E, 3 * 12 + 4), 500);
  EXPECT_STREQ(data_.FileKey, GetBrandFileKey());
}

TEST_F(FileDialog, OverwriteNeedsYesAndNamesMatchWithoutCase) {
  ASSERT_EQ(SaveAs("Golf"), TModalDialog::mrOk);
  data_.SetMappa(0, 0, 3.0);
  prompts_.Answer(PromptNo);
  EXPECT_EQ(SaveAs("GOLF"), 0);  // the dialog stays open
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Il file esiste già. Vuoi sovrascriverlo?");
  EXPECT_EQ(prompts_.Shown()[0].buttons, PromptYesNo);
  EXPECT_EQ(prompts_.Shown()[0].defaultButton, PromptNo);
  EXPECT_TRUE(data_.Changed);

  prompts_.Answer(PromptYes);
  EXPECT_EQ(SaveAs("GOLF"), TModalDialog::mrOk);
  // The file that was there is replaced; no second file differing only in case.
  EXPECT_EQ(QDir(Path("Configurazioni")).entryList(QDir::Files), QStringList{"Golf.trm"});
  data_.SetMappa(0, 0, 1.0);
  ASSERT_EQ(data_.LoadConfiguration(QFile::encodeName(Path("Configurazioni/Golf.trm")).constData()), 1);
  EXPECT_DOUBLE_EQ(data_.GetMappa(0, 0), 3.0);
}

// Yes to the unsaved-changes question saves through the main window first; when its save
// dialog is cancelled nothing is loaded and the dialog stays open. Cancel ends the click.
TEST_F(FileDialog, UnsavedChangesAreSavedFirstOrTheLoadWaits) {
  ASSERT_EQ(SaveAs("Base"), TModalDialog::mrOk);
  data_.SetMappa(1, 1, 4.0);
  auto form = Open(TFormFile::ModeLoad);
  ecu_.ClearCalls();

  prompts_.Answer(PromptCancel);
  form->ButtonOkClick();
  EXPECT_EQ(form->result(), 0);
  EXPECT_EQ(main_.saveRequests, 0);

  prompts_.Answer(PromptYes);
  dialogs_.Cancel();
  form->ButtonOkClick();
  EXPECT_EQ(form->result(), 0);
  EXPECT_EQ(main_.saveRequests, 1);
  EXPECT_TRUE(data_.Changed);
  EXPECT_DOUBLE_EQ(data_.GetMappa(1, 1), 4.0);
  EXPECT_EQ(PetrolMapRows(), 0);

  prompts_.Answer(PromptYes);
  dialogs_.Choose(Path("Configurazioni/Edited.trm"));
  form->ButtonOkClick();
  EXPECT_EQ(form->result(), TModalDialog::mrOk);
  EXPECT_EQ(main_.saveRequests, 2);
  EXPECT_TRUE(Exists("Configurazioni/Edited.trm"));
  EXPECT_EQ(form->EditName->text(), "Base");
  EXPECT_NE(data_.GetMappa(1, 1), 4.0);  // Base was loaded after the save
  EXPECT_EQ(PetrolMapRows(), 12);
}

// A file that cannot be loaded, or that went away after the list was made: the message, Cancel,
// and nothing reaches the ECU.
TEST_F(FileDialog, FailedLoadWritesNothing) {
  WriteFile("Configurazioni/Broken.trm", QByteArray("ENCRYPTED_DOZA_FILE\r\n") + QByteArray(40, '\x7f'));
  WriteFile("Configurazioni/Gone.trm", "x");
  const double before = data_.GetMappa(2, 2);
  const struct {
    const char* name;
    const char* message;
  } cases[] = {{"Broken", "Impossibile aprire il file"},
               {"Gone", "ATTENZIONE: problemi nell'apertura del file."}};
  for (const auto& c : cases) {
    prompts_.Clear();
    auto form = Open(TFormFile::ModeLoad);
    ASSERT_EQ(ListNames(*form), (QStringList{"Broken", "Gone"}));
    if (QString(c.name) == "Gone") QFile::remove(Path("Configurazioni/Gone.trm"));
    ecu_.ClearCalls();
    form->EditName->setText(c.name);
    form->ButtonOkClick();
    EXPECT_EQ(form->result(), TModalDialog::mrCancel) << c.name;
    EXPECT_EQ(PromptTexts(), QStringList{c.message}) << c.name;
    EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(EcuWrites(), 0) << ecu_.CallText();
    EXPECT_DOUBLE_EQ(data_.GetMappa(2, 2), before);
  }
}

TEST_F(FileDialog, FailedSaveIsReportedAndKeepsTheNames) {
  QDir().mkpath(Path("Configurazioni/Locked.trm"));  // a folder stands where the file would go
  data_.Identita[3] = 3;                             // the typed name would name the configuration
  data_.SetDescription("Prima");
  data_.SetDatoVetturaStr(1, "Prima auto");
  data_.SetMappa(0, 0, 2.0);
  EXPECT_EQ(SaveAs("Locked"), TModalDialog::mrCancel);
  EXPECT_EQ(PromptTexts(), QStringList{"Impossibile aprire il file"});
  EXPECT_TRUE(data_.Changed);
  EXPECT_STREQ(data_.GetDescription(), "Prima");
  EXPECT_STREQ(data_.DescrizAuto, "Prima auto");
}

TEST_F(FileDialog, TypedNameThatIsAPathIsRefused) {
  data_.SetMappa(0, 0, 2.0);
  for (const QString& name : {QStringLiteral("../Fuori"), QStringLiteral("a\\b"), QStringLiteral("..")}) {
    prompts_.Clear();
    EXPECT_EQ(SaveAs(name), 0) << name.toStdString();  // still open
    EXPECT_EQ(PromptTexts(), QStringList{"Impossibile aprire il file"});
  }
  EXPECT_FALSE(QFileInfo::exists(Path("Fuori.trm")));
  EXPECT_TRUE(data_.Changed);
}

// Calibration names: the suffix of fuel, turbo and displacement, added only once, in "Taratura".
TEST_F(FileDialog, CalibrationFileNames) {
  const struct {
    const char* typed;
    bool cng, turbo;
    int cc;
    const char* file;
    bool exists;  // the overwrite question comes (and is answered Yes)
  } cases[] = {
      {"Golf 1.6", false, true, 1600, "Taratura/Golf 1.6_lpg t_1600.trm", false},
      {"Golf 1.6_lpg t_1600", false, true, 1600, "Taratura/Golf 1.6_lpg t_1600.trm", true},
      {"Golf 1.6_LPG T_1600", false, true, 1600, "Taratura/Golf 1.6_lpg t_1600.trm", true},
      {"Punto", false, false, 1200, "Taratura/Punto_lpg_1200.trm", false},
      {"Punto", true, false, 1200, "Taratura/Punto_cng_1200.trm", false},
      {"Punto", true, true, 999, "Taratura/Punto_cng t_999.trm", false},
  };
  data_.Identita[3] = 3;
  data_.SetDescription("Keep");
  for (const auto& c : cases) {
    data_.SetFlag1(4, c.cng);
    auto form = Open(TFormFile::ModeSave);
    form->CheckSalvaPerTaratura->setChecked(true);
    EXPECT_FALSE(form->CheckTurbo->isHidden());
    form->CheckTurbo->setChecked(c.turbo);
    form->EditCilindrata->SetInt(c.cc);
    form->EditName->setText(c.typed);
    prompts_.Clear();
    if (c.exists) prompts_.Answer(PromptYes);
    form->ButtonOkClick();
    EXPECT_EQ(form->result(), TModalDialog::mrOk) << c.typed;
    EXPECT_EQ(prompts_.Shown().size(), c.exists ? 1u : 0u) << c.typed;
    EXPECT_TRUE(Exists(c.file)) << c.file;
    EXPECT_EQ(data_.GetValue(0x24B), c.cc);
    EXPECT_STREQ(data_.GetDescription(), "Keep");  // a calibration file keeps the description
  }
  EXPECT_EQ(QDir(Path("Taratura")).entryList(QDir::Files).size(), 4);
}

// CNG configurations live in their own folder; the list is sorted without regard to case.
TEST_F(FileDialog, FolderByFuelAndSortedList) {
  bool found = true;
  { auto form = Open(TFormFile::ModeLoad, &found); }
  EXPECT_FALSE(found);
  EXPECT_TRUE(QFileInfo(Path("Configurazioni")).isDir());

  WriteFile("Configurazioni/b.trm", "x");
  WriteFile("Configurazioni/A.TRM", "x");
  WriteFile("Configurazioni/c.trm", "x");
  WriteFile("Configurazioni/B.trm", "x");
  WriteFile("Configurazioni/notes.txt", "x");
  auto lpg = Open(TFormFile::ModeLoad, &found);
  EXPECT_TRUE(found);
  EXPECT_EQ(ListNames(*lpg), (QStringList{"A", "B", "b", "c"}));
  EXPECT_EQ(lpg->EditName->text(), "A");
  EXPECT_EQ(lpg->ListFile->header()->sectionSize(0), lpg->ListFile->viewport()->width() * 70 / 100);
  lpg->ListFile->setCurrentItem(lpg->ListFile->topLevelItem(3));
  EXPECT_EQ(lpg->EditName->text(), "c");

  data_.SetFlag1(4, true);
  auto cng = Open(TFormFile::ModeLoad, &found);
  EXPECT_FALSE(found);
  EXPECT_EQ(cng->Folder(), Path("Configurazioni/Metano/"));
  EXPECT_TRUE(QFileInfo(Path("Configurazioni/Metano")).isDir());
  EXPECT_EQ(cng->ListFile->headerItem()->text(0), "File disponibili - CNG");
  EXPECT_EQ(cng->ListFile->topLevelItemCount(), 0);
}

// The hidden vehicle-data group must not blank the vehicle data of the data set on a save.
TEST_F(FileDialog, SaveKeepsTheVehicleData) {
  data_.SetDatoVetturaStr(2, "Euro 4");
  data_.SetDatoVetturaStr(3, "1.6 16V");
  data_.SetDatoVetturaStr(4, "Nimbo");
  data_.SetDatoVetturaStr(5, "Manuale");
  data_.SetDatoVettura(7, 16);
  data_.SetDatoVettura(8, 4);
  data_.SetDatoVettura(9, 2004);
  data_.SetPotenza(77.25f);
  data_.SetValue(0x24B, 1598);
  ASSERT_EQ(SaveAs("Vettura"), TModalDialog::mrOk);
  data_.SetDatoVetturaStr(2, "");
  data_.SetDatoVettura(9, 0);
  data_.SetPotenza(0.0f);
  ASSERT_EQ(data_.LoadConfiguration(QFile::encodeName(Path("Configurazioni/Vettura.trm")).constData()), 1);
  EXPECT_STREQ(data_.Euro, "Euro 4");
  EXPECT_STREQ(data_.Motore, "1.6 16V");
  EXPECT_STREQ(data_.Centralina, "Nimbo");
  EXPECT_STREQ(data_.Cambio, "Manuale");
  EXPECT_EQ(data_.Valvole, 16);
  EXPECT_EQ(data_.NCilindri, 4);
  EXPECT_EQ(data_.AnnoVettura, 2004);
  EXPECT_FLOAT_EQ(data_.Potenza, 77.25f);
  EXPECT_EQ(data_.CentCubici, 1598);  // the displacement of the dialog
}

// Maps only: the file holds the maps, and the load still writes everything to the ECU.
TEST_F(FileDialog, MapsOnlyLoadStillWritesEverything) {
  auto save = Open(TFormFile::ModeSave);
  save->CheckMappa->setChecked(true);
  save->EditName->setText("Mappe");
  save->ButtonOkClick();
  ASSERT_EQ(save->result(), TModalDialog::mrOk);
  ecu_.ClearCalls();
  auto load = Open(TFormFile::ModeLoad);
  load->CheckMappa->setChecked(true);
  load->ButtonOkClick();
  EXPECT_EQ(load->result(), TModalDialog::mrOk);
  EXPECT_EQ(PetrolMapRows(), 12);
  // With the link closed the data set changes and nothing is written.
  link_.Disconnect();
  ecu_.ClearCalls();
  auto offline = Open(TFormFile::ModeLoad);
  offline->ButtonOkClick();
  EXPECT_EQ(offline->result(), TModalDialog::mrOk);
  EXPECT_EQ(PetrolMapRows(), 0);
}

TEST_F(FileDialog, Screenshot) {
  WriteFile("Configurazioni/Golf 1.6.trm", "x");
  WriteFile("Configurazioni/Punto 1200.trm", "x");
  WriteFile("Configurazioni/alfa 147.trm", "x");
  data_.SetDescription("Polo 1400");
  data_.SetValue(0x24B, 1390);
  auto form = Open(TFormFile::ModeSave);
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  const QPixmap shot = form->grab();
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(dir + QStringLiteral("/file-dialog.png"), "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(form.get()));
}

// The typed name becomes the description and the vehicle name only on an ECU whose software
// byte is at least 1, and never for a calibration file; the official mark is cleared always.
TEST_F(FileDialog, TypedNameNamesTheConfigurationOnNewerEcusOnly) {
  const struct {
    int software;
    bool calibration;
    bool named;
  } cases[] = {{0, false, false}, {1, false, true}, {3, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.software);
    data_.SetDescription("Prima");
    data_.SetDatoVetturaStr(1, "Prima");
    data_.SetUfficiale(true);
    data_.Identita[3] = static_cast<uint8_t>(c.software);
    auto form = Open(TFormFile::ModeSave);
    form->CheckSalvaPerTaratura->setChecked(c.calibration);
    const QByteArray name = QByteArrayLiteral("Seconda") + QByteArray::number(c.software);
    form->EditName->setText(QString::fromLatin1(name));
    form->ButtonOkClick();
    ASSERT_EQ(form->result(), TModalDialog::mrOk);
    EXPECT_STREQ(data_.GetDescription(), c.named ? name.constData() : "Prima");
    EXPECT_STREQ(data_.DescrizAuto, c.named ? name.constData() : "Prima");
    EXPECT_FALSE(data_.IsUfficiale());
  }
}

// Return (or Enter) in the name or on a file of the list confirms as OK does; in the
// displacement it confirms that field and moves on, and the dialog stays open.
TEST_F(FileDialog, ReturnConfirmsFromTheNameAndTheList) {
  ASSERT_EQ(SaveAs("Base"), TModalDialog::mrOk);
  const struct {
    const char* name;
    int mode;
    const char* focus;
    Qt::Key key;
    int result;
    const char* file;  // there afterwards, under Configurazioni
  } cases[] = {
      {"Return in the name saves", TFormFile::ModeSave, "EditName", Qt::Key_Return, TModalDialog::mrOk,
       "Golf.trm"},
      {"Enter in the name saves", TFormFile::ModeSave, "EditName", Qt::Key_Enter, TModalDialog::mrOk,
       "Golf.trm"},
      {"Return in the displacement moves on", TFormFile::ModeSave, "EditCilindrata", Qt::Key_Return, 0,
       nullptr},
      {"Return on the list loads", TFormFile::ModeLoad, "ListFile", Qt::Key_Return, TModalDialog::mrOk,
       nullptr},
      {"Enter on the list loads", TFormFile::ModeLoad, "ListFile", Qt::Key_Enter, TModalDialog::mrOk,
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(Path("Configurazioni/Golf.trm"));
    data_.Changed = false;
    ecu_.ClearCalls();
    auto form = Open(c.mode);
    if (c.mode == TFormFile::ModeSave) form->EditName->setText(QStringLiteral("Golf"));
    auto* focus = form->findChild<QWidget*>(QLatin1String(c.focus));
    ASSERT_NE(focus, nullptr);
    focus->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), focus);
    QTest::keyClick(focus, c.key);
    EXPECT_EQ(form->result(), c.result);
    EXPECT_EQ(form->isVisible(), c.result == 0);
    if (c.file) {
      EXPECT_TRUE(Exists(QStringLiteral("Configurazioni/") + QLatin1String(c.file)));
    }
    if (c.mode == TFormFile::ModeLoad) {
      EXPECT_EQ(form->EditName->text(), QStringLiteral("Base"));  // the file of the list
      EXPECT_GT(PetrolMapRows(), 0);                              // loaded and written to the ECU
    }
    if (c.result == 0) {
      EXPECT_FALSE(Exists("Configurazioni/Golf.trm"));
      EXPECT_EQ(QApplication::focusWidget(), form->CheckSalvaPerTaratura);
    }
  }
}

// Opened as the main window opens it, the save dialog has the keys in the name with the proposed
// name selected: letters typed at once replace it and Return saves under them.
TEST_F(FileDialog, SaveStartsInTheNameWithTheProposalSelected) {
  data_.SetDescription("Polo 1400");
  QString focusName, selected;
  WhenModal<TFormFile>([&](TFormFile& form) {
    QApplication::setActiveWindow(&form);  // as a window manager does
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.isActiveWindow(); }));
    QWidget* focus = QApplication::focusWidget();
    focusName = focus ? focus->objectName() : QString();
    selected = form.EditName->selectedText();
    QTest::keyClicks(focus ? focus : &form, QStringLiteral("Golf"));
    focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &form, Qt::Key_Return);
    if (form.isVisible()) form.reject();
  });
  ExecuteSalvaConf(&main_, base_);
  EXPECT_EQ(focusName, QStringLiteral("EditName"));
  EXPECT_EQ(selected, QStringLiteral("Polo 1400"));
  EXPECT_TRUE(Exists("Configurazioni/Golf.trm"));
  EXPECT_FALSE(Exists("Configurazioni/Polo 1400.trm"));
}

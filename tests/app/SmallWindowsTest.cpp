#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "AboutBox.h"
#include "Animate.h"
#include "BrandProfile.h"
#include "Clock.h"
#include "FileTimes.h"
#include "FormAttesa.h"
#include "FormCliente.h"
#include "FormMessaggio.h"
#include "FormScarica.h"
#include "FormSplash.h"
#include "JpegImage.h"
#include "PrivateMessage.h"
#include "ScopedLocale.h"

namespace {

void Progress(QWidget* w, intptr_t amount, intptr_t mode) {
  SendPrivateMessage(w, WM_PROGRESS, amount, mode);
}

// Clicks a button of the next modal dialog once its loop runs.
void ClickWhenModal(QPushButton* button) {
  QTimer::singleShot(0, button, [button] { button->click(); });
}

}  // namespace

TEST(SplashPicture, DecodesWithTheCodecAndRefusesOtherData) {
  const QImage picture = SplashPicture();
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(480, 300));
  QFile file(QStringLiteral(":/pictures/splash.jpg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray jpeg = file.readAll();
  EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
  EXPECT_TRUE(DecodeJpeg(QByteArrayLiteral("not a picture at all")).isNull());
  // A cut file still decodes what it holds or fails cleanly, never reads past its end.
  (void)DecodeJpeg(jpeg.left(jpeg.size() / 2));
  EXPECT_TRUE(DecodeJpeg(jpeg.left(100)).isNull());
}

TEST(FormSplash, FirstProgressShowsLabelAndBarThenSetsOrAdds) {
  TFormSplash splash;
  EXPECT_TRUE(splash.LabelConnessione->isHidden());
  EXPECT_TRUE(splash.ProgressBar->isHidden());
  EXPECT_EQ(splash.LabelConnessione->text(), QStringLiteral("Connessione in corso..."));
  EXPECT_EQ(splash.size(), QSize(480, 300));
  const struct {
    intptr_t amount, mode;
    int want;
  } steps[] = {{40, ProgressSet, 40}, {5, ProgressAdd, 45}, {200, ProgressAdd, 100},
               {-5, ProgressSet, 0},  {-3, ProgressAdd, 0}, {7, 2, 7}};
  for (const auto& s : steps) {
    Progress(&splash, s.amount, s.mode);
    EXPECT_FALSE(splash.LabelConnessione->isHidden());
    EXPECT_FALSE(splash.ProgressBar->isHidden());
    EXPECT_EQ(splash.ProgressBar->value(), s.want) << s.amount << " " << s.mode;
  }
  // Other messages change nothing.
  SendPrivateMessage(&splash, WM_ECUCHANGED, 0, EcuLinkOpened);
  EXPECT_EQ(splash.ProgressBar->value(), 7);
}

TEST(StartupSplash, StaysUpTheMinimumAndClosesAtTheFirstIdleMoment) {
  FakeClock clock;
  ScopedClock use(&clock);
  QWidget owner;
  TStartupSplash splash(&owner);
  ASSERT_TRUE(splash.IsUp());
  EXPECT_TRUE(splash.Splash()->isVisible());
  EXPECT_EQ(splash.SplashTick(), clock.GetTickCount());
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  clock.Advance(1200);  // the main window took this long to get ready
  splash.WaitMinimum();
  EXPECT_EQ(clock.Slept(), 1800u);
  EXPECT_EQ(clock.GetTickCount() - splash.SplashTick(), kSplashMinimumMs);
  splash.WaitMinimum();  // already past: no further wait
  EXPECT_EQ(clock.Slept(), 1800u);
  EXPECT_TRUE(splash.IsUp());
  // The message loop about to wait for the next event: the splash goes, the cursor is back.
  emit QAbstractEventDispatcher::instance()->aboutToBlock();
  EXPECT_FALSE(splash.IsUp());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(FormAttesa, ProgressMessagesAndCallsShowPositionAndSuffix) {
  TFormAttesa wait;
  wait.SetSuffix(QStringLiteral(" Completato "));
  EXPECT_EQ(wait.Label1->text(), QStringLiteral("Messaggio di attesa..."));
  EXPECT_TRUE(wait.Button1->isHidden());
  EXPECT_FALSE(wait.Button1->isEnabled());
  EXPECT_TRUE(wait.Animate1->Active());
  Progress(&wait, 40, ProgressSet);
  EXPECT_EQ(wait.ProgressBar1->value(), 40);
  EXPECT_EQ(wait.Label2->text(), QStringLiteral("40%  Completato "));
  Progress(&wait, 5, ProgressAdd);
  EXPECT_EQ(wait.Label2->text(), QStringLiteral("45%  Completato "));
  wait.SetProgress(10, false);
  EXPECT_EQ(wait.ProgressBar1->value(), 55);
  wait.SetProgress(150, false);
  EXPECT_EQ(wait.Label2->text(), QStringLiteral("100%  Completato "));
  wait.SetProgress(-20, true);
  EXPECT_EQ(wait.Label2->text(), QStringLiteral("0%  Completato "));
}

TEST(FormAttesa, ActivationRestoresMinimisedWindows) {
  QWidget main;
  main.show();
  main.setWindowState(Qt::WindowMinimized);
  TFormAttesa wait(&main);
  wait.ApplicationActivated();
  EXPECT_FALSE(main.windowState() & Qt::WindowMinimized);
}

TEST(FormMessaggio, ShowsCallersCaptionAndText) {
  TFormMessaggio notice;
  EXPECT_EQ(notice.Messaggio->text(), QStringLiteral("Messaggio....."));
  notice.setWindowTitle(QStringLiteral("Configurazioni veicolo"));
  notice.Messaggio->setText(QStringLiteral("Scansione file in corso..."));
  notice.show();
  EXPECT_TRUE(notice.isVisible());
}

TEST(FormCliente, ListsTheBrandLabelsByIndex) {
  SelectBrand(kThisBuildBrandBit);
  TFormCliente form(nullptr);
  ASSERT_EQ(form.ComboClienti->count(), kBrandLabelSlots);
  EXPECT_EQ(form.ComboClienti->itemText(0), QStringLiteral("K.I.V."));
  EXPECT_EQ(form.ComboClienti->itemText(3), QStringLiteral("Tarn"));
  EXPECT_EQ(form.ComboClienti->itemText(12), QStringLiteral("NEUTRO"));
  form.ComboClienti->setCurrentIndex(GetBrandLabelIndex(10));
  ClickWhenModal(form.ButtonOk);
  EXPECT_EQ(form.exec(), TModalDialog::mrOk);
  EXPECT_EQ(form.ComboClienti->currentIndex(), 3);
  ClickWhenModal(form.ButtonAnnulla);
  EXPECT_EQ(form.exec(), TModalDialog::mrCancel);
}

TEST(AboutBox, OkClosesWithOk) {
  TAboutBox about(nullptr);
  EXPECT_EQ(about.Version->text(), QStringLiteral("x.x"));
  ClickWhenModal(about.OKButton);
  EXPECT_EQ(about.exec(), TModalDialog::mrOk);
}

class FormScaricaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectBrand(kThisBuildBrandBit);
    ASSERT_TRUE(dir.isValid());
    image = dir.filePath(QStringLiteral("nuovo.ptn"));
    records = dir.filePath(QStringLiteral("vecchio.s19"));
    for (const QString& p : {image, records}) {
      QFile f(p);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("S0");
    }
  }
  QTemporaryDir dir;
  QString image, records;
  ScriptedFileDialogs dialogs;
  ScopedFileDialogs use{&dialogs};
};

TEST_F(FormScaricaTest, DialogOffersProgrammingAndSRecordFiles) {
  TFormScarica form(nullptr);
  EXPECT_EQ(form.OpenDialogFile.Filter, QStringLiteral("File programmazione|*.ptn|File Motorola S|*.s19"));
  EXPECT_EQ(form.OpenDialogFile.Title, QStringLiteral("Apri file di programmazione"));
  EXPECT_TRUE(form.OpenDialogFile.DefaultExt.isEmpty());
  EXPECT_EQ(FileDialogFilters(form.OpenDialogFile.Filter),
            QStringList(
                {QStringLiteral("File programmazione (*.ptn)"), QStringLiteral("File Motorola S (*.s19)")}));
}

TEST_F(FormScaricaTest, CancelledFirstChoiceShowsNothing) {
  TFormScarica form(nullptr);
  dialogs.Cancel();
  form.ChooseProgramFile();
  EXPECT_EQ(form.ModalResult(), TModalDialog::mrCancel);
  EXPECT_EQ(dialogs.Shown().size(), 1u);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(form.LabelN->text().isEmpty());
}

TEST_F(FormScaricaTest, ChosenFileIsShownAndKeptForTheNextRun) {
  TFormScarica form(nullptr);
  dialogs.Choose(image, kProgramFileFilter);
  ClickWhenModal(form.ButtonRiprogr);
  form.ChooseProgramFile();
  EXPECT_EQ(form.ModalResult(), TModalDialog::mrOk);
  EXPECT_EQ(form.OpenDialogFile.FileName, image);
  EXPECT_EQ(form.OpenDialogFile.FilterIndex, kProgramFileFilter);
  EXPECT_EQ(form.LabelN->text(), QStringLiteral("nuovo.ptn"));
  EXPECT_EQ(form.LabelD->text(), FormatProgramFileDate(FileCreationTime(image).toLocalTime().date()));
  // Next run: straight to the window, no dialog; Annulla gives Cancel.
  ClickWhenModal(form.ButtonAnnulla);
  form.ChooseProgramFile();
  EXPECT_EQ(form.ModalResult(), TModalDialog::mrCancel);
  EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(FormScaricaTest, CambiaFileTakesAnotherFileOrKeepsTheOld) {
  TFormScarica form(nullptr);
  dialogs.Choose(image, kProgramFileFilter);
  dialogs.Cancel();
  dialogs.Choose(records, kSRecordFileFilter);
  QTimer::singleShot(0, &form, [&] {
    form.ButtonCambia->click();  // cancelled: the old file stays
    EXPECT_EQ(form.LabelN->text(), QStringLiteral("nuovo.ptn"));
    form.ButtonCambia->click();
    EXPECT_EQ(form.LabelN->text(), QStringLiteral("vecchio.s19"));
    form.ButtonRiprogr->click();
  });
  form.ChooseProgramFile();
  EXPECT_EQ(form.ModalResult(), TModalDialog::mrOk);
  EXPECT_EQ(form.OpenDialogFile.FileName, records);
  EXPECT_EQ(form.OpenDialogFile.FilterIndex, kSRecordFileFilter);
  ASSERT_EQ(dialogs.Shown().size(), 3u);
  EXPECT_EQ(dialogs.Shown()[2].fileName, image);  // the dialog reopens on the current file
}

TEST_F(FormScaricaTest, UnreadableFileHasAnUnknownDate) {
  TFormScarica form(nullptr);
  form.OpenDialogFile.FileName = dir.filePath(QStringLiteral("sparito.ptn"));
  form.ShowProgramFileInfo();
  EXPECT_EQ(form.LabelN->text(), QStringLiteral("sparito.ptn"));
  EXPECT_EQ(form.LabelD->text(), QStringLiteral("sconosciuta"));
}

TEST(ProgramFileDate, DayMonthYearWithoutLeadingZerosAndTheLocaleSeparator) {
  const QDate date(2004, 3, 5);
  struct Case {
    QLocale locale;
    const char* shown;
  } const cases[] = {
      {QLocale(QLocale::Italian, QLocale::Italy), "5/3/2004"},
      {QLocale(QLocale::German, QLocale::Germany), "5.3.2004"},
      {QLocale(QLocale::Slovak, QLocale::Slovakia), "5.3.2004"},  // "d. M. yyyy": the blanks are not the mark
      {QLocale::c(), "5/3/2004"},  // "d MMM yyyy": no mark between the fields, never blanks
  };
  for (const Case& c : cases) {
    ScopedLocale use(c.locale);
    EXPECT_EQ(FormatProgramFileDate(date), QLatin1String(c.shown)) << c.locale.name().toStdString();
  }
  EXPECT_EQ(FormatProgramFileDate(QDate(2010, 12, 31)).left(3), QStringLiteral("31") + LocaleDateSeparator());
}

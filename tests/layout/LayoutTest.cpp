// Every window and every editor page as the user sees it on this screen: connected to the
// simulated ECU, with one and with two lambda probes, the window must lie on the screen's
// available area and no control may leave its parent, cover a sibling or cut its text. The
// test program runs once per screen size (the offscreen platform's screen, see CMakeLists.txt);
// it keeps a picture of every window under test-results/screenshots/layout-<size>.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <functional>
#include <memory>

#include "AboutBox.h"
#include "AcquisitionStore.h"
#include "Calibra.h"
#include "CentriCelle.h"
#include "CentriCelleArr.h"
#include "Cilindrata.h"
#include "Config.h"
#include "Datimappati.h"
#include "Diagnosi.h"
#include "File.h"
#include "FormAttesa.h"
#include "FormCliente.h"
#include "FormMessaggio.h"
#include "FormSplash.h"
#include "FunctionKeyTabStrip.h"
#include "Grafico.h"
#include "Graficodrt.h"
#include "Language.h"
#include "LayoutCheck.h"
#include "MainFixture.h"
#include "Modmappa.h"
#include "NumericEdit.h"
#include "Ordina.h"
#include "Paradatta.h"
#include "Paradattaecu.h"
#include "visualizza.h"

namespace {

QString ScreenName() {
  const QSize s = QGuiApplication::primaryScreen()->size();
  return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

void Keep(QWidget& w, const QString& name) {
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots/layout-") + ScreenName());
  QDir().mkpath(dir);
  w.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
}

// Shows the window as its caller does and lets it settle.
void ShowAndSettle(QWidget& w) {
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QCoreApplication::processEvents();
}

// Violations of a window, prefixed with the case that showed it.
QStringList Check(QWidget& w, const QString& name) {
  Keep(w, name);
  QStringList found;
  for (const QString& v : LayoutViolations(&w)) found << name + QStringLiteral(": ") + v;
  return found;
}

// The tab texts the editor's strip draws must fit their tabs.
QStringList CheckTabs(const TFunctionKeyTabStrip& tabs) {
  QStringList found;
  QFont f = tabs.font();
  f.setPointSize(tabs.TabFontSize());
  const QFontMetrics fm(f);
  for (int i = 0; i < tabs.VisibleCount(); ++i) {
    const QString text = tabs.TabText(i);
    const QRect r = tabs.TabRect(i);
    if (fm.horizontalAdvance(text) > r.width() || fm.height() > r.height())
      found << QStringLiteral("PageControl: tab text cut: \"%1\" in %2x%3").arg(text).arg(r.width()).arg(r.height());
  }
  return found;
}

}  // namespace

class LayoutTest : public MainFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    previousDati_ = DatiMappati;
    DatiMappati = &dati_;
    Shown();  // the first show connects
    ASSERT_TRUE(LinkOpen());
    // One probe or two: the model byte and the single-probe bit of the option word.
    const bool twoProbes = GetParam();
    data.Identita[2] = twoProbes ? 1 : 0;
    if (twoProbes) data.Flag1 &= ~0x04;
    ASSERT_EQ(data.IsDoppiaSonda(), twoProbes);
    // A non-standard level sensor, so the page shows its four thresholds.
    data.SetTipoSensore(2);
    data.Changed = false;
  }
  void TearDown() override { DatiMappati = previousDati_; }

  QString Case(const QString& name) const {
    return name + (GetParam() ? QStringLiteral("-2probes") : QStringLiteral("-1probe"));
  }
  QString Case(const char* name) const { return Case(QString::fromLatin1(name)); }
  // Shows a window, keeps what the layout check finds on it and closes it again.
  void CheckWindow(QWidget& w, const char* name) {
    ShowAndSettle(w);
    found_ << Check(w, Case(name));
    w.close();
  }

  QStringList found_;  // what CheckWindow found

  TDatiMappati dati_;
  TDatiMappati* previousDati_ = nullptr;
};

TEST_P(LayoutTest, MainWindow) {
  TFormMain& w = Main();
  QCoreApplication::processEvents();
  const QStringList found = Check(w, Case("main"));
  EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
}

TEST_P(LayoutTest, ShellWindows) {
  {
    TFormSplash w;
    w.LabelConnessione->setText(Tr(96));
    SendPrivateMessage(&w, WM_PROGRESS, 35, ProgressSet);
    CheckWindow(w, "splash");
  }
  {
    TFormAttesa w;
    w.setWindowTitle(Tr(65));
    w.Label1->setText(Tr(88));
    w.SetSuffix(QStringLiteral(" ") + Tr(73) + QStringLiteral(" "));
    SendPrivateMessage(&w, WM_PROGRESS, 40, ProgressSet);
    CheckWindow(w, "attesa");
  }
  {
    TFormMessaggio w;
    w.setWindowTitle(QString::fromLatin1(GetBrandTitle()));
    w.Messaggio->setText(Tr(93));
    CheckWindow(w, "messaggio");
  }
  {
    TAboutBox w(&Main());
    w.setWindowTitle(QString::fromLatin1(GetBrandTitle()));
    w.ProductName->setText(QString::fromLatin1(GetBrandTitle()));
    w.Version->setText(Tr(64) + QStringLiteral(" 0.1.0.0"));
    CheckWindow(w, "about");
  }
  {
    TFormCliente w(&Main());
    CheckWindow(w, "cliente");
  }
  CheckWindow(*scarica, "scarica");
  for (int mode : {TFormFile::ModeSave, TFormFile::ModeLoad}) {
    TFormFile w(&Main(), nullptr, mode, dir.path());
    CheckWindow(w, mode == TFormFile::ModeSave ? "file-save" : "file-load");
  }
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

TEST_P(LayoutTest, ToolWindows) {
  {
    TFormVisualizza w(&Main());
    CheckWindow(w, "visualizza");
  }
  {
    TFormCalibra w(&Main());
    CheckWindow(w, "calibra");
  }
  {
    TFormDiagnosi w(&Main());
    CheckWindow(w, "diagnosi");
  }
  for (bool fuelOnly : {false, true}) {
    TFormCilindrata w(&Main(), fuelOnly);
    CheckWindow(w, fuelOnly ? "cilindrata-fuel" : "cilindrata");
  }
  {
    TFormCentriCelle w(&Main());
    CheckWindow(w, "centricelle");
  }
  for (int rows : {4, 5}) {
    data.NumeroRigheArr = rows;
    TFormCentriCelleArr w(&Main());
    CheckWindow(w, rows == 4 ? "centricellearr-4" : "centricellearr-5");
  }
  {
    TFormModMappa w(&Main());
    w.Edit1->setText(QStringLiteral("12345"));
    CheckWindow(w, "modmappa");
  }
  {
    TFormParAdatta w(&Main());
    CheckWindow(w, "paradatta");
  }
  {
    TFormParAdattaEcu w(&Main());
    CheckWindow(w, "paradattaecu");
  }
  {
    TFormOrdina w(&Main());
    CheckWindow(w, "ordina");
  }
  {
    dati_.Add(2000, 1.5, 3000, 1);
    TFormDatiMappati w(&Main(), &dati_);
    CheckWindow(w, "datimappati");
  }
  {
    TFormGrafico w(&Main(), false);
    w.Tag = 4095;
    CheckWindow(w, "grafico");
  }
  {
    TFormGraficoDrt w(&Main(), QStringLiteral(LAYOUT_GOLDEN_DIR "/trace_format2.txt"));
    ASSERT_TRUE(w.Loaded());
    CheckWindow(w, "graficodrt");
  }
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

// Every visible page of the editor, and the limit hint of every field that shows one.
TEST_P(LayoutTest, EditorPagesAndLimitHints) {
  TFormConfig form(&Main());
  ShowAndSettle(form);
  form.StopLiveTimer();
  QStringList found;
  for (int id = 0; id < kConfigPageCount; ++id) {
    const auto page = static_cast<ConfigPageId>(id);
    if (!form.IsPageVisible(page)) continue;
    form.SetActivePage(page);
    QCoreApplication::processEvents();
    const QString name = Case(QStringLiteral("config-") + form.Page(page)->objectName());
    found << Check(form, name);
    found << CheckTabs(*form.findChild<TFunctionKeyTabStrip*>(QStringLiteral("PageControl")));
    bool hintShown = false;
    for (TNumericEdit* edit : form.Page(page)->findChildren<TNumericEdit*>()) {
      if (!edit->isVisible() || edit->isReadOnly() || !edit->isEnabled()) continue;
      edit->setFocus();
      QCoreApplication::processEvents();
      if (!form.LimitHint()->isVisible()) continue;
      hintShown = true;
      for (const QString& v : ControlLayoutViolations(form.LimitHint()))
        found << name + QStringLiteral(": hint of ") + edit->objectName() + QStringLiteral(": ") + v;
    }
    // The page with the hint of its last field.
    if (hintShown) Keep(form, name + QStringLiteral("-hint"));
  }
  form.close();
  EXPECT_TRUE(found.isEmpty()) << found.size() << " violations\n" << found.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Probes, LayoutTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("TwoProbes") : std::string("OneProbe");
                         });

// The test's screen is the one CMake gave the offscreen platform for this run.
TEST(LayoutScreen, RunsOnTheGivenScreen) {
  const QByteArray expected = qgetenv("LAYOUT_SCREEN");
  ASSERT_FALSE(expected.isEmpty());
  EXPECT_EQ(ScreenName().toLatin1(), expected);
}

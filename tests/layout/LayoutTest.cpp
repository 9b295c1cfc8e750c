// Every window and every editor page as the user sees it on this screen: connected to the
// simulated ECU, with one and with two lambda probes, the window must lie on the screen's
// available area and no control may leave its parent, cover a sibling or cut its text by a
// single pixel. The test program runs once per screen size and language (LAYOUT_SCREEN,
// LAYOUT_LANGUAGE "it" or "en"; see CMakeLists.txt): offscreen, on a screen of that size, and on
// a real X server with a window manager and the server's fonts, where metrics differ. It keeps
// a picture of every window under test-results/screenshots/layout-[x-]<size>-<language>.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <vector>

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
#include "LanguageFixture.h"
#include "LayoutCheck.h"
#include "Modmappa.h"
#include "NumericEdit.h"
#include "Ordina.h"
#include "Paradatta.h"
#include "Paradattaecu.h"
#include "SampleWindows.h"
#include "Tracce.h"
#include "visualizza.h"

namespace {

QString ScreenName() {
  const QSize s = QGuiApplication::primaryScreen()->size();
  return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

// The language of the run: 1 (English) when LAYOUT_LANGUAGE is "en", else 0 (Italian).
int LanguageOfRun() { return qgetenv("LAYOUT_LANGUAGE") == "en" ? 1 : 0; }

bool OnXServer() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

QString ShotFolder() {
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots/layout-") +
                                               (OnXServer() ? QStringLiteral("x-") : QString()) + ScreenName() +
                                               (LanguageOfRun() == 1 ? QStringLiteral("-en") : QStringLiteral("-it")));
  QDir().mkpath(dir);
  return dir;
}

// The picture as the user sees it: on the X server the screen where the window and its frame
// lie (menus open over it included), offscreen the window's own drawing.
QImage Picture(QWidget& w) {
  if (OnXServer())
    return w.screen()->grabWindow(0, w.frameGeometry().x(), w.frameGeometry().y(), w.frameGeometry().width(),
                                  w.frameGeometry().height()).toImage();
  return w.grab().toImage();
}

void Keep(QWidget& w, const QString& name) { Picture(w).save(ShotFolder() + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG"); }

// Shows the window as its caller does and lets it settle.
void ShowAndSettle(QWidget& w) {
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  // On the X server the window manager frames and places the window (a frameless one, or a
  // tool window it does not activate, only as far as it goes).
  // A window that does neither within the time is still laid out and checked as it stands.
  if (OnXServer())
    (void)QTest::qWaitFor([&] { return w.isActiveWindow() || w.frameGeometry() != w.geometry(); }, 2000);
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

// A part of a widget as the user sees it (see Picture).
QImage Region(QWidget* w, const QRect& r) {
  if (OnXServer()) {
    const QPoint at = w->mapToGlobal(r.topLeft());
    return w->screen()->grabWindow(0, at.x(), at.y(), r.width(), r.height()).toImage().convertToFormat(QImage::Format_RGB32);
  }
  return w->grab(r).toImage().convertToFormat(QImage::Format_RGB32);
}

// The ink of a title item, column by column: how far each pixel's grey level lies from the
// item's background (its most common colour), summed down the column; reddish pixels (the
// mark) and rows drawn across the whole item (its border) left out.
std::vector<int> InkColumns(const QImage& image) {
  std::map<QRgb, int> count;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) ++count[image.pixel(x, y)];
  QRgb background = 0;
  int most = -1;
  for (const auto& [colour, n] : count)
    if (n > most) most = n, background = colour;
  const auto ink = [&](QRgb p) {
    if (qRed(p) > qGreen(p) + 60 && qRed(p) > qBlue(p) + 60) return 0;
    const int d = std::abs(qGray(p) - qGray(background));
    return d > 40 ? d : 0;
  };
  std::vector<int> columns(static_cast<size_t>(image.width()), 0);
  for (int y = 0; y < image.height(); ++y) {
    int inked = 0;
    for (int x = 0; x < image.width(); ++x) inked += ink(image.pixel(x, y)) > 0;
    if (inked > image.width() * 8 / 10) continue;
    for (int x = 0; x < image.width(); ++x) columns[static_cast<size_t>(x)] += ink(image.pixel(x, y));
  }
  // Smoothed over three columns: the glyphs may fall on another fraction of a pixel.
  std::vector<int> smooth(columns.size(), 0);
  for (size_t x = 0; x < columns.size(); ++x)
    smooth[x] = 2 * columns[x] + (x > 0 ? columns[x - 1] : 0) + (x + 1 < columns.size() ? columns[x + 1] : 0);
  return smooth;
}

// Where the title drawn in `plain` lies in `marked`, column for column: the offset at which the
// inked columns of both agree (the ink pattern matching to 90 %, as much ink), or -1 when no
// offset shows the whole title.
int FindTitle(const QImage& plain, const QImage& marked) {
  const std::vector<int> p = InkColumns(plain), m = InkColumns(marked);
  int first = -1, last = -1;
  for (int x = 0; x < static_cast<int>(p.size()); ++x)
    if (p[static_cast<size_t>(x)] > 0) last = x, first = first < 0 ? x : first;
  if (first < 0) return -1;
  for (int dx = -first; last + dx < static_cast<int>(m.size()); ++dx) {
    double pp = 0, mm = 0, pm = 0;
    for (int x = first; x <= last; ++x) {
      const double a = p[static_cast<size_t>(x)], b = m[static_cast<size_t>(x + dx)];
      pp += a * a, mm += b * b, pm += a * b;
    }
    if (mm > 0 && pm / std::sqrt(pp * mm) >= 0.9 && mm > 0.7 * pp && mm < 1.3 * pp) return first + dx;
  }
  return -1;
}

// The leftmost column of strongly red pixels (the recording mark); -1 when there is none.
int RedColumn(const QImage& image) {
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y) {
      const QColor c(image.pixel(x, y));
      if (c.red() > 180 && c.green() < 90 && c.blue() < 90) return x;
    }
  return -1;
}

}  // namespace

class LayoutTest : public LanguageFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(LoadLanguages());
    ASSERT_EQ(LanguageCount, 2);
    settings->SetSetting(SettingLanguage, LanguageOfRun());
    Shown();  // the first show takes the language and connects
    FirstIdle();  // the splash goes
    ASSERT_EQ(CurrentLanguage, LanguageOfRun());
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
    FillSampleSplash(w);
    CheckWindow(w, "splash");
  }
  {
    TFormAttesa w;
    FillSampleWait(w);
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
    FillSampleAbout(w);
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
  for (bool interpolation : {false, true}) {
    TFormGrafico w(&Main(), interpolation);
    w.Tag = 4095;
    CheckWindow(w, interpolation ? "grafico-interpolation" : "grafico");
  }
  {
    TFormGraficoDrt w(&Main(), QStringLiteral(LAYOUT_GOLDEN_DIR "/trace_format2.txt"));
    ASSERT_TRUE(w.Loaded());
    CheckWindow(w, "graficodrt");
  }
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

// The wait window of every caller, shown as the caller shows it (before any progress), then
// with the texts the caller puts in it while it runs and the longest progress text, 100%.
TEST_P(LayoutTest, WaitWindows) {
  struct Wait {
    const char* name;
    int caption, message;
    QString suffix;
    int laterCaption, laterMessage;  // 0: unchanged
    QString retry;                    // the caption's attempt suffix of a retry
  };
  const QString plain = Tr(73), spaced = QStringLiteral(" ") + Tr(73) + QStringLiteral(" ");
  const Wait waits[] = {
      {"attesa-connect", 65, 88, spaced, 0, 0, {}},
      {"attesa-load", 65, 67, Tr(73) + QStringLiteral(" "), 66, 68, {}},
      {"attesa-tara", 66, 68, spaced, 0, 0, {}},
      {"attesa-program", 80, 79, plain, 0, 0, QStringLiteral(" - ") + Tr(84) + QStringLiteral(" 2")},
      {"attesa-maps", 568, 569, spaced, 0, 0, {}},
  };
  for (const Wait& c : waits) {
    TFormAttesa w(&Main());
    w.setWindowTitle(Tr(c.caption));
    w.Label1->setText(Tr(c.message));
    w.SetSuffix(c.suffix);
    ShowAndSettle(w);
    SendPrivateMessage(&w, WM_PROGRESS, 35, ProgressSet);
    if (c.laterCaption) w.setWindowTitle(Tr(c.laterCaption));
    if (c.laterMessage) w.Label1->setText(Tr(c.laterMessage));
    if (!c.retry.isEmpty()) w.setWindowTitle(Tr(c.caption) + c.retry);
    SendPrivateMessage(&w, WM_PROGRESS, 100, ProgressSet);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Label2->text(), QStringLiteral("100% ") + c.suffix);
    found_ << Check(w, Case(c.name));
    w.close();
  }
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

// "Aggiungi/rimuovi tracce" of a trace with both banks: all fifteen traces.
TEST_P(LayoutTest, TraceSeriesDialog) {
  TFormGraficoDrt chart(&Main(), QStringLiteral(LAYOUT_GOLDEN_DIR "/trace_format2.txt"));
  ASSERT_TRUE(chart.Loaded());
  ShowAndSettle(chart);
  int tracks = 0;
  OnNextModal([&](QDialog* d) {
    auto* dialog = qobject_cast<TFormGestioneTracce*>(d);
    if (!dialog) {
      d->reject();
      return;
    }
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    if (OnXServer()) {
      EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    }
    QCoreApplication::processEvents();
    tracks = static_cast<int>(dialog->PanelTracce->findChildren<QCheckBox*>().size());
    found_ << Check(*dialog, Case("tracce"));
    dialog->ButtonAnnulla->click();
  });
  chart.MenuTracceClick();
  chart.close();
  EXPECT_EQ(tracks, 15);
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

// While a trace is recorded, the "Acquisizioni" title shows the recording mark beside it and
// stays whole, closed and opened with its Alt key: the title as drawn when not recording lies
// whole in the item, right of the red mark.
TEST_P(LayoutTest, RecordingMenuTitle) {
  TFormConfig form(&Main());
  form.TranslateConfigForm();
  form.SetAcquisitionFolder(dir.path());
  ShowAndSettle(form);
  form.StopLiveTimer();
  auto* bar = form.findChild<QMenuBar*>();
  ASSERT_TRUE(bar);
  QMenu* menu = form.MenuAcquisizioni;
  // The menu's title item, closed or opened as the user opens it (Alt and its letter).
  const auto title = [&](bool open, const char* shot) {
    if (open) {
      QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
      QTest::keyClick(focus, Qt::Key_A, Qt::AltModifier);
      EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); })) << shot;
      if (OnXServer()) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
      }
    }
    QCoreApplication::processEvents();
    const QImage item = Region(bar, bar->actionGeometry(menu->menuAction()));
    if (shot) Keep(form, QLatin1String(shot));
    if (open) {
      // Esc closes the menu, a second one leaves the menu bar.
      QTest::keyClick(menu, Qt::Key_Escape);
      QTest::keyClick(bar, Qt::Key_Escape);
      QCoreApplication::processEvents();
    }
    return item;
  };
  const QImage closed = title(false, nullptr), opened = title(true, nullptr);
  form.MenuCominciaDrt->trigger();
  ASSERT_FALSE(form.MenuCominciaDrt->isEnabled());
  const QImage closedRecording = title(false, nullptr), openedRecording = title(true, "recording-menu");
  form.MenuTerminaDrt->trigger();  // the save dialog is cancelled: the trace is dropped
  form.close();

  const std::pair<QImage, QImage> cases[] = {{closed, closedRecording}, {opened, openedRecording}};
  for (const auto& [plain, recording] : cases) {
    const int at = FindTitle(plain, recording);
    EXPECT_GE(at, 0) << "the title is not whole while recording";
    const int mark = RedColumn(recording);
    EXPECT_GE(mark, 0) << "no recording mark";
    EXPECT_LT(mark, at) << "the mark is not left of the title";
    EXPECT_EQ(RedColumn(plain), -1);
  }
}

// Every visible page of the editor, and the limit hint of every field that shows one.
TEST_P(LayoutTest, EditorPagesAndLimitHints) {
  TFormConfig form(&Main());
  form.TranslateConfigForm();
  ShowAndSettle(form);
  form.StopLiveTimer();
  form.Timer1Timer();  // the live panel shows readings, however fast the window came up
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

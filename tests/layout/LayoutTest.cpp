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
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPaintEngine>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <QTextLayout>
#include <QValueAxis>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <vector>

#include "AboutBox.h"
#include "AcquisitionStore.h"
#include "Calibra.h"
#include "CentriCelle.h"
#include "CentriCelleArr.h"
#include "ChartView.h"
#include "Cilindrata.h"
#include "Config.h"
#include "Datimappati.h"
#include "Diagnosi.h"
#include "DrawGrid.h"
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
  const QString dir = QDir::current().filePath(
      QStringLiteral("test-results/screenshots/layout-") + (OnXServer() ? QStringLiteral("x-") : QString()) +
      ScreenName() + (LanguageOfRun() == 1 ? QStringLiteral("-en") : QStringLiteral("-it")));
  QDir().mkpath(dir);
  return dir;
}

// The picture as the user sees it: on the X server the screen where the window and its frame
// lie (menus open over it included), offscreen the window's own drawing.
QImage Picture(QWidget& w) {
  if (OnXServer())
    return w.screen()
        ->grabWindow(0, w.frameGeometry().x(), w.frameGeometry().y(), w.frameGeometry().width(),
                     w.frameGeometry().height())
        .toImage();
  return w.grab().toImage();
}

void Keep(QWidget& w, const QString& name) {
  Picture(w).save(ShotFolder() + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG");
}

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

// The editor as the main window opens it, shown and settled; its live timer stopped, so the
// test alone decides when a tick comes.
void OpenEditor(TFormConfig& form) {
  form.TranslateConfigForm();
  ShowAndSettle(form);
  form.StopLiveTimer();
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
      found << QStringLiteral("PageControl: tab text cut: \"%1\" in %2x%3")
                   .arg(text)
                   .arg(r.width())
                   .arg(r.height());
  }
  return found;
}

// A part of a widget as the user sees it (see Picture).
QImage Region(QWidget* w, const QRect& r) {
  if (OnXServer()) {
    const QPoint at = w->mapToGlobal(r.topLeft());
    return w->screen()
        ->grabWindow(0, at.x(), at.y(), r.width(), r.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
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
    Shown();      // the first show takes the language and connects
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

  // Shows each page the editor offers in turn and hands it to `visit` with its case's name.
  void ForEachPage(TFormConfig& form, const std::function<void(ConfigPageId, const QString&)>& visit) const {
    for (int id = 0; id < kConfigPageCount; ++id) {
      const auto page = static_cast<ConfigPageId>(id);
      if (!form.IsPageVisible(page)) continue;
      form.SetActivePage(page);
      QCoreApplication::processEvents();
      visit(page, Case(QStringLiteral("config-") + form.Page(page)->objectName()));
    }
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
// with the texts the caller puts in it while it runs and the longest progress text, 100%: all
// while the caller's pass holds the event loop, so the window is not laid out again meanwhile.
// The progress text keeps its ink, descenders included, inside its label.
TEST_P(LayoutTest, WaitWindows) {
  struct Wait {
    const char* name;
    int caption, message;
    QString suffix;
    int laterCaption, laterMessage;  // 0: unchanged
    QString retry;                   // the caption's attempt suffix of a retry
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
    EXPECT_EQ(w.Label2->text(), QStringLiteral("100% ") + c.suffix);
    found_ << Check(w, Case(c.name));
    for (const QLabel* l : {w.Label1, w.Label2})
      for (const QString& v : TextInkViolations(l)) found_ << Case(c.name) + QStringLiteral(": ") + v;
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
  form.SetAcquisitionFolder(dir.path());
  OpenEditor(form);
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
  OpenEditor(form);
  form.Timer1Timer();  // the live panel shows readings, however fast the window came up
  QStringList found;
  ForEachPage(form, [&](ConfigPageId page, const QString& name) {
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
  });
  form.close();
  EXPECT_TRUE(found.isEmpty()) << found.size() << " violations\n"
                               << found.join(QLatin1Char('\n')).toStdString();
}

namespace {

// The trace chart's axis labels as drawn: every text item of the chart's scene ending in the
// chart's "..." is a label cut short; `twoDecimals` counts the labels such as "3.15".
struct ChartLabels {
  QStringList cut;
  int twoDecimals = 0;
};

ChartLabels LabelsOf(const TFormGraficoDrt& chart) {
  ChartLabels labels;
  static const QRegularExpression twoDecimals(QStringLiteral("^-?\\d+[.,]\\d\\d$"));
  for (QGraphicsItem* item : chart.ChartView->scene()->items()) {
    QString text;
    if (auto* t = dynamic_cast<QGraphicsTextItem*>(item))
      text = t->toPlainText();
    else if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item))
      text = t->text();
    if (!item->isVisible() || text.isEmpty()) continue;
    if (text.endsWith(QStringLiteral("..."))) labels.cut << text;
    if (twoDecimals.match(text).hasMatch()) ++labels.twoDecimals;
  }
  return labels;
}

}  // namespace

// Zoomed with the mouse onto ranges whose ticks need two decimals, further in, undone and zoomed
// again, the trace chart's value axis shows every label whole.
TEST_P(LayoutTest, TraceChartAxisLabelsAfterZoom) {
  TFormGraficoDrt chart(&Main(), QStringLiteral(LAYOUT_GOLDEN_DIR "/trace_format2.txt"));
  ASSERT_TRUE(chart.Loaded());
  ShowAndSettle(chart);
  QWidget* viewport = chart.ChartView->viewport();
  const double t0 = chart.AxisTempo->min(), t1 = chart.AxisTempo->max();
  // A drag from the top left to the bottom right corner of a value range; 0 and 0: Ctrl+Z. A
  // picture is kept of the steps with a name.
  const struct {
    double top, bottom;
    const char* shot = nullptr;
  } steps[] = {
      {4, 2}, {3.4, 3.0, "graficodrt-zoomed"},      {3.3, 3.15}, {0, 0}, {1.5, 0.5}, {1.2, 0.9}, {0, 0},
      {6, 3}, {5.5, 5.1, "graficodrt-zoomed-again"}};
  int twoDecimals = 0;
  for (const auto& step : steps) {
    const QString name = step.top == 0 ? QStringLiteral("undo")
                                       : QStringLiteral("%1-%2").arg(step.top).arg(step.bottom);
    if (step.top == 0) {
      QTest::keyClick(&chart, Qt::Key_Z, Qt::ControlModifier);
    } else {
      const QPoint a = chart.ChartView->PositionOf({t0 + (t1 - t0) * 0.1, step.top}).toPoint();
      const QPoint b = chart.ChartView->PositionOf({t0 + (t1 - t0) * 0.9, step.bottom}).toPoint();
      QTest::mousePress(viewport, Qt::LeftButton, {}, a);
      QTest::mouseMove(viewport, b);
      QTest::mouseRelease(viewport, Qt::LeftButton, {}, b);
      EXPECT_TRUE(chart.Zoom().IsZoomed()) << name.toStdString();
    }
    QCoreApplication::processEvents();
    const ChartLabels labels = LabelsOf(chart);
    twoDecimals += labels.twoDecimals;
    for (const QString& cut : labels.cut)
      found_ << Case("graficodrt-zoom") + QLatin1Char(' ') + name + QStringLiteral(": label cut: \"") + cut +
                    QLatin1Char('"');
    if (step.shot) Keep(chart, Case(step.shot));
  }
  chart.close();
  EXPECT_GT(twoDecimals, 0) << "no zoom showed two-decimal ticks";
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

namespace {

// The columns of a table grid too narrow for `widest` in the grid's font: the room of a cell's
// text is the column less its grid line and the text margins the style keeps on either side.
QStringList NarrowColumns(const QTableView& grid, const QString& widest, const QString& name) {
  QStringList found;
  const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
  const int needed = QFontMetrics(grid.font()).horizontalAdvance(widest);
  for (int c = 0; c < grid.model()->columnCount(); ++c) {
    const int room = grid.columnWidth(c) - (grid.showGrid() ? 1 : 0) - 2 * margin;
    if (needed > room)
      found << QStringLiteral("%1: column %2 cuts \"%3\": needs %4 px, has %5")
                   .arg(name)
                   .arg(c)
                   .arg(widest)
                   .arg(needed)
                   .arg(room);
  }
  return found;
}

}  // namespace

// The acquired-points grid holds in every column the widest value a point's field can hold (a
// 32-bit integer), five-digit injection times among the points shown.
TEST_P(LayoutTest, PointsGridColumnsHoldTheirWidestValue) {
  dati_.Add(2500, 1.75, 12000, 0);
  dati_.Add(4800, 3.2, 18450, 0);
  dati_.Add(900, 0.4, 2150, 0);
  TFormDatiMappati w(&Main(), &dati_);
  ShowAndSettle(w);
  found_ << Check(w, Case("datimappati-points"));
  found_ << NarrowColumns(*w.GridValori, QString::number(std::numeric_limits<int32_t>::min()),
                          Case("datimappati"));
  w.close();
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
}

namespace {

// A paint device that keeps the texts painted on it: where each starts (on its base line) and
// how wide it is, in the font it was drawn with. Its resolution is the screen's, so the texts
// come out as wide as on the screen.
class TextRecorder final : public QPaintDevice {
 public:
  struct Text {
    QPointF at;
    qreal width, ascent;
    QString text;
  };
  explicit TextRecorder(const QWidget& w) : size_(w.size()), dpiX_(w.logicalDpiX()), dpiY_(w.logicalDpiY()) {}
  QPaintEngine* paintEngine() const override { return &engine_; }
  const std::vector<Text>& Texts() const { return engine_.texts; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
        return size_.width();
      case PdmHeight:
        return size_.height();
      case PdmDpiX:
      case PdmPhysicalDpiX:
        return dpiX_;
      case PdmDpiY:
      case PdmPhysicalDpiY:
        return dpiY_;
      case PdmDepth:
        return 32;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return QPaintDevice::metric(m);
    }
  }

 private:
  class Engine final : public QPaintEngine {
   public:
    Engine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
      const QPointF at = painter()->transform().map(p);
      texts.push_back({at, item.width(), item.ascent(), item.text()});
    }
    Type type() const override { return User; }
    std::vector<Text> texts;
  };
  QSize size_;
  int dpiX_, dpiY_;
  mutable Engine engine_;
};

// The texts of a drawn grid that leave the cell they start in.
QStringList CutCellTexts(TDrawGrid& grid, const QString& name) {
  TextRecorder recorder(grid);
  grid.render(&recorder);
  QStringList found;
  for (const TextRecorder::Text& t : recorder.Texts()) {
    int col = 0, row = 0;
    const QPoint inside(static_cast<int>(t.at.x() + 1), static_cast<int>(t.at.y() - t.ascent / 2));
    if (!grid.CellAt(inside, &col, &row)) continue;
    const QRect cell = grid.CellRect(col, row);
    if (t.at.x() < cell.left() || t.at.x() + t.width > cell.left() + cell.width())
      found << QStringLiteral("%1/%2: cell %3,%4 cuts \"%5\": needs %6 px from %7, the cell is %8 px from %9")
                   .arg(name, grid.objectName())
                   .arg(col)
                   .arg(row)
                   .arg(t.text)
                   .arg(t.width)
                   .arg(t.at.x())
                   .arg(cell.width())
                   .arg(cell.left());
  }
  return found;
}

}  // namespace

// Every drawn grid of the editor (maps, enrichment, emissions, injection sequence) with its
// fields at the widest values they hold: every text lies inside its cell.
TEST_P(LayoutTest, DrawnGridCellsHoldTheirWidestValues) {
  for (int r = 0; r < 12; ++r) {
    data.RifGiri[r] = 10000;  // rpm
    data.RifMAP[r] = 255;     // 5.00 V
    data.RifOpenLoop[r] = 0x3F;
    data.PassiInvArr[r] = data.PassiInvSmg[r] = 255;
    data.PassiIngr[r] = data.PassiSmag[r] = 255;  // 1275 ms
    // 20.00 ms
    for (int c = 0; c < 12; ++c) data.Mappa[r][c] = data.MappaBenzina[r][c] = 5000;
  }
  for (int r = 0; r < TEcuData::kArrRows; ++r) {
    data.RifCumulo[r] = 127;
    for (int c = 0; c < TEcuData::kArrCols; ++c) data.MappaArr[r][c] = 125;  // 250
  }
  for (int c = 0; c < TEcuData::kArrCols; ++c)
    data.ArrPerTps[c] = data.VarCumulo[c] = data.ArrUscitaMin[c] = 250;
  TFormConfig form(&Main());
  OpenEditor(form);
  ForEachPage(form, [&](ConfigPageId page, const QString& name) {
    bool grids = false;
    for (TDrawGrid* grid : form.Page(page)->findChildren<TDrawGrid*>()) {
      if (!grid->isVisible()) continue;
      grids = true;
      found_ << CutCellTexts(*grid, name);
    }
    if (grids) Keep(form, name + QStringLiteral("-widest"));
  });
  form.close();
  found_.removeDuplicates();
  EXPECT_TRUE(found_.isEmpty()) << found_.join(QLatin1Char('\n')).toStdString();
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

// ---- The editor keeps to its screen -----------------------------------------------------------

namespace {

// Where a window is wider, with its frame, than its screen's available area, or higher, or the
// least size its layout asks for is: the window would grow past the screen at its next layout.
// The height goes without the frame: after a window is mapped again, Qt may keep the window
// manager's frame of a window that is not maximised (openbox: a title 4 px higher) while the
// server has it maximised and whole on the screen.
QStringList OutgrowsScreen(const QWidget& w, const QString& name) {
  QStringList found;
  const QRect available = w.screen()->availableGeometry();
  const QSize frame(w.frameGeometry().width() - w.width(), 0);
  const QSize whole = w.size() + frame;
  const QSize least = w.minimumSize().expandedTo(w.minimumSizeHint()) + frame;
  const auto report = [&](const char* what, QSize size) {
    if (size.width() > available.width() || size.height() > available.height())
      found << QStringLiteral("%1: %2 %3x%4, frame's width included, on an available area of %5x%6")
                   .arg(name, QLatin1String(what))
                   .arg(size.width())
                   .arg(size.height())
                   .arg(available.width())
                   .arg(available.height());
  };
  report("the window is", whole);
  report("the window asks for at least", least);
  return found;
}

// The editor's shape after a step of the user: laid out again and, on the X server, framed
// again by the window manager (no wait when it already fits).
QStringList EditorAfter(QWidget& form, const QString& name) {
  // A page's new least size climbs to the window one layout request at a time.
  for (int pass = 0; pass < 4; ++pass) QCoreApplication::processEvents();
  (void)QTest::qWaitFor([&] { return OutgrowsScreen(form, name).isEmpty(); }, 500);
  return OutgrowsScreen(form, name);
}

}  // namespace

// The editor on its screen after every page, walked with the keys a user presses (F1..F12,
// then PageDown), after every dialog the user opens from it, and when it is shown again:
// neither the window nor the least size its pages ask for outgrows the screen.
TEST_P(LayoutTest, EditorKeepsToItsScreen) {
  TFormConfig form(&Main());
  OpenEditor(form);
  form.Timer1Timer();
  QStringList found = EditorAfter(form, Case("editor-shown"));
  const auto press = [&](Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == &form ? focus : &form, key);
  };
  int visible = 0;
  for (int id = 0; id < kConfigPageCount; ++id) visible += form.IsPageVisible(static_cast<ConfigPageId>(id));
  for (int n = 0; n < visible; ++n) {
    press(n < 12 ? Qt::Key(Qt::Key_F1 + n) : Qt::Key_PageDown);
    const QString step = Case(QStringLiteral("editor-F%1").arg(n + 1));
    found << EditorAfter(form, step);
    if (n == 8) {
      EXPECT_EQ(form.ActivePage(), TabEmissioni);
      Keep(form, step);
    }
  }

  // Each dialog the editor opens, from the page it lives on; the dialog is checked as shown.
  struct Opener {
    ConfigPageId page;
    const char* control;  // an action or a button of the editor; a grid: a block and Enter
  };
  const Opener openers[] = {
      {TabMappa, "ButtonCentriCelle"},  {TabMappa, "MenuGraficoMappa"},
      {TabMappa, "MenuModMappatura"},   {TabArricchimento, "ButtonCentriCelleArr"},
      {TabEmissioni, "GridPassi"},      {TabAdatta, "MenuParAdatta"},
      {TabAdatta, "MenuParCentralina"},
  };
  for (const Opener& o : openers) {
    form.SetActivePage(o.page);
    QCoreApplication::processEvents();
    const QString name = Case(QStringLiteral("editor-dialog-") + QLatin1String(o.control));
    bool opened = false;
    OnNextModal([&](QDialog* d) {
      opened = true;
      // Checked and pictured once it is on the screen, framed and active, as a user meets it.
      EXPECT_TRUE(QTest::qWaitForWindowExposed(d)) << o.control;
      if (OnXServer()) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(d)) << o.control;
      }
      QCoreApplication::processEvents();
      found << Check(*d, name);
      d->reject();
    });
    if (auto* action = form.findChild<QAction*>(QLatin1String(o.control))) {
      ASSERT_TRUE(action->isEnabled()) << o.control;
      action->trigger();
    } else if (auto* button = form.findChild<QPushButton*>(QLatin1String(o.control))) {
      if (!button->isVisible()) continue;  // not offered by this ECU
      button->click();
    } else {
      auto* grid = form.findChild<TDrawGrid*>(QLatin1String(o.control));
      ASSERT_TRUE(grid) << o.control;
      grid->setFocus();
      grid->SetSelection({1, 1, 2, 3});
      QTest::keyClick(grid, Qt::Key_Return);
    }
    EXPECT_TRUE(opened) << o.control;
    found << EditorAfter(form, name);
  }
  form.close();

  // Shown again, on the page it was left on and on the first.
  ShowAndSettle(form);
  form.StopLiveTimer();
  found << EditorAfter(form, Case("editor-reopened"));
  press(Qt::Key_F1);
  found << EditorAfter(form, Case("editor-reopened-F1"));
  form.close();
  EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
}

// ---- Texts set apart: the live panel's captions and the map page's note ----------------------

namespace {

// The rect a label's one-line text takes as drawn (its alignment in its contents), in the
// coordinates of `in`.
QRect TextRectIn(const QLabel* l, const QWidget* in) {
  const QRect line =
      l->fontMetrics().boundingRect(l->contentsRect(), static_cast<int>(l->alignment()), l->text());
  return QRect(l->mapTo(in, line.topLeft()), line.size());
}

// The lines a word-wrapped label breaks its text into at its present width.
QStringList WrappedLines(const QLabel* l) {
  QTextLayout layout(l->text(), l->font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(l->contentsRect().width());
    lines << l->text().mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines;
}

}  // namespace

// The live panel's captions stand at least a blank apart, as words do, and a wrapped line of
// the map page's note never ends with one word alone on its last line.
TEST_P(LayoutTest, EditorTextsSetApart) {
  TFormConfig form(&Main());
  OpenEditor(form);
  form.Timer1Timer();
  form.SetActivePage(TabMappa);
  QCoreApplication::processEvents();
  QStringList found;

  auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel1"));
  ASSERT_TRUE(panel);
  std::vector<const QLabel*> captions;
  for (const QLabel* l : panel->findChildren<QLabel*>())
    if (l->isVisible() && l->objectName().startsWith(QLatin1String("Label"))) captions.push_back(l);
  ASSERT_GE(captions.size(), 13u);
  std::sort(captions.begin(), captions.end(),
            [](const QLabel* a, const QLabel* b) { return a->x() < b->x(); });
  for (size_t i = 1; i < captions.size(); ++i) {
    const QRect left = TextRectIn(captions[i - 1], panel), right = TextRectIn(captions[i], panel);
    const int blank = captions[i]->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    if (right.left() - left.right() - 1 < blank)
      found << QStringLiteral("Panel1: \"%1\" and \"%2\" %3 px apart, less than a blank (%4 px)")
                   .arg(captions[i - 1]->text(), captions[i]->text())
                   .arg(right.left() - left.right() - 1)
                   .arg(blank);
  }

  for (const char* name : {"LabelNotaBene1", "LabelNotaBene2", "LabelNotaBene3"}) {
    auto* note = form.findChild<QLabel*>(QLatin1String(name));
    ASSERT_TRUE(note) << name;
    const QStringList lines = WrappedLines(note);
    if (lines.size() > 1 && !lines.last().contains(QLatin1Char(' ')))
      found << QStringLiteral("%1: \"%2\" alone on the last line of \"%3\"")
                   .arg(QLatin1String(name), lines.last(), note->text());
  }
  Keep(form, Case("config-texts-apart"));
  form.close();
  EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
}

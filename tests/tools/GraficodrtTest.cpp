#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <cmath>
#include <functional>
#include <set>

#include "ChartView.h"
#include "ChartZoom.h"
#include "CoverageFill.h"
#include "Graficodrt.h"
#include "ParallelRun.h"
#include "PrintDialog.h"
#include "Prompt.h"
#include "Tracce.h"
#include "TraceFile.h"
#include "TracePlot.h"
#include "TraceReaderRule.h"
#include "TraceRecorder.h"

namespace {

QString GoldenPath(const char* name) {
  return QFileInfo(QString::fromUtf8(__FILE__)).dir().filePath(QStringLiteral("golden/") + name);
}

// A trace as the recorder writes it: header lines, then one record per entry of elapsed ms.
QByteArray RecordedTrace(int format, const std::vector<std::pair<uint32_t, TTraceRecord>>& records) {
  QByteArray out = TTraceRecorder::HeaderLines(format, QStringLiteral("1 gennaio 2024 08:30:00"));
  for (const auto& [ms, r] : records) out += TTraceRecorder::RecordLine(ms, r, format);
  return out;
}

TTraceRecord Sample() {
  TTraceRecord r;
  r.rpm = 2500;
  r.map = 1.25;
  r.cumulo = 40;
  r.tps = 0.75;
  r.lambda = 0.82;
  r.gasInjection = 3.25;
  r.correction = 25;
  r.petrolInjection = 2.9;
  r.petrolCorrection = -45;
  r.flag1 = 0x33;
  r.enrichment = 0.5;
  r.pressure = 1.1;
  r.temperatureRaw = 128;
  r.level = 200;
  r.lambda2 = 0.7;
  r.correction2 = 25;
  r.injection2 = 3.3;
  return r;
}

class TraceChart : public ::testing::Test {
 protected:
  TraceChart() : usePrompts_(&prompts_) {}

  QString Write(const QByteArray& content, const char* name = "prova.drt.txt") {
    const QString path = dir_.filePath(QLatin1String(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    return path;
  }

  QTemporaryDir dir_;
  ScriptedPrompts prompts_;
  ScopedPrompts usePrompts_;
};

// A road test of `records` records, 170 ms apart: slow swings with noise, a lambda probe
// switching, and every 397 records a spike one record wide (up on some traces, down on others).
QByteArray LongTrace(int records) {
  std::vector<std::pair<uint32_t, TTraceRecord>> out;
  uint32_t seed = 7;
  const auto noise = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<double>((seed >> 8) & 0xFFFF) / 65535.0 - 0.5;
  };
  for (int k = 0; k < records; ++k) {
    TTraceRecord r = Sample();
    const double swing = 0.5 + 0.5 * std::sin(k / 300.0);
    r.rpm = static_cast<int>(900 + 3000 * swing + 80 * noise());
    r.map = std::round((0.5 + 1.5 * swing) * 100) / 100;
    r.lambda = (k / 7) % 2 ? 0.12 : 0.84;
    r.gasInjection = std::round((2.5 + 6 * swing + 0.3 * noise()) * 1000) / 1000;
    r.correction = static_cast<int>(30 * noise());
    r.pressure = 1.1;
    if (k % 397 == 200) {
      r.rpm = 6500;
      r.gasInjection = 0.2;
      r.pressure = 3.5;
      r.correction = -90;
    }
    out.push_back({static_cast<uint32_t>(170 * k), r});
  }
  return RecordedTrace(2, out);
}

// The chart view as it paints (or prints) on a device `scale` times finer than the screen.
QImage DrawChart(TFormGraficoDrt& form, bool reduced, double scale) {
  form.Plot->SetReduced(reduced);
  QWidget* vp = form.ChartView->viewport();
  QImage image((QSizeF(vp->size()) * scale).toSize(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHints(form.ChartView->renderHints());
  form.ChartView->render(&painter, QRectF(image.rect()), vp->rect());
  painter.end();
  form.Plot->SetReduced(true);
  return image;
}

// Pixels of `a` that `b` does not show within one pixel: no pixel of b at most one pixel away
// has a colour within `tolerance` of it in every channel. Antialiased line edges that differ a
// little pass; a line that is missing, added or moved does not.
int PixelsUnmatched(const QImage& a, const QImage& b, int tolerance) {
  const auto near = [tolerance](QRgb p, QRgb q) {
    return std::abs(qRed(p) - qRed(q)) <= tolerance && std::abs(qGreen(p) - qGreen(q)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(q)) <= tolerance;
  };
  int unmatched = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx)
          found = b.valid(x + dx, y + dy) && near(a.pixel(x, y), b.pixel(x + dx, y + dy));
      if (!found) ++unmatched;
    }
  return unmatched;
}

// Where a trace drawn in `colour` shows in `picture`: the pixels that differ from `background`
// (the same chart without its traces) in some channel by at least half of what the colour
// differs from white. Each colour is seen by a measure of its own, the palest as well as the
// darkest.
struct TInk {
  int width = 0, height = 0;
  std::vector<uint8_t> at;
  int Count() const { return static_cast<int>(std::count(at.begin(), at.end(), 1)); }
  bool Has(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && at[y * width + x]; }
};

TInk InkOf(const QImage& picture, const QImage& background, QColor colour) {
  const int contrast = std::max({255 - colour.red(), 255 - colour.green(), 255 - colour.blue()});
  TInk ink{picture.width(), picture.height(),
           std::vector<uint8_t>(size_t(picture.width()) * picture.height())};
  for (int y = 0; y < ink.height; ++y) {
    const auto* p = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(background.constScanLine(y));
    for (int x = 0; x < ink.width; ++x) {
      const int d = std::max({std::abs(qRed(p[x]) - qRed(b[x])), std::abs(qGreen(p[x]) - qGreen(b[x])),
                              std::abs(qBlue(p[x]) - qBlue(b[x]))});
      ink.at[y * ink.width + x] = 2 * d >= contrast ? 1 : 0;
    }
  }
  return ink;
}

// Ink of a that b lacks within one pixel.
int InkUnmatched(const TInk& a, const TInk& b) {
  int unmatched = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      if (!a.at[y * a.width + x]) continue;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) found = b.Has(x + dx, y + dy);
      if (!found) ++unmatched;
    }
  return unmatched;
}

// One series shown alone, drawn with every record and reduced: the ink of the first, and the
// ink of either that the other lacks.
struct TSeriesMatch {
  int ink = 0;
  int everyUnmatched = 0;
  int reducedUnmatched = 0;
};

// Each series of the chart alone (the chart's shown series are kept). dropped: the reduced
// drawing leaves the trace out, as a fault would, to show that the comparison sees it.
std::vector<TSeriesMatch> CompareEachSeries(TFormGraficoDrt& form, double scale, bool dropped = false) {
  std::vector<bool> shown;
  for (QLineSeries* series : form.Series) shown.push_back(series->isVisible());
  std::vector<TSeriesMatch> out;
  for (int s = 0; s < form.Series.size(); ++s) {
    for (int i = 0; i < form.Series.size(); ++i) form.Series[i]->setVisible(i == s);
    form.Plot->setVisible(false);
    const QImage background = DrawChart(form, true, scale);
    form.Plot->setVisible(true);
    const QColor colour = form.Series[s]->pen().color();
    const TInk every = InkOf(DrawChart(form, false, scale), background, colour);
    const TInk reduced = InkOf(dropped ? background : DrawChart(form, true, scale), background, colour);
    out.push_back({every.Count(), InkUnmatched(every, reduced), InkUnmatched(reduced, every)});
  }
  for (int i = 0; i < form.Series.size(); ++i) form.Series[i]->setVisible(shown[i]);
  return out;
}

// Runs `act` on the modal dialog of the traces as soon as it shows.
void OnTracceDialog(std::function<void(TFormGestioneTracce&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<TFormGestioneTracce*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

}  // namespace

TEST_F(TraceChart, ReadsTheRecordersGoldenFilesOfBothFormats) {
  const TTraceFile f1 = TTraceFile::Read(GoldenPath("trace_format1.txt"));
  ASSERT_EQ(f1.status, TTraceFile::Status::Ok);
  EXPECT_EQ(f1.format, 1);
  EXPECT_EQ(f1.records, 3);
  EXPECT_EQ(f1.SeriesCount(), 12);
  // Second record: 170 1450 1.53 4 0.75 0.1 3.24 2 2.904 15 51 0.004 1.09 129 200.
  const double want1[12] = {1.45, 1.53, 0.04, 0.75, 0.1, 3.24, 0.2, 2.904, 1.5, 0.004, 1.09, 12.9};
  ASSERT_EQ(f1.time.size(), 3u);
  EXPECT_DOUBLE_EQ(f1.time[1], 0.17);
  for (int s = 0; s < 12; ++s) {
    SCOPED_TRACE(s);
    ASSERT_EQ(f1.values[s].size(), 3u);
    EXPECT_FLOAT_EQ(f1.values[s][1], want1[s]);
  }
  for (int s = 12; s < 15; ++s) EXPECT_TRUE(f1.values[s].empty());

  const TTraceFile f2 = TTraceFile::Read(GoldenPath("trace_format2.txt"));
  ASSERT_EQ(f2.status, TTraceFile::Status::Ok);
  EXPECT_EQ(f2.format, 2);
  EXPECT_EQ(f2.records, 3);
  EXPECT_EQ(f2.SeriesCount(), 15);
  // First record ends 0.78 25 3.252: CORRET2 25 plots 2 (integer division).
  EXPECT_FLOAT_EQ(f2.values[12][0], 0.78);
  EXPECT_FLOAT_EQ(f2.values[13][0], 2);
  EXPECT_FLOAT_EQ(f2.values[14][0], 3.252);
  // The second: CORRET2 -5 plots 0 (truncating toward zero).
  EXPECT_FLOAT_EQ(f2.values[13][1], 0);
}

TEST_F(TraceChart, ScalesEachColumnAsItsSeriesPlotsIt) {
  const TTraceFile t = TTraceFile::Parse(RecordedTrace(2, {{1500, Sample()}}));
  ASSERT_EQ(t.status, TTraceFile::Status::Ok);
  EXPECT_DOUBLE_EQ(t.time[0], 1.5);        // TEMPO 1500 ms
  EXPECT_FLOAT_EQ(t.values[0][0], 2.5);    // GIRI x 0.001
  EXPECT_FLOAT_EQ(t.values[2][0], 0.4);    // CUMULO x 0.01
  EXPECT_FLOAT_EQ(t.values[6][0], 2.5);    // COR. 25 x 0.1
  EXPECT_FLOAT_EQ(t.values[8][0], -4.5);   // COR.BNZ x 0.1
  EXPECT_FLOAT_EQ(t.values[11][0], 12.8);  // TEMP. x 0.1
  EXPECT_FLOAT_EQ(t.values[13][0], 2);     // CORRET2 25 div 10
}

TEST_F(TraceChart, AcceptsOnlyWellFormedFiles) {
  const QByteArray header1 = "Ver. 1 1 real time data\r\nTEMPO\tGIRI\r\n";
  const QByteArray good1 = "0\t850\t1.18\t0\t0.55\t0.82\t3.236\t-7\t2.9\t-45\t51\t0\t0\t128\t200";
  const QByteArray good2 = good1 + "\t0.78\t25\t3.252";
  struct Case {
    const char* what;
    QByteArray content;
    bool accepted;
    int format, records;
  } cases[] = {
      {"format 1", header1 + good1 + "\r\n" + good1, true, 1, 2},
      {"blanks and tabs mixed", header1 + QByteArray(good1).replace('\t', "   "), true, 1, 1},
      {"headers only", header1, true, 1, 0},
      {"a line end after the last record", header1 + good1 + "\r\n", true, 1, 1},
      {"LF line ends", "Ver. 1 2 x\nT\n" + good2 + "\n" + good2, true, 2, 2},
      {"format 3 reads 18 fields", "Ver. 1 3\r\nT\r\n" + good2, true, 3, 1},
      {"no first line", QByteArray(), false, 0, 0},
      {"first line without Ver.", "Versione 1 1\r\nT\r\n" + good1, false, 0, 0},
      {"Ver. with one number", "Ver. 1\r\nT\r\n" + good1, false, 0, 0},
      {"Ver. not at the start", " Ver. 1 1\r\nT\r\n" + good1, false, 0, 0},
      {"format 1 reads 15 fields and ignores the rest", header1 + good2, true, 1, 1},
      {"15 fields in format 2", "Ver. 1 2\r\nT\r\n" + good1, false, 0, 0},
      {"14 fields", header1 + good1.left(good1.lastIndexOf('\t')), false, 0, 0},
      {"an empty line between records", header1 + good1 + "\r\n\r\n" + good1, false, 0, 0},
      {"two line ends at the end", header1 + good1 + "\r\n\r\n", false, 0, 0},
      {"a bad number", header1 + QByteArray(good1).replace("1.18", "x.18"), false, 0, 0},
      {"a decimal comma", header1 + QByteArray(good1).replace("1.18", "1,18"), false, 0, 0},
      {"an integer out of range", header1 + QByteArray(good1).replace("850", "99999999999"), false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TTraceFile t = TTraceFile::Parse(c.content);
    EXPECT_EQ(t.status == TTraceFile::Status::Ok, c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(t.status, TTraceFile::Status::Invalid);
      EXPECT_TRUE(t.time.empty());
      for (const auto& s : t.values) EXPECT_TRUE(s.empty());
      continue;
    }
    EXPECT_EQ(t.format, c.format);
    EXPECT_EQ(t.records, c.records);
    EXPECT_EQ(t.time.size(), static_cast<size_t>(c.records));
    EXPECT_EQ(t.values[0].size(), static_cast<size_t>(c.records));
    // Only format 2 plots the second bank.
    EXPECT_EQ(t.values[12].size(), c.format == 2 ? static_cast<size_t>(c.records) : 0u);
  }
}

TEST_F(TraceChart, ScansNumbersTheWayTheCLibraryDoes) {
  double v[4] = {};
  EXPECT_EQ(TTraceFile::ScanNumbers("  ", "ii", v), -1);      // end of input first
  EXPECT_EQ(TTraceFile::ScanNumbers("12.5 7", "ifi", v), 3);  // %d stops at '.', %f takes ".5"
  EXPECT_DOUBLE_EQ(v[1], 0.5);
  EXPECT_DOUBLE_EQ(v[2], 7);
  EXPECT_EQ(TTraceFile::ScanNumbers("-1e-3 +4", "fi", v), 2);
  EXPECT_DOUBLE_EQ(v[0], -0.001);
  EXPECT_DOUBLE_EQ(v[1], 4);
  EXPECT_EQ(TTraceFile::ScanNumbers("3 x", "ii", v), 1);
  EXPECT_EQ(TTraceFile::ScanNumbers("nan", "f", v), 0);
  // One sign at most; a point needs a digit; an exponent without digits is not read.
  struct Case {
    const char* line;
    const char* kinds;
    int count;
    double first;
  } cases[] = {
      {"+-5", "f", 0, 0},
      {"+-5", "i", 0, 0},
      {"-.5", "f", 1, -0.5},
      {"+.5", "f", 1, 0.5},
      {". 5", "f", 0, 0},
      {"5. 2", "fi", 2, 5},
      {"1e+ 3", "fi", 1, 1},
      {"0x1p3", "fi", 1, 0},
      {"inf", "f", 0, 0},
      {"1e999", "f", 0, 0},
      {"-2147483648", "i", 1, -2147483648.0},
      {"2147483648", "i", 0, 0},
      {"000000000000000000000012", "i", 1, 12},
      {"-21474836480", "i", 0, 0},
      {"21474836470", "i", 0, 0},
      {"-2147483649", "i", 0, 0},
      {"99999999999999999999999", "i", 0, 0},
      {"-0000000000002147483648", "i", 1, -2147483648.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(TTraceFile::ScanNumbers(c.line, c.kinds, v), c.count);
    if (c.count > 0) {
      EXPECT_DOUBLE_EQ(v[0], c.first);
    }
  }
  EXPECT_EQ(TTraceFile::HeaderFormat("Ver. 1 2 real time data"), 2);
  EXPECT_EQ(TTraceFile::HeaderFormat("Ver.1\t-3"), -3);
  EXPECT_FALSE(TTraceFile::HeaderFormat("ver. 1 2").has_value());
}

TEST_F(TraceChart, MissingFileShowsNothing) {
  TFormGraficoDrt form(nullptr, dir_.filePath("assente.txt"));
  EXPECT_FALSE(form.Loaded());
  EXPECT_TRUE(prompts_.Shown().empty());
  EXPECT_EQ(form.windowTitle(), "Grafico");
}

TEST_F(TraceChart, InvalidFileSaysSoUnderTheCaptionAndIsNotShown) {
  const QString path = Write("Ver. 1 1\r\nT\r\n1 2 3\r\n", "cattivo.txt");
  TFormGraficoDrt form(nullptr, path);
  EXPECT_FALSE(form.Loaded());
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Formato del file non valido");
  EXPECT_EQ(prompts_.Shown()[0].caption, "Grafico - cattivo");
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
  EXPECT_EQ(form.Trace().records, 0);
  EXPECT_TRUE(form.Trace().time.empty());
}

TEST_F(TraceChart, FormatOneKeepsTwelveSeriesAndTheDialogListsThem) {
  TFormGraficoDrt form(nullptr, GoldenPath("trace_format1.txt"));
  ASSERT_TRUE(form.Loaded());
  EXPECT_EQ(form.windowTitle(), "Grafico - trace_format1");
  ASSERT_EQ(form.Series.size(), 12);
  EXPECT_EQ(form.ChartDrt->series().size(), 12);
  EXPECT_EQ(form.Series[0]->name(), "Giri x 1000");
  EXPECT_EQ(form.Series[6]->name(), "Correttore x 10");
  EXPECT_EQ(form.Series[7]->name(), "T Iniezione benz");
  EXPECT_EQ(form.Series[11]->name(), "Temperatura x 10");
  EXPECT_EQ(form.Series[11]->pen().width(), 2);
  EXPECT_EQ(form.Trace().records, 3);

  int boxes = -1;
  OnTracceDialog([&](TFormGestioneTracce& d) {
    EXPECT_EQ(d.windowTitle(), "Aggiungi/rimuovi tracce");
    EXPECT_EQ(d.ButtonOk->text(), "&OK");
    boxes = d.PanelTracce->findChildren<QCheckBox*>().size();
    EXPECT_EQ(d.CheckTrack(3)->text(), "TPS");
    EXPECT_TRUE(d.CheckTrack(3)->isChecked());
    d.ButtonAnnulla->click();
  });
  form.MenuTracceClick();
  EXPECT_EQ(boxes, 12);
}

TEST_F(TraceChart, TheDialogHidesAndShowsSeriesOnOkOnly) {
  TFormGraficoDrt form(nullptr, GoldenPath("trace_format2.txt"));
  ASSERT_TRUE(form.Loaded());
  ASSERT_EQ(form.Series.size(), 15);
  EXPECT_EQ(form.Series[13]->name(), "Correttore 2 x 10");
  // Cancel changes nothing.
  OnTracceDialog([](TFormGestioneTracce& d) {
    d.CheckTrack(0)->setChecked(false);
    d.ButtonAnnulla->click();
  });
  form.MenuTracceClick();
  EXPECT_TRUE(form.Series[0]->isVisible());
  // OK hides the unchecked series and the axes follow the series still shown.
  OnTracceDialog([](TFormGestioneTracce& d) {
    for (int i = 0; i < 15; ++i) d.CheckTrack(i)->setChecked(i == 1);  // MAP only
    d.ButtonOk->click();
  });
  form.MenuTracceClick();
  for (int i = 0; i < 15; ++i) EXPECT_EQ(form.Series[i]->isVisible(), i == 1) << i;
  EXPECT_FLOAT_EQ(form.AxisValori->min(), 1.18);
  EXPECT_FLOAT_EQ(form.AxisValori->max(), 1.88);
  // The dialog offers the hidden ones again, unchecked; checking brings them back.
  OnTracceDialog([](TFormGestioneTracce& d) {
    EXPECT_FALSE(d.CheckTrack(14)->isChecked());
    d.CheckTrack(14)->setChecked(true);
    d.ButtonOk->click();
  });
  form.MenuTracceClick();
  EXPECT_TRUE(form.Series[14]->isVisible());
  EXPECT_TRUE(form.Series[1]->isVisible());
}

TEST_F(TraceChart, TheSeriesDialogShowsEveryNameWhole) {
  TFormGraficoDrt form(nullptr, GoldenPath("trace_format2.txt"));
  ASSERT_TRUE(form.Loaded());
  int checked = 0;
  OnTracceDialog([&](TFormGestioneTracce& d) {
    for (QCheckBox* check : d.PanelTracce->findChildren<QCheckBox*>()) {
      SCOPED_TRACE(check->text().toStdString());
      EXPECT_GE(check->width(), check->sizeHint().width());
      // Inside the panel, which lies inside the dialog.
      EXPECT_TRUE(d.PanelTracce->rect().contains(check->geometry())) << check->geometry().right();
      ++checked;
    }
    EXPECT_TRUE(d.rect().contains(d.PanelTracce->geometry()));
    const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
    QDir().mkpath(dir);
    EXPECT_TRUE(d.grab().save(dir + QStringLiteral("/grafico_drt_tracce.png"), "PNG"));
    d.ButtonAnnulla->click();
  });
  form.MenuTracceClick();
  EXPECT_EQ(checked, 15);
}

TEST(ChartZoomRule, GesturesTicksAndRanges) {
  struct Case {
    int x0, y0, x1, y1;
    ZoomGesture want;
  } cases[] = {
      {10, 10, 100, 80, ZoomGesture::ZoomIn}, {100, 10, 10, 80, ZoomGesture::Undo},
      {10, 80, 100, 10, ZoomGesture::Undo},   {10, 10, 20, 80, ZoomGesture::None},
      {10, 10, 10, 10, ZoomGesture::None},
  };
  for (const Case& c : cases) EXPECT_EQ(ZoomGestureOf(c.x0, c.y0, c.x1, c.y1), c.want);
  EXPECT_DOUBLE_EQ(NiceStep({0, 7.3}), 1);
  EXPECT_DOUBLE_EQ(NiceStep({800, 7000}), 1000);
  EXPECT_DOUBLE_EQ(NiceStep({0.17, 0.34}), 0.02);
  EXPECT_EQ(AxisTicks({850, 4100}, 1000), (std::vector<double>{1000, 2000, 3000, 4000}));
  EXPECT_EQ(AxisTicks({-1, 1}, 0.5), (std::vector<double>{-1, -0.5, 0, 0.5, 1}));
  // Decimals of the labels: as many as the step needs, whatever its rounding in binary.
  const std::pair<double, int> decimals[] = {{1000, 0}, {1, 0},    {0.5, 1}, {0.05, 2},
                                             {0.02, 2}, {0.25, 2}, {1e-9, 6}};
  for (const auto& [step, want] : decimals) EXPECT_EQ(TickDecimals(step), want) << step;
  TAxisExtent e;
  EXPECT_EQ(e.Range(), (TAxisRange{0, 1}));
  e.Include(3);
  EXPECT_EQ(e.Range(), (TAxisRange{2, 4}));
  e.Include(-1);
  EXPECT_EQ(e.Range(), (TAxisRange{-1, 3}));
}

TEST_F(TraceChart, ZoomsOnARubberBandAndUndoesIt) {
  TFormGraficoDrt form(nullptr, GoldenPath("trace_format2.txt"));
  ASSERT_TRUE(form.Loaded());
  form.resize(800, 600);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const double fullMin = form.AxisTempo->min(), fullMax = form.AxisTempo->max();
  EXPECT_DOUBLE_EQ(fullMin, 0);
  EXPECT_DOUBLE_EQ(fullMax, 0.34);
  QWidget* vp = form.ChartView->viewport();
  const QPointF a = form.ChartView->PositionOf({0.1, 3}), b = form.ChartView->PositionOf({0.2, 1});
  QTest::mousePress(vp, Qt::LeftButton, {}, a.toPoint());
  QTest::mouseMove(vp, b.toPoint());
  QTest::mouseRelease(vp, Qt::LeftButton, {}, b.toPoint());
  ASSERT_TRUE(form.Zoom().IsZoomed());
  EXPECT_NEAR(form.AxisTempo->min(), 0.1, 0.005);
  EXPECT_NEAR(form.AxisTempo->max(), 0.2, 0.005);
  EXPECT_NEAR(form.AxisValori->min(), 1, 0.05);
  EXPECT_NEAR(form.AxisValori->max(), 3, 0.05);
  // Ctrl+Z undoes it.
  QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(form.Zoom().IsZoomed());
  EXPECT_DOUBLE_EQ(form.AxisTempo->max(), fullMax);
  // A drag to the left undoes a zoom too.
  form.ChartView->ZoomRequested({0.1, 3}, {0.2, 1});
  ASSERT_TRUE(form.Zoom().IsZoomed());
  QTest::mousePress(vp, Qt::LeftButton, {}, b.toPoint());
  QTest::mouseRelease(vp, Qt::LeftButton, {}, a.toPoint());
  EXPECT_FALSE(form.Zoom().IsZoomed());
}

TEST_F(TraceChart, PrintsOnePagePerCopyToTheChosenPrinter) {
  TFormGraficoDrt form(nullptr, GoldenPath("trace_format1.txt"));
  ASSERT_TRUE(form.Loaded());
  ScriptedPrintDialog dialog;
  SetPrintDialogService(&dialog);
  const QString pdf = dir_.filePath("grafico.pdf");
  // Cancelled: nothing printed.
  form.MenuStampaClick();
  EXPECT_EQ(dialog.Runs, 1);
  EXPECT_FALSE(QFileInfo::exists(pdf));
  dialog.PdfFile = pdf;
  dialog.Copies = 2;
  form.MenuStampa->trigger();
  SetPrintDialogService(nullptr);
  EXPECT_EQ(form.MenuStampa->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_EQ(dialog.Runs, 2);
  // The traces are reduced for the printer's own dots, not the screen's pixels.
  EXPECT_GE(dialog.Resolution, 600);
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2);
}

TEST_F(TraceChart, EscClosesTheWindow) {
  TFormGraficoDrt form(nullptr, GoldenPath("trace_format1.txt"));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(TraceChart, Screenshot) {
  std::vector<std::pair<uint32_t, TTraceRecord>> records;
  for (int k = 0; k < 120; ++k) {
    TTraceRecord r = Sample();
    r.rpm = 850 + static_cast<int>(2500 * (k % 40) / 40.0);
    r.map = 0.8 + 0.02 * (k % 40);
    r.lambda = k % 6 < 3 ? 0.15 : 0.8;
    r.gasInjection = 2.5 + 0.05 * (k % 40);
    r.correction = (k % 20) - 10;
    r.temperatureRaw = 40 + k / 4;
    records.push_back({static_cast<uint32_t>(170 * k), r});
  }
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  TFormGraficoDrt form(nullptr, Write(RecordedTrace(2, records), "strada.txt"));
  QLocale::setDefault(QLocale::c());
  ASSERT_TRUE(form.Loaded());
  form.resize(900, 560);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QString dir = QDir::current().filePath(QStringLiteral("test-results/screenshots"));
  QDir().mkpath(dir);
  EXPECT_TRUE(form.grab().save(dir + QStringLiteral("/grafico_drt.png"), "PNG"));
}

TEST_F(TraceChart, DrawsTheSamePictureAsEveryRecordWithAFractionOfThePoints) {
  const int records = 6000;
  // The recorder's trace, and one whose times are not in order: a second recording appended
  // after the first, with a few records in it from before both.
  QByteArray outOfOrder = LongTrace(records);
  {
    QList<QByteArray> lines = outOfOrder.split('\n');
    for (int k = 0; k < records; ++k) {
      QByteArray& line = lines[k + 2];
      const int tab = line.indexOf('\t');
      const int ms = k < records / 2 ? 170 * k : k % 500 == 0 ? 10 * k : 85 + 170 * (k - records / 2);
      line = QByteArray::number(ms) + line.mid(tab);
    }
    outOfOrder = lines.join('\n');
  }
  const struct {
    const char* what;
    QByteArray content;
    int stretchesAtMost;
  } traces[] = {{"times in order", LongTrace(records), 1}, {"times out of order", outOfOrder, 12}};
  for (const auto& trace : traces) {
    SCOPED_TRACE(trace.what);
    TFormGraficoDrt form(nullptr, Write(trace.content, "strada.txt"));
    ASSERT_TRUE(form.Loaded());
    ASSERT_EQ(form.Trace().records, records);
    EXPECT_LE(form.Trace().stretches.size(), static_cast<size_t>(trace.stretchesAtMost));
    form.resize(800, 600);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const int columns = static_cast<int>(form.ChartDrt->plotArea().width()) + 8;
    // Both ways on the screen, on a device three times finer (as a printer), and zoomed in so
    // that lines enter and leave the plot. Up to 10 pixels may differ where antialiased edges
    // of overlapping segments add up differently; a lost spike one record wide costs some 30.
    // Each stretch of times in order crosses the columns once more.
    const auto compare = [&](const char* what, double scale) {
      SCOPED_TRACE(what);
      const QImage every = DrawChart(form, false, scale);
      EXPECT_EQ(form.Plot->PointsDrawn(), 15 * records);
      const QImage reduced = DrawChart(form, true, scale);
      EXPECT_LE(form.Plot->PointsDrawn(), 15 * 4 * (columns * scale + 2) * trace.stretchesAtMost);
      EXPECT_LE(PixelsUnmatched(every, reduced, 160), 10);
      EXPECT_LE(PixelsUnmatched(reduced, every, 160), 10);
      // Each trace by itself, seen however pale its colour.
      const std::vector<TSeriesMatch> each = CompareEachSeries(form, scale);
      for (size_t i = 0; i < each.size(); ++i) {
        SCOPED_TRACE(form.Series[static_cast<int>(i)]->name().toStdString());
        EXPECT_LE(each[i].everyUnmatched, 10);
        EXPECT_LE(each[i].reducedUnmatched, 10);
      }
    };
    compare("screen", 1);
    compare("printer", 3);
    form.ChartView->ZoomRequested({300, 6}, {420, 0});
    compare("zoomed", 1);
    // Hidden traces cost nothing: one trace shown, one trace drawn.
    form.MenuAnnullaZoomClick();
    for (int i = 0; i < form.Series.size(); ++i) form.Series[i]->setVisible(i == 0);
    const QImage everyOfOne = DrawChart(form, false, 1);
    EXPECT_EQ(form.Plot->PointsDrawn(), records);
    const QImage reducedOfOne = DrawChart(form, true, 1);
    EXPECT_LE(form.Plot->PointsDrawn(), 4 * (columns + 2) * trace.stretchesAtMost);
    // So few records are drawn in one piece, not in strips: the same picture that way too.
    EXPECT_LE(PixelsUnmatched(everyOfOne, reducedOfOne, 160), 10);
    EXPECT_LE(PixelsUnmatched(reducedOfOne, everyOfOne, 160), 10);
  }
}

TEST_F(TraceChart, ATraceTooLargeToHoldIsRefusedAtOnceNamingTheFile) {
  // A file one byte over the limit, sparse: a valid start and nothing written after it.
  const QString path = Write("Ver. 1 2 real time data\r\nTEMPO\r\n", "enorme.txt");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(TTraceFile::MaxBytes() + 1));
  }
  const TTraceFile t = TTraceFile::Read(path);
  EXPECT_EQ(t.status, TTraceFile::Status::TooLarge);
  EXPECT_EQ(t.bytes, TTraceFile::MaxBytes() + 1);
  EXPECT_EQ(t.format, 0);  // not even the first line was read
  EXPECT_TRUE(t.time.empty());

  TFormGraficoDrt form(nullptr, path);
  EXPECT_FALSE(form.Loaded());
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  const QString text = prompts_.Shown()[0].text;
  EXPECT_TRUE(text.contains(QDir::toNativeSeparators(path))) << text.toStdString();
  EXPECT_TRUE(text.contains("troppo grande per il grafico")) << text.toStdString();
  EXPECT_TRUE(
      text.contains(QLocale().toString(static_cast<double>(TTraceFile::MaxBytes()) / (1 << 20), 'f', 0)))
      << text.toStdString();
  EXPECT_EQ(prompts_.Shown()[0].caption, "Grafico - enorme");
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
  // The limit leaves room for the traces a workshop records: a day is 39 MB.
  EXPECT_GE(TTraceFile::MaxBytes(), qint64(64) << 20);
  QFile::remove(path);
}

TEST_F(TraceChart, ReadsALongFileBlockByBlockAsItsWholeText) {
  // Some 6 MB: more than one block of text for each thread, records cut at every place. The
  // recording 16 times over (each record begins with its line end).
  const QByteArray once = LongTrace(4000);
  const QByteArray records = once.mid(once.indexOf('\n', once.indexOf('\n') + 1) - 1);
  QByteArray good = once;
  for (int k = 1; k < 16; ++k) good += records;
  // A record whose blanks run longer than any line may be, in the middle.
  QByteArray wide = good;
  const int middle = wide.indexOf('\t', wide.size() / 2);
  wide.insert(middle, QByteArray(5 << 20, ' '));
  const int last = good.lastIndexOf('\t');
  struct Case {
    const char* what;
    QByteArray content;
    bool accepted;
  } cases[] = {
      {"records in many blocks", good, true},
      {"a record longer than any line can be", wide, false},
      {"a line end after the last record", good + "\r\n", true},
      {"a bad number in the last record", good.left(last) + "\tx", false},
      {"an empty line in the middle",
       QByteArray(good).insert(good.indexOf('\n', good.size() / 3) + 1, "\r\n"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TTraceFile read = TTraceFile::Read(Write(c.content, "lunga.txt"));
    const TTraceFile parsed = TTraceFile::Parse(c.content);
    ASSERT_EQ(read.status, c.accepted ? TTraceFile::Status::Ok : TTraceFile::Status::Invalid);
    ASSERT_EQ(parsed.status, read.status);
    if (!c.accepted) {
      EXPECT_TRUE(read.time.empty());
      continue;
    }
    EXPECT_EQ(read.records, 16 * 4000);
    ASSERT_EQ(read.time.size(), parsed.time.size());
    EXPECT_TRUE(std::equal(read.time.begin(), read.time.end(), parsed.time.begin()));
    for (int s = 0; s < TTraceFile::kSeries; ++s) {
      ASSERT_EQ(read.values[s].size(), static_cast<size_t>(read.records)) << s;
      EXPECT_TRUE(std::equal(read.values[s].begin(), read.values[s].end(), parsed.values[s].begin())) << s;
    }
    // The 16 copies hold the same records: record 4000 + k is record k.
    EXPECT_EQ(read.time[4000 + 123], read.time[123]);
    EXPECT_EQ(read.values[0][8000 + 200], read.values[0][200]);
    EXPECT_FLOAT_EQ(read.values[0][200], 6.5);  // the spike of record 200
    // A second recording appended: 16 stretches of times in order.
    EXPECT_EQ(read.stretches.size(), 16u);
  }
}

namespace {

// A record with one field in place of field `column` (0 TEMPO .. 17 INJ2).
QByteArray RecordWith(int column, const QByteArray& field) {
  QList<QByteArray> fields =
      QByteArray(
          "170\t1450\t1.53\t4\t0.75\t0.1\t3.24\t2\t2.904\t15\t51\t0.004\t1.09\t129\t200\t0.78\t25\t3.252")
          .split('\t');
  fields[column] = field;
  return fields.join('\t');
}

// Read (at each block size) and Parse read content as the reference reader does.
void ExpectAsTheReference(const QString& path, const QByteArray& content,
                          std::initializer_list<size_t> blocks) {
  const trace_rule::Trace want = trace_rule::Reference(content);
  std::vector<std::pair<std::string, TTraceFile>> read;
  read.emplace_back("parsed", TTraceFile::Parse(content));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
  }
  for (const size_t block : blocks)
    read.emplace_back("read in blocks of " + std::to_string(block), TTraceFile::Read(path, block));
  for (const auto& [how, t] : read) {
    SCOPED_TRACE(how);
    ASSERT_EQ(t.status, want.accepted ? TTraceFile::Status::Ok : TTraceFile::Status::Invalid);
    if (!want.accepted) continue;
    EXPECT_EQ(t.format, want.format);
    ASSERT_EQ(t.records, static_cast<int>(want.time.size()));
    EXPECT_TRUE(std::equal(t.time.begin(), t.time.end(), want.time.begin()));
    for (int s = 0; s < TTraceFile::kSeries; ++s) {
      ASSERT_EQ(t.values[s].size(), want.values[s].size()) << s;
      EXPECT_TRUE(std::equal(t.values[s].begin(), t.values[s].end(), want.values[s].begin())) << s;
    }
  }
}

}  // namespace

TEST_F(TraceChart, ReadsEveryFieldAndLineAsTheReferenceReaderDoes) {
  // Fields at the limits of their type, in an integer column (TEMPO, GIRI, CORRET2) or a real
  // one (MAP, INJ2), each in the middle record of three.
  const char* const integers[] = {
      "2147483647",
      "-2147483648",
      "2147483648",
      "-2147483649",
      "-21474836480",
      "21474836470",
      "99999999999",
      "00000000002147483647",
      "-00000000002147483648",
      "00000000002147483648",
      "12345678901234567890123",
      "+7",
      "-0",
      "+-7",
      "--7",
      "7x",
      "1.5",
      "",
  };
  const char* const reals[] = {
      "1e308",
      "1e309",
      "-1e309",
      "1e-400",
      "3.5e38",
      "-3.5e38",
      ".5",
      "5.",
      "-.5e-3",
      "1e",
      "1e+",
      "0x10",
      "inf",
      "nan",
      "+.",
      "-",
      "0000000000000000000001.25",
  };
  std::vector<std::pair<int, QByteArray>> fields;
  for (const int column : {0, 1, 16})
    for (const char* f : integers) fields.push_back({column, f});
  for (const int column : {2, 17})
    for (const char* f : reals) fields.push_back({column, f});
  const QString path = dir_.filePath("limiti.txt");
  int refused = 0;
  for (const auto& [column, field] : fields)
    for (const QByteArray& lineEnd : {QByteArray("\n"), QByteArray("\r\n")})
      for (const bool endAfterLast : {false, true}) {
        SCOPED_TRACE(std::to_string(column) + " \"" + field.toStdString() + "\"" +
                     (lineEnd.size() == 2 ? " CRLF" : " LF") + (endAfterLast ? " ended" : ""));
        const QByteArray good = RecordWith(0, "0");
        QByteArray content = "Ver. 1 2 real time data" + lineEnd + "TEMPO\tGIRI" + lineEnd + good + lineEnd +
                             RecordWith(column, field) + lineEnd + good;
        if (endAfterLast) content += lineEnd;
        refused += trace_rule::Reference(content).accepted ? 0 : 1;
        ExpectAsTheReference(path, content, {1, 2, 3, 7, 64, 0});
      }
  // The table holds both kinds of field.
  EXPECT_GT(refused, 40);
  EXPECT_LT(refused, static_cast<int>(fields.size()) * 4 - 40);

  // Lines up to the longest a file may hold and one byte more, made of a record's blanks, and
  // a titles line as long.
  for (const size_t length : {TTraceFile::kLongestLine, TTraceFile::kLongestLine + 1})
    for (const QByteArray& lineEnd : {QByteArray("\n"), QByteArray("\r\n")}) {
      SCOPED_TRACE(std::to_string(length) + (lineEnd.size() == 2 ? " CRLF" : " LF"));
      const QByteArray record = RecordWith(0, "0");
      const qsizetype pad = static_cast<qsizetype>(length) - record.size() - (lineEnd.size() - 1);
      const QByteArray wide = QByteArray(record).insert(record.indexOf('\t'), QByteArray(pad, ' '));
      const QByteArray head = "Ver. 1 2" + lineEnd;
      // (The last line has no line end; its CR stays.)
      for (const QByteArray& content :
           {head + "T" + lineEnd + record + lineEnd + wide + lineEnd + record,
            head + "T" + lineEnd + wide + lineEnd.chopped(1),
            head + "T" + QByteArray(static_cast<qsizetype>(length) - lineEnd.size(), ' ') + lineEnd + record})
        ExpectAsTheReference(path, content, {7, 4096, 0});
    }
}

TEST_F(TraceChart, ALineLongerThanAnyRecordIsRefusedAfterOneBlock) {
  // As large as the chart takes, the titles and a record that never ends: no line end after
  // them, the rest of the file a hole. The reader refuses it after a block instead of holding
  // the line whole (and that file's size in it twice over).
  for (const QByteArray& start :
       {QByteArray("Ver. 1 2 real time data\r\nTEMPO\r\n0\t850"), QByteArray("Ver. 1 2")}) {
    SCOPED_TRACE(start.toStdString());
    const QString path = Write(start, "senza_fine.txt");
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::ReadWrite));
      ASSERT_TRUE(f.resize(TTraceFile::MaxBytes()));
    }
    const TTraceFile t = TTraceFile::Read(path);
    EXPECT_EQ(t.status, TTraceFile::Status::Invalid);
    EXPECT_TRUE(t.time.empty());
    QFile::remove(path);
  }
}

TEST_F(TraceChart, ThePictureComparisonSeesEachOfTheFifteenTraces) {
  // The comparison of the reduced drawing fails for every trace that the reduced drawing
  // leaves out, the palest (silver, 0x80FFFF) as much as the darkest.
  TFormGraficoDrt form(nullptr, Write(LongTrace(6000), "strada.txt"));
  ASSERT_TRUE(form.Loaded());
  form.resize(800, 600);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  ASSERT_EQ(form.Series.size(), 15);
  const std::vector<TSeriesMatch> each = CompareEachSeries(form, 1, true);
  for (size_t i = 0; i < each.size(); ++i) {
    SCOPED_TRACE(form.Series[static_cast<int>(i)]->name().toStdString());
    EXPECT_GT(each[i].ink, 100);
    EXPECT_GT(each[i].everyUnmatched, 10);
  }
}

TEST_F(TraceChart, AStripWhoseLayerCannotBeHadIsDrawnInOnePiece) {
  TFormGraficoDrt form(nullptr, Write(LongTrace(6000), "strada.txt"));
  ASSERT_TRUE(form.Loaded());
  form.resize(800, 600);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QImage every = DrawChart(form, false, 1);
  const QImage inStrips = DrawChart(form, true, 1);
  // This long a trace is drawn in strips where there are threads for them.
  EXPECT_EQ(form.Plot->DrewInStrips(), ParallelThreads() >= 2);
  // Qt gives a null image where it has no memory for one: no layer at all, or only the third.
  for (const int failing : {-1, 2}) {
    SCOPED_TRACE(failing);
    int made = 0;
    form.Plot->SetLayerMaker([&made, failing](QSize size) {
      return failing < 0 || made++ == failing ? QImage() : QImage(size, QImage::Format_ARGB32_Premultiplied);
    });
    const QImage inOnePiece = DrawChart(form, true, 1);
    EXPECT_FALSE(form.Plot->DrewInStrips());
    EXPECT_GT(form.Plot->PointsDrawn(), 0);
    EXPECT_LE(PixelsUnmatched(every, inOnePiece, 160), 10);
    EXPECT_LE(PixelsUnmatched(inOnePiece, every, 160), 10);
    EXPECT_LE(PixelsUnmatched(inStrips, inOnePiece, 160), 10);
    // Each trace there.
    const std::vector<TSeriesMatch> each = CompareEachSeries(form, 1);
    for (size_t i = 0; i < each.size(); ++i) EXPECT_LE(each[i].everyUnmatched, 10) << i;
    form.Plot->SetLayerMaker(nullptr);
  }
}

namespace {

// The fill said as plainly as it goes, pixel by pixel and channel by channel: the share of the
// pixel's area that r covers, in 255ths, scales the colour, which is laid over what was there.
void ReferenceFill(QImage& image, QRectF r, QRgb colour, bool antialiased) {
  if (!antialiased)
    r = QRectF(QPointF(std::round(r.left()), std::round(r.top())),
               QPointF(std::round(r.right()), std::round(r.bottom())));
  const auto share = [](double from, double to, int pixel, int size) {
    return std::min({to, pixel + 1.0, static_cast<double>(size)}) -
           std::max({from, static_cast<double>(pixel), 0.0});
  };
  const auto scale = [](int c, int a) { return static_cast<int>(std::lround(c * a / 255.0)); };
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const double across = share(r.left(), r.right(), x, image.width());
      const double down = share(r.top(), r.bottom(), y, image.height());
      if (!(across > 0) || !(down > 0)) continue;
      const int coverage = std::min(255, static_cast<int>(across * down * 255 + 0.5));
      const QRgb under = image.pixel(x, y);
      const int channels[4] = {qRed(colour), qGreen(colour), qBlue(colour), qAlpha(colour)};
      const int below[4] = {qRed(under), qGreen(under), qBlue(under), qAlpha(under)};
      int out[4];
      const int alpha = scale(channels[3], coverage);
      for (int c = 0; c < 4; ++c) out[c] = scale(channels[c], coverage) + scale(below[c], 255 - alpha);
      reinterpret_cast<QRgb*>(image.scanLine(y))[x] = qRgba(out[0], out[1], out[2], out[3]);
    }
}

// A layer already drawn on: half-transparent stripes of two colours over clear pixels.
QImage StripedLayer() {
  QImage image(40, 30, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((x + y) % 3)
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] =
            qPremultiply(x % 2 ? qRgba(0, 128, 255, 200) : qRgba(250, 20, 40, 90));
  return image;
}

}  // namespace

TEST(CoverageFill, LaysEachPixelsShareOfTheRectangleOverItAsTheReferenceAndThePainterDo) {
  const struct {
    const char* what;
    QRectF r;
  } rects[] = {
      {"whole pixels", QRectF(3, 4, 5, 6)},
      {"a band two pixels wide between columns", QRectF(9.5, 2.25, 2, 17.5)},
      {"narrower than a pixel", QRectF(12.3, 5.6, 0.4, 0.3)},
      {"within one row", QRectF(2.2, 7.1, 9.4, 0.7)},
      {"wider than the columns worked out once", QRectF(1.5, 3.5, 30.25, 10.5)},
      {"over every edge", QRectF(-2.5, -3.7, 50, 40)},
      {"beyond the left and top", QRectF(-8, -8, 5, 5)},
      {"beyond the right", QRectF(40, 5, 3, 3)},
      {"of no width", QRectF(7, 7, 0, 9)},
  };
  const QRgb colours[] = {qPremultiply(qRgb(192, 192, 192)), qPremultiply(qRgba(128, 0, 128, 128))};
  for (const auto& rect : rects)
    for (const QRgb colour : colours)
      for (const bool antialiased : {true, false}) {
        SCOPED_TRACE(std::string(rect.what) + (antialiased ? " antialiased" : "") + " colour " +
                     std::to_string(colour));
        QImage filled = StripedLayer(), want = filled, painted = filled;
        FillCovered(filled, rect.r, colour, antialiased);
        ReferenceFill(want, rect.r, colour, antialiased);
        int differing = 0;
        for (int y = 0; y < want.height(); ++y)
          for (int x = 0; x < want.width(); ++x) differing += filled.pixel(x, y) != want.pixel(x, y);
        EXPECT_EQ(differing, 0);
        // The painter's own fill, which the bands stand for, to within its rounding.
        QPainter painter(&painted);
        painter.setRenderHint(QPainter::Antialiasing, antialiased);
        painter.fillRect(rect.r, QColor::fromRgba(qUnpremultiply(colour)));
        painter.end();
        int worst = 0;
        for (int y = 0; y < want.height(); ++y)
          for (int x = 0; x < want.width(); ++x) {
            const QRgb a = filled.pixel(x, y), b = painted.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
          }
        EXPECT_LE(worst, 1);
      }
}

#pragma once
// "Grafico": a recorded real-time trace plotted against time, up to 15 traces, with zoom,
// printing and the choice of the traces shown. The window exists for one file: the
// constructor reads it (a missing file shows nothing, an invalid one says so); Show runs the
// whole command: read, show modally when the file is good, delete.
#include <QList>
#include <array>

#include "ChartZoom.h"
#include "ModalDialog.h"
#include "TraceFile.h"

class QAction;
class QChart;
class QLineSeries;
class QMenu;
class QMenuBar;
class QValueAxis;
class TChartView;
class TTracePlot;

class TFormGraficoDrt final : public TModalDialog {
  Q_OBJECT
 public:
  TFormGraficoDrt(QWidget* owner, const QString& fileName);

  // The trace-viewing command: reads fileName and, when it is a good trace, shows it modally.
  static void Show(QWidget* owner, const QString& fileName);

  // The file was read and the chart filled.
  bool Loaded() const { return loaded_; }

  void MenuTracceClick();
  void MenuStampaClick();
  void MenuAnnullaZoomClick();
  void MenuEsciClick();

  QChart* ChartDrt = nullptr;
  TChartView* ChartView = nullptr;
  QValueAxis* AxisTempo = nullptr;
  QValueAxis* AxisValori = nullptr;
  // The series in chart order (12 with a format-1 file, else 15): title, pen, legend and
  // shown state of each trace. Their points are not copied into them: Plot draws them from
  // the trace.
  QList<QLineSeries*> Series;
  TTracePlot* Plot = nullptr;
  QMenuBar* MainMenu = nullptr;
  QMenu* MenuGraficoDrt = nullptr;
  QAction* MenuTracce = nullptr;
  QAction* MenuStampa = nullptr;
  QAction* MenuAnnullaZoom = nullptr;
  QAction* MenuEsci = nullptr;

  const TChartZoom& Zoom() const { return zoom_; }
  // The records read from the file (none when it was missing or invalid).
  const TTraceFile& Trace() const { return trace_; }

 private:
  void Load(const QString& fileName);
  // Axis ranges from the shown series, or the zoom.
  void UpdateAxes();

  TChartZoom zoom_;
  TTraceFile trace_;
  // The time range of the records and the value range of each series.
  TAxisExtent timeExtent_;
  std::array<TAxisExtent, TTraceFile::kSeries> valueExtent_;
  bool loaded_ = false;
};

#pragma once
// The traces of the trace chart, drawn over the chart's plot area. The chart's own line series
// stay empty: they give each trace its title, pen, legend entry and shown state, while this
// item draws the trace's records from the one copy the trace file holds. Each paint reduces
// every shown trace to the records that decide its picture at the resolution of the device
// painted on (screen or printer; see TraceReduction.h), over the axes' present ranges: a paint
// costs the pixel columns, not the records.
#include <QGraphicsObject>
#include <QList>

#include "TraceReduction.h"

class QChart;
class QLineSeries;
class QValueAxis;
class TTraceFile;

class TTracePlot final : public QGraphicsObject {
 public:
  // Draws trace's series i with the pen and shown state of series[i], against the two axes.
  // The chart becomes the item's parent; trace must outlive it.
  TTracePlot(QChart* chart, QValueAxis* axisX, QValueAxis* axisY, const TTraceFile* trace,
             QList<QLineSeries*> series);

  // The series of the chart (a format-1 trace removes the last three).
  void SetSeries(QList<QLineSeries*> series);
  // False draws every record (the reference picture the reduced one must equal).
  void SetReduced(bool reduced);
  // Records drawn by the last paint, over all shown series.
  qsizetype PointsDrawn() const { return pointsDrawn_; }

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  QChart* chart_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  const TTraceFile* trace_;
  QList<QLineSeries*> series_;
  QRectF area_;
  bool reduced_ = true;
  qsizetype pointsDrawn_ = 0;
  TTraceReduction reduction_;
  std::vector<uint32_t> indices_;
  QList<QRectF> bands_;
};

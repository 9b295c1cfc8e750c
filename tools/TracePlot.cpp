#include "TracePlot.h"

#include <QChart>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <cmath>

#include "TraceFile.h"

TTracePlot::TTracePlot(QChart* chart, QValueAxis* axisX, QValueAxis* axisY, const TTraceFile* trace,
                       QList<QLineSeries*> series)
    : QGraphicsObject(chart), chart_(chart), axisX_(axisX), axisY_(axisY), trace_(trace) {
  // Above the grid and the chart's own (empty) series, below the legend.
  setZValue(5.5);
  area_ = chart->plotArea();
  connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
    prepareGeometryChange();
    area_ = area;
  });
  for (QValueAxis* axis : {axisX, axisY}) connect(axis, &QValueAxis::rangeChanged, this, [this] { update(); });
  SetSeries(std::move(series));
}

void TTracePlot::SetSeries(QList<QLineSeries*> series) {
  for (QLineSeries* s : series_) disconnect(s, nullptr, this, nullptr);
  series_ = std::move(series);
  for (QLineSeries* s : series_) connect(s, &QXYSeries::visibleChanged, this, [this] { update(); });
  update();
}

void TTracePlot::SetReduced(bool reduced) {
  reduced_ = reduced;
  update();
}

QRectF TTracePlot::boundingRect() const { return area_; }

void TTracePlot::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  pointsDrawn_ = 0;
  const QRectF area = chart_->plotArea();
  const double xMin = axisX_->min(), xMax = axisX_->max(), yMin = axisY_->min(), yMax = axisY_->max();
  const std::span<const double> time = trace_->time;
  if (area.isEmpty() || !(xMax > xMin) || !(yMax > yMin) || time.empty()) return;
  const double sx = area.width() / (xMax - xMin), sy = area.height() / (yMax - yMin);
  // Chart coordinates of record k of a series.
  const auto at = [&](uint32_t k, std::span<const float> values) {
    return QPointF(area.left() + (time[k] - xMin) * sx, area.bottom() - (values[k] - yMin) * sy);
  };

  // The device's pixel columns: the time of a record to the device's x.
  const QTransform device = painter->deviceTransform();
  const bool reduce = reduced_ && device.type() <= QTransform::TxScale;
  if (reduce) {
    const double scale = device.m11() * sx;
    const double offset = device.m11() * (area.left() - xMin * sx) + device.dx();
    const QRectF onDevice = device.mapRect(area);
    double widest = 1;
    for (QLineSeries* s : series_) widest = std::max(widest, s->pen().widthF());
    const int reach = static_cast<int>(std::ceil(widest * std::abs(device.m11()) / 2)) + 1;
    reduction_.Build(time, trace_->stretches, offset, scale, static_cast<int>(std::floor(onDevice.left())) - reach,
                     static_cast<int>(std::ceil(onDevice.right())) + reach);
  }

  painter->save();
  painter->setClipRect(area, Qt::IntersectClip);
  painter->setBrush(Qt::NoBrush);
  // Segment by segment, as the chart's own line series draw: the painter draws a wide line
  // at once, while a wide polyline becomes one large outline to fill.
  QList<QLineF> lines;
  for (int s = 0; s < series_.size() && s < TTraceFile::kSeries; ++s) {
    const std::span<const float> values = trace_->values[s];
    if (!series_[s]->isVisible() || values.size() != time.size()) continue;
    lines.clear();
    QPointF previous;
    bool first = true;
    const auto addPoint = [&](uint32_t k) {
      const QPointF p = at(k, values);
      if (!first) lines.append(QLineF(previous, p));
      previous = p;
      first = false;
    };
    if (reduce) {
      indices_.clear();
      reduction_.Reduce(values, trace_->pyramids[s], indices_);
      lines.reserve(static_cast<qsizetype>(indices_.size()));
      for (const uint32_t k : indices_) addPoint(k);
    } else {
      lines.reserve(static_cast<qsizetype>(values.size()));
      for (uint32_t k = 0; k < values.size(); ++k) addPoint(k);
    }
    painter->setPen(series_[s]->pen());
    painter->drawLines(lines);
    pointsDrawn_ += first ? 0 : lines.size() + 1;
  }
  painter->restore();
}

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
  // The device transform only scales and moves when reduced.
  const auto toDevice = [&device](QPointF p) {
    return QPointF(device.m11() * p.x() + device.dx(), device.m22() * p.y() + device.dy());
  };
  const QTransform toChart = device.inverted();
  const double scale = device.m11() * sx;
  const double offset = device.m11() * (area.left() - xMin * sx) + device.dx();
  if (reduce) {
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
    const QPen pen = series_[s]->pen();
    bands_.clear();
    if (reduce) {
      indices_.clear();
      reduction_.Reduce(values, trace_->pyramids[s], indices_);
      lines.reserve(static_cast<qsizetype>(indices_.size()));
      // The records of one pixel column make a band from their lowest to their highest value.
      // The middle of a tall band is filled as one pen-wide rectangle instead of stroking its
      // segments scanline by scanline: they keep only their ends, a pen long, which give the
      // band its corners; the lines from one column to the next stay. A low band keeps its
      // segments whole.
      const double penOnDevice = pen.widthF() * std::abs(device.m11());
      const size_t n = indices_.size();
      for (size_t g = 0; g < n;) {
        const double column = std::floor(offset + scale * time[indices_[g]]);
        size_t e = g + 1;
        while (e < n && std::floor(offset + scale * time[indices_[e]]) == column) ++e;
        double low = INFINITY, high = -INFINITY, xLow = INFINITY, xHigh = -INFINITY;
        for (size_t i = g; i < e; ++i) {
          const QPointF p = toDevice(at(indices_[i], values));
          low = std::min(low, p.y());
          high = std::max(high, p.y());
          xLow = std::min(xLow, p.x());
          xHigh = std::max(xHigh, p.x());
        }
        if (high - low > 6 * penOnDevice) {
          const double middle = (xLow + xHigh) / 2;
          const double left = middle - penOnDevice / 2, right = middle + penOnDevice / 2;
          const double top = std::round(low + penOnDevice / 2), bottom = std::round(high - penOnDevice / 2);
          const QRectF band(left, top, right - left, bottom - top);
          for (size_t i = g; i + 1 < e; ++i) {
            const QPointF p = at(indices_[i], values), q = at(indices_[i + 1], values);
            const double rise = std::abs(device.m22() * (q.y() - p.y()));
            if (rise <= 3 * penOnDevice) {
              lines.append(QLineF(p, q));
            } else {
              const QPointF piece = (q - p) * (penOnDevice / rise);
              lines.append(QLineF(p, p + piece));
              lines.append(QLineF(q - piece, q));
            }
          }
          bands_.append(toChart.mapRect(band));
          addPoint(indices_[g]);
          first = true;
          addPoint(indices_[e - 1]);
        } else {
          for (size_t i = g; i < e; ++i) addPoint(indices_[i]);
        }
        g = e;
      }
      pointsDrawn_ += static_cast<qsizetype>(indices_.size());
    } else {
      lines.reserve(static_cast<qsizetype>(values.size()));
      for (uint32_t k = 0; k < values.size(); ++k) addPoint(k);
      pointsDrawn_ += first ? 0 : lines.size() + 1;
    }
    for (const QRectF& band : bands_) painter->fillRect(band, pen.color());
    painter->setPen(pen);
    painter->drawLines(lines);
  }
  painter->restore();
}

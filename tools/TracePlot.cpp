#include "TracePlot.h"

#include <QChart>
#include <QLineSeries>
#include <QPaintEngine>
#include <QPainter>
#include <QValueAxis>
#include <cmath>

#include "CoverageFill.h"
#include "ParallelRun.h"
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
  for (QValueAxis* axis : {axisX, axisY})
    connect(axis, &QValueAxis::rangeChanged, this, [this] { update(); });
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

void TTracePlot::SetLayerMaker(TLayerMaker maker) {
  makeLayer_ = std::move(maker);
  for (TStrip& strip : strips_) strip.layer = QImage();  // made anew by the next paint
}

namespace {

// Fewer records shown than this are drawn on one thread: the strips would cost more than they save.
constexpr qsizetype kStripRecords = 1 << 15;

// The pen's width and height on the device, which a band's outline on a layer takes around its
// line (square caps). A pen of no width draws one pixel wide.
QSizeF PenOnDevice(const QPen& pen, const QTransform& device) {
  const bool cosmetic = pen.isCosmetic() || pen.widthF() == 0;
  const double width = pen.widthF() > 0 ? pen.widthF() : 1;
  if (cosmetic) return {width, width};
  return {width * std::abs(device.m11()), width * std::abs(device.m22())};
}

}  // namespace

void TTracePlot::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  pointsDrawn_ = 0;
  drewInStrips_ = false;
  TFrame f;
  if (!MakeFrame(*painter, f)) return;
  painter->save();
  painter->setClipRect(f.area, Qt::IntersectClip);
  painter->setBrush(Qt::NoBrush);
  // The reduction needs a device transform that only scales and moves.
  if (!reduced_ || f.device.type() > QTransform::TxScale) {
    DrawEvery(*painter, f);
  } else {
    const QRect onDevice = f.device.mapRect(f.area).toAlignedRect();
    drewInStrips_ = StripsPay(*painter, f, onDevice) && DrawInStrips(*painter, f, onDevice);
    if (!drewInStrips_) DrawInOnePiece(*painter, f, onDevice);
  }
  painter->restore();
}

bool TTracePlot::MakeFrame(const QPainter& painter, TFrame& f) const {
  f.area = chart_->plotArea();
  const double xMax = axisX_->max(), yMax = axisY_->max();
  f.xMin = axisX_->min();
  f.yMin = axisY_->min();
  const std::span<const double> time = trace_->time;
  if (f.area.isEmpty() || !(xMax > f.xMin) || !(yMax > f.yMin) || time.empty()) return false;
  f.sx = f.area.width() / (xMax - f.xMin);
  f.sy = f.area.height() / (yMax - f.yMin);
  double widest = 1;
  for (int s = 0; s < series_.size() && s < TTraceFile::kSeries; ++s) {
    if (!series_[s]->isVisible() || trace_->values[s].size() != time.size()) continue;
    f.shown.emplace_back(s, series_[s]->pen());
    widest = std::max(widest, f.shown.back().second.widthF());
  }
  f.hints = painter.renderHints();
  // The device's pixel columns: the time of a record to the device's x.
  f.device = painter.deviceTransform();
  f.toChart = f.device.inverted();
  f.scale = f.device.m11() * f.sx;
  f.offset = f.device.m11() * (f.area.left() - f.xMin * f.sx) + f.device.dx();
  f.reach = static_cast<int>(std::ceil(widest * std::abs(f.device.m11()) / 2)) + 1;
  return true;
}

void TTracePlot::DrawInOnePiece(QPainter& painter, const TFrame& f, const QRect& onDevice) {
  TStrip& strip = strips_[0];
  strip.onLayer = false;
  DrawColumns(&painter, f, onDevice.left() - f.reach, onDevice.right() + f.reach, strip);
  pointsDrawn_ = strip.points;
}

bool TTracePlot::StripsPay(const QPainter& painter, const TFrame& f, const QRect& onDevice) const {
  const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
  const qsizetype shownRecords = static_cast<qsizetype>(trace_->time.size()) *
                                 static_cast<qsizetype>(f.shown.size());
  const int threads = static_cast<int>(ParallelThreads());
  return raster && threads >= 2 && shownRecords >= kStripRecords && onDevice.width() >= 16 * threads;
}

bool TTracePlot::DrawInStrips(QPainter& painter, const TFrame& f, const QRect& onDevice) {
  // Twice as many strips as threads: a thread that starts late leaves less undone. Strips of
  // whole device pixels, each drawn into a layer that begins at its first pixel.
  const size_t count = 2 * ParallelThreads();
  if (strips_.size() < count) strips_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const int left = onDevice.left() + static_cast<int>(qint64(onDevice.width()) * i / count);
    const int right = onDevice.left() + static_cast<int>(qint64(onDevice.width()) * (i + 1) / count);
    strips_[i].onDevice = QRect(left, onDevice.top(), right - left, onDevice.height());
    strips_[i].onLayer = true;
  }
  if (!MakeLayers(count)) return false;
  if (!RunParallel(count, [&](size_t i) { DrawStrip(strips_[i], f); }))
    return false;  // out of memory for what the strips hold
  // The layers at their places on the device, pixel for pixel.
  painter.setWorldTransform(f.toChart * painter.worldTransform());
  for (size_t i = 0; i < count; ++i) {
    const TStrip& strip = strips_[i];
    painter.drawImage(strip.onDevice.topLeft(), strip.layer, QRect(QPoint(), strip.onDevice.size()));
    pointsDrawn_ += strip.points;
  }
  return true;
}

bool TTracePlot::MakeLayers(size_t count) {
  for (size_t i = 0; i < count; ++i) {
    TStrip& strip = strips_[i];
    const QSize size = strip.onDevice.size();
    // A layer grows but is kept: the plot area changes its size with the axes' labels, and
    // fresh memory costs more to touch than the strip costs to draw.
    if (strip.layer.width() >= size.width() && strip.layer.height() >= size.height()) continue;
    const QSize grown = size.expandedTo(strip.layer.size());
    strip.layer = makeLayer_ ? makeLayer_(grown) : QImage(grown, QImage::Format_ARGB32_Premultiplied);
    if (strip.layer.isNull() || strip.layer.size() != grown) {
      strip.layer = QImage();
      return false;
    }
  }
  return true;
}

void TTracePlot::DrawStrip(TStrip& strip, const TFrame& f) const {
  strip.layer.fill(Qt::transparent);
  // A strip's own columns, and the pens from beyond them that reach in. The layer is the plot
  // area; the painter clips it when laying it down.
  DrawColumns(nullptr, f, strip.onDevice.left() - f.reach, strip.onDevice.right() + f.reach, strip);
}

void TTracePlot::DrawColumns(QPainter* painter, const TFrame& f, int firstColumn, int lastColumn,
                             TStrip& strip) const {
  strip.points = 0;
  strip.reduction.Build(trace_->time, trace_->stretches, f.offset, f.scale, firstColumn, lastColumn);
  for (const auto& [s, pen] : f.shown) {
    strip.indices.clear();
    strip.reduction.Reduce(trace_->values[s], trace_->pyramids[s], strip.indices);
    strip.points += static_cast<qsizetype>(strip.indices.size());
    JoinColumns(f, trace_->values[s], PenOnDevice(pen, f.device), strip);
    if (painter) {
      DrawLines(*painter, pen, strip.lines);
      continue;
    }
    // On the layer: the bands straight into its pixels, then the lines with a painter of the
    // layer's own, ended before the next series' bands.
    const QRgb colour = qPremultiply(pen.color().rgba());
    const bool antialiased = f.hints.testFlag(QPainter::Antialiasing);
    for (const QRectF& band : std::as_const(strip.bands)) FillCovered(strip.layer, band, colour, antialiased);
    if (strip.lines.isEmpty()) continue;
    QPainter layer(&strip.layer);
    layer.setRenderHints(f.hints);
    layer.setTransform(f.device * QTransform::fromTranslate(-strip.onDevice.left(), -strip.onDevice.top()));
    DrawLines(layer, pen, strip.lines);
  }
}

void TTracePlot::DrawLines(QPainter& painter, const QPen& pen, const QList<QLineF>& lines) {
  // Segment by segment, as the chart's own line series draw: the painter draws a wide line at
  // once, while a wide polyline becomes one large outline to fill.
  painter.setPen(pen);
  painter.drawLines(lines);
}

namespace {

// The records of one pixel column on the device: the band from their lowest to their highest
// value, how far across the column they lie, and the column's first and last record.
struct TGroup {
  double column = 0, low = INFINITY, high = -INFINITY, xLow = INFINITY, xHigh = -INFINITY;
  bool band = false;             // more than one record
  QPointF first, last;           // on the chart
  double firstY = 0, lastY = 0;  // on the device
};

// Whether the line from previous's last record to group's first lies within both bands: its
// ends lie between the bands' middles, and the bands cover it.
bool Covered(const TGroup& previous, const TGroup& group) {
  return previous.band && group.band && group.column == previous.column + 1 && previous.lastY >= group.low &&
         previous.lastY <= group.high && group.firstY >= previous.low && group.firstY <= previous.high;
}

}  // namespace

void TTracePlot::JoinColumns(const TFrame& f, std::span<const float> values, QSizeF pen,
                             TStrip& strip) const {
  const std::span<const double> time = trace_->time;
  const std::vector<uint32_t>& indices = strip.indices;
  const auto columnOf = [&](uint32_t k) { return std::floor(f.offset + f.scale * time[k]); };
  strip.lines.clear();
  strip.bands.clear();
  strip.lines.reserve(static_cast<qsizetype>(indices.size()));
  // The records of one pixel column make a band from their lowest to their highest value,
  // whatever their order: it is drawn as one pen-wide line down the middle of the column,
  // which covers what the segments between them cover to within half a pixel. The line from
  // a column's last record to the next column's first joins the two, unless both bands cover it.
  TGroup previous;
  const size_t n = indices.size();
  for (size_t g = 0, e = 0; g < n; g = e) {
    TGroup group;
    group.column = columnOf(indices[g]);
    for (e = g; e < n && columnOf(indices[e]) == group.column; ++e) {
      const QPointF p = f.ToDevice(f.At(time[indices[e]], values[indices[e]]));
      group.low = std::min(group.low, p.y());
      group.high = std::max(group.high, p.y());
      group.xLow = std::min(group.xLow, p.x());
      group.xHigh = std::max(group.xHigh, p.x());
    }
    group.band = e - g > 1;
    group.first = f.At(time[indices[g]], values[indices[g]]);
    group.last = f.At(time[indices[e - 1]], values[indices[e - 1]]);
    group.firstY = f.ToDevice(group.first).y();
    group.lastY = f.ToDevice(group.last).y();
    if (g > 0 && !Covered(previous, group)) strip.lines.append(QLineF(previous.last, group.first));
    if (group.band) AddBand(f, pen, group.xLow, group.xHigh, group.low, group.high, strip);
    previous = group;
  }
}

void TTracePlot::AddBand(const TFrame& f, QSizeF pen, double xLow, double xHigh, double low, double high,
                         TStrip& strip) {
  // The line down the middle, or along a flat band.
  const double middle = (xLow + xHigh) / 2;
  const QLineF line = high > low ? QLineF(middle, low, middle, high) : QLineF(xLow, low, xHigh, low);
  if (!strip.onLayer) {
    if (line.length() > 0) strip.lines.append(QLineF(f.toChart.map(line.p1()), f.toChart.map(line.p2())));
    return;
  }
  // On a layer its outline, the pen's width on the device with square caps, is filled straight
  // into the pixels.
  const double halfX = pen.width() / 2, halfY = pen.height() / 2;
  strip.bands.append(QRectF(line.p1(), line.p2())
                         .normalized()
                         .adjusted(-halfX, -halfY, halfX, halfY)
                         .translated(-strip.onDevice.topLeft()));
}

void TTracePlot::DrawEvery(QPainter& painter, const TFrame& f) {
  const std::span<const double> time = trace_->time;
  QList<QLineF>& lines = strips_[0].lines;
  for (const auto& [s, pen] : f.shown) {
    const std::span<const float> values = trace_->values[s];
    lines.clear();
    lines.reserve(static_cast<qsizetype>(values.size()));
    for (uint32_t k = 1; k < values.size(); ++k)
      lines.append(QLineF(f.At(time[k - 1], values[k - 1]), f.At(time[k], values[k])));
    pointsDrawn_ += static_cast<qsizetype>(values.size());
    painter.setPen(pen);
    painter.drawLines(lines);
  }
}

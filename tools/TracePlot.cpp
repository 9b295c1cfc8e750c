#include "TracePlot.h"

#include <QChart>
#include <QLineSeries>
#include <QPaintEngine>
#include <QPainter>
#include <QValueAxis>
#include <cmath>

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

namespace {

// Fewer records shown than this are drawn on one thread: the strips would cost more than they save.
constexpr qsizetype kStripRecords = 1 << 15;

// x * a / 255 for each of the four bytes of x, rounded.
uint32_t ByteMul(uint32_t x, uint32_t a) {
  uint32_t t = (x & 0xff00ff) * a;
  t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
  x = ((x >> 8) & 0xff00ff) * a;
  x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
  return x | t;
}

// Lays a rectangle of one colour (premultiplied) over pixels of the premultiplied ARGB format:
// each pixel takes the colour in the share of its area that the rectangle covers, as the
// painter's antialiased pen does (whole pixels when not antialiased).
void FillCovered(uchar* pixels, qsizetype stride, QSize size, QRectF r, uint32_t colour, bool antialiased) {
  if (!antialiased)
    r = QRectF(QPointF(std::round(r.left()), std::round(r.top())),
               QPointF(std::round(r.right()), std::round(r.bottom())));
  const double left = std::max(r.left(), 0.0), right = std::min(r.right(), static_cast<double>(size.width()));
  const double top = std::max(r.top(), 0.0),
               bottom = std::min(r.bottom(), static_cast<double>(size.height()));
  if (!(right > left) || !(bottom > top)) return;
  const int x0 = static_cast<int>(left), x1 = static_cast<int>(std::ceil(right));
  const int y0 = static_cast<int>(top), y1 = static_cast<int>(std::ceil(bottom));
  const auto share = [](double from, double to, int pixel) {
    return std::min(to, pixel + 1.0) - std::max(from, static_cast<double>(pixel));
  };
  // One row of pixels covered by `down` of their height.
  const auto row = [&](int y, double down) {
    auto* line = reinterpret_cast<uint32_t*>(pixels + y * stride);
    for (int x = x0; x < x1; ++x) {
      const auto coverage = static_cast<uint32_t>(share(left, right, x) * down * 255 + 0.5);
      const uint32_t source = coverage >= 255 ? colour : ByteMul(colour, coverage);
      line[x] = source + ByteMul(line[x], 255 - (source >> 24));
    }
  };
  const int first = y0 + 1, last = y1 - 1;  // the rows between the two ends, covered whole
  row(y0, share(top, bottom, y0));
  if (last > y0) row(last, share(top, bottom, last));
  // The rows between are all alike: the colour each column takes is worked out once.
  constexpr int kMostColumns = 16;
  if (last <= first) return;
  if (x1 - x0 > kMostColumns) {
    for (int y = first; y < last; ++y) row(y, 1);
    return;
  }
  uint32_t source[kMostColumns], keep[kMostColumns];
  for (int x = x0; x < x1; ++x) {
    const auto coverage = static_cast<uint32_t>(share(left, right, x) * 255 + 0.5);
    source[x - x0] = coverage >= 255 ? colour : ByteMul(colour, coverage);
    keep[x - x0] = 255 - (source[x - x0] >> 24);
  }
  for (int y = first; y < last; ++y) {
    uint32_t* line = reinterpret_cast<uint32_t*>(pixels + y * stride) + x0;
    for (int i = 0; i < x1 - x0; ++i)
      line[i] = keep[i] == 0 ? source[i] : source[i] + ByteMul(line[i], keep[i]);
  }
}

}  // namespace

void TTracePlot::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  pointsDrawn_ = 0;
  TFrame f;
  f.area = chart_->plotArea();
  const double xMax = axisX_->max(), yMax = axisY_->max();
  f.xMin = axisX_->min();
  f.yMin = axisY_->min();
  const std::span<const double> time = trace_->time;
  if (f.area.isEmpty() || !(xMax > f.xMin) || !(yMax > f.yMin) || time.empty()) return;
  f.sx = f.area.width() / (xMax - f.xMin);
  f.sy = f.area.height() / (yMax - f.yMin);
  double widest = 1;
  for (int s = 0; s < series_.size() && s < TTraceFile::kSeries; ++s) {
    if (!series_[s]->isVisible() || trace_->values[s].size() != time.size()) continue;
    f.shown.emplace_back(s, series_[s]->pen());
    widest = std::max(widest, f.shown.back().second.widthF());
  }
  // The device's pixel columns: the time of a record to the device's x.
  f.device = painter->deviceTransform();
  f.toChart = f.device.inverted();
  f.scale = f.device.m11() * f.sx;
  f.offset = f.device.m11() * (f.area.left() - f.xMin * f.sx) + f.device.dx();
  f.reach = static_cast<int>(std::ceil(widest * std::abs(f.device.m11()) / 2)) + 1;

  painter->save();
  painter->setClipRect(f.area, Qt::IntersectClip);
  painter->setBrush(Qt::NoBrush);
  // The reduction needs a device transform that only scales and moves.
  if (!reduced_ || f.device.type() > QTransform::TxScale) {
    DrawEvery(*painter, f);
    painter->restore();
    return;
  }
  const QRect onDevice = f.device.mapRect(f.area).toAlignedRect();
  // Straight onto the device, on this thread.
  const auto drawHere = [&] {
    DrawColumns(*painter, f, onDevice.left() - f.reach, onDevice.right() + f.reach, strips_[0]);
    pointsDrawn_ = strips_[0].points;
    painter->restore();
  };
  // Twice as many strips as threads: a thread that starts late leaves less undone.
  const int threads = static_cast<int>(ParallelThreads()), count = 2 * threads;
  const bool raster = painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster;
  const qsizetype shownRecords = static_cast<qsizetype>(time.size()) * static_cast<qsizetype>(f.shown.size());
  if (!raster || threads < 2 || shownRecords < kStripRecords || onDevice.width() < 8 * count)
    return drawHere();
  // Strips of whole device pixels, each drawn into a layer that begins at its first pixel.
  if (strips_.size() < static_cast<size_t>(count)) strips_.resize(static_cast<size_t>(count));
  std::vector<int> edges(static_cast<size_t>(count) + 1);
  for (int i = 0; i <= count; ++i)
    edges[i] = onDevice.left() + static_cast<int>(qint64(onDevice.width()) * i / count);
  const QPainter::RenderHints hints = painter->renderHints();
  const bool drawn = RunParallel(static_cast<size_t>(count), [&](size_t i) {
    TStrip& strip = strips_[i];
    const QSize size(edges[i + 1] - edges[i], onDevice.height());
    // A layer grows but is kept: the plot area changes its size with the axes' labels, and
    // fresh memory costs more to touch than the strip costs to draw.
    if (strip.layer.width() < size.width() || strip.layer.height() < size.height())
      strip.layer = QImage(size.expandedTo(strip.layer.size()), QImage::Format_ARGB32_Premultiplied);
    strip.layer.fill(Qt::transparent);
    strip.pixels = strip.layer.bits();
    strip.stride = strip.layer.bytesPerLine();
    strip.onDevice = QRect(QPoint(edges[i], onDevice.top()), size);
    QPainter layer(&strip.layer);
    layer.setRenderHints(hints);
    layer.setTransform(f.device * QTransform::fromTranslate(-edges[i], -onDevice.top()));
    // The layer is the plot area; the painter clips it when laying it down.
    // A strip's own columns, and the pens from beyond them that reach in.
    DrawColumns(layer, f, edges[i] - f.reach, edges[i + 1] - 1 + f.reach, strip);
    strip.pixels = nullptr;
  });
  if (!drawn) return drawHere();  // out of memory for the layers
  // The layers at their places on the device, pixel for pixel.
  painter->setWorldTransform(f.toChart * painter->worldTransform());
  for (int i = 0; i < count; ++i) {
    painter->drawImage(strips_[i].onDevice.topLeft(), strips_[i].layer,
                       QRect(QPoint(), strips_[i].onDevice.size()));
    pointsDrawn_ += strips_[i].points;
  }
  painter->restore();
}

void TTracePlot::DrawColumns(QPainter& painter, const TFrame& f, int firstColumn, int lastColumn,
                             TStrip& strip) const {
  const std::span<const double> time = trace_->time;
  const auto at = [&](uint32_t k, std::span<const float> values) { return f.At(time[k], values[k]); };
  // The device transform only scales and moves.
  const auto toDevice = [&f](QPointF p) {
    return QPointF(f.device.m11() * p.x() + f.device.dx(), f.device.m22() * p.y() + f.device.dy());
  };
  const double offset = f.offset, scale = f.scale;
  strip.points = 0;
  strip.reduction.Build(time, trace_->stretches, offset, scale, firstColumn, lastColumn);
  // Segment by segment, as the chart's own line series draw: the painter draws a wide line
  // at once, while a wide polyline becomes one large outline to fill.
  QList<QLineF>& lines = strip.lines;
  for (const auto& [s, pen] : f.shown) {
    const std::span<const float> values = trace_->values[s];
    lines.clear();
    // The pen on the device, for the bands filled straight into a layer.
    // (A pen of no width draws one pixel wide.)
    const bool cosmetic = pen.isCosmetic() || pen.widthF() == 0;
    const double penWidth = pen.widthF() > 0 ? pen.widthF() : 1;
    const double penX = penWidth * (cosmetic ? 1 : std::abs(f.device.m11()));
    const double penY = penWidth * (cosmetic ? 1 : std::abs(f.device.m22()));
    const uint32_t colour = qPremultiply(pen.color().rgba());
    const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
    std::vector<uint32_t>& indices = strip.indices;
    indices.clear();
    strip.reduction.Reduce(values, trace_->pyramids[s], indices);
    lines.reserve(static_cast<qsizetype>(indices.size()));
    // The records of one pixel column make a band from their lowest to their highest value,
    // whatever their order: it is drawn as one pen-wide line down the middle of the column,
    // which covers what the segments between them cover to within half a pixel. The line from
    // a column's last record to the next column's first joins the two; where both its ends lie
    // within both bands, the two bands already cover it (its ends lie between their middles)
    // and it is left out.
    struct TGroup {
      double column, low, high;  // device pixels
      bool band;
      QPointF last;  // its last record, on the chart
      double lastY;  // and on the device
    };
    TGroup previous{};
    bool any = false;
    const size_t n = indices.size();
    for (size_t g = 0; g < n;) {
      const double column = std::floor(offset + scale * time[indices[g]]);
      size_t e = g + 1;
      while (e < n && std::floor(offset + scale * time[indices[e]]) == column) ++e;
      double low = INFINITY, high = -INFINITY, xLow = INFINITY, xHigh = -INFINITY;
      for (size_t i = g; i < e; ++i) {
        const QPointF p = toDevice(at(indices[i], values));
        low = std::min(low, p.y());
        high = std::max(high, p.y());
        xLow = std::min(xLow, p.x());
        xHigh = std::max(xHigh, p.x());
      }
      const QPointF first = at(indices[g], values), last = at(indices[e - 1], values);
      const TGroup group{column, low, high, e - g > 1, last, toDevice(last).y()};
      if (any) {
        const double firstY = toDevice(first).y();
        const bool covered = previous.band && group.band && column == previous.column + 1 &&
                             previous.lastY >= low && previous.lastY <= high && firstY >= previous.low &&
                             firstY <= previous.high;
        if (!covered) lines.append(QLineF(previous.last, first));
      }
      if (group.band) {
        // The line down the middle, or along a flat band; on a layer of this strip its
        // outline (the pen's width, its square caps) is filled straight into the pixels.
        const double middle = (xLow + xHigh) / 2;
        const QLineF line = high > low ? QLineF(middle, low, middle, high) : QLineF(xLow, low, xHigh, low);
        if (strip.pixels) {
          const QRectF outline =
              QRectF(line.p1(), line.p2()).normalized().adjusted(-penX / 2, -penY / 2, penX / 2, penY / 2);
          FillCovered(strip.pixels, strip.stride, strip.onDevice.size(),
                      outline.translated(-strip.onDevice.topLeft()), colour, antialiased);
        } else if (line.length() > 0) {
          lines.append(QLineF(f.toChart.map(line.p1()), f.toChart.map(line.p2())));
        }
      }
      previous = group;
      any = true;
      g = e;
    }
    strip.points += static_cast<qsizetype>(n);
    painter.setPen(pen);
    painter.drawLines(lines);
  }
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

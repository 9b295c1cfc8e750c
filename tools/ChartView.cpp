#include "ChartView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRubberBand>
#include <QValueAxis>

TChartView::TChartView(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::NoRubberBand);  // the zoom rule is ours
  setMouseTracking(true);
  band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
}

QPointF TChartView::ValueAt(const QPointF& viewPos) const {
  return chart()->mapToValue(chart()->mapFromScene(mapToScene(viewPos.toPoint())));
}

QPointF TChartView::PositionOf(const QPointF& value) const {
  return mapFromScene(chart()->mapToScene(chart()->mapToPosition(value)));
}

void TChartView::mousePressEvent(QMouseEvent* e) {
  const bool handled = MouseDown && MouseDown(e);
  QChartView::mousePressEvent(e);  // the series under the mouse report the press
  if (handled) return;
  if (e->button() == Qt::LeftButton) {
    banding_ = true;
    bandStart_ = e->position().toPoint();
    band_->setGeometry(QRect(bandStart_, QSize()));
    band_->show();
  }
}

void TChartView::mouseMoveEvent(QMouseEvent* e) {
  if (MouseMove && MouseMove(e)) return;
  if (banding_) band_->setGeometry(QRect(bandStart_, e->position().toPoint()).normalized());
}

void TChartView::mouseReleaseEvent(QMouseEvent* e) {
  if (MouseUp && MouseUp(e)) return;
  if (!banding_ || e->button() != Qt::LeftButton) return;
  banding_ = false;
  band_->hide();
  const QPoint end = e->position().toPoint();
  switch (ZoomGestureOf(bandStart_.x(), bandStart_.y(), end.x(), end.y())) {
    case ZoomGesture::ZoomIn:
      emit ZoomRequested(ValueAt(bandStart_), ValueAt(end));
      break;
    case ZoomGesture::Undo:
      emit UndoZoomRequested();
      break;
    case ZoomGesture::None:
      break;
  }
}

void TChartView::PrintChart(QPrinter& printer) {
  const int copies = std::max(1, printer.copyCount());
  printer.setCopyCount(1);
  QPainter painter(&printer);
  if (!painter.isActive()) return;
  const QRect page = painter.viewport();
  for (int k = 0; k < copies; ++k) {
    if (k > 0) printer.newPage();
    render(&painter, page, viewport()->rect(), Qt::KeepAspectRatio);
  }
}

void ApplyValueAxis(QValueAxis* axis, const TAxisRange& range, double increment) {
  const double step = increment > 0 ? increment : NiceStep(range);
  // Every change lays out all labels of the axis at once: change only what differs, and widen
  // the step before the range or narrow it after, so the axis never passes through a state with
  // many more labels than the one it ends in (zooming out with the zoomed step would).
  // The labels carry the decimals of the step, so the axis measures the labels it is going to
  // show and no label is cut short.
  const QString format = QStringLiteral("%.%1f").arg(TickDecimals(step));
  if (axis->labelFormat() != format) axis->setLabelFormat(format);
  if (axis->tickType() != QValueAxis::TicksDynamic) axis->setTickType(QValueAxis::TicksDynamic);
  if (axis->tickAnchor() != 0) axis->setTickAnchor(0);
  const bool wider = step > axis->tickInterval();
  if (wider) axis->setTickInterval(step);
  if (axis->min() != range.min || axis->max() != range.max) axis->setRange(range.min, range.max);
  if (!wider && step != axis->tickInterval()) axis->setTickInterval(step);
}

#pragma once
// The chart control of the chart windows: a chart view with the rubber-band zoom of
// ChartZoom.h and mouse hooks for the window that owns it, the axis set-up both charts use,
// and printing of the chart once per copy.
#include <QChartView>
#include <functional>

#include "ChartZoom.h"

class QMouseEvent;
class QPrinter;
class QRubberBand;
class QValueAxis;

class TChartView final : public QChartView {
  Q_OBJECT
 public:
  explicit TChartView(QWidget* parent = nullptr);

  // A hook that returns true has handled the event; the rubber band then stays out of it.
  std::function<bool(QMouseEvent*)> MouseDown;
  std::function<bool(QMouseEvent*)> MouseMove;
  std::function<bool(QMouseEvent*)> MouseUp;

  // Axis values at a position of the view, and the view position of axis values.
  QPointF ValueAt(const QPointF& viewPos) const;
  QPointF PositionOf(const QPointF& value) const;

  // Prints the chart on one page per copy the printer was set to (the copy count is then 1).
  void PrintChart(QPrinter& printer);

 signals:
  // The rubber band: the corners of the rectangle in axis values.
  void ZoomRequested(QPointF from, QPointF to);
  void UndoZoomRequested();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QRubberBand* band_ = nullptr;
  QPoint bandStart_;
  bool banding_ = false;
};

// Range and dynamic ticks (every increment, or a nice step when increment is 0) of a value axis.
void ApplyValueAxis(QValueAxis* axis, const TAxisRange& range, double increment);

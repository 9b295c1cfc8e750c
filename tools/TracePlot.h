#pragma once
// The traces of the trace chart, drawn over the chart's plot area. The chart's own line series
// stay empty: they give each trace its title, pen, legend entry and shown state, while this
// item draws the trace's records from the one copy the trace file holds. Each paint reduces
// every shown trace to the records that decide its picture at the resolution of the device
// painted on (screen or printer; see TraceReduction.h), over the axes' present ranges: a paint
// costs the pixel columns, not the records. On an image (the screen's backing store) a long
// trace is drawn in vertical strips side by side, on several threads, each strip into a layer
// of its own with a painter of its own, and the layers are then laid onto the picture.
#include <QGraphicsObject>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPen>
#include <functional>
#include <span>
#include <vector>

#include "TraceReduction.h"

class QChart;
class QLineSeries;
class QValueAxis;
class TTraceFile;

class TTracePlot final : public QGraphicsObject {
 public:
  // Makes the layer of a strip; a null image where there is no memory for it (as QImage's
  // constructor gives).
  using TLayerMaker = std::function<QImage(QSize)>;

  // Draws trace's series i with the pen and shown state of series[i], against the two axes.
  // The chart becomes the item's parent; trace must outlive it.
  TTracePlot(QChart* chart, QValueAxis* axisX, QValueAxis* axisY, const TTraceFile* trace,
             QList<QLineSeries*> series);

  // The series of the chart (a format-1 trace removes the last three).
  void SetSeries(QList<QLineSeries*> series);
  // False draws every record (the reference picture the reduced one must equal).
  void SetReduced(bool reduced);
  // How the strips' layers are made (null: as an image of the format they are drawn in); the
  // layers kept so far are let go.
  void SetLayerMaker(TLayerMaker maker);
  // Records drawn by the last paint, over all shown series.
  qsizetype PointsDrawn() const { return pointsDrawn_; }
  // Whether the last paint drew in strips on layers.
  bool DrewInStrips() const { return drewInStrips_; }

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  // How one paint maps the records: chart coordinates, the device's pixel columns and the
  // shown series with their pens.
  struct TFrame {
    QRectF area;
    double xMin = 0, yMin = 0, sx = 1, sy = 1;
    QTransform device;
    QTransform toChart;
    double offset = 0, scale = 1;
    int reach = 1;  // columns beyond a drawn one that a pen can still reach
    QPainter::RenderHints hints;
    std::vector<std::pair<int, QPen>> shown;
    // Chart coordinates of a record.
    QPointF At(double time, float value) const {
      return {area.left() + (time - xMin) * sx, area.bottom() - (value - yMin) * sy};
    }
    // Device coordinates of a point of the chart (the device transform only scales and moves).
    QPointF ToDevice(QPointF p) const {
      return {device.m11() * p.x() + device.dx(), device.m22() * p.y() + device.dy()};
    }
  };
  // What drawing a range of columns needs of its own; one for each strip.
  struct TStrip {
    TTraceReduction reduction;
    std::vector<uint32_t> indices;
    QList<QLineF> lines;  // on the chart
    QList<QRectF> bands;  // the bands' outlines on a layer, in its pixels
    QImage layer;
    // The device pixels the strip covers, when it is drawn on its layer.
    QRect onDevice;
    bool onLayer = false;
    qsizetype points = 0;
  };

  // The frame of a paint on painter's device; false when there is nothing to draw.
  bool MakeFrame(const QPainter& painter, TFrame& frame) const;
  // Draws the shown series in one piece with painter (clipped to the plot area).
  void DrawInOnePiece(QPainter& painter, const TFrame& frame, const QRect& onDevice);
  // Whether a paint on painter is worth cutting into strips.
  bool StripsPay(const QPainter& painter, const TFrame& frame, const QRect& onDevice) const;
  // Draws the shown series in vertical strips, each on a layer of its own and on several
  // threads, then lays the layers onto painter; false (nothing drawn) when the layers cannot
  // be had.
  bool DrawInStrips(QPainter& painter, const TFrame& frame, const QRect& onDevice);
  // Gives each of the first `count` strips a layer of at least its size; false when one
  // cannot be had.
  bool MakeLayers(size_t count);
  // Draws the strip's columns onto its cleared layer.
  void DrawStrip(TStrip& strip, const TFrame& frame) const;

  // Draws the shown series' records that decide columns firstColumn..lastColumn (and those a
  // pen from beyond reaches) with painter, whose device transform is frame.device; without a
  // painter onto the strip's layer, which begins at strip.onDevice (no painter is active on it
  // when the call returns).
  void DrawColumns(QPainter* painter, const TFrame& frame, int firstColumn, int lastColumn,
                   TStrip& strip) const;
  static void DrawLines(QPainter& painter, const QPen& pen, const QList<QLineF>& lines);
  // The lines and bands of one series' reduced records (strip.indices) into strip.lines and
  // strip.bands; pen: the width and height of the series' pen on the device.
  void JoinColumns(const TFrame& frame, std::span<const float> values, QSizeF pen, TStrip& strip) const;
  // The band of a column whose records lie from xLow to xHigh and from low to high on the
  // device: a line of the pen on the device, or its outline on a layer.
  static void AddBand(const TFrame& frame, QSizeF pen, double xLow, double xHigh, double low, double high,
                      TStrip& strip);
  // Draws every record of the shown series.
  void DrawEvery(QPainter& painter, const TFrame& frame);

  QChart* chart_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  const TTraceFile* trace_;
  QList<QLineSeries*> series_;
  QRectF area_;
  bool reduced_ = true;
  TLayerMaker makeLayer_;
  qsizetype pointsDrawn_ = 0;
  bool drewInStrips_ = false;
  std::vector<TStrip> strips_ = std::vector<TStrip>(1);  // the first also for drawing in one piece
};

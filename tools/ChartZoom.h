#pragma once
// Axis ranges, tick positions and the rubber-band zoom rule shared by the charts. A drag of the
// left button down and to the right zooms in on the rectangle; a drag up or to the left undoes
// the zoom (kMinZoomPixels or more either way); anything shorter does nothing.
#include <vector>

struct TAxisRange {
  double min = 0;
  double max = 1;
  bool operator==(const TAxisRange&) const = default;
};

class TAxisExtent {
 public:
  void Include(double v);
  void Include(const TAxisExtent& other);
  bool IsEmpty() const { return empty_; }
  // The values' range; one unit either side of a single value; 0..1 when empty.
  TAxisRange Range() const;

 private:
  bool empty_ = true;
  double min_ = 0;
  double max_ = 0;
};

// A step of 1, 2 or 5 times a power of ten that cuts the range into at most maxTicks parts.
double NiceStep(const TAxisRange& range, int maxTicks = 10);
// The fewest decimals that write every multiple of step exactly (at most 6).
int TickDecimals(double step);
// Multiples of increment inside the range (NiceStep when increment is 0 or less).
std::vector<double> AxisTicks(const TAxisRange& range, double increment);

enum class ZoomGesture { None, ZoomIn, Undo };
constexpr int kMinZoomPixels = 16;
// The gesture of a drag from (x0, y0) to (x1, y1) in pixels, y growing downwards.
ZoomGesture ZoomGestureOf(int x0, int y0, int x1, int y1);

// The zoom of one chart: the ranges shown while zoomed in.
class TChartZoom {
 public:
  // The rectangle between two corners in axis values, whichever way round they come.
  void ZoomTo(double x0, double y0, double x1, double y1);
  void Reset() { zoomed_ = false; }
  bool IsZoomed() const { return zoomed_; }
  const TAxisRange& X() const { return x_; }
  const TAxisRange& Y() const { return y_; }

 private:
  bool zoomed_ = false;
  TAxisRange x_;
  TAxisRange y_;
};

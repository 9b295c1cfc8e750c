#include "ChartZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void TAxisExtent::Include(double v) {
  if (empty_) {
    min_ = max_ = v;
    empty_ = false;
    return;
  }
  min_ = std::min(min_, v);
  max_ = std::max(max_, v);
}

void TAxisExtent::Include(const TAxisExtent& other) {
  if (other.empty_) return;
  Include(other.min_);
  Include(other.max_);
}

TAxisRange TAxisExtent::Range() const {
  if (empty_) return {0, 1};
  if (min_ == max_) return {min_ - 1, max_ + 1};
  return {min_, max_};
}

double NiceStep(const TAxisRange& range, int maxTicks) {
  const double span = std::abs(range.max - range.min);
  if (!(span > 0) || maxTicks < 1) return 1;
  const double raw = span / maxTicks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

int TickDecimals(double step) {
  step = std::abs(step);
  for (int d = 0; d < 6; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::abs(scaled - std::round(scaled)) <= 1e-6 * scaled) return d;
  }
  return 6;
}

std::vector<double> AxisTicks(const TAxisRange& range, double increment) {
  const double step = increment > 0 ? increment : NiceStep(range);
  std::vector<double> ticks;
  const double first = std::ceil(range.min / step - 1e-9);
  for (double k = first; k * step <= range.max + step * 1e-9 && ticks.size() < 1000; k += 1)
    ticks.push_back(k * step == 0 ? 0 : k * step);  // no "-0"
  return ticks;
}

ZoomGesture ZoomGestureOf(int x0, int y0, int x1, int y1) {
  const int dx = x1 - x0, dy = y1 - y0;
  if (dx <= -kMinZoomPixels || dy <= -kMinZoomPixels) return ZoomGesture::Undo;
  if (dx >= kMinZoomPixels && dy >= kMinZoomPixels) return ZoomGesture::ZoomIn;
  return ZoomGesture::None;
}

void TChartZoom::ZoomTo(double x0, double y0, double x1, double y1) {
  x_ = {std::min(x0, x1), std::max(x0, x1)};
  y_ = {std::min(y0, y1), std::max(y0, y1)};
  zoomed_ = true;
}

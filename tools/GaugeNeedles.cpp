#include "GaugeNeedles.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = 2.0 * std::numbers::pi / 360.0;

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

void DrawNeedle(INeedleCanvas& canvas, int x, int y, TNeedlePoint tip, bool draw) {
  canvas.SetPen(draw ? kNeedleColor : kNeedleEraseColor, kNeedlePenWidth);
  canvas.MoveTo(x, y);
  canvas.LineTo(tip.x, tip.y);
  // The hub stays navy also when the needle is erased.
  canvas.SetPen(kNeedleColor, kNeedlePenWidth);
  canvas.Ellipse(x - kNeedleHubRadius, y - kNeedleHubRadius, x + kNeedleHubRadius, y + kNeedleHubRadius);
}

}  // namespace

TNeedlePoint RpmNeedleTip(const TRpmDial& dial, int rpm) {
  double a = rpm / double(kRpmFullScale) * 270.0 * kDegree;
  if (a > 270.0 * kDegree) a = 270.0 * kDegree;
  const int length = Trunc(0.7 * dial.baseLength);
  const double towards = 225.0 * kDegree - a;
  return {dial.centreX + Trunc(length * std::cos(towards)),
          dial.centreY + Trunc(-length * std::sin(towards))};
}

TNeedlePoint PressureNeedleTip(const TPressureDial& dial, int pressure) {
  const int span = dial.scaleMax - dial.scaleMin;
  double a = span == 0 ? 0.0 : double(pressure - dial.scaleMin) / span * 180.0 * kDegree;
  if (a < 0.0) a = 0.0;
  if (a > std::numbers::pi) a = std::numbers::pi;
  return {dial.pivotX + Trunc(-dial.length * std::cos(a)), dial.pivotY + Trunc(-dial.length * std::sin(a))};
}

void DrawRpmNeedle(INeedleCanvas& canvas, const TRpmDial& dial, int rpm, bool draw) {
  DrawNeedle(canvas, dial.centreX, dial.centreY, RpmNeedleTip(dial, rpm), draw);
}

void DrawPressureNeedle(INeedleCanvas& canvas, const TPressureDial& dial, int pressure, bool draw) {
  DrawNeedle(canvas, dial.pivotX, dial.pivotY, PressureNeedleTip(dial, pressure), draw);
}

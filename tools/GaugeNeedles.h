#pragma once
// The needles of the round gauges, as the live dashboard and the calibration wizard draw them:
// the rpm needle on a 270-degree dial and the gas-pressure needle on a half-circle dial. Each
// draws in navy or erases in the dial's light grey, and puts a navy hub on its pivot. Plain
// arithmetic over a small canvas interface, so the geometry can be checked without widgets.
#include <cstdint>

// The few drawing calls the needles make (positions in the canvas's pixels, y downward).
class INeedleCanvas {
 public:
  virtual ~INeedleCanvas() = default;
  // Pen colour 0x00BBGGRR and width for the following lines and circles.
  virtual void SetPen(uint32_t bbggrr, int width) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // A circle filled in the pen colour, in the square left..right x top..bottom.
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
};

constexpr uint32_t kNeedleColor = 0x800000;       // navy
constexpr uint32_t kNeedleEraseColor = 0xE0E0E0;  // light grey, the dial's background
constexpr int kNeedlePenWidth = 5;
constexpr int kNeedleHubRadius = 5;
constexpr int kRpmFullScale = 7000;  // the last mark of the rpm dial

struct TNeedlePoint {
  int x = 0;
  int y = 0;
  bool operator==(const TNeedlePoint&) const = default;
};

// The rpm dial: its centre and base length; the needle is trunc(0.7 x base length) long.
struct TRpmDial {
  int centreX = 0;
  int centreY = 0;
  int baseLength = 0;
};

// The pressure dial: the pivot (middle of the face's bottom edge), the needle length and the
// scale in kPa that the half circle spans, minimum on the left.
struct TPressureDial {
  int pivotX = 0;
  int pivotY = 0;
  int length = 0;
  int scaleMin = 0;
  int scaleMax = 0;
};

// Tip of the rpm needle: 0 rpm points down-left, 3500 straight up, 7000 down-right, sweeping
// clockwise; beyond 7000 it stays on the 7000 mark.
TNeedlePoint RpmNeedleTip(const TRpmDial& dial, int rpm);
// Tip of the pressure needle: the scale minimum points left, the middle up, the maximum
// right; values outside the scale stay at its ends.
TNeedlePoint PressureNeedleTip(const TPressureDial& dial, int pressure);

// Draws (navy) or erases (light grey) the needle, then the navy hub.
void DrawRpmNeedle(INeedleCanvas& canvas, const TRpmDial& dial, int rpm, bool draw);
void DrawPressureNeedle(INeedleCanvas& canvas, const TPressureDial& dial, int pressure, bool draw);

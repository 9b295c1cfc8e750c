#pragma once
// The canvas the gauge needles are drawn on: a transparent layer over a whole form that keeps
// what was drawn on it until it is drawn over. It lets mouse input through to the controls
// below it; controls raised above it stay in front of the needles.
#include <QImage>
#include <QWidget>

#include "GaugeNeedles.h"

class TNeedleOverlay final : public QWidget, public INeedleCanvas {
 public:
  // Covers `form` (its client area, at its present size).
  explicit TNeedleOverlay(QWidget* form);

  void SetPen(uint32_t bbggrr, int width) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Ellipse(int left, int top, int right, int bottom) override;

  const QImage& Image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QImage image_;
  uint32_t penColor_ = 0;
  int penWidth_ = 1;
  QPoint pos_;
};

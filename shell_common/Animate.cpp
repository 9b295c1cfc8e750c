#include "Animate.h"

#include <QPainter>

namespace {
constexpr int kFrames = 12;
constexpr int kFrameMs = 100;
}  // namespace

TAnimate::TAnimate(QWidget* parent) : QWidget(parent) {
  setFixedSize(48, 48);
  timer_.setInterval(kFrameMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % kFrames;
    update();
  });
}

void TAnimate::SetActive(bool active) {
  if (active)
    timer_.start();
  else
    timer_.stop();
}

void TAnimate::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(width() / 2.0, height() / 2.0);
  const double r = qMin(width(), height()) / 2.0 - 5;
  // Twelve dots round a circle, the brightest one turning.
  for (int i = 0; i < kFrames; ++i) {
    const int age = (frame_ - i + kFrames) % kFrames;
    QColor dot = palette().color(QPalette::Highlight);
    dot.setAlphaF(1.0 - age / static_cast<double>(kFrames));
    p.setBrush(dot);
    p.setPen(Qt::NoPen);
    p.save();
    p.translate(c);
    p.rotate(360.0 * i / kFrames);
    p.drawEllipse(QPointF(r, 0), 3.5, 3.5);
    p.restore();
  }
}

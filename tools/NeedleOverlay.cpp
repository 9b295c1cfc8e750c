#include "NeedleOverlay.h"

#include <QPaintEvent>
#include <QPainter>

#include "WinColor.h"

TNeedleOverlay::TNeedleOverlay(QWidget* form)
    : QWidget(form), image_(form->size(), QImage::Format_ARGB32_Premultiplied) {
  setObjectName(QStringLiteral("NeedleOverlay"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(0, 0, form->width(), form->height());
  image_.fill(Qt::transparent);
}

void TNeedleOverlay::SetPen(uint32_t bbggrr, int width) {
  penColor_ = bbggrr;
  penWidth_ = width;
}

void TNeedleOverlay::MoveTo(int x, int y) { pos_ = QPoint(x, y); }

void TNeedleOverlay::LineTo(int x, int y) {
  QPainter p(&image_);
  // Round ends, no smoothing: erasing over the same line covers every pixel it drew.
  p.setPen(QPen(WinColor(penColor_), penWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(pos_, QPoint(x, y));
  pos_ = QPoint(x, y);
  update();
}

void TNeedleOverlay::Ellipse(int left, int top, int right, int bottom) {
  QPainter p(&image_);
  p.setPen(QPen(WinColor(penColor_), penWidth_));
  p.setBrush(WinColor(penColor_));
  p.drawEllipse(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
  update();
}

void TNeedleOverlay::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.drawImage(e->rect(), image_, e->rect());
}

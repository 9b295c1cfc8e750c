#include "GaugeFaces.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "Language.h"
#include "LiveDashboard.h"
#include "ScreenScale.h"
#include "WinColor.h"

namespace {
constexpr double kPi = std::numbers::pi;
}  // namespace

void Fill(QWidget* w, uint32_t bbggrr) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window,
             bbggrr == kColorButtonFace ? QApplication::palette().color(QPalette::Button) : WinColor(bbggrr));
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QPixmap RpmFace(int size, int needleReach) {
  QPixmap pm(size, size);
  pm.fill(WinColor(kColorLightGrey));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(size / 2.0, size / 2.0);
  const double r = size / 2.0 - 3;
  p.setPen(QPen(QColor(60, 60, 60), 3));
  p.drawEllipse(c, r, r);
  const auto at = [&c](double angle, double radius) {
    return QPointF(c.x() + radius * std::cos(angle), c.y() - radius * std::sin(angle));
  };
  const double start = 225.0 / 180.0 * kPi;
  const double sweep = 270.0 / 180.0 * kPi;
  p.setPen(QPen(WinColor(kColorRed), 5, Qt::SolidLine, Qt::FlatCap));
  const QRectF band(c.x() - r * 0.97, c.y() - r * 0.97, r * 1.94, r * 1.94);
  p.drawArc(band, static_cast<int>((start - sweep) * 180 / kPi * 16),
            static_cast<int>(sweep / 7 * 180 / kPi * 16));
  QFont f = p.font();
  const int figure = std::max(8, size / 16);
  f.setPixelSize(figure);
  f.setBold(true);
  p.setFont(f);
  const double figureRadius = std::max(needleReach + figure * 0.9, r * 0.74);
  for (int k = 0; k <= 70; ++k) {
    const double a = start - sweep * k / 70.0;
    const bool major = k % 10 == 0;
    p.setPen(QPen(k >= 60 ? WinColor(kColorRed) : QColor(30, 30, 30), major ? 3 : 1));
    p.drawLine(at(a, figureRadius + figure * (major ? 0.8 : 1.2)), at(a, r * 0.94));
    if (major) {
      const QPointF t = at(a, figureRadius);
      p.setPen(QColor(20, 20, 20));
      p.drawText(QRectF(t.x() - figure, t.y() - figure * 0.6, 2 * figure, figure * 1.2), Qt::AlignCenter,
                 QString::number(k / 10));
    }
  }
  return pm;
}

QPixmap PressureFace(int width, int height) {
  QPixmap pm(width, height);
  pm.fill(QApplication::palette().color(QPalette::Window));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(width / 2.0, height);
  const double r = std::min(width / 2.0, double(height)) - 2;
  const QRectF disc(c.x() - r, c.y() - r, 2 * r, 2 * r);
  p.setPen(Qt::NoPen);
  p.setBrush(WinColor(kColorLightGrey));
  p.drawPie(disc, 0, 180 * 16);
  p.setPen(QPen(QColor(60, 60, 60), 3));
  p.setBrush(Qt::NoBrush);
  p.drawArc(disc, 0, 180 * 16);
  const QRectF band(c.x() - r * 0.9, c.y() - r * 0.9, r * 1.8, r * 1.8);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(WinColor(kColorGreen), 8, Qt::SolidLine, Qt::FlatCap));
  p.drawArc(band, static_cast<int>(180 * 0.375 * 16), static_cast<int>(180 * 0.25 * 16));
  p.setPen(QPen(WinColor(kColorRed), 8, Qt::SolidLine, Qt::FlatCap));
  p.drawArc(band, 0, static_cast<int>(180 * 0.375 * 16));
  p.drawArc(band, static_cast<int>(180 * 0.625 * 16), static_cast<int>(180 * 0.375 * 16));
  for (int k = 0; k <= 20; ++k) {
    const double a = kPi * k / 20.0;
    const bool major = k % 5 == 0;
    p.setPen(QPen(QColor(30, 30, 30), major ? 3 : 1));
    const double r0 = r * (major ? 0.78 : 0.84);
    p.drawLine(QPointF(c.x() - r0 * std::cos(a), c.y() - r0 * std::sin(a)),
               QPointF(c.x() - r * 0.96 * std::cos(a), c.y() - r * 0.96 * std::sin(a)));
  }
  return pm;
}

QPixmap ThermometerGlass(int width, int tubeTop, int foot, int columnWidth) {
  const int bulb = width / 2;
  QPixmap pm(width, foot + bulb * 2 + 2);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const double cx = width / 2.0;
  p.setPen(QPen(QColor(70, 70, 70), 2));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(cx - columnWidth / 2.0 - 3, tubeTop, columnWidth + 6, foot - tubeTop + 4), 5, 5);
  p.setBrush(WinColor(kColorPurple));
  p.setPen(QPen(WinColor(kColorFuchsia), 1));
  p.drawEllipse(QPointF(cx, foot + bulb), bulb - 1, bulb - 1);
  return pm;
}

QPixmap FuelIcon(int size, const QString& name, const QColor& lit, bool on) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(50, 50, 50), 2));
  p.setBrush(on ? lit : QColor(150, 150, 150));
  p.drawEllipse(QRectF(2, 2, size - 4, size - 4));
  // The name on one line inside the lamp: a smaller font for a longer name.
  QFont f = p.font();
  f.setBold(true);
  for (int pixels = std::max(7, size / 4); pixels >= 5; --pixels) {
    f.setPixelSize(pixels);
    if (QFontMetrics(f).horizontalAdvance(name) <= size - 10) break;
  }
  p.setFont(f);
  p.setPen(on ? Qt::white : QColor(90, 90, 90));
  p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, name);
  return pm;
}

void StyleThermometerColumn(QFrame* column) {
  column->setFrameStyle(QFrame::Box | QFrame::Plain);
  Fill(column, kColorPurple);
  QPalette p = column->palette();
  p.setColor(QPalette::WindowText, WinColor(kColorFuchsia));
  column->setPalette(p);
}

void StyleRpmReadout(QLabel* readout, int pixels) {
  readout->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SetSevenSegmentFont(readout, pixels);
  readout->setAutoFillBackground(true);
  QPalette p = readout->palette();
  p.setColor(QPalette::Window, QColor(20, 20, 20));
  p.setColor(QPalette::WindowText, QColor(80, 255, 80));
  readout->setPalette(p);
}

void SetFuelIcons(QLabel* gasOn, QLabel* gasOff, QLabel* benzOn, QLabel* benzOff, int size) {
  const QColor gas(0, 150, 0), benz(230, 120, 0);
  gasOn->setPixmap(FuelIcon(size, Tr(294), gas, true));
  gasOff->setPixmap(FuelIcon(size, Tr(294), gas, false));
  benzOn->setPixmap(FuelIcon(size, Tr(640), benz, true));
  benzOff->setPixmap(FuelIcon(size, Tr(640), benz, false));
  gasOn->hide();
  benzOff->hide();
}

void ShowFuelState(QLabel* gasOn, QLabel* gasOff, QLabel* benzOn, QLabel* benzOff, bool onGas) {
  gasOn->setVisible(onGas);
  benzOff->setVisible(onGas);
  gasOff->setVisible(!onGas);
  benzOn->setVisible(!onGas);
}

TRpmDial RpmDialOf(const QRect& face) {
  TRpmDial dial;
  dial.baseLength = static_cast<int>(0.45 * face.height());
  dial.centreX = face.left() + face.width() / 2;
  dial.centreY = face.top() + face.height() / 2;
  return dial;
}

TPressureDial PressureDialOf(const QRect& face, int scaleMin, int scaleMax) {
  TPressureDial dial;
  dial.length = static_cast<int>(0.2 * face.width());
  dial.pivotX = face.left() + face.width() / 2;
  dial.pivotY = face.top() + face.height();
  dial.scaleMin = scaleMin;
  dial.scaleMax = scaleMax;
  return dial;
}

bool MoveNeedles(INeedleCanvas& canvas, const TRpmDial& rpmDial, const TPressureDial& pressureDial,
                 const TDashboardView& v) {
  if (v.moveRpmNeedle) {
    DrawRpmNeedle(canvas, rpmDial, v.rpmFrom, false);
    DrawRpmNeedle(canvas, rpmDial, v.rpmTo, true);
  }
  if (v.movePressureNeedle) {
    DrawPressureNeedle(canvas, pressureDial, v.pressureFrom, false);
    DrawPressureNeedle(canvas, pressureDial, v.pressureTo, true);
  }
  return v.moveRpmNeedle;
}

void FitLabelHeight(QLabel* label) {
  const int needed = label->fontMetrics().height();
  const QRect r = label->geometry();
  if (r.height() >= needed) return;
  label->setGeometry(r.x(), r.y() - (needed - r.height() + 1) / 2, r.width(), needed);
}

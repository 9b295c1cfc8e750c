#include "ToolScreen.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

int ToolScreenWidth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().width() : kToolDesignWidth;
}

int ToolScaled(int v, int screenWidth) { return v * screenWidth / kToolDesignWidth; }

void ScaleToolFont(QWidget* window, int screenWidth) {
  if (screenWidth == kToolDesignWidth) return;
  QFont f = window->font();
  f.setPointSizeF(f.pointSizeF() * screenWidth / kToolDesignWidth);
  window->setFont(f);
}

void SetSevenSegmentFont(QWidget* w, int pixels) {
  QFont f(QStringLiteral("NI7SEG"));
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(pixels);
  f.setBold(true);
  w->setFont(f);
}

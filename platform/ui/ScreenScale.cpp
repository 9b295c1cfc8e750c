#include "ScreenScale.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace {

const char* const kScaledProperty = "screenScaledWidth";
const char* const kOwnMinimumProperty = "ownMinimumSize";

}  // namespace

int ScaleToScreen(int value, int width) {
  return static_cast<int>(static_cast<long long>(value) * width / kDesignScreenWidth);
}

int FittedScreenWidth(QSize designSize, int screenWidth, const QRect& available) {
  int width = screenWidth;
  if (available.isEmpty()) return width;
  const int roomWidth = available.width() - kWindowFrameWidth;
  const int roomHeight = available.height() - kWindowFrameHeight;
  if (designSize.width() > 0 && ScaleToScreen(designSize.width(), width) > roomWidth)
    width = static_cast<int>(static_cast<long long>(roomWidth) * kDesignScreenWidth / designSize.width());
  if (designSize.height() > 0 && ScaleToScreen(designSize.height(), width) > roomHeight)
    width = static_cast<int>(static_cast<long long>(roomHeight) * kDesignScreenWidth / designSize.height());
  return std::max(1, width);
}

int FittedScreenWidth(QSize designSize) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return kDesignScreenWidth;
  return FittedScreenWidth(designSize, screen->geometry().width(), screen->availableGeometry());
}

void ScaleFontToScreen(QWidget* window, int width) {
  if (window->property(kScaledProperty).isValid()) return;
  window->setProperty(kScaledProperty, width);
  if (width == kDesignScreenWidth) return;
  QFont f = window->font();
  if (f.pixelSize() > 0)
    f.setPixelSize(std::max(1, ScaleToScreen(f.pixelSize(), width)));
  else
    f.setPointSizeF(f.pointSizeF() * width / kDesignScreenWidth);
  window->setFont(f);
}

int ScaledWidthOf(const QWidget* w) {
  const QVariant width = w->window()->property(kScaledProperty);
  return width.isValid() ? width.toInt() : kDesignScreenWidth;
}

void FitWindowToScreen(QWidget* window) {
  if (window->minimumSize() == window->maximumSize()) return;  // it sized itself
  const bool sized = window->testAttribute(Qt::WA_Resized);
  if (!window->property(kScaledProperty).isValid())
    ScaleFontToScreen(window, FittedScreenWidth(sized ? window->size() : window->sizeHint()));
  // The layout's room for the scaled texts and the title; a minimum width the window set
  // itself would otherwise keep the layout from widening it.
  QSize least = window->minimumSize();
  if (QLayout* layout = window->layout()) {
    layout->activate();
    least = least.expandedTo(layout->totalMinimumSize());
  }
  // Window managers draw titles in bold.
  QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
  titleFont.setBold(true);
  const QFontMetrics fm(titleFont);
  least.setWidth(std::max(least.width(), fm.horizontalAdvance(window->windowTitle()) + kTitleBarButtons));
  window->setMinimumSize(least);
  window->resize((sized ? window->size() : window->sizeHint()).expandedTo(least));
  // Wrapped texts need the height their lines take at the width the window got.
  if (QLayout* layout = window->layout(); layout && layout->hasHeightForWidth()) {
    const int height = layout->totalHeightForWidth(window->width());
    if (height > window->minimumHeight()) window->setMinimumHeight(height);
  }
}

void FitAndFixWindowToScreen(QWidget* window) {
  // The window's own minimum, before any fitting.
  QVariant own = window->property(kOwnMinimumProperty);
  if (!own.isValid()) {
    own = window->minimumSize();
    window->setProperty(kOwnMinimumProperty, own);
  }
  window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  window->setMinimumSize(own.toSize());
  FitWindowToScreen(window);
  window->setFixedSize(window->size());
}

void SetSevenSegmentFont(QWidget* w, int pixels) {
  QFont f(QStringLiteral("NI7SEG"));
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(pixels);
  f.setBold(true);
  w->setFont(f);
}

#pragma once
// Places the widgets of a window laid out for the 800-pixel screen at the present screen's
// scale: every design pixel v becomes ScaleToScreen(v, width) of the fitted screen width.
#include <QString>
#include <Qt>

class QFrame;
class QLabel;
class QWidget;

class TDesignPlacer {
 public:
  explicit TDesignPlacer(int screenWidth) : screenWidth_(screenWidth) {}

  // Design pixels to this screen's.
  int Scaled(int v) const;
  // Names the widget and gives it the design geometry, scaled.
  void Place(QWidget* w, const char* name, int x, int y, int width, int height) const;
  // A new label on `parent`, grown to its font's height where the scaled design is lower.
  QLabel* Label(QWidget* parent, const char* name, const QString& text, int x, int y, int width, int height,
                Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) const;
  // A new plain frame on `parent`.
  QFrame* Frame(QWidget* parent, const char* name, int x, int y, int width, int height) const;

 private:
  int screenWidth_;
};

#include "DesignPlacer.h"

#include <QFrame>
#include <QLabel>

#include "GaugeFaces.h"
#include "ScreenScale.h"

int TDesignPlacer::Scaled(int v) const { return ScaleToScreen(v, screenWidth_); }

void TDesignPlacer::Place(QWidget* w, const char* name, int x, int y, int width, int height) const {
  w->setObjectName(QLatin1String(name));
  w->setGeometry(Scaled(x), Scaled(y), Scaled(width), Scaled(height));
}

QLabel* TDesignPlacer::Label(QWidget* parent, const char* name, const QString& text, int x, int y, int width,
                             int height, Qt::Alignment align) const {
  auto* l = new QLabel(text, parent);
  l->setAlignment(align);
  Place(l, name, x, y, width, height);
  FitLabelHeight(l);
  return l;
}

QFrame* TDesignPlacer::Frame(QWidget* parent, const char* name, int x, int y, int width, int height) const {
  auto* f = new QFrame(parent);
  Place(f, name, x, y, width, height);
  return f;
}

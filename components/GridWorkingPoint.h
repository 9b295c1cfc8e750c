#pragma once
// The working-point marker of the data-bound grid: a disc (or a picture) that follows two live
// values across the grid's breakpoints, and the highlight of the active header cells.
#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QPointer>

#include "KivPacketData.h"

class TKivGrid;

class TGridWorkingPoint : public QObject {
 public:
  explicit TGridWorkingPoint(TKivGrid* grid);
  ~TGridWorkingPoint() override;

  QColor Color() const { return color_; }
  void SetColor(QColor c) { color_ = c, Changed(); }
  int Dimension() const { return dimension_; }
  void SetDimension(int d) { dimension_ = d, Changed(); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v, Changed(); }
  bool ShowActiveRef() const { return showActiveRef_; }
  void SetShowActiveRef(bool v) { showActiveRef_ = v, Changed(); }
  QColor ActiveRefColor() const { return activeRefColor_; }
  void SetActiveRefColor(QColor c) { activeRefColor_ = c, Changed(); }
  bool CustomDrawing() const { return customDrawing_; }
  void SetCustomDrawing(bool v) { customDrawing_ = v, Changed(); }
  const QPixmap& Glyph() const { return glyph_; }
  void SetGlyph(const QPixmap& p);
  TKivPacketData* HorizontalPosition() const { return horizontal_; }
  void SetHorizontalPosition(TKivPacketData* p) { Rebind(horizontal_, p); }
  TKivPacketData* VerticalPosition() const { return vertical_; }
  void SetVerticalPosition(TKivPacketData* p) { Rebind(vertical_, p); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v, Changed(); }

 private:
  void Changed();
  void Rebind(QPointer<TKivPacketData>& slot, TKivPacketData* p);

  TKivGrid* grid_;
  QColor color_{255, 0, 0};
  int dimension_ = 10;
  bool visible_ = false;
  bool showActiveRef_ = false;
  QColor activeRefColor_{255, 255, 0};
  bool customDrawing_ = false;
  QPixmap glyph_;
  QPointer<TKivPacketData> horizontal_;
  QPointer<TKivPacketData> vertical_;
  bool enabled_ = false;
};

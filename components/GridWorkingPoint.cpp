#include "GridWorkingPoint.h"

#include <QBitmap>

#include "KivGrid.h"

TGridWorkingPoint::TGridWorkingPoint(TKivGrid* grid) : QObject(grid), grid_(grid) {
  setObjectName(QStringLiteral("Point"));
}

TGridWorkingPoint::~TGridWorkingPoint() {
  if (horizontal_) horizontal_->RemoveNotificationList(grid_);
  if (vertical_ && vertical_ != horizontal_) vertical_->RemoveNotificationList(grid_);
}

void TGridWorkingPoint::Changed() { grid_->Repaint(); }

void TGridWorkingPoint::SetGlyph(const QPixmap& p) {
  glyph_ = p;
  // Transparent where the picture has its bottom-left pixel's colour, as glyphs are drawn.
  if (!glyph_.isNull() && !glyph_.hasAlphaChannel()) {
    const QImage img = glyph_.toImage();
    glyph_.setMask(
        QBitmap::fromImage(img.createMaskFromColor(img.pixel(0, img.height() - 1), Qt::MaskInColor)));
  }
  Changed();
}

void TGridWorkingPoint::Rebind(QPointer<TKivPacketData>& slot, TKivPacketData* p) {
  if (slot == p) return;
  TKivPacketData* old = slot;
  slot = p;
  // The other position may use the same value: the grid stays in its list then.
  if (old && old != horizontal_ && old != vertical_) old->RemoveNotificationList(grid_);
  if (p) p->AddNotificationList(grid_);
  Changed();
}

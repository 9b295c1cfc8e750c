#include "ChildLabel.h"

#include <QEvent>
#include <QMouseEvent>

#include "FocusChain.h"

TChildLabel::TChildLabel(QWidget* control) : QLabel(control->parentWidget()), control_(control) {
  setObjectName(QStringLiteral("ChildLabel"));
  setText(control->objectName());
  setBuddy(control);
  control->installEventFilter(this);
  AdjustBounds();
}

void TChildLabel::SetLabelPosition(TLabelPosition p) {
  position_ = p;
  Place();
}

void TChildLabel::SetLabelSpacing(int s) {
  spacing_ = s;
  Place();
}

void TChildLabel::SetLabelAlignment(Qt::Alignment a) {
  setAlignment(a);
  Place();
}

void TChildLabel::AdjustBounds() {
  adjustSize();
  Place();
}

void TChildLabel::Update() {
  update();
  AdjustBounds();
}

void TChildLabel::SetWidth(int w) {
  resize(w, height());
  Place();
}

void TChildLabel::SetHeight(int h) {
  resize(width(), h);
  Place();
}

void TChildLabel::Place() {
  if (!control_) return;
  move(ChildLabelPos(control_->geometry(), size(), position_, spacing_, alignment()));
}

bool TChildLabel::eventFilter(QObject* watched, QEvent* e) {
  if (watched == control_) {
    switch (e->type()) {
      case QEvent::Move:
      case QEvent::Resize:
        Update();
        break;
      case QEvent::ParentChange:
        setParent(control_->parentWidget());
        setVisible(control_->isVisibleTo(control_->parentWidget()));
        Update();
        break;
      case QEvent::ShowToParent:
        show();
        break;
      case QEvent::HideToParent:
        hide();
        break;
      default:
        break;
    }
  }
  return QLabel::eventFilter(watched, e);
}

void TChildLabel::mousePressEvent(QMouseEvent* e) {
  QLabel::mousePressEvent(e);
  if (e->button() == Qt::LeftButton && control_ && TFocusChain::CanTakeFocus(control_))
    control_->setFocus(Qt::MouseFocusReason);
}

void FocusLinkOrTabOrder(QWidget* self, QWidget* link, bool forward) {
  const Qt::FocusReason reason = forward ? Qt::TabFocusReason : Qt::BacktabFocusReason;
  if (link && TFocusChain::CanTakeFocus(link)) {
    link->setFocus(reason);
    return;
  }
  QWidget* w = self;
  for (;;) {
    w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
    if (!w || w == self) return;
    if (w->window() == self->window() && (w->focusPolicy() & Qt::TabFocus) && TFocusChain::CanTakeFocus(w)) {
      w->setFocus(reason);
      return;
    }
  }
}

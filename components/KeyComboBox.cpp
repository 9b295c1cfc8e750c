#include "KeyComboBox.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>

namespace {

// A key that types a character (and is no shortcut).
bool TypesCharacter(const QKeyEvent* e) {
  return !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
         e->text().size() == 1 && e->text().at(0).isPrint();
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

TKeyComboBox::TKeyComboBox(QWidget* parent) : QComboBox(parent) {
  // The open list receives the keys itself: watch them there, ahead of the list's own handling.
  view()->installEventFilter(this);
  connect(this, &QComboBox::activated, this, &TKeyComboBox::OnActivated);
}

bool TKeyComboBox::DroppedDown() const { return view()->isVisible(); }

void TKeyComboBox::SetDroppedDown(bool open) {
  if (open && !DroppedDown())
    showPopup();
  else if (!open && DroppedDown())
    hidePopup();
}

void TKeyComboBox::showPopup() {
  changed_ = true;
  QComboBox::showPopup();
}

void TKeyComboBox::PressEnter() {
  if (changed_)
    entryIndex_ = currentIndex();
  else
    SetDroppedDown(true);
  QPointer<TKeyComboBox> alive(this);
  emit enterPressed();
  if (!alive) return;
  changed_ = DroppedDown();
}

void TKeyComboBox::Change(bool listOpen) {
  QPointer<TKeyComboBox> alive(this);
  emit userChanged(currentIndex());
  if (!alive || listOpen) return;
  changed_ = true;
  PressEnter();
}

// Qt reports a pick from the open list after it has closed the list; the base list's own keys
// and the wheel with the list closed come through here as well.
void TKeyComboBox::OnActivated() { Change(!closedListAction_); }

// A change made on the open list: the selection follows at once, as the list's highlight.
void TKeyComboBox::SelectByUser(int index) {
  setCurrentIndex(index);
  view()->setCurrentIndex(model()->index(index, modelColumn(), rootModelIndex()));
  Change(true);
}

void TKeyComboBox::ForwardToList(QKeyEvent* e) {
  QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(), e->count());
  forwarding_ = true;
  QCoreApplication::sendEvent(view(), &copy);
  forwarding_ = false;
  const int row = view()->currentIndex().row();
  if (row >= 0 && row != currentIndex()) SelectByUser(row);
}

// Keys with the list open. Returns whether the key is consumed.
bool TKeyComboBox::ListKeyPress(QKeyEvent* e) {
  const bool alt = e->modifiers() & Qt::AltModifier;
  const int last = count() - 1;
  switch (e->key()) {
    case Qt::Key_Escape:
      SetDroppedDown(false);
      changed_ = false;
      setCurrentIndex(entryIndex_);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (alt) return false;  // Alt+arrow closes the list (the list's own key)
      const bool up = e->key() == Qt::Key_Up;
      if (last >= 0 && currentIndex() == (up ? 0 : last))
        SelectByUser(up ? last : 0);
      else
        ForwardToList(e);
      return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      ForwardToList(e);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      // The highlight may have moved with the mouse: that is the selection Enter takes.
      const int row = view()->currentIndex().row();
      if (row >= 0 && row != currentIndex()) SelectByUser(row);
      SetDroppedDown(false);
      PressEnter();
      return true;
    }
    default:
      if (TypesCharacter(e)) {
        changed_ = DroppedDown();
        return true;
      }
      return false;
  }
}

bool TKeyComboBox::eventFilter(QObject* watched, QEvent* e) {
  if (watched == view() && !forwarding_ && DroppedDown()) {
    if (e->type() == QEvent::ShortcutOverride && IsEnter(static_cast<QKeyEvent*>(e)->key())) {
      // The list would close and select on the override already: take Enter as a key press.
      e->accept();
      return true;
    }
    if (e->type() == QEvent::KeyPress && ListKeyPress(static_cast<QKeyEvent*>(e))) return true;
  }
  return QComboBox::eventFilter(watched, e);
}

void TKeyComboBox::keyPressEvent(QKeyEvent* e) {
  if (DroppedDown() && ListKeyPress(e)) return;
  const bool alt = e->modifiers() & Qt::AltModifier;
  switch (e->key()) {
    case Qt::Key_Escape:
      QComboBox::keyPressEvent(e);  // not consumed: the window may act on Esc
      return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
      e->accept();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (alt) break;  // Alt+Down opens the list
      chain_.MoveFocus(e->key() == Qt::Key_Down);
      e->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      PressEnter();
      e->accept();
      return;
    default:
      if (TypesCharacter(e)) {
        changed_ = DroppedDown();
        e->accept();
        return;
      }
      break;
  }
  closedListAction_ = true;
  QComboBox::keyPressEvent(e);
  closedListAction_ = false;
}

void TKeyComboBox::wheelEvent(QWheelEvent* e) {
  if (!hasFocus()) {
    e->ignore();  // goes on to the parent, which may scroll
    return;
  }
  closedListAction_ = true;
  QComboBox::wheelEvent(e);
  closedListAction_ = false;
}

void TKeyComboBox::focusInEvent(QFocusEvent* e) {
  if (!(inside_ && TFocusChain::IsTransientFocusChange(e->reason()))) {
    inside_ = true;
    changed_ = false;
    entryIndex_ = currentIndex();
  }
  QComboBox::focusInEvent(e);
}

void TKeyComboBox::focusOutEvent(QFocusEvent* e) {
  if (!TFocusChain::IsTransientFocusChange(e->reason())) {
    inside_ = false;
    SetDroppedDown(false);
  }
  QComboBox::focusOutEvent(e);
}

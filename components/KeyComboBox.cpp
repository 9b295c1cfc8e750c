#include "KeyComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>

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

// Qt reports a pick from the open list after it has closed the list, as the native list does:
// a change with the list closed, confirmed at once. The base list's own keys and the wheel with
// the list closed come through here as well.
void TKeyComboBox::OnActivated() { Change(DroppedDown()); }

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

// The keys that the open list handles by the table; the others are the base list's.
bool TKeyComboBox::IsListKey(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return true;
    case Qt::Key_Up:
      return true;
    case Qt::Key_Down:
      return !(e->modifiers() & Qt::AltModifier);  // Alt+Down closes the list (its own key)
    default:
      return TypesCharacter(e);
  }
}

// A key of IsListKey with the list open.
void TKeyComboBox::ListKeyPress(QKeyEvent* e) {
  const int last = count() - 1;
  switch (e->key()) {
    case Qt::Key_Escape:
      SetDroppedDown(false);
      changed_ = false;
      setCurrentIndex(entryIndex_);
      return;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const bool up = e->key() == Qt::Key_Up;
      if (last >= 0 && currentIndex() == (up ? 0 : last))
        SelectByUser(up ? last : 0);
      else
        ForwardToList(e);
      return;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      ForwardToList(e);
      return;
    case Qt::Key_Left:
    case Qt::Key_Right:
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      // The highlight may have moved with the mouse: that is the selection Enter takes.
      const int row = view()->currentIndex().row();
      if (row >= 0 && row != currentIndex()) SelectByUser(row);
      SetDroppedDown(false);
      PressEnter();
      return;
    }
    default:  // typed characters reach nothing
      changed_ = DroppedDown();
      return;
  }
}

bool TKeyComboBox::eventFilter(QObject* watched, QEvent* e) {
  // With the list open the focus is in the list: the program moving it elsewhere is leaving.
  if (watched == view() && e->type() == QEvent::FocusOut && DroppedDown() && !IntoList() &&
      QApplication::focusWidget() != this &&
      !TFocusChain::IsTransientFocusChange(static_cast<QFocusEvent*>(e)->reason()))
    Leave();
  if (watched == view() && !forwarding_ && DroppedDown() &&
      (e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress)) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (IsListKey(key)) {
      // The list acts on some keys at the override already (Enter, Esc): take them all here,
      // as key presses.
      if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
      }
      ListKeyPress(key);
      return true;
    }
  }
  return QComboBox::eventFilter(watched, e);
}

void TKeyComboBox::keyPressEvent(QKeyEvent* e) {
  if (DroppedDown() && IsListKey(e)) {
    ListKeyPress(e);
    e->accept();
    return;
  }
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
      if (alt && e->key() == Qt::Key_Down) break;  // Alt+Down opens the list
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
  QComboBox::keyPressEvent(e);
}

void TKeyComboBox::wheelEvent(QWheelEvent* e) {
  if (!hasFocus()) {
    e->ignore();  // goes on to the parent, which may scroll
    return;
  }
  QComboBox::wheelEvent(e);
}

void TKeyComboBox::focusInEvent(QFocusEvent* e) {
  if (!(inside_ && TFocusChain::IsTransientFocusChange(e->reason()))) {
    inside_ = true;
    changed_ = false;
    entryIndex_ = currentIndex();
  }
  QComboBox::focusInEvent(e);
}

// Whether the focus has gone into the list's own window (opening the list moves it there).
bool TKeyComboBox::IntoList() const {
  const QWidget* now = QApplication::focusWidget();
  return now && view()->window()->isAncestorOf(now);
}

void TKeyComboBox::Leave() {
  inside_ = false;
  SetDroppedDown(false);
}

void TKeyComboBox::focusOutEvent(QFocusEvent* e) {
  // The focus may go into the list without the popup reason.
  if (!IntoList() && !TFocusChain::IsTransientFocusChange(e->reason())) Leave();
  QComboBox::focusOutEvent(e);
}

#include "KivComboBox.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include "MessageSink.h"
#include "NumericEditCore.h"
#include "PrivateMessage.h"

TKivComboBox::TKivComboBox(QWidget* parent) : TKeyComboBox(parent) {
  resizer_ = new TResizer(this, this);
  label_ = new TChildLabel(this);
  connect(this, &TKeyComboBox::enterPressed, this, &TKivComboBox::Confirmed);
}

TKivComboBox::~TKivComboBox() {
  if (value_) value_->RemoveNotificationList(this);
  delete label_;
}

void TKivComboBox::SetNumber(TKivNumber* n) { RebindNotifications(value_, n, this); }

int TKivComboBox::IndexOf(double v) { return TNumericEditCore::TruncToInt(v + 0.5); }

void TKivComboBox::ShowIndex(double v) {
  const int index = IndexOf(v);
  SetEntryIndex(index);
  const QSignalBlocker quiet(this);
  setCurrentIndex(index);
}

bool TKivComboBox::InitData() {
  if (!value_) return true;
  value_->SetDataValid(false);
  double v = 0;
  const bool ok = value_->GetData(&v);
  ShowIndex(v);
  return ok;
}

// Enter with the list closed confirms a changed selection (an Enter that opens the list
// confirms nothing).
void TKivComboBox::Confirmed() {
  if (!DroppedDown() && value_) value_->SetData(currentIndex());
}

void TKivComboBox::customEvent(QEvent* e) {
  if (AsPrivateMessage(e, WM_DATACHANGED)) {
    if (value_) {
      double v = 0;
      value_->GetData(&v);
      ShowIndex(v);
    }
  } else if (auto* m = AsPrivateMessage(e, WM_DATAAVAILABLE)) {
    if (value_) {
      if (m->WParam()) value_->InitData(reinterpret_cast<const int*>(m->WParam()));
      double v = 0;
      value_->GetData(&v);
      ShowIndex(v);
    }
  } else {
    TKeyComboBox::customEvent(e);
  }
}

void TKivComboBox::keyPressEvent(QKeyEvent* e) {
  const bool arrow = e->key() == Qt::Key_Up || e->key() == Qt::Key_Down;
  if (arrow && !DroppedDown() && !(e->modifiers() & Qt::AltModifier)) {
    if (!arrowMoveFocus_) {
      QComboBox::keyPressEvent(e);  // the list itself moves the selection
      return;
    }
    if (e->key() == Qt::Key_Down)
      FocusNextControl();
    else
      FocusPrevControl();
    e->accept();
    return;
  }
  TKeyComboBox::keyPressEvent(e);
}

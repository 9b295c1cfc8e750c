#include "ValueEditEx.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "FocusChain.h"
#include "MessageSink.h"
#include "NumericEditCore.h"
#include "PrivateMessage.h"

TValueEditEx::TValueEditEx(QWidget* parent) : QLineEdit(parent) {
  label_ = new TChildLabel(this);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setAcceptDrops(false);
  UpdateHeight();
  resize(96, height());
  setText(QStringLiteral("0"));
  resizer_ = new TResizer(this, this);
}

TValueEditEx::~TValueEditEx() {
  if (value_) value_->RemoveNotificationList(this);
  delete label_;
}

void TValueEditEx::SetNumber(TKivNumber* n) { RebindNotifications(value_, n, this); }

void TValueEditEx::SetAutoSize(bool v) {
  autoSize_ = v;
  UpdateHeight();
}

void TValueEditEx::SetBorderStyle(bool single) {
  setFrame(single);
  UpdateHeight();
}

int TValueEditEx::AdjustHeight() const { return fontMetrics().height() + 8; }

void TValueEditEx::UpdateHeight() {
  if (autoSize_ && hasFrame()) {
    setFixedHeight(AdjustHeight());
  } else {
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
  }
}

void TValueEditEx::ShowValue() {
  if (value_) setText(TNumericEditCore::FormatDouble(value_->GetDouble()));
}

bool TValueEditEx::InitData() {
  if (!value_) return true;
  value_->SetDataValid(false);
  double v = 0;
  const bool ok = value_->GetData(&v);
  setText(TNumericEditCore::FormatDouble(v));
  return ok;
}

bool TValueEditEx::AcquireValue() {
  if (!value_) return false;
  double v = 0;
  if (!TNumericEditCore::ParseDouble(text(), &v)) return false;
  return value_->SetData(v);
}

void TValueEditEx::customEvent(QEvent* e) {
  if (AsPrivateMessage(e, WM_DATACHANGED)) {
    ShowValue();
  } else if (auto* m = AsPrivateMessage(e, WM_DATAAVAILABLE)) {
    if (value_ && m->WParam()) value_->InitData(reinterpret_cast<const int*>(m->WParam()));
    ShowValue();
  } else {
    QLineEdit::customEvent(e);
  }
}

// Whether a typed separator or minus goes on to the text.
bool TValueEditEx::Passes(QChar key) const {
  const QChar decimal = TNumericEditCore::DecimalSeparator();
  const QString selected = selectedText();
  const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
  if (key == decimal) {
    if (!value_) return true;
    const double p = value_->Precision();
    const bool allowed = p == 0 || TNumericEditCore::FormatDouble(p).contains(decimal);
    return allowed && (!text().contains(decimal) || selected.contains(decimal));
  }
  if (key == u'-' && caret == 0) {
    if (!value_) return true;
    const bool allowed = value_->ValueMin() < 0 || (value_->ValueMin() == 0 && value_->ValueMax() == 0);
    return allowed && (!text().contains(u'-') || selected.contains(u'-'));
  }
  return false;
}

void TValueEditEx::Refused() {
  QApplication::beep();
  ShowValue();
  selectAll();
}

void TValueEditEx::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape:
      ShowValue();
      selectAll();
      QLineEdit::keyPressEvent(e);  // not consumed: the window may act on Esc too
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (!arrowMoveFocus_) break;
      if (e->key() == Qt::Key_Down)
        FocusNextControl();
      else
        FocusPrevControl();
      e->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      e->accept();
      QPointer<TValueEditEx> alive(this);
      const bool written = AcquireValue();
      if (!alive) return;
      if (written)
        FocusNextControl();
      else
        Refused();
      return;
    }
    case Qt::Key_Backspace:
      QLineEdit::keyPressEvent(e);
      return;
    default:
      break;
  }
  if (!TypesCharacter(e)) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  const QChar key = e->text().at(0);
  e->accept();
  if ((key >= u'0' && key <= u'9') || Passes(key)) QLineEdit::keyPressEvent(e);
}

void TValueEditEx::focusInEvent(QFocusEvent* e) {
  const bool enter = !(inside_ && TFocusChain::IsTransientFocusChange(e->reason()));
  QLineEdit::focusInEvent(e);
  if (enter) {
    inside_ = true;
    selectAll();
  }
}

void TValueEditEx::focusOutEvent(QFocusEvent* e) {
  if (inside_ && !TFocusChain::IsTransientFocusChange(e->reason())) {
    inside_ = false;
    if (validation_ && value_) {
      ShowValue();  // an unconfirmed entry is discarded
    } else if (!AcquireValue()) {
      ShowValue();  // a refused entry shows the value again
    }
  }
  QLineEdit::focusOutEvent(e);
}

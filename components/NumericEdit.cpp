#include "NumericEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>

TNumericEdit::TNumericEdit(QWidget* parent) : QLineEdit(parent) {
  setText(QStringLiteral("0"));
  setAcceptDrops(false);  // text comes in through the key filter (or a paste)
}

void TNumericEdit::ShowText(const QString& t) {
  if (t != text()) setText(t);
}

void TNumericEdit::SetInt(int v) {
  QString t;
  core_.SetInt(t, v);
  ShowText(t);
}

void TNumericEdit::SetDouble(double v) {
  QString t;
  core_.SetDouble(t, v);
  ShowText(t);
}

int TNumericEdit::GetInt() {
  QString t = text();
  const int v = core_.GetInt(t);
  ShowText(t);
  return v;
}

void TNumericEdit::PressEnter() {
  QString t = text();
  core_.Confirm(t);
  ShowText(t);
  QPointer<TNumericEdit> alive(this);
  emit enterPressed();
  if (!alive) return;
  if (!chain_.MoveFocus(true)) selectAll();
}

void TNumericEdit::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape: {
      QString t = text();
      core_.Escape(t);
      ShowText(t);
      selectAll();
      QLineEdit::keyPressEvent(e);  // not consumed: the window may act on Esc too
      return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
      chain_.MoveFocus(e->key() == Qt::Key_Down);
      e->accept();  // consumed even when there is nowhere to go
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      PressEnter();
      e->accept();
      return;
    case Qt::Key_Backspace:
      QLineEdit::keyPressEvent(e);
      return;
    default:
      break;
  }
  // Shortcuts (copy, paste, select all, undo) and keys that type nothing (caret moves, Delete)
  // are the base edit's; a pasted text that is not a number falls back on the accepted value.
  if (!TypesCharacter(e)) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  const QString typed = e->text();
  QChar key = typed.at(0);
  e->accept();
  if (!Admits(key)) return;
  if (key == typed.at(0)) {
    QLineEdit::keyPressEvent(e);
  } else {
    QKeyEvent replaced(e->type(), e->key(), e->modifiers(), QString(key), e->isAutoRepeat(), e->count());
    QLineEdit::keyPressEvent(&replaced);
  }
}

// Text composed by an input method goes through the key filter as typed keys do.
void TNumericEdit::inputMethodEvent(QInputMethodEvent* e) {
  const QString commit = e->commitString();
  e->accept();
  if (isReadOnly()) return;
  for (QChar key : commit)
    if (key.isPrint() && Admits(key)) insert(QString(key));
}

// Whether a typed character goes on to the text (key may become the decimal separator).
bool TNumericEdit::Admits(QChar& key) const {
  const QString selected = selectedText();
  const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
  return core_.FilterKey(key, text(), caret, selected) == TNumericEditCore::TKeyVerdict::Pass &&
         (maxLength_ == 0 || text().size() - selected.size() < maxLength_);
}

void TNumericEdit::focusInEvent(QFocusEvent* e) {
  const bool enter = !(inside_ && TFocusChain::IsTransientFocusChange(e->reason()));
  if (enter) {
    inside_ = true;
    QString t = text();
    core_.Enter(t);
    ShowText(t);
  }
  QLineEdit::focusInEvent(e);
  if (enter) emit entered();
}

void TNumericEdit::focusOutEvent(QFocusEvent* e) {
  const bool leave = inside_ && !TFocusChain::IsTransientFocusChange(e->reason());
  if (leave) {
    inside_ = false;
    QString t = text();
    core_.Exit(t);
    ShowText(t);
  }
  QLineEdit::focusOutEvent(e);
  if (leave) emit exited();
}

#include "DialogKeys.h"

#include <QKeyEvent>
#include <QPushButton>

bool PressFocusedButton(QWidget* window, QKeyEvent* e) {
  if (!window || (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)) return false;
  auto* button = qobject_cast<QPushButton*>(window->focusWidget());
  if (!button || button->window() != window || !button->isEnabled() || !button->isVisible()) return false;
  e->accept();
  button->click();
  return true;
}

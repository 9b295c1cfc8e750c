#include "FocusChain.h"

#include <QKeyEvent>
#include <vector>

bool TypesCharacter(const QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers();
  if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) return false;
  return e->text().size() == 1 && e->text().at(0).isPrint();
}

bool TFocusChain::CanTakeFocus(const QWidget* w) {
  if (!w || w->focusPolicy() == Qt::NoFocus) return false;
  const QWidget* window = w->window();
  return w->isEnabled() && (w == window ? !w->isHidden() : w->isVisibleTo(window));
}

QWidget* TFocusChain::Walk(bool forward) const {
  std::vector<const QWidget*> visited;
  QWidget* w = forward ? next_.data() : prev_.data();
  while (w) {
    if (CanTakeFocus(w)) return w;
    const auto* member = dynamic_cast<const IFocusChainMember*>(w);
    if (!member) return nullptr;
    for (const QWidget* seen : visited)
      if (seen == w) return nullptr;
    visited.push_back(w);
    w = forward ? member->FocusChain().Next() : member->FocusChain().Prev();
  }
  return nullptr;
}

bool TFocusChain::MoveFocus(bool forward) const {
  QWidget* target = Walk(forward);
  if (!target) return false;
  target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

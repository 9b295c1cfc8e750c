#include "PrivateMessage.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

QList<QPointer<QWidget>> TopLevelForms() {
  QList<QPointer<QWidget>> forms;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isWindow()) forms.append(w);
  return forms;
}

}  // namespace

void PostPrivateMessage(QWidget* target, unsigned msg, intptr_t wParam, intptr_t lParam) {
  if (target) QCoreApplication::postEvent(target, new PrivateMessageEvent(msg, wParam, lParam));
}

bool SendPrivateMessage(QWidget* target, unsigned msg, intptr_t wParam, intptr_t lParam) {
  if (!target) return false;
  PrivateMessageEvent e(msg, wParam, lParam);
  return QCoreApplication::sendEvent(target, &e);
}

void QtMessageSink::PostToForms(unsigned msg, intptr_t wParam, intptr_t lParam) {
  for (const auto& w : TopLevelForms()) PostPrivateMessage(w, msg, wParam, lParam);
}

void QtMessageSink::SendToForms(unsigned msg, intptr_t wParam, intptr_t lParam) {
  // A handler may close or delete other forms: hold guarded pointers.
  for (const auto& w : TopLevelForms())
    if (w) SendPrivateMessage(w, msg, wParam, lParam);
}

void QtMessageSink::SendToActive(unsigned msg, intptr_t wParam, intptr_t lParam) {
  QWidget* target = QApplication::activeWindow();
  if (!target) target = QApplication::activeModalWidget();
  if (!target) target = QApplication::activePopupWidget();
  SendPrivateMessage(target, msg, wParam, lParam);
}

#pragma once
// The private window messages as Qt events: each message number is its own event type, and
// the event carries wParam and lParam. Forms handle them in customEvent().
#include <QEvent>
#include <cstdint>

#include "MessageSink.h"

class PrivateMessageEvent final : public QEvent {
 public:
  PrivateMessageEvent(unsigned msg, intptr_t wParam, intptr_t lParam)
      : QEvent(static_cast<QEvent::Type>(msg)), msg_(msg), wParam_(wParam), lParam_(lParam) {}
  unsigned Message() const { return msg_; }
  intptr_t WParam() const { return wParam_; }
  intptr_t LParam() const { return lParam_; }

 private:
  unsigned msg_;
  intptr_t wParam_;
  intptr_t lParam_;
};

// The event as a private message of number msg, or nullptr when it is something else.
inline const PrivateMessageEvent* AsPrivateMessage(const QEvent* e, unsigned msg) {
  if (!e || e->type() != static_cast<QEvent::Type>(msg)) return nullptr;
  return dynamic_cast<const PrivateMessageEvent*>(e);
}

class QWidget;

// Posts or sends a private message to one widget.
void PostPrivateMessage(QWidget* target, unsigned msg, intptr_t wParam, intptr_t lParam);
bool SendPrivateMessage(QWidget* target, unsigned msg, intptr_t wParam, intptr_t lParam);

// The message sink of the running program: delivers to the application's top-level windows.
class QtMessageSink final : public IMessageSink {
 public:
  void PostToForms(unsigned msg, intptr_t wParam, intptr_t lParam) override;
  void SendToForms(unsigned msg, intptr_t wParam, intptr_t lParam) override;
  void SendToActive(unsigned msg, intptr_t wParam, intptr_t lParam) override;
};

#include "Application.h"

#include "Prompt.h"

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e);
  } catch (...) {
    ShowUnknownException();
  }
  return false;
}

void ShowException(const std::exception& e) {
  ShowPrompt(nullptr, QString(), QString::fromLocal8Bit(e.what()), PromptIcon::Stop, PromptOk);
}

void ShowUnknownException() {
  ShowPrompt(nullptr, QString(), QStringLiteral("Unknown exception"), PromptIcon::Stop, PromptOk);
}

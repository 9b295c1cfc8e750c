#include "Prompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {

int FirstButton(int buttons) {
  for (int b = 1; b <= PromptIgnore; b <<= 1)
    if (buttons & b) return b;
  return PromptOk;
}

struct ButtonMap {
  int ours;
  QMessageBox::StandardButton qt;
};
const ButtonMap kButtons[] = {
    {PromptOk, QMessageBox::Ok},         {PromptCancel, QMessageBox::Cancel},
    {PromptYes, QMessageBox::Yes},       {PromptNo, QMessageBox::No},
    {PromptRetry, QMessageBox::Retry},   {PromptAbort, QMessageBox::Abort},
    {PromptIgnore, QMessageBox::Ignore},
};

class MessageBoxPrompts final : public IPromptService {
 public:
  int Show(const PromptRequest& r) override {
    QMessageBox box(r.owner);
    box.setWindowTitle(r.caption);
    box.setText(r.text);
    switch (r.icon) {
      case PromptIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
      case PromptIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
      case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
      case PromptIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
      case PromptIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (const auto& b : kButtons)
      if (r.buttons & b.ours) buttons |= b.qt;
    box.setStandardButtons(buttons);
    const int def = r.defaultButton ? r.defaultButton : FirstButton(r.buttons);
    for (const auto& b : kButtons)
      if (b.ours == def) box.setDefaultButton(b.qt);
    // A message must never open hidden under a stay-on-top window such as the splash.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    const int pressed = box.exec();
    for (const auto& b : kButtons)
      if (b.qt == pressed) return b.ours;
    // Closed with the window's close button: the escape answer.
    if (r.buttons & PromptCancel) return PromptCancel;
    if (r.buttons & PromptNo) return PromptNo;
    return FirstButton(r.buttons);
  }
};

MessageBoxPrompts g_messageBoxes;
IPromptService* g_prompts = &g_messageBoxes;

}  // namespace

IPromptService& Prompts() { return *g_prompts; }

void SetPromptService(IPromptService* service) { g_prompts = service ? service : &g_messageBoxes; }

int ShowPrompt(QWidget* owner, const QString& caption, const QString& text, PromptIcon icon, int buttons,
               int defaultButton) {
  PromptRequest r;
  r.owner = owner;
  r.caption = caption;
  if (r.caption.isEmpty())
    r.caption = owner ? owner->window()->windowTitle() : QApplication::applicationName();
  r.text = text;
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  return Prompts().Show(r);
}

int ScriptedPrompts::Show(const PromptRequest& request) {
  shown_.push_back(request);
  if (!answers_.empty()) {
    const int a = answers_.front();
    answers_.pop_front();
    return a;
  }
  return request.defaultButton ? request.defaultButton : FirstButton(request.buttons);
}

ScopedPrompts::ScopedPrompts(IPromptService* service) : previous_(&Prompts()) { SetPromptService(service); }

ScopedPrompts::~ScopedPrompts() { SetPromptService(previous_); }

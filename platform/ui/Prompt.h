#pragma once
// Message boxes. The program shows them through one service, so tests can answer them from a
// script and check what was asked.
#include <QString>
#include <deque>
#include <vector>

class QWidget;

enum class PromptIcon { None, Stop, Warning, Information, Question };

// Buttons, combinable; a prompt returns the one pressed.
enum PromptButton : int {
  PromptOk = 0x1,
  PromptCancel = 0x2,
  PromptYes = 0x4,
  PromptNo = 0x8,
  PromptRetry = 0x10,
  PromptAbort = 0x20,
  PromptIgnore = 0x40,
};
constexpr int PromptYesNo = PromptYes | PromptNo;
constexpr int PromptYesNoCancel = PromptYes | PromptNo | PromptCancel;
constexpr int PromptOkCancel = PromptOk | PromptCancel;

struct PromptRequest {
  QWidget* owner = nullptr;
  QString caption;
  QString text;
  PromptIcon icon = PromptIcon::None;
  int buttons = PromptOk;
  int defaultButton = 0;  // 0: the first button
};

class IPromptService {
 public:
  virtual ~IPromptService() = default;
  virtual int Show(const PromptRequest& request) = 0;
};

IPromptService& Prompts();
// Installs a service (nullptr restores the message-box one). The caller keeps ownership.
void SetPromptService(IPromptService* service);

// Shows a prompt through the installed service. An empty caption takes the owner's window
// title, or the application's name where there is no owner.
int ShowPrompt(QWidget* owner, const QString& caption, const QString& text, PromptIcon icon,
               int buttons = PromptOk, int defaultButton = 0);

// Answers prompts from a queue and records each one. With the queue empty it answers the
// default button (or the first of the buttons).
class ScriptedPrompts final : public IPromptService {
 public:
  int Show(const PromptRequest& request) override;
  void Answer(int button) { answers_.push_back(button); }
  const std::vector<PromptRequest>& Shown() const { return shown_; }
  void Clear() {
    shown_.clear();
    answers_.clear();
  }

 private:
  std::deque<int> answers_;
  std::vector<PromptRequest> shown_;
};

// Installs a service for its lifetime and restores the previous one.
class ScopedPrompts {
 public:
  explicit ScopedPrompts(IPromptService* service);
  ~ScopedPrompts();
  ScopedPrompts(const ScopedPrompts&) = delete;
  ScopedPrompts& operator=(const ScopedPrompts&) = delete;

 private:
  IPromptService* previous_;
};

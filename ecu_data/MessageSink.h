#pragma once
// The program's private window messages and the sink that carries them to the forms.
// The data model posts through this interface; platform/ui delivers on Qt, tests record.
#include <cstdint>

constexpr unsigned WM_DATACHANGED = 0x8173;
constexpr unsigned WM_CHANGEDATADIM = 0x8175;
constexpr unsigned WM_ENDRESIZING = 0x8176;
constexpr unsigned WM_STARTRESIZING = 0x8177;
constexpr unsigned WM_DATAAVAILABLE = 0x8178;
constexpr unsigned WM_ECUCHANGED = 0x8190;
constexpr unsigned WM_PROGRESS = 0x8191;

// lParam of WM_ECUCHANGED.
enum EcuChange : int {
  EcuLinkClosed = 0,
  EcuLinkOpened = 1,
  EcuDescriptionChanged = 2,
  EcuReconnect = 3,
  EcuSaveRequest = 4,
  EcuFuelChanged = 5,
};

// lParam of WM_PROGRESS: 0 sets the position to wParam, anything else adds wParam.
enum ProgressMode : int { ProgressSet = 0, ProgressAdd = 1 };

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  // Queue a message for every top-level form (PostMessage to each).
  virtual void PostToForms(unsigned msg, intptr_t wParam, intptr_t lParam) = 0;
  // Deliver a message now to every top-level form (SendMessage to each).
  virtual void SendToForms(unsigned msg, intptr_t wParam, intptr_t lParam) = 0;
  // Deliver a message now to the active form only.
  virtual void SendToActive(unsigned msg, intptr_t wParam, intptr_t lParam) = 0;
};

// The process-wide sink; a sink that drops everything until one is installed.
IMessageSink& MessageSink();
// Installs a sink (nullptr restores the dropping one). The caller keeps ownership.
void SetMessageSink(IMessageSink* sink);

// Progress of a long operation to the active form.
inline void SendProgress(int amount, ProgressMode mode) {
  MessageSink().SendToActive(WM_PROGRESS, amount, mode);
}

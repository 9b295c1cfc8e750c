// The main window's link actions: connect with the identity, customer and firmware checks,
// disconnect, reset of the ECU and the change of its customer code.
#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include "AppSettings.h"
#include "BrandProfile.h"
#include "Clock.h"
#include "ConfigActions.h"
#include "EcuChecks.h"
#include "EcuData.h"
#include "FormAttesa.h"
#include "FormCliente.h"
#include "Language.h"
#include "LinkPassText.h"
#include "Main.h"
#include "SerialLink.h"
#include "ShowActive.h"
#include "StatusBarPanels.h"
#include "StatusTextList.h"
#include "WaitCursor.h"

namespace {

constexpr uint32_t kReadyTimeoutMs = 20000;
constexpr uint32_t kResetPauseMs = 2000;
constexpr int kStateVariable = 2;
constexpr int kResetCommand = 240;

QString Joined(const QString& a, const QString& b) { return a + QLatin1Char('\n') + b; }

}  // namespace

std::unique_ptr<TFormAttesa> TFormMain::CreateWaitWindow(int caption, int message, const QString& suffix) {
  auto wait = std::make_unique<TFormAttesa>(this);
  wait->setWindowTitle(Text(caption));
  wait->Label1->setText(Text(message));
  wait->SetSuffix(suffix);
  ShowActive(wait.get());  // ReadAll's progress goes to the active window
  return wait;
}

void TFormMain::ActionConnettiExecute() {
  // Unsaved changes first: the read replaces the data set.
  if (AskSaveChanges() == PromptCancel) return;
  // The start-up cursor and the wait window are gone before anything is said.
  switch (ConnectPass()) {
    case ConnectOutcome::Connected:
      return;
    case ConnectOutcome::LineNotOpened:
      if (Interactive) Message(Joined(Text(55), Text(57)), PromptIcon::Stop);
      return;
    case ConnectOutcome::NotIdentified:
      if (Interactive) Message(Text(56), PromptIcon::Stop);
      SerialLink->Disconnect();
      return;
    // These refusals always speak, also during the silent connect.
    case ConnectOutcome::OtherCustomer:
      SerialLink->Disconnect();
      Message(Joined(Text(69), Text(55)), PromptIcon::Stop);
      return;
    case ConnectOutcome::UnknownFirmware:
      SerialLink->Disconnect();
      Message(Joined(Text(55), Text(70)), PromptIcon::Stop);
      return;
    case ConnectOutcome::ReadCutShort:
      // The data set is as it was before. The link is closed, so nothing is edited against an ECU
      // whose values the data set does not hold.
      SerialLink->Disconnect();
      Message(PassFailureText(LinkTransfer::PassOutcome::LinkLost, PassAction::Read), PromptIcon::Stop);
      return;
  }
}

TFormMain::ConnectOutcome TFormMain::ConnectPass() {
  const TWaitCursor cursor(Qt::BusyCursor);
  if (!SerialLink || !EcuData || !SerialLink->OpenLink()) return ConnectOutcome::LineNotOpened;
  // Connect and read the ECU's identity.
  SerialLink->Connect();
  if (!EcuData->ReadIdentificazione()) return ConnectOutcome::NotIdentified;
  if (!CheckEcuCustomer()) return ConnectOutcome::OtherCustomer;
  if (!CheckEcuVersion()) return ConnectOutcome::UnknownFirmware;
  // Wait for the ECU to get ready, then read the whole configuration.
  std::unique_ptr<TFormAttesa> wait;
  if (Interactive) wait = CreateWaitWindow(65, 88, QStringLiteral(" ") + Text(73) + QStringLiteral(" "));
  EcuData->WaitEcuState(kReadyTimeoutMs);  // a late ECU is read all the same
  if (wait) {
    wait->Label1->setText(Text(67));
    wait->repaint();
  }
  if (!SkipReadAll && !EcuData->ReadAll()) return ConnectOutcome::ReadCutShort;
  // Software version and model name.
  const int model = EcuData->Identita[2];
  const QString list = StatusTextListPath(DataFolder + QStringLiteral("/Programmazione"));
  StatusBarMain->SetText(PanelVersion, SoftwareVersionText(Text(52), EcuData->Identita[3], model,
                                                           ModelDisplayName(list, model)));
  return ConnectOutcome::Connected;
}

bool TFormMain::CheckEcuCustomer() {
  if (EcuData->Identita[1] != kEcuTypeSupported) return false;
  const uint8_t code = GetBrandEcuCode(0);
  if (EcuData->Identita[0] == kNoCustomerCode) EcuData->SetCodiceCliente(code);
  return EcuData->Identita[0] == code;
}

bool TFormMain::CheckEcuVersion() {
  const int a = EcuData->ReadVersioneEcu(1);
  const int b = EcuData->ReadVersioneEcu(2);
  switch (CheckFirmwareWords(a, b)) {
    case FirmwareVerdict::Accept:
      return true;
    case FirmwareVerdict::Refuse:
      return false;
    case FirmwareVerdict::Warn:
      break;
  }
  const int today = TodayDayNumber();
  if (AppSettings && AppSettings->GetSetting(SettingLastWarning) >= today) return true;
  if (AppSettings) AppSettings->SetSetting(SettingLastWarning, today);
  Message(Joined(Text(71), Text(70)), PromptIcon::Warning);
  return true;
}

void TFormMain::ActionDisconnettiExecute() {
  if (SerialLink) SerialLink->Disconnect();
}

void TFormMain::ActionResetCpuExecute() {
  if (!SerialLink) return;
  if (Message(Text(92), PromptIcon::Question, PromptYesNo) != PromptYes) return;
  if (!SerialLink->WriteVariable(kStateVariable, kResetCommand)) {
    Message(Joined(Text(93), Text(57)), PromptIcon::Stop);
    return;
  }
  {
    // The connect has a cursor of its own.
    const TWaitCursor hourglass;
    Clock().Sleep(kResetPauseMs);
    ActionDisconnettiExecute();
    QCoreApplication::processEvents();
  }
  ActionConnettiExecute();
  Message(Text(94), PromptIcon::None);
  AskFuelType();
}

void TFormMain::ActionProgrammaClienteExecute() {
  if (!SerialLink || !EcuData) return;
  TFormCliente dialog(this);
  dialog.ComboClienti->setCurrentIndex(GetBrandLabelIndex(EcuData->Identita[0]));
  if (dialog.ShowModal() != TModalDialog::mrOk) return;
  const uint8_t code = CustomerCodeForItem(dialog.ComboClienti->currentIndex());

  bool written = false;
  if (SerialLink->IsLinkOpen()) {
    written = EcuData->SetCodiceCliente(code);
  } else {
    // Connect only over an opened link, and close whatever was opened.
    const bool opened = SerialLink->OpenLink();
    if (opened && SerialLink->Connect() != 0) written = EcuData->SetCodiceCliente(code);
    if (opened) SerialLink->Disconnect();
  }
  if (!written) ShowPrompt(this, Tr(570), Tr(571), PromptIcon::Stop);
}

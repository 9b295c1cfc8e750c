// TFormConfig: the test functions menu (MenuTest): lifting the entry limits, the differential
// pressure display, and handing the port to the serial-message composer.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "AppSettings.h"
#include "Config.h"
#include "Language.h"
#include "NumericEdit.h"
#include "ProcessRunner.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "WaitCursor.h"

namespace {

// Longest text a numeric field takes while the limits are lifted.
constexpr int kUnlimitedLength = 32767;

#ifdef Q_OS_WIN
const char kComposerProgram[] = "VoviDiroRI.exe";
#else
const char kComposerProgram[] = "VoviDiroRI";
#endif

// Line settings the composer opens the port with.
const char kComposerLineSettings[] = "9600,n,8,1";

}  // namespace

void TFormConfig::MenuSbloccaLimitiClick() { MenuSbloccaLimiti->trigger(); }

void TFormConfig::ApplyLimitLift() {
  const bool lifted = MenuSbloccaLimiti->isChecked();
  const TWaitCursor hourglass;
  // Clearing the check restores the limits but not the text lengths.
  for (TNumericEdit* edit : findChildren<TNumericEdit*>()) {
    edit->SetDisableLimit(lifted);
    if (lifted) edit->SetMaxLength(kUnlimitedLength);
  }
}

void TFormConfig::MenuPressDiffClick() { MenuPressDiff->trigger(); }

QString TFormConfig::ComposerFileName() const {
  if (!composerProgram_.isEmpty()) return QFileInfo::exists(composerProgram_) ? composerProgram_ : QString();
  // The program's data folder first, then the folder of the program itself.
  const QString name = QString::fromLatin1(kComposerProgram);
  if (AppSettings) {
    const QString inData = QDir(AppSettings->GetMainPath()).filePath(name);
    if (QFileInfo::exists(inData)) return inData;
  }
  const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
  if (QFileInfo::exists(beside)) return beside;
  return QString();
}

void TFormConfig::MenuComunicazioneSerialeCostruitaClick() {
  const QString program = ComposerFileName();
  if (program.isEmpty()) {
    ShowPrompt(this, windowTitle(), Tr(572), PromptIcon::Stop);
    return;
  }
  TWaitCursor cursor(Qt::BusyCursor);
  const QString port = SerialLink ? QString::fromLatin1(SerialLink->GetPortName()) : QString();
  // The composer takes the port: let go of it for the composer's whole run.
  const bool wasOpen = SerialLink && SerialLink->IsLinkOpen();
  if (wasOpen) SerialLink->Disconnect();
  cursor.Change(Qt::WaitCursor);
  // Blocks until the composer ends: no live tick and no other action runs meanwhile, while the
  // editor keeps painting.
  const bool ticking = IsLiveTimerActive();
  StopLiveTimer();
  const bool started =
      ProcessRunner().RunAndWait(program, {port, QString::fromLatin1(kComposerLineSettings)});
  if (ticking) StartLiveTimer();
  if (!started) {
    cursor.Change(Qt::ArrowCursor);
    ShowPrompt(this, windowTitle(), Tr(573), PromptIcon::Stop);
  }
  if (wasOpen) SerialLink->Connect();
}

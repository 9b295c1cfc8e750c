// Reprogramming the ECU's firmware from a programming file, then writing the configuration in
// memory into the freshly programmed ECU and reading it back.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "Animate.h"
#include "BrandProfile.h"
#include "Clock.h"
#include "ConfigActions.h"
#include "EcuData.h"
#include "EncryptedProgramFile.h"
#include "File.h"
#include "FormAttesa.h"
#include "FormScarica.h"
#include "Language.h"
#include "LinkPassText.h"
#include "LinkTransfer.h"
#include "Main.h"
#include "SerialLink.h"
#include "ShowActive.h"
#include "WaitCursor.h"

namespace {

constexpr uint32_t kReadyTimeoutMs = 20000;
constexpr uint32_t kSettlePauseMs = 1000;
constexpr int kMaxProgramCalls = 3;  // the counter's limit: the first call and one retry
constexpr int kLowBattery = 1;
// Arguments of the programming calls.
constexpr int kProgramA = 2;
constexpr int kProgramB = 0;
constexpr int kProgramC = 1;

bool BootTypeSupported(int type) { return type == 3 || type == 10; }

}  // namespace

bool TFormMain::LoadProgramImage(const QString& file, std::vector<uint8_t>* image, QString* why) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const qint64 size = f.size();
  const QByteArray head = f.read(kEncryptedMagicSize);
  f.close();
  // The image is what follows the header of an encrypted file, the whole of a scrambled one.
  const bool encrypted = head == QByteArray(kEncryptedFileMagic, kEncryptedMagicSize);
  const qint64 imageSize = encrypted ? size - kEncryptedHeaderSize : size;
  if (!IsProgramImageSize(imageSize)) {
    *why = Tr(601)
               .arg(QDir::toNativeSeparators(file))
               .arg(std::max<qint64>(imageSize, 0))
               .arg(kMinProgramImageSize)
               .arg(kMaxProgramImageSize);
    return false;
  }
  if (encrypted) return LoadEncryptedFile(file, image);
  return EcuData->LoadProgrammingFile(QFile::encodeName(file).constData(), image);
}

bool TFormMain::RestoreConfiguration(TFormAttesa& wait) {
  for (;;) {
    // Connect to the reprogrammed ECU; after a failed write this reconnects, since the
    // link may have dropped.
    while (SerialLink->Connect() == 0)
      if (Message(Text(531), PromptIcon::Stop, PromptYesNo) != PromptYes) return false;
    // Give the ECU time to get ready, then write everything. The write alone decides: an
    // ECU still not ready when the wait runs out that takes every value is restored all the
    // same. The configuration counts as saved only when all of it went in over a link that
    // stayed open; otherwise the user is told and asked again.
    EcuData->WaitEcuState(kReadyTimeoutMs);
    wait.ProgressBar1->show();
    wait.Label2->show();
    wait.repaint();  // the bar is seen before the write blocks
    const LinkTransfer::PassRecord pass;
    EcuData->WriteAll(false);
    const LinkTransfer::PassOutcome outcome = pass.Outcome();
    if (outcome == LinkTransfer::PassOutcome::Complete) {
      EcuData->Changed = false;
      return true;
    }
    const QString question = PassFailureText(outcome, PassAction::Restore) + QLatin1Char('\n') + Text(531);
    if (Message(question, PromptIcon::Stop, PromptYesNo) != PromptYes) return false;
  }
}

void TFormMain::ActionProgrammaExecute() {
  if (!FormScarica || !SerialLink || !EcuData) return;
  // The programming file.
  FormScarica->ChooseProgramFile();
  if (FormScarica->ModalResult() != TModalDialog::mrOk) return;
  const QString file = FormScarica->OpenDialogFile.FileName;
  const bool fromImage = FormScarica->OpenDialogFile.FilterIndex != kSRecordFileFilter;

  // Programming goes through the boot loader: an open link is closed first.
  repaint();
  if (SerialLink->IsLinkOpen()) {
    ActionDisconnettiExecute();
    QCoreApplication::processEvents();
  }

  // The boot loader must be this build's and of a known type.
  uint8_t boot[2] = {};
  if (!SerialLink->ReadBootIdentity(boot) || boot[0] != GetBrandEcuCode(0) || !BootTypeSupported(boot[1])) {
    Message(Text(78), PromptIcon::Stop);
    SerialLink->Disconnect();
    return;
  }

  // The wait window and the hourglass are gone before anything is said.
  QString why;
  switch (ProgramPass(file, fromImage, &why)) {
    case ProgramOutcome::ImageUnreadable:
      Message(why.isEmpty() ? Text(78) : Text(78) + QLatin1Char('\n') + why, PromptIcon::Stop);
      return;
    case ProgramOutcome::ProgramFailed:
      SerialLink->Disconnect();
      Message(Text(78), PromptIcon::Stop);
      return;
    case ProgramOutcome::NotRestored:
      // Nothing written, or not all of it: the link closes and the configuration in memory keeps
      // its changed flag.
      SerialLink->Disconnect();
      return;
    case ProgramOutcome::Restored:
      // Connect again: the configuration is read back from the ECU.
      repaint();
      ActionConnettiExecute();
      return;
  }
}

TFormMain::ProgramOutcome TFormMain::ProgramPass(const QString& file, bool fromImage, QString* why) {
  // The wait window with its animation, and the hourglass.
  TFormAttesa wait(this);
  const QString animation =
      ExistingFileNoCase(DataFolder + QStringLiteral("/Immagini"), QStringLiteral("Attesa.avi"));
  if (!animation.isEmpty()) wait.Animate1->SetFileName(animation);
  wait.Animate1->SetActive(true);
  wait.setWindowTitle(Text(80));
  wait.Label1->setText(Text(79));
  wait.SetSuffix(Text(73));
  ShowActive(&wait);  // the programming's and WriteAll's progress go to the active window
  wait.setFocus();
  const TWaitCursor hourglass;

  // An image file is read whole before anything reaches the ECU.
  std::vector<uint8_t> image;
  if (fromImage && !LoadProgramImage(file, &image, why)) return ProgramOutcome::ImageUnreadable;

  // The first attempt and, when the user asks, one retry.
  SerialLink->BeginProgramming();
  int attempt = 0;
  int result = 0;
  const QByteArray path = QFile::encodeName(file);
  for (;;) {
    if (attempt != 0) {
      const QString question = result == kLowBattery
                                   ? Text(89)
                                   : Text(81) + QLatin1Char('\n') + Text(82) + QLatin1Char('\n') + Text(83);
      if (Message(question, PromptIcon::Stop, PromptYesNo) != PromptYes) break;
      ++attempt;
      wait.setWindowTitle(Text(80) + QStringLiteral(" - ") + Text(84) + QStringLiteral(" ") +
                          QString::number(attempt));
    }
    ++attempt;
    wait.repaint();
    result = fromImage ? SerialLink->ProgramFromImage(image.data(), kProgramA, kProgramB, kProgramC)
                       : SerialLink->ProgramFromFile(path.constData(), kProgramA, kProgramB, kProgramC);
    if (result == 0 || attempt >= kMaxProgramCalls) break;
  }

  // Out of programming mode; the image is let go.
  SerialLink->EndProgramming();
  std::vector<uint8_t>().swap(image);
  repaint();
  if (result != 0) return ProgramOutcome::ProgramFailed;

  // The bar hidden until the write; a pause while the new firmware starts.
  wait.ProgressBar1->hide();
  wait.Label2->hide();
  wait.Label1->setText(Text(532));
  wait.SetProgress(0, true);
  wait.repaint();
  Clock().Sleep(kSettlePauseMs);
  return RestoreConfiguration(wait) ? ProgramOutcome::Restored : ProgramOutcome::NotRestored;
}

#include "ConfigActions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include "Animate.h"
#include "BrandProfile.h"
#include "Cilindrata.h"
#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "File.h"
#include "FileDialog.h"
#include "FormAttesa.h"
#include "Language.h"
#include "LinkPassText.h"
#include "NumericEdit.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "ShowActive.h"
#include "TextEditor.h"
#include "WaitCursor.h"

namespace {

FuelDialogFunction g_fuelDialog = &RunFuelOnlyDialog;

void ShowFileError(QWidget* owner) {
  ShowPrompt(owner, QString(), QString::fromLatin1(kConfigFileErrorText), PromptIcon::Stop);
}

void RestoreFileKey() {
  if (EcuData) EcuData->SetFileKey(GetBrandFileKey());
}

bool LinkOpen() { return SerialLink && SerialLink->IsLinkOpen(); }

}  // namespace

void SetFuelDialog(FuelDialogFunction dialog) { g_fuelDialog = dialog; }

QString OversizedFileText() {
  if (!EcuData || EcuData->OversizedFile().size <= 0) return {};
  const TEcuData::OversizedFileInfo& file = EcuData->OversizedFile();
  // One pass over the text: a file name that holds "%1" stays as it is.
  return Tr(file.rewrite ? 691 : 600)
      .arg(QDir::toNativeSeparators(QFile::decodeName(file.path.c_str())), QString::number(file.size),
           QString::number(kMaxConfigFileSize));
}

QString FileRefusalText(const ConfigFileRefusal& refusal) {
  using Reason = ConfigFileRefusal::Reason;
  switch (refusal.reason) {
    case Reason::None:
      return {};
    case Reason::NoConfiguration:
      return Tr(695);
    case Reason::NotANumber:
    case Reason::OutOfRange:
      break;
  }
  const QString why = refusal.reason == Reason::NotANumber
                          ? Tr(693)
                          : Tr(694).arg(QString::number(refusal.lo), QString::number(refusal.hi));
  // One pass over the text: a value of the file that holds "%1" stays as it is.
  return Tr(692).arg(QString::fromStdString(refusal.section), QString::fromStdString(refusal.key),
                     QString::fromStdString(refusal.value), why);
}

QString LoadErrorText() {
  QString text = QString::fromLatin1(kConfigFileErrorText);
  const QString oversized = OversizedFileText();
  if (!oversized.isEmpty()) text += QLatin1Char('\n') + oversized;
  if (EcuData && !EcuData->FileRefusal().empty())
    text += QLatin1Char('\n') + FileRefusalText(EcuData->FileRefusal());
  return text;
}

int AskSaveChanges(QWidget* owner, TFileDialog& saveDialog) {
  if (!EcuData || !EcuData->Changed) return PromptNo;
  const int answer = ShowPrompt(owner, QString(), Tr(72), PromptIcon::Warning, PromptYesNoCancel);
  if (answer != PromptYes) return answer;
  return ExecuteSalva(owner, saveDialog) ? PromptYes : PromptCancel;
}

void AskFuelType(QWidget* owner) {
  if (!g_fuelDialog || !EcuData) return;
  const int current = EcuData->GetFlag1(4) ? 1 : 0;
  int chosen = current;
  if (g_fuelDialog(owner, &chosen) != 1 || chosen == current) return;
  EcuData->SetFlag1(4, chosen != 0);
  const bool cng = EcuData->GetFlag1(4);
  for (int i = 0; i < TEcuData::kCurve; ++i) {
    EcuData->SetCoeffPressDiff(
        i, cng ? TEcuData::GetCoeffPressDiffMetano(i) : TEcuData::GetCoeffPressDiffGpl(i));
    EcuData->SetRifPressDiff(i, cng ? TEcuData::GetRifPressDiffMetano(i) : TEcuData::GetRifPressDiffGpl(i));
  }
}

bool LoadConfigurationIntoEcu(QWidget* owner, const QString& path, bool mapsOnly, const QString& dataFolder) {
  TFormAttesa wait(owner);
  wait.setWindowTitle(Tr(65));
  wait.Label1->setText(Tr(67));
  wait.SetSuffix(Tr(73) + QLatin1Char(' '));
  ShowActive(&wait);  // the data set's progress goes to the active window
  TWaitCursor hourglass;

  // The load writes the description and the official flag through, the whole configuration
  // follows: with the link open at the start, all of it must reach the ECU.
  const bool online = LinkOpen();
  const LinkTransfer::PassRecord pass;
  const bool loaded = EcuData &&
                      EcuData->LoadConfiguration(QFile::encodeName(path).constData(), mapsOnly) != 0;
  RestoreFileKey();
  if (!loaded) {
    wait.close();
    hourglass.Release();
    ShowPrompt(owner, QString(), LoadErrorText(), PromptIcon::Stop);
    return false;
  }
  if (LinkOpen()) {
    const QString animation =
        ExistingFileNoCase(dataFolder + QStringLiteral("/Immagini"), QStringLiteral("Attesa.avi"));
    if (!animation.isEmpty()) wait.Animate1->SetFileName(animation);
    wait.Animate1->SetActive(true);
    wait.setWindowTitle(Tr(66));
    wait.Label1->setText(Tr(68));
    ShowActive(&wait);
    EcuData->WriteAll(false);
  }
  const LinkTransfer::PassOutcome outcome = pass.Outcome();
  if (online && outcome != LinkTransfer::PassOutcome::Complete) {
    wait.close();
    hourglass.Release();
    ShowPrompt(owner, QString(), PassFailureText(outcome, PassAction::Load), PromptIcon::Stop);
  }
  return true;
}

void ExecuteApri(QWidget* owner, TFileDialog& openDialog, TFileDialog& saveDialog,
                 const QString& dataFolder) {
  if (AskSaveChanges(owner, saveDialog) == PromptCancel) return;
  if (!openDialog.Execute(owner)) return;
  LoadConfigurationIntoEcu(owner, openDialog.FileName, false, dataFolder);
}

bool ExecuteSalva(QWidget* owner, TFileDialog& saveDialog) {
  saveDialog.OverwritePrompt = true;
  if (!saveDialog.Execute(owner) || !EcuData) return false;
  TWaitCursor hourglass;
  const QString path = saveDialog.FileName;
  // The description is the file's name without its extension (".trm"); it goes into the file,
  // and stays only when the file was saved.
  const QByteArray previousDescription(EcuData->GetDescription());
  QString description = QFileInfo(path).fileName();
  description.chop(4);
  EcuData->SetDescription(description.toLatin1().constData());
  const bool saved = EcuData->SaveConfiguration(QFile::encodeName(path).constData(), false) != 0;
  RestoreFileKey();
  if (!saved) {
    EcuData->SetDescription(previousDescription.constData());
    hourglass.Release();
    ShowFileError(owner);
  }
  return saved;
}

void ExecuteSalvaConf(QWidget* owner, const QString& dataFolder) {
  TFormFile form(owner, nullptr, TFormFile::ModeSave, dataFolder);
  form.ShowModal();
}

void ExecuteApriConf(QWidget* owner, const QString& dataFolder) {
  bool found = false;
  TFormFile form(owner, &found, TFormFile::ModeLoad, dataFolder);
  form.LabelCilindrata->hide();
  form.EditCilindrata->hide();
  if (found)
    form.ShowModal();
  else
    ShowPrompt(owner, QString(), Tr(91), PromptIcon::Warning);
}

QString PlainCopyPath(const QString& dataFolder, const QString& fileName) {
  const QString folder = QDir::fromNativeSeparators(dataFolder) + QStringLiteral("/Configurazioni/Decrypted");
  for (int n = 1;; ++n) {
    const QString name = QStringLiteral("Dec%1.%2").arg(n).arg(fileName);
    if (ExistingFileNoCase(folder, name).isEmpty()) return folder + QLatin1Char('/') + name;
  }
}

QString NoTextEditorText(const QString& copy) {
  return Tr(646) + QLatin1Char('\n') + QDir::toNativeSeparators(copy) + QLatin1Char('\n') + Tr(647);
}

void ExecuteBloccoNote(QWidget* owner, TFileDialog& openDialog, const QString& dataFolder) {
  if (!openDialog.Execute(owner) || !EcuData) return;
  const QString source = openDialog.FileName;
  const QString target = PlainCopyPath(dataFolder, QFileInfo(source).fileName());
  // A data folder without the copies' folder gets one, so the copy can be made.
  QDir().mkpath(QFileInfo(target).path());
  if (!EcuData->ConvertConfigFile(QFile::encodeName(source).constData(),
                                  QFile::encodeName(target).constData(), kConfigUnscramble, true)) {
    QString text = QStringLiteral("Impossibile decriptare il file");
    const QString oversized = OversizedFileText();
    if (!oversized.isEmpty()) text += QLatin1Char('\n') + oversized;
    ShowPrompt(owner, QString(), text, PromptIcon::Stop);
  } else if (!OpenInTextEditor(target))
    ShowPrompt(owner, QString(), NoTextEditorText(target), PromptIcon::Warning);
  RestoreFileKey();
}

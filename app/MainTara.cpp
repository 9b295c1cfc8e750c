#include "MainTara.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <cmath>
#include <cstring>
#include <utility>

#include "BaseCalibration.h"
#include "BrandProfile.h"
#include "Calibra.h"
#include "Cilindrata.h"
#include "ConfigActions.h"
#include "EcuData.h"
#include "FormAttesa.h"
#include "KeyComboBox.h"
#include "LinkPassText.h"
#include "Main.h"
#include "NumericEdit.h"
#include "SerialLink.h"
#include "ShowActive.h"
#include "WaitCursor.h"

namespace {

constexpr int kCodeCilindrata = 0x24B;
constexpr int kFlagFuelCng = 4;
constexpr int kOptionTurbo = 1;
// Up to this change of displacement (same fuel and turbo) the present map is kept.
constexpr int kKeepMapCc = 50;

int Displacement() { return static_cast<int>(std::nearbyint(EcuData->GetValue(kCodeCilindrata))); }

QByteArray FileName8(const QString& path) { return QFile::encodeName(path); }

}  // namespace

bool LoadBaseCalibration(TFormMain& main) {
  TEcuData& data = *EcuData;
  // The displacement to match, under the hourglass.
  const int displacement = Displacement();
  TWaitCursor hourglass;
  main.repaint();
  // The base calibrations of the vehicle's fuel and turbo option nearest the displacement.
  const QString folder = main.DataFolder + QStringLiteral("/Taratura");
  const TBaseCalibrationChoice choice = ChooseBaseCalibration(
      BaseCalibrationFiles(folder, data.GetFlag1(kFlagFuelCng), data.GetOpzioneVettura(kOptionTurbo),
                           QString::fromLatin1(GetBrandConfigExt())),
      displacement);
  // No base calibration for this vehicle.
  if (choice.count == 0) {
    hourglass.Release();
    main.Message(main.Text(95), PromptIcon::Stop);
    return false;
  }
  // The wait window; a failed load closes it and says so.
  TFormAttesa wait(&main);
  wait.setWindowTitle(main.Text(66));
  wait.Label1->setText(main.Text(68));
  wait.SetSuffix(QLatin1Char(' ') + main.Text(73) + QLatin1Char(' '));
  ShowActive(&wait);  // the data set's progress goes to the active window
  const auto failed = [&] {
    hourglass.Release();
    wait.close();
    main.Message(LoadErrorText(), PromptIcon::Stop);
    return false;
  };
  const QString nearest = folder + QLatin1Char('/') + choice.nearest;
  // Every write of the base map must reach the ECU.
  const LinkTransfer::PassRecord pass;
  if (choice.Single()) {
    // One file: loaded whole (maps only) and written to the ECU.
    if (!data.LoadConfiguration(FileName8(nearest).constData(), true)) return failed();
    hourglass.Release();
    data.WriteAll(true);
  } else {
    // Two files: both maps read. A cell or breakpoint a file lacks keeps the data set's.
    int32_t a[TEcuData::kMapSize][TEcuData::kMapSize];
    int32_t b[TEcuData::kMapSize][TEcuData::kMapSize];
    int32_t rpmAxis[TEcuData::kMapSize], mapAxis[TEcuData::kMapSize];
    std::memcpy(a, data.Mappa, sizeof a);
    std::memcpy(b, data.Mappa, sizeof b);
    std::memcpy(rpmAxis, data.RifGiri, sizeof rpmAxis);
    std::memcpy(mapAxis, data.RifMAP, sizeof mapAxis);
    const QString second = folder + QLatin1Char('/') + choice.second;
    if (!data.LoadMapOnly(FileName8(nearest).constData(), a, rpmAxis, mapAxis) ||
        !data.LoadMapOnly(FileName8(second).constData(), b, rpmAxis, mapAxis))
      return failed();
    // Cell by cell, written through to the ECU as one pass. Once the ECU no longer takes
    // the cells (the line dropped, or it stopped answering), the rest go into memory only:
    // memory holds the base map whole, and nothing waits on an ECU that does not answer.
    const auto memoryOnly = [&data](int r, int c, double ms) {
      const bool writeThrough = std::exchange(data.WriteThrough, false);
      data.SetMappa(r, c, ms);
      data.WriteThrough = writeThrough;
    };
    for (int r = 0; r < TEcuData::kMapSize; ++r) {
      for (int c = 0; c < TEcuData::kMapSize; ++c) {
        const double ms = InterpolatedCell(a[r][c], b[r][c], choice.d1, choice.d2);
        if (pass.Outcome() == LinkTransfer::PassOutcome::LinkLost) {
          memoryOnly(r, c, ms);
        } else {
          data.SetMappa(r, c, ms);
          // The cell the ECU left unanswered.
          if (pass.Outcome() == LinkTransfer::PassOutcome::LinkLost) memoryOnly(r, c, ms);
        }
        wait.SetProgress(static_cast<int>(std::nearbyint((r * 12 + c) * 100 / 144.0)), true);
        main.repaint();
      }
    }
  }
  // A map the ECU holds only in part is said, and the calibration does not start on it.
  const LinkTransfer::PassOutcome outcome = pass.Outcome();
  if (outcome != LinkTransfer::PassOutcome::Complete) {
    hourglass.Release();
    wait.close();
    main.Message(PassFailureText(outcome, PassAction::BaseCalibration), PromptIcon::Stop);
    return false;
  }
  return true;
}

void TFormMain::ActionTaraExecute() {
  // Calibration needs a connected ECU.
  if (!SerialLink || !EcuData || SerialLink->IsLinkOpen() == 0) {
    Message(Text(90), PromptIcon::Stop);
    return;
  }
  TEcuData& data = *EcuData;
  // The vehicle as it was, to go back to when the calibration does not start.
  const int d0 = Displacement();
  const bool f0 = data.GetFlag1(kFlagFuelCng);
  const bool t0 = data.GetOpzioneVettura(kOptionTurbo);
  const auto restore = [&] {
    data.SetFlag1(kFlagFuelCng, f0);
    data.SetValue(kCodeCilindrata, d0);
  };
  {
    // Displacement, fuel and turbo asked first.
    TFormCilindrata start(this, false);
    start.EditCilindrata->SetInt(d0);
    start.ComboCarburante->setCurrentIndex(f0 ? 1 : 0);
    start.CheckTurbo->setChecked(t0);
    if (start.ShowModal() != TModalDialog::mrOk) return;
    // The answers go into the data set.
    data.SetFlag1(kFlagFuelCng, start.ComboCarburante->currentIndex() != 0);
    data.SetValue(kCodeCilindrata, start.EditCilindrata->GetInt());
    data.SetOpzioneVettura(kOptionTurbo, start.CheckTurbo->isChecked());
  }
  repaint();
  TWaitCursor hourglass;
  // A new fuel brings its enrichment defaults.
  if (data.GetFlag1(kFlagFuelCng) != f0 && !data.ApplyPresetArricchimento()) {
    restore();
    return;
  }
  // A base map unless only the turbo option or a small change of displacement.
  const int d1 = Displacement();
  const bool keepMap = std::abs(int64_t{d1} - d0) <= kKeepMapCc && data.GetFlag1(kFlagFuelCng) == f0 &&
                       data.GetOpzioneVettura(kOptionTurbo) == t0;
  if (!keepMap && !LoadBaseCalibration(*this)) {
    restore();
    return;
  }
  // The calibration wizard.
  hourglass.Release();
  TFormCalibra wizard(this);
  if (wizard.result() == 0) wizard.ShowModal();
}

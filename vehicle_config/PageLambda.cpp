#include "PageLambda.h"

#include <QGridLayout>
#include <QLabel>
#include <algorithm>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"
#include "SerialLink.h"

using namespace PageFields;

namespace {
constexpr int kCodeType = 0x4;
constexpr int kCodeOffset = 0x2F;
constexpr int kCodeRifInfFredda = 0x9;
constexpr int kCodeRifInfCalda = 0xB;
// References a new ground offset moves with it, in the order they are written.
constexpr int kShiftedCodes[] = {0x5, 0xA, 0x8, 0x47, 0x48};
constexpr double kMaxReference = 4.9;
// Lower references with a ground offset, and without one.
constexpr double kLowWithOffset = 0.39;
constexpr double kLowWithoutOffset = 0.29;
}  // namespace

TPageLambda::TPageLambda(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  LabelTipoLambda = Label(this, "LabelTipoLambda", QStringLiteral("Tipo sonda lambda"));
  ComboTipoLambda =
      Combo(this, "ComboTipoLambda", {"0 - 1 Volt", "0 - 5 Volt", "5 - 0 Volt", "0.8 - 1.6 Volt"});
  LabelNumeroSonde = Label(this, "LabelNumeroSonde", QStringLiteral("Numero sonde"));
  ComboNumeroSonde = Combo(this, "ComboNumeroSonde", {"1", "2"});
  LabelRitardoLambda = Label(this, "LabelRitardoLambda", QStringLiteral("Ritardo lettura sonda"));
  EditRitardoLbd = Edit(this, "EditRitardoLbd");
  LabelRifLambdaMassa = Label(this, "LabelRifLambdaMassa", QStringLiteral("Riferimento massa sonda Lambda"));
  EditOffsetLambda = Edit(this, "EditOffsetLambda");
  EditOffsetLambda->SetDataCode(kCodeOffset);
  EditOffsetLambda->SetMaxValue(0.4);
  EditOffsetLambda->SetMinValue(0);
  EditOffsetLambda->SetPrecision(0.02);
  LabelV1 = Label(this, "LabelV1", QStringLiteral("V"));
  LabelRifLambda = Label(this, "LabelRifLambda", QStringLiteral("Riferimento sonda lambda"));
  EditRifLambda = Edit(this, "EditRifLambda");
  LabelRifSupFredda = Label(this, "LabelRifSupFredda", QStringLiteral("Riferimento superiore sonda fredda"));
  EditRifSupFredda = Edit(this, "EditRifSupFredda");
  LabelRifInfFredda = Label(this, "LabelRifInfFredda", QStringLiteral("Riferimento inferiore sonda fredda"));
  EditRifInfFredda = Edit(this, "EditRifInfFredda");
  LabelRifSupCalda = Label(this, "LabelRifSupCalda", QStringLiteral("Riferimento superiore sonda calda"));
  EditRifSupCalda = Edit(this, "EditRifSupCalda");
  LabelRifInfCalda = Label(this, "LabelRifInfCalda", QStringLiteral("Riferimento inferiore sonda calda"));
  EditRifInfCalda = Edit(this, "EditRifInfCalda");
  LabelTempoSondaFredda = Label(this, "LabelTempoSondaFredda", QStringLiteral("Tempo sonda fredda"));
  EditSondaFredda = Edit(this, "EditSondaFredda");

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelTipoLambda, ComboTipoLambda);
  AddRow(grid, row++, LabelNumeroSonde, ComboNumeroSonde);
  AddRow(grid, row++, LabelRitardoLambda, EditRitardoLbd, Label(this, "LabelS2", QStringLiteral("s")));
  AddRow(grid, row++, LabelRifLambdaMassa, EditOffsetLambda, LabelV1);
  AddRow(grid, row++, LabelRifLambda, EditRifLambda, Label(this, "LabelV2", QStringLiteral("V")));
  AddRow(grid, row++, LabelRifSupCalda, EditRifSupCalda, Label(this, "LabelV3", QStringLiteral("V")));
  AddRow(grid, row++, LabelRifInfCalda, EditRifInfCalda, Label(this, "LabelV4", QStringLiteral("V")));
  AddRow(grid, row++, LabelRifSupFredda, EditRifSupFredda, Label(this, "LabelV5", QStringLiteral("V")));
  AddRow(grid, row++, LabelRifInfFredda, EditRifInfFredda, Label(this, "LabelV7", QStringLiteral("V")));
  AddRow(grid, row++, LabelTempoSondaFredda, EditSondaFredda, Label(this, "LabelS3", QStringLiteral("s")));
  grid->setRowStretch(row, 1);

  LinkChain({ComboTipoLambda, ComboNumeroSonde, EditRitardoLbd, EditOffsetLambda, EditRifLambda,
             EditRifSupCalda, EditRifInfCalda, EditRifSupFredda, EditRifInfFredda, EditSondaFredda});
  connect(ComboNumeroSonde, &TKeyComboBox::enterPressed, this, &TPageLambda::ComboNumeroSondeKeyPress);
  connect(EditOffsetLambda, &TNumericEdit::enterPressed, this, &TPageLambda::EditOffsetLambdaKeyPress);
}

void TPageLambda::FormShow() {
  // The probe count can be chosen only on ECU models that take a second probe.
  bool enabled = true;
  if (SerialLink && SerialLink->IsLinkOpen()) enabled = EcuData && EcuData->Identita[2] != 0;
  ComboNumeroSonde->setEnabled(enabled);
}

void TPageLambda::PageShow() {
  if (!EcuData) return;
  SetIndex(ComboTipoLambda, Rounded(EcuData->GetValue(kCodeType)));
  SetIndex(ComboNumeroSonde, EcuData->GetNumeroSonde() - 1);
  EditRitardoLbd->SetDouble(Rounded(EcuData->GetValue(0x6)));
  EditOffsetLambda->SetDouble(EcuData->GetValue(kCodeOffset));
  EditRifLambda->SetDouble(EcuData->GetValue(0x5));
  EditRifSupFredda->SetDouble(EcuData->GetValue(0x8));
  EditRifInfFredda->SetDouble(EcuData->GetValue(0x9));
  EditRifSupCalda->SetDouble(EcuData->GetValue(0xA));
  EditRifInfCalda->SetDouble(EcuData->GetValue(0xB));
  EditSondaFredda->SetDouble(Rounded(EcuData->GetValue(0x7)));
  OffsetVisibility();
  ComboTipoLambda->setFocus();
}

void TPageLambda::OffsetVisibility() {
  SetVisible({EditOffsetLambda, LabelRifLambdaMassa, LabelV1}, ComboTipoLambda->currentIndex() == 0);
}

void TPageLambda::AfterSharedEnter(QWidget* sender) {
  // The frame wrote the type and marked the references for the presets of the next tick.
  if (sender == ComboTipoLambda) OffsetVisibility();
}

void TPageLambda::ComboNumeroSondeKeyPress() {
  if (!EcuData || ComboNumeroSonde->DroppedDown() || ComboNumeroSonde->currentIndex() < 0) return;
  EcuData->SetNumeroSonde(ComboNumeroSonde->currentIndex() + 1);
  SetIndex(ComboNumeroSonde, EcuData->GetNumeroSonde() - 1);
  Form()->ApplySecondBankRule();
}

void TPageLambda::EditOffsetLambdaKeyPress() {
  if (!EcuData) return;
  const double v = EditOffsetLambda->GetDouble();
  if (v > 0) {
    // The references move with the ground: each by the change of the offset.
    const double d = v - EcuData->GetValue(kCodeOffset);
    for (int code : kShiftedCodes)
      EcuData->SetValue(code, std::clamp(EcuData->GetValue(code) + d, 0.0, kMaxReference));
    EcuData->SetValue(kCodeRifInfCalda, kLowWithOffset);
    EcuData->SetValue(kCodeRifInfFredda, kLowWithOffset);
    EcuData->SetValue(kCodeOffset, v);
    PageShow();
    return;
  }
  EcuData->SetValue(kCodeOffset, v);
  EcuData->SetValue(kCodeRifInfCalda, kLowWithoutOffset);
  EcuData->SetValue(kCodeRifInfFredda, kLowWithoutOffset);
  EditOffsetLambda->SetDouble(EcuData->GetValue(kCodeOffset));
  // Without an offset the type's presets come back: the type is confirmed again.
  Form()->ComboTipoLambdaKeyPress(ComboTipoLambda);
}

void TPageLambda::Translate() {
  TranslateCaptions({{LabelTipoLambda, 174},
                     {LabelNumeroSonde, 179},
                     {LabelRitardoLambda, 180},
                     {LabelRifLambdaMassa, 181},
                     {LabelRifLambda, 182},
                     {LabelRifSupCalda, 183},
                     {LabelRifInfCalda, 184},
                     {LabelRifSupFredda, 185},
                     {LabelRifInfFredda, 186},
                     {LabelTempoSondaFredda, 187}});
  TranslateItems(ComboTipoLambda, {175, 176, 177, 178});
}

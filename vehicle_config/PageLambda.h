#pragma once
// "Lambda" (TabLambda): the oxygen probe as the ECU reads it: type, number of probes, read
// delay, the references of the cold and hot probe and the ground offset of a 0-1 V probe.
#include "ConfigPage.h"

class QLabel;
class TKeyComboBox;
class TNumericEdit;

class TPageLambda final : public TConfigPage {
  Q_OBJECT
 public:
  TPageLambda(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void FormShow() override;
  void AfterSharedEnter(QWidget* sender) override;
  void Translate() override;

  void ComboNumeroSondeKeyPress();
  // Enter in the ground offset of a 0-1 V probe.
  void EditOffsetLambdaKeyPress();

  QLabel* LabelTipoLambda = nullptr;
  TKeyComboBox* ComboTipoLambda = nullptr;
  QLabel* LabelNumeroSonde = nullptr;
  TKeyComboBox* ComboNumeroSonde = nullptr;
  QLabel* LabelRitardoLambda = nullptr;
  TNumericEdit* EditRitardoLbd = nullptr;
  QLabel* LabelRifLambdaMassa = nullptr;
  TNumericEdit* EditOffsetLambda = nullptr;
  QLabel* LabelV1 = nullptr;
  QLabel* LabelRifLambda = nullptr;
  TNumericEdit* EditRifLambda = nullptr;
  QLabel* LabelRifSupFredda = nullptr;
  TNumericEdit* EditRifSupFredda = nullptr;
  QLabel* LabelRifInfFredda = nullptr;
  TNumericEdit* EditRifInfFredda = nullptr;
  QLabel* LabelRifSupCalda = nullptr;
  TNumericEdit* EditRifSupCalda = nullptr;
  QLabel* LabelRifInfCalda = nullptr;
  TNumericEdit* EditRifInfCalda = nullptr;
  QLabel* LabelTempoSondaFredda = nullptr;
  TNumericEdit* EditSondaFredda = nullptr;

 private:
  // The ground offset applies to the 0-1 V probe (type 0) only.
  void OffsetVisibility();
};

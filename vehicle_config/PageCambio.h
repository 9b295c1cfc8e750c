#pragma once
// "Cambio GAS" (TabCambio): when the engine changes over from petrol to gas: rpm signal,
// ignition kind, changeover mode and threshold, temperature, delay, over-rev intervention,
// idle reference and the start squirt (time, or the table by temperature).
#include "ConfigPage.h"

class QLabel;
class TKeyComboBox;
class TNumericEdit;
class TSmallGrid;

class TPageCambio final : public TConfigPage {
  Q_OBJECT
 public:
  TPageCambio(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void FormShow() override;
  void PageResize() override;
  void Translate() override;

  // Enter in the two lists with their own rules (list closed).
  void ComboCambioKeyPress();
  void ComboSegnaleGiriKeyPress();

  QLabel* LabelSegnaleGiri = nullptr;
  TKeyComboBox* ComboSegnaleGiri = nullptr;
  QLabel* LabelAccensione = nullptr;
  TKeyComboBox* ComboAccensione = nullptr;
  QLabel* LabelCambio = nullptr;
  TKeyComboBox* ComboCambio = nullptr;
  QLabel* LabelGiriCambio = nullptr;
  TNumericEdit* EditGiriCambio = nullptr;
  QLabel* LabelRpm1 = nullptr;
  QLabel* LabelTempCambio = nullptr;
  TNumericEdit* EditTempCambio = nullptr;
  QLabel* LabelRitardoCambio = nullptr;
  TNumericEdit* EditRitMin = nullptr;
  QLabel* LabelFuoriGiri = nullptr;
  TNumericEdit* EditFuoriGiri = nullptr;
  QLabel* LabelFasciaMinimo = nullptr;
  TNumericEdit* EditFasciaMin = nullptr;
  QLabel* LabelProva = nullptr;
  TNumericEdit* EditProva = nullptr;
  QLabel* LabelTempoCicchetto = nullptr;
  TNumericEdit* EditTempoCicchetto = nullptr;
  QLabel* LabTempoCicchetto = nullptr;
  QLabel* LabelRifTempCicchetto = nullptr;
  QLabel* LabelTempCicchetto = nullptr;
  QLabel* LabTempoCicchettoTemp = nullptr;
  TSmallGrid* DrawGridCicchetto = nullptr;

 private:
  // The rpm threshold shows only while the changeover goes by rpm (modes 0 and 1).
  void ChangeoverRpmRule();
  void StartSquirtVisibility();
};

#pragma once
// "Livello GAS" (TabSensore): the tank level sensor: its type, the four thresholds of a
// non-standard sensor (confirmed together), the return to petrol on low gas level with its
// lean time, and the gas level required for an alcohol start.
#include "ConfigPage.h"
#include "OffStateOption.h"

class QGroupBox;
class QLabel;
class QPushButton;
class TChainCheckBox;
class TKeyComboBox;
class TNumericEdit;

class TPageSensore final : public TConfigPage {
  Q_OBJECT
 public:
  static constexpr int kThresholds = 4;

  TPageSensore(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void Translate() override;

  void ComboSensoreKeyPress();
  void CheckRitornoBenzinaClick();
  // Writes the four thresholds when they are in order; otherwise says so and writes nothing.
  void ButtonAccettaClick();

  QLabel* LabelSensoreLivello = nullptr;
  TKeyComboBox* ComboSensore = nullptr;
  QGroupBox* GroupRifSensore = nullptr;
  QLabel* LabelSensore[kThresholds] = {};
  TNumericEdit* EditLivello[kThresholds] = {};  // EditLivello1..EditLivello4
  QLabel* LabelConferma = nullptr;
  QPushButton* ButtonAccetta = nullptr;
  TChainCheckBox* CheckRitornoBenzina = nullptr;
  QLabel* LabelRitornoBenzina = nullptr;
  TNumericEdit* EditRitornoBenzina = nullptr;
  QLabel* LabelS12 = nullptr;
  QLabel* LabelLivelloAlcol = nullptr;
  TNumericEdit* EditLivelloAlcol = nullptr;

 private:
  // The threshold group of the non-standard types, the thresholds and the focus chain.
  void TypeRule();
  void LoadThresholds();

  // Return to petrol off: lean time 255; on again with the time remembered, else 6 s.
  TOffStateOption returnToPetrol_;
  bool programSet_ = false;  // the page itself sets CheckRitornoBenzina
};

#pragma once
// "Emulazione" (TabEmulazione): how the ECU emulates the lambda signal towards the petrol ECU
// while running on gas.
#include "ConfigPage.h"

class QLabel;
class TKeyComboBox;
class TNumericEdit;

class TPageEmulazione final : public TConfigPage {
  Q_OBJECT
 public:
  // Emulation kinds (items of ComboEmulazione).
  enum Kind { SondaSconnessa, EmulazioneMassa, OndaQuadra, OndaCostruita, FeedbackBenzina };

  TPageEmulazione(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void FormShow() override;
  void Translate() override;

  void ComboEmulazioneKeyPress();

  QLabel* LabelTipoEmul = nullptr;
  TKeyComboBox* ComboEmulazione = nullptr;
  QLabel* LabelTempoAlto = nullptr;
  TNumericEdit* EditTempoAlto = nullptr;
  QLabel* LabelS5 = nullptr;
  QLabel* LabelTempoBasso = nullptr;
  TNumericEdit* EditTempoBasso = nullptr;
  QLabel* LabelS6 = nullptr;
  QLabel* LabelTempoTri = nullptr;
  TNumericEdit* EditTempoTri = nullptr;
  QLabel* LabelS7 = nullptr;
  QLabel* LabelOnde = nullptr;
  TNumericEdit* EditOnde = nullptr;
  QLabel* LabelLivEmulAlto = nullptr;
  TNumericEdit* EditLivEmulAlto = nullptr;
  QLabel* LabelLivEmulBasso = nullptr;
  TNumericEdit* EditLivEmulBasso = nullptr;

 private:
  // The wave fields of the built square wave and of petrol feedback, then their values.
  void VisibilityAndReload(int kind);
};

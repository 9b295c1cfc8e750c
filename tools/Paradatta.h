#pragma once
// "Paerametri di adattatività": the parameters of the adaptivity calculation done on the PC.
// The caller fills the controls from its stored parameters, shows the dialog and, on OK, takes
// the values back.
#include "ModalDialog.h"

class TKeyComboBox;
class TNumericEdit;

class TFormParAdatta final : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormParAdatta(QWidget* owner);

  TNumericEdit* EditMinCorr = nullptr;
  TKeyComboBox* ComboOrdinamento = nullptr;  // "Decrescente", "Crescente" (ascending = item 1)
  TNumericEdit* EditDeltaX = nullptr;
  TNumericEdit* EditDeltaY = nullptr;
  TNumericEdit* EditCelleXS = nullptr;
  TNumericEdit* EditCelleYS = nullptr;
  TNumericEdit* EditCelleXD = nullptr;
  TNumericEdit* EditCelleYD = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;
};

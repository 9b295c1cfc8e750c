#pragma once
// "Inizializzazione taratura": engine displacement, fuel and turbo before a calibration, or, in
// the fuel-only form, the fuel alone. The caller sets the fuel item (and the other controls),
// shows the dialog modally and reads the controls after OK.
#include "ModalDialog.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;
class TKeyComboBox;
class TNumericEdit;

class TFormCilindrata final : public TModalDialog {
  Q_OBJECT
 public:
  // Below this displacement OK is refused (while the displacement is shown).
  static constexpr int kMinCilindrata = 500;

  TFormCilindrata(QWidget* owner, bool fuelOnly);

  bool FuelOnly() const { return fuelOnly_; }

  QLabel* LabelCilindrata = nullptr;
  TNumericEdit* EditCilindrata = nullptr;  // cc, precision 1, at most 5000
  QLabel* LabelCarburante = nullptr;
  TKeyComboBox* ComboCarburante = nullptr;  // item 0 LPG, 1 CNG
  QCheckBox* CheckTurbo = nullptr;
  QLabel* LabelAttenzione = nullptr;
  QLabel* LabelResetCarburazione = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;

 protected:
  // OK with the displacement shown and below kMinCilindrata: the refusal message, and the
  // dialog stays open with the focus on the displacement.
  void done(int r) override;

 public:
  // Fitted to the screen at the size its texts need; the user does not resize it.
  void setVisible(bool visible) override;

 private:
  bool fuelOnly_;
  QString refusal_;  // text 412
};

// The fuel question of the configuration actions (their FuelDialogFunction): the fuel-only form
// showing *fuelIndex (0 LPG, 1 CNG), shown modally; returns the modal result and, after OK, leaves
// the chosen index in *fuelIndex.
int RunFuelOnlyDialog(QWidget* owner, int* fuelIndex);

#pragma once
// "Centri celle mappa di carburazione": the 12 rpm and the 12 MAP breakpoints of the
// carburation maps. Filled from the ECU data set when built; OK checks that each row strictly
// increases, stores it (the data set writes it through to the ECU) and closes. The caller
// redraws its map grid whatever the result.
#include <array>
#include <span>

#include "ModalDialog.h"

class QGroupBox;
class TNumericEdit;

class TFormCentriCelle final : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormCentriCelle(QWidget* owner);

  // OK: the rpm row is checked and stored first, then the MAP row; a refused MAP row thus
  // leaves the rpm breakpoints stored.
  void ButtonOkClick();

  // The first i - 1 whose value is not below value i, or -1 when the row strictly increases.
  static int FirstNotIncreasing(std::span<const int> values);

  QGroupBox* GroupRifGiri = nullptr;
  QGroupBox* GroupRifMap = nullptr;
  std::array<TNumericEdit*, 12> EditRifGiri{};
  std::array<TNumericEdit*, 12> NumEditRifMap{};
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
};

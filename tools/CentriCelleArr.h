#pragma once
// "Riferimenti mappa arricchimenti": the row breakpoints of the enrichment map (the
// accumulation references), as many as the enrichment rows in use (4 or 5). OK checks that
// they strictly increase, stores them (written through to the ECU) and closes.
#include <array>

#include "ModalDialog.h"

class QGroupBox;
class QLabel;
class TNumericEdit;

class TFormCentriCelleArr final : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormCentriCelleArr(QWidget* owner);

  void ButtonOkClick();
  int RowCount() const { return count_; }

  QGroupBox* GroupRifCum = nullptr;
  std::array<TNumericEdit*, 5> NumEditRifMap{};
  std::array<QLabel*, 5> LabelRifMap{};
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  int count_ = 5;
};

#pragma once
// "Parametri di adattatività della centralina": nine adaptivity parameters the ECU holds, each
// field bound to its value code. Built with the ECU's values; OK writes each field back
// through the data set (a refused write is not reported here) and closes.
#include <array>

#include "ModalDialog.h"

class TNumericEdit;

class TFormParAdattaEcu final : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormParAdattaEcu(QWidget* owner);

  void ButtonOkClick();

  TNumericEdit* EditNumCalcoli = nullptr;
  TNumericEdit* EditRegConfAdatta = nullptr;
  TNumericEdit* EditSaturazione = nullptr;
  TNumericEdit* EditZoneSaturate = nullptr;
  TNumericEdit* EditZoneAcquisite = nullptr;
  TNumericEdit* EditAcquisizioniPerZona = nullptr;
  TNumericEdit* EditMaxCorr = nullptr;
  TNumericEdit* EditMinCorr = nullptr;
  TNumericEdit* EditDeltaCorr = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;

  // The fields in the order they are read and written, each with its DataCode.
  const std::array<TNumericEdit*, 9>& Fields() const { return fields_; }

 private:
  std::array<TNumericEdit*, 9> fields_{};
};

#pragma once
// "Arricchimenti" (TabArricchimento): the enrichment grid page with its parameter fields: the
// acceleration enrichment, the accumulator and the injections at idle exit.
#include "MapGridPageArr.h"

class QLabel;
class TNumericEdit;

class TPageArricchimentoParametri final : public TPageArricchimento {
  Q_OBJECT
 public:
  TPageArricchimentoParametri(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void PageResize() override;
  void Translate() override;

  // Enter in the acceleration enrichment: the data set shifts every enrichment cell with it.
  void EditArrAccelerazioneKeyPress();

  QWidget* PanelParametri = nullptr;
  QLabel* LabelArrAccelerazione = nullptr;
  TNumericEdit* EditArrAccelerazione = nullptr;
  QLabel* LabelMinTpsArr = nullptr;
  TNumericEdit* EditCumuloArricc = nullptr;
  QLabel* LabelIniezioniUscitaMin = nullptr;
  TNumericEdit* EditIniezioni = nullptr;
};

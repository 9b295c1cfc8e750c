#pragma once
// "Varie" (TabVarie): closed-loop integral limits, mixture-enrichment thresholds, the
// controlled return to idle and the idle lock.
#include "ConfigPage.h"
#include "OffStateOption.h"

class QLabel;
class TChainCheckBox;
class TNumericEdit;

class TPageVarie final : public TConfigPage {
  Q_OBJECT
 public:
  TPageVarie(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void AfterSharedEnter(QWidget* sender) override;
  void Translate() override;

  void CheckBloccoMinClick();
  void CheckRientroMinClick();

  QLabel* LabelPassiCorrAp = nullptr;
  TNumericEdit* EditMaxErrInteg = nullptr;
  QLabel* LabelPassiCorrCh = nullptr;
  TNumericEdit* EditMinErrInteg = nullptr;
  QLabel* LabelPassiCorrApMin = nullptr;
  TNumericEdit* EditMaxErrIntegMin = nullptr;
  QLabel* LabelPassiCorrChMin = nullptr;
  TNumericEdit* EditMinErrIntegMin = nullptr;
  QLabel* LabelTpsSbana = nullptr;
  TNumericEdit* EditTpsSbana = nullptr;
  QLabel* LabelGiriSbana = nullptr;
  TNumericEdit* EditGiriSbana = nullptr;
  TChainCheckBox* CheckRientroMin = nullptr;
  QLabel* LabelCorrMin = nullptr;
  TNumericEdit* EditRientroMinimo = nullptr;
  TChainCheckBox* CheckBloccoMin = nullptr;

 private:
  // The idle lock is on while the minimum correction at idle is 0.
  void IdleLockState();

  // Controlled return to idle off: corrector 100; on again with a remembered value above 0,
  // else 0.
  TOffStateOption idleReturn_;
  bool programSet_ = false;  // the page itself sets the boxes
};

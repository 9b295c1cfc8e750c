#pragma once
// "TPS" (TabTps): the throttle position sensor: direction, optional switch, hysteresis or the
// manual idle value, drive-by-wire and the soft exit from idle.
#include "ConfigPage.h"
#include "OffStateOption.h"

class QLabel;
class TChainCheckBox;
class TKeyComboBox;
class TNumericEdit;

class TPageTps final : public TConfigPage {
  Q_OBJECT
 public:
  TPageTps(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void AfterSharedEnter(QWidget* sender) override;
  void Translate() override;

  void CheckTpsBlocClick();
  void CheckDriveByWireClick();
  void CheckUscitaSoftClick();

  QLabel* LabelTipoTps = nullptr;
  TKeyComboBox* ComboTps = nullptr;
  QLabel* LabelTpsSwitch = nullptr;
  TKeyComboBox* ComboTpsSwitch = nullptr;
  TChainCheckBox* CheckDriveByWire1 = nullptr;
  QLabel* CheckDriveByWire2 = nullptr;
  TChainCheckBox* CheckTpsBloc = nullptr;
  QLabel* LabelIstTps = nullptr;
  TNumericEdit* EditIstTps = nullptr;
  QLabel* LabelV6 = nullptr;
  QLabel* LabelTpsMoltoFMin = nullptr;
  TNumericEdit* EditTpsMoltoFMin = nullptr;
  TChainCheckBox* CheckUscitaSoft = nullptr;
  QLabel* LabelCoefficienteUscitaMinimo = nullptr;
  TNumericEdit* EditCoefficienteUscitaMinimo = nullptr;
  QLabel* LabelPerCento = nullptr;
  QLabel* LabelTempoCoefficienteUscitaMinimo = nullptr;
  TNumericEdit* EditTempoCoefficienteUscitaMinimo = nullptr;
  QLabel* LabelMsec1 = nullptr;
  QLabel* LabelTempoPer100 = nullptr;
  TNumericEdit* EditTempoPer100 = nullptr;
  QLabel* LabelMsec2 = nullptr;

 private:
  // With a TPS switch the idle comes from the switch: no manual idle value (a checked box is
  // cleared as by a click), no hysteresis.
  void TpsSwitchRule();
  void IdleValueCaption();
  void SoftExitFields();

  // Soft exit off: coefficient 100 %, time 100 ms, time to 100 % 0.
  TOffStateOption softExit_;
  bool programSet_ = false;  // the page itself sets CheckUscitaSoft
};

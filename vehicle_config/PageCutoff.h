#pragma once
// "Cutoff" (TabCutoff): what the gas injection does when the throttle is released: nothing,
// leaning only, or a full cut-off with its end rpm, ramps and cycle counts; the release-leaning
// correction and the two cut-off options, of which at most one is on.
#include "ConfigPage.h"
#include "OffStateOption.h"

class QLabel;
class TChainCheckBox;
class TKeyComboBox;
class TNumericEdit;

class TPageCutoff final : public TConfigPage {
  Q_OBJECT
 public:
  TPageCutoff(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void FormShow() override;
  void Translate() override;

  void ComboCutoffKeyPress();
  // Enter in one of the four ramp fields, told apart by their "Tag" property.
  void EditPassiCutoffKeyPress(TNumericEdit* sender);
  void CheckCutoffConIniettoriClick();
  void CheckCutoffTotaleClick();
  void CheckSmagrInRilascioClick();

  QLabel* LabelOpzioneCutoff = nullptr;
  TKeyComboBox* ComboCutoff = nullptr;
  QLabel* LabelCutoffTot = nullptr;
  TNumericEdit* EditCfTot = nullptr;
  QLabel* LabelRpm3 = nullptr;
  QLabel* LabelChiusuraCutoff = nullptr;
  TNumericEdit* EditChiusuraCutoff = nullptr;
  QLabel* LabelS13 = nullptr;
  QLabel* LabelAperturaCutoff = nullptr;
  TNumericEdit* EditAperturaCutoff = nullptr;
  QLabel* LabelS14 = nullptr;
  QLabel* LabelPassiCutoff = nullptr;
  TNumericEdit* EditPassiCutoff = nullptr;
  QLabel* LabelCutoffParziale = nullptr;
  TNumericEdit* EditPassiCutoffParziale = nullptr;
  TChainCheckBox* CheckCutoffConIniettori = nullptr;
  TChainCheckBox* CheckCutoffTotale = nullptr;
  TChainCheckBox* CheckSmagrInRilascio = nullptr;
  QLabel* LabelCorrInRilascio = nullptr;
  TNumericEdit* EditCorrInRilascio = nullptr;

 private:
  // Fields of the mode shown in the list, the options and the release-leaning box.
  void Refresh();
  // The click rule of the two exclusive options.
  void OptionClick(TChainCheckBox* box, TChainCheckBox* other);
  void ShowRampTimes();

  // Release leaning off: correction 1000.
  TOffStateOption releaseLeaning_;
  bool programSet_ = false;  // the page itself sets CheckSmagrInRilascio
};

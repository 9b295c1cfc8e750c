#pragma once
// "Adattatività" (TabAdatta) and the menu "Adattatività" (MenuAdatta): the ECU's own learning
// parameters, the parameters of the map calculation done on the PC, the ECU's calculation
// parameters, and the new gas map computed from what the ECU has learnt (one point per zone
// group, fitted in blend mode over the present gas map).
#include "ConfigPage.h"

class QAction;
class QMenuBar;
class QLabel;
class QMenu;
class QPushButton;
class TChainCheckBox;
class TNumericEdit;

// Parameters of the calculation on the PC (the arguments of CalcolaAdatta), kept for the
// form's lifetime.
struct TParAdatta {
  int minCorr = 30;        // minimum number of corrections of a learnt zone
  bool ascending = false;  // order of the zone points: "Decrescente" (false) / "Crescente"
  int deltaX = 100;        // rpm distance for merging
  int deltaY = 100;        // MAP distance for merging, mV
  int celleXS = 3;
  int celleYS = 3;
  int celleXD = 3;
  int celleYD = 3;
};

class TPageAdatta final : public TConfigPage {
  Q_OBJECT
 public:
  TPageAdatta(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void AddMenus(QMenuBar* menuBar) override;
  void Translate() override;

  // ---- menu ------------------------------------------------------------------------------------
  // The PC parameters dialog; OK keeps its values.
  void MenuParAdattaClick();
  // The dialog of the ECU's calculation parameters (it writes them on OK).
  void MenuParCentralinaClick();
  // A new gas map from the ECU's adaptivity data; the acquired points are replaced by the
  // calculation's points.
  void MenuCalcolaAdattaClick();
  const TParAdatta& ParAdatta() const { return par_; }

  // ---- page ------------------------------------------------------------------------------------
  // Fills the page (its show handler and "Ricarica").
  void TabAdattaShow();
  void CheckAdattaClick();
  // Enter in the rows or the columns of the learning zone: both go as one value.
  void EditRigheZonaApprendimentoKeyPress();
  void ButtonAzzAdattaClick();

  QMenu* MenuAdatta = nullptr;
  QAction* MenuParAdatta = nullptr;
  QAction* MenuParCentralina = nullptr;
  QAction* MenuCalcolaAdatta = nullptr;

  TChainCheckBox* CheckAdatta = nullptr;
  QLabel* LabelCorrezioneFuoriMinimo = nullptr;
  TNumericEdit* EditCorrezioneFuoriMinimo = nullptr;
  QLabel* LabelCorrezioneAlMinimo = nullptr;
  TNumericEdit* EditCorrezioneAlMinimo = nullptr;
  QLabel* LabelMassimoValoreCorrezione = nullptr;
  TNumericEdit* EditMassimoValoreCorrezione = nullptr;
  QLabel* LabelTempoTraCorrezioni = nullptr;
  TNumericEdit* EditTempoTraCorrezioni = nullptr;
  QLabel* LabelZonaApprendimento = nullptr;
  QLabel* LabelRigheZonaApprendimento = nullptr;
  TNumericEdit* EditRigheZonaApprendimento = nullptr;
  QLabel* LabelColonneZonaApprendimento = nullptr;
  TNumericEdit* EditColonneZonaApprendimento = nullptr;
  QLabel* LabelMinimoValoreCorrettore = nullptr;
  TNumericEdit* EditMinimoValoreCorrettore = nullptr;
  QLabel* LabelTempoPerCorrezione = nullptr;
  TNumericEdit* EditTempoPerCorrezione = nullptr;
  QPushButton* ButtonAzzAdatta = nullptr;
  QPushButton* ButtonRicAdatta = nullptr;

 private:
  // An idle correction as the ECU holds it now (read through the link), or as the data set
  // holds it when the ECU does not answer.
  static int ReadCorrection(int code);
  // Reads the learnt tables the calculation uses (cell zones, coefficients, corrections) from
  // the ECU; true when the link is closed (the data set's tables serve) or every read worked.
  static bool RefreshLearntTables();
  void ShowZone();

  TParAdatta par_;
  // Adaptivity off is a maximum correction of 0; switching on writes back the value held when
  // it was switched off (0 until then).
  int rememberedMassimo_ = 0;
  bool loading_ = false;  // the page fills its controls: the click handlers write nothing
};

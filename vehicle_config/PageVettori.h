#pragma once
// "Varie2" (TabVettori): the fuel-level corrections and the temperature correction table
// (eight breakpoints that must rise, nine coefficients).
#include "ConfigPage.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class TNumericEdit;

class TPageVettori final : public TConfigPage {
  Q_OBJECT
 public:
  static constexpr int kLevels = 5;        // reserve, 1/4 .. 4/4
  static constexpr int kBreakpoints = 8;   // EditRifTemp1..8: elements 8 down to 1
  static constexpr int kCoefficients = 9;  // EditCoeffTemp0..8: elements 8 down to 0

  TPageVettori(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void Translate() override;
  // Showing with its reference labels: the field of the live temperature's band is drawn navy on
  // the light 3D colour, the others white on navy.
  void LiveTick(const TLivePanel& live, bool active) override;
  // The band highlighted, -1 before the first tick that showed one (for inspection).
  int HighlightedBand() const { return band_; }

  void EditCorrRiservaKeyPress(TNumericEdit* sender);
  // Enter in a breakpoint: written only while the eight breakpoints rise strictly.
  void EditRifTemp1KeyPress(TNumericEdit* sender);
  void EditCoeffTemp0KeyPress(TNumericEdit* sender);

  QGroupBox* GroupCorrLivello = nullptr;
  QLabel* LabelLivello[kLevels] = {};           // the last one is LabelQuattroQuarti
  TNumericEdit* EditCorrLivello[kLevels] = {};  // EditCorrRiserva, EditCorr1..EditCorr4
  QLabel* LabelRiferimenti = nullptr;
  TNumericEdit* EditRifTemp[kBreakpoints] = {};
  QLineEdit* EditRifTemp9 = nullptr;
  QLabel* LabelCoefficienti = nullptr;
  TNumericEdit* EditCoeffTemp[kCoefficients] = {};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool BreakpointsRise() const;
  // The field of band b: EditRifTemp1..8 for bands 0..7, EditRifTemp9 for band 8.
  QLineEdit* BandField(int b) const;
  void ShowBand(int band);

  int band_ = -1;
};

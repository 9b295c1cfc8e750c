#pragma once
// "Emissioni" (TabEmissioni): the open-loop rows, the stepper steps and the stepper times by
// rpm breakpoint, each table with its limits.
#include "ConfigPage.h"

class QLabel;
class TEmissionGrid;

class TPageEmissioni final : public TConfigPage {
  Q_OBJECT
 public:
  TPageEmissioni(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void LiveTick(const TLivePanel& live, bool active) override;
  void PageResize() override;
  void Translate() override;
  // The three grids are drawn bold, except on a screen 640 pixels wide.
  void ApplyScreenWidth(int screenWidth);

  QLabel* LabelPassiInv = nullptr;
  TEmissionGrid* GridPassi = nullptr;
  QLabel* LabelTempiPassi = nullptr;
  TEmissionGrid* GridTempi = nullptr;
  QLabel* LabelRigheOpenLoop = nullptr;
  TEmissionGrid* GridOpenLoop = nullptr;

 protected:
  void resizeEvent(QResizeEvent* e) override;
};

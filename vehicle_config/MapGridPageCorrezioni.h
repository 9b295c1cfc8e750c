#pragma once
// The corrections page (TabCorrezioni): the gas-temperature and differential-pressure
// correction grids. Their live column highlights follow every tick, whatever page shows.
#include "ConfigPage.h"

class QLabel;
class TSmallGrid;

class TPageCorrezioni : public TConfigPage {
  Q_OBJECT
 public:
  TPageCorrezioni(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void LiveTick(const TLivePanel& live, bool active) override;
  void PageResize() override;
  void Translate() override;
  void DataReloaded() override;

  QLabel* LabelRiferimentiGas = nullptr;
  QLabel* LabelCorrezioniPressione = nullptr;
  TSmallGrid* DrawGridTempGas = nullptr;
  TSmallGrid* DrawGridPressDiff = nullptr;

 protected:
  void resizeEvent(QResizeEvent* e) override;
};

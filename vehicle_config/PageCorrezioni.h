#pragma once
// "Correzioni" (TabCorrezioni): the correction grids page with the gas pressure sensor: its
// type and, for a custom sensor, its offset and slope.
#include "MapGridPageCorrezioni.h"

class QGroupBox;
class QLabel;
class TKeyComboBox;
class TNumericEdit;

class TPageCorrezioniParametri final : public TPageCorrezioni {
  Q_OBJECT
 public:
  enum Sensor { SNR410, SNR520, Custom };

  TPageCorrezioniParametri(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void PageResize() override;
  void Translate() override;

  void ComboMisuratorePressioneKeyPress();

  QGroupBox* GroupMisuratorePressione = nullptr;
  QLabel* LabelMisuratorePressione = nullptr;
  TKeyComboBox* ComboMisuratorePressione = nullptr;
  QLabel* LabelOffsetDiff = nullptr;
  TNumericEdit* EditOffsetDiff = nullptr;
  QLabel* LabelPendenzaDiff = nullptr;
  TNumericEdit* EditPendenzaDiff = nullptr;
};

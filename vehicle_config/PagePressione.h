#pragma once
// "Pressione" (TabPressione): offset and slope of the external MAP sensor. The fields of the
// pressure-sensor calibration (elements 0..3 of TEcuData::GetOffsetPendenza) are shared with
// the gas pressure sensor of the corrections page.
#include "ConfigPage.h"

class QGroupBox;
class QLabel;
class TNumericEdit;

// A field of one calibration element (its "Tag"): Enter writes its integer value and shows the
// element read back. Offsets take -2000..2000, slopes 0..2000.
TNumericEdit* OffsetPendenzaField(QWidget* parent, const char* name, int element);
void EditOffsetDiffKeyPress(TNumericEdit* sender);
// Shows the element of the field's "Tag".
void LoadOffsetPendenza(TNumericEdit* field);

class TPagePressione final : public TConfigPage {
  Q_OBJECT
 public:
  TPagePressione(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void Translate() override;

  QGroupBox* GroupMapEsterno = nullptr;
  QLabel* LabelOffset = nullptr;
  TNumericEdit* EditOffset = nullptr;
  QLabel* LabelPendenza = nullptr;
  TNumericEdit* EditPendenza = nullptr;
};

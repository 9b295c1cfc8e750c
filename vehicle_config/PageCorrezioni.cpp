#include "PageCorrezioni.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "MapGridSmall.h"
#include "NumericEdit.h"
#include "PagePressione.h"

using namespace PageFields;

namespace {
// Calibration elements of the gas pressure sensor, and the presets of the known sensors.
constexpr int kOffsetElement = 2;
constexpr int kSlopeElement = 3;
struct SensorPreset {
  int offset, slope;
};
constexpr SensorPreset kPresets[] = {{892, 542}, {35, 826}};  // SNR410, SNR520
}  // namespace

TPageCorrezioniParametri::TPageCorrezioniParametri(TFormConfig* form, ConfigPageId id)
    : TPageCorrezioni(form, id) {
  GroupMisuratorePressione = new QGroupBox(QStringLiteral("Parametri del misuratore di pressione gas"), this);
  GroupMisuratorePressione->setObjectName(QStringLiteral("GroupMisuratorePressione"));
  LabelMisuratorePressione =
      Label(GroupMisuratorePressione, "LabelMisuratorePressione", QStringLiteral("Sensore"));
  ComboMisuratorePressione =
      Combo(GroupMisuratorePressione, "ComboMisuratorePressione", {"SNR410", "SNR520", "Custom"});
  // Until a known calibration is recognised the sensor is one of the user's own.
  SetIndex(ComboMisuratorePressione, Custom);
  LabelOffsetDiff = Label(GroupMisuratorePressione, "LabelOffsetDiff", QStringLiteral("Offset"));
  EditOffsetDiff = OffsetPendenzaField(GroupMisuratorePressione, "EditOffsetDiff", kOffsetElement);
  LabelPendenzaDiff = Label(GroupMisuratorePressione, "LabelPendenzaDiff", QStringLiteral("Pendenza"));
  EditPendenzaDiff = OffsetPendenzaField(GroupMisuratorePressione, "EditPendenzaDiff", kSlopeElement);
  auto* grid = new QGridLayout(GroupMisuratorePressione);
  AddRow(grid, 0, LabelMisuratorePressione, ComboMisuratorePressione);
  AddRow(grid, 1, LabelOffsetDiff, EditOffsetDiff);
  AddRow(grid, 2, LabelPendenzaDiff, EditPendenzaDiff);
  LinkChain({ComboMisuratorePressione, EditOffsetDiff, EditPendenzaDiff});
  connect(ComboMisuratorePressione, &TKeyComboBox::enterPressed, this,
          &TPageCorrezioniParametri::ComboMisuratorePressioneKeyPress);
  PageResize();
}

void TPageCorrezioniParametri::PageShow() {
  TPageCorrezioni::PageShow();
  if (!EcuData) return;
  // A known sensor is recognised by its calibration; any other pair keeps the list as it was.
  const int offset = EcuData->GetOffsetPendenza(kOffsetElement);
  const int slope = EcuData->GetOffsetPendenza(kSlopeElement);
  for (int s : {SNR410, SNR520})
    if (offset == kPresets[s].offset && slope == kPresets[s].slope) SetIndex(ComboMisuratorePressione, s);
  GroupMisuratorePressione->setVisible(true);
  LoadOffsetPendenza(EditOffsetDiff);
  LoadOffsetPendenza(EditPendenzaDiff);
}

void TPageCorrezioniParametri::ComboMisuratorePressioneKeyPress() {
  if (!EcuData || ComboMisuratorePressione->DroppedDown()) return;
  const int sensor = ComboMisuratorePressione->currentIndex();
  if (sensor != SNR410 && sensor != SNR520) return;  // a custom sensor is entered by hand
  EcuData->SetOffsetPendenza(kOffsetElement, kPresets[sensor].offset);
  EcuData->SetOffsetPendenza(kSlopeElement, kPresets[sensor].slope);
  LoadOffsetPendenza(EditOffsetDiff);
  LoadOffsetPendenza(EditPendenzaDiff);
}

void TPageCorrezioniParametri::PageResize() {
  TPageCorrezioni::PageResize();
  if (!GroupMisuratorePressione) return;  // the grid page lays out before the group exists
  // As wide as its title, which the layout's size does not count.
  GroupMisuratorePressione->resize(
      GroupMisuratorePressione->sizeHint().expandedTo(GroupMisuratorePressione->minimumSizeHint()));
  GroupMisuratorePressione->move(DrawGridPressDiff->x(), DrawGridPressDiff->geometry().bottom() + 16);
}

void TPageCorrezioniParametri::Translate() {
  TPageCorrezioni::Translate();
  TranslateCaptions({{LabelMisuratorePressione, 534},
                     {GroupMisuratorePressione, 535},
                     {LabelOffsetDiff, 536},
                     {LabelPendenzaDiff, 537}});
}

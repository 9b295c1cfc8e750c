#pragma once
// "Aggiungi/rimuovi tracce": the frame in which the trace chart lets the user pick the traces
// to show. The chart adds one check box per trace to PanelTracce (named "CheckTrack" and the
// trace's index, laid out as the chart likes) and reads them after OK.
#include "ModalDialog.h"

class QCheckBox;
class QPushButton;

class TFormGestioneTracce final : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormGestioneTracce(QWidget* owner);

  // The check box of trace `index` that the chart added, or nullptr.
  QCheckBox* CheckTrack(int index) const;

  QWidget* PanelTracce = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;
};

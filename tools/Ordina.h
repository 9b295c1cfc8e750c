#pragma once
// "Ordina dati acquisiti": the sort-key chooser of the acquired-points window. The points window
// fills its texts and its selection and reads the chosen item after OK.
#include <array>

#include "ModalDialog.h"

class QGroupBox;
class QRadioButton;

class TFormOrdina final : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormOrdina(QWidget* owner);

  // The chosen item of GroupMode, 0..3 (-1 when none is chosen).
  int ItemIndex() const;
  void SetItemIndex(int index);

  QGroupBox* GroupMode = nullptr;
  std::array<QRadioButton*, 4> ModeItems{};
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;
};

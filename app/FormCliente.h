#pragma once
// The choice of the ECU's customer: one item per brand label, the item's index being the label
// index. The caller selects the present customer's index, shows the window modally and, on OK,
// reads the chosen index.
#include "ModalDialog.h"

class QComboBox;
class QLabel;
class QPushButton;

class TFormCliente : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormCliente(QWidget* owner);
  QLabel* Label1;
  QComboBox* ComboClienti;
  QPushButton* ButtonOk;
  QPushButton* ButtonAnnulla;
};

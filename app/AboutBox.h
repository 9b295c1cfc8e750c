#pragma once
// The about box: the product picture, its name, its version and a fixed notice.
#include "ModalDialog.h"

class QLabel;
class QPushButton;

class TAboutBox : public TModalDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* owner);
  QLabel* Tarn;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Notice;
  QPushButton* OKButton;
};

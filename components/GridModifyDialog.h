#pragma once
// The dialog of the data-bound grid that changes the selected cells: a value, and how it
// applies (0 absolute: the cells become the value; 1 relative: it is added; 2 percent: the
// cells change by that percentage). The grid sets its texts from its MsgStrings.
#include <QDialog>

#include "NumericEdit.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

class TGridModifyDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TGridModifyDialog(QWidget* owner);

  TNumericEdit* ValueField() const { return value_; }
  QGroupBox* ModeGroup() const { return group_; }
  QRadioButton* ModeItem(int i) const { return modes_[i]; }
  QPushButton* ButtonOk() const { return ok_; }
  QPushButton* ButtonCancel() const { return cancel_; }
  // 0 absolute, 1 relative, 2 percent.
  int Mode() const;
  void SetMode(int mode);
  double Value() const { return value_->GetDouble(); }

 private:
  TNumericEdit* value_ = nullptr;
  QGroupBox* group_ = nullptr;
  QRadioButton* modes_[3] = {};
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

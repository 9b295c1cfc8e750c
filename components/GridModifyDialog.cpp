#include "GridModifyDialog.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TGridModifyDialog::TGridModifyDialog(QWidget* owner) : QDialog(owner) {
  setModal(true);
  value_ = new TNumericEdit(this);
  value_->SetValidation(false);
  value_->setGeometry(16, 16, 96, 24);
  group_ = new QGroupBox(this);
  group_->setGeometry(16, 52, 160, 100);
  auto* column = new QVBoxLayout(group_);
  for (auto*& item : modes_) {
    item = new QRadioButton(group_);
    column->addWidget(item);
  }
  modes_[0]->setChecked(true);
  ok_ = new QPushButton(QStringLiteral("&OK"), this);
  ok_->setGeometry(16, 164, 76, 26);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("&Annulla"), this);
  cancel_->setGeometry(100, 164, 76, 26);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(192, 204);
}

int TGridModifyDialog::Mode() const {
  for (int i = 0; i < 3; ++i)
    if (modes_[i]->isChecked()) return i;
  return 0;
}

void TGridModifyDialog::SetMode(int mode) {
  if (mode >= 0 && mode < 3) modes_[mode]->setChecked(true);
}

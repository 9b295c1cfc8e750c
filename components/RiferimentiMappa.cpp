#include "RiferimentiMappa.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include "Prompt.h"

TFormRiferimenti::TFormRiferimenti(QWidget* owner) : QDialog(owner) {
  setModal(true);
  title_ = new QLabel(this);
  title_->setGeometry(16, 8, 200, 20);
  scroll_ = new QScrollArea(this);
  scroll_->setGeometry(8, 32, 200, 260);
  box_ = new QWidget;
  box_->resize(176, 8);
  scroll_->setWidget(box_);
  ok_ = new QPushButton(this);
  ok_->setGeometry(16, 304, 80, 26);
  ok_->setDefault(true);
  cancel_ = new QPushButton(this);
  cancel_->setGeometry(112, 304, 80, 26);
  connect(ok_, &QPushButton::clicked, this, &TFormRiferimenti::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(216, 340);
}

TNumericEdit* TFormRiferimenti::AddField(const QString& caption, double minValue, double maxValue,
                                         double precision, double value) {
  const int i = static_cast<int>(fields_.size());
  auto* label = new QLabel(caption, box_);
  label->move(16, 32 * i + 20);
  auto* edit = new TNumericEdit(box_);
  edit->setObjectName(QStringLiteral("Edit%1").arg(i));
  edit->setGeometry(88, 32 * i + 12, 60, 24);
  edit->SetValidation(false);
  edit->SetMaxValue(maxValue);
  edit->SetMinValue(minValue);
  edit->SetPrecision(precision);
  edit->SetDouble(value);
  if (!fields_.empty()) {
    fields_.back()->SetNextControl(edit);
    edit->SetPrevControl(fields_.back());
  }
  fields_.push_back(edit);
  box_->resize(box_->width(), 32 * (i + 1) + 16);
  return edit;
}

int TFormRiferimenti::FirstDisorder(const std::vector<double>& v, TRefSortType sort) {
  if (sort == TRefSortType::stNone) return -1;
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    const bool wrong = sort == TRefSortType::stAscent ? v[i] >= v[i + 1] : v[i] <= v[i + 1];
    if (wrong) return static_cast<int>(i);
  }
  return -1;
}

void TFormRiferimenti::accept() {
  std::vector<double> values;
  for (TNumericEdit* e : fields_) values.push_back(e->GetDouble());
  const int bad = FirstDisorder(values, sortType_);
  if (bad >= 0) {
    ShowPrompt(this, windowTitle(), errorText_, PromptIcon::Stop);
    fields_[bad]->setFocus(Qt::OtherFocusReason);
    return;
  }
  QDialog::accept();
}

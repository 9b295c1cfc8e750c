#pragma once
// The breakpoint dialog of the data-bound grid: one numeric field per breakpoint ("Edit" + i,
// linked into a focus chain), and on OK a check of the order the reference asks for.
#include <QDialog>
#include <vector>

#include "NumericEdit.h"

class QLabel;
class QPushButton;
class QScrollArea;

enum class TRefSortType { stNone, stAscent, stDescent };

class TFormRiferimenti : public QDialog {
  Q_OBJECT

 public:
  explicit TFormRiferimenti(QWidget* owner);

  TRefSortType SortType() const { return sortType_; }
  void SetSortType(TRefSortType t) { sortType_ = t; }
  const QString& ErrorText() const { return errorText_; }
  void SetErrorText(const QString& t) { errorText_ = t; }
  QLabel* TitleLabel() const { return title_; }
  QPushButton* ButtonOk() const { return ok_; }
  QPushButton* ButtonCancel() const { return cancel_; }

  // Adds the field of breakpoint i (in order from 0), with its caption, limits and step,
  // linked after the previous field.
  TNumericEdit* AddField(const QString& caption, double minValue, double maxValue, double precision,
                         double value);
  const std::vector<TNumericEdit*>& Fields() const { return fields_; }

  // The first neighbouring pair out of order (the index of its first field), or -1.
  static int FirstDisorder(const std::vector<double>& values, TRefSortType sort);

 public slots:
  // Closes with OK only when the values are in order; otherwise says so and puts the focus on
  // the first field of the offending pair.
  void accept() override;

 private:
  TRefSortType sortType_ = TRefSortType::stNone;
  QString errorText_;
  QLabel* title_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QWidget* box_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::vector<TNumericEdit*> fields_;
};

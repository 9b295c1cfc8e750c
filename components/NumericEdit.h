#pragma once
// The numeric entry field of the forms: a single-line edit that lets through only what can make
// a number in its range and step, rounds the entry to a multiple of Precision, limits it to
// MinValue..MaxValue, and follows a confirm-or-discard discipline:
//   Enter confirms (the text becomes the limited, rounded entry), tells the form through
//   enterPressed() and moves the focus along NextControl (or selects the text);
//   Esc goes back to the value confirmed last;
//   leaving the field discards the unconfirmed entry (Validation) or confirms it.
// Up and Down move the focus along PrevControl / NextControl. Enter and Return never reach the
// base edit, so a dialog's default button does not fire on them.
// The field never talks to the ECU: DataCode and DataIndex are carried for the forms.
#include <QLineEdit>

#include "FocusChain.h"
#include "NumericEditCore.h"

class TNumericEdit : public QLineEdit, public IFocusChainMember, public TValueCodeBinding {
  Q_OBJECT

 public:
  explicit TNumericEdit(QWidget* parent = nullptr);

  // Show an integer, limited but never rounded; it becomes the accepted value.
  void SetInt(int v);
  // The entry as an integer (cut toward zero to a multiple of Precision, limited); corrects
  // the text when it applies a limit or Precision.
  int GetInt();
  // Show a value, limited and rounded; it becomes the accepted value.
  void SetDouble(double v);
  // The entry limited and rounded; the text does not change. Not a number: the accepted value.
  double GetDouble() const { return core_.GetDouble(text()); }

  // Index 1 is MaxValue, index 2 MinValue: MaxValue is taken only when >= MinValue, MinValue
  // only when <= MaxValue, so set them in an order that keeps MinValue <= MaxValue.
  double GetLimit(int index) const { return core_.GetLimit(index); }
  void SetLimit(int index, double v) { core_.SetLimit(index, v); }
  double MinValue() const { return core_.MinValue(); }
  void SetMinValue(double v) { core_.SetLimit(2, v); }
  double MaxValue() const { return core_.MaxValue(); }
  void SetMaxValue(double v) { core_.SetLimit(1, v); }
  double GetPrecision() const { return core_.Precision(); }
  void SetPrecision(double v) { core_.SetPrecision(v); }
  bool DisableLimit() const { return core_.DisableLimit(); }
  void SetDisableLimit(bool v) { core_.SetDisableLimit(v); }
  bool Validation() const { return core_.Validation(); }
  void SetValidation(bool v) { core_.SetValidation(v); }
  // The value Esc restores.
  double AcceptedValue() const { return core_.Accepted(); }

  // Longest text the user may type; 0 = no limit. Text set by the program is never cut (use
  // this in place of QLineEdit::setMaxLength, which also cuts what setText shows).
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int n) { maxLength_ = n < 0 ? 0 : n; }

 signals:
  // Enter confirmed the entry: the text is the confirmed one. Emitted before the focus moves on.
  void enterPressed();
  // The field took the focus; its text is normalised.
  void entered();
  // The field lost the focus; its text is final.
  void exited();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;

 private:
  void PressEnter();
  bool Admits(QChar& key) const;
  void ShowText(const QString& t);

  TNumericEditCore core_;
  int maxLength_ = 0;
  bool inside_ = false;  // between entering and leaving (window switches and popups don't count)
};

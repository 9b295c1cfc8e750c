#pragma once
// A single-line numeric field bound to one ECU value (TKivNumber): it shows the value, refreshes
// itself from the value's messages (WM_DATACHANGED, WM_DATAAVAILABLE) and writes the entry
// through the value's SetData on Enter or, without Validation, on leaving the field. A refused
// Enter beeps and shows the value again. The field owns a caption label (TChildLabel) and a
// TResizer (locked until its owner unlocks it).
// Keys: digits and backspace; the decimal separator when the value's Precision allows decimals
// (0, or a step with decimals); "-" at the start when the value may be negative. Esc shows the
// value again; Up and Down (ArrowMoveFocus) go to PrevControl / NextControl or along the tab
// order.
#include <QLineEdit>
#include <QPointer>

#include "ChildLabel.h"
#include "ComponentResizer.h"
#include "KivNumber.h"

class TValueEditEx : public QLineEdit {
  Q_OBJECT

 public:
  explicit TValueEditEx(QWidget* parent = nullptr);
  ~TValueEditEx() override;

  TChildLabel* EditLabel() const { return label_; }
  TResizer* Resizer() const { return resizer_; }
  TKivNumber* Value() const { return value_; }
  // Leaves the old value's notification list and joins the new one's.
  void SetNumber(TKivNumber* n);
  bool Validation() const { return validation_; }
  void SetValidation(bool v) { validation_ = v; }
  QWidget* NextControl() const { return next_; }
  QWidget* PrevControl() const { return prev_; }
  void SetNextControl(QWidget* w) { next_ = w; }
  void SetPrevControl(QWidget* w) { prev_ = w; }
  bool ArrowMoveFocus() const { return arrowMoveFocus_; }
  void SetArrowMoveFocus(bool v) { arrowMoveFocus_ = v; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool SingleBorder() const { return hasFrame(); }
  void SetBorderStyle(bool single);

  // Reads the value again from the ECU and shows it; the read's result (true without a value).
  bool InitData();
  // Writes the text through the value; false without a value, for a text that is no number,
  // or when the value refuses it.
  bool AcquireValue();
  void FocusNextControl() { FocusLinkOrTabOrder(this, next_, true); }
  void FocusPrevControl() { FocusLinkOrTabOrder(this, prev_, false); }
  // Font height plus the room of a single border.
  int AdjustHeight() const;
  void UpdateHeight();

 protected:
  void customEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  bool Passes(QChar key) const;
  void ShowValue();
  void Refused();

  QPointer<TChildLabel> label_;
  TResizer* resizer_ = nullptr;
  QPointer<TKivNumber> value_;
  bool validation_ = true;
  QPointer<QWidget> next_;
  QPointer<QWidget> prev_;
  bool arrowMoveFocus_ = true;
  bool autoSize_ = true;
  bool inside_ = false;
};

#pragma once
// An option list bound to one ECU value (TKivNumber): the selected item's index is the value.
// The keyboard is that of TKeyComboBox; a confirmation by Enter also writes the index through
// the value's SetData. With the list closed, Up and Down go to PrevControl / NextControl (or
// along the tab order) when ArrowMoveFocus is on, and change the selection otherwise. The list
// follows the value's messages (WM_DATACHANGED, WM_DATAAVAILABLE); it owns a caption label
// (TChildLabel) and a TResizer (locked until its owner unlocks it).
#include <QPointer>

#include "ChildLabel.h"
#include "ComponentResizer.h"
#include "KeyComboBox.h"
#include "KivNumber.h"

class TKivComboBox : public TKeyComboBox {
  Q_OBJECT

 public:
  explicit TKivComboBox(QWidget* parent = nullptr);
  ~TKivComboBox() override;

  TResizer* Resizer() const { return resizer_; }
  TKivNumber* Value() const { return value_; }
  void SetNumber(TKivNumber* n);
  bool ArrowMoveFocus() const { return arrowMoveFocus_; }
  void SetArrowMoveFocus(bool v) { arrowMoveFocus_ = v; }
  TChildLabel* ComboLabel() const { return label_; }

  // Reads the value again from the ECU and selects its item; the read's result (true without
  // a value).
  bool InitData();
  void FocusNextControl() { FocusLinkOrTabOrder(this, NextControl(), true); }
  void FocusPrevControl() { FocusLinkOrTabOrder(this, PrevControl(), false); }
  // The item of a value: (v + 0.5) cut toward zero.
  static int IndexOf(double v);

 protected:
  void customEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ShowIndex(double v);
  void Confirmed();

  QPointer<TChildLabel> label_;
  TResizer* resizer_ = nullptr;
  QPointer<TKivNumber> value_;
  bool arrowMoveFocus_ = true;
};

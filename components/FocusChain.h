#pragma once
// The keyboard focus chain that the entry fields share: each field links a next and a
// previous control; Enter and the arrow keys follow the links. A link may be any widget; the
// walk passes through linked entry fields that cannot take the focus and ends at any other
// control that cannot. A linked widget that is destroyed becomes no link.
#include <QPointer>
#include <QWidget>

class QKeyEvent;

class TFocusChain {
 public:
  QWidget* Next() const { return next_; }
  QWidget* Prev() const { return prev_; }
  void SetNext(QWidget* w) { next_ = w; }
  void SetPrev(QWidget* w) { prev_ = w; }

  // The control the focus goes to forwards (backwards), or nullptr: the link itself when it can
  // take the focus, else the walk through a linked entry field's own links. A chain that closes
  // on itself without a control that can take the focus gives nullptr.
  QWidget* Walk(bool forward) const;
  // Gives the focus to the walk's result; false when there is none.
  bool MoveFocus(bool forward) const;

  // Visible and enabled up to its window, and a widget that takes the focus at all.
  static bool CanTakeFocus(const QWidget* w);
  // Focus changes that leave a control where it was: another window became active, or a popup
  // (a context menu, an option list's own list) opened or closed.
  static bool IsTransientFocusChange(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
  }

 private:
  QPointer<QWidget> next_;
  QPointer<QWidget> prev_;
};

// Whether a key press types a character the entry fields filter: one printable character that
// is no shortcut. Ctrl without Alt makes a shortcut (copy, paste, select all); a character typed
// with Alt, AltGr (Ctrl+Alt on Windows) or Meta is still typed.
bool TypesCharacter(const QKeyEvent* e);

// Base of the controls that take part in the chain (entry fields, option lists, check boxes):
// it holds their links, and the walk recognises it to pass through them.
class IFocusChainMember {
 public:
  // The links of the focus chain (nullptr = none; a destroyed control becomes none).
  QWidget* NextControl() const { return chain_.Next(); }
  QWidget* PrevControl() const { return chain_.Prev(); }
  void SetNextControl(QWidget* w) { chain_.SetNext(w); }
  void SetPrevControl(QWidget* w) { chain_.SetPrev(w); }
  // Where Enter/Down (Up) send the focus: the link, or past linked entry fields that cannot
  // take the focus; nullptr when there is no such control.
  QWidget* GetNextControl() const { return chain_.Walk(true); }
  QWidget* GetPrevControl() const { return chain_.Walk(false); }
  const TFocusChain& FocusChain() const { return chain_; }

 protected:
  virtual ~IFocusChainMember() = default;
  TFocusChain chain_;
};

// The value code and element a form binds an entry control to (-1: none).
class TValueCodeBinding {
 public:
  int DataCode() const { return dataCode_; }
  void SetDataCode(int code) { dataCode_ = code; }
  int DataIndex() const { return dataIndex_; }
  void SetDataIndex(int index) { dataIndex_ = index; }

 private:
  int dataCode_ = -1;
  int dataIndex_ = -1;
};

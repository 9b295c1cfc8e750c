#pragma once
// The option list of the forms (a drop-down list of named values) with the keyboard discipline
// of the numeric field: a selection is confirmed by Enter or, when made with the list closed,
// at once; Esc on the open list goes back to the selection the list had on entering.
//
// The form learns of a confirmation through enterPressed(), and reads currentIndex() and
// DataCode() there. enterPressed() also comes when Enter on a closed, unchanged list opens the
// list: a form that writes on Enter does so only when DroppedDown() is false.
// userChanged() reports every selection change the user makes (never one made by the program);
// a programmatic setCurrentIndex() is neither a change nor a confirmation.
//
// Keys, list closed: Up/Down move the focus along PrevControl/NextControl (consumed even with
// nowhere to go); Left, Right, Page Up, Page Down do nothing; Enter confirms a change or opens
// the list; typed characters reach nothing; Esc goes on to the window. Alt+Down and F4 open
// the list. The wheel changes the selection only while the list has the focus.
// Keys, list open: Up on the first item wraps to the last, Down on the last to the first;
// Esc closes the list and restores the entry selection; Enter closes it and confirms;
// Left/Right and typed characters do nothing. A pick with the mouse closes the list and then
// changes the selection, so it is confirmed at once.
#include <QComboBox>

#include "FocusChain.h"

class TKeyComboBox : public QComboBox, public IFocusChainMember, public TValueCodeBinding {
  Q_OBJECT

 public:
  explicit TKeyComboBox(QWidget* parent = nullptr);

  // Carried for the forms; the list itself never reads it.
  bool MoveFocus() const { return moveFocus_; }
  void SetMoveFocus(bool v) { moveFocus_ = v; }

  // Whether the list is open; setting it opens or closes the list.
  bool DroppedDown() const;
  void SetDroppedDown(bool open);
  // The selection Esc restores: the one on entering, or the one confirmed last.
  int EntryIndex() const { return entryIndex_; }
  void SetEntryIndex(int index) { entryIndex_ = index; }

  void showPopup() override;

 signals:
  // The form's Enter (see above).
  void enterPressed();
  // The user changed the selection (keyboard, wheel, or a pick from the open list).
  void userChanged(int index);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void PressEnter();
  void Change(bool listOpen);
  void SelectByUser(int index);
  static bool IsListKey(const QKeyEvent* e);
  void ListKeyPress(QKeyEvent* e);
  void ForwardToList(QKeyEvent* e);
  void OnActivated();
  bool IntoList() const;
  void Leave();

  int entryIndex_ = 0;
  bool changed_ = false;  // list opened or selection changed: Enter confirms instead of opening
  bool moveFocus_ = true;
  bool inside_ = false;      // between entering and leaving
  bool forwarding_ = false;  // a key is being handed to the open list itself
};

#pragma once
// Return and Enter in the program's dialogs. Their push buttons do not become the default by
// taking the focus (auto-default off), so that Enter in a field, which confirms the field and
// moves on, never presses a button as well. The dialog presses the focused button on Return
// instead; elsewhere Return goes to the dialog's default button where it has one.
class QKeyEvent;
class QWidget;

// Return or Enter while a push button of `window` has the focus and is enabled and visible:
// clicks it and takes the key. False, and nothing done, for any other key or focus.
bool PressFocusedButton(QWidget* window, QKeyEvent* e);

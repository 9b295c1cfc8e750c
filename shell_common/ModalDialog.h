#pragma once
// Base of the small modal dialogs: they end with the modal result OK (1) or Cancel (2); Esc
// and the window's close button end as Cancel. Return presses the focused button, or else the
// dialog's default button where it has one.
#include <QDialog>

class QPushButton;

class TModalDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int mrOk = 1;
  static constexpr int mrCancel = 2;

  explicit TModalDialog(QWidget* owner, Qt::WindowFlags flags = {});
  // Shows the dialog modally; returns mrOk or mrCancel.
  int ShowModal();

 protected:
  // A button that closes the dialog with `result`.
  QPushButton* AddCloseButton(const QString& text, const QString& name, int result);
  void done(int r) override;
  void keyPressEvent(QKeyEvent* e) override;

 public:
  // Scales the dialog to the screen before its first show places it (a window that scaled
  // itself keeps its size). Closed, it gives the activation back to the window that had it.
  void setVisible(bool visible) override;
};

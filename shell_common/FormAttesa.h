#pragma once
// The wait window shown around a long operation: a message, a progress bar with its percentage
// text and a running animation. Progress arrives through SetProgress or WM_PROGRESS.
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class TAnimate;

class TFormAttesa : public QDialog {
  Q_OBJECT
 public:
  explicit TFormAttesa(QWidget* owner = nullptr);

  QLabel* Label1;
  QProgressBar* ProgressBar1;
  QLabel* Label2;
  TAnimate* Animate1;
  QPushButton* Button1;

  // The text shown after the percentage (for example " Completato ").
  void SetSuffix(const QString& suffix) { suffix_ = suffix; }
  const QString& Suffix() const { return suffix_; }

  // set: the position becomes amount; otherwise amount is added. Label2 shows the position,
  // "% " and the suffix and is painted at once.
  void SetProgress(int amount, bool set);

  // While the window exists: the application coming back active restores its minimised
  // windows.
  void ApplicationActivated();

  // Scales the window to the screen before it shows, at the size its contents need (the user
  // does not resize it).
  void setVisible(bool visible) override;

  // While shown, the window grows with what its caller puts in it (a longer caption, message
  // or progress text), so nothing of it is cut; at once with each progress step, since the
  // caller's pass holds the event loop.
  bool event(QEvent* e) override;

 protected:
  // The text rows keep the height of the font's full line, ascent and descent, at the scale
  // the window gets: the progress text comes while the caller's pass holds the event loop, in
  // a row laid out before it had any text.
  void changeEvent(QEvent* e) override;
  // WM_PROGRESS: lParam 0 sets, any other value adds; then every form paints at once.
  void customEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void ShowPosition(int position);

  QString suffix_;
  QMetaObject::Connection activation_;
};

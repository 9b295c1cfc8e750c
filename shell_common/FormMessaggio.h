#pragma once
// A plain notice shown while the caller works: a caption and one message.
#include <QDialog>

class QLabel;

class TFormMessaggio : public QDialog {
  Q_OBJECT
 public:
  explicit TFormMessaggio(QWidget* owner = nullptr);
  QLabel* Messaggio;

  // Scales the window to the screen before it shows.
  void setVisible(bool visible) override;
};

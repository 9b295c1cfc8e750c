#pragma once
// The wait window's animation: a turning search mark, drawn while active. A video file name can
// be given as on the platform's control; no video decoder is part of the program, so the
// standard animation plays in its place.
#include <QString>
#include <QTimer>
#include <QWidget>

class TAnimate : public QWidget {
  Q_OBJECT
 public:
  explicit TAnimate(QWidget* parent = nullptr);
  void SetFileName(const QString& fileName) { fileName_ = fileName; }
  const QString& FileName() const { return fileName_; }
  void SetActive(bool active);
  bool Active() const { return timer_.isActive(); }
  int Frame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QTimer timer_;
  QString fileName_;
  int frame_ = 0;
};

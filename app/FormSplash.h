#pragma once
// The start-up splash: the product picture, with a connection label and a progress bar that
// appear with the first progress message.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>

class QLabel;
class QProgressBar;

class TFormSplash : public QWidget {
  Q_OBJECT
 public:
  // Frameless, on top, centred on the screen; the picture sets its size.
  explicit TFormSplash(QWidget* owner = nullptr);

  QLabel* Tarn;
  QLabel* LabelConnessione;
  QProgressBar* ProgressBar;

 protected:
  // WM_PROGRESS: shows the label and the bar, then sets or adds to the bar (0..100) and paints.
  void customEvent(QEvent* e) override;
};

// The splash of the program's start: shown while the main window is made, kept up at least
// kSplashMinimumMs from when it showed, and removed at the first idle moment of the message loop
// (when the loop would wait for the next event).
constexpr uint32_t kSplashMinimumMs = 3000;

class TStartupSplash : public QObject {
  Q_OBJECT
 public:
  // Creates the splash owned by owner, shows and paints it, takes the tick count, sets the
  // start-up cursor and starts watching for the first idle moment.
  explicit TStartupSplash(QWidget* owner);
  ~TStartupSplash() override;

  TFormSplash* Splash() const { return splash_; }
  bool IsUp() const { return !splash_.isNull(); }
  uint32_t SplashTick() const { return tick_; }
  // Blocks, without processing messages, until the tick count reaches SplashTick() + ms.
  void WaitMinimum(uint32_t ms = kSplashMinimumMs) const;
  // Closes and deletes the splash, stops watching for idle, cursor back to default.
  void Close();

 private:
  QPointer<TFormSplash> splash_;
  QMetaObject::Connection idle_;
  uint32_t tick_ = 0;
};

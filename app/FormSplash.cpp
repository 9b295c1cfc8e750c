#include "FormSplash.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>

#include "Clock.h"
#include "JpegImage.h"
#include "PrivateMessage.h"
#include "Progress.h"
#include "ShowActive.h"

namespace {
constexpr int kDefaultWidth = 480;
constexpr int kDefaultHeight = 300;
}  // namespace

TFormSplash::TFormSplash(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Tarn(new QLabel(this)),
      LabelConnessione(new QLabel(QStringLiteral("Connessione in corso..."), this)),
      ProgressBar(new QProgressBar(this)) {
  setObjectName(QStringLiteral("FormSplash"));
  const QImage picture = SplashPicture();
  const QSize size = picture.isNull() ? QSize(kDefaultWidth, kDefaultHeight) : picture.size();
  setFixedSize(size);
  Tarn->setObjectName(QStringLiteral("Tarn"));
  Tarn->setGeometry(0, 0, size.width(), size.height());
  Tarn->setScaledContents(true);
  if (!picture.isNull()) Tarn->setPixmap(QPixmap::fromImage(picture));

  LabelConnessione->setObjectName(QStringLiteral("LabelConnessione"));
  LabelConnessione->setGeometry(20, size.height() - 62, size.width() - 40, 22);
  LabelConnessione->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
  LabelConnessione->hide();

  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setGeometry(20, size.height() - 34, size.width() - 40, 16);
  ProgressBar->setRange(0, kProgressMax);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  ProgressBar->hide();

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TFormSplash::customEvent(QEvent* e) {
  const PrivateMessageEvent* m = AsPrivateMessage(e, WM_PROGRESS);
  if (!m) {
    QWidget::customEvent(e);
    return;
  }
  if (LabelConnessione->isHidden()) {
    LabelConnessione->show();
    ProgressBar->show();
  }
  ProgressBar->setValue(NextProgress(ProgressBar->value(), m->WParam(), m->LParam()));
  repaint();
}

TStartupSplash::TStartupSplash(QWidget* owner) : splash_(new TFormSplash(owner)) {
  QApplication::setOverrideCursor(Qt::BusyCursor);
  splash_->show();
  splash_->repaint();
  tick_ = Clock().GetTickCount();
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    idle_ = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
      // Waiting for a window to come up on the screen is not the message loop's idle moment.
      if (!ShowActiveWaiting()) Close();
    });
}

TStartupSplash::~TStartupSplash() { Close(); }

void TStartupSplash::WaitMinimum(uint32_t ms) const {
  for (;;) {
    const uint32_t elapsed = Clock().GetTickCount() - tick_;
    if (elapsed >= ms) return;
    Clock().Sleep(ms - elapsed);
  }
}

void TStartupSplash::Close() {
  if (idle_) {
    disconnect(idle_);
    idle_ = {};
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
  delete splash_.data();
}

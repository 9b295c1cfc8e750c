#include "SingleInstance.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include "BrandProfile.h"

namespace {
constexpr int kConnectTimeoutMs = 2000;
const QByteArray kActivate = QByteArrayLiteral("activate\n");
}  // namespace

TSingleInstance::TSingleInstance(const QString& name) : name_(name) {}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
}

bool TSingleInstance::Claim() {
  {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kConnectTimeoutMs)) {
      probe.write(kActivate);
      probe.waitForBytesWritten(kConnectTimeoutMs);
      probe.disconnectFromServer();
      return false;
    }
  }
  // Nobody answers: a name left behind by an instance that did not end cleanly is taken over.
  QLocalServer::removeServer(name_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // The name cannot be held (another start won the race, or the folder is not writable):
    // run all the same rather than refuse to start.
    return true;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      auto handle = [this, peer] {
        if (peer->readAll().contains(kActivate.trimmed())) {
          BringInstanceForward();
          emit ActivationRequested();
        }
      };
      connect(peer, &QLocalSocket::readyRead, this, handle);
      if (peer->bytesAvailable() > 0) handle();
    }
  });
  return true;
}

void BringInstanceForward() {
  const QString title = QString::fromLatin1(GetBrandTitle());
  QWidget* main = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isWindow() && w->windowTitle() == title && w->isVisible()) {
      main = w;
      break;
    }
  if (!main) return;
  if (main->windowState() & Qt::WindowMinimized)
    main->setWindowState((main->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  main->raise();
  main->activateWindow();
  QWidget* popup = QApplication::activeModalWidget();
  if (popup && popup != main) {
    popup->raise();
    popup->activateWindow();
  }
}

#pragma once
// One running instance per user: the first start holds a local server under a fixed name; a
// later start finds it, asks it to come forward and ends.
#include <QObject>
#include <QString>

class QLocalServer;

constexpr const char* kInstanceName = "Mutex2001";

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit TSingleInstance(const QString& name = QString::fromLatin1(kInstanceName));
  ~TSingleInstance() override;

  // True: this process now holds the name (kept until the object goes) and brings its main
  // window forward whenever a later start asks. False: another instance holds it and has been
  // asked to come forward.
  bool Claim();

 signals:
  void ActivationRequested();

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
};

// Brings the application window of this instance forward: the top-level window titled with
// the product title, restored when minimised; an open modal dialog comes above it.
void BringInstanceForward();

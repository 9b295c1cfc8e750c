#pragma once
// Keeps ECU values fresh on screen: widgets and data objects register for a serial code (and
// an optional row index) and a period; the refresh thread delivers to them on the main thread
// (see TRefreshThread). The refresher starts disabled: set Enabled to true to start it.
//
// Packet buffer layout (codes with 0x800): bytes 0-3 the int32 size, the packet data from
// byte 4. Other codes: the int32 values as ReadVariable or ReadRow delivers them.
#include <QObject>
#include <QPointer>
#include <memory>

#include "KivConnection.h"
#include "RefreshThread.h"

class TDataRefresher : public QObject {
 public:
  explicit TDataRefresher(QObject* owner = nullptr);
  // Removes every registration, stops the thread and waits for it to end.
  ~TDataRefresher() override;
  TDataRefresher(const TDataRefresher&) = delete;
  TDataRefresher& operator=(const TDataRefresher&) = delete;

  // period in ms (>= 1); index -1 reads the code with ReadVariable, >= 0 with ReadRow. Adding
  // a registrant again changes its period and makes it due at the next pass.
  bool AddRefresh(QObject* target, int period, int code, int index);
  void RemoveRefresh(QObject* target, int code, int index);
  void SuspendRefresh(QObject* target, int code, int index);
  void ResumeRefresh(QObject* target, int code, int index);
  void RemoveAll();

  // Processes the pending events first, then tells whether the thread is running (not parked).
  bool GetEnabled();
  void SetEnabled(bool v);
  int SleepTime() const { return sleepTime_; }
  // v <= 0 is ignored.
  void SetSleepTime(int v);
  TThreadPriority Priority() const { return priority_; }
  void SetPriority(TThreadPriority p);
  TKivConnection* Connection() const { return connection_; }
  void SetConnection(TKivConnection* c);

  TRefreshThread* Thread() const { return thread_.get(); }

 private:
  int sleepTime_ = 20;
  TThreadPriority priority_ = tpNormal;
  QPointer<TKivConnection> connection_;
  std::unique_ptr<TRefreshThread> thread_;
};

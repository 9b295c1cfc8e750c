#pragma once
// The worker of the refresher: it wakes every SleepTime ms and hands a refresh pass to the
// main thread, then waits for that pass to finish. The pass (main thread) reads each due group
// once through the link and delivers the read buffer to every due registrant: a widget gets
// WM_DATAAVAILABLE (wParam = the buffer, sent synchronously), a data object UpdateData(buffer).
//
// Locks: the thread's own lock guards the groups, the enabled flag, the sleep time and the
// connection; during a pass it is held throughout and the connection's link lock is taken
// inside it around each read. No path takes them in the other order.
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "KivConnection.h"

// Scheduling priority of the worker thread. On Linux it maps to the thread's nice value
// (tpIdle to the idle policy); a rise above normal needs the privilege to do so and is otherwise
// left at normal.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

struct RefreshItem {
  uint8_t active = 1;
  uint32_t lastTick = 0;  // 0 = never delivered
  int period = 0;
  QPointer<QObject> target;  // not owned; a target deleted meanwhile is skipped
  bool removed = false;      // removed during a pass; purged when the pass ends
};

struct REFRESH_ELEMENT {
  int code = 0;
  int index = -1;
  int capacity = 1;  // in int32 units
  std::vector<int32_t> buffer;
  std::vector<std::unique_ptr<RefreshItem>> items;
};

class TRefreshThread : public QObject {
  Q_OBJECT
 public:
  // suspended: the worker starts parked (disabled) until SetEnabled(true). A sleep time of 20
  // or less gives 20.
  TRefreshThread(bool suspended, TThreadPriority priority, int sleepTime);
  // Requests termination (waking a parked worker) and waits for it to end.
  ~TRefreshThread() override;
  TRefreshThread(const TRefreshThread&) = delete;
  TRefreshThread& operator=(const TRefreshThread&) = delete;

  bool AddRefresh(QObject* target, int period, int code, int index);
  void RemoveRefresh(QObject* target, int code, int index);
  void SuspendRefresh(QObject* target, int code, int index);
  void ResumeRefresh(QObject* target, int code, int index);
  void RemoveAll();
  void SetEnabled(bool v);
  bool Enabled();
  // The worker is parked (disabled, or not yet enabled).
  bool Suspended();
  void SetSleepTime(int v);
  int SleepTime();
  void SetConnection(TKivConnection* c);
  // Stores the priority and sets it on the worker; false when the system refused it.
  bool SetPriority(TThreadPriority p);
  TThreadPriority Priority();
  // The worker's system thread id once it runs, else 0 (for inspection).
  long WorkerThreadId();

  // One refresh pass; runs on the main thread (the worker requests it there).
  void RefreshPass();
  // Number of groups and of live registrations (for inspection).
  int GroupCount();
  int ItemCount();

  // Buffer capacity of a group for a code, in int32: 64 for array and packet codes, else 1;
  // never fewer than the element count of the code.
  static int CapacityFor(int code);

 private:
  // The pass the worker requested, then the worker is let go.
  Q_INVOKABLE void RunPass();
  void Execute();
  bool ReadGroup(REFRESH_ELEMENT& group);
  // Sets priority_ on the worker (lock held, worker started).
  bool ApplyPriority();
  REFRESH_ELEMENT* FindGroup(int code, int index);
  RefreshItem* FindItem(QObject* target, int code, int index);
  // Drops removed items and empty groups (not while a pass walks them).
  void Purge();

  std::recursive_mutex lock_;
  std::condition_variable_any wake_;
  TThreadPriority priority_ = tpNormal;
  bool enabled_ = false;
  bool suspended_ = false;
  bool terminated_ = false;
  bool passPending_ = false;
  bool passing_ = false;
  long workerTid_ = 0;
  int sleepTime_ = 20;
  QPointer<TKivConnection> connection_;
  std::vector<std::unique_ptr<REFRESH_ELEMENT>> groups_;
  std::thread worker_;
};

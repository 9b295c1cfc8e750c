#include "RefreshThread.h"

#include <QWidget>
#include <algorithm>
#include <cstring>
#ifdef __linux__
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "Clock.h"
#include "PrivateMessage.h"
#include "SerialData.h"
#include "SerialWord.h"

TRefreshThread::TRefreshThread(bool suspended, TThreadPriority priority, int sleepTime)
    : priority_(priority),
      enabled_(!suspended),
      suspended_(suspended),
      sleepTime_(sleepTime > 20 ? sleepTime : 20) {
  worker_ = std::thread([this] { Execute(); });
}

TRefreshThread::~TRefreshThread() {
  {
    std::lock_guard<std::recursive_mutex> lk(lock_);
    terminated_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
  // A pass requested but not run yet is dropped with this object's pending events.
  std::lock_guard<std::recursive_mutex> lk(lock_);
  groups_.clear();
}

void TRefreshThread::Execute() {
  std::unique_lock<std::recursive_mutex> lk(lock_);
#ifdef __linux__
  workerTid_ = static_cast<long>(gettid());
#endif
  ApplyPriority();
  while (!terminated_) {
    if (!enabled_) {
      suspended_ = true;
      wake_.wait(lk, [this] { return enabled_ || terminated_; });
      continue;
    }
    const int sleep = sleepTime_;
    lk.unlock();
    Clock().Sleep(static_cast<uint32_t>(std::max(sleep, 0)));
    lk.lock();
    if (terminated_) break;
    // Synchronize: the pass runs on the main thread, and the worker waits for it.
    passPending_ = true;
    // Queued by name: the call record is Qt's own, made and read under its event-queue lock.
    QMetaObject::invokeMethod(this, "RunPass", Qt::QueuedConnection);
    wake_.wait(lk, [this] { return !passPending_ || terminated_; });
  }
}

void TRefreshThread::RunPass() {
  RefreshPass();
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    passPending_ = false;
  }
  wake_.notify_all();
}

bool TRefreshThread::ApplyPriority() {
#ifdef __linux__
  if (workerTid_ == 0) return true;  // the worker applies it when it starts
  const pid_t tid = static_cast<pid_t>(workerTid_);
  sched_param param{};
  param.sched_priority = 0;
  // The idle class is a policy of its own; every other level is a nice value of the normal one.
  const int policy = priority_ == tpIdle ? SCHED_IDLE : SCHED_OTHER;
  if (sched_setscheduler(tid, policy, &param) != 0) return false;
  static const int kNice[] = {19, 10, 5, 0, -5, -10, -20};
  const int nice = kNice[std::clamp(static_cast<int>(priority_), 0, 6)];
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0) return true;
  // Not allowed to rise above normal: stay at normal.
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 0);
  return false;
#else
  return true;
#endif
}

bool TRefreshThread::SetPriority(TThreadPriority p) {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  priority_ = p;
  return ApplyPriority();
}

TThreadPriority TRefreshThread::Priority() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  return priority_;
}

long TRefreshThread::WorkerThreadId() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  return workerTid_;
}

int TRefreshThread::CapacityFor(int code) {
  if (SerialWord::IsPacket(code)) return 64;
  // A row read delivers as many elements as the count bits say, array bit or not.
  const int count = (code >> 12) & 0xFF;
  return std::max(SerialWord::IsArray(code) ? 64 : 1, count);
}

bool TRefreshThread::ReadGroup(REFRESH_ELEMENT& group) {
  if (!connection_ || !connection_->Loaded()) return false;
  TSerialLink* link = connection_->LinkObject();
  if (SerialWord::IsPacket(group.code)) {
    int32_t* size = group.buffer.data();
    *size = group.capacity;
    return link->ReadPacket(group.code, reinterpret_cast<uint8_t*>(group.buffer.data() + 1), size);
  }
  if (group.index < 0) return link->ReadVariable(group.code, group.buffer.data());
  return link->ReadRow(group.code, group.buffer.data(), group.index);
}

void TRefreshThread::RefreshPass() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  if (!enabled_ || !connection_ || !connection_->Loaded() || connection_->LinkObject()->IsLinkOpen() == 0)
    return;
  const uint32_t now = Clock().GetTickCount();
  passing_ = true;
  // Deliveries may add or remove registrations: walk by index, removals only mark.
  for (size_t gi = 0; gi < groups_.size(); ++gi) {
    REFRESH_ELEMENT* group = groups_[gi].get();
    bool read = false;
    for (size_t ii = 0; ii < group->items.size(); ++ii) {
      RefreshItem* item = group->items[ii].get();
      // Last tick 0 means never delivered: due at once, however early in the tick count.
      const bool due = item->lastTick == 0 || item->lastTick + static_cast<uint32_t>(item->period) < now;
      if (!item->active || item->removed || !due) continue;
      if (!read) {
        if (!connection_) break;
        TLinkGuard guard(*connection_);
        read = ReadGroup(*group);
      }
      if (!read) continue;
      QObject* target = item->target.data();
      if (!target) continue;
      if (auto* w = qobject_cast<QWidget*>(target))
        SendPrivateMessage(w, WM_DATAAVAILABLE, reinterpret_cast<intptr_t>(group->buffer.data()), 0);
      else if (auto* data = dynamic_cast<TKivSerialData*>(target))
        data->UpdateData(group->buffer.data());
      item->lastTick = now;
    }
  }
  passing_ = false;
  Purge();
}

REFRESH_ELEMENT* TRefreshThread::FindGroup(int code, int index) {
  for (auto& g : groups_)
    if (g->code == code && g->index == index) return g.get();
  return nullptr;
}

RefreshItem* TRefreshThread::FindItem(QObject* target, int code, int index) {
  REFRESH_ELEMENT* g = FindGroup(code, index);
  if (!g) return nullptr;
  for (auto& it : g->items)
    if (it->target == target && !it->removed) return it.get();
  return nullptr;
}

bool TRefreshThread::AddRefresh(QObject* target, int period, int code, int index) {
  if (period < 1) return false;
  std::lock_guard<std::recursive_mutex> lk(lock_);
  REFRESH_ELEMENT* g = FindGroup(code, index);
  if (!g) {
    auto group = std::make_unique<REFRESH_ELEMENT>();
    group->code = code;
    group->index = index;
    group->capacity = CapacityFor(code);
    group->buffer.assign(static_cast<size_t>(group->capacity), 0);
    g = group.get();
    groups_.push_back(std::move(group));
  }
  if (RefreshItem* it = FindItem(target, code, index)) {
    it->lastTick = 0;
    it->period = period;
    return true;
  }
  auto item = std::make_unique<RefreshItem>();
  item->period = period;
  item->target = target;
  g->items.push_back(std::move(item));
  return true;
}

void TRefreshThread::RemoveRefresh(QObject* target, int code, int index) {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  if (RefreshItem* it = FindItem(target, code, index)) it->removed = true;
  Purge();
}

void TRefreshThread::SuspendRefresh(QObject* target, int code, int index) {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  if (RefreshItem* it = FindItem(target, code, index)) it->active = 0;
}

void TRefreshThread::ResumeRefresh(QObject* target, int code, int index) {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  if (RefreshItem* it = FindItem(target, code, index)) it->active = 1;
}

void TRefreshThread::RemoveAll() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  for (auto& g : groups_)
    for (auto& it : g->items) it->removed = true;
  Purge();
}

void TRefreshThread::Purge() {
  if (passing_) return;
  for (auto& g : groups_)
    std::erase_if(g->items, [](const std::unique_ptr<RefreshItem>& it) { return it->removed; });
  std::erase_if(groups_, [](const std::unique_ptr<REFRESH_ELEMENT>& g) { return g->items.empty(); });
}

void TRefreshThread::SetEnabled(bool v) {
  {
    std::lock_guard<std::recursive_mutex> lk(lock_);
    enabled_ = v;
    // Resuming takes effect at once; a disabled worker parks itself at its next test.
    if (v) suspended_ = false;
  }
  if (v) wake_.notify_all();
}

bool TRefreshThread::Enabled() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  return enabled_;
}

bool TRefreshThread::Suspended() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  return suspended_;
}

void TRefreshThread::SetSleepTime(int v) {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  sleepTime_ = v;
}

int TRefreshThread::SleepTime() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  return sleepTime_;
}

void TRefreshThread::SetConnection(TKivConnection* c) {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  connection_ = c;
}

int TRefreshThread::GroupCount() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  return static_cast<int>(groups_.size());
}

int TRefreshThread::ItemCount() {
  std::lock_guard<std::recursive_mutex> lk(lock_);
  int n = 0;
  for (auto& g : groups_)
    n += static_cast<int>(
        std::count_if(g->items.begin(), g->items.end(), [](const auto& it) { return !it->removed; }));
  return n;
}

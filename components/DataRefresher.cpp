#include "DataRefresher.h"

#include <QCoreApplication>

TDataRefresher::TDataRefresher(QObject* owner)
    : QObject(owner), thread_(std::make_unique<TRefreshThread>(true, tpNormal, sleepTime_)) {}

TDataRefresher::~TDataRefresher() {
  thread_->RemoveAll();
  thread_.reset();
}

bool TDataRefresher::AddRefresh(QObject* target, int period, int code, int index) {
  return thread_->AddRefresh(target, period, code, index);
}

void TDataRefresher::RemoveRefresh(QObject* target, int code, int index) {
  thread_->RemoveRefresh(target, code, index);
}

void TDataRefresher::SuspendRefresh(QObject* target, int code, int index) {
  thread_->SuspendRefresh(target, code, index);
}

void TDataRefresher::ResumeRefresh(QObject* target, int code, int index) {
  thread_->ResumeRefresh(target, code, index);
}

void TDataRefresher::RemoveAll() { thread_->RemoveAll(); }

bool TDataRefresher::GetEnabled() {
  QCoreApplication::processEvents();
  return thread_ && !thread_->Suspended();
}

void TDataRefresher::SetEnabled(bool v) { thread_->SetEnabled(v); }

void TDataRefresher::SetSleepTime(int v) {
  if (v <= 0) return;
  sleepTime_ = v;
  thread_->SetSleepTime(v);
}

void TDataRefresher::SetPriority(TThreadPriority p) {
  priority_ = p;
  thread_->SetPriority(p);
}

void TDataRefresher::SetConnection(TKivConnection* c) {
  connection_ = c;
  thread_->SetConnection(c);
}

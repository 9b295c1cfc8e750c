#pragma once
// One value cut out of a data packet that the refresher reads periodically. Read-only: its
// value changes only through the refresher's delivery (UpdateData) and InitData.
#include <QMetaObject>
#include <QPointer>

#include "DataRefresher.h"
#include "SerialData.h"

class TKivPacketData : public TKivSerialData {
 public:
  explicit TKivPacketData(QObject* owner = nullptr);
  TKivPacketData(QObject* owner, int code);
  ~TKivPacketData() override;

  double GetDouble() { return ConvertValueToUser(raw_); }
  // The value plus 0.5, truncated toward zero.
  int GetInt();
  int RawValue() const { return raw_; }
  // Sets the held value from a user value and refreshes the bound controls.
  void InitData(double value);

  bool Active() const { return active_; }
  // Registers with the refresher on first use, then resumes or suspends the delivery.
  void SetActive(bool b);
  int Offset() const { return offset_; }
  void SetOffset(int v) { offset_ = v; }
  int TimeInterval() const { return timeInterval_; }
  // Below 20 ms is refused.
  void SetTimeInterval(int v);
  void SetSerialCode(int v) override;
  TDataRefresher* DataRefresher() const { return refresher_; }
  void SetDataRefresher(TDataRefresher* r);
  bool Registered() const { return registered_; }

  void AllocateMemory() override { raw_ = 0; }
  void DeallocateMemory() override {}
  bool Reload() override { return false; }
  void BackupData() override {}
  void DiscardBackup() override {}
  void RestoreBackup() override {}
  void Download() override {}
  bool WriteToFile(IniFile*) override { return false; }
  bool ReadFromFile(IniFile*) override { return false; }
  // Packet data start at byte 4 of the buffer; the value sits at Offset within them.
  void UpdateData(const void* buffer) override;
  bool ResetDefault(bool) override { return false; }

  // Size of the packet data in a refresher buffer.
  static constexpr int kPacketBytes = 252;

 private:
  void Reset();
  void ForgetRefresher();

  int raw_ = 0;
  bool active_ = false;
  int offset_ = 0;
  bool registered_ = false;
  // The word the registration was made under (the width and sign bits may change later).
  int registeredWord_ = 0;
  int timeInterval_ = 1000;
  QPointer<TDataRefresher> refresher_;
  QMetaObject::Connection refresherGone_;
};

#pragma once
// One ECU value: a scalar variable, one element of a vector, one cell of a table, or a value
// at an ECU address. It is read and written through the link on demand.
#include "SerialData.h"

enum TNumberType { ntSingle, ntVectorElement, ntMatrixElement };

class TKivNumber : public TKivSerialData {
 public:
  explicit TKivNumber(QObject* owner = nullptr);
  // row and col are taken only when >= 0.
  TKivNumber(QObject* owner, int code, int row = -1, int col = -1);

  // Reads the value (unless held data are current); a failed read keeps the held value.
  bool GetData(double* value);
  // Converts and writes; a read-only number refreshes its controls and refuses.
  bool SetData(double value);
  // Writes a raw value, merged into the held bits when the mask is partial.
  bool SetEcuData(int raw);
  bool SetDataInEcu(int raw);
  // Sets the held raw value as current, without a transfer or an event.
  void InitData(const int* raw);

  // The user value read through GetData.
  double GetDouble();
  void SetDouble(double v) { SetData(v); }
  // The user value plus 0.5, truncated toward zero.
  int GetInt();
  void SetInt(int v) { SetData(v); }
  // The held raw value, as it stands.
  int RawValue() const { return raw_; }

  TNumberType Type() const;
  void SetNumberType(TNumberType t);
  int RowIndex() const { return rowIndex_; }
  void SetIndexRow(int v);
  int ColIndex() const { return colIndex_; }
  void SetIndexCol(int v);
  bool ByAddress = false;
  int Address = 0;
  double DefaultValue = 0;

  void AllocateMemory() override;
  void DeallocateMemory() override {}
  bool Reload() override;
  void BackupData() override { backup_ = raw_; }
  void DiscardBackup() override {}
  void RestoreBackup() override { raw_ = backup_; }
  void Download() override;
  // Keys: FileKeyName, FileKeyName + row, or FileKeyName + row + "_" + col.
  bool WriteToFile(IniFile* ini) override;
  bool ReadFromFile(IniFile* ini) override;
  // The first 1 or 2 bytes of the buffer are the raw value.
  void UpdateData(const void* buffer) override;
  bool ResetDefault(bool toEcu) override;

 private:
  std::string IniKey() const;
  // Refuses a value that has no raw form: reported, the controls show the held value again.
  bool RefuseSentinel(int raw);

  int rowIndex_ = -1;
  int colIndex_ = -1;
  int raw_ = 0;
  int backup_ = 0;
};

#pragma once
// The common part of vectors and tables: held raw values, default values and the backup kept
// during a read, all flat (a table row by row), and the per-element INI exchange.
#include <optional>
#include <string>
#include <vector>

#include "SerialData.h"

class TKivArrayData : public TKivSerialData {
 public:
  TKivArrayData(QObject* owner, int code, SerialDataType kind);

  void AllocateMemory() override;
  void DeallocateMemory() override;
  void BackupData() override { backup_ = raw_; }
  void DiscardBackup() override { backup_.reset(); }
  void RestoreBackup() override;
  void Download() override;
  void UpdateData(const void*) override {}
  bool ResetDefault(bool toEcu) override;
  bool WriteToFile(IniFile* ini) override;
  bool ReadFromFile(IniFile* ini) override;

  // Number of held elements (cells of a table).
  int CellCount() const { return static_cast<int>(raw_.size()); }
  // Held raw values, row by row.
  const std::vector<int>& RawValues() const { return raw_; }
  // Writes all held elements from raws (CellCount values) through the link.
  virtual bool SetDataInEcu(const int* raws) = 0;
  // Writes raw values (CellCount of them), merged into the held bits when the mask is partial.
  bool SetEcuData(const int* raws);
  // Converts every user value (CellCount of them) and writes them all.
  bool SetData(const double* values);
  // Reads every element; a failed read keeps the held values. values gets CellCount values.
  bool GetData(double* values);

 protected:
  virtual int Cells() const = 0;
  virtual std::string ElementKey(int i) const = 0;
  // Reads element i again, keeping the others as held; a failed read keeps element i.
  bool ReloadOne(int i, double* value);
  // Converts values[k] for the held cells cells[k] and writes them with `transfer` (the raws
  // in the same order). Without a link: vectorStyle stores, reports and succeeds; otherwise a
  // missing connection stores and succeeds silently and a library that does not load reports
  // and fails, storing nothing.
  bool WriteSome(const std::vector<int>& cells, const double* values, bool vectorStyle,
                 const std::function<bool(TSerialLink&, const std::vector<int>&)>& transfer);
  // Converts user values; false (reported, controls refreshed) when one has no raw form.
  bool ConvertAll(const double* values, std::vector<int>& raws);

  std::vector<int> raw_;
  std::vector<double> default_;
  std::optional<std::vector<int>> backup_;
};

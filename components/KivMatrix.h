#pragma once
// A table of RowCount rows and ColCount columns of one ECU item. Every change of its
// dimensions is told to the bound controls with WM_CHANGEDATADIM (wParam = ColCount,
// lParam = RowCount). The transfers follow the table's shape: 1x1, one column, one row, table.
#include "KivArrayData.h"

enum TMatrixType { mtSingle, mtVector, mtMatrix };

class TKivMatrix : public TKivArrayData {
 public:
  explicit TKivMatrix(QObject* owner = nullptr);
  TKivMatrix(QObject* owner, int code);
  ~TKivMatrix() override;

  // The whole table: values holds RowCount row pointers of ColCount values each.
  bool GetData(double** values);
  bool SetData(double** values);
  // One row (ColCount values) or one cell; outside the table: false, output untouched.
  bool GetData(double* rowValues, int row);
  bool SetData(double* rowValues, int row);
  bool GetData(double* value, int row, int col);
  bool SetData(double value, int row, int col);
  bool SetEcuData(int** raws);
  bool SetDataInEcu(int** raws);
  bool SetDataInEcu(const int* raws) override;
  bool Reload() override;

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  void SetColumnDimension(int v);
  void SetRowDimension(int v);
  TMatrixType Type() const;
  void SetMatrixType(TMatrixType t);
  bool ByAddress = false;
  int Address = 0;

  // Held raw value of a cell (0 outside the table).
  int RawCell(int row, int col) const;
  double GetDefValue(int row, int col) const;
  void SetDefValue(int row, int col, double v);

 protected:
  int Cells() const override { return rowCount_ * colCount_; }
  std::string ElementKey(int i) const override;

 private:
  bool Inside(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_; }
  int CellIndex(int row, int col) const { return row * colCount_ + col; }
  int CellAddress(int row, int col) const { return Address + CellIndex(row, col) * DataLength(); }
  int Word0() const { return SerialWord() & ~0x100; }
  // Writes the given cells (their raws in the same order) by the table's shape.
  bool WriteCells(TSerialLink& link, const std::vector<int>& cells, const std::vector<int>& raws);
  void DimensionsChanged();

  int colCount_ = 1;
  int rowCount_ = 1;
};

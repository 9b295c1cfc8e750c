#pragma once
// A one-dimensional array of one ECU item: a whole vector variable, one row of a table
// (vtMatrixRow) or one column of a table (vtMatrixCol).
#include "KivArrayData.h"

enum TVectorType { vtSingle, vtMatrixRow, vtMatrixCol };

class TKivVector : public TKivArrayData {
 public:
  explicit TKivVector(QObject* owner = nullptr);
  // row and col are taken only when >= 0.
  TKivVector(QObject* owner, int code, int row = -1, int col = -1);
  ~TKivVector() override;

  using TKivArrayData::GetData;
  using TKivArrayData::SetData;
  // One element: index >= dimension gives 0.0 and false.
  bool GetData(double* value, unsigned index);
  bool SetData(double value, unsigned index);
  bool SetDataInEcu(const int* raws) override;
  bool Reload() override;

  int ArrayDimension() const { return dimension_; }
  // v > 0 only; values above 255 keep their low byte. Values and defaults become 0.
  void SetArrayDimension(int v);
  TVectorType Type() const;
  void SetVectorType(TVectorType t);
  int RowIndex() const { return rowIndex_; }
  void SetRowIndex(int v);
  int ColIndex() const { return colIndex_; }
  void SetColIndex(int v);
  bool ByAddress = false;
  int Address = 0;

  double GetDefValue(int index) const;
  void SetDefValue(int index, double value);

 protected:
  int Cells() const override { return dimension_; }
  // vtSingle: key + i; vtMatrixRow: key + RowIndex + "_" + i; vtMatrixCol: key + i + "_" + ColIndex.
  std::string ElementKey(int i) const override;

 private:
  int dimension_ = 1;
  int rowIndex_ = -1;
  int colIndex_ = -1;
};

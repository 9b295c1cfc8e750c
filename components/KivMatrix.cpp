#include "KivMatrix.h"

#include "SerialWord.h"

TKivMatrix::TKivMatrix(QObject* owner) : TKivMatrix(owner, 0) {}

TKivMatrix::TKivMatrix(QObject* owner, int code) : TKivArrayData(owner, code, sdMatrix) {
  SetWordBits(SerialWord::kArray | 0xFF000, SerialWord::kArray | (colCount_ << 12));
  AllocateMemory();
}

TKivMatrix::~TKivMatrix() {
  DeallocateMemory();
  DiscardBackup();
}

TMatrixType TKivMatrix::Type() const {
  if (colCount_ > 1 && rowCount_ > 1) return mtMatrix;
  if (colCount_ == 1 && rowCount_ == 1) return mtSingle;
  return mtVector;
}

void TKivMatrix::DimensionsChanged() {
  // The count bits of the word always equal ColCount.
  SetWordBits(0xFF000, colCount_ << 12);
  NotifyData(WM_CHANGEDATADIM, colCount_, rowCount_);
}

void TKivMatrix::SetColumnDimension(int v) {
  if (v <= 0 || v == colCount_ || (v & 0xFF) == 0) return;
  DeallocateMemory();
  colCount_ = v & 0xFF;
  AllocateMemory();
  DimensionsChanged();
}

void TKivMatrix::SetRowDimension(int v) {
  if (v <= 0 || v == rowCount_ || (v & 0xFF) == 0) return;
  DeallocateMemory();
  rowCount_ = v & 0xFF;
  AllocateMemory();
  DimensionsChanged();
}

void TKivMatrix::SetMatrixType(TMatrixType t) {
  DeallocateMemory();
  switch (t) {
    case mtVector:
      if ((colCount_ == 1 && rowCount_ == 1) || (colCount_ > 1 && rowCount_ > 1)) {
        colCount_ = 5;
        rowCount_ = 1;
      }
      break;
    case mtMatrix:
      if (colCount_ < 2) colCount_ = 5;
      if (rowCount_ < 2) rowCount_ = 4;
      break;
    case mtSingle:
      colCount_ = rowCount_ = 1;
      break;
  }
  AllocateMemory();
  DimensionsChanged();
}

bool TKivMatrix::Reload() {
  return ReadThroughLink(NoLink::ReadsFalse, [this](TSerialLink& link) {
    std::vector<int32_t> v(raw_.begin(), raw_.end());
    bool ok = true;
    if (ByAddress) {
      for (int r = 0; r < rowCount_; ++r)
        for (int c = 0; c < colCount_; ++c)
          ok = link.ReadAtAddress(SerialWord(), CellAddress(r, c), &v[CellIndex(r, c)]) && ok;
    } else if (Type() == mtSingle) {
      ok = link.ReadVariable(Word0(), v.data());
    } else if (colCount_ == 1) {
      for (int r = 0; r < rowCount_; ++r) ok = link.ReadRow(Word0(), &v[r], r) && ok;
    } else if (rowCount_ == 1) {
      ok = link.ReadVariable(SerialWord(), v.data());
    } else {
      for (int r = 0; r < rowCount_; ++r) ok = link.ReadRow(SerialWord(), &v[CellIndex(r, 0)], r) && ok;
    }
    raw_.assign(v.begin(), v.end());
    return ok;
  });
}

bool TKivMatrix::WriteCells(TSerialLink& link, const std::vector<int>& cells, const std::vector<int>& raws) {
  const int word = SerialWord();
  bool ok = true;
  if (ByAddress) {
    for (size_t k = 0; k < cells.size(); ++k)
      ok = link.WriteAtAddress(word, Address + cells[k] * DataLength(), raws[k]) && ok;
    return ok;
  }
  const bool wholeRows = cells.size() % static_cast<size_t>(colCount_) == 0 && cells.size() > 1 &&
                         cells[0] % colCount_ == 0;
  if (Type() == mtSingle || colCount_ == 1) {
    for (size_t k = 0; k < cells.size(); ++k) {
      if (Type() == mtSingle)
        ok = link.WriteVariable(word, raws[k]) && ok;
      else
        ok = link.WriteElement(word, cells[k], raws[k]) && ok;
    }
  } else if (rowCount_ == 1) {
    if (wholeRows) {
      std::vector<int32_t> row(raws.begin(), raws.end());
      ok = link.WriteArray(word, row.data());
    } else {
      for (size_t k = 0; k < cells.size(); ++k) ok = link.WriteElement(word, cells[k], raws[k]) && ok;
    }
  } else if (wholeRows) {
    for (size_t first = 0; first < cells.size(); first += colCount_) {
      const int r = cells[first] / colCount_;
      std::vector<int32_t> row(colCount_);
      for (int c = 0; c < colCount_; ++c) row[c] = raws[first + c];
      ok = link.WriteRow(word, row.data(), r) && ok;
    }
  } else {
    for (size_t k = 0; k < cells.size(); ++k)
      ok = link.WriteCell(word, cells[k] / colCount_, cells[k] % colCount_, raws[k]) && ok;
  }
  return ok;
}

bool TKivMatrix::SetDataInEcu(const int* raws) {
  const std::vector<int> values(raws, raws + Cells());
  std::vector<int> cells(values.size());
  for (size_t i = 0; i < cells.size(); ++i) cells[i] = static_cast<int>(i);
  return WriteThroughLink([&](TSerialLink& link) { return WriteCells(link, cells, values); },
                          [&] { raw_ = values; });
}

bool TKivMatrix::SetDataInEcu(int** raws) {
  std::vector<int> flat(static_cast<size_t>(Cells()));
  for (int r = 0; r < rowCount_; ++r)
    for (int c = 0; c < colCount_; ++c) flat[CellIndex(r, c)] = raws[r][c];
  return SetDataInEcu(flat.data());
}

bool TKivMatrix::SetEcuData(int** raws) {
  std::vector<int> flat(static_cast<size_t>(Cells()));
  for (int r = 0; r < rowCount_; ++r)
    for (int c = 0; c < colCount_; ++c) flat[CellIndex(r, c)] = raws[r][c];
  return TKivArrayData::SetEcuData(flat.data());
}

bool TKivMatrix::GetData(double** values) {
  std::vector<double> flat(static_cast<size_t>(Cells()));
  const bool ok = TKivArrayData::GetData(flat.data());
  for (int r = 0; r < rowCount_; ++r)
    for (int c = 0; c < colCount_; ++c) values[r][c] = flat[CellIndex(r, c)];
  return ok;
}

bool TKivMatrix::SetData(double** values) {
  std::vector<double> flat(static_cast<size_t>(Cells()));
  for (int r = 0; r < rowCount_; ++r)
    for (int c = 0; c < colCount_; ++c) flat[CellIndex(r, c)] = values[r][c];
  return TKivArrayData::SetData(flat.data());
}

bool TKivMatrix::GetData(double* rowValues, int row) {
  if (row < 0 || row >= rowCount_) return false;
  BackupData();
  const bool ok = Reload();
  if (ok)
    DiscardBackup();
  else
    RestoreBackup();
  for (int c = 0; c < colCount_; ++c) rowValues[c] = ConvertValueToUser(raw_[CellIndex(row, c)]);
  return ok;
}

bool TKivMatrix::GetData(double* value, int row, int col) {
  if (!Inside(row, col)) return false;
  return ReloadOne(CellIndex(row, col), value);
}

bool TKivMatrix::SetData(double* rowValues, int row) {
  if (ReadOnly() || row < 0 || row >= rowCount_) return false;
  std::vector<int> cells(colCount_);
  for (int c = 0; c < colCount_; ++c) cells[c] = CellIndex(row, c);
  return WriteSome(cells, rowValues, false,
                   [&](TSerialLink& link, const std::vector<int>& r) { return WriteCells(link, cells, r); });
}

bool TKivMatrix::SetData(double value, int row, int col) {
  if (ReadOnly() || !Inside(row, col)) return false;
  const std::vector<int> cells{CellIndex(row, col)};
  return WriteSome(cells, &value, false,
                   [&](TSerialLink& link, const std::vector<int>& r) { return WriteCells(link, cells, r); });
}

int TKivMatrix::RawCell(int row, int col) const { return Inside(row, col) ? raw_[CellIndex(row, col)] : 0; }

double TKivMatrix::GetDefValue(int row, int col) const {
  return Inside(row, col) ? default_[CellIndex(row, col)] : 0.0;
}

void TKivMatrix::SetDefValue(int row, int col, double v) {
  if (Inside(row, col)) default_[CellIndex(row, col)] = v;
}

std::string TKivMatrix::ElementKey(int i) const {
  const int r = i / colCount_, c = i % colCount_;
  const std::string key = KeyName();
  switch (Type()) {
    case mtSingle:
      return key;
    case mtVector:
      return key + std::to_string(colCount_ > 1 ? c : r);
    default:
      return key + std::to_string(r) + "_" + std::to_string(c);
  }
}

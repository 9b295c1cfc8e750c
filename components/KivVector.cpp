#include "KivVector.h"

#include "SerialWord.h"

TKivVector::TKivVector(QObject* owner) : TKivVector(owner, 0) {}

TKivVector::TKivVector(QObject* owner, int code, int row, int col) : TKivArrayData(owner, code, sdVector) {
  if (row >= 0) rowIndex_ = row;
  if (col >= 0) colIndex_ = col;
  // The count bits follow the dimension from the start, so a vector of one element reads one.
  SetWordBits(SerialWord::kArray | 0xFF000, SerialWord::kArray | (dimension_ << 12));
  AllocateMemory();
}

TKivVector::~TKivVector() {
  DeallocateMemory();
  DiscardBackup();
}

void TKivVector::SetArrayDimension(int v) {
  // The dimension stays within 1..255 (a value whose low byte is 0 would leave no element).
  if (v <= 0 || v == dimension_ || (v & 0xFF) == 0) return;
  DeallocateMemory();
  dimension_ = v & 0xFF;
  AllocateMemory();
  SetWordBits(0xFF000, dimension_ << 12);
}

TVectorType TKivVector::Type() const {
  if (colIndex_ >= 0) return vtMatrixCol;
  return rowIndex_ >= 0 ? vtMatrixRow : vtSingle;
}

void TKivVector::SetVectorType(TVectorType t) {
  switch (t) {
    case vtSingle:
      rowIndex_ = colIndex_ = -1;
      break;
    case vtMatrixRow:
      colIndex_ = -1;
      if (rowIndex_ < 0) rowIndex_ = 0;
      break;
    case vtMatrixCol:
      rowIndex_ = -1;
      if (colIndex_ < 0) colIndex_ = 0;
      break;
  }
}

void TKivVector::SetRowIndex(int v) {
  if (v >= 0 && rowIndex_ >= 0) rowIndex_ = v;
}

void TKivVector::SetColIndex(int v) {
  if (v >= 0 && colIndex_ >= 0) colIndex_ = v;
}

bool TKivVector::Reload() {
  return ReadThroughLink(NoLink::ReadsFalse, [this](TSerialLink& link) {
    const int word = SerialWord();
    std::vector<int32_t> v(raw_.begin(), raw_.end());
    bool ok = true;
    if (ByAddress) {
      for (int i = 0; i < dimension_; ++i)
        ok = link.ReadAtAddress(word, Address + i * DataLength(), &v[i]) && ok;
    } else if (Type() == vtSingle) {
      ok = link.ReadVariable(word, v.data());
    } else if (Type() == vtMatrixRow) {
      ok = link.ReadRow(word & ~SerialWord::kArray, v.data(), rowIndex_);
    } else {
      for (int i = 0; i < dimension_; ++i) ok = link.ReadCell(word, &v[i], i, colIndex_) && ok;
    }
    raw_.assign(v.begin(), v.end());
    return ok;
  });
}

bool TKivVector::SetDataInEcu(const int* raws) {
  const std::vector<int> values(raws, raws + dimension_);
  return WriteThroughLink(
      [this, &values](TSerialLink& link) {
        const int word = SerialWord();
        const std::vector<int32_t> v(values.begin(), values.end());
        bool ok = true;
        if (ByAddress) {
          for (int i = 0; i < dimension_; ++i)
            ok = link.WriteAtAddress(word, Address + i * DataLength(), v[i]) && ok;
        } else if (Type() == vtSingle) {
          ok = link.WriteArray(word, v.data());
        } else if (Type() == vtMatrixRow) {
          ok = link.WriteRow(word, v.data(), rowIndex_);
        } else {
          for (int i = 0; i < dimension_; ++i) ok = link.WriteCell(word, i, colIndex_, v[i]) && ok;
        }
        return ok;
      },
      [this, &values] { raw_ = values; });
}

bool TKivVector::GetData(double* value, unsigned index) {
  if (index >= static_cast<unsigned>(dimension_)) {
    *value = 0.0;
    return false;
  }
  return ReloadOne(static_cast<int>(index), value);
}

bool TKivVector::SetData(double value, unsigned index) {
  if (ReadOnly() || index >= static_cast<unsigned>(dimension_)) return false;
  const int i = static_cast<int>(index);
  return WriteSome({i}, &value, true, [this, i](TSerialLink& link, const std::vector<int>& r) {
    const int word = SerialWord();
    if (ByAddress) return link.WriteAtAddress(word, Address + i * DataLength(), r[0]);
    switch (Type()) {
      case vtSingle:
        return link.WriteElement(word, i, r[0]);
      case vtMatrixRow:
        return link.WriteCell(word, rowIndex_, i, r[0]);
      default:
        return link.WriteCell(word, i, colIndex_, r[0]);
    }
  });
}

double TKivVector::GetDefValue(int index) const {
  return index >= 0 && index < dimension_ ? default_[index] : 0.0;
}

void TKivVector::SetDefValue(int index, double value) {
  if (index >= 0 && index < dimension_) default_[index] = value;
}

std::string TKivVector::ElementKey(int i) const {
  const std::string key = KeyName();
  switch (Type()) {
    case vtSingle:
      return key + std::to_string(i);
    case vtMatrixRow:
      return key + std::to_string(rowIndex_) + "_" + std::to_string(i);
    default:
      return key + std::to_string(i) + "_" + std::to_string(colIndex_);
  }
}

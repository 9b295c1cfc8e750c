#include "KivNumber.h"

#include "IniFile.h"

namespace {
bool IsSentinel(int raw) { return raw == kNoTableRaw || raw == kZeroDenominatorRaw; }
}  // namespace

TKivNumber::TKivNumber(QObject* owner) : TKivNumber(owner, 0) {}

TKivNumber::TKivNumber(QObject* owner, int code, int row, int col) : TKivSerialData(owner, code, sdNumber) {
  if (row >= 0) rowIndex_ = row;
  if (col >= 0) colIndex_ = col;
  Address = 0;
  AllocateMemory();
}

void TKivNumber::AllocateMemory() {
  raw_ = 0;
  DefaultValue = 0;
}

TNumberType TKivNumber::Type() const {
  if (rowIndex_ < 0) return ntSingle;
  return colIndex_ < 0 ? ntVectorElement : ntMatrixElement;
}

void TKivNumber::SetNumberType(TNumberType t) {
  switch (t) {
    case ntSingle:
      rowIndex_ = colIndex_ = -1;
      break;
    case ntVectorElement:
      colIndex_ = -1;
      if (rowIndex_ < 0) rowIndex_ = 0;
      break;
    case ntMatrixElement:
      if (rowIndex_ < 0) rowIndex_ = 0;
      if (colIndex_ < 0) colIndex_ = 0;
      break;
  }
}

void TKivNumber::SetIndexRow(int v) {
  if (v >= 0 && rowIndex_ >= 0) rowIndex_ = v;
}

void TKivNumber::SetIndexCol(int v) {
  if (v >= 0 && colIndex_ >= 0 && rowIndex_ >= 0) colIndex_ = v;
}

bool TKivNumber::Reload() {
  return ReadThroughLink(NoLink::ReadsTrue, [this](TSerialLink& link) {
    int32_t v = raw_;
    bool ok;
    if (ByAddress)
      ok = link.ReadAtAddress(SerialWord(), Address, &v);
    else if (rowIndex_ < 0)
      ok = link.ReadVariable(SerialWord(), &v);
    else if (colIndex_ < 0)
      ok = link.ReadRow(SerialWord(), &v, rowIndex_);
    else
      ok = link.ReadCell(SerialWord(), &v, rowIndex_, colIndex_);
    if (ok) raw_ = v;
    return ok;
  });
}

bool TKivNumber::GetData(double* value) {
  BackupData();
  const bool ok = Reload();
  if (!ok) RestoreBackup();
  *value = ConvertValueToUser(raw_);
  return ok;
}

double TKivNumber::GetDouble() {
  double v = 0;
  GetData(&v);
  return v;
}

int TKivNumber::GetInt() { return TruncToInt(GetDouble() + 0.5); }

bool TKivNumber::RefuseSentinel(int raw) {
  if (!IsSentinel(raw)) return false;
  ReportError(-1, true);
  NotifyChanged();
  return true;
}

bool TKivNumber::SetData(double value) {
  if (ReadOnly()) {
    NotifyChanged();
    return false;
  }
  const int raw = ConvertValueToEcu(value, &raw_);
  if (RefuseSentinel(raw)) return false;
  return SetDataInEcu(raw);
}

bool TKivNumber::SetEcuData(int raw) {
  if (ReadOnly()) return false;
  if (PartialMask()) {
    if (!LoadSilently()) return false;
    raw = (raw_ & ~DataMask()) | (raw & DataMask());
  }
  return SetDataInEcu(raw);
}

bool TKivNumber::SetDataInEcu(int raw) {
  return WriteThroughLink(
      [this, raw](TSerialLink& link) {
        if (ByAddress) return link.WriteAtAddress(SerialWord(), Address, raw);
        if (rowIndex_ < 0) return link.WriteVariable(SerialWord(), raw);
        if (colIndex_ < 0) return link.WriteElement(SerialWord(), rowIndex_, raw);
        return link.WriteCell(SerialWord(), rowIndex_, colIndex_, raw);
      },
      [this, raw] { raw_ = raw; });
}

void TKivNumber::InitData(const int* raw) {
  raw_ = *raw;
  SetDataValid(true);
}

void TKivNumber::Download() { SetDataInEcu(raw_); }

void TKivNumber::UpdateData(const void* buffer) {
  DoBeforeGetData();
  raw_ = RawFromBytes(static_cast<const uint8_t*>(buffer));
  DoGetData();
}

bool TKivNumber::ResetDefault(bool toEcu) {
  const int raw = ConvertValueToEcu(DefaultValue, &raw_);
  if (IsSentinel(raw)) {
    // A default with no raw form is kept out of the held value and the ECU.
    if (toEcu) ReportError(-1, true);
    return false;
  }
  raw_ = raw;
  const bool ok = toEcu ? SetDataInEcu(raw) : true;
  if (ok) NotifyChanged();
  return ok;
}

std::string TKivNumber::IniKey() const {
  std::string key = KeyName();
  if (rowIndex_ >= 0) key += std::to_string(rowIndex_);
  if (rowIndex_ >= 0 && colIndex_ >= 0) key += "_" + std::to_string(colIndex_);
  return key;
}

bool TKivNumber::WriteToFile(IniFile* ini) {
  if (auto done = IniGuard()) return *done;
  if (StoreUserValue)
    WriteIniFloat(*ini, IniKey(), ConvertValueToUser(raw_));
  else
    ini->WriteInteger(Section(), IniKey(), raw_);
  return true;
}

bool TKivNumber::ReadFromFile(IniFile* ini) {
  if (auto done = IniGuard()) return *done;
  const std::string key = IniKey();
  if (!ini->ValueExists(Section(), key)) return false;
  std::optional<double> user;
  std::optional<int> raw;
  if (StoreUserValue)
    user = ReadIniFloat(*ini, key);
  else
    raw = ReadIniInteger(*ini, key);
  if (!user && !raw) return false;
  if (OldReadFileMode) {
    const int r = user ? ConvertValueToEcu(*user, &raw_) : *raw;
    if (!IsSentinel(r)) raw_ = r;
    NotifyChanged();
    return !IsSentinel(r);
  }
  const bool ok = user ? SetData(*user) : SetEcuData(*raw);
  if (!ok) NotifyChanged();
  return ok;
}

#include "KivArrayData.h"

#include "IniFile.h"

namespace {
bool IsSentinel(int raw) { return raw == kNoTableRaw || raw == kZeroDenominatorRaw; }
}  // namespace

TKivArrayData::TKivArrayData(QObject* owner, int code, SerialDataType kind)
    : TKivSerialData(owner, code, kind) {}

void TKivArrayData::AllocateMemory() {
  raw_.assign(static_cast<size_t>(Cells()), 0);
  default_.assign(static_cast<size_t>(Cells()), 0.0);
}

void TKivArrayData::DeallocateMemory() {
  raw_.clear();
  default_.clear();
}

void TKivArrayData::RestoreBackup() {
  if (backup_ && backup_->size() == raw_.size()) raw_ = *backup_;
  backup_.reset();
}

void TKivArrayData::Download() { SetDataInEcu(raw_.data()); }

bool TKivArrayData::GetData(double* values) {
  BackupData();
  const bool ok = Reload();
  if (ok)
    DiscardBackup();
  else
    RestoreBackup();
  for (size_t i = 0; i < raw_.size(); ++i) values[i] = ConvertValueToUser(raw_[i]);
  return ok;
}

bool TKivArrayData::ReloadOne(int i, double* value) {
  const int saved = raw_[i];
  const bool ok = Reload();
  if (!ok) raw_[i] = saved;
  *value = ConvertValueToUser(raw_[i]);
  return ok;
}

bool TKivArrayData::ConvertAll(const double* values, std::vector<int>& raws) {
  raws.resize(raw_.size());
  for (size_t i = 0; i < raw_.size(); ++i) {
    raws[i] = ConvertValueToEcu(values[i], &raw_[i]);
    if (IsSentinel(raws[i])) {
      ReportError(-1, true);
      NotifyChanged();
      return false;
    }
  }
  return true;
}

bool TKivArrayData::SetData(const double* values) {
  if (ReadOnly()) return false;
  std::vector<int> raws;
  if (!ConvertAll(values, raws)) return false;
  return SetDataInEcu(raws.data());
}

bool TKivArrayData::SetEcuData(const int* raws) {
  if (ReadOnly()) return false;
  if (!PartialMask()) return SetDataInEcu(raws);
  if (!LoadSilently()) return false;
  std::vector<int> merged(raw_.size());
  for (size_t i = 0; i < raw_.size(); ++i) merged[i] = (raw_[i] & ~DataMask()) | (raws[i] & DataMask());
  return SetDataInEcu(merged.data());
}

bool TKivArrayData::WriteSome(const std::vector<int>& cells, const double* values, bool vectorStyle,
                              const std::function<bool(TSerialLink&, const std::vector<int>&)>& transfer) {
  std::vector<int> raws(cells.size());
  for (size_t k = 0; k < cells.size(); ++k) {
    raws[k] = ConvertValueToEcu(values[k], &raw_[cells[k]]);
    if (IsSentinel(raws[k])) {
      ReportError(-1, true);
      NotifyChanged();
      return false;
    }
  }
  auto store = [&] {
    for (size_t k = 0; k < cells.size(); ++k) raw_[cells[k]] = raws[k];
  };
  SetDataValid(false);
  if (!Connection() || !Connection()->LoadDll()) {
    if (vectorStyle || !Connection()) store();
    if (vectorStyle || Connection()) DoError(true);
    return vectorStyle || !Connection();
  }
  DoBeforeSetData();
  bool ok = false;
  {
    TLinkGuard guard(*Connection());
    ok = transfer(*Connection()->LinkObject(), raws);
  }
  if (!ok) {
    DoError(true);
    return false;
  }
  store();
  DoSetData();
  return true;
}

bool TKivArrayData::ResetDefault(bool toEcu) {
  std::vector<int> raws(raw_.size());
  for (size_t i = 0; i < raw_.size(); ++i) {
    raws[i] = ConvertValueToEcu(default_[i], &raw_[i]);
    // A default with no raw form keeps the element as held.
    if (IsSentinel(raws[i])) raws[i] = raw_[i];
  }
  raw_ = raws;
  const bool ok = toEcu ? SetDataInEcu(raw_.data()) : true;
  if (ok) NotifyChanged();
  return ok;
}

bool TKivArrayData::WriteToFile(IniFile* ini) {
  if (auto done = IniGuard()) return *done;
  for (int i = 0; i < CellCount(); ++i)
    WriteIniFloat(*ini, ElementKey(i), StoreUserValue ? ConvertValueToUser(raw_[i]) : raw_[i]);
  return true;
}

bool TKivArrayData::ReadFromFile(IniFile* ini) {
  if (auto done = IniGuard()) return *done;
  std::vector<int> copy = raw_;
  for (int i = 0; i < CellCount() && i < static_cast<int>(raw_.size()); ++i) {
    const std::string key = ElementKey(i);
    if (!ini->ValueExists(Section(), key)) continue;
    if (!StoreUserValue) {
      const auto v = ReadIniInteger(*ini, key);
      if (!v) continue;
      if (PartialMask() && (DataValid() || LoadSilently()))
        copy[i] = (raw_[i] & ~DataMask()) | (*v & DataMask());
      else
        copy[i] = *v;
    } else {
      const auto v = ReadIniFloat(*ini, key);
      if (!v) continue;
      const int r = ConvertValueToEcu(*v, &raw_[i]);
      if (!IsSentinel(r)) copy[i] = r;
    }
  }
  if (OldReadFileMode) {
    raw_ = copy;
    NotifyChanged();
    return true;
  }
  const bool ok = SetEcuData(copy.data());
  if (!ok) NotifyChanged();
  return ok;
}

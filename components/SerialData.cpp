#include "SerialData.h"

#include <QWidget>
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "DecimalText.h"
#include "IniFile.h"
#include "KivNumber.h"
#include "PrivateMessage.h"

int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(std::trunc(v));
}

int RoundAwayToInt(double v) { return TruncToInt(v >= 0 ? v + 0.5 : v - 0.5); }

bool IsKivSerialData(const QObject* c) { return dynamic_cast<const TKivSerialData*>(c) != nullptr; }

TKivSerialData::TKivSerialData(QObject* owner, int code, SerialDataType kind)
    : QObject(owner), serialDataType_(kind), serialCode_(code), serialWord_(code & 0xFF) {}

TKivSerialData::~TKivSerialData() {
  DeleteConversionTable();
  for (auto& ext : extCoeffs_)
    if (ext) ext->RemoveNotificationList(this);
}

// ---- conversions ----

int TKivSerialData::MaskedRaw(int raw) const {
  int r = raw & dataMask_;
  if (signed_) r = dataLength_ == 2 ? static_cast<int16_t>(r) : static_cast<int8_t>(r);
  return r;
}

int TKivSerialData::RawFromBytes(const uint8_t* p) const {
  int r = dataLength_ == 2 ? (p[0] | (p[1] << 8)) : p[0];
  if (signed_) r = dataLength_ == 2 ? static_cast<int16_t>(r) : static_cast<int8_t>(r);
  return r;
}

double TKivSerialData::GetUserValueFromPacket(const char* p) {
  return ConvertValueToUser(RawFromBytes(reinterpret_cast<const uint8_t*>(p)));
}

bool TKivSerialData::Formula(double r, double a, double b, double c, double d, double* v) const {
  const double den = c * r + d;
  if (den == 0) return false;
  *v = (a * r + b) / den;
  return true;
}

int TKivSerialData::SegmentIndex(const std::vector<double>& col, double x) {
  const int n = static_cast<int>(col.size());
  int i = 1;
  if (col[n - 1] <= col[0]) {
    while (i < n && x < col[i]) ++i;
  } else {
    while (i < n && col[i] < x) ++i;
  }
  return i == n ? n - 1 : i;
}

double TKivSerialData::ConvertValueToUser(int raw) {
  double a = CoeffA, b = CoeffB, c = CoeffC, d = CoeffD;
  if (transformation_ == ttFormula || transformation_ == ttNonLinearTabled)
    GetFormulaCoefficients(&a, &b, &c, &d);
  const int r = MaskedRaw(raw);
  double v = r;
  switch (transformation_) {
    case ttNone:
      break;
    case ttFormula:
      if (!Formula(r, a, b, c, d, &v)) return kZeroDenominatorValue;
      break;
    case ttTabled: {
      bool found = false;
      for (size_t i = 0; i < tableEcu_.size(); ++i)
        if (tableEcu_[i] == r) {
          v = tableUser_[i];
          found = true;
        }
      if (!found) return kNoTableValue;
      break;
    }
    case ttNonLinearTabled: {
      // Interpolation needs a segment: a table of fewer than two rows is no usable table.
      if (!hasTable_ || tableEcu_.size() < 2) return kNoTableValue;
      double f = 0;
      if (!Formula(r, a, b, c, d, &f)) return kZeroDenominatorValue;
      const int i = SegmentIndex(tableEcu_, f);
      const double de = tableEcu_[i] - tableEcu_[i - 1];
      v = de == 0 ? tableUser_[i]
                  : tableUser_[i] - (tableEcu_[i] - f) * (tableUser_[i] - tableUser_[i - 1]) / de;
      break;
    }
  }
  if (precision_ != 0) {
    const double lo = std::floor(v / precision_) * precision_;
    const double hi = std::ceil(v / precision_) * precision_;
    v = (v - lo < hi - v) ? lo : hi;
  }
  return v;
}

int TKivSerialData::ConvertValueToEcu(double value, int* current) {
  double a = CoeffA, b = CoeffB, c = CoeffC, d = CoeffD;
  if (transformation_ == ttFormula || transformation_ == ttNonLinearTabled)
    GetFormulaCoefficients(&a, &b, &c, &d);
  if (!DisableLimits && (valueMin_ != 0 || valueMax_ != 0)) {
    if (value > valueMax_)
      value = valueMax_;
    else if (value < valueMin_)
      value = valueMin_;
  }
  auto fromFormula = [&](double x, int* raw) {
    const double den = x * c - a;
    if (den == 0) return false;
    *raw = RoundAwayToInt((b - x * d) / den);
    return true;
  };
  int raw = 0;
  switch (transformation_) {
    case ttNone:
      raw = TruncToInt(value);
      break;
    case ttFormula:
      if (!fromFormula(value, &raw)) return kZeroDenominatorRaw;
      break;
    case ttTabled: {
      if (!hasTable_) return kNoTableRaw;
      auto it = std::find(tableUser_.begin(), tableUser_.end(), value);
      if (it == tableUser_.end()) return kNoTableRaw;
      raw = RoundAwayToInt(tableEcu_[it - tableUser_.begin()]);
      break;
    }
    case ttNonLinearTabled: {
      if (!hasTable_ || tableUser_.size() < 2) return kNoTableRaw;
      const int i = SegmentIndex(tableUser_, value);
      const double du = tableUser_[i] - tableUser_[i - 1];
      const double f = du == 0
                           ? tableEcu_[i]
                           : tableEcu_[i] - (tableUser_[i] - value) * (tableEcu_[i] - tableEcu_[i - 1]) / du;
      if (!fromFormula(f, &raw)) return kZeroDenominatorRaw;
      break;
    }
  }
  if (current && PartialMask()) {
    if (LoadSilently())
      raw = (*current & ~dataMask_) | (raw & dataMask_);
    else
      raw &= dataMask_;
  }
  return raw;
}

void TKivSerialData::GetFormulaCoefficients(double* a, double* b, double* c, double* d) {
  double* out[4] = {a, b, c, d};
  const double coeffs[4] = {CoeffA, CoeffB, CoeffC, CoeffD};
  for (int i = 0; i < 4; ++i) {
    double x = coeffs[i];
    if (auto* ext = dynamic_cast<TKivNumber*>(extCoeffs_[i].data())) {
      x = ext->GetDouble();
      double t = 0;
      if (transformations_[i] && transformations_[i]->Transform(x, &t) == 0) x = t;
    }
    *out[i] = x;
  }
}

// ---- conversion table ----

void TKivSerialData::SetConversionTable(const double* ecu, const double* user, int count) {
  DeleteConversionTable();
  count = std::max(count, 0);
  tableEcu_.assign(ecu, ecu + count);
  tableUser_.assign(user, user + count);
  hasTable_ = true;
}

void TKivSerialData::DeleteConversionTable() {
  tableEcu_.clear();
  tableUser_.clear();
  hasTable_ = false;
}

double TKivSerialData::GetEcuTableValue(int i) const {
  return hasTable_ && i >= 0 && i < ConversionTableCount() ? tableEcu_[i] : 0.0;
}

void TKivSerialData::SetEcuTableValue(int i, double v) {
  if (hasTable_ && i >= 0 && i < ConversionTableCount()) tableEcu_[i] = v;
}

double TKivSerialData::GetUserTableValue(int i) const {
  return hasTable_ && i >= 0 && i < ConversionTableCount() ? tableUser_[i] : 0.0;
}

void TKivSerialData::SetUserTableValue(int i, double v) {
  if (hasTable_ && i >= 0 && i < ConversionTableCount()) tableUser_[i] = v;
}

// ---- notification ----

void TKivSerialData::AddNotificationList(QObject* c) {
  if (!c) return;
  for (const auto& p : notificationList_)
    if (p == c) return;
  notificationList_.emplace_back(c);
}

void TKivSerialData::RemoveNotificationList(QObject* c) {
  std::erase_if(notificationList_, [c](const QPointer<QObject>& p) { return p == c || !p; });
}

void TKivSerialData::NotifyData(unsigned msg, intptr_t wParam, intptr_t lParam) {
  if (!NotifyEnabled) return;
  // A handler may add or remove entries: walk a copy; entries gone meanwhile are skipped.
  const std::vector<QPointer<QObject>> entries = notificationList_;
  for (const auto& entry : entries) {
    if (!entry) continue;
    if (auto* w = qobject_cast<QWidget*>(entry.data()))
      SendPrivateMessage(w, msg, wParam, lParam);
    else if (auto* data = dynamic_cast<TKivSerialData*>(entry.data()))
      data->NotifyData(msg, wParam, lParam);
  }
}

// ---- events ----

void TKivSerialData::DoGetData() {
  if (OnGetData) OnGetData(this);
  NotifyChanged();
}

void TKivSerialData::DoSetData() {
  if (OnSetData) OnSetData(this);
  NotifyChanged();
}

void TKivSerialData::DoBeforeGetData() {
  if (BeforeGetData) BeforeGetData(this);
}

void TKivSerialData::DoBeforeSetData() {
  if (BeforeSetData) BeforeSetData(this);
}

void TKivSerialData::DoError(bool writing) {
  if (!OnError) return;
  int errorCode = -1;
  if (connection_ && connection_->LoadDll()) {
    TLinkGuard guard(*connection_);
    errorCode = connection_->LinkObject()->GetLastErrorCode();
  }
  OnError(this, errorCode, writing);
}

void TKivSerialData::ReportError(int errorCode, bool writing) {
  if (OnError) OnError(this, errorCode, writing);
}

bool TKivSerialData::Load() {
  dataValid_ = false;
  return Reload();
}

bool TKivSerialData::LoadSilently() {
  NotifyEnabled = false;
  const bool ok = Load();
  NotifyEnabled = true;
  return ok;
}

void TKivSerialData::Loaded() {
  loading_ = false;
  ResetDefault(false);
}

// ---- transfer patterns ----

bool TKivSerialData::LinkReady() { return connection_ && connection_->LoadDll(); }

bool TKivSerialData::ReadThroughLink(NoLink mode, const std::function<bool(TSerialLink&)>& transfer) {
  if (dataValid_) return true;
  if (!connection_) return mode == NoLink::ReadsTrue;
  if (!connection_->LoadDll()) {
    if (mode == NoLink::ReadsTrue) return true;
    DoError(false);
    return false;
  }
  DoBeforeGetData();
  bool ok = true;
  TSerialLink* link = connection_->LinkObject();
  if (link->IsLinkOpen() == 0) {
    dataValid_ = true;
  } else {
    TLinkGuard guard(*connection_);
    ok = transfer(*link);
    dataValid_ = ok;
  }
  if (ok)
    DoGetData();
  else
    DoError(false);
  return ok;
}

bool TKivSerialData::WriteThroughLink(const std::function<bool(TSerialLink&)>& transfer,
                                      const std::function<void()>& store) {
  dataValid_ = false;
  if (!LinkReady()) {
    store();
    DoError(true);
    return true;
  }
  DoBeforeSetData();
  bool ok = false;
  {
    TLinkGuard guard(*connection_);
    ok = transfer(*connection_->LinkObject());
    dataValid_ = ok;
  }
  if (!ok) {
    DoError(true);
    return false;
  }
  store();
  DoSetData();
  return true;
}

// ---- setters ----

void TKivSerialData::SetSerialCode(int v) {
  if (v < 0) return;
  serialCode_ = v & 0xFF;
  SetWordBits(0xFF, serialCode_);
}

void TKivSerialData::SetDataMask(int v) {
  v &= FullMask();
  if (v == dataMask_) return;
  if (v != 0) {
    const unsigned u = static_cast<unsigned>(v) >> std::countr_zero(static_cast<unsigned>(v));
    if ((u & (u + 1)) != 0) return;  // more than one run of 1 bits
  }
  AllocateMemory();
  dataMask_ = v;
  dataValid_ = false;
}

void TKivSerialData::SetDataLength(int v) {
  if ((v != 1 && v != 2) || v == dataLength_) return;
  AllocateMemory();
  dataLength_ = v;
  dataMask_ = FullMask();
  SetWordBits(0x200, v == 2 ? 0x200 : 0);
  dataValid_ = false;
}

void TKivSerialData::SetDataSigned(bool b) {
  signed_ = b;
  SetWordBits(0x400, b ? 0x400 : 0);
}

void TKivSerialData::SetPrecision(double p) {
  if (p >= 0) precision_ = p;
}

void TKivSerialData::SetMinValue(double v) {
  if (loading_ || v <= valueMax_) valueMin_ = v;
}

void TKivSerialData::SetMaxValue(double v) {
  if (loading_ || v >= valueMin_) valueMax_ = v;
}

TBaseTransformation* TKivSerialData::GetCoeffTransformation(int index) const {
  return index >= 1 && index <= 4 ? transformations_[index - 1].data() : nullptr;
}

void TKivSerialData::SetCoeffTransformation(int index, TBaseTransformation* t) {
  if (index < 1 || index > 4) return;
  transformations_[index - 1] = t;
  if (t) Load();
}

TKivSerialData* TKivSerialData::GetExtCoeff(int index) const {
  return index >= 1 && index <= 4 ? extCoeffs_[index - 1].data() : nullptr;
}

void TKivSerialData::SetExtCoeff(int index, TKivSerialData* n) {
  if (index < 1 || index > 4) return;
  if (n && (n == this || !dynamic_cast<TKivNumber*>(n))) return;
  QPointer<TKivSerialData>& slot = extCoeffs_[index - 1];
  TKivSerialData* old = slot.data();
  slot = n;
  if (old && std::none_of(std::begin(extCoeffs_), std::end(extCoeffs_),
                          [old](const QPointer<TKivSerialData>& e) { return e == old; }))
    old->RemoveNotificationList(this);
  if (n) n->AddNotificationList(this);
}

// ---- INI files ----

std::optional<bool> TKivSerialData::IniGuard() const {
  if (FileSection.isEmpty() && FileKeyName.isEmpty()) return true;
  if (FileSection.isEmpty() || FileKeyName.isEmpty()) return false;
  return std::nullopt;
}

std::optional<double> TKivSerialData::ReadIniFloat(const IniFile& ini, const std::string& key) const {
  const auto text = ini.ReadValue(Section(), key);
  if (!text) return std::nullopt;
  return DecimalText::Parse(*text, '.');
}

std::optional<int> TKivSerialData::ReadIniInteger(const IniFile& ini, const std::string& key) const {
  const auto text = ini.ReadValue(Section(), key);
  if (!text) return std::nullopt;
  return IniFile::ParseInteger(*text);
}

void TKivSerialData::WriteIniFloat(IniFile& ini, const std::string& key, double v) const {
  ini.WriteString(Section(), key, DecimalText::Format(v, '.'));
}

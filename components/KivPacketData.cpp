#include "KivPacketData.h"

TKivPacketData::TKivPacketData(QObject* owner) : TKivPacketData(owner, 0) {}

TKivPacketData::TKivPacketData(QObject* owner, int code) : TKivSerialData(owner, code, sdPacket) { Reset(); }

void TKivPacketData::Reset() {
  SetWordBits(0x800, 0x800);
  SetReadOnly(true);
  raw_ = 0;
  active_ = false;
  offset_ = 0;
  registered_ = false;
  timeInterval_ = 1000;
}

TKivPacketData::~TKivPacketData() {
  QObject::disconnect(refresherGone_);
  if (refresher_ && registered_) refresher_->RemoveRefresh(this, registeredWord_, -1);
}

int TKivPacketData::GetInt() { return TruncToInt(GetDouble() + 0.5); }

void TKivPacketData::InitData(double value) {
  const int raw = ConvertValueToEcu(value, &raw_);
  if (raw != kNoTableRaw && raw != kZeroDenominatorRaw) raw_ = raw;
  NotifyChanged();
}

void TKivPacketData::UpdateData(const void* buffer) {
  DoBeforeGetData();
  const int width = DataLength();
  // An offset outside the packet data reads nothing.
  if (offset_ >= 0 && offset_ + width <= kPacketBytes)
    raw_ = RawFromBytes(static_cast<const uint8_t*>(buffer) + 4 + offset_);
  DoGetData();
}

void TKivPacketData::SetActive(bool b) {
  active_ = b;
  if (!refresher_) return;
  if (!registered_) {
    registeredWord_ = SerialWord();
    refresher_->AddRefresh(this, timeInterval_, registeredWord_, -1);
    registered_ = true;
  }
  if (active_)
    refresher_->ResumeRefresh(this, registeredWord_, -1);
  else
    refresher_->SuspendRefresh(this, registeredWord_, -1);
}

void TKivPacketData::SetTimeInterval(int v) {
  if (v < 20) return;
  timeInterval_ = v;
  if (refresher_ && registered_) refresher_->AddRefresh(this, timeInterval_, registeredWord_, -1);
}

void TKivPacketData::SetSerialCode(int v) {
  if (v < 0) return;
  if (!refresher_ || !registered_) {
    TKivSerialData::SetSerialCode(v);
    return;
  }
  refresher_->RemoveRefresh(this, registeredWord_, -1);
  TKivSerialData::SetSerialCode(v);
  registeredWord_ = SerialWord();
  refresher_->AddRefresh(this, timeInterval_, registeredWord_, -1);
  if (!active_) refresher_->SuspendRefresh(this, registeredWord_, -1);
}

void TKivPacketData::ForgetRefresher() {
  refresher_ = nullptr;
  active_ = false;
  registered_ = false;
}

void TKivPacketData::SetDataRefresher(TDataRefresher* r) {
  if (refresher_) {
    QObject::disconnect(refresherGone_);
    if (registered_) refresher_->RemoveRefresh(this, registeredWord_, -1);
  }
  refresher_ = r;
  registered_ = false;
  if (r) refresherGone_ = QObject::connect(r, &QObject::destroyed, this, [this] { ForgetRefresher(); });
  SetActive(active_);
}

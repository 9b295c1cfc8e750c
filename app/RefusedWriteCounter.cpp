#include "RefusedWriteCounter.h"

TRefusedWriteCounter::TRefusedWriteCounter() : link_(SerialLink) { SerialLink = this; }

TRefusedWriteCounter::~TRefusedWriteCounter() { SerialLink = link_; }

bool TRefusedWriteCounter::Count(bool written) {
  if (!written && (link_->GetLastErrorCode() & kGetLastErrorItemMissing) == 0) ++refused_;
  return written;
}

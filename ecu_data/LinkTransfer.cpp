#include "LinkTransfer.h"

#include <algorithm>
#include <array>

#include "SerialLink.h"
#include "SerialWord.h"

namespace LinkTransfer {

namespace {

// Element count bits 12-19 allow at most 255 elements.
using Buffer = std::array<int32_t, 256>;

// The word's elements, starting from the field's present values (zero beyond the field).
Buffer Staged(int code, const int32_t* field, int fieldCount) {
  Buffer buffer{};
  const int n = std::min(fieldCount, SerialWord::Count(code));
  std::copy(field, field + std::max(n, 0), buffer.begin());
  return buffer;
}

void CopyBack(int code, const Buffer& buffer, int32_t* field, int fieldCount) {
  const int n = std::min(fieldCount, SerialWord::Count(code));
  std::copy(buffer.begin(), buffer.begin() + std::max(n, 0), field);
}

PassRecord* g_innermost = nullptr;

bool ReadNoted(bool ok) { return PassRecord::Note(ok, false); }
bool WriteNoted(bool ok) { return PassRecord::Note(ok, true); }

}  // namespace

PassRecord::PassRecord() : outer_(g_innermost) { g_innermost = this; }

PassRecord::~PassRecord() { g_innermost = outer_; }

PassOutcome PassRecord::Outcome() const {
  if (unanswered_ > 0 || !IsOpen()) return PassOutcome::LinkLost;
  return refused_ > 0 ? PassOutcome::Refused : PassOutcome::Complete;
}

bool PassRecord::Note(bool ok, bool write) {
  if (ok || !g_innermost) return ok;
  const int error = SerialLink ? SerialLink->GetLastErrorCode() : kGetLastErrorNoAnswer;
  if (error & kGetLastErrorItemMissing) return ok;
  const bool unanswered = !write || (error & kGetLastErrorNoAnswer) != 0;
  for (PassRecord* r = g_innermost; r; r = r->outer_) ++(unanswered ? r->unanswered_ : r->refused_);
  return ok;
}

bool IsOpen() { return SerialLink && SerialLink->IsLinkOpen() != 0; }

bool ItemMissing() { return SerialLink && (SerialLink->GetLastErrorCode() & kGetLastErrorItemMissing) != 0; }

bool WriteVariable(int code, int32_t value) {
  return WriteNoted(SerialLink && SerialLink->WriteVariable(code, value));
}

bool WriteElement(int code, int index, int32_t value) {
  return WriteNoted(SerialLink && SerialLink->WriteElement(code, index, value));
}

bool WriteCell(int code, int row, int col, int32_t value) {
  return WriteNoted(SerialLink && SerialLink->WriteCell(code, row, col, value));
}

bool Read(int code, int32_t* field, int fieldCount) {
  if (!ReadNoted(SerialLink != nullptr)) return false;
  Buffer buffer = Staged(code, field, fieldCount);
  if (!ReadNoted(SerialLink->ReadVariable(code, buffer.data()))) return false;
  CopyBack(code, buffer, field, fieldCount);
  return true;
}

bool ReadRow(int code, int row, int32_t* field, int fieldCount) {
  if (!ReadNoted(SerialLink != nullptr)) return false;
  Buffer buffer = Staged(code, field, fieldCount);
  if (!ReadNoted(SerialLink->ReadRow(code, buffer.data(), row))) return false;
  CopyBack(code, buffer, field, fieldCount);
  return true;
}

bool WriteArray(int code, const int32_t* field, int fieldCount) {
  if (!WriteNoted(SerialLink != nullptr)) return false;
  const Buffer buffer = Staged(code, field, fieldCount);
  return WriteNoted(SerialLink->WriteArray(code, buffer.data()));
}

bool WriteRow(int code, int row, const int32_t* field, int fieldCount) {
  if (!WriteNoted(SerialLink != nullptr)) return false;
  const Buffer buffer = Staged(code, field, fieldCount);
  return WriteNoted(SerialLink->WriteRow(code, buffer.data(), row));
}

bool ReadBytes(int code, uint8_t* dest, int* count, int flag) {
  return ReadNoted(SerialLink && SerialLink->ReadBytes(code, dest, count, flag));
}

bool ReadEcuIdentity(uint8_t identity[4]) {
  if (!ReadNoted(SerialLink != nullptr)) return false;
  uint8_t read[4] = {identity[0], identity[1], identity[2], identity[3]};
  if (!ReadNoted(SerialLink->ReadEcuIdentity(read))) return false;
  std::copy(read, read + 4, identity);
  return true;
}

}  // namespace LinkTransfer

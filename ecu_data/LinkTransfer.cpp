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

}  // namespace

bool IsOpen() { return SerialLink && SerialLink->IsLinkOpen() != 0; }

bool ItemMissing() {
  return SerialLink && (SerialLink->GetLastErrorCode() & kGetLastErrorItemMissing) != 0;
}

bool WriteVariable(int code, int32_t value) {
  return SerialLink && SerialLink->WriteVariable(code, value);
}

bool WriteElement(int code, int index, int32_t value) {
  return SerialLink && SerialLink->WriteElement(code, index, value);
}

bool WriteCell(int code, int row, int col, int32_t value) {
  return SerialLink && SerialLink->WriteCell(code, row, col, value);
}

bool Read(int code, int32_t* field, int fieldCount) {
  if (!SerialLink) return false;
  Buffer buffer = Staged(code, field, fieldCount);
  if (!SerialLink->ReadVariable(code, buffer.data())) return false;
  CopyBack(code, buffer, field, fieldCount);
  return true;
}

bool ReadRow(int code, int row, int32_t* field, int fieldCount) {
  if (!SerialLink) return false;
  Buffer buffer = Staged(code, field, fieldCount);
  if (!SerialLink->ReadRow(code, buffer.data(), row)) return false;
  CopyBack(code, buffer, field, fieldCount);
  return true;
}

bool WriteArray(int code, const int32_t* field, int fieldCount) {
  if (!SerialLink) return false;
  const Buffer buffer = Staged(code, field, fieldCount);
  return SerialLink->WriteArray(code, buffer.data());
}

bool WriteRow(int code, int row, const int32_t* field, int fieldCount) {
  if (!SerialLink) return false;
  const Buffer buffer = Staged(code, field, fieldCount);
  return SerialLink->WriteRow(code, buffer.data(), row);
}

bool ReadBytes(int code, uint8_t* dest, int* count, int flag) {
  return SerialLink && SerialLink->ReadBytes(code, dest, count, flag);
}

bool ReadEcuIdentity(uint8_t identity[4]) {
  if (!SerialLink) return false;
  uint8_t read[4] = {identity[0], identity[1], identity[2], identity[3]};
  if (!SerialLink->ReadEcuIdentity(read)) return false;
  std::copy(read, read + 4, identity);
  return true;
}

}  // namespace LinkTransfer

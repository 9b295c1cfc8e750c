#pragma once
// The code word of every link operation: which ECU variable, its width, sign, array or packet
// form and element count.
#include <cstdint>

namespace SerialWord {

constexpr int kArray = 0x100;
constexpr int kTwoBytes = 0x200;
constexpr int kSigned = 0x400;
constexpr int kPacket = 0x800;

// Bits 20-27 of a value code select a bit field (width in 24-27, shift in 20-23); the link
// itself only ever sees the low 20 bits.
constexpr int kBitFieldMask = 0x0FF00000;

constexpr int Variable(int code) { return code & 0xFF; }
constexpr bool IsArray(int code) { return (code & kArray) != 0; }
constexpr bool IsTwoBytes(int code) { return (code & kTwoBytes) != 0; }
constexpr bool IsSigned(int code) { return (code & kSigned) != 0; }
constexpr bool IsPacket(int code) { return (code & kPacket) != 0; }
// Element count of an array code (bits 12-19); 1 for a scalar.
constexpr int Count(int code) { return IsArray(code) ? ((code >> 12) & 0xFF) : 1; }
constexpr bool IsBitField(int code) { return (code & kBitFieldMask) != 0; }
constexpr int BitWidth(int code) { return (code >> 24) & 0xF; }
constexpr int BitShift(int code) { return (code >> 20) & 0xF; }
// The SerialWord without any bit-field selection.
constexpr int Plain(int code) { return code & 0x000FFFFF; }
// The ECU variable a word names: variable number and width bit. The sign bit only tells how
// to read the value (a few words reach the same variable with and without it), so two words
// that name the same variable share this key.
constexpr int Key(int code) { return code & 0x2FF; }

constexpr int Make(int variable, bool twoBytes = false, bool isSigned = false, int count = 0) {
  return (variable & 0xFF) | (twoBytes ? kTwoBytes : 0) | (isSigned ? kSigned : 0) |
         (count > 0 ? (kArray | ((count & 0xFF) << 12)) : 0);
}

// Range of one element of the word's width and sign.
constexpr int32_t MinValue(int code) { return IsSigned(code) ? (IsTwoBytes(code) ? -32768 : -128) : 0; }
constexpr int32_t MaxValue(int code) {
  return IsSigned(code) ? (IsTwoBytes(code) ? 32767 : 127) : (IsTwoBytes(code) ? 65535 : 255);
}
// The value nearest to v that the word holds: what a setter stores for a value beyond its
// word, and the range of a configuration-file key of a field the ECU keeps in that word.
constexpr int32_t Clamp(int code, int64_t v) {
  return static_cast<int32_t>(v < MinValue(code) ? MinValue(code) : v > MaxValue(code) ? MaxValue(code) : v);
}
// An int32 as the ECU would hold it in the word's width: cut to the width, sign-extended
// when the word is signed.
constexpr int32_t Fit(int code, int32_t v) {
  if (IsTwoBytes(code)) {
    const uint16_t u = static_cast<uint16_t>(v);
    return IsSigned(code) ? static_cast<int16_t>(u) : u;
  }
  const uint8_t u = static_cast<uint8_t>(v);
  return IsSigned(code) ? static_cast<int8_t>(u) : u;
}

}  // namespace SerialWord

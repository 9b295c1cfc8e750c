#pragma once
// The exports of the language library, as the program looks them up. The library holds the
// texts of every language; the text of language L and number k has the id
// L x (texts per language) + k.
#include <cstddef>
#include <cstdint>

extern "C" {
// Fills *count with the number of languages.
using MaxLanguagesFn = void (*)(int8_t* count);
// Fills *count with the number of texts per language.
using MaxStringsFn = void (*)(int32_t* count);
// Copies text id as UTF-8 into buffer (at most size - 1 bytes, never a partial character, then
// a NUL) and returns the number of bytes copied; 0 when the text does not exist.
using LoadTextFn = int (*)(int id, char* buffer, int size);
}

constexpr const char* kMaxLanguagesExport = "_MaxLanguages";
constexpr const char* kMaxStringsExport = "_MaxStrings";
constexpr const char* kLoadTextExport = "_LoadText";

// One entry of a text table.
struct LanguageTextEntry {
  int k;
  const char* text;
};

// Text numbers of the program's own table: 0 .. kOwnTextCount - 1. Numbers from 539 on are the
// texts of windows and controls that the numbers below 539 do not cover.
constexpr int kOwnTextCount = 700;

// True when every entry of a table has a number below kOwnTextCount (a text beyond it could
// never be read).
template <std::size_t N>
constexpr bool TextNumbersFit(const LanguageTextEntry (&table)[N]) {
  for (const LanguageTextEntry& e : table)
    if (e.k < 0 || e.k >= kOwnTextCount) return false;
  return true;
}

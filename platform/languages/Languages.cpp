// The language library: the texts of every language the program offers, language 0 (Italian,
// the same texts as the program's own table) and language 1 (English).
#include <array>
#include <cstring>
#include <iterator>

#include "LanguageExports.h"

#if defined(_WIN32)
#define LANGUAGES_EXPORT extern "C" __declspec(dllexport)
#else
#define LANGUAGES_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

constexpr LanguageTextEntry kItalian[] = {
#include "ItalianTexts.inc"
};
constexpr LanguageTextEntry kEnglish[] = {
#include "EnglishTexts.inc"
};
static_assert(TextNumbersFit(kItalian) && TextNumbersFit(kEnglish));

struct Language {
  const LanguageTextEntry* entries;
  size_t count;
};
const Language kLanguages[] = {
    {kItalian, std::size(kItalian)},
    {kEnglish, std::size(kEnglish)},
};
constexpr int kLanguageCount = static_cast<int>(std::size(kLanguages));

const char* Find(int id) {
  if (id < 0) return nullptr;
  const int language = id / kOwnTextCount;
  const int k = id % kOwnTextCount;
  if (language >= kLanguageCount) return nullptr;
  const Language& l = kLanguages[language];
  for (size_t i = 0; i < l.count; ++i)
    if (l.entries[i].k == k) return l.entries[i].text;
  return nullptr;
}

}  // namespace

LANGUAGES_EXPORT void _MaxLanguages(int8_t* count) {
  if (count) *count = static_cast<int8_t>(kLanguageCount);
}

LANGUAGES_EXPORT void _MaxStrings(int32_t* count) {
  if (count) *count = kOwnTextCount;
}

LANGUAGES_EXPORT int _LoadText(int id, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  const char* text = Find(id);
  if (!text) return 0;
  size_t n = std::strlen(text);
  const size_t room = static_cast<size_t>(size) - 1;
  if (n > room) {
    n = room;
    // Never end inside a UTF-8 sequence: step back over continuation bytes.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

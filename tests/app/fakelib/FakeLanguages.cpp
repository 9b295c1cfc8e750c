// Language libraries for the start-up tests: they report the counts given in the environment
// (FAKE_LANGUAGE_COUNT, FAKE_TEXT_COUNT; 0 when unset), and hold one text per id: "text <id>".
// Built twice: with both count exports, and with _MaxLanguages only (FAKE_ONLY_LANGUAGES).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
long Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::strtol(v, nullptr, 10) : 0;
}
}  // namespace

FAKE_EXPORT void _MaxLanguages(int8_t* count) { *count = static_cast<int8_t>(Env("FAKE_LANGUAGE_COUNT")); }

#ifndef FAKE_ONLY_LANGUAGES
FAKE_EXPORT void _MaxStrings(int32_t* count) { *count = static_cast<int32_t>(Env("FAKE_TEXT_COUNT")); }
#endif

FAKE_EXPORT int _LoadText(int id, char* buffer, int size) {
  if (id < 0 || size <= 0) return 0;
  const int n = std::snprintf(buffer, static_cast<size_t>(size), "text %d", id);
  return n < size ? n : size - 1;
}

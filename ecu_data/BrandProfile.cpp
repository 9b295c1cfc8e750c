#include "BrandProfile.h"

#include <array>
#include <cstring>

namespace {

struct BrandRow {
  int bit;
  uint8_t ecuCode;
  const char* configExt;
  const char* programExt;
  const char* registryKey;
  const char* title;
  // The file key, kept only scrambled in the binary (see DecodeKey).
  std::array<uint8_t, 17> scrambledKey;
  int keyLength;
};

// Each key byte is stored XOR a running byte that starts at 0x5A and steps by 0x27.
constexpr uint8_t KeyMask(int i) { return static_cast<uint8_t>(0x5A + 0x27 * i); }

template <size_t N>
constexpr std::array<uint8_t, 17> Scramble(const char (&text)[N]) {
  static_assert(N - 1 <= 16, "a brand file key has at most 16 characters");
  std::array<uint8_t, 17> out{};
  for (size_t i = 0; i + 1 < N; ++i)
    out[i] = static_cast<uint8_t>(static_cast<uint8_t>(text[i]) ^ KeyMask(static_cast<int>(i)));
  return out;
}

// Only this build's row is known; the other brand bits have rows in the original tables whose
// contents are not ours to know, so they fall back to the current brand.
const BrandRow kRows[] = {
    {8, 10, "trm", "ptn", "Tarn\\2001", "TARN - Nimbo XXI Injection System", Scramble("Tn8-Nimbo21kX.r"), 15},
};

// Brand value 12 (two bits together) stands for the neutral customer.
constexpr int kNeutralBrand = 12;
constexpr uint8_t kNeutralCode = 255;

const char kLabels[kBrandLabelSlots][kBrandLabelSize] = {
    "K.I.V.", "", "", "Tarn", "", "", "", "", "", "", "", "", "NEUTRO",
};

struct CodeToLabel {
  int code;
  int label;
};
const CodeToLabel kCodeLabels[] = {{0, 0}, {10, 3}, {255, 12}};

struct Profile {
  int bit = 0;
  uint8_t ecuCode = 0;
  char fileKey[kBrandFileKeySize] = {};
  char configExt[kBrandExtSize] = {};
  char programExt[kBrandExtSize] = {};
  char registryKey[30] = {};
  char title[38] = {};
};

Profile g_profile;

const BrandRow* FindRow(int bit) {
  for (const auto& row : kRows)
    if (row.bit == bit) return &row;
  return nullptr;
}

void DecodeKey(const BrandRow& row, char* dest) {
  std::memset(dest, 0, kBrandFileKeySize);
  for (int i = 0; i < row.keyLength && i < 16; ++i)
    dest[i] = static_cast<char>(row.scrambledKey[static_cast<size_t>(i)] ^ KeyMask(i));
}

void CopyText(char* dest, size_t size, const char* src) {
  const size_t n = strnlen(src, size - 1);
  std::memcpy(dest, src, n);
  dest[n] = '\0';
}

}  // namespace

void SelectBrand(int brandBit) {
  g_profile = Profile{};
  g_profile.bit = brandBit;
  const BrandRow* row = FindRow(brandBit);
  if (!row) return;
  g_profile.ecuCode = row->ecuCode;
  DecodeKey(*row, g_profile.fileKey);
  CopyText(g_profile.configExt, sizeof g_profile.configExt, row->configExt);
  CopyText(g_profile.programExt, sizeof g_profile.programExt, row->programExt);
  CopyText(g_profile.registryKey, sizeof g_profile.registryKey, row->registryKey);
  CopyText(g_profile.title, sizeof g_profile.title, row->title);
}

int GetBrandBit() { return g_profile.bit; }

int GetBrandLabelIndex(int customerCode) {
  for (const auto& entry : kCodeLabels)
    if (entry.code == customerCode) return entry.label;
  return g_profile.bit;
}

const char* GetBrandLabel(int index) {
  if (index >= 0 && index < kBrandLabelSlots) return kLabels[index];
  if (g_profile.bit >= 0 && g_profile.bit < kBrandLabelSlots) return kLabels[g_profile.bit];
  return "";
}

const char* GetBrandFileKey() { return g_profile.fileKey; }

char* GetBrandFileKeyFor(char* dest, int brandBit) {
  if (const BrandRow* row = FindRow(brandBit))
    DecodeKey(*row, dest);
  else
    std::memcpy(dest, g_profile.fileKey, kBrandFileKeySize);
  return dest;
}

const char* GetBrandConfigExt() { return g_profile.configExt; }

char* GetBrandConfigExtFor(char* dest, int brandBit) {
  if (const BrandRow* row = FindRow(brandBit))
    CopyText(dest, kBrandExtSize, row->configExt);
  else
    std::memcpy(dest, g_profile.configExt, kBrandExtSize);
  return dest;
}

const char* GetBrandProgramExt() { return g_profile.programExt; }

const char* GetBrandRegistryKey() { return g_profile.registryKey; }

const char* GetBrandTitle() { return g_profile.title; }

uint8_t GetBrandEcuCode(int brandBit) {
  if (brandBit == kNeutralBrand) return kNeutralCode;
  if (const BrandRow* row = FindRow(brandBit)) return row->ecuCode;
  return g_profile.ecuCode;
}

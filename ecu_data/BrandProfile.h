#pragma once
// The build's brand: product title, registry location, file extensions, ECU customer code and
// configuration-file key. Filled once at start-up by SelectBrand and read-only afterwards.
#include <cstdint>

constexpr int kThisBuildBrandBit = 8;
constexpr int kBrandLabelSlots = 13;
constexpr int kBrandLabelSize = 10;
constexpr int kBrandFileKeySize = 20;  // buffer size; the key has at most 16 characters
constexpr int kBrandExtSize = 4;

void SelectBrand(int brandBit);
int GetBrandBit();
// Label index 0..12 of an ECU customer code; any other value gives the current brand bit.
int GetBrandLabelIndex(int customerCode);
// The 10-byte label of a slot; an index outside 0..12 gives the slot numbered as the brand
// bit, or an empty label when the brand bit is not a slot number either.
const char* GetBrandLabel(int index);
const char* GetBrandFileKey();
// Builds the key of another brand into dest (at least 20 bytes); an unknown brand bit copies
// the current key. Returns dest.
char* GetBrandFileKeyFor(char* dest, int brandBit);
const char* GetBrandConfigExt();
// Copies that brand's configuration extension into dest (4 bytes); an unknown bit copies the
// current one. Returns dest.
char* GetBrandConfigExtFor(char* dest, int brandBit);
const char* GetBrandProgramExt();
const char* GetBrandRegistryKey();
const char* GetBrandTitle();
// The ECU customer code of a brand bit; a value not in the table (callers pass 0) gives the
// current brand's code.
uint8_t GetBrandEcuCode(int brandBit);

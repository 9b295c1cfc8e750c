#include "SimMemory.h"

#include <cstddef>

#include "SerialWord.h"
#include "SimNtc.h"

namespace {

int32_t Cut(int key, int32_t value) { return SerialWord::Fit(key & ~SerialWord::kSigned, value); }

}  // namespace

SimMemory::SimMemory() {
  slot_.fill(-1);
  using SerialWord::Key;
  const auto ntc = [](float c) { return SimNtc::Reading(c); };

  // Maps: gas map (ms x 250), petrol map, enrichment map (value / 2), adaptive zone ids.
  Define(0x20E, 12, 12,
         {1002, 1044, 1083, 1123, 1166, 1216, 1274, 1339, 1411, 1490, 1574, 1660, 1182, 1222, 1258, 1295,
          1336, 1386, 1444, 1511, 1586, 1669, 1756, 1844, 1363, 1402, 1434, 1467, 1507, 1557, 1617, 1685,
          1764, 1851, 1941, 2032, 1593, 1633, 1661, 1689, 1728, 1781, 1844, 1917, 2002, 2095, 2189, 2281,
          1767, 1809, 1834, 1859, 1899, 1957, 2028, 2108, 2199, 2294, 2388, 2480, 1929, 1974, 1994, 2018,
          2064, 2132, 2217, 2309, 2405, 2500, 2592, 2682, 2107, 2145, 2167, 2200, 2264, 2355, 2463, 2573,
          2676, 2770, 2858, 2942, 2253, 2283, 2308, 2349, 2436, 2551, 2680, 2807, 2914, 3005, 3090, 3171,
          2386, 2417, 2446, 2495, 2596, 2725, 2864, 3001, 3111, 3201, 3285, 3365, 2575, 2613, 2658, 2726,
          2828, 2954, 3091, 3224, 3338, 3436, 3522, 3604, 2759, 2806, 2864, 2941, 3042, 3162, 3290, 3416,
          3531, 3632, 3724, 3809, 2950, 2983, 3049, 3100, 3200, 3325, 3450, 3550, 3650, 3750, 3825, 3900});
  Fill(0x24F, 12, 12, 0);
  Define(0x36, 5, 6, {40, 40, 30, 30, 20, 20, 30, 30, 20, 20, 10, 10, 30, 30, 20,
                      20, 10, 10, 20, 20, 15, 10, 10, 10, 20, 20, 15, 10, 10, 10});
  Fill(0x54, 12, 12, 0);

  // Breakpoints and per-breakpoint tables.
  Define(0x20C, 1, 12, {500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6000});
  Define(0x0D, 1, 12, {9, 17, 24, 32, 40, 47, 55, 63, 71, 79, 87, 95});
  Fill(0x1C, 1, 12, 0);
  Fill(0x1D, 1, 12, 2);
  Fill(0x19, 1, 12, 2);
  Define(0x1E, 1, 12, {24, 24, 12, 4, 4, 4, 4, 4, 4, 4, 4, 4});
  Define(0x1F, 1, 12, {24, 24, 12, 4, 4, 4, 4, 4, 4, 4, 4, 4});

  // Vectors.
  Define(0x4E, 1, 8, {0, 2, 3, 1});
  Define(0x25, 1, 4, {255 - 199, 255 - 140, 255 - 93, 255 - 39});
  Fill(0x50, 1, 5, 100);
  Define(0x31, 1, 6, {20, 40, 30, 20, 20, 20});
  Fill(0x30, 1, 6, 50);
  Define(Key(0x432), 1, 5, {10, 20, 30, 40, 50});
  Fill(Key(0x637), 1, 145, 0);
  Fill(0x3D, 1, 145, 0);
  Fill(Key(0x45C), 1, 145, 0);
  Define(0x35, 1, 20, {0, 0, 'S', 't', 'a', 'n', 'd', 'a', 'r', 'd'});
  Fill(0x239, 1, 2, 0);
  Fill(0x23A, 1, 2, 0x41);
  Fill(Key(0x478), 1, 9, 0);
  Define(0x2A, 1, 10, {0, ntc(80), ntc(70), ntc(60), ntc(50), ntc(40), ntc(30), ntc(20), ntc(10), 255});
  Define(Key(0x455), 1, 6, {75, 75, 50, 40, 30, 30});
  Define(Key(0x67A), 1, 4, {100, 500, 35, 826});
  Define(0x7B, 1, 9, {47, 55, 61, 68, 76, 82, 90, 100, 110});
  Define(Key(0x47C), 1, 9, {70, 56, 42, 30, 20, 12, 0, -13, -26});
  // Gas-temperature breakpoints: the word 0xA17D carries 10 elements; the data set uses 9.
  Define(0x7D, 1, 10, {ntc(0), ntc(5), ntc(10), ntc(20), ntc(32), ntc(45), ntc(56), ntc(68), ntc(80), 0});
  Define(0x7E, 1, 9, {85, 88, 91, 94, 97, 100, 103, 106, 109});
  Define(0x84, 1, 3, {125, 75, 50});
  Define(0x85, 1, 3, {ntc(-5), ntc(20), ntc(40)});

  // Scalars: {code, factory value}.
  const struct {
    int code;
    int32_t value;
  } scalars[] = {
      {0x04, 2},     {0x05, 28},    {0x06, 0},       {0x07, 5},     {0x08, 31},    {0x09, 15},
      {0x0A, 31},    {0x0B, 15},    {0x0F, ntc(20)}, {0x11, 0},     {0x12, 0},     {0x14, 4},
      {0x17, 80},    {0x18, 1},     {0x1A, 0},       {0x1B, 5},     {0x20, 18},    {0x21, 18},
      {0x222, 0},    {0x23, 1},     {0x24, 129},     {0x2C, 204},   {0x2E, 10},    {0x2F, 0},
      {0x33, 3},     {0x34, 3},     {0x38, 100},     {0x3E, 255},   {0x3F, 10},    {0x43, 0},
      {0x44, 0},     {0x45, 20},    {0x46, 5},       {0x47, 42},    {0x48, 0},     {0x4D, 20},
      {0x56, 15},    {0x57, 0x33},  {0x59, 20},      {0x5A, 20},    {0x5D, 0},     {0x5F, 0},
      {0x60, 0},     {0x61, 0},     {0x62, 0},       {0x64, 100},   {0x65, 100},   {0x66, 0},
      {0x70, 0},     {0x73, 100},   {0x74, 250},     {0x75, 100},   {0x76, 40},    {0x7F, 100},
      {0x81, 0},     {0x203, 0x6C}, {0x210, 1801},   {0x213, 6500}, {0x215, 1200}, {0x216, 1800},
      {0x22D, 6000}, {0x23B, 0},    {0x23C, 0},      {0x24A, 2000}, {0x24B, 1600}, {0x253, 1000},
      {0x25E, 0},    {0x263, 0},    {0x26D, 0},      {0x277, 1250}, {0x449, 100},  {0x458, 0},
      {0x626, 200},  {0x627, -200}, {0x628, 80},     {0x629, -80},  {0x66C, 1000}, {0x671, 0},
      {0x672, 0},
  };
  for (const auto& s : scalars) Define(Key(s.code), 1, 1, {s.value});
}

void SimMemory::Define(int key, int rows, int cols, std::initializer_list<int32_t> values) {
  Variable v;
  v.rows = rows;
  v.cols = cols;
  v.values.assign(static_cast<std::size_t>(rows * cols), 0);
  std::size_t i = 0;
  for (int32_t x : values) {
    if (i >= v.values.size()) break;
    v.values[i++] = Cut(key, x);
  }
  v.factory = v.values;
  slot_[key] = static_cast<int16_t>(vars_.size());
  vars_.push_back(std::move(v));
}

void SimMemory::Fill(int key, int rows, int cols, int32_t value) {
  Define(key, rows, cols, {});
  Variable& v = vars_.back();
  v.values.assign(v.values.size(), Cut(key, value));
  v.factory = v.values;
}

SimMemory::Variable* SimMemory::Find(int key) {
  return Has(key) ? &vars_[static_cast<std::size_t>(slot_[key])] : nullptr;
}

const SimMemory::Variable* SimMemory::Find(int key) const {
  return Has(key) ? &vars_[static_cast<std::size_t>(slot_[key])] : nullptr;
}

void SimMemory::Reset() {
  for (Variable& v : vars_) v.values = v.factory;
}

int SimMemory::Size(int key) const {
  const Variable* v = Find(key);
  return v ? static_cast<int>(v->values.size()) : 0;
}

int SimMemory::Rows(int key) const {
  const Variable* v = Find(key);
  return v ? v->rows : 0;
}

int SimMemory::Cols(int key) const {
  const Variable* v = Find(key);
  return v ? v->cols : 0;
}

int32_t SimMemory::Get(int key, int index) const {
  const Variable* v = Find(key);
  if (!v || index < 0 || index >= static_cast<int>(v->values.size())) return 0;
  return v->values[static_cast<std::size_t>(index)];
}

int32_t SimMemory::Read(int word, int index) const {
  return SerialWord::Fit(word, Get(SerialWord::Key(word), index));
}

void SimMemory::Set(int key, int index, int32_t value) {
  Variable* v = Find(key);
  if (!v || index < 0 || index >= static_cast<int>(v->values.size())) return;
  v->values[static_cast<std::size_t>(index)] = Cut(key, value);
}

void SimMemory::SetFactory(int key, int index, int32_t value) {
  Variable* v = Find(key);
  if (!v || index < 0 || index >= static_cast<int>(v->values.size())) return;
  v->factory[static_cast<std::size_t>(index)] = v->values[static_cast<std::size_t>(index)] = Cut(key, value);
}

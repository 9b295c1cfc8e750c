#pragma once
// Variable memory of the simulated ECU: every variable the program reads and writes, each a
// table of rows x cols elements (a scalar is 1 x 1, a vector 1 x n), keyed by
// SerialWord::Key. Elements are kept cut to the variable's width, unsigned; the word that
// reads them decides the sign. The memory starts with the factory configuration, a plausible
// vehicle, and Reset brings it back.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

class SimMemory {
 public:
  static constexpr int kKeys = 0x300;

  SimMemory();

  // Every variable back to its factory values.
  void Reset();

  bool Has(int key) const { return key >= 0 && key < kKeys && slot_[key] >= 0; }
  // Elements of the variable; 0 when the ECU has no such variable.
  int Size(int key) const;
  int Rows(int key) const;
  int Cols(int key) const;
  // Stored element (0 outside the variable).
  int32_t Get(int key, int index) const;
  // Element as a word of the given sign reads it.
  int32_t Read(int word, int index) const;
  // Stores an element cut to the variable's width; outside the variable nothing happens.
  void Set(int key, int index, int32_t value);
  // Sets an element and makes it the factory value too.
  void SetFactory(int key, int index, int32_t value);

 private:
  struct Variable {
    int rows = 1;
    int cols = 1;
    std::vector<int32_t> values;
    std::vector<int32_t> factory;
  };
  void Define(int key, int rows, int cols, std::initializer_list<int32_t> values);
  void Fill(int key, int rows, int cols, int32_t value);
  Variable* Find(int key);
  const Variable* Find(int key) const;

  std::array<int16_t, kKeys> slot_{};
  std::vector<Variable> vars_;
};

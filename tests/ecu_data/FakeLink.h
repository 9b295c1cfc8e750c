#pragma once
// A recording link for the data-set tests: memory by variable key, refusals and absent items
// on demand, and a log of every data operation ("WV 0x203 108", "RA 0xc30c", ...).
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "SerialLink.h"
#include "SerialWord.h"

class FakeLink final : public TSerialLink {
 public:
  // Memory: per variable key, element index -> value. Rows and cells use index row * 256 + col.
  std::map<int, std::map<int, int32_t>> memory;
  std::set<int> refused;  // keys whose writes are refused
  std::set<int> missing;  // keys the ECU lacks: reads fail and set error bit 4
  std::vector<std::string> log;
  bool open = true;
  int lastError = 0;
  uint8_t identity[4] = {10, 10, 1, 1};

  static int KeyOf(int code) { return SerialWord::Key(SerialWord::Plain(code)); }
  int32_t& At(int code, int index = 0) { return memory[KeyOf(code)][index]; }
  void Clear() { log.clear(); }

  const char* GetPortName() override { return "FAKE"; }
  void SetLinkParamA(int) override {}
  void SetLinkParamB(int) override {}
  void SetScreen(IMessageSink*) override {}
  void SetLinkParamC(int) override {}
  void CloseLink() override { open = false; }
  int IsLinkOpen() override { return open ? 1 : 0; }
  int Connect() override { return 1; }
  void Disconnect() override { open = false; }
  int GetLastErrorCode() override { return lastError; }
  void EndProgramming() override {}
  void BeginProgramming() override {}

  bool ReadVariable(int code, int32_t* dest) override {
    Note("R", code);
    if (!Present(code)) return false;
    for (int i = 0; i < SerialWord::Count(code); ++i) dest[i] = Get(code, i);
    return true;
  }
  bool ReadRow(int code, int32_t* dest, int row) override {
    Note("RR", code, row);
    if (!Present(code)) return false;
    for (int i = 0; i < SerialWord::Count(code); ++i) dest[i] = Get(code, row * 256 + i);
    return true;
  }
  bool ReadPacket(int, uint8_t*, int*) override { return false; }
  bool WriteArray(int code, const int32_t* values) override {
    Note("WA", code);
    if (!Accept(code)) return false;
    for (int i = 0; i < SerialWord::Count(code); ++i) Put(code, i, values[i]);
    return true;
  }
  bool WriteVariable(int code, int32_t value) override {
    Note("WV", code, value);
    if (!Accept(code)) return false;
    Put(code, 0, value);
    return true;
  }
  bool WriteElement(int code, int index, int32_t value) override {
    Note("WE", code, index, value);
    if (!Accept(code)) return false;
    Put(code, index, value);
    return true;
  }
  bool WriteCell(int code, int row, int col, int32_t value) override {
    Note("WC", code, row, col, value);
    if (!Accept(code)) return false;
    Put(code, row * 256 + col, value);
    return true;
  }
  bool WriteRow(int code, const int32_t* values, int row) override {
    Note("WR", code, row);
    if (!Accept(code)) return false;
    for (int i = 0; i < SerialWord::Count(code); ++i) Put(code, row * 256 + i, values[i]);
    return true;
  }
  bool ReadBytes(int code, uint8_t* dest, int* count, int) override {
    Note("RB", code);
    if (!Present(code)) return false;
    for (int i = 0; i < *count; ++i) dest[i] = static_cast<uint8_t>(Get(code, i));
    return true;
  }
  bool ReadEcuIdentity(uint8_t out[4]) override {
    Note("ID", 0);
    for (int i = 0; i < 4; ++i) out[i] = identity[i];
    return open;
  }
  bool OpenLink() override { return open = true; }
  int ProgramFromFile(const char*, int, int, int) override { return 2; }
  int ProgramFromImage(const uint8_t*, int, int, int) override { return 2; }
  bool ReadBootIdentity(uint8_t*) override { return false; }
  void SetLinkParamD(int, int) override {}
  bool WriteAtAddress(int, int, int32_t) override { return false; }
  bool ReadCell(int, int32_t*, int, int) override { return false; }
  bool ReadAtAddress(int, int, int32_t*) override { return false; }

  // Log lines of one operation kind ("WV", "WE"...).
  std::vector<std::string> Only(const std::string& kind) const {
    std::vector<std::string> out;
    for (const auto& line : log)
      if (line.compare(0, kind.size() + 1, kind + " ") == 0) out.push_back(line);
    return out;
  }

 private:
  bool Present(int code) {
    lastError = missing.count(KeyOf(code)) ? kGetLastErrorItemMissing : 0;
    return open && lastError == 0;
  }
  bool Accept(int code) {
    lastError = missing.count(KeyOf(code)) ? kGetLastErrorItemMissing : 0;
    return open && lastError == 0 && !refused.count(KeyOf(code));
  }
  int32_t Get(int code, int index) {
    auto& cells = memory[KeyOf(code)];
    auto it = cells.find(index);
    return it == cells.end() ? 0 : SerialWord::Fit(code, it->second);
  }
  void Put(int code, int index, int32_t v) { memory[KeyOf(code)][index] = SerialWord::Fit(code, v); }
  template <typename... Args>
  void Note(const char* kind, int code, Args... args) {
    char text[96];
    int n = std::snprintf(text, sizeof text, "%s 0x%x", kind, code);
    ((n += std::snprintf(text + n, sizeof text - n, " %d", static_cast<int>(args))), ...);
    log.emplace_back(text);
  }
};

// Points the global link at a fake for the lifetime of a test.
class ScopedLink {
 public:
  explicit ScopedLink(TSerialLink* link) : previous_(SerialLink) { SerialLink = link; }
  ~ScopedLink() { SerialLink = previous_; }
  ScopedLink(const ScopedLink&) = delete;
  ScopedLink& operator=(const ScopedLink&) = delete;

 private:
  TSerialLink* previous_;
};

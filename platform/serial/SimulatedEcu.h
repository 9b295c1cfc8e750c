#pragma once
// The simulated ECU behind the stand-in serial library, seen from the line: its variable
// memory, identity, readiness, boot loader and programming, engine model, faults on demand and
// a log of every call. Its link operations are those of TSerialLink (SimLink forwards them);
// tests configure it through the rest of the API.
//
// The line: OpenLink opens it (WM_ECUCHANGED 1 to the screen), Connect opens it when closed and
// starts the ECU's readiness delay, CloseLink and Disconnect close it (WM_ECUCHANGED 0). With the
// line closed every write returns true and stores nothing and every read fails.
//
// GetLastErrorCode after an exchange: 0 done; 1 no answer (line closed, dropped or silent);
// 2 write refused; 4 the ECU lacks the item (unknown variable, element outside it, absent).
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "LiveDataRecord.h"
#include "SimEngine.h"
#include "SimMemory.h"

class IClock;
class IMessageSink;

// The link operations, in the interface's slot order.
enum class SimOp : uint8_t {
  GetPortName,
  SetLinkParamA,
  SetLinkParamB,
  SetScreen,
  SetLinkParamC,
  CloseLink,
  IsLinkOpen,
  Connect,
  Disconnect,
  GetLastErrorCode,
  EndProgramming,
  BeginProgramming,
  ReadVariable,
  ReadRow,
  ReadPacket,
  WriteArray,
  WriteVariable,
  WriteElement,
  WriteCell,
  WriteRow,
  ReadBytes,
  ReadEcuIdentity,
  OpenLink,
  ProgramFromFile,
  ProgramFromImage,
  ReadBootIdentity,
  SetLinkParamD,
  WriteAtAddress,
  ReadCell,
  ReadAtAddress,
};

const char* SimOpName(SimOp op);

// One logged call. code is the word as the caller passed it (bit-field bits included).
struct SimCall {
  SimOp op = SimOp::IsLinkOpen;
  int code = 0;
  // The operation's further arguments: row or index or address or size in a, column in b;
  // the three integers of the programming calls and of SetLinkParamD in a, b, c.
  int a = 0;
  int b = 0;
  int c = 0;
  // The value written, or the first value read (identity: customer code; image: its length).
  int32_t value = 0;
  // The operation's result: bool as 0/1, the int result otherwise.
  int result = 0;

  // "WriteCell(0x20E, 3, 5, 1002) -> 1"
  std::string Text() const;
};

class SimulatedEcu {
 public:
  static constexpr int kEcuType = 10;
  static constexpr int kReadyState = 172;
  static constexpr int kResetCommand = 240;

  SimulatedEcu();
  SimulatedEcu(const SimulatedEcu&) = delete;
  SimulatedEcu& operator=(const SimulatedEcu&) = delete;

  // ---- link operations (TSerialLink) ----
  const char* GetPortName();
  void SetLinkParamA(int value);
  void SetLinkParamB(int value);
  void SetScreen(IMessageSink* screen);
  void SetLinkParamC(int value);
  void CloseLink();
  int IsLinkOpen();
  int Connect();
  void Disconnect();
  int GetLastErrorCode();
  void EndProgramming();
  void BeginProgramming();
  bool ReadVariable(int code, int32_t* dest);
  bool ReadRow(int code, int32_t* dest, int row);
  bool ReadPacket(int code, uint8_t* buffer, int* size);
  bool WriteArray(int code, const int32_t* values);
  bool WriteVariable(int code, int32_t value);
  bool WriteElement(int code, int index, int32_t value);
  bool WriteCell(int code, int row, int col, int32_t value);
  bool WriteRow(int code, const int32_t* values, int row);
  bool ReadBytes(int code, uint8_t* dest, int* count, int flag);
  bool ReadEcuIdentity(uint8_t identity[4]);
  bool OpenLink();
  int ProgramFromFile(const char* path, int a, int b, int c);
  int ProgramFromImage(const uint8_t* image, int a, int b, int c);
  bool ReadBootIdentity(uint8_t identity[2]);
  void SetLinkParamD(int a, int b);
  bool WriteAtAddress(int code, int address, int32_t value);
  bool ReadCell(int code, int32_t* dest, int row, int col);
  bool ReadAtAddress(int code, int address, int32_t* dest);

  // ---- configuration ----
  // The clock the ECU measures time with (nullptr: the process clock, Clock()). A test that
  // loaded the library hands its own, since the library has its own process clock.
  void UseClock(IClock* clock) { clock_ = clock; }
  void SetPortName(const std::string& port) { port_ = port; }
  // Variable 2 reads 172 this long after a Connect, a reset or a programming.
  void SetReadyDelay(uint32_t ms) { readyDelay_ = ms; }
  bool IsReady();
  // Identity bytes: customer code (255 = none yet), ECU type, model, software version.
  void SetIdentity(int customer, int type, int model, int software);
  void SetCustomerCode(int code) { identity_[0] = static_cast<uint8_t>(code); }
  int CustomerCode() const { return identity_[0]; }
  // Boot loader identity; customer -1 follows the ECU's customer code.
  void SetBootIdentity(int customer, int type);
  // The firmware version words, variables 0x24C and 0x25B.
  void SetVersionWords(int word24C, int word25B);
  // Rows of the enrichment map that ReadBytes(4, ..., flag 1) reports; -1: the ECU lacks the
  // item.
  void SetEnrichmentRows(int rows) { enrichmentRows_ = rows; }

  // ---- faults on demand ----
  // The ECU lacks the variable of this code: every exchange on it fails with error bit 4.
  void SetAbsent(int code, bool absent = true);
  // Writes to the variable of this code are refused (error 2); reads still work.
  void SetWriteRefused(int code, bool refused = true);
  // The line drops (closes, WM_ECUCHANGED 0) when the next exchange after `operations` more
  // exchanges comes; -1 never.
  void DropLinkAfter(int operations) { dropAfter_ = operations; }
  // A drop asked for with DropLinkAfter has not come yet.
  bool DropPending() const { return dropAfter_ >= 0; }
  // The ECU stays silent: every exchange, Connect, identity and programming fails.
  void SetNoAnswer(bool silent) { noAnswer_ = silent; }
  // The ECU falls silent (SetNoAnswer(true)) at the next exchange after `operations` more
  // exchanges, with the line left open; -1 never.
  void FallSilentAfter(int operations) { silentAfter_ = operations; }
  // A silence asked for with FallSilentAfter has not come yet.
  bool SilencePending() const { return silentAfter_ >= 0; }
  // The next n Connect (OpenLink) calls fail.
  void FailConnects(int n) { failConnects_ = n; }
  void FailOpenLinks(int n) { failOpenLinks_ = n; }
  // Asks the program to reconnect (WM_ECUCHANGED 3).
  void RequestReconnect();

  // ---- programming ----
  // Results the next programming calls return, in order; 0 once the queue is empty.
  void QueueProgramResults(const std::vector<int>& results);
  bool InProgramming() const { return programming_; }
  int ProgramCalls() const { return programCalls_; }
  // The image (its length word included) and path of the last programming calls.
  const std::vector<uint8_t>& LastImage() const { return lastImage_; }
  const std::string& LastProgramFile() const { return lastFile_; }

  // ---- engine ----
  // Key on: a cold engine at idle. The first OpenLink starts it when nothing did.
  void StartEngine(double ambientCelsius = 15.0);
  void StopEngine() { engine_.Stop(); }
  // Holds the engine at rpm from now until HoldRpm(0).
  void HoldRpm(int rpm);
  // Holds the engine at rpm from engine time startMs (since key on) for lengthMs (0: for ever).
  void ScheduleRpmHold(int rpm, uint32_t startMs, uint32_t lengthMs);
  // A failing self-check: diagnosis bit `bit` is set in the error word (0x239 element 0) while
  // active and enabled in 0x23A, also after the program cleared it.
  void SetDiagnosisFault(int bit, bool active = true) { engine_.SetFault(bit, active); }
  // The live record as the ECU would send it now.
  LiveDataRecord LiveRecord();
  const SimEngine& Engine() const { return engine_; }

  // ---- memory ----
  bool HasVariable(int code) const;
  // Element of the variable of `code`, read as that word reads it (its sign).
  int32_t Stored(int code, int index = 0) const;
  std::vector<int32_t> StoredValues(int code) const;
  // Sets an element directly (cut to the variable's width), without a call or a log entry.
  void Store(int code, int index, int32_t value);
  // Sets an element and makes it part of the factory configuration that a reset restores.
  void StoreFactory(int code, int index, int32_t value);
  // Back to the factory configuration (a reset or a programming does this too).
  void ResetMemory() { memory_.Reset(); }

  // ---- call log ----
  const std::deque<SimCall>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  int CountCalls(SimOp op) const;
  int CountCalls(SimOp op, int code) const;
  // Every call of the log as Text(), one per line.
  std::string CallText() const;
  void SetCallLog(bool on) { logOn_ = on; }

 private:
  enum class Line { Open, Closed, Silent };

  uint32_t Now();
  Line Exchange();
  void Open();
  void Close();
  void Post(int change);
  void RestartReadiness();
  // Reads `n` elements from `start` of the variable of `word` into out, or writes them from in.
  bool Transfer(int word, int start, int n, int32_t* out, const int32_t* in);
  bool SpecialRead(int key, int32_t* dest);
  bool SpecialWrite(int key, int32_t value);
  bool Read(SimOp op, int code, int start, int n, int32_t* dest, int a, int b);
  bool Write(SimOp op, int code, int start, int n, const int32_t* values, int a, int b);
  int Program(SimOp op, const uint8_t* image, const char* path, int a, int b, int c);
  int Stride(int key, int word) const;
  // First element of a row or a cell of the variable of `word`; -1 when it cannot be one.
  int RowStart(int word, int row) const;
  int CellStart(int word, int row, int col) const;
  // Starts a write: true when it goes to the ECU; otherwise `ok` holds the result of a write
  // on a closed line (accepted, kept nowhere) or to a silent ECU (failed).
  bool BeginWrite(bool& ok);
  void Log(SimOp op, int code, int a, int b, int c, int32_t value, int result);

  SimMemory memory_;
  SimEngine engine_;
  bool keyedOn_ = false;
  IClock* clock_ = nullptr;
  IMessageSink* screen_ = nullptr;
  std::string port_ = "COM1";
  std::array<uint8_t, 4> identity_{{10, kEcuType, 1, 1}};
  int bootCustomer_ = -1;
  int bootType_ = kEcuType;
  int version24C_ = 774;
  int version25B_ = 774;
  int enrichmentRows_ = 5;
  bool open_ = false;
  int error_ = 0;
  uint32_t readyDelay_ = 1000;
  bool readyPending_ = false;
  uint32_t readySince_ = 0;
  std::vector<bool> absent_ = std::vector<bool>(SimMemory::kKeys, false);
  std::vector<bool> refused_ = std::vector<bool>(SimMemory::kKeys, false);
  int dropAfter_ = -1;
  int silentAfter_ = -1;
  bool noAnswer_ = false;
  int failConnects_ = 0;
  int failOpenLinks_ = 0;
  bool programming_ = false;
  int programCalls_ = 0;
  std::deque<int> programResults_;
  std::vector<uint8_t> lastImage_;
  std::string lastFile_;
  std::vector<uint8_t> ram_ = std::vector<uint8_t>(0x10000, 0);
  std::deque<SimCall> calls_;
  bool logOn_ = true;
};

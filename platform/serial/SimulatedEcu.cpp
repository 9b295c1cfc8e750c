#include "SimulatedEcu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Clock.h"
#include "MessageSink.h"
#include "SerialWord.h"

namespace {

constexpr int kErrorNone = 0;
constexpr int kErrorNoAnswer = 1;
constexpr int kErrorRefused = 2;
constexpr int kErrorMissing = 4;

// Variables the ECU answers from its own state rather than from memory.
constexpr int kStateVariable = 0x02;
constexpr int kCustomerVariable = 0x40;
constexpr int kVersion24C = 0x24C;
constexpr int kVersion25B = 0x25B;

constexpr size_t kLogCapacity = 1 << 16;
constexpr uint32_t kImageLimit = 64u << 20;

// Elements of one row: the word's count bits (a row word may come without the array bit).
int RowLength(int word) { return std::max(1, (word >> 12) & 0xFF); }

int WordKey(int code) { return SerialWord::Key(SerialWord::Plain(code)); }

}  // namespace

const char* SimOpName(SimOp op) {
  static const char* const kNames[] = {
      "GetPortName",      "SetLinkParamA",    "SetLinkParamB",  "SetScreen",       "SetLinkParamC",
      "CloseLink",        "IsLinkOpen",       "Connect",        "Disconnect",      "GetLastErrorCode",
      "EndProgramming",   "BeginProgramming", "ReadVariable",   "ReadRow",         "ReadPacket",
      "WriteArray",       "WriteVariable",    "WriteElement",   "WriteCell",       "WriteRow",
      "ReadBytes",        "ReadEcuIdentity",  "OpenLink",       "ProgramFromFile", "ProgramFromImage",
      "ReadBootIdentity", "SetLinkParamD",    "WriteAtAddress", "ReadCell",        "ReadAtAddress"};
  const auto i = static_cast<size_t>(op);
  return i < std::size(kNames) ? kNames[i] : "?";
}

std::string SimCall::Text() const {
  char args[96] = "";
  switch (op) {
    case SimOp::SetLinkParamA:
    case SimOp::SetLinkParamB:
    case SimOp::SetLinkParamC:
      std::snprintf(args, sizeof args, "%d", a);
      break;
    case SimOp::SetLinkParamD:
      std::snprintf(args, sizeof args, "%d, %d", a, b);
      break;
    case SimOp::ReadVariable:
    case SimOp::WriteArray:
    case SimOp::WriteVariable:
      std::snprintf(args, sizeof args, "0x%X, %d", code, value);
      break;
    case SimOp::ReadRow:
    case SimOp::ReadPacket:
    case SimOp::WriteElement:
    case SimOp::WriteRow:
    case SimOp::ReadAtAddress:
    case SimOp::WriteAtAddress:
      std::snprintf(args, sizeof args, "0x%X, %d, %d", code, a, value);
      break;
    case SimOp::ReadCell:
    case SimOp::WriteCell:
    case SimOp::ReadBytes:
      std::snprintf(args, sizeof args, "0x%X, %d, %d, %d", code, a, b, value);
      break;
    case SimOp::ProgramFromFile:
    case SimOp::ProgramFromImage:
      std::snprintf(args, sizeof args, "%d, %d, %d", a, b, c);
      break;
    default:
      break;
  }
  return std::string(SimOpName(op)) + "(" + args + ") -> " + std::to_string(result);
}

SimulatedEcu::SimulatedEcu() = default;

// ---- the line ----

uint32_t SimulatedEcu::Now() { return clock_ ? clock_->GetTickCount() : Clock().GetTickCount(); }

SimulatedEcu::Line SimulatedEcu::Exchange() {
  engine_.Advance(Now(), memory_);
  if (!open_) return Line::Closed;
  if (dropAfter_ == 0) {
    dropAfter_ = -1;
    Close();
    return Line::Closed;
  }
  if (dropAfter_ > 0) --dropAfter_;
  if (silentAfter_ == 0) {
    silentAfter_ = -1;
    noAnswer_ = true;
  } else if (silentAfter_ > 0) {
    --silentAfter_;
  }
  return noAnswer_ ? Line::Silent : Line::Open;
}

void SimulatedEcu::Post(int change) {
  if (screen_) screen_->PostToForms(WM_ECUCHANGED, 0, change);
}

void SimulatedEcu::Open() {
  if (!keyedOn_) StartEngine();
  if (open_) return;
  open_ = true;
  Post(EcuLinkOpened);
}

void SimulatedEcu::Close() {
  if (!open_) return;
  open_ = false;
  Post(EcuLinkClosed);
}

void SimulatedEcu::RequestReconnect() { Post(EcuReconnect); }

void SimulatedEcu::RestartReadiness() {
  readyPending_ = true;
  readySince_ = Now();
}

bool SimulatedEcu::IsReady() {
  if (readyPending_ && Now() - readySince_ >= readyDelay_) readyPending_ = false;
  return !readyPending_;
}

// ---- link operations ----

const char* SimulatedEcu::GetPortName() {
  Log(SimOp::GetPortName, 0, 0, 0, 0, 0, 1);
  return port_.c_str();
}

void SimulatedEcu::SetLinkParamA(int value) { Log(SimOp::SetLinkParamA, 0, value, 0, 0, 0, 1); }
void SimulatedEcu::SetLinkParamB(int value) { Log(SimOp::SetLinkParamB, 0, value, 0, 0, 0, 1); }
void SimulatedEcu::SetLinkParamC(int value) { Log(SimOp::SetLinkParamC, 0, value, 0, 0, 0, 1); }
void SimulatedEcu::SetLinkParamD(int a, int b) { Log(SimOp::SetLinkParamD, 0, a, b, 0, 0, 1); }

void SimulatedEcu::SetScreen(IMessageSink* screen) {
  screen_ = screen;
  Log(SimOp::SetScreen, 0, 0, 0, 0, 0, 1);
}

bool SimulatedEcu::OpenLink() {
  bool ok = false;
  if (failOpenLinks_ > 0) {
    --failOpenLinks_;
  } else {
    Open();
    ok = true;
  }
  Log(SimOp::OpenLink, 0, 0, 0, 0, 0, ok);
  return ok;
}

void SimulatedEcu::CloseLink() {
  Close();
  Log(SimOp::CloseLink, 0, 0, 0, 0, 0, 1);
}

void SimulatedEcu::Disconnect() {
  Close();
  Log(SimOp::Disconnect, 0, 0, 0, 0, 0, 1);
}

int SimulatedEcu::IsLinkOpen() {
  Log(SimOp::IsLinkOpen, 0, 0, 0, 0, 0, open_);
  return open_ ? 1 : 0;
}

int SimulatedEcu::Connect() {
  engine_.Advance(Now(), memory_);
  int result = 0;
  if (noAnswer_) {
    error_ = kErrorNoAnswer;
  } else if (failConnects_ > 0) {
    --failConnects_;
    error_ = kErrorNoAnswer;
  } else {
    Open();
    RestartReadiness();
    error_ = kErrorNone;
    result = 1;
  }
  Log(SimOp::Connect, 0, 0, 0, 0, 0, result);
  return result;
}

int SimulatedEcu::GetLastErrorCode() {
  Log(SimOp::GetLastErrorCode, 0, 0, 0, 0, 0, error_);
  return error_;
}

int SimulatedEcu::Stride(int key, int word) const {
  return memory_.Rows(key) > 1 ? memory_.Cols(key) : RowLength(word);
}

bool SimulatedEcu::SpecialRead(int key, int32_t* dest) {
  switch (key) {
    case kStateVariable:
      *dest = IsReady() ? kReadyState : 0;
      break;
    case kCustomerVariable:
      *dest = identity_[0];
      break;
    case kVersion24C:
      *dest = version24C_;
      break;
    default:
      *dest = version25B_;
      break;
  }
  error_ = kErrorNone;
  return true;
}

bool SimulatedEcu::SpecialWrite(int key, int32_t value) {
  if (key == kCustomerVariable) {
    identity_[0] = static_cast<uint8_t>(value);
  } else if (key == kStateVariable && (value & 0xFF) == kResetCommand) {
    // The reset order: the ECU restarts with its factory configuration.
    memory_.Reset();
    RestartReadiness();
  } else {
    error_ = kErrorRefused;  // version words and other states are read-only
    return false;
  }
  error_ = kErrorNone;
  return true;
}

bool SimulatedEcu::Transfer(int word, int start, int n, int32_t* out, const int32_t* in) {
  const int key = SerialWord::Key(word);
  if (absent_[static_cast<size_t>(key)]) {
    error_ = kErrorMissing;
    return false;
  }
  if (in && refused_[static_cast<size_t>(key)]) {
    error_ = kErrorRefused;
    return false;
  }
  if (key == kStateVariable || key == kCustomerVariable || key == kVersion24C || key == kVersion25B) {
    if (start != 0 || n != 1) {
      error_ = kErrorMissing;
      return false;
    }
    return in ? SpecialWrite(key, in[0]) : SpecialRead(key, out);
  }
  if (start < 0 || n < 1 || start + n > memory_.Size(key)) {
    error_ = kErrorMissing;
    return false;
  }
  for (int i = 0; i < n; ++i) {
    if (in)
      memory_.Set(key, start + i, in[i]);
    else
      out[i] = memory_.Read(word, start + i);
  }
  error_ = kErrorNone;
  return true;
}

bool SimulatedEcu::Read(SimOp op, int code, int start, int n, int32_t* dest, int a, int b) {
  bool ok = false;
  if (Exchange() != Line::Open)
    error_ = kErrorNoAnswer;
  else if (!dest)
    error_ = kErrorMissing;
  else
    ok = Transfer(SerialWord::Plain(code), start, n, dest, nullptr);
  Log(op, code, a, b, 0, ok ? dest[0] : 0, ok);
  return ok;
}

bool SimulatedEcu::BeginWrite(bool& ok) {
  const Line line = Exchange();
  ok = line == Line::Closed;  // offline: accepted, kept nowhere
  if (line != Line::Open) error_ = ok ? kErrorNone : kErrorNoAnswer;
  return line == Line::Open;
}

bool SimulatedEcu::Write(SimOp op, int code, int start, int n, const int32_t* values, int a, int b) {
  bool ok = false;
  if (BeginWrite(ok)) {
    if (values)
      ok = Transfer(SerialWord::Plain(code), start, n, nullptr, values);
    else
      error_ = kErrorMissing;
  }
  Log(op, code, a, b, 0, values ? values[0] : 0, ok);
  return ok;
}

int SimulatedEcu::RowStart(int word, int row) const {
  const int stride = Stride(SerialWord::Key(word), word);
  return row >= 0 && RowLength(word) <= stride ? row * stride : -1;
}

int SimulatedEcu::CellStart(int word, int row, int col) const {
  const int stride = Stride(SerialWord::Key(word), word);
  return row >= 0 && col >= 0 && col < stride ? row * stride + col : -1;
}

bool SimulatedEcu::ReadVariable(int code, int32_t* dest) {
  return Read(SimOp::ReadVariable, code, 0, SerialWord::Count(SerialWord::Plain(code)), dest, 0, 0);
}

bool SimulatedEcu::ReadRow(int code, int32_t* dest, int row) {
  const int word = SerialWord::Plain(code);
  return Read(SimOp::ReadRow, code, RowStart(word, row), RowLength(word), dest, row, 0);
}

bool SimulatedEcu::ReadCell(int code, int32_t* dest, int row, int col) {
  return Read(SimOp::ReadCell, code, CellStart(SerialWord::Plain(code), row, col), 1, dest, row, col);
}

bool SimulatedEcu::WriteArray(int code, const int32_t* values) {
  return Write(SimOp::WriteArray, code, 0, SerialWord::Count(SerialWord::Plain(code)), values, 0, 0);
}

bool SimulatedEcu::WriteVariable(int code, int32_t value) {
  return Write(SimOp::WriteVariable, code, 0, 1, &value, 0, 0);
}

bool SimulatedEcu::WriteElement(int code, int index, int32_t value) {
  return Write(SimOp::WriteElement, code, index, 1, &value, index, 0);
}

bool SimulatedEcu::WriteCell(int code, int row, int col, int32_t value) {
  return Write(SimOp::WriteCell, code, CellStart(SerialWord::Plain(code), row, col), 1, &value, row, col);
}

bool SimulatedEcu::WriteRow(int code, const int32_t* values, int row) {
  const int word = SerialWord::Plain(code);
  return Write(SimOp::WriteRow, code, RowStart(word, row), RowLength(word), values, row, 0);
}

bool SimulatedEcu::ReadPacket(int code, uint8_t* buffer, int* size) {
  const int word = SerialWord::Plain(code);
  bool ok = false;
  int delivered = 0;
  if (Exchange() != Line::Open) {
    error_ = kErrorNoAnswer;
  } else if (SerialWord::Variable(word) != 0 || absent_[0] || !buffer || !size || *size <= 0) {
    error_ = kErrorMissing;  // block 0, the live record, is the only packet
  } else {
    uint8_t record[LiveDataRecord::kSize];
    engine_.Record(memory_).Encode(record);
    delivered = std::min(*size, LiveDataRecord::kSize);
    std::memcpy(buffer, record, static_cast<size_t>(delivered));
    *size = delivered;
    error_ = kErrorNone;
    ok = true;
  }
  Log(SimOp::ReadPacket, code, delivered, 0, 0, 0, ok);
  return ok;
}

bool SimulatedEcu::ReadBytes(int code, uint8_t* dest, int* count, int flag) {
  const int asked = count ? *count : 0;
  bool ok = false;
  if (Exchange() != Line::Open) {
    error_ = kErrorNoAnswer;
  } else if (flag == 1 && SerialWord::Variable(SerialWord::Plain(code)) == 4 && enrichmentRows_ >= 0 &&
             dest && asked >= 1) {
    // Description block 4: the rows of the enrichment map in use.
    dest[0] = static_cast<uint8_t>(enrichmentRows_);
    error_ = kErrorNone;
    ok = true;
  } else {
    error_ = kErrorMissing;
  }
  if (count) *count = ok ? 1 : 0;
  Log(SimOp::ReadBytes, code, asked, flag, 0, ok ? dest[0] : 0, ok);
  return ok;
}

bool SimulatedEcu::ReadEcuIdentity(uint8_t identity[4]) {
  bool ok = false;
  if (Exchange() != Line::Open) {
    error_ = kErrorNoAnswer;
  } else if (identity) {
    std::copy(identity_.begin(), identity_.end(), identity);
    error_ = kErrorNone;
    ok = true;
  }
  Log(SimOp::ReadEcuIdentity, 0, 0, 0, 0, identity_[0], ok);
  return ok;
}

bool SimulatedEcu::ReadAtAddress(int code, int address, int32_t* dest) {
  const int word = SerialWord::Plain(code);
  const int width = SerialWord::IsTwoBytes(word) ? 2 : 1;
  bool ok = false;
  if (Exchange() != Line::Open) {
    error_ = kErrorNoAnswer;
  } else if (!dest || address < 0 || address + width > static_cast<int>(ram_.size())) {
    error_ = kErrorMissing;
  } else {
    const auto at = static_cast<size_t>(address);
    const int32_t raw = ram_[at] | (width == 2 ? ram_[at + 1] << 8 : 0);
    *dest = SerialWord::Fit(word, raw);
    error_ = kErrorNone;
    ok = true;
  }
  Log(SimOp::ReadAtAddress, code, address, 0, 0, ok ? *dest : 0, ok);
  return ok;
}

bool SimulatedEcu::WriteAtAddress(int code, int address, int32_t value) {
  const int width = SerialWord::IsTwoBytes(SerialWord::Plain(code)) ? 2 : 1;
  bool ok = false;
  if (BeginWrite(ok)) {
    if (address < 0 || address + width > static_cast<int>(ram_.size())) {
      error_ = kErrorMissing;
    } else {
      const auto at = static_cast<size_t>(address);
      ram_[at] = static_cast<uint8_t>(value);
      if (width == 2) ram_[at + 1] = static_cast<uint8_t>(value >> 8);
      error_ = kErrorNone;
      ok = true;
    }
  }
  Log(SimOp::WriteAtAddress, code, address, 0, 0, value, ok);
  return ok;
}

// ---- boot loader and programming ----

bool SimulatedEcu::ReadBootIdentity(uint8_t identity[2]) {
  // The boot loader answers on its own session, with the line open or not.
  engine_.Advance(Now(), memory_);
  const bool ok = !noAnswer_ && identity;
  if (ok) {
    identity[0] = static_cast<uint8_t>(bootCustomer_ < 0 ? identity_[0] : bootCustomer_);
    identity[1] = static_cast<uint8_t>(bootType_);
  }
  Log(SimOp::ReadBootIdentity, 0, 0, 0, 0, ok ? identity[0] : 0, ok);
  return ok;
}

void SimulatedEcu::BeginProgramming() {
  programming_ = true;
  Log(SimOp::BeginProgramming, 0, 0, 0, 0, 0, 1);
}

void SimulatedEcu::EndProgramming() {
  if (programming_) {
    programming_ = false;
    RestartReadiness();
  }
  Log(SimOp::EndProgramming, 0, 0, 0, 0, 0, 1);
}

int SimulatedEcu::Program(SimOp op, const uint8_t* image, const char* path, int a, int b, int c) {
  engine_.Advance(Now(), memory_);
  ++programCalls_;
  int result = 2;
  uint32_t length = 0;
  if (image) length = image[0] | image[1] << 8 | image[2] << 16 | uint32_t(image[3]) << 24;
  if (programming_ && !noAnswer_ && (image || path) && length <= kImageLimit) {
    if (image) lastImage_.assign(image, image + 4 + length);
    if (path) lastFile_ = path;
    if (!programResults_.empty()) {
      result = programResults_.front();
      programResults_.pop_front();
    } else {
      result = 0;
    }
  }
  if (result == 0) {
    // New firmware: the configuration is gone and the ECU starts up again.
    memory_.Reset();
    RestartReadiness();
  }
  Log(op, 0, a, b, c, static_cast<int32_t>(length), result);
  return result;
}

int SimulatedEcu::ProgramFromFile(const char* path, int a, int b, int c) {
  return Program(SimOp::ProgramFromFile, nullptr, path, a, b, c);
}

int SimulatedEcu::ProgramFromImage(const uint8_t* image, int a, int b, int c) {
  return Program(SimOp::ProgramFromImage, image, nullptr, a, b, c);
}

void SimulatedEcu::QueueProgramResults(const std::vector<int>& results) {
  programResults_.insert(programResults_.end(), results.begin(), results.end());
}

// ---- configuration ----

void SimulatedEcu::SetIdentity(int customer, int type, int model, int software) {
  identity_ = {static_cast<uint8_t>(customer), static_cast<uint8_t>(type), static_cast<uint8_t>(model),
               static_cast<uint8_t>(software)};
}

void SimulatedEcu::SetBootIdentity(int customer, int type) {
  bootCustomer_ = customer;
  bootType_ = type;
}

void SimulatedEcu::SetVersionWords(int word24C, int word25B) {
  version24C_ = word24C & 0xFFFF;
  version25B_ = word25B & 0xFFFF;
}

void SimulatedEcu::SetAbsent(int code, bool absent) { absent_[static_cast<size_t>(WordKey(code))] = absent; }

void SimulatedEcu::SetWriteRefused(int code, bool refused) {
  refused_[static_cast<size_t>(WordKey(code))] = refused;
}

// ---- engine ----

void SimulatedEcu::StartEngine(double ambientCelsius) {
  keyedOn_ = true;
  engine_.Start(Now(), ambientCelsius);
}

void SimulatedEcu::HoldRpm(int rpm) {
  engine_.Advance(Now(), memory_);
  engine_.Hold(rpm);
}

void SimulatedEcu::ScheduleRpmHold(int rpm, uint32_t startMs, uint32_t lengthMs) {
  engine_.ScheduleHold(rpm, startMs, lengthMs);
}

LiveDataRecord SimulatedEcu::LiveRecord() {
  engine_.Advance(Now(), memory_);
  return engine_.Record(memory_);
}

// ---- memory ----

bool SimulatedEcu::HasVariable(int code) const { return memory_.Has(WordKey(code)); }

int32_t SimulatedEcu::Stored(int code, int index) const {
  return memory_.Read(SerialWord::Plain(code), index);
}

std::vector<int32_t> SimulatedEcu::StoredValues(int code) const {
  const int word = SerialWord::Plain(code);
  std::vector<int32_t> values(static_cast<size_t>(memory_.Size(SerialWord::Key(word))));
  for (size_t i = 0; i < values.size(); ++i) values[i] = memory_.Read(word, static_cast<int>(i));
  return values;
}

void SimulatedEcu::Store(int code, int index, int32_t value) { memory_.Set(WordKey(code), index, value); }

void SimulatedEcu::StoreFactory(int code, int index, int32_t value) {
  memory_.SetFactory(WordKey(code), index, value);
}

// ---- call log ----

void SimulatedEcu::Log(SimOp op, int code, int a, int b, int c, int32_t value, int result) {
  if (!logOn_) return;
  if (calls_.size() >= kLogCapacity) calls_.pop_front();
  calls_.push_back(SimCall{op, code, a, b, c, value, result});
}

int SimulatedEcu::CountCalls(SimOp op) const {
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [op](const SimCall& c) { return c.op == op; }));
}

int SimulatedEcu::CountCalls(SimOp op, int code) const {
  return static_cast<int>(std::count_if(
      calls_.begin(), calls_.end(), [op, code](const SimCall& c) { return c.op == op && c.code == code; }));
}

std::string SimulatedEcu::CallText() const {
  std::string text;
  for (const SimCall& c : calls_) text += c.Text() + "\n";
  return text;
}

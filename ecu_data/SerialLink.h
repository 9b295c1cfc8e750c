#pragma once
// The link object that the serial library hands out. Every ECU exchange of the program goes
// through one instance of it, on the user-interface thread. The operations stand in the
// library's slot order; bool results are nonzero for success.
#include <cstdint>

class IMessageSink;

class TSerialLink {
 public:
  // Port text of the link (the library chooses the port itself).
  virtual const char* GetPortName() = 0;
  virtual void SetLinkParamA(int value) = 0;
  virtual void SetLinkParamB(int value) = 0;
  // The screen object: the link posts WM_ECUCHANGED 0 (closed), 1 (opened) and 3 (reconnect)
  // to every form through it.
  virtual void SetScreen(IMessageSink* screen) = 0;
  virtual void SetLinkParamC(int value) = 0;
  virtual void CloseLink() = 0;
  virtual int IsLinkOpen() = 0;
  virtual int Connect() = 0;
  virtual void Disconnect() = 0;
  // Bit 2 (value 4): the ECU lacks the item of the last operation.
  virtual int GetLastErrorCode() = 0;
  virtual void EndProgramming() = 0;
  virtual void BeginProgramming() = 0;
  // Reads a scalar, or Count(code) elements of an array word; a failure leaves dest as it was.
  virtual bool ReadVariable(int code, int32_t* dest) = 0;
  virtual bool ReadRow(int code, int32_t* dest, int row) = 0;
  // Reads a packet into buffer; *size holds the buffer size on entry and the delivered length
  // on return. False means "skip this tick".
  virtual bool ReadPacket(int code, uint8_t* buffer, int* size) = 0;
  virtual bool WriteArray(int code, const int32_t* values) = 0;
  // The ECU keeps the value only when this returns true.
  virtual bool WriteVariable(int code, int32_t value) = 0;
  virtual bool WriteElement(int code, int index, int32_t value) = 0;
  virtual bool WriteCell(int code, int row, int col, int32_t value) = 0;
  virtual bool WriteRow(int code, const int32_t* values, int row) = 0;
  // Reads up to *count bytes; *count holds the number delivered on return.
  virtual bool ReadBytes(int code, uint8_t* dest, int* count, int flag) = 0;
  // Customer code, ECU type, model, software version.
  virtual bool ReadEcuIdentity(uint8_t identity[4]) = 0;
  virtual bool OpenLink() = 0;
  // 0 success, 1 failure reported as low battery voltage, anything else another failure.
  virtual int ProgramFromFile(const char* path, int a, int b, int c) = 0;
  // image: a 32-bit little-endian length followed by that many bytes.
  virtual int ProgramFromImage(const uint8_t* image, int a, int b, int c) = 0;
  // Customer code and ECU type of the boot loader.
  virtual bool ReadBootIdentity(uint8_t identity[2]) = 0;
  virtual void SetLinkParamD(int a, int b) = 0;
  virtual bool WriteAtAddress(int code, int address, int32_t value) = 0;
  virtual bool ReadCell(int code, int32_t* dest, int row, int col) = 0;
  virtual bool ReadAtAddress(int code, int address, int32_t* dest) = 0;

  // The program destroys the object through the library's _DestroyClassInstance.
  virtual ~TSerialLink() = default;
};

// Version record of the serial library: major, minor, release, build.
struct FILE_VERSION_DATA {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t release = 0;
  uint32_t build = 0;
};

// Exports of the serial library, as the program looks them up.
extern "C" {
using CreateClassInstanceFn = TSerialLink* (*)();
using DestroyClassInstanceFn = void (*)(TSerialLink*);
// Fills the version record; false when it cannot.
using GetDLLVersionFn = bool (*)(FILE_VERSION_DATA*);
}

// Bits of GetLastErrorCode: the ECU gave no answer (link closed or dropped, or the ECU silent),
// and the ECU lacks the item of the last operation.
constexpr int kGetLastErrorNoAnswer = 1;
constexpr int kGetLastErrorItemMissing = 4;

// The program's one link object, made at start-up from the serial library; null when the
// library is missing. Tests point it at a simulated link.
extern TSerialLink* SerialLink;

#pragma once
// The stand-in serial library's link object: a TSerialLink over a simulated ECU, either its
// own or one the caller keeps.
#include <memory>

#include "SerialLink.h"
#include "SimulatedEcu.h"

class SimLink final : public TSerialLink {
 public:
  SimLink();
  explicit SimLink(SimulatedEcu& ecu);

  SimulatedEcu& Ecu() { return *ecu_; }

  const char* GetPortName() override { return ecu_->GetPortName(); }
  void SetLinkParamA(int value) override { ecu_->SetLinkParamA(value); }
  void SetLinkParamB(int value) override { ecu_->SetLinkParamB(value); }
  void SetScreen(IMessageSink* screen) override { ecu_->SetScreen(screen); }
  void SetLinkParamC(int value) override { ecu_->SetLinkParamC(value); }
  void CloseLink() override { ecu_->CloseLink(); }
  int IsLinkOpen() override { return ecu_->IsLinkOpen(); }
  int Connect() override { return ecu_->Connect(); }
  void Disconnect() override { ecu_->Disconnect(); }
  int GetLastErrorCode() override { return ecu_->GetLastErrorCode(); }
  void EndProgramming() override { ecu_->EndProgramming(); }
  void BeginProgramming() override { ecu_->BeginProgramming(); }
  bool ReadVariable(int code, int32_t* dest) override { return ecu_->ReadVariable(code, dest); }
  bool ReadRow(int code, int32_t* dest, int row) override { return ecu_->ReadRow(code, dest, row); }
  bool ReadPacket(int code, uint8_t* buffer, int* size) override {
    return ecu_->ReadPacket(code, buffer, size);
  }
  bool WriteArray(int code, const int32_t* values) override { return ecu_->WriteArray(code, values); }
  bool WriteVariable(int code, int32_t value) override { return ecu_->WriteVariable(code, value); }
  bool WriteElement(int code, int index, int32_t value) override {
    return ecu_->WriteElement(code, index, value);
  }
  bool WriteCell(int code, int row, int col, int32_t value) override {
    return ecu_->WriteCell(code, row, col, value);
  }
  bool WriteRow(int code, const int32_t* values, int row) override {
    return ecu_->WriteRow(code, values, row);
  }
  bool ReadBytes(int code, uint8_t* dest, int* count, int flag) override {
    return ecu_->ReadBytes(code, dest, count, flag);
  }
  bool ReadEcuIdentity(uint8_t identity[4]) override { return ecu_->ReadEcuIdentity(identity); }
  bool OpenLink() override { return ecu_->OpenLink(); }
  int ProgramFromFile(const char* path, int a, int b, int c) override {
    return ecu_->ProgramFromFile(path, a, b, c);
  }
  int ProgramFromImage(const uint8_t* image, int a, int b, int c) override {
    return ecu_->ProgramFromImage(image, a, b, c);
  }
  bool ReadBootIdentity(uint8_t identity[2]) override { return ecu_->ReadBootIdentity(identity); }
  void SetLinkParamD(int a, int b) override { ecu_->SetLinkParamD(a, b); }
  bool WriteAtAddress(int code, int address, int32_t value) override {
    return ecu_->WriteAtAddress(code, address, value);
  }
  bool ReadCell(int code, int32_t* dest, int row, int col) override {
    return ecu_->ReadCell(code, dest, row, col);
  }
  bool ReadAtAddress(int code, int address, int32_t* dest) override {
    return ecu_->ReadAtAddress(code, address, dest);
  }

 private:
  std::unique_ptr<SimulatedEcu> owned_;
  SimulatedEcu* ecu_;
};

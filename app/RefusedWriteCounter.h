#pragma once
// Counts the writes the ECU refuses during a whole-configuration pass. While it lives it stands
// in front of the program's link object (SerialLink points at it) and passes every operation
// on; after a failed write it asks the link whether the ECU lacks the item (nothing is lost
// then) or refused the value.
#include "SerialLink.h"

class TRefusedWriteCounter final : public TSerialLink {
 public:
  // Installs itself in front of SerialLink (which must not be null).
  TRefusedWriteCounter();
  // Puts the link object back.
  ~TRefusedWriteCounter() override;
  TRefusedWriteCounter(const TRefusedWriteCounter&) = delete;
  TRefusedWriteCounter& operator=(const TRefusedWriteCounter&) = delete;

  int Refused() const { return refused_; }

  const char* GetPortName() override { return link_->GetPortName(); }
  void SetLinkParamA(int value) override { link_->SetLinkParamA(value); }
  void SetLinkParamB(int value) override { link_->SetLinkParamB(value); }
  void SetScreen(IMessageSink* screen) override { link_->SetScreen(screen); }
  void SetLinkParamC(int value) override { link_->SetLinkParamC(value); }
  void CloseLink() override { link_->CloseLink(); }
  int IsLinkOpen() override { return link_->IsLinkOpen(); }
  int Connect() override { return link_->Connect(); }
  void Disconnect() override { link_->Disconnect(); }
  int GetLastErrorCode() override { return link_->GetLastErrorCode(); }
  void EndProgramming() override { link_->EndProgramming(); }
  void BeginProgramming() override { link_->BeginProgramming(); }
  bool ReadVariable(int code, int32_t* dest) override { return link_->ReadVariable(code, dest); }
  bool ReadRow(int code, int32_t* dest, int row) override { return link_->ReadRow(code, dest, row); }
  bool ReadPacket(int code, uint8_t* buffer, int* size) override {
    return link_->ReadPacket(code, buffer, size);
  }
  bool WriteArray(int code, const int32_t* values) override {
    return Count(link_->WriteArray(code, values));
  }
  bool WriteVariable(int code, int32_t value) override {
    return Count(link_->WriteVariable(code, value));
  }
  bool WriteElement(int code, int index, int32_t value) override {
    return Count(link_->WriteElement(code, index, value));
  }
  bool WriteCell(int code, int row, int col, int32_t value) override {
    return Count(link_->WriteCell(code, row, col, value));
  }
  bool WriteRow(int code, const int32_t* values, int row) override {
    return Count(link_->WriteRow(code, values, row));
  }
  bool ReadBytes(int code, uint8_t* dest, int* count, int flag) override {
    return link_->ReadBytes(code, dest, count, flag);
  }
  bool ReadEcuIdentity(uint8_t identity[4]) override { return link_->ReadEcuIdentity(identity); }
  bool OpenLink() override { return link_->OpenLink(); }
  int ProgramFromFile(const char* path, int a, int b, int c) override {
    return link_->ProgramFromFile(path, a, b, c);
  }
  int ProgramFromImage(const uint8_t* image, int a, int b, int c) override {
    return link_->ProgramFromImage(image, a, b, c);
  }
  bool ReadBootIdentity(uint8_t identity[2]) override { return link_->ReadBootIdentity(identity); }
  void SetLinkParamD(int a, int b) override { link_->SetLinkParamD(a, b); }
  bool WriteAtAddress(int code, int address, int32_t value) override {
    return Count(link_->WriteAtAddress(code, address, value));
  }
  bool ReadCell(int code, int32_t* dest, int row, int col) override {
    return link_->ReadCell(code, dest, row, col);
  }
  bool ReadAtAddress(int code, int address, int32_t* dest) override {
    return link_->ReadAtAddress(code, address, dest);
  }

 private:
  bool Count(bool written);

  TSerialLink* link_;
  int refused_ = 0;
};

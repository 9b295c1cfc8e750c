#pragma once
// The data set's road to the ECU: thin calls on the global link that never touch more of a
// field than it holds. A word may carry more elements than the field that mirrors it (or fewer):
// reads go through a temporary of the word's count and copy what fits, writes go from a
// temporary padded with zeros. With no link object every write is refused and every read fails.
#include <cstdint>

namespace LinkTransfer {

bool IsOpen();
// Bit 2 of the link's last error code: the ECU lacks the item of the last operation. False
// without a link object.
bool ItemMissing();

bool WriteVariable(int code, int32_t value);
bool WriteElement(int code, int index, int32_t value);
bool WriteCell(int code, int row, int col, int32_t value);

// Reads the word into field[0..fieldCount-1]; a failed read leaves the field as it was.
bool Read(int code, int32_t* field, int fieldCount);
bool ReadRow(int code, int row, int32_t* field, int fieldCount);
bool WriteArray(int code, const int32_t* field, int fieldCount);
bool WriteRow(int code, int row, const int32_t* field, int fieldCount);
bool ReadBytes(int code, uint8_t* dest, int* count, int flag);
bool ReadEcuIdentity(uint8_t identity[4]);

// What the exchanges of one pass came to.
enum class PassOutcome {
  Complete,  // every exchange done (items the ECU lacks aside), the link still open
  Refused,   // the ECU refused some writes; the link stayed open
  LinkLost,  // the link closed, or the ECU stopped answering, during the pass
};

// Notes the outcome of every exchange above while it lives: a failure for an item the ECU lacks
// is none; a failed read, or a failed write the ECU did not answer, is an unanswered exchange;
// any other failed write a refusal. Records nest, each seeing the exchanges of its lifetime.
// A write on a closed link may be accepted and kept nowhere, so Outcome asks whether the link
// is still open. User-interface thread only, as every exchange.
class PassRecord {
 public:
  PassRecord();
  ~PassRecord();
  PassRecord(const PassRecord&) = delete;
  PassRecord& operator=(const PassRecord&) = delete;

  PassOutcome Outcome() const;
  // Notes the result of one exchange to every open record; returns ok.
  static bool Note(bool ok, bool write);

 private:
  PassRecord* outer_;
  int refused_ = 0;
  int unanswered_ = 0;
};

}  // namespace LinkTransfer

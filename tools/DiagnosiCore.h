#pragma once
// The rules of the diagnosis window without widgets: which self-checks are listed, the enable
// and error words of the data set (element 0, bit i for check i), the running times on gas and
// on petrol and their resets. Every ECU write goes through the data set, which keeps a word only
// when the ECU took it.
#include <optional>
#include <string>
#include <vector>

class TEcuData;

struct TDiagnosisCheck {
  int bit;
  int textId;
  const char* text;  // the Italian text (the list's caption when the language lacks it)
};

class TDiagnosiCore {
 public:
  static constexpr int kChecks = 11;
  static constexpr int kStato = 1;                 // GetDiagnosi / SetDiagnosi kind of the error word
  static constexpr int kAbilitazione = 2;          // ... of the enable word
  static constexpr int kCodeTempoGas = 0x23B;      // running time on gas, minutes
  static constexpr int kCodeTempoBenzina = 0x23C;  // running time on petrol, minutes
  static const TDiagnosisCheck kCheckList[kChecks];

  // The bits the list shows, in list order: 0 and 2 to 7, and 8 to 10 with two probes. Bit 1
  // is never listed.
  static std::vector<int> ListedBits(int probes);
  // "h : mm": minutes div 60, then minutes mod 60 on two digits.
  static std::string RunningTime(int minutes);

  explicit TDiagnosiCore(TEcuData& data);

  // The enable word as the window holds it.
  int EnableMask() const { return enableMask_; }
  bool Enabled(int bit) const { return (enableMask_ >> bit) & 1; }
  // Takes the enable word from the data set.
  void LoadEnableMask();

  // Re-reads the error word from the ECU (a failed read keeps the held one). True, with the
  // word in *mask, when the state column must be written: the word changed since the last
  // refresh, or there was none since the window was made or the errors were cleared.
  bool RefreshErrors(int* mask);
  // Running times in minutes, re-read from the ECU.
  int GasMinutes();
  int PetrolMinutes();

  // The check box of `bit` shows `checked`. When that differs from the enable word: the error
  // word is re-read, the enable word written with the bit set or cleared, the bit cleared in the
  // error word and that written. Returns the bit's enable state the data set now holds (a
  // refused write leaves it as it was).
  bool SetCheck(int bit, bool checked);
  // Writes 0 to both error words; returns the error word (element 0) the data set now holds.
  // The next refresh writes the whole state column.
  int ClearErrors();
  // Writes 0 to both running times; *gasWritten and *petrolWritten tell which the ECU took.
  void ResetTimes(bool* gasWritten, bool* petrolWritten);

 private:
  TEcuData& data_;
  int enableMask_ = 0;
  std::optional<int> lastErrors_;
};

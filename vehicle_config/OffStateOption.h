#pragma once
// An option whose off state is a value of its own ECU variables (no separate on/off flag): the
// option is on while the first variable holds something other than its off value. Switching
// it off writes the off values, switching it on writes back values for the option to work
// with. Used by the pages' check boxes of that kind.
#include <vector>

class TOffStateOption {
 public:
  // What switching on writes back: Never the fallbacks; Positive the remembered value when it
  // is above 0, else the fallback; Always the remembered values (the fallbacks until something
  // was remembered).
  enum class Restore { Never, Positive, Always };
  struct Item {
    int code;      // value code
    int offValue;  // the value that means "option off"
    int fallback;  // what switching on writes when nothing is to be restored
  };

  TOffStateOption(std::vector<Item> items, Restore restore);

  // The first variable is not at its off value.
  bool IsOn() const;
  // Keeps the present rounded values for the next switch on (Never keeps nothing).
  void Remember();
  // Remember, then write the off values. False when the ECU refused a write.
  bool SwitchOff();
  // Writes the remembered values (by the restore rule) in item order. False when the ECU
  // refused a write.
  bool SwitchOn();
  int Remembered(int item) const { return memory_[item]; }

 private:
  std::vector<Item> items_;
  std::vector<int> memory_;
  Restore restore_;
};

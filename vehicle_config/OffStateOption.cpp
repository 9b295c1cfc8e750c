#include "OffStateOption.h"

#include "ConfigPageFields.h"
#include "EcuData.h"

TOffStateOption::TOffStateOption(std::vector<Item> items, Restore restore)
    : items_(std::move(items)), restore_(restore) {
  // "Nothing remembered": -1 where only a positive value is restored, the fallbacks otherwise.
  for (const Item& item : items_) memory_.push_back(restore_ == Restore::Positive ? -1 : item.fallback);
}

bool TOffStateOption::IsOn() const {
  if (!EcuData || items_.empty()) return false;
  return PageFields::Rounded(EcuData->GetValue(items_[0].code)) != items_[0].offValue;
}

void TOffStateOption::Remember() {
  if (!EcuData || restore_ == Restore::Never) return;
  for (size_t i = 0; i < items_.size(); ++i)
    memory_[i] = PageFields::Rounded(EcuData->GetValue(items_[i].code));
}

bool TOffStateOption::SwitchOff() {
  if (!EcuData) return true;
  Remember();
  bool accepted = true;
  for (const Item& item : items_) accepted = EcuData->SetValue(item.code, item.offValue) == 1 && accepted;
  return accepted;
}

bool TOffStateOption::SwitchOn() {
  if (!EcuData) return true;
  bool accepted = true;
  for (size_t i = 0; i < items_.size(); ++i) {
    int v = items_[i].fallback;
    if (restore_ == Restore::Always || (restore_ == Restore::Positive && memory_[i] > 0)) v = memory_[i];
    accepted = EcuData->SetValue(items_[i].code, v) == 1 && accepted;
  }
  return accepted;
}

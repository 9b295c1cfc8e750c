#include "DiagnosiCore.h"

#include "EcuData.h"
#include "EcuValueCodes.h"

const TDiagnosisCheck TDiagnosiCore::kCheckList[kChecks] = {
    {0, 337, "Autodiagnosi centralina"},
    {1, 338, "Connessione elettrovalvola GAS"},
    {2, 339, "Connessione sensore temperatura"},
    {3, 340, "Riscaldamento riduttore"},
    {4, 341, "Carburazione controllo sul ricco"},
    {5, 342, "Carburazione controllo sul magro"},
    {6, 343, "Funzionamento sonda lambda"},
    {7, 344, "Funzionamento sensore Map"},
    {8, 345, "Carburazione controllo sul ricco sonda 2"},
    {9, 346, "Carburazione controllo sul magro sonda 2"},
    {10, 347, "Funzionamento sonda lambda 2"},
};

std::vector<int> TDiagnosiCore::ListedBits(int probes) {
  std::vector<int> bits;
  const int last = probes == 1 ? 7 : 10;
  for (int bit = 0; bit <= last; ++bit)
    if (bit != 1) bits.push_back(bit);
  return bits;
}

std::string TDiagnosiCore::RunningTime(int minutes) {
  const int mm = minutes % 60;
  return std::to_string(minutes / 60) + " : " + (mm < 10 ? "0" : "") + std::to_string(mm);
}

TDiagnosiCore::TDiagnosiCore(TEcuData& data) : data_(data) {}

void TDiagnosiCore::LoadEnableMask() { enableMask_ = data_.GetDiagnosi(0, kAbilitazione); }

bool TDiagnosiCore::RefreshErrors(int* mask) {
  const int errors = data_.GetDiagnosi(0, kStato);
  *mask = errors;
  if (lastErrors_ && *lastErrors_ == errors) return false;
  lastErrors_ = errors;
  return true;
}

int TDiagnosiCore::GasMinutes() { return EcuConv::Trunc(data_.GetValue(kCodeTempoGas)); }

int TDiagnosiCore::PetrolMinutes() { return EcuConv::Trunc(data_.GetValue(kCodeTempoBenzina)); }

bool TDiagnosiCore::SetCheck(int bit, bool checked) {
  if (bit < 0 || bit >= kChecks) return false;
  const int mask = 1 << bit;
  if (Enabled(bit) == checked) return checked;
  int errors = data_.GetDiagnosi(0, kStato);
  enableMask_ = checked ? (enableMask_ | mask) : (enableMask_ & ~mask);
  data_.SetDiagnosi(0, kAbilitazione, enableMask_);
  // What the ECU refused is not enabled: the window goes on from the word the data set holds.
  enableMask_ = data_.GetDiagnosi(0, kAbilitazione);
  errors &= ~mask;
  data_.SetDiagnosi(0, kStato, errors);
  return Enabled(bit);
}

int TDiagnosiCore::ClearErrors() {
  data_.SetDiagnosi(0, kStato, 0);
  data_.SetDiagnosi(1, kStato, 0);
  lastErrors_.reset();
  return data_.Stato[0];
}

void TDiagnosiCore::ResetTimes(bool* gasWritten, bool* petrolWritten) {
  *gasWritten = data_.SetValue(kCodeTempoGas, 0.0) == 1;
  *petrolWritten = data_.SetValue(kCodeTempoBenzina, 0.0) == 1;
}

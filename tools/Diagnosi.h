#pragma once
// "Diagnosi centralina": the ECU's self-checks with a check box each (the check enables it in
// the ECU) and their state ("OK" or "ERRORE"), clearing the stored errors, and the running time
// on gas and on petrol with their reset. Every 5 s it re-reads the error word. The caller shows
// it modally and deletes it.
#include "DiagnosiCore.h"
#include "ModalDialog.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

class TFormDiagnosi final : public TModalDialog {
  Q_OBJECT
 public:
  static constexpr int kRefreshMs = 5000;
  static constexpr int kStateColumn = 1;

  explicit TFormDiagnosi(QWidget* owner);

  // Builds the window on its first activation; later activations do nothing.
  void FormActivate();
  // The 5 s tick: refreshes while the link is open.
  void Timer1Timer();
  // Error states and running times from the ECU.
  void RefreshDiagnosis();
  // A check box of the list changed.
  void ListDiagnosiChange(QTableWidgetItem* item);
  // Enter (13) toggles the check box of the selected item.
  void ListDiagnosiKeyPress(int key);
  void ButtonAzzeraErroriClick();
  void ButtonAzzeraTempiClick();

  const TDiagnosiCore& Core() const { return core_; }
  // The row of the item whose data is `bit`; -1 when it is not listed.
  int RowOfBit(int bit) const;

  QTableWidget* ListDiagnosi = nullptr;
  QPushButton* ButtonAzzeraErrori = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* LabelAbilitazDiagnosi = nullptr;
  QGroupBox* GroupTempi = nullptr;
  QLabel* LabelTempoGas = nullptr;
  QLabel* LabelTGas = nullptr;
  QLabel* LabelTempoBenzina = nullptr;
  QLabel* LabelTBenz = nullptr;
  QPushButton* ButtonAzzeraTempi = nullptr;
  QPushButton* ButtonEsci = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Translate();
  void ShowStates(int errors);
  void ShowTimes(int gasMinutes, int petrolMinutes);
  void SetCheckBox(int row, bool checked);
  int Scaled(int v) const;

  TDiagnosiCore core_;
  int screenWidth_ = 800;
  bool activated_ = false;
  QString textOk_ = QStringLiteral("OK");
  QString textErrore_ = QStringLiteral("ERRORE");
  QString textQuestion_ = QStringLiteral("Sei sicuro di effettuare l'operazione richiesta?");
};

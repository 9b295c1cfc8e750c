#pragma once
// "Variazione cella": a value and a change mode for the selected map cells. The configuration
// editor keeps one instance for its whole life and opens it for every cell or block change.
#include <cstdint>

#include "ModalDialog.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFormModMappa final : public TModalDialog {
  Q_OBJECT
 public:
  // Characters that can be typed into Edit1; a text set from code is never cut.
  static constexpr int kMaxTyped = 5;

  explicit TFormModMappa(QWidget* owner);

  // Fill the dialog with the value and the mode (0 absolute, 1 linear, 2 percent), show it
  // modally and return mrOk or mrCancel. On closing, by either button, *value and
  // *mode take what the dialog holds (a text that is not a number gives 0); the caller uses
  // them only after OK.
  int EditIntCell(int* value, uint8_t* mode);
  int EditFloatCell(double* value, uint8_t* mode);

  // Enables or disables the choice of the mode (the emission grids take absolute values only).
  void SetModeChoiceEnabled(bool enabled);
  // The mode the radio group shows.
  uint8_t SelectedMode() const;

  // Key filter of Edit1 for one typed character: true when it may go in. Digits and
  // backspace always; "-" only with the caret at the start and no "-" outside the selection;
  // the decimal separator only for a float value and no separator outside the selection;
  // nothing that would make the text longer than kMaxTyped.
  bool Edit1KeyPress(QChar key) const;

  QLineEdit* Edit1 = nullptr;
  QGroupBox* GroupModalita = nullptr;
  QRadioButton* ModeItems[3] = {nullptr, nullptr, nullptr};
  QPushButton* ButtonOK = nullptr;
  QPushButton* ButtonAnnulla = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int r) override;

 private:
  int Run(uint8_t mode);
  bool HoldsOutsideSelection(QChar ch) const;

  QButtonGroup* modes_ = nullptr;
  bool float_ = false;
  int* intValue_ = nullptr;
  double* floatValue_ = nullptr;
  uint8_t* mode_ = nullptr;
};

#pragma once
// The numeric rules of the entry field, apart from any widget: the key filter, the limits, the
// step (Precision), rounding and clamping, the text shown and the value confirmed last.
//
// The core does not hold the field's text: every operation takes the text the field shows and,
// where the field's text changes, writes the new text back into the same string.
// Numbers are shown and read with the decimal separator of the default QLocale.
#include <QChar>
#include <QString>

class TNumericEditCore {
 public:
  // What the key filter makes of a typed character.
  enum class TKeyVerdict {
    Pass,     // goes on to the field (possibly changed: thousands separator -> decimal separator)
    Discard,  // dropped; the field and the form never see it
    Confirm,  // Enter: confirm the entry (see Confirm)
  };

  static constexpr QChar kBackspace{char16_t(8)};
  static constexpr QChar kEnter{char16_t(13)};

  double Precision() const { return precision_; }
  void SetPrecision(double v) { precision_ = v; }
  double MinValue() const { return minValue_; }
  double MaxValue() const { return maxValue_; }
  // Index 1 is the upper limit, any other index the lower one.
  double GetLimit(int index) const { return index == 1 ? maxValue_ : minValue_; }
  // Index 1 sets the upper limit only when v >= the lower one; index 2 sets the lower limit
  // only when v <= the upper one. A refused value changes nothing.
  void SetLimit(int index, double v);
  bool DisableLimit() const { return disableLimit_; }
  void SetDisableLimit(bool v) { disableLimit_ = v; }
  bool Validation() const { return validation_; }
  void SetValidation(bool v) { validation_ = v; }
  // The value Esc restores and, with Validation, leaving the field restores.
  double Accepted() const { return accepted_; }

  // The limits count unless disabled or both 0.
  bool LimitsActive() const;
  // A "-" can make a valid entry.
  bool NegativesPossible() const;
  // v rounded to the nearest multiple of Precision (ties to the greater); v itself for 0.
  double RoundToPrecision(double v) const;

  // Shows an integer: a value beyond a limit shows that limit. Never rounds to Precision.
  void SetInt(QString& text, int v);
  // Shows a value: beyond a limit the limit, unrounded; otherwise rounded to Precision (and
  // kept inside the limits when the rounding would leave them).
  void SetDouble(QString& text, double v);
  // The entry as an integer, cut toward zero to a multiple of Precision and limited; corrects
  // the text when it applies a limit or Precision.
  int GetInt(QString& text);
  // The entry limited and rounded to Precision, always inside the limits. The text is not
  // changed; a text that is not a number gives the accepted value.
  double GetDouble(const QString& text) const;

  // The key filter for a typed character. text is the field's text, selectionStart the caret
  // (or the start of the selection), selected the selected text. key may be changed.
  TKeyVerdict FilterKey(QChar& key, const QString& text, int selectionStart, const QString& selected) const;

  // Enter: the text becomes the limited, rounded entry, and that the accepted value.
  void Confirm(QString& text);
  // Entering the field: the text (when a number) becomes the accepted value, shown normalised.
  void Enter(QString& text);
  // Leaving the field: with Validation the entry is discarded, otherwise confirmed.
  void Exit(QString& text);
  // Esc: back to the accepted value.
  void Escape(QString& text) { SetDouble(text, accepted_); }

  // Text conversions with the default locale's decimal separator: up to 15 significant digits.
  static QString FormatDouble(double v);
  static QString FormatInt(int v);
  // Parse a whole text (surrounding blanks allowed); false when it is not a number.
  static bool ParseDouble(const QString& text, double* v);
  static bool ParseInt(const QString& text, int* v);
  static QChar DecimalSeparator();
  static QChar ThousandsSeparator();
  // v cut toward zero, saturated to the int range (NaN gives 0).
  static int TruncToInt(double v);

 private:
  double ClampToLimits(double v) const;

  double precision_ = 0;
  double minValue_ = 0;
  double maxValue_ = 0;
  double accepted_ = 0;
  bool validation_ = true;
  bool disableLimit_ = false;
};

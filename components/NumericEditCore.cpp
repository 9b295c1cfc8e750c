#include "NumericEditCore.h"

#include <QLocale>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

void TNumericEditCore::SetLimit(int index, double v) {
  if (index == 1) {
    if (v >= minValue_) maxValue_ = v;
  } else if (index == 2) {
    if (v <= maxValue_) minValue_ = v;
  }
}

bool TNumericEditCore::LimitsActive() const { return !disableLimit_ && !(minValue_ == 0 && maxValue_ == 0); }

bool TNumericEditCore::NegativesPossible() const {
  return disableLimit_ || minValue_ < 0 || (minValue_ == 0 && maxValue_ == 0);
}

double TNumericEditCore::RoundToPrecision(double v) const {
  if (precision_ == 0) return v;
  const double q = v / precision_;
  const double hi = precision_ * std::ceil(q);
  const double lo = precision_ * std::floor(q);
  return (v - lo) < (hi - v) ? lo : hi;
}

double TNumericEditCore::ClampToLimits(double v) const {
  if (!LimitsActive()) return v;
  if (v > maxValue_) v = maxValue_;
  if (v < minValue_) v = minValue_;
  return v;
}

void TNumericEditCore::SetInt(QString& text, int v) {
  if (LimitsActive() && v < minValue_) {
    text = FormatDouble(minValue_);
    accepted_ = minValue_;
  } else if (LimitsActive() && v > maxValue_) {
    text = FormatDouble(maxValue_);
    accepted_ = maxValue_;
  } else {
    text = FormatInt(v);
    accepted_ = v;
  }
}

void TNumericEditCore::SetDouble(QString& text, double v) {
  if (LimitsActive() && v < minValue_) {
    text = FormatDouble(minValue_);
    accepted_ = minValue_;
  } else if (LimitsActive() && v > maxValue_) {
    text = FormatDouble(maxValue_);
    accepted_ = maxValue_;
  } else {
    // Rounding a value next to a limit that is not a multiple of the step may step over the
    // limit: the limit wins.
    if (precision_ != 0) v = ClampToLimits(RoundToPrecision(v));
    text = FormatDouble(v);
    accepted_ = v;
  }
}

int TNumericEditCore::GetInt(QString& text) {
  int v = 0;
  if (!ParseInt(text, &v)) v = TruncToInt(accepted_);
  bool corrected = false;
  if (LimitsActive()) {
    if (v > maxValue_) {
      SetInt(text, TruncToInt(maxValue_));
      corrected = true;
    }
    if (v < minValue_) {
      SetInt(text, TruncToInt(minValue_));
      corrected = true;
    }
  }
  if (precision_ != 0) {
    // Starts again from the entry itself; SetInt applies the limits once more.
    const double n = std::trunc(v / precision_);  // no int in between: a tiny step can't overflow
    SetInt(text, TruncToInt(precision_ * n));
    corrected = true;
  }
  return corrected ? TruncToInt(accepted_) : v;
}

double TNumericEditCore::GetDouble(const QString& text) const {
  double v = 0;
  if (!ParseDouble(text, &v)) v = accepted_;
  v = ClampToLimits(v);
  if (precision_ != 0) v = ClampToLimits(RoundToPrecision(v));
  return v;
}

TNumericEditCore::TKeyVerdict TNumericEditCore::FilterKey(QChar& key, const QString& text, int selectionStart,
                                                          const QString& selected) const {
  if ((key >= u'0' && key <= u'9') || key == kBackspace) return TKeyVerdict::Pass;
  const QChar decimal = DecimalSeparator();
  if (key == ThousandsSeparator()) key = decimal;
  if (key == decimal) {
    const bool allowed = precision_ == 0 || FormatDouble(precision_).contains(decimal);
    if (allowed && (!text.contains(decimal) || selected.contains(decimal))) return TKeyVerdict::Pass;
    return TKeyVerdict::Discard;
  }
  if (key == u'-') {
    if (selectionStart == 0 && NegativesPossible() && (!text.contains(u'-') || selected.contains(u'-')))
      return TKeyVerdict::Pass;
    return TKeyVerdict::Discard;
  }
  if (key == kEnter) return TKeyVerdict::Confirm;
  return TKeyVerdict::Discard;
}

void TNumericEditCore::Confirm(QString& text) {
  text = FormatDouble(GetDouble(text));
  accepted_ = GetDouble(text);
}

void TNumericEditCore::Enter(QString& text) {
  double v = 0;
  if (ParseDouble(text, &v)) accepted_ = v;
  SetDouble(text, accepted_);
}

void TNumericEditCore::Exit(QString& text) {
  if (validation_) {
    SetDouble(text, accepted_);
  } else {
    accepted_ = GetDouble(text);
    text = FormatDouble(accepted_);
  }
}

QChar TNumericEditCore::DecimalSeparator() {
  const QString s = QLocale().decimalPoint();
  return s.isEmpty() ? QChar(u'.') : s.at(0);
}

QChar TNumericEditCore::ThousandsSeparator() {
  const QString s = QLocale().groupSeparator();
  return s.isEmpty() ? QChar(u',') : s.at(0);
}

QString TNumericEditCore::FormatDouble(double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  QString s = QString::fromLatin1(buf, int(r.ptr - buf));
  const QChar decimal = DecimalSeparator();
  if (decimal != u'.') s.replace(u'.', decimal);
  return s;
}

QString TNumericEditCore::FormatInt(int v) { return QString::number(v); }

namespace {

// The text without surrounding blanks as plain ASCII, or empty when it holds anything else.
std::string AsciiNumber(const QString& text, QChar decimal) {
  std::string s;
  for (QChar c : text.trimmed()) {
    if (c == decimal) {
      s += '.';
    } else if (c.unicode() < 128 && c != u'.' &&
               (c.isDigit() || c == u'+' || c == u'-' || c == u'e' || c == u'E')) {
      s += char(c.unicode());
    } else {
      return {};
    }
  }
  // A leading "+" is a sign of its own; the conversion below takes only "-".
  if (!s.empty() && s[0] == '+') {
    s.erase(0, 1);
    if (s.empty() || s[0] == '-' || s[0] == '+') return {};
  }
  return s;
}

}  // namespace

bool TNumericEditCore::ParseDouble(const QString& text, double* v) {
  const std::string s = AsciiNumber(text, DecimalSeparator());
  if (s.empty()) return false;
  double out = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  *v = out;
  return true;
}

bool TNumericEditCore::ParseInt(const QString& text, int* v) {
  // No decimal separator stands in for '.' here: any separator makes it not an integer.
  const std::string s = AsciiNumber(text, QChar(u'.'));
  if (s.empty() || s.find_first_of(".eE") != std::string::npos) return false;
  int out = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  *v = out;
  return true;
}

int TNumericEditCore::TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= double(INT_MAX)) return INT_MAX;
  if (v <= double(INT_MIN)) return INT_MIN;
  return int(v);
}

#include "DecimalText.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace DecimalText {

namespace {

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string Format(double v, char sep, int digits) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
  std::string s(buf, res.ptr);
  if (sep != '.') std::replace(s.begin(), s.end(), '.', sep);
  return s;
}

std::string Fixed(double v, int decimals, char sep) {
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  std::string s(buf, res.ptr);
  if (sep != '.') std::replace(s.begin(), s.end(), '.', sep);
  return s;
}

std::string FixedSignificant(double v, int precision, int decimals, char sep) {
  if (!std::isfinite(v)) return Format(v, sep);
  precision = std::clamp(precision, 1, 15);
  decimals = std::clamp(decimals, 0, 18);
  // 15 significant digits: digits holds 0.d1d2... and intDigits the power of ten after it.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
  const std::string_view sci(buf, res.ptr - buf);
  std::string digits;
  for (char c : sci.substr(0, sci.find('e')))
    if (c != '.') digits += c;
  int exponent = 0;
  std::string_view e = sci.substr(sci.find('e') + 1);
  if (!e.empty() && e.front() == '+') e.remove_prefix(1);
  std::from_chars(e.data(), e.data() + e.size(), exponent);
  int intDigits = exponent + 1;
  if (v == 0.0) digits.clear();

  const int keep = std::min(precision, intDigits + decimals);
  if (keep < 0) {
    digits.clear();
  } else if (keep < static_cast<int>(digits.size())) {
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (up) {
      int i = keep - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits.insert(digits.begin(), '1');
        ++intDigits;
      }
    }
  }
  if (digits.find_first_not_of('0') == std::string::npos) digits.clear();

  std::string out;
  if (digits.empty()) {
    out = "0";
    if (decimals > 0) out += sep + std::string(decimals, '0');
    return out;
  }
  if (v < 0) out = "-";
  const auto digit = [&digits](int i) {
    return i >= 0 && i < static_cast<int>(digits.size()) ? digits[i] : '0';
  };
  if (intDigits > precision) {
    out += digit(0);
    if (precision > 1) out += sep;
    for (int i = 1; i < precision; ++i) out += digit(i);
    const int e = intDigits - 1;
    out += e < 0 ? "E-" : "E+";
    if (std::abs(e) < 10) out += '0';
    out += std::to_string(std::abs(e));
    return out;
  }
  if (intDigits <= 0) out += '0';
  for (int i = 0; i < intDigits; ++i) out += digit(i);
  if (decimals > 0) {
    out += sep;
    for (int i = 0; i < decimals; ++i) out += digit(intDigits + i);
  }
  return out;
}

std::optional<double> Parse(std::string_view text, char sep) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::string s(text);
  if (sep != '.') {
    if (s.find('.') != std::string::npos) return std::nullopt;
    std::replace(s.begin(), s.end(), sep, '.');
  }
  if (s.find_first_not_of("0123456789.-eE") != std::string::npos) return std::nullopt;
  double v = 0.0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<int> ParseInt(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int v = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

char UserDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point.at(0).unicode() < 0x80) return static_cast<char>(point.at(0).unicode());
  return '.';
}

}  // namespace DecimalText

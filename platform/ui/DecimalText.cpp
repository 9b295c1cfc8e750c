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

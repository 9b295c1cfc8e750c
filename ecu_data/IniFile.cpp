#include "IniFile.h"

#include <QFile>

#include "DurableFile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Case folding of Latin-1 letters, independent of the process locale.
std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& ch : out) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) ch = static_cast<char>(c + 0x20);
  }
  return out;
}

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string Sanitized(std::string_view value) {
  std::string out(value);
  for (char& ch : out) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c < 0x20 && c != '\t') || c == 0x7F) ch = ' ';
  }
  return out;
}

}  // namespace

void IniFile::SetText(const QByteArray& text) {
  preamble_.clear();
  sections_.clear();
  sectionIndex_.clear();
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = text.indexOf('\n', start);
    if (end < 0) end = text.size();
    qsizetype stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    AddLine(std::string_view(text.constData() + start, static_cast<size_t>(stop - start)));
    start = end + 1;
  }
  modified_ = false;
}

void IniFile::AddLine(std::string_view raw) {
  const std::string_view t = Trim(raw);
  if (!t.empty() && t.front() == '[') {
    const size_t close = t.find(']');
    if (close != std::string_view::npos) {
      Section s;
      s.header = std::string(raw);
      s.name = std::string(Trim(t.substr(1, close - 1)));
      sectionIndex_.try_emplace(Fold(s.name), sections_.size());
      sections_.push_back(std::move(s));
      return;
    }
  }
  if (sections_.empty()) {
    preamble_.emplace_back(raw);
    return;
  }
  Section& s = sections_.back();
  Line line;
  line.raw = std::string(raw);
  const size_t eq = t.find('=');
  if (!t.empty() && t.front() != ';' && eq != std::string_view::npos) {
    line.key = std::string(Trim(t.substr(0, eq)));
    if (!line.key.empty()) {
      line.value = Unquote(Trim(t.substr(eq + 1)));
      s.keys.try_emplace(Fold(line.key), s.lines.size());
    }
  }
  s.lines.push_back(std::move(line));
}

QByteArray IniFile::Text() const {
  QByteArray out;
  const auto put = [&out](const std::string& line) {
    out.append(line.data(), static_cast<qsizetype>(line.size()));
    out.append("\r\n", 2);
  };
  for (const std::string& line : preamble_) put(line);
  for (const Section& s : sections_) {
    put(s.header);
    for (const Line& line : s.lines) put(line.raw);
  }
  return out;
}

bool IniFile::LoadFromFile(const QString& path) {
  fileName_ = path;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    SetText({});
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    SetText({});
    return false;
  }
  SetText(bytes);
  return true;
}

bool IniFile::UpdateFile() const { return !fileName_.isEmpty() && WriteFileReplacing(fileName_, Text()); }

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (size_t i = 0; i < sections_.size(); ++i) {
    // A section that appears twice is one section, named where it first appears.
    if (sectionIndex_.at(Fold(sections_[i].name)) == i) names.push_back(sections_[i].name);
  }
  return names;
}

bool IniFile::SectionExists(std::string_view section) const {
  return sectionIndex_.count(Fold(section)) != 0;
}

const IniFile::Line* IniFile::FindLine(std::string_view section, std::string_view key) const {
  const auto s = sectionIndex_.find(Fold(section));
  if (s == sectionIndex_.end()) return nullptr;
  const Section& sec = sections_[s->second];
  const auto k = sec.keys.find(Fold(key));
  return k == sec.keys.end() ? nullptr : &sec.lines[k->second];
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindLine(section, key) != nullptr;
}

std::optional<std::string> IniFile::ReadValue(std::string_view section, std::string_view key) const {
  const Line* line = FindLine(section, key);
  if (!line) return std::nullopt;
  return line->value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const Line* line = FindLine(section, key);
  return line ? line->value : std::string(def);
}

std::optional<int32_t> IniFile::ParseInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const Line* line = FindLine(section, key);
  if (!line) return def;
  return ParseInteger(line->value).value_or(def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

IniFile::Section& IniFile::SectionFor(std::string_view section) {
  const std::string folded = Fold(section);
  const auto s = sectionIndex_.find(folded);
  if (s != sectionIndex_.end()) return sections_[s->second];
  Section sec;
  sec.name = std::string(section);
  sec.header = "[" + sec.name + "]";
  sectionIndex_.emplace(folded, sections_.size());
  sections_.push_back(std::move(sec));
  return sections_.back();
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& sec = SectionFor(section);
  const std::string folded = Fold(key);
  const std::string clean = Sanitized(value);
  auto k = sec.keys.find(folded);
  if (k == sec.keys.end()) {
    Line line;
    line.key = std::string(key);
    k = sec.keys.emplace(folded, sec.lines.size()).first;
    sec.lines.push_back(std::move(line));
  }
  Line& line = sec.lines[k->second];
  line.raw = line.key + "=" + clean;
  // Read back exactly as a reader of the written text would see it.
  line.value = Unquote(Trim(clean));
  modified_ = true;
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

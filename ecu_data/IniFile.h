#pragma once
// A small INI document held in memory, with the semantics of the Windows profile functions:
// section and key names compare case-insensitively, sections and keys keep their order, a new
// key goes to the end of its section and a new section to the end of the document. Text is
// Latin-1 bytes taken as they are; CR LF or LF is read, CR LF is written. Lines that are neither
// sections nor key=value pairs (comments, the lines before the first section) are kept as they
// stand. Number text is plain decimal and never depends on the process locale.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class IniFile {
 public:
  // Replaces the document with the parsed text; the document counts as unmodified afterwards.
  void SetText(const QByteArray& text);
  // The document as text: every line ends with CR LF.
  QByteArray Text() const;
  // Opens the document on a file and reads it; false (document emptied) when it cannot be read.
  bool LoadFromFile(const QString& path);
  // The file the document was opened on.
  const QString& FileName() const { return fileName_; }
  // Replaces its file with the document (the old file stays on any failure); false when the
  // file cannot be written.
  bool UpdateFile() const;
  // A write has happened since the last SetText or LoadFromFile.
  bool IsModified() const { return modified_; }

  // Section names in document order, as first spelled.
  std::vector<std::string> Sections() const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // The value of a key: surrounding blanks removed, and one pair of matching quotes around it
  // removed, as the profile functions read it. Empty when the key is absent.
  std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // The key's value as a decimal integer; def when the key is absent or not a number.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // Nonzero integers are true; def when the key is absent or not a number.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Control characters (line ends among them) in a value are written as blanks, so a value can
  // never split its line or start a section of its own.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Strict decimal: optional blanks, an optional sign, digits, optional blanks; within int32.
  static std::optional<int32_t> ParseInteger(std::string_view text);

 private:
  struct Line {
    std::string raw;    // the line as read or as last written, without its line end
    std::string key;    // empty for lines that are not key=value pairs
    std::string value;  // as read: trimmed and unquoted
  };
  struct Section {
    std::string header;  // the section line as it stands
    std::string name;
    std::vector<Line> lines;
    std::unordered_map<std::string, size_t> keys;  // folded key -> first line holding it
  };

  const Line* FindLine(std::string_view section, std::string_view key) const;
  Section& SectionFor(std::string_view section);
  void AddLine(std::string_view raw);

  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> sectionIndex_;  // folded name -> first section
  QString fileName_;
  bool modified_ = false;
};

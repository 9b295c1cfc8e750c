#pragma once
// "Kiv2001.txt" in the programming folder: name=value lines that give the display name of an
// ECU model code (the name is the code in decimal). Names match case-insensitively, the first
// matching line wins, the value is everything after the first '='; lines without '=' are
// skipped. The file is read as UTF-8 when it is valid UTF-8, else as Latin-1 bytes.
#include <QString>
#include <QStringList>

constexpr const char* kStatusTextFileName = "Kiv2001.txt";

class TStatusTextList {
 public:
  // Lines of text split at CR LF, LF or CR.
  void SetText(const QByteArray& content);
  // False (the list emptied) when the file is missing or unreadable.
  bool LoadFromFile(const QString& path);
  // The value of the first line whose name is `name`; empty when there is none.
  QString Value(const QString& name) const;
  int Count() const { return static_cast<int>(lines_.size()); }

 private:
  QStringList lines_;
};

// The list's path in folder: the file whose name is the list's without regard to case (as the
// workshop copied it), else the list's own name there.
QString StatusTextListPath(const QString& folder);

// The display name of a model code from the list file at path; empty when the file or the line
// is missing.
QString ModelDisplayName(const QString& path, int modelCode);

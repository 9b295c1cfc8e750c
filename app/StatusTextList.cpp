#include "StatusTextList.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include "FileNoCase.h"

void TStatusTextList::SetText(const QByteArray& content) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(content);
  if (utf8.hasError()) text = QString::fromLatin1(content);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  lines_ = text.split(QLatin1Char('\n'));
  if (!lines_.isEmpty() && lines_.back().isEmpty()) lines_.removeLast();
}

bool TStatusTextList::LoadFromFile(const QString& path) {
  lines_.clear();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  SetText(file.readAll());
  return true;
}

QString TStatusTextList::Value(const QString& name) const {
  for (const QString& line : lines_) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) continue;
    if (QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
  }
  return {};
}

QString StatusTextListPath(const QString& folder) {
  const QString name = QString::fromLatin1(kStatusTextFileName);
  const QString existing = ExistingFileNoCase(folder, name);
  return existing.isEmpty() ? QDir(folder).filePath(name) : existing;
}

QString ModelDisplayName(const QString& path, int modelCode) {
  TStatusTextList list;
  if (!QFile::exists(path) || !list.LoadFromFile(path)) return {};
  return list.Value(QString::number(modelCode));
}

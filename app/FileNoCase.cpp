#include "FileNoCase.h"

#include <QDir>
#include <QFileInfo>

QString ExistingFileNoCase(const QString& folder, const QString& fileName) {
  const QDir dir(folder);
  if (QFileInfo(dir.filePath(fileName)).isFile()) return dir.filePath(fileName);
  const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names)
    if (name.compare(fileName, Qt::CaseInsensitive) == 0) return dir.filePath(name);
  return QString();
}

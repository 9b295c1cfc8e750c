#include "FileTimes.h"

#include <QFile>
#include <QFileInfo>

QDateTime FileCreationTime(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QFileInfo info(file);
  const QDateTime birth = info.birthTime();
  return birth.isValid() ? birth : info.lastModified();
}

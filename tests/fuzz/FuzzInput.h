#pragma once
// The readers under fuzzing take file names: each input is written to one scratch file first.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The scratch file of this process (in the temporary folder), holding the given bytes.
inline QString FuzzInputFile(const uint8_t* data, size_t size, const char* name = "input") {
  const QString path = QDir::temp().filePath(
      QStringLiteral("fuzz-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(name)));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
          static_cast<qint64>(size) ||
      !file.flush())
    std::abort();  // the fuzzing itself cannot go on
  return path;
}

inline QByteArray FuzzBytes(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

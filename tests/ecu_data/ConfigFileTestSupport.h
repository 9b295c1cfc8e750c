#pragma once
// Shared pieces of the configuration-file tests: the scrambling written out independently,
// and small file helpers.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <string_view>

// b ^ ((K[i mod L] << (i mod 5)) & 0xFF), written here apart from the program's own routine.
inline QByteArray XorWithKey(QByteArray bytes, std::string_view key) {
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const unsigned k = static_cast<unsigned char>(key[static_cast<size_t>(i) % key.size()]);
    bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ ((k << (i % 5)) & 0xFF));
  }
  return bytes;
}

inline QByteArray ReadFileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

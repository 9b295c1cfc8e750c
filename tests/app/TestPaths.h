#pragma once
// Where the tests find the libraries built beside the program.
#include <QCoreApplication>
#include <QString>

inline QString BuiltLibrary(const char* name) {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}
